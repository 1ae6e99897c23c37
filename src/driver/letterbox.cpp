// The letterboxed enlargement of a frame for files and its ffmpeg twin.
#include "driver/letterbox.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/video.h"

namespace vx {

void ScaleLetterboxed(const std::uint32_t* fb, const FrameSize& size, int scale,
                      std::vector<std::uint32_t>& out) {
  // The video's surface: the letterbox rows belong to it (the status strip
  // does not: it never reaches a file).
  const SurfaceLayout box = SurfaceLayoutOf(size);
  const int boxHeight = static_cast<int>(box.height);
  const int boxTop = static_cast<int>(box.imageTop);
  const std::size_t width = static_cast<std::size_t>(box.width) * scale;
  const std::size_t height = static_cast<std::size_t>(boxHeight) * scale;
  out.resize(width * height);
  for (int row = 0; row < boxHeight; ++row) {
    std::uint32_t* first = out.data() + static_cast<std::size_t>(row) * scale * width;
    const int source = row - boxTop;
    if (source < 0 || source >= size.height) {
      std::fill(first, first + width, 0u);
    } else {
      const std::uint32_t* in = fb + static_cast<std::size_t>(source) * size.pitch;
      std::uint32_t* px = first;
      for (int x = 0; x < size.width; ++x)
        for (int k = 0; k < scale; ++k) *px++ = in[x];
    }
    for (int k = 1; k < scale; ++k) std::copy(first, first + width, first + k * width);
  }
}

std::string CaptureScaleFilter(const FrameSize& size, int scale) {
  if (scale == 1 && size != ClassicFrame) return {};
  const SurfaceLayout box = SurfaceLayoutOf(size);
  // flags=neighbor at a whole factor repeats each pixel scale x scale times,
  // exactly as ScaleLetterboxed does. format=gbrp keeps the enlargement in
  // RGB, so the conversion to yuv420p stays a step of its own on the
  // full-size frame with ffmpeg's default filter, giving the same yuv420p
  // frame as from bgr0 (the planar form is the cheaper one to enlarge);
  // without it the scaler would convert as well and sample the colour
  // planes by nearest neighbour.
  return "scale=" + std::to_string(box.width * static_cast<std::uint32_t>(scale)) + ":" +
         std::to_string(box.height * static_cast<std::uint32_t>(scale)) +
         ":flags=neighbor,format=gbrp";
}

}  // namespace vx
