// The routines at every frame size the show draws at, in the parts threads
// run: each faster table equals the plain one byte for byte, on frames with
// a pitch wider than the width and guard words around them that nothing may
// touch; bands of rows (or columns) give what one call gives; the blur's
// cross then its four interiors, in any order, give the whole walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <span>
#include <vector>

#include "fx2d/fx2d.h"
#include "fx2d/fx2d_internal.h"
#include "fx2d_test_images.h"

namespace vx {
namespace {

using namespace fx2d_test;

std::span<const Fx2dRoutines* const> FastVariants() {
  return Fx2dVariants().subspan(1);
}

// A frame of random pixels, three words of every row past its width and
// guard words before and after, all holding the canary.
struct FramedImage {
  static constexpr std::size_t Guard = 16;
  FrameSize frame;
  std::vector<std::uint32_t> words;

  FramedImage(const FrameSize& size, std::mt19937& rng)
      : frame(size), words(Guard + FrameWords(size) + Guard, Canary) {
    for (int y = 0; y < frame.height; ++y) {
      const std::vector<std::uint32_t> row = HarshPixels(rng, std::size_t(frame.width));
      std::copy(row.begin(), row.end(), &at(0, y));
    }
  }
  std::uint32_t* data() { return words.data() + Guard; }
  std::uint32_t& at(int x, int y) { return words[Guard + std::size_t(y) * frame.pitch + x]; }
  bool OutsideUntouched() const {
    for (std::size_t i = 0; i < words.size(); ++i) {
      const std::size_t p = i - Guard;
      const bool inside = i >= Guard && p < FrameWords(frame) && int(p % frame.pitch) < frame.width;
      if (!inside && words[i] != Canary) return false;
    }
    return true;
  }
};

FrameSize WithGap(std::int32_t width, std::int32_t height) {
  return {width, height, width + 3};
}

// The show's sizes; the largest gets fewer cases, and the sanitizer build,
// where every access is checked, leaves out the two widest.
const FrameSize Sizes[] = {WithGap(320, 200),   WithGap(640, 400),  WithGap(1920, 1080),
                           WithGap(1080, 1920),
#if !defined(VX_SANITIZE)
                           WithGap(2560, 1080), WithGap(3840, 2160)
#endif
};
bool Largest(const FrameSize& f) {
  return f.width == MaxFrameWidth;
}

const struct GlowPass {
  const char* name;
  Fx2dRoutines::Glow* Fx2dRoutines::*routine;
  bool across;  // walks columns
} Passes[] = {{"left", &Fx2dRoutines::glowLeft, false},
              {"up", &Fx2dRoutines::glowUp, true},
              {"right", &Fx2dRoutines::glowRight, false},
              {"down", &Fx2dRoutines::glowDown, true}};

TEST(FastMatchesReferenceAtFrameSizes, GlowPassesWholeAndInBands) {
  std::mt19937 rng(700);
  for (const FrameSize& frame : Sizes) {
    std::vector<GlowParameters> glows = {ScaledGlow(50, 15, frame)};
    if (!Largest(frame)) glows.insert(glows.end(), {ScaledGlow(25, 5, frame), {50, 5}});
    const FramedImage image(frame, rng);
    for (const GlowParameters& glow : glows) {
      for (const GlowPass& pass : Passes) {
        const std::int32_t end = pass.across ? frame.width : frame.height;
        FramedImage expected = image;
        (PlainFx2d.*pass.routine)(glow, frame, 0, end, expected.data());
        ASSERT_TRUE(expected.OutsideUntouched()) << pass.name << " " << frame.width;
        // Three uneven bands, as threads would take them.
        const std::int32_t cuts[] = {0, end / 3 + 1, end / 2 + 5, end};
        for (const Fx2dRoutines* table : Fx2dVariants()) {
          FramedImage actual = image;
          for (int band = 0; band < 3; ++band)
            (table->*pass.routine)(glow, frame, cuts[band], cuts[band + 1], actual.data());
          ASSERT_EQ(FirstDifference(actual.words, expected.words), -1)
              << pass.name << " " << table->name << " step " << glow.step << " on " << frame.width
              << "x" << frame.height;
        }
      }
    }
  }
}

TEST(FastMatchesReferenceAtFrameSizes, PixelOperationsOnWholeFramesAndBands) {
  std::mt19937 rng(710);
  for (const FrameSize& size : Sizes) {
    const std::uint32_t whole = static_cast<std::uint32_t>(size.width * size.height);
    const std::vector<std::uint32_t> a = HarshPixels(rng, whole + CanaryPixels);
    const std::vector<std::uint32_t> b = RandomPixels(rng, whole + CanaryPixels);
    for (const std::uint32_t count : {whole, 7u * std::uint32_t(size.width) + 3}) {
      std::vector<std::uint32_t> added = b, darker(a.size(), Canary), lighter(a.size(), Canary);
      std::vector<std::uint32_t> faded(a.size(), Canary);
      PlainFx2d.addScreen(a.data(), added.data(), count);
      PlainFx2d.darkenScreen(a.data(), darker.data(), count, 77);
      PlainFx2d.lightenScreen(a.data(), lighter.data(), count, 77);
      PlainFx2d.crossFade(a.data(), b.data(), faded.data(), count, 77);
      for (const Fx2dRoutines* table : FastVariants()) {
        std::vector<std::uint32_t> out = b;
        table->addScreen(a.data(), out.data(), count);
        ASSERT_EQ(FirstDifference(out, added), -1) << "add " << table->name << " " << count;
        out.assign(a.size(), Canary);
        table->darkenScreen(a.data(), out.data(), count, 77);
        ASSERT_EQ(FirstDifference(out, darker), -1) << "darken " << table->name << " " << count;
        out.assign(a.size(), Canary);
        table->lightenScreen(a.data(), out.data(), count, 77);
        ASSERT_EQ(FirstDifference(out, lighter), -1) << "lighten " << table->name << " " << count;
        out.assign(a.size(), Canary);
        table->crossFade(a.data(), b.data(), out.data(), count, 77);
        ASSERT_EQ(FirstDifference(out, faded), -1) << "fade " << table->name << " " << count;
      }
      EXPECT_EQ(added[count], b[count]) << "the count bounds the add";
      EXPECT_EQ(darker[count], Canary) << "the count bounds the darken";
    }
  }
}

// A keyed sprite drawn as the clipping rule says, on a frame with a pitch.
void SpriteOracle(bool add, std::int32_t x, std::int32_t y, std::uint32_t width,
                  std::uint32_t height, const std::vector<std::uint32_t>& sprite,
                  FramedImage& image, std::uint32_t key) {
  for (std::int64_t sy = 0; sy < height; ++sy) {
    for (std::int64_t sx = 0; sx < width; ++sx) {
      const std::int64_t tx = x + sx, ty = y + sy;
      if (tx < 0 || tx >= image.frame.width || ty < 0 || ty >= image.frame.height) continue;
      const std::uint32_t colour = sprite[sy * width + sx] & 0x00FFFFFF;
      if (colour == key) continue;
      std::uint32_t& d = image.at(int(tx), int(ty));
      std::uint32_t out = d & 0xFF000000;
      for (int c = 0; c < 3; ++c) {
        const int v = add ? int(ByteOf(d, c) + ByteOf(colour, c))
                          : int(ByteOf(d, c)) - int(ByteOf(colour, c));
        out |= static_cast<std::uint32_t>(std::clamp(v, 0, 255)) << (8 * c);
      }
      d = out;
    }
  }
}

TEST(FastMatchesReferenceAtFrameSizes, SpritesClippedToTheFrameAndDrawnBandByBand) {
  std::mt19937 rng(720);
  for (const FrameSize& frame : Sizes) {
    if (Largest(frame)) continue;  // the clipping does not depend on the size
    const FramedImage background(frame, rng);
    for (int i = 0; i < 6; ++i) {
      const std::uint32_t width = 1 + rng() % (frame.width + 200);
      const std::uint32_t height = 1 + rng() % (frame.height / 2);
      const std::int32_t x =
          std::int32_t(rng() % (frame.width + 400)) - 200 - std::int32_t(width / 2);
      const std::int32_t y =
          std::int32_t(rng() % (frame.height + 200)) - 100 - std::int32_t(height / 2);
      std::vector<std::uint32_t> sprite = RandomPixels(rng, std::size_t{width} * height);
      const std::uint32_t key = sprite[0] & 0x00FFFFFF;
      for (std::uint32_t& p : sprite)
        if (rng() % 3 == 0) p = key;
      const std::int32_t cuts[] = {0, frame.height / 4 + 1, frame.height / 2, frame.height};
      for (const bool add : {true, false}) {
        FramedImage expected = background;
        SpriteOracle(add, x, y, width, height, sprite, expected, key);
        const auto routine = add ? &Fx2dRoutines::addSpriteKeyed : &Fx2dRoutines::subSpriteKeyed;
        for (const Fx2dRoutines* table : Fx2dVariants()) {
          FramedImage actual = background;
          for (int band = 0; band < 3; ++band)
            (table->*routine)(x, y, width, height, sprite.data(), actual.data(), frame,
                              {cuts[band], cuts[band + 1]}, key);
          ASSERT_EQ(FirstDifference(actual.words, expected.words), -1)
              << table->name << (add ? " add" : " sub") << " at " << x << "," << y << " " << width
              << "x" << height << " on " << frame.width << "x" << frame.height;
        }
      }
    }
  }
}

// ---- the radial blur in parts ---------------------------------------------

// The blur as one walk, quadrant after quadrant, each row after row from
// the centre out: the pixel rule of fx2d_internal.h (RadialDistance),
// written out again here in the order the walk had before it had parts.
void WholeWalk(int cx, int cy, int strength, int gain, const FrameSize& frame, std::uint32_t* fb) {
  const fx2d::RadialTableView t =
      fx2d::RadialTableFor(cx, cy, std::uint8_t(strength), std::uint8_t(gain), frame);
  const std::uint32_t k1 = std::uint32_t(strength + gain), k0 = 255u - std::uint32_t(strength);
  const auto at = [&](int x, int y) -> std::uint32_t& {
    return fb[std::ptrdiff_t(y) * frame.pitch + x];
  };
  // Byte c of the pixel `distance` (8.8) back from (x, y) along (ux, uy).
  const auto back = [&](int x, int y, int ux, int uy, std::uint32_t distance, int c) {
    const int i = int(distance >> 8);
    const std::uint32_t f = distance & 0xFF;
    const std::uint32_t nearer = ByteOf(at(x - ux * i, y - uy * i), c);
    if (f == 0) return nearer;
    return (nearer * (256 - f) + ByteOf(at(x - ux * (i + 1), y - uy * (i + 1)), c) * f) >> 8;
  };
  const int quadrants[4][2] = {{+1, +1}, {+1, -1}, {-1, +1}, {-1, -1}};
  for (const auto& q : quadrants) {
    const int sx = q[0], sy = q[1];
    const int rows = sy > 0 ? frame.height - cy : cy, cols = sx > 0 ? frame.width - cx : cx;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) {
        const int x = sx > 0 ? cx + c : cx - 1 - c, y = sy > 0 ? cy + r : cy - 1 - r;
        const std::uint32_t tx = c == 0 ? 256 : std::min<std::uint32_t>(t.step, 256u * c);
        const std::uint32_t ty = r == 0 ? 256 : std::min<std::uint32_t>(t.step, 256u * r);
        const std::uint8_t* w = fx2d::RadialEntry(t, x - cx, y - cy);
        std::uint32_t result = 0;
        for (int ch = 0; ch < 4; ++ch) {
          // D: along the row in the two rows ty back, then between them.
          const int iy = int(ty >> 8);
          const std::uint32_t fy = ty & 0xFF;
          const std::uint32_t dNear = back(x, y - sy * iy, sx, 0, tx, ch);
          const std::uint32_t d =
              fy == 0 ? dNear
                      : (dNear * (256 - fy) + back(x, y - sy * (iy + 1), sx, 0, tx, ch) * fy) >> 8;
          const std::uint32_t p = ByteOf(at(x, y), ch);
          const std::uint32_t s = (w[0] * d + w[1] * back(x, y, 0, sy, ty, ch) +
                                   w[2] * back(x, y, sx, 0, tx, ch) + w[3] * p) >>
                                  8;
          result |= (std::min(s * k1 + p * k0, 65535u) >> 8) << (8 * ch);
        }
        at(x, y) = result;
      }
    }
  }
}

