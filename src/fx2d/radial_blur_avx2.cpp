// AVX2 radial blur: the wavefront of radial_blur_sse2.cpp with eight rows
// instead of four, so that each dependent step does twice the work. The
// eight lanes are held channel-major in 16-bit lanes of two 256-bit
// registers: A = [blue of lanes 0..7 | green of lanes 0..7], B = [red | the
// fourth byte]. Passing a value from lane k - 1 to lane k, with lane 0 taking
// the row before the band, is one byte-align within each 128-bit half.
//
// Four steps at a time, rows 0..3 and rows 4..7 come in and go out through
// the four-row index rotation of the SSE2 version; the two halves are joined
// into (and split from) the eight-lane registers per step. Rows left over
// use the four-row band, then single pixels; the cross and the sampled blur
// of a larger frame go one pixel at a time as in SSE2. Called only where the
// processor has AVX2; each function carries the AVX2 target itself.
#if defined(__SSE2__)  // x86-64 baseline; elsewhere only the plain table exists
#include <immintrin.h>

#include <cstdint>

#include "fx2d/fx2d_internal.h"
#include "fx2d/radial_blur_simd.h"
#include "fx2d/radial_blur_stepped.h"

namespace vx::fx2d::avx2 {
namespace {

using namespace radial_simd;
using Wide = __m256i;

struct WideFactors {
  Wide k1, k0;
};

// As Blur16, sixteen lanes at once.
[[gnu::target("avx2")]] inline Wide BlurWide(Wide d, Wide v, Wide h, Wide p, Wide w0, Wide w1,
                                             Wide w2, Wide w3, const WideFactors& k) {
  const Wide sum =
      _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(d, w0), _mm256_mullo_epi16(v, w1)),
                       _mm256_add_epi16(_mm256_mullo_epi16(h, w2), _mm256_mullo_epi16(p, w3)));
  const Wide s = _mm256_srli_epi16(sum, 8);
  return _mm256_srli_epi16(
      _mm256_adds_epu16(_mm256_mullo_epi16(s, k.k1), _mm256_mullo_epi16(p, k.k0)), 8);
}

// Lane k takes lane k - 1 of v; lane 0 takes the top lane of the same half
// of 'in'.
[[gnu::target("avx2")]] inline Wide ShiftIn(Wide v, Wide in) {
  return _mm256_alignr_epi8(v, in, 14);
}

// One pixel from memory for lane 0: a = [c0 in every lane | c1 ...],
// b = [c2 | c3] (only the top lane of each half is used).
[[gnu::target("avx2")]] inline void LaneZeroWide(const std::uint32_t* p, Wide& a, Wide& b) {
  const Vec bytes = WidenLo8(Load1(p));                // 16-bit c0 c1 c2 c3
  const Vec pairs = _mm_unpacklo_epi16(bytes, bytes);  // 32-bit c0c0 c1c1 c2c2 c3c3
  a = _mm256_set_m128i(_mm_shuffle_epi32(pairs, 0x55), _mm_shuffle_epi32(pairs, 0x00));
  b = _mm256_set_m128i(_mm_shuffle_epi32(pairs, 0xFF), _mm_shuffle_epi32(pairs, 0xAA));
}

// Channel-major bytes of lanes 0..3 (x) and 4..7 (y) to the 16-bit
// eight-lane registers.
[[gnu::target("avx2")]] inline void JoinLanes(Vec x, Vec y, Wide& a, Wide& b) {
  a = _mm256_cvtepu8_epi16(_mm_unpacklo_epi32(x, y));  // c0 l0..7 | c1 l0..7
  b = _mm256_cvtepu8_epi16(_mm_unpackhi_epi32(x, y));  // c2 | c3
}

// The eight-lane outputs back to channel-major bytes of lanes 0..3 (x) and
// 4..7 (y). The pack leaves 32-bit units c0a c0b c2a c2b | c1a c1b c3a c3b
// (a: lanes 0..3, b: lanes 4..7).
[[gnu::target("avx2")]] inline void SplitLanes(Wide a, Wide b, Vec& x, Vec& y) {
  const Wide packed = _mm256_packus_epi16(a, b);
  const Wide order = _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 4, 2, 6, 1, 5, 3, 7));
  x = _mm256_castsi256_si128(order);
  y = _mm256_extracti128_si256(order, 1);
}

