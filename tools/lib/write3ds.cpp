#include "write3ds.h"

#include <cassert>
#include <cstring>

#include "base/output_file.h"

namespace vx {

// ---- ChunkWriter ------------------------------------------------------------

void ChunkWriter::Begin(std::uint16_t id) {
  open_.push_back(bytes_.size());
  U16(id);
  U32(0);
}

void ChunkWriter::End() {
  assert(!open_.empty());
  const std::size_t start = open_.back();
  open_.pop_back();
  PatchU32(start + 2, static_cast<std::uint32_t>(bytes_.size() - start));
}

void ChunkWriter::EndAll() {
  while (!open_.empty()) End();
}

void ChunkWriter::U8(std::uint8_t value) {
  bytes_.push_back(value);
}

void ChunkWriter::U16(std::uint16_t value) {
  U8(static_cast<std::uint8_t>(value));
  U8(static_cast<std::uint8_t>(value >> 8));
}

void ChunkWriter::U32(std::uint32_t value) {
  U16(static_cast<std::uint16_t>(value));
  U16(static_cast<std::uint16_t>(value >> 16));
}

void ChunkWriter::F32(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, 4);
  U32(bits);
}

void ChunkWriter::Vec(Vector v) {
  F32(v.x);
  F32(v.y);
  F32(v.z);
}

void ChunkWriter::String(std::string_view text) {
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  U8(0);
}

