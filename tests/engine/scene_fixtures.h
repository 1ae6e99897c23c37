#pragma once
// Scenes built by hand for the engine's tests: the records the 3DS loader
// would produce (engine space, y up), allocated the way it allocates them so
// that FreeScene releases them through the loader's own free.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/engine.h"

namespace vx::test {

struct FaceDesc {
  std::uint16_t a, b, c;
  std::uint16_t material = 0;
};

struct ObjectDesc {
  std::string name;
  std::vector<MeshVertex> vertices;  // world space, as loaded
  std::vector<FaceDesc> faces;
  Vector axes[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
  std::uint16_t trackIndex = 0;
};

struct TrackDesc {
  std::uint8_t kind = TrackObject;
  std::string name;
  std::uint16_t parent = NoTrack;
  Vector pivot{0, 0, 0};
  std::vector<VectorKey> position;
  std::vector<RotationKey> rotation;
  std::vector<VectorKey> scale;
  std::vector<ScalarKey> fov;
  std::vector<ScalarKey> roll;
  std::vector<MorphKey> morph;
};

struct CameraDesc {
  std::string name;
  std::uint16_t positionTrack = NoTrack;
  std::uint16_t targetTrack = NoTrack;
};

struct SceneDesc {
  std::vector<ObjectDesc> objects;
  std::vector<TrackDesc> tracks;
  std::vector<CameraDesc> cameras;
  std::vector<std::string> materials;  // texture file names
  std::uint16_t frameCount = 100;
};

// Keys with spline parameters tension, continuity, bias (flags set for each).
VectorKey VKey(std::uint16_t frame, Vector value, float tension = 0, float continuity = 0,
               float bias = 0);
ScalarKey SKey(std::uint16_t frame, float value, float tension = 0, float continuity = 0,
               float bias = 0);
RotationKey RKey(std::uint16_t frame, float angle, Vector axis, float tension = 0,
                 float continuity = 0, float bias = 0);

// A Track record over key vectors that outlive it (for EvaluateTrack alone).
Track MakeTrack(std::uint8_t kind, std::vector<VectorKey>& position,
                std::vector<RotationKey>& rotation, std::vector<VectorKey>& scale,
                std::vector<ScalarKey>& fov, std::vector<ScalarKey>& roll);

// A loaded scene (LoadScene's state: totalBytes 44, nothing prepared).
Scene* MakeLoadedScene(const SceneDesc& desc);
// Loaded, then PrepareScene, BuildHierarchy, PrecalculateScene, ComputeBounds
// (no textures: faces draw the blank texture).
Scene* MakePreparedScene(const SceneDesc& desc);
// FreeHierarchy, FreeSceneBuffers, FreeScene.
void DestroyScene(Scene*& scene);

// A camera track pair looking from 'from' to 'to' (static keys), fov degrees.
void AddCamera(SceneDesc& desc, Vector from, Vector to, float fov = 90.0f, float roll = 0.0f);

// Expectation helpers.
::testing::AssertionResult MatricesNear(const Matrix& a, const Matrix& b, float tolerance);

// A camera at the origin looking along +z (camera space = world space with
// y flipped), near plane 0.5; each object placed by one static identity
// track.
SceneDesc InView(std::vector<ObjectDesc> objects);
// One face through a, b and c (texture corners 0,0, 1,0 and 0,1).
ObjectDesc Triangle(const std::string& name, Vector a, Vector b, Vector c);

}  // namespace vx::test
