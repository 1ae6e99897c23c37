#pragma once
// Small SSE2 helpers of the optimised fx2d routines, each named for its exact
// arithmetic. A pixel is four bytes; "16-bit lanes" hold one byte each,
// zero-extended, so that products and sums of bytes can be formed exactly.
#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace vx::fx2d::simd {

using Vec = __m128i;

inline Vec Zero() {
  return _mm_setzero_si128();
}
inline Vec Splat16(std::uint32_t value) {
  return _mm_set1_epi16(static_cast<short>(value));
}
inline Vec Splat32(std::uint32_t value) {
  return _mm_set1_epi32(static_cast<int>(value));
}

// Four pixels, unaligned.
inline Vec Load4(const std::uint32_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const Vec*>(p));
}
inline void Store4(std::uint32_t* p, Vec v) {
  _mm_storeu_si128(reinterpret_cast<Vec*>(p), v);
}
// One pixel in the low 32 bits, the rest zero.
inline Vec Load1(const std::uint32_t* p) {
  return _mm_cvtsi32_si128(static_cast<int>(*p));
}
inline void Store1(std::uint32_t* p, Vec v) {
  *p = static_cast<std::uint32_t>(_mm_cvtsi128_si32(v));
}
// Four bytes (for example a table entry) in the low 32 bits, the rest zero.
inline Vec Load4Bytes(const std::uint8_t* p) {
  std::uint32_t word;
  std::memcpy(&word, p, sizeof word);
  return _mm_cvtsi32_si128(static_cast<int>(word));
}

// Bytes 0..7 (Lo) or 8..15 (Hi) zero-extended to 16-bit lanes.
inline Vec WidenLo8(Vec v) {
  return _mm_unpacklo_epi8(v, _mm_setzero_si128());
}
inline Vec WidenHi8(Vec v) {
  return _mm_unpackhi_epi8(v, _mm_setzero_si128());
}
// Bytes 0..7 (Lo) or 8..15 (Hi) into the high byte of 16-bit lanes: byte x 256.
inline Vec RaiseLo8(Vec v) {
  return _mm_unpacklo_epi8(_mm_setzero_si128(), v);
}
inline Vec RaiseHi8(Vec v) {
  return _mm_unpackhi_epi8(_mm_setzero_si128(), v);
}
// 16-bit lanes (each 0..255) back to bytes: lo gives bytes 0..7, hi 8..15.
inline Vec Narrow16(Vec lo, Vec hi) {
  return _mm_packus_epi16(lo, hi);
}

// x = saturate(a + b) per unsigned byte (at 255).
inline Vec AddSat8(Vec a, Vec b) {
  return _mm_adds_epu8(a, b);
}
// x = saturate(a - b) per unsigned byte (at 0).
inline Vec SubSat8(Vec a, Vec b) {
  return _mm_subs_epu8(a, b);
}
// x = a + b per byte, wrapping (callers guarantee no overflow).
inline Vec Add8(Vec a, Vec b) {
  return _mm_add_epi8(a, b);
}
// x = saturate(a + b) per unsigned 16-bit lane (at 65535).
inline Vec AddSat16(Vec a, Vec b) {
  return _mm_adds_epu16(a, b);
}
// x = a + b per 16-bit lane, wrapping (callers guarantee no overflow).
inline Vec Add16(Vec a, Vec b) {
  return _mm_add_epi16(a, b);
}
// x = low 16 bits of a x b per lane; exact when the product fits.
inline Vec Mul16(Vec a, Vec b) {
  return _mm_mullo_epi16(a, b);
}
// x = (a x b) >> 16 per unsigned 16-bit lane; with a = byte x 256 this is
// (byte x b) >> 8, the high byte of an 8 x 16-bit product.
inline Vec MulHi8x16(Vec a, Vec b) {
  return _mm_mulhi_epu16(a, b);
}
// x = a >> 8 per 16-bit lane: the high byte of a 16-bit sum.
inline Vec HighByte16(Vec a) {
  return _mm_srli_epi16(a, 8);
}

inline Vec And(Vec a, Vec b) {
  return _mm_and_si128(a, b);
}
// x = b AND NOT a.
inline Vec AndNot(Vec a, Vec b) {
  return _mm_andnot_si128(a, b);
}
// All ones in each 32-bit lane where a equals b.
inline Vec Equal32(Vec a, Vec b) {
  return _mm_cmpeq_epi32(a, b);
}

// Four pixels of four rows (one register per row, columns 0..3) to four
// registers of one column each (rows 0..3); its own inverse.
inline void Transpose4x4Pixels(Vec& r0, Vec& r1, Vec& r2, Vec& r3) {
  const Vec t0 = _mm_unpacklo_epi32(r0, r1);
  const Vec t1 = _mm_unpacklo_epi32(r2, r3);
  const Vec t2 = _mm_unpackhi_epi32(r0, r1);
  const Vec t3 = _mm_unpackhi_epi32(r2, r3);
  r0 = _mm_unpacklo_epi64(t0, t1);
  r1 = _mm_unpackhi_epi64(t0, t1);
  r2 = _mm_unpacklo_epi64(t2, t3);
  r3 = _mm_unpackhi_epi64(t2, t3);
}

// Byte (4 l + c) goes to byte (4 c + l): four pixels of four channels become
// four channels of four pixels; its own inverse.
inline Vec Transpose4x4Bytes(Vec v) {
  const Vec x = _mm_unpacklo_epi8(v, _mm_srli_si128(v, 8));
  return _mm_unpacklo_epi8(x, _mm_srli_si128(x, 8));
}

// Four single pixels from four places, pixel k in lane k.
inline Vec Gather4(const std::uint32_t* p0, const std::uint32_t* p1, const std::uint32_t* p2,
                   const std::uint32_t* p3) {
  return _mm_unpacklo_epi64(_mm_unpacklo_epi32(Load1(p0), Load1(p1)),
                            _mm_unpacklo_epi32(Load1(p2), Load1(p3)));
}
inline Vec Gather4(const std::uint8_t* p0, const std::uint8_t* p1, const std::uint8_t* p2,
                   const std::uint8_t* p3) {
  return _mm_unpacklo_epi64(_mm_unpacklo_epi32(Load4Bytes(p0), Load4Bytes(p1)),
                            _mm_unpacklo_epi32(Load4Bytes(p2), Load4Bytes(p3)));
}
inline void Scatter4(Vec v, std::uint32_t* p0, std::uint32_t* p1, std::uint32_t* p2,
                     std::uint32_t* p3) {
  Store1(p0, v);
  Store1(p1, _mm_shuffle_epi32(v, 1));
  Store1(p2, _mm_shuffle_epi32(v, 2));
  Store1(p3, _mm_shuffle_epi32(v, 3));
}

}  // namespace vx::fx2d::simd
