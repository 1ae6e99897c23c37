#pragma once
// The show's full-screen pictures, 320 x 200: title cards, the loading
// screen, the closing card, and the keyed pictures that the 3D scenes add,
// subtract or lighten-blend over their frames; and each of them drawn anew
// at the sharp show's sizes (SharpPictureSizes), one per aspect.
#include <cstdint>
#include <string>
#include <vector>

#include "base/pixels.h"
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
// The sharp pictures have six times the pixels each and must fit the page's
// download with the classic archive; at these their ringing stays within
// a pixel or two of an edge at 1920 pixels across, and the page draws them
// at most half that size.
inline constexpr int SharpKeyedQuality = 86;
inline constexpr int SharpCardQuality = 78;

// What a picture is drawn for: its size in pixels and the number of pixels
// one classic pixel covers (the height over 200). The composition is kept
// in height; a wider frame widens it, with what belongs to an edge staying
// at that edge and the rest centred.
struct PictureFrame {
  int width = ScreenWidth;
  int height = ScreenHeight;
  double scale = 1.0;
  // The frame's width in classic pixels.
  double ClassicWidth() const { return width / scale; }
  // A length of classic pixels in pixels, rounded; at least 1 when it was.
  int Pixels(double classic) const;
};
inline constexpr PictureFrame ClassicPictureFrame{};
PictureFrame FrameOfSize(int width, int height);

struct PictureInfo {
  std::string file;  // "kinyit.jpg"
  bool keyed;        // black is transparent where the scene blends it
  Canvas (*draw)(const PictureFrame& frame);
  // The classic 320 x 200 picture.
  Canvas make() const { return draw(ClassicPictureFrame); }
};

const std::vector<PictureInfo>& AllPictures();

// One sharp version of a picture: the same picture drawn at a size of
// SharpPictureSizes, stored in the sharp archive as file.
struct SharpPicture {
  const PictureInfo* picture = nullptr;
  int width = 0;
  int height = 0;
  std::string file;  // "kinyit-1920x1080.jpg", inside the sharp folder
};
// Every picture at every sharp size, in the order of AllPictures.
const std::vector<SharpPicture>& AllSharpPictures();
std::vector<std::uint8_t> EncodeSharpPicture(const SharpPicture& picture);
// The picture's JPEG file: keyed pictures through EncodeKeyedJpeg at
// KeyedQuality, the others at CardQuality; empty when the encoder fails.
std::vector<std::uint8_t> EncodePicture(const PictureInfo& picture);

// Clears every pixel whose largest byte is below faint, and every pixel
// whose largest byte is below bright and that lies farther than reach pixels
// (Euclidean) from every pixel of at least bright.
void KeyToShape(Canvas& canvas, int faint, int bright, double reach);

}  // namespace vx::content
