// The box-filtered texture levels: every level's texel is the mean of its
// block of level-0 texels, byte by byte, rounded half up, however many
// halvings lie between (against a mean computed straight from level 0, and
// hand-computed cases where rounding level by level would differ).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "random_levels.h"
#include "raster/raster.h"

namespace vx::rastertest {
namespace {

// The mean of the 2^k x 2^k block of base (side texels a side) that texel
// (x, y) of level k covers, each byte on its own, rounded half up.
std::uint32_t BlockMean(const std::vector<std::uint32_t>& base, std::uint32_t side, std::uint32_t k,
                        std::uint32_t x, std::uint32_t y) {
  const std::uint32_t block = 1u << k;
  std::uint64_t sums[4] = {};
  for (std::uint32_t row = y * block; row < (y + 1) * block; ++row) {
    for (std::uint32_t column = x * block; column < (x + 1) * block; ++column) {
      const std::uint32_t texel = base[row * side + column];
      for (int c = 0; c < 4; ++c) sums[c] += (texel >> (8 * c)) & 0xFFu;
    }
  }
  const std::uint64_t count = std::uint64_t{block} * block;
  std::uint32_t mean = 0;
  for (int c = 0; c < 4; ++c) {
    // Half up: floor(sum / count + 1/2).
    mean |= static_cast<std::uint32_t>((2 * sums[c] + count) / (2 * count)) << (8 * c);
  }
  return mean;
}

TEST(TextureLevels, EveryLevelIsTheRoundedMeanOfItsBlockOfLevelZero) {
  std::mt19937 random(31);
  for (const std::uint32_t sizeLog2 : {8u, 9u, 10u}) {
    SCOPED_TRACE(testing::Message() << "side " << (1u << sizeLog2));
    // Every byte in use, the top one too: no carry may cross bytes.
    std::vector<std::uint32_t> base(std::size_t{1} << (2 * sizeLog2));
    for (std::uint32_t& texel : base) texel = static_cast<std::uint32_t>(random());
    std::vector<std::uint32_t> out(TextureLevelWords(sizeLog2));
    const TextureLevels levels = MakeTextureLevels(base.data(), sizeLog2, out.data());
    ASSERT_EQ(levels.sizeLog2, sizeLog2);
    ASSERT_EQ(levels.levelCount, sizeLog2 + 1);
    ASSERT_EQ(levels.texels[0], base.data());
    const std::uint32_t side = 1u << sizeLog2;
    for (std::uint32_t k = 1; k <= sizeLog2; ++k) {
      const std::uint32_t levelSide = side >> k;
      // Inside the output, one level after the other.
      ASSERT_EQ(levels.texels[k],
                k == 1 ? out.data() : levels.texels[k - 1] + 4 * levelSide * levelSide);
      for (std::uint32_t y = 0; y < levelSide; ++y) {
        for (std::uint32_t x = 0; x < levelSide; ++x) {
          ASSERT_EQ(levels.texels[k][y * levelSide + x], BlockMean(base, side, k, x, y))
              << "level " << k << " texel " << x << ", " << y;
        }
      }
    }
    ASSERT_EQ(levels.texels[sizeLog2] + 1, out.data() + out.size());
  }
}

// Hand-computed: in a texture of zeros, the 2 x 2 blocks of level 1 hold
// one, two and three texels of blue 1 (means 1/4, 1/2, 3/4: 0, 1, 1), and
// the 4 x 4 block at (1, 0) of level 2 holds five (its level-1 texels are
// 1, 1, 0, 0, whose own mean would round to 1; 5/16 rounds to 0). A block
// of 0xFF bytes stays 0xFF in each byte, and a quarter of it rounds up.
TEST(TextureLevels, MeansRoundHalfUpFromTheExactSums) {
  std::vector<std::uint32_t> base(256 * 256, 0);
  auto at = [&](int x, int y) -> std::uint32_t& { return base[y * 256 + x]; };
  at(0, 0) = 1;                                                     // level-1 texel (0, 0): 1/4
  at(2, 0) = at(3, 1) = 1;                                          // (1, 0): 1/2
  at(4, 0) = at(5, 0) = at(4, 1) = 1;                               // (2, 0): 3/4
  at(6, 0) = at(6, 1) = 1;                                          // (3, 0): 1/2
  at(10, 10) = at(11, 10) = at(10, 11) = at(11, 11) = 0xFFFFFFFFu;  // level-1 (5, 5)
  std::vector<std::uint32_t> out(TextureLevelWords(8));
  const TextureLevels levels = MakeTextureLevels(base.data(), 8, out.data());
  EXPECT_EQ(levels.texels[1][0], 0u);
  EXPECT_EQ(levels.texels[1][1], 1u);
  EXPECT_EQ(levels.texels[1][2], 1u);
  EXPECT_EQ(levels.texels[1][3], 1u);
  EXPECT_EQ(levels.texels[1][5 * 128 + 5], 0xFFFFFFFFu);
  // Level 2 (0, 0): 3 of 16 -> 0. (1, 0): texels 4..7 of rows 0..3 hold 5
  // ones: 5/16 -> 0, though its level-1 texels round to 1, 1, 0, 0.
  EXPECT_EQ(levels.texels[2][0], 0u);
  EXPECT_EQ(levels.texels[2][1], 0u);
  // (2, 2) of level 2 covers the 0xFF block: 4 x 255 / 16 = 63.75 -> 64.
  EXPECT_EQ(levels.texels[2][2 * 64 + 2], 0x40404040u);
}

}  // namespace
}  // namespace vx::rastertest
