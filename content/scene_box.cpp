// ---- box: a tower of crates builds up on a plinth in a brick hall, crate
// by crate, while a crane swings overhead, crates ride two rings and the
// camera cranes up around the stack, keeping its top in view ------------
#include <algorithm>
#include <cmath>
#include <string>

#include "scene_kit.h"

namespace vx::content {

namespace {

constexpr std::uint32_t End = 250;
// The crates' and the plinth's sides are not cut into cells: the light
// grades a side only a little across a crate's width, and a side whose
// quarters took neighbouring shades showed darker bands, as if the crate
// behind showed through it.
constexpr double CrateSize = 22;
constexpr double PileCrate = 24;  // the crates of the piles in the corners
// How a landing crate squashes: across, and in height.
constexpr double LandingSquash[2] = {1.07, 0.86};
constexpr double PlinthTop = 16;
constexpr int Levels = 6;
// The floor's cells: the plinth and each pile of crates stand in the middle
// of one.
constexpr double PoolCell = 110;
// Frame at which level k (from 1) lands; level 0 stands from the start.
constexpr std::uint32_t LandsAt(int level) {
  return static_cast<std::uint32_t>(8 + 30 * level);
}

// Height of the stack's top at frame f (file space).
double StackTop(std::uint32_t f) {
  int landed = 1;
  for (int level = 1; level < Levels; ++level)
    if (f >= LandsAt(level)) landed = level + 1;
  return PlinthTop + CrateSize * landed;
}

// The crane's jib swings over the tower ...
constexpr TurnKey JibSwing[] = {
    {.frame = 0, .degrees = -60, .axis = V(0, 0, 1), .tcb = {}},
    {.frame = 80,
     .degrees = -25,
     .axis = V(0, 0, 1),
     .tcb = {.tension = 0, .continuity = 0, .bias = 0.3f}},
    {.frame = 170,
     .degrees = 50,
     .axis = V(0, 0, 1),
     .tcb = {.tension = 0.3f, .continuity = 0, .bias = 0}},
    {.frame = End, .degrees = -20, .axis = V(0, 0, 1), .tcb = {}},
};
// ... and its hook rides along the jib.
constexpr PointKey HookRide[] = {
    {.frame = 0, .value = V(120, 0, -4), .tcb = {}},
    {.frame = 120, .value = V(200, 0, -4), .tcb = {.tension = 0, .continuity = 0, .bias = 0.2f}},
    {.frame = End, .value = V(90, 0, -4), .tcb = {}},
};

constexpr AngleKey CameraFovs[] = {
    {.frame = 0, .degrees = 66, .tcb = {}},
    {.frame = 125, .degrees = 58, .tcb = {.tension = 0, .continuity = 0, .bias = 0.2f}},
    {.frame = End, .degrees = 62, .tcb = {}},
};
constexpr AngleKey CameraRolls[] = {
    {.frame = 0, .degrees = -4, .tcb = {}},
    {.frame = 125, .degrees = 8, .tcb = {.tension = 0.4f, .continuity = 0, .bias = 0}},
    {.frame = End, .degrees = -6, .tcb = {}},
};

// The hall, its striped floor and the plinth in its middle.
void AddHall(Stage& s) {
  // The hall's own floor lies well below the striped one: a second face just
  // under it would fight it for the depth test wherever it is seen far off.
  // Each wall takes one shade: shaded cell by cell, the cells showed as
  // lighter and darker panels, as if parts of the wall were see-through.
  s.AddLitMesh("Hall", Inverted(Box(V(-220, -220, -40), V(220, 220, 240), "Wall", 2, 110)), -1,
               Facets::Planes);
  s.AddMaterial("Pool", "HAZPOOL");
  // The floor in cells of one texture tile each, centred on the plinth; the
  // cells under the plinth and under the four piles of crates take the
  // stripes with a soft pool of shadow in their middle, where the crates
  // stand on the floor.
  Mesh floor = Flat(5 * PoolCell, 5 * PoolCell, 5, 5, "Hazard", 1.0f);
  for (Face3ds& face : floor.faces) {
    const Vector a = floor.vertices[face.a], b = floor.vertices[face.b], c = floor.vertices[face.c];
    const double x = (a.x + b.x + c.x) / 3, y = (a.y + b.y + c.y) / 3;
    const bool centre = std::abs(x) < PoolCell / 2 && std::abs(y) < PoolCell / 2;
    const bool corner = std::abs(std::abs(x) - PoolCell) < PoolCell / 2 &&
                        std::abs(std::abs(y) - PoolCell) < PoolCell / 2;
    if (centre || corner) face.material = "Pool";
  }
  s.AddMesh("Floor", floor);
  s.AddLitMesh("Plinth", Box(V(-28, -28, 0), V(28, 28, PlinthTop), "Steel"));
}

// The tower turns slowly; each level is a pair of crates, laid square
// across the level below as in a crib, that drops in from above the hall,
// squashes on landing and settles. (Turned 50 degrees, each level's corners
// stuck out over the one below at odd angles, and the stack read as crates
// sunk into each other.)
constexpr double LevelTurn = 90;  // degrees
void AddTower(Stage& s) {
  const int tower = s.AddDummy("Tower");
  s.Position(tower, 0, V(0, 0, PlinthTop));
  s.Spin(tower, 0, End, 25, 0.8f, Vector{0, 0, 1});
  for (int level = 0; level < Levels; ++level)
    for (int k = 0; k < 2; ++k) {
      const int crate = s.AddLitMesh("Stack" + std::to_string(level * 2 + k + 1),
                                     Box(V(-11, -11, 0), V(11, 11, CrateSize), "Crate"), tower);
      // The pair stands square to the line between them, apart by the
      // width a crate gains as it squashes, so that neither reaches into
      // the other when it lands, and by a gap that shows them as two.
      const double a = level * LevelTurn * Pi / 180.0 + k * Pi;
      const double apart = CrateSize / 2 * LandingSquash[0] + 1.5;
      const double x = apart * std::cos(a), y = apart * std::sin(a), z = level * CrateSize;
      // A crate turned half round looks the same: first turns within a
      // quarter turn either way (a half turn's sense is ambiguous).
      s.Rotation(crate, 0, static_cast<float>(std::remainder(level * LevelTurn, 180.0)),
                 Vector{0, 0, 1});
      if (level == 0) {
        s.Position(crate, 0, V(x, y, z));
        continue;
      }
      const std::uint32_t land = LandsAt(level) + static_cast<std::uint32_t>(k * 4);
      s.Position(crate, 0, V(x * 3, y * 3, 260));
      s.Position(crate, land - 20, V(x * 3, y * 3, 260), Tcb{1, 0, 0});
      s.Position(crate, land, V(x, y, z), Tcb{0, -1, 0});
      s.Position(crate, land + 6, V(x, y, z + 5), Tcb{0, 0, 0});
      s.Position(crate, land + 11, V(x, y, z), Tcb{0, -1, 0});
      s.Position(crate, End, V(x, y, z), Tcb{1, 0, 0});
      s.Scale(crate, 0, V(1, 1, 1));
      s.Scale(crate, land - 1, V(1, 1, 1));
      s.Scale(crate, land + 1, V(LandingSquash[0], LandingSquash[0], LandingSquash[1]),
              Tcb{0, 0.5f, 0});
      s.Scale(crate, land + 8, V(1, 1, 1));
    }
}

// A crane over the hall: a mast in one corner, a jib that swings over the
// tower, and a hook with a crate that rides along the jib.
void AddCrane(Stage& s) {
  s.AddLitMesh("Mast", Box(V(-150, 150, 0), V(-136, 164, 210), "Steel", 1, 30));
  const int jib = s.AddLitMesh("Jib", Box(V(0, -5, -4), V(230, 5, 4), "Steel", 1, 12));
  s.Position(jib, 0, V(-143, 157, 214));
  s.Rotation(jib, JibSwing);
  // The hook is short enough that its crate rides above the upper ring of
  // tumbling crates wherever the jib swings it.
  const int hook = s.AddLitMesh("Hook", Box(V(-2, -2, -36), V(2, 2, 0), "Steel", 1, 10), jib);
  s.Position(hook, HookRide);
  const int load = s.AddLitMesh("Load", Box(V(-12, -12, -24), V(12, 12, 0), "Crate"), hook);
  s.Position(load, 0, V(0, 0, -36));
  s.Spin(load, 0, End, 25, 1.5f, Vector{0, 0, 1});
}

// Piles of crates stand in the corners of the hall: two side by side, a
// little apart, and a third on top across both, all square to each other.
// (With the second and the third turned askew, their corners seemed to
// reach into the crates beside and below.)
void AddPiles(Stage& s) {
  const int piles = s.AddDummy("Piles");
  for (int corner = 0; corner < 4; ++corner) {
    const double a = (45.0 + 90.0 * corner) * Pi / 180.0;
    const double cx = PoolCell * std::sqrt(2.0) * std::cos(a),
                 cy = PoolCell * std::sqrt(2.0) * std::sin(a);
    const double across[3] = {-PileCrate / 2 - 0.5, PileCrate / 2 + 0.5, 0};
    for (int k = 0; k < 3; ++k) {
      const int crate = s.AddLitMesh("Pile" + std::to_string(corner * 3 + k + 1),
                                     Box(V(-PileCrate / 2, -PileCrate / 2, 0),
                                         V(PileCrate / 2, PileCrate / 2, PileCrate), "Crate"),
                                     piles);
      s.Position(crate, 0,
                 V(cx + across[k] * std::cos(a + Pi / 2), cy + across[k] * std::sin(a + Pi / 2),
                   k == 2 ? PileCrate : 0));
      s.Rotation(crate, 0, static_cast<float>(std::remainder(corner * 90 + 45, 360.0)),
                 Vector{0, 0, 1});
    }
  }
}

// Two rings of tumbling crates turn opposite ways: the lower one rises with
// the stack, the upper one sinks to meet it.
void AddRings(Stage& s) {
  for (int r = 0; r < 2; ++r) {
    const int ring = s.AddDummy(r == 0 ? "Ring" : "UpperRing");
    s.Position(ring, 0, V(0, 0, r == 0 ? 30 : 150));
    s.Position(ring, End / 2, V(0, 0, r == 0 ? 60 : 120), Tcb{0, 0, 0.2f});
    s.Position(ring, End, V(0, 0, r == 0 ? 90 : 100));
    s.Spin(ring, 0, End, 25, r == 0 ? -1.4f : 1.1f, Vector{0, 0, 1});
    const int count = r == 0 ? 8 : 6;
    const double radius = r == 0 ? 82 : 60;
    for (int i = 0; i < count; ++i) {
      const double a = (i + 0.5 * r) * 2 * Pi / count;
      const int c =
          s.AddLitMesh((r == 0 ? "Orbiter" : "Flyer") + std::to_string(i + 1),
                       Box(V(-7, -7, -7), V(7, 7, 7), (i + r) % 2 ? "Crate" : "Steel"), ring);
      s.Position(c, 0, V(radius * std::cos(a), radius * std::sin(a), 0));
      s.Position(c, End / 2, V(radius * std::cos(a), radius * std::sin(a), i % 2 ? 14 : -14),
                 Tcb{0, 0, 0.3f});
      s.Position(c, End, V(radius * std::cos(a), radius * std::sin(a), 0));
      s.Spin(c, 0, End, 25, 3.0f + i * 0.4f, Vector{1, (i % 3) * 0.5f, 0.3f});
    }
  }
}

}  // namespace

Scene3ds BoxScene() {
  Stage s(End);
  s.AddMaterial("Crate", "CRATE");
  s.AddMaterial("Steel", "METAL");
  s.AddMaterial("Hazard", "HAZARD");
  s.AddMaterial("Wall", "BRICKS");
  s.SetLight(Light{V(-40, -60, 120), 0.25f, 80});
  AddHall(s);
  AddTower(s);
  AddCrane(s);
  AddPiles(s);
  AddRings(s);

  // The camera circles half the hall and cranes up with the stack, its
  // target on the newest level.
  s.AddCamera("Camera01");
  OrbitCamera(s, 0, End, 25, V(0, 0, 0), 175, 130, 80, 215, 200, 380, Tcb{0, 0, 0.1f});
  for (std::uint32_t f = 0; f <= End; f += 25)
    s.CameraTarget(f, V(0, 0, std::min(StackTop(f + 10), PlinthTop + CrateSize * Levels) - 14));
  s.CameraFov(CameraFovs);
  s.CameraRoll(CameraRolls);
  return s.Finish();
}

}  // namespace vx::content
