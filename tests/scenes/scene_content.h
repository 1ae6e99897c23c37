#pragma once
// Content for the scene modules' tests, made here with the project's own
// writers: one small animated 3DS scene per 3D module (a textured cube with a
// child cube, a ground plane that crosses the near plane, a camera on a
// path), its texture, and a patterned full-screen picture per picture file,
// all packed into test archives under the modules' file names.
//
// The frames the modules draw are checked against ComposeFrame, which draws
// the same scene file through the engine and the plain reference fills and
// effects, step by step.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "engine/engine.h"
#include "raster/raster.h"
#include "scenes/scenes.h"
#include "support/testlib.h"
#include "write3ds.h"

namespace vx::test {

using Image = std::vector<std::uint32_t>;

// What the camera of a module's scene sees.
enum class View {
  Scene,    // the cube pair and the ground plane, in view throughout
  Nothing,  // the cube pair only, behind the camera at every frame
};

// The show's modules in load order (the real ones) with the files the test
// archive gives them: a 3D module's scene file ("kinyit.3ds") with one
// material whose texture is TextureOf it, and the pictures it reads.
struct ShowModule {
  std::string name;
  bool threeD;
  std::vector<std::string> pictures;  // in load order
};
const std::vector<ShowModule>& ShowModules();
// The material's texture file: "TX" + the name in capitals + ".GIF".
std::string TextureOf(const ShowModule& module);
// Every file the modules read, in the order loading them reads them.
std::vector<std::string> FilesInLoadOrder();

// Stored names: "DATA\" + file.
std::string DataName(const std::string& file);

// The scene of one module; texture is the material's texture file name.
Scene3ds ModuleScene(const std::string& texture, View view);
// A 320 x 200 test picture; seed varies the colours. About a quarter of it is
// black, which the keyed blends skip.
Image ScreenPattern(int seed);
Bytes EncodePicture(const Image& pixels, std::uint32_t width, std::uint32_t height);

// Every file of the ten modules: scenes, textures and pictures.
std::vector<LibraryFile> ShowFiles(View view);
// OpenTestLibrary with the library's console lines captured.
bool OpenQuietly(const TempDir& dir, const std::vector<LibraryFile>& files);
// Replaces the bytes stored under name (which must be present).
void ReplaceFile(std::vector<LibraryFile>& files, const std::string& name, Bytes bytes);
// The picture a module sees: the stored JPEG decoded.
Image DecodedPicture(const std::vector<LibraryFile>& files, const std::string& file);

// A suite whose tests share every module loaded once by LoadAllScenes from
// the test archive of one view (its console lines captured), freed at the end.
template <View V>
class ModulesLoadedFrom : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    files_ = new std::vector<LibraryFile>(ShowFiles(V));
    ASSERT_TRUE(OpenQuietly(*dir_, *files_));
    CaptureStdout(LoadAllScenes);
  }
  static void TearDownTestSuite() {
    FreeAllScenes();
    CloseLibrary();
    delete files_;
    delete dir_;
  }
  static Image Picture(const std::string& file) { return DecodedPicture(*files_, file); }

  static inline TempDir* dir_ = nullptr;
  static inline std::vector<LibraryFile>* files_ = nullptr;
};

// A scene loaded and prepared the way a 3D module prepares it, read from the
// open library (its console lines captured); freed on destruction.
class PreparedScene {
 public:
  explicit PreparedScene(const std::string& sceneFile);
  ~PreparedScene();
  PreparedScene(const PreparedScene&) = delete;
  PreparedScene& operator=(const PreparedScene&) = delete;
  Scene*& Get() { return scene_; }

 private:
  Scene* scene_ = nullptr;
};

// The post-processing of a module, as the reference composition runs it.
struct ReferencePost {
  enum class Smear { Glow, Radial, None } smear = Smear::Glow;
  std::uint16_t spread = 0, gain = 0;  // glow
  std::uint8_t strength = 0;           // radial, gain 10 at (160, 100)
  enum class Blend { None, Add, Subtract, Lighten } blend = Blend::None;
  const Image* picture = nullptr;
};

// The frame of scene at animation frame `frame`, composed by hand: cleared
// image, the engine's per-frame steps through camera 0, the given fill into
// the scene's depth buffer, a black border and the post-processing through
// the fx2d reference routines.
Image ComposeFrame(Scene*& scene, float frame, FillFunction fill, const ReferencePost& post);

// Hand-written per-byte pixel arithmetic over whole images.
Image Darkened(const Image& src, std::uint32_t k);   // (b x (255 - k)) >> 8
Image Lightened(const Image& src, std::uint32_t k);  // b + (((255 - b) x k) >> 8)
Image CrossFaded(const Image& a, const Image& b, std::uint32_t k);
inline Image Black() {
  return Image(64000, 0);
}

// Number of pixels in which two images differ (they must be equally large).
int DifferentPixels(const Image& a, const Image& b);
// Success when both are equal; otherwise how many pixels differ and the
// first one that does.
::testing::AssertionResult SameImage(const Image& actual, const Image& expected);

}  // namespace vx::test
