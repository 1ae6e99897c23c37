// The driver's services wired to the program's own platform layer and scene
// modules. Only vx1 links this file; the driver's tests use recording fakes.
#include <chrono>
#include <thread>

#include "datalib/datalib.h"
#include "driver/driver.h"
#include "fx2d/fx2d.h"
#include "platform/music.h"
#include "platform/video.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

// The system's millisecond counter: wraps at 2^32 like the original tick
// count, which TimerTime's unsigned subtraction allows for.
std::uint32_t SteadyMilliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void SleepMilliseconds(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void ReportPictureLoadErrorService() {
  ReportPictureLoadError();
}

}  // namespace

DriverServices RealDriverServices() {
  DriverServices s{};
  s.openLibrary = OpenLibrary;
  s.startVideo = StartVideo;
  s.presentFrame = PresentFrame;
  s.stopVideo = StopVideo;
  s.frameBuffer = FrameBuffer;
  s.pumpMessages = PumpMessages;
  s.loadPicture = LoadJpegPicture;
  s.releasePicture = ReleasePicture;
  s.reportPictureLoadError = ReportPictureLoadErrorService;
  s.clearScreen = ClearScreen;
  s.copyScreen = CopyScreen;
  // Through the table at each call, so that a later UseReferenceFx2d counts.
  s.darkenScreen = [](auto... arguments) { Fx2d().darkenScreen(arguments...); };
  s.loadAllScenes = LoadAllScenes;
  s.freeAllScenes = FreeAllScenes;
  s.loadLabda = LoadLabda;
  s.renderLabda = RenderLabda;
  s.freeLabda = FreeLabda;
  s.startMusic = StartMusic;
  s.setMusicScale = SetMusicScale;
  s.playMusic = PlayMusic;
  s.musicTime = MusicTime;
  s.stopMusic = StopMusic;
  s.freeMusic = FreeMusic;
  s.rewindMusic = [] {};  // vx1 sets its own: it knows the music's options
  s.milliseconds = SteadyMilliseconds;
  s.sleepMilliseconds = SleepMilliseconds;
  s.renderTimeline = RenderTimeline;
  return s;
}

TimelineScenes RealTimelineScenes() {
  TimelineScenes s{};
  s.logo = RenderLogo;
  s.kinyit = RenderKinyit;
  s.libiko = RenderLibiko;
  s.blau = RenderBlau;
  s.box = RenderBox;
  s.labda = RenderLabda;
  s.effekt = RenderEffekt;
  s.kommun = RenderKommun;
  s.evil = RenderEvil;
  s.danke = RenderDanke;
  return s;
}

}  // namespace vx
