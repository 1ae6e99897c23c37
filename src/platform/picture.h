#pragma once
// JPEG pictures from the data library, decoded into the show's pixel format:
// one 32-bit little-endian word 0x00RRGGBB per pixel (bytes in memory blue,
// green, red, 0) for colour pictures, one byte per pixel for grey ones.
#include <cstdint>
#include <string_view>

namespace vx {

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

// Loads the JPEG stored in the data library under name. Prints "nincs NAME"
// when the file is absent, "van NAME" before decoding a present one. A
// damaged or truncated file gives false (libjpeg's warnings count as
// failure), never a crash or an exit from inside the decoder.
bool LoadJpegPicture(std::string_view name, Picture& picture);
// Decodes a JPEG held in memory, as LoadJpegPicture does after reading it.
bool DecodeJpegPicture(const std::uint8_t* data, std::size_t size, Picture& picture);
// Frees the pixels and sets width, height and bytesPerPixel to 0.
void ReleasePicture(Picture& picture);
// "Load Error" on standard error (and in a message box captioned
// "KVS_JPEG message" while a display is up); ends the program with code 1.
[[noreturn]] void ReportPictureLoadError();

// Writes 32-bit 0x00RRGGBB pixels as an RGB PNG file; false with a reason on
// standard error when the file cannot be written.
bool WritePng(const char* path, const std::uint32_t* pixels, std::uint32_t width,
              std::uint32_t height);

}  // namespace vx
