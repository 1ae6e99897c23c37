// SSE2 radial blur. Within a quadrant a pixel needs its neighbour in the
// walk direction (H, just done) and two pixels of the row before (V, D), so
// a row is serial and each row waits for the one before it. Four rows are
// carried at once, each one pixel behind the row before it (a wavefront):
// at step t, lane k (row r + k) does column t - k, and its V and D are the
// outputs of lane k - 1 at steps t - 1 and t - 2, still in registers.
//
// The four lanes are held channel-major in 16-bit lanes: register A holds
// blue of lanes 0..3 then green of lanes 0..3, register B red then the fourth
// byte. Passing a value from lane k - 1 to lane k is then a 16-bit shift
// within each 64-bit half, and a weight of all four lanes is one register.
//
// Ramp-in and ramp-out of the wavefront and rows left over go through the
// one-pixel version of the same arithmetic, reading from memory in walk order;
// so does the cross, and every pixel of the blur at a frame larger than the
// classic one, whose samples lie a classic pixel toward the centre along
// their own rays (radial_blur_stepped.h).
#if defined(__SSE2__)  // x86-64 baseline; elsewhere only the plain table exists
#include <cstdint>

#include "fx2d/fx2d_internal.h"
#include "fx2d/radial_blur_simd.h"
#include "fx2d/radial_blur_stepped.h"

namespace vx::fx2d::sse2 {

using namespace radial_simd;

void RadialBlur(std::int32_t cx, std::int32_t cy, std::uint8_t strength, std::uint8_t gain,
                const FrameSize& frame, RadialPart part, std::uint32_t* fb) {
  const BlurContext b = MakeContext(cx, cy, strength, gain, frame, fb);
  BlurPart(b, frame, part, [&b](const RadialQuadrant& q) { BlurRowsFrom(b, q, 0); });
}

}  // namespace vx::fx2d::sse2

#endif  // defined(__SSE2__)
