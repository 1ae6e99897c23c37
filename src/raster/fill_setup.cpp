// Per-polygon set-up of the fills: edge walk into the two edge tables,
// span gradients from the middle row, rows and columns clamped to the frame,
// spans emitted for the target's band only.
//
// Edge tables: one entry per frame row; the left table receives the edges
// that run downward (increasing y) in polygon order, the right table the
// edges that run upward; where two edges of a side share a row, the later
// one wins. Every row between the polygon's top and bottom is written by at
// least one edge of each side (a closed outline crosses every row going down
// and coming back up), so no stale entry of an earlier polygon is ever read.
// Only the band's rows are stored; the middle row's entries, when it lies in
// the frame but outside the band, are kept aside by the same walk.
//
// Bands: the stepped values of a row are those of the walk from the edge's
// first row inside the frame, whatever the band, so rows above the band are
// stepped through without being stored. Singles added row by row differ from
// top + k * step, which is why no band starts its walk at its own first row.
//
// Rows (ymin, ymax) are compared and x is shifted as signed values: for
// input inside the frame, which the pipeline promises, that is the same as
// unsigned, and it lets a polygon reaching above or left of the frame draw
// its visible part instead of a wrapped-around one.
//
// Hostile input: coordinates are handled in 64-bit, so no difference, step
// or product can overflow (differences of 32-bit values shifted by 16 bits
// stay below 2^49). An edge that starts above row 0 enters the frame at row 0
// with top + k * step (k = rows skipped) and then steps by addition; when the
// middle row lies outside the frame its entries are evaluated the same way,
// top + k * step, on the last edge of each side that covers it.
#include "raster/fill_setup.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace vx::raster {
namespace {

// Fraction bits added to edge x and affine u, v beyond 24.8 and 8.8 at
// frames larger than the classic one (raster.h).
constexpr int WideFractionBits = 16;

int ExtraFractionBits(const FrameSize& size) {
  const bool classic = size.width <= ClassicFrame.width && size.height <= ClassicFrame.height;
  return classic ? 0 : WideFractionBits;
}

// Affine u, v in 8.8 with the extra fraction bits (64-bit); perspective
// u x z, v x z.
template <FillMode M>
using TableValue = std::conditional_t<M == FillMode::Affine, std::int64_t, float>;

// x is the whole column (24.8 x shifted right by 8 and the extra bits).
template <FillMode M>
struct EdgeEntry {
  std::int32_t x;
  float z;
  TableValue<M> u, v;
};

// A guard entry on each side of each table: a walk stepped one row past
// either end of a table writes a guard, never the other table's first row
// nor the storage that follows, and the test hooks (fill_setup.h) see it.
template <FillMode M>
struct EdgeTables {
  EdgeEntry<M> guardAbove;
  EdgeEntry<M> left[MaxFrameHeight];
  EdgeEntry<M> guardBetween;
  EdgeEntry<M> right[MaxFrameHeight];
  EdgeEntry<M> guardBelow;
};
static_assert(sizeof(EdgeTables<FillMode::Affine>) ==
              (2 * MaxFrameHeight + 3) * sizeof(EdgeEntry<FillMode::Affine>));
static_assert(sizeof(EdgeTables<FillMode::Perspective>) ==
              (2 * MaxFrameHeight + 3) * sizeof(EdgeEntry<FillMode::Perspective>));

// Per thread, so that fills of different bands run at once; trivially
// constructed, so no thread allocates or initialises anything per polygon.
thread_local EdgeTables<FillMode::Affine> affineTables;
thread_local EdgeTables<FillMode::Perspective> perspectiveTables;
thread_local PolygonSpans<FillMode::Affine> affineSpans;
thread_local PolygonSpans<FillMode::Perspective> perspectiveSpans;

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
// 24.8 with the extra bits (64-bit), the others as stored in the table.
template <FillMode M>
struct EdgeValues {
  std::int64_t x;
  float z;
  TableValue<M> u, v;
};

template <FillMode M, int ExtraBits>
EdgeValues<M> TopValues(const ScreenVertex& top) {
  const std::int64_t x = static_cast<std::int64_t>(top.x) << ExtraBits;
  if constexpr (M == FillMode::Affine) {
    return {x, top.z, static_cast<std::int64_t>(top.u) << ExtraBits,
            static_cast<std::int64_t>(top.v) << ExtraBits};
  } else {
    return {x, top.z, static_cast<float>(top.u) * top.z, static_cast<float>(top.v) * top.z};
  }
}

// top + k * step, 0 < k <= dy (the bit-exact equal of k additions for the
// integer values; for the singles the definition used for rows skipped
// unseen). |k * step| <= |bottom - top|, so nothing overflows.
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

// The next row's values: one addition each.
template <FillMode M>
[[gnu::always_inline]] inline void StepRow(EdgeValues<M>& e, const EdgeValues<M>& step) {
  e.x += step.x;
  e.z += step.z;
  e.u += step.u;
  e.v += step.v;
}

// Running values stay between the two vertices' (truncating steps never
// overshoot), so the whole column fits 32 bits.
template <FillMode M, int ExtraBits>
EdgeEntry<M> ToEntry(const EdgeValues<M>& e) {
  return {static_cast<std::int32_t>(e.x >> (8 + ExtraBits)), e.z, e.u, e.v};
}

// What the walk needs of the target: the frame's last row and the band.
struct WalkRows {
  std::int64_t lastRow;             // height - 1
  std::int64_t bandBegin, bandEnd;  // bandBegin < bandEnd <= height
};

template <FillMode M>
struct MiddleRow {
  std::int64_t row;  // floor((ymin + ymax) / 2)
  bool inFrame;      // false: outside 0 .. height - 1, evaluated by Advance
  bool inBand;       // true: read from the tables after the walk
  EdgeEntry<M> left, right;
};

// Walks the rows top.y .. bottom.y of one edge (dy > 0 after ordering) that
// lie inside the frame, from the first, as far as the band's last row or the
// middle row: stores the band's rows into its side's table and keeps the
// middle row's entry aside when it lies outside the band.
template <FillMode M, bool Inside, int ExtraBits>
[[gnu::always_inline]] inline void WalkEdge(const ScreenVertex& top, const ScreenVertex& bottom,
                                            std::int64_t dy, const WalkRows& rows,
                                            EdgeEntry<M>* table, MiddleRow<M>& middle,
                                            bool leftSide) {
  const EdgeValues<M> first = TopValues<M, ExtraBits>(top);
  const EdgeValues<M> last = TopValues<M, ExtraBits>(bottom);
  const float dyf = static_cast<float>(dy);
  EdgeValues<M> step;
  step.x = (last.x - first.x) / dy;  // truncated toward zero
  step.z = (last.z - first.z) / dyf;
  if constexpr (M == FillMode::Affine) {
    step.u = (last.u - first.u) / dy;
    step.v = (last.v - first.v) / dy;
  } else {
    step.u = (last.u - first.u) / dyf;
    step.v = (last.v - first.v) / dyf;
  }
  EdgeEntry<M>& aside = leftSide ? middle.left : middle.right;

  const std::int64_t topY = top.y;
  const std::int64_t bottomY = topY + dy;
  if (!Inside && !middle.inFrame && middle.row >= topY && middle.row <= bottomY) {
    const std::int64_t k = middle.row - topY;
    aside = ToEntry<M, ExtraBits>(k == 0 ? first : Advance<M>(first, step, k));
  }

  // Inside: both vertices lie inside the frame.
  const std::int64_t rowBegin = Inside ? topY : std::max<std::int64_t>(topY, 0);
  const std::int64_t rowEnd = Inside ? bottomY : std::min(bottomY, rows.lastRow);
  if (!Inside && rowBegin > rowEnd) {
    return;
  }
  // The rows stored, and the middle row kept aside when the band lacks it.
  const std::int64_t storeBegin = std::max(rowBegin, rows.bandBegin);
  const std::int64_t storeEnd = std::min(rowEnd, rows.bandEnd - 1);
  const bool keepMiddle =
      middle.inFrame && !middle.inBand && middle.row >= rowBegin && middle.row <= rowEnd;

  EdgeValues<M> e = Inside || rowBegin == topY ? first : Advance<M>(first, step, rowBegin - topY);
  std::int64_t y = rowBegin;  // the row e belongs to
  if (keepMiddle && middle.row < storeBegin) {
    for (; y < middle.row; ++y) StepRow<M>(e, step);
    aside = ToEntry<M, ExtraBits>(e);
  }
  if (storeBegin <= storeEnd) {
    for (; y < storeBegin; ++y) StepRow<M>(e, step);
    for (; y <= storeEnd; ++y) {
      table[y] = ToEntry<M, ExtraBits>(e);
      StepRow<M>(e, step);
    }
  }
  if (keepMiddle && middle.row > storeEnd) {
    for (; y < middle.row; ++y) StepRow<M>(e, step);
    aside = ToEntry<M, ExtraBits>(e);
  }
}

// A polygon that passed the checks every fill makes, with what they found.
struct Outline {
  const Polygon* polygon;
  const ScreenVertex* vertices;
  std::int32_t ymin, ymax;  // ymin < ymax, and the rows meet the band
  bool inside;              // every vertex lies inside the frame
};

// Nothing when the polygon draws nothing in the band for want of a valid
// record: count 0 or above MaxPolygonVertices, an index at or past
// vertexSlots, no texture, no rows (ymax <= ymin) or none in the band.
[[gnu::always_inline]] inline std::optional<Outline> CheckPolygon(const RasterTarget& target,
                                                                  const DrawableBand& band,
                                                                  const ScreenObject* object,
                                                                  std::uint32_t polygonIndex) {
  if (object == nullptr || object->vertices == nullptr || object->polygons == nullptr ||
      polygonIndex >= object->polygonCount) {
    return std::nullopt;
  }
  const Polygon* polygon = object->polygons[polygonIndex];
  if (polygon == nullptr || polygon->texture == nullptr || polygon->count == 0 ||
      polygon->count > MaxPolygonVertices) {
    return std::nullopt;
  }
  const ScreenVertex* vertices = object->vertices;
  const std::uint32_t xLimit = static_cast<std::uint32_t>(target.size.width) * 256u;
  const std::uint32_t yLimit = static_cast<std::uint32_t>(target.size.height);
  std::int32_t ymin = INT32_MAX;
  std::int32_t ymax = INT32_MIN;
  bool inside = true;
  for (std::uint32_t i = 0; i < polygon->count; ++i) {
    if (polygon->indices[i] >= object->vertexSlots) {
      return std::nullopt;
    }
    const ScreenVertex& vertex = vertices[polygon->indices[i]];
    inside = inside && static_cast<std::uint32_t>(vertex.x) < xLimit &&
             static_cast<std::uint32_t>(vertex.y) < yLimit;
    ymin = std::min(ymin, vertex.y);
    ymax = std::max(ymax, vertex.y);
  }
  if (ymax <= ymin || ymax < band.begin || ymin >= band.end) {
    return std::nullopt;
  }
  return Outline{polygon, vertices, ymin, ymax, inside};
}

// The polygon's levels, or its 256 x 256 texture as the one level. Levels
// that break their record's promises (no texels, a side outside 8 ..
// MaxTextureSizeLog2, a level count outside 1 .. side + 1) are refused the
// same way, so that no fill reads past a level.
TextureLevels PolygonLevels(const Polygon& polygon) {
  const TextureLevels* levels = polygon.levels;
  if (levels != nullptr && levels->sizeLog2 >= 8 && levels->sizeLog2 <= MaxTextureSizeLog2 &&
      levels->levelCount >= 1 && levels->levelCount <= levels->sizeLog2 + 1 &&
      std::all_of(levels->texels, levels->texels + levels->levelCount,
                  [](const std::uint32_t* texels) { return texels != nullptr; })) {
    return *levels;
  }
  TextureLevels single{};
  single.texels[0] = polygon.texture;
  single.sizeLog2 = 8;
  single.levelCount = 1;
  return single;
}

// The polygon's span record with its gradients, taken once per polygon from
// the middle row's two edge-table entries; nullptr when that row has no
// width.
template <FillMode M>
[[gnu::always_inline]] inline PolygonSpans<M>* StartSpans(const RasterTarget& target,
                                                          const Outline& outline, int extraBits,
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
    out.gradients.du = static_cast<std::uint32_t>((midRight.u - midLeft.u) / width);
    out.gradients.dv = static_cast<std::uint32_t>((midRight.v - midLeft.v) / width);
  } else {
    out.gradients.du = (midRight.u - midLeft.u) / widthf;
    out.gradients.dv = (midRight.v - midLeft.v) / widthf;
  }
  const Polygon& polygon = *outline.polygon;
  out.texture = polygon.texture;
  out.sampling = extraBits == 0 ? Sampling::Classic : Sampling::Levels;
  if (out.sampling == Sampling::Levels) out.levels = PolygonLevels(polygon);
  out.depth = target.depth;
  return &out;
}

