// The pictures and textures as the show decodes them.
#include "pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "canvas.h"
#include "datalib/datalib.h"
#include "keyed_jpeg.h"
#include "platform/picture.h"
#include "show_content.h"
#include "support/testlib.h"
#include "textures.h"
#include "writejpeg.h"

namespace vx::test {
namespace {

using content::Canvas;
using content::LargestByte;

// Decodes a JPEG file held in memory with the show's own decoder; empty
// unless it is a colour picture of width x height.
Canvas DecodeBytes(const std::vector<std::uint8_t>& bytes, int width, int height) {
  Canvas canvas(0, 0);
  Picture picture{};
  if (!DecodeJpegPicture(bytes.data(), bytes.size(), picture)) return canvas;
  if (picture.bytesPerPixel == 4 && static_cast<int>(picture.width) == width &&
      static_cast<int>(picture.height) == height) {
    canvas = Canvas(width, height);
    std::copy_n(PictureWords(picture), canvas.pixels.size(), canvas.pixels.begin());
  }
  ReleasePicture(picture);
  return canvas;
}

// Decodes a stored JPEG with the show's own decoder; empty on failure.
Canvas DecodeStored(const std::string& file, int width, int height) {
  const std::int32_t size = LibraryFileSize("DATA\\" + file);
  Canvas canvas(0, 0);
  if (size <= 0) return canvas;
  Bytes bytes(static_cast<std::size_t>(size));
  if (!ReadLibraryFile("DATA\\" + file, bytes.data())) return canvas;
  return DecodeBytes(bytes, width, height);
}

class StoredPictures : public ::testing::Test {
 protected:
  void SetUp() override { VX_REQUIRE_SHOW_LIBRARY(); }
};

// The scenes blend keyed pictures with black as "nothing": at least half of
// each must decode to exact black, and JPEG noise must not leave a haze of
// near-black pixels that would tint the frame.
TEST_F(StoredPictures, KeyedPicturesDecodeToTrueBlackAroundSharpColour) {
  int keyed = 0;
  for (const content::PictureInfo& info : content::AllPictures()) {
    if (!info.keyed) continue;
    ++keyed;
    const Canvas picture = DecodeStored(info.file, 320, 200);
    ASSERT_EQ(picture.pixels.size(), 64000u) << info.file << " is not a 320 x 200 colour picture";
    int black = 0, haze = 0, coloured = 0;
    for (std::uint32_t p : picture.pixels) {
      const int largest = LargestByte(p);
      black += (p & 0xFFFFFF) == 0 ? 1 : 0;
      haze += largest >= 1 && largest <= 16 ? 1 : 0;
      coloured += largest >= 64 ? 1 : 0;
    }
    EXPECT_GE(black, 32000) << info.file;
    EXPECT_LT(haze, 640) << info.file;
    EXPECT_GE(coloured, 640) << info.file << " shows almost nothing";
  }
  EXPECT_EQ(keyed, 10);
}

// What the keyed pictures must look like after decoding. A pixel is lit when
// its largest byte is above 40; a stray pixel is one that is not exactly
// black, not lit, and farther than 3 pixels (Euclidean) from every lit pixel:
// the scenes add or subtract it as a dim smudge that follows no shape.
constexpr int LitLevel = 40;

struct KeyFigures {
  int stray = 0;      // dim pixels away from all lit ones
  int specks = 0;     // black in the generated picture, not black decoded
  int litPixels = 0;  // largest byte above LitLevel
  int boxWidth = 0;   // bounding box of the lit pixels
  int boxHeight = 0;
};

KeyFigures MeasureKey(const Canvas& generated, const Canvas& decoded) {
  KeyFigures f;
  const int w = decoded.width, h = decoded.height;
  auto lit = [&](int x, int y) { return LargestByte(decoded.At(x, y)) > LitLevel; };
  int left = w, right = -1, top = h, bottom = -1;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = decoded.At(x, y) & 0xFFFFFF;
      if ((generated.At(x, y) & 0xFFFFFF) == 0 && p != 0) ++f.specks;
      if (lit(x, y)) {
        ++f.litPixels;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        continue;
      }
      if (p == 0) continue;
      bool near = false;
      for (int dy = -3; dy <= 3 && !near; ++dy)
        for (int dx = -3; dx <= 3 && !near; ++dx) {
          const int nx = x + dx, ny = y + dy;
          near = dx * dx + dy * dy <= 9 && nx >= 0 && ny >= 0 && nx < w && ny < h && lit(nx, ny);
        }
      if (!near) ++f.stray;
    }
  if (right >= 0) {
    f.boxWidth = right - left + 1;
    f.boxHeight = bottom - top + 1;
  }
  return f;
}

// Keys follow the artwork: fewer than 0.1 % stray dim pixels, and what the
// generator left black decodes to exact black (the keyed blends skip only
// exact black, so anything else would tint the frame in visible squares).
TEST_F(StoredPictures, KeyedPicturesHaveNoDimHalosOrSpecks) {
  for (const content::PictureInfo& info : content::AllPictures()) {
    if (!info.keyed) continue;
    const Canvas decoded = DecodeStored(info.file, 320, 200);
    ASSERT_EQ(decoded.pixels.size(), 64000u) << info.file;
    const KeyFigures f = MeasureKey(info.make(), decoded);
    std::printf("%-12s stray dim %5d px = %5.2f %%  specks %d\n", info.file.c_str(), f.stray,
                f.stray / 640.0, f.specks);
    EXPECT_LT(f.stray, 64) << info.file << ": dim pixels away from the artwork";
    EXPECT_EQ(f.specks, 0) << info.file << ": the black background does not decode to black";
  }
}

// The keyed pictures are drawn over running 3D scenes: what they light must
// stay within a quarter of the screen (the bounding box of the lit pixels),
// so that the action around them stays visible. The captions that stay on
// screen for a whole slot (the subtracted words and KOMMUNIKATION) are
// labels, not banners: within an eighth.
TEST_F(StoredPictures, KeyedPicturesCoverAtMostAQuarterOfTheScreen) {
  const std::vector<std::string> captions = {"kinyit.jpg", "becsuk.jpg", "destiny.jpg",
                                             "bkkom.jpg"};
  for (const content::PictureInfo& info : content::AllPictures()) {
    if (!info.keyed) continue;
    const Canvas decoded = DecodeStored(info.file, 320, 200);
    ASSERT_EQ(decoded.pixels.size(), 64000u) << info.file;
    const KeyFigures f = MeasureKey(decoded, decoded);
    const int box = f.boxWidth * f.boxHeight;
    std::printf("%-12s lit box %3d x %3d = %5.1f %%  lit pixels %5.1f %%\n", info.file.c_str(),
                f.boxWidth, f.boxHeight, box / 640.0, f.litPixels / 640.0);
    const bool caption = std::count(captions.begin(), captions.end(), info.file) > 0;
    EXPECT_LE(box, 64000 / (caption ? 8 : 4)) << info.file << " covers too much of the screen";
  }
}

// Title cards, the loading screen and the closing card are shown whole:
// they cover the screen instead of leaving black holes.
TEST_F(StoredPictures, CardsFillTheScreen) {
  for (const std::string file : {"ventrix.jpg", "vx1.jpg", "loader.jpg", "danke.jpg"}) {
    const Canvas picture = DecodeStored(file, 320, 200);
    ASSERT_EQ(picture.pixels.size(), 64000u) << file;
    const auto dark = std::count_if(picture.pixels.begin(), picture.pixels.end(),
                                    [](std::uint32_t p) { return LargestByte(p) < 8; });
    EXPECT_LT(dark, 3200) << file;
  }
}

TEST_F(StoredPictures, TexturesAreColourSquaresWithoutEmptyTexels) {
  for (const content::TextureInfo& info : content::AllTextures()) {
    const Canvas t = DecodeStored(info.name + ".jpg", 256, 256);
    ASSERT_EQ(t.pixels.size(), 65536u) << info.name;
    const auto empty = std::count_if(t.pixels.begin(), t.pixels.end(),
                                     [](std::uint32_t p) { return LargestByte(p) < 16; });
    EXPECT_LT(empty, 655) << info.name << " has dark texels that would not count as lit";
    const auto grey = std::count_if(t.pixels.begin(), t.pixels.end(), [](std::uint32_t p) {
      return ((p >> 16) & 255) == ((p >> 8) & 255) && ((p >> 8) & 255) == (p & 255);
    });
    EXPECT_LT(grey, 65536) << info.name << " has no colour at all";
  }
}

// The skies' stars are points, as on the title cards: at a sky dome's size
// a texel is about a pixel, so a star must stand out from the texels around
// it. For each of the 24 brightest local peaks of a decoded sky, the mean of
// its eight neighbours lies at most halfway between the darkest texel of
// its 5 x 5 window and the peak (a soft blob's neighbours are nearly as
// bright as its middle).
TEST_F(StoredPictures, SkyStarsAreSingleTexels) {
  for (const std::string name : {"STARS", "NIGHT"}) {
    const Canvas t = DecodeStored(name + ".jpg", 256, 256);
    ASSERT_EQ(t.pixels.size(), 65536u) << name;
    auto luma = [&](int x, int y) {
      const std::uint32_t p = t.At((x + 256) % 256, (y + 256) % 256);
      return static_cast<double>(((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255)) / 3;
    };
    std::vector<std::pair<double, int>> peaks;
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) {
        bool peak = true;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            if ((dx || dy) && luma(x + dx, y + dy) >= luma(x, y)) peak = false;
        if (peak) peaks.push_back({luma(x, y), y * 256 + x});
      }
    std::sort(peaks.rbegin(), peaks.rend());
    ASSERT_GE(peaks.size(), 24u) << name << " has too few stars";
    int soft = 0;
    for (std::size_t k = 0; k < 24; ++k) {
      const int x = peaks[k].second % 256, y = peaks[k].second / 256;
      double ring = 0, darkest = 255;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
          darkest = std::min(darkest, luma(x + dx, y + dy));
          if ((dx || dy) && std::abs(dx) <= 1 && std::abs(dy) <= 1)
            ring += luma(x + dx, y + dy) / 8;
        }
      if (ring - darkest > (peaks[k].first - darkest) / 2) ++soft;
    }
    EXPECT_EQ(soft, 0) << name << ": " << soft
                       << " of its brightest stars spread over several texels";
  }
}

