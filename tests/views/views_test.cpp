// The pipeline views on small hand-built scenes with known answers: the
// table of names, one triangle's outline, overdraw where two triangles
// overlap, the depth view's grey against 1/z, the flat colours, and the
// vertices clipping makes at a side plane of a real pipeline frame, and the
// figures the status line gives of such a frame.
#include "views/views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/scene_fixtures.h"
#include "raster/raster.h"
#include "raster/raster_fixture.h"

namespace vx {
namespace {

using rastertest::At;
using rastertest::Background;
using rastertest::Target;
using rastertest::TestObject;

TEST(PipelineViewTable, EveryNameFindsItsViewAndTheKeyStepsThroughAllOnce) {
  std::set<std::string_view> names;
  for (const PipelineViewRow& row : PipelineViews()) {
    EXPECT_TRUE(names.insert(row.name).second) << "twice: " << row.name;
    PipelineView found = PipelineView::Frame;
    ASSERT_TRUE(FindPipelineView(row.name, found)) << row.name;
    EXPECT_EQ(found, row.view);
    EXPECT_EQ(PipelineViewOf(row.view).name, row.name);
    EXPECT_FALSE(row.help.empty()) << row.name;
  }
  // Only the finished frame and the wire (drawn over it) keep the finish.
  EXPECT_TRUE(PipelineViewOf(PipelineView::Frame).overFinish);
  EXPECT_TRUE(PipelineViewOf(PipelineView::Wire).overFinish);
  EXPECT_FALSE(PipelineViewOf(PipelineView::Raster).overFinish);
  for (const char* bad : {"", "Frame", "wire ", "over", "frames"}) {
    PipelineView found = PipelineView::Depth;
    EXPECT_FALSE(FindPipelineView(bad, found)) << bad;
    EXPECT_EQ(found, PipelineView::Depth) << "left as it was";
  }
  PipelineView view = PipelineView::Frame;
  std::set<PipelineView> seen;
  for (std::size_t i = 0; i < PipelineViews().size(); ++i) {
    EXPECT_TRUE(seen.insert(view).second);
    view = NextPipelineView(view);
  }
  EXPECT_EQ(view, PipelineView::Frame) << "back to the frame after the last";
  EXPECT_EQ(NextPipelineView(PipelineView::Frame), PipelineView::Raster);
}

// The right triangle (ox, oy), (ox, oy + n), (ox + n, oy + n): the fills
// cover the pixels (x, y) with oy <= y <= oy + n and ox <= x <= ox + y - oy.
void AddRightTriangle(TestObject& object, int ox, int oy, int n, float z,
                      const std::uint32_t* texture) {
  object.AddPolygon(
      {At(ox, oy, z, 0, 0), At(ox, oy + n, z, 0, 1024), At(ox + n, oy + n, z, 1024, 1024)},
      texture);
}

bool InRightTriangle(int x, int y, int ox, int oy, int n) {
  return y >= oy && y <= oy + n && x >= ox && x <= ox + (y - oy);
}

TEST(WireView, OneTriangleIsOutlinedOnExactlyItsEdgePixels) {
  const std::vector<std::uint32_t> texture = rastertest::CoordinateTexture(1);
  TestObject object;
  AddRightTriangle(object, 10, 10, 20, 0.5f, texture.data());
  const ScreenObject* objects[] = {object.entry};
  const ScreenMesh screen{
      .byteSize = 0, .objectCount = 1, .objects = const_cast<ScreenObject**>(objects)};
  Target target;
  // No clip vertices: nothing marked.
  EXPECT_EQ(
      DrawWire({.screen = &screen, .firstClipVertex = nullptr}, target.image.data(), ClassicFrame),
      0u);
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) {
      // Column 10 down, row 30 across, the diagonal (10 + k, 10 + k).
      const bool edge = (x == 10 && y >= 10 && y <= 30) || (y == 30 && x >= 10 && x <= 30) ||
                        (x == y && x >= 10 && x <= 30);
      ASSERT_EQ(target.Pixel(x, y), edge ? OutlineColour : Background) << x << ", " << y;
    }
}

TEST(WireView, OutlinesAreCutAtTheFrameAndClipVerticesAreMarked) {
  const std::vector<std::uint32_t> texture = rastertest::CoordinateTexture(1);
  TestObject object;
  // Reaching far past the left and bottom edges: only the frame's pixels
  // are written (the target's guard bands catch any other).
  object.AddPolygon(
      {At(-5000, 100, 0.5f, 0, 0), At(100, 90000, 0.5f, 0, 0), At(300, 150, 0.5f, 0, 0)},
      texture.data());
  // A triangle whose vertices 4 and 5 clipping made (the mesh had 4).
  object.AddPolygon({At(20, 20, 0.5f, 0, 0), At(20, 40, 0.5f, 0, 0), At(40, 40, 0.5f, 0, 0)},
                    texture.data());
  const ScreenObject* objects[] = {object.entry};
  const ScreenMesh screen{
      .byteSize = 0, .objectCount = 1, .objects = const_cast<ScreenObject**>(objects)};
  const std::uint32_t firstClip[] = {4};
  Target target;
  EXPECT_EQ(DrawWire({.screen = &screen, .firstClipVertex = firstClip}, target.image.data(),
                     ClassicFrame),
            2u);
  // The classic frame's marks are 3 x 3 around the vertex, over the lines.
  for (const auto& [x, y] : {std::pair{20, 40}, std::pair{40, 40}}) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        EXPECT_EQ(target.Pixel(x + dx, y + dy), ClipVertexColour) << x + dx << ", " << y + dy;
    EXPECT_NE(target.Pixel(x + 2, y - 2), ClipVertexColour);
  }
  EXPECT_EQ(target.Pixel(20, 20), OutlineColour);  // a vertex of the mesh: not marked
  EXPECT_EQ(target.Pixel(20, 30), OutlineColour);
  // The long edges enter the frame where they cross its sides: the one
  // from (300, 150) back to (-5000, 100) leaves it at column 0 near row 147,
  // the one up from (100, 90000) enters at row 199 near column 300.
  EXPECT_EQ(target.Pixel(300, 150), OutlineColour);
  const auto lineAt = [&](int x0, int x1, int y0, int y1) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (target.Pixel(x, y) == OutlineColour) return true;
    return false;
  };
  EXPECT_TRUE(lineAt(0, 0, 145, 149));
  EXPECT_TRUE(lineAt(295, 305, 199, 199));
  EXPECT_FALSE(lineAt(0, 5, 190, 199)) << "the first edge passes left of the frame";
}

