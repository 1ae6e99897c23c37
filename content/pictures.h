#pragma once
// The show's full-screen pictures, 320 x 200: title cards, the loading
// screen, the closing card, and the keyed pictures that the 3D scenes add,
// subtract or lighten-blend over their frames.
#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace vx::content {

// Every 8 x 8 block of a keyed picture that holds any colour has no pixel
// whose largest byte is below this, so that JPEG's small errors inside such
// a block never land in 1..16; blocks without colour stay exactly black.
// A keyed picture's pixel is bright when its largest byte is at least
// KeyedBright; dimmer colour is kept only within KeyedReach pixels of a
// bright one (a glow or an outline that follows the artwork), so that the
// scenes never blend a dim smudge that has no shape. The show's own limit
// is 40 and 3 pixels; these leave room for JPEG's small errors.
// Colour fainter than KeyedFaint is cleared everywhere: it would not show,
// and the encoder cannot keep it apart from black.
inline constexpr int KeyedFaint = 12;
inline constexpr int KeyedBright = 56;
inline constexpr double KeyedReach = 2.9;
// JPEG quality of the keyed pictures (red, green, blue at full resolution,
// black kept exact) and of the others (YCbCr 4:2:0).
inline constexpr int KeyedQuality = 97;
inline constexpr int CardQuality = 92;

struct PictureInfo {
  std::string file;  // "kinyit.jpg"
  bool keyed;        // black is transparent where the scene blends it
  Canvas (*make)();
};

const std::vector<PictureInfo>& AllPictures();
// The picture's JPEG file: keyed pictures through EncodeKeyedJpeg at
// KeyedQuality, the others at CardQuality; empty when the encoder fails.
std::vector<std::uint8_t> EncodePicture(const PictureInfo& picture);

// Clears every pixel whose largest byte is below faint, and every pixel
// whose largest byte is below bright and that lies farther than reach pixels
// (Euclidean) from every pixel of at least bright.
void KeyToShape(Canvas& canvas, int faint, int bright, double reach);

}  // namespace vx::content
