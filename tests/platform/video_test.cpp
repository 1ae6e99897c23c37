// Video output: the letterboxed copy, the headless backend's lifecycle, the
// SDL backend on SDL's dummy driver (no display needed), and the result-code
// texts.
#include "platform/video.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "platform/video_backends.h"

namespace vx {
namespace {

constexpr std::uint32_t ImageRows = 200;
constexpr std::uint32_t RowBytes = 1280;

// A frame buffer whose every byte differs from its neighbours' and from 0.
std::vector<std::uint32_t> PatternFrame() {
  std::vector<std::uint32_t> frame(FrameBufferBytes / 4);
  for (std::uint32_t i = 0; i < frame.size(); ++i) frame[i] = 0x01000000u * (i % 251 + 1) + i;
  return frame;
}

// Checks a 320 x 240 surface of this pitch against the letterbox rule; bytes
// beyond 1280 in a row must still hold fill.
void ExpectLetterboxed(const std::uint8_t* surface, std::uint32_t pitch, const std::uint32_t* frame,
                       std::uint8_t fill) {
  const auto* image = reinterpret_cast<const std::uint8_t*>(frame);
  for (std::uint32_t y = 0; y < SurfaceHeight; ++y) {
    const std::uint8_t* row = surface + std::size_t{y} * pitch;
    if (y < LetterboxRows || y >= LetterboxRows + ImageRows) {
      for (std::uint32_t x = 0; x < RowBytes; ++x) ASSERT_EQ(row[x], 0) << "row " << y;
    } else {
      ASSERT_EQ(std::memcmp(row, image + std::size_t{y - LetterboxRows} * RowBytes, RowBytes), 0)
          << "row " << y;
    }
    for (std::uint32_t x = RowBytes; x < pitch; ++x) ASSERT_EQ(row[x], fill) << "row " << y;
  }
}

TEST(LetterboxCopy, TwentyBlackRowsTheImageAndTwentyBlackRowsAtPitch1280) {
  auto frame = PatternFrame();
  std::vector<std::uint8_t> surface(std::size_t{RowBytes} * SurfaceHeight, 0x5A);
  CopyFrameToSurface(frame.data(), ClassicFrame, surface.data(), RowBytes);
  ExpectLetterboxed(surface.data(), RowBytes, frame.data(), 0x5A);
}

// Full screen leaves the classic letterbox out only while the status line
// is off and only where the picture then gets a larger whole scale.
TEST(LetterboxCopy, FullScreenShowsTheImageRowsAloneOnlyWhereThatScalesItLarger) {
  struct Case {
    FrameSize frame;
    int outWidth, outHeight;
    bool status;
    std::uint32_t rows;
  };
  const Case cases[] = {
      {.frame = ClassicFrame, .outWidth = 1920, .outHeight = 1080, .status = false, .rows = 200},
      {.frame = ClassicFrame, .outWidth = 1920, .outHeight = 1080, .status = true, .rows = 240},
      {.frame = ClassicFrame, .outWidth = 1920, .outHeight = 1200, .status = false, .rows = 200},
      {.frame = ClassicFrame, .outWidth = 1280, .outHeight = 1024, .status = false, .rows = 240},
      {.frame = ClassicFrame, .outWidth = 1280, .outHeight = 720, .status = false, .rows = 240},
      {.frame = ClassicFrame, .outWidth = 0, .outHeight = 0, .status = false, .rows = 240},
      {.frame = {.width = 1920, .height = 1080, .pitch = 1920},
       .outWidth = 1920,
       .outHeight = 1080,
       .status = false,
       .rows = 1080},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RowsShown(SurfaceLayoutOf(c.frame), c.outWidth, c.outHeight, c.status), c.rows)
        << c.outWidth << "x" << c.outHeight << (c.status ? " with" : " without")
        << " the status line, frame " << c.frame.width << "x" << c.frame.height;
  }
}

TEST(LetterboxCopy, LargerPitchStartsEachRowAtItsPitchAndLeavesThePaddingAlone) {
  auto frame = PatternFrame();
  for (std::uint32_t pitch : {1284u, 1344u, 2048u}) {
    // Exactly pitch x 240 bytes on the heap: a row written past its end is
    // caught by the address sanitizer builds.
    std::vector<std::uint8_t> surface(std::size_t{pitch} * SurfaceHeight, 0xC3);
    CopyFrameToSurface(frame.data(), ClassicFrame, surface.data(), pitch);
    ExpectLetterboxed(surface.data(), pitch, frame.data(), 0xC3);
  }
}

TEST(LetterboxCopy, OnlyTheFirst64000PixelsAreRead) {
  auto frame = PatternFrame();
  auto changed = frame;
  for (std::size_t i = 64000; i < changed.size(); ++i) changed[i] = 0xFFFFFFFFu;
  std::vector<std::uint8_t> a(std::size_t{RowBytes} * SurfaceHeight);
  std::vector<std::uint8_t> b(a.size());
  CopyFrameToSurface(frame.data(), ClassicFrame, a.data(), RowBytes);
  CopyFrameToSurface(changed.data(), ClassicFrame, b.data(), RowBytes);
  EXPECT_EQ(a, b);
}

class HeadlessVideoTest : public ::testing::Test {
 protected:
  void SetUp() override { ConfigureVideo(VideoOptions{}); }
  void TearDown() override { StopVideo(); }
};

TEST_F(HeadlessVideoTest, FrameBufferExistsOnlyBetweenStartAndStop) {
  EXPECT_EQ(FrameBuffer(), nullptr);
  ASSERT_EQ(StartVideo(), 0);
  ASSERT_NE(FrameBuffer(), nullptr);
  // The whole 307200-byte block is usable.
  std::memset(FrameBuffer(), 0x77, FrameBufferBytes);
  EXPECT_EQ(StopVideo(), 0);
  EXPECT_EQ(FrameBuffer(), nullptr);
}

TEST_F(HeadlessVideoTest, PresentingCountsFramesAndKeepsTheLetterboxedSurface) {
  ASSERT_EQ(StartVideo(), 0);
  EXPECT_EQ(PresentedFrameCount(), 0u);
  EXPECT_EQ(PresentedSurface(), nullptr);
  auto frame = PatternFrame();
  std::memcpy(FrameBuffer(), frame.data(), FrameBufferBytes);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(PresentFrame(), 0);
  EXPECT_EQ(PresentedFrameCount(), 3u);
  ASSERT_NE(PresentedSurface(), nullptr);
  ExpectLetterboxed(PresentedSurface(), RowBytes, frame.data(), 0);

  // A restart starts counting again.
  StopVideo();
  ASSERT_EQ(StartVideo(), 0);
  EXPECT_EQ(PresentedFrameCount(), 0u);
}

TEST_F(HeadlessVideoTest, NoQuitWithoutARequestThenQuitUntilTheNextStart) {
  ASSERT_EQ(StartVideo(), 0);
  EXPECT_FALSE(PumpMessages());
  EXPECT_FALSE(PumpMessages());
  PostQuit();
  EXPECT_TRUE(PumpMessages());
  EXPECT_TRUE(PumpMessages());
  StopVideo();
  ASSERT_EQ(StartVideo(), 0);
  EXPECT_FALSE(PumpMessages());
}

TEST_F(HeadlessVideoTest, ABackendChosenWhileRunningTakesOverAtTheNextStart) {
  ASSERT_EQ(StartVideo(), 0);
  VideoOptions sdl;
  sdl.backend = VideoBackend::Sdl;
  ConfigureVideo(sdl);
  // Still the headless backend that was started: it presents and keeps the
  // surface, and stops what it started.
  EXPECT_EQ(PresentFrame(), 0);
  EXPECT_NE(PresentedSurface(), nullptr);
  EXPECT_EQ(StopVideo(), 0);
  ConfigureVideo(VideoOptions{});
  ASSERT_EQ(StartVideo(), 0);
  EXPECT_EQ(PresentedSurface(), nullptr);
}

TEST_F(HeadlessVideoTest, TheBrowserBackendRefusesToStartInThisBuild) {
  VideoOptions web;
  web.backend = VideoBackend::Web;
  ConfigureVideo(web);
  ::testing::internal::CaptureStderr();
  EXPECT_NE(StartVideo(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Ventrix Video System: this build has no browser page\n");
  EXPECT_EQ(FrameBuffer(), nullptr);
  EXPECT_EQ(PresentFrame(), static_cast<int>(VideoGenericFailure));
}

TEST_F(HeadlessVideoTest, PresentingWithoutStartFailsAndCountsNothing) {
  EXPECT_NE(PresentFrame(), 0);
  EXPECT_EQ(PresentedFrameCount(), 0u);
}

// The SDL backend on SDL's dummy video driver: a real window object and
// renderer without a display.
class SdlVideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    VideoOptions options;
    options.backend = VideoBackend::Sdl;
    options.fullScreen = false;
    options.scale = 2;
    options.vsync = false;
    ConfigureVideo(options);
  }
  void TearDown() override {
    StopVideo();
    ConfigureVideo(VideoOptions{});
    unsetenv("SDL_VIDEODRIVER");
  }

  // The one live window (window IDs grow with every window made).
  static SDL_Window* LiveWindow() {
    for (Uint32 id = 1; id < 10000; ++id) {
      if (SDL_Window* window = SDL_GetWindowFromID(id)) return window;
    }
    return nullptr;
  }

  static void PushKey(SDL_Keycode key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }
};

TEST_F(SdlVideoTest, StartPresentStopOnTheDummyDriver) {
  ASSERT_EQ(StartVideo(), 0);
  ASSERT_NE(FrameBuffer(), nullptr);
  SDL_Window* window = LiveWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_STREQ(SDL_GetWindowTitle(window), "VVS window");
  auto frame = PatternFrame();
  std::memcpy(FrameBuffer(), frame.data(), FrameBufferBytes);
  EXPECT_EQ(PresentFrame(), 0);
  EXPECT_EQ(PresentFrame(), 0);
  EXPECT_EQ(PresentedFrameCount(), 2u);
  EXPECT_EQ(StopVideo(), 0);
  EXPECT_EQ(FrameBuffer(), nullptr);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(SdlVideoTest, OtherKeysDoNothingAndEscapeQuits) {
  ASSERT_EQ(StartVideo(), 0);
  // Keys pressed while nothing pumps (loading) wait for the first pump.
  PushKey(SDLK_a);
  PushKey(SDLK_SPACE);
  EXPECT_FALSE(PumpMessages());
  PushKey(SDLK_RETURN);
  PushKey(SDLK_ESCAPE);
  EXPECT_TRUE(PumpMessages());
  EXPECT_TRUE(PumpMessages());
}

TEST_F(SdlVideoTest, ClosingTheWindowQuits) {
  ASSERT_EQ(StartVideo(), 0);
  EXPECT_FALSE(PumpMessages());
  SDL_Event event{};
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  ASSERT_NE(LiveWindow(), nullptr);
  event.window.windowID = SDL_GetWindowID(LiveWindow());
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  EXPECT_TRUE(PumpMessages());
}

TEST_F(SdlVideoTest, QuitEventAndPostQuitBothEndTheShow) {
  ASSERT_EQ(StartVideo(), 0);
  SDL_Event event{};
  event.type = SDL_QUIT;
  ASSERT_EQ(SDL_PushEvent(&event), 1);
  EXPECT_TRUE(PumpMessages());
  StopVideo();
  ASSERT_EQ(StartVideo(), 0);
  EXPECT_FALSE(PumpMessages());
  PostQuit();
  EXPECT_TRUE(PumpMessages());
}

TEST_F(SdlVideoTest, FailedSetUpReportsTheStepAndLeavesNothingBehind) {
  setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
  ::testing::internal::CaptureStderr();
  const int code = StartVideo();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(code, 0);
  EXPECT_EQ(FrameBuffer(), nullptr);
  EXPECT_NE(err.find("FAILED: "), std::string::npos) << err;
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  EXPECT_NE(PresentFrame(), 0);
}

// Each set-up step after the window, refused in turn by the test's own
// table, whose set-up calls and message box stand in for SDL's: the box and the first line of
// standard error are the step's text, ": " and the text of the code returned; SDL's reason follows
// on a second line; nothing is left behind.
struct SetupStep {
  const char* name;
  const char* failureText;
};

int refusedStep = -1;  // index into setupSteps
std::vector<std::string> boxes;

bool Refuse(int step) {
  if (refusedStep != step) return false;
  SDL_SetError("refused by the test");
  return true;
}
const sdl_video::SetupCalls& real = sdl_video::RealSetupCalls;
const sdl_video::SetupCalls refusingCalls{
    [](SDL_Window* window, int index, std::uint32_t flags) {
      return Refuse(0) ? nullptr : real.createRenderer(window, index, flags);
    },
    [](SDL_Window* window, std::uint32_t flags) {
      return Refuse(1) ? -1 : real.setWindowFullscreen(window, flags);
    },
    [](SDL_Renderer* renderer, int width, int height) {
      return Refuse(2) ? -1 : real.setLogicalSize(renderer, width, height);
    },
    [](SDL_Renderer* renderer, std::uint32_t format, int access, int width, int height) {
      return Refuse(3) ? nullptr : real.createTexture(renderer, format, access, width, height);
    },
};
const VideoRoutines refusingSdlVideo{
    [](const VideoOptions& options, const FrameSize& size) {
      return sdl_video::Start(options, size, refusingCalls);
    },
    SdlVideo.present,
    SdlVideo.pump,
    SdlVideo.stop,
    SdlVideo.surface,
    [](std::string_view caption, std::string_view text) {
      boxes.push_back(std::string(caption) + " | " + std::string(text));
      return true;
    },
};

const SetupStep setupSteps[] = {
    {"Renderer", "DirectDrawCreateEx FAILED"},
    {"FullScreen", "SetCooperativeLevel FAILED"},
    {"LogicalSize", "SetDisplayMode FAILED"},
    {"Texture", "CreateSurface FAILED"},
};

class SdlSetupFailure : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    VideoOptions options;
    options.fullScreen = true;  // every step runs
    options.vsync = false;
    ConfigureVideo(options, refusingSdlVideo);
    boxes.clear();
  }
  void TearDown() override {
    refusedStep = -1;
    StopVideo();
    ConfigureVideo(VideoOptions{});
    unsetenv("SDL_VIDEODRIVER");
  }
};

