// The browser's video output: the page's canvas. Presenting hands the
// frame (its address, width, height and row pitch in pixels) to the page's
// script (web/vx1_library.js), which copies it onto the canvas, made the
// frame's size whenever that changes, and resumes the program at the next
// animation frame, so the show's blocking loops are paced by the display as
// the SDL backend's vsync paces them. The classic frame is the image alone
// (the page shows the status line in a row of its own), so the canvas is
// 320 x 200 as it always was. The native size is the page's: the window at
// device pixels, within the pixel budget the page keeps for 60 frames a
// second (sharpSize in web/index.html). The page queues the keys; Escape is
// the quit message, the others (and the page's seek bar, buttons and media
// keys) are the viewer's inputs, which the page names as ViewerAction does.
// Message boxes become the page's error text.
#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/video_backends.h"

extern "C" {
// Draws the image and waits for the next animation frame (an asynchronous
// import: the program is suspended meanwhile).
// width x height pixels, rows pitch pixels apart.
int vx1_present(const std::uint32_t* frameBuffer, int width, int height, int pitch);
// The size a sharp frame of the page has: size[0] x size[1] pixels.
void vx1_native_size(int* size);
// 1 when Escape was pressed since the last call.
int vx1_take_quit();
// 1 while a viewer's input waits: its action's name (NUL-terminated within
// size) and its seconds; 0 when none does.
int vx1_take_input(char* action, int size, double* seconds);
void vx1_show_box(const char* caption, const char* text);
}

namespace vx {
namespace {

// The canvas takes any drawable size; it is made that size at the first
// present of a frame of it, so a start or a resize (no routine) has nothing
// to remake.
int Start(const VideoOptions& /*options*/, const FrameSize& /*size*/) {
  return 0;
}

int Present(const std::uint32_t* frameBuffer, const FrameSize& size) {
  return vx1_present(frameBuffer, size.width, size.height, size.pitch);
}

// The page's figure, made drawable: it is already even and within the
// sizes, unless the window is narrower or flatter than the classic frame,
// whose size then bounds it from below.
FrameSize NativeSize(const VideoOptions& /*options*/) {
  std::array<int, 2> page{};
  vx1_native_size(page.data());
  const auto even = [](int value, std::int32_t least, std::int32_t most) {
    return std::clamp(value - value % 2, least, most);
  };
  const FrameSize size = PackedFrame(even(page[0], MinFrameWidth, MaxFrameWidth),
                                     even(page[1], MinFrameHeight, MaxFrameHeight));
  assert(DrawableFrameSize(size));
  return size;
}

// The names the page gives the actions: ViewerAction's own.
struct NamedAction {
  std::string_view name;
  ViewerAction action;
};
constexpr std::array<NamedAction, 13> Actions{{
    {.name = "PlayPause", .action = ViewerAction::PlayPause},
    {.name = "Pause", .action = ViewerAction::Pause},
    {.name = "Play", .action = ViewerAction::Play},
    {.name = "SeekBy", .action = ViewerAction::SeekBy},
    {.name = "SeekTo", .action = ViewerAction::SeekTo},
    {.name = "PreviousSlot", .action = ViewerAction::PreviousSlot},
    {.name = "NextSlot", .action = ViewerAction::NextSlot},
    {.name = "ToStart", .action = ViewerAction::ToStart},
    {.name = "StepBack", .action = ViewerAction::StepBack},
    {.name = "StepForward", .action = ViewerAction::StepForward},
    {.name = "ToggleStatus", .action = ViewerAction::ToggleStatus},
    {.name = "ToggleResolution", .action = ViewerAction::ToggleResolution},
    {.name = "NextView", .action = ViewerAction::NextView},
}};

bool Pump() {
  std::array<char, 32> name{};
  double seconds = 0.0;
  while (vx1_take_input(name.data(), static_cast<int>(name.size()), &seconds) != 0) {
    // A name the program does not know (a page out of step with it) is dropped.
    const std::string_view taken(name.data());
    for (const NamedAction& known : Actions) {
      if (known.name == taken) QueueViewerInput({.action = known.action, .seconds = seconds});
    }
  }
  return vx1_take_quit() != 0;
}

void Stop() {}

bool ShowBox(std::string_view caption, std::string_view text) {
  vx1_show_box(std::string(caption).c_str(), std::string(text).c_str());
  return true;
}

}  // namespace

const VideoRoutines WebVideo{.start = Start,
                             .present = Present,
                             .pump = Pump,
                             .stop = Stop,
                             .surface = nullptr,
                             .showBox = ShowBox,
                             .ask = nullptr,
                             .resize = nullptr,
                             .nativeSize = NativeSize};

}  // namespace vx
