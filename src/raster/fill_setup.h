#pragma once
// Private to the rasterizer: the per-polygon set-up (edge walk, middle-row
// gradients, clamping to the frame and the band) that turns a polygon into
// spans, and the per-pixel arithmetic that every fill must reproduce bit for bit. The
// reference fills run BuildSpans and then every pixel one by one; the
// optimised fills run BuildSpansFast and whole groups of pixels at once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "raster/raster.h"

namespace vx::raster {

enum class FillMode { Affine, Perspective };

// Where a span's texels come from: the polygon's 256 x 256 texture, indexed
// as the classic show did (frames no larger than the classic one), or a level
// of its TextureLevels chosen per span (larger frames).
enum class Sampling { Classic, Levels };

// Runs of one row that read different levels: at most this many spans a
// row, so that the span storage stays bounded whatever the polygon.
inline constexpr std::int32_t MaxRunsPerRow = 4;
// A row of a polygon whose levels vary takes one level per chunk of this
// many columns (counted from column 0 of the frame), read at the
// chunk's middle column.
inline constexpr std::int32_t LevelChunkColumns = 32;

// Texture values of a span: affine u, v in 8.8 fixed point, with 16 more
// fraction bits at frames larger than the classic one (32-bit, wrapping),
// perspective u x z and v x z as singles.
template <FillMode M>
using TextureValue = std::conditional_t<M == FillMode::Affine, std::uint32_t, float>;

// One row of a polygon, clamped to the frame. Pixel k of the row (k counted
// from the row's left end, which may lie left of column 0) has the left end's
// values plus k times the polygon's gradients; the span holds the pixels
// k = first .. first + count - 1, all inside the frame and the band.
template <FillMode M>
struct Span {
  std::ptrdiff_t pixel;  // image index of pixel k = first: row x pitch + column
  std::int32_t first;    // 0 .. 2^24: exact as a single
  std::int32_t count;    // 1 .. width
  std::int32_t tail;     // columns right of the span's last pixel: 0 .. width - 1
  float z;               // 1/z at the left end
  TextureValue<M> u, v;
  std::uint32_t level;  // Sampling::Levels: the level read, below levels.levelCount
};

// Per pixel to the right, from the polygon's middle row.
template <FillMode M>
struct Gradients {
  float dz;
  TextureValue<M> du, dv;
};

// Sampling::Classic reads texture at TexelIndex(u, v), affine u, v in 8.8.
// Sampling::Levels reads level span.level of levels at LevelTexelIndex of u,
// v as fractions of the texture's period: affine u, v carry 16 more fraction
// bits (raster.h), so they are such fractions already; perspective u, v
// (8.8) are shifted left by 16 first.
template <FillMode M>
struct PolygonSpans {
  const std::uint32_t* texture;  // 256 x 256 texels
  TextureLevels levels;          // the polygon's, or its texture alone
  float* depth;                  // the target's depth buffer
  Gradients<M> gradients;
  Sampling sampling;
  std::int32_t spanCount;
  Span<M> spans[MaxFrameHeight * MaxRunsPerRow];
};

// Walks the polygon's edges into the edge tables and returns its spans in
// the target's band (storage of the calling thread, valid until its next
// call), or nullptr when the polygon draws nothing there: an undrawable
// target (raster.h), invalid records, count 0 or above MaxPolygonVertices,
// an index at or past vertexSlots, no texture, no rows (ymax <= ymin), no
// row in the band, or width <= 0 at the middle row.
template <FillMode M>
const PolygonSpans<M>* BuildSpans(const RasterTarget& target, const ScreenObject* object,
                                  std::uint32_t polygonIndex);

// BuildSpans with a quicker path for polygons whose vertices all lie inside
// the frame (what the pipeline hands over); the same spans, bit for bit.
template <FillMode M>
const PolygonSpans<M>* BuildSpansFast(const RasterTarget& target, const ScreenObject* object,
                                      std::uint32_t polygonIndex);

// Test hooks on the calling thread's edge tables of mode M, never called by
// the fills. MarkEdgeTables marks every entry of both tables and the guard
// entry on each side of each; after fills of one band, EdgeEntriesWrittenOutside
// counts the entries that lost their mark outside that band's rows, guards
// included: 0 when every walk stayed inside its rows.
template <FillMode M>
void MarkEdgeTables();
template <FillMode M>
int EdgeEntriesWrittenOutside(RowBand rows);

// The band of a target, rows clamped to 0 .. height; nothing when the
// target draws nothing (raster.h) or the band is empty.
struct DrawableBand {
  std::int32_t begin, end;  // begin < end
};
inline std::optional<DrawableBand> TargetBand(const RasterTarget& target) {
  const FrameSize& size = target.size;
  if (target.image == nullptr || target.depth == nullptr || size.width < 1 ||
      size.width > MaxFrameWidth || size.height < 1 || size.height > MaxFrameHeight ||
      size.pitch < size.width) {
    return std::nullopt;
  }
  const DrawableBand band{std::max(target.rows.begin, 0), std::min(target.rows.end, size.height)};
  if (band.begin >= band.end) {
    return std::nullopt;
  }
  return band;
}

// The optimised fills of each instruction set; every one equals the
// reference fill of its mode byte for byte. A build without the instruction
// set puts the reference fills in its table. avx2Fills may be called only
// when Avx2Supported().
extern const RasterFills sse2Fills;
extern const RasterFills avx2Fills;
// True when this build has the AVX2 fills and the processor runs them.
bool Avx2Supported();

// Round to nearest, ties to even (the processor's default rounding mode);
// NaN and values that round outside the 32-bit range give INT32_MIN. This is
// exactly what the vector conversion (cvtpd2dq) gives lane by lane.
inline std::int32_t RoundToInt32(double d) {
#if defined(__SSE2__)
  return _mm_cvtsd_si32(_mm_set_sd(d));
#else
  const double r = __builtin_nearbyint(d);
  if (!(r >= -2147483648.0 && r < 2147483648.0)) {
    return INT32_MIN;
  }
  return static_cast<std::int32_t>(r);
#endif
}

// round(n / d) with the quotient of the two singles taken in double, as
// every intermediate of the engine is: a single division would round a
// quotient just below a half up to the half, and from there to the even
// neighbour.
inline std::int32_t QuotientToInt32(float n, float d) {
  return RoundToInt32(static_cast<double>(n) / static_cast<double>(d));
}

// Texel index of 8.8 coordinates: column = bits 8..15 of u, row = bits 8..15
// of v, so textures repeat every 65536 units, negative ones included.
inline std::uint32_t TexelIndex(std::uint32_t u, std::uint32_t v) {
  return (v & 0xFF00u) | ((u >> 8) & 0xFFu);
}

// Texel index of coordinates held as 32-bit fractions of the texture's
// period in a level of 2^log2 texels a side (log2 0 .. MaxTextureSizeLog2):
// column = the top log2 bits of u, row = the top log2 bits of v.
inline std::uint32_t LevelTexelIndex(std::uint32_t u, std::uint32_t v, std::uint32_t log2) {
  const std::uint32_t shift = 32 - log2;  // 64-bit: a shift by 32 leaves 0
  return static_cast<std::uint32_t>(((std::uint64_t{v} >> shift) << log2) |
                                    (std::uint64_t{u} >> shift));
}

// Perspective u, v (8.8: 65536 units a period) as fractions of the period.
inline constexpr int PerspectivePeriodShift = 16;

// The texels of a span's level and its side (Sampling::Levels).
struct LevelSource {
  const std::uint32_t* texels;
  std::uint32_t log2;
};
template <FillMode M>
inline LevelSource SpanLevel(const PolygonSpans<M>& polygon, const Span<M>& span) {
  return {polygon.levels.texels[span.level], polygon.levels.sizeLog2 - span.level};
}

// The texel of u, v (8.8, with the extra bits of affine frames larger than
// the classic one) in a span.
template <FillMode M, Sampling S>
inline std::uint32_t SpanTexel(const PolygonSpans<M>& polygon, const Span<M>& span, std::uint32_t u,
                               std::uint32_t v) {
  if constexpr (S == Sampling::Classic) {
    return polygon.texture[TexelIndex(u, v)];
  } else {
    if constexpr (M == FillMode::Perspective) {
      u <<= PerspectivePeriodShift;
      v <<= PerspectivePeriodShift;
    }
    const LevelSource level = SpanLevel(polygon, span);
    return level.texels[LevelTexelIndex(u, v, level.log2)];
  }
}

// The level to read where a pixel steps over sqrt(texelsPerPixelSquared)
// level-0 texels (its footprint's, see LevelPlane in fill_setup.cpp): the
// smallest k below levelCount at which a pixel steps over at most
// LevelTexelsPerPixel texels, that is texelsPerPixelSquared / 4^k <=
// LevelTexelsPerPixel^2 (4^k exact: the value is multiplied by 0.25 k
// times); levelCount - 1 when no level does or the value is NaN.
inline constexpr double LevelTexelsPerPixel = 1.0;
inline std::uint32_t ChooseTextureLevel(double texelsPerPixelSquared, std::uint32_t levelCount) {
  constexpr double limit = LevelTexelsPerPixel * LevelTexelsPerPixel;
  std::uint32_t k = 0;
  for (double r = texelsPerPixelSquared; k + 1 < levelCount && !(r <= limit); r *= 0.25) ++k;
  return k;
}

// Pixel k of a span, the definition every fill follows.
//
// Accumulation along a row: z, uz and vz of pixel k are z0 + k * dz (and
// likewise), each as one single multiplication and one single addition from
// the row's left end, never k repeated additions. How these values
// accumulate only needs at least single precision; this form rounds each
// pixel on its own, so a vector fill reproduces it lane by lane, whatever
// the group size. Affine u, v are u0 + k * du (mod 2^32), which equals
// stepping by 32-bit addition.
//
// Perspective u = round(uz / z), v = round(vz / z), the quotient in double
// (QuotientToInt32). Drawn when z is strictly greater than the depth entry.
// The texel is SpanTexel's.
template <FillMode M, Sampling S>
inline void DrawSpanPixel(const PolygonSpans<M>& polygon, const Span<M>& span, std::int32_t j,
                          std::uint32_t* image) {
  const Gradients<M>& g = polygon.gradients;
  const std::int32_t k = span.first + j;
  const std::ptrdiff_t i = span.pixel + j;
  const float z = span.z + static_cast<float>(k) * g.dz;
  if (!(z > polygon.depth[i])) {
    return;
  }
  std::uint32_t u, v;
  if constexpr (M == FillMode::Affine) {
    u = span.u + static_cast<std::uint32_t>(k) * g.du;
    v = span.v + static_cast<std::uint32_t>(k) * g.dv;
  } else {
    const float uz = span.u + static_cast<float>(k) * g.du;
    const float vz = span.v + static_cast<float>(k) * g.dv;
    u = static_cast<std::uint32_t>(QuotientToInt32(uz, z));
    v = static_cast<std::uint32_t>(QuotientToInt32(vz, z));
  }
  image[i] = SpanTexel<M, S>(polygon, span, u, v);
  polygon.depth[i] = z;
}

}  // namespace vx::raster
