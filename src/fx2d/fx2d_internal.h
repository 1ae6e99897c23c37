#pragma once
// Private to the fx2d module: the radial weight table and the walk that every
// blur version shares, the sprite clipping, and the routines that stand
// behind the tables.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fx2d/fx2d.h"

namespace vx::fx2d {

// Byte c (0..3) of a pixel, as the plain routines read them.
constexpr std::uint32_t ByteOf(std::uint32_t pixel, int c) {
  return (pixel >> (8 * c)) & 0xFF;
}

// ---- radial weight table --------------------------------------------------
// The classic table (built for a 320 x 200 frame): 400 rows of 640 entries
// of four bytes (w0, w1, w2, w3): entry (j, i) holds the bilinear weights
// for the offset dx = j - 320, dy = i - 200 from the blur centre (w0
// diagonal, w1 vertical, w2 horizontal neighbour toward the centre, w3 the
// pixel itself). Every offset from a centre on the screen to a pixel on it
// lies in the table.
inline constexpr int RadialTableColumns = 2 * ScreenWidth;
inline constexpr int RadialTableRows = 2 * ScreenHeight;
inline constexpr std::size_t RadialTableBytes =
    std::size_t{RadialTableColumns} * RadialTableRows * 4;
static_assert(RadialTableBytes == 1024000);

// The table built by BuildRadialTable, or nullptr while it is not built.
const std::uint8_t* RadialWeights();

// Byte offset in the classic table of the entry for offset (dx, dy) from the
// centre; -320 <= dx <= 319, -200 <= dy <= 199.
constexpr std::ptrdiff_t RadialEntryOffset(int dx, int dy) {
  return 4 * (std::ptrdiff_t{dy + ScreenHeight} * RadialTableColumns + (dx + ScreenWidth));
}

// The folded table (every other frame size): height rows of width entries
// for |dy|, |dx|, each a RadialSample (below): where the pixel's sample Q
// lies toward the centre and the classic weights' total there. It depends
// only on |dx| and |dy|, so each quadrant walks outward reading the table
// forward everywhere.

// Where the entries of the table built for one frame size lie, and the
// blur's step at that size: 8.8 fixed point pixels, 256 (one pixel) at the
// classic size and EffectStep(frame) at any other.
struct RadialTableView {
  const std::uint8_t* origin;  // the entry of offset (0, 0)
  std::ptrdiff_t rowBytes;     // from one dy to the next
  bool folded;                 // indexed by |dx|, |dy|; holds RadialSamples
  std::uint16_t step;
};

// The view of the table built for the frame, after asserting what every
// blur version requires (see Fx2dRoutines::radialBlur).
RadialTableView RadialTableFor(std::int32_t cx, std::int32_t cy, std::uint8_t strength,
                               std::uint8_t gain, const FrameSize& frame);

inline constexpr std::ptrdiff_t RadialSampleBytes = 6;  // sizeof(RadialSample)

// The entry for offset (dx, dy) from the centre.
inline const std::uint8_t* RadialEntry(const RadialTableView& t, int dx, int dy) {
  if (!t.folded) return t.origin + std::ptrdiff_t{dy} * t.rowBytes + 4 * std::ptrdiff_t{dx};
  return t.origin + std::ptrdiff_t{dy < 0 ? -dy : dy} * t.rowBytes +
         RadialSampleBytes * std::ptrdiff_t{dx < 0 ? -dx : dx};
}

// The blur at a larger frame samples the blurred image one classic pixel
// toward the centre on the frame's own grid, so that its streaks run along
// the rays as the classic ones do. Pixel P at (x, y) of a quadrant (walking
// sx, sy away from the centre) reads the point
//   Q = (x - sx ox, y - sy oy),  ox = round(step fx), oy = round(step fy)
// (8.8 fixed point pixels, nearest with ties to even; fx, fy <= 1, since
// d >= |dx|, |dy| as a single too, so at most the step),
// with (fx, fy) = (|dx|, |dy|) / d the unit direction as the classic table
// computes it (single floats; (0, 0) at the centre itself). Each is then cut
// to the pixel's index in its quadrant (RadialClamp), so that Q never passes
// the centre. With i = ox >> 8, f = ox & 255, j = oy >> 8, g = oy & 255,
// per byte:
//   Rn = (A(x - sx i, y - sy j) (256 - f) + A(x - sx (i+1), y - sy j) f) >> 8
//   Rf = the same on row y - sy (j + 1)
//   S  = (W (Rn (256 - g) + Rf g)) >> 16
//   P' = min(S k1 + P k0, 65535) >> 8,  k1 = strength + gain, k0 = 255 - strength
// W is the total of the classic table's four weights of that direction
// (254, 255 or 256 as they round; 255 at the centre): the classic sample of
// an even area is (W A) >> 8, and the long streaks of a strong blur, where
// each pixel passes on about 94 % of the one before it, follow that factor
// closely. A pixel of weight 0 (f = 0 or g = 0) is not read, so whole
// offsets never read past the pixels they name. Every pixel read lies no
// further from the centre than P along either axis, within P's quadrant
// (or, on the cross, the cross of a quadrant walked before): the walk order
// (rows outward, columns outward) has already written all of them but P
// itself, which is read as it was.
struct RadialSample {
  std::uint16_t x;      // ox, 8.8 fixed point pixels
  std::uint16_t y;      // oy
  std::uint16_t total;  // W
};
static_assert(sizeof(RadialSample) == RadialSampleBytes);
static_assert(std::size_t{MaxFrameWidth} * MaxFrameHeight * sizeof(RadialSample) < 150u << 20);
inline RadialSample RadialSampleAt(const RadialTableView& t, int dx, int dy) {
  RadialSample o;
  std::memcpy(&o, RadialEntry(t, dx, dy), sizeof o);
  return o;
}

// An offset (8.8) cut to a pixel's index in its quadrant along that axis
// (column or row from 0 at the cross): at most `index` whole pixels, so that
// an interior pixel reads only its quadrant, and at most one pixel at index
// 0, where the cross reads the first row or column of the quadrant beside it
// (done before) as the classic walk does.
constexpr std::uint32_t RadialClamp(std::uint32_t offset, int index) {
  return std::min<std::uint32_t>(offset,
                                 index == 0 ? 256u : 256u * static_cast<std::uint32_t>(index));
}
// The index in its quadrant of offset d from the centre along an axis the
// quadrant walks with sign s: 0 .. for d >= 0 (s = +1), and d = -1 is 0 for
// s = -1.
constexpr int RadialIndex(int d, int s) {
  return s > 0 ? d : -d - 1;
}

// One quadrant of the blur walk: columns x0, x0 + sx, ... (cols of them),
// rows y0, y0 + sy, ... (rows of them). With the one-pixel step the
// neighbours toward the centre of pixel (x, y) are D = (x - sx, y - sy),
// V = (x, y - sy), H = (x - sx, y).
struct RadialQuadrant {
  int x0, y0, sx, sy, cols, rows;
};

// The four quadrants in processing order for a centre 1 <= cx <= width - 1,
// 1 <= cy <= height - 1: below right, above right, below left, above left.
struct RadialWalk {
  RadialQuadrant quadrant[4];
};
constexpr RadialWalk RadialWalkFor(int cx, int cy, const FrameSize& frame) {
  return {{{cx, cy, +1, +1, frame.width - cx, frame.height - cy},
           {cx, cy - 1, +1, -1, frame.width - cx, cy},
           {cx - 1, cy, -1, +1, cx, frame.height - cy},
           {cx - 1, cy - 1, -1, -1, cx, cy}}};
}

// A quadrant without its first row and first column: what remains after the
// cross (empty when the quadrant is one row or column wide).
constexpr RadialQuadrant RadialInterior(const RadialQuadrant& q) {
  return {q.x0 + q.sx, q.y0 + q.sy, q.sx, q.sy, q.cols - 1, q.rows - 1};
}

// The quadrant of an interior part (BelowRight .. AboveLeft), in walk order.
constexpr int RadialQuadrantIndex(RadialPart part) {
  return static_cast<int>(part) - static_cast<int>(RadialPart::BelowRight);
}

// Calls pixel(q, x, y) for every pixel of the cross in the order the whole
// walk reaches them: quadrant by quadrant, its first row, then its first
// column below that row. Each pixel of the cross reads only pixels of the
// cross done before it, or untouched ones of quadrants still to come.
template <typename Pixel>
void ForEachCrossPixel(const RadialWalk& walk, Pixel pixel) {
  for (const RadialQuadrant& q : walk.quadrant) {
    for (int c = 0; c < q.cols; ++c) pixel(q, q.x0 + q.sx * c, q.y0);
    for (int r = 1; r < q.rows; ++r) pixel(q, q.x0, q.y0 + q.sy * r);
  }
}

// ---- sprite clipping ------------------------------------------------------
// The visible part of a sprite at (x, y) of width x height pixels on the
// frame and within the band of rows: sprite column/row of the first visible
// pixel, its frame column/row and the visible width/height. Positions are
// taken as 64-bit values, so any int32 position and any uint32 size clip
// without overflow.
struct SpriteClip {
  std::uint32_t spriteX, spriteY, screenX, screenY, width, height;
};
// False when nothing of the sprite lies on the frame's band.
bool ClipSprite(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                const FrameSize& frame, RowBand rows, SpriteClip& clip);

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

// A glow step split into whole pixels and the rest: the neighbour of the
// pixel at walk index k lies between k - whole and k - whole - 1, weighted
// (256 - fraction) and fraction; the walk changes pixels from index
// `start` on (the first with both neighbours inside the frame).
inline constexpr std::uint16_t MaxGlowStep = 15 * 256;  // the vector walks keep 16 columns
static_assert(MaxFrameHeight * OnePixelStep / ScreenHeight < MaxGlowStep);
struct GlowReach {
  int whole;
  std::uint32_t fraction;
  int start;
};
constexpr GlowReach GlowReachOf(std::uint16_t step) {
  assert(step >= OnePixelStep && step < MaxGlowStep);
  const int whole = step >> 8;
  const std::uint32_t fraction = step & 0xFFu;
  return {whole, fraction, whole + (fraction != 0 ? 1 : 0)};
}

// The vector glow keeps 16-bit lanes: N x n must not exceed 65535, which
// holds for every byte N when the neighbour weight n = spread + gain is at
// most 257, and the own weight 256 - spread needs spread <= 256. Outside
// that the vector passes hand the call to the plain one.
constexpr bool GlowFitsSixteenBits(std::uint16_t spread, std::uint16_t gain) {
  return spread <= 256 && std::uint32_t{spread} + gain <= 257;
}

}  // namespace vx::fx2d
