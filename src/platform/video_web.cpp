// The browser's video output: the page's canvas. Presenting hands the
// 320 x 200 image to the page's script (web/vx1_library.js), which copies it
// onto the canvas and resumes the program at the next animation frame, so
// the show's blocking loops are paced by the display as the SDL backend's
// vsync paces them. The page queues the keys; Escape is the quit message.
// Message boxes become the page's error text.
#include <cstdint>
#include <string>

#include "platform/video_backends.h"

extern "C" {
// Draws the image and waits for the next animation frame (an asynchronous
// import: the program is suspended meanwhile).
int vx1_present(const std::uint32_t* frameBuffer);
// 1 when Escape was pressed since the last call.
int vx1_take_quit();
void vx1_show_box(const char* caption, const char* text);
}

namespace vx {
namespace {

int Start(const VideoOptions& /*options*/) {
  return 0;
}

int Present(const std::uint32_t* frameBuffer) {
  return vx1_present(frameBuffer);
}

bool Pump() {
  return vx1_take_quit() != 0;
}

void Stop() {}

bool ShowBox(std::string_view caption, std::string_view text) {
  vx1_show_box(std::string(caption).c_str(), std::string(text).c_str());
  return true;
}

}  // namespace

const VideoRoutines WebVideo{Start, Present, Pump, Stop, nullptr, ShowBox};

}  // namespace vx
