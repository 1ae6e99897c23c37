// ---- labda: five balls bouncing on a chequered floor, one loop ----------
#include <cmath>
#include <map>

#include "scene_kit.h"

namespace vx::content {

Scene3ds LabdaScene() {
  constexpr std::uint32_t loop = 120;
  Stage s(loop);
  s.AddMaterial("Floor", "CHECKER");
  s.AddMaterial("Ball", "BALL");
  s.AddMaterial("Marble", "MARBLE");
  s.AddMaterial("Plasma", "PLASMA");
  s.AddMaterial("Sky", "CLOUDS");
  s.SetLight(Light{V(100, -100, 150), 0.25f, 250});
  Dome(s, "Sky", 600, 3, 2);
  s.AddMesh("Floor", Flat(700, 700, 14, 14, "Floor", 0.5f));
  struct BallSpec {
    const char* material;
    float radius;
    std::uint32_t period;  // divides the loop
    std::uint32_t phase;
    float height;
    double angle, distance;
  };
  const BallSpec balls[5] = {{"Ball", 12, 40, 0, 45, 0, 0},
                             {"Marble", 8, 30, 10, 34, 72, 55},
                             {"Plasma", 9, 60, 20, 60, 144, 60},
                             {"Ball", 7, 24, 6, 26, 216, 52},
                             {"Marble", 10, 40, 20, 40, 288, 58}};
  for (int i = 0; i < 5; ++i) {
    const BallSpec& b = balls[i];
    const std::string n = std::to_string(i + 1);
    const int spot = s.AddDummy("Spot" + n);
    const double a = b.angle * Pi / 180.0;
    s.Position(spot, 0, V(b.distance * std::cos(a), b.distance * std::sin(a), 0));
    const int ball = s.AddLitMesh("Ball" + n, Sphere(b.radius, 22, 13, b.material, 2, 1), spot);
    // Contacts every period frames from phase on: a sharp turn (continuity
    // -1) and a squash; apexes halfway between with a smooth turn. The
    // period divides the loop, so frame 0 and the last frame agree.
    const float r = b.radius;
    const std::uint32_t p = b.period, half = p / 2;
    auto height = [&](std::uint32_t f) {  // the parabola between contacts
      const double x = std::fmod(static_cast<double>(f + p - b.phase % p), p) / p;
      return r + b.height * 4.0 * x * (1.0 - x);
    };
    std::map<std::uint32_t, std::pair<double, Tcb>> lift;
    std::map<std::uint32_t, Vector> squash;
    lift[0] = {height(0), Tcb{}};
    lift[loop] = {height(loop), Tcb{}};
    squash[0] = V(1, 1, 1);
    squash[loop] = V(1, 1, 1);
    for (std::uint32_t f = b.phase % half; f <= loop; f += half) {
      const bool contact = (f + p - b.phase % p) % p == 0;
      lift[f] = contact ? std::pair{static_cast<double>(r), Tcb{0, -1, 0}}
                        : std::pair{r + static_cast<double>(b.height), Tcb{0.15f, 0, 0}};
      if (contact) {
        if (f >= 3) squash[f - 3] = V(1, 1, 1);
        squash[f] = V(1.22, 1.22, 0.72);
        if (f + 3 <= loop) squash[f + 3] = V(1, 1, 1);
      }
    }
    for (const auto& [f, key] : lift) s.Position(ball, f, V(0, 0, key.first), key.second);
    for (const auto& [f, value] : squash) s.Scale(ball, f, value);
    s.Spin(ball, 0, loop, 20, (i % 2 ? 3.0f : -3.0f), Vector{1, 0, 0});
  }
  s.AddCamera("Camera01");
  OrbitCamera(s, 0, loop, 20, V(0, 0, 0), 150, 150, 55, 55, 250, 250 + 360);
  s.CameraTarget(0, V(0, 0, 18));
  s.CameraTarget(loop, V(0, 0, 18));
  s.CameraFov(0, 62);
  s.CameraFov(60, 56, Tcb{0, 0, 0.25f});
  s.CameraFov(loop, 62);
  s.CameraRoll(0, 0);
  s.CameraRoll(loop, 0);
  return s.Finish();
}

}  // namespace vx::content
