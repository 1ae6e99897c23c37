#pragma once
// Private to the video output: the operations each backend provides to the
// dispatch in video.cpp. The dispatch owns the frame buffer, the quit flag
// and the frame count; a backend owns only its output.
#include <cstdint>
#include <string_view>

#include "platform/video.h"

namespace vx::headless_video {
// Never fails.
int Start();
int Present(const std::uint32_t* frameBuffer);
bool Pump();
void Stop();
const std::uint8_t* Surface();
}  // namespace vx::headless_video

namespace vx::sdl_video {
// Sets up window, renderer, full screen, logical size and texture in that
// order; on failure reports the step, releases what was made and returns a
// non-zero code.
int Start(const VideoOptions& options);
int Present(const std::uint32_t* frameBuffer);
// True when the quit message (Escape, window closed) was among the events.
bool Pump();
void Stop();
// Shows a message box when a display is up; false when none could be shown.
bool ShowBox(std::string_view caption, std::string_view text);
}  // namespace vx::sdl_video
