// The eight 3D scene modules, loaded together by LoadAllScenes from an
// archive of test scenes, against frames composed in the test from the
// engine's steps, the reference fills and the reference 2D routines.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "scenes/scene_content.h"
#include "scenes/scenes.h"
#include "views/views.h"

namespace vx::test {
namespace {

using Smear = ReferencePost::Smear;
using Blend = ReferencePost::Blend;

// What one module does, written out independently of the module's source.
struct Recipe {
  std::string name;
  long double first;   // frame = t x first x second, extended precision
  long double second;  // then stored as a single
  FillFunction fill;   // the reference fill
  Smear smear;
  std::uint16_t spread, gain;
  std::uint8_t strength;
  Blend blend;
  std::string picture;
  void (*render)(float t, std::uint32_t* fb, const FrameSize& size);
};

const std::vector<Recipe>& Recipes() {
  static const std::vector<Recipe> recipes = {
      {"kinyit", 0.287L, 1.0L, reference::FillPolygonPerspective, Smear::Glow, 50, 5, 0,
       Blend::Subtract, "kinyit.jpg",
       [](float t, std::uint32_t* fb, const FrameSize& size) { RenderKinyit(t, fb, size, true); }},
      {"libiko", 0.287L, 0.5L, reference::FillPolygonPerspective, Smear::Glow, 50, 5, 0, Blend::Add,
       "spiel.jpg", RenderLibiko},
      {"blau", 0.287L, 1.0L, reference::FillPolygonPerspective, Smear::Glow, 25, 5, 0,
       Blend::Lighten, "doopady.jpg", [](float t, std::uint32_t* fb, const FrameSize& size) { RenderBlau(t, fb, size, 2); }},
      {"box", 0.287L, 1.0L, reference::FillPolygonPerspective, Smear::Glow, 50, 5, 0,
       Blend::Subtract, "destiny.jpg", RenderBox},
      {"labda", 0.287L, 1.0L, reference::FillPolygonPerspective, Smear::Glow, 50, 15, 0,
       Blend::None, "", RenderLabda},
      {"effekt", 0.187L, 1.0L, reference::FillPolygonAffine, Smear::Radial, 0, 0, 230, Blend::None,
       "", RenderEffekt},
      {"kommun", 0.267L, 1.0L, reference::FillPolygonPerspective, Smear::Radial, 0, 0, 140,
       Blend::Add, "bkkom.jpg", RenderKommun},
      {"evil", 0.187L, 1.0L, reference::FillPolygonPerspective, Smear::Radial, 0, 0, 140,
       Blend::Add, "evil.jpg", RenderEvil},
  };
  return recipes;
}

const Recipe& RecipeOf(const std::string& name) {
  for (const Recipe& r : Recipes())
    if (r.name == name) return r;
  throw std::logic_error("no recipe " + name);
}

float FrameOf(const Recipe& r, float t) {
  return static_cast<float>(static_cast<long double>(t) * r.first * r.second);
}

// Local times inside the slots, away from kinyit's fades (c 256..800).
constexpr float Times[] = {300.3f, 612.9f};

int LitPixels(const Image& image) {
  return static_cast<int>(std::count_if(image.begin(), image.end(),
                                        [](std::uint32_t p) { return (p & 0xFFFFFF) != 0; }));
}

// Every module loaded once from one archive, freed at the end.
class SceneModules : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    files_ = new std::vector<LibraryFile>(ShowFiles(View::Scene));
    ASSERT_TRUE(OpenQuietly(*dir_, *files_));
    loadLog_ = new std::string(CaptureStdout(LoadAllScenes));
  }
  static void TearDownTestSuite() {
    FreeAllScenes();
    CloseLibrary();
    delete loadLog_;
    delete files_;
    delete dir_;
  }

  static Image Picture(const std::string& file) { return DecodedPicture(*files_, file); }

  // The module's frame, drawn into a buffer full of leftovers.
  static Image Render(const Recipe& r, float t) {
    Image fb(64000, 0xC0FFEE11u);
    r.render(t, fb.data(), ClassicFrame);
    return fb;
  }

