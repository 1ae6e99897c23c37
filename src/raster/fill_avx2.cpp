// The optimised fills, AVX2, chosen at run time when the processor has it:
// eight pixels of a span at once, the texels fetched by a masked gather. A
// span's last, partial group is blended into the image like a full one (the
// lanes past the span get their own values back) where those lanes lie in
// the span's own row of the frame; elsewhere (the row's last columns, which
// may be followed by the pitch's unowned pixels or another band's row)
// masked loads and stores keep every access inside the span.
// The arithmetic is the reference's lane by lane (see fill_sse2.cpp); no
// fused multiply-add is used, so every value rounds as the scalar one does.
#include "raster/fill_setup.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#include <immintrin.h>

#define VX_AVX2 __attribute__((target("avx2")))

namespace vx::raster {
namespace {

// round(n / d) of eight lanes, the quotient in double: each half widened to
// four doubles, divided and converted (INT32_MIN where out of range).
VX_AVX2 inline __m256i QuotientsInDouble(__m256 n, __m256 d) {
  const __m128i low = _mm256_cvtpd_epi32(_mm256_div_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(n)),
                                                       _mm256_cvtps_pd(_mm256_castps256_ps128(d))));
  const __m128i high = _mm256_cvtpd_epi32(_mm256_div_pd(
      _mm256_cvtps_pd(_mm256_extractf128_ps(n, 1)), _mm256_cvtps_pd(_mm256_extractf128_ps(d, 1))));
  return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

template <FillMode M>
VX_AVX2 inline void DrawGroup(const PolygonSpans<M>& polygon, const Span<M>& span, __m256 k,
                              __m256i u, __m256i v, std::ptrdiff_t i, __m256i live, bool partial,
                              std::uint32_t* image) {
  const Gradients<M>& g = polygon.gradients;
  float* depth = polygon.depth + i;
  int* pixels = reinterpret_cast<int*>(image + i);
  const __m256 z = _mm256_add_ps(_mm256_set1_ps(span.z), _mm256_mul_ps(k, _mm256_set1_ps(g.dz)));
  const __m256 old = partial ? _mm256_maskload_ps(depth, live) : _mm256_loadu_ps(depth);
  const __m256 drawn = _mm256_and_ps(_mm256_cmp_ps(z, old, _CMP_GT_OQ), _mm256_castsi256_ps(live));
  if (_mm256_movemask_ps(drawn) == 0) {
    return;
  }
  if constexpr (M == FillMode::Affine) {
    const __m128i shift = _mm_cvtsi32_si128(static_cast<int>(polygon.texelShift));
    u = _mm256_srl_epi32(u, shift);
    v = _mm256_srl_epi32(v, shift);
  } else {
    const __m256 uz = _mm256_add_ps(_mm256_set1_ps(span.u), _mm256_mul_ps(k, _mm256_set1_ps(g.du)));
    const __m256 vz = _mm256_add_ps(_mm256_set1_ps(span.v), _mm256_mul_ps(k, _mm256_set1_ps(g.dv)));
    u = QuotientsInDouble(uz, z);
    v = QuotientsInDouble(vz, z);
  }
  const __m256i index =
      _mm256_or_si256(_mm256_and_si256(v, _mm256_set1_epi32(0xFF00)),
                      _mm256_and_si256(_mm256_srli_epi32(u, 8), _mm256_set1_epi32(0xFF)));
  const __m256i mask = _mm256_castps_si256(drawn);
  const __m256i texels = _mm256_mask_i32gather_epi32(
      _mm256_setzero_si256(), reinterpret_cast<const int*>(polygon.texture), index, mask, 4);
  if (partial) {
    _mm256_maskstore_epi32(pixels, mask, texels);
    _mm256_maskstore_ps(depth, mask, z);
  } else {
    const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels),
                        _mm256_blendv_epi8(before, texels, mask));
    _mm256_storeu_ps(depth, _mm256_blendv_ps(old, z, drawn));
  }
}

template <FillMode M>
VX_AVX2 void DrawSpans(const PolygonSpans<M>& polygon, std::uint32_t* image) {
  const Gradients<M>& g = polygon.gradients;
  const __m256 laneNumbers = _mm256_setr_ps(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i laneIndices = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256i du8 = _mm256_setzero_si256(), dv8 = _mm256_setzero_si256();
  __m256i duLanes = _mm256_setzero_si256(), dvLanes = _mm256_setzero_si256();
  if constexpr (M == FillMode::Affine) {
    du8 = _mm256_set1_epi32(static_cast<int>(8 * g.du));
    dv8 = _mm256_set1_epi32(static_cast<int>(8 * g.dv));
    duLanes = _mm256_mullo_epi32(laneIndices, _mm256_set1_epi32(static_cast<int>(g.du)));
    dvLanes = _mm256_mullo_epi32(laneIndices, _mm256_set1_epi32(static_cast<int>(g.dv)));
  }
  for (std::int32_t s = 0; s < polygon.spanCount; ++s) {
    const Span<M>& span = polygon.spans[s];
    __m256 k = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(span.first)), laneNumbers);
    __m256i u = _mm256_setzero_si256(), v = _mm256_setzero_si256();
    if constexpr (M == FillMode::Affine) {
      const std::uint32_t first = static_cast<std::uint32_t>(span.first);
      u = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(span.u + first * g.du)), duLanes);
      v = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(span.v + first * g.dv)), dvLanes);
    }
    std::int32_t j = 0;
    for (; j + 8 <= span.count; j += 8) {
      DrawGroup<M>(polygon, span, k, u, v, span.pixel + j, _mm256_set1_epi32(-1), false, image);
      k = _mm256_add_ps(k, _mm256_set1_ps(8.0f));
      if constexpr (M == FillMode::Affine) {
        u = _mm256_add_epi32(u, du8);
        v = _mm256_add_epi32(v, dv8);
      }
    }
    if (j < span.count) {
      const __m256i live = _mm256_cmpgt_epi32(_mm256_set1_epi32(span.count - j), laneIndices);
      const bool atRowEnd = 8 - (span.count - j) > span.tail;
      DrawGroup<M>(polygon, span, k, u, v, span.pixel + j, live, atRowEnd, image);
    }
  }
}

template <FillMode M>
VX_AVX2 void Fill(const RasterTarget& target, ScreenObject* const& object,
                  std::uint32_t polygonIndex) {
  if (const PolygonSpans<M>* polygon = BuildSpansFast<M>(target, object, polygonIndex)) {
    DrawSpans<M>(*polygon, target.image);
  }
}

}  // namespace

const RasterFills avx2Fills{.affine = Fill<FillMode::Affine>,
                            .perspective = Fill<FillMode::Perspective>};

bool Avx2Supported() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2");
}

}  // namespace vx::raster

#else  // no AVX2 build: never chosen

namespace vx::raster {

const RasterFills avx2Fills{.affine = reference::FillPolygonAffine,
                            .perspective = reference::FillPolygonPerspective};

bool Avx2Supported() {
  return false;
}

}  // namespace vx::raster

#endif
