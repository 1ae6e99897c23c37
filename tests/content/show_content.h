#pragma once
// Shared by the content tests: the build's archive, the slots in which each
// scene plays, a scene loaded and drawn through the engine like a scene
// module does, and the rule for outside tools that may be missing.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "driver/timeline.h"
#include "engine/engine.h"
#include "scenes/scenes.h"

namespace vx::test {

// Opens VX_BINARY_DIR/vx-1.lib (the archive the build packs); false when it
// is missing or refused.
bool OpenShowLibrary();
std::string ShowLibraryPath();

// How a scene is played: its frame factor and the longest stretch of local
// time one of its slots gives it (ticks); labda plays only in the effect
// test and is sampled over its frame count instead.
struct SceneSlot {
  std::string name;
  double frameFactor;
  double slotTicks;  // 0: sample the scene's whole frame range (loop)
};
const std::vector<SceneSlot>& SceneSlots();
// Test parameters print as the scene's name.
void PrintTo(const SceneSlot& slot, std::ostream* os);

// A scene loaded and prepared exactly as a 3D scene module loads it, freed
// on destruction.
class LoadedScene {
 public:
  explicit LoadedScene(const std::string& name);  // "kinyit"
  ~LoadedScene();
  LoadedScene(const LoadedScene&) = delete;
  LoadedScene& operator=(const LoadedScene&) = delete;

  Scene* scene() const { return scene_; }
  // The 3D image before post-processing at this frame: cleared, drawn with
  // FillPolygonPerspective into 320 x 200 pixels. beforeDraw, when given,
  // runs between the projection and the fill (to swap polygon textures).
  void Render(float frame, std::vector<std::uint32_t>& image,
              const std::function<void(Scene&)>& beforeDraw = {});

 private:
  Scene* scene_ = nullptr;
};

// True for the objects of box that are crates: the tower's, the corner
// piles', the hook's load and the rings' tumbling ones (by their names'
// prefixes).
bool IsBoxCrate(const std::string& objectName);

// The full path of a program found on PATH; empty when there is none.
std::string FindTool(const std::string& program);
inline bool ToolOnPath(const std::string& program) {
  return !FindTool(program).empty();
}
// Runs program once per argument list, all at the same time, and returns
// each run's standard output (empty for a run that failed to start or did
// not exit with 0). Standard error is dropped.
std::vector<std::string> RunConcurrently(
    const std::string& program, const std::vector<std::vector<std::string>>& argumentLists);
// True when CI=true is set: missing tools are failures, not skips.
bool InContinuousIntegration();

}  // namespace vx::test

// Opens the build's archive for the test; fails the test when the build
// should have made it, skips it when the build is configured without
// content (VX_BUILD_CONTENT off).
#define VX_REQUIRE_SHOW_LIBRARY()                                                        \
  do {                                                                                   \
    if (!vx::test::OpenShowLibrary()) {                                                  \
      if (VX_CONTENT_ARCHIVE) FAIL() << "no archive at " << vx::test::ShowLibraryPath(); \
      GTEST_SKIP() << "the build makes no archive (VX_BUILD_CONTENT is off)";            \
    }                                                                                    \
  } while (false)

// Skips the test (or fails it in CI) when program is not installed.
#define VX_REQUIRE_TOOL(program, package)                                        \
  do {                                                                           \
    if (!vx::test::ToolOnPath(program)) {                                        \
      if (vx::test::InContinuousIntegration())                                   \
        FAIL() << program << " is missing (Debian package " << package << ")";   \
      GTEST_SKIP() << program << " is not installed (Debian package " << package \
                   << "); this check is skipped";                                \
    }                                                                            \
  } while (false)

namespace vx::test {

// Every scene module loaded once for the tests of a suite.
template <typename Base>
class LoadedShow : public Base {
 protected:
  static void SetUpTestSuite() {
    if (!OpenShowLibrary()) return;
    UseShow(RealShow());
    LoadAllScenes();
    loaded_ = true;
  }
  static void TearDownTestSuite() {
    if (loaded_) FreeAllScenes();
    loaded_ = false;
  }
  void SetUp() override {
    VX_REQUIRE_SHOW_LIBRARY();
    ASSERT_TRUE(loaded_);
  }
  static inline bool loaded_ = false;
};

}  // namespace vx::test
