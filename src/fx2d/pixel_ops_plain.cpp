// Plain pixel operations: one pixel and one byte at a time, written to be
// read. The SSE2 and AVX2 versions must equal these byte for byte.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "fx2d/fx2d_internal.h"

namespace vx::fx2d {
namespace {

std::uint32_t WithByte(std::uint32_t pixel, int c, std::uint32_t value) {
  return (pixel & ~(0xFFu << (8 * c))) | (value << (8 * c));
}

// One axis of the sprite clipping: position and size, and the visible
// range begin .. end - 1 of the frame, give the first sprite index, the first
// frame index and the visible count.
bool ClipAxis(std::int64_t position, std::uint32_t size, std::int64_t begin, std::int64_t end,
              std::uint32_t& first, std::uint32_t& start, std::uint32_t& visible) {
  const std::int64_t from = std::max(position, begin);
  const std::int64_t to = std::min(position + std::int64_t{size}, end);
  if (from >= to) return false;  // wholly outside
  first = static_cast<std::uint32_t>(from - position);
  start = static_cast<std::uint32_t>(from);
  visible = static_cast<std::uint32_t>(to - from);
  return true;
}

// Applies rule(dst byte, sprite byte) to the three colour bytes wherever the
// sprite pixel's colour differs from the key.
template <typename ByteRule>
void DrawSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                     const std::uint32_t* sprite, std::uint32_t* dst, const FrameSize& frame,
                     RowBand rows, std::uint32_t key, ByteRule rule) {
  SpriteClip clip;
  if (!ClipSprite(x, y, width, height, frame, rows, clip)) return;
  for (std::uint32_t row = 0; row < clip.height; ++row) {
    const std::uint32_t* from = sprite + std::size_t{clip.spriteY + row} * width + clip.spriteX;
    std::uint32_t* to =
        dst + std::size_t{clip.screenY + row} * std::size_t(frame.pitch) + clip.screenX;
    for (std::uint32_t col = 0; col < clip.width; ++col) {
      const std::uint32_t colour = from[col] & 0x00FFFFFF;
      if (colour == key) continue;
      std::uint32_t pixel = to[col];
      for (int c = 0; c < 3; ++c)
        pixel = WithByte(pixel, c, rule(ByteOf(pixel, c), ByteOf(colour, c)));
      to[col] = pixel;
    }
  }
}

}  // namespace

bool ClipSprite(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                const FrameSize& frame, RowBand rows, SpriteClip& clip) {
  return ClipAxis(x, width, 0, frame.width, clip.spriteX, clip.screenX, clip.width) &&
         ClipAxis(y, height, std::max(0, rows.begin), std::min(frame.height, rows.end),
                  clip.spriteY, clip.screenY, clip.height);
}

namespace plain {

void AddScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t pixel = 0;
    for (int c = 0; c < 4; ++c)
      pixel = WithByte(pixel, c, std::min(ByteOf(src[i], c) + ByteOf(dst[i], c), 255u));
    dst[i] = pixel;
  }
}

void DarkenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                  std::uint8_t k) {
  const std::uint32_t factor = 255u - k;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t source = src[i];
    std::uint32_t pixel = 0;
    for (int c = 0; c < 4; ++c) pixel = WithByte(pixel, c, (ByteOf(source, c) * factor) >> 8);
    dst[i] = pixel;
  }
}

void LightenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                   std::uint8_t k) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t source = src[i];
    std::uint32_t pixel = source;  // the fourth byte is copied
    for (int c = 0; c < 3; ++c) {
      const std::uint32_t s = ByteOf(source, c);
      pixel = WithByte(pixel, c, s + (((255u - s) * k) >> 8));
    }
    dst[i] = pixel;
  }
}

void CrossFade(const std::uint32_t* a, const std::uint32_t* b, std::uint32_t* dst,
               std::uint32_t count, std::uint8_t k) {
  const std::uint32_t keepA = 255u - k;
  for (std::uint32_t i = count; i-- > 0;) {  // last pixel first
    const std::uint32_t pa = a[i];
    const std::uint32_t pb = b[i];
    std::uint32_t pixel = 0;
    for (int c = 0; c < 4; ++c)
      pixel = WithByte(pixel, c, (ByteOf(pa, c) * keepA + ByteOf(pb, c) * k) >> 8);
    dst[i] = pixel;
  }
}

void AddSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                    const std::uint32_t* sprite, std::uint32_t* dst, const FrameSize& frame,
                    RowBand rows, std::uint32_t key) {
  DrawSpriteKeyed(x, y, width, height, sprite, dst, frame, rows, key,
                  [](std::uint32_t d, std::uint32_t s) { return std::min(d + s, 255u); });
}

void SubSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                    const std::uint32_t* sprite, std::uint32_t* dst, const FrameSize& frame,
                    RowBand rows, std::uint32_t key) {
  DrawSpriteKeyed(x, y, width, height, sprite, dst, frame, rows, key,
                  [](std::uint32_t d, std::uint32_t s) { return d > s ? d - s : 0u; });
}

}  // namespace plain
}  // namespace vx::fx2d

namespace vx {

// Fills and moves need no variants: memset and memmove already run at the
// speed of memory.
void ClearScreen(std::uint32_t* dst, std::uint32_t count) {
  std::memset(dst, 0, std::size_t{count} * sizeof *dst);
}

void CopyScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count) {
  std::memmove(dst, src, std::size_t{count} * sizeof *dst);
}

}  // namespace vx
