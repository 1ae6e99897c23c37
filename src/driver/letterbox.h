#pragma once
// Private to the driver: a frame as it goes into a video or a PNG file, on
// its video surface (the classic frame letterboxed) and enlarged by a whole
// factor, and the ffmpeg filter that enlarges it the same way.
#include <cstdint>
#include <string>
#include <vector>

#include "base/pixels.h"

namespace vx {

// The frame of this size on its video surface (SurfaceLayoutOf: the classic
// 320 x 200 frame letterboxed to 320 x 240, 20 black rows above and below;
// any other frame as it is) and enlarged scale times by nearest neighbour
// into out (surface width x scale by surface height x scale words, packed,
// resized as needed).
void ScaleLetterboxed(const std::uint32_t* fb, const FrameSize& size, int scale,
                      std::vector<std::uint32_t>& out);
// The ffmpeg video filter that enlarges a bgr0 surface of this frame size
// to the pixels ScaleLetterboxed makes at scale (as planar RGB, gbrp);
// empty, no filter, when a frame other than the classic one goes at its own
// size (scale 1).
std::string CaptureScaleFilter(const FrameSize& size, int scale);
}  // namespace vx
