#pragma once
// Private to the video output: the table of routines each backend gives the
// dispatch in video.cpp. The dispatch owns the frame buffer, the quit flag
// and the frame count; a backend owns only its output.
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/video.h"

namespace vx {

struct VideoRoutines {
  // Sets up the output for frames of size; on failure reports it, releases
  // what was made and returns a non-zero code.
  int (*start)(const VideoOptions& options, const FrameSize& size);
  int (*present)(const std::uint32_t* frameBuffer, const FrameSize& size);
  // True when the quit message (Escape, window closed) was among the events.
  bool (*pump)();
  void (*stop)();
  // The surface as last presented, nullptr before the first frame; nullptr
  // as the routine where the backend keeps none.
  const std::uint8_t* (*surface)();
  // Shows a message box when a display is up, false when none could be
  // shown; nullptr as the routine where the backend has no display.
  bool (*showBox)(std::string_view caption, std::string_view text);
  // AskInBox's question; nullptr where the backend has no boxes.
  int (*ask)(std::string_view caption, std::string_view text,
             std::span<const std::string_view> buttons) = nullptr;
  // Remakes the output for frames of another size while running; 0, or a
  // non-zero code with the output left as it was. nullptr: nothing to remake.
  int (*resize)(const FrameSize& size) = nullptr;
  // The native frame size (NativeFrameSize); nullptr: the classic one.
  FrameSize (*nativeSize)(const VideoOptions& options) = nullptr;
};

// The rows of the surface a full-screen output of outWidth x outHeight
// pixels shows: all of them, or, while the status line is off, the image's
// alone where that gives the picture a larger whole scale (the classic
// surface's letterbox on a 1080-row screen: 5 x instead of 4 x). The first
// row shown is (layout.height - the count) / 2.
std::uint32_t RowsShown(const SurfaceLayout& layout, int outWidth, int outHeight, bool statusShown);
// Whether the status line is shown over the surface's strip rows now.
bool StatusStripShown();

// A backend's pump hands the viewer's inputs it sees to the dispatch, which
// keeps them for TakeViewerInput (a bounded queue: the oldest are kept).
void QueueViewerInput(const ViewerInput& input);

// Keeps the surface in memory; never fails.
extern const VideoRoutines HeadlessVideo;
// A window or the full screen through SDL2.
extern const VideoRoutines SdlVideo;
// The page's canvas in the browser build.
extern const VideoRoutines WebVideo;

// Chooses options as ConfigureVideo does, but with the given table in place
// of the backend's: a test's own table, whose fakes stand in for the output.
// The table is kept by address, so it must outlive its use: no temporaries.
void ConfigureVideo(const VideoOptions& options, const VideoRoutines& routines);
void ConfigureVideo(const VideoOptions& options, const VideoRoutines&& routines) = delete;

}  // namespace vx

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace vx::sdl_video {
// The SDL calls of the set-up steps after the window, each with the
// signature of its SDL function, so that a test can refuse any step.
struct SetupCalls {
  SDL_Renderer* (*createRenderer)(SDL_Window* window, int index, std::uint32_t flags);
  int (*setWindowFullscreen)(SDL_Window* window, std::uint32_t flags);
  // SDL_RenderSetLogicalSize, then SDL_RenderSetIntegerScale: 0 or negative.
  int (*setLogicalSize)(SDL_Renderer* renderer, int width, int height);
  SDL_Texture* (*createTexture)(SDL_Renderer* renderer, std::uint32_t format, int access, int width,
                                int height);
};
// The calls into SDL itself, which SdlVideo.start makes.
extern const SetupCalls RealSetupCalls;

// SdlVideo.start with the given set-up calls: window, renderer, full
// screen, logical size and texture in that order; a failed step is reported
// by its name.
int Start(const VideoOptions& options, const FrameSize& size, const SetupCalls& calls);
}  // namespace vx::sdl_video