TEST_P(SdlSetupFailure, ReportsTheStepAndTheCodesText) {
  const SetupStep& step = setupSteps[GetParam()];
  ASSERT_EQ(StartVideo(), 0) << "every step succeeds when none is refused";
  StopVideo();
  EXPECT_TRUE(boxes.empty());

  refusedStep = GetParam();
  ::testing::internal::CaptureStderr();
  const int code = StartVideo();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(static_cast<std::uint32_t>(code), VideoGenericFailure);
  const std::string message =
      std::string(step.failureText) + ": " + std::string(DirectDrawErrorText(VideoGenericFailure));
  EXPECT_EQ(err, "Ventrix Video System: " + message + "\nSDL: refused by the test\n");
  EXPECT_EQ(boxes, std::vector<std::string>{"Ventrix Video System | " + message});
  EXPECT_EQ(FrameBuffer(), nullptr);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  EXPECT_NE(PresentFrame(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryLaterStep, SdlSetupFailure, ::testing::Range(0, 4),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(setupSteps[info.param].name);
                         });

// ---- frames of other sizes ------------------------------------------------

TEST(SurfaceLayout, ClassicKeepsItsLetterboxOthersAreTheFrameWithAScaledStrip) {
  struct Row {
    FrameSize size;
    SurfaceLayout layout;
  };
  // Hand-computed: k = max(1, height / 200), the strip the bottom 20 k rows.
  const Row rows[] = {
      {ClassicFrame,
       {.width = 320,
        .height = 240,
        .imageTop = 20,
        .stripTop = 220,
        .stripRows = 20,
        .textScale = 1}},
      {PackedFrame(1920, 1080),
       {.width = 1920,
        .height = 1080,
        .imageTop = 0,
        .stripTop = 980,
        .stripRows = 100,
        .textScale = 5}},
      {PackedFrame(640, 400),
       {.width = 640,
        .height = 400,
        .imageTop = 0,
        .stripTop = 360,
        .stripRows = 40,
        .textScale = 2}},
      {PackedFrame(640, 200),
       {.width = 640,
        .height = 200,
        .imageTop = 0,
        .stripTop = 180,
        .stripRows = 20,
        .textScale = 1}},
      // 2160 / 200 = 10.8: k = 10, the strip 200 rows from row 1960.
      {PackedFrame(3840, 2160),
       {.width = 3840,
        .height = 2160,
        .imageTop = 0,
        .stripTop = 1960,
        .stripRows = 200,
        .textScale = 10}},
  };
  for (const Row& row : rows) {
    const SurfaceLayout got = SurfaceLayoutOf(row.size);
    const std::string at = std::to_string(row.size.width) + "x" + std::to_string(row.size.height);
    EXPECT_EQ(got.width, row.layout.width) << at;
    EXPECT_EQ(got.height, row.layout.height) << at;
    EXPECT_EQ(got.imageTop, row.layout.imageTop) << at;
    EXPECT_EQ(got.stripTop, row.layout.stripTop) << at;
    EXPECT_EQ(got.stripRows, row.layout.stripRows) << at;
    EXPECT_EQ(got.textScale, row.layout.textScale) << at;
  }
}

// The reference copy for a frame that is not classic: surface row y is
// frame row y (rows pitch words apart), except the strip rows while a strip
// is shown.
std::vector<std::uint8_t> ReferenceSurface(const std::vector<std::uint32_t>& frame,
                                           const FrameSize& size, std::uint32_t pitchBytes,
                                           std::uint8_t fill, const std::uint32_t* strip,
                                           std::uint32_t stripTop) {
  std::vector<std::uint8_t> out(std::size_t{pitchBytes} * static_cast<std::uint32_t>(size.height),
                                fill);
  for (std::int32_t y = 0; y < size.height; ++y) {
    for (std::int32_t x = 0; x < size.width; ++x) {
      const std::uint32_t word =
          strip != nullptr && static_cast<std::uint32_t>(y) >= stripTop
              ? strip[(static_cast<std::uint32_t>(y) - stripTop) * size.width + x]
              : frame[static_cast<std::size_t>(y) * size.pitch + x];
      std::memcpy(&out[std::size_t{pitchBytes} * y + 4u * x], &word, 4);
    }
  }
  return out;
}

TEST(SurfaceCopy, AnotherSizeIsCopiedRowByRowAtBothPitchesWithoutALetterbox) {
  // A frame whose rows are 656 words apart (the 16 words after each row
  // belong to nobody and must not reach the surface), onto surfaces of 2560
  // and 2600 bytes a row (the last 40 bytes of the wider one left alone).
  const FrameSize size{640, 400, 656};
  std::vector<std::uint32_t> frame(FrameWords(size));
  for (std::uint32_t i = 0; i < frame.size(); ++i) frame[i] = 0x01000000u * (i % 251 + 1) + i;
  for (std::uint32_t pitch : {640u * 4, 2600u}) {
    std::vector<std::uint8_t> surface(std::size_t{pitch} * 400, 0xC3);
    CopyFrameToSurface(frame.data(), size, surface.data(), pitch);
    EXPECT_EQ(surface, ReferenceSurface(frame, size, pitch, 0xC3, nullptr, 0)) << pitch;
  }
}

class HeadlessSizes : public ::testing::Test {
 protected:
  void SetUp() override { ConfigureVideo(VideoOptions{}); }
  void TearDown() override { StopVideo(); }
};

TEST_F(HeadlessSizes, StartsAtASizePresentsItAndResizesBothWays) {
  const FrameSize wide = PackedFrame(640, 360);
  EXPECT_EQ(NativeFrameSize(), ClassicFrame);  // no display
  ASSERT_EQ(StartVideo(wide), 0);
  EXPECT_EQ(VideoFrameSize(), wide);
  std::vector<std::uint32_t> frame(FrameWords(wide));
  for (std::uint32_t i = 0; i < frame.size(); ++i) frame[i] = i * 2654435761u;
  // The whole frame is usable, and presenting shows exactly it.
  std::memcpy(FrameBuffer(), frame.data(), frame.size() * 4);
  ASSERT_EQ(PresentFrame(), 0);
  ASSERT_NE(PresentedSurface(), nullptr);
  EXPECT_EQ(std::memcmp(PresentedSurface(), frame.data(), frame.size() * 4), 0);

  // A status strip lies over the bottom 20 rows (k = 1) of the surface only.
  const SurfaceLayout layout = SurfaceLayoutOf(wide);
  std::vector<std::uint32_t> strip(std::size_t{layout.width} * layout.stripRows, 0x00ABCDEFu);
  SetStatusStrip(strip.data());
  ASSERT_EQ(PresentFrame(), 0);
  const auto expected = ReferenceSurface(frame, wide, 640 * 4, 0, strip.data(), layout.stripTop);
  EXPECT_EQ(std::memcmp(PresentedSurface(), expected.data(), expected.size()), 0);
  EXPECT_EQ(std::memcmp(FrameBuffer(), frame.data(), frame.size() * 4), 0);

  // The figures' strip lies over the top 20 rows, only while the status
  // strip shows; neither enters the frame buffer.
  std::vector<std::uint32_t> top(strip.size(), 0x00123456u);
  SetTopStrip(top.data());
  ASSERT_EQ(PresentFrame(), 0);
  auto withTop = expected;
  std::memcpy(withTop.data(), top.data(), top.size() * 4);
  EXPECT_EQ(std::memcmp(PresentedSurface(), withTop.data(), withTop.size()), 0);
  EXPECT_EQ(std::memcmp(FrameBuffer(), frame.data(), frame.size() * 4), 0);
  SetStatusStrip(nullptr);
  ASSERT_EQ(PresentFrame(), 0);
  EXPECT_EQ(std::memcmp(PresentedSurface(), frame.data(), frame.size() * 4), 0);
  SetStatusStrip(strip.data());
  SetTopStrip(nullptr);
  ASSERT_EQ(PresentFrame(), 0);
  EXPECT_EQ(std::memcmp(PresentedSurface(), expected.data(), expected.size()), 0);

  // Back to the classic show: a black 307200-byte buffer, letterboxed, the
  // strip hidden until it is set again for the new size.
  ASSERT_EQ(ResizeVideo(ClassicFrame), 0);
  EXPECT_EQ(VideoFrameSize(), ClassicFrame);
  EXPECT_EQ(PresentedSurface(), nullptr) << "the old surface is no longer shown";
  auto classic = PatternFrame();
  std::memcpy(FrameBuffer(), classic.data(), FrameBufferBytes);
  ASSERT_EQ(PresentFrame(), 0);
  ExpectLetterboxed(PresentedSurface(), RowBytes, classic.data(), 0);
  EXPECT_EQ(PresentedFrameCount(), 6u);

  ASSERT_EQ(ResizeVideo(PackedFrame(1920, 1080)), 0);
  EXPECT_TRUE(std::all_of(FrameBuffer(), FrameBuffer() + 1920 * 1080,
                          [](std::uint32_t p) { return p == 0; }));
  StopVideo();
  EXPECT_EQ(VideoFrameSize(), ClassicFrame);
  EXPECT_NE(ResizeVideo(wide), 0) << "nothing to resize while stopped";
}

TEST_F(SdlVideoTest, AnotherSizeStartsPresentsAndSwitchesWithTheResolutionKey) {
  // The dummy display: native in a window is the classic frame at the
  // window scale that fits (2 asked); in full screen the desktop's size.
  SDL_InitSubSystem(SDL_INIT_VIDEO);
  SDL_DisplayMode desktop{};
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  SDL_Rect area{};
  ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &area), 0);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  const int fits = 640 + 16 <= area.w && 480 + 48 <= area.h ? 2 : 1;
  EXPECT_EQ(NativeFrameSize(), PackedFrame(320 * fits, 200 * fits));

  const FrameSize wide = PackedFrame(480, 270);
  ASSERT_EQ(StartVideo(wide), 0);
  EXPECT_EQ(VideoFrameSize(), wide);
  int w = 0, h = 0;
  SDL_GetWindowSize(LiveWindow(), &w, &h);
  EXPECT_EQ(w, 320 * fits);  // the classic window: 480 x 270 fits in it
  EXPECT_EQ(h, 240 * fits);
  std::fill_n(FrameBuffer(), FrameWords(wide), 0x00336699u);
  EXPECT_EQ(PresentFrame(), 0);
  PushKey(SDLK_r);
  EXPECT_FALSE(PumpMessages());
  ViewerInput input;
  ASSERT_TRUE(TakeViewerInput(input));
  EXPECT_EQ(input.action, ViewerAction::ToggleResolution);
  ASSERT_EQ(ResizeVideo(ClassicFrame), 0);
  EXPECT_EQ(PresentFrame(), 0);
  ASSERT_EQ(ResizeVideo(wide), 0);
  EXPECT_EQ(PresentFrame(), 0);
  EXPECT_EQ(PresentedFrameCount(), 3u);
  // Neither size needed a larger window.
  SDL_GetWindowSize(LiveWindow(), &w, &h);
  EXPECT_EQ(w, 320 * fits);
  EXPECT_EQ(h, 240 * fits);
  // A frame larger than the window makes it grow to that frame's window
  // (the frame itself, or less where the work area is smaller).
  const FrameSize large = PackedFrame(area.w / 2 * 2 - 100, 400 * fits);
  ASSERT_EQ(ResizeVideo(large), 0);
  SDL_GetWindowSize(LiveWindow(), &w, &h);
  // The work area less a usual window frame (16 x 48), the frame's shape kept.
  const double room =
      std::min(1.0, std::min((area.w - 16.0) / large.width, (area.h - 48.0) / large.height));
  EXPECT_EQ(w, static_cast<int>(large.width * room));
  EXPECT_EQ(h, static_cast<int>(large.height * room));
  std::fill_n(FrameBuffer(), FrameWords(large), 0x00FFFFFFu);
  EXPECT_EQ(PresentFrame(), 0);
  StopVideo();

  VideoOptions full;
  full.backend = VideoBackend::Sdl;
  full.fullScreen = true;
  full.vsync = false;
  ConfigureVideo(full);
  EXPECT_EQ(NativeFrameSize(), PackedFrame(desktop.w & ~1, desktop.h & ~1));
}

