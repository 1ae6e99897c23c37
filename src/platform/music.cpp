// The music layer's dispatch and its clock arithmetic. The clock never
// steps back between PlayMusic calls: a backend's reading that falls below
// the last one returned (an interpolation overtaken by a late callback) is
// answered with the last one.
#include "platform/music.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/console.h"
#include "platform/music_backends.h"

namespace vx {
namespace {

MusicOptions configured;
const MusicRoutines* configuredRoutines = &SilentMusic;
// The table StartMusic started, until FreeMusic; nullptr when none is.
const MusicRoutines* backend = nullptr;
std::uint32_t scale = 0;
float lastTime = 0.0f;
// The viewer's controls: PlayMusic's loop, kept for the plays a resume or a
// seek starts; while paused the clock holds lastTime.
bool playLoop = false;
bool paused = false;

// Plays on from ticks: the backend starts its output there, and the clock
// answers ticks itself until the backend's reading (rounded to its output
// frames, so possibly a hair below) has caught up.
void PlayFrom(float ticks) {
  const long double seconds =
      scale == 0 ? 0.0L : static_cast<long double>(ticks) / static_cast<long double>(scale);
  backend->play(static_cast<double>(seconds), playLoop);
  lastTime = ticks;
}

// A backend this build lacks (SDL2 audio in the browser, WebAudio
// natively): starting it fails as a missing sound device does; the other
// routines are never reached after that.
void RefuseStart(std::string_view, std::uint32_t, bool, bool) {
  constexpr std::uint32_t NoCode = 0xFFFFFFFFu;
  ReportAudioError(NoCode, "Can't initialize device",
                   configured.backend == MusicBackend::Web ? "this build has no browser audio"
                                                           : "this build has no SDL2 audio");
}

void NoPlay(double, bool) {}

float NoTicks(double, std::uint32_t) {
  return 0.0f;
}

void Nothing() {}

[[maybe_unused]] const MusicRoutines AbsentMusic{
    .start = RefuseStart, .play = NoPlay, .ticks = NoTicks, .stop = Nothing, .free = Nothing};

// The backends each build has: the browser's WebAudio, or SDL2 with
// libmpg123.
#ifdef __EMSCRIPTEN__
const MusicRoutines& SdlRoutines = AbsentMusic;
const MusicRoutines& WebRoutines = WebMusic;
#else
const MusicRoutines& SdlRoutines = SdlMusic;
const MusicRoutines& WebRoutines = AbsentMusic;
#endif

}  // namespace

float MusicBytesPerSecond(std::uint32_t sampleRate, std::uint32_t bitsPerSample,
                          std::uint32_t channels) {
  const std::uint32_t bitsPerSecond = sampleRate * bitsPerSample * channels;  // wraps as unsigned
  // Whole bytes: the remainder is dropped before the conversion.
  return static_cast<float>(bitsPerSecond / 8);  // NOLINT(bugprone-integer-division)
}

float MusicTicks(std::uint32_t position, float bytesPerSecond, std::uint32_t ticksPerSecond) {
  if (!(bytesPerSecond > 0.0f)) return 0.0f;
  const long double ticks = static_cast<long double>(position) /
                            static_cast<long double>(bytesPerSecond) *
                            static_cast<long double>(ticksPerSecond);
  return static_cast<float>(ticks);
}

std::uint64_t InterpolatePlayedBytes(std::uint64_t heardAtCallback, std::uint64_t ceiling,
                                     double secondsSinceCallback, double bytesPerSecond) {
  if (heardAtCallback >= ceiling) return heardAtCallback;
  if (!(secondsSinceCallback > 0.0) || !(bytesPerSecond > 0.0)) return heardAtCallback;
  const double played = secondsSinceCallback * bytesPerSecond;
  const std::uint64_t room = ceiling - heardAtCallback;
  if (played >= static_cast<double>(room)) return ceiling;
  return heardAtCallback + static_cast<std::uint64_t>(played);
}

double HeardContextTime(const AudioContextReading& r) {
  double heard = r.contextTime - r.latency;
  if (r.outputPerformanceTime > 0.0) {
    // A timestamp from the future (clocks read in the other order) is not
    // carried backwards.
    heard = r.outputContextTime + std::max(0.0, r.performanceNow - r.outputPerformanceTime);
  }
  return std::min(heard, r.contextTime);
}

double HeardMusicSeconds(const AudioContextReading& reading, double playStartContextTime,
                         double startSeconds) {
  return startSeconds + std::max(0.0, HeardContextTime(reading) - playStartContextTime);
}

void ReportMusicError(std::string_view text) {
  ConsoleWriteLine(std::string("Error: ").append(text));
  std::exit(1);
}

void ReportAudioError(std::uint32_t code, std::string_view text, std::string_view detail) {
  ConsoleWriteLine("BASS Error (" + std::to_string(code) + "): " + std::string(text));
  if (!detail.empty()) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(detail.size()), detail.data());
    std::fflush(stderr);
  }
  std::exit(1);
}

// The one place a backend is chosen; started music keeps its table until
// FreeMusic.
void ConfigureMusic(const MusicOptions& options) {
  switch (options.backend) {
    case MusicBackend::Sdl:
      ConfigureMusic(options, SdlRoutines);
      return;
    case MusicBackend::Web:
      ConfigureMusic(options, WebRoutines);
      return;
    case MusicBackend::Silent:
      break;
  }
  ConfigureMusic(options, SilentMusic);
}

void ConfigureMusic(const MusicOptions& options, const MusicRoutines& routines) {
  configured = options;
  configuredRoutines = &routines;
}

void StartMusic(std::string_view name, std::uint32_t outputRate, bool mono, bool eightBits,
                bool /*streamFlag*/) {
  lastTime = 0.0f;
  configuredRoutines->start(name, outputRate, mono, eightBits);
  backend = configuredRoutines;
}

// A new scale starts a new series of readings.
void SetMusicScale(std::uint32_t ticksPerSecond) {
  scale = ticksPerSecond;
  lastTime = 0.0f;
}

void PlayMusic(bool loop) {
  if (backend == nullptr) return;
  lastTime = 0.0f;
  playLoop = loop;
  paused = false;
  backend->play(configured.startSeconds, loop);
}

float MusicTime() {
  if (backend == nullptr) return 0.0f;
  if (paused) return lastTime;
  const float now = backend->ticks(configured.startSeconds, scale);
  lastTime = std::max(lastTime, now);
  return lastTime;
}

void StopMusic() {
  if (backend != nullptr) backend->stop();
}

void RewindMusic() {
  configured.startSeconds = 0.0;
}

void FreeMusic() {
  if (backend == nullptr) return;
  backend->free();
  backend = nullptr;
  paused = false;
}

void PauseMusic() {
  if (backend == nullptr || paused) return;
  MusicTime();  // the moment heard, kept in lastTime
  backend->stop();
  paused = true;
}

void ResumeMusic() {
  if (backend == nullptr || !paused) return;
  paused = false;
  PlayFrom(lastTime);
}

void SeekMusic(float ticks) {
  if (backend == nullptr) return;
  if (paused) {
    lastTime = ticks;
    return;
  }
  backend->stop();
  PlayFrom(ticks);
}

bool MusicPaused() {
  return paused;
}

}  // namespace vx
