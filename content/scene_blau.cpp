// ---- blau: a flight over blue hills through spinning ice gates ----------
#include <algorithm>
#include <cmath>
#include <string>

#include "canvas.h"
#include "scene_kit.h"

namespace vx::content {

namespace {

double BlauHeight(double x, double y) {
  return 10.0 * std::sin(x * 0.021) * std::cos(y * 0.017) + 6.0 * std::sin((x + y) * 0.043) - 8.0;
}

Vector BlauPath(double t) {  // t in 0..1: the flight line
  return V(70.0 * std::sin(t * 2 * Pi * 1.5), -300.0 + 560.0 * t,
           42.0 + 10.0 * std::sin(t * 2 * Pi));
}

constexpr std::uint32_t End = 490;
constexpr Vector TitleAt{0, 400, 50};

// The swarm of orbs drifts along the flight line.
constexpr PointKey SwarmDrift[] = {
    {.frame = 0, .value = V(0, -150, 70), .tcb = {}},
    {.frame = 245, .value = V(0, 60, 80), .tcb = {}},
    {.frame = End, .value = V(0, 260, 75), .tcb = {}},
};
// The title sways about its upright.
constexpr TurnKey TitleSway[] = {
    {.frame = 0, .degrees = -12, .axis = V(0, 0, 1), .tcb = {}},
    {.frame = 245, .degrees = 24, .axis = V(0, 0, 1), .tcb = {}},
    {.frame = End, .degrees = -24, .axis = V(0, 0, 1), .tcb = {}},
};
constexpr AngleKey CameraFovs[] = {
    {.frame = 0, .degrees = 64, .tcb = {}},
    {.frame = 245, .degrees = 72, .tcb = {.tension = 0, .continuity = 0.3f, .bias = 0}},
    {.frame = End, .degrees = 60, .tcb = {}},
};

// The hills: cells far from the flight line (beyond 190 across it or past
// its end) use the far material, whose haze has no lines to alias.
void AddHills(Stage& s) {
  Mesh hills = Terrain(
      760, 760, 20, 20, [](float x, float y) { return static_cast<float>(BlauHeight(x, y)); },
      "Sea", 0.5f);
  for (Face3ds& face : hills.faces) {
    const Vector a = hills.vertices[face.a], b = hills.vertices[face.b], c = hills.vertices[face.c];
    const float x = (a.x + b.x + c.x) / 3, y = (a.y + b.y + c.y) / 3;
    if (std::abs(x) > 190 || y > 300) face.material = "SeaFar";
  }
  s.AddLitMesh("Hills", hills);
}

// Orbs circling above the line.
void AddSwarm(Stage& s) {
  const int swarm = s.AddDummy("Swarm");
  s.Position(swarm, SwarmDrift);
  s.Spin(swarm, 0, End, 49, 1.5f, Vector{0, 0, 1});
  for (int i = 0; i < 3; ++i) {
    const double a = i * 2 * Pi / 3;
    const int orb =
        s.AddLitMesh("Orb" + std::to_string(i + 1), Sphere(7, 16, 10, "Frost", 2, 1), swarm);
    s.Position(orb, 0, V(45 * std::cos(a), 45 * std::sin(a), 0));
    s.Position(orb, 120, V(45 * std::cos(a), 45 * std::sin(a), 14 * (i - 1)));
    s.Position(orb, End, V(45 * std::cos(a), 45 * std::sin(a), 0));
  }
}

}  // namespace

Scene3ds BlauScene() {
  Stage s(End);
  s.AddMaterial("Sea", "BLUGRID");
  s.AddMaterial("SeaFar", "BLUFAR");
  s.AddMaterial("Frost", "FROST");
  s.AddMaterial("Sky", "NIGHT");
  s.AddMaterial("Gold", "GOLD");
  s.SetLight(Light{V(300, -600, 800), 0.25f, 1100});
  Dome(s, "Sky", 900, 5, 2);
  AddHills(s);
  // Gates stand across the flight line and turn about it.
  for (int i = 0; i < 6; ++i) {
    const double t = (i + 0.7) / 6.6;
    const Vector p = BlauPath(t);
    const int gate =
        s.AddLitMesh("Gate" + std::to_string(i + 1), StandUp(Torus(26, 3, 24, 6, "Frost", 6, 1)));
    s.Position(gate, 0, p);
    s.Spin(gate, 0, End, 49, i % 2 ? 1.2f : -1.2f, Vector{0, 1, 0});
  }
  // Ice spires on the hills.
  Random random(303);
  for (int i = 0; i < 10; ++i) {
    const double x = (i % 2 ? 1 : -1) * random.Range(110, 260), y = random.Range(-320, 320);
    const float h = static_cast<float>(random.Range(40, 90));
    s.AddLitMesh(
        "Spire" + std::to_string(i + 1),
        Placed(Cylinder(9, 0, h, 6, "Frost", 2), V(1, 1, 1), 0, V(x, y, BlauHeight(x, y) - 2)));
  }
  AddSwarm(s);
  // The title, extruded from the glyph outlines in gold, so that it stands
  // apart from the ice gates in front of it, floats past the end of the
  // line, far enough that the flight's last look takes it in whole.
  const int title = s.AddLitMesh("Title", OutlineText("VX-1", 48.0f, 5.0f, "Gold"));
  s.Position(title, 0, TitleAt);
  s.Rotation(title, TitleSway);

  s.AddCamera("Camera01");
  for (std::uint32_t f = 0; f <= End; f += 35) {
    const double t = static_cast<double>(f) / End;
    s.CameraPosition(f, BlauPath(t), Tcb{0, 0, f % 70 == 0 ? 0.2f : 0.0f});
    // The last looks turn to the title, which the flight ends before.
    const Vector ahead = BlauPath(std::min(1.25, t + 0.18));
    s.CameraTarget(
        f, t > 0.9 ? V(TitleAt.x, TitleAt.y, TitleAt.z - 12) : V(ahead.x, ahead.y, ahead.z - 12));
  }
  s.CameraFov(CameraFovs);
  for (std::uint32_t f = 0, k = 0; f <= End; f += 70, ++k)
    s.CameraRoll(f, k % 2 ? 12.0f : -12.0f, Tcb{0.3f, 0, 0});
  return s.Finish();
}

}  // namespace vx::content
