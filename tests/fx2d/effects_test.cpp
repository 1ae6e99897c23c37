// Radial weight table, radial blur and glow passes against hand-computed
// values: each effect case runs through the plain and the fastest table.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "fx2d/fx2d.h"
#include "fx2d/fx2d_internal.h"
#include "fx2d_test_images.h"

namespace vx {
namespace {

using namespace fx2d_test;

std::array<int, 4> WeightsAt(int dx, int dy) {
  const std::uint8_t* w = fx2d::RadialWeights() + fx2d::RadialEntryOffset(dx, dy);
  return {w[0], w[1], w[2], w[3]};
}

class RadialTable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildRadialTable(ClassicFrame); }
  static void TearDownTestSuite() { FreeRadialTable(); }
};

TEST_F(RadialTable, CentreKeepsThePixelAndEveryEntrySumsTo254To256) {
  ASSERT_NE(fx2d::RadialWeights(), nullptr);
  EXPECT_EQ(WeightsAt(0, 0), (std::array<int, 4>{0, 0, 0, 255}));
  for (int dy = -200; dy < 200; ++dy) {
    for (int dx = -320; dx < 320; ++dx) {
      const std::array<int, 4> w = WeightsAt(dx, dy);
      const int sum = w[0] + w[1] + w[2] + w[3];
      ASSERT_GE(sum, 254) << dx << "," << dy;
      ASSERT_LE(sum, 256) << dx << "," << dy;
    }
  }
}

TEST_F(RadialTable, WeightsFollowTheSampleTowardTheCentre) {
  // On the axes the whole weight goes to the one neighbour toward the centre.
  EXPECT_EQ(WeightsAt(5, 0), (std::array<int, 4>{0, 0, 255, 0}));
  EXPECT_EQ(WeightsAt(-319, 0), (std::array<int, 4>{0, 0, 255, 0}));
  EXPECT_EQ(WeightsAt(0, 7), (std::array<int, 4>{0, 255, 0, 0}));
  EXPECT_EQ(WeightsAt(0, -200), (std::array<int, 4>{0, 255, 0, 0}));
  // d = 5, fx = 0.6f, fy = 0.8f: 122.4, 81.6, 30.6, 20.4 rounded.
  EXPECT_EQ(WeightsAt(3, 4), (std::array<int, 4>{122, 82, 31, 20}));
  EXPECT_EQ(WeightsAt(-3, -4), (std::array<int, 4>{122, 82, 31, 20}));
  EXPECT_EQ(WeightsAt(4, -3), (std::array<int, 4>{122, 31, 82, 20}));
  // fx = fy = 0.70710677f: fx fy 255 = 127.4999956, just below the tie.
  EXPECT_EQ(WeightsAt(1, 1), (std::array<int, 4>{127, 53, 53, 22}));
  EXPECT_EQ(WeightsAt(2, 1), (std::array<int, 4>{102, 12, 126, 15}));
}

TEST_F(RadialTable, RebuildGivesTheSameTableAndFreeReleasesIt) {
  const std::vector<std::uint8_t> first(fx2d::RadialWeights(),
                                        fx2d::RadialWeights() + fx2d::RadialTableBytes);
  BuildRadialTable(ClassicFrame);  // a second build refills the same block
  EXPECT_TRUE(std::equal(first.begin(), first.end(), fx2d::RadialWeights()));
  FreeRadialTable();
  EXPECT_EQ(fx2d::RadialWeights(), nullptr);
  FreeRadialTable();  // a second release is harmless
  BuildRadialTable(ClassicFrame);
  ASSERT_NE(fx2d::RadialWeights(), nullptr);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), fx2d::RadialWeights()));
}

class Effects : public BothImplementations {
 protected:
  static void SetUpTestSuite() { BuildRadialTable(ClassicFrame); }
  static void TearDownTestSuite() { FreeRadialTable(); }
};

constexpr Fx2dRoutines::Glow* Fx2dRoutines::*AllGlows[] = {
    &Fx2dRoutines::glowLeft, &Fx2dRoutines::glowUp, &Fx2dRoutines::glowRight,
    &Fx2dRoutines::glowDown};

// The end of a whole-frame pass: rows for left and right, columns for up
// and down.
std::int32_t GlowEnd(Fx2dRoutines::Glow* Fx2dRoutines::*glow, const FrameSize& frame) {
  return glow == &Fx2dRoutines::glowUp || glow == &Fx2dRoutines::glowDown ? frame.width
                                                                          : frame.height;
}

TEST_P(Effects, BlackStaysBlack) {
  const int centres[][2] = {{160, 100}, {1, 1}, {319, 199}, {1, 199}, {319, 1}};
  for (const auto& c : centres) {
    Screen screen;
    RadialBlur(Fx2d(), c[0], c[1], 230, 10, ClassicFrame, screen.data());
    RadialBlur(Fx2d(), c[0], c[1], 140, 10, ClassicFrame, screen.data());
    EXPECT_EQ(std::count(screen.pixels.begin(), screen.pixels.begin() + ScreenPixels, 0u),
              ScreenPixels);
    EXPECT_TRUE(screen.CanariesIntact());
  }
  Screen screen;
  for (auto glow : AllGlows)
    (Fx2d().*glow)(GlowParameters{50, 15}, ClassicFrame, 0, GlowEnd(glow, ClassicFrame),
                   screen.data());
  EXPECT_EQ(std::count(screen.pixels.begin(), screen.pixels.begin() + ScreenPixels, 0u),
            ScreenPixels);
  EXPECT_TRUE(screen.CanariesIntact());
}

