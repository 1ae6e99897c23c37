// The timeline: which scene is drawn for t, with which local time and
// argument, at the bounds compared in extended precision; and when the show
// is over.
#include "driver/timeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "driver/fake_io.h"
#include "support/golden_show.h"

namespace vx {
namespace {

using test::World;

class Timeline : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetWorld();
    test::InstallFakes();
  }

  // Draws t and returns the one scene call it made (fails when not one).
  static test::SceneCall Draw(float t) {
    World().scenes.clear();
    RenderTimeline(t, World().frameBuffer.data(), ClassicFrame);
    EXPECT_EQ(World().scenes.size(), 1u) << "t = " << t;
    return World().scenes.empty() ? test::SceneCall{"none", 0.0f, 0, ClassicFrame} : World().scenes.front();
  }
};

TEST_F(Timeline, TimeZeroAndNegativeTimesDrawTheLogo) {
  test::SceneCall call = Draw(0.0f);
  EXPECT_EQ(call.scene, "logo");
  EXPECT_EQ(call.t, 0.0f);
  // There is no lower test: anything below the first bound is the logo.
  call = Draw(-250.5f);
  EXPECT_EQ(call.scene, "logo");
  EXPECT_EQ(call.t, -250.5f);
}

TEST_F(Timeline, BoundsAreComparedInExtendedPrecision) {
  // The single nearest to 1314.36 lies below it: still the logo.
  const float belowKinyit = 1314.3599853515625f;
  ASSERT_EQ(belowKinyit, static_cast<float>(1314.36));
  test::SceneCall call = Draw(belowKinyit);
  EXPECT_EQ(call.scene, "logo");
  EXPECT_EQ(call.t, belowKinyit);
  // The next single up is kinyit, with a local time just above 0.
  call = Draw(std::nextafter(belowKinyit, 2000.0f));
  EXPECT_EQ(call.scene, "kinyit");
  EXPECT_GT(call.t, 0.0f);
  EXPECT_LT(call.t, 0.0002f);
  EXPECT_EQ(call.extra, 1);

  // The single nearest to 5683.08 lies above it: box, local about 0.000078
  // (5683.080078125 - 5683.08).
  const float aboveBox = 5683.080078125f;
  ASSERT_EQ(aboveBox, static_cast<float>(5683.08));
  call = Draw(aboveBox);
  EXPECT_EQ(call.scene, "box");
  EXPECT_NEAR(call.t, 0.000078125, 1e-9);
  // Compared in single precision the bound would round to t itself and box
  // would get exactly 0; in double it would be 0.000078125 - 3.6e-13.
  EXPECT_GT(call.t, 0.0f);
}

TEST_F(Timeline, EachSlotStartsAtItsExactlyRepresentableBoundWithLocalZero) {
  struct Case {
    float t;
    const char* scene;
    const char* before;
  };
  const Case cases[] = {{4032.0f, "blau", "libiko"},
                        {6531.0f, "blau", "box"},
                        {8208.0f, "evil", "blau"},
                        {9870.0f, "kommun", "evil"}};
  for (const Case& c : cases) {
    test::SceneCall call = Draw(c.t);
    EXPECT_EQ(call.scene, c.scene) << c.t;
    EXPECT_EQ(call.t, 0.0f) << c.t;
    call = Draw(std::nextafter(c.t, 0.0f));
    EXPECT_EQ(call.scene, c.before) << c.t;
  }
  EXPECT_EQ(Draw(3000.0f).scene, "libiko");
  EXPECT_EQ(Draw(11500.0f).scene, "effekt");
  EXPECT_EQ(Draw(14000.0f).scene, "danke");
}

TEST_F(Timeline, BlauPictureIndexTruncatesTheQuotient) {
  test::SceneCall call = Draw(4032.0f);
  EXPECT_EQ(call.scene, "blau");
  EXPECT_EQ(call.extra, 0);
  // Local 412.8 (t = 4444.8) is where index 4 begins. The single nearest to
  // 4444.8 is 4444.7998046875, still index 3; the next single up is 4.
  const float nearest = static_cast<float>(4444.8);
  ASSERT_EQ(nearest, 4444.7998046875f);
  EXPECT_EQ(Draw(nearest).extra, 3);
  call = Draw(std::nextafter(nearest, 5000.0f));
  EXPECT_EQ(call.extra, 4);
  EXPECT_NEAR(call.t, 412.80029296875, 1e-9);
  // The last of slot 4 is index 15; slot 6 reaches 16 just before 8208.
  EXPECT_EQ(Draw(std::nextafter(5683.08f, 0.0f)).extra, 15);
  EXPECT_EQ(Draw(6531.0f + 110.0f).extra, 1);
  EXPECT_EQ(Draw(std::nextafter(8208.0f, 0.0f)).extra, 16);
}

