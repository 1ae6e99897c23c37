// Polygons handed over unclipped draw exactly their visible part; broken
// records draw nothing; the draw pass fills what is visible and flagged, in
// order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "fill_cases.h"
#include "raster/raster.h"
#include "raster_fixture.h"

namespace vx::rastertest {
namespace {

class Clamping : public EachFill {
 protected:
  // A rectangle over columns left..right and rows top..bottom with one texel
  // per pixel: pixel (x, y) shows texel ((x - left) & 255, (y - top) & 255).
  void FillRectangle(int left, int top, int right, int bottom) {
    const std::int32_t u = (right - left) * 256, v = (bottom - top) * 256;
    object.AddPolygon({At(left, top, 0.5f, 0, 0), At(left, bottom, 0.5f, 0, v),
                       At(right, bottom, 0.5f, u, v), At(right, top, 0.5f, u, 0)},
                      texture.data());
    fill(target.All(), object.entry, static_cast<std::uint32_t>(object.polygons.size() - 1));
  }
  void ExpectRectangle(int left, int top, int right, int bottom) {
    for (int y = 0; y < ScreenHeight; ++y) {
      for (int x = 0; x < ScreenWidth; ++x) {
        const std::uint32_t p = target.Pixel(x, y);
        if (x >= left && x <= right && y >= top && y <= bottom) {
          ASSERT_EQ(TexelColumn(p), (x - left) & 255) << x << ", " << y;
          ASSERT_EQ(TexelRow(p), (y - top) & 255) << x << ", " << y;
        } else {
          ASSERT_EQ(p, Background) << x << ", " << y;
        }
      }
    }
  }
  Target target;
  TestObject object;
  std::vector<std::uint32_t> texture = CoordinateTexture(1);
};

TEST_P(Clamping, PolygonLargerThanTheImageDrawsEveryPixelOnce) {
  FillRectangle(-100, -50, 400, 300);
  ExpectRectangle(-100, -50, 400, 300);
}

// Rows -300..100: the middle row (-100) lies above the image.
TEST_P(Clamping, MiddleRowAboveTheImageStillGivesTheGradients) {
  FillRectangle(-20, -300, 150, 100);
  ExpectRectangle(-20, -300, 150, 100);
}

TEST_P(Clamping, MiddleRowBelowTheImageStillGivesTheGradients) {
  FillRectangle(250, 150, 330, 1000);
  ExpectRectangle(250, 150, 330, 1000);
}

TEST_P(Clamping, PolygonsOutsideTheImageDrawNothing) {
  FillRectangle(10, 200, 50, 260);  // below
  FillRectangle(10, -60, 50, -1);   // above
  FillRectangle(-90, 10, -1, 60);   // left
  FillRectangle(320, 10, 400, 60);  // right
  EXPECT_EQ(target.DrawnCount(), 0);
}

// Clipping keeps vertices up to a pixel or three outside the view's side
// planes, and a vertex may sit exactly on the row or column just past the
// last: a triangle at each corner of the frame, its corner vertex 0 to 3
// pixels past it, draws its part inside the frame and writes nothing outside
// (the target's guard bands and pitch gaps check that), at the classic size
// and the largest ones, landscape and portrait.
TEST_P(Clamping, VerticesJustPastTheCornersDrawOnlyInsideTheImage) {
  struct Corner {
    int x, y;    // the frame's corner pixel
    int dx, dy;  // outwards
  };
  for (const FrameSize& size : {ClassicFrame, FrameSize{3840, 2160, 3840},
                                FrameSize{3840, 2160, 3848}, FrameSize{1080, 1920, 1080}}) {
    const int lastX = size.width - 1, lastY = size.height - 1;
    const Corner corners[] = {
        {0, 0, -1, -1}, {lastX, 0, 1, -1}, {0, lastY, -1, 1}, {lastX, lastY, 1, 1}};
    Target target(size);  // drawn on near one corner at a time, then restored
    for (const Corner& c : corners) {
      for (int past : {0, 1, 3}) {
        SCOPED_TRACE(testing::Message()
                     << size.width << " x " << size.height << " pitch " << size.pitch << ", corner "
                     << c.x << ", " << c.y << ", past " << past);
        // The column and row just past the last ones.
        const int x = c.x + (c.dx > 0 ? 1 : 0) + c.dx * past;
        const int y = c.y + (c.dy > 0 ? 1 : 0) + c.dy * past;
        ScreenVertex corner = At(x, y, 0.5f, 0, 0), alongX = At(x - 60 * c.dx, y, 0.5f, 0, 0),
                     alongY = At(x, y - 60 * c.dy, 0.5f, 0, 0);
        // The fills draw the winding of FillRectangle's corners.
        if (c.dx * c.dy > 0) std::swap(alongX, alongY);
        TestObject triangle;
        triangle.AddPolygon({corner, alongX, alongY}, texture.data());
        fill(target.All(), triangle.entry, 0);
        EXPECT_NE(target.Pixel(c.x - 2 * c.dx, c.y - 2 * c.dy), Background);
        // Every drawn pixel lies within 64 pixels of the corner.
        int nearCorner = 0;
        for (int row = std::max(0, c.y - 64); row <= std::min(lastY, c.y + 64); ++row) {
          for (int column = std::max(0, c.x - 64); column <= std::min(lastX, c.x + 64); ++column) {
            nearCorner += target.Pixel(column, row) != Background;
          }
        }
        EXPECT_GT(nearCorner, 1300);  // about (60 - past)² / 2 lie inside
        ASSERT_EQ(target.DrawnCount(), nearCorner);
        for (int row = std::max(0, c.y - 64); row <= std::min(lastY, c.y + 64); ++row) {
          for (int column = std::max(0, c.x - 64); column <= std::min(lastX, c.x + 64); ++column) {
            target.image.At(column, row) = Background;
          }
        }
        target.ClearDepth();
      }
    }
  }
}

TEST_P(Clamping, ExtremeCoordinatesDrawOnlyInsideTheImage) {
  // Corners near the ends of the 32-bit range: the rectangle covers the
  // whole image, with no overflow on the way.
  object.AddPolygon({{-2147483647 - 1, -2147483647 - 1, 0.5f, 0, 0},
                     {-2147483647 - 1, 2147483647, 0.5f, 0, 0},
                     {2147483647, 2147483647, 0.5f, 0, 0},
                     {2147483647, -2147483647 - 1, 0.5f, 0, 0}},
                    texture.data());
  fill(target.All(), object.entry, 0);
  EXPECT_EQ(target.DrawnCount(), ScreenPixels);
}

TEST_P(Clamping, BrokenRecordsDrawNothing) {
  const ScreenVertex a = At(10, 10, 0.5f, 0, 0), b = At(10, 50, 0.5f, 0, 0),
                     c = At(60, 50, 0.5f, 0, 0);
  object.AddPolygon({a, b, c}, texture.data());
  object.AddPolygon({a, b, c}, texture.data());
  object.polygons[0].texture = nullptr;
  object.polygons[1].count = 16;  // more than the index list holds
  object.AddPolygon({a, b, c}, texture.data());
  object.polygons[2].indices[1] = object.object.vertexSlots;  // past the slots
  object.Link();
  for (std::uint32_t k = 0; k < 3; ++k) {
    fill(target.All(), object.entry, k);
  }
  fill(target.All(), object.entry, 3);  // no such polygon
  ScreenObject* none = nullptr;
  fill(target.All(), none, 0);
  EXPECT_EQ(target.DrawnCount(), 0);
  // The same triangle, intact, draws.
  object.AddPolygon({a, b, c}, texture.data());
  fill(target.All(), object.entry, 3);
  EXPECT_GT(target.DrawnCount(), 1000);
}

INSTANTIATE_TEST_SUITE_P(AllFills, Clamping, ::testing::ValuesIn(AllFills), CaseName);

// Three objects: the first visible with polygons in three bands of rows, the
// middle one not flagged; the second not visible; the third visible with no
// polygons.
struct DrawPassScene {
  std::vector<std::uint32_t> texture = CoordinateTexture(3);
  TestObject shown, hidden, empty;
  std::vector<ScreenObject*> objects;
  ScreenMesh screen{};

