// The camera in frames of other sizes: the classic 320 x 200 figures kept
// bit for bit, 16:10 frames scaled from them, wider frames widening the
// horizontal field of view and narrower ones the vertical, and the view
// planes holding every vertex inside them inside the frame.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

#include "engine/engine.h"
#include "engine/scene_fixtures.h"

namespace vx {
namespace {

constexpr float NearZ = 0.5f;
constexpr float FarZ = 1000.0f;

// A prepared scene whose camera stands at the origin looking along +z with
// roll 0 (camera space is world space with y flipped), set up for size.
struct CameraInFrame {
  CameraInFrame(float fov, const FrameSize& size) {
    test::SceneDesc desc;
    test::AddCamera(desc, {0, 0, 0}, {0, 0, 10}, fov, 0.0f);
    scene = test::MakePreparedScene(desc);
    SetFrame(scene, 0.0f, true);
    ComposeHierarchy(scene);
    SetupCamera(scene, 0, false, NearZ, FarZ, size);
  }
  ~CameraInFrame() { test::DestroyScene(scene); }
  CameraInFrame(const CameraInFrame&) = delete;
  CameraInFrame& operator=(const CameraInFrame&) = delete;
  const ProjectionCamera& camera() const { return *scene->camera; }

  Scene* scene = nullptr;
};

// The 320 x 200 camera as it was first written, step by step: the vertical
// angle from (tan(fov / 2) x 200) / 320, its ratio to fov, the
// magnifications over 160 and 100 pixels, and the side planes at 0.997 of
// the half angles.
struct ClassicFigures {
  float xMagnify, yMagnify;
  Vector right, bottom;  // the normals of those planes
};

ClassicFigures ClassicReference(float fov) {
  const double d = static_cast<float>(std::numbers::pi / 180.0);
  const double h = std::tan(double{fov} / 2.0 * d);
  const float vertical = static_cast<float>(2.0 * std::atan(h * 200.0 / 320.0) / d);
  const double ratio = static_cast<float>(double{vertical} / fov);
  const double a = double{fov} / 2.0 * d * double{0.997f};
  const double b = a * ratio;
  return {.xMagnify = static_cast<float>(1.0 / std::tan(double{fov} * 0.5 * d) * 160.0),
          .yMagnify = static_cast<float>(1.0 / std::tan(ratio * 0.5 * double{fov} * d) * 100.0),
          .right = {-static_cast<float>(std::cos(a)), 0.0f, static_cast<float>(std::sin(a))},
          .bottom = {0.0f, -static_cast<float>(std::cos(b)), static_cast<float>(std::sin(b))}};
}

void ExpectSameBits(Vector a, Vector b) {
  EXPECT_EQ(a.x, b.x);
  EXPECT_EQ(a.y, b.y);
  EXPECT_EQ(a.z, b.z);
}

constexpr float Fovs[] = {1.0f, 10.0f, 33.3f, 45.0f, 60.0f, 90.0f, 120.0f, 150.0f, 179.0f};

TEST(CameraFrame, ClassicFrameKeepsEveryFigureOfThe320By200View) {
  for (float fov : Fovs) {
    SCOPED_TRACE(fov);
    const ClassicFigures want = ClassicReference(fov);
    const CameraInFrame view(fov, ClassicFrame);
    const ProjectionCamera& c = view.camera();
    EXPECT_EQ(c.xMagnify, want.xMagnify);
    EXPECT_EQ(c.yMagnify, want.yMagnify);
    EXPECT_EQ(c.viewFov, fov);
    EXPECT_EQ(c.xCentre, 160.0f);
    EXPECT_EQ(c.yCentre, 100.0f);
    ViewPlane planes[ViewPlaneCount];
    BuildViewPlanes(c, planes);
    ExpectSameBits(planes[PlaneRight].normal, want.right);
    ExpectSameBits(planes[PlaneBottom].normal, want.bottom);
    ExpectSameBits(planes[PlaneLeft].normal, {-want.right.x, 0.0f, want.right.z});
    ExpectSameBits(planes[PlaneTop].normal, {0.0f, -want.bottom.y, want.bottom.z});
  }
}

// 16:10 frames see what the classic view sees, each pixel split into
// scale x scale: the same angles, the magnification and the centre times the
// scale (exactly for a power of two), every vertex at the classic point
// times the scale within the rounding of one classic pixel's fraction.
TEST(CameraFrame, SixteenByTenFramesScaleTheClassicView) {
  struct Case {
    FrameSize size;
    int scale;
  };
  const Case cases[] = {{.size = PackedFrame(640, 400), .scale = 2},
                        {.size = PackedFrame(1280, 800), .scale = 4},
                        {.size = PackedFrame(1920, 1200), .scale = 6}};
  std::mt19937 random(16);
  std::uniform_real_distribution<float> across(-0.6f, 0.6f), depth(0.6f, 80.0f);
  for (const Case& k : cases) {
    for (float fov : {45.0f, 90.0f, 120.0f}) {
      SCOPED_TRACE(testing::Message() << k.size.width << " x " << k.size.height << ", " << fov);
      const CameraInFrame classic(fov, ClassicFrame), big(fov, k.size);
      const ProjectionCamera& c = classic.camera();
      const ProjectionCamera& b = big.camera();
      EXPECT_EQ(b.viewFov, c.viewFov);
      EXPECT_NEAR(b.fovRatio, c.fovRatio, 1e-7f);
      EXPECT_NEAR(b.xMagnify, c.xMagnify * k.scale, c.xMagnify * k.scale * 1e-6f);
      EXPECT_NEAR(b.yMagnify, c.yMagnify * k.scale, c.yMagnify * k.scale * 1e-6f);
      if ((k.scale & (k.scale - 1)) == 0) {
        EXPECT_EQ(b.xMagnify, c.xMagnify * k.scale);
        EXPECT_EQ(b.yMagnify, c.yMagnify * k.scale);
        EXPECT_EQ(b.fovRatio, c.fovRatio);
      }
      EXPECT_EQ(b.xCentre, 160.0f * k.scale);
      EXPECT_EQ(b.yCentre, 100.0f * k.scale);
      for (int i = 0; i < 200; ++i) {
        const float z = depth(random);
        const CameraVertex v{across(random) * z, across(random) * z, z, 0.0f, 0.0f};
        ScreenVertex sc{}, sb{};
        ASSERT_TRUE(ProjectVertex(c, v, sc));
        ASSERT_TRUE(ProjectVertex(b, v, sb));
        // Truncation loses under one unit at either size: the classic unit
        // is scale units here.
        EXPECT_LE(std::abs(sb.x - k.scale * sc.x), k.scale + 1) << i;
        EXPECT_LE(std::abs(sb.y - k.scale * sc.y), k.scale + 1) << i;
      }
    }
  }
}

// Every size against half tangents worked out by hand from the classic
// ones: tan(fov / 2) across, tan(fov / 2) x 200 / 320 up and down. A frame
// wider than 16:10 keeps the vertical and widens the horizontal one by its
// aspect over 1.6; a narrower one keeps the horizontal and widens the
// vertical one by 1.6 over its aspect.
TEST(CameraFrame, FieldOfViewFollowsTheAspect) {
  struct Case {
    FrameSize size;
    double wider;   // the horizontal half tangent over the classic one
    double taller;  // the vertical one over the classic one
  };
  const Case cases[] = {
      {.size = ClassicFrame, .wider = 1.0, .taller = 1.0},
      {.size = PackedFrame(1920, 1200), .wider = 1.0, .taller = 1.0},
      {.size = PackedFrame(1920, 1080), .wider = 10.0 / 9.0, .taller = 1.0},  // 16:9
      {.size = PackedFrame(3840, 2160), .wider = 10.0 / 9.0, .taller = 1.0},
      {.size = PackedFrame(2560, 1080), .wider = 40.0 / 27.0, .taller = 1.0},   // 64:27
      {.size = PackedFrame(1080, 1920), .wider = 1.0, .taller = 128.0 / 45.0},  // 9:16
      {.size = PackedFrame(640, 480), .wider = 1.0, .taller = 6.0 / 5.0},       // 4:3
      {.size = PackedFrame(320, 320), .wider = 1.0, .taller = 8.0 / 5.0},       // square
  };
  for (const Case& k : cases) {
    for (float fov : {30.0f, 60.0f, 90.0f, 110.0f}) {
      SCOPED_TRACE(testing::Message() << k.size.width << " x " << k.size.height << ", " << fov);
      const double classicX = std::tan(fov / 2.0 * std::numbers::pi / 180.0);
      const double tx = classicX * k.wider, ty = classicX * 200.0 / 320.0 * k.taller;
      const CameraInFrame view(fov, k.size);
      const ProjectionCamera& c = view.camera();
      const double w = k.size.width, h = k.size.height;
      EXPECT_NEAR(c.viewFov, 2.0 * std::atan(tx) * 180.0 / std::numbers::pi, 1e-3);
      EXPECT_NEAR(c.xMagnify, w / 2.0 / tx, w / 2.0 / tx * 1e-5);
      EXPECT_NEAR(c.yMagnify, h / 2.0 / ty, h / 2.0 / ty * 1e-5);
      EXPECT_NEAR(c.xMagnify, c.yMagnify, c.xMagnify * 2e-5) << "pixels are square";
      EXPECT_EQ(c.xCentre, k.size.width / 2);
      EXPECT_EQ(c.yCentre, k.size.height / 2);
      // A point nine tenths of the way from the centre to the corner.
      ScreenVertex s{};
      const float z = 7.0f;
      ASSERT_TRUE(ProjectVertex(
          c, {static_cast<float>(0.9 * tx * z), static_cast<float>(0.9 * ty * z), z, 0, 0}, s));
      EXPECT_NEAR(s.x, 1.9 * w / 2.0 * 256.0, 1.9 * w * 256.0 * 1e-5 + 1.0);
      EXPECT_NEAR(s.y, 1.9 * h / 2.0, 1.0);
      // Above the classic size (whose planes are checked above) the side
      // planes lie half a pixel inside the edges: their half tangents are
      // the view's times (1 - 0.5 / half the width or height).
      if (k.size == ClassicFrame) continue;
      ViewPlane planes[ViewPlaneCount];
      BuildViewPlanes(c, planes);
      const double sx = tx * (1.0 - 0.5 / (w / 2.0)), sy = ty * (1.0 - 0.5 / (h / 2.0));
      EXPECT_NEAR(planes[PlaneRight].normal.z / -planes[PlaneRight].normal.x, sx, sx * 1e-6);
      EXPECT_NEAR(planes[PlaneLeft].normal.z / planes[PlaneLeft].normal.x, sx, sx * 1e-6);
      EXPECT_NEAR(planes[PlaneBottom].normal.z / -planes[PlaneBottom].normal.y, sy, sy * 1e-6);
      EXPECT_NEAR(planes[PlaneTop].normal.z / planes[PlaneTop].normal.y, sy, sy * 1e-6);
    }
  }
}

bool InsideEveryPlane(const ViewPlane (&planes)[ViewPlaneCount], Vector v) {
  for (const ViewPlane& p : planes)
    if (!(VecDot(v, p.normal) > VecDot(p.point, p.normal))) return false;
  return true;
}

// Random vertices around the edges of the view (a quarter anywhere, the rest
// within 3% of a side plane): those inside the six planes project into
// the frame, 0 <= x < width x 256 and 0 <= y < height.
TEST(CameraFrame, VerticesInsideThePlanesProjectInsideTheFrame) {
  const FrameSize sizes[] = {PackedFrame(3840, 2160), PackedFrame(2560, 1080),
                             PackedFrame(1080, 1920), ClassicFrame, PackedFrame(640, 480)};
  std::mt19937 random(2160);
  std::uniform_real_distribution<double> unit(-1.0, 1.0), edge(0.97, 1.03), depth(0.45, 1020.0);
  for (const FrameSize& size : sizes) {
    for (float fov : {20.0f, 75.0f, 140.0f}) {
      SCOPED_TRACE(testing::Message() << size.width << " x " << size.height << ", " << fov);
      const CameraInFrame view(fov, size);
      const ProjectionCamera& c = view.camera();
      ViewPlane planes[ViewPlaneCount];
      BuildViewPlanes(c, planes);
      // The half tangents of the side planes (x / z and y / z on them).
      const double tx = double{planes[PlaneRight].normal.z} / -planes[PlaneRight].normal.x;
      const double ty = double{planes[PlaneBottom].normal.z} / -planes[PlaneBottom].normal.y;
      int inside = 0, nearEdge = 0;
      for (int i = 0; i < 4000; ++i) {
        double u = unit(random), v = unit(random);
        if (i % 4 == 1) u = std::copysign(edge(random), u);
        if (i % 4 == 2) v = std::copysign(edge(random), v);
        if (i % 4 == 3) {
          u = std::copysign(edge(random), u);
          v = std::copysign(edge(random), v);
        }
        const double z = depth(random);
        const Vector p{static_cast<float>(u * tx * z), static_cast<float>(v * ty * z),
                       static_cast<float>(z)};
        if (!InsideEveryPlane(planes, p)) continue;
        ++inside;
        nearEdge += std::abs(u) > 0.99 || std::abs(v) > 0.99 ? 1 : 0;
        ScreenVertex s{};
        ASSERT_TRUE(ProjectVertex(c, {p.x, p.y, p.z, 0, 0}, s)) << i;
        ASSERT_GE(s.x, 0) << i;
        ASSERT_LT(s.x, size.width * 256) << i;
        ASSERT_GE(s.y, 0) << i;
        ASSERT_LT(s.y, size.height) << i;
      }
      EXPECT_GT(inside, 1000);
      EXPECT_GT(nearEdge, 300) << "too few vertices near the edges to test them";
    }
  }
}

// The frame pipeline hands its size to the camera: a triangle in front of
// the camera lands around the centre of the frame it is drawn for.
TEST(CameraFrame, FramePipelineProjectsIntoTheFrameItIsGiven) {
  test::SceneDesc desc;
  test::AddCamera(desc, {0, 0, 0}, {0, 0, 10}, 90.0f);
  test::ObjectDesc o;
  o.name = "In";
  o.vertices = {{0, 0, 4, 0, 0}, {1, 0, 4, 1, 0}, {0, 1, 4, 0, 1}};
  o.faces = {{0, 1, 2}};
  test::TrackDesc t;
  t.name = o.name;
  t.position = {test::VKey(0, {0, 0, 0})};
  o.trackIndex = static_cast<std::uint16_t>(desc.tracks.size());
  desc.tracks.push_back(t);
  desc.objects.push_back(o);
  Scene* scene = test::MakePreparedScene(desc);
  for (const FrameSize size :
       {PackedFrame(1280, 800), PackedFrame(2560, 1080), PackedFrame(1080, 1920)}) {
    SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
    RunFramePipeline(scene, 0.0f, 0, 0.5f, 100000.0f, size);
    const ProjectionCamera& c = *scene->camera;
    const ScreenObject& s = *scene->screen->objects[0];
    ASSERT_EQ(s.visible, 1);
    EXPECT_EQ(s.vertices[0].x, size.width / 2 * 256);
    EXPECT_EQ(s.vertices[0].y, size.height / 2);
    // x / z = 0.25 to the right, y / z = 0.25 up the screen.
    EXPECT_NEAR(s.vertices[1].x, (size.width / 2 + 0.25 * c.xMagnify) * 256, 1.0);
    EXPECT_NEAR(s.vertices[2].y, size.height / 2 - 0.25 * c.yMagnify, 1.0);
  }
  // And the classic frame still gives the classic magnification of 90 degrees.
  RunFramePipeline(scene, 0.0f, 0, 0.5f, 100000.0f, ClassicFrame);
  EXPECT_NEAR(scene->camera->xMagnify, 160.0f, 1e-3f);
  EXPECT_EQ(scene->screen->objects[0]->vertices[0].x, 40960);
  test::DestroyScene(scene);
}

}  // namespace
}  // namespace vx
