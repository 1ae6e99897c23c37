// ---- evil: a pulsing spiked heart with swaying tentacles ---------------
#include <cmath>
#include <iterator>
#include <string>

#include "scene_kit.h"

namespace vx::content {

namespace {

constexpr std::uint32_t End = 320;

// One heartbeat, frames from its start: a quick double swell, then rest.
constexpr PointKey Heartbeat[] = {
    {.frame = 0,
     .value = V(1.18, 1.18, 1.18),
     .tcb = {.tension = 0, .continuity = -0.6f, .bias = 0}},
    {.frame = 8, .value = V(1.02, 1.02, 1.02), .tcb = {}},
    {.frame = 14,
     .value = V(1.12, 1.12, 1.12),
     .tcb = {.tension = 0, .continuity = -0.6f, .bias = 0}},
    {.frame = 24, .value = V(1, 1, 1), .tcb = {.tension = 0.5f, .continuity = 0, .bias = 0}},
};

// The camera looks ever higher above the heart as it closes in, so that
// the creature fills the lower frame and leaves the eyes and the word
// above it to the sky.
constexpr PointKey CameraTargets[] = {
    {.frame = 0, .value = V(0, 0, 0), .tcb = {}},
    {.frame = 160, .value = V(0, 0, 16), .tcb = {}},
    {.frame = End, .value = V(0, 0, 26), .tcb = {}},
};
constexpr AngleKey CameraFovs[] = {
    {.frame = 0, .degrees = 70, .tcb = {}},
    {.frame = 200, .degrees = 48, .tcb = {.tension = 0.4f, .continuity = 0, .bias = 0}},
    {.frame = End, .degrees = 46, .tcb = {}},
};
constexpr AngleKey CameraRolls[] = {
    {.frame = 0, .degrees = -12, .tcb = {}},
    {.frame = 160, .degrees = 10, .tcb = {}},
    {.frame = End, .degrees = -8, .tcb = {}},
};

// The spiked core beats every 48 frames and tumbles.
void AddCore(Stage& s, int heart) {
  Mesh body = Sphere(20, 24, 14, "Lava", 3, 2);
  for (const Vector& d : SpherePoints(18))
    Append(body, Oriented(Placed(Cylinder(4, 0, 26, 6, "Gold"), V(1, 1, 1), 0, V(0, 0, 17)), d));
  const int core = s.AddLitMesh("Core", body, heart);
  s.Scale(core, 0, V(1, 1, 1));
  const std::uint32_t beatLength = Heartbeat[std::size(Heartbeat) - 1].frame;
  for (std::uint32_t f = 20; f + beatLength <= End; f += 48)
    for (const PointKey& key : Heartbeat) s.Scale(core, f + key.frame, key.value, key.tcb);
  s.Spin(core, 0, End, 32, -2.0f, Vector{0.3f, 1, 0.2f});
}

// Tentacles: chains of four tapering segments from the heart, rooted
// alternately above and below the vein's band around the equator. Each
// segment sways up to 18 degrees from its parent, so a root this steep keeps
// the first segment (the one within the vein's reach) clear of the band.
constexpr double TentacleElevation = 42;  // degrees above or below the equator
// The upper tentacles are shorter: at full length they swayed up across the
// word and the eyes in the sky above the creature as the camera closed in.
constexpr float UpperReach = 0.6f;
void AddTentacles(Stage& s, int heart) {
  for (int i = 0; i < 6; ++i) {
    const std::string n = std::to_string(i + 1);
    int parent = s.AddDummy("Arm" + n, heart);
    const double azimuth = i * Pi / 3;
    const double elevation = (i % 2 ? -TentacleElevation : TentacleElevation) * Pi / 180;
    PointAlong(s, parent,
               V(std::cos(elevation) * std::cos(azimuth), std::cos(elevation) * std::sin(azimuth),
                 std::sin(elevation)));
    const float reach = i % 2 ? 1.0f : UpperReach;
    float r = 5.0f;
    for (int k = 0; k < 4; ++k) {
      const float length = (22.0f - 3.0f * k) * reach;
      const int seg = s.AddLitMesh("Arm" + n + static_cast<char>('a' + k),
                                   Cylinder(r, r * 0.72f, length, 8, "Flesh", 1), parent);
      s.Position(seg, 0, V(0, 0, k == 0 ? 16 : (22.0f - 3.0f * (k - 1)) * reach));
      s.Rotation(seg, 0, 0, Vector{1, 0, 0});
      // Sway: alternating turns, each segment a little later than its parent.
      const std::uint32_t lag = 6 * k + 5 * i;
      for (std::uint32_t f = 10 + lag % 30, j = 0; f <= End; f += 40, ++j)
        s.Rotation(seg, f, (j == 0 ? 18.0f : (j % 2 ? -36.0f : 36.0f)), Vector{1, 0.4f, 0},
                   Tcb{0, 0, 0.3f});
      parent = seg;
      r *= 0.72f;
    }
  }
}

}  // namespace

Scene3ds EvilScene() {
  Stage s(End);
  s.AddMaterial("Lava", "LAVA");
  s.AddMaterial("Flesh", "FLESH");
  s.AddMaterial("Rock", "OBSIDIAN");
  s.AddMaterial("Gold", "GOLD");
  s.AddMaterial("Sky", "STARS");
  s.SetLight(Light{V(40, -80, 60), 0.15f, 120});
  Dome(s, "Sky", 700, 4, 2);
  // The ground lies below the lowest reach of a swaying tentacle (about 75
  // under the heart), and wide enough that its far edge stays out of view
  // as the camera closes in and looks across it.
  s.AddLitMesh("Ground", Terrain(
                             800, 800, 16, 16,
                             [](float x, float y) {
                               return static_cast<float>(-95.0 + 8.0 * std::sin(x * 0.05) *
                                                                     std::sin(y * 0.04));
                             },
                             "Rock", 1));
  const int heart = s.AddDummy("Heart");
  s.Spin(heart, 0, End, 32, 1.2f, Vector{0, 0, 1});
  AddCore(s, heart);
  AddTentacles(s, heart);
  // A vein that winds around the heart (a torus knot tube), outside the
  // reach of the spikes at the top of a beat (43 x 1.18), which turn
  // through it otherwise.
  std::vector<Vector> knot;
  for (int i = 0; i <= 96; ++i) {
    const double t = i * 2 * Pi / 96;
    const double rr = 56 + 3 * std::cos(3 * t);
    knot.push_back(V(rr * std::cos(2 * t), rr * std::sin(2 * t), 8 * std::sin(3 * t)));
  }
  const int vein = s.AddLitMesh("Vein", Tube(knot, 1.6f, 6, "Gold", 12), heart);
  s.Spin(vein, 0, End, 32, 2.5f, Vector{0, 0, 1});

  s.AddCamera("Camera01");
  OrbitCamera(s, 0, End, 40, V(0, 0, 0), 230, 120, 5, 50, 90, 200, Tcb{0, 0, 0.2f});
  s.CameraTarget(CameraTargets);
  s.CameraFov(CameraFovs);
  s.CameraRoll(CameraRolls);
  return s.Finish();
}

}  // namespace vx::content
