#pragma once
// Recording fakes of the driver's input and output (archive, loading-screen
// picture, millisecond counter), of the window's and the music's backends
// under the platform layer's own dispatch, and of the scene modules, on a
// virtual millisecond clock. Each call appends a line to
// World().calls; a presented frame is recorded by what it shows (black, the
// loader picture, the picture darkened by k, or something else). The clock
// moves only when a frame is presented (presentSteps, then presentStep
// milliseconds) or a pause is slept, so runs are exact and take no real
// time.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "driver/driver_io.h"
#include "driver/timeline.h"

namespace vx::test {

struct SceneCall {
  std::string scene;
  float t;
  int extra;       // kinyit's picture choice (0/1), blau's picture index, else 0
  FrameSize size;  // the size the module was asked to draw at
};

struct FakeWorld {
  std::vector<std::string> calls;
  std::vector<SceneCall> scenes;
  std::vector<std::vector<std::uint32_t>> presented;  // every presented frame
  std::vector<FrameSize> presentedSizes;              // the size of each

  std::uint32_t now = 0;                   // the virtual millisecond counter
  std::deque<std::uint32_t> presentSteps;  // ms added by the next presents
  std::uint32_t presentStep = 0;           // ms added once presentSteps is empty
  int presentResult = 0;
  std::uint32_t slept = 0;  // total ms slept

  std::deque<float> musicTimes;  // successive MusicTime results (last repeats)
  int quitAtPump = -1;           // index of the pump that sees the quit message
  int pumps = 0;
  int startVideoResult = 0;
  int resizeVideoResult = 0;
  FrameSize nativeSize = ClassicFrame;  // what the fake display calls native
  bool openLibraryResult = true;

  bool loadPictureResult = true;
  std::uint32_t pictureWidth = 320;
  std::uint32_t pictureHeight = 200;
  std::uint8_t pictureBytesPerPixel = 4;
  std::vector<std::uint32_t> picture;  // the loader picture's pixels
  // A name in the sharp folder (SHARP\...) loads a colour picture of this size (none while
  // 0 x 0), a pattern of its own, into sharpPicture.
  std::uint32_t sharpWidth = 0;
  std::uint32_t sharpHeight = 0;
  std::vector<std::uint32_t> sharpPicture;

  std::vector<std::uint32_t> frameBuffer;
};

// The one world the fakes act on; ResetWorld gives a fresh one.
FakeWorld& World();
void ResetWorld();

DriverIo FakeIo();
// The real show's slots drawn with modules that record into World().scenes
// and World().calls instead ("NAME T ARGUMENT", "Load NAME", "Free NAME").
const Show& FakeShow();
// Installs them all, the music starting at musicStartSeconds as --from
// sets it (and clears QuitFlag).
void InstallFakes(double musicStartSeconds = 0.0);

}  // namespace vx::test
