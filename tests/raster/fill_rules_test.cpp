// The fill rules on small hand-built polygons, for both fill modes, in the
// reference and every optimised variant alike.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "fill_cases.h"
#include "raster/raster.h"
#include "raster_fixture.h"

namespace vx::rastertest {
namespace {

class FillRules : public EachFill {
 protected:
  void Fill(TestObject& object, std::uint32_t index = 0) {
    fill(target.All(), object.entry, index);
  }
  Target target;
  std::vector<std::uint32_t> texture = CoordinateTexture(1);
};

// The right triangle (2,0), (2,4), (6,4): the left side is the vertical edge
// down column 2, the right side the diagonal up from (6,4), one more column
// per row. u runs 0..4 texels across, v 0..4 texels down, so pixel (x, y)
// shows texel (x - 2, y). z = 0.5 everywhere.
TEST_P(FillRules, SmallTriangleMatchesHandComputedPixels) {
  TestObject object;
  object.AddPolygon({At(2, 0, 0.5f, 0, 0), At(2, 4, 0.5f, 0, 1024), At(6, 4, 0.5f, 1024, 1024)},
                    texture.data());
  Fill(object);
  for (int y = 0; y < ScreenHeight; ++y) {
    for (int x = 0; x < ScreenWidth; ++x) {
      const bool inside = y <= 4 && x >= 2 && x <= 2 + y;
      SCOPED_TRACE("pixel " + std::to_string(x) + ", " + std::to_string(y));
      if (inside) {
        EXPECT_EQ(TexelColumn(target.Pixel(x, y)), x - 2);
        EXPECT_EQ(TexelRow(target.Pixel(x, y)), y);
        EXPECT_EQ(target.Depth(x, y), 0.5f);
      } else {
        ASSERT_EQ(target.Pixel(x, y), Background);
        ASSERT_EQ(target.Depth(x, y), 1e-6f);
      }
    }
  }
  EXPECT_EQ(target.DrawnCount(), 15);  // rows of 1, 2, 3, 4, 5 pixels
}

TEST_P(FillRules, DegeneratePolygonsDrawNothing) {
  TestObject object;
  // All on one row.
  object.AddPolygon({At(10, 7, 0.5f, 0, 0), At(20, 7, 0.5f, 0, 0), At(30, 7, 0.5f, 0, 0)},
                    texture.data());
  // One vertex; two vertices (a line).
  object.AddPolygon({At(10, 7, 0.5f, 0, 0)}, texture.data());
  object.AddPolygon({At(10, 7, 0.5f, 0, 0), At(40, 60, 0.5f, 0, 0)}, texture.data());
  // Count 0.
  object.AddPolygon({At(10, 7, 0.5f, 0, 0), At(10, 30, 0.5f, 0, 0), At(30, 30, 0.5f, 0, 0)},
                    texture.data());
  object.polygons[3].count = 0;
  for (std::uint32_t k = 0; k < object.polygons.size(); ++k) {
    Fill(object, k);
  }
  EXPECT_EQ(target.DrawnCount(), 0);
}

TEST_P(FillRules, ReversedWindingDrawsNothing) {
  TestObject forward, reversed;
  const ScreenVertex a = At(20, 10, 0.5f, 0, 0), b = At(10, 40, 0.5f, 0, 0),
                     c = At(50, 40, 0.5f, 0, 0);
  reversed.AddPolygon({a, c, b}, texture.data());
  Fill(reversed);
  EXPECT_EQ(target.DrawnCount(), 0);
  forward.AddPolygon({a, b, c}, texture.data());
  Fill(forward);
  EXPECT_GT(target.DrawnCount(), 500);
}

// An hourglass whose two sides touch at the middle row draws nothing, though
// its top row is ten columns wide; pinched one row higher it draws.
TEST_P(FillRules, NoWidthAtMiddleRowDrawsNothing) {
  TestObject pinchedAtMiddle, pinchedAbove;
  pinchedAtMiddle.AddPolygon({At(0, 0, 0.5f, 0, 0), At(5, 4, 0.5f, 0, 0), At(0, 8, 0.5f, 0, 0),
                              At(10, 8, 0.5f, 0, 0), At(5, 4, 0.5f, 0, 0), At(10, 0, 0.5f, 0, 0)},
                             texture.data());
  Fill(pinchedAtMiddle);
  EXPECT_EQ(target.DrawnCount(), 0);
  pinchedAbove.AddPolygon({At(0, 0, 0.5f, 0, 0), At(5, 3, 0.5f, 0, 0), At(0, 8, 0.5f, 0, 0),
                           At(10, 8, 0.5f, 0, 0), At(5, 3, 0.5f, 0, 0), At(10, 0, 0.5f, 0, 0)},
                          texture.data());
  Fill(pinchedAbove);
  EXPECT_NE(target.Pixel(0, 0), Background);
  EXPECT_NE(target.Pixel(10, 8), Background);
}

// Left side from (0,0) to (10,8), 1.25 columns a row; right side straight
// down column 8. Row 7 (left column 8) draws one pixel; row 8 (left column
// 10) lies inverted and is skipped while the rows above draw.
TEST_P(FillRules, OnePixelRowDrawsAndInvertedRowIsSkipped) {
  TestObject object;
  object.AddPolygon(
      {At(0, 0, 0.5f, 0, 0), At(10, 8, 0.5f, 0, 0), At(8, 8, 0.5f, 0, 0), At(8, 0, 0.5f, 0, 0)},
      texture.data());
  Fill(object);
  const int leftColumn[] = {0, 1, 2, 3, 5, 6, 7, 8};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 12; ++x) {
      EXPECT_EQ(target.Pixel(x, y) != Background, x >= leftColumn[y] && x <= 8)
          << "pixel " << x << ", " << y;
    }
  }
  for (int x = 0; x < 12; ++x) {
    EXPECT_EQ(target.Pixel(x, 8), Background) << "column " << x;
  }
}

