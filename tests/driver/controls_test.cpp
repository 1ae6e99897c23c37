// The viewer's controls against the music layer with a fake backend on a
// virtual clock: where each input lands (clamped, slot starts exact, steps
// of one frame), pause holding the clock, resume and seeks continuing from
// the right position, and the status line reaching the letterbox only.
#include "driver/controls.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <cstdint>
#include <string>
#include <vector>

#include "driver/fake_io.h"
#include "support/testlib.h"
#include "driver/timeline.h"
#include "platform/picture.h"
#include "platform/music.h"
#include "platform/music_backends.h"
#include "platform/video.h"

namespace vx {
namespace {

// A music backend on a virtual clock (seconds) whose output, like the SDL
// one, starts on whole frames of 1/44100 s: a play from a position that is
// no whole frame starts a hair before it.
struct VirtualMusic {
  double now = 0.0;
  bool playing = false;
  bool stopped = false;
  double playStart = 0.0;  // the frame-rounded position play started at
  double playAt = 0.0;     // the virtual time it started
  double frozen = 0.0;
  std::vector<double> plays;  // the positions asked of each play
} music;

void FakeStart(std::string_view, std::uint32_t, bool, bool) {}
double Heard(double startSeconds) {
  if (music.stopped) return music.frozen;
  if (!music.playing) return startSeconds;
  return music.playStart + (music.now - music.playAt);
}
void FakePlay(double startSeconds, bool) {
  music.plays.push_back(startSeconds);
  music.playStart = std::floor(startSeconds * 44100.0) / 44100.0;
  music.playAt = music.now;
  music.playing = true;
  music.stopped = false;
}
float FakeTicks(double startSeconds, std::uint32_t scale) {
  return static_cast<float>(Heard(startSeconds) * scale);
}
void FakeStop() {
  music.frozen = Heard(0.0);
  music.stopped = true;
  music.playing = false;
}
void FakeFree() {}

const MusicRoutines VirtualMusicRoutines{FakeStart, FakePlay, FakeTicks, FakeStop, FakeFree};

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetWorld();
    test::InstallFakes();
    music = VirtualMusic{};
    ConfigureMusic(MusicOptions{}, VirtualMusicRoutines);
    StartMusic(ShowMusic, 44100, false, false, true);
    SetMusicScale(120);
    PlayMusic(false);
  }
  void TearDown() override { FreeMusic(); }

  void Press(ViewerAction action, double seconds = 0.0) {
    controls.Apply({.action = action, .seconds = seconds});
  }
  // The scene RenderTimeline draws at t.
  static std::string SceneAt(float t) {
    test::World().scenes.clear();
    RenderTimeline(t, test::World().frameBuffer.data(), ClassicFrame);
    return test::World().scenes.empty() ? "none" : test::World().scenes.front().scene;
  }

  ViewerControls controls;
};

TEST_F(Controls, TargetsClampToTheShowAndStepByOneFrame) {
  const float end = static_cast<float>(TimelineEnd);
  const float lastSlot = TimelineSlotStart(TimelineSlotCount() - 1);
  const float afterLast = static_cast<float>(TimelineLastDrawn) + 10.0f;
  struct Case {
    ViewerAction action;
    double seconds;
    float now;
    float target;
  };
  const Case cases[] = {
      {ViewerAction::SeekBy, 5.0, 1200.0f, 1800.0f},
      {ViewerAction::SeekBy, -1.0, 1200.0f, 1080.0f},
      {ViewerAction::SeekBy, -5.0, 300.0f, 0.0f},          // clamped at the start
      {ViewerAction::SeekBy, 5.0, end - 120.0f, end},      // clamped at the end bound
      {ViewerAction::SeekTo, 47.4, 0.0f, 5688.0f},         // 47.4 x 120
      {ViewerAction::SeekTo, 500.0, 0.0f, end},
      {ViewerAction::SeekTo, -3.0, 900.0f, 0.0f},
      {ViewerAction::StepForward, 0.0, 1200.5f, 1202.5f},  // 1/60 s is exactly 2 ticks
      {ViewerAction::StepBack, 0.0, 1200.5f, 1198.5f},
      {ViewerAction::StepBack, 0.0, 1.0f, 0.0f},
      {ViewerAction::ToStart, 0.0, 9000.0f, 0.0f},
      {ViewerAction::NextSlot, 0.0, afterLast, end},  // after the last slot: the end
      {ViewerAction::PreviousSlot, 0.0, afterLast, lastSlot},
      {ViewerAction::PreviousSlot, 0.0, 100.0f, 0.0f},
      {ViewerAction::PlayPause, 0.0, 777.0f, 777.0f},
      {ViewerAction::ToggleStatus, 0.0, 777.0f, 777.0f},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ViewerTarget({.action = c.action, .seconds = c.seconds}, c.now), c.target)
        << static_cast<int>(c.action) << " from " << c.now;
  }
}

