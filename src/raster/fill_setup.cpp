// Per-polygon set-up of the fills: edge walk into the two edge tables,
// span gradients from the middle row, rows and columns clamped to the image.
//
// Edge tables: 200 entries indexed by image row; the left table receives the
// edges that run downward (increasing y) in polygon order, the right table
// the edges that run upward; where two edges of a side share a row, the later
// one wins. Every row between the polygon's top and bottom is written by at
// least one edge of each side (a closed outline crosses every row going down
// and coming back up), so no stale entry of an earlier polygon is ever read.
//
// Rows (ymin, ymax) are compared and x is shifted as signed values: for
// input inside the image, which the pipeline promises, that is the same as
// unsigned, and it lets a polygon reaching above or left of the image draw
// its visible part instead of a wrapped-around one.
//
// Hostile input: coordinates are handled in 64-bit, so no difference, step
// or product can overflow. An edge that starts above row 0 enters the table
// at row 0 with top + k * step (k = rows skipped) and then steps by addition;
// when the middle row lies outside the image its entries are evaluated the
// same way, top + k * step, on the last edge of each side that covers it.
#include "raster/fill_setup.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace vx::raster {
namespace {

template <FillMode M>
using TableValue = std::conditional_t<M == FillMode::Affine, std::int32_t, float>;

// x is the whole column (24.8 x shifted right by 8); z is 1/z; u, v are the
// affine 8.8 coordinates or the perspective u x z, v x z.
template <FillMode M>
struct EdgeEntry {
  std::int32_t x;
  float z;
  TableValue<M> u, v;
};

template <FillMode M>
struct EdgeTables {
  EdgeEntry<M> left[ScreenHeight];
  EdgeEntry<M> right[ScreenHeight];
};

EdgeTables<FillMode::Affine> affineTables;
EdgeTables<FillMode::Perspective> perspectiveTables;
PolygonSpans<FillMode::Affine> affineSpans;
PolygonSpans<FillMode::Perspective> perspectiveSpans;

template <FillMode M>
EdgeTables<M>& Tables() {
  if constexpr (M == FillMode::Affine) {
    return affineTables;
  } else {
    return perspectiveTables;
  }
}

template <FillMode M>
PolygonSpans<M>& SpanStorage() {
  if constexpr (M == FillMode::Affine) {
    return affineSpans;
  } else {
    return perspectiveSpans;
  }
}

// An edge from its top vertex down, in the running form of the table: x in
// 24.8 (64-bit), the others as stored in the table.
template <FillMode M>
struct EdgeValues {
  std::int64_t x;
  float z;
  std::conditional_t<M == FillMode::Affine, std::int64_t, float> u, v;
};

template <FillMode M>
EdgeValues<M> TopValues(const ScreenVertex& top) {
  if constexpr (M == FillMode::Affine) {
    return {top.x, top.z, top.u, top.v};
  } else {
    return {top.x, top.z, static_cast<float>(top.u) * top.z, static_cast<float>(top.v) * top.z};
  }
}

// top + k * step, k > 0 (the bit-exact equal of k additions for the integer
// values; for the singles the definition used for rows skipped unseen).
template <FillMode M>
EdgeValues<M> Advance(const EdgeValues<M>& top, const EdgeValues<M>& step, std::int64_t k) {
  const float kf = static_cast<float>(k);
  EdgeValues<M> r;
  r.x = top.x + k * step.x;
  r.z = top.z + kf * step.z;
  if constexpr (M == FillMode::Affine) {
    r.u = top.u + k * step.u;
    r.v = top.v + k * step.v;
  } else {
    r.u = top.u + kf * step.u;
    r.v = top.v + kf * step.v;
  }
  return r;
}

// Running values stay between the two vertices' (truncating steps never
// overshoot), so they fit the table's 32-bit fields.
template <FillMode M>
EdgeEntry<M> ToEntry(const EdgeValues<M>& e) {
  EdgeEntry<M> entry;
  entry.x = static_cast<std::int32_t>(e.x >> 8);
  entry.z = e.z;
  entry.u = static_cast<TableValue<M>>(e.u);
  entry.v = static_cast<TableValue<M>>(e.v);
  return entry;
}

template <FillMode M>
struct MiddleRow {
  std::int64_t row;  // floor((ymin + ymax) / 2)
  bool inTable;      // false: outside 0..199, captured below instead
  EdgeEntry<M> left, right;
};

// Writes the rows top.y .. bottom.y of one edge (dy > 0 after ordering)
// that lie inside the image into its side's table.
template <FillMode M>
void WalkEdge(const ScreenVertex& top, const ScreenVertex& bottom, std::int64_t dy,
              EdgeEntry<M>* table, MiddleRow<M>& middle, bool leftSide) {
  const EdgeValues<M> first = TopValues<M>(top);
  const EdgeValues<M> last = TopValues<M>(bottom);
  const float dyf = static_cast<float>(dy);
  EdgeValues<M> step;
  step.x = (last.x - first.x) / dy;  // 24.8, truncated toward zero
  step.z = (last.z - first.z) / dyf;
  if constexpr (M == FillMode::Affine) {
    step.u = (last.u - first.u) / dy;
    step.v = (last.v - first.v) / dy;
  } else {
    step.u = (last.u - first.u) / dyf;
    step.v = (last.v - first.v) / dyf;
  }

  const std::int64_t topY = top.y;
  const std::int64_t bottomY = topY + dy;
  if (!middle.inTable && middle.row >= topY && middle.row <= bottomY) {
    const std::int64_t k = middle.row - topY;
    const EdgeEntry<M> entry = ToEntry<M>(k == 0 ? first : Advance<M>(first, step, k));
    (leftSide ? middle.left : middle.right) = entry;
  }

  const std::int64_t rowBegin = std::max<std::int64_t>(topY, 0);
  const std::int64_t rowEnd = std::min<std::int64_t>(bottomY, ScreenHeight - 1);
  if (rowBegin > rowEnd) {
    return;
  }
  EdgeValues<M> e = rowBegin == topY ? first : Advance<M>(first, step, rowBegin - topY);
  for (std::int64_t y = rowBegin; y <= rowEnd; ++y) {
    table[y] = ToEntry<M>(e);
    e.x += step.x;
    e.z += step.z;
    e.u += step.u;
    e.v += step.v;
  }
}

// WalkEdge for an edge whose two vertices lie inside the image: every row
// goes into the table, and 32-bit running values suffice (x stays within
// 0 .. 320 x 256; affine u, v step mod 2^32, which gives the exact values,
// as these stay between the two vertices').
template <FillMode M>
[[gnu::always_inline]] inline void WalkEdgeInside(const ScreenVertex& top,
                                                  const ScreenVertex& bottom, std::int32_t dy,
                                                  EdgeEntry<M>* table) {
  const float dyf = static_cast<float>(dy);
  const std::int32_t xStep = (bottom.x - top.x) / dy;
  const float zStep = (bottom.z - top.z) / dyf;
  std::int32_t x = top.x;
  float z = top.z;
  if constexpr (M == FillMode::Affine) {
    const auto uStep =
        static_cast<std::uint32_t>((static_cast<std::int64_t>(bottom.u) - top.u) / dy);
    const auto vStep =
        static_cast<std::uint32_t>((static_cast<std::int64_t>(bottom.v) - top.v) / dy);
    auto u = static_cast<std::uint32_t>(top.u);
    auto v = static_cast<std::uint32_t>(top.v);
    for (std::int32_t y = top.y; y <= bottom.y; ++y) {
      table[y] = {x >> 8, z, static_cast<std::int32_t>(u), static_cast<std::int32_t>(v)};
      x += xStep;
      z += zStep;
      u += uStep;
      v += vStep;
    }
  } else {
    const float topU = static_cast<float>(top.u) * top.z;
    const float topV = static_cast<float>(top.v) * top.z;
    const float uStep = (static_cast<float>(bottom.u) * bottom.z - topU) / dyf;
    const float vStep = (static_cast<float>(bottom.v) * bottom.z - topV) / dyf;
    float u = topU, v = topV;
    for (std::int32_t y = top.y; y <= bottom.y; ++y) {
      table[y] = {x >> 8, z, u, v};
      x += xStep;
      z += zStep;
      u += uStep;
      v += vStep;
    }
  }
}

// A polygon that passed the checks every fill makes, with what they found.
struct Outline {
  const Polygon* polygon;
  const ScreenVertex* vertices;
  float* depth;             // the current depth buffer
  std::int32_t ymin, ymax;  // ymin < ymax
  bool inside;              // every vertex lies inside the image
};

// Nothing when the polygon draws nothing for want of a valid record: no
// depth buffer, count 0 or above MaxPolygonVertices, an index at or past
// vertexSlots, no texture, or no rows (ymax <= ymin).
[[gnu::always_inline]] inline std::optional<Outline> CheckPolygon(const ScreenObject* object,
                                                                  std::uint32_t polygonIndex) {
  float* depth = CurrentDepthBuffer();
  if (depth == nullptr || object == nullptr || object->vertices == nullptr ||
      object->polygons == nullptr || polygonIndex >= object->polygonCount) {
    return std::nullopt;
  }
  const Polygon* polygon = object->polygons[polygonIndex];
  if (polygon == nullptr || polygon->texture == nullptr || polygon->count == 0 ||
      polygon->count > MaxPolygonVertices) {
    return std::nullopt;
  }
  const ScreenVertex* vertices = object->vertices;
  std::int32_t ymin = INT32_MAX;
  std::int32_t ymax = INT32_MIN;
  bool inside = true;
  for (std::uint32_t i = 0; i < polygon->count; ++i) {
    if (polygon->indices[i] >= object->vertexSlots) {
      return std::nullopt;
    }
    const ScreenVertex& vertex = vertices[polygon->indices[i]];
    inside = inside && static_cast<std::uint32_t>(vertex.x) < ScreenWidth * 256u &&
             static_cast<std::uint32_t>(vertex.y) < ScreenHeight;
    ymin = std::min(ymin, vertex.y);
    ymax = std::max(ymax, vertex.y);
  }
  if (ymax <= ymin) {
    return std::nullopt;
  }
  return Outline{polygon, vertices, depth, ymin, ymax, inside};
}

// The polygon's span record with its gradients, taken once per polygon from
// the middle row's two edge-table entries; nullptr when that row has no
// width.
template <FillMode M>
[[gnu::always_inline]] inline PolygonSpans<M>* StartSpans(const Outline& outline,
                                                          const EdgeEntry<M>& midLeft,
                                                          const EdgeEntry<M>& midRight) {
  const std::int64_t width = static_cast<std::int64_t>(midRight.x) - midLeft.x;
  if (width <= 0) {
    return nullptr;
  }
  PolygonSpans<M>& out = SpanStorage<M>();
  const float widthf = static_cast<float>(width);
  out.gradients.dz = (midRight.z - midLeft.z) / widthf;
  if constexpr (M == FillMode::Affine) {
    // Truncating division; the quotient taken mod 2^32 steps exactly like
    // 32-bit additions would.
    out.gradients.du =
        static_cast<std::uint32_t>((static_cast<std::int64_t>(midRight.u) - midLeft.u) / width);
    out.gradients.dv =
        static_cast<std::uint32_t>((static_cast<std::int64_t>(midRight.v) - midLeft.v) / width);
  } else {
    out.gradients.du = (midRight.u - midLeft.u) / widthf;
    out.gradients.dv = (midRight.v - midLeft.v) / widthf;
  }
  out.texture = outline.polygon->texture;
  out.depth = outline.depth;
  return &out;
}

// Any checked polygon: edges walked in 64-bit, rows and columns clamped to
// the image.
template <FillMode M>
const PolygonSpans<M>* ClampedSpans(const Outline& outline) {
  const Polygon& polygon = *outline.polygon;
  const std::uint32_t count = polygon.count;
  const std::int64_t ymin = outline.ymin;
  const std::int64_t ymax = outline.ymax;

  // Step 1: edge walk.
  EdgeTables<M>& tables = Tables<M>();
  MiddleRow<M> middle{};
  middle.row = (ymin + ymax) >> 1;  // floor, also for negative rows
  middle.inTable = middle.row >= 0 && middle.row < ScreenHeight;
  for (std::uint32_t i = 0; i < count; ++i) {
    const ScreenVertex& a = outline.vertices[polygon.indices[i]];
    const ScreenVertex& b = outline.vertices[polygon.indices[(i + 1) % count]];
    const std::int64_t dy = static_cast<std::int64_t>(b.y) - a.y;
    if (dy > 0) {
      WalkEdge<M>(a, b, dy, tables.left, middle, true);
    } else if (dy < 0) {
      WalkEdge<M>(b, a, -dy, tables.right, middle, false);
    }
  }

  // Step 2: gradients, once per polygon, from the middle row.
  PolygonSpans<M>* out =
      middle.inTable ? StartSpans<M>(outline, tables.left[middle.row], tables.right[middle.row])
                     : StartSpans<M>(outline, middle.left, middle.right);
  if (out == nullptr) {
    return nullptr;
  }

  // Step 3: rows, clamped to the image.
  std::int32_t spanCount = 0;
  const std::int64_t rowBegin = std::max<std::int64_t>(ymin, 0);
  const std::int64_t rowEnd = std::min<std::int64_t>(ymax, ScreenHeight - 1);
  for (std::int64_t y = rowBegin; y <= rowEnd; ++y) {
    const EdgeEntry<M>& left = tables.left[y];
    const std::int64_t n = static_cast<std::int64_t>(tables.right[y].x) - left.x;
    if (n < 0) {
      continue;
    }
    const std::int64_t first = std::max<std::int64_t>(0, -static_cast<std::int64_t>(left.x));
    const std::int64_t last =
        std::min<std::int64_t>(n, ScreenWidth - 1 - static_cast<std::int64_t>(left.x));
    if (first > last) {
      continue;
    }
    Span<M>& span = out->spans[spanCount++];
    span.pixel = static_cast<std::int32_t>(y * ScreenWidth + left.x + first);
    span.first = static_cast<std::int32_t>(first);
    span.count = static_cast<std::int32_t>(last - first + 1);
    span.z = left.z;
    span.u = static_cast<TextureValue<M>>(left.u);
    span.v = static_cast<TextureValue<M>>(left.v);
  }
  out->spanCount = spanCount;
  return spanCount > 0 ? out : nullptr;
}

// A checked polygon whose vertices all lie inside the image: 32-bit edge
// walks over every row, and every row is its whole span.
template <FillMode M>
const PolygonSpans<M>* InsideSpans(const Outline& outline) {
  const Polygon& polygon = *outline.polygon;
  const std::uint32_t count = polygon.count;
  EdgeTables<M>& tables = Tables<M>();
  for (std::uint32_t i = 0; i < count; ++i) {
    const ScreenVertex& a = outline.vertices[polygon.indices[i]];
    const ScreenVertex& b = outline.vertices[polygon.indices[i + 1 == count ? 0 : i + 1]];
    const std::int32_t dy = b.y - a.y;
    if (dy > 0) {
      WalkEdgeInside<M>(a, b, dy, tables.left);
    } else if (dy < 0) {
      WalkEdgeInside<M>(b, a, -dy, tables.right);
    }
  }

  const std::int32_t middle = (outline.ymin + outline.ymax) >> 1;
  PolygonSpans<M>* out = StartSpans<M>(outline, tables.left[middle], tables.right[middle]);
  if (out == nullptr) {
    return nullptr;
  }
  Span<M>* span = out->spans;
  for (std::int32_t y = outline.ymin; y <= outline.ymax; ++y) {
    const EdgeEntry<M>& left = tables.left[y];
    const std::int32_t n = tables.right[y].x - left.x;
    if (n >= 0) {
      *span++ = {y * ScreenWidth + left.x,
                 0,
                 n + 1,
                 left.z,
                 static_cast<TextureValue<M>>(left.u),
                 static_cast<TextureValue<M>>(left.v)};
    }
  }
  out->spanCount = static_cast<std::int32_t>(span - out->spans);
  return out->spanCount > 0 ? out : nullptr;
}

}  // namespace

