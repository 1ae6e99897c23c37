#pragma once
// vxscan's detector: what a viewer reads as a fault in three frames in a row
// (before, now, after), judged on the frame in the middle. Pure: frames in,
// figures out, so that planted faults can be fed to it.
//
//   dropout  touching blocks (side or corner) whose mean luminance jumps away
//            from both neighbours by more than DropoutLevels in the same
//            direction while the neighbours agree within AgreeLevels: part of
//            the picture vanished (or flashed) for exactly one frame. It takes
//            MinDropoutBlocks such blocks: texture detail moving fast under
//            the camera makes a stray block spike now and then, and block
//            means ignore texture detail moving under the camera.
//   crawl    pixels whose luminance jumps away from both neighbours by more
//            than CrawlLevels in the same direction, the neighbours within
//            CrawlLevels of each other: texels that sparkle because a texture
//            is too fine for the distance it is seen at.
//
// Luminance is 0..255: (77 R + 150 G + 29 B) >> 8, so a grey 0x00VVVVVV is V.
#include <cstdint>
#include <optional>
#include <vector>

#include "base/pixels.h"

namespace vx::scan {

inline constexpr int ClassicBlock = 8;      // pixels a block's side at the classic size
inline constexpr int DropoutLevels = 24;    // a block mean's jump away from both neighbours
inline constexpr int AgreeLevels = 6;       // neighbours' block means that agree
inline constexpr int MinDropoutBlocks = 2;  // touching blocks that make a dropout
inline constexpr int CrawlLevels = 32;      // a pixel's jump

// The frame's size and its blocks of block x block pixels: ClassicBlock
// pixels a side, scaled with the frame (ClassicBlock x FrameScale, rounded), so that a dropout is
// the same share of the picture at every size. A partial block at the end of
// a row or column is left out.
struct Grid {
  FrameSize size;
  int block;
  int blocksX;
  int blocksY;
  int pixels;
};
Grid GridOf(const FrameSize& size);

// One frame as the detector sees it: the luminance of every pixel (packed
// rows) and the mean luminance of every block (row by row).
struct Measured {
  std::vector<std::uint8_t> luma;
  std::vector<int> means;
};
// Fills out from the frame buffer fb (rows grid.size.pitch words apart).
void Measure(const std::uint32_t* fb, const Grid& grid, Measured& out);

// The largest group of touching blocks that dropped out in now, and the
// pixel box around it (inclusive).
struct Dropout {
  int blocks = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
};
// The largest group when it is large enough to be a dropout, else nothing.
std::optional<Dropout> FindDropout(const Measured& before, const Measured& now,
                                   const Measured& after, const Grid& grid);

// The pixels of now that crawl.
int CrawlPixels(const Measured& before, const Measured& now, const Measured& after);

}  // namespace vx::scan
