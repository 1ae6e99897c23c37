// The order of everything in a run: start-up, loading screen, main loop,
// shutdown, effect test, and the failure paths, against recording fakes on a
// virtual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/pixels.h"
#include "driver/driver.h"
#include "driver/fake_io.h"
#include "platform/picture.h"

namespace vx {
namespace {

using test::World;
using Calls = std::vector<std::string>;

class DriverRun : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetWorld();
    test::InstallFakes();
    // Every present takes one second: the fade-in then draws at c = 128,
    // 256 and leaves at 384; the fade-out draws at c = 128 and leaves at 256.
    World().presentStep = 1000;
  }

  static int Run(std::vector<const char*> args) {
    args.insert(args.begin(), "vx1");
    DriverOptions options;
    std::string error;
    EXPECT_TRUE(ParseCommandLine(static_cast<int>(args.size()), args.data(), options, error))
        << error;
    return RunDriver(options, {{"vx-1.lib"}});
  }

  // The calls of start-up up to the main loop in a normal run, with one
  // second per present.
  static Calls StartUp() {
    return {"OpenLibrary vx-1.lib", "StartVideo", "LoadPicture DATA\\loader.jpg",
            // fade-in: black, then black again at c = 128 (darkened by 255), c = 256, c = 384
            "PresentFrame black", "PresentFrame black", "PresentFrame dark 127",
            "PresentFrame picture", "LoadAllScenes @4000", "StartMusic DATA\\oompa.mp3 44100 00",
            // fade-out: the picture, c = 128, then black at c = 256
            "PresentFrame picture", "PresentFrame dark 128", "PresentFrame black",
            "PlayMusic 0 from 0 @7000"};
  }
  // The same for a start at a moment (--from): the loading picture at once,
  // and the music from that moment as soon as the scenes are loaded.
  static Calls StartUpAt(const std::string& from) {
    return {"OpenLibrary vx-1.lib",
            "StartVideo",
            "LoadPicture DATA\\loader.jpg",
            "PresentFrame picture",
            "LoadAllScenes @1000",
            "StartMusic DATA\\oompa.mp3 44100 00",
            "PlayMusic 0 from " + from + " @1000"};
  }

  static Calls Shutdown() {
    return {"StopMusic", "FreeMusic", "ReleasePicture loader", "FreeAllScenes", "StopVideo"};
  }

  static Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  }
};

TEST_F(DriverRun, NormalRunLoadsPlaysUntilTheEndBoundAndShutsDownInOrder) {
  World().musicTimes = {0.0f, 2000.0f, 14519.5f, 14520.0f, 99999.0f};
  EXPECT_EQ(Run({}), 0);
  const Calls loop = {"Pump", "MusicTime", "logo 0 0", "PresentFrame black", "Pump", "MusicTime",
                      "kinyit 685.64 1", "PresentFrame black",
                      // 14519.5: nothing is drawn, the frame is still presented
                      "Pump", "MusicTime", "PresentFrame black",
                      // 14520 sets the quit flag; this frame is presented once more and the
                      // next pass ends at its check, without reading the clock again
                      "Pump", "MusicTime", "PresentFrame black", "Pump"};
  EXPECT_EQ(World().calls, Join({StartUp(), loop, Shutdown()}));
  EXPECT_FALSE(EffectTestMode());
}

TEST_F(DriverRun, QuitDuringLoadingEndsBeforeTheFirstFrameAndShutsDownInOrder) {
  // The quit message waits in the queue through the loading screen (which
  // pumps nothing) and is seen by the first pump of the main loop.
  World().quitAtPump = 0;
  World().musicTimes = {100.0f};
  EXPECT_EQ(Run({}), 0);
  EXPECT_EQ(World().calls, Join({StartUp(), {"Pump quit"}, Shutdown()}));
  EXPECT_TRUE(World().scenes.empty());
}

TEST_F(DriverRun, QuitDuringTheShowStopsAtTheNextPass) {
  World().quitAtPump = 2;
  World().musicTimes = {6000.0f, 6600.0f};
  EXPECT_EQ(Run({}), 0);
  const Calls loop = {"Pump",      "MusicTime", "box 316.92 0",       "PresentFrame black", "Pump",
                      "MusicTime", "blau 69 0", "PresentFrame black", "Pump quit"};
  EXPECT_EQ(World().calls, Join({StartUp(), loop, Shutdown()}));
}

TEST_F(DriverRun, FailedPresentsAreIgnored) {
  World().presentResult = -1;
  World().quitAtPump = 2;
  World().musicTimes = {0.0f, 120.0f};
  EXPECT_EQ(Run({}), 0);
  const Calls loop = {"Pump",      "MusicTime",  "logo 0 0",           "PresentFrame black", "Pump",
                      "MusicTime", "logo 120 0", "PresentFrame black", "Pump quit"};
  EXPECT_EQ(World().calls, Join({StartUp(), loop, Shutdown()}));
}