template <FillMode M>
const PolygonSpans<M>* BuildSpans(const ScreenObject* object, std::uint32_t polygonIndex) {
  const std::optional<Outline> outline = CheckPolygon(object, polygonIndex);
  return outline ? ClampedSpans<M>(*outline) : nullptr;
}

template <FillMode M>
const PolygonSpans<M>* BuildSpansFast(const ScreenObject* object, std::uint32_t polygonIndex) {
  const std::optional<Outline> outline = CheckPolygon(object, polygonIndex);
  if (!outline) {
    return nullptr;
  }
  return outline->inside ? InsideSpans<M>(*outline) : ClampedSpans<M>(*outline);
}

template const PolygonSpans<FillMode::Affine>* BuildSpans<FillMode::Affine>(const ScreenObject*,
                                                                            std::uint32_t);
template const PolygonSpans<FillMode::Perspective>* BuildSpans<FillMode::Perspective>(
    const ScreenObject*, std::uint32_t);

template const PolygonSpans<FillMode::Affine>* BuildSpansFast<FillMode::Affine>(const ScreenObject*,
                                                                                std::uint32_t);
template const PolygonSpans<FillMode::Perspective>* BuildSpansFast<FillMode::Perspective>(
    const ScreenObject*, std::uint32_t);

}  // namespace vx::raster
