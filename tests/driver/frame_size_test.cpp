// The run's frame size on its way through the driver: the frame loop and
// the scene modules, the file sinks (screenshots, the contact sheet's
// tiles, the capture's surface and filter), the scaled label font, and the
// resolution key and status line of the window at a size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/label_font.h"
#include "base/parallel.h"
#include "base/pixels.h"
#include "driver/controls.h"
#include "driver/driver.h"
#include "driver/fake_io.h"
#include "driver/frame_loop.h"
#include "driver/letterbox.h"
#include "driver/sinks.h"
#include "platform/video.h"
#include "support/testlib.h"

namespace vx {
namespace {

using test::Bytes;
using test::TempDir;
using test::World;

// A PNG's width and height: the IHDR chunk's first two big-endian words.
FrameSize PngSize(const std::string& path) {
  const Bytes png = test::ReadFileBytes(path);
  if (png.size() < 24) return {};
  const auto word = [&](std::size_t at) {
    return static_cast<std::int32_t>(png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 |
                                     png[at + 3]);
  };
  return PackedFrame(word(16), word(20));
}

class FrameSizes : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetWorld();
    test::InstallFakes();
  }
  void TearDown() override { StopVideo(); }
};

TEST_F(FrameSizes, EveryModuleIsAskedForTheTargetsSizeAndBlackClearsTheWholeFrame) {
  const FrameSize wide = PackedFrame(640, 360);
  std::vector<std::uint32_t> pixels(FrameWords(wide), 0x00123456u);
  const FrameClock clock = MomentList({{0, 500.0f, FrameScene::Timeline, false},
                                       {0, 838.5f, FrameScene::EffectTest, false},
                                       {0, 14450.0f, FrameScene::Timeline, true}});
  std::vector<FrameSize> taken;
  RunFrames(clock,
            [&](const FrameMoment&, const FrameTarget& frame) {
              taken.push_back(frame.size);
              EXPECT_EQ(frame.pixels, pixels.data());
              return true;
            },
            {.pixels = pixels.data(), .size = wide});
  ASSERT_EQ(World().scenes.size(), 2u);  // nothing is drawn at 14450
  for (const test::SceneCall& call : World().scenes) EXPECT_EQ(call.size, wide) << call.scene;
  EXPECT_EQ(taken, (std::vector<FrameSize>{wide, wide, wide}));
  // The last moment started from black: every word of the larger frame.
  EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p == 0; }));
}

TEST_F(FrameSizes, ScreenshotsAreWrittenAtTheResolution) {
  TempDir dir;
  const std::string a = dir.File("a.png"), b = dir.File("b.png");
  for (const auto& [resolution, size] : std::vector<std::pair<const char*, FrameSize>>{
           {"640x360", PackedFrame(640, 360)}, {"320x200", ClassicFrame}}) {
    SetUp();
    const char* argv[] = {"vx1",     "--resolution", resolution, "--screenshot", "1",
                          a.c_str(), "--screenshot", "50",       b.c_str()};
    DriverOptions options;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(9, argv, options, error)) << error;
    EXPECT_EQ(RunScreenshots(options, {{"vx-1.lib"}}), 0);
    EXPECT_EQ(PngSize(a), size) << resolution;
    EXPECT_EQ(PngSize(b), size) << resolution;
    ASSERT_EQ(World().scenes.size(), 2u);
    EXPECT_EQ(World().scenes[1].scene, "box");  // 50 s: 6000 ticks
    EXPECT_EQ(World().scenes[1].size, size);
  }
}

TEST_F(FrameSizes, TheBenchTimesTheResolutionAndSaysItsSizeAndThreads) {
  SetDrawThreads(3);
  for (const auto& [resolution, header] : std::vector<std::pair<const char*, std::string>>{
           {"640x360", "Bench (optimised routines, 640 x 360, 3 threads)"},
           // The classic frame is drawn on this thread alone.
           {"320x200", "Bench (optimised routines, 320 x 200, 1 thread)"}}) {
    SetUp();
    const char* argv[] = {"vx1", "--bench", "--resolution", resolution};
    DriverOptions options;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(4, argv, options, error)) << error;
    int code = -1;
    const std::string out = test::CaptureStdout([&] { code = RunBench(options, {{"vx-1.lib"}}); });
    EXPECT_EQ(code, 0);
    const std::vector<std::string> lines = test::SplitLines(out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], header);
    ASSERT_FALSE(World().scenes.empty());
    EXPECT_TRUE(
        std::all_of(World().scenes.begin(), World().scenes.end(),
                    [&](const test::SceneCall& call) { return call.size == options.resolution; }));
  }
  SetDrawThreads(ProcessorCores());
}

