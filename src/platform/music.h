#pragma once
// The soundtrack and the demo clock. StartMusic reads the MP3 whole from the
// data library and prepares it; PlayMusic starts it; MusicTime is the playing
// position of what the listener hears, in ticks (SetMusicScale: ticks per
// second), smooth and never stepping back. Failures print their line on
// standard output and end the process with exit code 1.
//
// Backends: Silent (a clock that runs at real time from PlayMusic, no sound
// device; headless runs and --mute) and Sdl (libmpg123 decoding, SDL2 audio
// output).
#include <cstdint>
#include <string_view>

namespace vx {

enum class MusicBackend { Silent, Sdl };

struct MusicOptions {
  MusicBackend backend = MusicBackend::Silent;
  double startSeconds = 0.0;  // --from: playing starts here
};

void ConfigureMusic(const MusicOptions& options);

void StartMusic(std::string_view name, std::uint32_t outputRate, bool mono, bool eightBits,
                bool streamFlag);
void SetMusicScale(std::uint32_t ticksPerSecond);
void PlayMusic(bool loop);
float MusicTime();
void StopMusic();
void FreeMusic();

}  // namespace vx