TEST_F(Controls, SlotJumpsLandOnTheFirstFrameOfEachSlot) {
  const int count = TimelineSlotCount();
  ASSERT_GT(count, 1);
  float t = 0.0f;
  for (int i = 1; i < count; ++i) {
    const float landed = ViewerTarget({.action = ViewerAction::NextSlot}, t);
    const TimelineSlot& slot = TimelineSlotAt(i);
    EXPECT_GE(static_cast<long double>(landed), slot.begin) << i;
    EXPECT_EQ(TimelineSlotIndexAt(landed), i) << i;
    // The single below is still the slot before: the jump lands on the
    // slot's very first frame.
    EXPECT_EQ(TimelineSlotIndexAt(std::nextafter(landed, 0.0f)), i - 1) << i;
    EXPECT_EQ(SceneAt(landed), slot.module->name) << i;
    // Back from anywhere inside slot i + 1 (here its first frame) lands here.
    if (i + 1 < count) {
      EXPECT_EQ(ViewerTarget({.action = ViewerAction::PreviousSlot},
                             TimelineSlotStart(i + 1)),
                landed);
    }
    t = landed;
  }
}

TEST_F(Controls, PauseHoldsTheClockAndSeeksLandExactly) {
  music.now = 10.0;
  EXPECT_EQ(MusicTime(), 1200.0f);
  Press(ViewerAction::PlayPause);
  ASSERT_TRUE(MusicPaused());
  music.now = 15.0;  // five seconds paused
  EXPECT_EQ(MusicTime(), 1200.0f);
  // Steps while paused move by one frame each and stay held.
  Press(ViewerAction::StepForward);
  Press(ViewerAction::StepForward);
  Press(ViewerAction::StepBack);
  EXPECT_EQ(MusicTime(), 1202.0f);
  music.now = 16.0;
  EXPECT_EQ(MusicTime(), 1202.0f);

  // Resume plays on from the held moment, not from where the music stopped.
  Press(ViewerAction::PlayPause);
  EXPECT_FALSE(MusicPaused());
  ASSERT_FALSE(music.plays.empty());
  EXPECT_DOUBLE_EQ(music.plays.back(), 1202.0 / 120.0);
  music.now = 17.0;
  EXPECT_NEAR(MusicTime(), 1322.0f, 3e-3f);  // within an output frame

  // A seek to a moment that is no whole output frame reads that moment at
  // once, although the output started a hair before it.
  const float slotFive = TimelineSlotStart(4);
  Press(ViewerAction::SeekTo, static_cast<double>(slotFive) / 120.0);
  EXPECT_EQ(MusicTime(), slotFive);
  EXPECT_EQ(SceneAt(MusicTime()), "box");
  music.now = 17.5;
  EXPECT_NEAR(MusicTime(), slotFive + 60.0f, 3e-3f);

  // Stepping while playing does nothing; a seek back is the one way back.
  const float before = MusicTime();
  Press(ViewerAction::StepBack);
  EXPECT_EQ(MusicTime(), before);
  Press(ViewerAction::ToStart);
  EXPECT_EQ(MusicTime(), 0.0f);
  Press(ViewerAction::Pause);
  Press(ViewerAction::Pause);  // a second pause changes nothing
  music.now = 30.0;
  EXPECT_EQ(MusicTime(), 0.0f);
  Press(ViewerAction::Play);
  music.now = 31.0;
  EXPECT_NEAR(MusicTime(), 120.0f, 3e-3f);
}

