// Start-up, main loop, effect test loop and shutdown, in the fixed order the
// show depends on; the driver's state (QuitFlag, EffectTestMode, the timer).
#include "driver/driver.h"

#include <cassert>
#include <cstdio>

namespace vx {
namespace {

DriverServices gServices{};
bool gQuitFlag = false;
bool gEffectTestMode = false;
bool gTrace = false;

// Timer state: the millisecond counter at StartTimer and ticks per second.
std::uint32_t gTimerStart = 0;
std::uint32_t gTimerScale = 0;

constexpr std::uint32_t DemoTicksPerSecond = 120;
constexpr std::uint32_t MusicOutputRate = 44100;
constexpr std::string_view MusicFileName = "DATA\\oompa.mp3";

// One frame per pass, no pause: pump, check, read the clock, draw, present.
// The pass whose drawing set QuitFlag still presents; the loop ends at the
// check of the next pass. With loop set, reaching the end bound starts the
// music (and so the show) again from its beginning instead.
void MainLoop(std::uint32_t* fb, bool loop) {
  const DriverServices& s = gServices;
  for (;;) {
    if (s.pumpMessages()) SetQuitFlag(true);
    if (gQuitFlag) break;
    const float t = s.musicTime();
    s.renderTimeline(t, fb);
    s.presentFrame();  // a failed present is ignored: the next frame tries again
    if (loop && gQuitFlag) {
      TraceStep("RestartShow");
      s.stopMusic();
      s.rewindMusic();
      s.playMusic(false);
      gQuitFlag = false;
    }
  }
}

// Normal run. Returns false only when a fake reportPictureLoadError returned
// (the real one ends the program).
bool RunDemo(std::uint32_t* fb, bool loop) {
  const DriverServices& s = gServices;
  TraceStep("LoadLoaderPicture");
  if (!LoadLoaderPicture()) return false;
  TraceStep("LoaderFadeIn");
  LoaderFadeIn(fb);
  TraceStep("LoadAllScenes");
  s.loadAllScenes();
  TraceStep("StartMusic");
  s.startMusic(MusicFileName, MusicOutputRate, false, false, true);
  TraceStep("LoaderFadeOut");
  LoaderFadeOut(fb);
  gQuitFlag = false;
  TraceStep("SetMusicScale");
  s.setMusicScale(DemoTicksPerSecond);
  TraceStep("PlayMusic");
  s.playMusic(false);
  TraceStep("MainLoop");
  MainLoop(fb, loop);
  TraceStep("StopMusic");
  s.stopMusic();
  TraceStep("FreeMusic");
  s.freeMusic();
  TraceStep("ReleaseLoaderPicture");
  ReleaseLoaderPicture();
  TraceStep("FreeAllScenes");
  s.freeAllScenes();
  return true;
}

// The labda scene alone on the system timer: no music, no loading screen, no
// timeline, no end bound.
void RunEffectTest(std::uint32_t* fb) {
  const DriverServices& s = gServices;
  TraceStep("LoadLabda");
  s.loadLabda();
  gQuitFlag = false;
  TraceStep("StartTimer");
  StartTimer(DemoTicksPerSecond);
  TraceStep("EffectLoop");
  for (;;) {
    if (s.pumpMessages()) SetQuitFlag(true);
    if (gQuitFlag) break;
    const float t = TimerTime();
    s.renderLabda(t, fb);
    s.presentFrame();
  }
  TraceStep("FreeLabda");
  s.freeLabda();
}

}  // namespace

void SetDriverServices(const DriverServices& services) {
  gServices = services;
}
const DriverServices& CurrentDriverServices() {
  return gServices;
}

bool QuitFlag() {
  return gQuitFlag;
}
void SetQuitFlag(bool value) {
  gQuitFlag = value;
}

bool IsEffectTestArgument(int argc, const char* const* argv) {
  return argc >= 2 && argv[1] != nullptr && std::string_view(argv[1]) == "e";
}
bool EffectTestMode() {
  return gEffectTestMode;
}

void StartTimer(std::uint32_t ticksPerSecond) {
  gTimerStart = gServices.milliseconds();
  gTimerScale = ticksPerSecond;
}

float TimerTime() {
  // Unsigned 32-bit subtraction: a wrap of the counter between start and
  // read still gives the elapsed milliseconds.
  const std::uint32_t elapsed = gServices.milliseconds() - gTimerStart;
  return static_cast<float>(static_cast<long double>(elapsed) / 1000.0L *
                            static_cast<long double>(gTimerScale));
}

void SetTrace(bool on) {
  gTrace = on;
}

void TraceStep(std::string_view step) {
  if (!gTrace) return;
  std::fprintf(stderr, "trace: %.*s\n", static_cast<int>(step.size()), step.data());
  std::fflush(stderr);
}

int RunDriver(const DriverOptions& options, const LibrarySearch& libraries) {
  const DriverServices& s = gServices;
  TraceStep("OpenLibrary");
  // No archive at all shows at the first picture load; a refused one ends
  // the run here.
  if (OpenShowLibrary(libraries) == LibraryOpen::Refused) {
    TraceStep("End 1");
    return 1;
  }
  TraceStep("StartVideo");
  if (s.startVideo() != 0) {
    // The video output reported the reason and released what it made; the
    // run ends without loading anything, and not as a success.
    TraceStep("End 1");
    return 1;
  }
  std::uint32_t* fb = s.frameBuffer();
  assert(fb != nullptr);
  gEffectTestMode = options.effectTest;
  if (gEffectTestMode) {
    RunEffectTest(fb);
  } else if (!RunDemo(fb, options.loop)) {
    return 1;
  }
  TraceStep("StopVideo");
  s.stopVideo();
  TraceStep("End 0");
  return 0;
}

}  // namespace vx
