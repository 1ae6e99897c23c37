// Cross-check with an independent reader: files made by our writer are read
// by both our loader and assimp, and what both must agree on is compared.
// assimp splits every object into one mesh per material and writes three
// vertices per face, so faces are compared as sets of triangles (their three
// corner positions) per material; it keeps the file's z-up axes in the raw
// meshes and cameras, so our (x, z, y) is turned back before comparing.
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <assimp/Importer.hpp>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "loaded.h"
#include "write3ds.h"

namespace vx {
namespace {

using test::Loaded;
using Triangle = std::array<float, 9>;
using TrianglesByMaterial = std::map<std::string, std::vector<Triangle>>;

// A ring of n quads between two circles, faces cycling through materials.
Object3ds Ring(const std::string& name, int n, float radius, float height,
               const std::vector<std::string>& materials) {
  Object3ds o;
  o.name = name;
  for (int i = 0; i < n; ++i) {
    const float a = 6.2831853f * static_cast<float>(i) / static_cast<float>(n);
    o.vertices.push_back({radius * std::cos(a), radius * std::sin(a), 0.25f});
    o.vertices.push_back({radius * 0.5f * std::cos(a), radius * 0.5f * std::sin(a), height});
    o.mapping.push_back({static_cast<float>(i) / n, 0.0f});
    o.mapping.push_back({static_cast<float>(i) / n, 1.0f});
  }
  for (int i = 0; i < n; ++i) {
    const auto lo = static_cast<std::uint16_t>(2 * i), hi = static_cast<std::uint16_t>(2 * i + 1);
    const auto lo2 = static_cast<std::uint16_t>(2 * ((i + 1) % n));
    const auto hi2 = static_cast<std::uint16_t>(lo2 + 1);
    o.faces.push_back({lo, lo2, hi, 0x0003, materials[(2 * i) % materials.size()]});
    o.faces.push_back({hi, lo2, hi2, 0x0006, materials[(2 * i + 1) % materials.size()]});
  }
  return o;
}

Scene3ds CrossCheckScene() {
  Scene3ds s;
  s.materials = {{"Brass", {180, 140, 40}, false, "brass.png", 100},
                 {"Glass", {20, 40, 60}, false, "glass.png", 70},
                 {"Paint", {200, 10, 10}, false, "", 100}};
  s.objects = {Ring("Crown", 9, 3.5f, 1.75f, {"Brass", "Glass", "Paint"}),
               Ring("Base", 5, 6.0f, -0.5f, {"Paint"})};
  s.cameras = {{"Eye", {-12.5f, 3.25f, 7.0f}, {0.5f, 0.0f, 1.0f}, 0.0f, 43.0f},
               {"Top", {0.0f, 0.0f, 30.0f}, {0.0f, 1.0f, 0.0f}, 0.0f, 28.0f}};
  s.lights = {{"Sun", {10, 20, 30}}};
  s.startFrame = 0;
  s.endFrame = 90;
  int id = 0;
  for (const char* name : {"Crown", "Base"}) {
    Track3ds t;
    t.node = Node3ds::Object;
    t.nodeId = id++;
    t.name = name;
    t.position = {{0, {0, 0, 0}, {}}, {45, {1.5f, -2.0f, 0.5f}, {}}, {90, {3, 0, -1}, {}}};
    t.rotation = {{0, 0.0f, {0, 0, 1}, {}}, {90, 1.0f, {0, 0, 1}, {}}};
    t.scale = {{0, {1, 1, 1}, {}}};
    s.tracks.push_back(t);
  }
  for (const Camera3ds& c : s.cameras) {
    Track3ds p;
    p.node = Node3ds::Camera;
    p.nodeId = id++;
    p.name = c.name;
    p.position = {{0, c.position, {}}};
    p.fov = {{0, 50, {}}};
    p.roll = {{0, 0, {}}};
    Track3ds t;
    t.node = Node3ds::CameraTarget;
    t.nodeId = id++;
    t.name = c.name;
    t.position = {{0, c.target, {}}};
    s.tracks.push_back(p);
    s.tracks.push_back(t);
  }
  Track3ds sun;
  sun.node = Node3ds::Light;
  sun.nodeId = id++;
  sun.name = "Sun";
  sun.position = {{0, {10, 20, 30}, {}}};
  s.tracks.push_back(sun);
  return s;
}

void Sort(TrianglesByMaterial& t) {
  for (auto& [name, list] : t) std::sort(list.begin(), list.end());
}

TrianglesByMaterial OurTriangles(const Mesh3D& mesh) {
  TrianglesByMaterial out;
  for (int o = 0; o < mesh.objectCount; ++o) {
    const MeshObject& obj = *mesh.objects[o];
    for (int f = 0; f < obj.faceCount; ++f) {
      const MeshFace& face = obj.faces[f];
      Triangle t;
      int k = 0;
      for (std::uint16_t v : {face.a, face.b, face.c}) {
        const MeshVertex& p = obj.vertices[v];
        t[k++] = p.x;
        t[k++] = p.z;  // back to the file's axes
        t[k++] = p.y;
      }
      out[std::string(mesh.materials[face.materialIndex]->name.View())].push_back(t);
    }
  }
  Sort(out);
  return out;
}

TrianglesByMaterial AssimpTriangles(const aiScene& scene) {
  TrianglesByMaterial out;
  for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
    const aiMesh& mesh = *scene.mMeshes[m];
    aiString name;
    scene.mMaterials[mesh.mMaterialIndex]->Get(AI_MATKEY_NAME, name);
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
      const aiFace& face = mesh.mFaces[f];
      EXPECT_EQ(face.mNumIndices, 3u);
      Triangle t;
      for (unsigned k = 0; k < 3; ++k) {
        const aiVector3D& p = mesh.mVertices[face.mIndices[k]];
        t[3 * k] = p.x;
        t[3 * k + 1] = p.y;
        t[3 * k + 2] = p.z;
      }
      out[name.C_Str()].push_back(t);
    }
  }
  Sort(out);
  return out;
}

class AssimpCrossCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = Write3ds(CrossCheckScene());
    scene_ = importer_.ReadFileFromMemory(bytes_.data(), bytes_.size(),
                                          aiProcess_ValidateDataStructure, "3ds");
    ASSERT_NE(scene_, nullptr) << importer_.GetErrorString();
  }

  std::vector<std::uint8_t> bytes_;
  Assimp::Importer importer_;
  const aiScene* scene_ = nullptr;
};

TEST_F(AssimpCrossCheck, FacesAndTheirCornerPositionsAgreePerMaterial) {
  Loaded ours(bytes_);
  ASSERT_TRUE(ours.ok) << ours.detail;
  const TrianglesByMaterial mine = OurTriangles(*ours.mesh);
  const TrianglesByMaterial theirs = AssimpTriangles(*scene_);
  std::size_t total = 0;
  for (const auto& [name, list] : mine) total += list.size();
  EXPECT_EQ(total, 9u * 2 + 5u * 2);
  ASSERT_EQ(mine.size(), theirs.size());
  for (const auto& [name, list] : mine) {
    ASSERT_TRUE(theirs.count(name)) << name;
    EXPECT_EQ(list, theirs.at(name)) << name;
  }
}

TEST_F(AssimpCrossCheck, MappingCoordinatesAgreePerCorner) {
  Loaded ours(bytes_);
  ASSERT_TRUE(ours.ok) << ours.detail;
  // Every (position, u, v) corner that assimp reports exists in our object.
  std::vector<std::array<float, 5>> mine;
  for (int o = 0; o < ours.mesh->objectCount; ++o) {
    const MeshObject& obj = *ours.mesh->objects[o];
    for (int v = 0; v < obj.vertexCount; ++v) {
      const MeshVertex& p = obj.vertices[v];
      mine.push_back({p.x, p.z, p.y, p.u, p.v});
    }
  }
  std::sort(mine.begin(), mine.end());
  int corners = 0;
  for (unsigned m = 0; m < scene_->mNumMeshes; ++m) {
    const aiMesh& mesh = *scene_->mMeshes[m];
    ASSERT_TRUE(mesh.HasTextureCoords(0));
    for (unsigned v = 0; v < mesh.mNumVertices; ++v, ++corners) {
      const aiVector3D& p = mesh.mVertices[v];
      const aiVector3D& uv = mesh.mTextureCoords[0][v];
      const std::array<float, 5> corner{p.x, p.y, p.z, uv.x, uv.y};
      EXPECT_TRUE(std::binary_search(mine.begin(), mine.end(), corner))
          << p.x << " " << p.y << " " << p.z << " uv " << uv.x << " " << uv.y;
    }
  }
  EXPECT_EQ(corners, 3 * 28);
}

