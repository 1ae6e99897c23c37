// The browser's music: the MP3 read whole from the data library is decoded
// by WebAudio (decodeAudioData; the program is suspended until it is done)
// and played by an AudioBufferSourceNode on the page's AudioContext, which
// the page creates (and resumes from a click, as browsers require). The
// clock is the context time the listener hears (HeardMusicSeconds) since
// play, plus the start position; after the end of the music the context
// clock runs on, and so does the show's. The page's side is in
// web/vx1_library.js.
#include <array>
#include <cstdio>
#include <vector>

#include "datalib/datalib.h"
#include "platform/music_backends.h"

extern "C" {
// 0 when decoded; -1 when the page has no AudioContext; -2 when the bytes do
// not decode (an asynchronous import).
int vx1_music_decode(const std::uint8_t* data, std::size_t size);
// The last failure's text from the browser, NUL-terminated within size.
void vx1_music_error(char* buffer, int size);
// Starts decoding these bytes at once, without waiting; a later
// vx1_music_decode of the same bytes takes that decoding's result.
void vx1_music_decode_ahead(const std::uint8_t* data, std::size_t size);
// Starts the decoded music at offsetSeconds; returns the context time then.
double vx1_music_play(double offsetSeconds, int loop);
// Five numbers, in AudioContextReading's order.
void vx1_music_read(double* reading);
void vx1_music_stop();
void vx1_music_free();
}

namespace vx {
namespace {

constexpr std::uint32_t NoCode = 0xFFFFFFFFu;

std::vector<std::uint8_t> file;
bool playing = false;
bool stopped = false;
double playStartContextTime = 0.0;
double playStartSeconds = 0.0;
double frozenSeconds = 0.0;

// The browser's reason on standard error, then the program's own line last,
// so that the page shows the program's text.
[[noreturn]] void Fail(std::string_view text) {
  std::array<char, 256> detail{};
  vx1_music_error(detail.data(), static_cast<int>(detail.size()));
  std::fprintf(stderr, "WebAudio: %s\n", detail.data());
  std::fflush(stderr);
  file.clear();
  ReportAudioError(NoCode, text, {});
}

void Start(std::string_view name, std::uint32_t /*outputRate*/, bool /*mono*/, bool /*eightBits*/) {
  const std::int32_t size = LibraryFileSize(name);
  if (size <= 0) ReportMusicError("File read error");
  file.assign(static_cast<std::size_t>(size), 0);
  if (!ReadLibraryFile(name, file.data())) ReportMusicError("File read error");
  const int result = vx1_music_decode(file.data(), file.size());
  if (result == -1) Fail("Can't initialize device");
  if (result != 0) Fail("Not an MP3");
  // The browser keeps its own decoded copy.
  file.clear();
  file.shrink_to_fit();
  playing = false;
  stopped = false;
}

void Play(double startSeconds, bool loop) {
  playStartSeconds = startSeconds;
  playStartContextTime = vx1_music_play(startSeconds, loop ? 1 : 0);
  playing = true;
  stopped = false;
}

double Seconds(double startSeconds) {
  if (stopped) return frozenSeconds;
  if (!playing) return startSeconds;
  std::array<double, 5> values{};
  vx1_music_read(values.data());
  const AudioContextReading reading{values[0], values[1], values[2], values[3], values[4]};
  return HeardMusicSeconds(reading, playStartContextTime, playStartSeconds);
}

float Ticks(double startSeconds, std::uint32_t scale) {
  return static_cast<float>(static_cast<long double>(Seconds(startSeconds)) *
                            static_cast<long double>(scale));
}

void Stop() {
  if (!playing) return;
  frozenSeconds = Seconds(0.0);
  vx1_music_stop();
  stopped = true;
  playing = false;
}

void Free() {
  if (playing) vx1_music_stop();
  vx1_music_free();
  playing = false;
  stopped = false;
}

}  // namespace

const MusicRoutines WebMusic{
    .start = Start, .play = Play, .ticks = Ticks, .stop = Stop, .free = Free};

void DecodeMusicAhead(std::string_view name) {
  const std::int32_t size = LibraryFileSize(name);
  if (size <= 0) return;  // StartMusic reports it
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (ReadLibraryFile(name, bytes.data())) vx1_music_decode_ahead(bytes.data(), bytes.size());
}

}  // namespace vx
