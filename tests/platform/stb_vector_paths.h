#pragma once
// stb_image_resize2 compiled a second time, with the vector path that
// picture_resample.cpp turns off: the one the target selects by itself
// (SSE2 on x86-64, NEON on 64-bit ARM). ResamplePicture must give the same
// bytes. The copy lives in its own translation unit, stb_default_path.cpp.
#include <cstdint>
#include <vector>

#include "base/pixels.h"

namespace vx::test {

// The resize ResamplePicture asks for (four channels of bytes, Catmull-Rom,
// edges clamped) into width x height x 4 bytes; false when the resizer
// refuses.
bool ResampleWithDefaultVectorPath(const Picture& source, std::uint32_t width, std::uint32_t height,
                                   std::vector<std::uint8_t>& out);

}  // namespace vx::test