TEST_F(AssimpCrossCheck, CamerasAgreeOnNamePositionAndLineOfSight) {
  Loaded ours(bytes_);
  ASSERT_TRUE(ours.ok) << ours.detail;
  ASSERT_EQ(scene_->mNumCameras, ours.mesh->cameraCount);
  for (unsigned i = 0; i < scene_->mNumCameras; ++i) {
    const aiCamera& theirs = *scene_->mCameras[i];
    const SceneCamera& mine = *ours.mesh->cameras[i];
    EXPECT_EQ(std::string(theirs.mName.C_Str()), mine.name.View());
    EXPECT_FLOAT_EQ(theirs.mPosition.x, mine.position.x);
    EXPECT_FLOAT_EQ(theirs.mPosition.y, mine.position.z);
    EXPECT_FLOAT_EQ(theirs.mPosition.z, mine.position.y);
    Vector sight = mine.target - mine.position;
    VecNormalize(sight);
    aiVector3D look = theirs.mLookAt;
    look.Normalize();
    EXPECT_NEAR(look.x, sight.x, 1e-6f);
    EXPECT_NEAR(look.y, sight.z, 1e-6f);
    EXPECT_NEAR(look.z, sight.y, 1e-6f);
    EXPECT_NE(mine.positionTrack, NoTrack);
    EXPECT_NE(mine.targetTrack, NoTrack);
  }
}

TEST_F(AssimpCrossCheck, MaterialsAndLightsAgree) {
  Loaded ours(bytes_);
  ASSERT_TRUE(ours.ok) << ours.detail;
  ASSERT_EQ(scene_->mNumMaterials, ours.mesh->materialCount);
  for (unsigned i = 0; i < scene_->mNumMaterials; ++i) {
    aiString name, texture;
    scene_->mMaterials[i]->Get(AI_MATKEY_NAME, name);
    scene_->mMaterials[i]->GetTexture(aiTextureType_DIFFUSE, 0, &texture);
    EXPECT_EQ(std::string(name.C_Str()), ours.mesh->materials[i]->name.View());
    EXPECT_EQ(std::string(texture.C_Str()), ours.mesh->materials[i]->textureFile.View());
  }
  ASSERT_EQ(scene_->mNumLights, ours.mesh->lightCount);
  EXPECT_EQ(std::string(scene_->mLights[0]->mName.C_Str()), ours.mesh->lights[0]->name.View());
}

TEST_F(AssimpCrossCheck, ObjectPositionKeysAgree) {
  Loaded ours(bytes_);
  ASSERT_TRUE(ours.ok) << ours.detail;
  ASSERT_GE(scene_->mNumAnimations, 1u);
  const aiAnimation& anim = *scene_->mAnimations[0];
  int matched = 0;
  for (unsigned c = 0; c < anim.mNumChannels; ++c) {
    const aiNodeAnim& channel = *anim.mChannels[c];
    for (int t = 0; t < ours.mesh->trackCount; ++t) {
      const Track& track = *ours.mesh->tracks[t];
      if (track.kind != TrackObject || track.name.View() != channel.mNodeName.C_Str()) continue;
      ++matched;
      ASSERT_EQ(channel.mNumPositionKeys, track.position.count);
      for (unsigned k = 0; k < channel.mNumPositionKeys; ++k) {
        const aiVectorKey& key = channel.mPositionKeys[k];
        EXPECT_EQ(key.mTime, track.position.keys[k].frame);
        EXPECT_FLOAT_EQ(key.mValue.x, track.position.keys[k].value.x);
        EXPECT_FLOAT_EQ(key.mValue.y, track.position.keys[k].value.z);
        EXPECT_FLOAT_EQ(key.mValue.z, track.position.keys[k].value.y);
      }
    }
  }
  EXPECT_EQ(matched, 2);
}

}  // namespace
}  // namespace vx
