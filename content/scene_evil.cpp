// ---- evil: a pulsing spiked heart with swaying tentacles ---------------
#include <cmath>
#include <string>

#include "scene_kit.h"

namespace vx::content {

Scene3ds EvilScene() {
  Stage s(320);
  s.AddMaterial("Lava", "LAVA");
  s.AddMaterial("Flesh", "FLESH");
  s.AddMaterial("Rock", "OBSIDIAN");
  s.AddMaterial("Gold", "GOLD");
  s.AddMaterial("Sky", "STARS");
  s.SetLight(Light{V(40, -80, 60), 0.15f, 120});
  Dome(s, "Sky", 700, 4, 2);
  s.AddLitMesh("Ground", Terrain(
                             500, 500, 12, 12,
                             [](float x, float y) {
                               return static_cast<float>(-40.0 + 8.0 * std::sin(x * 0.05) *
                                                                     std::sin(y * 0.04));
                             },
                             "Rock", 1));
  const int heart = s.AddDummy("Heart");
  s.Spin(heart, 0, 320, 32, 1.2f, Vector{0, 0, 1});
  Mesh body = Sphere(20, 24, 14, "Lava", 3, 2);
  for (const Vector& d : SpherePoints(18))
    Append(body, Oriented(Placed(Cylinder(4, 0, 26, 6, "Gold"), V(1, 1, 1), 0, V(0, 0, 17)), d));
  const int core = s.AddLitMesh("Core", body, heart);
  // A heartbeat: quick double swell, then rest.
  s.Scale(core, 0, V(1, 1, 1));
  for (std::uint32_t f = 20; f + 24 <= 320; f += 48) {
    s.Scale(core, f, V(1.18, 1.18, 1.18), Tcb{0, -0.6f, 0});
    s.Scale(core, f + 8, V(1.02, 1.02, 1.02));
    s.Scale(core, f + 14, V(1.12, 1.12, 1.12), Tcb{0, -0.6f, 0});
    s.Scale(core, f + 24, V(1, 1, 1), Tcb{0.5f, 0, 0});
  }
  s.Spin(core, 0, 320, 32, -2.0f, Vector{0.3f, 1, 0.2f});
  // Tentacles: chains of four tapering segments from the heart.
  const std::vector<Vector> roots = SpherePoints(6);
  for (int i = 0; i < 6; ++i) {
    const std::string n = std::to_string(i + 1);
    int parent = s.AddDummy("Arm" + n, heart);
    PointAlong(s, parent, roots[i]);
    float r = 5.0f;
    for (int k = 0; k < 4; ++k) {
      const float length = 22.0f - 3.0f * k;
      const int seg = s.AddLitMesh("Arm" + n + static_cast<char>('a' + k),
                                   Cylinder(r, r * 0.72f, length, 8, "Flesh", 1), parent);
      s.Position(seg, 0, V(0, 0, k == 0 ? 16 : 22.0f - 3.0f * (k - 1)));
      s.Rotation(seg, 0, 0, Vector{1, 0, 0});
      // Sway: alternating turns, each segment a little later than its parent.
      const std::uint32_t lag = 6 * k + 5 * i;
      for (std::uint32_t f = 10 + lag % 30, j = 0; f <= 320; f += 40, ++j)
        s.Rotation(seg, f, (j == 0 ? 18.0f : (j % 2 ? -36.0f : 36.0f)), Vector{1, 0.4f, 0},
                   Tcb{0, 0, 0.3f});
      parent = seg;
      r *= 0.72f;
    }
  }
  // A vein that winds around the heart (a torus knot tube).
  std::vector<Vector> knot;
  for (int i = 0; i <= 64; ++i) {
    const double t = i * 2 * Pi / 64;
    const double rr = 34 + 6 * std::cos(3 * t);
    knot.push_back(V(rr * std::cos(2 * t), rr * std::sin(2 * t), 8 * std::sin(3 * t)));
  }
  const int vein = s.AddLitMesh("Vein", Tube(knot, 1.8f, 5, "Gold", 8), heart);
  s.Spin(vein, 0, 320, 32, 2.5f, Vector{0, 0, 1});

  s.AddCamera("Camera01");
  OrbitCamera(s, 0, 320, 40, V(0, 0, 0), 230, 120, 5, 35, 90, 200, Tcb{0, 0, 0.2f});
  s.CameraTarget(0, V(0, 0, 0));
  s.CameraTarget(160, V(0, 0, 10));
  s.CameraTarget(320, V(0, 0, 0));
  s.CameraFov(0, 70);
  s.CameraFov(200, 48, Tcb{0.4f, 0, 0});
  s.CameraFov(320, 42);
  s.CameraRoll(0, -12);
  s.CameraRoll(160, 10);
  s.CameraRoll(320, -8);
  return s.Finish();
}

}  // namespace vx::content