TEST(OverdrawView, TwoOverlappingTrianglesCountTwoWhereTheyOverlap) {
  const std::vector<std::uint32_t> texture = rastertest::CoordinateTexture(1);
  struct Case {
    float nearZ, secondZ;  // 1/z of the first and the second triangle
    bool secondCounts;     // where it lies behind the first, the depth test refuses it
  };
  for (const Case c : {Case{0.25f, 0.5f, true}, Case{0.5f, 0.25f, false}}) {
    TestObject object;
    AddRightTriangle(object, 10, 10, 40, c.nearZ, texture.data());
    AddRightTriangle(object, 25, 20, 40, c.secondZ, texture.data());
    Target target;
    for (int y = 0; y < ScreenHeight; ++y) std::fill_n(target.image.Row(y), ScreenWidth, 0u);
    FillPolygonCount(target.All(), object.entry, 0);
    FillPolygonCount(target.All(), object.entry, 1);
    int twos = 0;
    for (int y = 0; y < ScreenHeight; ++y)
      for (int x = 0; x < ScreenWidth; ++x) {
        const bool first = InRightTriangle(x, y, 10, 10, 40);
        const bool second = InRightTriangle(x, y, 25, 20, 40);
        const std::uint32_t expected =
            (first ? 1u : 0u) + (second && (!first || c.secondCounts) ? 1u : 0u);
        ASSERT_EQ(target.Pixel(x, y), expected) << x << ", " << y << " second z " << c.secondZ;
        twos += expected == 2;
      }
    EXPECT_EQ(twos > 0, c.secondCounts);
    // Then the heat colours: counts 0, 1, 2 in theirs, the legend below.
    const std::uint32_t overlap = target.Pixel(40, 45), alone = target.Pixel(12, 40);
    DrawOverdrawHeat(target.image.data(), ClassicFrame);
    EXPECT_EQ(target.Pixel(40, 45), OverdrawColour(overlap));
    EXPECT_EQ(target.Pixel(12, 40), OverdrawColour(1));
    EXPECT_EQ(target.Pixel(200, 20), OverdrawColour(0));
    EXPECT_EQ(alone, 1u);
  }
}

