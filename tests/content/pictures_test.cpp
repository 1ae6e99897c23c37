// The pictures and textures as the show decodes them.
#include "pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "canvas.h"
#include "datalib/datalib.h"
#include "platform/picture.h"
#include "show_content.h"
#include "support/testlib.h"
#include "textures.h"

namespace vx::test {
namespace {

using content::Canvas;
using content::LargestByte;

// Decodes a stored JPEG with the show's own decoder; empty on failure.
Canvas DecodeStored(const std::string& file, int width, int height) {
  const std::int32_t size = LibraryFileSize("DATA\\" + file);
  Canvas canvas(0, 0);
  if (size <= 0) return canvas;
  Bytes bytes(static_cast<std::size_t>(size));
  if (!ReadLibraryFile("DATA\\" + file, bytes.data())) return canvas;
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

TEST(KeyBlocks, ClearsFaintColourAndLiftsEveryColouredBlockAboveTheFloor) {
  Canvas c(16, 8);         // two 8 x 8 blocks side by side
  c.At(3, 3) = 0x000005;   // faint: below the cutoff, cleared
  c.At(10, 2) = 0xC08040;  // bright: its block gets lifted
  c.At(11, 2) = 0x0A0500;  // dim colour in that block: scaled up, hue kept
  content::KeyBlocks(c, 8, 30, 0x1E0F0F);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(c.At(x, y), 0u) << x << "," << y;
  EXPECT_EQ(c.At(10, 2), 0xC08040u);
  EXPECT_EQ(c.At(11, 2), 0x1E0F00u);  // (10, 5, 0) x 3
  EXPECT_EQ(c.At(8, 0), 0x1E0F0Fu);   // black in a coloured block: the floor colour
  for (int y = 0; y < 8; ++y)
    for (int x = 8; x < 16; ++x) EXPECT_GE(LargestByte(c.At(x, y)), 30) << x << "," << y;
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
