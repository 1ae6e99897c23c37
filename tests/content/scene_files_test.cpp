// The stored scene files as the loader reads them: a camera with both
// tracks and animated FOV and roll, enough textured geometry, a hierarchy
// with dummy nodes, keys that use tension, continuity and bias, unique
// names, and a frame range that covers the slots the scene plays in.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "datalib/datalib.h"
#include "loader3ds/loader3ds.h"
#include "show_content.h"
#include "support/testlib.h"

namespace vx::test {
namespace {

// An 8.3 name in capitals: one to eight of A-Z and 0-9, a dot, three of A-Z.
bool IsShortTextureName(const std::string& name) {
  const auto dot = name.find('.');
  if (dot == std::string::npos || dot < 1 || dot > 8 || name.size() != dot + 4) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    const bool letter = c >= 'A' && c <= 'Z';
    const bool digit = c >= '0' && c <= '9';
    if (i < dot ? !(letter || digit) : i > dot && !letter) return false;
  }
  return true;
}

class SceneFile : public ::testing::TestWithParam<SceneSlot> {
 protected:
  void SetUp() override {
    VX_REQUIRE_SHOW_LIBRARY();
    const std::string name = "DATA\\" + GetParam().name + ".3ds";
    const std::int32_t size = LibraryFileSize(name);
    ASSERT_GT(size, 0) << name;
    bytes_.resize(static_cast<std::size_t>(size));
    ASSERT_TRUE(ReadLibraryFile(name, bytes_.data()));
    ASSERT_TRUE(Load3DSMemory(mesh_, bytes_.data(), bytes_.size()))
        << LoadErrorText(TakeLoadError());
  }
  void TearDown() override {
    if (mesh_) {
      EXPECT_TRUE(Free3DSData(mesh_));
    }
  }
  const Track& TrackAt(std::uint16_t index) const { return *mesh_->tracks[index]; }

