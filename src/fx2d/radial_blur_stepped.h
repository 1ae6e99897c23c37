#pragma once
// The SSE2 radial blur at a frame larger than the classic one, where the
// neighbours lie a step of several pixels back (see RadialDistance in
// fx2d_internal.h), and the choice of part shared by the SSE2 and AVX2
// blurs. The one-pixel wavefront cannot carry such a step: a pixel's samples
// lie rows back, not in the lane before it. Instead a row goes four pixels
// at a time where they cannot read each other, else one pixel at a time.
// Private to the fx2d module.
#include <algorithm>
#include <cstdint>

#include "fx2d/fx2d_internal.h"
#include "fx2d/radial_blur_simd.h"
#include "fx2d/simd.h"

namespace vx::fx2d::radial_simd {

// (a (256 - f) + b f) >> 8 on 16-bit lanes, keep = 256 - f; at most
// 255 x 256, and a itself when f = 0.
inline Vec Between16(Vec a, Vec b, Vec keep, Vec f) {
  return HighByte16(Add16(Mul16(a, keep), Mul16(b, f)));
}

// One pixel (x, y) of quadrant q with the step of the table (see
// RadialDistance): the pixels of both rows at both columns are blended along
// the row four at a time ([H, D near row, D far row]), then [V, D] between
// the rows; the weighing sums [V w1 + H w2, D w0 + P w3] and folds the halves.
inline void BlurSteppedPixel(const BlurContext& b, const RadialQuadrant& q, int x, int y) {
  const int dx = x - b.cx;
  const int dy = y - b.cy;
  const std::uint32_t tx = RadialDistance(b.table.step, RadialIndex(dx, q.sx));
  const std::uint32_t ty = RadialDistance(b.table.step, RadialIndex(dy, q.sy));
  const std::uint32_t fx = tx & 0xFF;
  const std::uint32_t fy = ty & 0xFF;
  const std::ptrdiff_t col = -q.sx * std::ptrdiff_t(tx >> 8);
  const std::ptrdiff_t row = -q.sy * std::ptrdiff_t(ty >> 8) * b.pitch;
  const std::ptrdiff_t colFar = fx != 0 ? col - q.sx : col;
  const std::ptrdiff_t rowFar = fy != 0 ? row - q.sy * b.pitch : row;
  std::uint32_t* p = b.fb + y * b.pitch + x;

  const Vec nearX = Gather4(p + col, p + row + col, p + rowFar + col, p + col);
  const Vec farX = Gather4(p + colFar, p + row + colFar, p + rowFar + colFar, p + colFar);
  const Vec keepX = Splat16(256 - fx), weightX = Splat16(fx);
  const Vec alongLo = Between16(WidenLo8(nearX), WidenLo8(farX), keepX, weightX);  // H, Dn
  const Vec alongHi = Between16(WidenHi8(nearX), WidenHi8(farX), keepX, weightX);  // Df, -
  const Vec nearY = _mm_unpacklo_epi64(WidenLo8(Load1(p + row)), _mm_srli_si128(alongLo, 8));
  const Vec farY = _mm_unpacklo_epi64(WidenLo8(Load1(p + rowFar)), alongHi);
  const Vec across = Between16(nearY, farY, Splat16(256 - fy), Splat16(fy));  // V, D

  const Vec own = WidenLo8(Load1(p));
  const Vec hp = _mm_unpacklo_epi64(alongLo, own);                   // H, P
  const Vec e = WidenLo8(Load4Bytes(RadialEntry(b.table, dx, dy)));  // 16-bit w0 w1 w2 w3
  const Vec w10 = _mm_unpacklo_epi64(_mm_shufflelo_epi16(e, 0x55), _mm_shufflelo_epi16(e, 0x00));
  const Vec w23 = _mm_unpacklo_epi64(_mm_shufflelo_epi16(e, 0xAA), _mm_shufflelo_epi16(e, 0xFF));
  const Vec sum = Add16(Mul16(across, w10), Mul16(hp, w23));
  const Vec s = HighByte16(Add16(sum, _mm_srli_si128(sum, 8)));
  const Vec result = HighByte16(AddSat16(Mul16(s, b.k1), Mul16(own, b.k0)));
  Store1(p, Narrow16(result, result));
}

// The weights of four consecutive table entries (pixels 0..3) as 16-bit
// lanes of pixels 0, 1 (lo) and 2, 3 (hi), each weight in its pixel's four
// channel lanes.
struct GroupWeights {
  Vec lo[4], hi[4];
};
inline GroupWeights SpreadWeights(Vec entries) {
  const Vec t = Transpose4x4Bytes(entries);  // w0 of pixels 0..3, w1 .., w2 .., w3 ..
  const Vec w01 = _mm_unpacklo_epi8(t, t);   // each byte twice
  const Vec w23 = _mm_unpackhi_epi8(t, t);
  const Vec four[4] = {_mm_unpacklo_epi16(w01, w01), _mm_unpackhi_epi16(w01, w01),
                       _mm_unpacklo_epi16(w23, w23), _mm_unpackhi_epi16(w23, w23)};
  GroupWeights g;
  for (int k = 0; k < 4; ++k) {
    g.lo[k] = WidenLo8(four[k]);
    g.hi[k] = WidenHi8(four[k]);
  }
  return g;
}

// The blur of one half (two pixels) of a group on 16-bit lanes.
inline Vec BlurSteppedHalf(Vec hNear, Vec hFar, Vec vNear, Vec vFar, Vec dNN, Vec dNF, Vec dFN,
                           Vec dFF, Vec p, const Vec* w, Vec keepX, Vec fx, Vec keepY, Vec fy,
                           const BlurContext& b) {
  const Vec h = Between16(hNear, hFar, keepX, fx);
  const Vec v = Between16(vNear, vFar, keepY, fy);
  const Vec d =
      Between16(Between16(dNN, dNF, keepX, fx), Between16(dFN, dFF, keepX, fx), keepY, fy);
  const Vec s = HighByte16(
      Add16(Add16(Mul16(d, w[0]), Mul16(v, w[1])), Add16(Mul16(h, w[2]), Mul16(p, w[3]))));
  return HighByte16(AddSat16(Mul16(s, b.k1), Mul16(p, b.k0)));
}

// Row r of the interior q of a quadrant with a step of four pixels or more:
// where a pixel's distance along the row is the whole step, four consecutive
// pixels read only pixels at least four back, so they go as one group of
// four (in memory order: for sx = -1 the walk runs down the addresses and
// the table, which runs with the walk, is read backward); the pixels before
// and after, one at a time.
inline void BlurSteppedRow(const BlurContext& b, const RadialQuadrant& q, int r) {
  const int y = q.y0 + q.sy * r;
  const int dy = y - b.cy;
  const std::uint32_t step = b.table.step;
  const std::uint32_t ty = RadialDistance(b.table.step, RadialIndex(dy, q.sy));
  // The first column of the walk whose distance along the row is the step.
  const int fullFrom = std::max(0, int((step + 255) / 256) - RadialIndex(q.x0 - b.cx, q.sx));
  int c = 0;
  for (; c < std::min(fullFrom, q.cols); ++c) BlurSteppedPixel(b, q, q.x0 + q.sx * c, y);
  if (step >= 4 * 256) {
    const std::uint32_t fx = step & 0xFF, fy = ty & 0xFF;
    const std::ptrdiff_t col = -q.sx * std::ptrdiff_t(step >> 8);
    const std::ptrdiff_t row = -q.sy * std::ptrdiff_t(ty >> 8) * b.pitch;
    const std::ptrdiff_t colFar = fx != 0 ? col - q.sx : col;
    const std::ptrdiff_t rowFar = fy != 0 ? row - q.sy * b.pitch : row;
    const Vec keepX = Splat16(256 - fx), weightX = Splat16(fx);
    const Vec keepY = Splat16(256 - fy), weightY = Splat16(fy);
    for (; c + 4 <= q.cols; c += 4) {
      const int x = q.x0 + q.sx * c;
      std::uint32_t* low = b.fb + y * b.pitch + (q.sx > 0 ? x : x - 3);
      Vec entries =
          _mm_loadu_si128(reinterpret_cast<const Vec*>(RadialEntry(b.table, x - b.cx, dy)));
      if (q.sx < 0) entries = _mm_shuffle_epi32(entries, 0x1B);  // into memory order
      const GroupWeights w = SpreadWeights(entries);
      const Vec at[9] = {
          Load4(low + col),          Load4(low + colFar),          Load4(low + row),
          Load4(low + rowFar),       Load4(low + row + col),       Load4(low + row + colFar),
          Load4(low + rowFar + col), Load4(low + rowFar + colFar), Load4(low)};
      Vec lo[9], hi[9];
      for (int k = 0; k < 9; ++k) {
        lo[k] = WidenLo8(at[k]);
        hi[k] = WidenHi8(at[k]);
      }
      const Vec outLo = BlurSteppedHalf(lo[0], lo[1], lo[2], lo[3], lo[4], lo[5], lo[6], lo[7],
                                        lo[8], w.lo, keepX, weightX, keepY, weightY, b);
      const Vec outHi = BlurSteppedHalf(hi[0], hi[1], hi[2], hi[3], hi[4], hi[5], hi[6], hi[7],
                                        hi[8], w.hi, keepX, weightX, keepY, weightY, b);
      Store4(low, Narrow16(outLo, outHi));
    }
  }
  for (; c < q.cols; ++c) BlurSteppedPixel(b, q, q.x0 + q.sx * c, y);
}

// Part 'part' of the blur: the cross one pixel at a time, an interior with
// the given one-pixel walk, or any part of a longer step one pixel at a
// time. The wavefront needs the one-pixel step: with a longer one a pixel's
// samples lie rows back, not in the lane before it.
template <typename Interior>
void BlurPart(const BlurContext& b, const FrameSize& frame, RadialPart part, Interior interior) {
  const RadialWalk walk = RadialWalkFor(b.cx, b.cy, frame);
  const bool stepped = b.table.step != OnePixelStep;
  const auto pixel = [&b, stepped](const RadialQuadrant& q, int x, int y) {
    if (stepped) {
      BlurSteppedPixel(b, q, x, y);
    } else {
      BlurOnePixel(b, q, x, y);
    }
  };
  if (part == RadialPart::Cross) return ForEachCrossPixel(walk, pixel);
  const RadialQuadrant q = RadialInterior(walk.quadrant[RadialQuadrantIndex(part)]);
  if (!stepped) return interior(q);
  for (int r = 0; r < q.rows; ++r) BlurSteppedRow(b, q, r);
}

}  // namespace vx::fx2d::radial_simd
