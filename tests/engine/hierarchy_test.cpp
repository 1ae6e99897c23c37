// The hierarchy tree: its shape and byte counts, world matrices composed down
// chains, tracks that are never attached (orphans, cycles, too deep), and
// the move of mesh vertices into pivot space.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/engine.h"
#include "engine/scene_fixtures.h"

namespace vx {
namespace {

using test::RKey;
using test::VKey;

test::TrackDesc Moving(const std::string& name, std::uint16_t parent, Vector from, Vector to,
                       float angle = 0.0f) {
  test::TrackDesc t;
  t.name = name;
  t.parent = parent;
  t.position = {VKey(0, from), VKey(10, to)};
  t.rotation = {RKey(0, angle, {0, 1, 0}), RKey(10, angle, {1, 0, 0})};
  t.scale = {VKey(0, {1, 2, 1}), VKey(10, {2, 1, 1})};
  return t;
}

const TrackState& State(Scene* scene, int i) {
  return *scene->transformed->trackStates[i];
}

TEST(Hierarchy, FlatTracksHangUnderTheRoot) {
  test::SceneDesc desc;
  for (int i = 0; i < 5; ++i)
    desc.tracks.push_back(Moving("T" + std::to_string(i), NoTrack, {0, 0, 0}, {1, 1, 1}));
  Scene* scene = test::MakePreparedScene(desc);
  const HierarchyNode& root = *scene->hierarchy;
  EXPECT_EQ(root.trackIndex, NoTrack);
  ASSERT_EQ(root.childCount, 5u);
  for (std::uint32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(root.children[i]->trackIndex, i);  // in track order
    EXPECT_EQ(root.children[i]->childCount, 0u);
    EXPECT_EQ(root.children[i]->children, nullptr);
    EXPECT_EQ(root.children[i]->world, &State(scene, i).world);
  }
  EXPECT_EQ(scene->hierarchyBytes, 146u + 22u * 5u);
  test::DestroyScene(scene);
}

TEST(Hierarchy, ChainsComposeChildBeforeParent) {
  test::SceneDesc desc;
  desc.tracks = {Moving("A", NoTrack, {1, 2, 3}, {4, 0, 1}, 0.4f),
                 Moving("B", 0, {0, 1, 0}, {2, 1, 0}, 0.9f),
                 Moving("C", 1, {3, 0, 0}, {0, 0, 3}, 1.3f)};
  Scene* scene = test::MakePreparedScene(desc);
  EXPECT_EQ(scene->hierarchyBytes, 146u + 22u * 3u);
  for (float frame : {0.0f, 3.5f, 7.25f}) {
    SetFrame(scene, frame, true);
    const Matrix l0 = State(scene, 0).local, l1 = State(scene, 1).local, l2 = State(scene, 2).local;
    ComposeHierarchy(scene);
    EXPECT_TRUE(test::MatricesNear(State(scene, 2).world, MatMul(MatMul(l2, l1), l0), 1e-5f));
    EXPECT_TRUE(test::MatricesNear(State(scene, 1).world, MatMul(l1, l0), 1e-5f));
    EXPECT_TRUE(test::MatricesNear(State(scene, 0).world, l0, 0.0f));
    EXPECT_TRUE(
        test::MatricesNear(State(scene, 2).normalWorld,
                           MatMul(MatMul(State(scene, 2).normalLocal, State(scene, 1).normalLocal),
                                  State(scene, 0).normalLocal),
                           1e-5f));
  }
  test::DestroyScene(scene);
}

TEST(Hierarchy, StaticChildFollowsItsAnimatedParentEveryFrame) {
  test::SceneDesc desc;
  test::TrackDesc parent;
  parent.name = "Parent";
  parent.position = {VKey(0, {0, 0, 0}), VKey(10, {10, 0, 0})};
  test::TrackDesc child;
  child.name = "Child";
  child.parent = 0;
  child.position = {VKey(0, {0, 5, 0})};
  desc.tracks = {parent, child};
  Scene* scene = test::MakePreparedScene(desc);
  ASSERT_EQ(scene->mesh->tracks[1]->isStatic, 1);
  for (float frame : {2.0f, 6.0f, 6.0f, 10.0f}) {  // the same frame twice must not pile up
    SetFrame(scene, frame, true);
    ComposeHierarchy(scene);
    const Vector p = TransformPoint({0, 0, 0}, State(scene, 1).world);
    EXPECT_NEAR(p.x, frame, 1e-4f);
    EXPECT_NEAR(p.y, 5.0f, 1e-5f);
  }
  test::DestroyScene(scene);
}

TEST(Hierarchy, TracksWithoutAWayToTheRootAreNeverAttached) {
  test::SceneDesc desc;
  desc.tracks = {Moving("Root", NoTrack, {0, 0, 0}, {1, 0, 0}),
                 Moving("Orphan", 42, {1, 2, 3}, {3, 2, 1}, 0.5f),  // names no track
                 Moving("SelfParent", 2, {0, 1, 0}, {0, 2, 0}),
                 Moving("CycleA", 4, {0, 0, 1}, {0, 0, 2}),
                 Moving("CycleB", 3, {0, 0, 1}, {0, 0, 2}),
                 Moving("Kid", 0, {1, 0, 0}, {2, 0, 0}),
                 Moving("OnePast", 7, {2, 0, 0}, {0, 2, 0})};  // parent = track count
  Scene* scene = test::MakePreparedScene(desc);
  const HierarchyNode& root = *scene->hierarchy;
  ASSERT_EQ(root.childCount, 1u);
  EXPECT_EQ(root.children[0]->childCount, 1u);
  EXPECT_EQ(root.children[0]->children[0]->trackIndex, 5);
  EXPECT_EQ(scene->hierarchyBytes, 146u + 22u * 2u);
  SetFrame(scene, 4.0f, true);
  ComposeHierarchy(scene);
  for (int i : {1, 2, 3, 4, 6}) {  // still evaluated, but world stays local
    EXPECT_TRUE(test::MatricesNear(State(scene, i).world, State(scene, i).local, 0.0f)) << i;
    EXPECT_GT(State(scene, i).position.x + State(scene, i).position.y + State(scene, i).position.z,
              0.0f);
  }
  test::DestroyScene(scene);
}

TEST(Hierarchy, ChainsDeeperThanTheBoundStopThere) {
  test::SceneDesc desc;
  const int length = MaxHierarchyDepth + 40;
  for (int i = 0; i < length; ++i) {
    test::TrackDesc t;
    t.name = "Link";
    t.parent = i == 0 ? NoTrack : static_cast<std::uint16_t>(i - 1);
    t.position = {VKey(0, {1, 0, 0}), VKey(5, {1, 0, 0})};
    desc.tracks.push_back(t);
  }
  Scene* scene = test::MakePreparedScene(desc);
  EXPECT_EQ(scene->hierarchyBytes, 146u + 22u * MaxHierarchyDepth);
  SetFrame(scene, 1.0f, true);
  ComposeHierarchy(scene);
  // Each attached link adds one unit of x; the rest keep their local place.
  EXPECT_NEAR(TransformPoint({0, 0, 0}, State(scene, MaxHierarchyDepth - 1).world).x,
              static_cast<float>(MaxHierarchyDepth), 1e-3f);
  EXPECT_NEAR(TransformPoint({0, 0, 0}, State(scene, length - 1).world).x, 1.0f, 1e-6f);
  test::DestroyScene(scene);
}

TEST(Hierarchy, FreeingReturnsEveryByte) {
  test::SceneDesc desc;
  desc.tracks = {Moving("A", NoTrack, {0, 0, 0}, {1, 0, 0}), Moving("B", 0, {0, 0, 0}, {1, 0, 0}),
                 Moving("C", 0, {0, 0, 0}, {1, 0, 0})};
  Scene* scene = test::MakePreparedScene(desc);
  const std::uint32_t before = scene->totalBytes;
  EXPECT_EQ(scene->hierarchyBytes, 146u + 22u * 3u);
  FreeHierarchy(scene);
  EXPECT_EQ(scene->hierarchy, nullptr);
  EXPECT_EQ(scene->hierarchyBytes, 0u);
  EXPECT_EQ(scene->totalBytes, before - (146u + 22u * 3u));
  FreeSceneBuffers(scene);
  FreeScene(scene);
  EXPECT_EQ(scene, nullptr);
}

MeshObject PivotProbe(Vector* axes, std::vector<MeshVertex>& vertices) {
  MeshObject o{};
  for (int i = 0; i < 4; ++i) o.axes[i] = axes[i];
  o.vertexCount = static_cast<std::uint16_t>(vertices.size());
  o.vertices = vertices.data();
  return o;
}

TEST(Hierarchy, MeshMovesIntoPivotSpace) {
  // Identity axes with origin O and pivot 0: v - O; mapping untouched.
  Vector identity[4] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {4, -2, 7}};
  std::vector<MeshVertex> vertices = {{5, 5, 5, 0.25f, 0.75f}, {4, -2, 7, 0, 0}};
  MeshObject o = PivotProbe(identity, vertices);
  MoveMeshToPivot(o, {0, 0, 0});
  EXPECT_NEAR(vertices[0].x, 1.0f, 1e-6f);
  EXPECT_NEAR(vertices[0].y, 7.0f, 1e-6f);
  EXPECT_NEAR(vertices[0].z, -2.0f, 1e-6f);
  EXPECT_EQ(vertices[0].u, 0.25f);
  EXPECT_EQ(vertices[0].v, 0.75f);
  EXPECT_NEAR(vertices[1].x, 0.0f, 1e-6f);

