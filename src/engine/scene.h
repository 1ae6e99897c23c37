#pragma once
// The records of one loaded 3D scene and who owns them. Four layers:
//  1. loaded data (Mesh3D and below, model/model.h), filled by the 3DS
//     loader, adjusted once at load time;
//  2. per-frame animation state (TrackState, one per track) and the hierarchy
//     tree over it (HierarchyNode);
//  3. the camera-space working copy (TransformedMesh), rewritten every frame;
//  4. the screen-space working copy (ScreenMesh, raster/raster.h), rewritten
//     every frame and read by the rasterizer.
// Engine space is y up (see model/model.h). Camera space has the camera at
// the origin looking along +z, x to the right, y down the screen.
//
// All records are plain structures; arrays are a count and a pointer. The
// working copies are allocated uncleared and written before use. Nothing is
// allocated per frame.
#include <cstdint>

#include "base/pixels.h"
#include "math/math.h"
#include "model/model.h"
#include "raster/raster.h"

namespace vx {

// ---- animation state -----------------------------------------------------

struct TrackState {
  std::uint8_t kind;
  Vector pivot;
  Vector position;
  Quaternion rotation;
  Vector scale;
  float fov;           // degrees
  float roll;          // degrees
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

// Clipping a face against the six planes adds at most two vertices per
// plane: 12 vertex slots per face in its object's camera-space copy.
inline constexpr int ClipSlotsPerFace = 12;

struct TransformedObject {
  CameraVertex* vertices;     // vertexSlots entries
  std::uint32_t vertexSlots;  // vertexCount + 12 x faceCount
  std::uint32_t vertexCount;  // in use this frame (mesh vertices + clip output)
  Polygon* polygons;          // one per face (raster/raster.h)
  std::uint32_t polygonCount;
  std::uint8_t visible;
  std::uint8_t clipNear, clipFar, clipLeft, clipRight, clipTop, clipBottom;
  Vector corners[8];    // bounding box in camera space this frame
  Vector* normals;      // face normals in camera space
  Matrix* world;        // the object's TrackState world (borrowed)
  Matrix* normalWorld;  // the object's TrackState normalWorld (borrowed)
  Name32 name;
};

struct TransformedMesh {
  std::uint32_t byteSize;
  std::uint16_t objectCount;
  TransformedObject** objects;
  std::uint16_t trackStateCount;
  TrackState** trackStates;
};

// ---- camera --------------------------------------------------------------

struct ProjectionCamera {
  Vector position;
  Vector target;
  float roll;                  // degrees
  float fov;                   // degrees
  Vector xAxis, yAxis, zAxis;  // camera axes in world space
  // Seen in the frame the camera was set up for (SetupCamera):
  float viewFov;             // degrees: its horizontal field of view (fov, or wider)
  float fovRatio;            // its vertical field of view over viewFov
  float xMagnify, yMagnify;  // pixels per unit of x/z and y/z
  float xCentre, yCentre;    // pixels: where the line of sight meets it (width / 2, height / 2)
  float nearZ, farZ;
  Matrix translation;  // moves the position to the origin
  Matrix rotation;     // world axes to camera axes
  Matrix view;         // translation, then rotation
};

// ---- the scene -----------------------------------------------------------

// The textures of frames larger than the classic one, per material with
// their levels (PrepareSharpTextures); private to the engine.
struct SharpTextures;

struct Scene {
  Mesh3D* mesh;
  TransformedMesh* transformed;
  ScreenMesh* screen;
  HierarchyNode* hierarchy;
  std::uint32_t hierarchyBytes;
  std::uint32_t precalcBytes;  // always 0
  std::uint32_t totalBytes;
  ProjectionCamera* camera;
  float* depthBuffer;    // 64000 values of 1/z
  Picture* pictures;     // one per material, in material order
  SharpTextures* sharp;  // nullptr until PrepareSharpTextures
};

// Byte sizes of the memory report, as the scene records count them.
inline constexpr std::uint32_t SceneRecordBytes = 44;

}  // namespace vx