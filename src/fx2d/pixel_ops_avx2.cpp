// AVX2 versions of the add and darken, eight pixels a step.
// Same arithmetic as pixel_ops_sse2.cpp; the unpack and pack instructions
// work within each 128-bit half, so unpacking low and high and packing them
// back keeps pixels in place. Called only after Supported() said yes; the
// file is compiled for the baseline, each function carries the AVX2 target.
#if defined(__SSE2__)  // x86-64 baseline; elsewhere only the plain table exists
#include <immintrin.h>

#include <cstdint>

#include "fx2d/fx2d_internal.h"

namespace vx::fx2d::avx2 {
namespace {

using Wide = __m256i;

[[gnu::target("avx2")]] inline Wide LoadWide(const std::uint32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const Wide*>(p));
}
[[gnu::target("avx2")]] inline void StoreWide(std::uint32_t* p, Wide v) {
  _mm256_storeu_si256(reinterpret_cast<Wide*>(p), v);
}

// dst = (src x f) >> 8 per byte, as simd::MulHi8x16 on bytes raised to the
// high half of 16-bit lanes.
[[gnu::target("avx2")]] inline Wide DarkenWide(Wide src, Wide factor) {
  const Wide zero = _mm256_setzero_si256();
  return _mm256_packus_epi16(_mm256_mulhi_epu16(_mm256_unpacklo_epi8(zero, src), factor),
                             _mm256_mulhi_epu16(_mm256_unpackhi_epi8(zero, src), factor));
}

}  // namespace

bool Supported() {
  return __builtin_cpu_supports("avx2");
}

[[gnu::target("avx2")]] void AddScreen(const std::uint32_t* src, std::uint32_t* dst,
                                       std::uint32_t count) {
  std::uint32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    StoreWide(dst + i, _mm256_adds_epu8(LoadWide(dst + i), LoadWide(src + i)));
    StoreWide(dst + i + 8, _mm256_adds_epu8(LoadWide(dst + i + 8), LoadWide(src + i + 8)));
  }
  // The last few pixels through the SSE2 version of the same arithmetic.
  if (i < count) sse2::AddScreen(src + i, dst + i, count - i);
}

[[gnu::target("avx2")]] void DarkenScreen(const std::uint32_t* src, std::uint32_t* dst,
                                          std::uint32_t count, std::uint8_t k) {
  const Wide factor = _mm256_set1_epi16(static_cast<short>(255u - k));
  std::uint32_t i = 0;
  for (; i + 8 <= count; i += 8) StoreWide(dst + i, DarkenWide(LoadWide(src + i), factor));
  // The last few pixels through the SSE2 version of the same arithmetic.
  if (i < count) sse2::DarkenScreen(src + i, dst + i, count - i, k);
}

}  // namespace vx::fx2d::avx2

#endif  // defined(__SSE2__)
