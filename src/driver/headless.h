#pragma once
// Private to the driver and to vxscan, which draws the show through it.
// The start and end that every headless mode shares (screenshots, bench,
// contact sheet, capture).
#include <cstdint>
#include <vector>

#include "driver/driver.h"
#include "driver/frame_loop.h"

namespace vx {

// Starts the video (vx1 chooses the headless one for these modes) at the
// frame size, opens the data library (OpenShowLibrary) and loads every
// scene module; returns the frame buffer, cleared to black, with its size,
// or pixels nullptr when the archive was refused or the video could not
// start.
FrameTarget StartHeadless(const LibrarySearch& libraries, const FrameSize& size);
// Frees the scene modules, then the video.
void StopHeadless();

// The single-float demo time of a screenshot at seconds.
float ScreenshotTime(double seconds);
// The moments of the --screenshot requests, in order, each drawn from black:
// the timeline's, or with e labda's at that moment of the effect test.
std::vector<FrameMoment> ScreenshotMoments(const DriverOptions& options);

}  // namespace vx
