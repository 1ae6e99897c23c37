// Scenes written as 3DS files with the project's writer, stored in a test
// data library and brought in through LoadScene and the preparation steps,
// then drawn through the pipeline: a textured cube, a ground plane crossing
// the near plane, a parent-child hierarchy and a camera on a path.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "engine/engine.h"
#include "engine/scene_files.h"
#include "platform/picture.h"
#include "support/testlib.h"
#include "writejpeg.h"

namespace vx {
namespace {

using test::AddFileCamera;
using test::Bytes;
using test::Cube;
using test::CubeScene;
using test::Key;
using test::ObjectTrack;
using test::TextureJpeg;

class SceneFiles : public ::testing::Test {
 protected:
  void Store(std::vector<test::LibraryFile> files) {
    ASSERT_TRUE(test::OpenTestLibrary(dir_, files));
  }
  void TearDown() override {
    if (scene_ != nullptr) {
      FreeHierarchy(scene_);
      FreeSceneBuffers(scene_);
      FreeScene(scene_);
    }
    CloseLibrary();
  }
  // LoadScene and the preparation in the demo's order.
  void Prepare(const std::string& name) {
    LoadScene(scene_, name);
    ASSERT_NE(scene_, nullptr);
    PrepareScene(scene_);
    LoadTextures(scene_, "DATA\\");
    BuildHierarchy(scene_);
    PrecalculateScene(scene_);
    ComputeBounds(scene_);
  }
  void DrawFrame(float frame) {
    RunFramePipeline(scene_, frame, 0, 0.5f, 100000.0f, ClassicFrame);
  }
  // The pipeline's promise to the rasterizer: every vertex of a polygon
  // with drawFlag 1 lies in the view with z > 0. Returns the drawn faces.
  std::set<std::uint32_t> CheckDrawnPolygons(int object) {
    std::set<std::uint32_t> drawn;
    const TransformedObject& t = *scene_->transformed->objects[object];
    const ScreenObject& s = *scene_->screen->objects[object];
    if (!s.visible) return drawn;
    for (std::uint32_t k = 0; k < t.polygonCount; ++k) {
      const Polygon& p = t.polygons[k];
      if (!p.drawFlag) continue;
      drawn.insert(k);
      for (std::uint32_t i = 0; i < p.count; ++i) {
        const std::uint32_t index = p.indices[i];
        EXPECT_LT(index, t.vertexCount);
        EXPECT_GT(t.vertices[index].z, 0.0f);
        EXPECT_GE(s.vertices[index].x >> 8, 0) << "face " << k;
        EXPECT_LE(s.vertices[index].x >> 8, 319) << "face " << k;
        EXPECT_GE(s.vertices[index].y, 0) << "face " << k;
        EXPECT_LE(s.vertices[index].y, 199) << "face " << k;
      }
    }
    return drawn;
  }

