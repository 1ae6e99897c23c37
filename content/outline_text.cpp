// Extruded lettering from the glyph outlines of a DejaVu font: FreeType
// decomposes each glyph into contours of lines and Bezier curves, which are
// flattened into polygons; holes are bridged into the contour around them
// and the caps are cut into triangles by ear clipping; the sides are one
// quad per polygon edge.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "meshes.h"

namespace vx::content {

namespace {

constexpr const char* OutlineFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr int EmPixels = 256;     // outlines are read at 256 px to the em (26.6 units)
constexpr int CurveSegments = 6;  // straight pieces per Bezier curve

using Point = std::array<double, 2>;
using Contour = std::vector<Point>;

struct Flattener {
  std::vector<Contour> contours;
  Point pen{0, 0};
  Point at{0, 0};
  void Add(Point p) {
    Contour& c = contours.back();
    if (c.empty() || std::hypot(c.back()[0] - p[0], c.back()[1] - p[1]) > 1e-6) c.push_back(p);
    at = p;
  }
};

Point FromFt(const FT_Vector* v, const Flattener& f) {
  return {v->x / 64.0 + f.pen[0], v->y / 64.0 + f.pen[1]};
}

int MoveTo(const FT_Vector* to, void* user) {
  auto& f = *static_cast<Flattener*>(user);
  f.contours.emplace_back();
  f.Add(FromFt(to, f));
  return 0;
}
int LineTo(const FT_Vector* to, void* user) {
  auto& f = *static_cast<Flattener*>(user);
  f.Add(FromFt(to, f));
  return 0;
}
int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto& f = *static_cast<Flattener*>(user);
  const Point a = f.at, b = FromFt(control, f), c = FromFt(to, f);
  for (int i = 1; i <= CurveSegments; ++i) {
    const double t = static_cast<double>(i) / CurveSegments, s = 1 - t;
    f.Add({s * s * a[0] + 2 * s * t * b[0] + t * t * c[0],
           s * s * a[1] + 2 * s * t * b[1] + t * t * c[1]});
  }
  return 0;
}
int CubicTo(const FT_Vector* control1, const FT_Vector* control2, const FT_Vector* to, void* user) {
  auto& f = *static_cast<Flattener*>(user);
  const Point a = f.at, b = FromFt(control1, f), c = FromFt(control2, f), d = FromFt(to, f);
  for (int i = 1; i <= CurveSegments; ++i) {
    const double t = static_cast<double>(i) / CurveSegments, s = 1 - t;
    f.Add({s * s * s * a[0] + 3 * s * s * t * b[0] + 3 * s * t * t * c[0] + t * t * t * d[0],
           s * s * s * a[1] + 3 * s * s * t * b[1] + 3 * s * t * t * c[1] + t * t * t * d[1]});
  }
  return 0;
}

double SignedArea(const Contour& c) {
  double area = 0;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const Point& p = c[i];
    const Point& q = c[(i + 1) % c.size()];
    area += p[0] * q[1] - q[0] * p[1];
  }
  return area / 2;
}

bool Inside(const Contour& c, Point p) {
  bool in = false;
  for (std::size_t i = 0, j = c.size() - 1; i < c.size(); j = i++)
    if ((c[i][1] > p[1]) != (c[j][1] > p[1]) &&
        p[0] < (c[j][0] - c[i][0]) * (p[1] - c[i][1]) / (c[j][1] - c[i][1]) + c[i][0])
      in = !in;
  return in;
}

double Cross(Point o, Point a, Point b) {
  return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
}

bool InTriangle(Point p, Point a, Point b, Point c) {
  return Cross(a, b, p) >= 0 && Cross(b, c, p) >= 0 && Cross(c, a, p) >= 0;
}

bool SamePoint(Point a, Point b) {
  return a[0] == b[0] && a[1] == b[1];
}