TEST_F(DriverRun, AnotherResolutionDrawsTheLoadingScreenAndTheShowAtItsSize) {
  struct Case {
    std::vector<const char*> args;
    FrameSize native;      // what the fake display calls native
    int resizeResult;      // the video's answer to the resize
    std::uint32_t sharpW;  // the sharp loader picture's size (0: none)
    std::uint32_t sharpH;
    std::string resized;    // the resize asked for
    std::string sharpName;  // the sharp loader picture asked for ("": none)
    bool sharpDrawn;        // whether the screen is drawn from it
    std::string drawnAt;    // the scene's record's suffix
    std::string presented;
  };
  const Case cases[] = {
      {{"--resolution", "640x360"},
       ClassicFrame,
       0,
       1920,
       1080,
       "ResizeVideo 640x360",
       "SHARP\\loader-1920x1080.jpg",
       true,
       " @640x360",
       "PresentFrame 640x360"},
      // No sharp picture: the classic one, resampled.
      {{"--window", "--resolution", "native"},
       PackedFrame(960, 600),
       0,
       0,
       0,
       "ResizeVideo 960x600",
       "SHARP\\loader-1920x1200.jpg",
       false,
       " @960x600",
       "PresentFrame 960x600"},
      // A sharp picture of the wrong size counts as none.
      {{"--resolution", "800x500"},
       ClassicFrame,
       0,
       1920,
       1080,
       "ResizeVideo 800x500",
       "SHARP\\loader-1920x1200.jpg",
       false,
       " @800x500",
       "PresentFrame 800x500"},
      // A video that cannot take the size plays the classic show.
      {{"--resolution", "1920x1080"},
       ClassicFrame,
       1,
       1920,
       1080,
       "ResizeVideo 1920x1080",
       "",
       false,
       "",
       "PresentFrame black"},
  };
  for (const Case& c : cases) {
    SetUp();
    World().nativeSize = c.native;
    World().resizeVideoResult = c.resizeResult;
    World().sharpWidth = c.sharpW;
    World().sharpHeight = c.sharpH;
    World().quitAtPump = 1;
    World().musicTimes = {0.0f};
    EXPECT_EQ(Run(c.args), 0);
    Calls start = StartUp();
    // The resize comes first, then the loading screen at the size.
    start.insert(start.begin() + 2, c.resized);
    if (!c.sharpName.empty()) {
      Calls sharp = {"LoadPicture " + c.sharpName};
      if (c.sharpW != 0) sharp.push_back("ReleasePicture sharp");
      start.insert(start.begin() + 4, sharp.begin(), sharp.end());
      for (std::string& call : start)
        if (call.starts_with("PresentFrame ")) call = c.presented;
    }
    const Calls loop = {"Pump", "MusicTime", "logo 0 0" + c.drawnAt, c.presented, "Pump quit"};
    EXPECT_EQ(World().calls, Join({start, loop, Shutdown()})) << c.resized;
    if (c.sharpName.empty()) continue;
    // The fade-in's last present and the fade-out's first show the whole
    // picture: the sharp one resampled when it fits, else the classic one.
    const FrameSize size = World().presentedSizes.front();
    const Picture from = c.sharpDrawn ? Picture{.width = c.sharpW,
                                                .height = c.sharpH,
                                                .bytesPerPixel = 4,
                                                .pixels = World().sharpPicture.data()}
                                      : Picture{.width = 320,
                                                .height = 200,
                                                .bytesPerPixel = 4,
                                                .pixels = World().picture.data()};
    Picture expected{};
    ASSERT_TRUE(ResamplePicture(from, static_cast<std::uint32_t>(size.width),
                                static_cast<std::uint32_t>(size.height), expected));
    const auto* words = PictureWords(expected);
    const std::vector<std::uint32_t> want(words, words + FrameWords(size));
    EXPECT_EQ(World().presented[3], want) << c.resized;
    EXPECT_EQ(World().presented[4], want) << c.resized;
    EXPECT_EQ(World().presented[0], std::vector<std::uint32_t>(FrameWords(size), 0u));
    ReleasePicture(expected);
  }
}

TEST_F(DriverRun, TheEffectTestStartsTheVideoAtTheResolution) {
  World().presentStep = 500;
  World().quitAtPump = 1;
  EXPECT_EQ(Run({"e", "--resolution", "800x450"}), 0);
  const Calls expected = {
      "OpenLibrary vx-1.lib", "StartVideo 800x450", "Load labda", "Pump",     "labda 0 0 @800x450",
      "PresentFrame 800x450", "Pump quit",          "Free labda", "StopVideo"};
  EXPECT_EQ(World().calls, expected);
  ASSERT_EQ(World().presentedSizes.size(), 1u);
  EXPECT_EQ(World().presented[0].size(), 800u * 450u);
}