  Bytes bytes_;
  Mesh3D* mesh_ = nullptr;
};

TEST_P(SceneFile, CameraZeroHasMovingPositionAndTargetWithFovAndRollKeys) {
  ASSERT_GE(mesh_->cameraCount, 1);
  const SceneCamera& camera = *mesh_->cameras[0];
  ASSERT_NE(camera.positionTrack, NoTrack);
  ASSERT_NE(camera.targetTrack, NoTrack);
  const Track& position = TrackAt(camera.positionTrack);
  const Track& target = TrackAt(camera.targetTrack);
  EXPECT_EQ(position.kind, TrackCamera);
  EXPECT_EQ(target.kind, TrackCameraTarget);
  EXPECT_GE(position.position.count, 3);
  EXPECT_GE(target.position.count, 2);
  EXPECT_GE(position.fov.count, 2);
  EXPECT_GE(position.roll.count, 2);
  for (int k = 0; k < position.fov.count; ++k) {
    EXPECT_GT(position.fov.keys[k].value, 20.0f);
    EXPECT_LT(position.fov.keys[k].value, 100.0f);
  }
}

TEST_P(SceneFile, HoldsSeveralTexturedMeshesInAFewThousandFaces) {
  EXPECT_GE(mesh_->objectCount, 4);
  long faces = 0;
  for (int i = 0; i < mesh_->objectCount; ++i) {
    const MeshObject& o = *mesh_->objects[i];
    faces += o.faceCount;
    bool mapped = false;
    for (int v = 0; v < o.vertexCount; ++v)
      mapped = mapped || o.vertices[v].u != 0 || o.vertices[v].v != 0;
    EXPECT_TRUE(mapped) << o.name.View() << " has no mapping";
    for (int f = 0; f < o.faceCount; ++f)
      ASSERT_TRUE(o.faces[f].a < o.vertexCount && o.faces[f].b < o.vertexCount &&
                  o.faces[f].c < o.vertexCount);
  }
  EXPECT_GE(faces, 300);
  // kinyit's smooth gold orb and ring take about 7,000; far below what a
  // frame's budget of fills allows, but a scene grows only for a reason.
  EXPECT_LE(faces, 8000);
  // At least two materials, each with an 8.3 texture name in capitals.
  ASSERT_GE(mesh_->materialCount, 2);
  std::set<std::string> textures;
  for (int m = 0; m < mesh_->materialCount; ++m) {
    const std::string file(mesh_->materials[m]->textureFile.View());
    EXPECT_TRUE(IsShortTextureName(file)) << file;
    textures.insert(file);
  }
  EXPECT_GE(textures.size(), 2u);
}

TEST_P(SceneFile, NamesAreUniqueAndEveryObjectHasItsTrack) {
  std::map<std::string, int> objectNames, trackNames;
  for (int i = 0; i < mesh_->objectCount; ++i)
    ++objectNames[std::string(mesh_->objects[i]->name.View())];
  for (int i = 0; i < mesh_->trackCount; ++i)
    ++trackNames[std::string(mesh_->tracks[i]->name.View())];
  const std::string cameraName(mesh_->cameras[0]->name.View());
  for (const auto& [name, count] : objectNames) EXPECT_EQ(count, 1) << name;
  for (const auto& [name, count] : trackNames) EXPECT_EQ(count, name == cameraName ? 2 : 1) << name;
  EXPECT_EQ(objectNames.count(cameraName), 0u);
  for (int i = 0; i < mesh_->objectCount; ++i) {
    const MeshObject& o = *mesh_->objects[i];
    EXPECT_EQ(TrackAt(o.trackIndex).name.View(), o.name.View());
    const Track& t = TrackAt(o.trackIndex);
    // The engine evaluates all three lists of an object track.
    EXPECT_GE(t.position.count, 1);
    EXPECT_GE(t.rotation.count, 1);
    EXPECT_GE(t.scale.count, 1);
  }
}

TEST_P(SceneFile, HierarchyHasDummyParentsAndParentsComeFirst) {
  std::set<std::string> objectNames;
  for (int i = 0; i < mesh_->objectCount; ++i)
    objectNames.insert(std::string(mesh_->objects[i]->name.View()));
  int children = 0, dummyParents = 0;
  for (int i = 0; i < mesh_->trackCount; ++i) {
    const Track& t = TrackAt(i);
    if (t.parent == NoTrack) continue;
    ++children;
    ASSERT_LT(t.parent, i) << "a parent must precede its children";
    const Track& parent = TrackAt(t.parent);
    EXPECT_EQ(parent.kind, TrackObject);
    if (objectNames.count(std::string(parent.name.View())) == 0) ++dummyParents;
  }
  EXPECT_GE(children, 3);
  EXPECT_GE(dummyParents, 1);
}

TEST_P(SceneFile, KeysUseTensionContinuityAndBiasAndTurnWithoutScaling) {
  std::uint16_t flags = 0;
  int rotationKeys = 0, movingTracks = 0;
  auto collect = [&flags](const auto& list) {
    for (int k = 0; k < list.count; ++k)
      flags = static_cast<std::uint16_t>(flags | list.keys[k].spline.flags);
  };
  for (int i = 0; i < mesh_->trackCount; ++i) {
    const Track& t = TrackAt(i);
    collect(t.position);
    collect(t.rotation);
    collect(t.scale);
    collect(t.fov);
    collect(t.roll);
    movingTracks += t.position.count > 1 || t.rotation.count > 1 || t.scale.count > 1 ? 1 : 0;
    for (int k = 0; k < t.rotation.count; ++k) {
      ++rotationKeys;
      // The engine builds quaternions from the axis as stored: a longer
      // axis would scale the node at every key.
      const Vector a = t.rotation.keys[k].axis;
      EXPECT_NEAR(std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z), 1.0, 1e-5)
          << t.name.View() << " key " << k;
      // Steps below half a turn, so the accumulated quaternions never
      // take the long way round between keys.
      EXPECT_LT(std::abs(t.rotation.keys[k].angle), 3.1416f * 0.95f)
          << t.name.View() << " key " << k;
    }
  }
  EXPECT_NE(flags & 1, 0) << "no key uses tension";
  EXPECT_NE(flags & 2, 0) << "no key uses continuity";
  EXPECT_NE(flags & 4, 0) << "no key uses bias";
  EXPECT_GE(rotationKeys, 10);
  EXPECT_GE(movingTracks, 4);
}

TEST_P(SceneFile, FrameRangeCoversEverySlotTheScenePlays) {
  const SceneSlot& slot = GetParam();
  EXPECT_EQ(mesh_->startFrame, 0);
  if (slot.slotTicks > 0) {
    // The deepest frame a slot reaches must not wrap back to the start.
    EXPECT_GE(mesh_->frameCount, slot.slotTicks * slot.frameFactor) << slot.name;
  } else {
    EXPECT_GE(mesh_->frameCount, 60);
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, SceneFile, ::testing::ValuesIn(SceneSlots()),
                         [](const ::testing::TestParamInfo<SceneSlot>& info) {
                           return info.param.name;
                         });

// labda plays endlessly: its last frame must repeat its first.
TEST(LoopingScene, LabdaEndsWhereItStarts) {
  VX_REQUIRE_SHOW_LIBRARY();
  LoadedScene loaded("labda");
  ASSERT_NE(loaded.scene(), nullptr);
  std::vector<std::uint32_t> first, last, middle;
  const float end = loaded.scene()->mesh->frameCount;
  loaded.Render(0.0f, first);
  loaded.Render(end, last);
  loaded.Render(end / 2, middle);
  int different = 0, moved = 0;
  for (std::size_t i = 0; i < first.size(); ++i) {
    different += first[i] != last[i] ? 1 : 0;
    moved += first[i] != middle[i] ? 1 : 0;
  }
  EXPECT_LT(different, 64) << "the loop jumps at its seam";
  EXPECT_GT(moved, 3200) << "the loop does not move";
}

}  // namespace
}  // namespace vx::test
