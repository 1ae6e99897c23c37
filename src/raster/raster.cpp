// The rasterizer's module state (the current depth buffer and which
// variant's fills stand behind the public names) and the per-frame draw
// pass.
#include "raster/raster.h"

#include <algorithm>

#include "raster/fill_setup.h"

namespace vx {
namespace {

// Nothing drawn yet: infinitely far away.
constexpr float DepthClearValue = 1e-6f;

float* depthBuffer = nullptr;

constexpr RasterFills referenceFills{reference::FillPolygonAffine,
                                     reference::FillPolygonPerspective};

// The one place the optimised variant is picked: AVX2 where the processor
// runs it, else SSE2, decided once on first use.
const RasterFills& WidestFills() {
  static const RasterFills& widest =
      raster::Avx2Supported() ? raster::avx2Fills : raster::sse2Fills;
  return widest;
}

// The fills behind the public names; nullptr stands for WidestFills().
const RasterFills* chosenFills = nullptr;

const RasterFills& ChosenFills() {
  return chosenFills != nullptr ? *chosenFills : WidestFills();
}

}  // namespace

namespace raster {
float* CurrentDepthBuffer() {
  return depthBuffer;
}
}  // namespace raster

void SetDepthBuffer(float* const& field) {
  depthBuffer = field;
}

void ClearDepthBuffer() {
  if (depthBuffer != nullptr) {
    std::fill_n(depthBuffer, ScreenPixels, DepthClearValue);
  }
}

void FillPolygonAffine(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                       std::uint32_t* image) {
  ChosenFills().affine(objectEntry, polygonIndex, image);
}

void FillPolygonPerspective(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                            std::uint32_t* image) {
  ChosenFills().perspective(objectEntry, polygonIndex, image);
}

void DrawScenePolygons(const ScreenMesh* screen, std::uint32_t* image, FillFunction fill) {
  if (screen == nullptr || screen->objects == nullptr || fill == nullptr) {
    return;
  }
  // Call the chosen fill directly rather than through its public name.
  if (fill == FillPolygonAffine) {
    fill = ChosenFills().affine;
  } else if (fill == FillPolygonPerspective) {
    fill = ChosenFills().perspective;
  }
  for (std::uint16_t i = 0; i < screen->objectCount; ++i) {
    ScreenObject* const& entry = screen->objects[i];
    if (entry == nullptr || entry->visible == 0 || entry->polygonCount == 0 ||
        entry->polygons == nullptr) {
      continue;
    }
    for (std::uint32_t k = 0; k < entry->polygonCount; ++k) {
      const Polygon* polygon = entry->polygons[k];
      if (polygon != nullptr && polygon->drawFlag != 0) {
        fill(entry, k, image);
      }
    }
  }
}

const RasterFills* RasterFillsOf(RasterVariant variant) {
  switch (variant) {
    case RasterVariant::Reference:
      return &referenceFills;
    case RasterVariant::Sse2:
      return &raster::sse2Fills;
    case RasterVariant::Avx2:
      return raster::Avx2Supported() ? &raster::avx2Fills : nullptr;
  }
  return nullptr;
}

void UseReferenceRaster(bool reference) {
  chosenFills = reference ? &referenceFills : &WidestFills();
}

}  // namespace vx
