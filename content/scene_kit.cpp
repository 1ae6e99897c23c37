#include "scene_kit.h"

#include <algorithm>
#include <cmath>

namespace vx::content {

int Dome(Stage& stage, const std::string& material, float radius, float uTiles, float vTiles) {
  return stage.AddMesh("Sky", Inverted(Sphere(radius, 16, 8, material, uTiles, vTiles)));
}

Mesh Flat(float sx, float sy, int nx, int ny, const std::string& material, float tiles) {
  return Terrain(
      sx, sy, nx, ny, [](float, float) { return 0.0f; }, material, tiles);
}

void OrbitCamera(Stage& stage, std::uint32_t first, std::uint32_t last, std::uint32_t step,
                 Vector centre, double radius0, double radius1, double height0, double height1,
                 double degrees0, double degrees1, Tcb tcb) {
  for (std::uint32_t f = first; f <= last; f += step) {
    const double t = static_cast<double>(f - first) / (last - first);
    const double a = (degrees0 + (degrees1 - degrees0) * t) * Pi / 180.0;
    const double r = radius0 + (radius1 - radius0) * t;
    stage.CameraPosition(f,
                         V(centre.x + r * std::cos(a), centre.y + r * std::sin(a),
                           centre.z + height0 + (height1 - height0) * t),
                         tcb);
  }
}

void PointAlong(Stage& stage, int track, Vector dir) {
  const double length = std::sqrt(dir.x * dir.x + dir.y * dir.y + dir.z * dir.z);
  const double c = dir.z / length;
  Vector axis{-dir.y, dir.x, 0};  // z x dir
  if (std::abs(axis.x) + std::abs(axis.y) < 1e-6f) axis = Vector{1, 0, 0};
  stage.Rotation(track, 0, static_cast<float>(std::acos(std::clamp(c, -1.0, 1.0)) * 180.0 / Pi),
                 axis);
}

std::vector<Vector> SpherePoints(int n) {
  std::vector<Vector> points;
  for (int i = 0; i < n; ++i) {
    const double z = 1.0 - 2.0 * (i + 0.5) / n;
    const double r = std::sqrt(1.0 - z * z);
    const double a = i * Pi * (3.0 - std::sqrt(5.0));
    points.push_back(V(r * std::cos(a), r * std::sin(a), z));
  }
  return points;
}

Mesh StandUp(Mesh mesh) {
  return Oriented(std::move(mesh), Vector{0, -1, 0});
}

}  // namespace vx::content
