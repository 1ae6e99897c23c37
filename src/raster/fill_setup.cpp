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
    out.texelShift = static_cast<std::uint32_t>(extraBits);
  } else {
    out.gradients.du = (midRight.u - midLeft.u) / widthf;
    out.gradients.dv = (midRight.v - midLeft.v) / widthf;
    out.texelShift = 0;
  }
  out.texture = outline.polygon->texture;
  out.depth = target.depth;
  return &out;
}

// Any checked polygon: edges walked in 64-bit, spans for the band's rows.
// Inside (every vertex inside the frame) skips the column clamping, which
// cannot apply: every edge value lies between two vertices' columns.
template <FillMode M, bool Inside, int ExtraBits>
const PolygonSpans<M>* Spans(const RasterTarget& target, const DrawableBand& band,
                             const Outline& outline) {
  const Polygon& polygon = *outline.polygon;
  const std::uint32_t count = polygon.count;
  const std::int64_t ymin = outline.ymin;
  const std::int64_t ymax = outline.ymax;
  const std::int64_t width = target.size.width;
  const WalkRows rows{
      .lastRow = target.size.height - 1,
      .bandBegin = band.begin,
      .bandEnd = band.end,
  };

  // Step 1: edge walk.
  EdgeTables<M>& tables = Tables<M>();
  MiddleRow<M> middle{};
  middle.row = (ymin + ymax) >> 1;  // floor, also for negative rows
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

  // Step 2: gradients, once per polygon, from the middle row.
  PolygonSpans<M>* out = middle.inBand
                             ? StartSpans<M>(target, outline, ExtraBits, tables.left[middle.row],
                                             tables.right[middle.row])
                             : StartSpans<M>(target, outline, ExtraBits, middle.left, middle.right);
  if (out == nullptr) {
    return nullptr;
  }

  // Step 3: the band's rows, clamped to the frame's columns.
  Span<M>* span = out->spans;
  const std::int64_t rowBegin = std::max<std::int64_t>(ymin, rows.bandBegin);
  const std::int64_t rowEnd = std::min<std::int64_t>(ymax, rows.bandEnd - 1);
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
    *span++ = {.pixel = static_cast<std::ptrdiff_t>(rowStart + leftX + first),
               .first = static_cast<std::int32_t>(first),
               .count = static_cast<std::int32_t>(last - first + 1),
               .tail = static_cast<std::int32_t>(width - 1 - (leftX + last)),
               .z = left.z,
               .u = static_cast<TextureValue<M>>(left.u),
               .v = static_cast<TextureValue<M>>(left.v)};
  }
  out->spanCount = static_cast<std::int32_t>(span - out->spans);
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
