// ---- labda: five balls bouncing on a chequered floor, one loop ----------
#include <cmath>
#include <iterator>
#include <map>
#include <string>

#include "scene_kit.h"

namespace vx::content {

namespace {

constexpr std::uint32_t Loop = 120;

struct BallSpec {
  const char* material;
  float radius;
  std::uint32_t period;  // divides the loop
  std::uint32_t phase;
  float height;
  double angle, distance;  // where it bounces: degrees from +x, distance from the middle
};
constexpr BallSpec Balls[] = {
    {.material = "Ball",
     .radius = 12,
     .period = 40,
     .phase = 0,
     .height = 45,
     .angle = 0,
     .distance = 0},
    {.material = "Marble",
     .radius = 8,
     .period = 30,
     .phase = 10,
     .height = 34,
     .angle = 72,
     .distance = 55},
    {.material = "Plasma",
     .radius = 9,
     .period = 60,
     .phase = 20,
     .height = 60,
     .angle = 144,
     .distance = 60},
    {.material = "Ball",
     .radius = 7,
     .period = 24,
     .phase = 6,
     .height = 26,
     .angle = 216,
     .distance = 52},
    {.material = "Marble",
     .radius = 10,
     .period = 40,
     .phase = 20,
     .height = 40,
     .angle = 288,
     .distance = 58},
};

constexpr PointKey CameraTargets[] = {
    {.frame = 0, .value = V(0, 0, 18), .tcb = {}},
    {.frame = Loop, .value = V(0, 0, 18), .tcb = {}},
};
constexpr AngleKey CameraFovs[] = {
    {.frame = 0, .degrees = 62, .tcb = {}},
    {.frame = 60, .degrees = 56, .tcb = {.tension = 0, .continuity = 0, .bias = 0.25f}},
    {.frame = Loop, .degrees = 62, .tcb = {}},
};
constexpr AngleKey CameraRolls[] = {
    {.frame = 0, .degrees = 0, .tcb = {}},
    {.frame = Loop, .degrees = 0, .tcb = {}},
};

// Ball i (from 0) on its spot, bouncing and spinning.
void AddBall(Stage& s, int i, const BallSpec& b) {
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
  lift[Loop] = {height(Loop), Tcb{}};
  squash[0] = V(1, 1, 1);
  squash[Loop] = V(1, 1, 1);
  for (std::uint32_t f = b.phase % half; f <= Loop; f += half) {
    const bool contact = (f + p - b.phase % p) % p == 0;
    lift[f] = contact ? std::pair{static_cast<double>(r), Tcb{0, -1, 0}}
                      : std::pair{r + static_cast<double>(b.height), Tcb{0.15f, 0, 0}};
    if (contact) {
      if (f >= 3) squash[f - 3] = V(1, 1, 1);
      squash[f] = V(1.22, 1.22, 0.72);
      if (f + 3 <= Loop) squash[f + 3] = V(1, 1, 1);
    }
  }
  for (const auto& [f, key] : lift) s.Position(ball, f, V(0, 0, key.first), key.second);
  for (const auto& [f, value] : squash) s.Scale(ball, f, value);
  s.Spin(ball, 0, Loop, 20, (i % 2 ? 3.0f : -3.0f), Vector{1, 0, 0});
}

}  // namespace

Scene3ds LabdaScene() {
  Stage s(Loop);
  s.AddMaterial("Floor", "CHECKER");
  s.AddMaterial("Ball", "BALL");
  s.AddMaterial("Marble", "MARBLE");
  s.AddMaterial("Plasma", "PLASMA");
  s.AddMaterial("Sky", "CLOUDS");
  s.SetLight(Light{V(100, -100, 150), 0.25f, 250});
  Dome(s, "Sky", 600, 3, 2);
  s.AddMesh("Floor", Flat(700, 700, 14, 14, "Floor", 0.5f));
  for (int i = 0; i < static_cast<int>(std::size(Balls)); ++i) AddBall(s, i, Balls[i]);
  s.AddCamera("Camera01");
  OrbitCamera(s, 0, Loop, 20, V(0, 0, 0), 150, 150, 55, 55, 250, 250 + 360);
  s.CameraTarget(CameraTargets);
  s.CameraFov(CameraFovs);
  s.CameraRoll(CameraRolls);
  return s.Finish();
}

}  // namespace vx::content
