#pragma once
// Assembling a keyframed scene for the 3DS writer: materials, mesh nodes,
// dummy nodes, one camera, and their keys. Tracks are numbered in creation
// order, which is also the node order of the file, and a parent is always
// created before its children.
//
// Conventions of the keys (file space, z up, frames from 0):
//  - Position keys are in the parent's space; each object's mesh is built
//    around its own origin, which is also its pivot.
//  - Rotation keys give the turn since the previous key (the first key the
//    turn from rest), right-handed about the axis, in degrees; the file
//    stores them as the engine reads them.
//  - Every object track gets at least one position, rotation and scale key;
//    the camera at least one position, FOV and roll key.
#include <map>
#include <span>
#include <string>
#include <vector>

#include "meshes.h"
#include "write3ds.h"

namespace vx::content {

// Kochanek-Bartels parameters of a key (all 0: a Catmull-Rom-like curve).
struct Tcb {
  float tension = 0.0f, continuity = 0.0f, bias = 0.0f;
};

// Rows of a scene's tables of keys, for the overloads below that take a
// whole table: one key each, written with every member named.
struct PointKey {  // a position (of an object, the camera or its target) or a scale
  std::uint32_t frame;
  Vector value;
  Tcb tcb;
};
struct TurnKey {  // a rotation key, as Stage::Rotation takes it
  std::uint32_t frame;
  float degrees;
  Vector axis;
  Tcb tcb;
};
struct AngleKey {  // a FOV or roll key of the camera, in degrees
  std::uint32_t frame;
  float degrees;
  Tcb tcb;
};

class Stage {
 public:
  explicit Stage(std::uint32_t endFrame);

  // A material named name with the texture base name (WOOD -> WOOD.GIF).
  void AddMaterial(const std::string& name, const std::string& texture);
  // A mesh object and its track; returns the track index.
  int AddMesh(const std::string& name, const Mesh& mesh, int parent = -1);
  // The scene's key light and ambient level (FaceShades), in file space.
  void SetLight(const Light& light);
  // AddMesh with baked light: every face uses the shade of its material
  // that the key light gives it where the mesh stands at frame 0 (the light
  // turns with an object that turns), a material "NAME_k" added on first
  // use with the texture's shade k. Every material of the mesh must have a
  // texture that comes in shades. Facets::Planes gives each plane of the
  // mesh one shade, however finely it is cut.
  int AddLitMesh(const std::string& name, const Mesh& mesh, int parent = -1,
                 Facets facets = Facets::Quads);
  // AddMesh with shine mapping (ShineMapping): every vertex's u follows the
  // key light where the mesh stands at frame 0, for materials whose texture
  // is a shine map. The light turns with an object that turns, so shiny
  // meshes should not spin on their own.
  int AddShinyMesh(const std::string& name, const Mesh& mesh, int parent = -1);
  // A track that drives no mesh; its children inherit its transform.
  int AddDummy(const std::string& name, int parent = -1);

  void Position(int track, std::uint32_t frame, Vector p, Tcb tcb = {});
  void Rotation(int track, std::uint32_t frame, float degrees, Vector axis, Tcb tcb = {});
  void Scale(int track, std::uint32_t frame, Vector s, Tcb tcb = {});
  // One key per row, in the table's order.
  void Position(int track, std::span<const PointKey> keys);
  void Rotation(int track, std::span<const TurnKey> keys);
  void Scale(int track, std::span<const PointKey> keys);
  // Keys for a steady spin: one rotation key every step frames from first to
  // last, each turning by degreesPerFrame x step about axis.
  void Spin(int track, std::uint32_t first, std::uint32_t last, std::uint32_t step,
            float degreesPerFrame, Vector axis);

  // The one camera: returns nothing; keys are added with the calls below.
  void AddCamera(const std::string& name);
  void CameraPosition(std::uint32_t frame, Vector p, Tcb tcb = {});
  void CameraTarget(std::uint32_t frame, Vector p, Tcb tcb = {});
  void CameraFov(std::uint32_t frame, float degrees, Tcb tcb = {});
  void CameraRoll(std::uint32_t frame, float degrees, Tcb tcb = {});
  // One key per row, in the table's order.
  void CameraPosition(std::span<const PointKey> keys);
  void CameraTarget(std::span<const PointKey> keys);
  void CameraFov(std::span<const AngleKey> keys);
  void CameraRoll(std::span<const AngleKey> keys);

  // Completes default keys and object matrices; the scene to write.
  Scene3ds Finish() const;

 private:
  Scene3ds scene_;
  std::map<std::string, std::string> textureOf_;  // material name -> texture base name
  Light light_;
  enum class Bake { None, Shades, Shine };
  std::vector<Bake> bake_;      // per object
  std::vector<Facets> facets_;  // per object, for Bake::Shades
  int cameraTrack_ = -1;
  int targetTrack_ = -1;
};

Spline3ds SplineOf(Tcb tcb);

}  // namespace vx::content
