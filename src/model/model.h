#pragma once
// The scene model: the records of a 3D scene as the 3DS loader fills them
// (Mesh3D and everything it owns) and the engine reads them. Engine space is
// y up: every position, axis, pivot and key value read from a (z-up) scene
// file is stored as (file x, file z, file y).
//
// All records are plain structures; arrays are a count and a pointer. The
// loader allocates its records zero-filled and frees them; the engine
// adjusts them once at load time (PrepareScene, PrecalculateScene,
// ComputeBounds) and then only reads them.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "math/math.h"

namespace vx {

// A length-prefixed byte string with room for N characters; longer text is
// cut to N characters when assigned.
template <std::size_t N>
struct FixedString {
  std::uint8_t length;
  char text[N];

  std::string_view View() const { return {text, length}; }
  void Assign(std::string_view s) {
    length = static_cast<std::uint8_t>(std::min(s.size(), N));
    std::copy_n(s.data(), length, text);
  }
};
using Name32 = FixedString<32>;

inline constexpr std::uint16_t NoTrack = 0xFFFF;  // "no parent", "no track"

enum TrackKind : std::uint8_t {
  TrackNone = 0,
  TrackObject = 1,
  TrackCamera = 2,
  TrackCameraTarget = 4,
  TrackLight = 8,        // evaluated as a position
  TrackSpotTarget = 16,  // stored, never evaluated
  TrackOmniLight = 32,   // stored, never evaluated
};

struct MeshVertex {
  float x, y, z;  // world space as loaded, pivot space after PrecalculateScene
  float u, v;     // mapping; v is negated once by PrecalculateScene
};

struct MeshFace {
  std::uint16_t a, b, c;
  std::uint8_t edgeAB, edgeBC, edgeCA;  // bits 2, 1, 0 of the file's flags
  std::uint8_t uWrap, vWrap;            // bits 3, 4
  Name32 materialName;
  std::uint16_t materialIndex;  // 0 when the name matches no material
};

struct MeshObject {
  MeshObject* next;  // loading list link
  Name32 name;
  std::uint16_t vertexCount;
  MeshVertex* vertices;
  std::uint16_t faceCount;
  MeshFace* faces;
  Vector axes[4];  // x axis, y axis, z axis, origin (engine space)
  std::uint16_t trackIndex;
  Vector bounds[8];     // pivot-space bounding box corners (ComputeBounds)
  Vector* faceNormals;  // one per face, pivot space; PrepareScene allocates
};

struct SceneCamera {
  SceneCamera* next;
  Name32 name;
  Vector position;
  Vector target;
  float roll;  // degrees
  float lens;
  std::uint16_t positionTrack;  // NoTrack when the camera has none
  std::uint16_t targetTrack;
};

struct SceneLight {
  SceneLight* next;
  Name32 name;
};

struct Material {
  Material* next;
  Name32 name;
  std::uint8_t ambient[4];  // r, g, b, spare 0
  FixedString<12> textureFile;
  std::uint16_t textureAmount;
};

// Flags bit 0 tension, 1 continuity, 2 bias, 3 ease to, 4 ease from; a
// parameter whose bit is clear is 0.
struct SplineParams {
  std::uint16_t flags;
  float tension, continuity, bias, easeTo, easeFrom;
};

struct VectorKey {
  std::uint16_t frame;
  Vector value;
  SplineParams spline;
};

struct RotationKey {
  std::uint16_t frame;
  float angle;  // radians as stored
  Vector axis;  // as stored, not normalised
  SplineParams spline;
  Quaternion rotation;  // accumulated over keys 0..this (PrepareRotationKeys)
};

struct MorphKey {
  std::uint16_t frame;
  Name32 objectName;
  SplineParams spline;
};

struct ScalarKey {
  std::uint16_t frame;
  float value;  // degrees for FOV and roll
  SplineParams spline;
};

template <typename Key>
struct KeyList {
  std::uint16_t count;
  Key* keys;
};

struct Track {
  std::uint8_t isStatic;  // 1: at most one key per list and no morph keys
  Track* next;
  std::uint16_t nodeId;
  std::uint16_t parent;  // index in Mesh3D::tracks, NoTrack = none
  std::uint8_t kind;     // TrackKind
  Name32 name;
  Vector pivot;
  KeyList<VectorKey> position;
  KeyList<RotationKey> rotation;
  KeyList<VectorKey> scale;
  KeyList<MorphKey> morph;  // loaded, never evaluated
  KeyList<ScalarKey> fov;
  KeyList<ScalarKey> roll;
};

struct Mesh3D {
  std::uint32_t byteSize;  // the loader's byte-count charges
  std::uint16_t objectCount;
  MeshObject** objects;
  std::uint16_t cameraCount;
  SceneCamera** cameras;
  std::uint16_t lightCount;
  SceneLight** lights;
  std::uint16_t materialCount;
  Material** materials;
  std::uint16_t frameCount;  // |endFrame - startFrame|
  std::uint16_t startFrame, endFrame;
  std::uint16_t trackCount;
  Track** tracks;
  // Loading lists, in file order; the engine uses only the arrays above.
  MeshObject* objectList;
  SceneCamera* cameraList;
  SceneLight* lightList;
  Material* materialList;
  Track* trackList;
};

}  // namespace vx
