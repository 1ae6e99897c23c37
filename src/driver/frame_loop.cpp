// The frame loop, its clocks and the window's sink.
#include "driver/frame_loop.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "driver/controls.h"
#include "driver/driver_io.h"
#include "driver/timeline.h"
#include "platform/music.h"
#include "platform/video.h"
#include "views/views.h"

namespace vx {
namespace {

// The window clocks' common start of a pass: pump, then end on the flag.
bool WindowGoesOn() {
  if (PumpMessages()) SetQuitFlag(true);
  return !QuitFlag();
}

}  // namespace

void DrawMoment(const FrameMoment& moment, const FrameTarget& target) {
  // A picture frame leaves no figures: a 3D one records its own.
  if (PipelineFiguresCounted()) ClearPipelineFigures();
  if (moment.fromBlack) std::fill_n(target.pixels, FrameWords(target.size), 0u);
  if (moment.scene == FrameScene::EffectTest) {
    CurrentShow().effectTest->render(moment.t, target.pixels, target.size, 0);
  } else {
    RenderTimeline(moment.t, target.pixels, target.size);
  }
}

bool RunFrames(const FrameClock& clock, const FrameSink& sink, const FrameTarget& target) {
  FrameMoment moment;
  while (clock(moment)) {
    DrawMoment(moment, target);
    if (!sink(moment, target)) return false;
  }
  return true;
}

FrameClock MusicClock(bool loop, ViewerControls& controls) {
  return [loop, &controls, frames = std::uint64_t{0}](FrameMoment& moment) mutable {
    if (loop && QuitFlag()) {
      // The last pass reached the end bound: the show starts again.
      TraceStep("RestartShow");
      StopMusic();
      RewindMusic();
      PlayMusic(false);
      SetQuitFlag(false);
    }
    if (!WindowGoesOn()) return false;
    controls.ApplyWaiting();
    moment = {frames++, MusicTime(), FrameScene::Timeline, false};
    controls.MomentGiven(moment.t);
    return true;
  };
}

FrameClock TimerClock() {
  return [frames = std::uint64_t{0}](FrameMoment& moment) mutable {
    if (!WindowGoesOn()) return false;
    moment = {frames++, TimerTime(), FrameScene::EffectTest, false};
    return true;
  };
}

FrameClock StepClock(int fps, std::uint64_t count) {
  return [fps, count, frames = std::uint64_t{0}](FrameMoment& moment) mutable {
    if (frames == count) return false;
    moment = {frames, CaptureFrameTime(frames, fps), FrameScene::Timeline, false};
    ++frames;
    return true;
  };
}

std::uint64_t CaptureFrameCount(int fps, double durationSeconds) {
  // n x 120 / fps < 14520  <=>  n < 121 x fps.
  std::uint64_t frames = static_cast<std::uint64_t>(fps) * 121u;
  if (durationSeconds > 0.0) {
    // The first durationSeconds: frames n with n / fps < duration. The small
    // allowance keeps 20 s at 60 fps from counting a 1201st frame through
    // rounding.
    const long double wanted = std::ceil(static_cast<long double>(durationSeconds) * fps - 1e-9L);
    if (wanted < static_cast<long double>(frames))
      frames = static_cast<std::uint64_t>(std::max(wanted, 0.0L));
  }
  return frames;
}

float CaptureFrameTime(std::uint64_t frame, int fps) {
  return static_cast<float>(static_cast<long double>(frame) * TicksPerSecond / fps);
}

FrameClock MomentList(std::vector<FrameMoment> moments) {
  return [moments = std::move(moments), next = std::size_t{0}](FrameMoment& moment) mutable {
    if (next == moments.size()) return false;
    moment = moments[next];
    moment.index = next++;
    return true;
  };
}

}  // namespace vx