  // The frame composed in the test, with the recipe's post-processing unless
  // a different one is given.
  static Image Compose(const Recipe& r, float frame, FillFunction fill, ReferencePost post) {
    PreparedScene scene(r.name + ".3ds");
    return ComposeFrame(scene.Get(), frame, fill, post);
  }
  static ReferencePost PostOf(const Recipe& r, const Image* picture) {
    ReferencePost post;
    post.smear = r.smear;
    post.spread = r.spread;
    post.gain = r.gain;
    post.strength = r.strength;
    post.blend = r.blend;
    post.picture = picture;
    return post;
  }
  static Image Expected(const Recipe& r, float t) {
    const Image picture = r.picture.empty() ? Black() : Picture(r.picture);
    return Compose(r, FrameOf(r, t), r.fill, PostOf(r, &picture));
  }

  static TempDir* dir_;
  static std::vector<LibraryFile>* files_;
  static std::string* loadLog_;
};
TempDir* SceneModules::dir_ = nullptr;
std::vector<LibraryFile>* SceneModules::files_ = nullptr;
std::string* SceneModules::loadLog_ = nullptr;

// The raster view is the frame as the fills and the border left it, with
// no smear, blend or fade (kinyit's fade-in at local 100 included); the
// wire view is the finished frame with outlines over it and nothing else
// changed; the depth view is grey throughout. The finished frame is the
// default again afterwards.
TEST_F(SceneModules, TheRasterViewStopsBeforeTheFinishAndTheWireViewDrawsOverIt) {
  ReferencePost none;
  none.smear = ReferencePost::Smear::None;
  none.blend = ReferencePost::Blend::None;
  for (const Recipe& r : Recipes()) {
    for (const float t : {Times[0], Times[1], 100.0f}) {
      SCOPED_TRACE(r.name + " at " + std::to_string(t));
      UsePipelineView(PipelineView::Raster);
      EXPECT_TRUE(SameImage(Render(r, t), Compose(r, FrameOf(r, t), r.fill, none)));
      UsePipelineView(PipelineView::Wire);
      const Image wire = Render(r, t);
      UsePipelineView(PipelineView::Depth);
      const Image depth = Render(r, t);
      UsePipelineView(PipelineView::Frame);
      const Image finished = Render(r, t);
      int outlined = 0;
      for (std::size_t i = 0; i < wire.size(); ++i) {
        if (wire[i] == OutlineColour || wire[i] == ClipVertexColour) {
          ++outlined;
        } else {
          ASSERT_EQ(wire[i], finished[i]) << "pixel " << i;
        }
        const std::uint32_t grey = depth[i] & 0xFF;
        ASSERT_EQ(depth[i], grey << 16 | grey << 8 | grey) << "pixel " << i;
      }
      EXPECT_GT(outlined, 100);
    }
  }
  EXPECT_EQ(PipelineViewInUse(), PipelineView::Frame);
}

TEST_F(SceneModules, LoadAllScenesReadsTheModulesFilesInShowOrder) {
  // Module by module in the loading order: each scene file, then its
  // texture, then its pictures.
  const std::vector<std::string> expected = FilesInLoadOrder();

  // The library names every file it looks up, pictures once more as they are
  // decoded ("van NAME"); the first mention of each name gives the order.
  std::vector<std::string> order;
  for (const std::string& line : SplitLines(*loadLog_)) {
    const auto start = line.find("DATA\\");
    if (start == std::string::npos) continue;
    std::string name = line.substr(start + 5);
    name = name.substr(0, name.find_first_of("' \r"));
    if (std::find(order.begin(), order.end(), name) == order.end()) order.push_back(name);
  }
  EXPECT_EQ(order, expected) << *loadLog_;
}

TEST_F(SceneModules, EveryModuleEqualsTheEnginePipelineFillBorderAndPostProcessing) {
  for (const Recipe& r : Recipes()) {
    for (float t : Times) {
      SCOPED_TRACE(r.name + " at " + std::to_string(t));
      const Image expected = Expected(r, t);
      // The scene fills much of the view, so the comparison has something to
      // compare.
      EXPECT_GT(LitPixels(expected), 8000);
      EXPECT_TRUE(SameImage(Render(r, t), expected));
    }
  }
}

