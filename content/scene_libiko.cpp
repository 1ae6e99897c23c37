// ---- libiko: a see-saw with two riders on a chequered playground --------
#include <cmath>
#include <string>

#include "scene_kit.h"

namespace vx::content {

namespace {

constexpr std::uint32_t End = 250;

constexpr PointKey CameraPath[] = {
    {.frame = 0, .value = V(-150, -150, 70), .tcb = {}},
    {.frame = 60, .value = V(-60, -170, 45), .tcb = {.tension = 0, .continuity = 0, .bias = 0.2f}},
    {.frame = 130, .value = V(40, -150, 38), .tcb = {}},
    {.frame = 190, .value = V(120, -110, 46), .tcb = {.tension = 0.2f, .continuity = 0, .bias = 0}},
    {.frame = End, .value = V(150, -40, 54), .tcb = {}},
};
constexpr PointKey CameraTargets[] = {
    {.frame = 0, .value = V(0, 0, 22), .tcb = {}},
    {.frame = 130, .value = V(0, 10, 26), .tcb = {}},
    {.frame = End, .value = V(10, 0, 26), .tcb = {}},
};
constexpr AngleKey CameraFovs[] = {
    {.frame = 0, .degrees = 62, .tcb = {}},
    {.frame = 120, .degrees = 52, .tcb = {.tension = 0.2f, .continuity = 0, .bias = 0}},
    {.frame = End, .degrees = 60, .tcb = {}},
};
constexpr AngleKey CameraRolls[] = {
    {.frame = 0, .degrees = 4, .tcb = {}},
    {.frame = 125, .degrees = -5, .tcb = {}},
    {.frame = End, .degrees = 3, .tcb = {}},
};

// A handle and a rider at each end of the plank.
void AddRiders(Stage& s, int plank) {
  for (int side = 0; side < 2; ++side) {
    const double x = side == 0 ? -62 : 62;
    const std::string tag = side == 0 ? "L" : "R";
    // The handle stands clear of its rider (radius 8) even as the rider
    // spins and hops, so that from behind it never seems to pierce the ball.
    const int handle = s.AddLitMesh("Handle" + tag, Cylinder(1.2f, 1.2f, 14, 8, "Steel"), plank);
    s.Position(handle, 0, V(x + (side == 0 ? 15 : -15), 0, 3));
    const int rider = s.AddLitMesh("Rider" + tag, Sphere(8, 24, 14, "Rider", 1, 1), plank);
    // The rider on the rising end hops off the plank and lands again.
    const std::uint32_t phase = side == 0 ? 0 : 30;
    s.Position(rider, 0, V(x, 0, 11));
    for (std::uint32_t f = 30 + phase; f + 15 <= End; f += 60) {
      s.Position(rider, f - 10, V(x, 0, 11), Tcb{0, -1, 0});
      s.Position(rider, f + 4, V(x, 0, 26), Tcb{0.2f, 0, 0});
      s.Position(rider, f + 15, V(x, 0, 11), Tcb{0, -1, 0});
    }
    s.Spin(rider, 0, End, 25, side == 0 ? 3.0f : -3.0f, Vector{0, 1, 0});
  }
}

}  // namespace

Scene3ds LibikoScene() {
  Stage s(End);
  s.AddMaterial("Plank", "WOOD");
  s.AddMaterial("Floor", "CHECKER");
  s.AddMaterial("Rider", "BALL");
  s.AddMaterial("Wall", "BRICKS");
  s.AddMaterial("Steel", "METAL");
  s.AddMaterial("Sky", "CLOUDS");
  s.SetLight(Light{V(-30, -70, 70), 0.25f, 80});
  Dome(s, "Sky", 700, 3, 2);
  s.AddMesh("Ground", Flat(360, 360, 12, 12, "Floor", 0.25f));
  // The wall in six blocks and two wings, each mapping the bricks once on a side about
  // as wide as it is high, so that the bricks keep their shape; one mesh,
  // so that the light grades along the whole wall.
  Mesh wall;
  for (int i = 0; i < 6; ++i)
    Append(wall, Box(V(-170 + 340.0 * i / 6, 110, 0), V(-170 + 340.0 * (i + 1) / 6, 122, 56),
                     "Wall", 1, 20));
  // Two blocks turn forward at either end, so that the wall closes a corner
  // of the yard instead of ending in the open against the sky.
  for (int side = 0; side < 2; ++side)
    for (int j = 0; j < 2; ++j) {
      const double x0 = side == 0 ? -182 : 170;
      Append(wall,
             Box(V(x0, 122 - 56.0 * (j + 1), 0), V(x0 + 12, 122 - 56.0 * j, 56), "Wall", 1, 20));
    }
  s.AddLitMesh("BackWall", wall);
  // The fulcrum: a four-sided frustum whose sloped sides catch the light
  // differently.
  constexpr double FulcrumHeight = 24;
  s.AddLitMesh("Fulcrum",
               Placed(Cylinder(16, 3, FulcrumHeight, 4, "Steel"), V(1, 0.7, 1), 45, V(0, 0, 0)));
  // The plank turns about the middle of its underside, which rests on the
  // fulcrum's top: as it tilts, the top's corners stay within its thickness.
  const int balance = s.AddDummy("Balance");
  s.Position(balance, 0, V(0, 0, FulcrumHeight));
  // Rock between -16 and +16 degrees every 30 frames; the ends bump the
  // ground (continuity < 0 makes the turn sharp).
  s.Rotation(balance, 0, -16, Vector{0, 1, 0});
  for (std::uint32_t f = 30, k = 0; f <= End; f += 30, ++k)
    s.Rotation(balance, f, k % 2 == 0 ? 32.0f : -32.0f, Vector{0, 1, 0}, Tcb{0.1f, -0.5f, 0});
  const int plank = s.AddLitMesh("Plank", Box(V(-75, -7, 0), V(75, 7, 3), "Plank", 1, 10), balance);
  AddRiders(s, plank);
  // Posts and rings along the wall.
  for (int i = 0; i < 5; ++i) {
    const double x = -120 + 60 * i;
    s.AddLitMesh("Post" + std::to_string(i + 1),
                 Placed(Cylinder(3, 3, 40, 8, "Steel"), V(1, 1, 1), 0, V(x, 95, 0)));
    const int hoop =
        s.AddLitMesh("Hoop" + std::to_string(i + 1), StandUp(Torus(9, 1.6f, 16, 6, "Rider", 4, 1)));
    s.Position(hoop, 0, V(x, 95, 50));
    s.Spin(hoop, 0, End, 25, i % 2 ? 2.0f : -2.0f, Vector{0, 0, 1});
  }

  s.AddCamera("Camera01");
  s.CameraPosition(CameraPath);
  s.CameraTarget(CameraTargets);
  s.CameraFov(CameraFovs);
  s.CameraRoll(CameraRolls);
  return s.Finish();
}

}  // namespace vx::content
