#pragma once
// Private to the driver and to vxscan, which draws the show through it.
// The one frame loop every mode of vx1 runs: a clock says which moment comes
// next, the moment is drawn into the frame buffer (the timeline, or the
// effect test's scene alone), and a sink (sinks.h) takes the finished frame.
//
//   play         MusicClock  -> timeline -> WindowSink
//   effect test  TimerClock  -> labda    -> WindowSink
//   screenshots  MomentList  -> timeline -> PNG files
//   contact sheet MomentList -> timeline and labda -> one PNG sheet
//   capture      StepClock   -> timeline -> PNG frames or the ffmpeg pipe
//   bench        its timer   -> timeline and labda -> the table
//
// The clocks of the window pump its messages; the headless ones need no
// input at all.
//
// Every frame is drawn at the run's frame size, chosen once at start
// (RunFrameSize in driver.h) and carried with the frame buffer in a
// FrameTarget; only the window's R key changes it while the show plays.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/pixels.h"

namespace vx {

class ViewerControls;

enum class FrameScene { Timeline, EffectTest };

struct FrameMoment {
  std::uint64_t index = 0;  // the run's frames counted from 0
  float t = 0.0f;           // ticks: the demo time, or labda's local time
  FrameScene scene = FrameScene::Timeline;
  bool fromBlack = false;  // the frame buffer is cleared before drawing
};

// The frame buffer a run draws into (FrameWords(size) words) and its size.
struct FrameTarget {
  std::uint32_t* pixels = nullptr;
  FrameSize size = ClassicFrame;
};

// Sets the next frame's moment; false when the run is over.
using FrameClock = std::function<bool(FrameMoment& moment)>;
// Takes the drawn frame; false ends the run (a write that failed or was
// interrupted).
using FrameSink = std::function<bool(const FrameMoment& moment, const FrameTarget& frame)>;

// While the clock gives a moment: draw it into the target and hand the
// target to the sink. The target is read anew after each call of the clock,
// which may have moved it to a frame buffer of another size (the window's
// resolution key). False when the sink refused a frame, true when the clock
// ended the run.
bool RunFrames(const FrameClock& clock, const FrameSink& sink, const FrameTarget& target);
// Draws one moment into the target at its size (clearing it first for
// fromBlack).
void DrawMoment(const FrameMoment& moment, const FrameTarget& target);

// ---- clocks -------------------------------------------------------------
// The window's clocks. Each pass pumps the messages (the quit message
// raises QuitFlag), ends the run once QuitFlag is up, then reads the time.
// The pass whose drawing raised the flag is still presented.
//
// The music's playing position, for the timeline. With loop, a flag raised
// by the timeline's end bound starts the music (and so the show) again from
// the beginning instead of ending the run. Each pass first applies the
// viewer's inputs the pump gathered (pause, seek, step) to the music.
FrameClock MusicClock(bool loop, ViewerControls& controls);
// The timer (StartTimer), for labda alone: no end bound.
FrameClock TimerClock();
// Fixed steps for a capture: frame n at n x 120 / fps ticks, count frames.
FrameClock StepClock(int fps, std::uint64_t count);
// Capture: frames drawn (frame n at n x 120 / fps ticks, stopping before the
// first frame with t >= 14520 or at durationSeconds when > 0).
std::uint64_t CaptureFrameCount(int fps, double durationSeconds);
float CaptureFrameTime(std::uint64_t frame, int fps);
// A list of moments, each drawn once (its index is its place in the list).
FrameClock MomentList(std::vector<FrameMoment> moments);

}  // namespace vx
