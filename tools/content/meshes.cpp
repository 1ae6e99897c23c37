#include "meshes.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <utility>

#include "lettering.h"

namespace vx::content {

namespace {
constexpr double Pi = 3.14159265358979323846;

Vector Cross(Vector a, Vector b) {
  return Vector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vector Sub(Vector a, Vector b) {
  return Vector{a.x - b.x, a.y - b.y, a.z - b.z};
}
Vector Add(Vector a, Vector b) {
  return Vector{a.x + b.x, a.y + b.y, a.z + b.z};
}
Vector Scale(Vector a, float s) {
  return Vector{a.x * s, a.y * s, a.z * s};
}
Vector Unit(Vector a) {
  const float l = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
  return l > 0 ? Scale(a, 1.0f / l) : Vector{0, 0, 1};
}
float Dot(Vector a, Vector b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A vertex position rounded to 1/1024 unit: faces that meet at a corner
// share it even where each face has its own vertex (boxes, caps).
using Corner = std::array<long, 3>;
Corner CornerOf(Vector p) {
  return {std::lround(p.x * 1024.0), std::lround(p.y * 1024.0), std::lround(p.z * 1024.0)};
}

int Root(std::vector<int>& parent, int i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}
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

namespace vx::content {

std::vector<int> FaceShades(const Mesh& mesh, Vector offset, const Light& light, int shadeCount) {
  const int faces = static_cast<int>(mesh.faces.size());
  std::vector<Vector> normal(faces), centre(faces);
  for (int f = 0; f < faces; ++f) {
    const Face3ds& face = mesh.faces[f];
    const Vector a = mesh.vertices[face.a], b = mesh.vertices[face.b], c = mesh.vertices[face.c];
    normal[f] = Unit(Cross(Sub(b, a), Sub(c, a)));
    centre[f] = Add(Scale(Add(Add(a, b), c), 1.0f / 3.0f), offset);
  }
  // Facets: faces that share an edge of two vertices (not only two
  // positions) and lie in one plane, the two halves of a quad or a flat
  // field; creases: faces whose edges meet in position at an angle.
  std::map<std::pair<int, int>, std::vector<int>> shared;
  std::map<std::pair<Corner, Corner>, std::vector<int>> touching;
  for (int f = 0; f < faces; ++f) {
    const Face3ds& face = mesh.faces[f];
    const int v[3] = {face.a, face.b, face.c};
    for (int e = 0; e < 3; ++e) {
      shared[std::minmax(v[e], v[(e + 1) % 3])].push_back(f);
      touching[std::minmax(CornerOf(mesh.vertices[v[e]]), CornerOf(mesh.vertices[v[(e + 1) % 3]]))]
          .push_back(f);
    }
  }
  // A face joins the face across its longest edge when that edge is the
  // other's longest too and both lie in one plane: the two halves of a quad
  // form one facet, while fans and grids stay free to grade.
  auto longest = [&](int f) {
    const Face3ds& face = mesh.faces[f];
    const int v[3] = {face.a, face.b, face.c};
    float best = -1;
    std::pair<int, int> edge;
    for (int e = 0; e < 3; ++e) {
      const Vector d = Sub(mesh.vertices[v[(e + 1) % 3]], mesh.vertices[v[e]]);
      if (Dot(d, d) > best) {
        best = Dot(d, d);
        edge = std::minmax(v[e], v[(e + 1) % 3]);
      }
    }
    return edge;
  };
  std::vector<int> parent(faces);
  std::iota(parent.begin(), parent.end(), 0);
  for (const auto& [edge, on] : shared)
    if (on.size() == 2 && longest(on[0]) == edge && longest(on[1]) == edge &&
        Dot(normal[on[0]], normal[on[1]]) > 0.9999f)
      parent[Root(parent, on[1])] = Root(parent, on[0]);
  const float crease = static_cast<float>(std::cos(MinimumCreaseDegrees * Pi / 180.0));
  std::map<int, std::set<int>> across;  // creased neighbours, by facet
  for (const auto& [edge, on] : touching)
    for (std::size_t i = 0; i < on.size(); ++i)
      for (std::size_t j = i + 1; j < on.size(); ++j) {
        const int a = Root(parent, on[i]), b = Root(parent, on[j]);
        if (a == b || Dot(normal[on[i]], normal[on[j]]) >= crease) continue;
        across[a].insert(b);
        across[b].insert(a);
      }
  // The shade the light asks for, as a fractional step: brightness of step
  // k is darkest x ratio^k.
  const double ratio = std::pow(ShadeRange, 1.0 / (shadeCount - 1));
  std::vector<Vector> facetCentre(faces, Vector{0, 0, 0});
  std::vector<int> members(faces, 0);
  for (int f = 0; f < faces; ++f) {
    const int r = Root(parent, f);
    facetCentre[r] = Add(facetCentre[r], centre[f]);
    ++members[r];
  }
  std::vector<double> wanted(faces, 0.0);
  std::vector<int> shade(faces, 0);
  for (int r = 0; r < faces; ++r) {
    if (Root(parent, r) != r) continue;
    const Vector c = Scale(facetCentre[r], 1.0f / members[r]);
    const Vector toLight = Sub(light.position, c);
    const double d = std::sqrt(Dot(toLight, toLight));
    const double w = (Dot(normal[r], Unit(toLight)) + 1.0) / 2.0;
    const double falloff = light.reach * light.reach / (light.reach * light.reach + d * d);
    const double lit = light.ambient + (1.0 - light.ambient) * w * w * falloff;
    wanted[r] = std::log(lit) / std::log(ratio);
  }
  // Exposure per mesh: its brightest facet takes the brightest shade, and a
  // mesh the light grades only a little is graded over at least
  // MinimumShadeSpan steps (at most three times as steeply).
  double top = -1e9, bottom = 1e9;
  for (int r = 0; r < faces; ++r)
    if (Root(parent, r) == r) {
      top = std::max(top, wanted[r]);
      bottom = std::min(bottom, wanted[r]);
    }
  const double steep = std::clamp(MinimumShadeSpan / std::max(top - bottom, 1e-9), 1.0, 3.0);
  for (int r = 0; r < faces; ++r) {
    if (Root(parent, r) != r) continue;
    wanted[r] = std::clamp(shadeCount - 1 - (top - wanted[r]) * steep, 0.0, shadeCount - 1.0);
    shade[r] = static_cast<int>(std::lround(wanted[r]));
  }
  // Creased neighbours that the light gives one shade: the later one takes
  // the nearest shade no neighbour across a crease has.
  for (int pass = 0; pass < 8; ++pass) {
    bool changed = false;
    for (const auto& [facet, others] : across) {
      std::set<int> taken;
      for (int o : others) taken.insert(shade[o]);
      if (!taken.count(shade[facet])) continue;
      int best = -1;
      for (int k = 0; k < shadeCount; ++k)
        if (!taken.count(k) &&
            (best < 0 || std::abs(k - wanted[facet]) < std::abs(best - wanted[facet])))
          best = k;
      if (best >= 0) {
        shade[facet] = best;
        changed = true;
      }
    }
    if (!changed) break;
  }
  for (int f = 0; f < faces; ++f) shade[f] = shade[Root(parent, f)];
  return shade;
}

}  // namespace vx::content
