#pragma once
// JPEG writer for the tools and the tests: encodes the show's pixel formats
// (32-bit words 0x00RRGGBB, or one grey byte a pixel) into a baseline JFIF
// file held in memory, with libjpeg-turbo. The output is a pure function of
// the pixels and the options (integer DCT, standard Huffman tables, no time
// stamps), so generated content and fixtures are reproducible byte for byte.
#include <cstdint>
#include <vector>

namespace vx {

struct JpegEncodeOptions {
  int quality = 90;            // 1..100, the libjpeg quality scale
  bool fullChroma = false;     // colour only: 4:4:4 sampling instead of 4:2:0
                               // (for keyed pictures whose edges must stay sharp)
  bool rgbComponents = false;  // colour only: store red, green, blue as they are
                               // (Adobe marker, no YCbCr transform, no subsampling);
                               // at quality 100 flat 8 x 8 blocks decode exactly
};

// Encodes width x height words 0x00RRGGBB (top row first, the fourth byte
// ignored). Returns the JPEG file's bytes; empty when width or height is 0,
// above 65500, or the encoder fails.
std::vector<std::uint8_t> EncodeJpegColour(const std::uint32_t* pixels, std::uint32_t width,
                                           std::uint32_t height,
                                           const JpegEncodeOptions& options = {});

// Encodes width x height grey bytes (top row first) as a one-component JPEG.
std::vector<std::uint8_t> EncodeJpegGrey(const std::uint8_t* pixels, std::uint32_t width,
                                         std::uint32_t height,
                                         const JpegEncodeOptions& options = {});

}  // namespace vx