// Textures repeat across faces: the step from the last column to the first
// (and from the last row to the first) of the generated texels may be as
// sharp as the sharpest boundary inside the design (plate seams, mortar,
// checks) but no sharper.
TEST(Textures, TileWithoutSeams) {
  auto step = [](std::uint32_t a, std::uint32_t b) {
    int sum = 0;
    for (int shift : {0, 8, 16})
      sum += std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255));
    return sum;
  };
  for (const content::TextureInfo& info : content::AllTextures()) {
    if (!info.tiles) continue;  // a map across one face (GOLDLIT), never repeated
    const Canvas t = info.make();
    ASSERT_EQ(t.width, 256);
    ASSERT_EQ(t.height, 256);
    double sharpestColumn = 0, sharpestRow = 0, seamColumn = 0, seamRow = 0;
    for (int k = 0; k < 256; ++k) {
      double column = 0, row = 0;
      for (int i = 0; i < 256; ++i) {
        column += step(t.At((k + 255) % 256, i), t.At(k, i));
        row += step(t.At(i, (k + 255) % 256), t.At(i, k));
      }
      if (k == 0) {
        seamColumn = column / 256;
        seamRow = row / 256;
      } else {
        sharpestColumn = std::max(sharpestColumn, column / 256);
        sharpestRow = std::max(sharpestRow, row / 256);
      }
    }
    EXPECT_LE(seamColumn, sharpestColumn * 1.1 + 1.0)
        << info.name << " has a seam between its sides";
    EXPECT_LE(seamRow, sharpestRow * 1.1 + 1.0)
        << info.name << " has a seam between top and bottom";
  }
}

