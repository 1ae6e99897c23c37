#include "engine/scene_files.h"

#include "writejpeg.h"

namespace vx::test {

std::vector<std::uint8_t> TextureJpeg(std::uint32_t size, std::uint32_t colour) {
  std::vector<std::uint32_t> pixels(size * size, colour);
  return EncodeJpegColour(pixels.data(), size, size);
}

VectorKey3ds Key(std::uint32_t frame, Vector v) {
  VectorKey3ds k;
  k.frame = frame;
  k.value = v;
  return k;
}

ScalarKey3ds Scalar(std::uint32_t frame, float value) {
  ScalarKey3ds k;
  k.frame = frame;
  k.value = value;
  return k;
}

Track3ds ObjectTrack(const std::string& name, std::uint16_t parent,
                     std::vector<VectorKey3ds> position) {
  Track3ds t;
  t.node = Node3ds::Object;
  t.name = name;
  t.parent = parent;
  t.position = std::move(position);
  RotationKey3ds r;
  r.axis = {0, 0, 1};
  t.rotation = {r};
  t.scale = {Key(0, {1, 1, 1})};
  return t;
}

void AddFileCamera(Scene3ds& s, std::vector<VectorKey3ds> from, Vector to, float fov) {
  Camera3ds c;
  c.name = "Cam";
  c.position = from[0].value;
  c.target = to;
  s.cameras.push_back(c);
  Track3ds position;
  position.node = Node3ds::Camera;
  position.name = "Cam";
  position.position = std::move(from);
  position.fov = {Scalar(0, fov)};
  position.roll = {Scalar(0, 0.0f)};
  Track3ds target;
  target.node = Node3ds::CameraTarget;
  target.name = "Cam";
  target.position = {Key(0, to)};
  s.tracks.push_back(position);
  s.tracks.push_back(target);
}

Object3ds Cube(const std::string& material) {
  Object3ds o;
  o.name = "Cube";
  for (int i = 0; i < 8; ++i) {
    o.vertices.push_back({i & 1 ? 1.0f : -1.0f, i & 2 ? 1.0f : -1.0f, i & 4 ? 1.0f : -1.0f});
    o.mapping.push_back({i & 1 ? 1.0f : 0.0f, i & 2 ? 1.0f : 0.0f});
  }
  const std::uint16_t f[12][3] = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                                  {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
  for (auto& face : f) o.faces.push_back({face[0], face[1], face[2], 0x0007, material});
  return o;
}

Scene3ds CubeScene() {
  Scene3ds s;
  Material3ds m;
  m.name = "Crate";
  m.texture = "CRATE.GIF";
  s.materials = {m};
  s.objects = {Cube("Crate")};
  s.tracks = {ObjectTrack("Cube", 0xFFFF, {Key(0, {0, 0, 0})})};
  AddFileCamera(s, {Key(0, {4, -6, 5})}, {0, 0, 0});
  return s;
}

}  // namespace vx::test
