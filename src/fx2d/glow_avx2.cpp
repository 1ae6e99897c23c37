// AVX2 vertical glow passes: the scheme of glow_sse2.cpp, eight pixels a
// step, for every step length. The horizontal passes stay SSE2: carrying sixteen rows through an
// 8 x 8 transpose measured no faster than eight rows through 4 x 4. Called
// only where the processor has AVX2; each function carries the AVX2 target.
#if defined(__SSE2__)  // x86-64 baseline; elsewhere only the plain table exists
#include <immintrin.h>

#include <cstdint>

#include "fx2d/fx2d_internal.h"
#include "fx2d/simd.h"

namespace vx::fx2d::avx2 {
namespace {

using namespace simd;
using Wide = __m256i;

struct WideFactors {
  Wide n;      // neighbour weight, spread + gain
  Wide m;      // own weight, 256 - spread
  Wide keep;   // 256 - fraction of the step: weight of the nearer neighbour
  Wide reach;  // fraction: weight of the farther one
  GlowReach step;
};
[[gnu::target("avx2")]] inline WideFactors MakeFactors(const GlowParameters& glow) {
  const GlowReach step = GlowReachOf(glow.step);
  return {_mm256_set1_epi16(static_cast<short>(std::uint32_t{glow.spread} + glow.gain)),
          _mm256_set1_epi16(static_cast<short>(256u - glow.spread)),
          _mm256_set1_epi16(static_cast<short>(256u - step.fraction)),
          _mm256_set1_epi16(static_cast<short>(step.fraction)), step};
}

[[gnu::target("avx2")]] inline Wide LoadWide(const std::uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const Wide*>(p));
}
[[gnu::target("avx2")]] inline void StoreWide(std::uint32_t* p, Wide v) {
  _mm256_storeu_si256(reinterpret_cast<Wide*>(p), v);
}
[[gnu::target("avx2")]] inline Wide WidenLoWide(Wide v) {
  return _mm256_unpacklo_epi8(v, _mm256_setzero_si256());
}
[[gnu::target("avx2")]] inline Wide WidenHiWide(Wide v) {
  return _mm256_unpackhi_epi8(v, _mm256_setzero_si256());
}

// One glow step on 16-bit lanes: saturate(N n + P m at 65535) >> 8.
[[gnu::target("avx2")]] inline Wide Glow16Wide(Wide neighbour, Wide pixel, const WideFactors& f) {
  return _mm256_srli_epi16(
      _mm256_adds_epu16(_mm256_mullo_epi16(neighbour, f.n), _mm256_mullo_epi16(pixel, f.m)), 8);
}
[[gnu::target("avx2")]] inline Wide GlowWide(Wide neighbour, Wide pixel, const WideFactors& f) {
  return _mm256_packus_epi16(Glow16Wide(WidenLoWide(neighbour), WidenLoWide(pixel), f),
                             Glow16Wide(WidenHiWide(neighbour), WidenHiWide(pixel), f));
}

// Columns first .. end - 1 of each row.
// (near (256 - f) + far f) >> 8 on 16-bit lanes, as the SSE2 Between16.
[[gnu::target("avx2")]] inline Wide Between16Wide(Wide near, Wide far, const WideFactors& f) {
  return _mm256_srli_epi16(
      _mm256_add_epi16(_mm256_mullo_epi16(near, f.keep), _mm256_mullo_epi16(far, f.reach)), 8);
}
[[gnu::target("avx2")]] inline Wide GlowBetweenWide(Wide near, Wide far, Wide pixel,
                                                    const WideFactors& f) {
  return _mm256_packus_epi16(
      Glow16Wide(Between16Wide(WidenLoWide(near), WidenLoWide(far), f), WidenLoWide(pixel), f),
      Glow16Wide(Between16Wide(WidenHiWide(near), WidenHiWide(far), f), WidenHiWide(pixel), f));
}
// Eight pixels, or one in the low lane.
template <bool Eight>
[[gnu::target("avx2")]] inline Wide LoadSome(const std::uint32_t* p) {
  if constexpr (Eight) {
    return LoadWide(p);
  } else {
    return _mm256_castsi128_si256(Load1(p));
  }
}

// Eight pixels at p, or one in the low lane, from their neighbours at near
// and, for a step between pixels, near + toFar.
template <bool Eight>
[[gnu::target("avx2")]] inline void GlowAtWide(std::uint32_t* p, const std::uint32_t* near,
                                               std::ptrdiff_t toFar, const WideFactors& f) {
  const Wide result = f.step.fraction == 0
                          ? GlowWide(LoadSome<Eight>(near), LoadSome<Eight>(p), f)
                          : GlowBetweenWide(LoadSome<Eight>(near), LoadSome<Eight>(near + toFar),
                                            LoadSome<Eight>(p), f);
  if constexpr (Eight) {
    StoreWide(p, result);
  } else {
    Store1(p, _mm256_castsi256_si128(result));
  }
}

template <int Step>
[[gnu::target("avx2")]] void GlowVertical(const GlowParameters& glow, const FrameSize& frame,
                                          std::int32_t first, std::int32_t end,
                                          std::uint32_t* buffer) {
  const WideFactors f = MakeFactors(glow);
  const std::ptrdiff_t pitch = frame.pitch;
  const std::ptrdiff_t toFar = -Step * pitch;
  for (std::int32_t i = f.step.start; i < frame.height; ++i) {
    const std::int32_t y = Step > 0 ? i : frame.height - 1 - i;
    std::uint32_t* row = buffer + y * pitch;
    const std::uint32_t* near = row - Step * f.step.whole * pitch;
    std::int32_t x = first;
    for (; x + 8 <= end; x += 8) GlowAtWide<true>(row + x, near + x, toFar, f);
    for (; x < end; ++x) GlowAtWide<false>(row + x, near + x, toFar, f);
  }
}

}  // namespace

[[gnu::target("avx2")]] void GlowUp(const GlowParameters& glow, const FrameSize& frame,
                                    std::int32_t first, std::int32_t end, std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(glow.spread, glow.gain))
    return plain::GlowUp(glow, frame, first, end, buffer);
  GlowVertical<-1>(glow, frame, first, end, buffer);
}

[[gnu::target("avx2")]] void GlowDown(const GlowParameters& glow, const FrameSize& frame,
                                      std::int32_t first, std::int32_t end, std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(glow.spread, glow.gain))
    return plain::GlowDown(glow, frame, first, end, buffer);
  GlowVertical<+1>(glow, frame, first, end, buffer);
}

}  // namespace vx::fx2d::avx2

#endif  // defined(__SSE2__)
