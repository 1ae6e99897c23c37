// Every faster table (SSE2, and AVX2 where the processor has it) equals the
// plain one byte for byte, routine by routine, on random images, on odd
// sizes and counts that reach the one-pixel tails, and at the edges of the
// allowed centres and weights.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "fx2d/fx2d.h"
#include "fx2d_test_images.h"
#include "support/tables.h"

namespace vx {
namespace {

using namespace fx2d_test;

// The tables checked against PlainFx2d: every other one this processor runs.
std::span<const Fx2dRoutines* const> FastVariants() {
  return Fx2dVariants().subspan(1);
}

TEST(Fx2dVariants, PlainFirstFastestInUseAndTheReferenceSwitchGoesBothWays) {
  const std::span<const Fx2dRoutines* const> variants = Fx2dVariants();
  std::vector<std::string> names;
  for (const Fx2dRoutines* table : variants) names.emplace_back(table->name);
#if defined(__SSE2__)
  std::vector<std::string> expected{"plain", "sse2"};
#if defined(__x86_64__) || defined(__i386__)
  // AVX2 must be among the tables checked wherever the processor has it.
  if (__builtin_cpu_supports("avx2")) expected.emplace_back("avx2");
#endif
  EXPECT_EQ(names, expected);
#endif
  EXPECT_EQ(variants.front(), &PlainFx2d);
  EXPECT_EQ(&Fx2d(), variants.back());
  UseReferenceFx2d(true);
  EXPECT_EQ(&Fx2d(), &PlainFx2d);
  UseReferenceFx2d(false);
  EXPECT_EQ(&Fx2d(), variants.back());
}

TEST(Fx2dVariants, EveryTableHasEveryRoutine) {
  for (const Fx2dRoutines* table : Fx2dVariants())
    EXPECT_EQ(vx::test::NullMembers(*table), std::vector<std::size_t>{}) << table->name;
}

constexpr std::uint32_t Counts[] = {ScreenPixels, 1, 2, 3, 4, 5, 13, 63999};
constexpr std::uint8_t Factors[] = {0, 1, 127, 128, 200, 254, 255};

void ExpectBlendMatches(const char* what, Fx2dRoutines::Blend* Fx2dRoutines::*routine) {
  for (int round = 0; round < RandomRounds; ++round) {
    std::mt19937 rng(100 + round);
    const std::vector<std::uint32_t> source =
        round % 2 ? HarshPixels(rng, ScreenPixels + 8) : RandomPixels(rng, ScreenPixels + 8);
    for (std::uint32_t count : Counts) {
      for (std::uint8_t k : Factors) {
        std::vector<std::uint32_t> expected(ScreenPixels + 8, Canary);
        (PlainFx2d.*routine)(source.data(), expected.data(), count, k);
        std::vector<std::uint32_t> inPlace = source;
        (PlainFx2d.*routine)(inPlace.data(), inPlace.data(), count, k);
        for (const Fx2dRoutines* table : FastVariants()) {
          std::vector<std::uint32_t> actual(ScreenPixels + 8, Canary);
          (table->*routine)(source.data(), actual.data(), count, k);
          ASSERT_EQ(FirstDifference(actual, expected), -1)
              << what << " " << table->name << " count " << count << " k " << int{k};
          actual = source;  // in place, as the scenes call it
          (table->*routine)(actual.data(), actual.data(), count, k);
          ASSERT_EQ(FirstDifference(actual, inPlace), -1)
              << what << " in place " << table->name << " count " << count;
        }
      }
    }
  }
}

TEST(FastMatchesReference, DarkenAndLighten) {
  ExpectBlendMatches("darken", &Fx2dRoutines::darkenScreen);
  ExpectBlendMatches("lighten", &Fx2dRoutines::lightenScreen);
}

TEST(FastMatchesReference, AddScreenAndCrossFade) {
  for (int round = 0; round < RandomRounds; ++round) {
    std::mt19937 rng(200 + round);
    const std::vector<std::uint32_t> a = HarshPixels(rng, ScreenPixels);
    const std::vector<std::uint32_t> b = RandomPixels(rng, ScreenPixels);

    std::vector<std::uint32_t> expected = b;
    PlainFx2d.addScreen(a.data(), expected.data(), ScreenPixels);
    for (const Fx2dRoutines* table : FastVariants()) {
      std::vector<std::uint32_t> actual = b;
      table->addScreen(a.data(), actual.data(), ScreenPixels);
      ASSERT_EQ(FirstDifference(actual, expected), -1) << "add " << table->name;
    }

    for (std::uint32_t count : Counts) {
      for (std::uint8_t k : Factors) {
        std::vector<std::uint32_t> faded(ScreenPixels, Canary);
        PlainFx2d.crossFade(a.data(), b.data(), faded.data(), count, k);
        std::vector<std::uint32_t> ontoB = b;  // dst is the second image
        PlainFx2d.crossFade(a.data(), ontoB.data(), ontoB.data(), count, k);
        for (const Fx2dRoutines* table : FastVariants()) {
          std::vector<std::uint32_t> actual(ScreenPixels, Canary);
          table->crossFade(a.data(), b.data(), actual.data(), count, k);
          ASSERT_EQ(FirstDifference(actual, faded), -1)
              << "fade " << table->name << " count " << count << " k " << int{k};
          actual = b;
          table->crossFade(a.data(), actual.data(), actual.data(), count, k);
          ASSERT_EQ(FirstDifference(actual, ontoB), -1) << "fade onto b " << table->name;
        }
      }
    }
  }
}

// The destination may overlap either source at an offset: whatever the
// offset, every version gives what the reference's last-to-first walk gives
// (which, with the destination below a source, reads pixels it has already
// written).
TEST(FastMatchesReference, CrossFadeOntoAShiftedSource) {
  constexpr std::uint32_t Margin = 8;
  std::mt19937 rng(300);
  const std::vector<std::uint32_t> image = RandomPixels(rng, ScreenPixels + 2 * Margin);
  const std::vector<std::uint32_t> other = RandomPixels(rng, ScreenPixels);
  const std::uint32_t counts[] = {1, 4, 7, 8, 13, 1000, ScreenPixels};
  for (int shift = -5; shift <= 5; ++shift) {
    for (bool shiftedIsA : {true, false}) {
      for (std::uint32_t count : counts) {
        auto run = [&](const Fx2dRoutines& table) {
          std::vector<std::uint32_t> buffer = image;
          const std::uint32_t* source = buffer.data() + Margin;
          std::uint32_t* dst = buffer.data() + Margin + shift;
          if (shiftedIsA)
            table.crossFade(source, other.data(), dst, count, 100);
          else
            table.crossFade(other.data(), source, dst, count, 100);
          return buffer;
        };
        const std::vector<std::uint32_t> expected = run(PlainFx2d);
        for (const Fx2dRoutines* table : FastVariants()) {
          ASSERT_EQ(FirstDifference(run(*table), expected), -1)
              << table->name << " dst = " << (shiftedIsA ? "a" : "b") << (shift < 0 ? "" : "+")
              << shift << ", count " << count;
        }
      }
    }
  }
}

// The sprite as the clipping rule defines it, independently of the
// routines' clipping: every sprite pixel that lands on the screen.
std::vector<std::uint32_t> SpriteOracle(bool add, std::int32_t x, std::int32_t y,
                                        std::uint32_t width, std::uint32_t height,
                                        const std::vector<std::uint32_t>& sprite,
                                        std::vector<std::uint32_t> dst, std::uint32_t key) {
  for (std::int64_t sy = 0; sy < height; ++sy) {
    for (std::int64_t sx = 0; sx < width; ++sx) {
      const std::int64_t tx = x + sx;
      const std::int64_t ty = y + sy;
      if (tx < 0 || tx >= ScreenWidth || ty < 0 || ty >= ScreenHeight) continue;
      const std::uint32_t colour = sprite[sy * width + sx] & 0x00FFFFFF;
      if (colour == key) continue;
      std::uint32_t& d = dst[ty * ScreenWidth + tx];
      std::uint32_t out = d & 0xFF000000;
      for (int c = 0; c < 3; ++c) {
        const int sum = add ? int(ByteOf(d, c) + ByteOf(colour, c))
                            : int(ByteOf(d, c)) - int(ByteOf(colour, c));
        out |= static_cast<std::uint32_t>(std::clamp(sum, 0, 255)) << (8 * c);
      }
      d = out;
    }
  }
  return dst;
}

TEST(FastMatchesReference, SpritesAtRandomPlacesIncludingClipped) {
  const int placements = RandomRounds * 25;
  std::mt19937 rng(300);
  const std::vector<std::uint32_t> background = HarshPixels(rng, ScreenPixels + CanaryPixels);
  for (int i = 0; i < placements; ++i) {
    const std::uint32_t width = 1 + rng() % 400;
    const std::uint32_t height = 1 + rng() % 260;
    const std::int32_t x = static_cast<std::int32_t>(rng() % 900) - 450;
    const std::int32_t y = static_cast<std::int32_t>(rng() % 600) - 300;
    std::vector<std::uint32_t> sprite = RandomPixels(rng, std::size_t{width} * height);
    const std::uint32_t key = i % 3 == 0 ? 0u : sprite[rng() % sprite.size()] & 0x00FFFFFF;
    for (std::uint32_t& p : sprite)  // a third of the pixels keyed, any fourth byte
      if (rng() % 3 == 0) p = key | (static_cast<std::uint32_t>(rng()) & 0xFF000000);

    for (bool add : {true, false}) {
      const std::vector<std::uint32_t> expected =
          SpriteOracle(add, x, y, width, height, sprite, background, key);
      std::vector<std::uint32_t> plain = background;
      const auto routine = add ? &Fx2dRoutines::addSpriteKeyed : &Fx2dRoutines::subSpriteKeyed;
      (PlainFx2d.*routine)(x, y, width, height, sprite.data(), plain.data(), ClassicFrame,
                           AllRows(ClassicFrame), key);
      ASSERT_EQ(FirstDifference(plain, expected), -1)
          << "reference " << (add ? "add" : "sub") << " at " << x << "," << y << " " << width << "x"
          << height;
      for (const Fx2dRoutines* table : FastVariants()) {
        std::vector<std::uint32_t> actual = background;
        (table->*routine)(x, y, width, height, sprite.data(), actual.data(), ClassicFrame,
                          AllRows(ClassicFrame), key);
        ASSERT_EQ(FirstDifference(actual, expected), -1)
            << table->name << (add ? " add" : " sub") << " at " << x << "," << y << " " << width
            << "x" << height;
      }
    }
  }
}

TEST(FastMatchesReference, GlowInAllDirectionsWeightsAndSizes) {
  const struct {
    const char* name;
    Fx2dRoutines::Glow* Fx2dRoutines::*routine;
    bool across;  // walks columns (up, down) rather than rows
  } passes[] = {{"left", &Fx2dRoutines::glowLeft, false},
                {"up", &Fx2dRoutines::glowUp, true},
                {"right", &Fx2dRoutines::glowRight, false},
                {"down", &Fx2dRoutines::glowDown, true}};
  // The scenes' weights, the ends of the range, and weights past 16 bits.
  const std::uint16_t weights[][2] = {{50, 15}, {50, 5},    {25, 5},  {0, 0},    {256, 0},
                                      {256, 1}, {100, 158}, {7, 250}, {0, 1000}, {256, 65535}};
  const std::uint32_t sizes[][2] = {{320, 200}, {2, 2},   {3, 7},    {5, 3},  {7, 5},
                                    {13, 9},    {33, 17}, {321, 11}, {4, 12}, {9, 1},
                                    {1, 9},     {6, 16},  {11, 37},  {2, 29}};
  for (int round = 0; round < RandomRounds; ++round) {
    std::mt19937 rng(400 + round);
    for (const auto& size : sizes) {
      const std::size_t count = std::size_t{size[0]} * size[1];
      const FrameSize frame =
          PackedFrame(static_cast<std::int32_t>(size[0]), static_cast<std::int32_t>(size[1]));
      const std::vector<std::uint32_t> image = round % 2 ? HarshPixels(rng, count + CanaryPixels)
                                                         : RandomPixels(rng, count + CanaryPixels);
      for (const auto& w : weights) {
        // One pixel, whole steps below and above four, steps between pixels.
        for (const std::uint16_t step : {256, 512, 1024, 300, 1382}) {
          const GlowParameters glow{.spread = w[0], .gain = w[1], .step = step};
          for (const auto& pass : passes) {
            const std::int32_t end = pass.across ? frame.width : frame.height;
            std::vector<std::uint32_t> expected = image;
            (PlainFx2d.*pass.routine)(glow, frame, 0, end, expected.data());
            for (const Fx2dRoutines* table : FastVariants()) {
              std::vector<std::uint32_t> actual = image;
              (table->*pass.routine)(glow, frame, 0, end, actual.data());
              ASSERT_EQ(FirstDifference(actual, expected), -1)
                  << pass.name << " " << table->name << " " << w[0] << "/" << w[1] << " step "
                  << step << " on " << size[0] << "x" << size[1];
            }
          }
        }
      }
    }
  }
}

class RadialBlurMatches : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { BuildRadialTable(ClassicFrame); }
  static void TearDownTestSuite() { FreeRadialTable(); }
};

TEST_F(RadialBlurMatches, AtEveryKindOfCentreAndWeight) {
  std::vector<std::array<int, 2>> centres = {
      {160, 100}, {1, 1},   {319, 199}, {1, 199}, {319, 1}, {2, 3},   {317, 196}, {3, 197},
      {100, 50},  {4, 100}, {160, 4},   {8, 9},   {7, 192}, {312, 7}, {313, 193}};
  std::vector<std::array<int, 2>> weights = {{140, 10}, {230, 10}, {0, 0}, {255, 0}, {0, 255}};
  std::mt19937 rng(500);
  for (int i = 0; i < RandomRounds; ++i) {
    centres.push_back({1 + static_cast<int>(rng() % 319), 1 + static_cast<int>(rng() % 199)});
    const int strength = static_cast<int>(rng() % 256);
    weights.push_back({strength, static_cast<int>(rng() % (256 - strength))});
  }
  for (std::size_t ci = 0; ci < centres.size(); ++ci) {
    const auto& centre = centres[ci];
    // Every centre with the scenes' weights; the other weights at a few.
    const std::size_t weightCount = ci < 2 ? weights.size() : 2;
    for (std::size_t wi = 0; wi < weightCount; ++wi) {
      const auto& w = weights[wi];
      std::mt19937 pixels(600 + static_cast<unsigned>(ci * 31 + wi));
      const std::vector<std::uint32_t> image =
          wi % 2 ? HarshPixels(pixels, ScreenPixels + CanaryPixels)
                 : RandomPixels(pixels, ScreenPixels + CanaryPixels);
      std::vector<std::uint32_t> expected = image;
      RadialBlur(PlainFx2d, centre[0], centre[1], w[0], w[1], ClassicFrame, expected.data());
      for (const Fx2dRoutines* table : FastVariants()) {
        std::vector<std::uint32_t> actual = image;
        RadialBlur(*table, centre[0], centre[1], w[0], w[1], ClassicFrame, actual.data());
        ASSERT_EQ(FirstDifference(actual, expected), -1)
            << table->name << " centre " << centre[0] << "," << centre[1] << " strength " << w[0]
            << " gain " << w[1];
      }
    }
  }
}

}  // namespace
}  // namespace vx
