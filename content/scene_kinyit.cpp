// ---- kinyit: a metal box on a circuit board opens its lid and its four
// walls, and a golden core rises out of it ---------------------------------
#include <cmath>
#include <string>

#include "scene_kit.h"

namespace vx::content {

namespace {

constexpr std::uint32_t End = 310;

// The lid swings up about its edge on the +x side ...
constexpr TurnKey LidTurns[] = {
    {.frame = 0, .degrees = 0, .axis = V(0, 1, 0), .tcb = {}},
    {.frame = 25,
     .degrees = 0,
     .axis = V(0, 1, 0),
     .tcb = {.tension = 1, .continuity = 0, .bias = 0}},
    {.frame = 85,
     .degrees = 110,
     .axis = V(0, 1, 0),
     .tcb = {.tension = 0, .continuity = -0.3f, .bias = 0}},
    {.frame = 130, .degrees = 100, .axis = V(0.3f, 1, 0), .tcb = {}},
    {.frame = 200, .degrees = 110, .axis = V(0.3f, 1, 0), .tcb = {}},
};
// ... and is thrown off when the core rises.
constexpr PointKey LidFlight[] = {
    {.frame = 0, .value = V(21, 0, 42), .tcb = {}},
    {.frame = 95, .value = V(21, 0, 42), .tcb = {.tension = 1, .continuity = 0, .bias = 0}},
    {.frame = 200, .value = V(140, 60, 190), .tcb = {.tension = 0, .continuity = 0, .bias = -0.5f}},
    {.frame = End, .value = V(320, 120, 300), .tcb = {}},
};

// The core rises and grows.
constexpr PointKey CoreRise[] = {
    {.frame = 0, .value = V(0, 0, 14), .tcb = {}},
    {.frame = 60, .value = V(0, 0, 14), .tcb = {.tension = 1, .continuity = 0, .bias = 0}},
    {.frame = 170, .value = V(0, 0, 52), .tcb = {.tension = 0, .continuity = 0, .bias = -0.3f}},
    {.frame = 240, .value = V(0, 0, 46), .tcb = {}},
    {.frame = End, .value = V(0, 0, 50), .tcb = {}},
};
constexpr PointKey CoreGrowth[] = {
    {.frame = 0, .value = V(0.35, 0.35, 0.35), .tcb = {}},
    {.frame = 60, .value = V(0.35, 0.35, 0.35), .tcb = {.tension = 1, .continuity = 0, .bias = 0}},
    {.frame = 170, .value = V(1.7, 1.7, 1.7), .tcb = {.tension = 0, .continuity = 0.4f, .bias = 0}},
    {.frame = End, .value = V(1.5, 1.5, 1.5), .tcb = {}},
};

constexpr PointKey CameraTargets[] = {
    {.frame = 0, .value = V(0, 0, 18), .tcb = {}},
    {.frame = 150, .value = V(0, 0, 36), .tcb = {.tension = 0, .continuity = 0, .bias = 0.3f}},
    {.frame = End, .value = V(0, 0, 42), .tcb = {}},
};
constexpr AngleKey CameraFovs[] = {
    {.frame = 0, .degrees = 58, .tcb = {}},
    {.frame = 180, .degrees = 50, .tcb = {.tension = 0.3f, .continuity = 0, .bias = 0}},
    {.frame = End, .degrees = 56, .tcb = {}},
};
constexpr AngleKey CameraRolls[] = {
    {.frame = 0, .degrees = -6, .tcb = {}},
    {.frame = 150, .degrees = 4, .tcb = {}},
    {.frame = End, .degrees = -3, .tcb = {}},
};

// Walls hinge on their bottom outer edge and fall outwards, one after the
// other. They are cut into cells, unlike the lid: a whole wall's thin edge
// took a shade of its own and flashed as the swinging wall turned it to and
// from the camera.
void AddWalls(Stage& s, int root) {
  const Mesh wall = Box(V(-20, -2, 0), V(20, 0, 40), "Panel", 1, 8);
  for (int i = 0; i < 4; ++i) {
    const double a = (90.0 + 90.0 * i) * Pi / 180.0;  // outward direction of wall i
    const Vector out = V(std::cos(a), std::sin(a), 0);
    const int w = s.AddLitMesh("Wall" + std::to_string(i + 1),
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
}

// The core: a dummy that rises and grows, an orb and a ring inside it, and
// shards circling it.
void AddCore(Stage& s, int root) {
  const int core = s.AddDummy("Core", root);
  s.Position(core, CoreRise);
  s.Scale(core, CoreGrowth);
  // The orb and the ring are polished gold: shine-mapped, so that the
  // light runs smoothly over them, and finely cut, so that their outlines
  // stay round at any size. The orb does not spin (its highlight would
  // turn with it).
  // Small faces leave the odd pixel between them uncovered; a coarse copy
  // just inside each, mapped the same way, fills those pixels with gold
  // instead of the sky.
  s.AddShinyMesh("Orb", Sphere(7, 48, 24, "Core", 1, 1), core);
  s.AddShinyMesh("OrbLining", Sphere(6.8f, 16, 8, "Core", 1, 1), core);
  const int ring = s.AddDummy("CoreRing", core);
  s.Spin(ring, 0, End, 31, 2.5f, Vector{1, 0.3f, 0});
  s.AddShinyMesh("RingSurface", Torus(13, 2.5f, 72, 16, "Core", 1, 1), ring);
  s.AddShinyMesh("RingLining", Torus(13, 2.3f, 36, 14, "Core", 1, 1), ring);
  const int shards = s.AddDummy("Shards", core);
  s.Spin(shards, 0, End, 31, -3.0f, Vector{0, 0, 1});
  for (int i = 0; i < 8; ++i) {
    const double a = i * Pi / 4;
    const int shard = s.AddLitMesh("Shard" + std::to_string(i + 1),
                                   Box(V(-2, -2, -4), V(2, 2, 4), "Panel"), shards);
    s.Position(shard, 0, V(22 * std::cos(a), 22 * std::sin(a), (i % 2 ? 4 : -4)));
    // Each starts turned its own way: shards turned alike would show their
    // faces in the same shades, and two that cross in view would merge
    // into one shape.
    s.Rotation(shard, 0, -140.0f + 40.0f * static_cast<float>(i), Vector{1, 0, 1});
    s.Spin(shard, 0, End, 31, 4.0f, Vector{1, 1, 0});
  }
}

}  // namespace

Scene3ds KinyitScene() {
  Stage s(End);
  s.AddMaterial("Panel", "METAL");
  s.AddMaterial("Board", "BOARD");
  s.AddMaterial("Core", "GOLDLIT");
  s.AddMaterial("Sky", "STARS");
  s.SetLight(Light{V(-45, -60, 75), 0.12f, 90});
  Dome(s, "Sky", 600, 4, 2);
  s.AddMesh("Board", Flat(420, 420, 10, 10, "Board", 0.25f));

  const int root = s.AddDummy("BoxRoot");
  s.Spin(root, 0, End, 31, 0.35f, Vector{0, 0, 1});
  s.AddLitMesh("Base", Box(V(-21, -21, 0), V(21, 21, 2), "Panel", 1, 7), root);
  AddWalls(s, root);
  // The lid has whole sides: cut into cells, each side took a chequer of
  // neighbouring shades as it swung up into view.
  const int lid = s.AddLitMesh("Lid", Box(V(-42, -21, 0), V(0, 21, 2.5), "Panel"), root);
  s.Rotation(lid, LidTurns);
  s.Position(lid, LidFlight);
  AddCore(s, root);

  s.AddCamera("Camera01");
  OrbitCamera(s, 0, End, 31, V(0, 0, 0), 125, 120, 60, 85, -70, 40);
  s.CameraTarget(CameraTargets);
  s.CameraFov(CameraFovs);
  s.CameraRoll(CameraRolls);
  return s.Finish();
}

}  // namespace vx::content
