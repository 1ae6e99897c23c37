// Pictures resampled to the frame's size: constant colours and the fourth
// byte kept, enlargements against a plain Catmull-Rom computation and a
// known pattern, refused sources and sizes, and the same bytes as the
// resizer's vector path.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "platform/picture.h"
#include "platform/stb_vector_paths.h"

namespace vx {
namespace {

// A colour picture owning its pixels (the library's own allocation, so that
// ReleasePicture can free it).
struct OwnedPicture {
  OwnedPicture(std::uint32_t width, std::uint32_t height) {
    picture = {.width = width,
               .height = height,
               .bytesPerPixel = static_cast<std::uint8_t>(PixelBytes),
               .pixels = std::malloc(std::size_t{width} * height * PixelBytes)};
  }
  ~OwnedPicture() { ReleasePicture(picture); }
  OwnedPicture(const OwnedPicture&) = delete;
  OwnedPicture& operator=(const OwnedPicture&) = delete;
  std::uint32_t* words() { return static_cast<std::uint32_t*>(picture.pixels); }
  std::uint8_t* bytes() { return static_cast<std::uint8_t*>(picture.pixels); }

  Picture picture;
};

std::uint8_t Byte(const Picture& p, std::uint32_t x, std::uint32_t y, int channel) {
  return static_cast<const std::uint8_t*>(p.pixels)[(std::size_t{y} * p.width + x) * 4 + channel];
}

// Noise in the three colour bytes, the fourth byte fourth.
void FillRandom(OwnedPicture& p, std::uint32_t seed, std::uint8_t fourth) {
  std::mt19937 random(seed);
  for (std::uint32_t i = 0; i < p.picture.width * p.picture.height; ++i)
    p.words()[i] = (random() & 0x00FFFFFFu) | std::uint32_t{fourth} << 24;
}

// Noise in all four bytes.
void FillRandomWords(OwnedPicture& p, std::uint32_t seed) {
  std::mt19937 random(seed);
  for (std::uint32_t i = 0; i < p.picture.width * p.picture.height; ++i)
    p.words()[i] = static_cast<std::uint32_t>(random());
}

TEST(ResamplePicture, ConstantColourStaysThatColour) {
  struct Case {
    std::uint32_t fromWidth, fromHeight, toWidth, toHeight;
    std::uint32_t colour;  // the fourth byte included
  };
  const Case cases[] = {
      {.fromWidth = 320, .fromHeight = 200, .toWidth = 640, .toHeight = 400, .colour = 0x00C81E3Cu},
      {.fromWidth = 320,
       .fromHeight = 200,
       .toWidth = 3840,
       .toHeight = 2160,
       .colour = 0x00FFFFFFu},
      {.fromWidth = 320,
       .fromHeight = 200,
       .toWidth = 1080,
       .toHeight = 1920,
       .colour = 0x00010203u},
      {.fromWidth = 320,
       .fromHeight = 200,
       .toWidth = 2560,
       .toHeight = 1080,
       .colour = 0x7F000000u},
      {.fromWidth = 320, .fromHeight = 200, .toWidth = 160, .toHeight = 100, .colour = 0x80FF00FFu},
      {.fromWidth = 7, .fromHeight = 3, .toWidth = 50, .toHeight = 1, .colour = 0xFF808080u},
      {.fromWidth = 1, .fromHeight = 1, .toWidth = 9, .toHeight = 11, .colour = 0x00123456u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fromWidth << " x " << c.fromHeight << " to " << c.toWidth
                                    << " x " << c.toHeight << std::hex << ", colour " << c.colour);
    OwnedPicture source(c.fromWidth, c.fromHeight);
    for (std::uint32_t i = 0; i < c.fromWidth * c.fromHeight; ++i) source.words()[i] = c.colour;
    Picture out{};
    ASSERT_TRUE(ResamplePicture(source.picture, c.toWidth, c.toHeight, out));
    EXPECT_EQ(out.width, c.toWidth);
    EXPECT_EQ(out.height, c.toHeight);
    EXPECT_EQ(out.bytesPerPixel, 4u);
    std::uint32_t wrong = 0;
    for (std::uint32_t i = 0; i < c.toWidth * c.toHeight; ++i)
      wrong += PictureWords(out)[i] != c.colour ? 1 : 0;
    EXPECT_EQ(wrong, 0u);
    ReleasePicture(out);
  }
}

// The Catmull-Rom cubic, the interpolating one: 1 at 0, 0 at the other
// whole numbers, reaching two pixels to either side.
double CatmullRom(double x) {
  x = std::abs(x);
  if (x < 1.0) return 1.0 - x * x * (2.5 - 1.5 * x);
  if (x < 2.0) return 2.0 - x * (4.0 + x * (0.5 * x - 2.5));
  return 0.0;
}

// One channel of source enlarged to width x height in double, the plain way:
// output pixel centre x + 0.5 maps to source position (x + 0.5) x
// source.width / width - 0.5 (in units of source pixel centres), weighted by
// the cubic at the distance to each source pixel within two, pixels beyond
// the border repeating the border's, rounded once at the end.
std::uint8_t ReferenceEnlarged(const Picture& source, std::uint32_t width, std::uint32_t height,
                               std::uint32_t x, std::uint32_t y, int channel) {
  const double sx = (x + 0.5) * source.width / width - 0.5;
  const double sy = (y + 0.5) * source.height / height - 0.5;
  const int x0 = static_cast<int>(std::floor(sx)), y0 = static_cast<int>(std::floor(sy));
  auto clamp = [](int i, std::uint32_t n) {
    return static_cast<std::uint32_t>(std::min(std::max(i, 0), static_cast<int>(n) - 1));
  };
  double sum = 0.0;
  for (int j = y0 - 1; j <= y0 + 2; ++j) {
    for (int i = x0 - 1; i <= x0 + 2; ++i) {
      const double w = CatmullRom(sx - i) * CatmullRom(sy - j);
      sum += w * Byte(source, clamp(i, source.width), clamp(j, source.height), channel);
    }
  }
  return static_cast<std::uint8_t>(std::min(std::max(std::floor(sum + 0.5), 0.0), 255.0));
}

TEST(ResamplePicture, EnlargementsFollowAPlainCatmullRomComputation) {
  struct Case {
    std::uint32_t fromWidth, fromHeight, toWidth, toHeight;
  };
  const Case cases[] = {
      {.fromWidth = 40, .fromHeight = 25, .toWidth = 80, .toHeight = 50},    // 2x
      {.fromWidth = 32, .fromHeight = 20, .toWidth = 352, .toHeight = 220},  // 11x
      {.fromWidth = 32,
       .fromHeight = 20,
       .toWidth = 192,
       .toHeight = 108},  // 1920 x 1080's 6 x 5.4
      {.fromWidth = 32, .fromHeight = 20, .toWidth = 108, .toHeight = 192},  // portrait
      {.fromWidth = 29, .fromHeight = 17, .toWidth = 100, .toHeight = 61},   // no whole ratio
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fromWidth << " x " << c.fromHeight << " to " << c.toWidth
                                    << " x " << c.toHeight);
    // Every byte noise, the fourth too: it is a channel of its own, and
    // the colours do not depend on it.
    OwnedPicture source(c.fromWidth, c.fromHeight);
    FillRandomWords(source, c.toWidth * 7 + c.toHeight);
    Picture out{};
    ASSERT_TRUE(ResamplePicture(source.picture, c.toWidth, c.toHeight, out));
    int worst = 0;
    for (std::uint32_t y = 0; y < c.toHeight; ++y)
      for (std::uint32_t x = 0; x < c.toWidth; ++x)
        for (int channel = 0; channel < 4; ++channel)
          worst = std::max(worst, std::abs(Byte(out, x, y, channel) -
                                           ReferenceEnlarged(source.picture, c.toWidth, c.toHeight,
                                                             x, y, channel)));
    // Single precision and the resizer's two passes against one rounding
    // in double: at most a level apart.
    EXPECT_LE(worst, 1);
    // The same colours with the fourth byte 0 everywhere, as in the show:
    // the noise overshoots below 0 and above 255 all over, and yet the
    // fourth byte stays 0.
    for (std::uint32_t i = 0; i < c.fromWidth * c.fromHeight; ++i) source.words()[i] &= 0x00FFFFFFu;
    Picture cleared{};
    ASSERT_TRUE(ResamplePicture(source.picture, c.toWidth, c.toHeight, cleared));
    std::uint32_t differ = 0;
    for (std::uint32_t i = 0; i < c.toWidth * c.toHeight; ++i)
      differ += (PictureWords(out)[i] & 0x00FFFFFFu) != PictureWords(cleared)[i] ? 1 : 0;
    EXPECT_EQ(differ, 0u);
    ReleasePicture(out);
    ReleasePicture(cleared);
  }
}

// A known pattern, enlarged twice: flat 8 x 8 blocks of four colours, and a
// smooth wave. Each output pixel's centre falls at (x + 0.5) / 2 - 0.5 in the
// source; where the four source pixels either side of it lie in one block
// the output is that block's colour, and anywhere on the wave (but at the
// border) it is the wave at that point, within two levels (the source holds
// the wave rounded).
TEST(ResamplePicture, TwiceEnlargedPatternLandsOnThePatternAtPixelCentres) {
  constexpr std::uint32_t W = 64, H = 48;
  constexpr std::uint32_t Blocks[4] = {0x00C81E3Cu, 0x0028B45Au, 0x00326EDCu, 0x00F0F0F0u};
  auto block = [&](double x, double y) {
    const int bx = static_cast<int>(std::floor(x / 8)), by = static_cast<int>(std::floor(y / 8));
    return Blocks[((bx + 2 * by) % 4 + 4) % 4];  // x and y may lie just left of or above 0
  };
  auto wave = [](double x, double y) {
    return 128.0 + 90.0 * std::sin(x * 2 * 3.14159265358979 / 23.0) *
                       std::cos(y * 2 * 3.14159265358979 / 17.0);
  };
  OwnedPicture blocks(W, H), waves(W, H);
  for (std::uint32_t y = 0; y < H; ++y) {
    for (std::uint32_t x = 0; x < W; ++x) {
      blocks.words()[y * W + x] = block(x, y);
      const auto v = static_cast<std::uint32_t>(std::lround(wave(x, y)));
      waves.words()[y * W + x] = v | v << 8 | v << 16;
    }
  }
  Picture bigBlocks{}, bigWaves{};
  ASSERT_TRUE(ResamplePicture(blocks.picture, 2 * W, 2 * H, bigBlocks));
  ASSERT_TRUE(ResamplePicture(waves.picture, 2 * W, 2 * H, bigWaves));
  int flatPixels = 0, worstBlock = 0, worstWave = 0;
  for (std::uint32_t y = 0; y < 2 * H; ++y) {
    for (std::uint32_t x = 0; x < 2 * W; ++x) {
      const double sx = (x + 0.5) / 2 - 0.5, sy = (y + 0.5) / 2 - 0.5;
      const double fx = std::floor(sx), fy = std::floor(sy);
      // Away from the border, which repeats its pixels where the wave goes on.
      if (fx >= 1 && fy >= 1 && fx + 2 < W && fy + 2 < H) {
        for (int channel = 0; channel < 3; ++channel)
          worstWave = std::max(
              worstWave,
              static_cast<int>(std::ceil(std::abs(Byte(bigWaves, x, y, channel) - wave(sx, sy)))));
      }
      const std::uint32_t colour = block(sx, sy);
      bool flat = fx >= 1 && fy >= 1;
      for (double j = fy - 1; j <= fy + 2; ++j)
        for (double i = fx - 1; i <= fx + 2; ++i) flat = flat && block(i, j) == colour;
      if (!flat) continue;
      ++flatPixels;
      for (int channel = 0; channel < 3; ++channel)
        worstBlock =
            std::max(worstBlock, std::abs(Byte(bigBlocks, x, y, channel) -
                                          static_cast<int>(colour >> (8 * channel) & 0xFF)));
    }
  }
  EXPECT_GT(flatPixels, static_cast<int>(W * H));  // over a quarter of the output
  EXPECT_LE(worstBlock, 1);
  EXPECT_LE(worstWave, 2);
  ReleasePicture(bigBlocks);
  ReleasePicture(bigWaves);
}

TEST(ResamplePicture, BadSourcesAndSizesAreRefusedAndTheOutputReleased) {
  OwnedPicture good(8, 8);
  FillRandom(good, 1, 0);
  std::uint8_t grey[64] = {};
  struct Case {
    const char* what;
    Picture source;
    std::uint32_t width, height;
  };
  const Case cases[] = {
      {.what = "grey", .source = {8, 8, 1, grey}, .width = 16, .height = 16},
      {.what = "released", .source = {0, 0, 0, nullptr}, .width = 16, .height = 16},
      {.what = "sizes without pixels", .source = {8, 8, 0, nullptr}, .width = 16, .height = 16},
      {.what = "no pixels", .source = {8, 8, 4, nullptr}, .width = 16, .height = 16},
      {.what = "no width", .source = {0, 8, 4, good.picture.pixels}, .width = 16, .height = 16},
      {.what = "no rows", .source = {8, 0, 4, good.picture.pixels}, .width = 16, .height = 16},
      {.what = "width 0", .source = good.picture, .width = 0, .height = 16},
      {.what = "height 0", .source = good.picture, .width = 16, .height = 0},
      {.what = "too wide", .source = good.picture, .width = 16385, .height = 2},
      {.what = "too tall", .source = good.picture, .width = 2, .height = 1u << 31},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Whatever out held before is released, as on success.
    Picture out{};
    ASSERT_TRUE(ResamplePicture(good.picture, 4, 4, out));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ResamplePicture(c.source, c.width, c.height, out));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot resample the picture: "), std::string::npos) << said;
    EXPECT_EQ(out.width, 0u);
    EXPECT_EQ(out.height, 0u);
    EXPECT_EQ(out.bytesPerPixel, 0u);
    EXPECT_EQ(out.pixels, nullptr);
  }
}

