// The finished look at a larger frame matches the classic one: a classic
// image with the show's kind of content (bright spots, streaks, hard edges)
// goes through the classic effect; the same image enlarged to the larger
// size (blocks of whole pixels, or of 5 and 6 at 1080 rows) goes through the
// effect at that size (ScaledGlow's step, the blur's table built for it);
// averaged back down by blocks the two must be close. The glow with the
// classic one-pixel step at the larger size must be clearly further off, so
// the step is what brings the look back. The figures are printed for the
// record.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "fx2d/fx2d.h"
#include "fx2d_test_images.h"

namespace vx {
namespace {

using namespace fx2d_test;

// A pixel of three colour bytes.
std::uint32_t Rgb(int r, int g, int b) {
  return static_cast<std::uint32_t>(std::clamp(r, 0, 255) << 16 | std::clamp(g, 0, 255) << 8 |
                                    std::clamp(b, 0, 255));
}

// Adds a colour with saturation, as light adds up on the screen.
void AddLight(std::uint32_t& pixel, double r, double g, double b) {
  pixel = Rgb(int(ByteOf(pixel, 2) + r), int(ByteOf(pixel, 1) + g), int(ByteOf(pixel, 0) + b));
}

// The classic test picture: a dark ground, a lit block with hard edges, a
// band of stripes, soft bright spots with white cores, and thin streaks at
// many angles.
std::vector<std::uint32_t> ShowLikePicture(unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint32_t> image(ScreenPixels, Rgb(4, 2, 10));
  const auto at = [&](int x, int y) -> std::uint32_t& { return image[y * ScreenWidth + x]; };
  for (int y = 120; y < 170; ++y)
    for (int x = 30; x < 130; ++x) at(x, y) = Rgb(70, 110, 160);
  for (int y = 20; y < 40; ++y)
    for (int x = 180; x < 300; ++x) at(x, y) = (x / 6) % 2 ? Rgb(200, 60, 30) : Rgb(10, 10, 10);
  for (int spot = 0; spot < 14; ++spot) {
    const double cx = 10 + rng() % 300, cy = 10 + rng() % 180, radius = 2 + rng() % 9;
    const double r = rng() % 256, g = rng() % 256, b = rng() % 256;
    for (int y = std::max(0, int(cy - 3 * radius)); y < std::min(200, int(cy + 3 * radius)); ++y) {
      for (int x = std::max(0, int(cx - 3 * radius)); x < std::min(320, int(cx + 3 * radius));
           ++x) {
        const double fall =
            std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (2 * radius * radius));
        AddLight(at(x, y), r * fall, g * fall, b * fall);
        if (fall > 0.8) at(x, y) = Rgb(255, 255, 255);
      }
    }
  }
  for (int streak = 0; streak < 10; ++streak) {
    const double angle = (rng() % 628) / 100.0, length = 20 + rng() % 120;
    const double x0 = rng() % 320, y0 = rng() % 200;
    const std::uint32_t colour = Rgb(150 + rng() % 106, 150 + rng() % 106, 150 + rng() % 106);
    for (double t = 0; t < length; t += 0.5) {
      const int x = int(x0 + t * std::cos(angle)), y = int(y0 + t * std::sin(angle));
      if (x >= 0 && x < 320 && y >= 0 && y < 200) at(x, y) = colour;
    }
  }
  return image;
}

// The classic pixel under pixel i of a frame axis of `size` pixels whose
// classic length is `classic`: blocks of size / classic pixels, whole or not.
int ClassicIndex(int i, int size, int classic) {
  return i * classic / size;
}

// The classic image drawn at the frame's size, each pixel a block.
std::vector<std::uint32_t> Enlarge(const std::vector<std::uint32_t>& image,
                                   const FrameSize& frame) {
  std::vector<std::uint32_t> big(FrameWords(frame));
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x)
      big[std::size_t(y) * frame.pitch + x] =
          image[ClassicIndex(y, frame.height, ScreenHeight) * ScreenWidth +
                ClassicIndex(x, frame.width, ScreenWidth)];
  return big;
}

