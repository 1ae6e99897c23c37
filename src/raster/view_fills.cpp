// The fills of the pipeline views: the reference fills' spans and depth
// test with the texel replaced by a flat colour or by a count. They take
// the affine set-up, whose spans and 1/z are those of either texture fill
// (the mode changes u and v alone).
#include "raster/fill_setup.h"
#include "raster/raster.h"

namespace vx {
namespace {

// Every pixel of the polygon that passes the depth test, as the texture
// fills draw it: write(pixel) on the image entry, then its depth.
template <typename Write>
void FillDrawnPixels(const RasterTarget& target, const ScreenObject* object,
                     std::uint32_t polygonIndex, const Write& write) {
  using raster::FillMode;
  const raster::PolygonSpans<FillMode::Affine>* polygon =
      raster::BuildSpans<FillMode::Affine>(target, object, polygonIndex);
  if (polygon == nullptr) return;
  const float dz = polygon->gradients.dz;
  for (std::int32_t s = 0; s < polygon->spanCount; ++s) {
    const raster::Span<FillMode::Affine>& span = polygon->spans[s];
    for (std::int32_t j = 0; j < span.count; ++j) {
      const std::ptrdiff_t i = span.pixel + j;
      const float z = span.z + static_cast<float>(span.first + j) * dz;
      if (!(z > polygon->depth[i])) continue;
      write(target.image[i]);
      polygon->depth[i] = z;
    }
  }
}

}  // namespace

void FillPolygonFlat(const RasterTarget& target, ScreenObject* const& objectEntry,
                     std::uint32_t polygonIndex, std::uint32_t colour) {
  FillDrawnPixels(target, objectEntry, polygonIndex, [colour](std::uint32_t& p) { p = colour; });
}

void FillPolygonCount(const RasterTarget& target, ScreenObject* const& objectEntry,
                      std::uint32_t polygonIndex) {
  FillDrawnPixels(target, objectEntry, polygonIndex, [](std::uint32_t& p) { ++p; });
}

}  // namespace vx