// ---- level choice (Sampling::Levels) -----------------------------------------
// How many level-0 texels a pixel steps over, from planes fitted once per
// polygon in double: Z = 1/z (1 for the affine fill), P = U Z and Q = V Z
// (U, V in level-0 texels) are linear in the screen's column X and row Y,
// so dU/dX = (Px Z - P Zx) / Z^2 and likewise for V and for Y. The planes
// pass through vertex 0 and the two vertices of the fan triangle (0, i,
// i + 1) of largest area. A pixel's value is the level-0 texels its
// footprint covers (|dU/dX dV/dY - dU/dY dV/dX|, the square of the
// geometric mean of its two axes), but at least the square of its longer
// step over MaxAnisotropy: a surface seen along its length (a floor far
// off, a tall pillar whose texture stretches up it) keeps the detail of its
// shorter axis instead of taking the blur of its longer one, and skips at
// most MaxAnisotropy texels a pixel along the longer. A pixel minified
// alike both ways has the square of its step, as the isotropic rule. Taken
// at the pixel's centre (X + 1/2, Y + 1/2).
inline constexpr double MaxAnisotropy = 4.0;
struct LevelPlane {
  double x0, y0;     // vertex 0: column (24.8 / 256) and row
  double z, zx, zy;  // Z = z + zx dX + zy dY, dX = X - x0, dY = Y - y0
  double p, px, py;
  double q, qx, qy;

