// The routines at every frame size the show draws at, in the parts threads
// run: each faster table equals the plain one byte for byte, on frames with
// a pitch wider than the width and guard words around them that nothing may
// touch; bands of rows (or columns) give what one call gives; the blur's
// cross then its four interiors, in any order, give the whole walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
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

// The unit direction (|dx|, |dy|) / d of a non-zero offset, d, fx and fy as
// singles, as the table of a larger frame forms them: from doubles.
std::array<float, 2> UnitDirection(int dx, int dy) {
  const float d = float(std::sqrt(double(dx) * dx + double(dy) * dy));
  return {float(double(std::abs(dx)) / d), float(double(std::abs(dy)) / d)};
}
// step x f in 8.8 pixels, nearest with ties to even.
std::uint32_t OffsetToward(std::uint16_t step, float f) {
  return std::uint32_t(std::lrint(double(step) * double(f)));
}
// The total of the classic weights of a direction: each of ex ey, (1 - ex)
// ey, ex (1 - ey), (1 - ex) (1 - ey) times 255, in double, rounded to the
// nearest.
std::uint32_t WeightTotal(const std::array<float, 2>& u) {
  const double ex = u[0], ey = u[1];
  return std::uint32_t(std::llrint(ex * ey * 255.0) + std::llrint((1.0 - ex) * ey * 255.0) +
                       std::llrint(ex * (1.0 - ey) * 255.0) +
                       std::llrint((1.0 - ex) * (1.0 - ey) * 255.0));
}

