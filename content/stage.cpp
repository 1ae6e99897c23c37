#include "stage.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "textures.h"

namespace vx::content {

namespace {
constexpr double Pi = 3.14159265358979323846;

// The keys every track needs (stage.h), where the scene gave none.
void AddDefaultKeys(Scene3ds& scene) {
  for (Track3ds& track : scene.tracks) {
    if (track.node == Node3ds::Object) {
      if (track.position.empty()) track.position.push_back({0, Vector{0, 0, 0}, {}});
      if (track.rotation.empty()) track.rotation.push_back({0, 0.0f, Vector{0, 0, 1}, {}});
      if (track.scale.empty()) track.scale.push_back({0, Vector{1, 1, 1}, {}});
    } else if (track.node == Node3ds::Camera) {
      if (track.fov.empty()) track.fov.push_back({0, 60.0f, {}});
      if (track.roll.empty()) track.roll.push_back({0, 0.0f, {}});
    }
  }
}

// Each mesh is stored where its node stands at frame 0 (ignoring turns and
// scales), with that point as the matrix origin: the reader subtracts it
// again, so the mesh ends up around its own pivot. The tracks need their
// first position keys (AddDefaultKeys).
void StoreMeshesWhereTheyStart(Scene3ds& scene) {
  for (Object3ds& object : scene.objects) {
    Vector origin{0, 0, 0};
    for (std::size_t t = 0; t < scene.tracks.size(); ++t) {
      if (scene.tracks[t].name != object.name || scene.tracks[t].node != Node3ds::Object) continue;
      for (std::uint16_t i = static_cast<std::uint16_t>(t); i != 0xFFFF;
           i = scene.tracks[i].parent) {
        const Vector p = scene.tracks[i].position.front().value;
        origin = Vector{origin.x + p.x, origin.y + p.y, origin.z + p.z};
      }
    }
    for (Vector& v : object.vertices) v = Vector{v.x + origin.x, v.y + origin.y, v.z + origin.z};
    object.matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, origin.x, origin.y, origin.z};
  }
}

// Face f of object takes material "NAME_k" for its shade k (shades[f]),
// added to the scene (and to textureOf, material name -> texture base name)
// on first use with the texture's shade k.
void UseShadedMaterials(Scene3ds& scene, Object3ds& object, const std::vector<int>& shades,
                        std::map<std::string, std::string>& textureOf) {
  for (std::size_t f = 0; f < object.faces.size(); ++f) {
    std::string& material = object.faces[f].material;
    const auto texture = textureOf.find(material);
    assert(texture != textureOf.end() && HasShades(texture->second));
    const std::string lit = material + "_" + std::to_string(shades[f]);
    if (!textureOf.count(lit)) {
      Material3ds m = *std::find_if(scene.materials.begin(), scene.materials.end(),
                                    [&](const Material3ds& x) { return x.name == material; });
      m.name = lit;
      m.texture = MaterialTextureFile(ShadeTextureName(texture->second, shades[f]));
      scene.materials.push_back(m);
      textureOf[lit] = texture->second;
    }
    material = lit;
  }
}

// Cameras start where their tracks start.
void StartCameras(Scene3ds& scene, int cameraTrack, int targetTrack) {
  for (Camera3ds& camera : scene.cameras) {
    if (cameraTrack >= 0 && !scene.tracks[cameraTrack].position.empty())
      camera.position = scene.tracks[cameraTrack].position.front().value;
    if (targetTrack >= 0 && !scene.tracks[targetTrack].position.empty())
      camera.target = scene.tracks[targetTrack].position.front().value;
    if (cameraTrack >= 0) {
      const float fov = scene.tracks[cameraTrack].fov.front().value;
      camera.lens =
          static_cast<float>(21.65 / std::tan(fov * Pi / 360.0));  // 43.3 mm frame diagonal
      camera.roll = scene.tracks[cameraTrack].roll.front().value;
    }
  }
}

}  // namespace

Spline3ds SplineOf(Tcb tcb) {
  Spline3ds s;
  const float values[3] = {tcb.tension, tcb.continuity, tcb.bias};
  for (int bit = 0; bit < 3; ++bit)
    if (values[bit] != 0.0f) {
      s.flags = static_cast<std::uint16_t>(s.flags | (1u << bit));
      s.params[bit] = values[bit];
    }
  return s;
}

Stage::Stage(std::uint32_t endFrame) {
  scene_.startFrame = 0;
  scene_.endFrame = endFrame;
}

void Stage::AddMaterial(const std::string& name, const std::string& texture) {
  Material3ds m;
  m.name = name;
  m.ambient = {200, 200, 200};
  m.texture = MaterialTextureFile(texture);
  scene_.materials.push_back(m);
  textureOf_[name] = texture;
}

void Stage::SetLight(const Light& light) {
  light_ = light;
}

int Stage::AddLitMesh(const std::string& name, const Mesh& mesh, int parent, Facets facets) {
  const int track = AddMesh(name, mesh, parent);
  bake_.back() = Bake::Shades;
  facets_.back() = facets;
  return track;
}

int Stage::AddShinyMesh(const std::string& name, const Mesh& mesh, int parent) {
  const int track = AddMesh(name, mesh, parent);
  bake_.back() = Bake::Shine;
  return track;
}

int Stage::AddMesh(const std::string& name, const Mesh& mesh, int parent) {
  Object3ds object;
  object.name = name;
  object.vertices = mesh.vertices;
  object.mapping = mesh.mapping;
  object.faces = mesh.faces;
  scene_.objects.push_back(object);
  bake_.push_back(Bake::None);
  facets_.push_back(Facets::Quads);
  return AddDummy(name, parent);
}

