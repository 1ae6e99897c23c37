// The driver's input and output wired to the program's own platform layer.
// Only vx1 (and the headless modes) use this; the driver's tests use
// recording fakes.
#include <chrono>

#include "base/system.h"
#include "datalib/datalib.h"
#include "driver/driver_io.h"
#include "platform/music.h"
#include "platform/picture.h"
#include "platform/video.h"

namespace vx {
namespace {

// The system's millisecond counter: wraps at 2^32 like the original tick
// count, which TimerTime's unsigned subtraction allows for.
std::uint32_t SteadyMilliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace

DriverIo RealDriverIo() {
  DriverIo io{};
  io.openLibrary = OpenLibrary;
  io.startVideo = StartVideo;
  io.presentFrame = PresentFrame;
  io.stopVideo = StopVideo;
  io.frameBuffer = FrameBuffer;
  io.pumpMessages = PumpMessages;
  io.loadPicture = LoadJpegPicture;
  io.releasePicture = ReleasePicture;
  io.reportPictureLoadError = [] { ReportPictureLoadError(); };
  io.startMusic = StartMusic;
  io.setMusicScale = SetMusicScale;
  io.playMusic = PlayMusic;
  io.musicTime = MusicTime;
  io.stopMusic = StopMusic;
  io.freeMusic = FreeMusic;
  io.rewindMusic = RewindMusic;
  io.milliseconds = SteadyMilliseconds;
  io.sleepMilliseconds = SleepMilliseconds;
  return io;
}

}  // namespace vx
