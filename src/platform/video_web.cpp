// The browser's video output: the page's canvas. Presenting hands the
// 320 x 200 image to the page's script (web/vx1_library.js), which copies it
// onto the canvas and resumes the program at the next animation frame, so
// the show's blocking loops are paced by the display as the SDL backend's
// vsync paces them. The page's canvas and script know the classic frame
// only, so this backend starts at that size alone. The page queues the keys; Escape is the quit
// message, the others (and the page's seek bar, buttons and media keys) are the viewer's inputs,
// which the page names as ViewerAction does. Message boxes become the page's error text.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/video_backends.h"

extern "C" {
// Draws the image and waits for the next animation frame (an asynchronous
// import: the program is suspended meanwhile).
int vx1_present(const std::uint32_t* frameBuffer);
// 1 when Escape was pressed since the last call.
int vx1_take_quit();
// 1 while a viewer's input waits: its action's name (NUL-terminated within
// size) and its seconds; 0 when none does.
int vx1_take_input(char* action, int size, double* seconds);
void vx1_show_box(const char* caption, const char* text);
}

namespace vx {
namespace {

int Start(const VideoOptions& /*options*/, const FrameSize& size) {
  if (size == ClassicFrame) return 0;
  ShowErrorBox("Ventrix Video System", "the page shows the 320 x 200 frame only");
  return static_cast<int>(VideoGenericFailure);
}

int Present(const std::uint32_t* frameBuffer, const FrameSize& /*size*/) {
  return vx1_present(frameBuffer);
}

// The page has one size: another is refused, the show goes on at this one.
int Resize(const FrameSize& size) {
  return size == ClassicFrame ? 0 : static_cast<int>(VideoGenericFailure);
}

// The names the page gives the actions: ViewerAction's own.
struct NamedAction {
  std::string_view name;
  ViewerAction action;
};
constexpr std::array<NamedAction, 11> Actions{{
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
                             .resize = Resize};

}  // namespace vx