TEST(OverdrawView, HeatColoursDifferPerLevelAndTheLegendShowsEach) {
  std::set<std::uint32_t> colours;
  for (std::uint32_t n = 0; n < OverdrawLevels; ++n) colours.insert(OverdrawColour(n));
  EXPECT_EQ(colours.size(), OverdrawLevels);
  EXPECT_EQ(OverdrawColour(0), 0u);
  EXPECT_EQ(OverdrawColour(OverdrawLevels + 100), OverdrawColour(OverdrawLevels - 1));
  // A frame written nowhere: black but for the legend, which shows every
  // level's colour in the bottom rows.
  for (const FrameSize size : {ClassicFrame, PackedFrame(1280, 800)}) {
    std::vector<std::uint32_t> image(FrameWords(size), 0u);
    DrawOverdrawHeat(image.data(), size);
    std::set<std::uint32_t> shown;
    for (std::int32_t y = 0; y < size.height; ++y)
      for (std::int32_t x = 0; x < size.width; ++x) {
        const std::uint32_t p = image[static_cast<std::size_t>(y) * size.pitch + x];
        if (p != 0) {
          EXPECT_GT(y, size.height * 3 / 4) << "legend only at the bottom";
          EXPECT_LT(x, size.width * 3 / 4) << "legend only at the left";
        }
        shown.insert(p);
      }
    for (std::uint32_t n = 1; n < OverdrawLevels; ++n)
      EXPECT_EQ(shown.count(OverdrawColour(n)), 1u) << n << " at " << size.width;
  }
}

TEST(DepthView, GreyFollowsOneOverZFromTheFarthestToTheNearest) {
  // Three triangles of constant 1/z: the frame's range is 0.25 .. 0.75, so
  // 0.375 lies a quarter of the way: 48 + round(207 x 0.25) = 100.
  const std::vector<std::uint32_t> texture = rastertest::CoordinateTexture(1);
  struct Case {
    int ox;
    float z;
    std::uint32_t grey;
  };
  const Case cases[] = {{10, 0.25f, DepthGreyFloor}, {60, 0.375f, 100}, {110, 0.75f, 255}};
  TestObject object;
  for (const Case& c : cases) AddRightTriangle(object, c.ox, 20, 30, c.z, texture.data());
  Target target;
  for (std::uint32_t k = 0; k < 3; ++k) FillPolygonFlat(target.All(), object.entry, k, 1u);
  DrawDepthGrey(target.depth.data(), ClassicFrame, target.image.data());
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) {
      std::uint32_t grey = 0;  // undrawn: black
      for (const Case& c : cases)
        if (InRightTriangle(x, y, c.ox, 20, 30)) grey = c.grey;
      ASSERT_EQ(target.Pixel(x, y), grey << 16 | grey << 8 | grey) << x << ", " << y;
    }
  // A slope of 1/z: grey rises with 1/z, and one depth alone is white.
  EXPECT_LT(DepthGrey(0.3f, 0.25f, 0.75f), DepthGrey(0.31f, 0.25f, 0.75f));
  EXPECT_EQ(DepthGrey(0.5f, 0.5f, 0.5f), 0x00FFFFFFu);
  EXPECT_EQ(DepthGrey(ClearedDepth, 0.25f, 0.75f), 0u);
}

