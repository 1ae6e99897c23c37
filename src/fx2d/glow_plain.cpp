// Plain glow passes: one pixel and one byte at a time, in exactly the order
// of the walk. The SSE2 and AVX2 glows must equal these byte for byte.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "fx2d/fx2d_internal.h"

namespace vx::fx2d::plain {
namespace {

// Neighbour weight n = spread + gain, without wrapping; own weight
// m = 256 - spread as a 16-bit factor (spread 0 gives 256); and the step.
struct GlowWeights {
  std::uint32_t n, m;
  GlowReach reach;
};
GlowWeights GlowWeightsFor(const GlowParameters& glow) {
  assert(glow.spread <= 256);
  return {std::uint32_t{glow.spread} + glow.gain, (256u - glow.spread) & 0xFFFF,
          GlowReachOf(glow.step)};
}

// One glow step: the neighbour N = near, or (near (256 - f) + far f) >> 8
// per byte between two pixels; then each byte of p becomes
// saturate(n x N + m x P at 65535) >> 8. The products are exact; n and m
// are at most 65535 + 256 and 65535.
std::uint32_t GlowPixel(std::uint32_t near, std::uint32_t far, std::uint32_t pixel,
                        const GlowWeights& g) {
  const std::uint32_t f = g.reach.fraction;
  std::uint32_t result = 0;
  for (int c = 0; c < 4; ++c) {
    const std::uint32_t neighbour =
        f == 0 ? ByteOf(near, c) : (ByteOf(near, c) * (256 - f) + ByteOf(far, c) * f) >> 8;
    const std::uint32_t sum = neighbour * g.n + ByteOf(pixel, c) * g.m;
    result |= (std::min(sum, 65535u) >> 8) << (8 * c);
  }
  return result;
}

// One walk of `length` pixels `stride` apart from `start` on.
void GlowWalk(std::uint32_t* from, std::ptrdiff_t stride, std::int32_t length,
              const GlowWeights& g) {
  const std::ptrdiff_t near = -stride * g.reach.whole;
  for (std::int32_t k = g.reach.start; k < length; ++k) {
    std::uint32_t* p = from + k * stride;
    p[0] = GlowPixel(p[near], g.reach.fraction != 0 ? p[near - stride] : 0, p[0], g);
  }
}

}  // namespace

// Rows first .. end - 1, each walked from column 0 to the right.
void GlowRight(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
               std::int32_t end, std::uint32_t* buffer) {
  const GlowWeights g = GlowWeightsFor(glow);
  for (std::int32_t y = first; y < end; ++y)
    GlowWalk(buffer + std::ptrdiff_t{y} * frame.pitch, 1, frame.width, g);
}

// Rows first .. end - 1, each walked from the last column to the left.
void GlowLeft(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
              std::int32_t end, std::uint32_t* buffer) {
  const GlowWeights g = GlowWeightsFor(glow);
  if (frame.width < 1) return;  // no column to start from
  for (std::int32_t y = first; y < end; ++y)
    GlowWalk(buffer + std::ptrdiff_t{y} * frame.pitch + frame.width - 1, -1, frame.width, g);
}

// Columns first .. end - 1, each walked from row 0 down; the columns are
// independent, so they are taken a row at a time.
void GlowDown(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
              std::int32_t end, std::uint32_t* buffer) {
  const GlowWeights g = GlowWeightsFor(glow);
  const std::ptrdiff_t pitch = frame.pitch;
  for (std::int32_t y = g.reach.start; y < frame.height; ++y) {
    std::uint32_t* row = buffer + y * pitch;
    const std::uint32_t* near = row - g.reach.whole * pitch;
    for (std::int32_t x = first; x < end; ++x)
      row[x] = GlowPixel(near[x], g.reach.fraction != 0 ? near[x - pitch] : 0, row[x], g);
  }
}

// Columns first .. end - 1, each walked from the last row up.
void GlowUp(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
            std::int32_t end, std::uint32_t* buffer) {
  const GlowWeights g = GlowWeightsFor(glow);
  const std::ptrdiff_t pitch = frame.pitch;
  for (std::int32_t y = frame.height - 1 - g.reach.start; y >= 0; --y) {
    std::uint32_t* row = buffer + y * pitch;
    const std::uint32_t* near = row + g.reach.whole * pitch;
    for (std::int32_t x = first; x < end; ++x)
      row[x] = GlowPixel(near[x], g.reach.fraction != 0 ? near[x + pitch] : 0, row[x], g);
  }
}

}  // namespace vx::fx2d::plain
