// Plain radial blur: one pixel and one byte at a time, in exactly the order
// of the walk. The SSE2 and AVX2 blurs must equal it byte for byte.
#include <algorithm>
#include <cstdint>

#include "fx2d/fx2d_internal.h"

namespace vx::fx2d::plain {

void RadialBlur(std::int32_t cx, std::int32_t cy, std::uint8_t strength, std::uint8_t gain,
                std::uint32_t* fb) {
  const std::uint8_t* table = RadialBlurTable(cx, cy, strength, gain);
  const std::uint32_t k1 = static_cast<std::uint8_t>(strength + gain);
  const std::uint32_t k0 = 255u - strength;

  const RadialWalk walk = RadialWalkFor(cx, cy);
  for (const RadialQuadrant& q : walk.quadrant) {
    for (int r = 0; r < q.rows; ++r) {
      const int y = q.y0 + q.sy * r;
      for (int c = 0; c < q.cols; ++c) {
        const int x = q.x0 + q.sx * c;
        const std::uint8_t* w = table + RadialEntryOffset(x - cx, y - cy);
        const std::uint32_t p = fb[y * ScreenWidth + x];
        const std::uint32_t d = fb[(y - q.sy) * ScreenWidth + (x - q.sx)];
        const std::uint32_t v = fb[(y - q.sy) * ScreenWidth + x];
        const std::uint32_t h = fb[y * ScreenWidth + (x - q.sx)];
        std::uint32_t result = 0;
        for (int b = 0; b < 4; ++b) {
          const std::uint32_t s = (w[0] * ByteOf(d, b) + w[1] * ByteOf(v, b) + w[2] * ByteOf(h, b) +
                                   w[3] * ByteOf(p, b)) >>
                                  8;
          const std::uint32_t mixed = std::min(s * k1 + ByteOf(p, b) * k0, 65535u) >> 8;
          result |= mixed << (8 * b);
        }
        fb[y * ScreenWidth + x] = result;
      }
    }
  }
}

}  // namespace vx::fx2d::plain
