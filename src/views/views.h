#pragma once
// Views inside the pipeline: instead of the finished frame, a picture of
// what one stage left behind, for studying how a frame is made. A view is a
// function of the moment alone, like the frame, and the same on every
// platform. Chosen off (Frame, the default), the views cost the show
// nothing: the 3D recipe makes one test a frame, the fills and effects none.
//
// The views of a 3D frame, drawn at its size (fb holds size.pitch x
// size.height words):
//   frame     the finished frame
//   raster    the frame as the fills left it, before the 2D finish
//   wire      every polygon that reached the fills outlined over the
//             finished frame, the vertices that clipping made marked in
//             their own colour; the objects culled whole are named in the
//             status line (LastCulledObjects)
//   depth     the depth buffer as grey: the nearest 1/z of the frame white,
//             its farthest drawn DepthGreyFloor, undrawn pixels black
//   overdraw  how many times a fill wrote each pixel (after its depth test),
//             in the colours of OverdrawColour, with their legend
//   flat      each polygon in one flat colour of its own (FlatColour)
// A frame without 3D (a picture scene) is drawn as it is in every view.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/pixels.h"
#include "engine/engine.h"
#include "engine/scene.h"
#include "raster/raster.h"

namespace vx {

enum class PipelineView : std::uint8_t { Frame, Raster, Wire, Depth, Overdraw, Flat };

// One view: its name on the command line and in the status line, and
// whether it is drawn over the finished frame (else it replaces the frame
// before the 2D finish, which is then not run).
struct PipelineViewRow {
  PipelineView view;
  std::string_view name;
  bool overFinish;
  std::string_view help;  // one line for --help
};
// Every view, in the order the window's key steps through them.
std::span<const PipelineViewRow> PipelineViews();
const PipelineViewRow& PipelineViewOf(PipelineView view);
// The view of that name (exact, lower case); false when none has it.
bool FindPipelineView(std::string_view name, PipelineView& view);
// The view after view in PipelineViews, the first after the last.
PipelineView NextPipelineView(PipelineView view);

// The view the 3D recipe draws from now on (Frame until told otherwise).
// Chosen while no frame is being drawn.
void UsePipelineView(PipelineView view);
PipelineView PipelineViewInUse();

// ---- the pictures, on hand-made input ----------------------------------------
// Colours of the pictures (0x00RRGGBB).
inline constexpr std::uint32_t OutlineColour = 0x0000FF60;
inline constexpr std::uint32_t ClipVertexColour = 0x00FF3030;
inline constexpr std::uint32_t DepthGreyFloor = 48;

// Grey of a depth entry d of a frame whose drawn entries span lo .. hi:
// black for ClearedDepth, else g = DepthGreyFloor + round((255 -
// DepthGreyFloor) (d - lo) / (hi - lo)) in double (255 when hi == lo), in
// all three bytes.
std::uint32_t DepthGrey(float d, float lo, float hi);
// Writes DepthGrey of every entry of depth into the image (both
// size.pitch x size.height, columns 0 .. width - 1 read and written), with
// lo and hi the least and the greatest drawn entry of the frame.
void DrawDepthGrey(const float* depth, const FrameSize& size, std::uint32_t* image);

// The heat colour of a pixel written count times: black for 0, then blue,
// cyan, green, yellow, orange, red, and white from OverdrawLevels - 1 on.
inline constexpr std::uint32_t OverdrawLevels = 8;
std::uint32_t OverdrawColour(std::uint32_t count);
// Turns the counts of FillPolygonCount into heat colours in place, then
// draws the legend (a swatch and its count for every level, "7+" the last)
// in the bottom left corner inside the border.
void DrawOverdrawHeat(std::uint32_t* image, const FrameSize& size);

// The colour of polygon polygon of object object: a hash of the two,
// every byte 0x40 .. 0xFF (never black, never the background).
std::uint32_t FlatColour(std::uint32_t object, std::uint32_t polygon);

// What the fills drew of a screen mesh, as the wire view outlines it.
// firstClipVertex[i] is the first vertex slot of object i that clipping
// made (its mesh's vertex count); nullptr: none made by clipping.
struct WireInput {
  const ScreenMesh* screen;
  const std::uint32_t* firstClipVertex;
};
// Outlines every polygon with drawFlag set of every visible object (lines
// between its successive vertices' pixels, column x >> 8 and row y, clipped
// to the frame) in OutlineColour, then marks each vertex made by clipping
// with a square of ClipVertexColour, 2 k + 1 pixels a side (k the frame's
// scale rounded down, at least 1).
// Returns how many such vertices the drawn polygons use.
std::uint32_t DrawWire(const WireInput& wire, std::uint32_t* image, const FrameSize& size);

// ---- on a whole 3D frame --------------------------------------------------------
// Draws view of the scene's frame, which RunFramePipeline and the fills made
// just before (depth its depth buffer, fb holding what the fills left, or
// for a view overFinish the finished frame). Frame and Raster draw nothing;
// depth, overdraw and flat replace the image, the latter two redrawing the
// polygons into the cleared depth buffer. On the calling thread; only the
// wire view's notes allocate.
void DrawPipelineView(PipelineView view, Scene& scene, float* depth, std::uint32_t* fb,
                      const FrameSize& size);
// The names of the objects the last wire view's frame culled whole,
// separated by spaces ("" when none), and the vertices clipping made.
struct WireNotes {
  std::string culled;
  std::uint32_t clipVertices = 0;
};
const WireNotes& LastWireNotes();

// ---- the figures of a 3D frame --------------------------------------------------
// What one 3D frame cost, for the status line and the benchmark:
//   objectsDrawn, objectsCulled  the scene's objects inside the view, and
//                                culled whole by their boxes
//   polygonsDrawn                polygons that reached the fills
//   polygonsBackFacing           faces of drawn objects turned away
//   polygonsClipped              faces turned towards the camera that
//                                clipping cut or removed
//   clipVertices                 vertices clipping added
//   pixelsFilled                 pixel writes of the fills (after the depth
//                                test), pixelsCovered the pixels written
//                                at least once
//   milliseconds                 per FrameStage
struct PipelineFigures {
  bool drawn3d = false;  // false: the frame drew no 3D scene
  std::uint32_t objectsDrawn = 0;
  std::uint32_t objectsCulled = 0;
  std::uint32_t polygonsDrawn = 0;
  std::uint32_t polygonsBackFacing = 0;
  std::uint32_t polygonsClipped = 0;
  std::uint32_t clipVertices = 0;
  std::uint64_t pixelsFilled = 0;
  std::uint64_t pixelsCovered = 0;
  std::array<double, FrameStageCount> milliseconds{};
  // Writes per pixel written; 0 for a frame that wrote none.
  double MeanOverdraw() const;
  // Adds every count and time of other (for sums over frames).
  void Add(const PipelineFigures& other);
};

// Whether the 3D recipe records the figures of its frames (off until told
// otherwise; off, it reads no clock and counts nothing).
void CountPipelineFigures(bool on);
bool PipelineFiguresCounted();
// The figures of the last frame drawn: ClearPipelineFigures before a frame
// starts, then the 3D recipe records its own.
void ClearPipelineFigures();
const PipelineFigures& LastPipelineFigures();
// Records the figures of the scene's frame that the pipeline, the fills
// and the finish made just before, with their clock: counts the objects,
// polygons and vertices of the working copies, then redraws the polygons
// with FillPolygonCount into a scratch image of size over the cleared
// depth buffer (which holds nothing of the frame afterwards). On the
// calling thread.
void RecordPipelineFigures(const Scene& scene, float* depth, const FrameSize& size,
                           const StageClock& clock);
// The counts of the scene's working copies after the pipeline (drawn3d
// set, pixels and milliseconds left 0).
PipelineFigures CountScene(const Scene& scene);

}  // namespace vx
