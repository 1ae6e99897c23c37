#pragma once
// Private to the fx2d module: the radial weight table and the walk that every
// blur version shares, the sprite clipping, and the routines that stand
// behind the tables.
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "fx2d/fx2d.h"

namespace vx::fx2d {

// Byte c (0..3) of a pixel, as the plain routines read them.
constexpr std::uint32_t ByteOf(std::uint32_t pixel, int c) {
  return (pixel >> (8 * c)) & 0xFF;
}

// ---- radial weight table --------------------------------------------------
// 400 rows of 640 entries of four bytes (w0, w1, w2, w3): entry (j, i) holds
// the bilinear weights for the offset dx = j - 320, dy = i - 200 from the
// blur centre (w0 diagonal, w1 vertical, w2 horizontal neighbour toward the
// centre, w3 the pixel itself). Every offset from a centre on the screen to
// a pixel on it lies in the table.
inline constexpr int RadialTableColumns = 2 * ScreenWidth;
inline constexpr int RadialTableRows = 2 * ScreenHeight;
inline constexpr std::size_t RadialTableBytes =
    std::size_t{RadialTableColumns} * RadialTableRows * 4;
static_assert(RadialTableBytes == 1024000);

// The table built by BuildRadialTable, or nullptr while it is not built.
const std::uint8_t* RadialWeights();

// Byte offset in the table of the entry for offset (dx, dy) from the centre;
// -320 <= dx <= 319, -200 <= dy <= 199.
constexpr std::ptrdiff_t RadialEntryOffset(int dx, int dy) {
  return 4 * (std::ptrdiff_t{dy + ScreenHeight} * RadialTableColumns + (dx + ScreenWidth));
}

// One quadrant of the blur walk: columns x0, x0 + sx, ... (cols of them),
// rows y0, y0 + sy, ... (rows of them). The neighbours toward the centre of
// pixel (x, y) are D = (x - sx, y - sy), V = (x, y - sy), H = (x - sx, y).
struct RadialQuadrant {
  int x0, y0, sx, sy, cols, rows;
};

// The four quadrants in processing order for a centre 1 <= cx <= 319,
// 1 <= cy <= 199: below right, above right, below left, above left.
struct RadialWalk {
  RadialQuadrant quadrant[4];
};
constexpr RadialWalk RadialWalkFor(int cx, int cy) {
  return {{{cx, cy, +1, +1, ScreenWidth - cx, ScreenHeight - cy},
           {cx, cy - 1, +1, -1, ScreenWidth - cx, cy},
           {cx - 1, cy, -1, +1, cx, ScreenHeight - cy},
           {cx - 1, cy - 1, -1, -1, cx, cy}}};
}

// The table for a blur at (cx, cy), after asserting what every blur version
// requires (see Fx2dRoutines::radialBlur).
inline const std::uint8_t* RadialBlurTable([[maybe_unused]] int cx, [[maybe_unused]] int cy,
                                           [[maybe_unused]] std::uint8_t strength,
                                           [[maybe_unused]] std::uint8_t gain) {
  const std::uint8_t* table = RadialWeights();
  assert(table != nullptr && "BuildRadialTable must run before RadialBlur");
  assert(cx >= 1 && cx <= ScreenWidth - 1 && cy >= 1 && cy <= ScreenHeight - 1);
  assert(strength + gain <= 255);
  return table;
}

// ---- sprite clipping ------------------------------------------------------
// The visible part of a sprite at (x, y) of width x height pixels on the
// 320 x 200 screen: sprite column/row of the first visible pixel, its screen
// column/row and the visible width/height. Positions are taken as 64-bit
// values, so any int32 position and any uint32 size clip without overflow.
struct SpriteClip {
  std::uint32_t spriteX, spriteY, screenX, screenY, width, height;
};
// False when nothing of the sprite lies on the screen.
bool ClipSprite(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                SpriteClip& clip);

// ---- the routines behind the tables -----------------------------------------
// Declared through the table's function types, so each signature is written
// once (in Fx2dRoutines). The plain ones are the reference.
namespace plain {
Fx2dRoutines::Add AddScreen;
Fx2dRoutines::Blend DarkenScreen, LightenScreen;
Fx2dRoutines::Fade CrossFade;
Fx2dRoutines::Sprite AddSpriteKeyed, SubSpriteKeyed;
Fx2dRoutines::Blur RadialBlur;
Fx2dRoutines::Glow GlowLeft, GlowUp, GlowRight, GlowDown;
}  // namespace plain

// SSE2, the x86-64 baseline.
namespace sse2 {
Fx2dRoutines::Add AddScreen;
Fx2dRoutines::Blend DarkenScreen, LightenScreen;
Fx2dRoutines::Fade CrossFade;
Fx2dRoutines::Sprite AddSpriteKeyed, SubSpriteKeyed;
Fx2dRoutines::Blur RadialBlur;
Fx2dRoutines::Glow GlowLeft, GlowUp, GlowRight, GlowDown;
}  // namespace sse2

// AVX2 versions of the routines that gain from wider vectors; callable only
// where the processor has AVX2 (Supported(), asked once at start-up).
namespace avx2 {
bool Supported();
Fx2dRoutines::Add AddScreen;
Fx2dRoutines::Blend DarkenScreen;
Fx2dRoutines::Blur RadialBlur;
Fx2dRoutines::Glow GlowUp, GlowDown;
}  // namespace avx2

// The vector glow keeps 16-bit lanes: N x n must not exceed 65535, which
// holds for every byte N when the neighbour weight n = spread + gain is at
// most 257, and the own weight 256 - spread needs spread <= 256. Outside
// that the vector passes hand the call to the plain one.
constexpr bool GlowFitsSixteenBits(std::uint16_t spread, std::uint16_t gain) {
  return spread <= 256 && std::uint32_t{spread} + gain <= 257;
}

}  // namespace vx::fx2d