TEST_P(Effects, WhiteStaysWhiteBecauseTheSumsSaturate) {
  // 255 x 65 + 255 x 206 and S x 150 + 255 x 115 both pass 65535.
  Screen screen;
  std::fill_n(screen.pixels.begin(), ScreenPixels, 0xFFFFFFFFu);
  for (auto glow : AllGlows)
    (Fx2d().*glow)(GlowParameters{50, 15}, ClassicFrame, 0, GlowEnd(glow, ClassicFrame),
                   screen.data());
  RadialBlur(Fx2d(), 160, 100, 140, 10, ClassicFrame, screen.data());
  EXPECT_EQ(std::count(screen.pixels.begin(), screen.pixels.begin() + ScreenPixels, 0xFFFFFFFFu),
            ScreenPixels);
}

TEST_P(Effects, RadialBlurWithoutStrengthOrGainOnlyDarkensBy255Over256) {
  std::mt19937 rng(5);
  const std::vector<std::uint32_t> original = RandomPixels(rng, ScreenPixels);
  for (const auto& c : {std::array<int, 2>{160, 100}, std::array<int, 2>{17, 183}}) {
    Screen screen;
    std::copy(original.begin(), original.end(), screen.pixels.begin());
    RadialBlur(Fx2d(), c[0], c[1], 0, 0, ClassicFrame, screen.data());
    for (std::uint32_t i = 0; i < ScreenPixels; ++i) {
      for (int b = 0; b < 4; ++b)
        ASSERT_EQ(ByteOf(screen.pixels[i], b), ByteOf(original[i], b) * 255 / 256) << i;
    }
  }
}

// Streak of one white pixel next to the centre: itself (inward neighbour
// black) 255 x 115 >> 8 = 114, then each next one (255 S >> 8) x 150 >> 8.
constexpr std::uint32_t Streak[] = {114, 66, 38, 21, 11, 5, 2, 0, 0, 0};

TEST_P(Effects, RadialBlurDragsAWhitePixelOutwardInEachDirection) {
  struct Case {
    int cx, cy, dx, dy;
  };
  // Right, left, down and up of the centre: one case per quadrant.
  const Case cases[] = {{160, 100, 1, 0},  {160, 100, -1, 0}, {160, 100, 0, 1},
                        {160, 100, 0, -1}, {40, 150, 1, 0},   {300, 20, 0, -1}};
  for (const Case& c : cases) {
    Screen screen;
    screen.at(c.cx + c.dx, c.cy + c.dy) = 0x00FFFFFF;
    RadialBlur(Fx2d(), c.cx, c.cy, 140, 10, ClassicFrame, screen.data());
    for (int i = 0; i < 10; ++i) {
      const int x = c.cx + c.dx * (i + 1);
      const int y = c.cy + c.dy * (i + 1);
      ASSERT_EQ(screen.at(x, y), Grey(Streak[i])) << c.cx << "," << c.cy << " step " << i;
    }
    // The centre and the pixels beyond it are not changed by it.
    for (int i = 0; i < 10; ++i)
      ASSERT_EQ(screen.at(c.cx - c.dx * i, c.cy - c.dy * i), 0u) << "inward " << i;
  }
}

TEST_P(Effects, RadialBlurHigherStrengthDecaysMoreSlowly) {
  Screen screen;
  screen.at(161, 100) = 0x00FFFFFF;
  RadialBlur(Fx2d(), 160, 100, 230, 10, ClassicFrame, screen.data());
  // k1 = 240, k0 = 25: 255 x 25 >> 8 = 24, then (255 S >> 8) x 240 >> 8.
  const std::uint32_t streak[] = {24, 21, 18, 15, 13, 11, 9, 7, 5, 3};
  for (int i = 0; i < 10; ++i) ASSERT_EQ(screen.at(161 + i, 100), Grey(streak[i])) << i;
}

