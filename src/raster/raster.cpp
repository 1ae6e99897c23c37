// The rasterizer's module state (the current depth buffer and which fills
// stand behind the public names) and the per-frame draw pass.
#include "raster/raster.h"

#include <algorithm>

#include "raster/fill_setup.h"

namespace vx {
namespace {

// Nothing drawn yet: infinitely far away.
constexpr float DepthClearValue = 1e-6f;

float* depthBuffer = nullptr;

// The fills behind the public names. Constant-initialised to the SSE2 ones
// (identical output), widened at start-up when the processor allows.
FillFunction affineFill = raster::FillAffineSse2;
FillFunction perspectiveFill = raster::FillPerspectiveSse2;
bool referenceChosen = false;
RasterInstructions instructionsChosen = RasterInstructions::Sse2;

void ChooseFills() {
  if (referenceChosen) {
    affineFill = reference::FillPolygonAffine;
    perspectiveFill = reference::FillPolygonPerspective;
  } else if (instructionsChosen == RasterInstructions::Avx2) {
    affineFill = raster::FillAffineAvx2;
    perspectiveFill = raster::FillPerspectiveAvx2;
  } else {
    affineFill = raster::FillAffineSse2;
    perspectiveFill = raster::FillPerspectiveSse2;
  }
}

[[maybe_unused]] const bool widestChosen = UseRasterInstructions(RasterInstructions::Avx2);

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
    std::fill_n(depthBuffer, ViewPixels, DepthClearValue);
  }
}

void FillPolygonAffine(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                       std::uint32_t* image) {
  affineFill(objectEntry, polygonIndex, image);
}

void FillPolygonPerspective(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                            std::uint32_t* image) {
  perspectiveFill(objectEntry, polygonIndex, image);
}

void DrawScenePolygons(Scene* scene, std::uint32_t* image, FillFunction fill) {
  if (scene == nullptr || scene->screen == nullptr || scene->screen->objects == nullptr ||
      fill == nullptr) {
    return;
  }
  // Call the chosen fill directly rather than through its public name.
  if (fill == FillPolygonAffine) {
    fill = affineFill;
  } else if (fill == FillPolygonPerspective) {
    fill = perspectiveFill;
  }
  const ScreenMesh& screen = *scene->screen;
  for (std::uint16_t i = 0; i < screen.objectCount; ++i) {
    ScreenObject* const& entry = screen.objects[i];
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

void UseReferenceRaster(bool reference) {
  referenceChosen = reference;
  ChooseFills();
}

bool UseRasterInstructions(RasterInstructions set) {
  if (set == RasterInstructions::Avx2 && !raster::Avx2Supported()) {
    return false;
  }
  instructionsChosen = set;
  ChooseFills();
  return true;
}

}  // namespace vx
