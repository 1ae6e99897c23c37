// The pictures of the pipeline views, each from plain buffers: the depth
// buffer's grey, the overdraw heat map with its legend, the flat colours and
// the wire outlines.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <string>

#include "base/label_font.h"
#include "views/views.h"

namespace vx {
namespace {

constexpr std::array<std::uint32_t, OverdrawLevels> HeatColours{
    0x00000000,  // never written
    0x001030A0, 0x0000A0C0, 0x0020C040, 0x00E0E020, 0x00F08020, 0x00E02020,
    0x00FFFFFF,  // OverdrawLevels - 1 times or more
};
constexpr std::uint32_t LegendTextColour = 0x00C8C8C8;
constexpr int FontColumns = 6;  // a character's advance in font pixels
constexpr int FontRows = 7;

// The views' marks and legend grow with the frame as its border does.
int MarkScale(const FrameSize& size) {
  return std::max(1, static_cast<int>(FrameScale(size)));
}

void FillBox(std::uint32_t* image, const FrameSize& size, int x, int y, int w, int h,
             std::uint32_t colour) {
  const int left = std::max(x, 0), right = std::min(x + w, size.width);
  const int top = std::max(y, 0), bottom = std::min(y + h, size.height);
  for (int row = top; row < bottom; ++row)
    for (int column = left; column < right; ++column)
      image[static_cast<std::ptrdiff_t>(row) * size.pitch + column] = colour;
}

// The pixels of the line from (x0, y0) to (x1, y1), ends included, that
// lie in the frame: the line is first cut to the frame's box (in double,
// the new ends rounded to the nearest pixel), so that a far vertex costs no
// more than the frame's width, then stepped as Bresenham steps it.
void DrawLine(std::uint32_t* image, const FrameSize& size, std::int64_t x0, std::int64_t y0,
              std::int64_t x1, std::int64_t y1, std::uint32_t colour) {
  const double dx = static_cast<double>(x1 - x0), dy = static_cast<double>(y1 - y0);
  double t0 = 0.0, t1 = 1.0;
  // Liang-Barsky: each side of the box bounds t from one end.
  const auto side = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    const double r = q / p;
    if (p < 0.0) {
      t0 = std::max(t0, r);
    } else {
      t1 = std::min(t1, r);
    }
    return t0 <= t1;
  };
  if (!side(-dx, static_cast<double>(x0)) || !side(dx, size.width - 1.0 - x0) ||
      !side(-dy, static_cast<double>(y0)) || !side(dy, size.height - 1.0 - y0))
    return;
  const auto at = [](std::int64_t a, double d, double t) {
    return t == 0.0 ? a : a + std::llround(d * t);
  };
  std::int64_t ax = at(x0, dx, t0), ay = at(y0, dy, t0);
  const std::int64_t bx = t1 == 1.0 ? x1 : at(x0, dx, t1), by = t1 == 1.0 ? y1 : at(y0, dy, t1);
  const std::int64_t sx = bx >= ax ? 1 : -1, sy = by >= ay ? 1 : -1;
  const std::int64_t ex = (bx - ax) * sx, ey = -(by - ay) * sy;
  std::int64_t error = ex + ey;
  for (;;) {
    if (ax >= 0 && ax < size.width && ay >= 0 && ay < size.height)
      image[ay * size.pitch + ax] = colour;
    if (ax == bx && ay == by) break;
    const std::int64_t twice = 2 * error;
    if (twice >= ey) {
      error += ey;
      ax += sx;
    }
    if (twice <= ex) {
      error += ex;
      ay += sy;
    }
  }
}

std::int64_t Column(const ScreenVertex& v) {
  return v.x >> 8;
}

}  // namespace

std::uint32_t DepthGrey(float d, float lo, float hi) {
  if (!(d > ClearedDepth)) return 0;
  std::uint32_t g = 255;
  if (hi > lo) {
    const double f = (static_cast<double>(d) - lo) / (static_cast<double>(hi) - lo);
    g = DepthGreyFloor +
        static_cast<std::uint32_t>(std::lround((255.0 - DepthGreyFloor) * std::clamp(f, 0.0, 1.0)));
  }
  return g << 16 | g << 8 | g;
}

