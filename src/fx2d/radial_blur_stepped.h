#pragma once
// The SSE2 radial blur at a frame larger than the classic one, where each
// pixel samples the image at its own point Q one classic pixel toward the
// centre (see RadialSample in fx2d_internal.h), and the choice of part
// shared by the SSE2 and AVX2 blurs. The one-pixel wavefront cannot carry
// such a sample: it lies rows back, at a column of its own, not in the lane
// before it. Instead the walk goes one pixel at a time, each pixel with two
// row loads of two pixels and the bilinear weights on 16-bit lanes.
// Private to the fx2d module.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "fx2d/fx2d_internal.h"
#include "fx2d/radial_blur_simd.h"
#include "fx2d/simd.h"

namespace vx::fx2d::radial_simd {

// (a (256 - f) + b f) >> 8 on 16-bit lanes, keep = 256 - f; at most
// 255 x 256, and a itself when f = 0.
inline Vec Between16(Vec a, Vec b, Vec keep, Vec f) {
  return HighByte16(Add16(Mul16(a, keep), Mul16(b, f)));
}

// Pixel p (walking sx, sy) from its sample offset (ox, oy), already cut to
// its quadrant, and the weights' total W: the near and the far row's two
// pixels side by side ([near row | far row]) are blended along the rows on
// all eight lanes, then the rows: Rn (256 - g) + Rf g is at most 255 x 256,
// so it fits a 16-bit lane, and the high half of its product with W is
// S = (W (Rn (256 - g) + Rf g)) >> 16. Then S is mixed with P.
inline void BlurSampleAt(const BlurContext& b, std::uint32_t* p, int sx, int sy, std::uint32_t ox,
                         std::uint32_t oy, std::uint32_t total) {
  const std::uint32_t f = ox & 0xFF;
  const std::uint32_t g = oy & 0xFF;
  const std::uint32_t* rowNear =
      p - sy * std::ptrdiff_t(oy >> 8) * b.pitch - sx * std::ptrdiff_t(ox >> 8);
  const std::uint32_t* rowFar = g != 0 ? rowNear - sy * b.pitch : rowNear;
  const std::ptrdiff_t far = f != 0 ? -sx : 0;
  const Vec nearCols = WidenLo8(_mm_unpacklo_epi32(Load1(rowNear), Load1(rowFar)));
  const Vec farCols = WidenLo8(_mm_unpacklo_epi32(Load1(rowNear + far), Load1(rowFar + far)));
  const Vec rows = Between16(nearCols, farCols, Splat16(256 - f), Splat16(f));  // Rn | Rf
  const Vec s = _mm_mulhi_epu16(
      Add16(Mul16(rows, Splat16(256 - g)), Mul16(_mm_srli_si128(rows, 8), Splat16(g))),
      Splat16(total));
  const Vec own = WidenLo8(Load1(p));
  const Vec result = HighByte16(AddSat16(Mul16(s, b.k1), Mul16(own, b.k0)));
  Store1(p, Narrow16(result, result));
}

// One pixel (x, y) of quadrant q with its sample toward the centre.
inline void BlurSampledPixel(const BlurContext& b, const RadialQuadrant& q, int x, int y) {
  const int dx = x - b.cx;
  const int dy = y - b.cy;
  const RadialSample o = RadialSampleAt(b.table, dx, dy);
  BlurSampleAt(b, b.fb + y * b.pitch + x, q.sx, q.sy, RadialClamp(o.x, RadialIndex(dx, q.sx)),
               RadialClamp(o.y, RadialIndex(dy, q.sy)), o.total);
}

// Row r of the interior q of a quadrant. From the column whose index is at
// least a whole step on, no offset along the row is cut, so the table's
// offsets are used as they stand, read forward with the walk.
inline void BlurSampledRow(const BlurContext& b, const RadialQuadrant& q, int r) {
  const int y = q.y0 + q.sy * r;
  const int dy = y - b.cy;
  const int reach = (b.table.step + 255) / 256;  // indices below this may cut the offset
  const int rowIndex = RadialIndex(dy, q.sy);
  const int firstIndex = RadialIndex(q.x0 - b.cx, q.sx);
  const int uncut = std::min(q.cols, std::max(0, reach - firstIndex));
  int c = 0;
  for (; c < uncut; ++c) BlurSampledPixel(b, q, q.x0 + q.sx * c, y);
  if (c == q.cols) return;
  std::uint32_t* p = b.fb + y * b.pitch + q.x0 + q.sx * c;
  const std::uint8_t* entry = RadialEntry(b.table, q.x0 + q.sx * c - b.cx, dy);
  for (; c < q.cols; ++c, p += q.sx, entry += RadialSampleBytes) {  // |dx| grows with the walk
    RadialSample o;
    std::memcpy(&o, entry, sizeof o);
    BlurSampleAt(b, p, q.sx, q.sy, o.x, RadialClamp(o.y, rowIndex), o.total);
  }
}

// Part 'part' of the blur: the cross one pixel at a time, an interior with
// the given one-pixel walk at the classic size, or row by row with the
// sampled pixels at any other size.
template <typename Interior>
void BlurPart(const BlurContext& b, const FrameSize& frame, RadialPart part, Interior interior) {
  const RadialWalk walk = RadialWalkFor(b.cx, b.cy, frame);
  const bool sampled = b.table.folded;
  const auto pixel = [&b, sampled](const RadialQuadrant& q, int x, int y) {
    if (sampled) {
      BlurSampledPixel(b, q, x, y);
    } else {
      BlurOnePixel(b, q, x, y);
    }
  };
  if (part == RadialPart::Cross) return ForEachCrossPixel(walk, pixel);
  const RadialQuadrant q = RadialInterior(walk.quadrant[RadialQuadrantIndex(part)]);
  if (!sampled) return interior(q);
  for (int r = 0; r < q.rows; ++r) BlurSampledRow(b, q, r);
}

}  // namespace vx::fx2d::radial_simd
