// The frame loop with the headless clocks: which moments are drawn, with
// which scene, from black or over the last frame, and a sink that refuses a
// frame ends the run.
#include "driver/frame_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/fake_io.h"
#include "driver/sinks.h"

namespace vx {
namespace {

using test::World;

// Records each taken frame's index and first pixel, and refuses frame
// refuseAt.
struct Recording {
  std::vector<std::uint64_t> taken;
  std::vector<std::uint32_t> firstPixels;

  FrameSink Sink(std::uint64_t refuseAt = ~0ull) {
    return [this, refuseAt](const FrameMoment& moment, const FrameTarget& fb) {
      taken.push_back(moment.index);
      firstPixels.push_back(fb.pixels[0]);
      return moment.index != refuseAt;
    };
  }
};

class FrameLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetWorld();
    test::InstallFakes();
  }
  FrameTarget fb() { return {.pixels = World().frameBuffer.data(), .size = ClassicFrame}; }
};

TEST_F(FrameLoop, StepsDrawTheTimelineAtEachCaptureTimeUntilTheCount) {
  Recording sink;
  RunFrames(StepClock(24, 3), sink.Sink(), fb());
  ASSERT_EQ(World().scenes.size(), 3u);
  for (std::uint64_t n = 0; n < 3; ++n) {
    EXPECT_EQ(World().scenes[n].scene, "logo");
    EXPECT_EQ(World().scenes[n].t, CaptureFrameTime(n, 24));
  }
  EXPECT_EQ(sink.taken, (std::vector<std::uint64_t>{0, 1, 2}));
}

TEST_F(FrameLoop, ASinkThatRefusesAFrameEndsTheRunThere) {
  Recording sink;
  RunFrames(StepClock(60, 100), sink.Sink(1), fb());
  EXPECT_EQ(sink.taken, (std::vector<std::uint64_t>{0, 1}));
  EXPECT_EQ(World().scenes.size(), 2u);
}

TEST_F(FrameLoop, MomentsChooseTheirSceneAndWhetherTheyStartFromBlack) {
  // The fake scenes draw nothing: the first pixel shows whether the frame
  // was cleared.
  std::fill(World().frameBuffer.begin(), World().frameBuffer.end(), 0x123456u);
  const FrameClock clock = MomentList({{0, 500.0f, FrameScene::Timeline, false},
                                       {0, 838.5f, FrameScene::EffectTest, false},
                                       {0, 14450.0f, FrameScene::Timeline, true},
                                       {0, 2000.0f, FrameScene::Timeline, false}});
  Recording sink;
  RunFrames(clock, sink.Sink(), fb());
  EXPECT_EQ(sink.taken, (std::vector<std::uint64_t>{0, 1, 2, 3}));
  EXPECT_EQ(sink.firstPixels, (std::vector<std::uint32_t>{0x123456u, 0x123456u, 0u, 0u}));
  // 14450 lies after the last drawn moment: no scene, but a black frame.
  ASSERT_EQ(World().scenes.size(), 3u);
  EXPECT_EQ(World().scenes[0].scene, "logo");
  EXPECT_EQ(World().scenes[1].scene, "labda");
  EXPECT_EQ(World().scenes[1].t, 838.5f);
  EXPECT_EQ(World().scenes[2].scene, "kinyit");
}

}  // namespace
}  // namespace vx
