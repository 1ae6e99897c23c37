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

// Each face's unit normal and its centre (moved by offset).
struct FaceFrames {
  std::vector<Vector> normal, centre;
};
FaceFrames FacesOf(const Mesh& mesh, Vector offset) {
  const std::size_t faces = mesh.faces.size();
  FaceFrames frames{std::vector<Vector>(faces), std::vector<Vector>(faces)};
  for (std::size_t f = 0; f < faces; ++f) {
    const Face3ds& face = mesh.faces[f];
    const Vector a = mesh.vertices[face.a], b = mesh.vertices[face.b], c = mesh.vertices[face.c];
    frames.normal[f] = Unit(Cross(Sub(b, a), Sub(c, a)));
    frames.centre[f] = Add(Scale(Add(Add(a, b), c), 1.0f / 3.0f), offset);
  }
  return frames;
}

// The faces on each edge, the edge named by key(vertex index) of its ends.
template <typename Key, typename KeyOf>
std::map<std::pair<Key, Key>, std::vector<int>> FacesOnEdges(const Mesh& mesh, KeyOf key) {
  std::map<std::pair<Key, Key>, std::vector<int>> on;
  for (int f = 0; f < static_cast<int>(mesh.faces.size()); ++f) {
    const Face3ds& face = mesh.faces[f];
    const int v[3] = {face.a, face.b, face.c};
    for (int e = 0; e < 3; ++e) on[std::minmax(key(v[e]), key(v[(e + 1) % 3]))].push_back(f);
  }
  return on;
}

// The facets, as a union-find forest over the faces (Root gives a face's
// facet): a face joins the face across its longest edge when that edge is
// the other's longest too and both lie in one plane, so the two halves of a
// quad form one facet, while fans and grids stay free to grade. Edges are
// named by the two vertices they join. With planes, every face joins each
// face in its plane across an edge.
std::vector<int> JoinFacets(const Mesh& mesh, const std::vector<Vector>& normal, bool planes) {
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
  std::vector<int> parent(mesh.faces.size());
  std::iota(parent.begin(), parent.end(), 0);
  if (planes) {
    // Cells have vertices of their own: edges are named by position.
    for (const auto& [edge, on] :
         FacesOnEdges<Corner>(mesh, [&](int v) { return CornerOf(mesh.vertices[v]); }))
      for (std::size_t i = 1; i < on.size(); ++i)
        if (Dot(normal[on[0]], normal[on[i]]) > 0.9999f)
          parent[Root(parent, on[i])] = Root(parent, on[0]);
    return parent;
  }
  for (const auto& [edge, on] : FacesOnEdges<int>(mesh, [](int v) { return v; }))
    if (on.size() == 2 && longest(on[0]) == edge && longest(on[1]) == edge &&
        Dot(normal[on[0]], normal[on[1]]) > 0.9999f)
      parent[Root(parent, on[1])] = Root(parent, on[0]);
  return parent;
}

// Facets that meet at a crease (MinimumCreaseDegrees or sharper), by facet.
// Edges are named by the two positions they join, since at a crease the
// sides often have vertices of their own.
std::map<int, std::set<int>> CreasedNeighbours(const Mesh& mesh, const std::vector<Vector>& normal,
                                               std::vector<int>& parent) {
  const float crease = static_cast<float>(std::cos(MinimumCreaseDegrees * Pi / 180.0));
  std::map<int, std::set<int>> across;
  const auto touching =
      FacesOnEdges<Corner>(mesh, [&](int v) { return CornerOf(mesh.vertices[v]); });
  for (const auto& [edge, on] : touching)
    for (std::size_t i = 0; i < on.size(); ++i)
      for (std::size_t j = i + 1; j < on.size(); ++j) {
        const int a = Root(parent, on[i]), b = Root(parent, on[j]);
        if (a == b || Dot(normal[on[i]], normal[on[j]]) >= crease) continue;
        across[a].insert(b);
        across[b].insert(a);
      }
  return across;
}

