#pragma once
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
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

class ViewerControls;

enum class FrameScene { Timeline, EffectTest };

struct FrameMoment {
  std::uint64_t index = 0;  // the run's frames counted from 0
  float t = 0.0f;           // ticks: the demo time, or labda's local time
  FrameScene scene = FrameScene::Timeline;
  bool fromBlack = false;  // the frame buffer is cleared before drawing
};

// Sets the next frame's moment; false when the run is over.
using FrameClock = std::function<bool(FrameMoment& moment)>;
// Takes the drawn frame; false ends the run (a write that failed or was
// interrupted).
using FrameSink = std::function<bool(const FrameMoment& moment, const std::uint32_t* fb)>;

// While the clock gives a moment: draw it into fb and hand fb to the sink.
// False when the sink refused a frame, true when the clock ended the run.
bool RunFrames(const FrameClock& clock, const FrameSink& sink, std::uint32_t* fb);
// Draws one moment into fb (clearing it first for fromBlack).
void DrawMoment(const FrameMoment& moment, std::uint32_t* fb);

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
// A list of moments, each drawn once (its index is its place in the list).
FrameClock MomentList(std::vector<FrameMoment> moments);

}  // namespace vx