struct WideWave {
  Wide prevA, prevB;      // outputs of the last step
  Wide prev2A, prev2B;    // outputs of the step before
  Wide beforeA, beforeB;  // lane 0's D: the row before the band, one column back
};

// One step of the eight-lane wavefront; x and y are the channel-major pixel
// bytes of lanes 0..3 and 4..7, wx and wy their weights. Outputs replace x, y.
[[gnu::target("avx2")]] inline void BlurStepWide(const WideFactors& k, WideWave& w, Vec& x, Vec& y,
                                                 Vec wx, Vec wy, const std::uint32_t* above) {
  Wide aboveA, aboveB;  // lane 0's V
  LaneZeroWide(above, aboveA, aboveB);
  Wide pA, pB, wA, wB;
  JoinLanes(x, y, pA, pB);
  JoinLanes(wx, wy, wA, wB);  // wA = w0 | w1 of lanes 0..7, wB = w2 | w3
  const Wide w0 = _mm256_permute2x128_si256(wA, wA, 0x00);
  const Wide w1 = _mm256_permute2x128_si256(wA, wA, 0x11);
  const Wide w2 = _mm256_permute2x128_si256(wB, wB, 0x00);
  const Wide w3 = _mm256_permute2x128_si256(wB, wB, 0x11);
  const Wide outA = BlurWide(ShiftIn(w.prev2A, w.beforeA), ShiftIn(w.prevA, aboveA), w.prevA, pA,
                             w0, w1, w2, w3, k);
  const Wide outB = BlurWide(ShiftIn(w.prev2B, w.beforeB), ShiftIn(w.prevB, aboveB), w.prevB, pB,
                             w0, w1, w2, w3, k);
  // This step's outputs become the last ones, and its lane 0 V the next D.
  w = {.prevA = outA,
       .prevB = outB,
       .prev2A = w.prevA,
       .prev2B = w.prevB,
       .beforeA = aboveA,
       .beforeB = aboveB};
  SplitLanes(outA, outB, x, y);
}

// Four pixels of four rows, pixel-major, to channel-major bytes.
inline Vec GatherChannels(std::uint32_t* const* p, int offset) {
  return Transpose4x4Bytes(Gather4(p[0] + offset, p[1] + offset, p[2] + offset, p[3] + offset));
}

// The outputs of the two steps before the band's first, final in memory;
// lane 7 of the second is shifted out unused and read from a safe address.
template <int Sx>
[[gnu::target("avx2")]] WideWave StartWideWave(const BandLanes<8>& lanes) {
  std::uint32_t* const* pixel = lanes.pixel;
  WideWave w;
  JoinLanes(GatherChannels(pixel, -Sx), GatherChannels(pixel + 4, -Sx), w.prevA, w.prevB);
  std::uint32_t* const back2High[4] = {pixel[4] - Sx, pixel[5] - Sx, pixel[6] - Sx, pixel[6]};
  JoinLanes(GatherChannels(pixel, -2 * Sx), GatherChannels(back2High, -Sx), w.prev2A, w.prev2B);
  LaneZeroWide(lanes.above - Sx, w.beforeA, w.beforeB);
  return w;
}

