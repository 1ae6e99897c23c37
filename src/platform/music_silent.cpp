// The silent music backend: no sound device. The music file is still read
// from the data library, so a missing file fails as it would with sound;
// the clock is the real time since PlayMusic (std::chrono::steady_clock,
// which never steps back), starting at the configured start position.
#include <chrono>
#include <cstdlib>
#include <vector>

#include "datalib/datalib.h"
#include "platform/music_backends.h"

namespace vx {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::uint8_t> file;
bool playing = false;
bool stopped = false;
Clock::time_point playStart;
long double playStartSeconds = 0.0L;
long double frozenSeconds = 0.0L;

void Start(std::string_view name, std::uint32_t /*outputRate*/, bool /*mono*/,
           bool /*eightBits*/) {
  const std::int32_t size = LibraryFileSize(name);
  if (size <= 0) ReportMusicError("File read error");
  file.assign(static_cast<std::size_t>(size), 0);
  if (!ReadLibraryFile(name, file.data())) ReportMusicError("File read error");
  playing = false;
  stopped = false;
}

void Play(double startSeconds, bool /*loop*/) {
  playStartSeconds = startSeconds;
  playStart = Clock::now();
  playing = true;
  stopped = false;
}

long double Seconds(double startSeconds) {
  if (stopped) return frozenSeconds;
  if (!playing) return startSeconds;
  const std::chrono::duration<long double> elapsed = Clock::now() - playStart;
  return playStartSeconds + elapsed.count();
}

float Ticks(double startSeconds, std::uint32_t scale) {
  return static_cast<float>(Seconds(startSeconds) * static_cast<long double>(scale));
}

void Stop() {
  if (!playing) return;
  frozenSeconds = Seconds(0.0);
  stopped = true;
  playing = false;
}

void Free() {
  file.clear();
  file.shrink_to_fit();
  playing = false;
  stopped = false;
}

}  // namespace

const MusicRoutines SilentMusic{
    .start = Start, .play = Play, .ticks = Ticks, .stop = Stop, .free = Free};

}  // namespace vx
