// The table of the pipeline views, the view in use, and a view of a whole
// 3D frame drawn from the scene's working copies.
#include "views/views.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <vector>

#include "engine/engine.h"

namespace vx {
namespace {

constexpr std::array<PipelineViewRow, 6> Views{{
    {.view = PipelineView::Frame,
     .name = "frame",
     .overFinish = true,
     .help = "the finished frame (the default)"},
    {.view = PipelineView::Raster,
     .name = "raster",
     .overFinish = false,
     .help = "the fills' image, before blur, glow, blends, fades"},
    {.view = PipelineView::Wire,
     .name = "wire",
     .overFinish = true,
     .help = "the polygons outlined over the frame, clipping's vertices red"},
    {.view = PipelineView::Depth,
     .name = "depth",
     .overFinish = false,
     .help = "the depth buffer as grey, near bright"},
    {.view = PipelineView::Overdraw,
     .name = "overdraw",
     .overFinish = false,
     .help = "how often each pixel was filled, as a heat map"},
    {.view = PipelineView::Flat,
     .name = "flat",
     .overFinish = false,
     .help = "each polygon in a flat colour of its own"},
}};
static_assert(Views.size() == static_cast<std::size_t>(PipelineView::Flat) + 1);

constexpr bool InEnumOrder() {
  for (std::size_t i = 0; i < Views.size(); ++i)
    if (static_cast<std::size_t>(Views[i].view) != i) return false;
  return true;
}
static_assert(InEnumOrder(), "PipelineViewOf indexes the table by the view");

PipelineView inUse = PipelineView::Frame;

// The wire view's per-object first clip vertex, kept between frames: it
// grows to the largest scene seen and is never freed.
std::vector<std::uint32_t> firstClipVertex;
WireNotes wireNotes;

// Every polygon the fills drew, as DrawScenePolygons walks them.
template <typename Fn>
void ForEachDrawnPolygon(const ScreenMesh& screen, const Fn& fn) {
  for (std::uint16_t i = 0; i < screen.objectCount; ++i) {
    ScreenObject* const& entry = screen.objects[i];
    if (entry == nullptr || entry->visible == 0 || entry->polygons == nullptr) continue;
    for (std::uint32_t k = 0; k < entry->polygonCount; ++k) {
      const Polygon* polygon = entry->polygons[k];
      if (polygon != nullptr && polygon->drawFlag != 0) fn(i, entry, k);
    }
  }
}

// The fills' image and depth buffer cleared (image to value) over the
// whole frame.
RasterTarget ClearedTarget(float* depth, std::uint32_t* fb, const FrameSize& size,
                           std::uint32_t value) {
  const RasterTarget target{.image = fb, .depth = depth, .size = size, .rows = AllRows(size)};
  for (std::int32_t y = 0; y < size.height; ++y)
    std::fill_n(fb + static_cast<std::ptrdiff_t>(y) * size.pitch, size.width, value);
  ClearDepthBuffer(target);
  return target;
}

void DrawWireOfScene(const Scene& scene, std::uint32_t* fb, const FrameSize& size) {
  const Mesh3D& mesh = *scene.mesh;
  const auto count = static_cast<std::size_t>(mesh.objectCount);
  if (firstClipVertex.size() < count) firstClipVertex.resize(count);
  wireNotes.culled.clear();
  for (std::size_t i = 0; i < count; ++i) {
    firstClipVertex[i] = static_cast<std::uint32_t>(mesh.objects[i]->vertexCount);
    const TransformedObject& t = *scene.transformed->objects[i];
    if (t.visible != 1) {
      if (!wireNotes.culled.empty()) wireNotes.culled += ' ';
      wireNotes.culled += t.name.View();
    }
  }
  wireNotes.clipVertices =
      DrawWire({.screen = scene.screen, .firstClipVertex = firstClipVertex.data()}, fb, size);
}

}  // namespace

std::span<const PipelineViewRow> PipelineViews() {
  return Views;
}

const PipelineViewRow& PipelineViewOf(PipelineView view) {
  const auto at = static_cast<std::size_t>(view);
  assert(at < Views.size());
  return Views[at];
}

bool FindPipelineView(std::string_view name, PipelineView& view) {
  for (const PipelineViewRow& row : Views) {
    if (row.name != name) continue;
    view = row.view;
    return true;
  }
  return false;
}

PipelineView NextPipelineView(PipelineView view) {
  const auto at = static_cast<std::size_t>(view) + 1;
  return Views[at < Views.size() ? at : 0].view;
}

void UsePipelineView(PipelineView view) {
  inUse = view;
}

PipelineView PipelineViewInUse() {
  return inUse;
}

void DrawPipelineView(PipelineView view, Scene& scene, float* depth, std::uint32_t* fb,
                      const FrameSize& size) {
  switch (view) {
    case PipelineView::Frame:
    case PipelineView::Raster:
      break;
    case PipelineView::Wire:
      DrawWireOfScene(scene, fb, size);
      break;
    case PipelineView::Depth:
      DrawDepthGrey(depth, size, fb);
      break;
    case PipelineView::Overdraw: {
      const RasterTarget target = ClearedTarget(depth, fb, size, 0u);
      ForEachDrawnPolygon(*scene.screen,
                          [&](std::uint16_t, ScreenObject* const& entry, std::uint32_t k) {
                            FillPolygonCount(target, entry, k);
                          });
      DrawOverdrawHeat(fb, size);
      break;
    }
    case PipelineView::Flat: {
      const RasterTarget target = ClearedTarget(depth, fb, size, 0u);
      ForEachDrawnPolygon(*scene.screen,
                          [&](std::uint16_t i, ScreenObject* const& entry, std::uint32_t k) {
                            FillPolygonFlat(target, entry, k, FlatColour(i, k));
                          });
      break;
    }
  }
}

const WireNotes& LastWireNotes() {
  return wireNotes;
}

// ---- the figures ---------------------------------------------------------------

namespace {

bool figuresCounted = false;
PipelineFigures lastFigures;
// The counting fills' image, kept between frames at the largest size seen.
std::vector<std::uint32_t> countImage;

// The faces of one drawn object, counted against the mesh they came from:
// back-facing by the test TransformObjects made (its inputs are left as it
// read them: clipping only appends vertices), clipped where the polygon no
// longer is its face's triangle.
void CountFaces(const MeshObject& mesh, const TransformedObject& t, PipelineFigures& figures) {
  for (std::uint32_t k = 0; k < t.polygonCount; ++k) {
    const MeshFace& face = mesh.faces[k];
    const CameraVertex& a = t.vertices[face.a];
    if (VecDot({a.x, a.y, a.z}, t.normals[k]) < 0.0f) {
      ++figures.polygonsBackFacing;
      continue;
    }
    const Polygon& polygon = t.polygons[k];
    bool cut = polygon.drawFlag == 0 || polygon.count != 3;
    for (std::uint32_t j = 0; j < polygon.count && !cut; ++j)
      cut = polygon.indices[j] >= mesh.vertexCount;
    if (cut) ++figures.polygonsClipped;
  }
}

}  // namespace

double PipelineFigures::MeanOverdraw() const {
  return pixelsCovered == 0 ? 0.0 : static_cast<double>(pixelsFilled) / pixelsCovered;
}

void PipelineFigures::Add(const PipelineFigures& other) {
  drawn3d = drawn3d || other.drawn3d;
  objectsDrawn += other.objectsDrawn;
  objectsCulled += other.objectsCulled;
  polygonsDrawn += other.polygonsDrawn;
  polygonsBackFacing += other.polygonsBackFacing;
  polygonsClipped += other.polygonsClipped;
  clipVertices += other.clipVertices;
  pixelsFilled += other.pixelsFilled;
  pixelsCovered += other.pixelsCovered;
  for (std::size_t i = 0; i < milliseconds.size(); ++i) milliseconds[i] += other.milliseconds[i];
}

void CountPipelineFigures(bool on) {
  figuresCounted = on;
}

bool PipelineFiguresCounted() {
  return figuresCounted;
}

void ClearPipelineFigures() {
  lastFigures = {};
}

const PipelineFigures& LastPipelineFigures() {
  return lastFigures;
}

PipelineFigures CountScene(const Scene& scene) {
  PipelineFigures figures{.drawn3d = true};
  const Mesh3D& mesh = *scene.mesh;
  for (int i = 0; i < mesh.objectCount; ++i) {
    const TransformedObject& t = *scene.transformed->objects[i];
    if (t.visible != 1) {
      ++figures.objectsCulled;
      continue;
    }
    ++figures.objectsDrawn;
    figures.clipVertices += t.vertexCount - mesh.objects[i]->vertexCount;
    CountFaces(*mesh.objects[i], t, figures);
  }
  ForEachDrawnPolygon(*scene.screen, [&](std::uint16_t, ScreenObject* const&, std::uint32_t) {
    ++figures.polygonsDrawn;
  });
  return figures;
}

void RecordPipelineFigures(const Scene& scene, float* depth, const FrameSize& size,
                           const StageClock& clock) {
  lastFigures = CountScene(scene);
  lastFigures.milliseconds = clock.Milliseconds();
  if (countImage.size() < FrameWords(size)) countImage.resize(FrameWords(size));
  const RasterTarget target = ClearedTarget(depth, countImage.data(), size, 0u);
  ForEachDrawnPolygon(*scene.screen, [&](std::uint16_t, ScreenObject* const& entry,
                                         std::uint32_t k) { FillPolygonCount(target, entry, k); });
  for (std::int32_t y = 0; y < size.height; ++y) {
    const std::uint32_t* row = countImage.data() + static_cast<std::ptrdiff_t>(y) * size.pitch;
    for (std::int32_t x = 0; x < size.width; ++x) {
      lastFigures.pixelsFilled += row[x];
      lastFigures.pixelsCovered += row[x] != 0 ? 1u : 0u;
    }
  }
}

}  // namespace vx
