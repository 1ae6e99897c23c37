#pragma once
// Full-screen 2D work on 320 x 200 images of 32-bit pixels (0x00RRGGBB, rows
// packed, 1280 bytes a row): the pixel operations that clear, copy, fade,
// blend and overlay pictures, and the two frame-buffer effects, radial blur
// and glow. Every byte of a pixel, the fourth included, is its own unsigned
// 8-bit channel.
//
// The hot routines come in variants (plain, SSE2, AVX2), one table of them
// per variant; the plain table is the reference, one pixel and one byte at a
// time, and every other table equals it byte for byte. Callers draw through
// Fx2d(), the table picked once at start-up.
#include <cstdint>
#include <span>

#include "base/pixels.h"

namespace vx {

// dst = 0, 64000 pixels.
void ClearScreen(std::uint32_t* dst);
// dst = src, 64000 pixels.
void CopyScreen(const std::uint32_t* src, std::uint32_t* dst);

// The 640 x 400 table of bilinear weights toward the centre (1024000 bytes)
// that radialBlur reads.
void BuildRadialTable();
void FreeRadialTable();

struct Fx2dRoutines {
  using Add = void(const std::uint32_t* src, std::uint32_t* dst);
  using Blend = void(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                     std::uint8_t k);
  using Fade = void(const std::uint32_t* a, const std::uint32_t* b, std::uint32_t* dst,
                    std::uint32_t count, std::uint8_t k);
  using Sprite = void(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                      const std::uint32_t* sprite, std::uint32_t* dst, std::uint32_t key);
  using Blur = void(std::int32_t cx, std::int32_t cy, std::uint8_t strength, std::uint8_t gain,
                    std::uint32_t* fb);
  using Glow = void(std::uint16_t spread, std::uint16_t gain, std::uint32_t width,
                    std::uint32_t height, std::uint32_t* buffer);

  const char* name;  // "plain", "sse2", "avx2"

  // ---- pixel operations ---------------------------------------------------
  // dst = saturate(src + dst) per byte, 64000 pixels.
  Add* addScreen;
  // dst = (src x (255 - k)) >> 8 per byte; src may equal dst.
  Blend* darkenScreen;
  // colour bytes: dst = src + (((255 - src) x k) >> 8); fourth byte copied.
  Blend* lightenScreen;
  // dst = (a x (255 - k) + b x k) >> 8 per byte, last pixel first; dst may be
  // a or b itself.
  Fade* crossFade;
  // Clipped keyed sprites: where (sprite pixel & 0xFFFFFF) != key, add (or
  // subtract) its colour bytes to (from) dst with saturation.
  Sprite* addSpriteKeyed;
  Sprite* subSpriteKeyed;

  // ---- effects ------------------------------------------------------------
  // Requires 1 <= cx <= 319, 1 <= cy <= 199, strength + gain <= 255, and the
  // radial table built.
  Blur* radialBlur;
  // One smear pass each: P = saturate(N x (s + g) + P x (256 - s)) >> 8 per
  // byte, N the neighbour on the side the walk comes from (already updated).
  // Spread 0..256; any gain: s + g and the products are formed without
  // wrapping and the sum saturates at 65535. A walk shorter than two pixels
  // changes nothing.
  Glow* glowLeft;
  Glow* glowUp;
  Glow* glowRight;
  Glow* glowDown;
};

// The plain reference routines.
extern const Fx2dRoutines PlainFx2d;
// Every table this processor can run, PlainFx2d first and the fastest last.
std::span<const Fx2dRoutines* const> Fx2dVariants();

// The table to draw with: the fastest variant, or PlainFx2d after
// UseReferenceFx2d(true); `vx1 --bench --reference` compares the two.
const Fx2dRoutines& Fx2d();
void UseReferenceFx2d(bool reference);

}  // namespace vx