TEST_P(Effects, GlowSmearsTheFirstPixelAlongEachWalk) {
  // (50, 15): n = 65, m = 206; white 255 -> 64, 16, 4, 1, 0.
  const std::uint32_t smear[] = {255, 64, 16, 4, 1, 0, 0};
  {
    Screen screen;
    for (int y = 0; y < ScreenHeight; ++y) screen.at(0, y) = 0x00FFFFFF;
    Fx2d().glowRight(GlowParameters{50, 15}, ClassicFrame, 0, ScreenHeight, screen.data());
    for (int y = 0; y < ScreenHeight; ++y)
      for (int i = 0; i < 7; ++i) ASSERT_EQ(screen.at(i, y), Grey(smear[i])) << i << "," << y;
  }
  {
    Screen screen;
    for (int y = 0; y < ScreenHeight; ++y) screen.at(319, y) = 0x00FFFFFF;
    Fx2d().glowLeft(GlowParameters{50, 15}, ClassicFrame, 0, ScreenHeight, screen.data());
    for (int y = 0; y < ScreenHeight; ++y)
      for (int i = 0; i < 7; ++i) ASSERT_EQ(screen.at(319 - i, y), Grey(smear[i])) << i << "," << y;
  }
  {
    Screen screen;
    for (int x = 0; x < ScreenWidth; ++x) screen.at(x, 0) = 0x00FFFFFF;
    Fx2d().glowDown(GlowParameters{50, 15}, ClassicFrame, 0, ScreenWidth, screen.data());
    for (int x = 0; x < ScreenWidth; ++x)
      for (int i = 0; i < 7; ++i) ASSERT_EQ(screen.at(x, i), Grey(smear[i])) << x << "," << i;
  }
  {
    Screen screen;
    for (int x = 0; x < ScreenWidth; ++x) screen.at(x, 199) = 0x00FFFFFF;
    Fx2d().glowUp(GlowParameters{50, 15}, ClassicFrame, 0, ScreenWidth, screen.data());
    for (int x = 0; x < ScreenWidth; ++x)
      for (int i = 0; i < 7; ++i) ASSERT_EQ(screen.at(x, 199 - i), Grey(smear[i])) << x << "," << i;
  }
}

TEST_P(Effects, GlowLeavesItsStartingEdgeAndNoSpreadLeavesEverything) {
  std::mt19937 rng(9);
  const std::vector<std::uint32_t> original = RandomPixels(rng, ScreenPixels);
  Screen screen;
  std::copy(original.begin(), original.end(), screen.pixels.begin());
  for (auto glow : AllGlows)
    (Fx2d().*glow)(GlowParameters{0, 0}, ClassicFrame, 0, GlowEnd(glow, ClassicFrame),
                   screen.data());
  EXPECT_TRUE(std::equal(original.begin(), original.end(), screen.pixels.begin()));

  Fx2d().glowRight(GlowParameters{50, 5}, ClassicFrame, 0, ScreenHeight, screen.data());
  for (int y = 0; y < ScreenHeight; ++y) ASSERT_EQ(screen.at(0, y), original[y * 320]);
  std::copy(original.begin(), original.end(), screen.pixels.begin());
  Fx2d().glowLeft(GlowParameters{50, 5}, ClassicFrame, 0, ScreenHeight, screen.data());
  for (int y = 0; y < ScreenHeight; ++y) ASSERT_EQ(screen.at(319, y), original[y * 320 + 319]);
  std::copy(original.begin(), original.end(), screen.pixels.begin());
  Fx2d().glowDown(GlowParameters{50, 5}, ClassicFrame, 0, ScreenWidth, screen.data());
  for (int x = 0; x < ScreenWidth; ++x) ASSERT_EQ(screen.at(x, 0), original[x]);
  std::copy(original.begin(), original.end(), screen.pixels.begin());
  Fx2d().glowUp(GlowParameters{50, 5}, ClassicFrame, 0, ScreenWidth, screen.data());
  for (int x = 0; x < ScreenWidth; ++x) ASSERT_EQ(screen.at(x, 199), original[199 * 320 + x]);
  EXPECT_TRUE(screen.CanariesIntact());
}

TEST_P(Effects, FullSpreadCopiesTheStartingPixelAlongTheWalk) {
  // Spread 256, gain 0: own weight 0, neighbour weight 256.
  std::mt19937 rng(13);
  const std::vector<std::uint32_t> original = RandomPixels(rng, 7 * 5);
  std::vector<std::uint32_t> image = original;
  Fx2d().glowRight(GlowParameters{256, 0}, PackedFrame(7, 5), 0, 5, image.data());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) ASSERT_EQ(image[y * 7 + x], original[y * 7]) << x << "," << y;
}

TEST_P(Effects, LargeGainIsWeighedInFullWithoutWrapping) {
  // Spread 0, gain 1000: N x 1000 + P x 256, saturated: 1 -> 3, 11, 42, 164, 255.
  std::vector<std::uint32_t> row(9, 0);
  row[0] = 0x01010101;
  Fx2d().glowRight(GlowParameters{0, 1000}, PackedFrame(9, 1), 0, 1, row.data());
  const std::uint32_t expected[] = {1, 3, 11, 42, 164, 255, 255, 255, 255};
  for (int i = 0; i < 9; ++i) ASSERT_EQ(row[i], expected[i] * 0x01010101u) << i;

  // Spread 256 + gain 65535 is a neighbour weight of 65791, not 255.
  std::vector<std::uint32_t> column(3 * 4, 0);
  column[0] = 0x00000001;
  Fx2d().glowDown(GlowParameters{256, 65535}, PackedFrame(3, 4), 0, 3, column.data());
  EXPECT_EQ(column[3], 0xFFu);
  EXPECT_EQ(column[9], 0xFFu);
}

INSTANTIATE_TEST_SUITE_P(Fx2d, Effects, ::testing::Bool(), ImplementationName);

}  // namespace
}  // namespace vx
