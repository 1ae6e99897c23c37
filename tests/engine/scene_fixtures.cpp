#include "engine/scene_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace vx::test {
namespace {

SplineParams Spline(float tension, float continuity, float bias) {
  SplineParams s{};
  s.flags = (tension != 0 ? 1 : 0) | (continuity != 0 ? 2 : 0) | (bias != 0 ? 4 : 0);
  s.tension = tension;
  s.continuity = continuity;
  s.bias = bias;
  return s;
}

template <typename Key>
KeyList<Key> CopyKeys(const std::vector<Key>& keys) {
  KeyList<Key> list{};
  list.count = static_cast<std::uint16_t>(keys.size());
  if (!keys.empty()) {
    list.keys = new Key[keys.size()]();
    for (std::size_t i = 0; i < keys.size(); ++i) list.keys[i] = keys[i];
  }
  return list;
}

template <typename Record>
Record** Table(std::vector<Record*>& records) {
  if (records.empty()) return nullptr;
  auto** table = new Record*[records.size()];
  for (std::size_t i = 0; i < records.size(); ++i) table[i] = records[i];
  return table;
}

}  // namespace

VectorKey VKey(std::uint16_t frame, Vector value, float tension, float continuity, float bias) {
  VectorKey k{};
  k.frame = frame;
  k.value = value;
  k.spline = Spline(tension, continuity, bias);
  return k;
}

ScalarKey SKey(std::uint16_t frame, float value, float tension, float continuity, float bias) {
  ScalarKey k{};
  k.frame = frame;
  k.value = value;
  k.spline = Spline(tension, continuity, bias);
  return k;
}

RotationKey RKey(std::uint16_t frame, float angle, Vector axis, float tension, float continuity,
                 float bias) {
  RotationKey k{};
  k.frame = frame;
  k.angle = angle;
  k.axis = axis;
  k.spline = Spline(tension, continuity, bias);
  return k;
}

Track MakeTrack(std::uint8_t kind, std::vector<VectorKey>& position,
                std::vector<RotationKey>& rotation, std::vector<VectorKey>& scale,
                std::vector<ScalarKey>& fov, std::vector<ScalarKey>& roll) {
  Track t{};
  t.kind = kind;
  t.parent = NoTrack;
  t.position = {static_cast<std::uint16_t>(position.size()), position.data()};
  t.rotation = {static_cast<std::uint16_t>(rotation.size()), rotation.data()};
  t.scale = {static_cast<std::uint16_t>(scale.size()), scale.data()};
  t.fov = {static_cast<std::uint16_t>(fov.size()), fov.data()};
  t.roll = {static_cast<std::uint16_t>(roll.size()), roll.data()};
  return t;
}

