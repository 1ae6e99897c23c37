// vx1: plays the show (or the effect test with a first argument "e"), or
// renders it headless to screenshots, a benchmark table, a video or a
// contact sheet. Exit codes: 0 done, 1 a failure, 2 a bad command line; a
// failed write to standard output ends with the error number.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "base/console.h"
#include "base/output_file.h"
#include "base/system.h"
#include "driver/driver.h"
#include "platform/music.h"
#include "platform/video.h"

namespace {

constexpr int DefaultWindowScale = 3;

// The folder of the running program, or empty when it cannot be told.
std::string ExecutableDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

int Play(const vx::DriverOptions& options, const vx::LibrarySearch& libraries) {
  vx::VideoOptions video{};
  video.backend = vx::VideoBackend::Sdl;
  video.fullScreen = !options.window;
  video.scale = options.scale > 0 ? options.scale : DefaultWindowScale;
  video.vsync = options.vsync;
  vx::ConfigureVideo(video);
  vx::MusicOptions music{};
  music.backend = options.mute ? vx::MusicBackend::Silent : vx::MusicBackend::Sdl;
  music.startSeconds = options.fromSeconds;
  vx::ConfigureMusic(music);
  return vx::RunDriver(options, libraries);
}

// Refuses an output that is one of the data libraries; sends the console's
// lines to standard error when an output is standard output. False after
// saying why.
bool CheckOutputs(const vx::DriverOptions& options, const vx::LibrarySearch& libraries) {
  std::vector<std::string> outputs = {options.capturePath, options.contactSheetPath};
  for (const vx::ScreenshotRequest& shot : options.screenshots) outputs.push_back(shot.path);
  for (const std::string& output : outputs) {
    if (output.empty()) continue;
    if (const std::string refusal = vx::OutputOverInput(output, libraries.paths);
        !refusal.empty()) {
      std::fprintf(stderr, "vx1: %s\n", refusal.c_str());
      return false;
    }
    if (vx::NamesStandardOutput(output)) vx::ConsoleUseStandardError();
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // A closed pipe on standard output must come back as EPIPE from the write,
  // so that the console's clean-up runs before the program ends.
  vx::IgnoreBrokenPipes();
  vx::UseUtf8Console();

  vx::DriverOptions options;
  std::string error;
  if (!vx::ParseCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "vx1: %s\n%s\n", error.c_str(), vx::UsageLine().c_str());
    return 2;
  }
  if (options.mode == vx::DriverMode::Help) {
    vx::ConsoleWrite(vx::HelpText());
    return 0;
  }

  vx::CleanUpOnEveryExit();
  vx::SetTrace(options.trace);
  vx::UseRealModules();
  const vx::LibrarySearch libraries = vx::LibraryCandidates(options.library, ExecutableDir());
  if (!CheckOutputs(options, libraries)) return 1;

  // The window and the sound are for play alone: every other mode draws
  // into the headless frame buffer.
  vx::ConfigureVideo(vx::VideoOptions{.backend = vx::VideoBackend::Headless});
  switch (options.mode) {
    case vx::DriverMode::Screenshot:
      return vx::RunScreenshots(options, libraries);
    case vx::DriverMode::Bench:
      return vx::RunBench(options, libraries);
    case vx::DriverMode::Capture:
      return vx::RunCapture(options, libraries);
    case vx::DriverMode::ContactSheet:
      return vx::RunContactSheet(options, libraries);
    case vx::DriverMode::Play:
    case vx::DriverMode::Help:
      break;
  }
  return Play(options, libraries);
}
