// A module whose data cannot be drawn as authored ends the program at load
// with exit code 1: a scene without a camera or whose camera 0 misses a
// track, a picture that is missing, undecodable or not 320 x 200 in colour.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "scenes/scene_content.h"
#include "scenes/scenes.h"
#include "writejpeg.h"

namespace vx::test {
namespace {

// Runs in the death test's child: the engine log writes to standard output,
// which the death test does not see, so it is sent to standard error.
void LoadWith(const TempDir& dir, const std::vector<LibraryFile>& files, void (*load)()) {
  dup2(STDERR_FILENO, STDOUT_FILENO);
  if (!OpenTestLibrary(dir, files)) return;
  load();
}

Scene3ds BoxScene() {
  return ModuleScene("TXBOX.GIF", View::Scene);
}

// Drops the camera's target track (tracks come last: position, target).
Scene3ds WithoutTrack(Node3ds node) {
  Scene3ds s = BoxScene();
  std::erase_if(s.tracks, [node](const Track3ds& t) { return t.node == node; });
  return s;
}

TEST(SceneModuleLoadDeathTest, ASceneWithoutCamerasEndsWithTheEnginesFatalLine) {
  Scene3ds s = BoxScene();
  s.cameras.clear();
  std::erase_if(s.tracks, [](const Track3ds& t) { return t.node != Node3ds::Object; });
  std::vector<LibraryFile> files = ShowFiles(View::Scene);
  ReplaceFile(files, DataName("box.3ds"), Write3ds(s));
  TempDir dir;
  EXPECT_EXIT(LoadWith(dir, files, LoadBox), ::testing::ExitedWithCode(1),
              "Z3D_FATAL: no cameras in mesh");
}

TEST(SceneModuleLoadDeathTest, CameraZeroWithoutATargetOrPositionTrackIsRefused) {
  for (Node3ds missing : {Node3ds::CameraTarget, Node3ds::Camera}) {
    SCOPED_TRACE(static_cast<int>(missing));
    std::vector<LibraryFile> files = ShowFiles(View::Scene);
    ReplaceFile(files, DataName("evil.3ds"), Write3ds(WithoutTrack(missing)));
    TempDir dir;
    EXPECT_EXIT(LoadWith(dir, files, LoadEvil), ::testing::ExitedWithCode(1),
                "Z3D_FATAL: camera 0 needs both a position track and a target track");
  }
}

TEST(SceneModuleLoadDeathTest, PicturesThatAreNot320By200InColourAreLoadErrors) {
  struct Case {
    std::string file;
    Bytes bytes;
    void (*load)();
  };
  const Image small = ScreenPattern(3);
  std::vector<std::uint8_t> grey(320 * 200, 128);
  const std::vector<Case> cases = {
      {"destiny.jpg", EncodePicture(small, 160, 100), LoadBox},
      {"vx1.jpg", EncodePicture(Image(320 * 201, 0x00808080u), 320, 201), LoadLogo},
      {"danke.jpg", EncodePicture(Image(321 * 200, 0x00808080u), 321, 200), LoadDanke},
      {"spiel.jpg", EncodeJpegGrey(grey.data(), 320, 200), LoadLibiko},
      {"doo.jpg", Bytes{0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F'}, LoadBlau},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<LibraryFile> files = ShowFiles(View::Scene);
    ReplaceFile(files, DataName(c.file), c.bytes);
    TempDir dir;
    EXPECT_EXIT(LoadWith(dir, files, c.load), ::testing::ExitedWithCode(1), "Load Error");
  }
}

TEST(SceneModuleLoadDeathTest, TexturesThatAreNot256By256AreLoadErrors) {
  std::vector<LibraryFile> files = ShowFiles(View::Scene);
  ReplaceFile(files, DataName("TXLABDA.jpg"),
              EncodePicture(Image(128 * 128, 0x00406080u), 128, 128));
  TempDir dir;
  EXPECT_EXIT(LoadWith(dir, files, LoadLabda), ::testing::ExitedWithCode(1), "Load Error");
}

TEST(SceneModuleLoadDeathTest, AMissingPictureIsALoadError) {
  std::vector<LibraryFile> files = ShowFiles(View::Scene);
  std::erase_if(files, [](const LibraryFile& f) { return f.first == DataName("bkkom.jpg"); });
  TempDir dir;
  EXPECT_EXIT(LoadWith(dir, files, LoadKommun), ::testing::ExitedWithCode(1),
              "nincs DATA.bkkom\\.jpg\nKVS_JPEG message: Load Error");
}

TEST(SceneModuleLoad, OtherCamerasWithoutTracksLoadAndDrawThroughCameraZero) {
  Scene3ds s = BoxScene();
  Camera3ds spare;
  spare.name = "Spare";
  s.cameras.push_back(spare);  // no track of its own
  std::vector<LibraryFile> files = ShowFiles(View::Scene);
  const std::vector<LibraryFile> plain = files;
  ReplaceFile(files, DataName("box.3ds"), Write3ds(s));
  TempDir dir;

  auto frameOf = [&](const std::vector<LibraryFile>& archive) {
    EXPECT_TRUE(OpenQuietly(dir, archive));
    CaptureStdout(LoadBox);
    Image fb(64000, 0);
    RenderBox(300.0f, fb.data(), ClassicFrame);
    FreeBox();
    CloseLibrary();
    return fb;
  };
  const Image withSpare = frameOf(files);
  EXPECT_TRUE(SameImage(withSpare, frameOf(plain)));
  EXPECT_NE(withSpare, Black());
}

}  // namespace
}  // namespace vx::test
