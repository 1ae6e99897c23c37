// SSE2 versions of the pixel operations: four pixels (sixteen bytes) a step,
// then the remaining pixels one at a time through the same vector arithmetic,
// so the tail cannot differ from the body.
#if defined(__SSE2__)  // x86-64 baseline; elsewhere only the plain table exists
#include <cstdint>

#include "fx2d/fx2d_internal.h"
#include "fx2d/simd.h"

namespace vx::fx2d::sse2 {
namespace {

using namespace simd;

// dst = (src x f) >> 8 per byte, f <= 255: the high byte of an 8 x 16-bit
// product, formed with the byte raised into the high half of its lane.
inline Vec Darken(Vec src, Vec factor) {
  return Narrow16(MulHi8x16(RaiseLo8(src), factor), MulHi8x16(RaiseHi8(src), factor));
}

// Colour bytes: s + (((255 - s) x k) >> 8), fourth byte kept. 255 - s is
// NOT s; the added step never carries out of its byte.
inline Vec Lighten(Vec src, Vec factor, Vec colourMask) {
  const Vec inverse = AndNot(src, colourMask);  // (255 - s) in the colour bytes, 0 in the fourth
  return Add8(src,
              Narrow16(MulHi8x16(RaiseLo8(inverse), factor), MulHi8x16(RaiseHi8(inverse), factor)));
}

// (a x (255 - k) + b x k) >> 8 per byte; the sum is at most 255 x 255.
inline Vec Fade(Vec a, Vec b, Vec keepA, Vec takeB) {
  const Vec lo = HighByte16(Add16(Mul16(WidenLo8(a), keepA), Mul16(WidenLo8(b), takeB)));
  const Vec hi = HighByte16(Add16(Mul16(WidenHi8(a), keepA), Mul16(WidenHi8(b), takeB)));
  return Narrow16(lo, hi);
}

// Sprite colour with the fourth byte cleared, and cleared to zero wholly
// where it equals the key: a saturating add or subtract of zero is no change.
inline Vec KeyedColour(Vec sprite, Vec colourMask, Vec key) {
  const Vec colour = And(sprite, colourMask);
  return AndNot(Equal32(colour, key), colour);
}

template <bool Add>
void DrawSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                     const std::uint32_t* sprite, std::uint32_t* dst, const FrameSize& frame,
                     RowBand rows, std::uint32_t key) {
  SpriteClip clip;
  if (!ClipSprite(x, y, width, height, frame, rows, clip)) return;
  const Vec colourMask = Splat32(0x00FFFFFF);
  const Vec keyVec = Splat32(key);
  const auto apply = [&](Vec d, Vec s) {
    const Vec c = KeyedColour(s, colourMask, keyVec);
    if constexpr (Add) {
      return AddSat8(d, c);
    } else {
      return SubSat8(d, c);
    }
  };
  for (std::uint32_t row = 0; row < clip.height; ++row) {
    const std::uint32_t* from = sprite + std::size_t{clip.spriteY + row} * width + clip.spriteX;
    std::uint32_t* to =
        dst + std::size_t{clip.screenY + row} * std::size_t(frame.pitch) + clip.screenX;
    std::uint32_t col = 0;
    for (; col + 4 <= clip.width; col += 4)
      Store4(to + col, apply(Load4(to + col), Load4(from + col)));
    for (; col < clip.width; ++col) Store1(to + col, apply(Load1(to + col), Load1(from + col)));
  }
}

// True when dst starts less than four pixels below source, so that a group
// of four would read source pixels before the walk has written them; a
// destination further below, above, or equal to the source is read and
// written in the same order by groups as by single pixels.
inline bool WritesAheadOfGroup(const std::uint32_t* source, const std::uint32_t* dst) {
  const auto from = reinterpret_cast<std::uintptr_t>(source);
  const auto to = reinterpret_cast<std::uintptr_t>(dst);
  return to < from && from - to < 4 * sizeof(std::uint32_t);
}

}  // namespace

void AddScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count) {
  std::uint32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    Store4(dst + i, AddSat8(Load4(dst + i), Load4(src + i)));
    Store4(dst + i + 4, AddSat8(Load4(dst + i + 4), Load4(src + i + 4)));
  }
  for (; i < count; ++i) Store1(dst + i, AddSat8(Load1(dst + i), Load1(src + i)));
}

void DarkenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                  std::uint8_t k) {
  const Vec factor = Splat16(255u - k);
  std::uint32_t i = 0;
  for (; i + 4 <= count; i += 4) Store4(dst + i, Darken(Load4(src + i), factor));
  for (; i < count; ++i) Store1(dst + i, Darken(Load1(src + i), factor));
}

void LightenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                   std::uint8_t k) {
  const Vec factor = Splat16(k);
  const Vec colourMask = Splat32(0x00FFFFFF);
  std::uint32_t i = 0;
  for (; i + 4 <= count; i += 4) Store4(dst + i, Lighten(Load4(src + i), factor, colourMask));
  for (; i < count; ++i) Store1(dst + i, Lighten(Load1(src + i), factor, colourMask));
}

void CrossFade(const std::uint32_t* a, const std::uint32_t* b, std::uint32_t* dst,
               std::uint32_t count, std::uint8_t k) {
  // Last pixel first, as the reference walks: the odd pixels at the end, then
  // groups of four downward. A destination just below a source takes the
  // walk one pixel at a time, as the reference does, since each pixel then
  // reads what the previous step wrote.
  const Vec keepA = Splat16(255u - k);
  const Vec takeB = Splat16(k);
  std::uint32_t i = count;
  if (WritesAheadOfGroup(a, dst) || WritesAheadOfGroup(b, dst)) {
    for (; i > 0; --i) Store1(dst + i - 1, Fade(Load1(a + i - 1), Load1(b + i - 1), keepA, takeB));
    return;
  }
  for (; i % 4 != 0; --i)
    Store1(dst + i - 1, Fade(Load1(a + i - 1), Load1(b + i - 1), keepA, takeB));
  for (; i >= 4; i -= 4)
    Store4(dst + i - 4, Fade(Load4(a + i - 4), Load4(b + i - 4), keepA, takeB));
}

void AddSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                    const std::uint32_t* sprite, std::uint32_t* dst, const FrameSize& frame,
                    RowBand rows, std::uint32_t key) {
  DrawSpriteKeyed<true>(x, y, width, height, sprite, dst, frame, rows, key);
}

void SubSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                    const std::uint32_t* sprite, std::uint32_t* dst, const FrameSize& frame,
                    RowBand rows, std::uint32_t key) {
  DrawSpriteKeyed<false>(x, y, width, height, sprite, dst, frame, rows, key);
}

}  // namespace vx::fx2d::sse2

#endif  // defined(__SSE2__)