// Four steps of the eight lanes, loaded and stored as the four-lane band
// does (GroupLow), each half of the lanes rotated on its own.
template <int Sx>
[[gnu::target("avx2")]] void FourStepsWide(const WideFactors& k, WideWave& w, BandLanes<8>& lanes) {
  constexpr int low = GroupLow<Sx>;
  Vec px[8], wt[8];
#pragma GCC unroll 8
  for (int lane = 0; lane < 8; ++lane) {
    px[lane] = Load4(lanes.pixel[lane] + low);
    wt[lane] = _mm_loadu_si128(reinterpret_cast<const Vec*>(lanes.entry[lane] + 4 * low));
  }
  RotateIndices(px[0], px[1], px[2], px[3]);
  RotateIndices(px[4], px[5], px[6], px[7]);
  RotateIndices(wt[0], wt[1], wt[2], wt[3]);
  RotateIndices(wt[4], wt[5], wt[6], wt[7]);
#pragma GCC unroll 8
  for (int j = 0; j < 4; ++j) {
    const int m = Sx > 0 ? j : 3 - j;  // memory position of step j
    BlurStepWide(k, w, px[m], px[4 + m], wt[m], wt[4 + m], lanes.above + Sx * j);
  }
#pragma GCC unroll 8
  for (int half = 0; half < 8; half += 4) {
    RotateIndices(px[half], px[half + 1], px[half + 2], px[half + 3]);
    RotateIndices(px[half], px[half + 1], px[half + 2], px[half + 3]);
  }
#pragma GCC unroll 8
  for (int lane = 0; lane < 8; ++lane) Store4(lanes.pixel[lane] + low, px[lane]);
  Advance<8, Sx>(lanes, 4);
}

// One step of the eight lanes, gathered and scattered.
template <int Sx>
[[gnu::target("avx2")]] void OneStepWide(const WideFactors& k, WideWave& w, BandLanes<8>& lanes) {
  std::uint32_t* const* pixel = lanes.pixel;
  const std::uint8_t* const* entry = lanes.entry;
  Vec x = GatherChannels(pixel, 0);
  Vec y = GatherChannels(pixel + 4, 0);
  const Vec wx = Transpose4x4Bytes(Gather4(entry[0], entry[1], entry[2], entry[3]));
  const Vec wy = Transpose4x4Bytes(Gather4(entry[4], entry[5], entry[6], entry[7]));
  BlurStepWide(k, w, x, y, wx, wy, lanes.above);
  Scatter4(Transpose4x4Bytes(x), pixel[0], pixel[1], pixel[2], pixel[3]);
  Scatter4(Transpose4x4Bytes(y), pixel[4], pixel[5], pixel[6], pixel[7]);
  Advance<8, Sx>(lanes, 1);
}

// Rows r .. r + 7 of quadrant q, q.cols >= 8; Sx is q.sx.
template <int Sx>
[[gnu::target("avx2")]] void BlurBandWide(const BlurContext& b, const WideFactors& k,
                                          const RadialQuadrant& q, int r) {
  RampIn<8>(b, q, r);
  BandLanes<8> lanes = StartLanes<8, Sx>(b, q, r);
  WideWave w = StartWideWave<Sx>(lanes);
  int t = 7;
  for (; t + 4 <= q.cols; t += 4) FourStepsWide<Sx>(k, w, lanes);
  for (; t < q.cols; ++t) OneStepWide<Sx>(k, w, lanes);
  RampOut<8>(b, q, r);
}

[[gnu::target("avx2")]] void BlurQuadrantWide(const BlurContext& b, const WideFactors& k,
                                              const RadialQuadrant& q) {
  int r = 0;
  if (q.cols >= 8) {
    for (; r + 8 <= q.rows; r += 8) {
      if (q.sx > 0) {
        BlurBandWide<+1>(b, k, q, r);
      } else {
        BlurBandWide<-1>(b, k, q, r);
      }
    }
  }
  BlurRowsFrom(b, q, r);
}

}  // namespace

[[gnu::target("avx2")]] void RadialBlur(std::int32_t cx, std::int32_t cy, std::uint8_t strength,
                                        std::uint8_t gain, const FrameSize& frame, RadialPart part,
                                        std::uint32_t* fb) {
  const BlurContext b = MakeContext(cx, cy, strength, gain, frame, fb);
  const std::uint32_t k1 = static_cast<std::uint8_t>(strength + gain);
  const std::uint32_t k0 = 255u - strength;
  const WideFactors k{_mm256_set1_epi16(static_cast<short>(k1)),
                      _mm256_set1_epi16(static_cast<short>(k0))};
  BlurPart(b, frame, part, [&b, &k](const RadialQuadrant& q) { BlurQuadrantWide(b, k, q); });
}

}  // namespace vx::fx2d::avx2

#endif  // defined(__SSE2__)
