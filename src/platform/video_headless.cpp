// Headless video: no display. Presenting makes the copy onto the surface
// (SurfaceLayoutOf the frame's size, rows packed) kept in memory, so what
// would be shown can be read back; no input ever arrives, so only PostQuit
// ends a headless run early.
#include <cstdlib>
#include <vector>

#include "platform/video_backends.h"

namespace vx {
namespace {

std::vector<std::uint8_t> surface;
bool presentedOnce = false;

void SizeSurface(const FrameSize& size) {
  const SurfaceLayout layout = SurfaceLayoutOf(size);
  surface.assign(std::size_t{layout.width} * PixelBytes * layout.height, 0);
  presentedOnce = false;
}

int Start(const VideoOptions& /*options*/, const FrameSize& size) {
  SizeSurface(size);
  return 0;
}

int Present(const std::uint32_t* frameBuffer, const FrameSize& size) {
  CopyFrameToSurface(frameBuffer, size, surface.data(), SurfaceLayoutOf(size).width * PixelBytes);
  presentedOnce = true;
  return 0;
}

int Resize(const FrameSize& size) {
  SizeSurface(size);
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

const VideoRoutines HeadlessVideo{.start = Start,
                                  .present = Present,
                                  .pump = Pump,
                                  .stop = Stop,
                                  .surface = Surface,
                                  .showBox = nullptr,
                                  .ask = nullptr,
                                  .resize = Resize,
                                  .nativeSize = nullptr};

}  // namespace vx
