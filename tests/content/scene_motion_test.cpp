// The scenes as they move: objects that stand on or against one another
// never pass through each other at any moment their slot plays, checked on
// the stored keys through the engine's own track evaluation.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/picture.h"
#include "show_content.h"

namespace vx::test {
namespace {

// A box as the engine places it: its eight corners in world space.
using Corners = std::array<Vector, 8>;

Vector Minus(Vector a, Vector b) {
  return Vector{a.x - b.x, a.y - b.y, a.z - b.z};
}
Vector CrossOf(Vector a, Vector b) {
  return Vector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float DotOf(Vector a, Vector b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Corner i takes hi on axis k when bit k of i is set: 1, 2 and 4 are the
// ends of the three edges from corner 0.
Corners WorldCorners(const MeshObject& object, const Matrix& world) {
  Vector lo{1e30f, 1e30f, 1e30f}, hi{-1e30f, -1e30f, -1e30f};
  for (int i = 0; i < object.vertexCount; ++i) {
    const MeshVertex& v = object.vertices[i];
    lo = Vector{std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z)};
    hi = Vector{std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z)};
  }
  Corners c;
  for (int i = 0; i < 8; ++i)
    c[i] = TransformPoint(Vector{i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z},
                          world);
  return c;
}

// How deep two boxes (parallelepipeds) reach into each other: the least
// overlap of their projections over the separating axes (three edge
// directions of each and their nine cross products); 0 or less when some
// axis separates them.
float Penetration(const Corners& a, const Corners& b) {
  std::vector<Vector> axes;
  const Vector ea[3] = {Minus(a[1], a[0]), Minus(a[2], a[0]), Minus(a[4], a[0])};
  const Vector eb[3] = {Minus(b[1], b[0]), Minus(b[2], b[0]), Minus(b[4], b[0])};
  for (int i = 0; i < 3; ++i) {
    axes.push_back(CrossOf(ea[(i + 1) % 3], ea[(i + 2) % 3]));
    axes.push_back(CrossOf(eb[(i + 1) % 3], eb[(i + 2) % 3]));
    for (int j = 0; j < 3; ++j) axes.push_back(CrossOf(ea[i], eb[j]));
  }
  float least = 1e30f;
  for (Vector axis : axes) {
    const float length = std::sqrt(DotOf(axis, axis));
    if (length < 1e-4f) continue;  // parallel edges: covered by the face axes
    axis = Vector{axis.x / length, axis.y / length, axis.z / length};
    float minA = 1e30f, maxA = -1e30f, minB = 1e30f, maxB = -1e30f;
    for (int i = 0; i < 8; ++i) {
      minA = std::min(minA, DotOf(a[i], axis));
      maxA = std::max(maxA, DotOf(a[i], axis));
      minB = std::min(minB, DotOf(b[i], axis));
      maxB = std::max(maxB, DotOf(b[i], axis));
    }
    least = std::min(least, std::min(maxA, maxB) - std::max(minA, minB));
  }
  return least;
}

TEST(Penetration, MeasuresHowFarBoxesReachIntoEachOther) {
  auto box = [](Vector lo, Vector hi) {
    Corners c;
    for (int i = 0; i < 8; ++i)
      c[i] = Vector{i & 1 ? hi.x : lo.x, i & 2 ? hi.y : lo.y, i & 4 ? hi.z : lo.z};
    return c;
  };
  const Corners unit = box({0, 0, 0}, {2, 2, 2});
  EXPECT_NEAR(Penetration(unit, box({1.5f, 0, 0}, {3.5f, 2, 2})), 0.5f, 1e-5f);
  EXPECT_NEAR(Penetration(unit, box({2, 0, 0}, {4, 2, 2})), 0.0f, 1e-5f);
  EXPECT_LT(Penetration(unit, box({2.5f, 2.5f, 0}, {4, 4, 2})), 0.0f);
  // A box turned 45 degrees about z whose corner points at the other: its
  // bounding boxes overlap, but the diagonal axis separates them.
  const float h = std::sqrt(2.0f);
  Corners turned;
  for (int i = 0; i < 8; ++i) {
    const float x = i & 1 ? 1.0f : -1.0f, y = i & 2 ? 1.0f : -1.0f;
    turned[i] = Vector{3.1f + (x - y) / h, 3.1f + (x + y) / h, i & 4 ? 2.0f : 0.0f};
  }
  EXPECT_LT(Penetration(unit, turned), 0.0f);
  for (Vector& p : turned) p = Vector{p.x - 1.5f, p.y, p.z};
  EXPECT_GT(Penetration(unit, turned), 0.1f);
}

const SceneSlot& SlotNamed(const std::string& name) {
  const auto& slots = SceneSlots();
  const auto slot =
      std::find_if(slots.begin(), slots.end(), [&](const SceneSlot& s) { return s.name == name; });
  EXPECT_NE(slot, slots.end()) << name;
  return slot != slots.end() ? *slot : slots.front();
}

// Every pair of crates of box inside the hall, at 60 frames a second over
// its longest slot: touching is fine, reaching more than a hundredth of a
// crate into another is not. Crates waiting above the roof to drop in are
// out of sight (the engine's y is the file's height).
constexpr float HallRoof = 240;
constexpr float AllowedDepth = 0.2f;

bool AboveTheRoof(const Corners& c) {
  return std::all_of(c.begin(), c.end(), [](Vector p) { return p.y >= HallRoof; });
}

TEST(BoxScene, CratesNeverPassThroughEachOther) {
  VX_REQUIRE_SHOW_LIBRARY();
  const SceneSlot* slot = &SlotNamed("box");
  LoadedScene loaded("box");
  Scene* scene = loaded.scene();
  ASSERT_NE(scene, nullptr);
  std::vector<int> crates;
  for (int i = 0; i < scene->mesh->objectCount; ++i)
    if (IsBoxCrate(std::string(scene->mesh->objects[i]->name.View()))) crates.push_back(i);
  ASSERT_GE(crates.size(), 20u);
  int reported = 0;
  for (double t = 0; t <= slot->slotTicks && reported < 10; t += 2.0) {
    const float frame = static_cast<float>(t * slot->frameFactor);
    SetFrame(scene, frame, false);
    ComposeHierarchy(scene);
    std::vector<Corners> corners;
    for (int i : crates)
      corners.push_back(
          WorldCorners(*scene->mesh->objects[i], *scene->transformed->objects[i]->world));
    for (std::size_t i = 0; i < crates.size(); ++i)
      for (std::size_t j = i + 1; j < crates.size(); ++j) {
        if (AboveTheRoof(corners[i]) || AboveTheRoof(corners[j])) continue;
        const float depth = Penetration(corners[i], corners[j]);
        if (depth <= AllowedDepth) continue;
        ADD_FAILURE() << scene->mesh->objects[crates[i]]->name.View() << " and "
                      << scene->mesh->objects[crates[j]]->name.View() << " overlap by " << depth
                      << " at frame " << frame;
        ++reported;
      }
  }
}

int ObjectNamed(const Scene& scene, const std::string& name) {
  for (int i = 0; i < scene.mesh->objectCount; ++i)
    if (scene.mesh->objects[i]->name.View() == name) return i;
  ADD_FAILURE() << "no object " << name;
  return 0;
}

// Points spread over every face of an object, in world space: its vertices,
// and a grid across each triangle, so that a long face that passes through
// something between its corners is caught too.
std::vector<Vector> SurfacePoints(const Scene& scene, int object) {
  const MeshObject& mesh = *scene.mesh->objects[object];
  const Matrix& world = *scene.transformed->objects[object]->world;
  std::vector<Vector> points;
  constexpr int Steps = 4;
  for (int f = 0; f < mesh.faceCount; ++f) {
    const MeshVertex& a = mesh.vertices[mesh.faces[f].a];
    const MeshVertex& b = mesh.vertices[mesh.faces[f].b];
    const MeshVertex& c = mesh.vertices[mesh.faces[f].c];
    for (int i = 0; i <= Steps; ++i)
      for (int j = 0; i + j <= Steps; ++j) {
        const float u = static_cast<float>(i) / Steps, v = static_cast<float>(j) / Steps;
        const float w = 1 - u - v;
        points.push_back(
            TransformPoint(Vector{w * a.x + u * b.x + v * c.x, w * a.y + u * b.y + v * c.y,
                                  w * a.z + u * b.z + v * c.z},
                           world));
      }
  }
  return points;
}

float DistanceOf(Vector a, Vector b) {
  const Vector d = Minus(a, b);
  return std::sqrt(DotOf(d, d));
}

// evil's gold vein winds around the spiked heart at its equator: at 60
// frames a second over the slot, it stays beyond the reach of the spikes
// (which turn with the core and swell with its beat), and no part of a
// tentacle enters the ring the vein sweeps as it turns (its span out from
// the heart and its height about the equator; the engine's y is the
// file's height) or reaches down into the ground.
TEST(EvilScene, TheTentaclesAndSpikesClearTheVeinAndTheGround) {
  VX_REQUIRE_SHOW_LIBRARY();
  const SceneSlot& slot = SlotNamed("evil");
  LoadedScene loaded("evil");
  Scene* scene = loaded.scene();
  ASSERT_NE(scene, nullptr);
  const int core = ObjectNamed(*scene, "Core"), vein = ObjectNamed(*scene, "Vein");
  const int ground = ObjectNamed(*scene, "Ground");
  std::vector<int> arms;
  for (int i = 0; i < scene->mesh->objectCount; ++i)
    if (scene->mesh->objects[i]->name.View().rfind("Arm", 0) == 0) arms.push_back(i);
  ASSERT_EQ(arms.size(), 24u);
  int reported = 0;
  for (double t = 0; t <= slot.slotTicks && reported < 10; t += 2.0) {
    const float frame = static_cast<float>(t * slot.frameFactor);
    SetFrame(scene, frame, false);
    ComposeHierarchy(scene);
    const Vector centre =
        TransformPoint(Vector{0, 0, 0}, *scene->transformed->objects[core]->world);
    float groundTop = -1e30f;
    for (Vector p : SurfacePoints(*scene, ground)) groundTop = std::max(groundTop, p.y);
    float spikes = 0, veinNearest = 1e30f, veinInner = 1e30f, veinOuter = 0, veinHeight = 0;
    for (Vector p : SurfacePoints(*scene, core)) spikes = std::max(spikes, DistanceOf(p, centre));
    for (Vector p : SurfacePoints(*scene, vein)) {
      const Vector d = Minus(p, centre);
      const float across = std::hypot(d.x, d.z);
      veinNearest = std::min(veinNearest, DistanceOf(p, centre));
      veinInner = std::min(veinInner, across);
      veinOuter = std::max(veinOuter, across);
      veinHeight = std::max(veinHeight, std::abs(d.y));
    }
    if (spikes >= veinNearest) {
      ADD_FAILURE() << "the spikes reach " << spikes << ", the vein comes within " << veinNearest
                    << " at frame " << frame;
      ++reported;
    }
    for (int arm : arms)
      for (Vector p : SurfacePoints(*scene, arm)) {
        if (p.y <= groundTop) {
          ADD_FAILURE() << scene->mesh->objects[arm]->name.View() << " reaches into the ground at "
                        << p.y << " (its top " << groundTop << ") at frame " << frame;
          ++reported;
          break;
        }
        const Vector d = Minus(p, centre);
        const float across = std::hypot(d.x, d.z);
        if (across < veinInner || across > veinOuter || std::abs(d.y) > veinHeight) continue;
        ADD_FAILURE() << scene->mesh->objects[arm]->name.View() << " enters the vein's ring ("
                      << across << " out, " << d.y << " up) at frame " << frame;
        ++reported;
        break;
      }
  }
}

// The strong radial blur of effekt smears whatever lies at the middle of
// the picture into rays over much of the frame: the 3D image there must not
// flash for one frame. The mean brightness of the middle 40 x 40 pixels,
// drawn as the slot draws them (affine), every 1/300 s (so that the show's
// own 60 frames a second are among them wherever the slot begins), never
// jumps above both its neighbours by more than a tenth of the full range.
TEST(EffektScene, TheMiddleOfThePictureNeverFlashesForOneFrame) {
  VX_REQUIRE_SHOW_LIBRARY();
  const SceneSlot* slot = &SlotNamed("effekt");
  LoadedScene loaded("effekt");
  Scene* scene = loaded.scene();
  ASSERT_NE(scene, nullptr);
  std::vector<std::uint32_t> image(ScreenPixels);
  const RasterTarget target{image.data(), scene->depthBuffer, ClassicFrame, AllRows(ClassicFrame)};
  std::vector<double> middle;
  const char* preview = std::getenv("VX_CONTENT_PREVIEW");  // a folder for the frames' PNGs
  constexpr double Step = 0.4;                              // ticks
  for (double t = 0; t <= slot->slotTicks; t += Step) {
    std::fill(image.begin(), image.end(), 0u);
    RunFramePipeline(scene, static_cast<float>(t * slot->frameFactor), 0, 0.5f, 100000.0f,
                     ClassicFrame);
    ClearDepthBuffer(target);
    DrawScenePolygons(scene->screen, target, FillPolygonAffine);
    double sum = 0;
    for (int y = 80; y < 120; ++y)
      for (int x = 140; x < 180; ++x) {
        const std::uint32_t p = image[static_cast<std::size_t>(y) * ScreenWidth + x];
        sum += ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255);
      }
    middle.push_back(sum / (3 * 40 * 40));
    if (preview && t < 12) {
      const std::string path =
          std::string(preview) + "/effekt_" + std::to_string(middle.size()) + ".png";
      WritePng(path.c_str(), image.data(), ScreenWidth, ScreenHeight);
    }
  }
  for (std::size_t i = 1; i + 1 < middle.size(); ++i)
    EXPECT_LT(middle[i] - std::max(middle[i - 1], middle[i + 1]), 25.5)
        << "at local tick " << Step * i << ": " << middle[i - 1] << ", " << middle[i] << ", "
        << middle[i + 1];
}

}  // namespace
}  // namespace vx::test
