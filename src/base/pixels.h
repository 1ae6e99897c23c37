#pragma once
// The show's pixels: the one pixel format of the frame, the pictures and the
// textures, the size of the frame the show draws, and the Picture record.
//
// A colour pixel is one 32-bit little-endian word 0x00RRGGBB (bytes in
// memory blue, green, red, 0); a grey pixel is one byte. Rows are top row
// first. The classic frame is 320 x 200 colour pixels, 1280 bytes a row; the
// sharp show draws the same frames at another size (FrameSize below). The
// display's letterbox around the frame belongs to the video output.
#include <cstddef>
#include <cstdint>

namespace vx {

inline constexpr std::uint32_t PixelBytes = 4;
inline constexpr int ScreenWidth = 320;
inline constexpr int ScreenHeight = 200;
inline constexpr std::uint32_t ScreenPixels = ScreenWidth * ScreenHeight;
static_assert(ScreenPixels == 64000);

// The size of the frame being drawn, chosen once at start and handed to
// everything that draws: width x height pixels, a row starting pitch pixels
// after the one above it (pitch >= width; the pixels between width and pitch
// belong to nobody and are never written).
struct FrameSize {
  std::int32_t width;
  std::int32_t height;
  std::int32_t pitch;

  friend constexpr bool operator==(const FrameSize&, const FrameSize&) = default;
};

// The show as it was made: every figure of its arithmetic holds at this size.
inline constexpr FrameSize ClassicFrame{ScreenWidth, ScreenHeight, ScreenWidth};

// The sizes the sharp show draws at: width and height even, from the
// classic size up to 3840 x 2160 (a portrait frame, 1080 x 1920, fits too).
inline constexpr std::int32_t MinFrameWidth = ScreenWidth;
inline constexpr std::int32_t MinFrameHeight = ScreenHeight;
inline constexpr std::int32_t MaxFrameWidth = 3840;
inline constexpr std::int32_t MaxFrameHeight = 2160;

// Words a buffer of this size holds: pitch x height.
constexpr std::size_t FrameWords(const FrameSize& size) {
  return static_cast<std::size_t>(size.pitch) * static_cast<std::size_t>(size.height);
}

// A packed frame of width x height: pitch = width.
constexpr FrameSize PackedFrame(std::int32_t width, std::int32_t height) {
  return {width, height, width};
}

// True when the size is one the show draws at (see MaxFrameWidth).
constexpr bool DrawableFrameSize(const FrameSize& size) {
  return size.width >= MinFrameWidth && size.width <= MaxFrameWidth &&
         size.height >= MinFrameHeight && size.height <= MaxFrameHeight &&
         size.width % 2 == 0 && size.height % 2 == 0 && size.pitch >= size.width;
}

// How many classic pixels one classic pixel spans in this frame: the smaller
// of width / 320 and height / 200 (the direction whose field of view the
// camera keeps). Distances the classic show counts in pixels (the glow's
// reach, the blur's streaks) scale by it. 1 at the classic size.
constexpr double FrameScale(const FrameSize& size) {
  const double x = static_cast<double>(size.width) / ScreenWidth;
  const double y = static_cast<double>(size.height) / ScreenHeight;
  return x < y ? x : y;
}

// The rows begin .. end - 1 of a frame: the part one thread draws.
struct RowBand {
  std::int32_t begin;
  std::int32_t end;
};

// Every row of a frame.
constexpr RowBand AllRows(const FrameSize& size) {
  return {0, size.height};
}

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