TEST_F(Controls, TheStatusLineGoesToTheLetterboxOnly) {
  // The slot as the show has it: its place, the count and its module.
  const int slot = TimelineSlotIndexAt(5688.0f);
  const std::string named = std::to_string(slot + 1) + "/" + std::to_string(TimelineSlotCount()) +
                            " " + TimelineSlotAt(slot).module->name;
  EXPECT_EQ(std::string(StatusLineText(5688.0f, ClassicFrame, true, 59.9, 3.31).data()),
            "00:47.40  SLOT " + named + "  320x200  60 FPS  3.3 MS  PAUSED");
  EXPECT_STREQ(StatusLineText(14450.0f, PackedFrame(1920, 1080), false, 60.0, 1.0).data(),
               "02:00.41  SLOT -  1920x1080  60 FPS  1.0 MS");

  ConfigureVideo(VideoOptions{});
  ASSERT_EQ(StartVideo(), 0);
  std::uint32_t* fb = FrameBuffer();
  for (std::size_t i = 0; i < ScreenWidth * ScreenHeight; ++i) fb[i] = 0x00102030;
  const auto bottomLit = [] {
    const std::uint8_t* surface = PresentedSurface();
    const std::uint8_t* strip = surface + std::size_t{ScreenHeight + LetterboxRows} * 1280;
    int lit = 0;
    for (std::size_t i = 0; i < std::size_t{LetterboxRows} * 1280; ++i) lit += strip[i] != 0;
    return lit;
  };
  ViewerControls shown;
  shown.Apply({.action = ViewerAction::ToggleStatus});
  ASSERT_TRUE(shown.StatusShown());
  shown.MomentGiven(5688.0f);
  shown.FrameDrawn(5688.0f);
  PresentFrame();
  EXPECT_GT(bottomLit(), 100);
  // The image rows and the frame buffer are the picture alone.
  for (std::size_t i = 0; i < ScreenWidth * ScreenHeight; ++i) ASSERT_EQ(fb[i], 0x00102030u);
  shown.Apply({.action = ViewerAction::ToggleStatus});
  shown.FrameDrawn(5690.0f);
  PresentFrame();
  EXPECT_EQ(bottomLit(), 0);
  StopVideo();
}

// The figures' three lines, each within the classic strip's 52 characters
// at a large frame's counts (faces of a scene have four digits); the status key counts them while
// the line shows, and only then.
TEST_F(Controls, TheFiguresFitTheStripAndAreCountedOnlyWhileTheLineShows) {
  PipelineFigures large{.drawn3d = true,
                        .objectsDrawn = 123,
                        .objectsCulled = 45,
                        .polygonsDrawn = 5432,
                        .polygonsBackFacing = 6001,
                        .polygonsClipped = 987,
                        .clipVertices = 1502,
                        .pixelsFilled = 4147200,
                        .pixelsCovered = 2073600};
  large.milliseconds = {0.024, 0.005, 0.61, 1.234, 15.5, 3.0};
  const FiguresText text = FiguresStatusText(large);
  EXPECT_EQ(text.counts, "OBJ 123 CULL 45 POLY 5432 BACK 6001 CLIP 987 +V 1502");
  EXPECT_EQ(text.fills, "FILLED 4147200 PX  OVERDRAW 2.00");
  EXPECT_EQ(text.stages, "TRK .02 HIE .01 CUL .61 CLP 1.23 FIL 15.5 2D 3.00 MS");
  EXPECT_EQ(text.Joined(), text.counts + "\n" + text.fills + "\n" + text.stages);
  const std::size_t widest = (ScreenWidth - 4) / 6;
  for (const std::string& line : {text.counts, text.fills, text.stages})
    EXPECT_LE(line.size(), widest) << line;

  ViewerControls shown;
  EXPECT_FALSE(PipelineFiguresCounted());
  shown.Apply({.action = ViewerAction::ToggleStatus});
  EXPECT_TRUE(PipelineFiguresCounted());
  shown.Apply({.action = ViewerAction::ToggleStatus});
  EXPECT_FALSE(PipelineFiguresCounted());
}