// Dim colour survives only beside bright colour: the pixel at distance
// sqrt 8 from the bright one stays, the ones at 3 and sqrt 10 go, and so does
// everything dim without a bright pixel near it; faint colour goes anywhere.
TEST(KeyToShape, KeepsDimColourOnlyWithinReachOfBrightColour) {
  Canvas c(12, 8);
  c.At(4, 4) = 0x804020;   // bright
  c.At(6, 6) = 0x100800;   // dx 2, dy 2: kept
  c.At(7, 4) = 0x200000;   // dx 3: cleared
  c.At(1, 5) = 0x000030;   // dx 3, dy 1: cleared
  c.At(5, 4) = 0x000C00;   // touching, just at the faint level: kept
  c.At(3, 4) = 0x0B0000;   // touching but fainter: cleared
  c.At(10, 1) = 0x303030;  // alone: cleared
  content::KeyToShape(c, 12, 56, 2.9);
  EXPECT_EQ(c.At(4, 4), 0x804020u);
  EXPECT_EQ(c.At(6, 6), 0x100800u);
  EXPECT_EQ(c.At(5, 4), 0x000C00u);
  for (auto [x, y] : {std::pair{7, 4}, {1, 5}, {3, 4}, {10, 1}})
    EXPECT_EQ(c.At(x, y), 0u) << x << "," << y;
}

// Sharp coloured artwork on black, as hard as lettering gets for JPEG: discs,
// one-pixel lines and single pixels in saturated and pale colours, with
// black gaps of one to several pixels between them and a size that is not a
// whole number of blocks.
Canvas SharpArtwork() {
  Canvas c(100, 60);
  content::Random random(11);
  const std::uint32_t colours[] = {0xFF0000, 0x00FF40, 0x2040FF, 0xFFFFFF, 0xFFE080, 0x802000};
  for (int i = 0; i < 14; ++i) {
    const int cx = random.Below(100), cy = random.Below(60), r = 1 + random.Below(7);
    const std::uint32_t colour = colours[i % 6];
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 100; ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) c.At(x, y) = colour;
  }
  for (int x = 3; x < 97; ++x) c.At(x, 30 + (x / 7) % 5) = colours[x % 6];
  for (int i = 0; i < 40; ++i) c.At(random.Below(100), random.Below(60)) = colours[i % 6];
  return c;
}

