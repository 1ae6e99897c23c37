// Plain glow passes: one pixel and one byte at a time, in exactly the order
// of the walk. The SSE2 and AVX2 glows must equal these byte for byte.
#include <algorithm>
#include <cassert>
#include <cstdint>

#include "fx2d/fx2d_internal.h"

namespace vx::fx2d::plain {
namespace {

// One glow step: each byte of p becomes saturate(n x N + m x P at 65535) >> 8.
// The products are exact; n and m are at most 65535 + 256 and 65535.
std::uint32_t GlowPixel(std::uint32_t neighbour, std::uint32_t pixel, std::uint32_t n,
                        std::uint32_t m) {
  std::uint32_t result = 0;
  for (int c = 0; c < 4; ++c) {
    const std::uint32_t sum = ByteOf(neighbour, c) * n + ByteOf(pixel, c) * m;
    result |= (std::min(sum, 65535u) >> 8) << (8 * c);
  }
  return result;
}

// Neighbour weight n = spread + gain, without wrapping; own weight
// m = 256 - spread as a 16-bit factor (spread 0 gives 256).
struct GlowWeights {
  std::uint32_t n, m;
};
GlowWeights GlowWeightsFor(std::uint16_t spread, std::uint16_t gain) {
  assert(spread <= 256);
  return {std::uint32_t{spread} + gain, (256u - spread) & 0xFFFF};
}

}  // namespace

void GlowRight(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
               std::uint32_t* buffer) {
  const GlowWeights g = GlowWeightsFor(spread, gain);
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint32_t* row = buffer + std::size_t{y} * width;
    for (std::uint32_t x = 1; x < width; ++x) row[x] = GlowPixel(row[x - 1], row[x], g.n, g.m);
  }
}

void GlowLeft(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
              std::uint32_t* buffer) {
  const GlowWeights g = GlowWeightsFor(spread, gain);
  if (width == 0) return;  // no column to start from
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint32_t* row = buffer + std::size_t{y} * width;
    for (std::uint32_t x = width - 1; x-- > 0;) row[x] = GlowPixel(row[x + 1], row[x], g.n, g.m);
  }
}

void GlowDown(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
              std::uint32_t* buffer) {
  const GlowWeights g = GlowWeightsFor(spread, gain);
  for (std::uint32_t y = 1; y < height; ++y) {
    std::uint32_t* row = buffer + std::size_t{y} * width;
    const std::uint32_t* above = row - width;
    for (std::uint32_t x = 0; x < width; ++x) row[x] = GlowPixel(above[x], row[x], g.n, g.m);
  }
}

void GlowUp(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
            std::uint32_t* buffer) {
  const GlowWeights g = GlowWeightsFor(spread, gain);
  if (height == 0) return;  // no row to start from
  for (std::uint32_t y = height - 1; y-- > 0;) {
    std::uint32_t* row = buffer + std::size_t{y} * width;
    const std::uint32_t* below = row + width;
    for (std::uint32_t x = 0; x < width; ++x) row[x] = GlowPixel(below[x], row[x], g.n, g.m);
  }
}

}  // namespace vx::fx2d::plain