TEST(FlatView, EachPolygonIsOneColourOfItsOwnAndNeverBlack) {
  std::set<std::uint32_t> colours;
  for (std::uint32_t o = 0; o < 16; ++o)
    for (std::uint32_t p = 0; p < 64; ++p) {
      const std::uint32_t c = FlatColour(o, p);
      colours.insert(c);
      for (int shift = 0; shift < 24; shift += 8) EXPECT_GE(c >> shift & 0xFF, 0x40u);
      EXPECT_EQ(c >> 24, 0u);
    }
  EXPECT_GT(colours.size(), 1000u) << "colours repeat too often";
  EXPECT_NE(FlatColour(0, 1), FlatColour(1, 0));

  // Two triangles filled flat: every pixel of each in its colour, the
  // nearer one's where they overlap.
  const std::vector<std::uint32_t> texture = rastertest::CoordinateTexture(1);
  TestObject object;
  AddRightTriangle(object, 10, 10, 40, 0.25f, texture.data());
  AddRightTriangle(object, 25, 20, 40, 0.5f, texture.data());
  Target target;
  for (std::uint32_t k = 0; k < 2; ++k)
    FillPolygonFlat(target.All(), object.entry, k, FlatColour(0, k));
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) {
      std::uint32_t expected = Background;
      if (InRightTriangle(x, y, 10, 10, 40)) expected = FlatColour(0, 0);
      if (InRightTriangle(x, y, 25, 20, 40)) expected = FlatColour(0, 1);
      ASSERT_EQ(target.Pixel(x, y), expected) << x << ", " << y;
    }
}

TEST(WireView, ATriangleAcrossASidePlaneGetsTwoClipVerticesAndCulledObjectsAreNamed) {
  struct Case {
    const char* plane;
    test::ObjectDesc triangle;
    std::uint32_t clipVertices;
  };
  const std::vector<Case> cases = {
      // Reaching far right at z 2: the right plane cuts two edges.
      {"right", test::Triangle("Wide", {-0.5f, 0, 2}, {8, 0, 2}, {-0.5f, 0.5f, 2}), 2},
      // Reaching far left: the left plane, likewise.
      {"left", test::Triangle("Wide", {0.5f, 0, 2}, {0.5f, 0.5f, 2}, {-8, 0, 2}), 2},
      // Inside every plane: none.
      {"none", test::Triangle("Small", {-0.5f, 0, 2}, {0.5f, 0, 2}, {-0.5f, 0.5f, 2}), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.plane);
    Scene* scene = test::MakePreparedScene(
        test::InView({c.triangle, test::Triangle("Behind", {0, 0, -5}, {1, 0, -5}, {0, 1, -5}),
                      test::Triangle("Far Left", {-90, 0, 2}, {-91, 0, 2}, {-90, 1, 2})}));
    RunFramePipeline(scene, 0.0f, 0, 0.5f, 100000.0f, ClassicFrame);
    ASSERT_EQ(scene->screen->objects[0]->visible, 1);
    const Polygon& polygon = *scene->screen->objects[0]->polygons[0];
    ASSERT_EQ(polygon.drawFlag, 1) << "the triangle faces the camera";
    EXPECT_EQ(polygon.count, 3 + c.clipVertices / 2);
    std::vector<std::uint32_t> fb(FrameWords(ClassicFrame), 0u);
    DrawPipelineView(PipelineView::Wire, *scene, scene->depthBuffer, fb.data(), ClassicFrame);
    EXPECT_EQ(LastWireNotes().clipVertices, c.clipVertices);
    EXPECT_EQ(LastWireNotes().culled, "Behind Far Left");
    const std::size_t marks =
        static_cast<std::size_t>(std::count(fb.begin(), fb.end(), ClipVertexColour));
    EXPECT_EQ(marks > 0, c.clipVertices > 0);
    EXPECT_GT(std::count(fb.begin(), fb.end(), OutlineColour), 0);
    test::DestroyScene(scene);
  }
}

