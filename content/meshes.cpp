#include "meshes.h"

#include <algorithm>
#include <cmath>

#include "lettering.h"

namespace vx::content {

namespace {
constexpr double Pi = 3.14159265358979323846;

}  // namespace

int AddVertex(Mesh& mesh, Vector p, float u, float v) {
  mesh.vertices.push_back(p);
  mesh.mapping.push_back({u, v});
  return static_cast<int>(mesh.vertices.size()) - 1;
}

void AddTriangle(Mesh& mesh, int a, int b, int c, const std::string& material) {
  Face3ds face;
  face.a = static_cast<std::uint16_t>(a);
  face.b = static_cast<std::uint16_t>(b);
  face.c = static_cast<std::uint16_t>(c);
  face.material = material;
  mesh.faces.push_back(face);
}

void AddQuad(Mesh& mesh, const std::array<Vector, 4>& corners,
             const std::array<std::array<float, 2>, 4>& uv, const std::string& material) {
  int index[4];
  for (int i = 0; i < 4; ++i) index[i] = AddVertex(mesh, corners[i], uv[i][0], uv[i][1]);
  AddTriangle(mesh, index[0], index[1], index[2], material);
  AddTriangle(mesh, index[0], index[2], index[3], material);
}

void Append(Mesh& dst, const Mesh& src) {
  const int base = static_cast<int>(dst.vertices.size());
  dst.vertices.insert(dst.vertices.end(), src.vertices.begin(), src.vertices.end());
  dst.mapping.insert(dst.mapping.end(), src.mapping.begin(), src.mapping.end());
  for (Face3ds face : src.faces) {
    face.a = static_cast<std::uint16_t>(face.a + base);
    face.b = static_cast<std::uint16_t>(face.b + base);
    face.c = static_cast<std::uint16_t>(face.c + base);
    dst.faces.push_back(face);
  }
}

Mesh Placed(Mesh mesh, Vector scale, float degreesZ, Vector offset) {
  const double a = degreesZ * Pi / 180.0;
  const float c = static_cast<float>(std::cos(a)), s = static_cast<float>(std::sin(a));
  for (Vector& p : mesh.vertices) {
    const Vector q{p.x * scale.x, p.y * scale.y, p.z * scale.z};
    p = Vector{q.x * c - q.y * s + offset.x, q.x * s + q.y * c + offset.y, q.z + offset.z};
  }
  // A mirroring scale turns the winding inside out; undo that.
  if (scale.x * scale.y * scale.z < 0)
    for (Face3ds& f : mesh.faces) std::swap(f.b, f.c);
  return mesh;
}

Mesh Oriented(Mesh mesh, Vector dir) {
  const Vector z = Unit(dir);
  const Vector helper = std::abs(z.z) < 0.9f ? Vector{0, 0, 1} : Vector{1, 0, 0};
  const Vector x = Unit(Cross(helper, z));
  const Vector y = Cross(z, x);  // x, y, z right-handed
  for (Vector& p : mesh.vertices) p = Add(Add(Scale(x, p.x), Scale(y, p.y)), Scale(z, p.z));
  return mesh;
}

Mesh Inverted(Mesh mesh) {
  for (Face3ds& f : mesh.faces) std::swap(f.b, f.c);
  return mesh;
}

Mesh Box(Vector lo, Vector hi, const std::string& material, float tiles, float cell) {
  Mesh m;
  const float t = tiles;
  const float x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
  // Each side counter-clockwise seen from outside, starting bottom-left,
  // cut into cells no longer than cell along each edge.
  auto side = [&](const std::array<Vector, 4>& c) {
    auto parts = [&](Vector a, Vector b) {
      const float length = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) +
                                     (b.z - a.z) * (b.z - a.z));
      return cell > 0 ? std::max(1, static_cast<int>(std::ceil(length / cell - 1e-3f))) : 1;
    };
    const int nu = parts(c[0], c[1]), nv = parts(c[1], c[2]);
    auto at = [&](int i, int j) {  // bilinear point and mapping
      const float s = static_cast<float>(i) / nu, r = static_cast<float>(j) / nv;
      const Vector bottom = Add(c[0], Scale(Sub(c[1], c[0]), s));
      const Vector top = Add(c[3], Scale(Sub(c[2], c[3]), s));
      return std::pair{Add(bottom, Scale(Sub(top, bottom), r)),
                       std::array<float, 2>{t * s, t * (1 - r)}};
    };
    for (int j = 0; j < nv; ++j)
      for (int i = 0; i < nu; ++i) {
        const auto [p0, m0] = at(i, j);
        const auto [p1, m1] = at(i + 1, j);
        const auto [p2, m2] = at(i + 1, j + 1);
        const auto [p3, m3] = at(i, j + 1);
        AddQuad(m, {p0, p1, p2, p3}, {m0, m1, m2, m3}, material);
      }
  };
  side({Vector{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}});  // -y
  side({Vector{x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}});  // +y
  side({Vector{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}});  // +x
  side({Vector{x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}});  // -x
  side({Vector{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}});  // +z
  side({Vector{x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}});  // -z
  return m;
}