TEST(ResamplePicture, ResamplingAPictureIntoItselfReplacesIt) {
  OwnedPicture p(16, 10);
  FillRandom(p, 5, 0);
  Picture copy{};
  ASSERT_TRUE(ResamplePicture(p.picture, 48, 30, copy));
  ASSERT_TRUE(ResamplePicture(p.picture, 48, 30, p.picture));
  ASSERT_EQ(p.picture.width, 48u);
  ASSERT_EQ(p.picture.height, 30u);
  EXPECT_EQ(std::memcmp(p.picture.pixels, copy.pixels, 48 * 30 * 4), 0);
  ReleasePicture(copy);
}

// The resizer compiled again with its vector path on (SSE2 on x86-64) gives
// the very bytes of ResamplePicture, which is compiled with STBIR_NO_SIMD and
// refuses to build with any vector path: the scalar code the show runs on
// every platform agrees with the vector code too.
TEST(ResamplePicture, SameBytesAsTheResizersVectorPath) {
  struct Case {
    std::uint32_t fromWidth, fromHeight, toWidth, toHeight;
  };
  const Case cases[] = {
      {.fromWidth = 320, .fromHeight = 200, .toWidth = 3840, .toHeight = 2160},
      {.fromWidth = 320, .fromHeight = 200, .toWidth = 1080, .toHeight = 1920},
      {.fromWidth = 320, .fromHeight = 200, .toWidth = 2560, .toHeight = 1080},
      {.fromWidth = 320, .fromHeight = 200, .toWidth = 640, .toHeight = 400},
      {.fromWidth = 320, .fromHeight = 200, .toWidth = 200, .toHeight = 130},
      {.fromWidth = 257, .fromHeight = 133, .toWidth = 1003, .toHeight = 999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fromWidth << " x " << c.fromHeight << " to " << c.toWidth
                                    << " x " << c.toHeight);
    OwnedPicture source(c.fromWidth, c.fromHeight);
    FillRandom(source, c.toWidth + c.toHeight, 0x5A);
    Picture out{};
    ASSERT_TRUE(ResamplePicture(source.picture, c.toWidth, c.toHeight, out));
    std::vector<std::uint8_t> vector;
    ASSERT_TRUE(test::ResampleWithDefaultVectorPath(source.picture, c.toWidth, c.toHeight, vector));
    EXPECT_EQ(std::memcmp(out.pixels, vector.data(), vector.size()), 0);
    ReleasePicture(out);
  }
}

}  // namespace
}  // namespace vx