  double TexelsPerPixelSquared(double x, double y) const {
    const double dx = x - x0, dy = y - y0;
    const double zh = z + zx * dx + zy * dy;
    const double ph = p + px * dx + py * dy;
    const double qh = q + qx * dx + qy * dy;
    const double ux = px * zh - ph * zx, vx = qx * zh - qh * zx;
    const double uy = py * zh - ph * zy, vy = qy * zh - qh * zy;
    const double z2 = zh * zh;
    const double longer = std::max(ux * ux + vx * vx, uy * uy + vy * vy);
    const double area = std::fabs(ux * vy - uy * vx);
    return std::max(area, longer / (MaxAnisotropy * MaxAnisotropy)) / (z2 * z2);
  }
};

// The level of every pixel of a polygon: one level throughout when there is
// one level, when the fitted triangle's area is below half a pixel (the
// coarsest level: the polygon is edge-on or smaller than a pixel) or when
// every vertex chooses the same level; else each row's own (RowRuns).
struct LevelChoice {
  bool varies;
  std::uint32_t level;  // when !varies
  std::uint32_t levelCount;
  LevelPlane plane;

  std::uint32_t LevelAt(std::int64_t column, std::int64_t row) const {
    return ChooseTextureLevel(plane.TexelsPerPixelSquared(static_cast<double>(column) + 0.5,
                                                          static_cast<double>(row) + 0.5),
                              levelCount);
  }
};