TEST_F(Timeline, BlauPictureIndexKeepsTheLowSixteenBitsSigned) {
  EXPECT_EQ(BlauPictureIndex(0.0L), 0);
  EXPECT_EQ(BlauPictureIndex(103.2L * 2.5L), 2);
  EXPECT_EQ(BlauPictureIndex(-150.0L), -1);  // truncated toward zero
  EXPECT_EQ(BlauPictureIndex(103.2L * 32768.5L), -32768);
  EXPECT_EQ(BlauPictureIndex(103.2L * 65537.5L), 1);
}

TEST_F(Timeline, SlotTenRunsKinyitBackwardsWithTheOtherPicture) {
  // 12136.2 as a single is 12136.2001953125: local 13178.4 - t is
  // 1042.1998046875, which rounds to the single 1042.1998291015625.
  test::SceneCall call = Draw(12136.2f);
  EXPECT_EQ(call.scene, "kinyit");
  EXPECT_EQ(call.extra, 0);
  EXPECT_EQ(call.t, 1042.1998291015625f);
  // Just below 13178.4 the local time is just above 0 (13178.4 -
  // 13178.3994140625).
  const float last = 13178.3994140625f;
  ASSERT_EQ(std::nextafter(last, 20000.0f), 13178.400390625f);
  call = Draw(last);
  EXPECT_EQ(call.scene, "kinyit");
  EXPECT_NEAR(call.t, 0.0005859375, 1e-9);
  call = Draw(13178.400390625f);
  EXPECT_EQ(call.scene, "danke");
  EXPECT_NEAR(call.t, 0.000390625, 1e-9);
  // The first kinyit slot runs forwards: its local time grows with t.
  EXPECT_LT(Draw(1500.0f).t, Draw(1600.0f).t);
  EXPECT_GT(Draw(12500.0f).t, Draw(12600.0f).t);
}

TEST_F(Timeline, NothingIsDrawnFrom14400AndTheShowEndsAt14520) {
  World().frameBuffer[123] = 0x00ABCDEFu;
  const float times[] = {14400.0f, 14450.0f, std::nextafter(14520.0f, 0.0f)};
  for (float t : times) {
    World().scenes.clear();
    RenderTimeline(t, World().frameBuffer.data(), ClassicFrame);
    EXPECT_TRUE(World().scenes.empty()) << t;
    EXPECT_FALSE(QuitFlag()) << t;
  }
  EXPECT_EQ(Draw(std::nextafter(14400.0f, 0.0f)).scene, "danke");

  World().scenes.clear();
  RenderTimeline(14520.0f, World().frameBuffer.data(), ClassicFrame);
  EXPECT_TRUE(World().scenes.empty());
  EXPECT_TRUE(QuitFlag());
  // The frame buffer keeps what was in it.
  EXPECT_EQ(World().frameBuffer[123], 0x00ABCDEFu);

  SetQuitFlag(false);
  RenderTimeline(1.0e6f, World().frameBuffer.data(), ClassicFrame);
  EXPECT_TRUE(QuitFlag());
}

// The golden test: the real show is the one designed, slot for slot.
TEST_F(Timeline, TheShowIsTheGoldenSchedule) {
  const Show& real = RealShow();
  ASSERT_EQ(real.slots.size(), std::size(test::GoldenShow));
  for (std::size_t i = 0; i < real.slots.size(); ++i) {
    const TimelineSlot& slot = real.slots[i];
    const test::GoldenSlot& golden = test::GoldenShow[i];
    EXPECT_EQ(slot.module->name, golden.module) << i;
    EXPECT_EQ(slot.begin, golden.begin) << i;
    EXPECT_EQ(slot.end, golden.end) << i;
    EXPECT_EQ(slot.clock == SlotClock::Backward, golden.backward) << i;
    EXPECT_EQ(slot.argument != nullptr, golden.argument) << i;
  }
  EXPECT_EQ(TimelineLastDrawn, test::GoldenLastDrawn);
  EXPECT_EQ(TimelineEnd, test::GoldenEnd);
  EXPECT_EQ(real.effectTest->name, test::GoldenEffectTest);
  ASSERT_EQ(real.modules.size(), std::size(test::GoldenLoadOrder));
  for (std::size_t i = 0; i < real.modules.size(); ++i)
    EXPECT_EQ(real.modules[i]->name, test::GoldenLoadOrder[i]) << i;
}

// Whatever the slots are, they follow each other without a gap, and the
// middle of each draws its module.
TEST_F(Timeline, SlotsFollowEachOtherAndEachDrawsItsModule) {
  for (int i = 0; i < TimelineSlotCount(); ++i) {
    const TimelineSlot& slot = TimelineSlotAt(i);
    EXPECT_LT(slot.begin, slot.end);
    if (i > 0) {
      EXPECT_EQ(slot.begin, TimelineSlotAt(i - 1).end);
    }
    EXPECT_EQ(Draw(static_cast<float>((slot.begin + slot.end) / 2)).scene, slot.module->name);
  }
  EXPECT_EQ(TimelineSlotAt(TimelineSlotCount() - 1).end, TimelineLastDrawn);
}

}  // namespace
}  // namespace vx