TEST(ContactSheetTiles, AreTheFrameReducedToAtMost640PixelsByRoundedBlockMeans) {
  struct Row {
    FrameSize frame;
    int reduction, tileWidth, tileHeight;
  };
  for (const Row& row :
       {Row{ClassicFrame, 1, 320, 200}, Row{PackedFrame(640, 400), 1, 640, 400},
        Row{PackedFrame(642, 400), 2, 321, 200}, Row{PackedFrame(1920, 1080), 3, 640, 360},
        Row{PackedFrame(3840, 2160), 6, 640, 360}}) {
    const ContactSheet sheet(13, row.frame);
    EXPECT_EQ(sheet.reduction, row.reduction) << row.frame.width;
    EXPECT_EQ(sheet.tileWidth, row.tileWidth);
    EXPECT_EQ(sheet.tileHeight, row.tileHeight);
    // Four tiles a row with 4-pixel gaps; four rows of 12-pixel labels.
    EXPECT_EQ(sheet.width, 4 * row.tileWidth + 5 * 4);
    EXPECT_EQ(sheet.height, 4 * (12 + row.tileHeight + 4) + 4);
  }
  // A 1920 x 1080 frame whose every 3 x 3 block holds blue 0, 10, ..., 80 and
  // red 1 .. 9 in some order: its tile pixel is blue 40, red 5 (45 / 9), and
  // one block of green 0,0,..,0,2 rounds 2 / 9 down to 0 and 5 / 9 up to 1.
  const FrameSize frame = PackedFrame(1920, 1080);
  std::vector<std::uint32_t> pixels(FrameWords(frame));
  for (int y = 0; y < 1080; ++y)
    for (int x = 0; x < 1920; ++x) {
      const int k = (y % 3) * 3 + x % 3;
      pixels[static_cast<std::size_t>(y) * 1920 + x] =
          static_cast<std::uint32_t>((k + 1) << 16 | 10 * k);
    }
  pixels[2 * 1920 + 2] |= 2u << 8;  // block (0, 0): green sum 2
  pixels[2 * 1920 + 5] |= 5u << 8;  // block (1, 0): green sum 5
  ContactSheet sheet(1, frame);
  const FrameSink sink = ContactSheetSink(sheet, [](const FrameMoment&) { return ""; });
  ASSERT_TRUE(sink({.index = 0}, {.pixels = pixels.data(), .size = frame}));
  const auto tile = [&](int x, int y) {
    return sheet.pixels[static_cast<std::size_t>(4 + 12 + y) * sheet.width + 4 + x];
  };
  EXPECT_EQ(tile(0, 0), 0x050028u);
  EXPECT_EQ(tile(1, 0), 0x050128u);
  EXPECT_EQ(tile(639, 359), 0x050028u);
  EXPECT_EQ(sheet.pixels[static_cast<std::size_t>(4 + 12) * sheet.width + 4 + 640], 0x202020u)
      << "the gap after the tile";
}

