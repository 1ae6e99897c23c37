// The per-frame pipeline on hand-built scenes: culling, back faces,
// near-plane clipping into triangles and quadrilaterals, the 0.01 tolerance,
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

// A camera at the origin looking along +z (camera space = world space with
// y flipped), near plane 0.5; objects placed by one static identity track.
test::SceneDesc InView(std::vector<test::ObjectDesc> objects) {
  test::SceneDesc desc;
  test::AddCamera(desc, {0, 0, 0}, {0, 0, 10}, 90.0f);
  for (auto& o : objects) {
    test::TrackDesc t;
    t.name = o.name;
    t.position = {test::VKey(0, {0, 0, 0})};
    o.trackIndex = static_cast<std::uint16_t>(desc.tracks.size());
    desc.tracks.push_back(t);
    desc.objects.push_back(o);
  }
  return desc;
}

test::ObjectDesc Triangle(const std::string& name, Vector a, Vector b, Vector c) {
  test::ObjectDesc o;
  o.name = name;
  o.vertices = {{a.x, a.y, a.z, 0, 0}, {b.x, b.y, b.z, 1, 0}, {c.x, c.y, c.z, 0, 1}};
  o.faces = {{0, 1, 2}};
  return o;
}

void RunFrame(Scene* scene, float frame = 0.0f) {
  SetFrame(scene, frame, true);
  ComposeHierarchy(scene);
  SetupCamera(scene, 0, false, 0.5f, 100000.0f);
  CullObjects(scene);
  TransformObjects(scene);
  ClipPolygons(scene);
  ProjectVertices(scene);
}

const TransformedObject& Obj(Scene* scene, int i) {
  return *scene->transformed->objects[i];
}

std::vector<std::uint32_t> Indices(const Polygon& p) {
  return std::vector<std::uint32_t>(p.indices, p.indices + p.count);
}

