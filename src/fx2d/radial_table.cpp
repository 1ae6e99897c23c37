// The radial blur's table: at the classic size, for every offset from the
// centre, the bilinear weights of a sample taken one pixel from that offset
// toward the centre; at any other size, per |dx|, |dy|, where that sample
// lies (see fx2d_internal.h for both layouts). Built when the scene
// modules load and again when the frame changes size, shared by the plain
// and the vector blurs, freed with the scene modules.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fx2d/fx2d.h"
#include "fx2d/fx2d_internal.h"

namespace vx {
namespace {

// The table and the frame width and height it was built for.
std::unique_ptr<std::uint8_t[]> radialTable;
std::size_t radialTableBytes = 0;
std::int32_t builtWidth = 0;
std::int32_t builtHeight = 0;

bool IsClassicSize(const FrameSize& frame) {
  return frame.width == ClassicFrame.width && frame.height == ClassicFrame.height;
}

// Nearest integer, ties to even (the default rounding mode, which nothing in
// the program changes), and its low byte.
std::uint8_t RoundToByte(long double value) {
  return static_cast<std::uint8_t>(std::llrint(value) & 0xFF);
}

// The unit direction (|dx|, |dy|) / d of a non-zero offset: d, fx and fy
// are kept as single floats, formed from Wide values. The classic table
// forms them in long double; the table of any other size in double, whose
// square root, quotients and products round the same way on every platform
// (WebAssembly's long double is another format than x86's, and the larger
// tables hold millions of directions, so a rare tie would be met).
struct Direction {
  float fx, fy;
};
template <typename Wide>
Direction DirectionOf(int dx, int dy) {
  const Wide squared = static_cast<Wide>(dx) * dx + static_cast<Wide>(dy) * dy;
  const float d = static_cast<float>(std::sqrt(squared));
  return {static_cast<float>(static_cast<Wide>(std::abs(dx)) / d),
          static_cast<float>(static_cast<Wide>(std::abs(dy)) / d)};
}

// The classic table's weights of a direction; the products are formed in
// Wide from the direction's singles.
template <typename Wide>
void FillWeights(const Direction& u, std::uint8_t* entry) {
  const Wide ex = u.fx;
  const Wide ey = u.fy;
  const Wide one = 1, full = 255;
  entry[0] = RoundToByte(ex * ey * full);
  entry[1] = RoundToByte((one - ex) * ey * full);
  entry[2] = RoundToByte(ex * (one - ey) * full);
  entry[3] = RoundToByte((one - ex) * (one - ey) * full);
}

// The classic 640 x 400 table of weights.
void BuildClassic(std::uint8_t* entry) {
  for (int i = 0; i < fx2d::RadialTableRows; ++i) {
    for (int j = 0; j < fx2d::RadialTableColumns; ++j, entry += 4) {
      const int dx = j - ScreenWidth;
      const int dy = i - ScreenHeight;
      if (dx == 0 && dy == 0) {
        entry[0] = entry[1] = entry[2] = 0;
        entry[3] = 255;
      } else {
        FillWeights<long double>(DirectionOf<long double>(dx, dy), entry);
      }
    }
  }
}

// step x f (8.8) to the nearest, ties to even; f <= 1, so at most the
// step. The product of a single and a 16-bit integer is exact in a double.
std::uint16_t OffsetAlong(std::uint16_t step, float f) {
  assert(f <= 1.0f);
  return static_cast<std::uint16_t>(std::lrint(static_cast<double>(step) * static_cast<double>(f)));
}

// The folded table: the sample of each offset |dx|, |dy|; at the centre,
// which has no direction, the pixel itself with the classic centre's 255.
void BuildFolded(const FrameSize& frame, std::uint8_t* entry) {
  const std::uint16_t step = EffectStep(frame);
  for (int ady = 0; ady < frame.height; ++ady) {
    for (int adx = 0; adx < frame.width; ++adx, entry += sizeof(fx2d::RadialSample)) {
      fx2d::RadialSample o{.x = 0, .y = 0, .total = 255};
      if (adx != 0 || ady != 0) {
        const Direction u = DirectionOf<double>(adx, ady);
        std::uint8_t w[4];
        FillWeights<double>(u, w);
        o = {.x = OffsetAlong(step, u.fx),
             .y = OffsetAlong(step, u.fy),
             .total = static_cast<std::uint16_t>(w[0] + w[1] + w[2] + w[3])};
      }
      std::memcpy(entry, &o, sizeof o);
    }
  }
}

}  // namespace

void BuildRadialTable(const FrameSize& frame) {
  assert(DrawableFrameSize(frame));
  if (radialTable && frame.width == builtWidth && frame.height == builtHeight) return;
  const std::size_t bytes =
      IsClassicSize(frame)
          ? fx2d::RadialTableBytes
          : std::size_t(frame.width) * std::size_t(frame.height) * sizeof(fx2d::RadialSample);
  if (bytes != radialTableBytes) {
    radialTable.reset();  // release the old size before taking the new one
    radialTable = std::make_unique<std::uint8_t[]>(bytes);
    radialTableBytes = bytes;
  }
  if (IsClassicSize(frame)) {
    BuildClassic(radialTable.get());
  } else {
    BuildFolded(frame, radialTable.get());
  }
  builtWidth = frame.width;
  builtHeight = frame.height;
}

void FreeRadialTable() {
  radialTable.reset();
  radialTableBytes = 0;
  builtWidth = builtHeight = 0;
}

bool RadialTableBuilt() {
  return radialTable != nullptr;
}

namespace fx2d {

const std::uint8_t* RadialWeights() {
  return radialTable.get();
}

RadialTableView RadialTableFor([[maybe_unused]] std::int32_t cx, [[maybe_unused]] std::int32_t cy,
                               [[maybe_unused]] std::uint8_t strength,
                               [[maybe_unused]] std::uint8_t gain, const FrameSize& frame) {
  assert(radialTable && "BuildRadialTable must run before RadialBlur");
  assert(frame.width == builtWidth && frame.height == builtHeight &&
         "the radial table was built for another frame size");
  assert(cx >= 1 && cx <= frame.width - 1 && cy >= 1 && cy <= frame.height - 1);
  assert(strength + gain <= 255);
  if (IsClassicSize(frame))
    return {radialTable.get() + RadialEntryOffset(0, 0), 4 * RadialTableColumns, false,
            OnePixelStep};
  return {radialTable.get(), std::ptrdiff_t{frame.width} * fx2d::RadialSampleBytes, true,
          EffectStep(frame)};
}

}  // namespace fx2d

}  // namespace vx
