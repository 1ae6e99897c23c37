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

// Pixel (x, y) of quadrant q at the classic size: the table's weights of
// D = (x - sx, y - sy), V = (x, y - sy), H = (x - sx, y) and P itself,
// S = (w0 D + w1 V + w2 H + w3 P) >> 8 per byte.
void ClassicPixel(const BlurContext& b, const RadialQuadrant& q, int x, int y) {
  const std::uint8_t* w = RadialEntry(b.table, x - b.cx, y - b.cy);
  std::uint32_t* pixel = b.fb + y * b.pitch + x;
  const std::uint32_t p = *pixel;
  const std::uint32_t v = pixel[-q.sy * b.pitch];
  const std::uint32_t h = pixel[-q.sx];
  const std::uint32_t d = pixel[-q.sy * b.pitch - q.sx];
  std::uint32_t result = 0;
  for (int c = 0; c < 4; ++c) {
    const std::uint32_t s =
        (w[0] * ByteOf(d, c) + w[1] * ByteOf(v, c) + w[2] * ByteOf(h, c) + w[3] * ByteOf(p, c)) >>
        8;
    result |= (std::min(s * b.k1 + ByteOf(p, c) * b.k0, 65535u) >> 8) << (8 * c);
  }
  *pixel = result;
}

// Pixel (x, y) of quadrant q at any other size: the bilinear sample at Q
// (see RadialSample in fx2d_internal.h).
void SampledPixel(const BlurContext& b, const RadialQuadrant& q, int x, int y) {
  const int dx = x - b.cx;
  const int dy = y - b.cy;
  const RadialSample o = RadialSampleAt(b.table, dx, dy);
  const std::uint32_t ox = RadialClamp(o.x, RadialIndex(dx, q.sx));
  const std::uint32_t oy = RadialClamp(o.y, RadialIndex(dy, q.sy));
  const std::uint32_t f = ox & 0xFF;
  const std::uint32_t g = oy & 0xFF;
  std::uint32_t* pixel = b.fb + y * b.pitch + x;
  const std::uint32_t* rowNear =
      pixel - q.sy * std::ptrdiff_t(oy >> 8) * b.pitch - q.sx * std::ptrdiff_t(ox >> 8);
  const std::uint32_t* rowFar = g != 0 ? rowNear - q.sy * b.pitch : rowNear;
  const std::ptrdiff_t far = f != 0 ? -q.sx : 0;  // the column further back
  const std::uint32_t rn = Between(rowNear[0], rowNear[far], f);
  const std::uint32_t rf = Between(rowFar[0], rowFar[far], f);
  const std::uint32_t p = *pixel;
  std::uint32_t result = 0;
  for (int c = 0; c < 4; ++c) {
    const std::uint32_t s = (o.total * (ByteOf(rn, c) * (256 - g) + ByteOf(rf, c) * g)) >> 16;
    result |= (std::min(s * b.k1 + ByteOf(p, c) * b.k0, 65535u) >> 8) << (8 * c);
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
  const auto pixel = [&b](const RadialQuadrant& q, int x, int y) {
    if (b.table.folded) {
      SampledPixel(b, q, x, y);
    } else {
      ClassicPixel(b, q, x, y);
    }
  };
  if (part == RadialPart::Cross) return ForEachCrossPixel(walk, pixel);
  const RadialQuadrant q = RadialInterior(walk.quadrant[RadialQuadrantIndex(part)]);
  for (int r = 0; r < q.rows; ++r)
    for (int c = 0; c < q.cols; ++c) pixel(q, q.x0 + q.sx * c, q.y0 + q.sy * r);
}

}  // namespace vx::fx2d::plain