TEST_F(SceneModules, TheComparisonTellsFactorsFillsAndPostProcessingApart) {
  const float t = Times[1];
  // libiko halves its frames: a single multiplication by 0.287 is another
  // moment of the animation.
  const Recipe& libiko = RecipeOf("libiko");
  const Image spiel = Picture("spiel.jpg");
  EXPECT_FALSE(SameImage(Render(libiko, t), Compose(libiko, static_cast<float>(t * 0.287L),
                                                    libiko.fill, PostOf(libiko, &spiel))));
  // effekt maps its textures affinely.
  const Recipe& effekt = RecipeOf("effekt");
  EXPECT_FALSE(SameImage(Render(effekt, t),
                         Compose(effekt, FrameOf(effekt, t), reference::FillPolygonPerspective,
                                 PostOf(effekt, nullptr))));
  // labda glows with gain 15, the others with 5.
  const Recipe& labda = RecipeOf("labda");
  ReferencePost weaker = PostOf(labda, nullptr);
  weaker.gain = 5;
  EXPECT_FALSE(SameImage(Render(labda, t), Compose(labda, FrameOf(labda, t), labda.fill, weaker)));
  // evil adds its picture after the blur.
  const Recipe& evil = RecipeOf("evil");
  ReferencePost plain = PostOf(evil, nullptr);
  plain.blend = Blend::None;
  EXPECT_FALSE(SameImage(Render(evil, t), Compose(evil, FrameOf(evil, t), evil.fill, plain)));
}

TEST_F(SceneModules, AFrameDependsOnTheLocalTimeAlone) {
  for (const Recipe& r : Recipes()) {
    SCOPED_TRACE(r.name);
    Image first(64000, 0);
    r.render(Times[1], first.data(), ClassicFrame);
    Image between(64000, 0);
    r.render(Times[0], between.data(), ClassicFrame);
    EXPECT_FALSE(SameImage(between, first));  // the scene moves
    Image again(64000, 0xFFFFFFFFu);
    r.render(Times[1], again.data(), ClassicFrame);
    EXPECT_TRUE(SameImage(again, first));
  }
}

TEST_F(SceneModules, KinyitAtLocalZeroIsFullyBlackWhicheverPicture) {
  Image fb(64000, 0x00FFFFFFu);
  RenderKinyit(0.0f, fb.data(), ClassicFrame, false);
  EXPECT_TRUE(SameImage(fb, Black()));
  RenderKinyit(0.0f, fb.data(), ClassicFrame, true);
  EXPECT_TRUE(SameImage(fb, Black()));
  // The black is the fade's doing: a moment later the scene shows.
  RenderKinyit(300.0f, fb.data(), ClassicFrame, false);
  EXPECT_GT(LitPixels(fb), 8000);
}

TEST_F(SceneModules, KinyitSubtractsThePictureItsChoiceNames) {
  const Recipe& kinyit = RecipeOf("kinyit");
  const Image becsuk = Picture("becsuk.jpg");
  Image fb(64000, 0);
  RenderKinyit(500.0f, fb.data(), ClassicFrame, false);
  const Image expected =
      Compose(kinyit, FrameOf(kinyit, 500.0f), kinyit.fill, PostOf(kinyit, &becsuk));
  EXPECT_TRUE(SameImage(fb, expected));
  EXPECT_FALSE(SameImage(Render(kinyit, 500.0f), expected));  // choice true: kinyit.jpg
}

TEST_F(SceneModules, KinyitFadesInBefore256AndTowardWhiteStrictlyBetween800And1056) {
  const Recipe& kinyit = RecipeOf("kinyit");
  const Image picture = Picture("kinyit.jpg");
  auto composed = [&](float t) {
    return Compose(kinyit, FrameOf(kinyit, t), kinyit.fill, PostOf(kinyit, &picture));
  };
  EXPECT_TRUE(SameImage(Render(kinyit, 100.2f), Darkened(composed(100.2f), 155)));
  EXPECT_TRUE(SameImage(Render(kinyit, 255.4f), Darkened(composed(255.4f), 0)));
  EXPECT_TRUE(SameImage(Render(kinyit, 255.5f), composed(255.5f)));  // c = 256
  EXPECT_TRUE(SameImage(Render(kinyit, 800.4f), composed(800.4f)));  // c = 800
  EXPECT_TRUE(SameImage(Render(kinyit, 800.6f), Lightened(composed(800.6f), 1)));
  EXPECT_TRUE(SameImage(Render(kinyit, 960.0f), Lightened(composed(960.0f), 160)));
  EXPECT_TRUE(SameImage(Render(kinyit, 1055.0f), Lightened(composed(1055.0f), 255)));
  EXPECT_TRUE(SameImage(Render(kinyit, 1056.0f), composed(1056.0f)));
}

