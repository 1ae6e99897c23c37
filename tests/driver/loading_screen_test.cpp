// The loading screen's fades and the timer they run on, on a virtual
// millisecond clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/fake_services.h"
#include "fx2d/fx2d.h"

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
    ASSERT_TRUE(LoadLoaderPicture());
    World().calls.clear();
  }
  void TearDown() override { ReleaseLoaderPicture(); }

  std::uint32_t* fb() { return World().frameBuffer.data(); }
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
  // Readings at c = 0, 127, 128, 255, 383, then 384 ends the fade.
  World().presentSteps = {0,
                          MsForTick(127),
                          MsForTick(128) - MsForTick(127),
                          MsForTick(255) - MsForTick(128),
                          MsForTick(383) - MsForTick(255),
                          MsForTick(384) - MsForTick(383),
                          0};
  LoaderFadeIn(fb());
  const Calls expected = {"ClearScreen",      "PresentFrame",
                          "ClearScreen",      "PresentFrame",   // c = 0
                          "ClearScreen",      "PresentFrame",   // c = 127
                          "DarkenScreen 255", "PresentFrame",   // c = 128: black
                          "DarkenScreen 128", "PresentFrame",   // c = 255
                          "DarkenScreen 0",   "PresentFrame",   // c = 383: 255/256
                          "CopyScreen",       "PresentFrame"};  // c = 384: the picture
  EXPECT_EQ(World().calls, expected);
  // It returns once the timer reads 512 ticks: 4 s after the start.
  EXPECT_EQ(World().now, 5000u + 4000u);
  EXPECT_GT(World().slept, 0u);
}

TEST_F(LoadingScreen, FadeInDrawnWithThePixelOperationsIsBlackThenNearlyThePicture) {
  // Through the real pixel operations: at c = 128 the frame is black, at
  // c = 383 every byte is the picture's byte x 255 / 256.
  DriverServices s = test::FakeServices();
  static std::vector<std::vector<std::uint32_t>> frames;
  frames.clear();
  s.clearScreen = ClearScreen;
  s.copyScreen = CopyScreen;
  s.darkenScreen = Fx2d().darkenScreen;
  s.presentFrame = [] {
    frames.push_back(World().frameBuffer);
    World().now += World().presentSteps.empty() ? 0 : World().presentSteps.front();
    if (!World().presentSteps.empty()) World().presentSteps.pop_front();
    return 0;
  };
  SetDriverServices(s);
  std::fill(fb(), fb() + 64000, 0x00FFFFFFu);
  World().presentSteps = {MsForTick(128), MsForTick(383) - MsForTick(128),
                          MsForTick(384) - MsForTick(383), 0};
  LoaderFadeIn(fb());
  ASSERT_EQ(frames.size(), 4u);
  const std::vector<std::uint32_t>& picture = World().picture;
  for (std::size_t i = 0; i < 64000; ++i) {
    ASSERT_EQ(frames[0][i], 0u) << i;  // cleared before the first present
    ASSERT_EQ(frames[1][i], 0u) << i;  // c = 128
    std::uint32_t expected = 0;
    for (int b = 0; b < 32; b += 8) expected |= (((picture[i] >> b) & 0xFFu) * 255u >> 8) << b;
    ASSERT_EQ(frames[2][i], expected) << i;  // c = 383
    ASSERT_EQ(frames[3][i], picture[i]) << i;
  }
}

TEST_F(LoadingScreen, FadeOutGoesFromThePictureToBlackThenWaits) {
  World().presentSteps = {0, MsForTick(1), MsForTick(255) - MsForTick(1),
                          MsForTick(256) - MsForTick(255), 0};
  LoaderFadeOut(fb());
  const Calls expected = {"CopyScreen",       "PresentFrame",
                          "DarkenScreen 0",   "PresentFrame",   // c = 0: 255/256
                          "DarkenScreen 1",   "PresentFrame",   // c = 1
                          "DarkenScreen 255", "PresentFrame",   // c = 255: black
                          "ClearScreen",      "PresentFrame"};  // c = 256
  EXPECT_EQ(World().calls, expected);
  EXPECT_EQ(World().now, 5000u + 3000u);  // 384 ticks
}

TEST_F(LoadingScreen, ASlowFirstReadingGoesStraightToTheFinalPicture) {
  World().presentSteps = {MsForTick(400)};
  LoaderFadeIn(fb());
  EXPECT_EQ(World().calls, (Calls{"ClearScreen", "PresentFrame", "CopyScreen", "PresentFrame"}));
  EXPECT_TRUE(World().darkenLevels.empty());
  EXPECT_EQ(World().now, 5000u + 4000u);

  World().calls.clear();
  World().presentSteps = {MsForTick(300)};
  LoaderFadeOut(fb());
  EXPECT_EQ(World().calls, (Calls{"CopyScreen", "PresentFrame", "ClearScreen", "PresentFrame"}));
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
  EXPECT_EQ(World().darkenLevels, (std::vector<std::uint8_t>{183}));
  EXPECT_EQ(World().now, 5000u + 4000u);
}

}  // namespace
}  // namespace vx
