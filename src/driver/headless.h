#pragma once
// Shared by the headless modes of vx1 (private to the driver).
#include <cstdint>
#include <string>
#include <vector>

namespace vx {

// Headless video, the data library (first of libraries that opens) and every
// scene module; returns the frame buffer, cleared to black, or nullptr when
// the video could not start.
std::uint32_t* StartHeadless(const std::vector<std::string>& libraries);
// Frees the scene modules, then the video.
void StopHeadless();

}  // namespace vx
