#pragma once
// Random polygons for the rasterizer tests, at any frame size: convex hulls
// of 3 to 9 points (most inside the frame, some reaching past it), hostile
// records that break every promise of the pipeline, random textures. At the
// classic size they are the polygons the fill tests have always drawn.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "raster/raster.h"
#include "raster_fixture.h"

namespace vx::rastertest {

inline std::vector<std::uint32_t> RandomTexture(std::mt19937& random) {
  std::vector<std::uint32_t> texture(256 * 256);
  for (std::uint32_t& texel : texture) {
    texel = random() & 0xFFFFFFu;
  }
  return texture;
}

struct Point {
  std::int64_t x, y;  // x in 24.8, y whole rows
};

inline std::int64_t Cross(const Point& o, const Point& a, const Point& b) {
  return (a.x - o.x) * ((b.y - o.y) * 256) - ((a.y - o.y) * 256) * (b.x - o.x);
}

// Monotone-chain convex hull, counter-clockwise in x-right, y-up terms.
inline std::vector<Point> ConvexHull(std::vector<Point> points) {
  std::sort(points.begin(), points.end(),
            [](const Point& a, const Point& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  points.erase(std::unique(points.begin(), points.end(),
                           [](const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }),
               points.end());
  if (points.size() < 3) {
    return points;
  }
  std::vector<Point> hull(2 * points.size());
  std::size_t k = 0;
  for (const Point& p : points) {
    while (k >= 2 && Cross(hull[k - 2], hull[k - 1], p) <= 0) --k;
    hull[k++] = p;
  }
  for (std::size_t i = points.size() - 1, t = k + 1; i > 0; --i) {
    const Point& p = points[i - 1];
    while (k >= t && Cross(hull[k - 2], hull[k - 1], p) <= 0) --k;
    hull[k++] = p;
  }
  hull.resize(k - 1);
  return hull;
}

// How many times the classic frame fits the frame across and down (the
// smaller, at least 1): the random polygons grow with it.
inline int ClassicScale(const FrameSize& size) {
  return std::max(1, std::min(size.width / ClassicFrame.width, size.height / ClassicFrame.height));
}

// A convex polygon of 3 to 9 hull points, wound so that its downward edges
// form the left side (one in ten the other way round). Three in four lie
// inside the frame, as the pipeline hands them over; the others reach past
// its edges, as an unclipped polygon would. At the classic size: up to 90
// pixels from the centre, up to 150 past the edges, both scaled with
// ClassicScale.
inline void AddRandomConvexPolygon(std::mt19937& random, TestObject& object,
                                   const std::uint32_t* texture, const FrameSize& size) {
  const int scale = ClassicScale(size);
  std::uniform_int_distribution<int> pointCount(3, 9);
  const bool inside = random() % 4 != 0;
  const int margin = inside ? 0 : 150 * scale;
  const int cx = std::uniform_int_distribution<int>(0, size.width * 256 - 1)(random);
  const int cy = std::uniform_int_distribution<int>(0, size.height - 1)(random);
  const int reach = std::uniform_int_distribution<int>(1, 90 * scale)(random);
  std::vector<Point> points;
  for (int i = pointCount(random); i > 0; --i) {
    const int x =
        std::clamp(cx + std::uniform_int_distribution<int>(-reach * 256, reach * 256)(random),
                   -margin * 256, (size.width + margin) * 256 - 1);
    const int y = std::clamp(cy + std::uniform_int_distribution<int>(-reach, reach)(random),
                             -margin, size.height - 1 + margin);
    points.push_back({x, y});
  }
  std::vector<Point> hull = ConvexHull(points);
  if (hull.size() < 3) {
    return;
  }
  // The hull runs counter-clockwise with y taken as up, which on the screen
  // (y down) goes down the left side: the fills' winding.
  if (random() % 10 == 0) {
    std::reverse(hull.begin(), hull.end());
  }
  std::uniform_real_distribution<float> depth(0.002f, 1.0f);
  std::uniform_int_distribution<std::int32_t> coordinate(-6 * 65536, 6 * 65536);
  Polygon polygon{};
  polygon.texture = texture;
  polygon.drawFlag = 1;
  polygon.count =
      static_cast<std::uint32_t>(std::min<std::size_t>(hull.size(), MaxPolygonVertices));
  for (std::uint32_t i = 0; i < polygon.count; ++i) {
    polygon.indices[i] = static_cast<std::uint32_t>(object.vertices.size());
    object.vertices.push_back({static_cast<std::int32_t>(hull[i].x),
                               static_cast<std::int32_t>(hull[i].y), depth(random),
                               coordinate(random), coordinate(random)});
  }
  object.polygons.push_back(polygon);
}

// A record that breaks the pipeline's promises: columns and rows far outside
// the frame (up to the full 32-bit range), any winding and shape, 1/z of any
// sign including 0, infinities and NaN, any u and v, counts from 0 to 18 and
// indices past the vertex slots.
inline void AddHostilePolygon(std::mt19937& random, TestObject& object,
                              const std::uint32_t* texture, const FrameSize& size) {
  const int scale = ClassicScale(size);
  auto any32 = [&random] { return static_cast<std::int32_t>(random()); };
  auto column = [&]() -> std::int32_t {
    switch (random() % 4) {
      case 0:
        return any32();
      case 1:
        return std::uniform_int_distribution<std::int32_t>(
            -600 * scale * 256, (size.width + 580 * scale) * 256)(random);
      default:
        return std::uniform_int_distribution<std::int32_t>(0, size.width * 256 - 1)(random);
    }
  };
  auto row = [&]() -> std::int32_t {
    switch (random() % 4) {
      case 0:
        return any32();
      case 1:
        return std::uniform_int_distribution<std::int32_t>(-400 * scale,
                                                           size.height + 400 * scale)(random);
      default:
        return std::uniform_int_distribution<std::int32_t>(0, size.height - 1)(random);
    }
  };
  auto depth = [&]() -> float {
    switch (random() % 10) {
      case 0:
        return 0.0f;
      case 1:
        return -std::uniform_real_distribution<float>(0.0f, 2.0f)(random);
      case 2:
        return std::numeric_limits<float>::infinity();
      case 3:
        return std::numeric_limits<float>::quiet_NaN();
      case 4:
        return std::numeric_limits<float>::denorm_min();
      case 5:
        return 3.0e38f;
      default:
        return std::uniform_real_distribution<float>(1e-7f, 2.0f)(random);
    }
  };
  const std::uint32_t count = random() % 19;
  Polygon polygon{};
  polygon.texture = texture;
  polygon.drawFlag = 1;
  polygon.count = count;
  for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count, MaxPolygonVertices); ++i) {
    polygon.indices[i] = static_cast<std::uint32_t>(object.vertices.size());
    if (random() % 40 == 0) {
      polygon.indices[i] = 1000000 + (random() % 100);  // past the vertex slots
    }
    object.vertices.push_back({column(), row(), depth(), any32(), any32()});
  }
  object.polygons.push_back(polygon);
}

}  // namespace vx::rastertest