Scene* MakeLoadedScene(const SceneDesc& desc) {
  auto* mesh = new Mesh3D();
  mesh->frameCount = desc.frameCount;
  mesh->endFrame = desc.frameCount;
  std::vector<MeshObject*> objects;
  for (const ObjectDesc& o : desc.objects) {
    auto* m = new MeshObject();
    m->name.Assign(o.name);
    m->vertexCount = static_cast<std::uint16_t>(o.vertices.size());
    if (!o.vertices.empty()) {
      m->vertices = new MeshVertex[o.vertices.size()]();
      for (std::size_t j = 0; j < o.vertices.size(); ++j) m->vertices[j] = o.vertices[j];
    }
    m->faceCount = static_cast<std::uint16_t>(o.faces.size());
    if (!o.faces.empty()) {
      m->faces = new MeshFace[o.faces.size()]();
      for (std::size_t k = 0; k < o.faces.size(); ++k) {
        m->faces[k].a = o.faces[k].a;
        m->faces[k].b = o.faces[k].b;
        m->faces[k].c = o.faces[k].c;
        m->faces[k].materialIndex = o.faces[k].material;
      }
    }
    for (int a = 0; a < 4; ++a) m->axes[a] = o.axes[a];
    m->trackIndex = o.trackIndex;
    objects.push_back(m);
  }
  std::vector<Track*> tracks;
  for (const TrackDesc& t : desc.tracks) {
    auto* r = new Track();
    r->kind = t.kind;
    r->name.Assign(t.name);
    r->parent = t.parent;
    r->pivot = t.pivot;
    r->position = CopyKeys(t.position);
    r->rotation = CopyKeys(t.rotation);
    r->scale = CopyKeys(t.scale);
    r->fov = CopyKeys(t.fov);
    r->roll = CopyKeys(t.roll);
    r->morph = CopyKeys(t.morph);
    tracks.push_back(r);
  }
  std::vector<SceneCamera*> cameras;
  for (const CameraDesc& c : desc.cameras) {
    auto* r = new SceneCamera();
    r->name.Assign(c.name);
    r->positionTrack = c.positionTrack;
    r->targetTrack = c.targetTrack;
    cameras.push_back(r);
  }
  std::vector<Material*> materials;
  for (const std::string& texture : desc.materials) {
    auto* r = new Material();
    r->name.Assign("M" + std::to_string(materials.size()));
    r->textureFile.Assign(texture);
    materials.push_back(r);
  }
  mesh->objectCount = static_cast<std::uint16_t>(objects.size());
  mesh->objects = Table(objects);
  mesh->trackCount = static_cast<std::uint16_t>(tracks.size());
  mesh->tracks = Table(tracks);
  mesh->cameraCount = static_cast<std::uint16_t>(cameras.size());
  mesh->cameras = Table(cameras);
  mesh->materialCount = static_cast<std::uint16_t>(materials.size());
  mesh->materials = Table(materials);
  mesh->byteSize = 60;  // stands for the loader's count; the tests read it back

  auto* scene = new Scene{};
  scene->mesh = mesh;
  scene->totalBytes = SceneRecordBytes;
  return scene;
}

Scene* MakePreparedScene(const SceneDesc& desc) {
  Scene* scene = MakeLoadedScene(desc);
  PrepareScene(scene);
  BuildHierarchy(scene);
  PrecalculateScene(scene);
  ComputeBounds(scene);
  return scene;
}

void DestroyScene(Scene*& scene) {
  FreeHierarchy(scene);
  FreeSceneBuffers(scene);
  FreeScene(scene);
}

void AddCamera(SceneDesc& desc, Vector from, Vector to, float fov, float roll) {
  TrackDesc position;
  position.kind = TrackCamera;
  position.name = "Camera";
  position.position = {VKey(0, from)};
  position.fov = {SKey(0, fov)};
  position.roll = {SKey(0, roll)};
  TrackDesc target;
  target.kind = TrackCameraTarget;
  target.name = "Camera";
  target.position = {VKey(0, to)};
  const auto first = static_cast<std::uint16_t>(desc.tracks.size());
  desc.tracks.push_back(position);
  desc.tracks.push_back(target);
  desc.cameras.push_back({"Camera", first, static_cast<std::uint16_t>(first + 1)});
}

::testing::AssertionResult MatricesNear(const Matrix& a, const Matrix& b, float tolerance) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (!(std::fabs(a.m[i][j] - b.m[i][j]) <= tolerance)) {
        std::ostringstream s;
        s << "element [" << i << "][" << j << "]: " << a.m[i][j] << " vs " << b.m[i][j];
        return ::testing::AssertionFailure() << s.str();
      }
  return ::testing::AssertionSuccess();
}

SceneDesc InView(std::vector<ObjectDesc> objects) {
  SceneDesc desc;
  AddCamera(desc, {0, 0, 0}, {0, 0, 10}, 90.0f);
  for (auto& o : objects) {
    TrackDesc t;
    t.name = o.name;
    t.position = {VKey(0, {0, 0, 0})};
    o.trackIndex = static_cast<std::uint16_t>(desc.tracks.size());
    desc.tracks.push_back(t);
    desc.objects.push_back(o);
  }
  return desc;
}

ObjectDesc Triangle(const std::string& name, Vector a, Vector b, Vector c) {
  ObjectDesc o;
  o.name = name;
  o.vertices = {{a.x, a.y, a.z, 0, 0}, {b.x, b.y, b.z, 1, 0}, {c.x, c.y, c.z, 0, 1}};
  o.faces = {{0, 1, 2}};
  return o;
}

}  // namespace vx::test
