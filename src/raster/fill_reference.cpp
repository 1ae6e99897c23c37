// The plain reference fills: the shared set-up, then every pixel of every
// span one by one. The optimised fills are tested against these.
#include "raster/fill_setup.h"
#include "raster/raster.h"

namespace vx::reference {
namespace {

template <raster::FillMode M>
void Fill(const ScreenObject* object, std::uint32_t polygonIndex, std::uint32_t* image) {
  if (image == nullptr) {
    return;
  }
  const raster::PolygonSpans<M>* polygon = raster::BuildSpans<M>(object, polygonIndex);
  if (polygon == nullptr) {
    return;
  }
  for (std::int32_t s = 0; s < polygon->spanCount; ++s) {
    const raster::Span<M>& span = polygon->spans[s];
    for (std::int32_t j = 0; j < span.count; ++j) {
      raster::DrawSpanPixel<M>(*polygon, span, j, image);
    }
  }
}

}  // namespace

void FillPolygonAffine(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                       std::uint32_t* image) {
  Fill<raster::FillMode::Affine>(objectEntry, polygonIndex, image);
}

void FillPolygonPerspective(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                            std::uint32_t* image) {
  Fill<raster::FillMode::Perspective>(objectEntry, polygonIndex, image);
}

}  // namespace vx::reference
