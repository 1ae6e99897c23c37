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

// Where a span reads its texels: the polygon's texture (Sampling::Classic)
// or its level with the shifts of LevelTexelIndex, 32 - log2 (a shift by 32
// leaves 0) and log2.
struct SpanSource {
  const std::uint32_t* texels;
  __m128i shift, log2;
};

// The texel indices of eight lanes of u, v (SpanTexel).
template <FillMode M, Sampling S>
VX_AVX2 inline __m256i TexelIndices(const SpanSource& source, __m256i u, __m256i v) {
  if constexpr (S == Sampling::Classic) {
    return _mm256_or_si256(_mm256_and_si256(v, _mm256_set1_epi32(0xFF00)),
                           _mm256_and_si256(_mm256_srli_epi32(u, 8), _mm256_set1_epi32(0xFF)));
  } else {
    if constexpr (M == FillMode::Perspective) {
      u = _mm256_slli_epi32(u, PerspectivePeriodShift);
      v = _mm256_slli_epi32(v, PerspectivePeriodShift);
    }
    const __m256i row = _mm256_sll_epi32(_mm256_srl_epi32(v, source.shift), source.log2);
    return _mm256_or_si256(row, _mm256_srl_epi32(u, source.shift));
  }
}

template <FillMode M, Sampling S>
VX_AVX2 inline void DrawGroup(const PolygonSpans<M>& polygon, const Span<M>& span,
                              const SpanSource& source, __m256 k, __m256i u, __m256i v,
                              std::ptrdiff_t i, __m256i live, bool partial, std::uint32_t* image) {
  const Gradients<M>& g = polygon.gradients;
  float* depth = polygon.depth + i;
  int* pixels = reinterpret_cast<int*>(image + i);
  const __m256 z = _mm256_add_ps(_mm256_set1_ps(span.z), _mm256_mul_ps(k, _mm256_set1_ps(g.dz)));
  const __m256 old = partial ? _mm256_maskload_ps(depth, live) : _mm256_loadu_ps(depth);
  const __m256 drawn = _mm256_and_ps(_mm256_cmp_ps(z, old, _CMP_GT_OQ), _mm256_castsi256_ps(live));
  if (_mm256_movemask_ps(drawn) == 0) {
    return;
  }
  if constexpr (M == FillMode::Perspective) {
    const __m256 uz = _mm256_add_ps(_mm256_set1_ps(span.u), _mm256_mul_ps(k, _mm256_set1_ps(g.du)));
    const __m256 vz = _mm256_add_ps(_mm256_set1_ps(span.v), _mm256_mul_ps(k, _mm256_set1_ps(g.dv)));
    u = QuotientsInDouble(uz, z);
    v = QuotientsInDouble(vz, z);
  }
  const __m256i index = TexelIndices<M, S>(source, u, v);
  const __m256i mask = _mm256_castps_si256(drawn);
  const __m256i texels = _mm256_mask_i32gather_epi32(
      _mm256_setzero_si256(), reinterpret_cast<const int*>(source.texels), index, mask, 4);
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

template <FillMode M, Sampling S>
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
    SpanSource source{polygon.texture, _mm_setzero_si128(), _mm_setzero_si128()};
    if constexpr (S == Sampling::Levels) {
      const LevelSource level = SpanLevel(polygon, span);
      source = {level.texels, _mm_cvtsi32_si128(static_cast<int>(32 - level.log2)),
                _mm_cvtsi32_si128(static_cast<int>(level.log2))};
    }
    __m256 k = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(span.first)), laneNumbers);
    __m256i u = _mm256_setzero_si256(), v = _mm256_setzero_si256();
    if constexpr (M == FillMode::Affine) {
      const std::uint32_t first = static_cast<std::uint32_t>(span.first);
      u = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(span.u + first * g.du)), duLanes);
      v = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(span.v + first * g.dv)), dvLanes);
    }
    std::int32_t j = 0;
    for (; j + 8 <= span.count; j += 8) {
      DrawGroup<M, S>(polygon, span, source, k, u, v, span.pixel + j, _mm256_set1_epi32(-1), false,
                      image);
      k = _mm256_add_ps(k, _mm256_set1_ps(8.0f));
      if constexpr (M == FillMode::Affine) {
        u = _mm256_add_epi32(u, du8);
        v = _mm256_add_epi32(v, dv8);
      }
    }
    if (j < span.count) {
      const __m256i live = _mm256_cmpgt_epi32(_mm256_set1_epi32(span.count - j), laneIndices);
      const bool atRowEnd = 8 - (span.count - j) > span.tail;
      DrawGroup<M, S>(polygon, span, source, k, u, v, span.pixel + j, live, atRowEnd, image);
    }
  }
}

template <FillMode M>
VX_AVX2 void Fill(const RasterTarget& target, ScreenObject* const& object,
                  std::uint32_t polygonIndex) {
  const PolygonSpans<M>* polygon = BuildSpansFast<M>(target, object, polygonIndex);
  if (polygon == nullptr) {
    return;
  }
  if (polygon->sampling == Sampling::Classic) {
    DrawSpans<M, Sampling::Classic>(*polygon, target.image);
  } else {
    DrawSpans<M, Sampling::Levels>(*polygon, target.image);
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
