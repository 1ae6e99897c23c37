// The loading screen: "DATA\loader.jpg" faded in from black before loading
// and out to black after it, on the driver's timer at 128 ticks a second.
// Within a fade, c is the timer value truncated toward zero as a signed
// 16-bit number. The fades draw and present but pump no messages; their
// final waits sleep a millisecond at a time instead of spinning. The loader
// picture is a classic frame, so the video shows the loading screen at the
// classic size whatever size the show is drawn at.
#include <cstdint>

#include "driver/driver_io.h"
#include "fx2d/fx2d.h"
#include "platform/video.h"

namespace vx {
namespace {

constexpr std::uint32_t LoaderTicksPerSecond = 128;

Picture gLoader{};

std::int16_t TimerStep() {
  return static_cast<std::int16_t>(static_cast<std::int64_t>(TimerTime()) & 0xFFFF);
}

void WaitUntil(float ticks) {
  const DriverIo& io = CurrentDriverIo();
  while (TimerTime() < ticks) io.sleepMilliseconds(1);
}

const std::uint32_t* LoaderPixelsOf() {
  return PictureWords(gLoader);
}

}  // namespace

bool LoadLoaderPicture() {
  const DriverIo& io = CurrentDriverIo();
  if (!io.loadPicture("DATA\\loader.jpg", gLoader)) {
    io.reportPictureLoadError();
    return false;
  }
  // The pixel operations read 64000 words: any other size or a grey picture
  // would be read past its end, so it counts as a failed load.
  if (gLoader.width != std::uint32_t{ScreenWidth} ||
      gLoader.height != std::uint32_t{ScreenHeight} || gLoader.bytesPerPixel != 4) {
    io.releasePicture(gLoader);
    io.reportPictureLoadError();
    return false;
  }
  return true;
}

void LoaderFadeIn(std::uint32_t* fb) {
  StartTimer(LoaderTicksPerSecond);
  ClearScreen(fb, ScreenPixels);
  PresentFrame();
  for (;;) {
    const std::int16_t c = TimerStep();
    if (c < 128) ClearScreen(fb, ScreenPixels);
    if (c > 383) break;
    // Brightness rises from 0/256 at c = 128 to 255/256 at c = 383.
    if (c >= 128)
      Fx2d().darkenScreen(LoaderPixelsOf(), fb, ScreenPixels,
                          static_cast<std::uint8_t>(255 - (c - 128)));
    PresentFrame();
  }
  CopyScreen(LoaderPixelsOf(), fb, ScreenPixels);
  PresentFrame();
  WaitUntil(512.0f);
}

void LoaderFadeOut(std::uint32_t* fb) {
  StartTimer(LoaderTicksPerSecond);
  CopyScreen(LoaderPixelsOf(), fb, ScreenPixels);
  PresentFrame();
  for (;;) {
    const std::int16_t c = TimerStep();
    if (c > 255) break;
    // Brightness falls from 255/256 at c = 0 to 0 at c = 255. A negative c
    // cannot come from the timer before it wraps at 32768 ticks (256 s).
    Fx2d().darkenScreen(LoaderPixelsOf(), fb, ScreenPixels, static_cast<std::uint8_t>(c));
    PresentFrame();
  }
  ClearScreen(fb, ScreenPixels);
  PresentFrame();
  WaitUntil(384.0f);
}

void LoaderShow(std::uint32_t* fb) {
  CopyScreen(LoaderPixelsOf(), fb, ScreenPixels);
  PresentFrame();
  // The picture stays on screen until the first frame; the buffer is black
  // again, as the fade-out leaves it, for the scenes that draw onto it.
  ClearScreen(fb, ScreenPixels);
}

void ReleaseLoaderPicture() {
  CurrentDriverIo().releasePicture(gLoader);
}

}  // namespace vx
