// The master's look-ahead limiter on made-up signals: quiet ones pass
// untouched, loud bursts and lone spikes come out under the ceiling between
// samples too, the gain falls in a ramp (no step) and only just before the
// peak, recovers after it, and is the same for both channels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "music_meter.h"
#include "music_mix.h"

namespace vx::content::music {
namespace {

// A 1 kHz sine of the given amplitude in both channels (the right one at
// half of it), amplitude loud between the frames [from, to), quiet elsewhere.
Stereo Burst(std::size_t frames, float quiet, float loud, std::size_t from, std::size_t to) {
  Stereo s(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    const float a = i >= from && i < to ? loud : quiet;
    s.left[i] = a * static_cast<float>(std::sin(2.0 * Pi * 1000.0 * i / SampleRate));
    s.right[i] = 0.5f * s.left[i];
  }
  return s;
}

float Largest(const std::vector<float>& v) {
  return *std::max_element(v.begin(), v.end());
}

TEST(MusicLimiter, LeavesASignalUnderTheCeilingUntouched) {
  const Stereo quiet = Burst(SampleRate / 2, 0.5f, 0.7f, 5000, 9000);
  Stereo limited = quiet;
  LimitPeaks(limited, 0.79f);
  EXPECT_EQ(limited.left, quiet.left);
  EXPECT_EQ(limited.right, quiet.right);
}

struct BurstCase {
  float loud;
  std::size_t length;  // frames of the loud part
};
class MusicLimiterBursts : public ::testing::TestWithParam<BurstCase> {};

TEST_P(MusicLimiterBursts, HoldsTheTruePeakUnderTheCeilingWithoutAStep) {
  constexpr float kCeiling = 0.79f;
  constexpr std::size_t kFrom = 20000;
  const std::size_t to = kFrom + GetParam().length;
  Stereo s = Burst(SampleRate, 0.3f, GetParam().loud, kFrom, to);
  const float peak = Largest(FramePeaks(s));
  const std::vector<float> gain = LimiterGain(s, kCeiling);
  LimitPeaks(s, kCeiling);
  EXPECT_LE(Largest(FramePeaks(s)), kCeiling * 1.0001f);
  const auto ahead = static_cast<std::size_t>(FrameAt(LimiterLookAhead));
  // Untouched until a look-ahead before the burst, and again once it has
  // had ten release times to recover.
  for (std::size_t i = 0; i + ahead + 2 < kFrom; ++i) ASSERT_EQ(gain[i], 1.0f) << i;
  const auto recovered = to + static_cast<std::size_t>(FrameAt(10.0 * LimiterRelease));
  for (std::size_t i = recovered; i < gain.size(); ++i) ASSERT_GT(gain[i], 0.999f) << i;
  // Inside the burst the gain does what the peak needs and not much more.
  EXPECT_LT(gain[kFrom + GetParam().length / 2], kCeiling / peak * 1.0001f);
  EXPECT_GT(gain[kFrom + GetParam().length / 2], kCeiling / peak * 0.9f);
  // A fall of the whole reduction within the look-ahead at most, spread
  // evenly: no frame-to-frame step larger than the ramp's.
  const float reduction = 1.0f - kCeiling / peak;
  for (std::size_t i = 1; i < gain.size(); ++i)
    ASSERT_LE(std::fabs(gain[i] - gain[i - 1]), 1.05f * reduction / static_cast<float>(ahead))
        << "frame " << i;
}

INSTANTIATE_TEST_SUITE_P(Levels, MusicLimiterBursts,
                         ::testing::Values(BurstCase{.loud = 1.0f, .length = 4410},
                                           BurstCase{.loud = 2.0f, .length = 4410},
                                           BurstCase{.loud = 1.2f, .length = 200},
                                           BurstCase{.loud = 3.0f, .length = 30}));

TEST(MusicLimiter, ALoneSpikeIsCaughtAndBothChannelsShareTheGain) {
  Stereo s(8000);
  for (std::size_t i = 0; i < s.Frames(); ++i) s.right[i] = 0.4f;
  s.left[4000] = 1.6f;
  const std::vector<float> gain = LimiterGain(s, 0.8f);
  LimitPeaks(s, 0.8f);
  EXPECT_LE(std::fabs(s.left[4000]), 0.8f * 1.0001f);
  // The right channel, steady under the ceiling, dips with the left.
  EXPECT_NEAR(s.right[4000], 0.4f * gain[4000], 1e-7f);
  EXPECT_LT(s.right[4000], 0.21f);
  EXPECT_FLOAT_EQ(s.right[0], 0.4f);
}

TEST(MusicMeter, FramePeaksFindThePeaksBetweenSamples) {
  // A quarter-rate sine whose samples fall 45 degrees off its crests: every
  // sample reads 0.707; the wave reaches 1 halfway between the even frames
  // and the next ones and crosses zero between the odd ones and the next.
  Stereo s(4096);
  for (std::size_t i = 0; i < s.Frames(); ++i)
    s.left[i] = static_cast<float>(std::sin(Pi * (0.5 * static_cast<double>(i) + 0.25)));
  const std::vector<float> peaks = FramePeaks(s);
  ASSERT_EQ(peaks.size(), s.Frames());
  for (std::size_t i = 100; i < 3996; ++i)
    ASSERT_NEAR(peaks[i], i % 2 == 0 ? 1.0f : 0.7071f, 0.01f) << i;
  EXPECT_DOUBLE_EQ(TruePeak(s), Largest(peaks));
}

}  // namespace
}  // namespace vx::content::music