  DrawPassScene() {
    for (int band = 0; band < 3; ++band) {
      const int top = band * 20;
      shown.AddPolygon({At(0, top, 0.5f, 0, 0), At(0, top + 10, 0.5f, 0, 0),
                        At(40, top + 10, 0.5f, 0, 0), At(40, top, 0.5f, 0, 0)},
                       texture.data());
    }
    shown.polygons[1].drawFlag = 0;
    hidden.AddPolygon({At(100, 0, 0.5f, 0, 0), At(100, 10, 0.5f, 0, 0), At(140, 10, 0.5f, 0, 0),
                       At(140, 0, 0.5f, 0, 0)},
                      texture.data());
    hidden.object.visible = 0;
    empty.object.visible = 1;
    objects = {shown.entry, hidden.entry, empty.entry};
    screen.objectCount = static_cast<std::uint16_t>(objects.size());
    screen.objects = objects.data();
  }
};

TEST(DrawScenePolygons, FillsFlaggedPolygonsOfVisibleObjectsOnly) {
  for (bool reference : {true, false}) {
    UseReferenceRaster(reference);
    DrawPassScene s;
    Target target;
    DrawScenePolygons(&s.screen, target.All(), FillPolygonPerspective);
    EXPECT_NE(target.Pixel(20, 5), Background);   // band 0
    EXPECT_EQ(target.Pixel(20, 25), Background);  // band 1: drawFlag 0
    EXPECT_NE(target.Pixel(20, 45), Background);  // band 2
    EXPECT_EQ(target.Pixel(120, 5), Background);  // invisible object
    EXPECT_EQ(target.DrawnCount(), 2 * 11 * 41);

    // The same as filling the two flagged polygons by hand.
    Target byHand;
    FillPolygonPerspective(byHand.All(), s.shown.entry, 0);
    FillPolygonPerspective(byHand.All(), s.shown.entry, 2);
    EXPECT_EQ(target.image, byHand.image);
    EXPECT_EQ(target.depth, byHand.depth);
  }
  UseReferenceRaster(false);
}

TEST(DrawScenePolygons, DepthDecidesWhatIsSeenWhateverTheOrder) {
  DrawPassScene s;
  // Band 2 moves over band 0, nearer (1/z 0.75 > 0.5), drawn after it; then
  // the order is reversed: the image is the same.
  for (int i = 0; i < 4; ++i) {
    s.shown.vertices[8 + i].y -= 40;
    s.shown.vertices[8 + i].z = 0.75f;
  }
  const std::vector<std::uint32_t> nearTexture = CoordinateTexture(4);
  s.shown.polygons[2].texture = nearTexture.data();
  Target forward;
  DrawScenePolygons(&s.screen, forward.All(), FillPolygonAffine);
  EXPECT_EQ(forward.Pixel(20, 5) >> 16, 4u);
  std::swap(s.shown.polygonPointers[0], s.shown.polygonPointers[2]);
  Target backward;
  DrawScenePolygons(&s.screen, backward.All(), FillPolygonAffine);
  EXPECT_EQ(backward.image, forward.image);
}

TEST(DrawScenePolygons, MissingScreenMeshOrObjectTableDrawsNothing) {
  const ScreenMesh noObjects{};
  Target target;
  DrawScenePolygons(&noObjects, target.All(), FillPolygonPerspective);
  DrawScenePolygons(nullptr, target.All(), FillPolygonPerspective);
  EXPECT_EQ(target.DrawnCount(), 0);
}

}  // namespace
}  // namespace vx::rastertest
