// Plain radial blur: one pixel and one byte at a time, in exactly the order
// of the walk. The SSE2 and AVX2 blurs must equal it byte for byte.
#include <algorithm>
#include <cstdint>

#include "fx2d/fx2d_internal.h"

namespace vx::fx2d::plain {
namespace {

struct BlurContext {
  RadialTableView table;
  std::uint32_t* fb;
  std::ptrdiff_t pitch;
  int cx, cy;
  std::uint32_t k1;  // strength + gain
  std::uint32_t k0;  // 255 - strength
};

// (a (256 - f) + b f) >> 8 per byte; a itself when f = 0.
std::uint32_t Between(std::uint32_t a, std::uint32_t b, std::uint32_t f) {
  std::uint32_t result = 0;
  for (int c = 0; c < 4; ++c)
    result |= ((ByteOf(a, c) * (256 - f) + ByteOf(b, c) * f) >> 8) << (8 * c);
  return result;
}

// Pixel (x, y) of quadrant q (see RadialDistance in fx2d_internal.h). The
// pixel one further is read only when its weight f is not zero, so a
// distance of whole pixels never reads past them.
void BlurPixel(const BlurContext& b, const RadialQuadrant& q, int x, int y) {
  const int dx = x - b.cx;
  const int dy = y - b.cy;
  const std::uint8_t* w = RadialEntry(b.table, dx, dy);
  const std::uint32_t tx = RadialDistance(b.table.step, RadialIndex(dx, q.sx));
  const std::uint32_t ty = RadialDistance(b.table.step, RadialIndex(dy, q.sy));
  const std::uint32_t fx = tx & 0xFF;
  const std::uint32_t fy = ty & 0xFF;
  const std::ptrdiff_t col = -q.sx * std::ptrdiff_t(tx >> 8);  // offsets of the nearer pixels
  const std::ptrdiff_t row = -q.sy * std::ptrdiff_t(ty >> 8) * b.pitch;
  const std::ptrdiff_t colFar = fx != 0 ? col - q.sx : col;
  const std::ptrdiff_t rowFar = fy != 0 ? row - q.sy * b.pitch : row;
  std::uint32_t* pixel = b.fb + y * b.pitch + x;
  const std::uint32_t p = *pixel;
  const std::uint32_t h = Between(pixel[col], pixel[colFar], fx);
  const std::uint32_t v = Between(pixel[row], pixel[rowFar], fy);
  const std::uint32_t d = Between(Between(pixel[row + col], pixel[row + colFar], fx),
                                  Between(pixel[rowFar + col], pixel[rowFar + colFar], fx), fy);
  std::uint32_t result = 0;
  for (int c = 0; c < 4; ++c) {
    const std::uint32_t s =
        (w[0] * ByteOf(d, c) + w[1] * ByteOf(v, c) + w[2] * ByteOf(h, c) + w[3] * ByteOf(p, c)) >>
        8;
    const std::uint32_t mixed = std::min(s * b.k1 + ByteOf(p, c) * b.k0, 65535u) >> 8;
    result |= mixed << (8 * c);
  }
  *pixel = result;
}

}  // namespace

void RadialBlur(std::int32_t cx, std::int32_t cy, std::uint8_t strength, std::uint8_t gain,
                const FrameSize& frame, RadialPart part, std::uint32_t* fb) {
  const BlurContext b{.table = RadialTableFor(cx, cy, strength, gain, frame),
                      .fb = fb,
                      .pitch = frame.pitch,
                      .cx = cx,
                      .cy = cy,
                      .k1 = static_cast<std::uint8_t>(strength + gain),
                      .k0 = 255u - strength};
  const RadialWalk walk = RadialWalkFor(cx, cy, frame);
  const auto pixel = [&b](const RadialQuadrant& q, int x, int y) { BlurPixel(b, q, x, y); };
  if (part == RadialPart::Cross) return ForEachCrossPixel(walk, pixel);
  const RadialQuadrant q = RadialInterior(walk.quadrant[RadialQuadrantIndex(part)]);
  for (int r = 0; r < q.rows; ++r)
    for (int c = 0; c < q.cols; ++c) pixel(q, q.x0 + q.sx * c, q.y0 + q.sy * r);
}

}  // namespace vx::fx2d::plain