int Stage::AddDummy(const std::string& name, int parent) {
  assert(parent < static_cast<int>(scene_.tracks.size()));
  Track3ds track;
  track.node = Node3ds::Object;
  track.nodeId = static_cast<int>(scene_.tracks.size());
  track.name = name;
  track.parent = parent < 0 ? 0xFFFF : static_cast<std::uint16_t>(parent);
  scene_.tracks.push_back(track);
  return track.nodeId;
}

void Stage::Position(int track, std::uint32_t frame, Vector p, Tcb tcb) {
  scene_.tracks[track].position.push_back({frame, p, SplineOf(tcb)});
}

void Stage::Rotation(int track, std::uint32_t frame, float degrees, Vector axis, Tcb tcb) {
  // The engine exchanges y and z on reading, which mirrors the sense of
  // every turn; storing the negated angle gives the right-handed turn that
  // the scene description means.
  // The engine turns the stored axis into a quaternion as it is, so a
  // longer axis would scale the node as well; store it normalised.
  const double length =
      std::sqrt(double{axis.x} * axis.x + double{axis.y} * axis.y + double{axis.z} * axis.z);
  assert(length > 0.0);
  RotationKey3ds key;
  key.frame = frame;
  key.angle = static_cast<float>(-degrees * Pi / 180.0);
  key.axis = Vector{static_cast<float>(axis.x / length), static_cast<float>(axis.y / length),
                    static_cast<float>(axis.z / length)};
  key.spline = SplineOf(tcb);
  scene_.tracks[track].rotation.push_back(key);
}

void Stage::Scale(int track, std::uint32_t frame, Vector s, Tcb tcb) {
  scene_.tracks[track].scale.push_back({frame, s, SplineOf(tcb)});
}

void Stage::Position(int track, std::span<const PointKey> keys) {
  for (const PointKey& key : keys) Position(track, key.frame, key.value, key.tcb);
}
void Stage::Rotation(int track, std::span<const TurnKey> keys) {
  for (const TurnKey& key : keys) Rotation(track, key.frame, key.degrees, key.axis, key.tcb);
}
void Stage::Scale(int track, std::span<const PointKey> keys) {
  for (const PointKey& key : keys) Scale(track, key.frame, key.value, key.tcb);
}

void Stage::Spin(int track, std::uint32_t first, std::uint32_t last, std::uint32_t step,
                 float degreesPerFrame, Vector axis) {
  if (scene_.tracks[track].rotation.empty()) Rotation(track, first, 0.0f, axis);
  for (std::uint32_t f = first + step; f <= last; f += step)
    Rotation(track, f, degreesPerFrame * static_cast<float>(step), axis);
}

void Stage::AddCamera(const std::string& name) {
  Camera3ds camera;
  camera.name = name;
  scene_.cameras.push_back(camera);
  Track3ds position;
  position.node = Node3ds::Camera;
  position.nodeId = static_cast<int>(scene_.tracks.size());
  position.name = name;
  cameraTrack_ = position.nodeId;
  scene_.tracks.push_back(position);
  Track3ds target;
  target.node = Node3ds::CameraTarget;
  target.nodeId = static_cast<int>(scene_.tracks.size());
  target.name = name;
  targetTrack_ = target.nodeId;
  scene_.tracks.push_back(target);
}

void Stage::CameraPosition(std::uint32_t frame, Vector p, Tcb tcb) {
  scene_.tracks[cameraTrack_].position.push_back({frame, p, SplineOf(tcb)});
}
void Stage::CameraTarget(std::uint32_t frame, Vector p, Tcb tcb) {
  scene_.tracks[targetTrack_].position.push_back({frame, p, SplineOf(tcb)});
}
void Stage::CameraFov(std::uint32_t frame, float degrees, Tcb tcb) {
  scene_.tracks[cameraTrack_].fov.push_back({frame, degrees, SplineOf(tcb)});
}
void Stage::CameraRoll(std::uint32_t frame, float degrees, Tcb tcb) {
  scene_.tracks[cameraTrack_].roll.push_back({frame, degrees, SplineOf(tcb)});
}

void Stage::CameraPosition(std::span<const PointKey> keys) {
  for (const PointKey& key : keys) CameraPosition(key.frame, key.value, key.tcb);
}
void Stage::CameraTarget(std::span<const PointKey> keys) {
  for (const PointKey& key : keys) CameraTarget(key.frame, key.value, key.tcb);
}
void Stage::CameraFov(std::span<const AngleKey> keys) {
  for (const AngleKey& key : keys) CameraFov(key.frame, key.degrees, key.tcb);
}
void Stage::CameraRoll(std::span<const AngleKey> keys) {
  for (const AngleKey& key : keys) CameraRoll(key.frame, key.degrees, key.tcb);
}

Scene3ds Stage::Finish() const {
  Scene3ds scene = scene_;
  AddDefaultKeys(scene);
  StoreMeshesWhereTheyStart(scene);
  // Baked light, where each lit or shiny mesh stands at frame 0.
  std::map<std::string, std::string> textureOf = textureOf_;
  for (std::size_t o = 0; o < scene.objects.size(); ++o) {
    Object3ds& object = scene.objects[o];
    if (bake_[o] == Bake::Shine) {
      Mesh mesh{object.vertices, object.mapping, object.faces};
      ShineMapping(mesh, Vector{0, 0, 0}, light_);
      object.mapping = mesh.mapping;
    }
    if (bake_[o] != Bake::Shades) continue;
    const Mesh mesh{object.vertices, object.mapping, object.faces};
    UseShadedMaterials(scene, object,
                       FaceShades(mesh, Vector{0, 0, 0}, light_, ShadeCount, facets_[o]),
                       textureOf);
  }
  StartCameras(scene, cameraTrack_, targetTrack_);
  return scene;
}

}  // namespace vx::content
