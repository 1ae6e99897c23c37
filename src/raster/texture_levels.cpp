// Box-filtered texture levels. Each level keeps the unrounded byte sums of
// its texels, so that a level's texels are exact means of level 0 however
// many halvings lie between: the sum of a 2^k x 2^k block of bytes is at
// most 255 x 4^MaxTextureSizeLog2 < 2^28, well inside 32 bits.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/raster.h"

namespace vx {
namespace {

constexpr int Channels = 4;  // the bytes of a texel, each filtered on its own

// The byte sums of level k + 1 (side / 2 texels a side) from those of level
// k (side texels a side): each the sum of a 2 x 2 block.
void HalveSums(const std::vector<std::uint32_t>& sums, std::size_t side,
               std::vector<std::uint32_t>& half) {
  const std::size_t halfSide = side / 2;
  half.assign(halfSide * halfSide * Channels, 0);
  for (std::size_t y = 0; y < halfSide; ++y) {
    const std::uint32_t* top = sums.data() + 2 * y * side * Channels;
    const std::uint32_t* bottom = top + side * Channels;
    std::uint32_t* out = half.data() + y * halfSide * Channels;
    for (std::size_t i = 0; i < halfSide * Channels; ++i) {
      const std::size_t x = (i / Channels) * 2 * Channels + i % Channels;
      out[i] = top[x] + top[x + Channels] + bottom[x] + bottom[x + Channels];
    }
  }
}

// Texels of the sums of blocks of 4^k texels: (s + 4^k / 2) >> 2k a byte.
void WriteMeans(const std::vector<std::uint32_t>& sums, std::uint32_t k, std::uint32_t* out) {
  const std::uint32_t shift = 2 * k;
  const std::uint32_t half = std::uint32_t{1} << (shift - 1);
  for (std::size_t t = 0; t < sums.size() / Channels; ++t) {
    std::uint32_t texel = 0;
    for (int c = 0; c < Channels; ++c) {
      texel |= ((sums[t * Channels + c] + half) >> shift) << (8 * c);
    }
    out[t] = texel;
  }
}

}  // namespace

TextureLevels MakeTextureLevels(const std::uint32_t* base, std::uint32_t sizeLog2,
                                std::uint32_t* out) {
  assert(base != nullptr && sizeLog2 <= MaxTextureSizeLog2);
  TextureLevels levels{};
  levels.texels[0] = base;
  levels.sizeLog2 = sizeLog2;
  levels.levelCount = sizeLog2 + 1;
  std::size_t side = std::size_t{1} << sizeLog2;
  std::vector<std::uint32_t> sums(side * side * Channels), half;
  for (std::size_t t = 0; t < side * side; ++t) {
    for (int c = 0; c < Channels; ++c) sums[t * Channels + c] = (base[t] >> (8 * c)) & 0xFFu;
  }
  for (std::uint32_t k = 1; k <= sizeLog2; ++k) {
    HalveSums(sums, side, half);
    sums.swap(half);
    side /= 2;
    WriteMeans(sums, k, out);
    levels.texels[k] = out;
    out += side * side;
  }
  return levels;
}

}  // namespace vx
