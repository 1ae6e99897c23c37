// Precision of the stepped values at large frames, against the exact
// mapping: affine u across a row and v down an edge, and edge x down the
// rows. Steps truncated to 1/256 units drift by up to one unit a pixel or a
// row, several texels or columns over thousands; frames larger than the
// classic one carry 16 more fraction bits and stay within 1/256 texel or
// column of the exact values, while the classic frame keeps its truncated
// arithmetic exactly (hand-computed below).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fill_cases.h"
#include "raster/raster.h"
#include "raster_fixture.h"

namespace vx::rastertest {
namespace {

// Whole texels (or columns) of a value in 1/256 units, mod 256 for texels.
int Texel(double units) {
  return static_cast<int>(std::floor(units / 256.0)) & 255;
}

// The drawn texel is the exact value's, or its neighbour's within 1/256
// texel of a texel's edge.
bool NearExactTexel(int texel, double exact) {
  return texel == Texel(exact - 1.0) || texel == Texel(exact + 1.0);
}

// A value running from 0 to total over span steps (pixels or rows): how far
// the truncated step, floor(total / span) added span times, falls behind
// total at the far end.
double TruncatedDrift(std::int32_t total, std::int32_t span) {
  return static_cast<double>(total % span);
}

struct StepCase {
  FrameSize size;
  std::int32_t span;   // pixels (u across) or rows (v down) from first to last
  std::int32_t total;  // u or v at the far end, 8.8; 0 at the near end
};

// At the classic frame the per-pixel step is 257.99 units, truncated to 257;
// at the larger ones 32.8 (truncated to 32) and 255.9 (to 255).
constexpr StepCase AcrossCases[] = {
    {ClassicFrame, 300, 77397},
    {{640, 400, 640}, 600, 153540},
    {{1920, 1080, 1920}, 1900, 62320},
    {{3840, 2160, 3840}, 3800, 124640},
};

class AffinePrecision : public EachFill {};

// A rectangle from column 4 to 4 + span over rows 10 .. 20, u from 0 to
// total across, v 0.
TEST_P(AffinePrecision, TexelsAcrossALongRowFollowTheExactMapping) {
  const std::vector<std::uint32_t> texture = CoordinateTexture(1);
  for (const StepCase& c : AcrossCases) {
    SCOPED_TRACE(testing::Message() << c.size.width << " x " << c.size.height);
    TestObject object;
    object.AddPolygon({At(4, 10, 0.5f, 0, 0), At(4, 20, 0.5f, 0, 0),
                       At(4 + c.span, 20, 0.5f, c.total, 0), At(4 + c.span, 10, 0.5f, c.total, 0)},
                      texture.data());
    Target target(c.size);
    fill(target.All(), object.entry, 0);
    const bool classic = c.size == ClassicFrame;
    // The truncated steps end on another texel than the exact mapping (more
    // than a texel behind at the larger frames), so the case tells the two
    // apart.
    ASSERT_NE(Texel(c.span * (c.total / c.span)), Texel(c.total));
    if (!classic) {
      ASSERT_GT(TruncatedDrift(c.total, c.span), 256.0);
    }
    for (int k = 0; k <= c.span; ++k) {
      const int texel = TexelColumn(target.Pixel(4 + k, 15));
      if (classic) {
        // u = k x floor(total / span), truncated.
        ASSERT_EQ(texel, Texel(static_cast<double>(k * (c.total / c.span)))) << "pixel " << k;
      } else {
        ASSERT_TRUE(NearExactTexel(texel, static_cast<double>(c.total) * k / c.span))
            << "pixel " << k << " shows texel " << texel;
      }
    }
  }
}

// Per-row steps of 257.9 (classic, 199 rows), 32.8 (2159 and 1919 rows).
constexpr StepCase DownCases[] = {
    {ClassicFrame, 199, 51322},
    {{3840, 2160, 3840}, 2159, 70815},
    {{1080, 1920, 1080}, 1919, 62943},
};

// A rectangle over every row, columns 2 .. 40, v from 0 at the top to total
// at the bottom; the left column shows the left edge's v.
TEST_P(AffinePrecision, TexelsDownATallEdgeFollowTheExactMapping) {
  const std::vector<std::uint32_t> texture = CoordinateTexture(1);
  for (const StepCase& c : DownCases) {
    SCOPED_TRACE(testing::Message() << c.size.width << " x " << c.size.height);
    TestObject object;
    object.AddPolygon({At(2, 0, 0.5f, 0, 0), At(2, c.span, 0.5f, 0, c.total),
                       At(40, c.span, 0.5f, 0, c.total), At(40, 0, 0.5f, 0, 0)},
                      texture.data());
    Target target(c.size);
    fill(target.All(), object.entry, 0);
    ASSERT_NE(Texel(c.span * (c.total / c.span)), Texel(c.total));
    if (c.size != ClassicFrame) {
      ASSERT_GT(TruncatedDrift(c.total, c.span), 256.0);
    }
    for (int y = 0; y <= c.span; ++y) {
      const int texel = TexelRow(target.Pixel(2, y));
      if (c.size == ClassicFrame) {
        ASSERT_EQ(texel, Texel(static_cast<double>(y * (c.total / c.span)))) << "row " << y;
      } else {
        ASSERT_TRUE(NearExactTexel(texel, static_cast<double>(c.total) * y / c.span))
            << "row " << y << " shows texel row " << texel;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    AffineFills, AffinePrecision,
    ::testing::ValuesIn(FillsWhere([](const FillCase& c) { return !c.perspective; })), CaseName);

class EdgePrecision : public EachFill {};

// A left edge from column 0 on the top row down to the last row, the 24.8
// step 300 + (rows - 1) / rows units a row (truncated: 300), the right side
// down the last column. Each row's first drawn column is the edge's.
TEST_P(EdgePrecision, EdgeColumnsDownTheFrameFollowTheExactLine) {
  const std::vector<std::uint32_t> texture = CoordinateTexture(1);
  for (const FrameSize& size :
       {ClassicFrame, FrameSize{1920, 1080, 1920}, FrameSize{3840, 2160, 3844}}) {
    SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
    const std::int32_t rows = size.height - 1;
    const std::int32_t bottomX = rows * 300 + rows - 1;  // 24.8
    const std::int32_t right = (size.width - 1) * 256;
    TestObject object;
    object.AddPolygon({{0, 0, 0.5f, 0, 0},
                       {bottomX, rows, 0.5f, 0, 0},
                       {right, rows, 0.5f, 0, 0},
                       {right, 0, 0.5f, 0, 0}},
                      texture.data());
    Target target(size);
    fill(target.All(), object.entry, 0);
    for (int y = 0; y <= rows; ++y) {
      int first = 0;
      while (first < size.width && target.Pixel(first, y) == Background) ++first;
      const double exact = static_cast<double>(bottomX) * y / rows;
      if (size == ClassicFrame) {
        ASSERT_EQ(first, y * 300 / 256) << "row " << y;  // truncated step, 300
      } else {
        ASSERT_TRUE(first == static_cast<int>(std::floor((exact - 1.0) / 256.0)) ||
                    first == static_cast<int>(std::floor((exact + 1.0) / 256.0)))
            << "row " << y << " starts at column " << first << ", the line at " << exact / 256.0;
      }
    }
    // The truncated step would have fallen this many columns behind at the
    // bottom: more than one at the larger frames.
    if (size != ClassicFrame) {
      ASSERT_GT((static_cast<double>(bottomX) - rows * 300.0) / 256.0, 1.0);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllFills, EdgePrecision, ::testing::ValuesIn(AllFills), CaseName);

}  // namespace
}  // namespace vx::rastertest