void DrawDepthGrey(const float* depth, const FrameSize& size, std::uint32_t* image) {
  float lo = 0.0f, hi = 0.0f;
  bool any = false;
  for (std::int32_t y = 0; y < size.height; ++y)
    for (std::int32_t x = 0; x < size.width; ++x) {
      const float d = depth[static_cast<std::ptrdiff_t>(y) * size.pitch + x];
      if (!(d > ClearedDepth)) continue;
      lo = any ? std::min(lo, d) : d;
      hi = any ? std::max(hi, d) : d;
      any = true;
    }
  for (std::int32_t y = 0; y < size.height; ++y)
    for (std::int32_t x = 0; x < size.width; ++x) {
      const std::ptrdiff_t i = static_cast<std::ptrdiff_t>(y) * size.pitch + x;
      image[i] = DepthGrey(depth[i], lo, hi);
    }
}

std::uint32_t OverdrawColour(std::uint32_t count) {
  return HeatColours[std::min(count, OverdrawLevels - 1)];
}

void DrawOverdrawHeat(std::uint32_t* image, const FrameSize& size) {
  for (std::int32_t y = 0; y < size.height; ++y)
    for (std::int32_t x = 0; x < size.width; ++x) {
      std::uint32_t& p = image[static_cast<std::ptrdiff_t>(y) * size.pitch + x];
      p = OverdrawColour(p);
    }
  // The legend: for each level a swatch, then its count, on a black box
  // in the bottom left corner, clear of the border.
  const int k = MarkScale(size);
  const int swatch = FontRows * k;
  const int entry = swatch + (2 + 2 * FontColumns) * k;  // swatch, gap, "7+", gap
  const int width = 2 * k + static_cast<int>(OverdrawLevels) * entry;
  const int height = swatch + 4 * k;
  const int left = 2 * k, top = size.height - 2 * k - height;
  FillBox(image, size, left, top, width, height, 0u);
  for (std::uint32_t n = 0; n < OverdrawLevels; ++n) {
    const int x = left + 2 * k + static_cast<int>(n) * entry;
    const int y = top + 2 * k;
    // A swatch of black (count 0) gets a grey rim to be seen on the box.
    FillBox(image, size, x, y, swatch, swatch, n == 0 ? LegendTextColour : OverdrawColour(n));
    if (n == 0) FillBox(image, size, x + k, y + k, swatch - 2 * k, swatch - 2 * k, 0u);
    const std::string label = std::to_string(n) + (n + 1 == OverdrawLevels ? "+" : "");
    DrawLabel(image, size.pitch, size.height, x + swatch + 2 * k, y, label, LegendTextColour, k);
  }
}

std::uint32_t FlatColour(std::uint32_t object, std::uint32_t polygon) {
  std::uint32_t h = object * 0x9E3779B1u ^ (polygon + 0x7F4A7C15u) * 0x85EBCA77u;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  std::uint32_t colour = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t byte = h >> shift & 0xFF;
    colour |= (0x40 + (byte * 0xC0 >> 8)) << shift;
  }
  return colour;
}

std::uint32_t DrawWire(const WireInput& wire, std::uint32_t* image, const FrameSize& size) {
  if (wire.screen == nullptr || wire.screen->objects == nullptr) return 0;
  const ScreenMesh& screen = *wire.screen;
  // Outlines first, then the marks over them, so no line hides a mark.
  std::uint32_t marked = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (std::uint16_t i = 0; i < screen.objectCount; ++i) {
      const ScreenObject* object = screen.objects[i];
      if (object == nullptr || object->visible == 0 || object->polygons == nullptr) continue;
      const std::uint32_t firstClip =
          wire.firstClipVertex != nullptr ? wire.firstClipVertex[i] : object->vertexSlots;
      for (std::uint32_t k = 0; k < object->polygonCount; ++k) {
        const Polygon* polygon = object->polygons[k];
        if (polygon == nullptr || polygon->drawFlag == 0 || polygon->count > MaxPolygonVertices)
          continue;
        for (std::uint32_t e = 0; e < polygon->count; ++e) {
          const std::uint32_t a = polygon->indices[e];
          const std::uint32_t b = polygon->indices[(e + 1) % polygon->count];
          if (a >= object->vertexSlots || b >= object->vertexSlots) continue;
          const ScreenVertex& va = object->vertices[a];
          if (pass == 0) {
            const ScreenVertex& vb = object->vertices[b];
            DrawLine(image, size, Column(va), va.y, Column(vb), vb.y, OutlineColour);
          } else if (a >= firstClip) {
            const int r = MarkScale(size);
            FillBox(image, size,
                    static_cast<int>(std::clamp<std::int64_t>(Column(va), -r, size.width)) - r,
                    std::clamp(va.y, -r, size.height) - r, 2 * r + 1, 2 * r + 1, ClipVertexColour);
            ++marked;
          }
        }
      }
    }
  }
  return marked;
}

}  // namespace vx
