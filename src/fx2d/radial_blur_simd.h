#pragma once
// Pieces shared by the SSE2 and AVX2 radial blur: the per-call context, the
// one-pixel step, and the four-row wavefront band (see radial_blur_sse2.cpp
// for the scheme). Private to the fx2d module.
#include <cstdint>

#include "fx2d/fx2d_internal.h"
#include "fx2d/simd.h"

namespace vx::fx2d::radial_simd {

using namespace simd;

struct BlurContext {
  std::uint32_t* fb;
  std::ptrdiff_t pitch;
  RadialTableView table;
  int cx, cy;
  Vec k1;  // strength + gain
  Vec k0;  // 255 - strength
};

inline BlurContext MakeContext(std::int32_t cx, std::int32_t cy, std::uint8_t strength,
                               std::uint8_t gain, const FrameSize& frame, std::uint32_t* fb) {
  return {.fb = fb,
          .pitch = frame.pitch,
          .table = RadialTableFor(cx, cy, strength, gain, frame),
          .cx = cx,
          .cy = cy,
          .k1 = Splat16(static_cast<std::uint8_t>(strength + gain)),
          .k0 = Splat16(255u - strength)};
}

// S = (w0 D + w1 V + w2 H + w3 P) >> 8 (the sum of four weights is at most
// 256, so it fits 16 bits), then R = saturate(S k1 + P k0 at 65535) >> 8.
inline Vec Blur16(Vec d, Vec v, Vec h, Vec p, Vec w0, Vec w1, Vec w2, Vec w3, Vec k1, Vec k0) {
  const Vec s =
      HighByte16(Add16(Add16(Mul16(d, w0), Mul16(v, w1)), Add16(Mul16(h, w2), Mul16(p, w3))));
  return HighByte16(AddSat16(Mul16(s, k1), Mul16(p, k0)));
}

// One pixel (x, y) of quadrant q with the one-pixel step, all inputs from
// memory.
inline void BlurOnePixel(const BlurContext& b, const RadialQuadrant& q, int x, int y) {
  std::uint32_t* p = b.fb + y * b.pitch + x;
  const std::uint32_t* above = p - q.sy * b.pitch;  // the row before in the walk
  const Vec weights =                               // 16-bit w0 w1 w2 w3
      WidenLo8(Load4Bytes(RadialEntry(b.table, x - b.cx, y - b.cy)));
  const Vec w0 = _mm_shufflelo_epi16(weights, 0x00);
  const Vec w1 = _mm_shufflelo_epi16(weights, 0x55);
  const Vec w2 = _mm_shufflelo_epi16(weights, 0xAA);
  const Vec w3 = _mm_shufflelo_epi16(weights, 0xFF);
  const Vec result =
      Blur16(WidenLo8(Load1(above - q.sx)), WidenLo8(Load1(above)), WidenLo8(Load1(p - q.sx)),
             WidenLo8(Load1(p)), w0, w1, w2, w3, b.k1, b.k0);
  Store1(p, Narrow16(result, result));
}

// Columns c0 .. c0 + count - 1 (walk order) of quadrant row r.
inline void BlurRowPart(const BlurContext& b, const RadialQuadrant& q, int r, int c0, int count) {
  const int y = q.y0 + q.sy * r;
  for (int c = c0; c < c0 + count; ++c) BlurOnePixel(b, q, q.x0 + q.sx * c, y);
}

// One pixel from memory into channel-major lane 0: A = [c0 0 0 0 c1 0 0 0],
// B = [c2 0 0 0 c3 0 0 0].
inline void LaneZero(const std::uint32_t* p, Vec& a, Vec& b) {
  const Vec words = _mm_unpacklo_epi16(WidenLo8(Load1(p)), Zero());  // 32-bit c0 c1 c2 c3
  a = _mm_unpacklo_epi32(words, Zero());
  b = _mm_unpackhi_epi32(words, Zero());
}

// Lane k takes lane k - 1; lane 0 takes the given value.
inline Vec ShiftLanes(Vec v, Vec laneZero) {
  return _mm_or_si128(_mm_slli_epi64(v, 16), laneZero);
}

// Register i, byte 4j + l (i, j, l each 0..3) goes to register j, byte
// 4l + i. Given four rows (i) of four pixels (j) of four channels (l), it
// gives for each pixel position j the channel-major register of one step.
// Three applications are the identity, so two more turn four steps' outputs
// back into rows.
inline void RotateIndices(Vec& v0, Vec& v1, Vec& v2, Vec& v3) {
  const Vec a = _mm_unpacklo_epi8(v0, v1);
  const Vec b = _mm_unpackhi_epi8(v0, v1);
  const Vec c = _mm_unpacklo_epi8(v2, v3);
  const Vec d = _mm_unpackhi_epi8(v2, v3);
  v0 = _mm_unpacklo_epi16(a, c);
  v1 = _mm_unpackhi_epi16(a, c);
  v2 = _mm_unpacklo_epi16(b, d);
  v3 = _mm_unpackhi_epi16(b, d);
}

// The wavefront's registers between steps.
struct Wave {
  Vec prevA, prevB;      // outputs of the last step (H, and V one lane on)
  Vec prev2A, prev2B;    // outputs of the step before (D one lane on)
  Vec beforeA, beforeB;  // lane 0's D: the row before the band, one column back
};

// One step of the wavefront: pixels and weights given channel-major (bytes
// 4c + k), the row before the band at this step's column at 'above'.
// Returns the outputs channel-major.
inline Vec BlurStep(const BlurContext& b, Wave& w, Vec pixels, Vec weights,
                    const std::uint32_t* above) {
  Vec aboveA, aboveB;  // lane 0's V
  LaneZero(above, aboveA, aboveB);
  const Vec pA = WidenLo8(pixels);
  const Vec pB = WidenHi8(pixels);
  const Vec wA = WidenLo8(weights);  // w0 of lanes 0..3, w1 of lanes 0..3
  const Vec wB = WidenHi8(weights);  // w2, w3
  const Vec w0 = _mm_unpacklo_epi64(wA, wA);
  const Vec w1 = _mm_unpackhi_epi64(wA, wA);
  const Vec w2 = _mm_unpacklo_epi64(wB, wB);
  const Vec w3 = _mm_unpackhi_epi64(wB, wB);
  const Vec outA = Blur16(ShiftLanes(w.prev2A, w.beforeA), ShiftLanes(w.prevA, aboveA), w.prevA, pA,
                          w0, w1, w2, w3, b.k1, b.k0);
  const Vec outB = Blur16(ShiftLanes(w.prev2B, w.beforeB), ShiftLanes(w.prevB, aboveB), w.prevB, pB,
                          w0, w1, w2, w3, b.k1, b.k0);
  // This step's outputs become the last ones, and its lane 0 V the next D.
  w = {.prevA = outA,
       .prevB = outB,
       .prev2A = w.prevA,
       .prev2B = w.prevB,
       .beforeA = aboveA,
       .beforeB = aboveB};
  return Narrow16(outA, outB);
}

// ---- the wavefront band, for Lanes rows at once (4 here, 8 in AVX2) ----
// Lane k of step t works on pixel(row r + k, column t - k): the band starts
// at step Lanes - 1, where every lane has a pixel, after a ramp-in of the
// triangle before it, and ends with the ramp-out of the triangle after the
// last step.

// Ramp-in: row r + i, columns 0 .. Lanes - 2 - i.
template <int Lanes>
void RampIn(const BlurContext& b, const RadialQuadrant& q, int r) {
  for (int i = 0; i < Lanes - 1; ++i) BlurRowPart(b, q, r + i, 0, Lanes - 1 - i);
}

// Ramp-out: row r + i, its last i columns.
template <int Lanes>
void RampOut(const BlurContext& b, const RadialQuadrant& q, int r) {
  for (int i = 1; i < Lanes; ++i) BlurRowPart(b, q, r + i, q.cols - i, i);
}

// Where each lane is: its pixel and radial table entry at the current step,
// and the row before the band at the column of lane 0.
template <int Lanes>
struct BandLanes {
  std::uint32_t* pixel[Lanes];
  const std::uint8_t* entry[Lanes];
  const std::uint32_t* above;
};

// The lanes at the band's first step; Sx is q.sx.
template <int Lanes, int Sx>
BandLanes<Lanes> StartLanes(const BlurContext& b, const RadialQuadrant& q, int r) {
  BandLanes<Lanes> lanes;
  for (int k = 0; k < Lanes; ++k) {
    const int y = q.y0 + q.sy * (r + k);
    const int x = q.x0 + Sx * (Lanes - 1 - k);
    lanes.pixel[k] = b.fb + y * b.pitch + x;
    lanes.entry[k] = RadialEntry(b.table, x - b.cx, y - b.cy);
  }
  lanes.above = lanes.pixel[0] - q.sy * b.pitch;
  return lanes;
}

// Every lane on by steps columns.
template <int Lanes, int Sx>
void Advance(BandLanes<Lanes>& lanes, int steps) {
#pragma GCC unroll 8
  for (int k = 0; k < Lanes; ++k) {
    lanes.pixel[k] += steps * Sx;
    lanes.entry[k] += 4 * steps * Sx;
  }
  lanes.above += steps * Sx;
}

// Four steps at a time: each lane's next four pixels and weights are
// consecutive in memory (ascending for Sx = +1, descending for -1), so they
// come in as one load per lane and are turned into four steps'
// channel-major registers together; the outputs go back the same way.
// Memory position m of a group is step m (Sx = +1) or step 3 - m; GroupLow
// is the offset of a group's lowest address.
template <int Sx>
inline constexpr int GroupLow = Sx > 0 ? 0 : -3;

// The outputs of the two steps before the band's first, already final in
// memory: pixels one and two columns back of each lane. Lane 3 of the
// second is shifted out unused; it is filled from a safe address, since two
// columns back of lane 3 may lie outside the image.
template <int Sx>
[[gnu::always_inline]] inline Wave StartWave(const BandLanes<4>& lanes) {
  std::uint32_t* const* pixel = lanes.pixel;
  const Vec back1 = Gather4(pixel[0] - Sx, pixel[1] - Sx, pixel[2] - Sx, pixel[3] - Sx);
  const Vec back2 = Gather4(pixel[0] - 2 * Sx, pixel[1] - 2 * Sx, pixel[2] - 2 * Sx, pixel[2] - Sx);
  Wave w;
  w.prevA = WidenLo8(Transpose4x4Bytes(back1));
  w.prevB = WidenHi8(Transpose4x4Bytes(back1));
  w.prev2A = WidenLo8(Transpose4x4Bytes(back2));
  w.prev2B = WidenHi8(Transpose4x4Bytes(back2));
  LaneZero(lanes.above - Sx, w.beforeA, w.beforeB);
  return w;
}

// Four steps of the four lanes (see GroupLow). The per-lane loops are
// unrolled (#pragma) and the steps inlined into the band so that the
// register arrays and the wave stay in registers instead of going through
// the stack (not inlined, the band was 13 % slower).
template <int Sx>
[[gnu::always_inline]] inline void FourSteps(const BlurContext& b, Wave& w, BandLanes<4>& lanes) {
  constexpr int low = GroupLow<Sx>;
  Vec px[4], wt[4];
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k) {
    px[k] = Load4(lanes.pixel[k] + low);
    wt[k] = _mm_loadu_si128(reinterpret_cast<const Vec*>(lanes.entry[k] + 4 * low));
  }
  RotateIndices(px[0], px[1], px[2], px[3]);
  RotateIndices(wt[0], wt[1], wt[2], wt[3]);
  Vec out[4];
#pragma GCC unroll 4
  for (int j = 0; j < 4; ++j) {
    const int m = Sx > 0 ? j : 3 - j;
    out[m] = BlurStep(b, w, px[m], wt[m], lanes.above + Sx * j);
  }
  RotateIndices(out[0], out[1], out[2], out[3]);
  RotateIndices(out[0], out[1], out[2], out[3]);
#pragma GCC unroll 4
  for (int k = 0; k < 4; ++k) Store4(lanes.pixel[k] + low, out[k]);
  Advance<4, Sx>(lanes, 4);
}

