// Start-up, the show, the effect test and shutdown, in the fixed order the
// show depends on; the driver's input and output, its timer and its trace.
#include "driver/driver.h"

#include <cassert>
#include <cstdio>

#include "driver/controls.h"
#include "driver/driver_io.h"
#include "driver/frame_loop.h"
#include "driver/sinks.h"
#include "driver/timeline.h"
#include "platform/music.h"
#include "platform/video.h"

namespace vx {
namespace {

DriverIo gIo{};
bool gEffectTestMode = false;
bool gTrace = false;

// Timer state: the millisecond counter at StartTimer and ticks per second.
std::uint32_t gTimerStart = 0;
std::uint32_t gTimerScale = 0;

constexpr auto DemoTicksPerSecond = static_cast<std::uint32_t>(TicksPerSecond);
constexpr std::uint32_t MusicOutputRate = 44100;

// Normal run: the video started at the classic size, then made the show's
// size before the loading screen, which is drawn at that size. other is the
// size the resolution key switches to. A start at a moment (atMoment: --from)
// shows the loading picture without its fades. Returns false only when a
// fake reportPictureLoadError returned (the real one ends the program). A
// video that cannot take the show's size (its reason reported) plays the
// classic show.
bool RunDemo(const FrameSize& size, const FrameSize& other, bool loop, bool atMoment) {
  const Show& show = CurrentShow();
  // The show's size before its music starts, so the remaking is not part of
  // the first frame's time.
  FrameTarget target{.pixels = FrameBuffer(), .size = ClassicFrame};
  if (size != ClassicFrame) {
    TraceStep("ResizeVideo");
    if (ResizeVideo(size) == 0) target = {.pixels = FrameBuffer(), .size = size};
  }
  std::uint32_t* fb = target.pixels;
  TraceStep("LoadLoaderPicture");
  if (!LoadLoaderPicture(target.size)) return false;
  if (atMoment) {
    TraceStep("LoaderShow");
    LoaderShow(fb);
  } else {
    TraceStep("LoaderFadeIn");
    LoaderFadeIn(fb);
  }
  TraceStep("LoadAllScenes");
  show.loadAll();
  TraceStep("StartMusic");
  StartMusic(ShowMusic, MusicOutputRate, false, false, true);
  if (!atMoment) {
    TraceStep("LoaderFadeOut");
    LoaderFadeOut(fb);
  }
  SetQuitFlag(false);
  TraceStep("SetMusicScale");
  SetMusicScale(DemoTicksPerSecond);
  TraceStep("PlayMusic");
  PlayMusic(false);
  TraceStep("MainLoop");
  ViewerControls controls;
  controls.AllowResolutionSwitch(target, target.size == size ? other : size);
  RunFrames(MusicClock(loop, controls), WindowSink(&controls), target);
  TraceStep("StopMusic");
  StopMusic();
  TraceStep("FreeMusic");
  FreeMusic();
  TraceStep("ReleaseLoaderPicture");
  ReleaseLoaderPicture();
  TraceStep("FreeAllScenes");
  show.freeAll();
  return true;
}

// The labda scene alone on the system timer: no music, no loading screen, no
// timeline, no end bound.
void RunEffectTest(const FrameTarget& target) {
  const SceneModule& effect = *CurrentShow().effectTest;
  TraceStep("LoadLabda");
  effect.load();
  SetQuitFlag(false);
  TraceStep("StartTimer");
  StartTimer(DemoTicksPerSecond);
  TraceStep("EffectLoop");
  RunFrames(TimerClock(), WindowSink(), target);
  TraceStep("FreeLabda");
  effect.free();
}

}  // namespace

void SetDriverIo(const DriverIo& io) {
  gIo = io;
}
const DriverIo& CurrentDriverIo() {
  return gIo;
}

void UseRealModules() {
  SetDriverIo(RealDriverIo());
  UseShow(RealShow());
}

bool IsEffectTestArgument(int argc, const char* const* argv) {
  return argc >= 2 && argv[1] != nullptr && std::string_view(argv[1]) == "e";
}
bool EffectTestMode() {
  return gEffectTestMode;
}

void StartTimer(std::uint32_t ticksPerSecond) {
  gTimerStart = gIo.milliseconds();
  gTimerScale = ticksPerSecond;
}

float TimerTime() {
  // Unsigned 32-bit subtraction: a wrap of the counter between start and
  // read still gives the elapsed milliseconds.
  const std::uint32_t elapsed = gIo.milliseconds() - gTimerStart;
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
  TraceStep("OpenLibrary");
  // No archive at all shows at the first picture load; a refused one ends
  // the run here.
  if (OpenShowLibrary(libraries) == LibraryOpen::Refused) {
    TraceStep("End 1");
    return 1;
  }
  const FrameSize size = RunFrameSize(options);
  gEffectTestMode = options.effectTest;
  TraceStep("StartVideo");
  if (StartVideo(gEffectTestMode ? size : ClassicFrame) != 0) {
    // The video output reported the reason and released what it made; the
    // run ends without loading anything, and not as a success.
    TraceStep("End 1");
    return 1;
  }
  assert(FrameBuffer() != nullptr);
  if (gEffectTestMode) {
    RunEffectTest({.pixels = FrameBuffer(), .size = size});
  } else {
    // The resolution key's other size: the classic one from a sharp show,
    // else the display's own. Asked of the running video: asking before it
    // starts would set SDL's video up and down once more, after which X
    // tools at times no longer find the window.
    const FrameSize other = size != ClassicFrame ? ClassicFrame : NativeFrameSize();
    if (!RunDemo(size, other, options.loop, options.fromGiven)) return 1;
  }
  TraceStep("StopVideo");
  StopVideo();
  TraceStep("End 0");
  return 0;
}

}  // namespace vx
