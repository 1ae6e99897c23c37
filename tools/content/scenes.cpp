// The eight scenes. Lengths (end frames) cover what each slot reaches: local
// ticks times the scene's frame factor (kinyit 300, libiko 241, blau 482,
// box 244, effekt 187, kommun 340, evil 311), with a margin; labda is a
// 120-frame loop whose last keys repeat its first ones.
//
// Every scene stands inside a textured dome or room, so the camera sees
// lit pixels in every direction, and keeps its action in front of the
// camera for the whole slot.
#include "scenes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "canvas.h"
#include "stage.h"

namespace vx::content {

namespace {

constexpr double Pi = 3.14159265358979323846;

Vector V(double x, double y, double z) {
  return Vector{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

int Dome(Stage& stage, const std::string& material, float radius, float uTiles, float vTiles) {
  return stage.AddMesh("Sky", Inverted(Sphere(radius, 16, 8, material, uTiles, vTiles)));
}

Mesh Flat(float sx, float sy, int nx, int ny, const std::string& material, float tiles) {
  return Terrain(
      sx, sy, nx, ny, [](float, float) { return 0.0f; }, material, tiles);
}

// Camera keys on a circle (or spiral) about centre: angle in degrees
// counter-clockwise from +x, radius and height interpolated linearly over
// [first, last], one key every step frames.
void OrbitCamera(Stage& stage, std::uint32_t first, std::uint32_t last, std::uint32_t step,
                 Vector centre, double radius0, double radius1, double height0, double height1,
                 double degrees0, double degrees1, Tcb tcb = {}) {
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

// The turn that takes +z onto dir, as a first rotation key.
void PointAlong(Stage& stage, int track, Vector dir) {
  const double length = std::sqrt(dir.x * dir.x + dir.y * dir.y + dir.z * dir.z);
  const double c = dir.z / length;
  Vector axis{-dir.y, dir.x, 0};  // z x dir
  if (std::abs(axis.x) + std::abs(axis.y) < 1e-6f) axis = Vector{1, 0, 0};
  stage.Rotation(track, 0, static_cast<float>(std::acos(std::clamp(c, -1.0, 1.0)) * 180.0 / Pi),
                 axis);
}

// Points spread evenly over the unit sphere (golden-angle spiral).
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

// Rotation about the x axis by +90 degrees: y becomes z, z becomes -y.
Mesh StandUp(Mesh mesh) {
  return Oriented(std::move(mesh), Vector{0, -1, 0});
}

// ---- kinyit: a metal box on a circuit board opens its lid and its four
// walls, and a golden core rises out of it ---------------------------------
Scene3ds Kinyit() {
  Stage s(310);
  s.AddMaterial("Panel", "METAL");
  s.AddMaterial("Board", "CIRCUIT");
  s.AddMaterial("Core", "GOLD");
  s.AddMaterial("Sky", "STARS");
  Dome(s, "Sky", 600, 4, 2);
  s.AddMesh("Board", Flat(420, 420, 10, 10, "Board", 1));

  const int root = s.AddDummy("BoxRoot");
  s.Spin(root, 0, 310, 31, 0.35f, Vector{0, 0, 1});
  s.AddMesh("Base", Box(V(-21, -21, 0), V(21, 21, 2), "Panel"), root);

  // Walls hinge on their bottom outer edge and fall outwards.
  const Mesh wall = Box(V(-20, -2, 0), V(20, 0, 40), "Panel");
  for (int i = 0; i < 4; ++i) {
    const double a = (90.0 + 90.0 * i) * Pi / 180.0;  // outward direction of wall i
    const Vector out = V(std::cos(a), std::sin(a), 0);
    const int w = s.AddMesh("Wall" + std::to_string(i + 1),
                            Placed(wall, V(1, 1, 1), 90.0f * i, V(0, 0, 0)), root);
    s.Position(w, 0, V(out.x * 20, out.y * 20, 2));
    const Vector hinge{-out.y, out.x, 0};  // z x out: turning about it tips the top outwards
    const std::uint32_t start = 70 + 12 * i;
    s.Rotation(w, 0, 0, hinge);
    s.Rotation(w, start, 0, hinge, Tcb{1, 0, 0});
    s.Rotation(w, start + 70, 112, hinge, Tcb{0, 0, 0.4f});
    s.Rotation(w, start + 95, -14, hinge, Tcb{0.2f, 0, 0});
    s.Rotation(w, start + 120, 4, hinge, Tcb{0.5f, 0, 0});
  }
  // The lid swings up about its edge on the +x side.
  const int lid = s.AddMesh("Lid", Box(V(-42, -21, 0), V(0, 21, 2.5), "Panel"), root);
  s.Position(lid, 0, V(21, 0, 42));
  s.Rotation(lid, 0, 0, Vector{0, 1, 0});
  s.Rotation(lid, 25, 0, Vector{0, 1, 0}, Tcb{1, 0, 0});
  s.Rotation(lid, 85, 110, Vector{0, 1, 0}, Tcb{0, -0.3f, 0});
  s.Rotation(lid, 130, 100, Vector{0.3f, 1, 0});
  s.Rotation(lid, 200, 110, Vector{0.3f, 1, 0});
  // ... and is thrown off when the core rises.
  s.Position(lid, 95, V(21, 0, 42), Tcb{1, 0, 0});
  s.Position(lid, 200, V(140, 60, 190), Tcb{0, 0, -0.5f});
  s.Position(lid, 310, V(320, 120, 300));

  // The core: a dummy that rises and grows, an orb and a ring inside it,
  // and shards circling it.
  const int core = s.AddDummy("Core", root);
  s.Position(core, 0, V(0, 0, 14));
  s.Position(core, 60, V(0, 0, 14), Tcb{1, 0, 0});
  s.Position(core, 170, V(0, 0, 52), Tcb{0, 0, -0.3f});
  s.Position(core, 240, V(0, 0, 46));
  s.Position(core, 310, V(0, 0, 50));
  s.Scale(core, 0, V(0.35, 0.35, 0.35));
  s.Scale(core, 60, V(0.35, 0.35, 0.35), Tcb{1, 0, 0});
  s.Scale(core, 170, V(1.7, 1.7, 1.7), Tcb{0, 0.4f, 0});
  s.Scale(core, 310, V(1.5, 1.5, 1.5));
  const int orb = s.AddMesh("Orb", Sphere(7, 14, 8, "Core", 2, 1), core);
  s.Spin(orb, 0, 310, 31, 2.0f, Vector{0, 0, 1});
  const int ring = s.AddMesh("CoreRing", Torus(13, 2.5f, 24, 8, "Core", 6, 1), core);
  s.Spin(ring, 0, 310, 31, 2.5f, Vector{1, 0.3f, 0});
  const int shards = s.AddDummy("Shards", core);
  s.Spin(shards, 0, 310, 31, -3.0f, Vector{0, 0, 1});
  for (int i = 0; i < 8; ++i) {
    const double a = i * Pi / 4;
    const int shard =
        s.AddMesh("Shard" + std::to_string(i + 1), Box(V(-2, -2, -4), V(2, 2, 4), "Panel"), shards);
    s.Position(shard, 0, V(22 * std::cos(a), 22 * std::sin(a), (i % 2 ? 4 : -4)));
    s.Spin(shard, 0, 310, 31, 4.0f, Vector{1, 1, 0});
  }

  s.AddCamera("Camera01");
  OrbitCamera(s, 0, 310, 31, V(0, 0, 0), 125, 120, 60, 85, -70, 40);
  s.CameraTarget(0, V(0, 0, 18));
  s.CameraTarget(150, V(0, 0, 36), Tcb{0, 0, 0.3f});
  s.CameraTarget(310, V(0, 0, 42));
  s.CameraFov(0, 58);
  s.CameraFov(180, 50, Tcb{0.3f, 0, 0});
  s.CameraFov(310, 56);
  s.CameraRoll(0, -6);
  s.CameraRoll(150, 4);
  s.CameraRoll(310, -3);
  return s.Finish();
}

// ---- libiko: a see-saw with two riders on a chequered playground --------
Scene3ds Libiko() {
  Stage s(250);
  s.AddMaterial("Plank", "WOOD");
  s.AddMaterial("Floor", "CHECKER");
  s.AddMaterial("Rider", "BALL");
  s.AddMaterial("Wall", "BRICKS");
  s.AddMaterial("Steel", "METAL");
  s.AddMaterial("Sky", "CLOUDS");
  Dome(s, "Sky", 700, 3, 2);
  s.AddMesh("Ground", Flat(360, 360, 12, 12, "Floor", 0.25f));
  s.AddMesh("BackWall", Box(V(-170, 110, 0), V(170, 122, 56), "Wall", 3));
  s.AddMesh("Fulcrum",
            StandUp(Placed(Extrude({{-14, 0}, {14, 0}, {2, 24}, {-2, 24}}, 16, "Steel", "Steel"),
                           V(1, 1, 1), 0, V(0, 0, -8))));
  const int balance = s.AddDummy("Balance");
  s.Position(balance, 0, V(0, 0, 25));
  // Rock between -16 and +16 degrees every 30 frames; the ends bump the
  // ground (continuity < 0 makes the turn sharp).
  s.Rotation(balance, 0, -16, Vector{0, 1, 0});
  for (std::uint32_t f = 30, k = 0; f <= 250; f += 30, ++k)
    s.Rotation(balance, f, k % 2 == 0 ? 32.0f : -32.0f, Vector{0, 1, 0}, Tcb{0.1f, -0.5f, 0});
  const int plank = s.AddMesh("Plank", Box(V(-75, -7, 0), V(75, 7, 3), "Plank", 1), balance);
  for (int side = 0; side < 2; ++side) {
    const double x = side == 0 ? -62 : 62;
    const std::string tag = side == 0 ? "L" : "R";
    const int handle = s.AddMesh("Handle" + tag, Cylinder(1.2f, 1.2f, 14, 8, "Steel"), plank);
    s.Position(handle, 0, V(x + (side == 0 ? 10 : -10), 0, 3));
    const int rider = s.AddMesh("Rider" + tag, Sphere(8, 14, 8, "Rider", 1, 1), plank);
    // The rider on the rising end hops off the plank and lands again.
    const std::uint32_t phase = side == 0 ? 0 : 30;
    s.Position(rider, 0, V(x, 0, 11));
    for (std::uint32_t f = 30 + phase; f + 15 <= 250; f += 60) {
      s.Position(rider, f - 10, V(x, 0, 11), Tcb{0, -1, 0});
      s.Position(rider, f + 4, V(x, 0, 26), Tcb{0.2f, 0, 0});
      s.Position(rider, f + 15, V(x, 0, 11), Tcb{0, -1, 0});
    }
    s.Spin(rider, 0, 250, 25, side == 0 ? 3.0f : -3.0f, Vector{0, 1, 0});
  }
  // Posts and rings along the wall.
  for (int i = 0; i < 5; ++i) {
    const double x = -120 + 60 * i;
    s.AddMesh("Post" + std::to_string(i + 1),
              Placed(Cylinder(3, 3, 40, 8, "Steel"), V(1, 1, 1), 0, V(x, 95, 0)));
    const int hoop =
        s.AddMesh("Hoop" + std::to_string(i + 1), StandUp(Torus(9, 1.6f, 16, 6, "Rider", 4, 1)));
    s.Position(hoop, 0, V(x, 95, 50));
    s.Spin(hoop, 0, 250, 25, i % 2 ? 2.0f : -2.0f, Vector{0, 0, 1});
  }

  s.AddCamera("Camera01");
  s.CameraPosition(0, V(-150, -150, 70));
  s.CameraPosition(60, V(-60, -170, 45), Tcb{0, 0, 0.2f});
  s.CameraPosition(130, V(40, -150, 38));
  s.CameraPosition(190, V(120, -110, 60), Tcb{0.2f, 0, 0});
  s.CameraPosition(250, V(150, -40, 80));
  s.CameraTarget(0, V(0, 0, 22));
  s.CameraTarget(130, V(0, 10, 26));
  s.CameraTarget(250, V(10, 0, 20));
  s.CameraFov(0, 62);
  s.CameraFov(120, 52, Tcb{0.2f, 0, 0});
  s.CameraFov(250, 60);
  s.CameraRoll(0, 4);
  s.CameraRoll(125, -5);
  s.CameraRoll(250, 3);
  return s.Finish();
}

// ---- blau: a flight over blue hills through spinning ice gates ----------
double BlauHeight(double x, double y) {
  return 10.0 * std::sin(x * 0.021) * std::cos(y * 0.017) + 6.0 * std::sin((x + y) * 0.043) - 8.0;
}

Vector BlauPath(double t) {  // t in 0..1: the flight line
  return V(70.0 * std::sin(t * 2 * Pi * 1.5), -300.0 + 560.0 * t,
           42.0 + 10.0 * std::sin(t * 2 * Pi));
}

Scene3ds Blau() {
  Stage s(490);
  s.AddMaterial("Sea", "BLUGRID");
  s.AddMaterial("Ice", "ICE");
  s.AddMaterial("Sky", "STARS");
  Dome(s, "Sky", 900, 5, 2);
  s.AddMesh("Hills",
            Terrain(
                760, 760, 20, 20,
                [](float x, float y) { return static_cast<float>(BlauHeight(x, y)); }, "Sea", 1));
  // Gates stand across the flight line and turn about it.
  for (int i = 0; i < 6; ++i) {
    const double t = (i + 0.7) / 6.6;
    const Vector p = BlauPath(t);
    const int gate =
        s.AddMesh("Gate" + std::to_string(i + 1), StandUp(Torus(26, 3, 16, 5, "Ice", 6, 1)));
    s.Position(gate, 0, p);
    s.Spin(gate, 0, 490, 49, i % 2 ? 1.2f : -1.2f, Vector{0, 1, 0});
  }
  // Ice spires on the hills.
  Random random(303);
  for (int i = 0; i < 10; ++i) {
    const double x = (i % 2 ? 1 : -1) * random.Range(110, 260), y = random.Range(-320, 320);
    const float h = static_cast<float>(random.Range(40, 90));
    s.AddMesh("Spire" + std::to_string(i + 1),
              Placed(Cylinder(9, 0, h, 6, "Ice", 2), V(1, 1, 1), 0, V(x, y, BlauHeight(x, y) - 2)));
  }
  // Orbs circling above the line.
  const int swarm = s.AddDummy("Swarm");
  s.Position(swarm, 0, V(0, -150, 70));
  s.Position(swarm, 245, V(0, 60, 80));
  s.Position(swarm, 490, V(0, 260, 75));
  s.Spin(swarm, 0, 490, 49, 1.5f, Vector{0, 0, 1});
  for (int i = 0; i < 3; ++i) {
    const double a = i * 2 * Pi / 3;
    const int orb = s.AddMesh("Orb" + std::to_string(i + 1), Sphere(7, 12, 8, "Ice", 2, 1), swarm);
    s.Position(orb, 0, V(45 * std::cos(a), 45 * std::sin(a), 0));
    s.Position(orb, 120, V(45 * std::cos(a), 45 * std::sin(a), 14 * (i - 1)));
    s.Position(orb, 490, V(45 * std::cos(a), 45 * std::sin(a), 0));
  }
  // The title floats over the end of the line.
  const int title = s.AddMesh("Title", BlockText("VX-1", 12, 4.0f, 5.0f, "Ice"));
  s.Position(title, 0, V(0, 340, 40));
  s.Rotation(title, 0, -12, Vector{0, 0, 1});
  s.Rotation(title, 245, 24, Vector{0, 0, 1});
  s.Rotation(title, 490, -24, Vector{0, 0, 1});

  s.AddCamera("Camera01");
  for (std::uint32_t f = 0; f <= 490; f += 35) {
    const double t = f / 490.0;
    s.CameraPosition(f, BlauPath(t), Tcb{0, 0, f % 70 == 0 ? 0.2f : 0.0f});
    const Vector ahead = BlauPath(std::min(1.25, t + 0.18));
    s.CameraTarget(f, V(ahead.x, ahead.y, ahead.z - 12));
  }
  s.CameraFov(0, 64);
  s.CameraFov(245, 72, Tcb{0, 0.3f, 0});
  s.CameraFov(490, 60);
  for (std::uint32_t f = 0, k = 0; f <= 490; f += 70, ++k)
    s.CameraRoll(f, k % 2 ? 12.0f : -12.0f, Tcb{0.3f, 0, 0});
  return s.Finish();
}

// ---- box: crates stack, fall and circle a plinth in a brick hall --------
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
      s.Rotation(crate, 0, static_cast<float>((corner * 90 + 45 + k * 17 + 180) % 360 - 180), Vector{0, 0, 1});
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

// ---- labda: five balls bouncing on a chequered floor, one loop ----------
Scene3ds Labda() {
  constexpr std::uint32_t loop = 120;
  Stage s(loop);
  s.AddMaterial("Floor", "CHECKER");
  s.AddMaterial("Ball", "BALL");
  s.AddMaterial("Marble", "MARBLE");
  s.AddMaterial("Plasma", "PLASMA");
  s.AddMaterial("Sky", "CLOUDS");
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
    const int ball = s.AddMesh("Ball" + n, Sphere(b.radius, 14, 9, b.material, 2, 1), spot);
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

// ---- effekt: a gimbal of rings around a spinning star, for the strong
// radial blur ------------------------------------------------------------
Scene3ds Effekt() {
  Stage s(195);
  s.AddMaterial("Plasma", "PLASMA");
  s.AddMaterial("Chrome", "CHROME");
  s.AddMaterial("Circuit", "CIRCUIT");
  s.AddMaterial("Sky", "STARS");
  Dome(s, "Sky", 500, 4, 2);
  const int gimbal = s.AddDummy("Gimbal");
  s.Spin(gimbal, 0, 195, 15, 2.0f, Vector{0, 0, 1});
  const int outer = s.AddMesh("OuterRing", Torus(62, 4, 28, 8, "Chrome", 8, 1), gimbal);
  s.Spin(outer, 0, 195, 15, 3.0f, Vector{1, 0, 0});
  const int middle = s.AddMesh("MiddleRing", Torus(47, 3.5f, 24, 8, "Plasma", 6, 1), outer);
  s.Spin(middle, 0, 195, 15, -4.0f, Vector{0, 1, 0});
  const int inner = s.AddMesh("InnerRing", Torus(33, 3, 20, 8, "Circuit", 5, 1), middle);
  s.Spin(inner, 0, 195, 15, 5.0f, Vector{1, 0, 0});
  const int star = s.AddMesh("Star", Placed(Extrude(StarOutline(8, 8, 22), 8, "Plasma", "Chrome"),
                                            V(1, 1, 1), 0, V(0, 0, -4)));
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
  const int urchin = s.AddMesh("Urchin", spikes, inner);
  s.Spin(urchin, 0, 195, 15, 3.0f, Vector{1, 1, 0});
  const int orbit = s.AddDummy("Orbit");
  s.Spin(orbit, 0, 195, 15, -2.5f, Vector{0.3f, 0, 1});
  for (int i = 0; i < 6; ++i) {
    const double a = i * Pi / 3;
    const int cube =
        s.AddMesh("Cube" + std::to_string(i + 1), Box(V(-5, -5, -5), V(5, 5, 5), "Circuit"), orbit);
    s.Position(cube, 0, V(85 * std::cos(a), 85 * std::sin(a), 0));
    s.Spin(cube, 0, 195, 15, 6.0f, Vector{1, 0.5f, 0.2f});
  }

  s.AddCamera("Camera01");
  OrbitCamera(s, 0, 195, 15, V(0, 0, 0), 170, 120, 40, -30, 0, 220, Tcb{0, 0, 0});
  s.CameraTarget(0, V(0, 0, 0));
  s.CameraTarget(195, V(0, 0, 5));
  s.CameraFov(0, 60);
  s.CameraFov(100, 70, Tcb{0, -0.4f, 0});
  s.CameraFov(195, 58);
  s.CameraRoll(0, 0);
  s.CameraRoll(65, 35, Tcb{0, 0, 0.3f});
  s.CameraRoll(130, -25, Tcb{0.3f, 0, 0});
  s.CameraRoll(195, 20);
  return s.Finish();
}

// ---- kommun: a flight down a colonnade of monoliths under spinning stars
Scene3ds Kommun() {
  Stage s(350);
  s.AddMaterial("Lava", "LAVA");
  s.AddMaterial("Chrome", "CHROME");
  s.AddMaterial("Hazard", "HAZARD");
  s.AddMaterial("Sky", "STARS");
  s.AddMaterial("Tiles", "TILES");
  Dome(s, "Sky", 800, 5, 2);
  s.AddMesh("Road", Flat(130, 760, 4, 20, "Tiles", 0.5f));
  const int colonnade = s.AddDummy("Colonnade");
  for (int i = 0; i < 12; ++i)
    for (int side = 0; side < 2; ++side) {
      const double x = side == 0 ? -52 : 52, y = -330 + 60 * i;
      const double h = 110 + 40 * ((i + side) % 3);
      s.AddMesh("Pillar" + std::to_string(i * 2 + side + 1),
                Box(V(x - 7, y - 7, 0), V(x + 7, y + 7, h), (i + side) % 2 ? "Chrome" : "Lava", 1),
                colonnade);
    }
  for (int i = 0; i < 4; ++i) {
    const int star = s.AddMesh("Star" + std::to_string(i + 1),
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
  s.CameraFov(0, 75);
  s.CameraFov(175, 62, Tcb{0.3f, 0, 0});
  s.CameraFov(350, 80);
  s.CameraRoll(0, 0);
  s.CameraRoll(120, 25, Tcb{0, 0, 0.4f});
  s.CameraRoll(240, -15, Tcb{0, -0.4f, 0});
  s.CameraRoll(350, 40);
  return s.Finish();
}

// ---- evil: a pulsing spiked heart with swaying tentacles ---------------
Scene3ds Evil() {
  Stage s(320);
  s.AddMaterial("Lava", "LAVA");
  s.AddMaterial("Flesh", "FLESH");
  s.AddMaterial("Rock", "OBSIDIAN");
  s.AddMaterial("Gold", "GOLD");
  s.AddMaterial("Sky", "STARS");
  Dome(s, "Sky", 700, 4, 2);
  s.AddMesh("Ground",
            Terrain(
                500, 500, 12, 12,
                [](float x, float y) {
                  return static_cast<float>(-40.0 + 8.0 * std::sin(x * 0.05) * std::sin(y * 0.04));
                },
                "Rock", 1));
  const int heart = s.AddDummy("Heart");
  s.Spin(heart, 0, 320, 32, 1.2f, Vector{0, 0, 1});
  Mesh body = Sphere(20, 16, 10, "Lava", 3, 2);
  for (const Vector& d : SpherePoints(18))
    Append(body, Oriented(Placed(Cylinder(4, 0, 26, 6, "Gold"), V(1, 1, 1), 0, V(0, 0, 17)), d));
  const int core = s.AddMesh("Core", body, heart);
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
      const int seg = s.AddMesh("Arm" + n + static_cast<char>('a' + k),
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
  const int vein = s.AddMesh("Vein", Tube(knot, 1.8f, 5, "Gold", 8), heart);
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

}  // namespace

const std::vector<SceneInfo>& AllScenes() {
  static const std::vector<SceneInfo> scenes = {
      {"kinyit", 310, Kinyit}, {"libiko", 250, Libiko}, {"blau", 490, Blau},
      {"box", 250, BoxScene},  {"labda", 120, Labda},   {"effekt", 195, Effekt},
      {"kommun", 350, Kommun}, {"evil", 320, Evil},
  };
  return scenes;
}

bool WriteScene(const SceneInfo& scene, const std::string& path) {
  const Scene3ds built = scene.build();
  if (built.endFrame != scene.frames) {
    std::fprintf(stderr, "vxcontent: scene %s ends at frame %u, expected %u\n", scene.name.c_str(),
                 built.endFrame, scene.frames);
    return false;
  }
  if (!Write3dsFile(built, path)) {
    std::fprintf(stderr, "vxcontent: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace vx::content
