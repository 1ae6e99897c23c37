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

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace vx::sdl_video {
// The SDL calls of the set-up steps after the window, and the message box
// that reports a failed step: the backend's seam at the display, so that a
// test can refuse any step. Each has the signature of its SDL function.
struct SdlCalls {
  SDL_Renderer* (*createRenderer)(SDL_Window* window, int index, std::uint32_t flags);
  int (*setWindowFullscreen)(SDL_Window* window, std::uint32_t flags);
  // SDL_RenderSetLogicalSize, then SDL_RenderSetIntegerScale: 0 or negative.
  int (*setLogicalSize)(SDL_Renderer* renderer, int width, int height);
  SDL_Texture* (*createTexture)(SDL_Renderer* renderer, std::uint32_t format, int access, int width,
                                int height);
  int (*showSimpleMessageBox)(std::uint32_t flags, const char* title, const char* message,
                              SDL_Window* window);
};
// The calls into SDL itself, in use unless a test chose others.
const SdlCalls& RealSdlCalls();
void UseSdlCalls(const SdlCalls& calls);

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
