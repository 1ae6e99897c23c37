// The sharp show is the same show: at eight moments of every slot, the frame
// drawn at a larger 16:10 size and averaged down by blocks to 320 x 200 is
// close to the classic frame of that moment. Close is a structural
// similarity (SSIM of the luminance, 8 x 8 windows every 4 pixels) of at
// least 0.85, and a mean difference of at most 8 levels a channel (the
// sharp blur's streaks run a little longer than the classic blur's, which
// spreads them sideways at every pixel); both figures are printed per slot.
//
// 16:10 sizes only: a wider frame shows more of the scene at the sides
// (the camera keeps the vertical angle) while the full-screen pictures are
// stretched to it, so no block of it stands for one classic pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/pixels.h"
#include "show_content.h"

namespace vx::test {
namespace {

constexpr int MomentsPerSlot = 8;
constexpr double LeastSimilarity = 0.85;
constexpr double MostMeanDifference = 8.0;

// The classic-sized picture as three channels of doubles (blue, green, red).
using Channels = std::vector<double>;

Channels ClassicChannels(const std::vector<std::uint32_t>& classic) {
  Channels out(3 * ScreenPixels);
  for (std::size_t i = 0; i < ScreenPixels; ++i)
    for (int c = 0; c < 3; ++c) out[3 * i + c] = (classic[i] >> (8 * c)) & 255;
  return out;
}

// large averaged down by blocks; size is a whole multiple of the classic frame.
Channels AveragedDown(const std::vector<std::uint32_t>& large, const FrameSize& size) {
  const int s = size.width / ScreenWidth;
  Channels out(3 * ScreenPixels, 0.0);
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x) {
      const std::uint32_t p = large[static_cast<std::size_t>(y * size.pitch + x)];
      const std::size_t i = static_cast<std::size_t>((y / s) * ScreenWidth + x / s);
      for (int c = 0; c < 3; ++c) out[3 * i + c] += (p >> (8 * c)) & 255;
    }
  for (double& v : out) v /= s * s;
  return out;
}

double MeanDifference(const Channels& a, const Channels& b) {
  double total = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) total += std::abs(a[i] - b[i]);
  return total / static_cast<double>(a.size());
}

// Mean SSIM of the luminance (0.299 R + 0.587 G + 0.114 B) over 8 x 8
// windows every 4 pixels, with the usual constants for 8-bit values.
double Similarity(const Channels& a, const Channels& b) {
  const auto luma = [](const Channels& p, int x, int y) {
    const std::size_t i = 3 * static_cast<std::size_t>(y * ScreenWidth + x);
    return 0.114 * p[i] + 0.587 * p[i + 1] + 0.299 * p[i + 2];
  };
  constexpr double C1 = (0.01 * 255) * (0.01 * 255), C2 = (0.03 * 255) * (0.03 * 255);
  constexpr int Window = 8, Stride = 4, N = Window * Window;
  double total = 0.0;
  int windows = 0;
  for (int y0 = 0; y0 + Window <= ScreenHeight; y0 += Stride)
    for (int x0 = 0; x0 + Window <= ScreenWidth; x0 += Stride) {
      double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
      for (int y = y0; y < y0 + Window; ++y)
        for (int x = x0; x < x0 + Window; ++x) {
          const double u = luma(a, x, y), v = luma(b, x, y);
          sa += u, sb += v, saa += u * u, sbb += v * v, sab += u * v;
        }
      const double ma = sa / N, mb = sb / N;
      const double va = saa / N - ma * ma, vb = sbb / N - mb * mb, cov = sab / N - ma * mb;
      total += ((2 * ma * mb + C1) * (2 * cov + C2)) / ((ma * ma + mb * mb + C1) * (va + vb + C2));
      ++windows;
    }
  return total / windows;
}

class SharpShow : public LoadedShow<::testing::TestWithParam<int>> {};

TEST_P(SharpShow, EveryMomentAveragedDownIsCloseToTheClassicFrame) {
  const FrameSize size = PackedFrame(ScreenWidth * GetParam(), ScreenHeight * GetParam());
  // Every classic moment first: a change of size resamples the pictures.
  std::vector<float> times;
  for (int slot = 0; slot < TimelineSlotCount(); ++slot) {
    const TimelineSlot& s = TimelineSlotAt(slot);
    for (int k = 0; k < MomentsPerSlot; ++k)
      times.push_back(static_cast<float>(s.begin + (s.end - s.begin) * (k + 0.5L) / MomentsPerSlot));
  }
  std::vector<std::vector<std::uint32_t>> classic(times.size(),
                                                  std::vector<std::uint32_t>(ScreenPixels));
  for (std::size_t i = 0; i < times.size(); ++i)
    RenderTimeline(times[i], classic[i].data(), ClassicFrame);
  std::vector<std::uint32_t> large(FrameWords(size));
  for (int slot = 0; slot < TimelineSlotCount(); ++slot) {
    double worstDifference = 0.0, sumDifference = 0.0;
    double leastSimilarity = 1.0, sumSimilarity = 0.0;
    for (int k = 0; k < MomentsPerSlot; ++k) {
      const std::size_t i = static_cast<std::size_t>(slot * MomentsPerSlot + k);
      RenderTimeline(times[i], large.data(), size);
      const Channels own = ClassicChannels(classic[i]), down = AveragedDown(large, size);
      const double d = MeanDifference(own, down), q = Similarity(own, down);
      EXPECT_LE(d, MostMeanDifference) << "slot " << slot + 1 << " at " << times[i] / 120.0f << " s";
      EXPECT_GE(q, LeastSimilarity) << "slot " << slot + 1 << " at " << times[i] / 120.0f << " s";
      worstDifference = std::max(worstDifference, d);
      sumDifference += d;
      leastSimilarity = std::min(leastSimilarity, q);
      sumSimilarity += q;
    }
    std::printf("%dx%d slot %2d %-7s SSIM mean %.3f, least %.3f; difference mean %.2f, worst %.2f\n",
                size.width, size.height, slot + 1, TimelineSlotAt(slot).module->name,
                sumSimilarity / MomentsPerSlot, leastSimilarity, sumDifference / MomentsPerSlot,
                worstDifference);
  }
}

// The sanitizers' build draws ten times slower: the smaller size there.
#if defined(VX_SANITIZE)
constexpr int Multiples[] = {4};
#else
constexpr int Multiples[] = {4, 6};
#endif

INSTANTIATE_TEST_SUITE_P(WholeMultiples, SharpShow, ::testing::ValuesIn(Multiples),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::to_string(ScreenWidth * info.param) + "x" +
                                  std::to_string(ScreenHeight * info.param);
                         });

}  // namespace
}  // namespace vx::test
