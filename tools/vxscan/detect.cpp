// vxscan's detector (detect.h): block means, one-frame spikes and the groups
// of touching blocks that spiked.
#include "detect.h"

#include <algorithm>
#include <cstdlib>

namespace vx::scan {
namespace {

// Away from both neighbours by more than limit, in the same direction.
bool Spike(int before, int now, int after, int limit) {
  return (now - before > limit && now - after > limit) ||
         (before - now > limit && after - now > limit);
}

void ToLuma(const std::uint32_t* fb, const Grid& grid, std::vector<std::uint8_t>& out) {
  out.resize(static_cast<std::size_t>(grid.pixels));
  const int width = grid.size.width;
  for (int y = 0; y < grid.size.height; ++y) {
    const std::uint32_t* row = fb + static_cast<std::size_t>(y) * grid.size.pitch;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = row[x];
      out[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(
          (77 * ((c >> 16) & 0xFF) + 150 * ((c >> 8) & 0xFF) + 29 * (c & 0xFF)) >> 8);
    }
  }
}

void BlockMeans(const std::vector<std::uint8_t>& luma, const Grid& grid, std::vector<int>& sums) {
  sums.assign(static_cast<std::size_t>(grid.blocksX) * grid.blocksY, 0);
  const int block = grid.block;
  for (int row = 0; row < grid.blocksY * block; ++row)
    for (int x = 0; x < grid.blocksX * block; ++x)
      sums[(row / block) * grid.blocksX + x / block] +=
          luma[static_cast<std::size_t>(row) * grid.size.width + x];
  for (int& s : sums) s /= block * block;
}

// Grows the group of touching spiked blocks from start, clearing each block
// it takes.
Dropout GrowGroup(int start, std::vector<char>& spiked, const Grid& grid) {
  const int block = grid.block;
  Dropout group{.left = grid.size.width, .top = grid.size.height};
  spiked[start] = 0;
  std::vector<int> stack(1, start);
  while (!stack.empty()) {
    const int i = stack.back();
    stack.pop_back();
    const int bx = i % grid.blocksX, by = i / grid.blocksX;
    ++group.blocks;
    group.left = std::min(group.left, bx * block);
    group.top = std::min(group.top, by * block);
    group.right = std::max(group.right, bx * block + block - 1);
    group.bottom = std::max(group.bottom, by * block + block - 1);
    for (int ny = std::max(by - 1, 0); ny <= std::min(by + 1, grid.blocksY - 1); ++ny) {
      for (int nx = std::max(bx - 1, 0); nx <= std::min(bx + 1, grid.blocksX - 1); ++nx) {
        const int j = ny * grid.blocksX + nx;
        if (spiked[j]) {
          spiked[j] = 0;
          stack.push_back(j);
        }
      }
    }
  }
  return group;
}

}  // namespace

Grid GridOf(const FrameSize& size) {
  const int block = static_cast<int>(ClassicBlock * FrameScale(size) + 0.5);
  return {.size = size,
          .block = block,
          .blocksX = size.width / block,
          .blocksY = size.height / block,
          .pixels = size.width * size.height};
}

void Measure(const std::uint32_t* fb, const Grid& grid, Measured& out) {
  ToLuma(fb, grid, out.luma);
  BlockMeans(out.luma, grid, out.means);
}

std::optional<Dropout> FindDropout(const Measured& before, const Measured& now,
                                   const Measured& after, const Grid& grid) {
  const std::vector<int>& a = before.means;
  const std::vector<int>& b = now.means;
  const std::vector<int>& c = after.means;
  std::vector<char> spiked(b.size(), 0);
  for (std::size_t i = 0; i < b.size(); ++i)
    spiked[i] = Spike(a[i], b[i], c[i], DropoutLevels) && std::abs(a[i] - c[i]) <= AgreeLevels;
  Dropout largest;
  for (int start = 0; start < static_cast<int>(spiked.size()); ++start) {
    if (!spiked[start]) continue;
    const Dropout group = GrowGroup(start, spiked, grid);
    if (group.blocks > largest.blocks) largest = group;
  }
  if (largest.blocks < MinDropoutBlocks) return std::nullopt;
  return largest;
}

int CrawlPixels(const Measured& before, const Measured& now, const Measured& after) {
  const std::vector<std::uint8_t>& a = before.luma;
  const std::vector<std::uint8_t>& b = now.luma;
  const std::vector<std::uint8_t>& c = after.luma;
  int count = 0;
  for (std::size_t i = 0; i < b.size(); ++i)
    count += Spike(a[i], b[i], c[i], CrawlLevels) && std::abs(a[i] - c[i]) <= CrawlLevels;
  return count;
}

}  // namespace vx::scan