TEST_P(FillRules, DepthTiesKeepTheFirstPolygonAndRedrawChangesNothing) {
  const std::vector<std::uint32_t> second = CoordinateTexture(2);
  TestObject first, coplanar;
  const ScreenVertex a = At(30, 20, 0.25f, 0, 0), b = At(10, 60, 0.3f, 0, 9000),
                     c = At(70, 55, 0.2f, 9000, 9000);
  first.AddPolygon({a, b, c}, texture.data());
  coplanar.AddPolygon({a, b, c}, second.data());
  Fill(first);
  const std::vector<std::uint32_t> image = target.image.Pixels();
  const std::vector<float> depth = target.depth.Pixels();
  ASSERT_GT(target.DrawnCount(), 500);
  Fill(first);
  Fill(coplanar);
  EXPECT_EQ(target.image.Pixels(), image);
  EXPECT_EQ(std::memcmp(target.depth.data(), depth.data(), depth.size() * sizeof(float)), 0);
}

TEST_P(FillRules, AfterClearAnythingNearerThanAMillionDraws) {
  TestObject nearer, atClear;
  nearer.AddPolygon({At(0, 0, 2e-6f, 0, 0), At(0, 10, 2e-6f, 0, 0), At(10, 10, 2e-6f, 0, 0),
                     At(10, 0, 2e-6f, 0, 0)},
                    texture.data());
  atClear.AddPolygon({At(20, 0, 1e-6f, 0, 0), At(20, 10, 1e-6f, 0, 0), At(30, 10, 1e-6f, 0, 0),
                      At(30, 0, 1e-6f, 0, 0)},
                     texture.data());
  Fill(nearer);
  Fill(atClear);
  EXPECT_EQ(target.DrawnCount(), 11 * 11);
  EXPECT_NE(target.Pixel(10, 10), Background);
  EXPECT_EQ(target.Pixel(20, 0), Background);
}

// A square of constant u (and v) across it shows one texel everywhere.
TEST_P(FillRules, TextureCoordinatesWrapEvery65536Units) {
  struct Wrap {
    std::int32_t u, v;
    int column, row;
  };
  const Wrap cases[] = {{300, 300, 1, 1},
                        {65536 + 300, 3 * 65536 + 300, 1, 1},
                        {-256, -256, 255, 255},
                        {-65536 - 1, 0, 255, 0},
                        {-2147483647 - 1, 0x7F00FF00, 0, 255}};
  for (const Wrap& w : cases) {
    Target local;
    TestObject square;
    square.AddPolygon({At(0, 0, 0.5f, w.u, w.v), At(0, 6, 0.5f, w.u, w.v), At(6, 6, 0.5f, w.u, w.v),
                       At(6, 0, 0.5f, w.u, w.v)},
                      texture.data());
    fill(local.All(), square.entry, 0);
    SCOPED_TRACE("u " + std::to_string(w.u) + " v " + std::to_string(w.v));
    EXPECT_EQ(local.DrawnCount(), 49);
    for (int y = 0; y <= 6; ++y) {
      for (int x = 0; x <= 6; ++x) {
        EXPECT_EQ(TexelColumn(local.Pixel(x, y)), w.column);
        EXPECT_EQ(TexelRow(local.Pixel(x, y)), w.row);
      }
    }
  }
}