// Black stays exact black after decoding while the artwork keeps its colour;
// the ordinary encoder, on the same artwork, leaves coloured specks in the
// black around it, which is what the keyed encoder exists to prevent.
// The fast dilation takes the disc row by row; it must give exactly the
// disc's maximum, at the edges (outside counts as 0) and for radii whose
// disc rows have uneven widths, on masks with lone peaks and soft ramps.
TEST(DilateMask, EqualsTheWholeDiscMaximumExactly) {
  struct Case {
    int width, height, radius;
    std::uint64_t seed;
  };
  constexpr Case Cases[] = {
      {.width = 1, .height = 1, .radius = 3, .seed = 1},
      {.width = 17, .height = 5, .radius = 1, .seed = 2},
      {.width = 23, .height = 19, .radius = 4, .seed = 3},
      {.width = 40, .height = 31, .radius = 7, .seed = 4},
      {.width = 9, .height = 50, .radius = 12, .seed = 5},
  };
  for (const Case& c : Cases) {
    content::Random random(c.seed);
    content::Mask mask(c.width, c.height);
    for (float& v : mask.values)
      v = random.Uniform() < 0.05 ? 1.0f : static_cast<float>(random.Uniform() * 0.3);
    const content::Mask fast = content::DilateMask(mask, c.radius);
    const content::Mask plain = content::DilateMaskReference(mask, c.radius);
    EXPECT_EQ(fast.values, plain.values) << c.width << "x" << c.height << " radius " << c.radius;
  }
}

TEST(EncodeKeyedJpeg, BlackDecodesToExactBlackAndColourStaysClose) {
  const Canvas art = SharpArtwork();
  auto specksAndError = [&](const std::vector<std::uint8_t>& jpeg, int& specks, double& error) {
    const Canvas decoded = DecodeBytes(jpeg, art.width, art.height);
    ASSERT_EQ(decoded.pixels.size(), art.pixels.size());
    specks = 0;
    error = 0;
    int lit = 0;
    for (std::size_t i = 0; i < art.pixels.size(); ++i) {
      if (art.pixels[i] == 0) {
        specks += decoded.pixels[i] != 0 ? 1 : 0;
        continue;
      }
      ++lit;
      for (int shift : {0, 8, 16})
        error += std::abs(static_cast<int>((art.pixels[i] >> shift) & 255) -
                          static_cast<int>((decoded.pixels[i] >> shift) & 255));
    }
    error /= 3.0 * lit;
  };
  int specks = 0;
  double error = 0;
  specksAndError(content::EncodeKeyedJpeg(art, content::KeyedQuality), specks, error);
  EXPECT_EQ(specks, 0);
  EXPECT_LT(error, 2.0) << "mean error per channel of the artwork";

  JpegEncodeOptions plain;
  plain.quality = content::KeyedQuality;
  plain.fullChroma = true;
  specksAndError(EncodeJpegColour(art.pixels.data(), 100, 60, plain), specks, error);
  EXPECT_GT(specks, 500) << "the artwork is too easy to show the difference";
}

TEST(TileNoise, RepeatsOverOnePeriodAndStaysInRange) {
  const content::TileNoise noise(7, 8);
  for (double y = 0; y < 8; y += 0.37)
    for (double x = 0; x < 8; x += 0.41) {
      EXPECT_NEAR(noise.At(x, y), noise.At(x + 8, y - 16), 1e-12);
      const double f = noise.Fractal(x, y, 4, 0.5);
      EXPECT_GE(f, 0.0);
      EXPECT_LE(f, 1.0);
    }
  // Not a constant: the lattice values differ.
  EXPECT_NE(noise.At(0, 0), noise.At(1, 0));
}

TEST(Random, GivesTheSameSequenceForTheSameSeed) {
  content::Random a(42), b(42), c(43);
  bool differs = false;
  for (int i = 0; i < 100; ++i) {
    const std::uint64_t x = a.Next();
    EXPECT_EQ(x, b.Next());
    differs = differs || x != c.Next();
  }
  EXPECT_TRUE(differs);
  // splitmix64 from state 0: the published first output.
  EXPECT_EQ(content::Random(0).Next(), 0xE220A8397B1DCDAFull);
}

}  // namespace
}  // namespace vx::test
