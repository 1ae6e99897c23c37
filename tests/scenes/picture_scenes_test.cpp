// The picture scenes (logo, danke) and the whole tick c that times their
// fades, checked against per-byte arithmetic written out in the test.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "datalib/datalib.h"
#include "scenes/scene_content.h"
#include "scenes/scenes.h"

namespace vx::test {
namespace {

TEST(LocalTickCount, RoundsToNearestWithTiesToEven) {
  EXPECT_EQ(LocalTickCount(0.0f), 0u);
  EXPECT_EQ(LocalTickCount(0.49f), 0u);
  EXPECT_EQ(LocalTickCount(0.5f), 0u);
  EXPECT_EQ(LocalTickCount(1.5f), 2u);
  EXPECT_EQ(LocalTickCount(2.5f), 2u);
  EXPECT_EQ(LocalTickCount(500.5f), 500u);
  EXPECT_EQ(LocalTickCount(755.5f), 756u);
  EXPECT_EQ(LocalTickCount(900.4f), 900u);
  EXPECT_EQ(LocalTickCount(1155.6f), 1156u);
}

TEST(LocalTickCount, KeepsTheLow32BitsOfNegativeAndLargeTimes) {
  EXPECT_EQ(LocalTickCount(-0.5f), 0u);
  EXPECT_EQ(LocalTickCount(-1.0f), 0xFFFFFFFFu);
  EXPECT_EQ(LocalTickCount(-2.5f), 0xFFFFFFFEu);
  EXPECT_EQ(LocalTickCount(4294967296.0f), 0u);            // 2^32
  EXPECT_EQ(LocalTickCount(8589935616.0f), 1024u);         // 2^33 + 2^10
  EXPECT_EQ(LocalTickCount(-9223372036854775808.0f), 0u);  // -2^63 still fits
}

TEST(LocalTickCount, GivesZeroForTimesNoIntegerHolds) {
  EXPECT_EQ(LocalTickCount(9223372036854775808.0f), 0u);  // 2^63
  EXPECT_EQ(LocalTickCount(1.0e30f), 0u);
  EXPECT_EQ(LocalTickCount(-1.0e30f), 0u);
  EXPECT_EQ(LocalTickCount(std::numeric_limits<float>::infinity()), 0u);
  EXPECT_EQ(LocalTickCount(-std::numeric_limits<float>::infinity()), 0u);
  EXPECT_EQ(LocalTickCount(std::numeric_limits<float>::quiet_NaN()), 0u);
}

// Logo and danke loaded from an archive of the show's files.
class PictureScenes : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    const std::vector<LibraryFile> files = ShowFiles(View::Scene);
    ASSERT_TRUE(OpenQuietly(*dir_, files));
    ventrix_ = new Image(DecodedPicture(files, "ventrix.jpg"));
    vx1_ = new Image(DecodedPicture(files, "vx1.jpg"));
    danke_ = new Image(DecodedPicture(files, "danke.jpg"));
    CaptureStdout([] {
      LoadLogo();
      LoadDanke();
    });
  }
  static void TearDownTestSuite() {
    FreeLogo();
    FreeDanke();
    CloseLibrary();
    delete ventrix_;
    delete vx1_;
    delete danke_;
    delete dir_;
  }

  // Renders into a frame buffer full of leftovers: the picture scenes must
  // overwrite all of it.
  static Image Logo(float t) {
    Image fb(64000, 0xA5C3E1F7u);
    RenderLogo(t, fb.data(), ClassicFrame);
    return fb;
  }
  static Image Danke(float t) {
    Image fb(64000, 0x5A3C1E7Fu);
    RenderDanke(t, fb.data(), ClassicFrame);
    return fb;
  }

  static TempDir* dir_;
  static Image* ventrix_;  // A
  static Image* vx1_;      // B
  static Image* danke_;
};
TempDir* PictureScenes::dir_ = nullptr;
Image* PictureScenes::ventrix_ = nullptr;
Image* PictureScenes::vx1_ = nullptr;
Image* PictureScenes::danke_ = nullptr;

