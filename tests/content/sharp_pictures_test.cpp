// The sharp pictures as the sharp archive stores them: one for every
// picture at every sharp size, each decoding to that size; captions keep
// their distance from the frame's edges at every aspect; cards fill the
// wider frame; and a sharp picture carries detail a classic pixel could not
// hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "canvas.h"
#include "datalib/datalib.h"
#include "pictures.h"
#include "platform/picture.h"
#include "show_content.h"
#include "support/testlib.h"

namespace vx::test {
namespace {

using content::Canvas;
using content::LargestByte;

std::string SharpLibraryPath() {
  return std::string(VX_BINARY_DIR) + "/" + std::string(SharpLibraryFile);
}

// Decodes the stored file name with the show's own decoder; empty unless it
// is a colour picture.
Canvas DecodeStoredName(const std::string& name) {
  Canvas canvas(0, 0);
  const std::int32_t size = LibraryFileSize(name);
  if (size <= 0) return canvas;
  Bytes bytes(static_cast<std::size_t>(size));
  if (!ReadLibraryFile(name, bytes.data())) return canvas;
  Picture picture{};
  if (!DecodeJpegPicture(bytes.data(), bytes.size(), picture)) return canvas;
  if (picture.bytesPerPixel == 4) {
    canvas = Canvas(static_cast<int>(picture.width), static_cast<int>(picture.height));
    std::copy_n(PictureWords(picture), canvas.pixels.size(), canvas.pixels.begin());
  }
  ReleasePicture(picture);
  return canvas;
}

// The box around every pixel brighter than threshold, in classic pixels
// (the picture's height is 200 of them).
struct Box {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool empty = true;
};
Box BrightBox(const Canvas& c, int threshold) {
  Box box;
  const double scale = c.height / static_cast<double>(ScreenHeight);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      if (LargestByte(c.At(x, y)) < threshold) continue;
      const double cx = x / scale, cy = y / scale, cr = (x + 1) / scale, cb = (y + 1) / scale;
      if (box.empty) box = {cx, cy, cr, cb, false};
      box.left = std::min(box.left, cx);
      box.top = std::min(box.top, cy);
      box.right = std::max(box.right, cr);
      box.bottom = std::max(box.bottom, cb);
    }
  return box;
}

class SharpPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseLibrary();
    if (!std::filesystem::exists(SharpLibraryPath())) {
      if (VX_CONTENT_ARCHIVE) FAIL() << "no archive at " << SharpLibraryPath();
      GTEST_SKIP() << "the build makes no archive (VX_BUILD_CONTENT is off)";
    }
    ASSERT_TRUE(OpenShowLibrary());
    testing::internal::CaptureStdout();
    const bool added = AddLibrary(SharpLibraryPath());
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(added);
  }
  void TearDown() override { CloseLibrary(); }

  // The stored picture, classic (size empty) or sharp.
  static Canvas Stored(const std::string& file, const SharpPictureSize* size = nullptr) {
    testing::internal::CaptureStdout();
    Canvas c = DecodeStoredName(size == nullptr ? "DATA\\" + file : SharpPictureName(file, *size));
    testing::internal::GetCapturedStdout();
    return c;
  }
};

TEST_F(SharpPictures, EveryPictureIsStoredAtEverySharpSize) {
  for (const content::PictureInfo& info : content::AllPictures())
    for (const SharpPictureSize& size : SharpPictureSizes) {
      const Canvas c = Stored(info.file, &size);
      EXPECT_EQ(c.width, size.width) << SharpPictureName(info.file, size);
      EXPECT_EQ(c.height, size.height) << SharpPictureName(info.file, size);
    }
}

TEST_F(SharpPictures, TheGeneratorListsEveryPictureOncePerSize) {
  const auto& sharp = content::AllSharpPictures();
  ASSERT_EQ(sharp.size(), content::AllPictures().size() * std::size(SharpPictureSizes));
  for (const content::SharpPicture& s : sharp) {
    const int matching = static_cast<int>(std::count_if(sharp.begin(), sharp.end(), [&](auto& o) {
      return o.picture == s.picture && o.width == s.width && o.height == s.height;
    }));
    EXPECT_EQ(matching, 1) << s.file;
    EXPECT_EQ(s.file.find(s.picture->file.substr(0, s.picture->file.rfind('.'))), 0u) << s.file;
  }
}

