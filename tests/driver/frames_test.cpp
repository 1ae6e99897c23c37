// Times and pixels of the frames written to files: screenshots, captured
// frames, the letterboxed enlargement and the label font.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "base/label_font.h"
#include "driver/frame_loop.h"
#include "driver/headless.h"
#include "driver/letterbox.h"

namespace vx {
namespace {

TEST(FrameTimes, ScreenshotTimeIsSecondsTimes120RoundedToSingle) {
  EXPECT_EQ(ScreenshotTime(0.0), 0.0f);
  EXPECT_EQ(ScreenshotTime(121.0), 14520.0f);
  // 10.953 s x 120 = 1314.36 ticks, which as a single lies below the kinyit
  // bound: the screenshot shows the logo's last moment.
  EXPECT_EQ(ScreenshotTime(10.953), 1314.3599853515625f);
  EXPECT_EQ(ScreenshotTime(-0.5), -60.0f);
}

TEST(FrameTimes, CaptureStopsBeforeTheEndBoundOrAtTheDuration) {
  // Frame n at n x 120 / fps: the last frame before 14520 ticks.
  EXPECT_EQ(CaptureFrameCount(60, 0.0), 7260u);
  EXPECT_EQ(CaptureFrameCount(25, 0.0), 3025u);
  EXPECT_LT(CaptureFrameTime(7259, 60), 14520.0f);
  EXPECT_EQ(CaptureFrameTime(7260, 60), 14520.0f);
  EXPECT_EQ(CaptureFrameCount(60, 20.0), 1200u);
  EXPECT_EQ(CaptureFrameCount(30, 0.5), 15u);
  EXPECT_EQ(CaptureFrameCount(60, 0.01), 1u);  // a frame begun inside the duration
  EXPECT_EQ(CaptureFrameCount(24, 1.01), 25u);
  EXPECT_EQ(CaptureFrameCount(60, 500.0), 7260u);  // no further than the show
  EXPECT_EQ(CaptureFrameTime(0, 60), 0.0f);
  EXPECT_EQ(CaptureFrameTime(1, 60), 2.0f);
  EXPECT_EQ(CaptureFrameTime(1, 7), static_cast<float>(120.0L / 7));
  EXPECT_EQ(CaptureFrameTime(3025 - 1, 25), 14515.2f);
}

TEST(LetterboxedScale, CopiesTheImageBetweenBlackBandsEnlargedByNearestNeighbour) {
  std::vector<std::uint32_t> fb(307200 / 4, 0xDEADBEEFu);  // the unshown rows too
  for (std::uint32_t i = 0; i < 64000; ++i) fb[i] = (i * 2654435761u) & 0x00FFFFFFu;
  for (int scale : {1, 2, 3}) {
    std::vector<std::uint32_t> out;
    ScaleLetterboxed(fb.data(), ClassicFrame, scale, out);
    const int width = 320 * scale, height = 240 * scale;
    ASSERT_EQ(out.size(), static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const int sy = y / scale - 20, sx = x / scale;
        const std::uint32_t expected = (sy < 0 || sy >= 200) ? 0u : fb[sy * 320 + sx];
        ASSERT_EQ(out[static_cast<std::size_t>(y) * width + x], expected)
            << "scale " << scale << " at " << x << "," << y;
      }
    }
  }
}

TEST(Label, DrawsGlyphsClippedAndLeavesTheRestAlone) {
  constexpr int W = 20, H = 10;
  std::vector<std::uint32_t> image(W * H, 7u);
  DrawLabel(image.data(), W, H, 1, 1, "1-", 0xFFu);
  // "1": rows 04 0C 04 04 04 04 0E; "-" at x + 6: row 3 full.
  const char* expected[7] = {"..#......", ".##......", "..#......", "..#...#####",
                             "..#......", "..#......", ".###....."};
  for (int row = 0; row < 7; ++row)
    for (int col = 0; col < 11; ++col) {
      const bool ink =
          col < static_cast<int>(std::strlen(expected[row])) && expected[row][col] == '#';
      EXPECT_EQ(image[(1 + row) * W + 1 + col], ink ? 0xFFu : 7u) << row << "," << col;
    }
  EXPECT_EQ(image[0], 7u);
  // Lower case is drawn as capitals; text past the edges is clipped.
  std::vector<std::uint32_t> a(W * H, 0u), b(W * H, 0u);
  DrawLabel(a.data(), W, H, -3, 6, "ab", 1u);
  DrawLabel(b.data(), W, H, -3, 6, "AB", 1u);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, std::vector<std::uint32_t>(W * H, 0u));
}

}  // namespace
}  // namespace vx