// The middle, the corners (at the classic size all four, elsewhere two) and
// one random centre; the largest frame only the middle.
std::vector<std::array<int, 2>> CentresFor(const FrameSize& f, std::mt19937& rng) {
  std::vector<std::array<int, 2>> centres = {{f.width / 2, f.height / 2}};
  if (Largest(f)) return centres;
  centres.insert(centres.end(), {{1, 1}, {f.width - 1, f.height - 1}});
  if (f.width == ScreenWidth) centres.insert(centres.end(), {{1, f.height - 1}, {f.width - 1, 1}});
  centres.push_back({1 + int(rng() % (f.width - 1)), 1 + int(rng() % (f.height - 1))});
  return centres;
}

TEST(RadialBlurCrossAndInteriors, CrossThenInteriorsInAnyOrderGiveTheWholeWalkAtEverySize) {
  std::mt19937 rng(730);
  for (const FrameSize& frame : Sizes) {
    BuildRadialTable(frame);
    const std::vector<std::array<int, 2>> centres = CentresFor(frame, rng);
    for (std::size_t ci = 0; ci < centres.size(); ++ci) {
      const auto& c = centres[ci];
      const int weights[][2] = {{230, 10}, {140, 10}, {0, 255}};
      const int weightCount = frame.width == ScreenWidth ? 3 : ci == 0 ? 2 : 1;
      for (int wi = 0; wi < weightCount; ++wi) {
        const FramedImage image(frame, rng);
        FramedImage expected = image;
        WholeWalk(c[0], c[1], weights[wi][0], weights[wi][1], frame, expected.data());
        ASSERT_TRUE(expected.OutsideUntouched());
        // Every order at the classic size's first centre, else backward and
        // one shuffled.
        std::array<RadialPart, 4> order = {RadialPart::BelowRight, RadialPart::AboveRight,
                                           RadialPart::BelowLeft, RadialPart::AboveLeft};
        std::vector<std::array<RadialPart, 4>> orders;
        if (frame == WithGap(320, 200) && ci == 0) {
          do orders.push_back(order);
          while (std::next_permutation(order.begin(), order.end()));
        } else {
          orders.push_back({order[3], order[2], order[1], order[0]});
          std::shuffle(order.begin(), order.end(), rng);
          orders.push_back(order);
        }
        for (const Fx2dRoutines* table : Fx2dVariants()) {
          for (const auto& parts : orders) {
            FramedImage actual = image;
            table->radialBlur(c[0], c[1], std::uint8_t(weights[wi][0]),
                              std::uint8_t(weights[wi][1]), frame, RadialPart::Cross,
                              actual.data());
            for (const RadialPart part : parts)
              table->radialBlur(c[0], c[1], std::uint8_t(weights[wi][0]),
                                std::uint8_t(weights[wi][1]), frame, part, actual.data());
            ASSERT_EQ(FirstDifference(actual.words, expected.words), -1)
                << table->name << " centre " << c[0] << "," << c[1] << " weights " << weights[wi][0]
                << "/" << weights[wi][1] << " on " << frame.width << "x" << frame.height
                << " first part " << int(parts[0]);
          }
        }
      }
    }
  }
  FreeRadialTable();
}

