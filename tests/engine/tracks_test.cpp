// Keyframe tracks: Hermite interpolation of vectors and scalars, the
// quaternion Bezier of rotations, frame wrap, static tracks and the neutral
// values of empty key lists.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/engine.h"
#include "engine/scene_fixtures.h"

namespace vx {
namespace {

using test::RKey;
using test::SKey;
using test::VKey;

constexpr double Pi = 3.14159265358979323846;

struct Lists {
  std::vector<VectorKey> position, scale;
  std::vector<RotationKey> rotation;
  std::vector<ScalarKey> fov, roll;
};

TrackState Evaluate(std::uint8_t kind, Lists& l, float frame) {
  Track track = test::MakeTrack(kind, l.position, l.rotation, l.scale, l.fov, l.roll);
  TrackState state = NeutralTrackState();
  EvaluateTrack(track, state, frame);
  return state;
}

float Roll(std::vector<ScalarKey> keys, float frame) {
  Lists l;
  l.roll = std::move(keys);
  return Evaluate(TrackCamera, l, frame).roll;
}

TEST(TrackInterpolation, OutsideTheKeysGivesTheEndKeysExactly) {
  Lists l;
  l.position = {VKey(10, {1, 2, 3}), VKey(20, {4, 5, 6}), VKey(30, {-7, 8.25f, 9})};
  Vector p = Evaluate(TrackCameraTarget, l, 3.0f).position;
  EXPECT_EQ(p.x, 1.0f);
  EXPECT_EQ(p.y, 2.0f);
  EXPECT_EQ(p.z, 3.0f);
  p = Evaluate(TrackCameraTarget, l, 10.0f).position;
  EXPECT_EQ(p.x, 1.0f);
  p = Evaluate(TrackCameraTarget, l, 30.0f).position;
  EXPECT_EQ(p.x, -7.0f);
  EXPECT_EQ(p.y, 8.25f);
  p = Evaluate(TrackCameraTarget, l, 1e6f).position;
  EXPECT_EQ(p.z, 9.0f);
}

TEST(TrackInterpolation, TwoKeysMeetAtTheMidpointAndMoveLinearly) {
  Lists l;
  l.position = {VKey(0, {2, -4, 10}), VKey(10, {6, 4, 30})};
  const Vector mid = Evaluate(TrackLight, l, 5.0f).position;
  EXPECT_NEAR(mid.x, 4.0f, 1e-6f);
  EXPECT_NEAR(mid.y, 0.0f, 1e-6f);
  EXPECT_NEAR(mid.z, 20.0f, 1e-6f);
  // With S = E = P1 - P0 the Hermite basis sums to t: a straight line.
  const Vector quarter = Evaluate(TrackLight, l, 2.5f).position;
  EXPECT_NEAR(quarter.x, 3.0f, 1e-6f);
  EXPECT_NEAR(quarter.z, 15.0f, 1e-5f);
}

TEST(TrackInterpolation, FullTensionEasesWithTheHermiteBasisAlone) {
  // Both tangents vanish: value = h1 P0 + h2 P1, h2(0.25) = 0.15625.
  EXPECT_NEAR(Roll({SKey(0, 0, 1), SKey(8, 100, 1)}, 2.0f), 15.625f, 1e-4f);
  EXPECT_NEAR(Roll({SKey(0, 0, 1), SKey(8, 100, 1)}, 4.0f), 50.0f, 1e-4f);
  // Tension on the second key only: S = P1 - P0, E = 0.
  // h2 + h3 at 0.25 = 0.15625 + 0.140625.
  EXPECT_NEAR(Roll({SKey(0, 0), SKey(8, 100, 1)}, 2.0f), 29.6875f, 1e-4f);
}

TEST(TrackInterpolation, InnerKeysFollowContinuityBiasAndTension) {
  // Keys 0, 10, 30 at frames 0, 10, 20; key 1 with continuity 0.5, bias
  // 0.25. Hand-computed: a = 12.5, b = 15, out = 13.125, in = 14.375.
  EXPECT_NEAR(Roll({SKey(0, 0), SKey(10, 10, 0, 0.5f, 0.25f), SKey(20, 30)}, 15.0f), 18.7109375f,
              1e-4f);
  EXPECT_NEAR(Roll({SKey(0, 0), SKey(10, 10, 0, 0.5f, 0.25f), SKey(20, 30)}, 5.0f), 4.1796875f,
              1e-4f);
  // Tension 0.5 on the inner key halves its tangents.
  EXPECT_NEAR(Roll({SKey(0, 0), SKey(10, 10, 0.5f, 0.5f, 0.25f), SKey(20, 30)}, 15.0f),
              17.48046875f, 1e-4f);
}

TEST(TrackInterpolation, InnerTangentsScaleWithUnequalKeySpacing) {
  // Keys 0, 10, 30 at frames 0, 10, 40: out_1 = in_1 = 15.
  // Segment 1 at t = 0.25: S = 15 * 2 * 30 / 40 = 22.5, E = 22.5.
  EXPECT_NEAR(Roll({SKey(0, 0), SKey(10, 10), SKey(40, 30)}, 17.5f), 15.234375f, 1e-4f);
  // Segment 0 at t = 0.25: S = 7.5, E = 15 * 2 * 10 / 40 = 7.5.
  EXPECT_NEAR(Roll({SKey(0, 0), SKey(10, 10), SKey(40, 30)}, 2.5f), 2.265625f, 1e-4f);
}

TEST(TrackInterpolation, KeyFramesThatDoNotIncreaseStayFinite) {
  // Frames 0, 5, 10, 5, 20: at frame 7 the end tangent's span F3 - F1 is 0.
  const float v = Roll({SKey(0, 0), SKey(5, 1), SKey(10, 2), SKey(5, 3), SKey(20, 4)}, 7.0f);
  EXPECT_TRUE(std::isfinite(v));
  // Repeated frames: each segment found still has a positive length.
  for (float f : {9.0f, 10.0f, 10.5f, 15.0f})
    EXPECT_TRUE(std::isfinite(Roll({SKey(0, 0), SKey(10, 1), SKey(10, 2), SKey(20, 3)}, f))) << f;
  // A frame that is not a number never searches past the keys.
  EXPECT_EQ(Roll({SKey(0, 7), SKey(10, 1)}, std::nanf("")), 7.0f);
}

TEST(TrackInterpolation, EmptyKeyListsGiveNeutralValues) {
  Lists l;
  const TrackState object = Evaluate(TrackObject, l, 12.0f);
  EXPECT_EQ(object.position.x, 0.0f);
  EXPECT_EQ(object.scale.x, 1.0f);
  EXPECT_EQ(object.scale.z, 1.0f);
  EXPECT_EQ(object.rotation.w, 1.0f);
  EXPECT_TRUE(test::MatricesNear(object.local, MatrixIdentity, 0.0f));
  const TrackState camera = Evaluate(TrackCamera, l, 12.0f);
  EXPECT_EQ(camera.fov, 45.0f);
  EXPECT_EQ(camera.roll, 0.0f);
}

TEST(TrackInterpolation, ObjectLocalIsScaleThenRotationThenTranslation) {
  Lists l;
  l.position = {VKey(0, {5, 6, 7})};
  l.scale = {VKey(0, {2, 3, 4})};
  l.rotation = {RKey(0, static_cast<float>(Pi / 2), {0, 0, 1})};
  Track track = test::MakeTrack(TrackObject, l.position, l.rotation, l.scale, l.fov, l.roll);
  PrepareRotationKeys(track);
  TrackState state = NeutralTrackState();
  EvaluateTrack(track, state, 0.0f);
  // (1, 0, 0) scaled to (2, 0, 0), turned 90 degrees about z: with this
  // quaternion matrix for row vectors x goes to y; then moved.
  const Vector p = TransformPoint({1, 0, 0}, state.local);
  EXPECT_NEAR(p.x, 5.0f, 1e-5f);
  EXPECT_NEAR(p.y, 8.0f, 1e-5f);
  EXPECT_NEAR(p.z, 7.0f, 1e-5f);
  EXPECT_TRUE(test::MatricesNear(state.world, state.local, 0.0f));
  EXPECT_TRUE(test::MatricesNear(state.normalLocal, QuaternionMatrix(state.rotation), 0.0f));
  // Cameras and targets carry no transform of their own.
  l.fov = {SKey(0, 60)};
  const TrackState camera = Evaluate(TrackCamera, l, 0.0f);
  EXPECT_TRUE(test::MatricesNear(camera.world, MatrixIdentity, 0.0f));
  EXPECT_EQ(camera.position.y, 6.0f);
  EXPECT_EQ(camera.fov, 60.0f);
}

TEST(TrackRotation, SuccessiveKeysAccumulate) {
  Lists l;
  l.rotation = {RKey(0, static_cast<float>(Pi / 2), {0, 1, 0}),
                RKey(10, static_cast<float>(Pi / 2), {0, 1, 0})};
  Track track = test::MakeTrack(TrackObject, l.position, l.rotation, l.scale, l.fov, l.roll);
  PrepareRotationKeys(track);
  const Quaternion q = l.rotation[1].rotation;  // 180 degrees about y
  EXPECT_NEAR(q.w, 0.0f, 1e-6f);
  EXPECT_NEAR(q.v.x, 0.0f, 1e-6f);
  EXPECT_NEAR(q.v.y, 1.0f, 1e-6f);
  EXPECT_NEAR(q.v.z, 0.0f, 1e-6f);
  const Quaternion first = l.rotation[0].rotation;
  EXPECT_NEAR(first.w, std::cos(Pi / 4), 1e-6);
  EXPECT_NEAR(first.v.y, std::sin(Pi / 4), 1e-6);
}

// About two different axes the order of the product shows: key 1 holds key
// 0's rotation times its own, (w, x, y, z) = (0.5, 0.5, 0.5, 0.5); the other
// order would give z = -0.5.
TEST(TrackRotation, KeysAboutDifferentAxesAccumulateEarlierKeyFirst) {
  Lists l;
  l.rotation = {RKey(0, static_cast<float>(Pi / 2), {1, 0, 0}),
                RKey(10, static_cast<float>(Pi / 2), {0, 1, 0})};
  Track track = test::MakeTrack(TrackObject, l.position, l.rotation, l.scale, l.fov, l.roll);
  PrepareRotationKeys(track);
  const Quaternion q = l.rotation[1].rotation;
  EXPECT_NEAR(q.w, 0.5f, 1e-6f);
  EXPECT_NEAR(q.v.x, 0.5f, 1e-6f);
  EXPECT_NEAR(q.v.y, 0.5f, 1e-6f);
  EXPECT_NEAR(q.v.z, 0.5f, 1e-6f);
}

TEST(TrackRotation, BezierOfTwoKeysFollowsTheArc) {
  Lists l;
  l.rotation = {RKey(0, 0.0f, {0, 1, 0}), RKey(8, static_cast<float>(Pi / 2), {0, 1, 0})};
  Track track = test::MakeTrack(TrackObject, l.position, l.rotation, l.scale, l.fov, l.roll);
  PrepareRotationKeys(track);
  // Controls at 1/3 and 2/3 of the arc: the curve moves evenly in angle.
  TrackState state = NeutralTrackState();
  EvaluateTrack(track, state, 2.0f);  // t = 0.25: 22.5 degrees
  EXPECT_NEAR(state.rotation.w, std::cos(Pi / 16), 1e-6);
  EXPECT_NEAR(state.rotation.v.y, std::sin(Pi / 16), 1e-6);
  // Full tension puts the controls on the keys: angle 90 * (3t^2 - 2t^3).
  l.rotation[0].spline.tension = 1.0f;
  l.rotation[1].spline.tension = 1.0f;
  EvaluateTrack(track, state, 2.0f);
  const double angle = Pi / 2 * 0.15625;
  EXPECT_NEAR(state.rotation.w, std::cos(angle / 2), 1e-6);
  EXPECT_NEAR(state.rotation.v.y, std::sin(angle / 2), 1e-6);
}

TEST(TrackRotation, SlerpOfEqualQuaternionsIsTheSameQuaternion) {
  const float h = static_cast<float>(std::sqrt(0.5));
  const Quaternion q{h, {0, h, 0}};
  for (float t : {0.0f, 0.3f, 1.0f, 1.7f}) {
    const Quaternion r = QuatSlerp(q, q, t);
    EXPECT_FLOAT_EQ(r.w, q.w) << t;
    EXPECT_FLOAT_EQ(r.v.y, q.v.y) << t;
    EXPECT_EQ(r.v.x, 0.0f);
  }
}

TEST(TrackRotation, SlerpTakesTheLongWayForANegativeDot) {
  // a = identity, b = 270 degrees about z (dot -0.707): the midpoint is the
  // 135-degree rotation, not the 45-degree one of the shorter arc.
  const float h = static_cast<float>(std::sqrt(0.5));
  const Quaternion r = QuatSlerp(QuatIdentity, Quaternion{-h, {0, 0, h}}, 0.5f);
  EXPECT_NEAR(r.w, std::cos(3 * Pi / 8), 1e-6);
  EXPECT_NEAR(r.v.z, std::sin(3 * Pi / 8), 1e-6);
  // Not normalised: halfway between q and -q is the zero quaternion.
  const Quaternion zero = QuatSlerp(QuatIdentity, Quaternion{-1, {0, 0, 0}}, 0.5f);
  EXPECT_EQ(zero.w, 0.0f);
}

TEST(TrackBuilders, HermiteWeightsAtTheMiddleAndAQuarter) {
  EXPECT_EQ(HermiteScalar(2, 6, 4, 4, 0.5f), 4.0f);
  const Vector hv = HermiteVector({0, 0, 0}, {8, 0, 0}, {0, 0, 0}, {0, 0, 0}, 0.25f);
  EXPECT_FLOAT_EQ(hv.x, 1.25f);
}

// A scene whose only track moves linearly: position x = frame.
test::SceneDesc FrameProbe(std::uint16_t frameCount) {
  test::SceneDesc desc;
  desc.frameCount = frameCount;
  test::TrackDesc t;
  t.kind = TrackLight;
  t.name = "Probe";
  t.position = {VKey(0, {0, 0, 0}), VKey(1000, {1000, 0, 0})};
  desc.tracks.push_back(t);
  return desc;
}

TEST(TrackFrames, WrapKeepsFramesInsideTheScene) {
  Scene* scene = test::MakePreparedScene(FrameProbe(100));
  auto x = [&](float frame, bool wrap) {
    SetFrame(scene, frame, wrap);
    return scene->transformed->trackStates[0]->position.x;
  };
  EXPECT_NEAR(x(250.5f, true), 50.5f, 1e-4f);
  EXPECT_NEAR(x(100.0f, true), 100.0f, 1e-4f);  // equal to frameCount: not wrapped
  EXPECT_NEAR(x(200.0f, true), 0.0f, 1e-4f);
  EXPECT_NEAR(x(250.5f, false), 250.5f, 1e-3f);
  EXPECT_TRUE(std::isfinite(x(3e30f, true)));
  test::DestroyScene(scene);

  Scene* still = test::MakePreparedScene(FrameProbe(0));
  SetFrame(still, 250.5f, true);  // frameCount 0: no division, no wrap
  EXPECT_NEAR(still->transformed->trackStates[0]->position.x, 250.5f, 1e-3f);
  test::DestroyScene(still);
}

TEST(TrackFrames, StaticTracksAreEvaluatedOnceAtLoad) {
  test::SceneDesc desc;
  test::TrackDesc fixed;
  fixed.name = "Fixed";
  fixed.position = {VKey(0, {1, 2, 3})};
  fixed.rotation = {RKey(0, 0.5f, {0, 1, 0})};
  test::TrackDesc morphing = fixed;
  morphing.name = "Morphing";
  morphing.morph.push_back(MorphKey{});
  desc.tracks = {fixed, morphing};
  Scene* scene = test::MakePreparedScene(desc);
  Track& a = *scene->mesh->tracks[0];
  Track& b = *scene->mesh->tracks[1];
  EXPECT_EQ(a.isStatic, 1);
  EXPECT_EQ(b.isStatic, 0);                                         // a single morph key is enough
  EXPECT_EQ(scene->transformed->trackStates[0]->position.y, 2.0f);  // evaluated at load
  // Later changes of the keys reach only the track that is evaluated.
  a.position.keys[0].value = {9, 9, 9};
  b.position.keys[0].value = {9, 9, 9};
  SetFrame(scene, 40.0f, true);
  EXPECT_EQ(scene->transformed->trackStates[0]->position.x, 1.0f);
  EXPECT_EQ(scene->transformed->trackStates[1]->position.x, 9.0f);
  test::DestroyScene(scene);
}

}  // namespace
}  // namespace vx
