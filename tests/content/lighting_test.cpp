// Baked light in the generated scenes: faces that meet at a crease never
// share a shade, the side towards the light is the brightest, the halves
// of a quad stay one shade, and every shade has a texture of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "meshes.h"
#include "scenes.h"
#include "show_content.h"
#include "textures.h"

namespace vx::content {
namespace {

Vector Normal(const std::vector<Vector>& v, const Face3ds& f) {
  const Vector a = v[f.a], b = v[f.b], c = v[f.c];
  const Vector u{b.x - a.x, b.y - a.y, b.z - a.z}, w{c.x - a.x, c.y - a.y, c.z - a.z};
  const Vector n{u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
  const float l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  return l > 0 ? Vector{n.x / l, n.y / l, n.z / l} : Vector{0, 0, 0};
}

// Pairs of faces that touch along an edge (matched by position) and whose
// normals lie more than the crease angle apart.
std::vector<std::pair<int, int>> Creases(const std::vector<Vector>& v,
                                         const std::vector<Face3ds>& faces) {
  using Corner = std::array<long, 3>;
  auto corner = [&](int i) {
    return Corner{std::lround(v[i].x * 256), std::lround(v[i].y * 256), std::lround(v[i].z * 256)};
  };
  std::map<std::pair<Corner, Corner>, std::vector<int>> edges;
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const int k[3] = {faces[f].a, faces[f].b, faces[f].c};
    for (int e = 0; e < 3; ++e)
      edges[std::minmax(corner(k[e]), corner(k[(e + 1) % 3]))].push_back(static_cast<int>(f));
  }
  const double limit = std::cos(MinimumCreaseDegrees * 3.14159265358979 / 180.0);
  std::vector<std::pair<int, int>> creases;
  for (const auto& [edge, on] : edges)
    for (std::size_t i = 0; i < on.size(); ++i)
      for (std::size_t j = i + 1; j < on.size(); ++j) {
        const Vector a = Normal(v, faces[on[i]]), b = Normal(v, faces[on[j]]);
        if (a.x * b.x + a.y * b.y + a.z * b.z < limit) creases.emplace_back(on[i], on[j]);
      }
  return creases;
}

TEST(BakedLight, FacesMeetingAtACreaseNeverShareAMaterialInAnyScene) {
  for (const SceneInfo& info : AllScenes()) {
    const Scene3ds scene = info.build();
    int lit = 0;
    for (const Object3ds& object : scene.objects) {
      for (const Face3ds& f : object.faces) lit += f.material.find('_') != std::string::npos;
      for (auto [a, b] : Creases(object.vertices, object.faces))
        EXPECT_NE(object.faces[a].material, object.faces[b].material)
            << info.name << " " << object.name << " faces " << a << " and " << b;
    }
    EXPECT_GT(lit, 0) << info.name << " has no lit face";
  }
}

TEST(BakedLight, EverySideOfASmallBoxTakesOneShade) {
  // Boxes a few dozen pixels across: a side that took two neighbouring
  // shades showed a darker band across it, as if what stood behind showed
  // through.
  const std::map<std::string, std::function<bool(const std::string&)>> small = {
      {"box", [](const std::string& n) { return test::IsBoxCrate(n) || n == "Plinth"; }},
      {"kinyit", [](const std::string& n) { return n == "Lid"; }}};
  for (const SceneInfo& info : AllScenes()) {
    const auto isSmall = small.find(info.name);
    if (isSmall == small.end()) continue;
    const Scene3ds scene = info.build();
    int boxes = 0;
    for (const Object3ds& object : scene.objects) {
      if (!isSmall->second(object.name)) continue;
      ++boxes;
      std::map<std::array<long, 3>, std::set<std::string>> materialsOfSide;
      for (const Face3ds& f : object.faces) {
        const Vector n = Normal(object.vertices, f);
        materialsOfSide[{std::lround(n.x * 64), std::lround(n.y * 64), std::lround(n.z * 64)}]
            .insert(f.material);
      }
      for (const auto& [side, materials] : materialsOfSide)
        EXPECT_EQ(materials.size(), 1u) << info.name << " " << object.name;
    }
    EXPECT_GT(boxes, 0) << info.name;
  }
}

TEST(BakedLight, TheSideTowardsTheLightIsBrightestAndQuadsStayWhole) {
  // A cube under a light straight above, far enough that falloff hardly
  // grades it: the top brightest, the bottom darkest, the four sides between.
  const Mesh cube = Box(Vector{-1, -1, -1}, Vector{1, 1, 1}, "M");
  const std::vector<int> shades =
      FaceShades(cube, Vector{0, 0, 0}, Light{{0, 0, 1000}, 0.2f, 1e6f}, 8);
  ASSERT_EQ(shades.size(), 12u);
  // Box sides in order -y, +y, +x, -x, +z, -z, two faces each.
  for (int side = 0; side < 6; ++side) EXPECT_EQ(shades[2 * side], shades[2 * side + 1]) << side;
  EXPECT_EQ(shades[8], 7);
  for (int side = 0; side < 4; ++side) {
    EXPECT_LT(shades[2 * side], shades[8]);
    EXPECT_GT(shades[2 * side], shades[10]);
  }
  // The four sides get one light but meet at creases: no two neighbours
  // share a shade (-y touches +x and -x, +y touches them too).
  EXPECT_NE(shades[0], shades[4]);
  EXPECT_NE(shades[0], shades[6]);
  EXPECT_NE(shades[2], shades[4]);
  EXPECT_NE(shades[2], shades[6]);
}

TEST(BakedLight, APointLightGradesALargeFaceCutIntoCells) {
  // A flat slab 100 long under a light near one end: the cells of its top
  // grade from bright under the light to at least three steps darker.
  const Mesh slab = Box(Vector{0, 0, 0}, Vector{100, 10, 2}, "M", 1, 10);
  const std::vector<int> shades =
      FaceShades(slab, Vector{0, 0, 0}, Light{{0, 5, 30}, 0.2f, 40}, ShadeCount);
  std::set<int> top;
  for (std::size_t f = 0; f < slab.faces.size(); ++f)
    if (Normal(slab.vertices, slab.faces[f]).z > 0.99f) top.insert(shades[f]);
  EXPECT_GE(top.size(), 4u);
}

TEST(BakedLight, WholePlanesTakeTheShadeOfTheUncutSide) {
  // The same slab with its planes whole: every cell of a side takes the
  // shade that the side uncut takes (lit at its middle, neighbours across
  // a crease apart), where cut into cells by quads the top grades.
  const Light light{{0, 5, 30}, 0.2f, 40};
  const Mesh cut = Box(Vector{0, 0, 0}, Vector{100, 10, 2}, "M", 1, 10);
  const Mesh whole = Box(Vector{0, 0, 0}, Vector{100, 10, 2}, "M");
  const std::vector<int> cutShades =
      FaceShades(cut, Vector{0, 0, 0}, light, ShadeCount, Facets::Planes);
  const std::vector<int> wholeShades = FaceShades(whole, Vector{0, 0, 0}, light, ShadeCount);
  auto sideOf = [](const Mesh& m, const Face3ds& f) {
    const Vector n = Normal(m.vertices, f);
    return std::array<long, 3>{std::lround(n.x), std::lround(n.y), std::lround(n.z)};
  };
  std::map<std::array<long, 3>, int> wholeShadeOf;
  for (std::size_t f = 0; f < whole.faces.size(); ++f)
    wholeShadeOf[sideOf(whole, whole.faces[f])] = wholeShades[f];
  ASSERT_EQ(wholeShadeOf.size(), 6u);
  std::set<int> distinct;
  for (std::size_t f = 0; f < cut.faces.size(); ++f) {
    EXPECT_EQ(cutShades[f], wholeShadeOf[sideOf(cut, cut.faces[f])]) << "face " << f;
    distinct.insert(cutShades[f]);
  }
  EXPECT_GE(distinct.size(), 3u);
}

TEST(ShadeTextures, EveryShadeHasItsOwnShortNameAndGrowsBrighter) {
  EXPECT_EQ(ShadeTextureName("METAL", 3), "METAL3");
  EXPECT_EQ(ShadeTextureName("OBSIDIAN", 7), "OBSIDIA7");
  std::set<std::string> names;
  for (const TextureInfo& t : AllTextures()) {
    EXPECT_LE(t.name.size(), 8u) << t.name;
    EXPECT_TRUE(names.insert(t.name).second) << t.name << " twice";
  }
  for (int k = 1; k < ShadeCount; ++k)
    EXPECT_NEAR(ShadeFactor(k) / ShadeFactor(k - 1), std::pow(ShadeRange, 1.0 / (ShadeCount - 1)),
                1e-9);
  EXPECT_NEAR(ShadeFactor(ShadeCount - 1) / ShadeFactor(0), ShadeRange, 1e-9);
}

// A sphere's vertices take the light of the sphere's true normal, the
// same at every copy of a seam or pole vertex, and so vary smoothly from
// face to face; moving the mesh by offset moves it against the light.
TEST(ShineMapping, FollowsTheSmoothNormalAtEveryVertex) {
  const Light light{{30, -40, 50}, 0.1f, 100};
  for (const Vector offset : {Vector{0, 0, 0}, Vector{12, 5, -8}}) {
    Mesh sphere = Sphere(5, 32, 16, "Gold", 1, 1);
    ShineMapping(sphere, offset, light);
    for (std::size_t i = 0; i < sphere.vertices.size(); ++i) {
      const Vector p = sphere.vertices[i];
      const Vector n = Unit(p);
      const Vector l = Unit(Sub(light.position, Add(p, offset)));
      const double w = (Dot(n, l) + 1) / 2;
      // Area-weighted face normals of a 32 x 16 sphere lie close to the
      // radius (a face's own normal would be off by up to 0.05 in w).
      EXPECT_NEAR(ShineLight(sphere.mapping[i][0]), w, 0.02) << "vertex " << i;
    }
    for (const Face3ds& f : sphere.faces) {
      const float u[3] = {sphere.mapping[f.a][0], sphere.mapping[f.b][0], sphere.mapping[f.c][0]};
      // A face spans at most one step around and one pole to pole.
      EXPECT_LT(std::max({u[0], u[1], u[2]}) - std::min({u[0], u[1], u[2]}), 0.14f);
    }
  }
}

TEST(ShineMapping, KeepsVAndStaysOffTheTexturesWrap) {
  Mesh ring = Torus(10, 2, 24, 8, "Gold", 3, 2);
  const Mesh before = ring;
  ShineMapping(ring, Vector{0, 0, 0}, Light{{0, 0, 1000}, 0.2f, 100});
  float lowest = 1, highest = 0;
  for (std::size_t i = 0; i < ring.mapping.size(); ++i) {
    EXPECT_EQ(ring.mapping[i][1], before.mapping[i][1]);
    lowest = std::min(lowest, ring.mapping[i][0]);
    highest = std::max(highest, ring.mapping[i][0]);
  }
  EXPECT_GE(lowest, ShineU(0));
  EXPECT_LE(highest, ShineU(1));
  // Lit from straight above: the top of the tube faces the light, the
  // bottom faces away.
  EXPECT_GT(highest, ShineU(0.95));
  EXPECT_LT(lowest, ShineU(0.05));
}

// The shine texture brightens from its left edge to its middle in every
// row, so that u alone sets the light a pixel shows, and mirrors that
// across its right half, so that u carried past either end of the range
// reads a light next to it.
TEST(ShineTextures, GrowBrighterToTheMiddleOfEveryRowAndMirror) {
  const auto& all = AllTextures();
  const auto gold = std::find_if(all.begin(), all.end(),
                                 [](const TextureInfo& t) { return t.name == "GOLDLIT"; });
  ASSERT_NE(gold, all.end());
  const Canvas c = gold->make();
  auto luma = [&](int x, int y) {
    const std::uint32_t p = c.At(x, y);
    return ((p >> 16) & 255) * 0.3 + ((p >> 8) & 255) * 0.59 + (p & 255) * 0.11;
  };
  const int half = c.width / 2;
  for (int y = 0; y < c.height; y += 7) {
    for (int x = 1; x < half; ++x) ASSERT_GE(luma(x, y), luma(x - 1, y)) << x << ", " << y;
    for (int x = 0; x < half; ++x)
      ASSERT_EQ(c.At(x, y), c.At(c.width - 1 - x, y)) << x << ", " << y;
    EXPECT_GT(luma(half - 1, y), 3 * luma(0, y)) << "row " << y;
  }
}

}  // namespace
}  // namespace vx::content
