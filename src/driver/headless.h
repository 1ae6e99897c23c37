#pragma once
// Shared by the headless modes of vx1 (private to the driver).
#include <cstdint>

#include "driver/driver.h"

namespace vx {

// Headless video, the data library (OpenShowLibrary) and every scene module;
// returns the frame buffer, cleared to black, or nullptr when the archive was
// refused or the video could not start.
std::uint32_t* StartHeadless(const LibrarySearch& libraries);
// Frees the scene modules, then the video.
void StopHeadless();

}  // namespace vx