// One step of the four lanes, gathered and scattered.
template <int Sx>
[[gnu::always_inline]] inline void OneStep(const BlurContext& b, Wave& w, BandLanes<4>& lanes) {
  std::uint32_t* const* pixel = lanes.pixel;
  const std::uint8_t* const* entry = lanes.entry;
  const Vec out =
      BlurStep(b, w, Transpose4x4Bytes(Gather4(pixel[0], pixel[1], pixel[2], pixel[3])),
               Transpose4x4Bytes(Gather4(entry[0], entry[1], entry[2], entry[3])), lanes.above);
  Scatter4(Transpose4x4Bytes(out), pixel[0], pixel[1], pixel[2], pixel[3]);
  Advance<4, Sx>(lanes, 1);
}

// Rows r .. r + 3 of quadrant q, q.cols >= 4; Sx is q.sx.
template <int Sx>
void BlurBand(const BlurContext& b, const RadialQuadrant& q, int r) {
  RampIn<4>(b, q, r);
  BandLanes<4> lanes = StartLanes<4, Sx>(b, q, r);
  Wave w = StartWave<Sx>(lanes);
  int t = 3;
  for (; t + 4 <= q.cols; t += 4) FourSteps<Sx>(b, w, lanes);
  for (; t < q.cols; ++t) OneStep<Sx>(b, w, lanes);
  RampOut<4>(b, q, r);
}

// Rows r .. q.rows - 1 of quadrant q with the one-pixel step: bands of four
// rows while they fit, then single rows.
inline void BlurRowsFrom(const BlurContext& b, const RadialQuadrant& q, int r) {
  if (q.cols >= 4) {
    for (; r + 4 <= q.rows; r += 4) {
      if (q.sx > 0) {
        BlurBand<+1>(b, q, r);
      } else {
        BlurBand<-1>(b, q, r);
      }
    }
  }
  for (; r < q.rows; ++r) BlurRowPart(b, q, r, 0, q.cols);
}

}  // namespace vx::fx2d::radial_simd
