// vxscan's detector on frames made here: a clean sequence gives nothing, a
// planted one-frame dropout and a planted crawl are found, and what only
// looks like them (a stray block, a step that stays, neighbours that
// disagree) is not.
#include "detect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace vx::scan {
namespace {

// A grey frame whose level rises left to right, 60 + x / 4 at the classic
// width: every block has its own mean, and shifts of -60..+115 never clip.
struct Frame {
  FrameSize size;
  std::vector<std::uint32_t> words;

  explicit Frame(const FrameSize& s) : size(s), words(FrameWords(s), 0xDEADBEEFu) {
    for (int y = 0; y < size.height; ++y)
      for (int x = 0; x < size.width; ++x) Set(x, y, 60 + x * ScreenWidth / size.width / 4);
  }
  int At(int x, int y) const { return static_cast<int>(words[y * size.pitch + x] & 0xFF); }
  void Set(int x, int y, int level) {
    words[y * size.pitch + x] = static_cast<std::uint32_t>(level) * 0x010101u;
  }
  void Shift(int x, int y, int by) { Set(x, y, At(x, y) + by); }
  Measured Measure() const {
    Measured m;
    scan::Measure(words.data(), GridOf(size), m);
    return m;
  }
};

struct BlockAt {
  int x, y;
};

// Adds by to the level of every pixel of the blocks (a block mean moves by
// exactly by).
void ShiftBlocks(Frame& frame, const std::vector<BlockAt>& blocks, int by) {
  const int side = GridOf(frame.size).block;
  for (const BlockAt& b : blocks)
    for (int y = b.y * side; y < (b.y + 1) * side; ++y)
      for (int x = b.x * side; x < (b.x + 1) * side; ++x) frame.Shift(x, y, by);
}

TEST(VxscanDetector, BlocksGrowWithTheFrame) {
  const Grid classic = GridOf(ClassicFrame);
  EXPECT_EQ(classic.block, 8);
  EXPECT_EQ(classic.blocksX, 40);
  EXPECT_EQ(classic.blocksY, 25);
  EXPECT_EQ(GridOf(PackedFrame(640, 400)).block, 16);
  // Scale min(1920 / 320, 1080 / 200) = 5.4: 43.2 pixels, rounded to 43.
  const Grid hd = GridOf(PackedFrame(1920, 1080));
  EXPECT_EQ(hd.block, 43);
  EXPECT_EQ(hd.blocksX, 44);
  EXPECT_EQ(hd.blocksY, 25);
}

TEST(VxscanDetector, LuminanceWeighsRedGreenAndBlue) {
  Frame frame(ClassicFrame);
  const std::uint32_t colours[] = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFFFFu};
  const int levels[] = {76, 149, 28, 255};  // (77, 150, 29, 256) x 255 >> 8
  for (int i = 0; i < 4; ++i) frame.words[i] = colours[i];
  const Measured m = frame.Measure();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(m.luma[i], levels[i]) << i;
}

TEST(VxscanDetector, CleanSequencesGiveNothing) {
  // The gradient scrolling one pixel a frame, and the whole frame fading up
  // 20 levels a frame: changes that last are no one-frame events.
  Frame scroll[3] = {Frame(ClassicFrame), Frame(ClassicFrame), Frame(ClassicFrame)};
  Frame fade[3] = {Frame(ClassicFrame), Frame(ClassicFrame), Frame(ClassicFrame)};
  for (int t = 0; t < 3; ++t)
    for (int y = 0; y < ClassicFrame.height; ++y)
      for (int x = 0; x < ClassicFrame.width; ++x) {
        scroll[t].Set(x, y, 60 + (x + t) / 4);
        fade[t].Shift(x, y, 20 * t);
      }
  for (const Frame* s : {scroll, fade}) {
    const Measured a = s[0].Measure(), b = s[1].Measure(), c = s[2].Measure();
    EXPECT_FALSE(FindDropout(a, b, c, GridOf(ClassicFrame)));
    EXPECT_EQ(CrawlPixels(a, b, c), 0);
  }
}

struct PlantedDropout {
  const char* what;
  std::vector<BlockAt> blocks;  // shifted in the judged frame
  int shift;
  int afterShift;      // the same blocks in the frame after
  int expectedBlocks;  // 0: no dropout
};