// Two pixels a classic pixel: the classic streak of one white pixel right of
// the centre (see effects_test.cpp) lands on every second pixel, since each
// pixel takes the one two back.
TEST(RadialBlurCrossAndInteriors, TheStepOfALargerFrameReachesBackWholeClassicPixels) {
  const FrameSize frame = PackedFrame(640, 400);
  BuildRadialTable(frame);
  const std::uint32_t streak[] = {114, 0, 66, 0, 38, 0, 21, 0, 11, 0, 5, 0, 2, 0};
  for (const Fx2dRoutines* table : Fx2dVariants()) {
    std::vector<std::uint32_t> image(FrameWords(frame), 0);
    image[200 * 640 + 321] = 0x00FFFFFF;
    RadialBlur(*table, 320, 200, 140, 10, frame, image.data());
    for (int i = 0; i < 14; ++i)
      ASSERT_EQ(image[200 * 640 + 321 + i], Grey(streak[i])) << table->name << " " << i;
  }
  FreeRadialTable();
}

TEST(RadialTableAtFrameSizes, HoldsTheClassicWeightsFoldedAndRebuildsOnlyOnAChange) {
  BuildRadialTable(ClassicFrame);
  const std::vector<std::uint8_t> classic(fx2d::RadialWeights(),
                                          fx2d::RadialWeights() + fx2d::RadialTableBytes);
  const FrameSize hd = PackedFrame(1920, 1080);
  BuildRadialTable(hd);
  const fx2d::RadialTableView t = fx2d::RadialTableFor(960, 540, 0, 0, hd);
  EXPECT_TRUE(t.folded);
  EXPECT_EQ(t.step, 1382);  // 5.4 x 256 = 1382.4
  for (int dy = -200; dy < 200; dy += 3) {
    for (int dx = -320; dx < 320; dx += 7) {
      const std::uint8_t* folded = fx2d::RadialEntry(t, dx, dy);
      const std::uint8_t* original = classic.data() + fx2d::RadialEntryOffset(dx, dy);
      ASSERT_TRUE(std::equal(original, original + 4, folded)) << dx << "," << dy;
    }
  }
  const std::uint8_t* before = fx2d::RadialWeights();
  BuildRadialTable(PackedFrame(1920, 1080));  // the size already built
  EXPECT_EQ(fx2d::RadialWeights(), before);
  BuildRadialTable({1920, 1080, 2000});  // the pitch does not matter
  EXPECT_EQ(fx2d::RadialWeights(), before);
  BuildRadialTable(ClassicFrame);  // back: the same classic bytes
  EXPECT_TRUE(std::equal(classic.begin(), classic.end(), fx2d::RadialWeights()));
  EXPECT_TRUE(RadialTableBuilt());
  FreeRadialTable();
  EXPECT_FALSE(RadialTableBuilt());
}

