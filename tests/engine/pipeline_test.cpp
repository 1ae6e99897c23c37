// The per-frame pipeline on hand-built scenes: culling, back faces,
// near-plane clipping into triangles and quadrilaterals, the 0.01 band,
// the reserved vertex slots, projection, and the memory report's counts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "engine/engine.h"
#include "engine/scene_fixtures.h"

namespace vx {
namespace {

void RunFrame(Scene* scene, float frame = 0.0f) {
  RunFramePipeline(scene, frame, 0, 0.5f, 100000.0f, ClassicFrame);
}

const TransformedObject& Obj(Scene* scene, int i) {
  return *scene->transformed->objects[i];
}

std::vector<std::uint32_t> Indices(const Polygon& p) {
  return std::vector<std::uint32_t>(p.indices, p.indices + p.count);
}

TEST(Pipeline, ObjectInsideEveryPlaneReachesTheRasterizerAsTriangles) {
  Scene* scene = test::MakePreparedScene(
      test::InView({test::Triangle("In", {0, 0, 4}, {1, 0, 4}, {0, 1, 4})}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  EXPECT_EQ(t.visible, 1);
  EXPECT_EQ(t.clipNear + t.clipFar + t.clipLeft + t.clipRight + t.clipTop + t.clipBottom, 0);
  EXPECT_EQ(t.polygons[0].count, 3u);
  EXPECT_EQ(t.polygons[0].drawFlag, 1);
  EXPECT_EQ(t.vertexCount, 3u);
  EXPECT_NE(t.polygons[0].texture, nullptr);  // the blank texture of a scene without materials
  // Camera space flips y; screen rows grow downwards.
  EXPECT_FLOAT_EQ(t.vertices[2].y, -1.0f);
  const ScreenObject& s = *scene->screen->objects[0];
  EXPECT_EQ(s.visible, 1);
  EXPECT_EQ(s.polygons[0], &t.polygons[0]);
  const ProjectionCamera& c = *scene->camera;
  EXPECT_EQ(s.vertices[0].x, 40960);
  EXPECT_EQ(s.vertices[1].x,  // 160 pixels per unit of x / z
            static_cast<std::int32_t>(double{c.xMagnify} * 256 * 0.25 + 40960));
  EXPECT_EQ(s.vertices[2].y, static_cast<std::int32_t>(double{c.yMagnify} * -0.25 + 100));
  EXPECT_NEAR(s.vertices[2].y, 60, 1);
  EXPECT_FLOAT_EQ(s.vertices[2].z, 0.25f);
  EXPECT_EQ(s.vertices[1].u, 65536);
  test::DestroyScene(scene);
}

TEST(Pipeline, ObjectBehindTheCameraIsRejectedUntouched) {
  Scene* scene = test::MakePreparedScene(
      test::InView({test::Triangle("Behind", {0, 0, -5}, {1, 0, -5}, {0, 1, -5})}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  EXPECT_EQ(t.visible, 0);
  EXPECT_EQ(scene->screen->objects[0]->visible, 0);
  for (int j = 0; j < 3; ++j)
    EXPECT_EQ(t.vertices[j].z, 0.0f) << "vertex " << j << " was transformed";
  test::DestroyScene(scene);
}

TEST(Pipeline, BackFacesAreMarkedAndNotClipped) {
  // The same triangles with both windings, crossing the near plane; and a
  // triangle seen exactly edge-on (its plane holds the camera), which is drawn
  // with either winding.
  Scene* scene = test::MakePreparedScene(
      test::InView({test::Triangle("Front", {0, 0, 2}, {0.2f, 0, -1}, {0, 0.2f, -1}),
                    test::Triangle("Back", {0, 0, 2}, {0, 0.2f, -1}, {0.2f, 0, -1}),
                    test::Triangle("EdgeOn", {0, 0, 2}, {1, 0, 2}, {0, 0, 3}),
                    test::Triangle("EdgeOn2", {0, 0, 2}, {0, 0, 3}, {1, 0, 2})}));
  RunFrame(scene);
  EXPECT_EQ(Obj(scene, 0).polygons[0].drawFlag, 1);
  EXPECT_EQ(Obj(scene, 2).polygons[0].drawFlag, 1);
  EXPECT_EQ(Obj(scene, 3).polygons[0].drawFlag, 1);
  const TransformedObject& back = Obj(scene, 1);
  EXPECT_EQ(back.clipNear, 1);
  EXPECT_EQ(back.polygons[0].drawFlag, 0);
  EXPECT_EQ(Indices(back.polygons[0]), (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_EQ(back.vertexCount, 3u);
  test::DestroyScene(scene);
}

TEST(Pipeline, NearPlaneCutsOneInsideVertexToATriangle) {
  Scene* scene = test::MakePreparedScene(
      test::InView({test::Triangle("Tri", {0, 0, 2}, {0.2f, 0, -1}, {0, 0.2f, -1})}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  ASSERT_EQ(t.clipNear, 1);
  EXPECT_EQ(t.polygons[0].drawFlag, 1);
  ASSERT_EQ(Indices(t.polygons[0]), (std::vector<std::uint32_t>{0, 3, 4}));
  EXPECT_EQ(t.vertexCount, 5u);
  const CameraVertex& p = t.vertices[3];  // halfway along A -> B
  EXPECT_NEAR(p.x, 0.1f, 1e-6f);
  EXPECT_NEAR(p.z, 0.5f, 1e-6f);
  EXPECT_NEAR(p.u, 0.5f, 1e-6f);          // mapping interpolated alike
  const CameraVertex& q = t.vertices[4];  // halfway along C -> A
  EXPECT_NEAR(q.y, -0.1f, 1e-6f);
  EXPECT_NEAR(q.v, -0.5f, 1e-6f);  // v was negated at load
  // The new vertices are projected too; all drawn vertices lie in the view.
  const ScreenObject& s = *scene->screen->objects[0];
  for (std::uint32_t i : Indices(t.polygons[0])) {
    EXPECT_GE(s.vertices[i].x >> 8, 0);
    EXPECT_LE(s.vertices[i].x >> 8, 319);
    EXPECT_GE(s.vertices[i].y, 0);
    EXPECT_LE(s.vertices[i].y, 199);
  }
  EXPECT_EQ(s.vertices[3].x, 40960 + static_cast<std::int32_t>(160.0 * 256 * 0.1 / 0.5));
  test::DestroyScene(scene);
}

TEST(Pipeline, NearPlaneCutsTwoInsideVerticesToAQuadrilateral) {
  Scene* scene = test::MakePreparedScene(
      test::InView({test::Triangle("Quad", {0, 0, 2}, {0.2f, 0, 2}, {0, 0.2f, -1})}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  EXPECT_EQ(t.polygons[0].drawFlag, 1);
  ASSERT_EQ(Indices(t.polygons[0]), (std::vector<std::uint32_t>{0, 1, 3, 4}));
  EXPECT_NEAR(t.vertices[3].x, 0.1f, 1e-6f);  // B -> C at t = 0.5
  EXPECT_NEAR(t.vertices[3].z, 0.5f, 1e-6f);
  EXPECT_NEAR(t.vertices[4].x, 0.0f, 1e-6f);  // C -> A
  EXPECT_NEAR(t.vertices[4].z, 0.5f, 1e-6f);
  test::DestroyScene(scene);
}

TEST(Pipeline, PolygonWhollyOutsideEndsEmpty) {
  // One object crossing the near plane: a triangle in front and one behind,
  // wound to face the camera.
  test::ObjectDesc o;
  o.name = "Two";
  o.vertices = {{0, 0, 2, 0, 0},  {0.2f, 0, 2, 0, 0},  {0, 0.2f, 2, 0, 0},
                {0, 0, -1, 0, 0}, {0.2f, 0, -1, 0, 0}, {0, 0.2f, -1, 0, 0}};
  o.faces = {{0, 1, 2}, {3, 5, 4}};
  Scene* scene = test::MakePreparedScene(test::InView({o}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  EXPECT_EQ(t.visible, 1);
  EXPECT_EQ(t.polygons[0].drawFlag, 1);
  EXPECT_EQ(t.polygons[0].count, 3u);
  EXPECT_EQ(t.polygons[1].count, 0u);
  EXPECT_EQ(t.polygons[1].drawFlag, 0);
  test::DestroyScene(scene);
}

TEST(Pipeline, VertexWithinTheToleranceIsKeptAsItIs) {
  // B lies 0.005 outside the near plane, A and C well inside: B is kept and
  // no edge grazing the plane adds a vertex, so the triangle stays whole.
  Scene* scene = test::MakePreparedScene(
      test::InView({test::Triangle("Sliver", {0, 0, 2}, {0.1f, 0, 0.495f}, {0, 0.1f, 2})}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  ASSERT_EQ(t.clipNear, 1);
  EXPECT_EQ(Indices(t.polygons[0]), (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_EQ(t.vertexCount, 3u);
  test::DestroyScene(scene);
}

TEST(Pipeline, VertexWithinTheToleranceKeepsTheWedgeBehindIt) {
  // A far inside, B 0.008 outside the near plane, C far behind it: the part
  // in view is the wedge A, B, P (P where C -> A enters). Dropping B without
  // a replacement would leave A, P alone and lose the whole wedge.
  Scene* scene = test::MakePreparedScene(
      test::InView({test::Triangle("Wedge", {-0.3f, 0, 6}, {0.2f, 0, 0.492f}, {-0.3f, 0.1f, -4})}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  ASSERT_EQ(t.polygons[0].drawFlag, 1);
  ASSERT_EQ(Indices(t.polygons[0]), (std::vector<std::uint32_t>{0, 1, 3}));
  EXPECT_NEAR(t.vertices[3].z, 0.5f, 1e-6f);
  EXPECT_NEAR(t.vertices[3].x, -0.3f, 1e-6f);
  test::DestroyScene(scene);
}

TEST(Pipeline, SuccessiveClippedFramesReuseTheReservedSlots) {
  Scene* scene = test::MakePreparedScene(
      test::InView({test::Triangle("Tri", {0, 0, 2}, {0.2f, 0, -1}, {0, 0.2f, -1})}));
  const TransformedObject& t = Obj(scene, 0);
  EXPECT_EQ(t.vertexSlots, 3u + 12u);
  for (int frame = 0; frame < 50; ++frame) {
    RunFrame(scene, static_cast<float>(frame));
    ASSERT_EQ(t.vertexCount, 5u) << "frame " << frame;
    ASSERT_EQ(t.polygons[0].count, 3u);
  }
  test::DestroyScene(scene);
}

TEST(Pipeline, SidePlanesClipWhatCrossesTheViewEdge) {
  // A wide triangle reaching far to the right at z 2: clipped by the right
  // plane; every vertex in use afterwards lies in the view.
  Scene* scene = test::MakePreparedScene(
      test::InView({test::Triangle("Wide", {-0.5f, 0, 2}, {8, 0, 2}, {-0.5f, 0.5f, 2})}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  EXPECT_EQ(t.clipRight, 1);
  EXPECT_EQ(t.clipLeft, 0);
  const Polygon& p = t.polygons[0];
  ASSERT_EQ(p.drawFlag, 1);
  ASSERT_EQ(p.count, 4u);
  const ScreenObject& s = *scene->screen->objects[0];
  for (std::uint32_t i : Indices(p)) {
    EXPECT_LE(s.vertices[i].x >> 8, 319) << i;
    EXPECT_GE(s.vertices[i].x >> 8, 0) << i;
  }
  test::DestroyScene(scene);
}

TEST(Pipeline, MemoryReportCountsTheWorkingCopies) {
  test::ObjectDesc o;
  o.name = "Quad";
  o.vertices = {{0, 0, 5, 0, 0}, {1, 0, 5, 0, 0}, {1, 1, 5, 0, 0}, {0, 1, 5, 0, 0}};
  o.faces = {{0, 1, 2}, {0, 2, 3}};
  test::SceneDesc desc;
  test::TrackDesc t;
  t.name = "Quad";
  t.position = {test::VKey(0, {0, 0, 0})};
  desc.tracks = {t};
  desc.objects = {o};
  Scene* scene = test::MakePreparedScene(desc);
  EXPECT_EQ(scene->transformed->byteSize, 1346u);
  EXPECT_EQ(scene->screen->byteSize, 604u);
  EXPECT_EQ(scene->hierarchyBytes, 168u);
  EXPECT_EQ(scene->totalBytes, 44u + scene->mesh->byteSize + 1346u + 604u + 168u);
  EXPECT_EQ(scene->precalcBytes, 0u);
  FreeHierarchy(scene);
  EXPECT_EQ(scene->totalBytes, 44u + scene->mesh->byteSize + 1346u + 604u);
  FreeSceneBuffers(scene);
  FreeScene(scene);
}

TEST(Pipeline, ObjectsOfASceneWithoutTracksStandStill) {
  test::SceneDesc desc;
  desc.objects = {test::Triangle("Loose", {4, 5, 6}, {5, 5, 6}, {4, 6, 6})};
  Scene* scene = test::MakePreparedScene(desc);
  SetFrame(scene, 12.0f, true);
  ComposeHierarchy(scene);
  EXPECT_TRUE(test::MatricesNear(*Obj(scene, 0).world, MatrixIdentity, 0.0f));
  EXPECT_EQ(scene->hierarchy->childCount, 0u);
  test::DestroyScene(scene);
}

TEST(Pipeline, PreparationFollowsTheLoadedData) {
  test::ObjectDesc o = test::Triangle("Tri", {0, 0, 0}, {2, 0, 0}, {0, 3, 0});
  o.vertices[1].v = 0.25f;
  test::ObjectDesc bare;
  bare.name = "Points";
  bare.vertices = {{1, -2, 3, 0, 0}, {-1, 5, 0, 0, 0}, {4, 0, -6, 0, 0}};
  Scene* scene = test::MakePreparedScene(test::InView({o, bare}));
  const MeshObject& m = *scene->mesh->objects[0];
  EXPECT_EQ(m.vertices[1].v, -0.25f);
  ASSERT_NE(m.faceNormals, nullptr);
  EXPECT_NEAR(m.faceNormals[0].z, 1.0f, 1e-6f);  // (2,0,0) x (0,3,0), normalised
  // An object with vertices but no faces: no normals, no polygons, but a box.
  const MeshObject& points = *scene->mesh->objects[1];
  EXPECT_EQ(points.faceNormals, nullptr);
  EXPECT_EQ(Obj(scene, 1).polygonCount, 0u);
  const Vector lo = points.bounds[0], hi = points.bounds[6];
  EXPECT_EQ(lo.x, -1.0f);
  EXPECT_EQ(lo.y, -2.0f);
  EXPECT_EQ(lo.z, -6.0f);
  EXPECT_EQ(hi.x, 4.0f);
  EXPECT_EQ(hi.y, 5.0f);
  EXPECT_EQ(hi.z, 3.0f);
  EXPECT_EQ(points.bounds[3].z, 3.0f);  // (minX, minY, maxZ)
  EXPECT_EQ(points.bounds[3].x, -1.0f);
  test::DestroyScene(scene);
}

// What clipping against one plane must give, checked on triangles cut at
// every distance around the plane and its tolerance band, many of them lying
// almost in the plane: nothing drawn lies beyond the band; every new vertex
// lies on the plane; a plane adds at most one vertex net; and nothing of the
// part inside the plane (clipped exactly, with no band) is lost.
struct Point {
  double x, y, z;
};

Point Sub(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

double Area(const std::vector<Point>& polygon) {
  Point sum{0, 0, 0};
  for (std::size_t i = 1; i + 1 < polygon.size(); ++i) {
    const Point a = Sub(polygon[i], polygon[0]), b = Sub(polygon[i + 1], polygon[0]);
    sum = {sum.x + a.y * b.z - a.z * b.y, sum.y + a.z * b.x - a.x * b.z,
           sum.z + a.x * b.y - a.y * b.x};
  }
  return 0.5 * std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
}

// The part of a convex polygon where distance(p) + shift >= 0, exactly.
template <typename Distance>
std::vector<Point> CutExactly(const std::vector<Point>& polygon, Distance distance, double shift) {
  std::vector<Point> out;
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const Point a = polygon[i], b = polygon[(i + 1) % polygon.size()];
    const double da = distance(a) + shift, db = distance(b) + shift;
    if (da >= 0) out.push_back(a);
    if ((da > 0 && db < 0) || (da < 0 && db > 0)) {
      const double t = da / (da - db);
      out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y), a.z + t * (b.z - a.z)});
    }
  }
  return out;
}

// Triangles around plane p in camera space, both windings of each; their
// vertices lie at distances around the plane's band and anywhere along it.
test::ObjectDesc TrianglesAround(const ViewPlane& plane, std::uint32_t seed) {
  constexpr double Distances[] = {2, 0.3, 0.011, 0.005, 0, -0.005, -0.009, -0.011, -0.3, -2};
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> pick(0, std::size(Distances) - 1);
  std::uniform_real_distribution<double> along(-3, 3);
  const Point n{plane.normal.x, plane.normal.y, plane.normal.z};
  const Point helper = std::abs(n.x) < 0.5 ? Point{1, 0, 0} : Point{0, 1, 0};
  Point t1{n.y * helper.z - n.z * helper.y, n.z * helper.x - n.x * helper.z,
           n.x * helper.y - n.y * helper.x};
  const double length = std::sqrt(t1.x * t1.x + t1.y * t1.y + t1.z * t1.z);
  t1 = {t1.x / length, t1.y / length, t1.z / length};
  const Point t2{n.y * t1.z - n.z * t1.y, n.z * t1.x - n.x * t1.z, n.x * t1.y - n.y * t1.x};
  test::ObjectDesc o;
  o.name = "Cut";
  for (int k = 0; k < 300; ++k) {
    for (int corner = 0; corner < 3; ++corner) {
      const double d = Distances[pick(random)], a = along(random), b = along(random);
      const double x = plane.point.x + d * n.x + a * t1.x + b * t2.x;
      const double y = plane.point.y + d * n.y + a * t1.y + b * t2.y;
      const double z = plane.point.z + d * n.z + a * t1.z + b * t2.z;
      // Camera space is world space with y flipped.
      o.vertices.push_back(
          {static_cast<float>(x), static_cast<float>(-y), static_cast<float>(z), 0, 0});
    }
    const auto v = static_cast<std::uint16_t>(3 * k);
    o.faces.push_back({v, static_cast<std::uint16_t>(v + 1), static_cast<std::uint16_t>(v + 2)});
    o.faces.push_back({v, static_cast<std::uint16_t>(v + 2), static_cast<std::uint16_t>(v + 1)});
  }
  return o;
}

TEST(Pipeline, ClippingLosesNothingInsideAndDrawsNothingBeyondTheBand) {
  constexpr double Band = 0.01;
  ViewPlane planes[ViewPlaneCount];
  {
    Scene* probe = test::MakePreparedScene(
        test::InView({test::Triangle("P", {0, 0, 4}, {1, 0, 4}, {0, 1, 4})}));
    RunFrame(probe);
    probe->camera->farZ = 20.0f;
    BuildViewPlanes(*probe->camera, planes);
    test::DestroyScene(probe);
  }
  int keptInBand = 0;
  for (int p = 0; p < ViewPlaneCount; ++p) {
    Scene* scene = test::MakePreparedScene(test::InView({TrianglesAround(planes[p], 7u + p)}));
    SetFrame(scene, 0.0f, true);
    ComposeHierarchy(scene);
    SetupCamera(scene, 0, false, 0.5f, 20.0f, ClassicFrame);
    CullObjects(scene);
    TransformObjects(scene);
    TransformedObject& t = *scene->transformed->objects[0];
    ASSERT_EQ(t.visible, 1) << "plane " << p;
    std::uint8_t* flags[ViewPlaneCount] = {&t.clipNear,  &t.clipFar, &t.clipLeft,
                                           &t.clipRight, &t.clipTop, &t.clipBottom};
    for (int q = 0; q < ViewPlaneCount; ++q) *flags[q] = q == p ? 1 : 0;
    const std::uint32_t loaded = t.vertexCount;
    std::vector<std::vector<std::uint32_t>> before;
    for (std::uint32_t k = 0; k < t.polygonCount; ++k) before.push_back(Indices(t.polygons[k]));
    ClipPolygons(scene);

    const ViewPlane& plane = planes[p];
    const double offset = double{VecDot(plane.point, plane.normal)};
    auto distance = [&](Point v) {
      return v.x * plane.normal.x + v.y * plane.normal.y + v.z * plane.normal.z - offset;
    };
    auto points = [&](const std::vector<std::uint32_t>& indices) {
      std::vector<Point> out;
      for (std::uint32_t i : indices) out.push_back({t.vertices[i].x, t.vertices[i].y, t.vertices[i].z});
      return out;
    };
    for (std::uint32_t k = 0; k < t.polygonCount; ++k) {
      const Polygon& polygon = t.polygons[k];
      if (before[k].size() != 3 || (polygon.drawFlag == 0 && polygon.count == 3)) continue;
      const std::vector<Point> in = points(before[k]);
      const std::vector<Point> out = polygon.drawFlag ? points(Indices(polygon)) : std::vector<Point>{};
      SCOPED_TRACE(testing::Message() << "plane " << p << " face " << k);
      EXPECT_LE(out.size(), in.size() + 1);
      for (std::size_t i = 0; i < out.size(); ++i) {
        const double d = distance(out[i]);
        EXPECT_GE(d, -Band - 1e-5);
        if (polygon.indices[i] >= loaded) {
          EXPECT_NEAR(d, 0.0, 1e-5) << "new vertex off the plane";
        }
        keptInBand += polygon.indices[i] < loaded && d < 0 ? 1 : 0;
      }
      const double inside = Area(CutExactly(in, distance, 0.0));
      EXPECT_GE(Area(CutExactly(out, distance, 0.0)), inside * (1 - 1e-4) - 1e-6);
      EXPECT_LE(Area(out), Area(CutExactly(in, distance, Band)) + 1e-5);
    }
    test::DestroyScene(scene);
  }
  EXPECT_GT(keptInBand, 100) << "the triangles hardly touch the band";
}

// Round to nearest even, then saturate to 32 bits (NaN to the lowest value).
std::int32_t RoundedTexel(double value) {
  const double r = std::nearbyint(value);
  if (!(r > -2147483648.0)) return std::numeric_limits<std::int32_t>::min();
  if (r >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(r);
}

TEST(Pipeline, ProjectedMappingRoundsToEvenAndSaturatesOverTheWholeRange) {
  ProjectionCamera c{};
  c.xCentre = 160.0f;  // the classic frame's centre
  c.yCentre = 100.0f;
  c.xMagnify = 160.0f;
  c.yMagnify = 160.0f;
  c.nearZ = 0.5f;
  c.farZ = 1000.0f;
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {0.5f / 65536,  1.5f / 65536, 2.5f / 65536, -0.5f / 65536, -1.5f / 65536,
                          -2.5f / 65536, 0.3f,         -0.7f,        32767.99f,     32768.0f,
                          -32768.0f,     -32768.004f,  5e13f,        -5e13f,        7e13f,
                          -7e13f,        1e30f,        -1e30f,       inf,           -inf,
                          std::nanf("")};
  for (float u : values) {
    ScreenVertex s{};
    ASSERT_TRUE(ProjectVertex(c, {0, 0, 1, u, -u}, s));
    EXPECT_EQ(s.u, RoundedTexel(double{u} * 65536.0)) << u;
    EXPECT_EQ(s.v, RoundedTexel(double{-u} * 65536.0)) << u;
  }
  ScreenVertex s{};
  ASSERT_TRUE(ProjectVertex(c, {0, 0, 1, 2.5f / 65536, 32768.0f}, s));
  EXPECT_EQ(s.u, 2);  // a tie goes to the even neighbour
  EXPECT_EQ(s.v, std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace vx