// Keyed captions: the artwork sits at the same distance (in classic pixels,
// within one) from the frame's bottom and right edges when it belongs to the
// bottom right corner, and is centred across the frame when the classic one
// is centred, at every aspect.
TEST_F(SharpPictures, CaptionsKeepTheirPlaceRelativeToTheEdges) {
  constexpr int Bright = 60;
  for (const content::PictureInfo& info : content::AllPictures()) {
    if (!info.keyed) continue;
    const Box classic = BrightBox(Stored(info.file), Bright);
    ASSERT_FALSE(classic.empty) << info.file;
    const double classicMiddle = (classic.left + classic.right) / 2;
    const bool centred = std::abs(classicMiddle - ScreenWidth / 2.0) < 3;
    const bool atRight = ScreenWidth - classic.right < 30;
    ASSERT_TRUE(centred || atRight) << info.file << " lies neither in the middle nor at the right";
    for (const SharpPictureSize& size : SharpPictureSizes) {
      const Box sharp = BrightBox(Stored(info.file, &size), Bright);
      const double width = size.width * ScreenHeight / static_cast<double>(size.height);
      const std::string what = SharpPictureName(info.file, size);
      EXPECT_NEAR(sharp.top, classic.top, 1.5) << what;
      EXPECT_NEAR(ScreenHeight - sharp.bottom, ScreenHeight - classic.bottom, 1.5) << what;
      // The sharp halo's soft edge reaches a little farther than the classic
      // one's pixel steps: 3 classic pixels, 1 % of the frame's width.
      EXPECT_NEAR(sharp.right - sharp.left, classic.right - classic.left, 3.0) << what;
      if (centred) {
        EXPECT_NEAR((sharp.left + sharp.right) / 2 - width / 2, classicMiddle - ScreenWidth / 2.0,
                    1.5)
            << what;
      }
      if (atRight) {
        EXPECT_NEAR(width - sharp.right, ScreenWidth - classic.right, 1.5) << what;
      }
    }
  }
}

// A card fills the wider frame to both sides: its outermost columns hold
// the backdrop, not empty bars.
TEST_F(SharpPictures, CardsFillTheWiderFrame) {
  const SharpPictureSize& wide = SharpPictureSizes[1];
  for (const content::PictureInfo& info : content::AllPictures()) {
    if (info.keyed) continue;
    const Canvas b = Stored(info.file, &wide);
    ASSERT_EQ(b.width, wide.width) << info.file;
    for (int x : {0, b.width - 1}) {
      int lit = 0;
      for (int y = 0; y < b.height; ++y) lit += b.At(x, y) != 0;
      EXPECT_GT(lit, b.height / 2) << info.file << " column " << x;
    }
  }
}

// Drawn at its size, a sharp picture has its edges wherever the artwork
// puts them: sharp steps between neighbouring pixels (a third of the range)
// as many as the classic picture has times the rows each classic row became,
// and most of them between pixels that an enlargement would have filled
// from one classic pixel (a smooth enlargement has almost no such steps at
// all, a blocky one has them only on the classic grid).
TEST_F(SharpPictures, SharpPicturesHoldFineDetailNotAnEnlargement) {
  const SharpPictureSize& size = SharpPictureSizes[0];
  const int scale = size.height / ScreenHeight;
  ASSERT_EQ(scale * ScreenHeight, size.height) << "the test needs a whole multiple";
  struct Steps {
    long all = 0;
    long offGrid = 0;
  };
  const auto steps = [](const Canvas& c, int grid) {
    Steps s;
    for (int y = 0; y < c.height; ++y)
      for (int x = 1; x < c.width; ++x) {
        if (std::abs(LargestByte(c.At(x, y)) - LargestByte(c.At(x - 1, y))) <= 85) continue;
        ++s.all;
        s.offGrid += x % grid != 0;
      }
    return s;
  };
  for (const content::PictureInfo& info : content::AllPictures()) {
    const Steps classic = steps(Stored(info.file), 1);
    const Steps sharp = steps(Stored(info.file, &size), scale);
    EXPECT_GT(static_cast<double>(sharp.all), 0.5 * scale * classic.all) << info.file;
    EXPECT_GT(static_cast<double>(sharp.offGrid), 0.5 * sharp.all) << info.file;
  }
}

}  // namespace
}  // namespace vx::test
