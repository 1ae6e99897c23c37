// Baked light (FaceShades): the shade of every face of a mesh under a
// scene's key light.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <utility>

#include "meshes.h"

namespace vx::content {

namespace {
constexpr double Pi = 3.14159265358979323846;

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

std::vector<int> FaceShades(const Mesh& mesh, Vector offset, const Light& light, int shadeCount) {
  const int faces = static_cast<int>(mesh.faces.size());
  std::vector<Vector> normal(faces), centre(faces);
  for (int f = 0; f < faces; ++f) {
    const Face3ds& face = mesh.faces[f];
    const Vector a = mesh.vertices[face.a], b = mesh.vertices[face.b], c = mesh.vertices[face.c];
    normal[f] = Unit(Cross(Sub(b, a), Sub(c, a)));
    centre[f] = Add(Scale(Add(Add(a, b), c), 1.0f / 3.0f), offset);
  }
  // Edges by the two vertices they join (for facets) and by the two
  // positions (for creases, where sides have vertices of their own).
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

void ShineMapping(Mesh& mesh, Vector offset, const Light& light) {
  // The cross product's length is twice the face's area: summing them
  // unnormalised weights each face by its area.
  std::map<Corner, Vector> normalAt;
  for (const Face3ds& face : mesh.faces) {
    const Vector a = mesh.vertices[face.a], b = mesh.vertices[face.b], c = mesh.vertices[face.c];
    const Vector n = Cross(Sub(b, a), Sub(c, a));
    for (const Vector p : {a, b, c}) {
      Vector& sum = normalAt[CornerOf(p)];
      sum = Add(sum, n);
    }
  }
  for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
    const auto normal = normalAt.find(CornerOf(mesh.vertices[i]));
    if (normal == normalAt.end()) continue;  // a vertex no face uses
    const Vector toLight = Sub(light.position, Add(mesh.vertices[i], offset));
    const double w = (Dot(Unit(normal->second), Unit(toLight)) + 1.0) / 2.0;
    mesh.mapping[i][0] = ShineU(w);
  }
}

}  // namespace vx::content
