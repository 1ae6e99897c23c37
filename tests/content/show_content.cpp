#include "show_content.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "datalib/datalib.h"
#include "driver/timeline.h"
#include "raster/raster.h"

namespace vx::test {

std::string ShowLibraryPath() {
  return std::string(VX_BINARY_DIR) + "/vx-1.lib";
}

bool OpenShowLibrary() {
  CloseLibrary();
  if (!std::filesystem::exists(ShowLibraryPath())) return false;
  return OpenLibrary(ShowLibraryPath());
}

namespace {

// The longest slot of the module in the real show, in ticks; 0 in none.
double LongestSlot(const std::string& module) {
  long double longest = 0.0L;
  for (const TimelineSlot& slot : RealShow().slots)
    if (slot.module->name == module) longest = std::max(longest, slot.end - slot.begin);
  return static_cast<double>(longest);
}

}  // namespace

const std::vector<SceneSlot>& SceneSlots() {
  // Frame factors of the 3D scene modules (frame = local time x factor);
  // how long each is seen comes from the show: its longest slot (kinyit's
  // reversed second slot covers frames its first covers too).
  static const std::vector<SceneSlot> slots = [] {
    const std::pair<const char*, double> factors[] = {
        {"kinyit", 0.287}, {"libiko", 0.287 * 0.5}, {"blau", 0.287},   {"box", 0.287},
        {"labda", 0.287},  {"effekt", 0.187},       {"kommun", 0.267}, {"evil", 0.187},
    };
    std::vector<SceneSlot> made;
    for (const auto& [name, factor] : factors)
      made.push_back({.name = name, .frameFactor = factor, .slotTicks = LongestSlot(name)});
    return made;
  }();
  return slots;
}

void PrintTo(const SceneSlot& slot, std::ostream* os) {
  *os << slot.name;
}

LoadedScene::LoadedScene(const std::string& name) {
  const std::string path = "DATA\\" + name + ".3ds";
  LoadScene(scene_, path);
  PrepareScene(scene_);
  LoadTextures(scene_, "DATA\\");
  BuildHierarchy(scene_);
  PrecalculateScene(scene_);
  ComputeBounds(scene_);
}

LoadedScene::~LoadedScene() {
  if (!scene_) return;
  FreeHierarchy(scene_);
  FreeSceneBuffers(scene_);
  FreeScene(scene_);
}

void LoadedScene::Render(float frame, std::vector<std::uint32_t>& image,
                         const std::function<void(Scene&)>& beforeDraw) {
  image.assign(ScreenPixels, 0u);
  RunFramePipeline(scene_, frame, 0, 0.5f, 100000.0f, ClassicFrame);
  const RasterTarget target{image.data(), scene_->depthBuffer, ClassicFrame, AllRows(ClassicFrame)};
  ClearDepthBuffer(target);
  if (beforeDraw) beforeDraw(*scene_);
  DrawScenePolygons(scene_->screen, target, FillPolygonPerspective);
}

bool IsBoxCrate(const std::string& objectName) {
  for (const char* prefix : {"Stack", "Pile", "Load", "Orbiter", "Flyer"})
    if (objectName.rfind(prefix, 0) == 0) return true;
  return false;
}

std::string FindTool(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return {};
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    std::error_code error;
    const auto status = std::filesystem::status(dir + "/" + program, error);
    if (!error && std::filesystem::is_regular_file(status)) return dir + "/" + program;
  }
  return {};
}

std::vector<std::string> RunConcurrently(
    const std::string& program, const std::vector<std::vector<std::string>>& argumentLists) {
  const std::string folder = std::filesystem::temp_directory_path().string();
  std::vector<pid_t> children(argumentLists.size(), -1);
  std::vector<std::string> outputs(argumentLists.size());
  std::vector<std::string> files(argumentLists.size());
  for (std::size_t i = 0; i < argumentLists.size(); ++i) {
    files[i] = folder + "/vx_content_run_" + std::to_string(getpid()) + "_" + std::to_string(i);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, files[i].c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = argumentLists[i];
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0)
      children[i] = child;
    posix_spawn_file_actions_destroy(&actions);
  }
  for (std::size_t i = 0; i < children.size(); ++i) {
    if (children[i] < 0) continue;
    int status = 0;
    if (waitpid(children[i], &status, 0) == children[i] && WIFEXITED(status) &&
        WEXITSTATUS(status) == 0) {
      std::ifstream in(files[i], std::ios::binary);
      outputs[i].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::filesystem::remove(files[i]);
  }
  return outputs;
}

bool InContinuousIntegration() {
  const char* ci = std::getenv("CI");
  return ci && std::strcmp(ci, "true") == 0;
}

}  // namespace vx::test
