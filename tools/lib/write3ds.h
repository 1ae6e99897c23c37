#pragma once
// 3DS scene writer: the project's one way to make 3DS files. The content
// generator builds the show's scenes with it and every test suite writes its
// fixtures with it, so no scene file comes from anywhere else.
//
// A scene is described in plain records (Scene3ds and below) and turned into
// the bytes of a complete file by Write3ds. Everything in these records is in
// FILE space: z up, exactly the numbers that end up in the file; the engine's
// loader exchanges y and z while reading.
//
// The file holds the chunks the loader reads, plus the few that independent
// readers expect (version 0x0002, mesh version 0x3D3E, master scale 0x0100),
// in the order those readers expect:
//   0x4D4D main
//     0x0002 version (u32 3)
//     0x3D3D editor
//       0x3D3E mesh version (u32 3), 0x0100 master scale (float 1)
//       0xAFFF material, per material:
//         0xA000 name; 0xA010 ambient { 0x0011 r g b  | 0x0010 three floats };
//         0xA020 diffuse { 0x0011, the same bytes };
//         0xA200 texture { 0x0030 amount; 0xA300 file name }   (when named)
//       0x4000 object block, per object, camera and light: the name, then
//         0x4100 mesh { 0x4110 vertices; 0x4140 mapping (when given);
//                       0x4160 matrix; 0x4120 faces { 0x4130 per material } }
//         0x4700 camera: position, target, roll, lens
//         0x4600 light: position
//     0xB000 keyframer (always)
//       0xB008 frames: u32 start, u32 end
//       node chunk per track (0xB002 object, 0xB003 camera, 0xB004 camera
//       target, 0xB005..0xB007 lights):
//         0xB030 node id (when not negative); 0xB010 name, two u16 flags, u16
//         parent; 0xB013 pivot; then the key tracks that have keys, in the
//         order 0xB020 position, 0xB021 rotation, 0xB022 scale, 0xB023 FOV,
//         0xB024 roll, 0xB026 morph.
//
// A key track is a 10-byte header (u16 flags, 8 zero bytes), a u32 key count
// and the keys: u32 frame, u16 spline flags, one float per set flag bit in
// ascending bit order (bit 0 tension, 1 continuity, 2 bias, 3 ease to,
// 4 ease from; bits 5..15 carry values readers drop), then the value.
//
// For damaged or unusual files, ChunkWriter writes chunks by hand and the
// Write3ds* pieces below add whole records to it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "math/math.h"

namespace vx {

// Writes little-endian values and nested chunks; each chunk's length is
// filled in when it is closed.
class ChunkWriter {
 public:
  void Begin(std::uint16_t id);  // opens a chunk: id and a length patched by End
  void End();                    // closes the innermost open chunk
  void EndAll();                 // closes every open chunk, innermost first
  void U8(std::uint8_t value);
  void U16(std::uint16_t value);
  void U32(std::uint32_t value);
  void F32(float value);
  void Vec(Vector v);                  // three floats x, y, z as given
  void String(std::string_view text);  // the characters and a zero byte
  void Raw(const std::vector<std::uint8_t>& bytes);
  // Everything written so far; every chunk must be closed.
  const std::vector<std::uint8_t>& Bytes() const;
  std::size_t Size() const { return bytes_.size(); }
  // Overwrites the u32 at offset (to state wrong lengths on purpose).
  void PatchU32(std::size_t offset, std::uint32_t value);