// The figures of a real pipeline frame: which objects were culled, which
// faces turned away or were clipped, how many vertices clipping added, and
// the fills' writes, where the draw order decides whether the nearer of
// two copies of one triangle writes over the farther one.
TEST(PipelineFigures, CountsOfAFrameMatchItsHandMadeScene) {
  const test::ObjectDesc across =
      test::Triangle("Across", {-0.5f, 0, 2}, {8, 0, 2}, {-0.5f, 0.5f, 2});
  const test::ObjectDesc away = test::Triangle("Away", {-0.5f, 0, 2}, {-0.5f, 0.5f, 2}, {0, 0, 2});
  const test::ObjectDesc behind = test::Triangle("Behind", {0, 0, -5}, {1, 0, -5}, {0, 1, -5});
  Scene* scene = test::MakePreparedScene(test::InView({across, away, behind}));
  RunFramePipeline(scene, 0.0f, 0, 0.5f, 100000.0f, ClassicFrame);
  const PipelineFigures figures = CountScene(*scene);
  EXPECT_TRUE(figures.drawn3d);
  EXPECT_EQ(figures.objectsDrawn, 2u);
  EXPECT_EQ(figures.objectsCulled, 1u);
  EXPECT_EQ(figures.polygonsDrawn, 1u);
  EXPECT_EQ(figures.polygonsBackFacing, 1u);
  EXPECT_EQ(figures.polygonsClipped, 1u);
  EXPECT_EQ(figures.clipVertices, 2u) << "the right plane cuts two edges";
  test::DestroyScene(scene);

  // Two copies of one triangle, the far one larger: drawn nearer first,
  // every pixel is written once; farther first, the nearer copy writes
  // over it wherever it lies, each copy's pixels counted in full.
  const auto at = [](const char* name, float z, float size) {
    return test::Triangle(name, {-size * z, 0, z}, {size * z, 0, z}, {-size * z, size * z, z});
  };
  const auto record = [](const test::SceneDesc& desc) {
    Scene* drawn = test::MakePreparedScene(desc);
    RunFramePipeline(drawn, 0.0f, 0, 0.5f, 100000.0f, ClassicFrame);
    RecordPipelineFigures(*drawn, drawn->depthBuffer, ClassicFrame, StageClock{});
    test::DestroyScene(drawn);
    return LastPipelineFigures();
  };
  const test::ObjectDesc nearCopy = at("Near", 2, 0.25f), farCopy = at("Far", 3, 0.3f);
  const PipelineFigures nearAlone = record(test::InView({nearCopy}));
  const PipelineFigures farAlone = record(test::InView({farCopy}));
  EXPECT_GT(nearAlone.pixelsCovered, 100u);
  EXPECT_GT(farAlone.pixelsCovered, nearAlone.pixelsCovered);
  EXPECT_EQ(nearAlone.pixelsFilled, nearAlone.pixelsCovered);

  const PipelineFigures nearFirst = record(test::InView({nearCopy, farCopy}));
  EXPECT_EQ(nearFirst.polygonsDrawn, 2u);
  EXPECT_EQ(nearFirst.pixelsCovered, farAlone.pixelsCovered);
  EXPECT_DOUBLE_EQ(nearFirst.MeanOverdraw(), 1.0);
  const PipelineFigures farFirst = record(test::InView({farCopy, nearCopy}));
  EXPECT_EQ(farFirst.pixelsFilled, farAlone.pixelsCovered + nearAlone.pixelsCovered);
  EXPECT_GT(farFirst.MeanOverdraw(), 1.0);

  ClearPipelineFigures();
  EXPECT_FALSE(LastPipelineFigures().drawn3d);
}

}  // namespace
}  // namespace vx