// z along the row is z0 + k * dz: left z 0.3, right z 0.7 over 3 pixels.
TEST_P(FillRules, RowDepthIsLeftPlusPixelTimesGradient) {
  TestObject object;
  object.AddPolygon(
      {At(0, 0, 0.3f, 0, 0), At(0, 2, 0.3f, 0, 0), At(3, 2, 0.7f, 0, 0), At(3, 0, 0.7f, 0, 0)},
      texture.data());
  Fill(object);
  const float dz = (0.7f - 0.3f) / 3.0f;
  for (int k = 0; k <= 3; ++k) {
    EXPECT_EQ(target.Depth(k, 1), 0.3f + static_cast<float>(k) * dz) << "pixel " << k;
  }
}

// Texture columns along the rows of a rectangle w pixels wide, u from 0 to
// 4 texels (1024), 1/z from zLeft to zRight.
//  - Affine, u = k * du with du truncated: over width 3, du = 341, so the
//    last pixel has u = 1023, column 3, although the right end's u (1024)
//    is column 4; over width 4 the columns step evenly, 0 .. 4.
//  - Perspective, u = round(uz / z) at every pixel: with even depth
//    uz = k x 170.67, u = 0, 341, 683, 1024 (columns 0, 1, 2, 4); with 1/z
//    from 1 down to 0.25, z = 1 - 0.1875 k, uz = 64 k,
//    u = round(64 k / z) = 0, 79, 205, 439, 1024 (columns 0, 0, 0, 1, 4).
struct RowCase {
  int width;
  float zLeft, zRight;
  std::vector<int> affineColumns, perspectiveColumns;
};

TEST_P(FillRules, TextureColumnsAcrossARow) {
  const RowCase cases[] = {
      {3, 0.5f, 0.5f, {0, 1, 2, 3}, {0, 1, 2, 4}},
      {4, 1.0f, 0.25f, {0, 1, 2, 3, 4}, {0, 0, 0, 1, 4}},
  };
  for (const RowCase& c : cases) {
    TestObject object;
    object.AddPolygon({At(0, 0, c.zLeft, 0, 0), At(0, 3, c.zLeft, 0, 0),
                       At(c.width, 3, c.zRight, 1024, 0), At(c.width, 0, c.zRight, 1024, 0)},
                      texture.data());
    Target local;
    fill(local.All(), object.entry, 0);
    const std::vector<int>& columns =
        GetParam().perspective ? c.perspectiveColumns : c.affineColumns;
    const float dz = (c.zRight - c.zLeft) / static_cast<float>(c.width);
    for (int y = 0; y <= 3; ++y) {
      for (int x = 0; x <= c.width; ++x) {
        SCOPED_TRACE("width " + std::to_string(c.width) + ", pixel " + std::to_string(x) + ", " +
                     std::to_string(y));
        EXPECT_EQ(TexelColumn(local.Pixel(x, y)), columns[static_cast<std::size_t>(x)]);
        EXPECT_EQ(local.Depth(x, y), c.zLeft + static_cast<float>(x) * dz);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllFills, FillRules, ::testing::ValuesIn(AllFills), CaseName);

class PerspectiveFill : public EachFill {};

// u = round(uz / z) with the quotient in double, where a division in single
// rounds differently:
//  - 1/z = 1/129 (as a single), u = 4239615: uz = u x z rounds so that the
//    quotient is 4239615.2502 in double but exactly 4239615.5 in single,
//    which rounds (ties to even) to 4239616: column 0xB1 instead of 0xB0;
//  - 1/z = 1/3, u = 33355008: the quotient is 33355007.006 in double, but
//    singles are 2 apart there and it rounds to 33355008: column 245, not
//    244.
// A triangle of constant 1/z and u must show that column at every pixel.
struct QuotientCase {
  float z;
  std::int32_t u;
  int column;  // of round(uz / z) in double
};

TEST_P(PerspectiveFill, QuotientIsTakenInDouble) {
  const std::vector<std::uint32_t> texture = CoordinateTexture(1);
  for (const QuotientCase& c :
       {QuotientCase{1.0f / 129.0f, 4239615, 0xB0}, QuotientCase{1.0f / 3.0f, 33355008, 244}}) {
    SCOPED_TRACE(c.u);
    const float uz = static_cast<float>(c.u) * c.z;
    ASSERT_NE(TexelColumn(static_cast<std::uint32_t>(std::lrint(uz / c.z)) >> 8), c.column)
        << "the single quotient would give another column";
    ASSERT_EQ(TexelColumn(static_cast<std::uint32_t>(std::lrint(double{uz} / double{c.z})) >> 8),
              c.column);
    TestObject object;
    object.AddPolygon({At(10, 10, c.z, c.u, 0), At(10, 50, c.z, c.u, 0), At(100, 10, c.z, c.u, 0)},
                      texture.data());
    Target target;
    fill(target.All(), object.entry, 0);
    int drawn = 0;
    for (std::uint32_t pixel : target.image.Pixels()) {
      if (pixel == Background) continue;
      ++drawn;
      ASSERT_EQ(TexelColumn(pixel), c.column);
    }
    EXPECT_GT(drawn, 1000);
  }
}

INSTANTIATE_TEST_SUITE_P(
    PerspectiveFills, PerspectiveFill,
    ::testing::ValuesIn(FillsWhere([](const FillCase& c) { return c.perspective; })), CaseName);

// The clear writes 1e-6 into the band's rows, columns 0 .. width - 1, and
// nothing else: a 5 x 4 frame of pitch 7 in a buffer of 7 x 4, the bands
// {0, 4}, {1, 3} and an empty one, and bands reaching past the frame, which
// are clamped to it.
TEST(DepthBuffer, ClearWritesOneMillionthToTheBandsRowsOnly) {
  constexpr FrameSize size{5, 4, 7};
  struct ClearCase {
    RowBand rows;
    int firstRow, endRow;  // rows expected cleared
  };
  const ClearCase cases[] = {
      {{0, 4}, 0, 4}, {{1, 3}, 1, 3}, {{2, 2}, 0, 0}, {{-3, 1}, 0, 1}, {{3, 9}, 3, 4}};
  for (const ClearCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "rows " << c.rows.begin << " .. " << c.rows.end);
    std::vector<float> depth(FrameWords(size), 7.0f);
    ClearDepthBuffer({nullptr, depth.data(), size, c.rows});
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.pitch; ++x) {
        const bool cleared = y >= c.firstRow && y < c.endRow && x < size.width;
        ASSERT_EQ(depth[static_cast<std::size_t>(y * size.pitch + x)], cleared ? 1e-6f : 7.0f)
            << x << ", " << y;
      }
    }
  }
  ClearDepthBuffer({nullptr, nullptr, size, AllRows(size)});  // nothing to clear
}

