// The rasterizer's module state (the current depth buffer and the table of
// fills in use, picked once) and the per-frame draw pass.
#include "raster/raster.h"

#include <algorithm>

#include "raster/fill_setup.h"

namespace vx {
namespace {

// Nothing drawn yet: infinitely far away.
constexpr float DepthClearValue = 1e-6f;

float* depthBuffer = nullptr;

constexpr RasterFills ReferenceFills{.affine = reference::FillPolygonAffine,
                                     .perspective = reference::FillPolygonPerspective};

// Picked once while the program starts, before any caller can draw: AVX2
// where the processor runs it, else SSE2. The variants' tables are
// constants, so they are ready by then.
const RasterFills* const widest = raster::Avx2Supported() ? &raster::avx2Fills : &raster::sse2Fills;
const RasterFills* active = widest;

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
  active->affine(objectEntry, polygonIndex, image);
}

void FillPolygonPerspective(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                            std::uint32_t* image) {
  active->perspective(objectEntry, polygonIndex, image);
}

void DrawScenePolygons(const ScreenMesh* screen, std::uint32_t* image, FillFunction fill) {
  if (screen == nullptr || screen->objects == nullptr || fill == nullptr) {
    return;
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
      return &ReferenceFills;
    case RasterVariant::Sse2:
      return &raster::sse2Fills;
    case RasterVariant::Avx2:
      return raster::Avx2Supported() ? &raster::avx2Fills : nullptr;
  }
  return nullptr;
}

const RasterFills& Raster() {
  return *active;
}

void UseReferenceRaster(bool reference) {
  active = reference ? &ReferenceFills : widest;
}

}  // namespace vx
