#pragma once
// The start and end that every headless mode shares (screenshots, bench,
// contact sheet, capture).
#include <cstdint>

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

}  // namespace vx
