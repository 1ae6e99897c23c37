#pragma once
// Private to the driver.
// The viewer's controls over the playing show: pause, seek, step and the
// status line. Every frame is a function of the demo time alone, so a seek
// needs no state beyond the music's new playing position: the next frame is
// simply drawn there. With no input the show runs exactly as without them.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "base/pixels.h"
#include "driver/frame_loop.h"
#include "platform/video.h"
#include "views/views.h"

namespace vx {

// Where an input moves the clock from now, in ticks, clamped to the show
// (0 to its end bound 14520): SeekBy and SeekTo by their seconds, the slot
// keys to the first moment of the slot before or after the one holding now
// (the end bound after the last), StepBack and StepForward by one frame of
// 1/60 s. Inputs that do not move the clock give now.
float ViewerTarget(const ViewerInput& input, float now);

// The status line: "MM:SS.CC  SLOT K/N NAME  WxH  F FPS  D.D MS", with
// "PAUSED" at the end while paused; "-" for the slot after the last one's
// end; WxH the frame's size; "-" for F while framesPerSecond is not
// positive (no interval measured yet). A fixed array, NUL-terminated: the line is made
// anew each frame it shows, without an allocation.
using StatusLine = std::array<char, 96>;
StatusLine StatusLineText(float t, const FrameSize& size, bool paused, double framesPerSecond,
                          double drawMilliseconds);

// What the status line adds while a pipeline view is on: "  VIEW NAME",
// for the wire view then "  CLIPPED N  CULLED NAME NAME" (the objects the
// frame culled whole, "-" for none); "" for the finished frame.
std::string ViewStatusText(PipelineView view, const WireNotes& notes);

// The figures of a 3D frame as the status line gives them, in three lines:
//   counts  "OBJ D CULL C POLY P BACK B CLIP K +V V" (V: the vertices clipping added)
//   fills   "FILLED N PX  OVERDRAW X.XX"
//   stages  "TRK t HIE t CUL t CLP t FIL t 2D t MS", the milliseconds of each
//           FrameStage in its order, %.2f (%.1f from 10 on) with the 0
//           before the point dropped
struct FiguresText {
  std::string counts;
  std::string fills;
  std::string stages;
  std::string Joined() const;  // the three, one to a line ('\n' between)
};
FiguresText FiguresStatusText(const PipelineFigures& figures);

// The file name of a screenshot of the frame at t: "vx1-MMmSS.CCs.png";
// with a number k >= 2 "vx1-MMmSS.CCs-k.png", for a name already taken.
std::string ScreenshotFileName(float t, int k = 1);

// Where the clock's moment of each frame is told as it is read (the page's
// time display and seek bar); nullptr, the default: nowhere.
void ReportMomentsTo(void (*report)(float ticks));
// Where the status line's text is told with each frame it shows, and ""
// once when it is turned off (the page, which shows it beside its canvas);
// nullptr, the default: nowhere.
void ReportStatusTo(void (*report)(const char* line));

class ViewerControls {
 public:
  // Applies one input: pause and resume, seeks and steps go to the music
  // (the clock), the status line is toggled here. With --trace each says
  // "Pause T", "Resume T", "Seek FROM TO", "Status on" / "Status off" or
  // "Resolution WxH" (ticks, read back exactly as singles). The
  // screenshot key writes the frame shown, at its own size, as a PNG file
  // in the user's pictures folder (PicturesFolder; else the current one)
  // under a name no file has yet, says where on standard output and, for a
  // few seconds, in the status line ("Screenshot PATH" with --trace). The
  // view key draws the frames from now on in the next view
  // (NextPipelineView) and names it in the status strip for a few seconds
  // ("View NAME" with --trace).
  void Apply(const ViewerInput& input);
  // The resolution key moves the video and target between the target's
  // size and other (ResizeVideo; a refused resize leaves both as they
  // were). Until this is called the key does nothing. target must outlive
  // the controls' use.
  void AllowResolutionSwitch(FrameTarget& target, const FrameSize& other);
  // Applies every input the window gathered since the last call.
  void ApplyWaiting();
  bool StatusShown() const { return statusShown_; }

  // Timing for the status line, on the driver's millisecond counter
  // (CurrentDriverIo): the clock calls MomentGiven as it hands out a moment
  // (which is also reported, see ReportMomentsTo); the window's sink calls
  // FrameDrawn before presenting it, which measures the drawing and, while
  // the line is on, shows it for t. The line's figures are the means over
  // the last TimedFrames frames (all of them until that many were drawn):
  // frames a second from the intervals between FrameDrawn calls, the
  // drawing time from MomentGiven to FrameDrawn. A mean over many frames
  // resolves the counter's whole milliseconds into tenths.
  void MomentGiven(float t);
  void FrameDrawn(float t);

 private:
  void SetPaused(bool pause);
  void SwitchResolution();
  void ShowStatus(float t);
  void TakeScreenshot();
  void StepView();

  static constexpr int TimedFrames = 30;
  // The mean of the last TimedFrames values added, of fewer before that.
  struct RecentMean {
    std::array<std::uint32_t, TimedFrames> values{};
    std::uint64_t sum = 0;
    int count = 0;
    int next = 0;
    void Add(std::uint32_t value);
    double Mean() const;  // 0 before the first value
  };

  bool statusShown_ = false;
  std::uint32_t given_ = 0;      // counter at the last MomentGiven
  std::uint32_t lastDrawn_ = 0;  // counter at the last FrameDrawn
  bool drawnBefore_ = false;
  RecentMean drawMilliseconds_;
  RecentMean frameMilliseconds_;   // between successive frames
  FrameTarget* target_ = nullptr;  // the run's, while switching is allowed
  FrameSize otherSize_ = ClassicFrame;
  // The status line's pixels, drawn anew each frame it shows; made again
  // only when the video's frame size changed.
  std::vector<std::uint32_t> strip_;
  std::vector<std::uint32_t> topStrip_;  // the figures' (SetTopStrip)
  FrameSize stripSize_{};
  float shownT_ = 0.0f;  // the moment of the frame presented last
  // A line shown in the status strip in place of the status until the
  // counter passes noticeUntil_ (the screenshot's); empty: none.
  std::string notice_;
  std::uint32_t noticeUntil_ = 0;
};

}  // namespace vx