TEST(VideoErrorText, QuotedRowsAreExact) {
  EXPECT_EQ(DirectDrawErrorText(0x00000000u), "The request completed successfully.");
  EXPECT_EQ(DirectDrawErrorText(0x80004001u), "Action not supported.");
  EXPECT_EQ(DirectDrawErrorText(0x80004005u), "Generic failure.");
  EXPECT_EQ(DirectDrawErrorText(0x8007000Eu),
            "DirectDraw does not have enough memory to perform the operation.");
  EXPECT_EQ(DirectDrawErrorText(0x80070057u),
            "One or more of the parameters passed to the function are incorrect.");
  EXPECT_EQ(DirectDrawErrorText(0x88760078u), "DirectDraw does not support the requested mode.");
  EXPECT_EQ(DirectDrawErrorText(0x887600E1u),
            "Operation requires the application to have exclusive mode but the application "
            "does not have exclusive mode.");
  EXPECT_EQ(DirectDrawErrorText(0x887601C2u),
            "Access to this surface is being refused because the surface memory is gone. The "
            "DirectDrawSurface object representing this surface should have Restore called on "
            "it.");
  EXPECT_EQ(DirectDrawErrorText(0x8876021Cu),
            "Informs DirectDraw that the previous Blt which is transfering information to or "
            "from this Surface is incomplete.");
  EXPECT_EQ(DirectDrawErrorText(0x88760245u),
            "An attempt was made to set the cooperative level when it was already set to "
            "exclusive.");
  EXPECT_EQ(DirectDrawErrorText(0x8876024Eu), "The display is currently in an unsupported mode");
}

