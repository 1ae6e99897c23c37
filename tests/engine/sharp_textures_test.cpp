// The textures of frames larger than the classic one: a material's sharp
// picture where the library holds one, else its classic texture, each with
// its levels, shared by the materials naming one file, made once, and
// refused when the picture is not a square of 256, 512 or 1024 texels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "engine/engine.h"
#include "engine/internal.h"
#include "engine/scene_files.h"
#include "platform/picture.h"
#include "support/testlib.h"

namespace vx {
namespace {

using test::Cube;
using test::Key;
using test::ObjectTrack;
using test::TextureJpeg;

constexpr std::uint32_t ClassicColour = 0x336699;
constexpr std::uint32_t SharpColour = 0xCC9933;
constexpr FrameSize FullHd{1920, 1080, 1920};

// Three cubes side by side: materials Crate (CRATE.GIF), Moss (MOSS.GIF)
// and Crate2, which names CRATE.GIF too.
Scene3ds ThreeCubes() {
  Scene3ds s = test::CubeScene();
  Material3ds moss;
  moss.name = "Moss";
  moss.texture = "MOSS.GIF";
  Material3ds crate2;
  crate2.name = "Crate2";
  crate2.texture = "CRATE.GIF";
  s.materials.push_back(moss);
  s.materials.push_back(crate2);
  Object3ds second = Cube("Moss"), third = Cube("Crate2");
  second.name = "Second";
  third.name = "Third";
  s.objects.push_back(second);
  s.objects.push_back(third);
  s.tracks.push_back(ObjectTrack("Second", 0xFFFF, {Key(0, {0, 0, 2.5f})}));
  s.tracks.push_back(ObjectTrack("Third", 0xFFFF, {Key(0, {0, 0, -2.5f})}));
  return s;
}

// A reader that hands out a width x height picture of one colour for
// every name, counting the names asked for.
struct OneColourReader {
  std::uint32_t width, height;
  std::vector<std::string>* asked;
  bool operator()(std::string_view name, Picture& picture) const {
    asked->emplace_back(name);
    const std::size_t count = std::size_t{width} * height;
    auto* pixels = static_cast<std::uint32_t*>(std::malloc(count * PixelBytes));
    std::fill_n(pixels, count, SharpColour);
    picture = {width, height, static_cast<std::uint8_t>(PixelBytes), pixels};
    return true;
  }
};

bool NearColour(std::uint32_t texel, std::uint32_t colour) {
  for (int shift = 0; shift < 24; shift += 8) {
    if (std::abs(static_cast<int>((texel >> shift) & 0xFF) -
                 static_cast<int>((colour >> shift) & 0xFF)) > 8)
      return false;
  }
  return true;
}

class SharpTextures : public ::testing::Test {
 protected:
  void TearDown() override {
    if (scene_ != nullptr) {
      FreeHierarchy(scene_);
      FreeSceneBuffers(scene_);
      FreeScene(scene_);
    }
    CloseLibrary();
  }
  // The three cubes with their classic textures, the sharp CRATE.jpg at
  // sharpSize (none for 0).
  void Prepare(std::uint32_t sharpSize) {
    std::vector<test::LibraryFile> files = {{"DATA\\cubes.3ds", Write3ds(ThreeCubes())},
                                            {"DATA\\CRATE.jpg", TextureJpeg(256, ClassicColour)},
                                            {"DATA\\MOSS.jpg", TextureJpeg(256, ClassicColour)}};
    if (sharpSize > 0) files.push_back({"SHARP\\CRATE.jpg", TextureJpeg(sharpSize, SharpColour)});
    ASSERT_TRUE(test::OpenTestLibrary(dir_, files));
    LoadScene(scene_, "DATA\\cubes.3ds");
    PrepareScene(scene_);
    LoadTextures(scene_, "DATA\\");
    BuildHierarchy(scene_);
    PrecalculateScene(scene_);
    ComputeBounds(scene_);
  }
  // Every drawn face of a frame at size carries its material's classic
  // texture and the levels FaceLevels gives; returns how many were drawn.
  int CheckFaces(const FrameSize& size) {
    RunFramePipeline(scene_, 0.0f, 0, 0.5f, 100000.0f, size);
    int drawn = 0;
    for (int i = 0; i < scene_->mesh->objectCount; ++i) {
      const MeshObject& o = *scene_->mesh->objects[i];
      const TransformedObject& t = *scene_->transformed->objects[i];
      for (std::uint32_t k = 0; t.visible && k < t.polygonCount; ++k) {
        const std::uint16_t material = o.faces[k].materialIndex;
        EXPECT_EQ(t.polygons[k].texture, PictureWords(scene_->pictures[material]));
        EXPECT_EQ(t.polygons[k].levels, detail::FaceLevels(*scene_, material));
        drawn += t.polygons[k].drawFlag;
      }
    }
    return drawn;
  }