// Without a depth buffer or an image, or with a size the fills refuse, the
// fills and the draw pass write nothing.
TEST(DepthBuffer, TargetsWithoutBuffersOrWithUndrawableSizesDrawNothing) {
  const std::vector<std::uint32_t> texture = CoordinateTexture(1);
  TestObject object;
  object.AddPolygon({At(0, 0, 0.5f, 0, 0), At(0, 9, 0.5f, 0, 0), At(9, 9, 0.5f, 0, 0)},
                    texture.data());
  const ScreenMesh screen{0, 1, &object.entry};
  std::vector<std::uint32_t> image(ScreenPixels, Background);
  std::vector<float> depth(ScreenPixels, 1e-6f);
  const RasterTarget targets[] = {
      {image.data(), nullptr, ClassicFrame, AllRows(ClassicFrame)},
      {nullptr, depth.data(), ClassicFrame, AllRows(ClassicFrame)},
      {image.data(), depth.data(), {ScreenWidth, ScreenHeight, ScreenWidth - 1}, {0, 200}},
      {image.data(), depth.data(), {0, ScreenHeight, ScreenWidth}, {0, ScreenHeight}},
      {image.data(), depth.data(), {1, MaxFrameHeight + 1, 1}, {0, 20}},
      {image.data(), depth.data(), ClassicFrame, {20, 20}},
  };
  for (const RasterTarget& target : targets) {
    FillPolygonPerspective(target, object.entry, 0);
    FillPolygonAffine(target, object.entry, 0);
    reference::FillPolygonAffine(target, object.entry, 0);
    reference::FillPolygonPerspective(target, object.entry, 0);
    DrawScenePolygons(&screen, target, FillPolygonAffine);
  }
  EXPECT_EQ(image, std::vector<std::uint32_t>(ScreenPixels, Background));
  EXPECT_EQ(depth, std::vector<float>(ScreenPixels, 1e-6f));
  // The same triangle into the whole classic frame draws its 55 pixels.
  FillPolygonAffine({image.data(), depth.data(), ClassicFrame, AllRows(ClassicFrame)}, object.entry,
                    0);
  EXPECT_EQ(
      std::count_if(image.begin(), image.end(), [](std::uint32_t p) { return p != Background; }),
      55);
}

}  // namespace
}  // namespace vx::rastertest
