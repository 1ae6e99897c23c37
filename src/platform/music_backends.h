#pragma once
// Private to the music layer: the operations each backend provides to the
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

// The position source MusicTime reads: the started backend's clock in ticks
// for (startSeconds, scale), before the dispatch keeps it from stepping back.
// StartMusic sets it to the chosen backend's; tests put a fake position in
// its place afterwards to drive the clock.
using MusicTicksSource = float (*)(double startSeconds, std::uint32_t scale);
void SetMusicTicksSource(MusicTicksSource source);

}  // namespace vx

namespace vx::silent_music {
void Start(std::string_view name);
void Play(double startSeconds);
// The clock in seconds: startSeconds until Play, then advancing with
// steady_clock; frozen by Stop.
long double Seconds(double startSeconds);
void Stop();
void Free();
}  // namespace vx::silent_music

namespace vx::sdl_music {
void Start(std::string_view name, std::uint32_t outputRate, bool mono, bool eightBits);
void Play(double startSeconds, bool loop);
// MusicTime's value: the heard position in the stream's decoded bytes,
// turned into ticks by MusicTicks.
float Ticks(double startSeconds, std::uint32_t scale);
void Stop();
void Free();
}  // namespace vx::sdl_music
