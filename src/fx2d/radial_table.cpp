// The radial blur's weight table: for every offset from the centre, the
// bilinear weights of a sample taken one pixel step from that offset toward
// the centre. Built once when the scene modules load, shared by the
// plain and the vector blurs, freed with the scene modules.
#include <cmath>
#include <cstdint>
#include <memory>

#include "fx2d/fx2d.h"
#include "fx2d/fx2d_internal.h"

namespace vx {
namespace {

std::unique_ptr<std::uint8_t[]> radialTable;

// Nearest integer, ties to even (the default rounding mode, which nothing in
// the program changes), and its low byte.
std::uint8_t RoundToByte(long double value) {
  return static_cast<std::uint8_t>(std::llrint(value) & 0xFF);
}

// Weights of one non-zero offset. d, fx and fy are kept as single floats;
// the products are formed in long double from those singles.
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

}  // namespace

void BuildRadialTable() {
  // A second build refills the same block.
  if (!radialTable) radialTable = std::make_unique<std::uint8_t[]>(fx2d::RadialTableBytes);
  std::uint8_t* entry = radialTable.get();
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

void FreeRadialTable() {
  radialTable.reset();
}

namespace fx2d {
const std::uint8_t* RadialWeights() {
  return radialTable.get();
}
}  // namespace fx2d

}  // namespace vx
