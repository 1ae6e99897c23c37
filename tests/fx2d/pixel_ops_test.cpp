// Pixel operations, to the byte: each case runs through the plain and the
// fastest table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "fx2d/fx2d.h"
#include "fx2d_test_images.h"

namespace vx {
namespace {

using namespace fx2d_test;

TEST(ScreenFillAndMove, TouchExactlyTheWholeImage) {
  Screen screen;
  std::fill_n(screen.pixels.begin(), ScreenPixels, 0x12345678u);
  ClearScreen(screen.data(), ScreenPixels);
  EXPECT_EQ(std::count(screen.pixels.begin(), screen.pixels.begin() + ScreenPixels, 0u),
            ScreenPixels);
  EXPECT_TRUE(screen.CanariesIntact());

  std::mt19937 rng(7);
  const std::vector<std::uint32_t> source = RandomPixels(rng, ScreenPixels);
  CopyScreen(source.data(), screen.data(), ScreenPixels);
  EXPECT_TRUE(std::equal(source.begin(), source.end(), screen.pixels.begin()));
  EXPECT_TRUE(screen.CanariesIntact());
}

class PixelOps : public BothImplementations {};

TEST_P(PixelOps, AddScreenSaturatesEveryByteIncludingTheFourth) {
  Screen screen;
  std::vector<std::uint32_t> source(ScreenPixels);
  for (std::uint32_t i = 0; i < ScreenPixels; ++i) {
    source[i] = i % 2 ? 0x801001FEu : 0x01020304u;
    screen.pixels[i] = i % 2 ? 0x902001FFu : 0x10203040u;
  }
  Fx2d().addScreen(source.data(), screen.data(), ScreenPixels);
  for (std::uint32_t i = 0; i < ScreenPixels; ++i)
    ASSERT_EQ(screen.pixels[i], i % 2 ? 0xFF3002FFu : 0x11223344u) << "pixel " << i;
  EXPECT_TRUE(screen.CanariesIntact());
}

TEST_P(PixelOps, DarkenScalesByTheFactorOver256) {
  // k = 0 is x 255/256, not the identity: 255 -> 254 and 1 -> 0.
  std::vector<std::uint32_t> image(13, 0xFF01FF01u);
  image.push_back(Canary);
  Fx2d().darkenScreen(image.data(), image.data(), 13, 0);  // in place
  for (int i = 0; i < 13; ++i) ASSERT_EQ(image[i], 0xFE00FE00u) << i;
  EXPECT_EQ(image[13], Canary) << "count must bound the pass";

  const std::vector<std::uint32_t> source(13, 0xC8FF7F01u);  // 200, 255, 127, 1
  std::vector<std::uint32_t> out(13, 0);
  Fx2d().darkenScreen(source.data(), out.data(), 13, 128);  // factor 127
  for (std::uint32_t p : out) ASSERT_EQ(p, 0x637E3F00u);    // 99, 126, 63, 0
  Fx2d().darkenScreen(source.data(), out.data(), 13, 255);
  for (std::uint32_t p : out) ASSERT_EQ(p, 0u);
}

TEST_P(PixelOps, LightenRaisesColourBytesAndCopiesTheFourth) {
  std::vector<std::uint32_t> image(9, 0xAB00FF64u);  // fourth AB, colours 0, 255, 100
  image.push_back(Canary);
  std::vector<std::uint32_t> out(image);
  Fx2d().lightenScreen(image.data(), out.data(), 9, 255);
  for (int i = 0; i < 9; ++i) ASSERT_EQ(out[i], 0xABFEFFFEu) << i;  // 0->254, 255, 100->254
  EXPECT_EQ(out[9], Canary);

  Fx2d().lightenScreen(image.data(), out.data(), 9, 128);
  for (int i = 0; i < 9; ++i) ASSERT_EQ(out[i], 0xAB7FFFB1u) << i;  // 0->127, 255, 100->177

  std::mt19937 rng(3);
  std::vector<std::uint32_t> random = RandomPixels(rng, 77);
  const std::vector<std::uint32_t> before = random;
  Fx2d().lightenScreen(random.data(), random.data(), 77, 0);  // in place, k = 0 copies
  EXPECT_EQ(random, before);
}

TEST_P(PixelOps, CrossFadeWeighsBothImagesAndRoundsDown) {
  const std::vector<std::uint32_t> white(11, 0xFFFFFFFFu);
  const std::vector<std::uint32_t> black(11, 0u);
  std::vector<std::uint32_t> out(12, Canary);
  Fx2d().crossFade(white.data(), black.data(), out.data(), 11, 128);
  for (int i = 0; i < 11; ++i) ASSERT_EQ(out[i], 0x7E7E7E7Eu) << i;  // 126
  EXPECT_EQ(out[11], Canary);
  Fx2d().crossFade(black.data(), white.data(), out.data(), 11, 128);
  for (int i = 0; i < 11; ++i) ASSERT_EQ(out[i], 0x7F7F7F7Fu) << i;  // 127
  Fx2d().crossFade(white.data(), black.data(), out.data(), 11, 0);
  for (int i = 0; i < 11; ++i) ASSERT_EQ(out[i], 0xFEFEFEFEu) << i;  // a x 255/256

  // Mixed bytes: a = 200, 10; b = 40, 250 at k = 64: (a x 191 + b x 64) >> 8.
  const std::vector<std::uint32_t> a(5, 0x0000C80Au);
  std::vector<std::uint32_t> b(5, 0x000028FAu);
  Fx2d().crossFade(a.data(), b.data(), b.data(), 5, 64);  // dst is b itself
  for (std::uint32_t p : b) ASSERT_EQ(p, 0x00009F45u);    // 159, 69
}

// A sprite whose every pixel tells its own column and row: colour bytes
// (1 + column % 255, 1 + row % 255, 0x80), never black.
std::vector<std::uint32_t> NumberedSprite(std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint32_t> sprite(static_cast<std::size_t>(width) * height);
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x)
      sprite[y * width + x] = 0x800000u | (1 + y % 255) << 8 | (1 + x % 255);
  return sprite;
}

TEST_P(PixelOps, SpriteClippedAtTheLeftEdgeDrawsItsRightPart) {
  const std::vector<std::uint32_t> sprite = NumberedSprite(320, 200);
  Screen screen;
  Fx2d().addSpriteKeyed(-10, 0, 320, 200, sprite.data(), screen.data(), ClassicFrame,
                        AllRows(ClassicFrame), 0);
  for (int y = 0; y < ScreenHeight; ++y) {
    for (int x = 0; x < ScreenWidth; ++x) {
      const std::uint32_t expected = x < 310 ? sprite[y * 320 + x + 10] : 0u;
      ASSERT_EQ(screen.at(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_TRUE(screen.CanariesIntact());
}

TEST_P(PixelOps, SpriteClippedAtTheBottomAndRightStaysInsideTheImage) {
  const std::vector<std::uint32_t> sprite = NumberedSprite(30, 20);
  Screen screen;
  Fx2d().addSpriteKeyed(300, 190, 30, 20, sprite.data(), screen.data(), ClassicFrame,
                        AllRows(ClassicFrame), 0);
  for (int y = 0; y < ScreenHeight; ++y) {
    for (int x = 0; x < ScreenWidth; ++x) {
      const bool inside = x >= 300 && y >= 190;
      const std::uint32_t expected = inside ? sprite[(y - 190) * 30 + (x - 300)] : 0u;
      ASSERT_EQ(screen.at(x, y), expected) << x << "," << y;
    }
  }
  EXPECT_TRUE(screen.CanariesIntact());

  Screen top;  // rows above the screen are skipped: sprite row 15 lands on row 0
  Fx2d().subSpriteKeyed(5, -15, 30, 20, sprite.data(), top.data(), ClassicFrame,
                        AllRows(ClassicFrame), 0);  // nothing to subtract from
  EXPECT_EQ(top.at(5, 0), 0u);
  Fx2d().addSpriteKeyed(5, -15, 30, 20, sprite.data(), top.data(), ClassicFrame,
                        AllRows(ClassicFrame), 0);
  EXPECT_EQ(top.at(5, 0), sprite[15 * 30]);
  EXPECT_EQ(top.at(34, 4), sprite[19 * 30 + 29]);
  EXPECT_EQ(top.at(34, 5), 0u);
  EXPECT_EQ(top.at(35, 4), 0u);
}

TEST_P(PixelOps, SpriteWhollyOffScreenDrawsNothing) {
  const std::vector<std::uint32_t> sprite = NumberedSprite(320, 200);
  constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();
  const std::int32_t positions[][2] = {{320, 0},    {-320, 0},    {0, 200},    {0, -200},
                                       {lowest, 0}, {highest, 0}, {0, lowest}, {0, highest}};
  for (const auto& position : positions) {
    Screen screen;
    Fx2d().addSpriteKeyed(position[0], position[1], 320, 200, sprite.data(), screen.data(),
                          ClassicFrame, AllRows(ClassicFrame), 0);
    Fx2d().subSpriteKeyed(position[0], position[1], 320, 200, sprite.data(), screen.data(),
                          ClassicFrame, AllRows(ClassicFrame), 0);
    EXPECT_EQ(std::count(screen.pixels.begin(), screen.pixels.begin() + ScreenPixels, 0u),
              ScreenPixels)
        << position[0] << "," << position[1];
    EXPECT_TRUE(screen.CanariesIntact());
  }
}

TEST_P(PixelOps, KeyComparesColourBytesOnlyAndTheFourthByteIsNeverTouched) {
  // Black with a fourth byte of 255 counts as black and is skipped with key 0.
  const std::uint32_t sprite[4] = {0xFF000000u, 0x00000001u, 0x55102030u, 0xFF102031u};
  Screen screen;
  std::fill_n(screen.pixels.begin(), ScreenPixels, 0x40F0F0F0u);
  Fx2d().addSpriteKeyed(0, 0, 2, 1, sprite, screen.data(), ClassicFrame, AllRows(ClassicFrame), 0);
  EXPECT_EQ(screen.at(0, 0), 0x40F0F0F0u);
  EXPECT_EQ(screen.at(1, 0), 0x40F0F0F1u);
  // Another key: 0x102030 matches whatever the fourth byte; 0x102031 does not.
  Fx2d().addSpriteKeyed(10, 0, 2, 1, sprite + 2, screen.data(), ClassicFrame, AllRows(ClassicFrame),
                        0x102030u);
  EXPECT_EQ(screen.at(10, 0), 0x40F0F0F0u);
  EXPECT_EQ(screen.at(11, 0), 0x40FFFFFFu);  // saturated, fourth byte kept
  Fx2d().subSpriteKeyed(20, 0, 2, 1, sprite + 2, screen.data(), ClassicFrame, AllRows(ClassicFrame),
                        0x102030u);
  EXPECT_EQ(screen.at(20, 0), 0x40F0F0F0u);
  EXPECT_EQ(screen.at(21, 0), 0x40E0D0BFu);
  Fx2d().subSpriteKeyed(30, 0, 1, 1, std::vector<std::uint32_t>{0x00FFFFFFu}.data(), screen.data(),
                        ClassicFrame, AllRows(ClassicFrame), 0);
  EXPECT_EQ(screen.at(30, 0), 0x40000000u);  // clamped at 0, fourth byte kept
}

TEST_P(PixelOps, SubtractThenAddLeavesTheBrighterOfTwoImages) {
  std::mt19937 rng(11);
  const std::vector<std::uint32_t> picture = HarshPixels(rng, ScreenPixels);
  Screen screen;
  const std::vector<std::uint32_t> original = HarshPixels(rng, ScreenPixels);
  std::copy(original.begin(), original.end(), screen.pixels.begin());
  Fx2d().subSpriteKeyed(0, 0, 320, 200, picture.data(), screen.data(), ClassicFrame,
                        AllRows(ClassicFrame), 0);
  Fx2d().addScreen(picture.data(), screen.data(), ScreenPixels);
  for (std::uint32_t i = 0; i < ScreenPixels; ++i) {
    for (int c = 0; c < 3; ++c) {
      ASSERT_EQ(ByteOf(screen.pixels[i], c),
                std::max(ByteOf(original[i], c), ByteOf(picture[i], c)))
          << "pixel " << i << " byte " << c;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fx2d, PixelOps, ::testing::Bool(), ImplementationName);

}  // namespace
}  // namespace vx
