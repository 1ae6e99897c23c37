// The projection camera: axes, magnify factors, view planes and the
// projection of single camera-space vertices.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/engine.h"
#include "engine/scene_fixtures.h"

namespace vx {
namespace {

Scene* CameraScene(Vector from, Vector to, float fov, float roll) {
  test::SceneDesc desc;
  test::AddCamera(desc, from, to, fov, roll);
  Scene* scene = test::MakePreparedScene(desc);
  SetFrame(scene, 0.0f, true);
  ComposeHierarchy(scene);
  return scene;
}

void ExpectVector(Vector v, float x, float y, float z, float tolerance = 1e-6f) {
  EXPECT_NEAR(v.x, x, tolerance);
  EXPECT_NEAR(v.y, y, tolerance);
  EXPECT_NEAR(v.z, z, tolerance);
}

TEST(Camera, Fov90GivesSquarePixelsOfMagnify160) {
  Scene* scene = CameraScene({0, 0, 0}, {0, 0, 10}, 90.0f, 0.0f);
  SetupCamera(scene, 0, false, 0.5f, 100000.0f, ClassicFrame);
  const ProjectionCamera& c = *scene->camera;
  EXPECT_NEAR(c.xMagnify, 160.0f, 1e-3f);
  EXPECT_NEAR(c.yMagnify, 160.0f, 1e-3f);
  // Looking along +z with roll 0: world up is screen up.
  ExpectVector(c.xAxis, 1, 0, 0);
  ExpectVector(c.yAxis, 0, -1, 0);
  ExpectVector(c.zAxis, 0, 0, 1);
  EXPECT_EQ(c.nearZ, 0.5f);
  EXPECT_EQ(c.farZ, 100000.0f);
  ScreenVertex s{};
  ASSERT_TRUE(ProjectVertex(c, {1, 0, 1, 0, 0}, s));
  EXPECT_EQ(s.x, 81920);  // column 320: outside the narrowed right plane
  ViewPlane planes[ViewPlaneCount];
  BuildViewPlanes(c, planes);
  EXPECT_LT(VecDot({1, 0, 1}, planes[PlaneRight].normal),
            VecDot(planes[PlaneRight].point, planes[PlaneRight].normal));
  // The narrowing by 0.997 puts the plane at x / z = tan(44.865 degrees) =
  // 0.9953: 0.994 is inside, 0.996 outside (0.996 or 0.998 would swap them).
  EXPECT_GT(VecDot({0.994f, 0, 1}, planes[PlaneRight].normal), 0.0f);
  EXPECT_LT(VecDot({0.996f, 0, 1}, planes[PlaneRight].normal), 0.0f);
  EXPECT_LT(VecDot({-1, 0, 1}, planes[PlaneLeft].normal), 0.0f);
  // Vertically the view is 200 / 320 of the width: y / z = 0.62 is inside,
  // 0.63 outside (bottom: y grows down the screen).
  EXPECT_GT(VecDot({0, 0.62f, 1}, planes[PlaneBottom].normal), 0.0f);
  EXPECT_LT(VecDot({0, 0.63f, 1}, planes[PlaneBottom].normal), 0.0f);
  EXPECT_LT(VecDot({0, -0.63f, 1}, planes[PlaneTop].normal), 0.0f);
  test::DestroyScene(scene);
}

TEST(Camera, LineOfSightProjectsToTheViewCentre) {
  Scene* scene = CameraScene({3, -2, 5}, {-4, 6, 1}, 60.0f, 25.0f);
  SetupCamera(scene, 0, false, 0.5f, 100000.0f, ClassicFrame);
  const ProjectionCamera& c = *scene->camera;
  // A point on the line between position and target.
  const Vector world = c.position + 0.5f * (c.target - c.position);
  const Vector cam = TransformPoint(world, c.view);
  EXPECT_NEAR(cam.x, 0.0f, 1e-5f);
  EXPECT_NEAR(cam.y, 0.0f, 1e-5f);
  ScreenVertex s{};
  ASSERT_TRUE(ProjectVertex(c, {0, 0, cam.z, 0, 0}, s));
  EXPECT_EQ(s.x, 40960);
  EXPECT_EQ(s.y, 100);
  EXPECT_FLOAT_EQ(s.z, 1.0f / cam.z);
  // Camera coordinates are the offsets along the axes.
  const Vector off = Vector{1, 2, 3} - c.position;
  const Vector p = TransformPoint({1, 2, 3}, c.view);
  EXPECT_NEAR(p.x, VecDot(off, c.xAxis), 1e-5f);
  EXPECT_NEAR(p.y, VecDot(off, c.yAxis), 1e-5f);
  EXPECT_NEAR(p.z, VecDot(off, c.zAxis), 1e-5f);
  test::DestroyScene(scene);
}

TEST(Camera, Roll90TurnsWorldUpToTheScreensRight) {
  Scene* scene = CameraScene({0, 0, 0}, {0, 0, 10}, 90.0f, 90.0f);
  SetupCamera(scene, 0, false, 0.5f, 100000.0f, ClassicFrame);
  ExpectVector(scene->camera->xAxis, 0, 1, 0);
  ExpectVector(scene->camera->yAxis, 1, 0, 0);
  test::DestroyScene(scene);
}

TEST(Camera, AutoPlanesPutTheFarPlaneAtTheTarget) {
  Scene* scene = CameraScene({0, 0, 0}, {0, 30, 40}, 45.0f, 0.0f);
  SetupCamera(scene, 0, true, 0.5f, 100000.0f, ClassicFrame);
  EXPECT_EQ(scene->camera->nearZ, 1.0f);
  EXPECT_NEAR(scene->camera->farZ, 50.0f, 1e-5f);
  test::DestroyScene(scene);
}

TEST(Camera, OnlyVerticesBetweenTheMarginsAreProjected) {
  ProjectionCamera c{};
  c.xCentre = 160.0f;  // the classic frame's centre
  c.yCentre = 100.0f;
  c.xMagnify = 160.0f;
  c.yMagnify = 160.0f;
  c.nearZ = 0.5f;
  c.farZ = 1000.0f;
  const ScreenVertex untouched{-7, -8, -9.0f, -10, -11};
  ScreenVertex s = untouched;
  EXPECT_FALSE(ProjectVertex(c, {0, 0, 0.4f, 0, 0}, s));  // 0.4 < 0.475
  EXPECT_FALSE(ProjectVertex(c, {0, 0, 0.475f, 0, 0}, s));
  EXPECT_FALSE(ProjectVertex(c, {0, 0, 1010.0f, 0, 0}, s));
  EXPECT_FALSE(ProjectVertex(c, {0, 0, -3.0f, 0, 0}, s));
  EXPECT_EQ(s.x, untouched.x);
  EXPECT_EQ(s.u, untouched.u);
  EXPECT_TRUE(ProjectVertex(c, {0, 0, 0.48f, 0, 0}, s));
  EXPECT_TRUE(ProjectVertex(c, {0, 0, 1009.0f, 0, 0}, s));
}

TEST(Camera, ProjectionRoundsAndTruncatesAsStated) {
  ProjectionCamera c{};
  c.xCentre = 160.0f;  // the classic frame's centre
  c.yCentre = 100.0f;
  c.xMagnify = 100.0f;
  c.yMagnify = 90.0f;
  c.nearZ = 0.5f;
  c.farZ = 1000.0f;
  ScreenVertex s{};
  ASSERT_TRUE(ProjectVertex(c, {-0.3f, 0.5f, 2.0f, 1.25f, -0.5f}, s));
  // x = trunc(25600 * -0.3 * 0.5 + 40960) = trunc(37120.0...) toward zero.
  EXPECT_EQ(s.x, static_cast<std::int32_t>(25600.0 * double{-0.3f} * 0.5 + 40960.0));
  EXPECT_EQ(s.y, 122);  // trunc(90 * 0.25 + 100) = trunc(122.5)
  EXPECT_EQ(s.u, 81920);
  EXPECT_EQ(s.v, -32768);
  // Round to nearest, ties to even, in 8.8 texels: 0.5 / 65536 -> 0.
  ASSERT_TRUE(ProjectVertex(c, {0, 0, 1, 0.5f / 65536.0f, 1.5f / 65536.0f}, s));
  EXPECT_EQ(s.u, 0);
  EXPECT_EQ(s.v, 2);
  // Far outside the view the 32-bit coordinates saturate instead of wrapping.
  ASSERT_TRUE(ProjectVertex(c, {1e30f, -1e30f, 1, 1e30f, 0}, s));
  EXPECT_EQ(s.x, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(s.y, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(s.u, std::numeric_limits<std::int32_t>::max());
}

TEST(Camera, CamerasWithoutBothTracksCannotBeSetUp) {
  test::SceneDesc desc;
  test::AddCamera(desc, {0, 0, 0}, {0, 0, 1});
  desc.cameras.push_back({"Lonely", 0, NoTrack});
  Scene* scene = test::MakePreparedScene(desc);
  EXPECT_TRUE(CameraHasTracks(*scene, 0));
  EXPECT_FALSE(CameraHasTracks(*scene, 1));
  EXPECT_FALSE(CameraHasTracks(*scene, 2));
  EXPECT_FALSE(CameraHasTracks(*scene, -1));
  // Set up anyway, it is the neutral camera rather than a read of track 0xFFFF.
  SetupCamera(scene, 1, false, 0.5f, 100.0f, ClassicFrame);
  EXPECT_EQ(scene->camera->fov, 45.0f);
  ExpectVector(scene->camera->zAxis, 0, 0, 1);
  test::DestroyScene(scene);
}

}  // namespace
}  // namespace vx