TEST(Pipeline, ObjectInsideEveryPlaneReachesTheRasterizerAsTriangles) {
  Scene* scene = test::MakePreparedScene(InView({Triangle("In", {0, 0, 4}, {1, 0, 4}, {0, 1, 4})}));
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
  Scene* scene =
      test::MakePreparedScene(InView({Triangle("Behind", {0, 0, -5}, {1, 0, -5}, {0, 1, -5})}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  EXPECT_EQ(t.visible, 0);
  EXPECT_EQ(scene->screen->objects[0]->visible, 0);
  for (int j = 0; j < 3; ++j)
    EXPECT_EQ(t.vertices[j].z, 0.0f) << "vertex " << j << " was transformed";
  test::DestroyScene(scene);
}

TEST(Pipeline, BackFacesAreMarkedAndNotClipped) {
  // The same triangles with both windings, crossing the near plane.
  Scene* scene =
      test::MakePreparedScene(InView({Triangle("Front", {0, 0, 2}, {0.2f, 0, -1}, {0, 0.2f, -1}),
                                      Triangle("Back", {0, 0, 2}, {0, 0.2f, -1}, {0.2f, 0, -1})}));
  RunFrame(scene);
  EXPECT_EQ(Obj(scene, 0).polygons[0].drawFlag, 1);
  const TransformedObject& back = Obj(scene, 1);
  EXPECT_EQ(back.clipNear, 1);
  EXPECT_EQ(back.polygons[0].drawFlag, 0);
  EXPECT_EQ(Indices(back.polygons[0]), (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_EQ(back.vertexCount, 3u);
  test::DestroyScene(scene);
}

TEST(Pipeline, NearPlaneCutsOneInsideVertexToATriangle) {
  Scene* scene =
      test::MakePreparedScene(InView({Triangle("Tri", {0, 0, 2}, {0.2f, 0, -1}, {0, 0.2f, -1})}));
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
  Scene* scene =
      test::MakePreparedScene(InView({Triangle("Quad", {0, 0, 2}, {0.2f, 0, 2}, {0, 0.2f, -1})}));
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
  Scene* scene = test::MakePreparedScene(InView({o}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  EXPECT_EQ(t.visible, 1);
  EXPECT_EQ(t.polygons[0].drawFlag, 1);
  EXPECT_EQ(t.polygons[0].count, 3u);
  EXPECT_EQ(t.polygons[1].count, 0u);
  EXPECT_EQ(t.polygons[1].drawFlag, 0);
  test::DestroyScene(scene);
}

TEST(Pipeline, VertexJustOutsideIsDroppedWithoutAnIntersection) {
  // B lies 0.005 outside the near plane: A -> B adds nothing, B is dropped,
  // B -> C adds P.
  Scene* scene = test::MakePreparedScene(
      InView({Triangle("Sliver", {0, 0, 2}, {0.1f, 0, 0.495f}, {0, 0.1f, 2})}));
  RunFrame(scene);
  const TransformedObject& t = Obj(scene, 0);
  ASSERT_EQ(t.clipNear, 1);
  ASSERT_EQ(Indices(t.polygons[0]), (std::vector<std::uint32_t>{0, 3, 2}));
  EXPECT_EQ(t.vertexCount, 4u);
  const double d = 0.495f - 0.5f;
  const double f = d / (d - 1.5);
  EXPECT_NEAR(t.vertices[3].z, 0.5f, 1e-6f);
  EXPECT_NEAR(t.vertices[3].x, (1 - f) * 0.1, 1e-6);
  test::DestroyScene(scene);
}

TEST(Pipeline, SuccessiveClippedFramesReuseTheReservedSlots) {
  Scene* scene =
      test::MakePreparedScene(InView({Triangle("Tri", {0, 0, 2}, {0.2f, 0, -1}, {0, 0.2f, -1})}));
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
      InView({Triangle("Wide", {-0.5f, 0, 2}, {8, 0, 2}, {-0.5f, 0.5f, 2})}));
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
  desc.objects = {Triangle("Loose", {4, 5, 6}, {5, 5, 6}, {4, 6, 6})};
  Scene* scene = test::MakePreparedScene(desc);
  SetFrame(scene, 12.0f, true);
  ComposeHierarchy(scene);
  EXPECT_TRUE(test::MatricesNear(*Obj(scene, 0).world, MatrixIdentity, 0.0f));
  EXPECT_EQ(scene->hierarchy->childCount, 0u);
  test::DestroyScene(scene);
}

TEST(Pipeline, PreparationFollowsTheLoadedData) {
  test::ObjectDesc o = Triangle("Tri", {0, 0, 0}, {2, 0, 0}, {0, 3, 0});
  o.vertices[1].v = 0.25f;
  test::ObjectDesc bare;
  bare.name = "Points";
  bare.vertices = {{1, -2, 3, 0, 0}, {-1, 5, 0, 0, 0}, {4, 0, -6, 0, 0}};
  Scene* scene = test::MakePreparedScene(InView({o, bare}));
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

// The clip walk written plainly, one plane at a time over every polygon,
// each edge end's distance formed where it is used: the definition the
// pipeline's clipping must reproduce bit for bit.
struct ClipState {
  std::vector<CameraVertex> vertices;
  std::vector<std::vector<std::uint32_t>> polygons;
  std::vector<std::uint8_t> drawFlags;
};

void ReferenceClip(ClipState& state, const ViewPlane& plane, std::size_t slots) {
  auto distance = [&](const CameraVertex& v) {
    return double{VecDot({v.x, v.y, v.z}, plane.normal)} -
           double{VecDot(plane.point, plane.normal)};
  };
  auto intersect = [&](std::uint32_t a, std::uint32_t b, double da, double db) {
    const double t = da / (da - db);
    const CameraVertex& p = state.vertices[a];
    const CameraVertex& q = state.vertices[b];
    auto mix = [t](float x, float y) { return static_cast<float>((1.0 - t) * x + t * y); };
    state.vertices.push_back(
        {mix(p.x, q.x), mix(p.y, q.y), mix(p.z, q.z), mix(p.u, q.u), mix(p.v, q.v)});
    return static_cast<std::uint32_t>(state.vertices.size() - 1);
  };
  for (std::size_t k = 0; k < state.polygons.size(); ++k) {
    std::vector<std::uint32_t>& polygon = state.polygons[k];
    if (polygon.size() <= 2 || state.drawFlags[k] == 0) {
      state.drawFlags[k] = 0;
      continue;
    }
    const std::vector<std::uint32_t> source = polygon;
    polygon.clear();
    for (std::size_t i = 0; i < source.size(); ++i) {
      const std::uint32_t a = source[i];
      const std::uint32_t b = source[(i + 1) % source.size()];
      const double da = distance(state.vertices[a]);
      const double db = distance(state.vertices[b]);
      const bool room = state.vertices.size() < slots;
      if (da > 0.0) {
        polygon.push_back(a);
        if (db < -0.01 && room) polygon.push_back(intersect(a, b, da, db));
      } else if (db > 0.01 && room) {
        polygon.push_back(intersect(a, b, da, db));
      }
    }
    if (polygon.empty()) state.drawFlags[k] = 0;
  }
}

// A bumpy ground of 12 x 12 cells below the camera, from behind it to far
// ahead and well past both sides: its faces cross the near, left and right
// planes at every angle, some touch the near plane, some are turned away.
test::ObjectDesc BumpyGround(std::uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> bump(-0.3f, 0.3f);
  test::ObjectDesc o;
  o.name = "Ground";
  constexpr int Cells = 12;
  for (int j = 0; j <= Cells; ++j) {
    for (int i = 0; i <= Cells; ++i) {
      const float x = -9.0f + 1.5f * static_cast<float>(i) + bump(random);
      // Row 2 lies on the near plane (z 0.5), just outside it within and
      // beyond the 0.01 tolerance, or just inside it.
      constexpr float NearRow[4] = {0.5f, 0.495f, 0.505f, 0.48f};
      const float z = j == 2 ? NearRow[i % 4] : -2.0f + 1.0f * static_cast<float>(j) + bump(random);
      o.vertices.push_back({x, -0.8f + bump(random), z, static_cast<float>(i) / Cells,
                            static_cast<float>(j) / Cells});
    }
  }
  for (int j = 0; j < Cells; ++j) {
    for (int i = 0; i < Cells; ++i) {
      const auto at = [](int ci, int cj) {
        return static_cast<std::uint16_t>(cj * (Cells + 1) + ci);
      };
      const bool flip = random() % 5 == 0;
      o.faces.push_back({at(i, j), flip ? at(i + 1, j + 1) : at(i + 1, j),
                         flip ? at(i + 1, j) : at(i + 1, j + 1)});
      o.faces.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    }
  }
  return o;
}

TEST(Pipeline, ClippingEqualsThePlainWalkBitForBit) {
  for (std::uint32_t seed : {1u, 2u, 3u}) {
    Scene* scene = test::MakePreparedScene(InView({BumpyGround(seed)}));
    SetFrame(scene, 0.0f, true);
    ComposeHierarchy(scene);
    SetupCamera(scene, 0, false, 0.5f, 100000.0f);
    CullObjects(scene);
    TransformObjects(scene);
    const TransformedObject& t = Obj(scene, 0);
    ASSERT_EQ(t.visible, 1);
    ASSERT_EQ(t.clipNear + t.clipLeft + t.clipRight, 3);
    ClipState want;
    want.vertices.assign(t.vertices, t.vertices + t.vertexCount);
    for (std::uint32_t k = 0; k < t.polygonCount; ++k) {
      want.polygons.push_back(Indices(t.polygons[k]));
      want.drawFlags.push_back(t.polygons[k].drawFlag);
    }
    ViewPlane planes[ViewPlaneCount];
    BuildViewPlanes(*scene->camera, planes);
    const std::uint8_t crossed[ViewPlaneCount] = {t.clipNear,  t.clipFar, t.clipLeft,
                                                  t.clipRight, t.clipTop, t.clipBottom};
    for (int p = 0; p < ViewPlaneCount; ++p)
      if (crossed[p] != 0) ReferenceClip(want, planes[p], t.vertexSlots);

    ClipPolygons(scene);
    ASSERT_EQ(t.vertexCount, want.vertices.size()) << "seed " << seed;
    EXPECT_GT(t.vertexCount, t.vertexSlots - 12 * t.polygonCount) << "nothing was cut";
    EXPECT_EQ(std::memcmp(t.vertices, want.vertices.data(), sizeof(CameraVertex) * t.vertexCount),
              0)
        << "seed " << seed;
    int kept = 0;
    for (std::uint32_t k = 0; k < t.polygonCount; ++k) {
      ASSERT_EQ(t.polygons[k].drawFlag, want.drawFlags[k]) << "seed " << seed << " face " << k;
      if (want.drawFlags[k] == 0) continue;
      EXPECT_EQ(Indices(t.polygons[k]), want.polygons[k]) << "seed " << seed << " face " << k;
      ++kept;
    }
    EXPECT_GT(kept, 0);
    test::DestroyScene(scene);
  }
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