TEST_F(PictureScenes, TestPicturesDifferSoEveryCheckCanTellThemApart) {
  EXPECT_GT(DifferentPixels(*ventrix_, *vx1_), 30000);
  EXPECT_GT(DifferentPixels(*ventrix_, Darkened(*ventrix_, 0)), 30000);
}

TEST_F(PictureScenes, LogoFadesInFromBlackOverTheFirst256Ticks) {
  EXPECT_TRUE(SameImage(Logo(0.0f), Black()));  // darkened by 255
  EXPECT_TRUE(SameImage(Logo(0.4f), Black()));
  EXPECT_TRUE(SameImage(Logo(100.0f), Darkened(*ventrix_, 155)));
  EXPECT_TRUE(SameImage(Logo(254.6f), Darkened(*ventrix_, 0)));  // c = 255: x 255/256
  EXPECT_TRUE(SameImage(Logo(256.0f), *ventrix_));
}

TEST_F(PictureScenes, LogoDissolvesStrictlyBetween500And756) {
  EXPECT_TRUE(SameImage(Logo(499.0f), *ventrix_));
  EXPECT_TRUE(SameImage(Logo(500.0f), *ventrix_));
  EXPECT_TRUE(SameImage(Logo(500.5f), *ventrix_));  // c = 500, a tie rounded to even
  EXPECT_TRUE(SameImage(Logo(501.0f), CrossFaded(*ventrix_, *vx1_, 1)));
  EXPECT_TRUE(SameImage(Logo(501.5f), CrossFaded(*ventrix_, *vx1_, 2)));  // c = 502
  EXPECT_TRUE(SameImage(Logo(628.0f), CrossFaded(*ventrix_, *vx1_, 128)));
  EXPECT_TRUE(SameImage(Logo(755.0f), CrossFaded(*ventrix_, *vx1_, 255)));
}

TEST_F(PictureScenes, LogoShowsTheSecondPictureFrom756) {
  EXPECT_TRUE(SameImage(Logo(755.5f), *vx1_));  // c = 756
  EXPECT_TRUE(SameImage(Logo(756.0f), *vx1_));
  EXPECT_TRUE(SameImage(Logo(757.0f), *vx1_));
  EXPECT_TRUE(SameImage(Logo(900.0f), *vx1_));
}

TEST_F(PictureScenes, LogoFadesOutAfter900AndIsBlackFrom1156) {
  EXPECT_TRUE(SameImage(Logo(901.0f), Darkened(*vx1_, 1)));
  EXPECT_TRUE(SameImage(Logo(1000.0f), Darkened(*vx1_, 100)));
  EXPECT_TRUE(SameImage(Logo(1155.0f), Darkened(*vx1_, 255)));
  EXPECT_TRUE(SameImage(Logo(1156.0f), Black()));
  EXPECT_TRUE(SameImage(Logo(1314.0f), Black()));
}

TEST_F(PictureScenes, LogoAtANegativeTimeCountsTicksAsUnsignedAndShowsBlack) {
  // c = 2^32 - 1 lies past every bound: the last step clears.
  EXPECT_TRUE(SameImage(Logo(-1.0f), Black()));
  EXPECT_TRUE(SameImage(Logo(-700.0f), Black()));
}

TEST_F(PictureScenes, DankeFadesInHoldsAndFadesOut) {
  EXPECT_TRUE(SameImage(Danke(0.0f), Black()));
  EXPECT_TRUE(SameImage(Danke(55.0f), Darkened(*danke_, 200)));
  EXPECT_TRUE(SameImage(Danke(256.0f), *danke_));
  EXPECT_TRUE(SameImage(Danke(900.0f), *danke_));
  EXPECT_TRUE(SameImage(Danke(900.5f), *danke_));  // c = 900
  EXPECT_TRUE(SameImage(Danke(901.0f), Darkened(*danke_, 1)));
  EXPECT_TRUE(SameImage(Danke(1100.0f), Darkened(*danke_, 200)));
  EXPECT_TRUE(SameImage(Danke(1156.0f), Black()));
  EXPECT_TRUE(SameImage(Danke(1221.6f), Black()));
}

}  // namespace
}  // namespace vx::test