  test::TempDir dir_;
  Scene* scene_ = nullptr;
};

TEST_F(SceneFiles, TexturedCubeShowsItsThreeNearSides) {
  Store(
      {{"DATA\\cube.3ds", Write3ds(CubeScene())}, {"DATA\\CRATE.jpg", TextureJpeg(256, 0x336699)}});
  Prepare("DATA\\cube.3ds");
  const Mesh3D& mesh = *scene_->mesh;
  ASSERT_EQ(mesh.objectCount, 1);
  ASSERT_EQ(mesh.trackCount, 3);
  EXPECT_EQ(scene_->pictures[0].width, 256u);
  DrawFrame(0.0f);
  // Seen from (4, -6, 5) the +z, -y and +x sides face the camera.
  EXPECT_EQ(CheckDrawnPolygons(0), (std::set<std::uint32_t>{2, 3, 4, 5, 10, 11}));
  const TransformedObject& t = *scene_->transformed->objects[0];
  for (std::uint32_t k = 0; k < t.polygonCount; ++k)
    EXPECT_EQ(t.polygons[k].texture, PictureWords(scene_->pictures[0]));
  // Memory report of 1 object (8 vertices, 12 faces) and 3 tracks.
  EXPECT_EQ(scene_->transformed->byteSize, 16u + 174u + 108u * 12 + 20u * (8 + 144) + 380u * 3);
  EXPECT_EQ(scene_->screen->byteSize, 10u + 26u + 4u * 12 + 20u * (8 + 144));
  EXPECT_EQ(scene_->hierarchyBytes, 146u + 22u * 3);
  EXPECT_EQ(scene_->totalBytes, 44u + mesh.byteSize + scene_->transformed->byteSize +
                                    scene_->screen->byteSize + scene_->hierarchyBytes);
}

TEST_F(SceneFiles, GroundPlaneCrossingTheNearPlaneIsClippedIntoView) {
  Scene3ds s;
  Material3ds m;
  m.name = "Grass";
  m.texture = "GRASS.GIF";
  s.materials = {m};
  Object3ds ground;
  ground.name = "Ground";
  ground.vertices = {{-50, -50, 0}, {50, -50, 0}, {50, 50, 0}, {-50, 50, 0}};
  ground.mapping = {{0, 0}, {8, 0}, {8, 8}, {0, 8}};
  ground.faces = {{0, 1, 2, 0x0007, "Grass"}, {0, 2, 3, 0x0007, "Grass"}};
  s.objects = {ground};
  s.tracks = {ObjectTrack("Ground", 0xFFFF, {Key(0, {0, 0, 0})})};
  AddFileCamera(s, {Key(0, {0, 0, 2})}, {0, 10, 1});
  Store({{"DATA\\ground.3ds", Write3ds(s)}, {"DATA\\GRASS.jpg", TextureJpeg(256, 0x22AA22)}});
  Prepare("DATA\\ground.3ds");
  DrawFrame(0.0f);
  const TransformedObject& t = *scene_->transformed->objects[0];
  EXPECT_EQ(t.clipNear, 1);
  const std::set<std::uint32_t> drawn = CheckDrawnPolygons(0);
  EXPECT_FALSE(drawn.empty());
  std::uint32_t clippedVertices = t.vertexCount - 4;
  EXPECT_GT(clippedVertices, 0u);
  // The camera looks down by atan(0.1): the horizon is at row
  // 100 - yMagnify x 0.1 and the ground lies below it.
  const ScreenObject& screen = *scene_->screen->objects[0];
  const double horizon = 100.0 - scene_->camera->yMagnify * 0.1;
  for (std::uint32_t k : drawn)
    for (std::uint32_t i = 0; i < t.polygons[k].count; ++i)
      EXPECT_GE(screen.vertices[t.polygons[k].indices[i]].y, std::floor(horizon));
}

TEST_F(SceneFiles, ChildObjectRidesOnItsParent) {
  Scene3ds s;
  Object3ds arm = Cube("");
  arm.name = "Arm";
  Object3ds hand = Cube("");
  hand.name = "Hand";
  for (Vector& v : hand.vertices) v.z += 3;  // stored where it stands at frame 0
  hand.matrix[11] = 3;                       // its origin
  s.objects = {arm, hand};
  s.tracks = {ObjectTrack("Arm", 0xFFFF, {Key(0, {0, 0, 0}), Key(10, {10, 0, 0})}),
              ObjectTrack("Hand", 0, {Key(0, {0, 0, 3})})};
  AddFileCamera(s, {Key(0, {0, -20, 0})}, {0, 0, 0});
  Store({{"DATA\\arm.3ds", Write3ds(s)}});
  Prepare("DATA\\arm.3ds");
  ASSERT_EQ(scene_->hierarchy->childCount, 3u);  // Arm, Cam, Cam target
  ASSERT_EQ(scene_->hierarchy->children[0]->childCount, 1u);
  for (float frame : {0.0f, 5.0f, 10.0f}) {
    DrawFrame(frame);
    // Vertex 7 of the hand, (1, 1, 4) in the file, follows the arm along x.
    const MeshVertex& v = scene_->mesh->objects[1]->vertices[7];
    const Vector world = TransformPoint({v.x, v.y, v.z}, *scene_->transformed->objects[1]->world);
    EXPECT_NEAR(world.x, 1.0f + frame, 1e-4f) << frame;
    EXPECT_NEAR(world.y, 4.0f, 1e-4f) << frame;  // file z is engine y
    EXPECT_NEAR(world.z, 1.0f, 1e-4f) << frame;
    EXPECT_EQ(scene_->transformed->objects[1]->visible, 1);
  }
}

TEST_F(SceneFiles, CameraOnAPathLooksAtItsTarget) {
  Scene3ds s = CubeScene();
  s.tracks.resize(1);
  s.cameras.clear();
  AddFileCamera(s, {Key(0, {0, -10, 0}), Key(100, {10, -10, 0})}, {0, 0, 0}, 90.0f);
  Store({{"DATA\\path.3ds", Write3ds(s)}, {"DATA\\CRATE.jpg", TextureJpeg(256, 0xFFFFFF)}});
  Prepare("DATA\\path.3ds");
  DrawFrame(50.0f);
  const ProjectionCamera& c = *scene_->camera;
  EXPECT_NEAR(c.position.x, 5.0f, 1e-5f);
  EXPECT_NEAR(c.position.y, 0.0f, 1e-5f);
  EXPECT_NEAR(c.position.z, -10.0f, 1e-5f);
  const float n = std::sqrt(125.0f);
  EXPECT_NEAR(c.zAxis.x, -5.0f / n, 1e-6f);
  EXPECT_NEAR(c.zAxis.z, 10.0f / n, 1e-6f);
  // The target, the cube's centre, sits in the middle of the view.
  const Vector centre = TransformPoint({0, 0, 0}, c.view);
  ScreenVertex sv{};
  ASSERT_TRUE(ProjectVertex(c, {centre.x, centre.y, centre.z, 0, 0}, sv));
  EXPECT_NEAR(sv.x, 40960, 1);
  EXPECT_EQ(sv.y, 100);
  EXPECT_FALSE(CheckDrawnPolygons(0).empty());
}

TEST_F(SceneFiles, TexturesAreNamedAfterTheMaterialsFile) {
  EXPECT_EQ(TextureFileName("WOOD.GIF"), "WOOD.jpg");
  EXPECT_EQ(TextureFileName("ROCK.TGA"), "ROCK.jpg");
  EXPECT_EQ(TextureFileName("A.B"), "A.jpg");
  EXPECT_EQ(TextureFileName("ab.cdefg"), "ab.jpgfg");
  EXPECT_EQ(TextureFileName("x.y.z"), "x.jpg");
  EXPECT_EQ(TextureFileName("NODOT"), "NODOT.jpg");

  Scene3ds s = CubeScene();
  s.materials[0].texture = "ROCK.TGA";
  Material3ds second;
  second.name = "Moss";
  second.texture = "moss.bmp";
  s.materials.push_back(second);
  Store({{"DATA\\rock.3ds", Write3ds(s)}});
  LoadScene(scene_, "DATA\\rock.3ds");
  PrepareScene(scene_);
  std::vector<std::string> asked;
  LoadTextures(scene_, "DATA\\", [&](std::string_view name, Picture& picture) {
    asked.emplace_back(name);
    const Bytes jpeg = TextureJpeg(256, 0x808080);
    return DecodeJpegPicture(jpeg.data(), jpeg.size(), picture);
  });
  EXPECT_EQ(asked, (std::vector<std::string>{"DATA\\ROCK.jpg", "DATA\\moss.jpg"}));
  EXPECT_EQ(scene_->pictures[1].height, 256u);
}

TEST_F(SceneFiles, SceneWithoutCameraOrTracksStillPrepares) {
  Scene3ds s;
  s.objects = {Cube("")};
  Store({{"DATA\\bare.3ds", Write3ds(s)}});
  Prepare("DATA\\bare.3ds");
  EXPECT_EQ(scene_->mesh->cameraCount, 0);
  EXPECT_FALSE(CameraHasTracks(*scene_, 0));
  SetFrame(scene_, 3.0f, true);
  ComposeHierarchy(scene_);
  const Matrix& world = *scene_->transformed->objects[0]->world;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(world.m[i][j], MatrixIdentity.m[i][j]);
  EXPECT_EQ(scene_->mesh->objects[0]->vertices[7].y, 1.0f);  // file (1, 1, 1) unmoved
}

TEST_F(SceneFiles, CameraWithoutTargetTrackIsReported) {
  Scene3ds s = CubeScene();
  s.tracks.pop_back();  // the target track
  Store({{"DATA\\half.3ds", Write3ds(s)}, {"DATA\\CRATE.jpg", TextureJpeg(256, 0)}});
  Prepare("DATA\\half.3ds");
  EXPECT_EQ(scene_->mesh->cameras[0]->targetTrack, NoTrack);
  EXPECT_FALSE(CameraHasTracks(*scene_, 0));
}

TEST_F(SceneFiles, FailedLoadsGiveTheLoadersMessage) {
  Bytes damaged = Write3ds(CubeScene());
  damaged.resize(damaged.size() / 2);
  const Bytes editorOnly = {0x3D, 0x3D, 6, 0, 0, 0};  // not a main chunk: code 5
  Store({{"DATA\\damaged.3ds", damaged},
         {"DATA\\cube.3ds", Write3ds(CubeScene())},
         {"DATA\\editor.3ds", editorOnly}});
  std::string error;
  Scene* scene = nullptr;
  EXPECT_FALSE(TryLoadScene(scene, "DATA\\absent.3ds", error));
  EXPECT_EQ(scene, nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(TryLoadSceneMemory(scene, damaged.data(), damaged.size(), error));
  EXPECT_EQ(scene, nullptr);
  EXPECT_EQ(error.rfind("Fatal error in .3DS file!", 0), 0u) << error;
  // The error was taken: the next load is not blocked by it.
  EXPECT_TRUE(TryLoadScene(scene_, "DATA\\cube.3ds", error)) << error;
  EXPECT_EXIT(
      {
        dup2(2, 1);
        Scene* s = nullptr;
        LoadScene(s, "DATA\\damaged.3ds");
      },
      ::testing::ExitedWithCode(1),
      "\nZ3D_FATAL: Fatal error in .3DS file!\n  damage found: .*runs past the end");
  // Other codes give the fatal line alone: a missing file is not damage.
  EXPECT_EXIT(
      {
        dup2(2, 1);
        Scene* s = nullptr;
        LoadScene(s, "DATA\\absent.3ds");
      },
      ::testing::ExitedWithCode(1), "\nZ3D_FATAL: Can't read \\.3DS file!\n$");
  EXPECT_EXIT(
      {
        dup2(2, 1);
        Scene* s = nullptr;
        LoadScene(s, "DATA\\editor.3ds");
      },
      ::testing::ExitedWithCode(1), "\nZ3D_FATAL: Not a 3DS file or corrupted file!\n$");
}

TEST_F(SceneFiles, UnusableTexturesEndTheProgram) {
  Store({{"DATA\\cube.3ds", Write3ds(CubeScene())},
         {"DATA\\small.3ds",
          [] {
            Scene3ds s = CubeScene();
            s.materials[0].texture = "SMALL.GIF";
            return Write3ds(s);
          }()},
         {"DATA\\SMALL.jpg", TextureJpeg(128, 0x123456)}});
  EXPECT_EXIT(
      {
        Scene* s = nullptr;
        LoadScene(s, "DATA\\cube.3ds");  // CRATE.jpg is missing
        PrepareScene(s);
        LoadTextures(s, "DATA\\");
      },
      ::testing::ExitedWithCode(1), "Load Error");
  EXPECT_EXIT(
      {
        Scene* s = nullptr;
        LoadScene(s, "DATA\\small.3ds");  // 128 x 128
        PrepareScene(s);
        LoadTextures(s, "DATA\\");
      },
      ::testing::ExitedWithCode(1), "Load Error");
}

}  // namespace
}  // namespace vx