 private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::size_t> open_;  // start offsets of the open chunks
};

struct Face3ds {
  std::uint16_t a = 0, b = 0, c = 0;
  std::uint16_t flags = 0x0007;  // bits 2, 1, 0: edges AB, BC, CA visible; 3, 4: wrap
  std::string material;          // empty: listed in no 0x4130 chunk
};

struct Object3ds {
  std::string name;
  std::vector<Vector> vertices;               // file space
  std::vector<std::array<float, 2>> mapping;  // u, v; none: no 0x4140 chunk
  std::vector<Face3ds> faces;
  // X axis, Y axis, Z axis, origin: f0..f11 of chunk 0x4160.
  std::array<float, 12> matrix{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
};

struct Camera3ds {
  std::string name;
  Vector position{0, 0, 0};  // file space
  Vector target{0, 1, 0};
  float roll = 0.0f;  // degrees
  float lens = 35.0f;
};

struct Light3ds {
  std::string name;
  Vector position{0, 0, 0};
};

struct Material3ds {
  std::string name;
  std::array<std::uint8_t, 3> ambient{0, 0, 0};
  // The ambient colour as a float colour (0x0010) only, with no byte colour.
  bool ambientAsFloat = false;
  std::string texture;  // file name; empty: no 0xA200 chunk
  std::uint16_t textureAmount = 100;
};

// Spline parameters of a key: flags bit k set writes params[k].
struct Spline3ds {
  std::uint16_t flags = 0;
  std::array<float, 16> params{};  // [0] tension, [1] continuity, [2] bias,
                                   // [3] ease to, [4] ease from
};

struct VectorKey3ds {
  std::uint32_t frame = 0;
  Vector value{0, 0, 0};  // file space
  Spline3ds spline;
};

struct RotationKey3ds {
  std::uint32_t frame = 0;
  float angle = 0.0f;    // radians, relative to the previous key
  Vector axis{0, 0, 1};  // file space
  Spline3ds spline;
};

struct ScalarKey3ds {
  std::uint32_t frame = 0;
  float value = 0.0f;  // degrees for FOV and roll
  Spline3ds spline;
};

struct MorphKey3ds {
  std::uint32_t frame = 0;
  std::string target;
  Spline3ds spline;
};

enum class Node3ds : std::uint16_t {
  Object = 0xB002,
  Camera = 0xB003,
  CameraTarget = 0xB004,
  Light = 0xB005,
  SpotTarget = 0xB006,
  OmniLight = 0xB007,
};

struct Track3ds {
  Node3ds node = Node3ds::Object;
  int nodeId = -1;  // 0xB030; negative: no such chunk
  std::string name;
  std::uint16_t parent = 0xFFFF;  // node index of the parent, 0xFFFF = none
  Vector pivot{0, 0, 0};
  std::vector<VectorKey3ds> position;
  std::vector<RotationKey3ds> rotation;
  std::vector<VectorKey3ds> scale;
  std::vector<ScalarKey3ds> fov;
  std::vector<ScalarKey3ds> roll;
  std::vector<MorphKey3ds> morph;
};

struct Scene3ds {
  std::vector<Material3ds> materials;
  std::vector<Object3ds> objects;
  std::vector<Camera3ds> cameras;
  std::vector<Light3ds> lights;
  std::uint32_t startFrame = 0;
  std::uint32_t endFrame = 100;
  std::vector<Track3ds> tracks;  // in node order
};

// The complete file.
std::vector<std::uint8_t> Write3ds(const Scene3ds& scene);
// Writes Write3ds(scene) to path; false when the file cannot be written.
bool Write3dsFile(const Scene3ds& scene, const std::string& path);

// Pieces, for files assembled by hand. Each writes one whole chunk.
void Write3dsMaterial(ChunkWriter& out, const Material3ds& material);
void Write3dsObject(ChunkWriter& out, const Object3ds& object);  // 0x4000 with 0x4100
void Write3dsCamera(ChunkWriter& out, const Camera3ds& camera);  // 0x4000 with 0x4700
void Write3dsLight(ChunkWriter& out, const Light3ds& light);     // 0x4000 with 0x4600
void Write3dsTrack(ChunkWriter& out, const Track3ds& track);
void Write3dsSpline(ChunkWriter& out, const Spline3ds& spline);  // flags and values

}  // namespace vx
