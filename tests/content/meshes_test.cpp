// The generator's mesh builders: closed solids are watertight and wind every
// face outwards (positive volume close to the shape's own), so the engine's
// back-face test keeps the sides that face the camera; inverted meshes are
// seen from inside.
#include "meshes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <map>
#include <tuple>
#include <vector>

#include "stage.h"

namespace vx::content {
namespace {

constexpr double Pi = 3.14159265358979323846;

// Sum over faces of a . (b x c) / 6: the enclosed volume, positive when
// every face winds counter-clockwise seen from outside.
double SignedVolume(const Mesh& m) {
  double volume = 0;
  for (const Face3ds& f : m.faces) {
    const Vector a = m.vertices[f.a], b = m.vertices[f.b], c = m.vertices[f.c];
    volume += (double{a.x} * (double{b.y} * c.z - double{b.z} * c.y) -
               double{a.y} * (double{b.x} * c.z - double{b.z} * c.x) +
               double{a.z} * (double{b.x} * c.y - double{b.y} * c.x)) /
              6.0;
  }
  return volume;
}

// Every edge, matched by position (seams repeat vertices for the mapping),
// is used once in each direction.
bool Watertight(const Mesh& m) {
  using Key = std::tuple<long, long, long>;
  auto key = [&](int i) {
    const Vector p = m.vertices[i];
    return Key{std::lround(p.x * 1000), std::lround(p.y * 1000), std::lround(p.z * 1000)};
  };
  std::map<std::pair<Key, Key>, int> edges;
  for (const Face3ds& f : m.faces) {
    const int v[3] = {f.a, f.b, f.c};
    for (int e = 0; e < 3; ++e) ++edges[{key(v[e]), key(v[(e + 1) % 3])}];
  }
  for (const auto& [edge, count] : edges) {
    const auto back = edges.find({edge.second, edge.first});
    if (back == edges.end() || back->second != count) return false;
  }
  return true;
}

TEST(Meshes, ClosedSolidsAreWatertightAndFaceOutwards) {
  const Mesh box = Box(Vector{-1, -2, 0}, Vector{3, 2, 5}, "M");
  EXPECT_TRUE(Watertight(box));
  EXPECT_NEAR(SignedVolume(box), 4.0 * 4.0 * 5.0, 1e-6);

  const Mesh sphere = Sphere(2, 24, 12, "M");
  EXPECT_TRUE(Watertight(sphere));
  EXPECT_NEAR(SignedVolume(sphere), 4.0 / 3.0 * Pi * 8, 4.0 / 3.0 * Pi * 8 * 0.06);

  const Mesh torus = Torus(5, 1, 32, 12, "M");
  EXPECT_TRUE(Watertight(torus));
  EXPECT_NEAR(SignedVolume(torus), 2 * Pi * Pi * 5, 2 * Pi * Pi * 5 * 0.06);

  const Mesh cylinder = Cylinder(2, 2, 3, 32, "M");
  EXPECT_TRUE(Watertight(cylinder));
  EXPECT_NEAR(SignedVolume(cylinder), Pi * 4 * 3, Pi * 4 * 3 * 0.03);

  const Mesh cone = Cylinder(3, 0, 4, 32, "M");
  EXPECT_TRUE(Watertight(cone));
  EXPECT_NEAR(SignedVolume(cone), Pi * 9 * 4 / 3, Pi * 9 * 4 / 3 * 0.03);

  const Mesh prism = Extrude({{0, 0}, {4, 0}, {0, 3}}, 2, "M", "S");
  EXPECT_TRUE(Watertight(Placed(prism, Vector{1, 1, 1}, 0, Vector{-1, -1, 0})));
  EXPECT_NEAR(SignedVolume(prism), 6.0 * 2, 1e-5);

  const Mesh star = Extrude(StarOutline(5, 1, 2), 1, "M", "S");
  EXPECT_TRUE(Watertight(star));
  EXPECT_GT(SignedVolume(star), 0);
}

TEST(Meshes, TurningAndMovingKeepTheWindingAndMirroringIsUndone) {
  const Mesh box = Box(Vector{0, 0, 0}, Vector{1, 2, 3}, "M");
  EXPECT_NEAR(SignedVolume(Oriented(box, Vector{1, -2, 0.5f})), 6.0, 1e-4);
  EXPECT_NEAR(SignedVolume(Placed(box, Vector{2, 1, 1}, 37, Vector{5, -3, 2})), 12.0, 1e-4);
  EXPECT_NEAR(SignedVolume(Placed(box, Vector{-1, 1, 1}, 0, Vector{0, 0, 0})), 6.0, 1e-4);
  EXPECT_NEAR(SignedVolume(Inverted(box)), -6.0, 1e-6);
  // Oriented takes +z onto the direction.
  Mesh point;
  AddVertex(point, Vector{0, 0, 2}, 0, 0);
  const Vector turned = Oriented(point, Vector{0, 3, 4}).vertices[0];
  EXPECT_NEAR(turned.x, 0.0, 1e-6);
  EXPECT_NEAR(turned.y, 1.2, 1e-6);
  EXPECT_NEAR(turned.z, 1.6, 1e-6);
}

TEST(Meshes, TerrainFacesUpAndFollowsItsHeights) {
  const Mesh ground = Terrain(
      10, 20, 5, 4, [](float x, float y) { return x + 2 * y; }, "M");
  EXPECT_EQ(ground.faces.size(), 5u * 4u * 2u);
  EXPECT_EQ(ground.vertices.size(), 6u * 5u);
  for (const Vector& v : ground.vertices) EXPECT_FLOAT_EQ(v.z, v.x + 2 * v.y);
  for (const Face3ds& f : ground.faces) {
    const Vector a = ground.vertices[f.a], b = ground.vertices[f.b], c = ground.vertices[f.c];
    const double nz = double{b.x - a.x} * (c.y - a.y) - double{b.y - a.y} * (c.x - a.x);
    EXPECT_GT(nz, 0.0);
  }
}

TEST(Meshes, BlockTextBuildsLettersOfBoxes) {
  const Mesh text = BlockText("VX", 12, 1.0f, 2.0f, "M");
  ASSERT_GT(text.faces.size(), 12u * 8u);
  EXPECT_EQ(text.faces.size() % 12, 0u);  // whole boxes
  EXPECT_TRUE(Watertight(text));
  EXPECT_GT(SignedVolume(text), 0.0);
  // Letters stand on the baseline z = 0 and face -y.
  float lowest = 1e9f, highest = -1e9f;
  for (const Vector& v : text.vertices) {
    lowest = std::min(lowest, v.z);
    highest = std::max(highest, v.z);
    EXPECT_GE(v.y, 0.0f);
    EXPECT_LE(v.y, 2.0f);
  }
  EXPECT_GE(lowest, -1.0f);
  EXPECT_GE(highest, 7.0f);
}

TEST(Meshes, OutlineTextIsSolidFollowsTheGlyphCurvesAndKeepsHoles) {
  for (const char* text : {"VX-1", "80B"}) {
    const Mesh letters = OutlineText(text, 48.0f, 5.0f, "M");
    ASSERT_FALSE(letters.faces.empty()) << text;
    EXPECT_TRUE(Watertight(letters)) << text;
    EXPECT_GT(SignedVolume(letters), 0.0) << text;
    // Sides follow slanted and curved edges, not only the pixel grid.
    int sides = 0, slanted = 0;
    for (const Face3ds& f : letters.faces) {
      const Vector a = letters.vertices[f.a], b = letters.vertices[f.b], c = letters.vertices[f.c];
      const double nx = double{b.y - a.y} * (c.z - a.z) - double{b.z - a.z} * (c.y - a.y);
      const double nz = double{b.x - a.x} * (c.y - a.y) - double{b.y - a.y} * (c.x - a.x);
      const double ny = double{b.z - a.z} * (c.x - a.x) - double{b.x - a.x} * (c.z - a.z);
      if (std::abs(ny) > 1e-9 * (std::abs(nx) + std::abs(nz))) continue;  // a cap
      ++sides;
      slanted += std::abs(nx) > 0.05 * std::abs(nz) && std::abs(nz) > 0.05 * std::abs(nx);
    }
    EXPECT_GT(slanted * 5, sides) << text;
  }
  // The counter of an O stays open: no front face covers its middle, while
  // the ring on its left does.
  const Mesh o = OutlineText("O", 100.0f, 5.0f, "M");
  float top = -1e9f, left = 1e9f;
  for (const Vector& v : o.vertices) {
    top = std::max(top, v.z);
    left = std::min(left, v.x);
  }
  auto covered = [&](float x, float z) {
    for (const Face3ds& f : o.faces) {
      const Vector a = o.vertices[f.a], b = o.vertices[f.b], c = o.vertices[f.c];
      if (a.y != 0 || b.y != 0 || c.y != 0) continue;
      auto side = [](Vector p, Vector q, float px, float pz) {
        return (q.x - p.x) * (pz - p.z) - (q.z - p.z) * (px - p.x);
      };
      const float s1 = side(a, b, x, z), s2 = side(b, c, x, z), s3 = side(c, a, x, z);
      if ((s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0)) return true;
    }
    return false;
  };
  EXPECT_FALSE(covered(0, top / 2));
  EXPECT_TRUE(covered(left + 3, top / 2));
}

TEST(Stage, StoresTurnsNormalisedAndMirroredForTheReader) {
  Stage stage(10);
  stage.AddMaterial("M", "WOOD");
  const int node = stage.AddMesh("Cube", Box(Vector{0, 0, 0}, Vector{1, 1, 1}, "M"));
  stage.Rotation(node, 0, 90, Vector{0, 0, 2});
  stage.Position(node, 0, Vector{5, 6, 7}, Tcb{0.5f, 0, -0.25f});
  stage.AddCamera("Cam");
  const Scene3ds scene = stage.Finish();
  ASSERT_EQ(scene.tracks.size(), 3u);
  const Track3ds& cube = scene.tracks[0];
  ASSERT_EQ(cube.rotation.size(), 1u);
  EXPECT_NEAR(cube.rotation[0].angle, -Pi / 2, 1e-6);
  EXPECT_FLOAT_EQ(cube.rotation[0].axis.z, 1.0f);
  // Tension (bit 0) and bias (bit 2) are stored, continuity is not.
  EXPECT_EQ(cube.position[0].spline.flags, 0x5);
  EXPECT_FLOAT_EQ(cube.position[0].spline.params[0], 0.5f);
  EXPECT_FLOAT_EQ(cube.position[0].spline.params[2], -0.25f);
  // Defaults complete what the engine evaluates.
  EXPECT_EQ(cube.scale.size(), 1u);
  EXPECT_EQ(scene.tracks[1].fov.size(), 1u);
  EXPECT_EQ(scene.tracks[1].roll.size(), 1u);
  EXPECT_EQ(scene.tracks[1].node, Node3ds::Camera);
  EXPECT_EQ(scene.tracks[2].node, Node3ds::CameraTarget);
  // The mesh is stored where its node starts, with that point as origin.
  EXPECT_FLOAT_EQ(scene.objects[0].matrix[9], 5.0f);
  EXPECT_FLOAT_EQ(scene.objects[0].vertices[0].x, 5.0f);
  EXPECT_FLOAT_EQ(scene.objects[0].vertices[0].z, 7.0f);
}

// The scenes' tables of keys: each row is one key of the channel the table
// is given to, in the table's order (not sorted by frame), with its spline
// parameters stored as one call per key stores them.
TEST(Stage, KeyTablesAddOneKeyPerRowInTheirOrder) {
  constexpr PointKey points[] = {
      {.frame = 0, .value = Vector{1, 2, 3}, .tcb = {}},
      {.frame = 9,
       .value = Vector{-4, 5, 0.5f},
       .tcb = {.tension = 0.5f, .continuity = -1, .bias = 0.25f}},
      {.frame = 4, .value = Vector{7, 0, -2}, .tcb = {.tension = 0, .continuity = 0, .bias = 0.3f}},
  };
  constexpr AngleKey angles[] = {
      {.frame = 0, .degrees = 58, .tcb = {}},
      {.frame = 6, .degrees = -12, .tcb = {.tension = 0, .continuity = 0.4f, .bias = 0}},
  };
  constexpr TurnKey turns[] = {
      {.frame = 0, .degrees = 90, .axis = Vector{0, 0, 2}, .tcb = {}},
      {.frame = 5,
       .degrees = -30,
       .axis = Vector{3, 0, 4},
       .tcb = {.tension = 1, .continuity = 0, .bias = 0}},
  };
  // Bit k of the flags marks a stored parameter: tension, continuity, bias.
  constexpr std::uint16_t pointFlags[] = {0x0, 0x7, 0x4};
  constexpr std::uint16_t angleFlags[] = {0x0, 0x2};

  Stage stage(10);
  const int node = stage.AddDummy("Node");
  stage.AddCamera("Cam");
  stage.Position(node, points);
  stage.Scale(node, points);
  stage.Rotation(node, turns);
  stage.CameraPosition(points);
  stage.CameraTarget(points);
  stage.CameraFov(angles);
  stage.CameraRoll(angles);
  const Scene3ds scene = stage.Finish();
  ASSERT_EQ(scene.tracks.size(), 3u);
  const Track3ds &object = scene.tracks[0], &camera = scene.tracks[1], &target = scene.tracks[2];

  const struct {
    const char* name;
    const std::vector<VectorKey3ds>& keys;
  } pointChannels[] = {{.name = "position", .keys = object.position},
                       {.name = "scale", .keys = object.scale},
                       {.name = "camera position", .keys = camera.position},
                       {.name = "camera target", .keys = target.position}};
  for (const auto& channel : pointChannels) {
    ASSERT_EQ(channel.keys.size(), std::size(points)) << channel.name;
    for (std::size_t i = 0; i < std::size(points); ++i) {
      const VectorKey3ds& key = channel.keys[i];
      EXPECT_EQ(key.frame, points[i].frame) << channel.name << " " << i;
      EXPECT_EQ(std::tie(key.value.x, key.value.y, key.value.z),
                std::tie(points[i].value.x, points[i].value.y, points[i].value.z))
          << channel.name << " " << i;
      EXPECT_EQ(key.spline.flags, pointFlags[i]) << channel.name << " " << i;
    }
    EXPECT_FLOAT_EQ(channel.keys[1].spline.params[1], -1.0f) << channel.name;
    EXPECT_FLOAT_EQ(channel.keys[2].spline.params[2], 0.3f) << channel.name;
  }
  const struct {
    const char* name;
    const std::vector<ScalarKey3ds>& keys;
  } angleChannels[] = {{.name = "fov", .keys = camera.fov}, {.name = "roll", .keys = camera.roll}};
  for (const auto& channel : angleChannels) {
    ASSERT_EQ(channel.keys.size(), std::size(angles)) << channel.name;
    for (std::size_t i = 0; i < std::size(angles); ++i) {
      EXPECT_EQ(channel.keys[i].frame, angles[i].frame) << channel.name << " " << i;
      EXPECT_EQ(channel.keys[i].value, angles[i].degrees) << channel.name << " " << i;
      EXPECT_EQ(channel.keys[i].spline.flags, angleFlags[i]) << channel.name << " " << i;
    }
  }
  // Turns are stored as Rotation stores them: mirrored, in radians, about
  // the normalised axis.
  ASSERT_EQ(object.rotation.size(), std::size(turns));
  EXPECT_EQ(object.rotation[1].frame, 5u);
  EXPECT_NEAR(object.rotation[1].angle, 30 * Pi / 180, 1e-6);
  EXPECT_FLOAT_EQ(object.rotation[1].axis.x, 0.6f);
  EXPECT_FLOAT_EQ(object.rotation[1].axis.z, 0.8f);
  EXPECT_EQ(object.rotation[1].spline.flags, 0x1);
  // The camera starts where its first keys put it.
  EXPECT_FLOAT_EQ(scene.cameras[0].target.z, 3.0f);
  EXPECT_FLOAT_EQ(scene.cameras[0].roll, 58.0f);
}

}  // namespace
}  // namespace vx::content