std::vector<std::string> toldLines;
void KeepLine(const char* line);

// The screenshot key writes the frame shown, at its own size and as the
// PNG writer writes it, into the pictures folder under the moment's name,
// never over a file that is there; the status strip names it for a while.
TEST_F(Controls, TheScreenshotKeyWritesTheFrameShownIntoThePicturesFolder) {
  EXPECT_EQ(ScreenshotFileName(0.0f), "vx1-00m00.00s.png");
  EXPECT_EQ(ScreenshotFileName(10014.0f), "vx1-01m23.45s.png");  // 83.45 s
  EXPECT_EQ(ScreenshotFileName(10014.0f, 2), "vx1-01m23.45s-2.png");

  test::TempDir pictures;
  ASSERT_EQ(setenv("XDG_PICTURES_DIR", pictures.Path().c_str(), 1), 0);
  ConfigureVideo(VideoOptions{});
  ASSERT_EQ(StartVideo(), 0);
  std::uint32_t* fb = FrameBuffer();
  for (std::size_t i = 0; i < ScreenWidth * ScreenHeight; ++i)
    fb[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0x00FFFFFFu;
  const std::string expected = pictures.File("expected.bin");
  ASSERT_TRUE(WritePng(expected.c_str(), fb, ScreenWidth, ScreenHeight));
  const std::string taken = pictures.File("vx1-01m23.45s.png");
  test::WriteTextFile(taken, "an earlier picture");

  ReportStatusTo(KeepLine);
  toldLines.clear();
  test::World().now = 1000;
  controls.Apply({.action = ViewerAction::Screenshot});  // nothing shown yet: nothing written
  controls.FrameDrawn(10014.0f);
  controls.Apply({.action = ViewerAction::Screenshot});
  const std::string written = pictures.File("vx1-01m23.45s-2.png");
  EXPECT_EQ(test::ReadFileBytes(written), test::ReadFileBytes(expected));
  const std::string earlier = "an earlier picture";
  EXPECT_EQ(test::ReadFileBytes(taken), test::Bytes(earlier.begin(), earlier.end()));
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(pictures.Path()))
    ++files;
  EXPECT_EQ(files, 3u);

  // Shown with the status line off, then gone after its time.
  controls.FrameDrawn(10014.0f);
  ASSERT_FALSE(toldLines.empty());
  EXPECT_THAT(toldLines.back(), ::testing::HasSubstr("SCREENSHOT "));
  EXPECT_THAT(toldLines.back(), ::testing::EndsWith("/vx1-01m23.45s-2.png"));
  test::World().now += 5000;
  controls.FrameDrawn(10016.0f);
  EXPECT_EQ(toldLines.back(), "");
  const std::size_t told = toldLines.size();
  controls.FrameDrawn(10018.0f);
  EXPECT_EQ(toldLines.size(), told);
  ReportStatusTo(nullptr);
  StopVideo();
  unsetenv("XDG_PICTURES_DIR");
}

// The status lines the controls tell, as the page receives them.
void KeepLine(const char* line) {
  toldLines.emplace_back(line);
}

