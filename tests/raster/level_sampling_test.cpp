// How the fills read texture levels at frames larger than the classic one:
// textures of 256, 512 and 1024 texels cover the same surface, the level
// follows how many texels a pixel steps over, and on a receding floor it
// follows the exact mapping row by row. The classic frame never reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "fill_cases.h"
#include "random_levels.h"
#include "random_polygons.h"
#include "raster/fill_setup.h"
#include "raster/raster.h"
#include "raster_fixture.h"

namespace vx::rastertest {
namespace {

constexpr FrameSize FullHd{1920, 1080, 1920};
constexpr double Period = 65536.0;  // 8.8 units of u or v a texture spans

// Texel (column, row) of a 2^sizeLog2 texture: 0x0SRRRCCC with S = sizeLog2,
// 10 bits each for row and column.
std::vector<std::uint32_t> SizedCoordinateTexture(std::uint32_t sizeLog2) {
  const std::uint32_t side = 1u << sizeLog2;
  std::vector<std::uint32_t> texels(side * side);
  for (std::uint32_t row = 0; row < side; ++row) {
    for (std::uint32_t column = 0; column < side; ++column) {
      texels[row * side + column] = (sizeLog2 << 20) | (row << 10) | column;
    }
  }
  return texels;
}

// Levels whose every texel is its level's tag, so a pixel tells which level
// it read.
constexpr std::uint32_t LevelTag(std::uint32_t level) {
  return 0x00A0B000u | level;
}
struct TaggedLevels {
  explicit TaggedLevels(std::uint32_t sizeLog2) {
    levels.sizeLog2 = sizeLog2;
    levels.levelCount = sizeLog2 + 1;
    for (std::uint32_t k = 0; k < levels.levelCount; ++k) {
      const std::size_t side = std::size_t{1} << (sizeLog2 - k);
      texels.emplace_back(side * side, LevelTag(k));
    }
    for (std::uint32_t k = 0; k < levels.levelCount; ++k) levels.texels[k] = texels[k].data();
  }
  std::vector<std::vector<std::uint32_t>> texels;
  TextureLevels levels{};
};

// The texel of a value in 8.8 units in a texture of `side` texels, or its
// neighbour within one unit of a texel's edge.
bool NearTexel(std::uint32_t texel, double units, std::uint32_t side) {
  auto at = [&](double u) {
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(std::floor(u * side / Period)) &
                                      (side - 1));
  };
  return texel == at(units - 1.0) || texel == at(units + 1.0);
}

class LevelSampling : public EachFill {};

// A quad over columns 100 .. 1700 and rows 100 .. 900 showing 3/8 of the
// texture across and 1/4 down, magnified at every size: each pixel shows
// the texel of the exact mapping in the texture's own size.
TEST_P(LevelSampling, TexturesOfEverySizeShowTheSameSurface) {
  const std::vector<std::uint32_t> classic = CoordinateTexture(1);
  constexpr int Left = 100, Top = 100, Columns = 1600, Rows = 800;
  constexpr std::int32_t Across = 3 * 65536 / 8, Down = 65536 / 4;
  for (const std::uint32_t sizeLog2 : {8u, 9u, 10u}) {
    SCOPED_TRACE(testing::Message() << "side " << (1u << sizeLog2));
    const LevelledTexture texture(SizedCoordinateTexture(sizeLog2), sizeLog2);
    TestObject object;
    object.AddPolygon({At(Left, Top, 0.5f, 0, 0), At(Left, Top + Rows, 0.5f, 0, Down),
                       At(Left + Columns, Top + Rows, 0.5f, Across, Down),
                       At(Left + Columns, Top, 0.5f, Across, 0)},
                      classic.data());
    object.polygons[0].levels = &texture.levels;
    object.Link();
    Target target(FullHd);
    fill(target.All(), object.entry, 0);
    const std::uint32_t side = 1u << sizeLog2;
    for (int y = Top; y <= Top + Rows; y += 7) {
      for (int k = 0; k <= Columns; ++k) {
        const std::uint32_t texel = target.Pixel(Left + k, y);
        ASSERT_EQ(texel >> 20, sizeLog2) << "pixel " << k << ", row " << y;
        ASSERT_TRUE(NearTexel(texel & 0x3FF, static_cast<double>(Across) * k / Columns, side))
            << "pixel " << k << ", row " << y << " shows column " << (texel & 0x3FF);
        ASSERT_TRUE(
            NearTexel((texel >> 10) & 0x3FF, static_cast<double>(Down) * (y - Top) / Rows, side))
            << "pixel " << k << ", row " << y << " shows row " << ((texel >> 10) & 0x3FF);
      }
    }
  }
}

// At the classic frame a polygon with levels draws exactly what it draws
// without them: its 256 x 256 texture, read as the classic show read it.
TEST_P(LevelSampling, TheClassicFrameReadsTheClassicTextureWhateverTheLevels) {
  std::mt19937 random(17);
  const RandomLevels levels(random);
  TestObject with, without;
  for (int i = 0; i < 300; ++i) {
    AddRandomConvexPolygon(random, with, levels.small.base.data(), ClassicFrame);
  }
  without.vertices = with.vertices;
  without.polygons = with.polygons;
  for (Polygon& polygon : with.polygons) polygon.levels = &levels.large.levels;
  with.Link();
  without.Link();
  Target a, b;
  for (std::uint32_t k = 0; k < with.object.polygonCount; ++k) {
    fill(a.All(), with.entry, k);
    fill(b.All(), without.entry, k);
  }
  EXPECT_GT(a.DrawnCount(), ScreenPixels / 2);
  EXPECT_TRUE(a.image == b.image);
  EXPECT_TRUE(a.depth == b.depth);
}

struct RatioCase {
  std::uint32_t sizeLog2;
  double acrossTexelsPerPixel, downTexelsPerPixel;
  // The smallest k with max(across x down, (larger / 4)^2) / 4^k <= 1 (the
  // footprint's area, but never more than 4 texels a pixel along its longer
  // step), or the last.
  std::uint32_t level;
};
constexpr RatioCase RatioCases[] = {
    {.sizeLog2 = 10, .acrossTexelsPerPixel = 0.5, .downTexelsPerPixel = 0.25, .level = 0},
    {.sizeLog2 = 10, .acrossTexelsPerPixel = 1.5, .downTexelsPerPixel = 0.5, .level = 0},
    {.sizeLog2 = 10, .acrossTexelsPerPixel = 0.75, .downTexelsPerPixel = 3.0, .level = 1},
    {.sizeLog2 = 10, .acrossTexelsPerPixel = 6.0, .downTexelsPerPixel = 1.0, .level = 2},
    {.sizeLog2 = 9, .acrossTexelsPerPixel = 12.0, .downTexelsPerPixel = 2.0, .level = 3},
    // Alike both ways: the isotropic rule's level.
    {.sizeLog2 = 8, .acrossTexelsPerPixel = 3.0, .downTexelsPerPixel = 3.0, .level = 2},
    {.sizeLog2 = 10, .acrossTexelsPerPixel = 2.5, .downTexelsPerPixel = 2.5, .level = 2},
    // Stretched far one way: the longer step over 4 rules.
    {.sizeLog2 = 8, .acrossTexelsPerPixel = 300.0, .downTexelsPerPixel = 1.0, .level = 7},
    {.sizeLog2 = 10, .acrossTexelsPerPixel = 1000.0, .downTexelsPerPixel = 0.0, .level = 8},
    {.sizeLog2 = 10, .acrossTexelsPerPixel = 0.25, .downTexelsPerPixel = 16.0, .level = 2},
    // Past the coarsest level: the last.
    {.sizeLog2 = 8, .acrossTexelsPerPixel = 3000.0, .downTexelsPerPixel = 3000.0, .level = 8},
};

// A quad of 1000 x 400 pixels at one depth, minified evenly: every pixel
// reads the level the table gives.
TEST_P(LevelSampling, TheLevelFollowsTheTexelsAPixelStepsOver) {
  const std::vector<std::uint32_t> classic = CoordinateTexture(1);
  constexpr int Left = 200, Top = 300, Columns = 1000, Rows = 400;
  for (const RatioCase& c : RatioCases) {
    SCOPED_TRACE(testing::Message() << "side " << (1u << c.sizeLog2) << ", "
                                    << c.acrossTexelsPerPixel << " x " << c.downTexelsPerPixel);
    const TaggedLevels tagged(c.sizeLog2);
    const double unitsPerTexel = Period / static_cast<double>(1u << c.sizeLog2);
    const auto across = static_cast<std::int32_t>(c.acrossTexelsPerPixel * Columns * unitsPerTexel);
    const auto down = static_cast<std::int32_t>(c.downTexelsPerPixel * Rows * unitsPerTexel);
    TestObject object;
    object.AddPolygon({At(Left, Top, 0.25f, 0, 0), At(Left, Top + Rows, 0.25f, 0, down),
                       At(Left + Columns, Top + Rows, 0.25f, across, down),
                       At(Left + Columns, Top, 0.25f, across, 0)},
                      classic.data());
    object.polygons[0].levels = &tagged.levels;
    object.Link();
    Target target(FullHd);
    fill(target.All(), object.entry, 0);
    for (int y = Top; y <= Top + Rows; ++y) {
      for (int x = Left; x <= Left + Columns; ++x) {
        ASSERT_EQ(target.Pixel(x, y), LevelTag(c.level)) << x << ", " << y;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllFills, LevelSampling, ::testing::ValuesIn(AllFills), CaseName);

// A floor seen from height H by a camera looking along it, its horizon on
// row 200 of a 1920 x 1080 frame (focal length f pixels): row y shows depth
// f H / (y - 200); u = s x world x, v = s x depth (s periods a unit). A
// pixel steps over N s H / y' texels to the next column (in u only) and N s
// H / y'^2 x sqrt(dx^2 + f^2) to the next row, N s f H / y'^2 of them in v
// (y' = y + 1/2 - 200 and dx its column's distance from the centre, both at
// its centre); its footprint covers the product of the column step and the
// row's v step, so the level grows toward the horizon.
struct Floor {
  static constexpr double f = 1000.0, H = 1.0, s = 0.4, halfWidth = 0.9;
  static constexpr double centre = 960.0, horizon = 200.0;
  static constexpr int nearRow = 1079, farRow = 210;

  static ScreenVertex Vertex(double x, int row) {
    const double depth = f * H / (row - horizon);
    return {static_cast<std::int32_t>(256.0 * (centre + f * x / depth)), row,
            static_cast<float>(1.0 / depth), static_cast<std::int32_t>(std::lround(s * x * Period)),
            static_cast<std::int32_t>(std::lround(s * depth * Period))};
  }
  // log2 of the texels a pixel steps over, in a texture of 2^sizeLog2.
  static double Log2TexelsPerPixel(int column, int row, std::uint32_t sizeLog2) {
    const double y = row + 0.5 - horizon, dx = column + 0.5 - centre;
    const double across = s * H / y;
    const double down = s * H / (y * y) * std::sqrt(dx * dx + f * f);
    const double area = across * (s * f * H / (y * y));
    const double longer = std::max(across, down) / 4.0;
    return sizeLog2 + 0.5 * std::log2(std::max(area, longer * longer));
  }
};

class RecedingFloor : public EachFill {};

TEST_P(RecedingFloor, RowsTowardTheHorizonReadCoarserLevelsAsTheMappingGives) {
  const std::vector<std::uint32_t> classic = CoordinateTexture(1);
  constexpr std::uint32_t SizeLog2 = 10;
  const TaggedLevels tagged(SizeLog2);
  TestObject object;
  object.AddPolygon({Floor::Vertex(-Floor::halfWidth, Floor::farRow),
                     Floor::Vertex(-Floor::halfWidth, Floor::nearRow),
                     Floor::Vertex(Floor::halfWidth, Floor::nearRow),
                     Floor::Vertex(Floor::halfWidth, Floor::farRow)},
                    classic.data());
  object.polygons[0].levels = &tagged.levels;
  object.Link();
  Target target(FullHd);
  fill(target.All(), object.entry, 0);
  const double log2Limit = std::log2(raster::LevelTexelsPerPixel);
  std::vector<int> seen(SizeLog2 + 1, 0);
  int checked = 0;
  for (int y = Floor::farRow; y <= Floor::nearRow; ++y) {
    for (int x = 0; x < FullHd.width; ++x) {
      const std::uint32_t pixel = target.Pixel(x, y);
      if (pixel == Background) continue;
      ASSERT_EQ(pixel & ~0xFFu, LevelTag(0)) << x << ", " << y;
      const std::uint32_t level = pixel & 0xFF;
      seen[level] = 1;
      // The exact level, where the mapping lies clear of a level's edge.
      const double steps = Floor::Log2TexelsPerPixel(x, y, SizeLog2) - log2Limit;
      if (std::fabs(steps - std::round(steps)) < 0.03) continue;
      const double exact = std::clamp(std::ceil(steps), 0.0, static_cast<double>(SizeLog2));
      ASSERT_EQ(level, static_cast<std::uint32_t>(exact)) << x << ", " << y;
      ++checked;
    }
  }
  EXPECT_GT(checked, 500000);
  // Every level shows somewhere between the near rows and the horizon.
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<int>(SizeLog2 + 1));
}

INSTANTIATE_TEST_SUITE_P(
    PerspectiveFills, RecedingFloor,
    ::testing::ValuesIn(FillsWhere([](const FillCase& c) { return c.perspective; })), CaseName);

}  // namespace
}  // namespace vx::rastertest
