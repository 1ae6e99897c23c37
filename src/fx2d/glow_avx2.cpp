// AVX2 vertical glow passes: the scheme of glow_sse2.cpp, eight pixels a
// step. The horizontal passes stay SSE2: carrying sixteen rows through an
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
  Wide n;  // neighbour weight, spread + gain
  Wide m;  // own weight, 256 - spread
};
[[gnu::target("avx2")]] inline WideFactors MakeFactors(std::uint16_t spread, std::uint16_t gain) {
  return {_mm256_set1_epi16(static_cast<short>(std::uint32_t{spread} + gain)),
          _mm256_set1_epi16(static_cast<short>(256u - spread))};
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

template <int Step>
[[gnu::target("avx2")]] void GlowVertical(std::uint16_t spread, std::uint16_t gain,
                                          std::uint32_t width, std::uint32_t height,
                                          std::uint32_t* buffer) {
  if (height < 2) return;  // no row has a neighbour
  const WideFactors f = MakeFactors(spread, gain);
  for (std::uint32_t i = 1; i < height; ++i) {
    const std::uint32_t y = Step > 0 ? i : height - 1 - i;
    std::uint32_t* row = buffer + std::size_t{y} * width;
    const std::uint32_t* from = Step > 0 ? row - width : row + width;
    std::uint32_t x = 0;
    for (; x + 8 <= width; x += 8)
      StoreWide(row + x, GlowWide(LoadWide(from + x), LoadWide(row + x), f));
    // The last pixels of the row, one at a time in the low lane.
    for (; x < width; ++x) {
      const Wide one = GlowWide(_mm256_castsi128_si256(Load1(from + x)),
                                _mm256_castsi128_si256(Load1(row + x)), f);
      Store1(row + x, _mm256_castsi256_si128(one));
    }
  }
}

}  // namespace

[[gnu::target("avx2")]] void GlowUp(std::uint16_t spread, std::uint16_t gain, std::uint32_t width,
                                    std::uint32_t height, std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(spread, gain)) return plain::GlowUp(spread, gain, width, height, buffer);
  GlowVertical<-1>(spread, gain, width, height, buffer);
}

[[gnu::target("avx2")]] void GlowDown(std::uint16_t spread, std::uint16_t gain, std::uint32_t width,
                                      std::uint32_t height, std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(spread, gain))
    return plain::GlowDown(spread, gain, width, height, buffer);
  GlowVertical<+1>(spread, gain, width, height, buffer);
}

}  // namespace vx::fx2d::avx2

#endif  // defined(__SSE2__)
