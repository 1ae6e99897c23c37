// SSE2 glow passes. Every step is P = saturate(N x n + P x m at 65535) >> 8
// per byte in 16-bit lanes, exact while N x n fits in 16 bits (see
// GlowFitsSixteenBits; other weights go to the plain passes).
//
// The vertical passes are independent along a row: four pixels a step, the
// neighbour row read back from memory. A step longer than one pixel reads
// its neighbour rows (or columns) back from memory the same way, blended
// between two when the step falls between pixels; along a row that works
// four pixels at a time once the step is four pixels or more. The horizontal passes are serial
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
  Vec n;      // neighbour weight, spread + gain
  Vec m;      // own weight, 256 - spread
  Vec keep;   // 256 - fraction of the step: weight of the nearer neighbour
  Vec reach;  // fraction: weight of the farther one
  GlowReach step;
};
GlowFactors MakeFactors(const GlowParameters& glow) {
  const GlowReach step = GlowReachOf(glow.step);
  return {Splat16(std::uint32_t{glow.spread} + glow.gain), Splat16(256u - glow.spread),
          Splat16(256u - step.fraction), Splat16(step.fraction), step};
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
// The neighbour between two pixels on 16-bit lanes:
// (near (256 - f) + far f) >> 8, at most 255 x 256.
inline Vec Between16(Vec near, Vec far, const GlowFactors& f) {
  return HighByte16(Add16(Mul16(near, f.keep), Mul16(far, f.reach)));
}
// One glow step of a step between pixels, on packed pixels (up to four).
inline Vec GlowPixelsBetween(Vec near, Vec far, Vec pixel, const GlowFactors& f) {
  return Narrow16(Glow16(Between16(WidenLo8(near), WidenLo8(far), f), WidenLo8(pixel), f),
                  Glow16(Between16(WidenHi8(near), WidenHi8(far), f), WidenHi8(pixel), f));
}
// The glow step of pixels at p (four or one) from their neighbours at near
// and, for a step between pixels, near + toFar.
template <bool Four>
inline void GlowAt(std::uint32_t* p, const std::uint32_t* near, std::ptrdiff_t toFar,
                   const GlowFactors& f) {
  const auto load = [](const std::uint32_t* q) { return Four ? Load4(q) : Load1(q); };
  const Vec result = f.step.fraction == 0
                         ? GlowPixels(load(near), load(p), f)
                         : GlowPixelsBetween(load(near), load(near + toFar), load(p), f);
  if constexpr (Four) {
    Store4(p, result);
  } else {
    Store1(p, result);
  }
}

// GlowDown (Step = +1: rows 1..height-1 from the row above) and GlowUp
// (Step = -1: rows height-2..0 from the row below).
// Columns first .. end - 1 of each row.
template <int Step>
void GlowVertical(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
                  std::int32_t end, std::uint32_t* buffer) {
  const GlowFactors f = MakeFactors(glow);
  const std::ptrdiff_t pitch = frame.pitch;
  const std::ptrdiff_t toFar = -Step * pitch;
  for (std::int32_t i = f.step.start; i < frame.height; ++i) {
    const std::int32_t y = Step > 0 ? i : frame.height - 1 - i;
    std::uint32_t* row = buffer + y * pitch;
    const std::uint32_t* near = row - Step * f.step.whole * pitch;
    std::int32_t x = first;
    for (; x + 4 <= end; x += 4) GlowAt<true>(row + x, near + x, toFar, f);
    for (; x < end; ++x) GlowAt<false>(row + x, near + x, toFar, f);
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
void GlowRowBand(std::uint32_t* rows, std::uint32_t width, std::size_t pitch,
                 const GlowFactors& f) {
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

// A row walked with a step of more than one pixel, from `from` (its first
// pixel in walk order). With four or more whole pixels, four consecutive
// pixels never read each other, so they go four at a time; otherwise one.
template <int Step>
void GlowSteppedRow(std::uint32_t* from, std::int32_t width, const GlowFactors& f) {
  const std::ptrdiff_t nearOffset = -Step * f.step.whole;
  std::int32_t k = f.step.start;
  if (f.step.whole >= 4) {
    for (; k + 4 <= width; k += 4) {
      std::uint32_t* lowest = Step > 0 ? from + k : from - k - 3;
      GlowAt<true>(lowest, lowest + nearOffset, -Step, f);
    }
  }
  for (; k < width; ++k) {
    std::uint32_t* p = from + Step * k;
    GlowAt<false>(p, p + nearOffset, -Step, f);
  }
}

// Four rows (pitch apart) walked with a step of more than one pixel: as in
// GlowRowBand, blocks of four columns are turned into columns of four rows;
// each column done goes into a ring of the last sixteen, from which the
// columns a step back are read again whole (reading them back from the rows
// would straddle the stores just made).
template <int Step>
void GlowSteppedBand(std::uint32_t* rows, std::int32_t width, std::size_t pitch,
                     const GlowFactors& f) {
  static_assert(MaxGlowStep / 256 + 1 <= 16, "the ring holds the columns a step back");
  Vec ring[16];
  const auto glow = [&](Vec column, int k) {
    if (k >= f.step.start) {
      const Vec near = ring[(k - f.step.whole) & 15];
      column = f.step.fraction == 0
                   ? GlowPixels(near, column, f)
                   : GlowPixelsBetween(near, ring[(k - f.step.whole - 1) & 15], column, f);
    }
    ring[k & 15] = column;
    return column;
  };
  int k = 0;  // walk index: column k (right) or width - 1 - k (left)
  for (; k + 4 <= width; k += 4) {
    std::uint32_t* p = rows + (Step > 0 ? k : width - 4 - k);
    Vec c[4] = {Load4(p), Load4(p + pitch), Load4(p + 2 * pitch), Load4(p + 3 * pitch)};
    Transpose4x4Pixels(c[0], c[1], c[2], c[3]);
#pragma GCC unroll 4
    for (int j = 0; j < 4; ++j) {
      Vec& column = c[Step > 0 ? j : 3 - j];
      column = glow(column, k + j);
    }
    Transpose4x4Pixels(c[0], c[1], c[2], c[3]);
    Store4(p, c[0]);
    Store4(p + pitch, c[1]);
    Store4(p + 2 * pitch, c[2]);
    Store4(p + 3 * pitch, c[3]);
  }
  for (; k < width; ++k) {
    std::uint32_t* p = rows + (Step > 0 ? k : width - 1 - k);
    StoreColumn4(p, pitch, glow(LoadColumn4(p, pitch), k));
  }
}

// Rows first .. end - 1: eight at a time, then four, then one.
template <int Step>
void GlowHorizontal(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
                    std::int32_t end, std::uint32_t* buffer) {
  if (frame.width < 2) return;  // no pixel has a neighbour
  const GlowFactors f = MakeFactors(glow);
  if (glow.step != OnePixelStep) {
    const std::size_t pitch = static_cast<std::size_t>(frame.pitch);
    std::int32_t y = first;
    for (; y + 4 <= end; y += 4) GlowSteppedBand<Step>(buffer + y * pitch, frame.width, pitch, f);
    for (; y < end; ++y) {
      std::uint32_t* row = buffer + y * pitch;
      GlowSteppedRow<Step>(Step > 0 ? row : row + frame.width - 1, frame.width, f);
    }
    return;
  }
  const std::uint32_t width = static_cast<std::uint32_t>(frame.width);
  const std::size_t pitch = static_cast<std::size_t>(frame.pitch);
  std::int32_t y = first;
  for (; y + 8 <= end; y += 8) GlowRowBand<Step, 2>(buffer + y * pitch, width, pitch, f);
  for (; y + 4 <= end; y += 4) GlowRowBand<Step, 1>(buffer + y * pitch, width, pitch, f);
  for (; y < end; ++y) GlowOneRow<Step>(buffer + y * pitch, width, f);
}

}  // namespace

void GlowRight(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
               std::int32_t end, std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(glow.spread, glow.gain))
    return plain::GlowRight(glow, frame, first, end, buffer);
  GlowHorizontal<+1>(glow, frame, first, end, buffer);
}

void GlowLeft(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
              std::int32_t end, std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(glow.spread, glow.gain))
    return plain::GlowLeft(glow, frame, first, end, buffer);
  GlowHorizontal<-1>(glow, frame, first, end, buffer);
}

void GlowDown(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
              std::int32_t end, std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(glow.spread, glow.gain))
    return plain::GlowDown(glow, frame, first, end, buffer);
  GlowVertical<+1>(glow, frame, first, end, buffer);
}

void GlowUp(const GlowParameters& glow, const FrameSize& frame, std::int32_t first,
            std::int32_t end, std::uint32_t* buffer) {
  if (!GlowFitsSixteenBits(glow.spread, glow.gain))
    return plain::GlowUp(glow, frame, first, end, buffer);
  GlowVertical<-1>(glow, frame, first, end, buffer);
}

}  // namespace vx::fx2d::sse2

#endif  // defined(__SSE2__)
