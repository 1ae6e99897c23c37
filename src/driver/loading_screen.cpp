// The loading screen: "DATA\loader.jpg" faded in from black before loading
// and out to black after it, on the driver's timer at 128 ticks a second.
// Within a fade, c is the timer value truncated toward zero as a signed
// 16-bit number. The fades draw and present but pump no messages; their
// final waits sleep a millisecond at a time instead of spinning.
#include <cstdint>

#include "driver/driver.h"

namespace vx {
namespace {

constexpr std::uint32_t LoaderTicksPerSecond = 128;
constexpr std::uint32_t LoaderWidth = 320;
constexpr std::uint32_t LoaderHeight = 200;
constexpr std::uint32_t LoaderPixels = LoaderWidth * LoaderHeight;
static_assert(LoaderPixels == 64000);

Picture gLoader{};

std::int16_t TimerStep() {
  return static_cast<std::int16_t>(static_cast<std::int64_t>(TimerTime()) & 0xFFFF);
}

void WaitUntil(float ticks) {
  const DriverServices& s = CurrentDriverServices();
  while (TimerTime() < ticks) s.sleepMilliseconds(1);
}

const std::uint32_t* LoaderPixelsOf() {
  return PictureWords(gLoader);
}

}  // namespace

bool LoadLoaderPicture() {
  const DriverServices& s = CurrentDriverServices();
  if (!s.loadPicture("DATA\\loader.jpg", gLoader)) {
    s.reportPictureLoadError();
    return false;
  }
  // The pixel operations read 64000 words: any other size or a grey picture
  // would be read past its end, so it counts as a failed load.
  if (gLoader.width != LoaderWidth || gLoader.height != LoaderHeight ||
      gLoader.bytesPerPixel != 4) {
    s.releasePicture(gLoader);
    s.reportPictureLoadError();
    return false;
  }
  return true;
}

void LoaderFadeIn(std::uint32_t* fb) {
  const DriverServices& s = CurrentDriverServices();
  StartTimer(LoaderTicksPerSecond);
  s.clearScreen(fb);
  s.presentFrame();
  for (;;) {
    const std::int16_t c = TimerStep();
    if (c < 128) s.clearScreen(fb);
    if (c > 383) break;
    // Brightness rises from 0/256 at c = 128 to 255/256 at c = 383.
    if (c >= 128)
      s.darkenScreen(LoaderPixelsOf(), fb, LoaderPixels,
                     static_cast<std::uint8_t>(255 - (c - 128)));
    s.presentFrame();
  }
  s.copyScreen(LoaderPixelsOf(), fb);
  s.presentFrame();
  WaitUntil(512.0f);
}

void LoaderFadeOut(std::uint32_t* fb) {
  const DriverServices& s = CurrentDriverServices();
  StartTimer(LoaderTicksPerSecond);
  s.copyScreen(LoaderPixelsOf(), fb);
  s.presentFrame();
  for (;;) {
    const std::int16_t c = TimerStep();
    if (c > 255) break;
    // Brightness falls from 255/256 at c = 0 to 0 at c = 255. A negative c
    // cannot come from the timer before it wraps at 32768 ticks (256 s).
    s.darkenScreen(LoaderPixelsOf(), fb, LoaderPixels, static_cast<std::uint8_t>(c));
    s.presentFrame();
  }
  s.clearScreen(fb);
  s.presentFrame();
  WaitUntil(384.0f);
}

void ReleaseLoaderPicture() {
  CurrentDriverServices().releasePicture(gLoader);
}

}  // namespace vx