// The shade the light asks for at each facet's centre (indexed by the
// facet's root face; 0 elsewhere), as a fractional step: brightness of
// step k is darkest x ratio^k.
std::vector<double> WantedSteps(const FaceFrames& frames, std::vector<int>& parent,
                                const Light& light, int shadeCount) {
  const int faces = static_cast<int>(parent.size());
  const double ratio = std::pow(ShadeRange, 1.0 / (shadeCount - 1));
  std::vector<Vector> facetCentre(faces, Vector{0, 0, 0});
  std::vector<int> members(faces, 0);
  for (int f = 0; f < faces; ++f) {
    const int r = Root(parent, f);
    facetCentre[r] = Add(facetCentre[r], frames.centre[f]);
    ++members[r];
  }
  std::vector<double> wanted(faces, 0.0);
  for (int r = 0; r < faces; ++r) {
    if (Root(parent, r) != r) continue;
    const Vector c = Scale(facetCentre[r], 1.0f / members[r]);
    const Vector toLight = Sub(light.position, c);
    const double d = std::sqrt(Dot(toLight, toLight));
    const double w = (Dot(frames.normal[r], Unit(toLight)) + 1.0) / 2.0;
    const double falloff = light.reach * light.reach / (light.reach * light.reach + d * d);
    const double lit = light.ambient + (1.0 - light.ambient) * w * w * falloff;
    wanted[r] = std::log(lit) / std::log(ratio);
  }
  return wanted;
}

// Exposure per mesh: its brightest facet takes the brightest shade, and a
// mesh the light grades only a little is graded over at least
// MinimumShadeSpan steps (at most three times as steeply). Turns each
// facet's wanted step into a step of 0 .. shadeCount - 1 and returns the
// nearest shades (by root face; 0 elsewhere).
std::vector<int> Expose(std::vector<double>& wanted, std::vector<int>& parent, int shadeCount) {
  const int faces = static_cast<int>(parent.size());
  double top = -1e9, bottom = 1e9;
  for (int r = 0; r < faces; ++r)
    if (Root(parent, r) == r) {
      top = std::max(top, wanted[r]);
      bottom = std::min(bottom, wanted[r]);
    }
  const double steep = std::clamp(MinimumShadeSpan / std::max(top - bottom, 1e-9), 1.0, 3.0);
  std::vector<int> shade(faces, 0);
  for (int r = 0; r < faces; ++r) {
    if (Root(parent, r) != r) continue;
    wanted[r] = std::clamp(shadeCount - 1 - (top - wanted[r]) * steep, 0.0, shadeCount - 1.0);
    shade[r] = static_cast<int>(std::lround(wanted[r]));
  }
  return shade;
}

// Creased neighbours that the light gives one shade: the later one takes
// the nearest shade no neighbour across a crease has.
void SeparateCreasedNeighbours(const std::map<int, std::set<int>>& across,
                               const std::vector<double>& wanted, std::vector<int>& shade,
                               int shadeCount) {
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
}

}  // namespace

std::vector<int> FaceShades(const Mesh& mesh, Vector offset, const Light& light, int shadeCount,
                            Facets facets) {
  const FaceFrames frames = FacesOf(mesh, offset);
  std::vector<int> parent = JoinFacets(mesh, frames.normal, facets == Facets::Planes);
  const std::map<int, std::set<int>> across = CreasedNeighbours(mesh, frames.normal, parent);
  std::vector<double> wanted = WantedSteps(frames, parent, light, shadeCount);
  std::vector<int> shade = Expose(wanted, parent, shadeCount);
  SeparateCreasedNeighbours(across, wanted, shade, shadeCount);
  for (std::size_t f = 0; f < shade.size(); ++f)
    shade[f] = shade[Root(parent, static_cast<int>(f))];
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