// Each block averaged back to its classic pixel, rounded to nearest, byte by
// byte.
std::vector<std::uint32_t> Reduce(const std::vector<std::uint32_t>& big, const FrameSize& frame) {
  std::vector<int> sums(std::size_t(ScreenPixels) * 4, 0);
  std::vector<int> counts(ScreenPixels, 0);
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const int i = ClassicIndex(y, frame.height, ScreenHeight) * ScreenWidth +
                    ClassicIndex(x, frame.width, ScreenWidth);
      ++counts[i];
      for (int c = 0; c < 4; ++c)
        sums[4 * i + c] += int(ByteOf(big[std::size_t(y) * frame.pitch + x], c));
    }
  }
  std::vector<std::uint32_t> small(ScreenPixels, 0);
  for (std::uint32_t i = 0; i < ScreenPixels; ++i)
    for (int c = 0; c < 4; ++c)
      small[i] |= std::uint32_t((sums[4 * i + c] + counts[i] / 2) / counts[i]) << (8 * c);
  return small;
}

struct Difference {
  double mean;       // mean absolute difference per colour byte
  int percentile99;  // 99 % of the colour bytes differ by at most this
  int max;
};

Difference Compare(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  std::vector<int> counts(256, 0);
  long total = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (int c = 0; c < 3; ++c) {
      const int d = std::abs(int(ByteOf(a[i], c)) - int(ByteOf(b[i], c)));
      ++counts[d];
      total += d;
    }
  }
  const long bytes = long(a.size()) * 3;
  Difference result{double(total) / double(bytes), 0, 0};
  long seen = 0;
  for (int d = 0; d < 256; ++d) {
    if (counts[d] == 0) continue;
    result.max = d;
    seen += counts[d];
    if (seen * 100 < bytes * 99) result.percentile99 = d + 1;
  }
  return result;
}

// Whole multiples of the classic size, and the 1080-row frame (s = 5.4) with
// the classic width's aspect.
constexpr FrameSize Sizes[] = {PackedFrame(640, 400), PackedFrame(1280, 800),
                               PackedFrame(1920, 1200), PackedFrame(1728, 1080)};

bool WholeMultiple(const FrameSize& frame) {
  return frame.height % ScreenHeight == 0 && frame.width % ScreenWidth == 0;
}

// The scenes' glow weights, each pass in the scenes' order.
void GlowAll(const FrameSize& frame, const GlowParameters& glow, std::uint32_t* image) {
  const Fx2dRoutines& t = Fx2d();
  t.glowLeft(glow, frame, 0, frame.height, image);
  t.glowUp(glow, frame, 0, frame.width, image);
  t.glowRight(glow, frame, 0, frame.height, image);
  t.glowDown(glow, frame, 0, frame.width, image);
}

// Lit squares on black: the halo beyond their edges is all the glow does.
std::vector<std::uint32_t> HaloPicture() {
  std::vector<std::uint32_t> image(ScreenPixels, 0);
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x)
      if ((x / 40 + y / 40) % 3 == 0 && x % 40 >= 10 && y % 40 >= 10)
        image[y * 320 + x] = Rgb(255, 200, 90);
  return image;
}

