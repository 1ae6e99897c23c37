#pragma once
// Video output: the frame buffer, its presentation, and the window's input.
// The video starts with a frame size (base/pixels.h) and may change it while
// running (ResizeVideo). At the classic size the frame buffer is one block of
// 307200 bytes (320 x 240 x 4) of which the first 64000 pixels form the
// 320 x 200 image; presenting shows it letterboxed (20 black rows, the
// image, 20 black rows) on a 320 x 240 surface, the status strip in the
// lower letterbox. At any other size the frame buffer holds FrameWords(size)
// words and the surface is the frame itself: such a frame is drawn for the
// display it is shown on, so it needs no letterbox, and the status strip
// lies over its bottom rows (on the surface only, never in the frame).
// The backend is chosen once, before StartVideo: headless keeps the surface
// in memory and counts presented frames; the SDL2 backend shows a window or
// the full screen; the web backend draws on the page's canvas at the frame's
// size (browser build only; elsewhere it refuses to start).
#include <cstdint>
#include <span>
#include <string_view>

#include "base/pixels.h"

namespace vx {

inline constexpr std::uint32_t LetterboxRows = 20;
inline constexpr std::uint32_t SurfaceWidth = ScreenWidth;
inline constexpr std::uint32_t SurfaceHeight = ScreenHeight + 2 * LetterboxRows;
inline constexpr std::uint32_t FrameBufferBytes = SurfaceWidth * SurfaceHeight * PixelBytes;
static_assert(FrameBufferBytes == 307200);

// Where the frame lies on the surface that is presented, and where the
// status strip goes: rows stripTop .. stripTop + stripRows - 1, its text
// drawn at textScale times the label font's size.
struct SurfaceLayout {
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t imageTop;  // the frame's first row on the surface
  std::uint32_t stripTop;
  std::uint32_t stripRows;
  std::int32_t textScale;
};
// Classic: 320 x 240, the image from row 20, the strip in rows 220 .. 239 at
// scale 1. Other sizes: the frame's own size, the image from row 0, the
// strip over the bottom 20 k rows with k = max(1, height / 200).
SurfaceLayout SurfaceLayoutOf(const FrameSize& size);

enum class VideoBackend { Headless, Sdl, Web };

struct VideoOptions {
  VideoBackend backend = VideoBackend::Headless;
  bool fullScreen = true;  // SDL: desktop full screen, else a window
  int scale = 0;           // SDL window scale; 0: the largest that fits
  bool vsync = true;
};

void ConfigureVideo(const VideoOptions& options);

// The size a frame drawn for the configured output has ("native"): the
// desktop's in SDL full screen; in an SDL window the classic frame times the
// window scale that fits the screen; the classic size where there is no
// display (headless, the page). Width and height even, within the drawable
// sizes.
FrameSize NativeFrameSize();

// 0 on success; otherwise a non-zero code, the reason already reported.
// size must be drawable (DrawableFrameSize).
int StartVideo(const FrameSize& size = ClassicFrame);
// While running: a new frame buffer of the new size (black) and the output
// made for it; the old frame buffer is released. 0, or a non-zero code with
// the reason reported, and the video goes on at the size it had.
int ResizeVideo(const FrameSize& size);
// The frame buffer's size while running (ClassicFrame otherwise).
FrameSize VideoFrameSize();
// 0, or the failing code; the driver ignores it.
int PresentFrame();
int StopVideo();
// The frame buffer between StartVideo and StopVideo, else nullptr.
std::uint32_t* FrameBuffer();
// The message pump of the main loop: handles waiting window events and
// returns true once the quit message (Escape, closing the window, PostQuit)
// was seen; it keeps returning true until the next StartVideo. Input that
// arrives while nothing pumps (loading, the loading screen) waits for the
// next call.
bool PumpMessages();
// Asks for the end of the show as Escape does: the next PumpMessages sees
// the quit message. Honoured by every backend (tests, signals, tools).
void PostQuit();
// The viewer's controls as the window's keys (or the page's buttons, seek
// bar and media keys) give them; the driver decides what each does.
enum class ViewerAction {
  PlayPause,         // Space, P
  Pause,             // the page's media session
  Play,              // the page's media session
  SeekBy,            // Left / Right: seconds -5 / 5; with Shift -1 / 1
  SeekTo,            // the page's seek bar: seconds from the show's start
  PreviousSlot,      // Up, Page Up
  NextSlot,          // Down, Page Down
  ToStart,           // Home
  StepBack,          // , (while paused)
  StepForward,       // . (while paused)
  ToggleStatus,      // Tab
  ToggleResolution,  // R: the classic show or the sharp one
  Screenshot,        // S: the frame shown as a PNG file
  NextView,          // V: the next view inside the pipeline
};
struct ViewerInput {
  ViewerAction action = ViewerAction::PlayPause;
  double seconds = 0.0;  // SeekBy and SeekTo only
};
// The next input since the last call (PumpMessages gathers them), oldest
// first; false when none waits.
bool TakeViewerInput(ViewerInput& input);

// The status line: SurfaceLayoutOf(VideoFrameSize()).width x stripRows
// pixels shown in the strip rows at each present (copied; nullptr hides it;
// a resize hides it until the next one). It never enters the frame buffer,
// so nothing drawn from that reaches a file.
void SetStatusStrip(const std::uint32_t* strip);
// A second strip of the same size for the status line's figures, shown
// with it over rows 0 .. stripRows - 1 (the classic surface's top
// letterbox; the image's top rows at other sizes), as SetStatusStrip.
void SetTopStrip(const std::uint32_t* strip);

// Frames presented since StartVideo (headless and SDL alike).
std::uint64_t PresentedFrameCount();
// Headless: the surface (SurfaceLayoutOf the frame's size, packed rows) as
// last presented, letterbox included; nullptr before the first PresentFrame
// and with other backends.
const std::uint8_t* PresentedSurface();

// Copies the frame of this size onto its surface (SurfaceLayoutOf) whose
// rows are pitch bytes apart (pitch >= 4 x the surface's width; bytes beyond
// that in a row are left alone): letterbox rows black, the image, and the
// status strip, while one is set, over its rows.
void CopyFrameToSurface(const std::uint32_t* frameBuffer, const FrameSize& size,
                        std::uint8_t* surface, std::uint32_t pitch);

// A message box where a display is up (SDL), and always a line on standard
// error: "caption: text".
void ShowErrorBox(std::string_view caption, std::string_view text);

// A question in the platform's own message box (SDL), asked before the
// video starts: text over a row of buttons, the first taken by Enter, the
// last by Escape. The index of the button pressed, NoAnswer when the box was
// closed without one, NoBoxShown where no box can be shown (headless, the
// page, no display) or it failed.
inline constexpr int NoAnswer = -1;
inline constexpr int NoBoxShown = -2;
int AskInBox(std::string_view caption, std::string_view text,
             std::span<const std::string_view> buttons);

// Result codes of the display layer; they keep DirectDraw's numbering.
inline constexpr std::uint32_t VideoOk = 0;
inline constexpr std::uint32_t VideoGenericFailure = 0x80004005;  // DDERR_GENERIC
inline constexpr std::uint32_t VideoOutOfMemory = 0x8007000E;     // DDERR_OUTOFMEMORY

// The message text of a result code ("DirectDraw does not support the
// requested mode." for 0x88760078); "Unrecognized Error" for codes outside
// the table.
std::string_view DirectDrawErrorText(std::uint32_t code);

}  // namespace vx
