// The soundtrack's loudness meter against the reference signals of EBU Tech
// 3341 and 3342 and hand-computed values: steady sines, gated silence, a
// step in level, a short burst, a sine whose peaks fall between samples, and
// pairs of tones for the balance of bands and of mid and side.
#include "music_meter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vx::content::music {
namespace {

// Seconds of 1 kHz sine in both channels, one level (dBFS, peak) a piece.
struct Stretch {
  double seconds;
  double dbfs;  // below -200: silence
};
Stereo Sines(const std::vector<Stretch>& stretches, double hz = 1000.0, double phase = 0.0) {
  Stereo out;
  std::size_t i = 0;
  for (const Stretch& s : stretches) {
    const double amplitude = s.dbfs < -200.0 ? 0.0 : std::pow(10.0, s.dbfs / 20.0);
    for (std::int64_t n = 0; n < FrameAt(s.seconds); ++n, ++i) {
      const auto v = static_cast<float>(
          amplitude * std::sin(2.0 * Pi * hz * static_cast<double>(i) / SampleRate + phase));
      out.left.push_back(v);
      out.right.push_back(v);
    }
  }
  return out;
}

TEST(MusicMeter, ASineAtMinus23DbfsReadsMinus23LufsAndSilenceIsGatedOut) {
  const LoudnessMeter meter(Sines({{10.0, -23.0}, {10.0, -300.0}, {10.0, -20.0}, {10.0, -36.0}}));
  EXPECT_NEAR(meter.Loudness(1.0, 9.0), -23.0, 0.1);
  EXPECT_NEAR(meter.Integrated(0.0, 10.0), -23.0, 0.1);
  EXPECT_EQ(meter.Loudness(11.0, 19.0), SilentLufs);
  // The silence falls under the absolute gate: the 20 s read as the tone.
  EXPECT_NEAR(meter.Loudness(0.0, 20.0), -26.0, 0.1);
  EXPECT_NEAR(meter.Integrated(0.0, 20.0), -23.0, 0.1);
  // -36 is more than 10 LU under the mean of -20 and -36: gated out too.
  EXPECT_NEAR(meter.Integrated(20.0, 40.0), -20.0, 0.1);
}

TEST(MusicMeter, LoudnessRangeOfLevelStepsIsTheirDifference) {
  // EBU Tech 3342, cases 1 and 2: 20 s at one level, 20 s at another.
  EXPECT_NEAR(LoudnessMeter(Sines({{20.0, -20.0}, {20.0, -30.0}})).Range(0.0, 40.0), 10.0, 1.0);
  EXPECT_NEAR(LoudnessMeter(Sines({{20.0, -20.0}, {20.0, -15.0}})).Range(0.0, 40.0), 5.0, 1.0);
  // A level more than 20 LU under the rest is gated out of the range; only
  // the few blocks that straddle the step remain below -20.
  EXPECT_LT(LoudnessMeter(Sines({{20.0, -20.0}, {20.0, -50.0}})).Range(0.0, 40.0), 2.0);
}

TEST(MusicMeter, LargestRiseIsABurstOverTheLouderOfItsNeighbours) {
  double where = 0.0;
  const LoudnessMeter burst(Sines({{10.0, -30.0}, {0.4, -20.0}, {3.0, -30.0}, {3.0, -26.0}}));
  EXPECT_NEAR(burst.LargestRise(0.0, 16.4, &where), 10.0, 0.1);
  EXPECT_NEAR(where, 10.0, 1e-9);
  // A step up to a level that stays: the window after it is as loud.
  EXPECT_NEAR(LoudnessMeter(Sines({{10.0, -30.0}, {10.0, -20.0}})).LargestRise(0.0, 20.0), 0.0,
              0.1);
}

TEST(MusicMeter, TruePeakFindsCrestsBetweenSamples) {
  // A quarter of the sample rate at 45 degrees: every sample is at 0.707
  // of the crest, which lies midway between two samples.
  const Stereo quarter = Sines({{0.5, -6.0}}, SampleRate / 4.0, Pi / 4.0);
  float samplePeak = 0.0f;
  for (float v : quarter.left) samplePeak = std::max(samplePeak, std::fabs(v));
  EXPECT_NEAR(20.0 * std::log10(samplePeak), -6.0 - 3.01, 0.01);
  EXPECT_NEAR(20.0 * std::log10(TruePeak(quarter)), -6.0, 0.1);
  EXPECT_NEAR(20.0 * std::log10(TruePeak(Sines({{0.5, -1.0}}))), -1.0, 0.05);
}

// Share of the 2 to 8 kHz band and width of two-tone signals, by hand: a
// tone's energy goes with its amplitude squared, and for L = a s, R = b s
// the side reads 20 log10(|a - b| / |a + b|) against the mid.
TEST(MusicMeter, BandShareAndSideToMidFollowTheTonesAmplitudes) {
  struct Case {
    double low, high;     // amplitudes of a 1 kHz and a 4 kHz tone
    double left, right;   // channel gains
    double share, width;  // dB
  };
  const Case cases[] = {
      {.low = 0.5, .high = 0.5, .left = 1.0, .right = 1.0, .share = -3.01, .width = -200.0},
      {.low = 0.5, .high = 0.25, .left = 1.0, .right = 0.0, .share = -6.99, .width = 0.0},
      {.low = 0.0, .high = 0.5, .left = 1.0, .right = 0.5, .share = 0.0, .width = -9.54},
      {.low = 0.25, .high = 0.5, .left = 1.0, .right = -1.0, .share = -0.97, .width = 200.0},
  };
  for (const Case& c : cases) {
    Stereo tones(static_cast<std::size_t>(FrameAt(2.0)));
    for (std::size_t i = 0; i < tones.Frames(); ++i) {
      const double t = static_cast<double>(i) / SampleRate;
      const double v =
          c.low * std::sin(2.0 * Pi * 1000.0 * t) + c.high * std::sin(2.0 * Pi * 4000.0 * t);
      tones.left[i] = static_cast<float>(c.left * v);
      tones.right[i] = static_cast<float>(c.right * v);
    }
    EXPECT_NEAR(BandShareDb(tones, 2000.0, 8000.0, 0.0, 2.0), c.share, 0.05)
        << c.low << " " << c.high;
    EXPECT_NEAR(SideToMidDb(tones, 0.0, 2.0), c.width, 0.05) << c.left << " " << c.right;
  }
}

}  // namespace
}  // namespace vx::content::music
