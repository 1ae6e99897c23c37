// Baked light as it reaches the screen: in the middle frame of every 3D
// slot, each prominent object (not the room or sky around the camera, not
// a flat floor) shows at least three clearly different shades across its
// visible faces. Pixels are grouped by object and material (every shade of
// a material is a material of its own) with a render in flat identifying
// colours; each group's mean luminance in the real render is its shade.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "show_content.h"

namespace vx::test {
namespace {

constexpr int ProminentPixels = ScreenPixels * 3 / 100;  // 3% of the screen
constexpr int ShadeShare = 4;                            // % of an object's pixels
constexpr double ClearlyBrighter = 1.12;                 // ratio of mean luminances
constexpr int RequiredShades = 3;

double Luma(std::uint32_t p) {
  return (((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255)) / 3.0;
}

// An object whose face normals all lie within 10 degrees of each other.
bool Planar(const MeshObject& object) {
  for (int f = 1; f < object.faceCount; ++f) {
    const Vector& a = object.faceNormals[0];
    const Vector& b = object.faceNormals[f];
    const float dot = a.x * b.x + a.y * b.y + a.z * b.z;
    const float la = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    const float lb = std::sqrt(b.x * b.x + b.y * b.y + b.z * b.z);
    if (dot < 0.985f * la * lb) return false;
  }
  return true;
}

// An object whose camera-space bounding box holds the camera: a room or a dome.
bool AroundCamera(const TransformedObject& object) {
  Vector lo = object.corners[0], hi = object.corners[0];
  for (const Vector& c : object.corners) {
    lo = Vector{std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
    hi = Vector{std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
  }
  return lo.x <= 0 && hi.x >= 0 && lo.y <= 0 && hi.y >= 0 && lo.z <= 0 && hi.z >= 0;
}

struct ObjectShades {
  std::string name;
  int pixels = 0;
  std::vector<double> shades;  // mean luminance of each large enough group, ascending
};

// A shine-mapped object has one material and carries its light in u
// (ShineMapping): its faces are grouped by the band of u they lie in.
constexpr int ShineBands = 8;
bool OneMaterial(const MeshObject& mesh) {
  for (int f = 1; f < mesh.faceCount; ++f)
    if (mesh.faces[f].materialIndex != mesh.faces[0].materialIndex) return false;
  return true;
}
int ShineBand(const MeshObject& mesh, const MeshFace& face) {
  const float u = (mesh.vertices[face.a].u + mesh.vertices[face.b].u + mesh.vertices[face.c].u) / 3;
  return std::clamp(static_cast<int>(u * ShineBands), 0, ShineBands - 1);
}

// Shades of the prominent objects of the scene at this frame.
std::vector<ObjectShades> ProminentObjectShades(LoadedScene& loaded, float frame) {
  // Group id + 1 as the flat colour of every polygon of (object, material,
  // band of u for a shine-mapped object).
  std::map<std::tuple<int, int, int>, int> groupOf;
  std::vector<std::pair<int, int>> groups;  // object, material
  std::vector<std::vector<std::uint32_t>> flat;
  std::vector<std::uint32_t> ids, image;
  loaded.Render(frame, ids, [&](Scene& scene) {
    for (int k = 0; k < scene.transformed->objectCount; ++k) {
      TransformedObject& object = *scene.transformed->objects[k];
      const MeshObject& mesh = *scene.mesh->objects[k];
      const bool shiny = OneMaterial(mesh) && !Planar(mesh);
      for (std::uint32_t p = 0; p < object.polygonCount; ++p) {
        const MeshFace& face = mesh.faces[p];
        const std::tuple<int, int, int> key{k, face.materialIndex,
                                            shiny ? ShineBand(mesh, face) : 0};
        auto [it, added] = groupOf.try_emplace(key, static_cast<int>(groups.size()));
        if (added) {
          groups.emplace_back(k, face.materialIndex);
          flat.emplace_back(256 * 256, static_cast<std::uint32_t>(it->second + 1));
        }
        object.polygons[p].texture = flat[it->second].data();
      }
    }
  });
  loaded.Render(frame, image);
  Scene& scene = *loaded.scene();
  std::vector<double> sum(groups.size(), 0.0);
  std::vector<int> count(groups.size(), 0);
  for (std::uint32_t i = 0; i < ScreenPixels; ++i) {
    const std::uint32_t id = ids[i];
    if (id == 0 || id > groups.size()) continue;
    sum[id - 1] += Luma(image[i]);
    ++count[id - 1];
  }
  std::vector<ObjectShades> result;
  for (int k = 0; k < scene.transformed->objectCount; ++k) {
    if (Planar(*scene.mesh->objects[k]) || AroundCamera(*scene.transformed->objects[k])) continue;
    ObjectShades shades;
    shades.name = std::string(scene.mesh->objects[k]->name.View());
    for (std::size_t g = 0; g < groups.size(); ++g)
      if (groups[g].first == k) shades.pixels += count[g];
    if (shades.pixels < ProminentPixels) continue;
    for (std::size_t g = 0; g < groups.size(); ++g)
      if (groups[g].first == k && count[g] * 100 >= shades.pixels * ShadeShare)
        shades.shades.push_back(sum[g] / count[g]);
    std::sort(shades.shades.begin(), shades.shades.end());
    result.push_back(shades);
  }
  return result;
}

// Shades that differ from the last counted one by the ratio ClearlyBrighter.
int ClearlyDifferent(const std::vector<double>& ascending) {
  int n = 0;
  double last = -1;
  for (double s : ascending)
    if (last < 0 || s >= last * ClearlyBrighter + 1) {
      ++n;
      last = s;
    }
  return n;
}

TEST(ClearlyDifferentShades, CountsOnlySteps) {
  EXPECT_EQ(ClearlyDifferent({}), 0);
  EXPECT_EQ(ClearlyDifferent({100, 105, 110}), 1);
  EXPECT_EQ(ClearlyDifferent({40, 60, 61, 90}), 3);
}

class Shading : public ::testing::TestWithParam<SceneSlot> {
 protected:
  void SetUp() override { VX_REQUIRE_SHOW_LIBRARY(); }
};

TEST_P(Shading, ProminentObjectsShowThreeShadesInTheMiddleFrame) {
  const SceneSlot& slot = GetParam();
  LoadedScene loaded(slot.name);
  ASSERT_NE(loaded.scene(), nullptr);
  const auto frame = static_cast<float>(slot.slotTicks / 2 * slot.frameFactor);
  const std::vector<ObjectShades> objects = ProminentObjectShades(loaded, frame);
  for (const ObjectShades& o : objects) {
    const int shades = ClearlyDifferent(o.shades);
    std::printf("%s %s: %d px, %d shades\n", slot.name.c_str(), o.name.c_str(), o.pixels, shades);
    EXPECT_GE(shades, RequiredShades) << o.name << " covering " << o.pixels << " pixels";
  }
}

std::vector<SceneSlot> ShowSlots() {
  std::vector<SceneSlot> slots;
  for (const SceneSlot& s : SceneSlots())
    if (s.slotTicks > 0) slots.push_back(s);
  return slots;
}

INSTANTIATE_TEST_SUITE_P(Slots, Shading, ::testing::ValuesIn(ShowSlots()),
                         [](const ::testing::TestParamInfo<SceneSlot>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace vx::test
