// SSE2 glow passes. Every step is P = saturate(N x n + P x m at 65535) >> 8
// per byte in 16-bit lanes, exact while N x n fits in 16 bits (see
// GlowFitsSixteenBits; other weights go to the plain passes).
//
// The vertical passes are independent along a row: four pixels a step, the
// neighbour row read back from memory. The horizontal passes are serial
// along a row but rows are independent, so eight rows are carried at once:
// four columns of four rows are loaded, turned by a 4 x 4 transpose into
// four registers of one column each, smeared column after column (two 16-bit
// registers per four rows), turned back and stored.
#if defined(__SSE2__)  // x86-64 baseline; elsewhere only the plain table exists
#include <cstdint>

#include "fx2d/fx2d_internal.h"
#include "fx2d/simd.h"

namespace vx::fx2d::sse2 {
namespace {

using namespace simd;

struct GlowFactors {
  Vec n;  // neighbour weight, spread + gain
  Vec m;  // own weight, 256 - spread
};
GlowFactors MakeFactors(std::uint16_t spread, std::uint16_t gain) {
  return {Splat16(std::uint32_t{spread} + gain), Splat16(256u - spread)};
}

// One glow step on 16-bit lanes.
inline Vec Glow16(Vec neighbour, Vec pixel, const GlowFactors& f) {
  return HighByte16(AddSat16(Mul16(neighbour, f.n), Mul16(pixel, f.m)));
}
// One glow step on packed pixels (up to four).
inline Vec GlowPixels(Vec neighbour, Vec pixel, const GlowFactors& f) {
  return Narrow16(Glow16(WidenLo8(neighbour), WidenLo8(pixel), f),
                  Glow16(WidenHi8(neighbour), WidenHi8(pixel), f));
}

// GlowDown (Step = +1: rows 1..height-1 from the row above) and GlowUp
// (Step = -1: rows height-2..0 from the row below).
template <int Step>
void GlowVertical(std::uint16_t spread, std::uint16_t gain, std::uint32_t width,
                  std::uint32_t height, std::uint32_t* buffer) {
  if (height < 2) return;  // no row has a neighbour
  const GlowFactors f = MakeFactors(spread, gain);
  for (std::uint32_t i = 1; i < height; ++i) {
    const std::uint32_t y = Step > 0 ? i : height - 1 - i;
    std::uint32_t* row = buffer + std::size_t{y} * width;
    const std::uint32_t* from = Step > 0 ? row - width : row + width;
    std::uint32_t x = 0;
    for (; x + 4 <= width; x += 4) Store4(row + x, GlowPixels(Load4(from + x), Load4(row + x), f));
    for (; x < width; ++x) Store1(row + x, GlowPixels(Load1(from + x), Load1(row + x), f));
  }
}

// Pixel x of four rows (pitch apart) in lanes 0..3, and back.
inline Vec LoadColumn4(const std::uint32_t* p, std::size_t pitch) {
  return Gather4(p, p + pitch, p + 2 * pitch, p + 3 * pitch);
}
inline void StoreColumn4(std::uint32_t* p, std::size_t pitch, Vec v) {
  Scatter4(v, p, p + pitch, p + 2 * pitch, p + 3 * pitch);
}

// Carries Groups x 4 rows through the walk. Step = +1 walks right (column 0
// stays), Step = -1 walks left (the last column stays). prev[2g] holds rows
// 4g, 4g+1 and prev[2g+1] rows 4g+2, 4g+3 of the last column done, widened.
template <int Step, int Groups>
void GlowRowBand(std::uint32_t* rows, std::uint32_t width, const GlowFactors& f) {
  const std::size_t pitch = width;
  Vec prev[2 * Groups];
  const std::uint32_t first = Step > 0 ? 0 : width - 1;
  for (int g = 0; g < Groups; ++g) {
    const Vec column = LoadColumn4(rows + 4 * g * pitch + first, pitch);
    prev[2 * g] = WidenLo8(column);
    prev[2 * g + 1] = WidenHi8(column);
  }
  // Steps still to take; the first block starts next to the kept column.
  std::uint32_t remaining = width - 1;
  std::uint32_t x = Step > 0 ? 1 : width - 2;  // next column to change
  // The group and column loops are unrolled (#pragma) so that prev[] and c[]
  // stay in registers instead of going through the stack.
  for (; remaining >= 4; remaining -= 4, x += 4 * Step) {
    // Block of columns x .. x + 3 (right walk) or x - 3 .. x (left walk).
    const std::uint32_t base = Step > 0 ? x : x - 3;
#pragma GCC unroll 4
    for (int g = 0; g < Groups; ++g) {
      std::uint32_t* p = rows + 4 * g * pitch + base;
      Vec c[4] = {Load4(p), Load4(p + pitch), Load4(p + 2 * pitch), Load4(p + 3 * pitch)};
      Transpose4x4Pixels(c[0], c[1], c[2], c[3]);
#pragma GCC unroll 4
      for (int j = 0; j < 4; ++j) {
        Vec& column = c[Step > 0 ? j : 3 - j];
        prev[2 * g] = Glow16(prev[2 * g], WidenLo8(column), f);
        prev[2 * g + 1] = Glow16(prev[2 * g + 1], WidenHi8(column), f);
        column = Narrow16(prev[2 * g], prev[2 * g + 1]);
      }
      Transpose4x4Pixels(c[0], c[1], c[2], c[3]);
      Store4(p, c[0]);
      Store4(p + pitch, c[1]);
      Store4(p + 2 * pitch, c[2]);
      Store4(p + 3 * pitch, c[3]);
    }
  }
  for (; remaining > 0; --remaining, x += Step) {
#pragma GCC unroll 4
    for (int g = 0; g < Groups; ++g) {
      std::uint32_t* p = rows + 4 * g * pitch + x;
      const Vec column = LoadColumn4(p, pitch);
      prev[2 * g] = Glow16(prev[2 * g], WidenLo8(column), f);
      prev[2 * g + 1] = Glow16(prev[2 * g + 1], WidenHi8(column), f);
      StoreColumn4(p, pitch, Narrow16(prev[2 * g], prev[2 * g + 1]));
    }
  }
}

// A single row, one pixel a step (the rows left over after the bands).
template <int Step>
void GlowOneRow(std::uint32_t* row, std::uint32_t width, const GlowFactors& f) {
  std::uint32_t x = Step > 0 ? 0 : width - 1;
  Vec prev = Load1(row + x);
  for (std::uint32_t remaining = width - 1; remaining > 0; --remaining) {
    x += Step;
    prev = GlowPixels(prev, Load1(row + x), f);
    Store1(row + x, prev);
  }
}

template <int Step>
void GlowHorizontal(std::uint16_t spread, std::uint16_t gain, std::uint32_t width,
                    std::uint32_t height, std::uint32_t* buffer) {
  if (width < 2) return;  // no pixel has a neighbour
  const GlowFactors f = MakeFactors(spread, gain);
  std::uint32_t y = 0;
  for (; y + 8 <= height; y += 8) GlowRowBand<Step, 2>(buffer + std::size_t{y} * width, width, f);
  for (; y + 4 <= height; y += 4) GlowRowBand<Step, 1>(buffer + std::size_t{y} * width, width, f);
  for (; y < height; ++y) GlowOneRow<Step>(buffer + std::size_t{y} * width, width, f);
}

}  // namespace

void GlowRight(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
               std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(spread, gain))
    return plain::GlowRight(spread, gain, width, height, buffer);
  GlowHorizontal<+1>(spread, gain, width, height, buffer);
}

void GlowLeft(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
              std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(spread, gain))
    return plain::GlowLeft(spread, gain, width, height, buffer);
  GlowHorizontal<-1>(spread, gain, width, height, buffer);
}

void GlowDown(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
              std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(spread, gain))
    return plain::GlowDown(spread, gain, width, height, buffer);
  GlowVertical<+1>(spread, gain, width, height, buffer);
}

void GlowUp(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
            std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(spread, gain)) return plain::GlowUp(spread, gain, width, height, buffer);
  GlowVertical<-1>(spread, gain, width, height, buffer);
}

}  // namespace vx::fx2d::sse2

#endif  // defined(__SSE2__)