void ChunkWriter::Raw(const std::vector<std::uint8_t>& bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

const std::vector<std::uint8_t>& ChunkWriter::Bytes() const {
  assert(open_.empty());
  return bytes_;
}

void ChunkWriter::PatchU32(std::size_t offset, std::uint32_t value) {
  assert(offset + 4 <= bytes_.size());
  for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// ---- records ------------------------------------------------------------------

namespace {

void WriteByteColour(ChunkWriter& out, const std::array<std::uint8_t, 3>& rgb) {
  out.Begin(0x0011);
  for (std::uint8_t c : rgb) out.U8(c);
  out.End();
}

// The header every key track starts with: u16 flags, 8 bytes, u32 count.
void WriteKeyHeader(ChunkWriter& out, std::size_t count) {
  out.U16(0);
  out.U32(0);
  out.U32(0);
  out.U32(static_cast<std::uint32_t>(count));
}

template <typename Key, typename Value>
void WriteKeys(ChunkWriter& out, std::uint16_t id, const std::vector<Key>& keys, Value value) {
  if (keys.empty()) return;
  out.Begin(id);
  WriteKeyHeader(out, keys.size());
  for (const Key& key : keys) {
    out.U32(key.frame);
    Write3dsSpline(out, key.spline);
    value(key);
  }
  out.End();
}

}  // namespace

void Write3dsSpline(ChunkWriter& out, const Spline3ds& spline) {
  out.U16(spline.flags);
  for (int bit = 0; bit < 16; ++bit)
    if (spline.flags & (1u << bit)) out.F32(spline.params[bit]);
}

void Write3dsMaterial(ChunkWriter& out, const Material3ds& material) {
  out.Begin(0xAFFF);
  out.Begin(0xA000);
  out.String(material.name);
  out.End();
  out.Begin(0xA010);
  if (material.ambientAsFloat) {
    out.Begin(0x0010);
    for (std::uint8_t c : material.ambient) out.F32(c / 255.0f);
    out.End();
  } else {
    WriteByteColour(out, material.ambient);
  }
  out.End();
  // Independent readers take the diffuse colour for the surface colour.
  out.Begin(0xA020);
  WriteByteColour(out, material.ambient);
  out.End();
  if (!material.texture.empty()) {
    out.Begin(0xA200);
    out.Begin(0x0030);
    out.U16(material.textureAmount);
    out.End();
    out.Begin(0xA300);
    out.String(material.texture);
    out.End();
    out.End();
  }
  out.End();
}

void Write3dsObject(ChunkWriter& out, const Object3ds& object) {
  out.Begin(0x4000);
  out.String(object.name);
  out.Begin(0x4100);

  out.Begin(0x4110);
  out.U16(static_cast<std::uint16_t>(object.vertices.size()));
  for (Vector v : object.vertices) out.Vec(v);
  out.End();

  if (!object.mapping.empty()) {
    out.Begin(0x4140);
    out.U16(static_cast<std::uint16_t>(object.mapping.size()));
    for (const auto& uv : object.mapping) {
      out.F32(uv[0]);
      out.F32(uv[1]);
    }
    out.End();
  }

  out.Begin(0x4160);
  for (float f : object.matrix) out.F32(f);
  out.End();

  out.Begin(0x4120);
  out.U16(static_cast<std::uint16_t>(object.faces.size()));
  for (const Face3ds& f : object.faces) {
    out.U16(f.a);
    out.U16(f.b);
    out.U16(f.c);
    out.U16(f.flags);
  }
  // One 0x4130 list per material name, in the order the names first appear.
  std::vector<std::string> names;
  for (const Face3ds& f : object.faces) {
    if (f.material.empty()) continue;
    bool seen = false;
    for (const std::string& n : names) seen = seen || n == f.material;
    if (!seen) names.push_back(f.material);
  }
  for (const std::string& name : names) {
    std::vector<std::uint16_t> listed;
    for (std::size_t i = 0; i < object.faces.size(); ++i)
      if (object.faces[i].material == name) listed.push_back(static_cast<std::uint16_t>(i));
    out.Begin(0x4130);
    out.String(name);
    out.U16(static_cast<std::uint16_t>(listed.size()));
    for (std::uint16_t i : listed) out.U16(i);
    out.End();
  }
  out.End();  // 0x4120

  out.End();  // 0x4100
  out.End();  // 0x4000
}

void Write3dsCamera(ChunkWriter& out, const Camera3ds& camera) {
  out.Begin(0x4000);
  out.String(camera.name);
  out.Begin(0x4700);
  out.Vec(camera.position);
  out.Vec(camera.target);
  out.F32(camera.roll);
  out.F32(camera.lens);
  out.End();
  out.End();
}

void Write3dsLight(ChunkWriter& out, const Light3ds& light) {
  out.Begin(0x4000);
  out.String(light.name);
  out.Begin(0x4600);
  out.Vec(light.position);
  out.End();
  out.End();
}

void Write3dsTrack(ChunkWriter& out, const Track3ds& track) {
  out.Begin(static_cast<std::uint16_t>(track.node));
  if (track.nodeId >= 0) {
    out.Begin(0xB030);
    out.U16(static_cast<std::uint16_t>(track.nodeId));
    out.End();
  }
  out.Begin(0xB010);
  out.String(track.name);
  out.U16(0);
  out.U16(0);
  out.U16(track.parent);
  out.End();
  out.Begin(0xB013);
  out.Vec(track.pivot);
  out.End();
  WriteKeys(out, 0xB020, track.position, [&](const VectorKey3ds& k) { out.Vec(k.value); });
  WriteKeys(out, 0xB021, track.rotation, [&](const RotationKey3ds& k) {
    out.F32(k.angle);
    out.Vec(k.axis);
  });
  WriteKeys(out, 0xB022, track.scale, [&](const VectorKey3ds& k) { out.Vec(k.value); });
  WriteKeys(out, 0xB023, track.fov, [&](const ScalarKey3ds& k) { out.F32(k.value); });
  WriteKeys(out, 0xB024, track.roll, [&](const ScalarKey3ds& k) { out.F32(k.value); });
  WriteKeys(out, 0xB026, track.morph, [&](const MorphKey3ds& k) { out.String(k.target); });
  out.End();
}

std::vector<std::uint8_t> Write3ds(const Scene3ds& scene) {
  ChunkWriter out;
  out.Begin(0x4D4D);
  out.Begin(0x0002);
  out.U32(3);
  out.End();

  out.Begin(0x3D3D);
  out.Begin(0x3D3E);
  out.U32(3);
  out.End();
  out.Begin(0x0100);
  out.F32(1.0f);
  out.End();
  for (const Material3ds& m : scene.materials) Write3dsMaterial(out, m);
  for (const Object3ds& o : scene.objects) Write3dsObject(out, o);
  for (const Camera3ds& c : scene.cameras) Write3dsCamera(out, c);
  for (const Light3ds& l : scene.lights) Write3dsLight(out, l);
  out.End();  // 0x3D3D

  out.Begin(0xB000);
  out.Begin(0xB008);
  out.U32(scene.startFrame);
  out.U32(scene.endFrame);
  out.End();
  for (const Track3ds& t : scene.tracks) Write3dsTrack(out, t);
  out.End();  // 0xB000

  out.End();  // 0x4D4D
  return out.Bytes();
}

bool Write3dsFile(const Scene3ds& scene, const std::string& path) {
  const std::vector<std::uint8_t> bytes = Write3ds(scene);
  std::string error;
  return WriteOutputFile(path, bytes.data(), bytes.size(), error);
}

}  // namespace vx