TEST_F(DriverRun, EffectTestDrawsLabdaOnTheTimerAcrossACounterWrap) {
  // The millisecond counter wraps 1 s after the timer starts: time must run
  // on smoothly (0, 60, 120, 180 ticks), never jump.
  World().now = 0xFFFFFFFFu - 999u;
  World().presentStep = 500;
  World().quitAtPump = 4;
  EXPECT_EQ(Run({"e"}), 0);
  const Calls expected = {"OpenLibrary vx-1.lib",
                          "StartVideo",
                          "Load labda",
                          "Pump",
                          "labda 0 0",
                          "PresentFrame black",
                          "Pump",
                          "labda 60 0",
                          "PresentFrame black",
                          "Pump",
                          "labda 120 0",
                          "PresentFrame black",
                          "Pump",
                          "labda 180 0",
                          "PresentFrame black",
                          "Pump quit",
                          "Free labda",
                          "StopVideo"};
  EXPECT_EQ(World().calls, expected);
  EXPECT_TRUE(EffectTestMode());
}

TEST_F(DriverRun, EffectTestHasNoEndBound) {
  // Ten minutes on the timer (72000 ticks) still draws labda.
  World().presentSteps = {600000};
  World().quitAtPump = 2;
  EXPECT_EQ(Run({"e", "--trace"}), 0);
  ASSERT_EQ(World().scenes.size(), 2u);
  EXPECT_EQ(World().scenes[1].scene, "labda");
  EXPECT_FLOAT_EQ(World().scenes[1].t, 72000.0f);
}

TEST_F(DriverRun, ARefusedArchiveEndsTheRunWithCode1BeforeTheVideoStarts) {
  DriverOptions options;
  testing::internal::CaptureStderr();
  EXPECT_EQ(RunDriver(options, {{"/nonexistent/show.lib"}, true}), 1);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("/nonexistent/show.lib"), std::string::npos) << err;
  EXPECT_EQ(World().calls, Calls{});
}

TEST_F(DriverRun, FailedVideoStartLoadsNothingAndDoesNotEndAsSuccess) {
  World().startVideoResult = 1;
  EXPECT_NE(Run({}), 0);
  EXPECT_EQ(World().calls, (Calls{"OpenLibrary vx-1.lib", "StartVideo"}));
}

TEST_F(DriverRun, MissingLoaderPictureIsReportedBeforeAnythingElseLoads) {
  World().loadPictureResult = false;
  EXPECT_NE(Run({}), 0);
  EXPECT_EQ(World().calls, (Calls{"OpenLibrary vx-1.lib", "StartVideo",
                                  "LoadPicture DATA\\loader.jpg", "ReportPictureLoadError"}));
}

TEST_F(DriverRun, LoaderPictureOfTheWrongSizeIsAFailedLoad) {
  // The fades read 64000 words: a 256 x 256 picture would be read past its end.
  World().pictureWidth = 256;
  World().pictureHeight = 256;
  EXPECT_NE(Run({}), 0);
  EXPECT_EQ(World().calls,
            (Calls{"OpenLibrary vx-1.lib", "StartVideo", "LoadPicture DATA\\loader.jpg",
                   "ReleasePicture loader", "ReportPictureLoadError"}));
}

TEST_F(DriverRun, LoopStartsTheMusicAgainFromTheBeginningAtTheEndBoundUntilQuit) {
  test::InstallFakes(30.0);  // as vx1 --from 30 sets the music up
  World().quitAtPump = 2;
  World().musicTimes = {14520.0f, 100.0f};
  EXPECT_EQ(Run({"--loop", "--from", "30"}), 0);
  const Calls loop = {
      "Pump", "MusicTime", "PresentFrame black", "StopMusic",          "PlayMusic 0 from 0 @2000",
      "Pump", "MusicTime", "logo 100 0",         "PresentFrame black", "Pump quit"};
  EXPECT_EQ(World().calls, Join({StartUpAt("30"), loop, Shutdown()}));
}

// A start at a moment skips the loading screen's fades (7 s of the one
// second presents here) and never waits on the timer; its first frame is
// the moment's.
TEST_F(DriverRun, AStartAtAMomentShowsTheLoadingPictureWithoutItsFades) {
  test::InstallFakes(40.0);
  World().quitAtPump = 1;
  World().musicTimes = {4800.0f};
  EXPECT_EQ(Run({"--from", "40"}), 0);
  const Calls loop = {"Pump", "MusicTime", "blau 768 7", "PresentFrame black", "Pump quit"};
  EXPECT_EQ(World().calls, Join({StartUpAt("40"), loop, Shutdown()}));
  EXPECT_EQ(World().slept, 0u);
}

// Asked for by --from, the very first moment starts the same way: the
// page's replay starts there at once.
TEST_F(DriverRun, AStartAtTheFirstMomentAlsoSkipsTheFades) {
  test::InstallFakes(0.0);
  World().quitAtPump = 1;
  World().musicTimes = {0.0f};
  EXPECT_EQ(Run({"--from", "0"}), 0);
  const Calls loop = {"Pump", "MusicTime", "logo 0 0", "PresentFrame black", "Pump quit"};
  EXPECT_EQ(World().calls, Join({StartUpAt("0"), loop, Shutdown()}));
  EXPECT_EQ(World().slept, 0u);
}

}  // namespace
}  // namespace vx
