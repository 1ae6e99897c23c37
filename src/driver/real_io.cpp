// The driver's input and output wired to the program's own platform layer.
// Only vx1 (and the headless modes) use this; the driver's tests use
// recording fakes.
#include <chrono>

#include "base/system.h"
#include "datalib/datalib.h"
#include "driver/driver_io.h"
#include "platform/picture.h"

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
  io.addLibrary = AddLibrary;
  io.loadPicture = LoadJpegPicture;
  io.releasePicture = ReleasePicture;
  io.reportPictureLoadError = [] { ReportPictureLoadError(); };
  io.milliseconds = SteadyMilliseconds;
  io.sleepMilliseconds = SleepMilliseconds;
  return io;
}

}  // namespace vx
