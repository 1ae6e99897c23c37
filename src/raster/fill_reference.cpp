// The plain reference fills: the shared set-up, then every pixel of every
// span one by one. The optimised fills are tested against these.
#include "raster/fill_setup.h"
#include "raster/raster.h"

namespace vx::reference {
namespace {

template <raster::FillMode M, raster::Sampling S>
void DrawSpans(const raster::PolygonSpans<M>& polygon, std::uint32_t* image) {
  for (std::int32_t s = 0; s < polygon.spanCount; ++s) {
    const raster::Span<M>& span = polygon.spans[s];
    for (std::int32_t j = 0; j < span.count; ++j) {
      raster::DrawSpanPixel<M, S>(polygon, span, j, image);
    }
  }
}

template <raster::FillMode M>
void Fill(const RasterTarget& target, const ScreenObject* object, std::uint32_t polygonIndex) {
  const raster::PolygonSpans<M>* polygon = raster::BuildSpans<M>(target, object, polygonIndex);
  if (polygon == nullptr) {
    return;
  }
  if (polygon->sampling == raster::Sampling::Classic) {
    DrawSpans<M, raster::Sampling::Classic>(*polygon, target.image);
  } else {
    DrawSpans<M, raster::Sampling::Levels>(*polygon, target.image);
  }
}

}  // namespace

void FillPolygonAffine(const RasterTarget& target, ScreenObject* const& objectEntry,
                       std::uint32_t polygonIndex) {
  Fill<raster::FillMode::Affine>(target, objectEntry, polygonIndex);
}

void FillPolygonPerspective(const RasterTarget& target, ScreenObject* const& objectEntry,
                            std::uint32_t polygonIndex) {
  Fill<raster::FillMode::Perspective>(target, objectEntry, polygonIndex);
}

}  // namespace vx::reference
