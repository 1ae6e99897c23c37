// The radial blur's weight table: for every offset from the centre, the
// bilinear weights of a sample taken one pixel from that offset toward the
// centre (see fx2d_internal.h for the classic and the folded layout). Built when the scene
// modules load and again when the frame changes size, shared by the plain
// and the vector blurs, freed with the scene modules.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
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

// Weights of one non-zero offset of the classic table. d, fx and fy are kept
// as single floats; the products are formed in long double from those singles.
void FillEntry(int dx, int dy, std::uint8_t* entry) {
  const long double squared = static_cast<long double>(dx) * dx + static_cast<long double>(dy) * dy;
  const float d = static_cast<float>(std::sqrt(squared));
  const float fx = static_cast<float>(static_cast<long double>(std::abs(dx)) / d);
  const float fy = static_cast<float>(static_cast<long double>(std::abs(dy)) / d);
  const long double ex = fx;
  const long double ey = fy;
  entry[0] = RoundToByte(ex * ey * 255.0L);
  entry[1] = RoundToByte((1.0L - ex) * ey * 255.0L);
  entry[2] = RoundToByte(ex * (1.0L - ey) * 255.0L);
  entry[3] = RoundToByte((1.0L - ex) * (1.0L - ey) * 255.0L);
}

void BuildClassic(std::uint8_t* entry) {
  for (int i = 0; i < fx2d::RadialTableRows; ++i) {
    for (int j = 0; j < fx2d::RadialTableColumns; ++j, entry += 4) {
      const int dx = j - ScreenWidth;
      const int dy = i - ScreenHeight;
      if (dx == 0 && dy == 0) {
        entry[0] = entry[1] = entry[2] = 0;
        entry[3] = 255;
      } else {
        FillEntry(dx, dy, entry);
      }
    }
  }
}

// The folded table: the classic entry of each offset |dx|, |dy|.
void BuildFolded(const FrameSize& frame, std::uint8_t* entry) {
  for (int ady = 0; ady < frame.height; ++ady) {
    for (int adx = 0; adx < frame.width; ++adx, entry += 4) {
      if (adx == 0 && ady == 0) {
        entry[0] = entry[1] = entry[2] = 0;
        entry[3] = 255;
      } else {
        FillEntry(adx, ady, entry);
      }
    }
  }
}

}  // namespace

void BuildRadialTable(const FrameSize& frame) {
  assert(DrawableFrameSize(frame));
  if (radialTable && frame.width == builtWidth && frame.height == builtHeight) return;
  const std::size_t bytes = IsClassicSize(frame)
                                ? fx2d::RadialTableBytes
                                : std::size_t(frame.width) * std::size_t(frame.height) * 4;
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
  return {radialTable.get(), std::ptrdiff_t{frame.width} * 4, true, EffectStep(frame)};
}

}  // namespace fx2d

}  // namespace vx
