#pragma once
// Texture levels for the fill tests at frames larger than the classic one:
// random textures of 256, 512 and 1024 texels a side with their levels, and
// records that break the levels' promises, handed out at random to the
// polygons of a test object.
#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "raster/raster.h"
#include "raster_fixture.h"

namespace vx::rastertest {

// A texture of 2^sizeLog2 texels a side and its levels.
struct LevelledTexture {
  LevelledTexture(std::vector<std::uint32_t> texels, std::uint32_t sizeLog2)
      : base(std::move(texels)), levelTexels(TextureLevelWords(sizeLog2)) {
    levels = MakeTextureLevels(base.data(), sizeLog2, levelTexels.data());
  }
  LevelledTexture(const LevelledTexture&) = delete;
  LevelledTexture& operator=(const LevelledTexture&) = delete;

  std::vector<std::uint32_t> base;
  std::vector<std::uint32_t> levelTexels;
  TextureLevels levels{};
};

inline std::vector<std::uint32_t> RandomTexels(std::mt19937& random, std::uint32_t sizeLog2) {
  std::vector<std::uint32_t> texels(std::size_t{1} << (2 * sizeLog2));
  for (std::uint32_t& texel : texels) texel = random() & 0xFFFFFFu;
  return texels;
}

struct RandomLevels {
  explicit RandomLevels(std::mt19937& random)
      : small(RandomTexels(random, 8), 8),
        middle(RandomTexels(random, 9), 9),
        large(RandomTexels(random, 10), 10) {
    // Promises broken one at a time: a side past the largest, no level, a
    // missing level's texels, more levels than the side has.
    broken[0] = large.levels;
    broken[0].sizeLog2 = MaxTextureSizeLog2 + 1;
    broken[1] = middle.levels;
    broken[1].levelCount = 0;
    broken[2] = middle.levels;
    broken[2].texels[3] = nullptr;
    broken[3] = small.levels;
    broken[3].levelCount = MaxTextureLevels;
  }

  // One of the three textures three times in ten each, no levels or a
  // broken record one time in ten each.
  const TextureLevels* Pick(std::mt19937& random) const {
    switch (random() % 10) {
      case 0:
        return nullptr;
      case 1:
        return &broken[random() % 4];
      case 2:
      case 3:
      case 4:
        return &small.levels;
      case 5:
      case 6:
      case 7:
        return &middle.levels;
      default:
        return &large.levels;
    }
  }

  // Levels for the object's polygons from index first on.
  void Give(std::mt19937& random, TestObject& object, std::size_t first = 0) const {
    for (std::size_t i = first; i < object.polygons.size(); ++i) {
      object.polygons[i].levels = Pick(random);
    }
  }

  LevelledTexture small, middle, large;
  TextureLevels broken[4]{};
};

}  // namespace vx::rastertest