// Vertex values of the planes: column, row, Z, P, Q.
struct PlanePoint {
  double x, y, z, p, q;
};

template <FillMode M>
PlanePoint ToPlanePoint(const ScreenVertex& vertex, double texelsPerUnit) {
  const double z = M == FillMode::Affine ? 1.0 : static_cast<double>(vertex.z);
  return {static_cast<double>(vertex.x) / 256.0, static_cast<double>(vertex.y), z,
          static_cast<double>(vertex.u) * texelsPerUnit * z,
          static_cast<double>(vertex.v) * texelsPerUnit * z};
}

// The planes through a and the fan triangle (a, b, c); det = twice its area.
LevelPlane FitPlane(const PlanePoint& a, const PlanePoint& b, const PlanePoint& c, double det) {
  const double bx = b.x - a.x, by = b.y - a.y, cx = c.x - a.x, cy = c.y - a.y;
  auto gradient = [&](double fa, double fb, double fc, double& fx, double& fy) {
    fx = ((fb - fa) * cy - (fc - fa) * by) / det;
    fy = ((fc - fa) * bx - (fb - fa) * cx) / det;
  };
  LevelPlane plane{};
  plane.x0 = a.x;
  plane.y0 = a.y;
  plane.z = a.z;
  plane.p = a.p;
  plane.q = a.q;
  gradient(a.z, b.z, c.z, plane.zx, plane.zy);
  gradient(a.p, b.p, c.p, plane.px, plane.py);
  gradient(a.q, b.q, c.q, plane.qx, plane.qy);
  return plane;
}

