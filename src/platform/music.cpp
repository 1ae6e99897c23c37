// The music layer's dispatch and its clock arithmetic. The clock never
// steps back between PlayMusic calls: a backend's reading that falls below
// the last one returned (an interpolation overtaken by a late callback) is
// answered with the last one.
#include "platform/music.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/console.h"
#include "platform/music_backends.h"

namespace vx {
namespace {

MusicOptions configured;
MusicBackend startedBackend = MusicBackend::Silent;
bool started = false;
std::uint32_t scale = 0;
float lastTime = 0.0f;

float SilentTicks(double startSeconds, std::uint32_t ticksPerSecond) {
  return static_cast<float>(silent_music::Seconds(startSeconds) *
                            static_cast<long double>(ticksPerSecond));
}

MusicTicksSource ticksSource = SilentTicks;

}  // namespace

float MusicBytesPerSecond(std::uint32_t sampleRate, std::uint32_t bitsPerSample,
                          std::uint32_t channels) {
  const std::uint32_t bitsPerSecond = sampleRate * bitsPerSample * channels;  // wraps as unsigned
  return static_cast<float>(bitsPerSecond / 8);
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

void SetMusicTicksSource(MusicTicksSource source) {
  ticksSource = source;
}

void ConfigureMusic(const MusicOptions& options) {
  configured = options;
}

void StartMusic(std::string_view name, std::uint32_t outputRate, bool mono, bool eightBits,
                bool /*streamFlag*/) {
  startedBackend = configured.backend;
  lastTime = 0.0f;
  if (startedBackend == MusicBackend::Sdl) {
    sdl_music::Start(name, outputRate, mono, eightBits);
    ticksSource = sdl_music::Ticks;
  } else {
    silent_music::Start(name);
    ticksSource = SilentTicks;
  }
  started = true;
}

// A new scale starts a new series of readings.
void SetMusicScale(std::uint32_t ticksPerSecond) {
  scale = ticksPerSecond;
  lastTime = 0.0f;
}

void PlayMusic(bool loop) {
  if (!started) return;
  lastTime = 0.0f;
  if (startedBackend == MusicBackend::Sdl) {
    sdl_music::Play(configured.startSeconds, loop);
  } else {
    silent_music::Play(configured.startSeconds);
  }
}

float MusicTime() {
  if (!started) return 0.0f;
  const float now = ticksSource(configured.startSeconds, scale);
  lastTime = std::max(lastTime, now);
  return lastTime;
}

void StopMusic() {
  if (!started) return;
  if (startedBackend == MusicBackend::Sdl) {
    sdl_music::Stop();
  } else {
    silent_music::Stop();
  }
}

void FreeMusic() {
  if (!started) return;
  if (startedBackend == MusicBackend::Sdl) {
    sdl_music::Free();
  } else {
    silent_music::Free();
  }
  started = false;
}

}  // namespace vx