TEST_F(SceneModules, BlauBlendsPictureIndex0To3AndNothingForAnyOtherIndex) {
  const Recipe& blau = RecipeOf("blau");
  const float t = 412.8f;
  const std::string files[4] = {"oompa.jpg", "doompa.jpg", "doopady.jpg", "doo.jpg"};
  for (std::int16_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(files[i]);
    const Image picture = Picture(files[i]);
    Image fb(64000, 0);
    RenderBlau(t, fb.data(), ClassicFrame, i);
    EXPECT_TRUE(SameImage(fb, Compose(blau, FrameOf(blau, t), blau.fill, PostOf(blau, &picture))));
  }
  ReferencePost glowOnly = PostOf(blau, nullptr);
  glowOnly.blend = Blend::None;
  const Image withoutPicture = Compose(blau, FrameOf(blau, t), blau.fill, glowOnly);
  Image index0(64000, 0);
  RenderBlau(t, index0.data(), ClassicFrame, 0);
  EXPECT_FALSE(SameImage(index0, withoutPicture));
  for (std::int16_t i : {4, 5, 9, -1, 32767, -32768}) {
    SCOPED_TRACE(i);
    Image fb(64000, 0x12345678u);
    RenderBlau(t, fb.data(), ClassicFrame, i);
    EXPECT_TRUE(SameImage(fb, withoutPicture));
  }
}

// The same modules over scenes whose camera sees none of the objects: only
// the border and the post-processing over black remain.
class SceneModulesWithNothingInView : public ModulesLoadedFrom<View::Nothing> {};

TEST_F(SceneModulesWithNothingInView, GlowBlurAndSubtractedPicturesLeaveBlack) {
  for (float t : Times) {
    SCOPED_TRACE(t);
    Image fb(64000, 0xFFFFFFFFu);
    RenderLabda(t, fb.data(), ClassicFrame);
    EXPECT_TRUE(SameImage(fb, Black()));
    std::fill(fb.begin(), fb.end(), 0xFFFFFFFFu);
    RenderEffekt(t, fb.data(), ClassicFrame);
    EXPECT_TRUE(SameImage(fb, Black()));
    std::fill(fb.begin(), fb.end(), 0xFFFFFFFFu);
    RenderBox(t, fb.data(), ClassicFrame);
    EXPECT_TRUE(SameImage(fb, Black()));
    for (bool choice : {false, true}) {
      std::fill(fb.begin(), fb.end(), 0xFFFFFFFFu);
      RenderKinyit(t, fb.data(), ClassicFrame, choice);
      EXPECT_TRUE(SameImage(fb, Black()));
    }
    std::fill(fb.begin(), fb.end(), 0xFFFFFFFFu);
    RenderBlau(t, fb.data(), ClassicFrame, 4);
    EXPECT_TRUE(SameImage(fb, Black()));
  }
}

TEST_F(SceneModulesWithNothingInView, AddedAndLightenBlendedPicturesShowAlone) {
  const float t = Times[0];
  Image fb(64000, 0xFFFFFFFFu);
  RenderLibiko(t, fb.data(), ClassicFrame);
  EXPECT_TRUE(SameImage(fb, Picture("spiel.jpg")));
  RenderKommun(t, fb.data(), ClassicFrame);
  EXPECT_TRUE(SameImage(fb, Picture("bkkom.jpg")));
  RenderEvil(t, fb.data(), ClassicFrame);
  EXPECT_TRUE(SameImage(fb, Picture("evil.jpg")));
  const std::string files[4] = {"oompa.jpg", "doompa.jpg", "doopady.jpg", "doo.jpg"};
  for (std::int16_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(files[i]);
    RenderBlau(t, fb.data(), ClassicFrame, i);
    EXPECT_TRUE(SameImage(fb, Picture(files[i])));
  }
}

}  // namespace
}  // namespace vx::test