TEST(VxscanDetector, FindsPlantedOneFrameDropouts) {
  const PlantedDropout cases[] = {
      {.what = "two blocks side by side go dark",
       .blocks = {{10, 10}, {11, 10}},
       .shift = -60,
       .afterShift = 0,
       .expectedBlocks = 2},
      {.what = "two blocks touching at a corner",
       .blocks = {{10, 10}, {11, 11}},
       .shift = -60,
       .afterShift = 0,
       .expectedBlocks = 2},
      {.what = "three by two blocks flash",
       .blocks = {{3, 4}, {4, 4}, {5, 4}, {3, 5}, {4, 5}, {5, 5}},
       .shift = 100,
       .afterShift = 0,
       .expectedBlocks = 6},
      {.what = "the largest of two groups",
       .blocks = {{1, 1}, {2, 1}, {20, 20}, {21, 20}, {22, 20}},
       .shift = -40,
       .afterShift = 0,
       .expectedBlocks = 3},
      {.what = "a jump of 25 levels",
       .blocks = {{10, 10}, {11, 10}},
       .shift = -25,
       .afterShift = 0,
       .expectedBlocks = 2},
      {.what = "neighbours 6 levels apart still agree",
       .blocks = {{10, 10}, {11, 10}},
       .shift = -40,
       .afterShift = 6,
       .expectedBlocks = 2},
      {.what = "one block alone (moving texture)",
       .blocks = {{10, 10}},
       .shift = -60,
       .afterShift = 0,
       .expectedBlocks = 0},
      {.what = "two blocks one apart",
       .blocks = {{10, 10}, {12, 10}},
       .shift = -60,
       .afterShift = 0,
       .expectedBlocks = 0},
      {.what = "a jump of only 24 levels",
       .blocks = {{10, 10}, {11, 10}},
       .shift = -24,
       .afterShift = 0,
       .expectedBlocks = 0},
      {.what = "neighbours 7 levels apart",
       .blocks = {{10, 10}, {11, 10}},
       .shift = -40,
       .afterShift = 7,
       .expectedBlocks = 0},
      {.what = "a change that stays",
       .blocks = {{10, 10}, {11, 10}},
       .shift = -60,
       .afterShift = -60,
       .expectedBlocks = 0},
  };
  const Grid grid = GridOf(ClassicFrame);
  const Measured before = Frame(ClassicFrame).Measure();
  for (const PlantedDropout& c : cases) {
    Frame judged(ClassicFrame), after(ClassicFrame);
    ShiftBlocks(judged, c.blocks, c.shift);
    ShiftBlocks(after, c.blocks, c.afterShift);
    const std::optional<Dropout> d = FindDropout(before, judged.Measure(), after.Measure(), grid);
    EXPECT_EQ(d ? d->blocks : 0, c.expectedBlocks) << c.what;
  }
}

TEST(VxscanDetector, DropoutBoxIsInPixelsOfTheFrame) {
  // At 640 x 400 (16-pixel blocks) with 60 unused words after each row.
  const FrameSize size{.width = 640, .height = 400, .pitch = 700};
  Frame judged(size);
  ShiftBlocks(judged, {{10, 10}, {11, 11}}, -60);
  const Measured plain = Frame(size).Measure();
  const std::optional<Dropout> d = FindDropout(plain, judged.Measure(), plain, GridOf(size));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->blocks, 2);
  EXPECT_EQ(d->left, 160);
  EXPECT_EQ(d->right, 191);
  EXPECT_EQ(d->top, 160);
  EXPECT_EQ(d->bottom, 191);
}

struct PlantedCrawl {
  const char* what;
  int shift;       // each planted pixel of the judged frame
  int afterShift;  // the same pixels in the frame after
  bool counts;
};

TEST(VxscanDetector, CountsPlantedCrawlPixelByPixel) {
  const PlantedCrawl cases[] = {
      {.what = "bright sparkle of 33 levels", .shift = 33, .afterShift = 0, .counts = true},
      {.what = "dark sparkle of 50 levels", .shift = -50, .afterShift = 0, .counts = true},
      {.what = "neighbours 32 levels apart", .shift = 70, .afterShift = 32, .counts = true},
      {.what = "a jump of only 32 levels", .shift = 32, .afterShift = 0, .counts = false},
      {.what = "neighbours 33 levels apart", .shift = 70, .afterShift = 33, .counts = false},
      {.what = "a change that stays", .shift = 50, .afterShift = 50, .counts = false},
  };
  const Measured before = Frame(ClassicFrame).Measure();
  for (const PlantedCrawl& c : cases) {
    // Every third pixel of ten rows: texels, too few to move a block mean
    // far enough for a dropout.
    Frame judged(ClassicFrame), after(ClassicFrame);
    int planted = 0;
    for (int y = 20; y < 30; ++y)
      for (int x = y % 3; x < ClassicFrame.width; x += 3, ++planted) {
        judged.Shift(x, y, c.shift);
        after.Shift(x, y, c.afterShift);
      }
    const Measured b = judged.Measure(), a = after.Measure();
    EXPECT_EQ(CrawlPixels(before, b, a), c.counts ? planted : 0) << c.what;
    EXPECT_FALSE(FindDropout(before, b, a, GridOf(ClassicFrame))) << c.what;
  }
}

}  // namespace
}  // namespace vx::scan