template <FillMode M>
LevelChoice ChooseLevels(const Outline& outline, const TextureLevels& levels) {
  LevelChoice choice{.varies = false, .level = 0, .levelCount = levels.levelCount, .plane = {}};
  if (levels.levelCount == 1) return choice;
  const Polygon& polygon = *outline.polygon;
  const double texelsPerUnit = static_cast<double>(1u << levels.sizeLog2) / 65536.0;
  PlanePoint points[MaxPolygonVertices];
  for (std::uint32_t i = 0; i < polygon.count; ++i) {
    points[i] = ToPlanePoint<M>(outline.vertices[polygon.indices[i]], texelsPerUnit);
  }
  double best = 0.0;
  std::uint32_t fan = 0;
  for (std::uint32_t i = 1; i + 1 < polygon.count; ++i) {
    const double det = (points[i].x - points[0].x) * (points[i + 1].y - points[0].y) -
                       (points[i + 1].x - points[0].x) * (points[i].y - points[0].y);
    if (std::fabs(det) > std::fabs(best)) {
      best = det;
      fan = i;
    }
  }
  if (!(std::fabs(best) >= 1.0)) {
    choice.level = levels.levelCount - 1;
    return choice;
  }
  choice.plane = FitPlane(points[0], points[fan], points[fan + 1], best);
  choice.level = ChooseTextureLevel(choice.plane.TexelsPerPixelSquared(points[0].x, points[0].y),
                                    levels.levelCount);
  for (std::uint32_t i = 1; i < polygon.count && !choice.varies; ++i) {
    choice.varies = ChooseTextureLevel(choice.plane.TexelsPerPixelSquared(points[i].x, points[i].y),
                                       levels.levelCount) != choice.level;
  }
  return choice;
}

// The spans of one row of a polygon whose levels vary: runs of chunks
// (LevelChunkColumns), each chunk at its middle column's level
// (clamped to the row's pixels), neighbours of one level joined; the last
// of MaxRunsPerRow runs takes the rest of the row at the coarsest level any
// of its chunks chooses.
template <FillMode M>
Span<M>* RowRuns(Span<M>* out, Span<M> row, std::int64_t leftX, std::int64_t y,
                 const LevelChoice& choice) {
  const std::int64_t first = leftX + row.first;  // >= 0: clamped to the frame
  const std::int64_t last = first + row.count - 1;
  auto emit = [&](std::int64_t begin, std::int64_t end, std::uint32_t level) {
    Span<M> run = row;
    run.pixel += static_cast<std::ptrdiff_t>(begin - first);
    run.first += static_cast<std::int32_t>(begin - first);
    run.count = static_cast<std::int32_t>(end - begin + 1);
    run.tail += static_cast<std::int32_t>(last - end);
    run.level = level;
    *out++ = run;
  };
  std::int32_t runs = 1;
  std::int64_t runBegin = first;
  std::uint32_t runLevel = 0;
  for (std::int64_t chunk = first / LevelChunkColumns; chunk <= last / LevelChunkColumns; ++chunk) {
    const std::int64_t begin = std::max(chunk * LevelChunkColumns, first);
    const std::int64_t middle =
        std::clamp(chunk * LevelChunkColumns + LevelChunkColumns / 2, first, last);
    const std::uint32_t level = choice.LevelAt(middle, y);
    if (begin == first || level == runLevel) {
      runLevel = level;
    } else if (runs == MaxRunsPerRow) {
      runLevel = std::max(runLevel, level);
    } else {
      emit(runBegin, begin - 1, runLevel);
      ++runs;
      runBegin = begin;
      runLevel = level;
    }
  }
  emit(runBegin, last, runLevel);
  return out;
}

