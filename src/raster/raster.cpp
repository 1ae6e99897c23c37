// The rasterizer's module state (the table of fills in use, picked once) and
// the per-frame draw pass.
#include "raster/raster.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "raster/fill_setup.h"

namespace vx {
namespace {

constexpr RasterFills ReferenceFills{.affine = reference::FillPolygonAffine,
                                     .perspective = reference::FillPolygonPerspective};

// Picked once while the program starts, before any caller can draw: AVX2
// where the processor runs it, else SSE2. The variants' tables are
// constants, so they are ready by then.
const RasterFills* const widest = raster::Avx2Supported() ? &raster::avx2Fills : &raster::sse2Fills;
const RasterFills* active = widest;

}  // namespace

// The band's first row is filled value by value, the others copied from it
// (a copy runs many times faster than the filling loop).
void ClearDepthBuffer(const RasterTarget& target) {
  const FrameSize& size = target.size;
  if (target.depth == nullptr || size.width < 1 || size.pitch < size.width) {
    return;
  }
  const std::int32_t begin = std::max(target.rows.begin, 0);
  const std::int32_t end = std::min(target.rows.end, size.height);
  if (begin >= end) {
    return;
  }
  const auto row = [&](std::int32_t y) {
    return target.depth + static_cast<std::ptrdiff_t>(y) * size.pitch;
  };
  std::fill_n(row(begin), size.width, ClearedDepth);
  const std::size_t rowBytes = static_cast<std::size_t>(size.width) * sizeof(float);
  for (std::int32_t y = begin + 1; y < end; ++y) {
    std::memcpy(row(y), row(begin), rowBytes);
  }
}

void FillPolygonAffine(const RasterTarget& target, ScreenObject* const& objectEntry,
                       std::uint32_t polygonIndex) {
  active->affine(target, objectEntry, polygonIndex);
}

void FillPolygonPerspective(const RasterTarget& target, ScreenObject* const& objectEntry,
                            std::uint32_t polygonIndex) {
  active->perspective(target, objectEntry, polygonIndex);
}

void DrawScenePolygons(const ScreenMesh* screen, const RasterTarget& target, FillFunction fill) {
  if (screen == nullptr || screen->objects == nullptr || fill == nullptr ||
      !raster::TargetBand(target)) {
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
        fill(target, entry, k);
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