// The blur as one walk, quadrant after quadrant, each row after row from
// the centre out, written out again here in the order the walk had before
// it had parts. At the classic size the table's weights of the pixels one
// back (D, V, H) and P; at any other, the bilinear sample one classic pixel
// toward the centre, from the direction computed here (not the table's
// samples), cut to the pixel's column and row in its quadrant.
void WholeWalk(int cx, int cy, int strength, int gain, const FrameSize& frame, std::uint32_t* fb) {
  const fx2d::RadialTableView t =
      fx2d::RadialTableFor(cx, cy, std::uint8_t(strength), std::uint8_t(gain), frame);
  const bool classic = frame.width == ScreenWidth && frame.height == ScreenHeight;
  const std::uint32_t k1 = std::uint32_t(strength + gain), k0 = 255u - std::uint32_t(strength);
  const auto at = [&](int x, int y) -> std::uint32_t& {
    return fb[std::ptrdiff_t(y) * frame.pitch + x];
  };
  const int quadrants[4][2] = {{+1, +1}, {+1, -1}, {-1, +1}, {-1, -1}};
  for (const auto& q : quadrants) {
    const int sx = q[0], sy = q[1];
    const int rows = sy > 0 ? frame.height - cy : cy, cols = sx > 0 ? frame.width - cx : cx;
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < cols; ++c) {
        const int x = sx > 0 ? cx + c : cx - 1 - c, y = sy > 0 ? cy + r : cy - 1 - r;
        std::uint32_t ox = 0, oy = 0;  // the sample's offset toward the centre, 8.8
        std::uint32_t total = 255;     // and the classic weights' total
        if (!classic && (x != cx || y != cy)) {
          const std::array<float, 2> u = UnitDirection(x - cx, y - cy);
          ox = std::min(OffsetToward(t.step, u[0]), c == 0 ? 256u : 256u * c);
          oy = std::min(OffsetToward(t.step, u[1]), r == 0 ? 256u : 256u * r);
          total = WeightTotal(u);
        }
        const int i = int(ox >> 8), j = int(oy >> 8);
        const std::uint32_t f = ox & 0xFF, g = oy & 0xFF;
        std::uint32_t result = 0;
        for (int ch = 0; ch < 4; ++ch) {
          const std::uint32_t p = ByteOf(at(x, y), ch);
          std::uint32_t s;
          if (classic) {
            const std::uint8_t* w = fx2d::RadialEntry(t, x - cx, y - cy);
            s = (w[0] * ByteOf(at(x - sx, y - sy), ch) + w[1] * ByteOf(at(x, y - sy), ch) +
                 w[2] * ByteOf(at(x - sx, y), ch) + w[3] * p) >>
                8;
          } else {
            // Along each row, then between the rows; a weight of 0 reads nothing.
            const auto along = [&](int row) {
              const std::uint32_t nearer = ByteOf(at(x - sx * i, row), ch);
              if (f == 0) return nearer;
              return (nearer * (256 - f) + ByteOf(at(x - sx * (i + 1), row), ch) * f) >> 8;
            };
            const std::uint32_t rowNear = along(y - sy * j);
            const std::uint32_t rowFar = g == 0 ? 0 : along(y - sy * (j + 1));
            s = (total * (rowNear * (256 - g) + rowFar * g)) >> 16;
          }
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

TEST(RadialTableAtFrameSizes, HoldsTheSamplesFoldedAndRebuildsOnlyOnAChange) {
  BuildRadialTable(ClassicFrame);
  const std::vector<std::uint8_t> classic(fx2d::RadialWeights(),
                                          fx2d::RadialWeights() + fx2d::RadialTableBytes);
  // Offsets by hand: step x the single direction, e.g. (3, 4) is
  // (0.6, 0.8) -> 1382 x 0.60000002 = 829.2 and 1382 x 0.80000001 = 1105.6.
  const struct {
    FrameSize frame;
    std::uint16_t step;
    struct {
      int dx, dy;
      std::uint16_t ox, oy;
    } entries[7];
  } cases[] = {{PackedFrame(1920, 1080),
                1382,  // 5.4 x 256 = 1382.4
                {{0, 0, 0, 0},
                 {3, 4, 829, 1106},
                 {-3, -4, 829, 1106},
                 {1, -1, 977, 977},    // 1 / 1.4142135 = 0.70710677
                 {-5, 12, 532, 1276},  // 531.54, 1275.69
                 {7, 0, 1382, 0},
                 {-100, 1, 1382, 14}}},  // 1381.93 and 13.82
               {PackedFrame(3840, 2160),
                2765,  // 10.8 x 256 = 2764.8
                {{0, -9, 0, 2765},
                 {3, 4, 1659, 2212},
                 {1, 1, 1955, 1955},
                 {5, 12, 1063, 2552},
                 {-2, 1, 2473, 1237},  // 2473.09, 1236.55
                 {100, -1, 2765, 28},
                 {-1919, -1079, 2410, 1355}}}};  // 2410.14, 1355.15
  for (const auto& c : cases) {
    BuildRadialTable(c.frame);
    const fx2d::RadialTableView t =
        fx2d::RadialTableFor(c.frame.width / 2, c.frame.height / 2, 0, 0, c.frame);
    EXPECT_TRUE(t.folded);
    EXPECT_EQ(t.step, c.step);
    for (const auto& e : c.entries) {
      const fx2d::RadialSample o = fx2d::RadialSampleAt(t, e.dx, e.dy);
      EXPECT_EQ(o.x, e.ox) << e.dx << "," << e.dy << " at " << c.frame.width;
      EXPECT_EQ(o.y, e.oy) << e.dx << "," << e.dy << " at " << c.frame.width;
    }
    // Every offset the classic table holds: the total of its four weights.
    for (int dy = -200; dy < 200; ++dy) {
      for (int dx = -320; dx < 320; ++dx) {
        const std::uint8_t* w = classic.data() + fx2d::RadialEntryOffset(dx, dy);
        ASSERT_EQ(fx2d::RadialSampleAt(t, dx, dy).total, w[0] + w[1] + w[2] + w[3])
            << dx << "," << dy;
      }
    }
    // Everywhere on a coarse grid, against the direction computed here.
    for (int dy = 1 - c.frame.height; dy < c.frame.height; dy += 37) {
      for (int dx = 1 - c.frame.width; dx < c.frame.width; dx += 53) {
        if (dx == 0 && dy == 0) continue;
        const std::array<float, 2> u = UnitDirection(dx, dy);
        const fx2d::RadialSample o = fx2d::RadialSampleAt(t, dx, dy);
        ASSERT_EQ(o.x, OffsetToward(t.step, u[0])) << dx << "," << dy;
        ASSERT_EQ(o.y, OffsetToward(t.step, u[1])) << dx << "," << dy;
        ASSERT_EQ(o.total, WeightTotal(u)) << dx << "," << dy;
      }
    }
  }
  const std::uint8_t* before = fx2d::RadialWeights();
  BuildRadialTable(PackedFrame(3840, 2160));  // the size already built
  EXPECT_EQ(fx2d::RadialWeights(), before);
  BuildRadialTable({3840, 2160, 4000});  // the pitch does not matter
  EXPECT_EQ(fx2d::RadialWeights(), before);
  BuildRadialTable(ClassicFrame);  // back: the same classic bytes
  EXPECT_TRUE(std::equal(classic.begin(), classic.end(), fx2d::RadialWeights()));
  EXPECT_TRUE(RadialTableBuilt());
  FreeRadialTable();
  EXPECT_FALSE(RadialTableBuilt());
}

// The streak of a lit block (about a classic pixel) at a slant runs out
// along its own ray from the centre, as the classic one does, and reaches
// far: the light it leaves lies, weighted by its brightness, as near the ray
// as the block's own pixels, give or take half a pixel, and some of it is
// still lit ten classic pixels on. (The classic 2 x 2 cell stretched to the
// step, reading whole steps back along the rows and columns, spread the
// first block's light over a lattice 3.9 pixels from the ray.)
TEST(RadialBlurCrossAndInteriors, AStreakAtASlantRunsAlongItsRay) {
  const FrameSize frame = PackedFrame(1920, 1080);
  BuildRadialTable(frame);
  const int cx = 960, cy = 540;
  const struct {
    int dx, dy;  // the block's middle from the centre
  } blocks[] = {{300, 120}, {-200, 260}, {-90, -330}, {410, -40}};
  for (const auto& block : blocks) {
    for (const Fx2dRoutines* table : Fx2dVariants()) {
      std::vector<std::uint32_t> image(FrameWords(frame), 0);
      for (int y = -3; y <= 3; ++y)
        for (int x = -3; x <= 3; ++x)
          image[std::size_t(cy + block.dy + y) * frame.pitch + cx + block.dx + x] = Grey(255);
      RadialBlur(*table, cx, cy, 230, 10, frame, image.data());
      const double length = std::hypot(double(block.dx), double(block.dy));
      const double ux = block.dx / length, uy = block.dy / length;
      double weight = 0, spread = 0, reach = 0;
      for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
          const double level = ByteOf(image[std::size_t(y) * frame.pitch + x], 0);
          if (level == 0) continue;
          const double along = (x - cx) * ux + (y - cy) * uy - length;
          const double across = (x - cx) * uy - (y - cy) * ux;
          EXPECT_GE(along, -5.0) << "light toward the centre at " << x << "," << y;
          if (along <= 5.0) continue;  // the block itself
          weight += level;
          spread += level * across * across;
          reach = std::max(reach, along);
        }
      }
      ASSERT_GT(weight, 0.0) << table->name;
      // The block's own rows are 2 pixels from its middle (root mean square).
      EXPECT_LE(std::sqrt(spread / weight), 2.5)
          << table->name << " " << block.dx << "," << block.dy;
      EXPECT_GE(reach, 10 * double(EffectStep(frame)) / 256) << table->name;
    }
  }
  FreeRadialTable();
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