// Splices hole (clockwise) into outer (counter-clockwise) through a bridge
// from the hole's rightmost point to the nearest outer point to its right
// that the bridge reaches without crossing an edge, giving one
// counter-clockwise polygon whose bridge is walked both ways.
void Bridge(Contour& outer, const Contour& hole) {
  std::size_t h = 0;
  for (std::size_t i = 1; i < hole.size(); ++i)
    if (hole[i][0] > hole[h][0]) h = i;
  const Point m = hole[h];
  std::size_t best = 0;
  double bestDistance = 1e300;
  for (std::size_t i = 0; i < outer.size(); ++i) {
    const Point p = outer[i];
    if (p[0] < m[0]) continue;
    // Not an end of an earlier bridge: that point is in the polygon twice,
    // and splicing at the wrong copy would fold the polygon over itself.
    if (std::count_if(outer.begin(), outer.end(), [&](Point q) { return SamePoint(p, q); }) > 1)
      continue;
    // The segment m-p must cross no edge of the outer contour or the hole.
    bool blocked = false;
    auto crosses = [&](Point a, Point b) {
      if (SamePoint(a, p) || SamePoint(b, p) || SamePoint(a, m) || SamePoint(b, m)) return false;
      const double d1 = Cross(m, p, a), d2 = Cross(m, p, b), d3 = Cross(a, b, m),
                   d4 = Cross(a, b, p);
      return ((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0));
    };
    for (std::size_t k = 0; k < outer.size() && !blocked; ++k)
      blocked = crosses(outer[k], outer[(k + 1) % outer.size()]);
    for (std::size_t k = 0; k < hole.size() && !blocked; ++k)
      blocked = crosses(hole[k], hole[(k + 1) % hole.size()]);
    const double d = std::hypot(p[0] - m[0], p[1] - m[1]);
    if (!blocked && d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  Contour joined(outer.begin(), outer.begin() + static_cast<long>(best) + 1);
  for (std::size_t k = 0; k <= hole.size(); ++k) joined.push_back(hole[(h + k) % hole.size()]);
  joined.insert(joined.end(), outer.begin() + static_cast<long>(best), outer.end());
  outer = std::move(joined);
}

// Ear clipping of a counter-clockwise polygon; triangles as index triples.
std::vector<std::array<int, 3>> Triangulate(const Contour& polygon) {
  std::vector<int> left(polygon.size());
  for (std::size_t i = 0; i < left.size(); ++i) left[i] = static_cast<int>(i);
  std::vector<std::array<int, 3>> triangles;
  while (left.size() > 3) {
    const std::size_t n = left.size();
    bool clipped = false;
    for (std::size_t i = 0; i < n && !clipped; ++i) {
      const int a = left[(i + n - 1) % n], b = left[i], c = left[(i + 1) % n];
      if (Cross(polygon[a], polygon[b], polygon[c]) <= 0) continue;
      bool empty = true;
      for (int k : left) {
        const Point p = polygon[k];
        if (SamePoint(p, polygon[a]) || SamePoint(p, polygon[b]) || SamePoint(p, polygon[c]))
          continue;
        if (InTriangle(p, polygon[a], polygon[b], polygon[c])) {
          empty = false;
          break;
        }
      }
      if (!empty) continue;
      triangles.push_back({a, b, c});
      left.erase(left.begin() + static_cast<long>(i));
      clipped = true;
    }
    // Only straight runs are left (collinear points): drop the middle one.
    if (!clipped) left.erase(left.begin());
  }
  if (left.size() == 3 && Cross(polygon[left[0]], polygon[left[1]], polygon[left[2]]) > 0)
    triangles.push_back({left[0], left[1], left[2]});
  return triangles;
}

// The outlines of text's glyphs side by side, flattened into contours, and
// the pen's advance past the last glyph; false (with a message where the
// font is missing) if FreeType cannot read the font.
bool FlattenText(const std::string& text, Flattener& flat) {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&library) != 0) return false;
  if (FT_New_Face(library, OutlineFont, 0, &face) != 0 ||
      FT_Set_Pixel_Sizes(face, 0, EmPixels) != 0) {
    std::fprintf(stderr, "vxcontent: cannot read the font %s\n", OutlineFont);
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(library);
    return false;
  }
  for (unsigned char ch : text) {
    if (FT_Load_Char(face, ch, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0) continue;
    FT_Outline_Funcs funcs{};
    funcs.move_to = MoveTo;
    funcs.line_to = LineTo;
    funcs.conic_to = ConicTo;
    funcs.cubic_to = CubicTo;
    FT_Outline_Decompose(&face->glyph->outline, &funcs, &flat);
    flat.pen[0] += face->glyph->advance.x / 64.0;
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return true;
}

// The contours of an outline, each an outer contour (counter-clockwise) or
// a hole (clockwise).
struct Outline {
  std::vector<Contour> contours;
  std::vector<bool> hole;
};

// Contours closed by repeating their start lose the repeat, and those
// without area are left out; each is then an outer contour or, inside an
// odd number of others, a hole, and turned the way its kind runs.
Outline SortContours(std::vector<Contour> flattened) {
  Outline outline;
  std::vector<Contour>& contours = outline.contours;
  for (Contour& c : flattened) {
    if (c.size() > 1 && SamePoint(c.front(), c.back())) c.pop_back();
    if (c.size() >= 3 && std::abs(SignedArea(c)) > 1e-6) contours.push_back(c);
  }
  outline.hole.resize(contours.size());
  for (std::size_t i = 0; i < contours.size(); ++i) {
    int depthCount = 0;
    for (std::size_t j = 0; j < contours.size(); ++j)
      if (i != j && Inside(contours[j], contours[i][0])) ++depthCount;
    outline.hole[i] = depthCount % 2 == 1;
    if ((SignedArea(contours[i]) > 0) == outline.hole[i])
      std::reverse(contours[i].begin(), contours[i].end());
  }
  return outline;
}

// From outline points (pixels, EmPixels to the em) to world units:
// the em is height tall, the text centred on x, the baseline at z = 0; the
// front at y = 0, the back at y = depth.
struct Extrusion {
  double advance;  // the text's width in outline units
  double scale;    // world units per outline unit
  float height, depth;
  std::string material;

  Vector At(Point p, float y) const {
    return Vector{static_cast<float>((p[0] - advance / 2) * scale), y,
                  static_cast<float>(p[1] * scale)};
  }
  // A cap's mapping: one texture tile to the em.
  std::array<float, 2> Uv(Point p) const {
    return {static_cast<float>(p[0] / EmPixels), static_cast<float>(-p[1] / EmPixels)};
  }
};

// The sides: one quad per edge of every contour, mapped along the edge.
void AddSides(Mesh& m, const Outline& outline, const Extrusion& ex) {
  for (const Contour& c : outline.contours)
    for (std::size_t i = 0; i < c.size(); ++i) {
      const Point p = c[i], q = c[(i + 1) % c.size()];
      const float along = static_cast<float>(std::hypot(q[0] - p[0], q[1] - p[1]) / EmPixels);
      AddQuad(m, {ex.At(p, 0), ex.At(p, ex.depth), ex.At(q, ex.depth), ex.At(q, 0)},
              {{{0, 0}, {0, ex.depth / ex.height}, {along, ex.depth / ex.height}, {along, 0}}},
              ex.material);
    }
}

// The holes inside outer contour i, rightmost first, so that each bridge
// sees the holes still open.
std::vector<std::size_t> HolesInside(const Outline& outline, std::size_t i) {
  const std::vector<Contour>& contours = outline.contours;
  std::vector<std::size_t> holes;
  for (std::size_t j = 0; j < contours.size(); ++j)
    if (outline.hole[j] && Inside(contours[i], contours[j][0])) holes.push_back(j);
  std::sort(holes.begin(), holes.end(), [&](std::size_t a, std::size_t b) {
    auto right = [&](std::size_t k) {
      double x = -1e300;
      for (const Point& p : contours[k]) x = std::max(x, p[0]);
      return x;
    };
    return right(a) > right(b);
  });
  return holes;
}

// The caps, front and back: each outer contour with the holes inside it
// bridged in, cut into triangles.
void AddCaps(Mesh& m, const Outline& outline, const Extrusion& ex) {
  for (std::size_t i = 0; i < outline.contours.size(); ++i) {
    if (outline.hole[i]) continue;
    Contour polygon = outline.contours[i];
    for (std::size_t j : HolesInside(outline, i)) Bridge(polygon, outline.contours[j]);
    auto vertex = [&](int k, float y) {
      return AddVertex(m, ex.At(polygon[k], y), ex.Uv(polygon[k])[0], ex.Uv(polygon[k])[1]);
    };
    for (const auto& t : Triangulate(polygon)) {
      // Front faces -y: counter-clockwise in (x, z) seen from -y.
      const int a = vertex(t[0], 0), b = vertex(t[1], 0), c = vertex(t[2], 0);
      AddTriangle(m, a, b, c, ex.material);
      const int d = vertex(t[0], ex.depth), e = vertex(t[1], ex.depth), f = vertex(t[2], ex.depth);
      AddTriangle(m, d, f, e, ex.material);
    }
  }
}

}  // namespace

Mesh OutlineText(const std::string& text, float height, float depth, const std::string& material) {
  Mesh m;
  Flattener flat;
  if (!FlattenText(text, flat)) return m;
  const Outline outline = SortContours(std::move(flat.contours));
  const Extrusion extrusion{.advance = flat.pen[0],
                            .scale = height / EmPixels,
                            .height = height,
                            .depth = depth,
                            .material = material};
  // Sides first: where baked light has to tell a side from the cap it
  // meets, the side gives way and the caps stay even.
  AddSides(m, outline, extrusion);
  AddCaps(m, outline, extrusion);
  return m;
}

}  // namespace vx::content