TEST(SurfaceForFiles, AnotherSizeHasNoLetterboxAndNoFilterAtItsOwnSize) {
  // A 640 x 360 frame in a buffer whose rows are 648 words apart.
  const FrameSize size{640, 360, 648};
  std::vector<std::uint32_t> fb(FrameWords(size));
  for (std::uint32_t i = 0; i < fb.size(); ++i) fb[i] = (i * 2654435761u) & 0x00FFFFFFu;
  for (int scale : {1, 2}) {
    std::vector<std::uint32_t> out;
    ScaleLetterboxed(fb.data(), size, scale, out);
    const int width = 640 * scale, height = 360 * scale;
    ASSERT_EQ(out.size(), static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(out[static_cast<std::size_t>(y) * width + x],
                  fb[static_cast<std::size_t>(y / scale) * 648 + x / scale])
            << scale << " at " << x << "," << y;
  }
  EXPECT_EQ(CaptureScaleFilter(size, 1), "");
  EXPECT_EQ(CaptureScaleFilter(size, 3), "scale=1920:1080:flags=neighbor,format=gbrp");
  // The classic frame keeps its filter at every scale.
  EXPECT_EQ(CaptureScaleFilter(ClassicFrame, 1), "scale=320:240:flags=neighbor,format=gbrp");
  EXPECT_EQ(CaptureScaleFilter(ClassicFrame, 4), "scale=1280:960:flags=neighbor,format=gbrp");
}

TEST(Label, AtScaleKEachFontPixelIsAKByKSquare) {
  constexpr int W = 40, H = 12;
  std::vector<std::uint32_t> small(W * H, 7u);
  DrawLabel(small.data(), W, H, 1, 2, "V1:", 0xFFu);
  for (int k : {2, 3}) {
    std::vector<std::uint32_t> big(static_cast<std::size_t>(W * k) * H * k, 7u);
    DrawLabel(big.data(), W * k, H * k, k, 2 * k, "V1:", 0xFFu, k);
    for (int y = 0; y < H * k; ++y)
      for (int x = 0; x < W * k; ++x)
        ASSERT_EQ(big[static_cast<std::size_t>(y) * W * k + x], small[(y / k) * W + x / k])
            << k << " at " << x << "," << y;
  }
}

TEST_F(FrameSizes, TheResolutionKeySwitchesTheVideoAndTheTargetBothWays) {
  ConfigureVideo(VideoOptions{});  // headless, a real frame buffer
  const FrameSize wide = PackedFrame(640, 400);
  ASSERT_EQ(StartVideo(wide), 0);
  FrameTarget target{.pixels = FrameBuffer(), .size = wide};
  ViewerControls controls;
  controls.Apply({.action = ViewerAction::ToggleResolution});
  EXPECT_EQ(target.size, wide) << "nothing to switch to until it is allowed";
  controls.AllowResolutionSwitch(target, ClassicFrame);
  for (const FrameSize& expected : {ClassicFrame, wide, ClassicFrame}) {
    controls.Apply({.action = ViewerAction::ToggleResolution});
    EXPECT_EQ(target.size, expected);
    EXPECT_EQ(VideoFrameSize(), expected);
    EXPECT_EQ(target.pixels, FrameBuffer());
  }
  StopVideo();

  // A video that refuses the size leaves the show where it was.
  test::InstallFakes();
  World().resizeVideoResult = 1;
  ASSERT_EQ(StartVideo(wide), 0);
  target = {.pixels = FrameBuffer(), .size = wide};
  ViewerControls refused;
  refused.AllowResolutionSwitch(target, ClassicFrame);
  refused.Apply({.action = ViewerAction::ToggleResolution});
  EXPECT_EQ(target.size, wide);
  EXPECT_EQ(target.pixels, FrameBuffer());
  EXPECT_EQ(World().calls.back(), "ResizeVideo 320x200");
}

TEST_F(FrameSizes, TheStatusLineAtASizeLiesOverTheBottomRowsOfTheSurfaceOnly) {
  ConfigureVideo(VideoOptions{});
  const FrameSize wide = PackedFrame(640, 400);  // the strip: rows 360 .. 399, text at scale 2
  ASSERT_EQ(StartVideo(wide), 0);
  std::fill_n(FrameBuffer(), FrameWords(wide), 0x00102030u);
  ViewerControls shown;
  shown.Apply({.action = ViewerAction::ToggleStatus});
  shown.MomentGiven(5688.0f);
  shown.FrameDrawn(5688.0f);
  ASSERT_EQ(PresentFrame(), 0);
  const auto* surface = reinterpret_cast<const std::uint32_t*>(PresentedSurface());
  ASSERT_NE(surface, nullptr);
  int lit = 0, black = 0;
  for (std::size_t i = 360 * 640; i < 400 * 640; ++i) {
    lit += surface[i] == 0x00C8C8C8u;
    black += surface[i] == 0u;
  }
  EXPECT_GT(lit, 400);
  EXPECT_EQ(lit + black, 40 * 640) << "the strip is the text on black";
  // Text of scale 2: no lit pixel in the strip's top 13 rows ((40 - 14) / 2).
  for (std::size_t i = 360 * 640; i < 373 * 640; ++i) ASSERT_EQ(surface[i], 0u);
  EXPECT_TRUE(
      std::all_of(surface, surface + 360 * 640, [](std::uint32_t p) { return p == 0x00102030u; }));
  EXPECT_TRUE(std::all_of(FrameBuffer(), FrameBuffer() + FrameWords(wide),
                          [](std::uint32_t p) { return p == 0x00102030u; }));
  StopVideo();
}

}  // namespace
}  // namespace vx
