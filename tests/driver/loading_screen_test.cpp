// The loading screen's fades and the timer they run on, on a virtual
// millisecond clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/driver_io.h"
#include "driver/fake_io.h"
#include "platform/video.h"

namespace vx {
namespace {

using test::World;
using Calls = std::vector<std::string>;

class LoadingScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetWorld();
    test::InstallFakes();
    World().now = 5000;
    ASSERT_EQ(StartVideo(), 0);
    ASSERT_TRUE(LoadLoaderPicture());
    World().calls.clear();
    // Not black: a frame presented black was cleared by the fade.
    std::fill(fb(), fb() + 64000, 0x00FFFFFFu);
  }
  void TearDown() override {
    ReleaseLoaderPicture();
    StopVideo();
  }

  static std::uint32_t* fb() { return FrameBuffer(); }
};

// Milliseconds at which a 128-per-second timer first reads c.
constexpr std::uint32_t MsForTick(std::uint32_t c) {
  return (c * 1000 + 127) / 128;
}

TEST(Timer, CountsTicksAtItsScaleAcrossACounterWrap) {
  test::ResetWorld();
  test::InstallFakes();
  World().now = 0xFFFFFF00u;
  StartTimer(120);
  EXPECT_EQ(TimerTime(), 0.0f);
  World().now = 0x00000100u;  // 512 ms later, past the wrap
  EXPECT_FLOAT_EQ(TimerTime(), 61.44f);
  StartTimer(128);
  World().now += 1000;
  EXPECT_EQ(TimerTime(), 128.0f);
  // The longest interval the counter can tell: 2^32 - 1 ms.
  StartTimer(1);
  World().now -= 1;
  EXPECT_FLOAT_EQ(TimerTime(), 4294967.295f);
}

TEST_F(LoadingScreen, FadeInGoesFromBlackToThePictureOverItsSteps) {
  // Readings at c = 0, 127, 128, 255, 383, then 384 ends the fade. Each
  // presented frame is compared whole with the picture darkened by k
  // (brightness (255 - k) / 256).
  World().presentSteps = {0,
                          MsForTick(127),
                          MsForTick(128) - MsForTick(127),
                          MsForTick(255) - MsForTick(128),
                          MsForTick(383) - MsForTick(255),
                          MsForTick(384) - MsForTick(383),
                          0};
  LoaderFadeIn(fb());
  const Calls expected = {"PresentFrame black",     // before the first reading
                          "PresentFrame black",     // c = 0
                          "PresentFrame black",     // c = 127
                          "PresentFrame black",     // c = 128: darkened by 255
                          "PresentFrame dark 128",  // c = 255
                          "PresentFrame dark 0",    // c = 383: 255/256
                          "PresentFrame picture"};  // c = 384
  EXPECT_EQ(World().calls, expected);
  // It returns once the timer reads 512 ticks: 4 s after the start.
  EXPECT_EQ(World().now, 5000u + 4000u);
  EXPECT_GT(World().slept, 0u);
}

TEST_F(LoadingScreen, FadeOutGoesFromThePictureToBlackThenWaits) {
  World().presentSteps = {0, MsForTick(1), MsForTick(255) - MsForTick(1),
                          MsForTick(256) - MsForTick(255), 0};
  LoaderFadeOut(fb());
  const Calls expected = {"PresentFrame picture",
                          "PresentFrame dark 0",  // c = 0: 255/256
                          "PresentFrame dark 1",  // c = 1
                          "PresentFrame black",   // c = 255: darkened by 255
                          "PresentFrame black"};  // c = 256: cleared
  EXPECT_EQ(World().calls, expected);
  EXPECT_EQ(World().now, 5000u + 3000u);  // 384 ticks
}

TEST_F(LoadingScreen, ASlowFirstReadingGoesStraightToTheFinalPicture) {
  World().presentSteps = {MsForTick(400)};
  LoaderFadeIn(fb());
  EXPECT_EQ(World().calls, (Calls{"PresentFrame black", "PresentFrame picture"}));
  EXPECT_EQ(World().now, 5000u + 4000u);

  World().calls.clear();
  World().presentSteps = {MsForTick(300)};
  LoaderFadeOut(fb());
  EXPECT_EQ(World().calls, (Calls{"PresentFrame picture", "PresentFrame black"}));
  EXPECT_EQ(World().now, 5000u + 4000u + 3000u);
}

TEST_F(LoadingScreen, AFadeLongerThanItsWaitDoesNotWaitMore) {
  // The last frame is presented 5 s after the start: no pause follows.
  World().presentSteps = {0, 5000};
  LoaderFadeIn(fb());
  EXPECT_EQ(World().slept, 0u);
  EXPECT_EQ(World().now, 5000u + 5000u);
}

TEST_F(LoadingScreen, FailingPresentsDoNotChangeTheFade) {
  World().presentResult = 1;
  World().presentSteps = {0, MsForTick(200), MsForTick(384) - MsForTick(200), 0};
  LoaderFadeIn(fb());
  EXPECT_EQ(World().calls, (Calls{"PresentFrame black", "PresentFrame black",
                                  "PresentFrame dark 183", "PresentFrame picture"}));
  EXPECT_EQ(World().now, 5000u + 4000u);
}

}  // namespace
}  // namespace vx
