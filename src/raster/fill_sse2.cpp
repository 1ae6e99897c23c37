// The optimised fills, SSE2 (the x86-64 baseline): four pixels of a span at
// once. Pixel k takes exactly the reference arithmetic (fill_setup.h): the
// lane's k as a single (exact below 2^24), one multiplication and one
// addition for z, uz and vz, the same IEEE division in double and
// round-to-nearest conversion; affine u, v step as 32-bit integers, which
// wrap exactly as u0 + k * du does. A group whose pixels all fail the depth
// test skips the divisions and texel reads.
#include "raster/fill_setup.h"

#if defined(__SSE2__)

#include <emmintrin.h>

namespace vx::raster {
namespace {

// mask ? a : b, lane by lane (mask lanes all ones or all zeros).
inline __m128i Select(__m128i mask, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

// Texel indices (v & 0xFF00) | ((u >> 8) & 0xFF) of four lanes.
inline __m128i TexelIndices(__m128i u, __m128i v) {
  return _mm_or_si128(_mm_and_si128(v, _mm_set1_epi32(0xFF00)),
                      _mm_and_si128(_mm_srli_epi32(u, 8), _mm_set1_epi32(0xFF)));
}

inline __m128i GatherTexels(const std::uint32_t* texture, __m128i index) {
  alignas(16) std::uint32_t i[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(i), index);
  return _mm_setr_epi32(static_cast<int>(texture[i[0]]), static_cast<int>(texture[i[1]]),
                        static_cast<int>(texture[i[2]]), static_cast<int>(texture[i[3]]));
}

// round(n / d) of four lanes, the quotient in double as QuotientToInt32
// takes it: two lanes at a time widened, divided and converted (INT32_MIN
// where the result is out of range, like the scalar conversion).
inline __m128i QuotientsInDouble(__m128 n, __m128 d) {
  const __m128i low = _mm_cvtpd_epi32(_mm_div_pd(_mm_cvtps_pd(n), _mm_cvtps_pd(d)));
  const __m128i high = _mm_cvtpd_epi32(
      _mm_div_pd(_mm_cvtps_pd(_mm_movehl_ps(n, n)), _mm_cvtps_pd(_mm_movehl_ps(d, d))));
  return _mm_unpacklo_epi64(low, high);
}

// Where a span reads its texels (Sampling::Levels): its level and the
// shifts of LevelTexelIndex, 32 - log2 (a shift by 32 leaves 0) and log2.
struct LevelLanes {
  const std::uint32_t* texels;
  __m128i shift, log2;
};

template <FillMode M>
inline LevelLanes SpanLevelLanes(const PolygonSpans<M>& polygon, const Span<M>& span) {
  const LevelSource level = SpanLevel(polygon, span);
  return {level.texels, _mm_cvtsi32_si128(static_cast<int>(32 - level.log2)),
          _mm_cvtsi32_si128(static_cast<int>(level.log2))};
}

// The texels of four lanes of u, v (SpanTexel).
template <FillMode M, Sampling S>
inline __m128i Texels(const PolygonSpans<M>& polygon, const LevelLanes& level, __m128i u,
                      __m128i v) {
  if constexpr (S == Sampling::Classic) {
    return GatherTexels(polygon.texture, TexelIndices(u, v));
  } else {
    if constexpr (M == FillMode::Perspective) {
      u = _mm_slli_epi32(u, PerspectivePeriodShift);
      v = _mm_slli_epi32(v, PerspectivePeriodShift);
    }
    const __m128i row = _mm_sll_epi32(_mm_srl_epi32(v, level.shift), level.log2);
    return GatherTexels(level.texels, _mm_or_si128(row, _mm_srl_epi32(u, level.shift)));
  }
}

// Running state of one span: lane values for the next four pixels.
struct Lanes {
  __m128 k;      // pixel numbers as singles
  __m128i u, v;  // affine only: the lanes' u, v
};

// Four pixels from pixel index i on; live marks the lanes inside the span.
template <FillMode M, Sampling S>
inline void DrawGroup(const PolygonSpans<M>& polygon, const Span<M>& span, const Lanes& lanes,
                      const LevelLanes& level, std::ptrdiff_t i, __m128 live,
                      std::uint32_t* image) {
  const Gradients<M>& g = polygon.gradients;
  float* depth = polygon.depth + i;
  const __m128 z = _mm_add_ps(_mm_set1_ps(span.z), _mm_mul_ps(lanes.k, _mm_set1_ps(g.dz)));
  const __m128 old = _mm_loadu_ps(depth);
  const __m128 drawn = _mm_and_ps(_mm_cmpgt_ps(z, old), live);
  if (_mm_movemask_ps(drawn) == 0) {
    return;
  }
  __m128i u, v;
  if constexpr (M == FillMode::Affine) {
    u = lanes.u;
    v = lanes.v;
  } else {
    const __m128 uz = _mm_add_ps(_mm_set1_ps(span.u), _mm_mul_ps(lanes.k, _mm_set1_ps(g.du)));
    const __m128 vz = _mm_add_ps(_mm_set1_ps(span.v), _mm_mul_ps(lanes.k, _mm_set1_ps(g.dv)));
    u = QuotientsInDouble(uz, z);
    v = QuotientsInDouble(vz, z);
  }
  const __m128i texels = Texels<M, S>(polygon, level, u, v);
  const __m128i mask = _mm_castps_si128(drawn);
  __m128i* pixels = reinterpret_cast<__m128i*>(image + i);
  _mm_storeu_si128(pixels, Select(mask, texels, _mm_loadu_si128(pixels)));
  _mm_storeu_ps(depth, _mm_or_ps(_mm_and_ps(drawn, z), _mm_andnot_ps(drawn, old)));
}

template <FillMode M, Sampling S>
void DrawSpans(const PolygonSpans<M>& polygon, std::uint32_t* image) {
  const __m128 laneNumbers = _mm_setr_ps(0.0f, 1.0f, 2.0f, 3.0f);
  const __m128 allLive = _mm_castsi128_ps(_mm_set1_epi32(-1));
  for (std::int32_t s = 0; s < polygon.spanCount; ++s) {
    const Span<M>& span = polygon.spans[s];
    LevelLanes level{};
    if constexpr (S == Sampling::Levels) level = SpanLevelLanes(polygon, span);
    Lanes lanes{};
    lanes.k = _mm_add_ps(_mm_set1_ps(static_cast<float>(span.first)), laneNumbers);
    __m128i du4 = _mm_setzero_si128(), dv4 = _mm_setzero_si128();
    if constexpr (M == FillMode::Affine) {
      const Gradients<M>& g = polygon.gradients;
      const std::uint32_t k = static_cast<std::uint32_t>(span.first);
      const std::uint32_t u = span.u + k * g.du;
      const std::uint32_t v = span.v + k * g.dv;
      lanes.u = _mm_setr_epi32(static_cast<int>(u), static_cast<int>(u + g.du),
                               static_cast<int>(u + 2 * g.du), static_cast<int>(u + 3 * g.du));
      lanes.v = _mm_setr_epi32(static_cast<int>(v), static_cast<int>(v + g.dv),
                               static_cast<int>(v + 2 * g.dv), static_cast<int>(v + 3 * g.dv));
      du4 = _mm_set1_epi32(static_cast<int>(4 * g.du));
      dv4 = _mm_set1_epi32(static_cast<int>(4 * g.dv));
    }
    std::int32_t j = 0;
    for (; j + 4 <= span.count; j += 4) {
      DrawGroup<M, S>(polygon, span, lanes, level, span.pixel + j, allLive, image);
      lanes.k = _mm_add_ps(lanes.k, _mm_set1_ps(4.0f));
      if constexpr (M == FillMode::Affine) {
        lanes.u = _mm_add_epi32(lanes.u, du4);
        lanes.v = _mm_add_epi32(lanes.v, dv4);
      }
    }
    const std::int32_t rest = span.count - j;
    if (rest == 0) {
      continue;
    }
    if (4 - rest <= span.tail) {
      // The lanes past the span lie in the same row of the frame, in this
      // band's keeping, and get their own values back.
      const __m128 live = _mm_cmplt_ps(laneNumbers, _mm_set1_ps(static_cast<float>(rest)));
      DrawGroup<M, S>(polygon, span, lanes, level, span.pixel + j, live, image);
    } else {
      for (; j < span.count; ++j) {
        DrawSpanPixel<M, S>(polygon, span, j, image);
      }
    }
  }
}

template <FillMode M>
void Fill(const RasterTarget& target, ScreenObject* const& object, std::uint32_t polygonIndex) {
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

const RasterFills sse2Fills{.affine = Fill<FillMode::Affine>,
                            .perspective = Fill<FillMode::Perspective>};

}  // namespace vx::raster

#else  // no SSE2: the portable reference behind the same table

namespace vx::raster {

const RasterFills sse2Fills{reference::FillPolygonAffine, reference::FillPolygonPerspective};

}  // namespace vx::raster

#endif
