#pragma once
// Full-screen 2D work on 320 x 200 images of 32-bit pixels (0x00RRGGBB, rows
// packed, 1280 bytes a row): the pixel operations that clear, copy, fade,
// blend and overlay pictures, and the two frame-buffer effects, radial blur
// and glow. Every byte of a pixel, the fourth included, is its own unsigned
// 8-bit channel.
//
// Each hot routine has a plain reference version in namespace vx::reference
// with the same arguments; the optimised versions equal them byte for byte.
#include <cstdint>

namespace vx {

inline constexpr int ScreenWidth = 320;
inline constexpr int ScreenHeight = 200;
inline constexpr std::uint32_t ScreenPixels = 64000;

// ---- pixel operations ---------------------------------------------------
// dst = 0, 64000 pixels.
void ClearScreen(std::uint32_t* dst);
// dst = src, 64000 pixels.
void CopyScreen(const std::uint32_t* src, std::uint32_t* dst);
// dst = saturate(src + dst) per byte, 64000 pixels.
void AddScreen(const std::uint32_t* src, std::uint32_t* dst);
// dst = (src x (255 - k)) >> 8 per byte; src may equal dst.
void DarkenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                  std::uint8_t k);
// colour bytes: dst = src + (((255 - src) x k) >> 8); fourth byte copied.
void LightenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                   std::uint8_t k);
// dst = (a x (255 - k) + b x k) >> 8 per byte, last pixel first; dst may be
// a or b itself.
void CrossFade(const std::uint32_t* a, const std::uint32_t* b, std::uint32_t* dst,
               std::uint32_t count, std::uint8_t k);
// Clipped keyed sprites: where (sprite pixel & 0xFFFFFF) != key, add (or
// subtract) its colour bytes to (from) dst with saturation.
void AddSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                    const std::uint32_t* sprite, std::uint32_t* dst, std::uint32_t key);
void SubSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                    const std::uint32_t* sprite, std::uint32_t* dst, std::uint32_t key);

// ---- effects ------------------------------------------------------------
// The 640 x 400 table of bilinear weights toward the centre (1024000 bytes).
void BuildRadialTable();
void FreeRadialTable();
// Requires 1 <= cx <= 319, 1 <= cy <= 199, strength + gain <= 255, and the
// table built.
void RadialBlur(std::int32_t cx, std::int32_t cy, std::uint8_t strength, std::uint8_t gain,
                std::uint32_t* fb);
// One smear pass each: P = saturate(N x (s + g) + P x (256 - s)) >> 8 per
// byte, N the neighbour on the side the walk comes from (already updated).
// Spread 0..256; any gain: s + g and the products are formed without
// wrapping and the sum saturates at 65535. A walk shorter than two pixels
// changes nothing.
void GlowLeft(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
              std::uint32_t* buffer);
void GlowUp(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
            std::uint32_t* buffer);
void GlowRight(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
               std::uint32_t* buffer);
void GlowDown(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
              std::uint32_t* buffer);

// Chooses the plain reference routines (true) or the optimised ones (false,
// the default) behind the names above; `vx1 --bench --reference` compares.
void UseReferenceFx2d(bool reference);

namespace reference {
void AddScreen(const std::uint32_t* src, std::uint32_t* dst);
void DarkenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                  std::uint8_t k);
void LightenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                   std::uint8_t k);
void CrossFade(const std::uint32_t* a, const std::uint32_t* b, std::uint32_t* dst,
               std::uint32_t count, std::uint8_t k);
void AddSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                    const std::uint32_t* sprite, std::uint32_t* dst, std::uint32_t key);
void SubSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                    const std::uint32_t* sprite, std::uint32_t* dst, std::uint32_t key);
void RadialBlur(std::int32_t cx, std::int32_t cy, std::uint8_t strength, std::uint8_t gain,
                std::uint32_t* fb);
void GlowLeft(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
              std::uint32_t* buffer);
void GlowUp(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
            std::uint32_t* buffer);
void GlowRight(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
               std::uint32_t* buffer);
void GlowDown(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
              std::uint32_t* buffer);
}  // namespace reference

}  // namespace vx
