#pragma once
// The show's pixels: the one pixel format of the frame, the pictures and the
// textures, the size of the frame the show draws, and the Picture record.
//
// A colour pixel is one 32-bit little-endian word 0x00RRGGBB (bytes in
// memory blue, green, red, 0); a grey pixel is one byte. Rows are packed, top
// row first. The frame is 320 x 200 colour pixels, 1280 bytes a row; the
// display's letterbox around it belongs to the video output.
#include <cstdint>

namespace vx {

inline constexpr std::uint32_t PixelBytes = 4;
inline constexpr int ScreenWidth = 320;
inline constexpr int ScreenHeight = 200;
inline constexpr std::uint32_t ScreenPixels = ScreenWidth * ScreenHeight;
static_assert(ScreenPixels == 64000);

struct Picture {
  std::uint32_t width;
  std::uint32_t height;
  std::uint8_t bytesPerPixel;  // 4 colour, 1 grey, 0 released
  void* pixels;                // width x height x bytesPerPixel bytes, top row first
};

// Colour pictures as 32-bit words (bytesPerPixel must be 4).
inline const std::uint32_t* PictureWords(const Picture& p) {
  return static_cast<const std::uint32_t*>(p.pixels);
}

}  // namespace vx
