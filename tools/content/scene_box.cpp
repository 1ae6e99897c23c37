// ---- box: crates stack, fall and circle a plinth in a brick hall --------
#include <cmath>
#include <string>

#include "scene_kit.h"

namespace vx::content {

Scene3ds BoxScene() {
  Stage s(250);
  s.AddMaterial("Crate", "CRATE");
  s.AddMaterial("Steel", "METAL");
  s.AddMaterial("Hazard", "HAZARD");
  s.AddMaterial("Wall", "BRICKS");
  s.AddMesh("Hall", Inverted(Box(V(-220, -220, -1), V(220, 220, 160), "Wall", 2)));
  s.AddMesh("Floor", Flat(440, 440, 8, 8, "Hazard", 0.5f));
  s.AddMesh("Plinth", Box(V(-28, -28, 0), V(28, 28, 16), "Steel", 1));
  const int tower = s.AddDummy("Tower");
  s.Position(tower, 0, V(0, 0, 16));
  s.Spin(tower, 0, 250, 25, 0.8f, Vector{0, 0, 1});
  for (int level = 0; level < 3; ++level)
    for (int k = 0; k < 2; ++k) {
      const int crate = s.AddMesh("Stack" + std::to_string(level * 2 + k + 1),
                                  Box(V(-11, -11, 0), V(11, 11, 22), "Crate"), tower);
      const double a = level * 50.0 * Pi / 180.0 + k * Pi;
      s.Position(crate, 0, V(11.5 * std::cos(a), 11.5 * std::sin(a), level * 22));
      s.Rotation(crate, 0, static_cast<float>(level * 50.0), Vector{0, 0, 1});
    }
  // The top crate drops in, bounces and settles.
  const int drop = s.AddMesh("Dropper", Box(V(-12, -12, 0), V(12, 12, 24), "Crate"), tower);
  s.Position(drop, 0, V(0, 0, 150));
  s.Position(drop, 30, V(0, 0, 150), Tcb{1, 0, 0});
  s.Position(drop, 58, V(0, 0, 66), Tcb{0, -1, 0});
  s.Position(drop, 70, V(0, 0, 78), Tcb{0, 0, 0});
  s.Position(drop, 80, V(0, 0, 66), Tcb{0, -1, 0});
  s.Position(drop, 250, V(0, 0, 66), Tcb{1, 0, 0});
  s.Rotation(drop, 0, 0, Vector{0, 0, 1});
  s.Rotation(drop, 58, 90, Vector{0, 0, 1});
  s.Rotation(drop, 80, 15, Vector{0, 0, 1});
  s.Scale(drop, 0, V(1, 1, 1));
  s.Scale(drop, 56, V(1, 1, 1));
  s.Scale(drop, 59, V(1.2, 1.2, 0.75), Tcb{0, 0.5f, 0});
  s.Scale(drop, 66, V(1, 1, 1));
  // Piles of crates stand in the corners of the hall.
  const int piles = s.AddDummy("Piles");
  for (int corner = 0; corner < 4; ++corner) {
    const double a = (45.0 + 90.0 * corner) * Pi / 180.0;
    const double cx = 165 * std::cos(a), cy = 165 * std::sin(a);
    for (int k = 0; k < 3; ++k) {
      const double ox = k == 2 ? 0 : (k == 0 ? -13 : 13);
      const double z = k == 2 ? 24 : 0;
      const int crate = s.AddMesh("Pile" + std::to_string(corner * 3 + k + 1),
                                  Box(V(-12, -12, 0), V(12, 12, 24), "Crate"), piles);
      s.Position(crate, 0, V(cx + ox * std::cos(a + Pi / 2), cy + ox * std::sin(a + Pi / 2), z));
      s.Rotation(crate, 0, static_cast<float>((corner * 90 + 45 + k * 17 + 180) % 360 - 180),
                 Vector{0, 0, 1});
    }
  }
  // Eight crates ride a ring that turns the other way, tumbling.
  const int ring = s.AddDummy("Ring");
  s.Position(ring, 0, V(0, 0, 40));
  s.Spin(ring, 0, 250, 25, -1.4f, Vector{0, 0, 1});
  for (int i = 0; i < 8; ++i) {
    const double a = i * Pi / 4;
    const int c = s.AddMesh("Orbiter" + std::to_string(i + 1),
                            Box(V(-7, -7, -7), V(7, 7, 7), i % 2 ? "Crate" : "Steel"), ring);
    s.Position(c, 0, V(82 * std::cos(a), 82 * std::sin(a), 0));
    s.Position(c, 125, V(82 * std::cos(a), 82 * std::sin(a), i % 2 ? 18 : -18), Tcb{0, 0, 0.3f});
    s.Position(c, 250, V(82 * std::cos(a), 82 * std::sin(a), 0));
    s.Spin(c, 0, 250, 25, 3.0f + i * 0.4f, Vector{1, (i % 3) * 0.5f, 0.3f});
  }

  s.AddCamera("Camera01");
  OrbitCamera(s, 0, 250, 25, V(0, 0, 0), 175, 140, 95, 60, 200, 320, Tcb{0, 0, 0.1f});
  s.CameraTarget(0, V(0, 0, 60));
  s.CameraTarget(60, V(0, 0, 70));
  s.CameraTarget(250, V(0, 0, 45));
  s.CameraFov(0, 70);
  s.CameraFov(250, 58);
  s.CameraRoll(0, 0);
  s.CameraRoll(125, 8, Tcb{0.4f, 0, 0});
  s.CameraRoll(250, -4);
  return s.Finish();
}

}  // namespace vx::content
