#pragma once
// Full-screen 2D work on frames of 32-bit pixels (0x00RRGGBB, see
// base/pixels.h) at any size the show draws at: the pixel operations that
// clear, copy, fade, blend and overlay pictures, and the two frame-buffer
// effects, radial blur and glow. Every byte of a pixel, the fourth included,
// is its own unsigned 8-bit channel.
//
// The pixel operations work on `count` consecutive pixels: the show's frames
// are packed (pitch = width), so a band of rows is one run of pixels. The
// sprites, the glow passes and the radial blur take the frame's FrameSize and
// touch only pixels of its width x height, row after row pitch apart. Each
// call does one part of the frame (a band of rows, a range of columns, a
// quadrant of the blur), so threads can share a frame; the parts give the
// same bytes whichever thread runs them, and in whichever order the rules
// below allow.
//
// The hot routines come in variants (plain, SSE2, AVX2), one table of them
// per variant; the plain table is the reference, one pixel and one byte at a
// time, and every other table equals it byte for byte. Callers draw through
// Fx2d(), the table picked once at start-up.
#include <cstdint>
#include <span>

#include "base/pixels.h"

namespace vx {

// dst = 0, count pixels.
void ClearScreen(std::uint32_t* dst, std::uint32_t count);
// dst = src, count pixels.
void CopyScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count);

// The radial blur's table, built for a frame's width and height: at
// ClassicFrame the 640 x 400 bilinear weights toward the centre (1024000
// bytes), at any other size where each |dx|, |dy| samples the image toward
// the centre (width x height x 6 bytes, 50 MB at 3840 x 2160). Building for the size
// already built costs nothing; another size rebuilds it (a window may change
// size while the show plays). Not to be called while a blur runs.
void BuildRadialTable(const FrameSize& frame);
void FreeRadialTable();
// True from a BuildRadialTable to the next FreeRadialTable.
bool RadialTableBuilt();

// The effects' look at a frame size. At scale s = FrameScale(frame) (the
// direction whose field of view the camera keeps) a classic pixel is s
// pixels wide, so a walk must decay over s pixels as the classic one decays
// over one and still reach the same steady level. EffectStep is s as a step
// of 8.8 fixed point pixels (256 = one pixel), at least one pixel: what the
// glow and the blur at that size step by. One pixel at the classic size.
std::uint16_t EffectStep(const FrameSize& frame);

// A glow pass with a step: each pixel takes its neighbour `step` pixels back
// along the walk (8.8 fixed point, 256 = the next pixel; a step between whole
// pixels i and i + 1 reads N = (P_i (256 - f) + P_(i+1) f) >> 8 per byte,
// f = step & 255). Pixels with no such neighbour inside the frame stay.
inline constexpr std::uint16_t OnePixelStep = 256;
struct GlowParameters {
  std::uint16_t spread;
  std::uint16_t gain;
  std::uint16_t step = OnePixelStep;
};
// The classic spread and gain at a frame size: the same weights with a step
// of EffectStep, so that the walk spreads and decays over one classic
// pixel exactly as the classic one (a per-pixel decay a^(1/s) was measured:
// its halo is too bright next to an edge and the pixels' rounding darkens
// it; see tests/fx2d/look_at_sizes_test.cpp). Identity at the classic size.
GlowParameters ScaledGlow(std::uint16_t spread, std::uint16_t gain, const FrameSize& frame);

// The blur keeps its strength and gain at every size: 8-bit weights cannot
// express a decay per pixel close enough to 1, and the frame's 8-bit pixels
// would round a slow decay away. Instead each pixel samples the image one
// classic pixel (EffectStep pixels) toward the centre along its own ray,
// between the frame's pixels (the table built for the frame carries where),
// so the streaks decay per classic pixel as the classic ones do and run
// smoothly along the rays. What does
// change is the centre: a classic centre becomes the first frame pixel of
// the classic pixel's block, the frame taken as the classic screen
// stretched to it (cx x width / 320 and cy x height / 200, rounded up).
// Identity at the classic size.
struct BlurParameters {
  std::int32_t cx;
  std::int32_t cy;
  std::uint8_t strength;
  std::uint8_t gain;
};
BlurParameters ScaledBlur(std::int32_t cx, std::int32_t cy, std::uint8_t strength,
                          std::uint8_t gain, const FrameSize& frame);