Mesh Sphere(float r, int segments, int rings, const std::string& material, float uTiles,
            float vTiles) {
  Mesh m;
  for (int j = 0; j <= rings; ++j) {
    const double theta = Pi * j / rings;  // 0 at the top pole
    for (int i = 0; i <= segments; ++i) {
      const double phi = 2 * Pi * i / segments;
      const Vector p{static_cast<float>(r * std::sin(theta) * std::cos(phi)),
                     static_cast<float>(r * std::sin(theta) * std::sin(phi)),
                     static_cast<float>(r * std::cos(theta))};
      AddVertex(m, p, uTiles * i / segments, vTiles * j / rings);
    }
  }
  for (int j = 0; j < rings; ++j)
    for (int i = 0; i < segments; ++i) {
      const int a = j * (segments + 1) + i, b = a + 1, c = b + segments + 1, d = a + segments + 1;
      // a: upper left, d: lower left; counter-clockwise from outside is a, d, c, b.
      if (j != 0) AddTriangle(m, a, d, b, material);
      if (j != rings - 1) AddTriangle(m, b, d, c, material);
    }
  return m;
}

Mesh Torus(float R, float r, int segments, int sides, const std::string& material, float uTiles,
           float vTiles) {
  Mesh m;
  for (int i = 0; i <= segments; ++i) {
    const double phi = 2 * Pi * i / segments;
    for (int j = 0; j <= sides; ++j) {
      const double theta = 2 * Pi * j / sides;
      const double d = R + r * std::cos(theta);
      AddVertex(m,
                Vector{static_cast<float>(d * std::cos(phi)), static_cast<float>(d * std::sin(phi)),
                       static_cast<float>(r * std::sin(theta))},
                uTiles * i / segments, vTiles * j / sides);
    }
  }
  for (int i = 0; i < segments; ++i)
    for (int j = 0; j < sides; ++j) {
      const int a = i * (sides + 1) + j, b = a + 1, c = a + sides + 2, d = a + sides + 1;
      AddTriangle(m, a, d, c, material);
      AddTriangle(m, a, c, b, material);
    }
  return m;
}

Mesh Cylinder(float r0, float r1, float h, int segments, const std::string& material,
              float uTiles) {
  Mesh m;
  for (int i = 0; i <= segments; ++i) {
    const double phi = 2 * Pi * i / segments;
    const float c = static_cast<float>(std::cos(phi)), s = static_cast<float>(std::sin(phi));
    AddVertex(m, Vector{r0 * c, r0 * s, 0}, uTiles * i / segments, 1);
    AddVertex(m, Vector{r1 * c, r1 * s, h}, uTiles * i / segments, 0);
  }
  for (int i = 0; i < segments; ++i) {
    const int a = 2 * i, b = a + 1, c = a + 3, d = a + 2;  // bottom i, top i, top i+1, bottom i+1
    // A cone's apex makes one of the two triangles degenerate; leave it out.
    if (r0 > 0) AddTriangle(m, a, d, c, material);
    if (r1 > 0) AddTriangle(m, a, c, b, material);
  }
  for (int end = 0; end < 2; ++end) {
    const float r = end == 0 ? r0 : r1;
    if (r <= 0) continue;
    const float z = end == 0 ? 0.0f : h;
    const int centre = AddVertex(m, Vector{0, 0, z}, 0.5f, 0.5f);
    const int first = static_cast<int>(m.vertices.size());
    for (int i = 0; i <= segments; ++i) {
      const double phi = 2 * Pi * i / segments;
      const float c = static_cast<float>(std::cos(phi)), s = static_cast<float>(std::sin(phi));
      AddVertex(m, Vector{r * c, r * s, z}, 0.5f + 0.5f * c, 0.5f + 0.5f * s);
    }
    for (int i = 0; i < segments; ++i) {
      if (end == 1)
        AddTriangle(m, centre, first + i, first + i + 1, material);
      else
        AddTriangle(m, centre, first + i + 1, first + i, material);
    }
  }
  return m;
}