// Step 1 of Spans, the edge walk: every edge into the left or the right
// table, and the ends of the middle row, where the gradients are taken.
template <FillMode M, bool Inside, int ExtraBits>
MiddleRow<M> WalkOutline(const Outline& outline, const WalkRows& rows, EdgeTables<M>& tables) {
  const Polygon& polygon = *outline.polygon;
  const std::uint32_t count = polygon.count;
  MiddleRow<M> middle{};
  middle.row = (std::int64_t{outline.ymin} + outline.ymax) >> 1;  // floor, also for negative rows
  middle.inFrame = middle.row >= 0 && middle.row <= rows.lastRow;
  middle.inBand = middle.row >= rows.bandBegin && middle.row < rows.bandEnd;
  for (std::uint32_t i = 0; i < count; ++i) {
    const ScreenVertex& a = outline.vertices[polygon.indices[i]];
    const ScreenVertex& b = outline.vertices[polygon.indices[i + 1 == count ? 0 : i + 1]];
    const std::int64_t dy = static_cast<std::int64_t>(b.y) - a.y;
    if (dy > 0) {
      WalkEdge<M, Inside, ExtraBits>(a, b, dy, rows, tables.left, middle, true);
    } else if (dy < 0) {
      WalkEdge<M, Inside, ExtraBits>(b, a, -dy, rows, tables.right, middle, false);
    }
  }
  return middle;
}

// Step 3 of Spans: the band's rows from span on, clamped to the frame's
// columns, and at the larger frames split where they read different
// levels. Returns the end of the spans written.
template <FillMode M, bool Inside, int ExtraBits>
Span<M>* BandRows(const RasterTarget& target, const Outline& outline, const WalkRows& rows,
                  const EdgeTables<M>& tables, const LevelChoice& levels, Span<M>* span) {
  const std::int64_t width = target.size.width;
  const std::int64_t rowBegin = std::max<std::int64_t>(outline.ymin, rows.bandBegin);
  const std::int64_t rowEnd = std::min<std::int64_t>(outline.ymax, rows.bandEnd - 1);
  const std::int64_t pitch = target.size.pitch;
  std::int64_t rowStart = rowBegin * pitch;
  for (std::int64_t y = rowBegin; y <= rowEnd; ++y, rowStart += pitch) {
    const EdgeEntry<M>& left = tables.left[y];
    const std::int64_t leftX = left.x;
    const std::int64_t n = static_cast<std::int64_t>(tables.right[y].x) - leftX;
    if (n < 0) {
      continue;
    }
    std::int64_t first = 0, last = n;
    if constexpr (!Inside) {
      first = std::max<std::int64_t>(0, -leftX);
      last = std::min<std::int64_t>(n, width - 1 - leftX);
      if (first > last) {
        continue;
      }
    }
    const Span<M> row{.pixel = static_cast<std::ptrdiff_t>(rowStart + leftX + first),
                      .first = static_cast<std::int32_t>(first),
                      .count = static_cast<std::int32_t>(last - first + 1),
                      .tail = static_cast<std::int32_t>(width - 1 - (leftX + last)),
                      .z = left.z,
                      .u = static_cast<TextureValue<M>>(left.u),
                      .v = static_cast<TextureValue<M>>(left.v),
                      .level = levels.level};
    if (ExtraBits == 0 || !levels.varies) {
      *span++ = row;
    } else {
      span = RowRuns<M>(span, row, leftX, y, levels);
    }
  }
  return span;
}

// Any checked polygon: edges walked in 64-bit, spans for the band's rows.
// Inside (every vertex inside the frame) skips the column clamping, which
// cannot apply: every edge value lies between two vertices' columns.
template <FillMode M, bool Inside, int ExtraBits>
const PolygonSpans<M>* Spans(const RasterTarget& target, const DrawableBand& band,
                             const Outline& outline) {
  const WalkRows rows{
      .lastRow = target.size.height - 1,
      .bandBegin = band.begin,
      .bandEnd = band.end,
  };
  EdgeTables<M>& tables = Tables<M>();
  const MiddleRow<M> middle = WalkOutline<M, Inside, ExtraBits>(outline, rows, tables);

  // Step 2: gradients, once per polygon, from the middle row.
  PolygonSpans<M>* out = middle.inBand
                             ? StartSpans<M>(target, outline, ExtraBits, tables.left[middle.row],
                                             tables.right[middle.row])
                             : StartSpans<M>(target, outline, ExtraBits, middle.left, middle.right);
  if (out == nullptr) {
    return nullptr;
  }

  LevelChoice levels{.varies = false, .level = 0, .levelCount = 1, .plane = {}};
  if constexpr (ExtraBits != 0) levels = ChooseLevels<M>(outline, out->levels);
  const Span<M>* end =
      BandRows<M, Inside, ExtraBits>(target, outline, rows, tables, levels, out->spans);
  out->spanCount = static_cast<std::int32_t>(end - out->spans);
  return out->spanCount > 0 ? out : nullptr;
}

