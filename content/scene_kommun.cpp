// ---- kommun: a flight down a colonnade of monoliths under spinning stars
#include <cmath>
#include <string>

#include "scene_kit.h"

namespace vx::content {

namespace {

constexpr AngleKey CameraFovs[] = {
    {.frame = 0, .degrees = 75, .tcb = {}},
    {.frame = 175, .degrees = 62, .tcb = {.tension = 0.3f, .continuity = 0, .bias = 0}},
    {.frame = 350, .degrees = 80, .tcb = {}},
};
// The flight banks gently: rolled further, the colonnade's verticals
// crossed the frame at many angles at once and read as clutter.
constexpr AngleKey CameraRolls[] = {
    {.frame = 0, .degrees = 0, .tcb = {}},
    {.frame = 120, .degrees = 12, .tcb = {.tension = 0, .continuity = 0, .bias = 0.4f}},
    {.frame = 240, .degrees = -8, .tcb = {.tension = 0, .continuity = -0.4f, .bias = 0}},
    {.frame = 350, .degrees = 7, .tcb = {}},
};

}  // namespace

Scene3ds KommunScene() {
  Stage s(350);
  s.AddMaterial("Lava", "MAGMA");
  s.AddMaterial("Chrome", "CHROME");
  s.AddMaterial("Hazard", "HAZARD");
  s.AddMaterial("Sky", "STARS");
  s.AddMaterial("Tiles", "TILES");
  s.AddMaterial("Stone", "TILES");
  s.SetLight(Light{V(0, 0, 150), 0.12f, 150});
  Dome(s, "Sky", 800, 5, 2);
  s.AddMesh("Road", Flat(130, 760, 4, 20, "Tiles", 0.5f));
  const int colonnade = s.AddDummy("Colonnade");
  for (int i = 0; i < 12; ++i)
    for (int side = 0; side < 2; ++side) {
      const double x = side == 0 ? -52 : 52, y = -330 + 60 * i;
      const double h = 110 + 40 * ((i + side) % 3);
      // Each stands on a dark stone foot, so that no bright pillar rises
      // from the road right behind the caption near the bottom of the frame.
      Mesh pillar =
          Box(V(x - 7, y - 7, 0), V(x + 7, y + 7, h), (i + side) % 2 ? "Chrome" : "Lava", 1, 14);
      Append(pillar, Box(V(x - 10, y - 10, 0), V(x + 10, y + 10, 26), "Stone", 1, 13));
      s.AddLitMesh("Pillar" + std::to_string(i * 2 + side + 1), pillar, colonnade);
    }
  // Five along the flight, the last ahead of where it ends, so that its
  // final seconds look down the colonnade at a star, not into an empty
  // corridor.
  for (int i = 0; i < 5; ++i) {
    const int star =
        s.AddLitMesh("Star" + std::to_string(i + 1),
                     StandUp(Placed(Extrude(StarOutline(5, 12, 30), 6, "Hazard", "Lava"),
                                    V(1, 1, 1), 0, V(0, 0, -3))));
    s.Position(star, 0, V(0, -180 + 120 * i, 80));
    s.Spin(star, 0, 350, 35, i % 2 ? 2.5f : -2.5f, Vector{0, 1, 0});
    s.Scale(star, 0, V(1, 1, 1));
    s.Scale(star, 175, V(1.15, 1.15, 1.15), Tcb{0, 0, 0.5f});
    s.Scale(star, 350, V(1, 1, 1));
  }

  s.AddCamera("Camera01");
  for (std::uint32_t f = 0, k = 0; f <= 350; f += 50, ++k) {
    const double y = -360 + 560.0 * f / 350.0;
    s.CameraPosition(f, V(k % 2 ? 16 : -16, y, 16 + 5 * (k % 3)), Tcb{0, 0, 0.2f});
    s.CameraTarget(f, V(0, y + 150, 48));
  }
  s.CameraFov(CameraFovs);
  s.CameraRoll(CameraRolls);
  return s.Finish();
}

}  // namespace vx::content
