// ---- kinyit: a metal box on a circuit board opens its lid and its four
// walls, and a golden core rises out of it ---------------------------------
#include <cmath>
#include <string>

#include "scene_kit.h"

namespace vx::content {

Scene3ds KinyitScene() {
  Stage s(310);
  s.AddMaterial("Panel", "METAL");
  s.AddMaterial("Board", "BOARD");
  s.AddMaterial("Core", "GOLDLIT");
  s.AddMaterial("Sky", "STARS");
  s.SetLight(Light{V(-45, -60, 75), 0.12f, 90});
  Dome(s, "Sky", 600, 4, 2);
  s.AddMesh("Board", Flat(420, 420, 10, 10, "Board", 0.25f));

  const int root = s.AddDummy("BoxRoot");
  s.Spin(root, 0, 310, 31, 0.35f, Vector{0, 0, 1});
  s.AddLitMesh("Base", Box(V(-21, -21, 0), V(21, 21, 2), "Panel", 1, 7), root);

  // Walls hinge on their bottom outer edge and fall outwards.
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
  // The lid swings up about its edge on the +x side.
  const int lid = s.AddLitMesh("Lid", Box(V(-42, -21, 0), V(0, 21, 2.5), "Panel", 1, 7), root);
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
  s.Spin(ring, 0, 310, 31, 2.5f, Vector{1, 0.3f, 0});
  s.AddShinyMesh("RingSurface", Torus(13, 2.5f, 72, 16, "Core", 1, 1), ring);
  s.AddShinyMesh("RingLining", Torus(13, 2.3f, 36, 14, "Core", 1, 1), ring);
  const int shards = s.AddDummy("Shards", core);
  s.Spin(shards, 0, 310, 31, -3.0f, Vector{0, 0, 1});
  for (int i = 0; i < 8; ++i) {
    const double a = i * Pi / 4;
    const int shard = s.AddLitMesh("Shard" + std::to_string(i + 1),
                                   Box(V(-2, -2, -4), V(2, 2, 4), "Panel"), shards);
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

}  // namespace vx::content