  test::TempDir dir_;
  Scene* scene_ = nullptr;
};

TEST_F(SharpTextures, ASharpPictureAndItsLevelsStandInForTheClassicTexture) {
  Prepare(0);
  for (std::uint16_t m = 0; m < 3; ++m) EXPECT_EQ(detail::FaceLevels(*scene_, m), nullptr);
  EXPECT_GT(CheckFaces(FullHd), 0);

  std::vector<std::string> asked;
  PrepareSharpTextures(scene_, "SHARP\\", [&](std::string_view name, Picture& picture) {
    // A sharp CRATE.jpg only.
    return name == "SHARP\\CRATE.jpg" && OneColourReader{512, 512, &asked}(name, picture);
  });
  EXPECT_EQ(asked, (std::vector<std::string>{"SHARP\\CRATE.jpg"}));
  const TextureLevels* crate = detail::FaceLevels(*scene_, 0);
  const TextureLevels* moss = detail::FaceLevels(*scene_, 1);
  ASSERT_NE(crate, nullptr);
  ASSERT_NE(moss, nullptr);
  EXPECT_EQ(crate->sizeLog2, 9u);
  EXPECT_EQ(crate->levelCount, 10u);
  EXPECT_EQ(crate->texels[0][0], SharpColour);
  EXPECT_EQ(crate->texels[9][0], SharpColour);  // the single texel
  // No sharp MOSS.jpg: the classic texture itself is level 0.
  EXPECT_EQ(moss->sizeLog2, 8u);
  EXPECT_EQ(moss->levelCount, 9u);
  EXPECT_EQ(moss->texels[0], PictureWords(scene_->pictures[1]));
  // One file, one copy.
  EXPECT_EQ(detail::FaceLevels(*scene_, 2), crate);
  EXPECT_GT(CheckFaces(FullHd), 0);
  EXPECT_GT(CheckFaces(ClassicFrame), 0);  // the classic texture stays in texture

  PrepareSharpTextures(scene_, "SHARP\\");  // made once
  EXPECT_EQ(detail::FaceLevels(*scene_, 0), crate);
}

// The default reader takes what the library holds under the sharp name.
TEST_F(SharpTextures, TheLibrarysSharpPictureIsRead) {
  Prepare(256);
  PrepareSharpTextures(scene_, "SHARP\\");
  const TextureLevels* crate = detail::FaceLevels(*scene_, 0);
  ASSERT_NE(crate, nullptr);
  EXPECT_NE(crate->texels[0], PictureWords(scene_->pictures[0]));
  EXPECT_TRUE(NearColour(crate->texels[0][0], SharpColour));
  EXPECT_EQ(detail::FaceLevels(*scene_, 1)->texels[0], PictureWords(scene_->pictures[1]));
}

TEST_F(SharpTextures, EachTextureFileIsAskedForOnce) {
  Prepare(0);
  std::vector<std::string> asked;
  PrepareSharpTextures(scene_, "SHARP\\", [&](std::string_view name, Picture&) {
    asked.emplace_back(name);
    return false;
  });
  EXPECT_EQ(asked, (std::vector<std::string>{"SHARP\\CRATE.jpg", "SHARP\\MOSS.jpg"}));
  EXPECT_EQ(detail::FaceLevels(*scene_, 0)->texels[0], PictureWords(scene_->pictures[0]));
}

TEST_F(SharpTextures, SharpPicturesOfAnotherShapeEndTheProgram) {
  // The levels are made on the draw threads, whose pool a forked child
  // lacks (its exit would wait for them): the child runs the test anew.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Shape {
    std::uint32_t width, height;
  };
  for (const Shape shape : {Shape{128, 128}, Shape{384, 384}, Shape{512, 256}, Shape{2048, 2048}}) {
    SCOPED_TRACE(testing::Message() << shape.width << " x " << shape.height);
    Prepare(0);
    std::vector<std::string> asked;
    EXPECT_EXIT(
        PrepareSharpTextures(scene_, "SHARP\\", OneColourReader{shape.width, shape.height, &asked}),
        ::testing::ExitedWithCode(1), "Load Error");
    TearDown();
    scene_ = nullptr;
  }
}

}  // namespace
}  // namespace vx
