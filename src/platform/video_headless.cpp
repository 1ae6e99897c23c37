// Headless video: no display. Presenting makes the letterboxed copy into a
// surface kept in memory (pitch 1280), so what would be shown can be read
// back; no input ever arrives, so only PostQuit ends a headless run early.
#include <cstdlib>
#include <vector>

#include "platform/video_backends.h"

namespace vx {
namespace {

constexpr std::uint32_t Pitch = SurfaceWidth * PixelBytes;

std::vector<std::uint8_t> surface;
bool presentedOnce = false;

int Start(const VideoOptions& /*options*/) {
  surface.assign(std::size_t{Pitch} * SurfaceHeight, 0);
  presentedOnce = false;
  return 0;
}

int Present(const std::uint32_t* frameBuffer) {
  CopyFrameToSurface(frameBuffer, surface.data(), Pitch);
  presentedOnce = true;
  return 0;
}

bool Pump() {
  return false;
}

void Stop() {
  surface.clear();
  surface.shrink_to_fit();
  presentedOnce = false;
}

const std::uint8_t* Surface() {
  return presentedOnce ? surface.data() : nullptr;
}

}  // namespace

const VideoRoutines HeadlessVideo{Start, Present, Pump, Stop, Surface, nullptr};

}  // namespace vx
