#pragma once
// The records of one loaded 3D scene and who owns them. Four layers:
//  1. loaded data (Mesh3D and below), filled by the 3DS loader, adjusted once
//     at load time;
//  2. per-frame animation state (TrackState, one per track) and the hierarchy
//     tree over it (HierarchyNode);
//  3. the camera-space working copy (TransformedMesh), rewritten every frame;
//  4. the screen-space working copy (ScreenMesh), rewritten every frame and
//     read by the rasterizer.
// Engine space is y up: every position, axis, pivot and key value read from a
// (z-up) scene file is stored as (file x, file z, file y). Camera space has
// the camera at the origin looking along +z, x to the right, y down the
// screen.
//
// All records are plain structures; arrays are a count and a pointer. The
// loader allocates its records zero-filled; the working copies are allocated
// uncleared and written before use. Nothing is allocated per frame.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "base/pixels.h"
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
  TrackLight = 8,           // evaluated as a position
  TrackSpotTarget = 16,     // stored, never evaluated
  TrackOmniLight = 32,      // stored, never evaluated
};

// ---- loaded data ---------------------------------------------------------

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

// ---- animation state -----------------------------------------------------

struct TrackState {
  std::uint8_t kind;
  Vector pivot;
  Vector position;
  Quaternion rotation;
  Vector scale;
  float fov;   // degrees
  float roll;  // degrees
  Matrix local;        // scale, then rotation, then translation
  Matrix world;        // local composed with the ancestors
  Matrix normalLocal;  // rotation only
  Matrix normalWorld;
};

struct HierarchyNode {
  std::uint16_t trackIndex;  // NoTrack for the root
  std::uint32_t childCount;
  HierarchyNode** children;  // nullptr when childCount is 0
  Matrix* world;             // the track state's; the root owns its own identity
  Matrix* normalWorld;
};

// ---- camera-space working copy ------------------------------------------

struct CameraVertex {
  float x, y, z;
  float u, v;
};

// Clipping against six planes adds at most two vertices per plane, so a
// clipped triangle has at most 9 vertices; 15 index slots leave room.
inline constexpr int MaxPolygonVertices = 15;
inline constexpr int ClipSlotsPerFace = 12;

struct Polygon {
  std::uint32_t indices[MaxPolygonVertices];  // into the object's vertex arrays
  std::uint32_t count;  // edges run from index i to index (i + 1) mod count
  const std::uint32_t* texture;  // 256 x 256 texels of the face's material
  std::uint8_t drawFlag;         // 1 = front-facing and to be drawn
};

struct TransformedObject {
  CameraVertex* vertices;     // vertexSlots entries
  std::uint32_t vertexSlots;  // vertexCount + 12 x faceCount
  std::uint32_t vertexCount;  // in use this frame (mesh vertices + clip output)
  Polygon* polygons;          // one per face
  std::uint32_t polygonCount;
  std::uint8_t visible;
  std::uint8_t clipNear, clipFar, clipLeft, clipRight, clipTop, clipBottom;
  Vector corners[8];      // bounding box in camera space this frame
  Vector* normals;        // face normals in camera space
  Matrix* world;          // the object's TrackState world (borrowed)
  Matrix* normalWorld;    // the object's TrackState normalWorld (borrowed)
  Name32 name;
};

struct TransformedMesh {
  std::uint32_t byteSize;
  std::uint16_t objectCount;
  TransformedObject** objects;
  std::uint16_t trackStateCount;
  TrackState** trackStates;
};

// ---- screen-space working copy: the hand-off to the rasterizer ----------

struct ScreenVertex {
  std::int32_t x;  // column in 24.8 fixed point (column = x >> 8)
  std::int32_t y;  // row, whole pixels
  float z;         // 1 / camera-space z
  std::int32_t u;  // texture column in 8.8 fixed point: bits 8..15 select the texel
  std::int32_t v;  // texture row in 8.8 fixed point
};

struct ScreenObject {
  ScreenVertex* vertices;  // same slot count as the transformed object
  std::uint32_t vertexSlots;
  Polygon** polygons;  // entry k points at polygon k of the transformed object
  std::uint32_t polygonCount;
  std::uint8_t visible;
};

struct ScreenMesh {
  std::uint32_t byteSize;
  std::uint16_t objectCount;
  ScreenObject** objects;
};

// ---- camera --------------------------------------------------------------

struct ProjectionCamera {
  Vector position;
  Vector target;
  float roll;  // degrees
  float fov;   // degrees
  Vector xAxis, yAxis, zAxis;  // camera axes in world space
  float xMagnify, yMagnify;    // pixels per unit of x/z and y/z
  float nearZ, farZ;
  Matrix translation;  // moves the position to the origin
  Matrix rotation;     // world axes to camera axes
  Matrix view;         // translation, then rotation
};

// ---- the scene -----------------------------------------------------------

struct Scene {
  Mesh3D* mesh;
  TransformedMesh* transformed;
  ScreenMesh* screen;
  HierarchyNode* hierarchy;
  std::uint32_t hierarchyBytes;
  std::uint32_t precalcBytes;  // always 0
  std::uint32_t totalBytes;
  ProjectionCamera* camera;
  float* depthBuffer;  // 64000 values of 1/z
  Picture* pictures;   // one per material, in material order
};

// Byte sizes of the memory report, as the scene records count them.
inline constexpr std::uint32_t SceneRecordBytes = 44;

}  // namespace vx
