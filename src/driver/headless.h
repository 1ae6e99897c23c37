#pragma once
// The start and end that every headless mode shares (screenshots, bench,
// contact sheet, capture).
#include <cstdint>

#include "driver/driver.h"

namespace vx {

// Starts the video (vx1 chooses the headless one for these modes), opens
// the data library (OpenShowLibrary) and loads every scene module; returns
// the frame buffer, cleared to black, or nullptr when the archive was
// refused or the video could not start.
std::uint32_t* StartHeadless(const LibrarySearch& libraries);
// Frees the scene modules, then the video.
void StopHeadless();

}  // namespace vx
