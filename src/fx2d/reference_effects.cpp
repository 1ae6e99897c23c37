// Plain reference versions of the frame-buffer effects: one pixel and one
// byte at a time, in exactly the order of the walk. The optimised versions
// must equal these byte for byte.
#include <algorithm>
#include <cassert>
#include <cstdint>

#include "fx2d/fx2d.h"
#include "fx2d/fx2d_internal.h"

namespace vx::reference {
namespace {

std::uint32_t ByteOf(std::uint32_t pixel, int c) {
  return (pixel >> (8 * c)) & 0xFF;
}

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

void RadialBlur(std::int32_t cx, std::int32_t cy, std::uint8_t strength, std::uint8_t gain,
                std::uint32_t* fb) {
  const std::uint8_t* table = fx2d::RadialWeights();
  assert(table != nullptr && "BuildRadialTable must run before RadialBlur");
  assert(cx >= 1 && cx <= ScreenWidth - 1 && cy >= 1 && cy <= ScreenHeight - 1);
  assert(strength + gain <= 255);
  const std::uint32_t k1 = static_cast<std::uint8_t>(strength + gain);
  const std::uint32_t k0 = 255u - strength;

  const fx2d::RadialWalk walk = fx2d::RadialWalkFor(cx, cy);
  for (const fx2d::RadialQuadrant& q : walk.quadrant) {
    for (int r = 0; r < q.rows; ++r) {
      const int y = q.y0 + q.sy * r;
      for (int c = 0; c < q.cols; ++c) {
        const int x = q.x0 + q.sx * c;
        const std::uint8_t* w = table + fx2d::RadialEntryOffset(x - cx, y - cy);
        const std::uint32_t p = fb[y * ScreenWidth + x];
        const std::uint32_t d = fb[(y - q.sy) * ScreenWidth + (x - q.sx)];
        const std::uint32_t v = fb[(y - q.sy) * ScreenWidth + x];
        const std::uint32_t h = fb[y * ScreenWidth + (x - q.sx)];
        std::uint32_t result = 0;
        for (int b = 0; b < 4; ++b) {
          const std::uint32_t s = (w[0] * ByteOf(d, b) + w[1] * ByteOf(v, b) + w[2] * ByteOf(h, b) +
                                   w[3] * ByteOf(p, b)) >>
                                  8;
          const std::uint32_t mixed = std::min(s * k1 + ByteOf(p, b) * k0, 65535u) >> 8;
          result |= mixed << (8 * b);
        }
        fb[y * ScreenWidth + x] = result;
      }
    }
  }
}

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

}  // namespace vx::reference