  // Turned and scaled axes X = (0, 2, 0), Y = (-1, 0, 0), Z = (0, 0, 1):
  // q x Axes = w gives q = (w.y / 2, -w.x, w.z); then minus the pivot.
  Vector turned[4] = {{0, 2, 0}, {-1, 0, 0}, {0, 0, 1}, {1, 1, 1}};
  std::vector<MeshVertex> w = {{4, 5, 6, 0, 0}};  // w - O = (3, 4, 5)
  MeshObject t = PivotProbe(turned, w);
  MoveMeshToPivot(t, {1, 1, 1});
  EXPECT_NEAR(w[0].x, 1.0f, 1e-5f);
  EXPECT_NEAR(w[0].y, -4.0f, 1e-5f);
  EXPECT_NEAR(w[0].z, 4.0f, 1e-5f);
}

TEST(Hierarchy, WorldMatrixBringsPivotSpaceBackToTheWorld) {
  // An object stored at world (10, 0, 0) around its origin, its track placing
  // the pivot at the same spot: after the move and one frame the world
  // matrix gives back the stored positions.
  test::SceneDesc desc;
  test::ObjectDesc box;
  box.name = "Box";
  box.vertices = {{11, 0, 0, 0, 0}, {10, 1, 0, 0, 0}, {10, 0, 1, 0, 0}};
  box.faces = {{0, 1, 2}};
  box.axes[3] = {10, 0, 0};
  desc.objects = {box};
  test::TrackDesc t;
  t.name = "Box";
  t.pivot = {0.5f, 0, 0};
  t.position = {VKey(0, {10.5f, 0, 0})};
  desc.tracks = {t};
  Scene* scene = test::MakePreparedScene(desc);
  const MeshVertex& v = scene->mesh->objects[0]->vertices[0];
  EXPECT_NEAR(v.x, 0.5f, 1e-6f);  // 11 - 10 - 0.5
  SetFrame(scene, 0.0f, true);
  ComposeHierarchy(scene);
  const Vector back = TransformPoint({v.x, v.y, v.z}, *scene->transformed->objects[0]->world);
  EXPECT_NEAR(back.x, 11.0f, 1e-5f);
  test::DestroyScene(scene);
}

}  // namespace
}  // namespace vx