TEST(EffectParameters, StepIsTheFramesScaleAndTheClassicSizeIsIdentity) {
  const struct {
    FrameSize frame;
    std::uint16_t step;  // min(width / 320, height / 200) x 256, rounded
  } cases[] = {{ClassicFrame, 256},
               {PackedFrame(640, 400), 512},
               {PackedFrame(2560, 200), 256},
               {PackedFrame(1920, 1080), 1382},  // 5.4: the height's
               {PackedFrame(1080, 1920), 864},   // 3.375: the width's
               {PackedFrame(3840, 2160), 2765}};
  for (const auto& c : cases) {
    EXPECT_EQ(EffectStep(c.frame), c.step) << c.frame.width << "x" << c.frame.height;
    const GlowParameters glow = ScaledGlow(50, 15, c.frame);
    EXPECT_EQ(glow.spread, 50);
    EXPECT_EQ(glow.gain, 15);
    EXPECT_EQ(glow.step, c.step);
  }
}

TEST(EffectParameters, TheBlurCentreMovesToTheFirstPixelOfItsBlock) {
  const struct {
    FrameSize frame;
    std::int32_t cx, cy, x, y;
  } cases[] = {{ClassicFrame, 160, 100, 160, 100},
               {ClassicFrame, 1, 199, 1, 199},
               {PackedFrame(640, 400), 160, 100, 320, 200},
               {PackedFrame(640, 400), 1, 1, 2, 2},
               {PackedFrame(1920, 1080), 160, 100, 960, 540},
               {PackedFrame(1920, 1080), 1, 1, 6, 6},
               {PackedFrame(1920, 1080), 319, 199, 1914, 1075},  // 199 x 5.4 = 1074.6
               {PackedFrame(1080, 1920), 160, 100, 540, 960}};
  for (const auto& c : cases) {
    const BlurParameters blur = ScaledBlur(c.cx, c.cy, 230, 10, c.frame);
    EXPECT_EQ(blur.cx, c.x) << c.frame.width << " " << c.cx;
    EXPECT_EQ(blur.cy, c.y) << c.frame.height << " " << c.cy;
    EXPECT_EQ(blur.strength, 230);
    EXPECT_EQ(blur.gain, 10);
  }
}

// A step between pixels blends the two: step 1.5, white at column 0 only,
// (50, 15): N = (P[k-1] + P[k-2]) x 128 >> 8, then (N x 65 + P x 206) >> 8.
TEST(GlowSteps, AStepBetweenPixelsBlendsTheTwoNeighbours) {
  const std::uint32_t expected[] = {255, 0, 32, 4, 4, 1, 0, 0};
  for (const Fx2dRoutines* table : Fx2dVariants()) {
    std::vector<std::uint32_t> row(8, 0);
    row[0] = Grey(255);
    table->glowRight({.spread = 50, .gain = 15, .step = 384}, PackedFrame(8, 1), 0, 1, row.data());
    for (int i = 0; i < 8; ++i) ASSERT_EQ(row[i], Grey(expected[i])) << table->name << " " << i;
  }
}

}  // namespace
}  // namespace vx
