// The edge walk stays inside its rows: polygons reaching past the frame's
// edges, their vertices listed from each corner in turn, draw exactly their
// visible part, and no fill writes an edge-table entry outside the band it
// draws (the tables' guard entries included), at the classic size and at the
// tallest frame, whose last row is the tables' last.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "fill_cases.h"
#include "raster/fill_setup.h"
#include "raster/raster.h"
#include "raster_fixture.h"

namespace vx::rastertest {
namespace {

struct Rectangle {
  const char* name;
  int left, top, right, bottom;  // columns and rows, inclusive
};

// The clamping cases, placed by the frame's size.
std::vector<Rectangle> ClampedRectangles(const FrameSize& size) {
  const int w = size.width, h = size.height;
  return {
      {.name = "larger than the frame",
       .left = -100,
       .top = -50,
       .right = w + 80,
       .bottom = h + 100},
      {.name = "middle row above", .left = -20, .top = -3 * h / 2, .right = w / 2, .bottom = h / 2},
      {.name = "middle row below",
       .left = w * 3 / 4,
       .top = h * 3 / 4,
       .right = w + 10,
       .bottom = 5 * h},
      {.name = "on the last row", .left = 10, .top = h / 2, .right = w / 3, .bottom = h - 1},
      {.name = "on the row past the last",
       .left = w / 2,
       .top = h / 3,
       .right = w - 1,
       .bottom = h},
      {.name = "from the row above the first",
       .left = w / 3,
       .top = -1,
       .right = w / 2,
       .bottom = h / 4},
  };
}

// The frame's pixels with the rectangle drawn one texel per pixel: pixel
// (x, y) shows texel ((x - left) & 255, (y - top) & 255).
std::vector<std::uint32_t> Expected(const FrameSize& size, const Rectangle& r, std::uint32_t tag) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.width) * size.height, Background);
  for (int y = std::max(r.top, 0); y <= std::min(r.bottom, size.height - 1); ++y) {
    for (int x = std::max(r.left, 0); x <= std::min(r.right, size.width - 1); ++x) {
      pixels[static_cast<std::size_t>(y) * size.width + x] =
          tag << 16 | static_cast<std::uint32_t>((y - r.top) & 255) << 8 |
          static_cast<std::uint32_t>((x - r.left) & 255);
    }
  }
  return pixels;
}

// The rectangle's corners in the fills' winding, from corner `start` on.
std::vector<ScreenVertex> Corners(const Rectangle& r, int start) {
  const std::int32_t u = (r.right - r.left) * 256, v = (r.bottom - r.top) * 256;
  const ScreenVertex corners[4] = {At(r.left, r.top, 0.5f, 0, 0), At(r.left, r.bottom, 0.5f, 0, v),
                                   At(r.right, r.bottom, 0.5f, u, v),
                                   At(r.right, r.top, 0.5f, u, 0)};
  std::vector<ScreenVertex> listed;
  for (int k = 0; k < 4; ++k) listed.push_back(corners[(start + k) % 4]);
  return listed;
}

// The whole frame, and two bands of unequal height.
std::vector<std::vector<RowBand>> Splits(const FrameSize& size) {
  const int third = size.height / 3;
  return {{AllRows(size)}, {{0, third}, {third, size.height}}};
}

class EdgeWalk : public EachFill {
 protected:
  // Edge-table entries of this fill's mode written outside the band.
  int WrittenOutside(RowBand band) const {
    return GetParam().perspective
               ? raster::EdgeEntriesWrittenOutside<raster::FillMode::Perspective>(band)
               : raster::EdgeEntriesWrittenOutside<raster::FillMode::Affine>(band);
  }
  void MarkTables() const {
    if (GetParam().perspective) {
      raster::MarkEdgeTables<raster::FillMode::Perspective>();
    } else {
      raster::MarkEdgeTables<raster::FillMode::Affine>();
    }
  }
};

TEST_P(EdgeWalk, ClampedPolygonsFromEveryStartingCornerStayInsideTheirRows) {
  const std::vector<std::uint32_t> texture = CoordinateTexture(1);
  for (const FrameSize& size : {ClassicFrame, FrameSize{640, MaxFrameHeight, 648}}) {
    Target target(size);  // drawn on by one case at a time, then cleared
    for (const Rectangle& r : ClampedRectangles(size)) {
      const std::vector<std::uint32_t> expected = Expected(size, r, 1);
      for (int start = 0; start < 4; ++start) {
        for (const std::vector<RowBand>& bands : Splits(size)) {
          SCOPED_TRACE(testing::Message()
                       << size.width << " x " << size.height << ", " << r.name << ", from corner "
                       << start << ", " << bands.size() << " band(s)");
          TestObject object;
          const std::vector<ScreenVertex> corners = Corners(r, start);
          object.AddPolygon({corners[0], corners[1], corners[2], corners[3]}, texture.data());
          for (const RowBand& band : bands) {
            MarkTables();
            fill(target.Rows(band), object.entry, 0);
            EXPECT_EQ(WrittenOutside(band), 0) << "edge-table entries written outside rows "
                                               << band.begin << " .. " << band.end - 1;
          }
          ASSERT_TRUE(target.image.Pixels() == expected);
          for (int y = 0; y < size.height; ++y) {
            std::fill_n(target.image.Row(y), size.width, Background);
          }
          target.ClearDepth();
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllFills, EdgeWalk, ::testing::ValuesIn(AllFills), CaseName);

}  // namespace
}  // namespace vx::rastertest