// Spans at the frame's precision: the classic arithmetic for frames no
// larger than the classic one, the wide steps above.
template <FillMode M, bool Inside>
const PolygonSpans<M>* SpansAtPrecision(const RasterTarget& target, const DrawableBand& band,
                                        const Outline& outline) {
  return ExtraFractionBits(target.size) == 0
             ? Spans<M, Inside, 0>(target, band, outline)
             : Spans<M, Inside, WideFractionBits>(target, band, outline);
}

// Every byte of a marked entry; no walk stores an entry whose four
// values all have these bits (x would be a column near -1.5 x 2^30).
constexpr unsigned char EdgeMark = 0xA5;

bool Marked(const void* entry, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(entry);
  return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == EdgeMark; });
}

}  // namespace

template <FillMode M>
void MarkEdgeTables() {
  std::memset(static_cast<void*>(&Tables<M>()), EdgeMark, sizeof(EdgeTables<M>));
}

template <FillMode M>
int EdgeEntriesWrittenOutside(RowBand rows) {
  const EdgeTables<M>& tables = Tables<M>();
  constexpr std::size_t size = sizeof(EdgeEntry<M>);
  int written = !Marked(&tables.guardAbove, size) + !Marked(&tables.guardBetween, size) +
                !Marked(&tables.guardBelow, size);
  for (std::int32_t y = 0; y < MaxFrameHeight; ++y) {
    if (y >= rows.begin && y < rows.end) continue;
    written += !Marked(&tables.left[y], size) + !Marked(&tables.right[y], size);
  }
  return written;
}

template void MarkEdgeTables<FillMode::Affine>();
template void MarkEdgeTables<FillMode::Perspective>();
template int EdgeEntriesWrittenOutside<FillMode::Affine>(RowBand);
template int EdgeEntriesWrittenOutside<FillMode::Perspective>(RowBand);

template <FillMode M>
const PolygonSpans<M>* BuildSpans(const RasterTarget& target, const ScreenObject* object,
                                  std::uint32_t polygonIndex) {
  const std::optional<DrawableBand> band = TargetBand(target);
  if (!band) {
    return nullptr;
  }
  const std::optional<Outline> outline = CheckPolygon(target, *band, object, polygonIndex);
  return outline ? SpansAtPrecision<M, false>(target, *band, *outline) : nullptr;
}

template <FillMode M>
const PolygonSpans<M>* BuildSpansFast(const RasterTarget& target, const ScreenObject* object,
                                      std::uint32_t polygonIndex) {
  const std::optional<DrawableBand> band = TargetBand(target);
  if (!band) {
    return nullptr;
  }
  const std::optional<Outline> outline = CheckPolygon(target, *band, object, polygonIndex);
  if (!outline) {
    return nullptr;
  }
  return outline->inside ? SpansAtPrecision<M, true>(target, *band, *outline)
                         : SpansAtPrecision<M, false>(target, *band, *outline);
}

template const PolygonSpans<FillMode::Affine>* BuildSpans<FillMode::Affine>(const RasterTarget&,
                                                                            const ScreenObject*,
                                                                            std::uint32_t);
template const PolygonSpans<FillMode::Perspective>* BuildSpans<FillMode::Perspective>(
    const RasterTarget&, const ScreenObject*, std::uint32_t);

template const PolygonSpans<FillMode::Affine>* BuildSpansFast<FillMode::Affine>(const RasterTarget&,
                                                                                const ScreenObject*,
                                                                                std::uint32_t);
template const PolygonSpans<FillMode::Perspective>* BuildSpansFast<FillMode::Perspective>(
    const RasterTarget&, const ScreenObject*, std::uint32_t);

}  // namespace vx::raster
