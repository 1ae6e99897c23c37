#pragma once
// The one frame loop every mode of vx1 runs: a clock says which moment comes
// next, the moment is drawn into the frame buffer (the timeline, or labda
// alone), and a sink takes the finished frame.
//
//   play         MusicClock  -> timeline -> WindowSink
//   effect test  TimerClock  -> labda    -> WindowSink
//   screenshots  MomentList  -> timeline -> PNG files
//   contact sheet MomentList -> timeline and labda -> one PNG sheet
//   capture      StepClock   -> timeline -> PNG frames or the ffmpeg pipe
//   bench        its timer   -> timeline and labda -> the table
//
// The clocks of the window pump its messages; the headless ones need no
// input at all. Also the pieces the headless sinks share: the times of
// screenshots and captured frames, the letterboxed enlargement and a label
// font.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/driver.h"

namespace vx {

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
void RunFrames(const FrameClock& clock, const FrameSink& sink, std::uint32_t* fb);
// Draws one moment into fb (clearing it first for fromBlack).
void DrawMoment(const FrameMoment& moment, std::uint32_t* fb);

// ---- clocks -------------------------------------------------------------
// The window's clocks. Each pass pumps the messages (the quit message
// raises QuitFlag), ends the run once QuitFlag is up, then reads the time.
// The pass whose drawing raised the flag is still presented.
//
// The music's playing position, for the timeline. With loop, a flag raised
// by the timeline's end bound starts the music (and so the show) again from
// the beginning instead of ending the run.
FrameClock MusicClock(bool loop);
// The timer (StartTimer), for labda alone: no end bound.
FrameClock TimerClock();
// Fixed steps for a capture: frame n at n x 120 / fps ticks, count frames.
FrameClock StepClock(int fps, std::uint64_t count);
// A list of moments, each drawn once (its index is its place in the list).
FrameClock MomentList(std::vector<FrameMoment> moments);

// ---- sinks ----------------------------------------------------------------
// Presents each frame in the window; a failed present is ignored (the next
// frame tries again).
FrameSink WindowSink();

// ---- headless runs ----------------------------------------------------------
// Starts the video (vx1 chooses the headless one for these modes), opens
// the data library (OpenShowLibrary) and loads every scene module; returns
// the frame buffer, cleared to black, or nullptr when the archive was
// refused or the video could not start.
std::uint32_t* StartHeadless(const LibrarySearch& libraries);
// Frees the scene modules, then the video.
void StopHeadless();

// ---- frames for files -------------------------------------------------------
// The single-float demo time of a screenshot at seconds.
float ScreenshotTime(double seconds);
// The moments of the --screenshot requests, in order, each drawn from black:
// the timeline's, or with e labda's at that moment of the effect test.
std::vector<FrameMoment> ScreenshotMoments(const DriverOptions& options);
// Capture: frames drawn (frame n at n x 120 / fps ticks, stopping before the
// first frame with t >= 14520 or at durationSeconds when > 0).
std::uint64_t CaptureFrameCount(int fps, double durationSeconds);
float CaptureFrameTime(std::uint64_t frame, int fps);
// The 320 x 200 frame letterboxed to 320 x 240 (20 black rows above and
// below) and enlarged scale times by nearest neighbour into out
// (320 scale x 240 scale words, resized as needed).
void ScaleLetterboxed(const std::uint32_t* fb, int scale, std::vector<std::uint32_t>& out);
// The ffmpeg video filter that enlarges a letterboxed 320 x 240 bgr0 frame
// to the pixels ScaleLetterboxed makes at scale (as planar RGB, gbrp).
std::string CaptureScaleFilter(int scale);
// Draws text in the built-in 5 x 7 font (6 pixels a character) with its top
// left at x, y into an image width x height, clipped; lower-case letters are
// drawn as capitals, unknown characters as blanks.
void DrawLabel(std::uint32_t* image, int width, int height, int x, int y, std::string_view text,
               std::uint32_t colour);

}  // namespace vx