// The parts of one radial blur. Cross is the four quadrants' first row and
// first column (rows cy - 1, cy and columns cx - 1, cx), done first; then
// each quadrant's interior reads only itself and the cross, so the four
// interiors may run in any order or at once.
enum class RadialPart : std::uint8_t { Cross, BelowRight, AboveRight, BelowLeft, AboveLeft };
inline constexpr RadialPart RadialInteriors[] = {RadialPart::BelowRight, RadialPart::AboveRight,
                                                 RadialPart::BelowLeft, RadialPart::AboveLeft};

struct Fx2dRoutines {
  using Add = void(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count);
  using Blend = void(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                     std::uint8_t k);
  using Fade = void(const std::uint32_t* a, const std::uint32_t* b, std::uint32_t* dst,
                    std::uint32_t count, std::uint8_t k);
  using Sprite = void(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                      const std::uint32_t* sprite, std::uint32_t* dst, const FrameSize& frame,
                      RowBand rows, std::uint32_t key);
  using Blur = void(std::int32_t cx, std::int32_t cy, std::uint8_t strength, std::uint8_t gain,
                    const FrameSize& frame, RadialPart part, std::uint32_t* fb);
  using Glow = void(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
                    std::int32_t end, std::uint32_t* buffer);

  const char* name;  // "plain", "sse2", "avx2"

  // ---- pixel operations ---------------------------------------------------
  // dst = saturate(src + dst) per byte.
  Add* addScreen;
  // dst = (src x (255 - k)) >> 8 per byte; src may equal dst.
  Blend* darkenScreen;
  // colour bytes: dst = src + (((255 - src) x k) >> 8); fourth byte copied.
  Blend* lightenScreen;
  // dst = (a x (255 - k) + b x k) >> 8 per byte, last pixel first; dst may be
  // a or b itself.
  Fade* crossFade;
  // Keyed sprites clipped to the frame and to the band of rows: where
  // (sprite pixel & 0xFFFFFF) != key, add (or subtract) its colour bytes to
  // (from) dst with saturation. The sprite's rows are width pixels apart.
  Sprite* addSpriteKeyed;
  Sprite* subSpriteKeyed;

  // ---- effects ------------------------------------------------------------
  // One part of the blur at (cx, cy). Requires 1 <= cx <= width - 1,
  // 1 <= cy <= height - 1, strength + gain <= 255, and the radial table
  // built for the frame's width and height. RadialBlur below runs them all.
  Blur* radialBlur;
  // One smear pass each: P = saturate(N x (s + g) + P x (256 - s)) >> 8 per
  // byte, N the neighbour a step back on the side the walk comes from
  // (already updated; see GlowParameters). Left and right walk rows
  // first .. end - 1, up and down columns first .. end - 1. Spread 0..256;
  // any gain: s + g and the products are formed without wrapping and the
  // sum saturates at 65535. Step 256 .. 3839 (under 15 pixels). A walk no
  // longer than the step changes nothing.
  Glow* glowLeft;
  Glow* glowUp;
  Glow* glowRight;
  Glow* glowDown;
};

// The whole blur through one table: Cross, then the interiors in order.
void RadialBlur(const Fx2dRoutines& table, std::int32_t cx, std::int32_t cy, std::uint8_t strength,
                std::uint8_t gain, const FrameSize& frame, std::uint32_t* fb);

// The plain reference routines.
extern const Fx2dRoutines PlainFx2d;
// Every table this processor can run, PlainFx2d first and the fastest last.
std::span<const Fx2dRoutines* const> Fx2dVariants();

// The table to draw with: the fastest variant, or PlainFx2d after
// UseReferenceFx2d(true); `vx1 --bench --reference` compares the two.
const Fx2dRoutines& Fx2d();
void UseReferenceFx2d(bool reference);

}  // namespace vx
