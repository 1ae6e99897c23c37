#pragma once
// Private to the music layer: the table of routines each backend gives the
// dispatch in music.cpp, and the failure reports they share. The dispatch
// owns the scale and keeps MusicTime from stepping back.
#include <cstdint>
#include <string_view>

#include "platform/music.h"

namespace vx {

// "Error: " + text on standard output; exit code 1.
[[noreturn]] void ReportMusicError(std::string_view text);
// "BASS Error (" + code as unsigned decimal + "): " + text on standard
// output, detail on standard error; exit code 1. The caller releases its
// audio resources first.
[[noreturn]] void ReportAudioError(std::uint32_t code, std::string_view text,
                                   std::string_view detail);

// The routines each backend gives the dispatch.
struct MusicRoutines {
  // Prepares the named MP3 for the output format; failures end the process.
  void (*start)(std::string_view name, std::uint32_t outputRate, bool mono, bool eightBits);
  void (*play)(double startSeconds, bool loop);
  // The clock in ticks for (startSeconds, scale): startSeconds x scale
  // before play, then the position heard; frozen by stop. The dispatch
  // keeps it from stepping back.
  float (*ticks)(double startSeconds, std::uint32_t scale);
  void (*stop)();
  void (*free)();
};

// No sound device: the clock is the real time since play.
extern const MusicRoutines SilentMusic;
// libmpg123 decoding, SDL2 audio output.
extern const MusicRoutines SdlMusic;
// WebAudio decoding and output in the browser build.
extern const MusicRoutines WebMusic;

// Chooses options as ConfigureMusic does, but with the given table in place
// of the backend's: a test's own table, whose fakes stand in for the output.
// The table is kept by address, so it must outlive its use: no temporaries.
void ConfigureMusic(const MusicOptions& options, const MusicRoutines& routines);
void ConfigureMusic(const MusicOptions& options, const MusicRoutines&& routines) = delete;

}  // namespace vx
