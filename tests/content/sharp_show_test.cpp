// The sharp show is the same show: at eight moments of every slot, the frame
// drawn at a larger 16:10 size and averaged down by blocks to 320 x 200 is
// close to the classic frame of that moment. Close is a mean difference of
// at most 6 levels a channel; the figures are printed per slot.
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
constexpr double MostMeanDifference = 6.0;

// Mean over the classic frame's channels of |classic - mean of the block
// of large it covers|; size is a whole multiple of the classic frame.
double MeanDifferenceAveragedDown(const std::vector<std::uint32_t>& classic,
                                  const std::vector<std::uint32_t>& large, const FrameSize& size) {
  const int s = size.width / ScreenWidth;
  double total = 0.0;
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x)
      for (int c = 0; c < 24; c += 8) {
        int sum = 0;
        for (int yy = y * s; yy < (y + 1) * s; ++yy)
          for (int xx = x * s; xx < (x + 1) * s; ++xx)
            sum += static_cast<int>((large[static_cast<std::size_t>(yy * size.pitch + xx)] >> c) & 255);
        const double own = (classic[static_cast<std::size_t>(y * ScreenWidth + x)] >> c) & 255;
        total += std::abs(static_cast<double>(sum) / (s * s) - own);
      }
  return total / (3.0 * ScreenPixels);
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
    double worst = 0.0, sum = 0.0;
    for (int k = 0; k < MomentsPerSlot; ++k) {
      const std::size_t i = static_cast<std::size_t>(slot * MomentsPerSlot + k);
      RenderTimeline(times[i], large.data(), size);
      const double d = MeanDifferenceAveragedDown(classic[i], large, size);
      EXPECT_LE(d, MostMeanDifference) << "slot " << slot + 1 << " at " << times[i] / 120.0f << " s";
      worst = std::max(worst, d);
      sum += d;
    }
    std::printf("%dx%d slot %2d %-7s mean difference %.2f, worst %.2f\n", size.width,
                size.height, slot + 1, TimelineSlotAt(slot).module->name, sum / MomentsPerSlot,
                worst);
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