TEST(LookAtLargerSizes, ScaledGlowAveragesDownToTheClassicGlow) {
  const std::uint16_t weights[][2] = {{50, 5}, {25, 5}, {50, 15}};
  for (const bool halo : {false, true}) {
    const std::vector<std::uint32_t> picture = halo ? HaloPicture() : ShowLikePicture(1);
    for (const auto& w : weights) {
      std::vector<std::uint32_t> classic = picture;
      GlowAll(ClassicFrame, {w[0], w[1]}, classic.data());
      for (const FrameSize& frame : Sizes) {
        const GlowParameters scaled = ScaledGlow(w[0], w[1], frame);
        std::vector<std::uint32_t> big = Enlarge(picture, frame);
        std::vector<std::uint32_t> unscaled = big;
        GlowAll(frame, scaled, big.data());
        GlowAll(frame, {w[0], w[1]}, unscaled.data());
        const Difference d = Compare(Reduce(big, frame), classic);
        const Difference plain = Compare(Reduce(unscaled, frame), classic);
        const Difference none = Compare(picture, classic);
        std::printf(
            "%s glow %d/%d at %dx%d (step %d/256): mean %.2f, 99%% %d, max %d; "
            "classic step %.2f, no glow %.2f\n",
            halo ? "halo" : "show", w[0], w[1], frame.width, frame.height, scaled.step, d.mean,
            d.percentile99, d.max, plain.mean, none.mean);
        // At a whole multiple every pixel of a block walks the classic walk.
        if (WholeMultiple(frame)) {
          EXPECT_EQ(d.max, 0) << w[0] << "/" << w[1] << " " << frame.height;
        }
        EXPECT_LE(d.mean, 1.0) << w[0] << "/" << w[1] << " " << frame.height;
        EXPECT_LT(d.mean, plain.mean / 2) << w[0] << "/" << w[1] << " " << frame.height;
      }
    }
  }
}

// The blur at a larger size samples each pixel one classic pixel toward the
// centre along its own ray, where the classic walk reads its one-pixel
// neighbours: the streaks run along the rays, with no lattice of classic
// pixels in them, and so they cannot match the classic ones pixel for pixel.
// (The classic 2 x 2 cell stretched to the larger size did match them within
// a mean of 1 to 2 levels and a 99th percentile of 4 to 8, but drew that
// lattice as a grid of lines inside the streaks.) The weak blur (140/10)
// stays within a level on average, measured 0.5 to 0.6. The strong one
// (230/10, where each pixel passes on about 94 % of the one before and long
// streaks build up) stays on average within the 6 levels the show allows,
// measured 5.1 to 6.0; one colour byte in a hundred differs by 39 to 43.
// The streaks come out sharper and longer than the classic ones: the
// classic sample, bilinear between whole classic pixels, spreads a streak
// sideways by up to half a classic pixel at every step, where the sample
// here, between the frame's pixels, spreads it by a fraction of a frame
// pixel.
TEST(LookAtLargerSizes, SampledBlurAveragesDownToTheClassicBlur) {
  const struct {
    std::uint8_t strength, gain;
    double mean;       // at most, per colour byte
    int percentile99;  // at most
  } weights[] = {{.strength = 230, .gain = 10, .mean = 6.0, .percentile99 = 45},
                 {.strength = 140, .gain = 10, .mean = 1.0, .percentile99 = 8}};
  const int centres[][2] = {{160, 100}, {60, 150}};
  const std::vector<std::uint32_t> picture = ShowLikePicture(2);
  for (const auto& w : weights) {
    for (const auto& c : centres) {
      BuildRadialTable(ClassicFrame);
      std::vector<std::uint32_t> classic = picture;
      RadialBlur(Fx2d(), c[0], c[1], w.strength, w.gain, ClassicFrame, classic.data());
      for (const FrameSize& frame : Sizes) {
        BuildRadialTable(frame);
        std::vector<std::uint32_t> big = Enlarge(picture, frame);
        const BlurParameters scaled = ScaledBlur(c[0], c[1], w.strength, w.gain, frame);
        RadialBlur(Fx2d(), scaled.cx, scaled.cy, scaled.strength, scaled.gain, frame, big.data());
        const Difference d = Compare(Reduce(big, frame), classic);
        const Difference none = Compare(picture, classic);  // no blur at all, for scale
        std::printf("blur %d/%d at (%d,%d) %dx%d: mean %.2f, 99%% %d, max %d; no blur %.2f\n",
                    w.strength, w.gain, c[0], c[1], frame.width, frame.height, d.mean,
                    d.percentile99, d.max, none.mean);
        EXPECT_LE(d.mean, w.mean) << int{w.strength} << " " << frame.height;
        EXPECT_LE(d.percentile99, w.percentile99) << int{w.strength} << " " << frame.height;
        EXPECT_LT(d.mean, none.mean / 2) << int{w.strength} << " " << frame.height;
      }
    }
  }
  FreeRadialTable();
}

}  // namespace
}  // namespace vx