Mesh Extrude(const std::vector<std::array<float, 2>>& outline, float depth,
             const std::string& material, const std::string& sideMaterial) {
  Mesh m;
  const int n = static_cast<int>(outline.size());
  float extent = 0;
  for (const auto& p : outline) extent = std::max({extent, std::abs(p[0]), std::abs(p[1])});
  const float k = 0.5f / std::max(extent, 1e-6f);
  for (int end = 0; end < 2; ++end) {
    const float z = end == 0 ? 0.0f : depth;
    const int centre = AddVertex(m, Vector{0, 0, z}, 0.5f, 0.5f);
    for (int i = 0; i < n; ++i)
      AddVertex(m, Vector{outline[i][0], outline[i][1], z}, 0.5f + outline[i][0] * k,
                0.5f - outline[i][1] * k);
    for (int i = 0; i < n; ++i) {
      const int a = centre + 1 + i, b = centre + 1 + (i + 1) % n;
      if (end == 1)
        AddTriangle(m, centre, a, b, material);
      else
        AddTriangle(m, centre, b, a, material);
    }
  }
  float perimeter = 0;
  for (int i = 0; i < n; ++i) {
    const auto& p = outline[i];
    const auto& q = outline[(i + 1) % n];
    const float length = std::hypot(q[0] - p[0], q[1] - p[1]);
    const float u0 = perimeter * k, u1 = (perimeter + length) * k;
    perimeter += length;
    AddQuad(m, {Vector{p[0], p[1], 0}, {q[0], q[1], 0}, {q[0], q[1], depth}, {p[0], p[1], depth}},
            {{{u0, 1}, {u1, 1}, {u1, 0}, {u0, 0}}}, sideMaterial);
  }
  return m;
}

std::vector<std::array<float, 2>> StarOutline(int points, float inner, float outer) {
  std::vector<std::array<float, 2>> outline;
  for (int i = 0; i < points * 2; ++i) {
    const double a = Pi * i / points + Pi / 2;
    const float r = i % 2 == 0 ? outer : inner;
    outline.push_back({static_cast<float>(r * std::cos(a)), static_cast<float>(r * std::sin(a))});
  }
  return outline;
}

Mesh Tube(const std::vector<Vector>& path, float r, int sides, const std::string& material,
          float vTiles) {
  Mesh m;
  const int n = static_cast<int>(path.size());
  Vector previousNormal{0, 0, 1};
  for (int i = 0; i < n; ++i) {
    const Vector tangent = Unit(Sub(path[std::min(i + 1, n - 1)], path[std::max(i - 1, 0)]));
    // A frame that turns as little as possible from ring to ring.
    Vector side = Cross(tangent, previousNormal);
    if (side.x * side.x + side.y * side.y + side.z * side.z < 1e-6f)
      side = Cross(tangent, Vector{1, 0, 0});
    side = Unit(side);
    const Vector normal = Unit(Cross(side, tangent));
    previousNormal = normal;
    for (int j = 0; j <= sides; ++j) {
      const double a = 2 * Pi * j / sides;
      const Vector offset = Add(Scale(normal, static_cast<float>(r * std::cos(a))),
                                Scale(side, static_cast<float>(r * std::sin(a))));
      AddVertex(m, Add(path[i], offset), static_cast<float>(j) / sides,
                vTiles * static_cast<float>(i) / (n - 1));
    }
  }
  for (int i = 0; i < n - 1; ++i)
    for (int j = 0; j < sides; ++j) {
      const int a = i * (sides + 1) + j, b = a + 1, c = a + sides + 2, d = a + sides + 1;
      AddTriangle(m, a, b, c, material);
      AddTriangle(m, a, c, d, material);
    }
  return m;
}

Mesh BlockText(const std::string& text, int pixelSize, float cell, float depth,
               const std::string& material) {
  const int width = std::max(1, TextWidth(text, Font::SansBold, pixelSize)) + 4;
  const int height = pixelSize + 4;
  Mask mask(width, height);
  const int baseline = pixelSize;
  DrawText(mask, text, Font::SansBold, pixelSize, width / 2, baseline);
  Mesh m;
  for (int y = 0; y < height; ++y) {
    int x = 0;
    while (x < width) {
      if (mask.At(x, y) < 0.5f) {
        ++x;
        continue;
      }
      int end = x;
      while (end < width && mask.At(end, y) >= 0.5f) ++end;
      const float x0 = (x - width / 2) * cell, x1 = (end - width / 2) * cell;
      const float z1 = (baseline - y) * cell, z0 = z1 - cell;
      Append(m, Box(Vector{x0, 0, z0}, Vector{x1, depth, z1}, material, 0.25f));
      x = end;
    }
  }
  return m;
}

}  // namespace vx::content
