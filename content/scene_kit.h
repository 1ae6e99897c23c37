#pragma once
// Shared by the scene files (scene_NAME.cpp), one per scene of the show:
// the scene builders and the small helpers they use to place domes, floors
// and cameras.
#include <cstdint>
#include <string>
#include <vector>

#include "meshes.h"
#include "stage.h"
#include "write3ds.h"

namespace vx::content {

inline constexpr double Pi = 3.14159265358979323846;

// The scene builders, one per file.
Scene3ds KinyitScene();
Scene3ds LibikoScene();
Scene3ds BlauScene();
Scene3ds BoxScene();
Scene3ds LabdaScene();
Scene3ds EffektScene();
Scene3ds KommunScene();
Scene3ds EvilScene();

constexpr Vector V(double x, double y, double z) {
  return Vector{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

// An inward sphere of radius about the origin named "Sky".
int Dome(Stage& stage, const std::string& material, float radius, float uTiles, float vTiles);
// A flat height field at z = 0.
Mesh Flat(float sx, float sy, int nx, int ny, const std::string& material, float tiles);
// Camera keys on a circle (or spiral) about centre: angle in degrees
// counter-clockwise from +x, radius and height interpolated linearly over
// [first, last], one key every step frames.
void OrbitCamera(Stage& stage, std::uint32_t first, std::uint32_t last, std::uint32_t step,
                 Vector centre, double radius0, double radius1, double height0, double height1,
                 double degrees0, double degrees1, Tcb tcb = {});
// The turn that takes +z onto dir, as a first rotation key.
void PointAlong(Stage& stage, int track, Vector dir);
// Points spread evenly over the unit sphere (golden-angle spiral).
std::vector<Vector> SpherePoints(int n);
// Rotation about the x axis by +90 degrees: y becomes z, z becomes -y.
Mesh StandUp(Mesh mesh);

}  // namespace vx::content
