// ---- effekt: a gimbal of rings around a spinning star, for the strong
// radial blur ------------------------------------------------------------
#include <cmath>
#include <string>

#include "scene_kit.h"

namespace vx::content {

namespace {

constexpr PointKey CameraTargets[] = {
    {.frame = 0, .value = V(0, 0, 0), .tcb = {}},
    {.frame = 195, .value = V(0, 0, 5), .tcb = {}},
};
constexpr AngleKey CameraFovs[] = {
    {.frame = 0, .degrees = 60, .tcb = {}},
    {.frame = 100, .degrees = 70, .tcb = {.tension = 0, .continuity = -0.4f, .bias = 0}},
    {.frame = 195, .degrees = 58, .tcb = {}},
};
constexpr AngleKey CameraRolls[] = {
    {.frame = 0, .degrees = 0, .tcb = {}},
    {.frame = 65, .degrees = 35, .tcb = {.tension = 0, .continuity = 0, .bias = 0.3f}},
    {.frame = 130, .degrees = -25, .tcb = {.tension = 0.3f, .continuity = 0, .bias = 0}},
    {.frame = 195, .degrees = 20, .tcb = {}},
};

}  // namespace

Scene3ds EffektScene() {
  Stage s(195);
  s.AddMaterial("Plasma", "PLASMA");
  s.AddMaterial("Chrome", "CHROME");
  s.AddMaterial("Circuit", "CIRCUIT");
  s.AddMaterial("Sky", "STARS");
  s.SetLight(Light{V(-30, 120, 90), 0.25f, 130});
  Dome(s, "Sky", 500, 4, 2);
  const int gimbal = s.AddDummy("Gimbal");
  s.Spin(gimbal, 0, 195, 15, 2.0f, Vector{0, 0, 1});
  const int outer = s.AddLitMesh("OuterRing", Torus(62, 4, 28, 8, "Chrome", 8, 1), gimbal);
  s.Spin(outer, 0, 195, 15, 3.0f, Vector{1, 0, 0});
  const int middle = s.AddLitMesh("MiddleRing", Torus(47, 3.5f, 24, 8, "Plasma", 6, 1), outer);
  s.Spin(middle, 0, 195, 15, -4.0f, Vector{0, 1, 0});
  const int inner = s.AddLitMesh("InnerRing", Torus(33, 3, 20, 8, "Circuit", 5, 1), middle);
  s.Spin(inner, 0, 195, 15, 5.0f, Vector{1, 0, 0});
  const int star = s.AddLitMesh(
      "Star",
      Placed(Extrude(StarOutline(8, 8, 22), 8, "Plasma", "Plasma"), V(1, 1, 1), 0, V(0, 0, -4)));
  s.Spin(star, 0, 195, 15, -6.0f, Vector{0.2f, 0.3f, 1});
  s.Scale(star, 0, V(1, 1, 1));
  for (std::uint32_t f = 15; f <= 195; f += 30) {
    s.Scale(star, f, V(1.3, 1.3, 1.3), Tcb{0, 0.5f, 0});
    if (f + 15 <= 195) s.Scale(star, f + 15, V(0.9, 0.9, 0.9));
  }
  // Spikes radiating from the middle, turning as one.
  Mesh spikes;
  for (const Vector& d : SpherePoints(14))
    Append(spikes,
           Oriented(Placed(Cylinder(2.5f, 0, 18, 6, "Chrome"), V(1, 1, 1), 0, V(0, 0, 10)), d));
  const int urchin = s.AddLitMesh("Urchin", spikes, inner);
  s.Spin(urchin, 0, 195, 15, 3.0f, Vector{1, 1, 0});
  const int orbit = s.AddDummy("Orbit");
  s.Spin(orbit, 0, 195, 15, -2.5f, Vector{0.3f, 0, 1});
  // Cubes of plasma, each side in one shade: in the circuit texture, and
  // shaded cell by cell, they read as streaky green specks under the blur.
  for (int i = 0; i < 6; ++i) {
    const double a = i * Pi / 3;
    const int cube =
        s.AddLitMesh("Cube" + std::to_string(i + 1), Box(V(-5, -5, -5), V(5, 5, 5), "Plasma", 1, 4),
                     orbit, Facets::Planes);
    s.Position(cube, 0, V(85 * std::cos(a), 85 * std::sin(a), 0));
    s.Spin(cube, 0, 195, 15, 6.0f, Vector{1, 0.5f, 0.2f});
  }

  s.AddCamera("Camera01");
  OrbitCamera(s, 0, 195, 15, V(0, 0, 0), 170, 120, 40, -30, 0, 220, Tcb{0, 0, 0});
  s.CameraTarget(CameraTargets);
  s.CameraFov(CameraFovs);
  s.CameraRoll(CameraRolls);
  return s.Finish();
}

}  // namespace vx::content
