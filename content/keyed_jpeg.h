#pragma once
// JPEG files for keyed pictures, whose black must decode to exact black.
//
// A JPEG decoder rebuilds each 8 x 8 block from rounded cosine coefficients,
// so a block that holds artwork rings: black pixels beside a glyph come back
// as 1, 2, 3 ... and the keyed blends, which skip exact black only, would
// draw them. The decoder clamps every sample to 0..255 before it is used,
// though, so this encoder computes the coefficients itself from samples in
// which every channel byte of 0 stands for BelowBlack instead. Ringing of a
// few steps around such samples stays below 0 and clamps to exact black,
// while every other sample is encoded as it is.
//
// The file stores red, green and blue as they are (Adobe marker, no YCbCr
// transform, no subsampling): in YCbCr the chroma of a black pixel would
// ring too, and a clamped luminance of 0 plus a chroma error is colour.
#include <cstdint>
#include <vector>

#include "canvas.h"

namespace vx::content {

// The sample that stands for a channel byte of 0. Quality 97 rings by a few
// steps at sharp edges; this leaves a wide margin and still keeps the
// baseline coefficient ranges (DC differences within 11 bits).
inline constexpr int BelowBlack = -32;

// The JPEG file of canvas at the given quality (1..100, the libjpeg scale,
// the DC step at least 2); empty when the encoder fails.
std::vector<std::uint8_t> EncodeKeyedJpeg(const Canvas& canvas, int quality);

}  // namespace vx::content
