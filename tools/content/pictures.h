#pragma once
// The show's full-screen pictures, 320 x 200: title cards, the loading
// screen, the closing card, and the keyed pictures that the 3D scenes add,
// subtract or lighten-blend over their frames.
#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace vx::content {

inline constexpr int PictureWidth = 320;
inline constexpr int PictureHeight = 200;
// Every 8 x 8 block of a keyed picture that holds any colour has no pixel
// whose largest byte is below this, so that JPEG's small errors inside such
// a block never land in 1..16; blocks without colour stay exactly black.
inline constexpr int KeyedFloor = 24;
// JPEG quality of the keyed pictures (4:4:4) and of the others (4:2:0).
inline constexpr int KeyedQuality = 97;
inline constexpr int CardQuality = 92;

struct PictureInfo {
  std::string file;  // "kinyit.jpg"
  bool keyed;        // black is transparent where the scene blends it
  Canvas (*make)();
};

const std::vector<PictureInfo>& AllPictures();
// The picture's JPEG file: keyed pictures at KeyedQuality with full chroma,
// the others at CardQuality; empty when the encoder fails.
std::vector<std::uint8_t> EncodePicture(const PictureInfo& picture);

// Removes faint colour (largest byte below cutoff becomes black), then, in
// every 8 x 8 block that still holds colour, lifts each pixel whose largest
// byte is below floor up to floor (black pixels become floorColour).
void KeyBlocks(Canvas& canvas, int cutoff, int floor, std::uint32_t floorColour);

}  // namespace vx::content