// The view key steps through every view in the table's order and back to
// the frame, moving neither the clock nor the pause; the strip names each
// view for a while, and the status line says it as long as it is on.
TEST_F(Controls, TheViewKeyStepsThroughTheViewsAndTheStatusLineNamesThem) {
  EXPECT_EQ(ViewStatusText(PipelineView::Frame, {.culled = "Box", .clipVertices = 3}), "");
  EXPECT_EQ(ViewStatusText(PipelineView::Depth, {.culled = "Box", .clipVertices = 3}),
            "  VIEW depth");
  EXPECT_EQ(ViewStatusText(PipelineView::Wire, {.culled = "Box Far Tree", .clipVertices = 12}),
            "  VIEW wire  CLIPPED 12  CULLED Box Far Tree");
  EXPECT_EQ(ViewStatusText(PipelineView::Wire, {}), "  VIEW wire  CLIPPED 0  CULLED -");

  ConfigureVideo(VideoOptions{});
  ASSERT_EQ(StartVideo(), 0);
  ReportStatusTo(KeepLine);
  toldLines.clear();
  UsePipelineView(PipelineView::Frame);
  Press(ViewerAction::PlayPause);
  const float held = MusicTime();
  test::World().now = 1000;
  PipelineView expected = PipelineView::Frame;
  for (std::size_t i = 0; i < PipelineViews().size(); ++i) {
    Press(ViewerAction::NextView);
    expected = NextPipelineView(expected);
    EXPECT_EQ(PipelineViewInUse(), expected);
    controls.FrameDrawn(held);
    ASSERT_FALSE(toldLines.empty());
    EXPECT_EQ(toldLines.back(), "VIEW " + std::string(PipelineViewOf(expected).name));
  }
  EXPECT_EQ(PipelineViewInUse(), PipelineView::Frame) << "a whole round";
  EXPECT_EQ(MusicTime(), held);
  EXPECT_TRUE(MusicPaused());

  // With the status line on, once the notice has gone: the line and the view.
  Press(ViewerAction::NextView);
  Press(ViewerAction::NextView);
  Press(ViewerAction::NextView);  // depth
  Press(ViewerAction::ToggleStatus);
  test::World().now += 5000;
  controls.FrameDrawn(held);
  EXPECT_THAT(toldLines.back(), ::testing::StartsWith("00:"));
  EXPECT_THAT(toldLines.back(), ::testing::EndsWith("PAUSED  VIEW depth"));
  UsePipelineView(PipelineView::Frame);
  ReportStatusTo(nullptr);
  StopVideo();
}

// Frames timed on the driver's millisecond counter (the fake's, moved by
// hand): each case repeats its intervals and drawing times, in
// milliseconds, and from line `steadyFrom` on every line shows its figures.
// The first line has no interval yet; at 60 Hz the counter's whole
// milliseconds (16, 17, 17) give the rate once the window holds whole
// cycles of them. One case starts just before the counter wraps.
TEST_F(Controls, TheStatusLineShowsTheFramesRateAndDrawingTime) {
  struct Case {
    std::uint32_t start;
    std::vector<std::uint32_t> intervals, drawings;
    std::size_t steadyFrom;
    const char* figures;
  };
  const Case cases[] = {
      {.start = 1000,
       .intervals = {20},
       .drawings = {5},
       .steadyFrom = 1,
       .figures = "320x200  50 FPS  5.0 MS"},
      {.start = 1000,
       .intervals = {40},
       .drawings = {12},
       .steadyFrom = 1,
       .figures = "320x200  25 FPS  12.0 MS"},
      {.start = 0xFFFFFF00u,
       .intervals = {10},
       .drawings = {1},
       .steadyFrom = 1,
       .figures = "320x200  100 FPS  1.0 MS"},
      {.start = 5000,
       .intervals = {16, 17, 17},
       .drawings = {3, 4, 3},
       .steadyFrom = 30,
       .figures = "320x200  60 FPS  3.3 MS"},
  };
  ConfigureVideo(VideoOptions{});
  ASSERT_EQ(StartVideo(), 0);
  ReportStatusTo(KeepLine);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.figures);
    toldLines.clear();
    test::World().now = c.start;
    ViewerControls timed;
    timed.Apply({.action = ViewerAction::ToggleStatus});
    for (std::size_t frame = 0; frame < 100; ++frame) {
      const std::uint32_t drawing = c.drawings[frame % c.drawings.size()];
      timed.MomentGiven(1000.0f);
      test::World().now += drawing;
      timed.FrameDrawn(1000.0f);
      test::World().now += c.intervals[frame % c.intervals.size()] - drawing;
    }
    ASSERT_EQ(toldLines.size(), 100u);
    EXPECT_THAT(toldLines[0], ::testing::HasSubstr("  - FPS  "));
    for (std::size_t k = c.steadyFrom; k < toldLines.size(); ++k) {
      ASSERT_THAT(toldLines[k], ::testing::EndsWith(c.figures)) << "line " << k;
    }
  }
  ReportStatusTo(nullptr);
  StopVideo();
}

}  // namespace
}  // namespace vx
