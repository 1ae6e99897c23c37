// The loading screen: "DATA\loader.jpg" faded in from black before loading
// and out to black after it, on the driver's timer at 128 ticks a second.
// Within a fade, c is the timer value truncated toward zero as a signed
// 16-bit number. The fades draw and present but pump no messages; their
// final waits sleep a millisecond at a time instead of spinning. A show of
// another size shows the loading screen at that size: the sharp picture of
// the nearest aspect (the classic one when the sharp archive lacks it),
// resampled once to the frame, so the screen is as sharp as the cards.
#include <cstdint>

#include "datalib/datalib.h"
#include "driver/driver_io.h"
#include "fx2d/fx2d.h"
#include "platform/picture.h"
#include "platform/video.h"

namespace vx {
namespace {

constexpr std::uint32_t LoaderTicksPerSecond = 128;

Picture gLoader{};
// At a size other than the classic one: the loader picture at that size.
Picture gLoaderSized{};
FrameSize gLoaderSize = ClassicFrame;

std::int16_t TimerStep() {
  return static_cast<std::int16_t>(static_cast<std::int64_t>(TimerTime()) & 0xFFFF);
}

void WaitUntil(float ticks) {
  const DriverIo& io = CurrentDriverIo();
  while (TimerTime() < ticks) io.sleepMilliseconds(1);
}

const std::uint32_t* LoaderPixelsOf() {
  return gLoaderSize == ClassicFrame ? PictureWords(gLoader) : PictureWords(gLoaderSized);
}

// The frame's words, which every pixel operation of the screen covers.
std::uint32_t LoaderWords() {
  return static_cast<std::uint32_t>(FrameWords(gLoaderSize));
}

// The sharp picture only when it is the colour picture of its stated size;
// anything else is left to the classic one, as the scenes' cards do.
void LoadSharpLoader(const FrameSize& size, Picture& sharp) {
  const DriverIo& io = CurrentDriverIo();
  const SharpPictureSize want = SharpPictureSizes[NearestSharpPictureSize(size.width, size.height)];
  if (!io.loadPicture(SharpPictureName("loader.jpg", want), sharp)) return;
  if (sharp.width != static_cast<std::uint32_t>(want.width) ||
      sharp.height != static_cast<std::uint32_t>(want.height) || sharp.bytesPerPixel != 4)
    io.releasePicture(sharp);
}

// Resamples once, before the fades: they then only darken and copy. When
// memory refuses the copy (ResamplePicture says so) the screen stays
// black at that size rather than drawing a classic frame into a larger one.
void SizeLoader(const FrameSize& size) {
  gLoaderSize = size;
  if (size == ClassicFrame) return;
  Picture sharp{};
  LoadSharpLoader(size, sharp);
  const Picture& from = sharp.pixels != nullptr ? sharp : gLoader;
  if (!ResamplePicture(from, static_cast<std::uint32_t>(size.width),
                       static_cast<std::uint32_t>(size.height), gLoaderSized))
    gLoaderSized = Picture{};
  if (sharp.pixels != nullptr) CurrentDriverIo().releasePicture(sharp);
}

// Copies the picture, or clears where there is none to copy.
void ShowLoader(std::uint32_t* fb) {
  if (LoaderPixelsOf() == nullptr) {
    ClearScreen(fb, LoaderWords());
    return;
  }
  CopyScreen(LoaderPixelsOf(), fb, LoaderWords());
}

void DarkenLoader(std::uint32_t* fb, std::uint8_t level) {
  if (LoaderPixelsOf() == nullptr) {
    ClearScreen(fb, LoaderWords());
    return;
  }
  Fx2d().darkenScreen(LoaderPixelsOf(), fb, LoaderWords(), level);
}

}  // namespace

bool LoadLoaderPicture(const FrameSize& size) {
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
  SizeLoader(size);
  return true;
}

void LoaderFadeIn(std::uint32_t* fb) {
  StartTimer(LoaderTicksPerSecond);
  ClearScreen(fb, LoaderWords());
  PresentFrame();
  for (;;) {
    const std::int16_t c = TimerStep();
    if (c < 128) ClearScreen(fb, LoaderWords());
    if (c > 383) break;
    // Brightness rises from 0/256 at c = 128 to 255/256 at c = 383.
    if (c >= 128) DarkenLoader(fb, static_cast<std::uint8_t>(255 - (c - 128)));
    PresentFrame();
  }
  ShowLoader(fb);
  PresentFrame();
  WaitUntil(512.0f);
}

void LoaderFadeOut(std::uint32_t* fb) {
  StartTimer(LoaderTicksPerSecond);
  ShowLoader(fb);
  PresentFrame();
  for (;;) {
    const std::int16_t c = TimerStep();
    if (c > 255) break;
    // Brightness falls from 255/256 at c = 0 to 0 at c = 255. A negative c
    // cannot come from the timer before it wraps at 32768 ticks (256 s).
    DarkenLoader(fb, static_cast<std::uint8_t>(c));
    PresentFrame();
  }
  ClearScreen(fb, LoaderWords());
  PresentFrame();
  WaitUntil(384.0f);
}

void LoaderShow(std::uint32_t* fb) {
  ShowLoader(fb);
  PresentFrame();
  // The picture stays on screen until the first frame; the buffer is black
  // again, as the fade-out leaves it, for the scenes that draw onto it.
  ClearScreen(fb, LoaderWords());
}

void ReleaseLoaderPicture() {
  ReleasePicture(gLoaderSized);
  gLoaderSize = ClassicFrame;
  CurrentDriverIo().releasePicture(gLoader);
}

}  // namespace vx