TEST(VideoErrorText, CodesOutsideTheTableAreUnrecognized) {
  for (std::uint32_t code : {0x00000001u, 0x88760000u, 0x88760001u, 0x88760229u, 0x88760251u,
                             0x887602BCu, 0x80004002u, 0xFFFFFFFFu}) {
    EXPECT_EQ(DirectDrawErrorText(code), "Unrecognized Error") << std::hex << code;
  }
}

TEST(VideoErrorText, EveryTableCodeHasATextOfItsOwn) {
  // The 108 error codes of the table, plus success.
  std::vector<std::uint32_t> codes = {
      0x00000000, 0x80004001, 0x80004005, 0x800401F0, 0x8007000E, 0x80070057, 0x88760005,
      0x8876000A, 0x88760014, 0x88760028, 0x88760037, 0x8876005A, 0x8876005F, 0x88760064,
      0x8876006E, 0x88760078, 0x88760082, 0x88760091, 0x88760096, 0x887600A0, 0x887600AA,
      0x887600B4, 0x887600CD, 0x887600D2, 0x887600D4, 0x887600D7, 0x887600DC, 0x887600E1,
      0x887600E6, 0x887600F0, 0x887600FA, 0x887600FF, 0x88760104, 0x8876010E, 0x88760118,
      0x88760122, 0x88760136, 0x8876013C, 0x8876013D, 0x88760140, 0x8876014A, 0x8876014F,
      0x88760154, 0x8876015E, 0x88760168, 0x8876017C, 0x8876017E, 0x88760180, 0x88760183,
      0x88760190, 0x8876019A, 0x887601A4, 0x887601AE, 0x887601B8, 0x887601C2, 0x887601CC,
      0x887601D6, 0x887601E0, 0x887601EA, 0x887601FE, 0x88760208, 0x88760209, 0x88760219,
      0x8876021C, 0x88760258, 0x88760259, 0x8876025A, 0x8876026C, 0x88760276, 0x88760280,
      0x88760294, 0x887602A8, 0x887602B2, 0x887602B3, 0x887602B7, 0x887602BB};
  for (std::uint32_t code = 0x88760230; code <= 0x88760250; ++code) codes.push_back(code);
  ASSERT_EQ(codes.size(), 109u);
  std::set<std::string_view> texts;
  for (std::uint32_t code : codes) {
    const std::string_view text = DirectDrawErrorText(code);
    EXPECT_NE(text, "Unrecognized Error") << std::hex << code;
    EXPECT_FALSE(text.empty()) << std::hex << code;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), codes.size());
}

}  // namespace
}  // namespace vx
