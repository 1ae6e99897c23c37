#pragma once
// Private to the driver and to vxscan, which draws the show through it.
// The driver's input and output that has no backend table of its own (the
// archive, the pictures read from it, the system's millisecond counter) goes
// through the DriverIo record; the window and the music are the platform
// layer's, whose backend tables take fakes (ConfigureVideo and
// ConfigureMusic with a table). So a whole run can be played against
// recording fakes on a virtual clock. vx1 wires the platform layer
// (RealDriverIo). Also the loading screen and the timer, which run on that
// counter.
#include <cstdint>
#include <string_view>

#include "base/pixels.h"

namespace vx {

struct DriverIo {
  bool (*openLibrary)(std::string_view path);
  // Joins the sharp show's archive to the open one; null: never done.
  bool (*addLibrary)(std::string_view path);
  // The loading screen's picture.
  bool (*loadPicture)(std::string_view name, Picture& picture);
  void (*releasePicture)(Picture& picture);
  void (*reportPictureLoadError)();  // ends the program in the real one
  // The system's millisecond counter (wraps at 2^32) and a pause.
  std::uint32_t (*milliseconds)();
  void (*sleepMilliseconds)(std::uint32_t ms);
};

// The input and output every driver operation uses from now on (copied).
void SetDriverIo(const DriverIo& io);
const DriverIo& CurrentDriverIo();
// The platform layer of the program itself.
DriverIo RealDriverIo();

// ---- the timer ------------------------------------------------------------
// TimerTime = ((now - TimerStart) mod 2^32) / 1000 x TimerScale, in extended
// precision, rounded to single at the end.
void StartTimer(std::uint32_t ticksPerSecond);
float TimerTime();

// ---- the loading screen -----------------------------------------------------
// Loads "DATA\loader.jpg"; a missing, damaged or not 320 x 200 colour picture
// is reported through reportPictureLoadError (false if that returns). The
// screen is then drawn at size: the fades below take a frame buffer of it.
bool LoadLoaderPicture(const FrameSize& size = ClassicFrame);
// 1 s black, a 2 s fade-in, the picture until 4 s (128 timer ticks a second).
void LoaderFadeIn(std::uint32_t* fb);
// A 2 s fade-out, then black until 3 s.
void LoaderFadeOut(std::uint32_t* fb);
// The picture at once, without fades or waits: the loading screen of a start
// at a moment (--from, the page's link to one), which the show's first frame
// then replaces; the buffer is left black, as after the fade-out. The fades'
// 7 s belong to the start from the beginning.
void LoaderShow(std::uint32_t* fb);
void ReleaseLoaderPicture();

// --trace: TraceStep writes "trace: STEP" on standard error while on.
void TraceStep(std::string_view step);

}  // namespace vx
