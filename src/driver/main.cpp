// vx1: plays the show (or the effect test with a first argument "e"), or
// renders it headless to screenshots, a benchmark table, a video or a
// contact sheet. Exit codes: 0 done, 1 a failure, 2 a bad command line; a
// failed write to standard output ends with the error number.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "base/console.h"
#include "base/output_file.h"
#include "base/parallel.h"
#include "base/system.h"
#include "driver/driver.h"
#include "platform/music.h"
#include "platform/video.h"
#include "vx_version.h"

namespace {

int Play(const vx::DriverOptions& options, const vx::LibrarySearch& libraries) {
  vx::VideoOptions video{};
  video.backend = vx::VideoBackend::Sdl;
  video.fullScreen = !options.window;
  video.scale = options.scale;  // 0: the largest that fits
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

// The archives the show looked for, for the message box of a failed start.
vx::LibrarySearch gLibraries;

// What a user who started the show by a double click can do about its
// failure, told by the reason the program printed, and that reason. A
// missing archive is told by the folders searched alone: the lines behind
// it (the loader's "Load Error", the picture it could not load) say nothing
// more to such a user.
std::string BoxText(const std::string& printed) {
  if (printed.find("cannot open the data library") != std::string::npos) {
    std::string text =
        "vx-1.lib was not found next to vx1.exe. Extract the whole zip first (right-click "
        "it, Extract All...), then start vx1.exe in the extracted folder.\n\nSearched for:";
    std::error_code ec;
    for (const std::string& path : gLibraries.paths) {
      const std::filesystem::path absolute = std::filesystem::absolute(vx::PathOf(path), ec);
      text += "\n" + (ec ? path : vx::NameOf(absolute));
    }
    return text;
  }
  if (printed.find("--mute") != std::string::npos)
    return "No sound device could be opened. To play the show without sound, start "
           "\"Play without sound.cmd\" (vx1.exe --mute).\n\n" +
           printed;
  return "The show could not be played.\n\n" + printed;
}

// The file that keeps standard error while the show plays without a
// console; empty when there is none.
std::string gErrorsPath;

// Ends the keeping of standard error: removes the file and, for a failure,
// shows what it holds in a message box with the advice.
void EndKeptErrors(bool failed) {
  if (gErrorsPath.empty()) return;
  std::string printed;
  std::fflush(stderr);
  std::rewind(stderr);
  char buffer[512];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stderr)) > 0) printed.append(buffer, n);
  [[maybe_unused]] std::FILE* nowhere = std::freopen("NUL", "w", stderr);
  std::remove(gErrorsPath.c_str());
  gErrorsPath.clear();
  if (failed) vx::AlertBox("VX-1", BoxText(printed));
}

// Started from Explorer, the program has given up its console: what it
// prints on standard error is kept in a temporary file and, when the show
// fails, shown in a message box with the advice. The failures that end
// the program from deep inside (std::exit(1): no sound device, a picture
// that cannot be loaded) reach the box through atexit, after the window
// has gone.
int PlayWithoutConsole(const vx::DriverOptions& options, const vx::LibrarySearch& libraries) {
  gLibraries = libraries;
  std::string path;
  const int fd = vx::CreateTemporaryFile("vx1-errors-", ".txt", path);
  if (fd < 0) return Play(options, libraries);
  close(fd);
  if (std::freopen(path.c_str(), "w+", stderr) == nullptr) {
    std::remove(path.c_str());
    return Play(options, libraries);
  }
  gErrorsPath = path;
  std::atexit([] { EndKeptErrors(true); });
  const int status = Play(options, libraries);
  EndKeptErrors(status != 0);
  return status;
}

// "/?", the Windows way to ask for help, anywhere on the line.
bool Asked(int argc, char** argv, const char* word) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], word) == 0) return true;
  return false;
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
  if (options.mode == vx::DriverMode::Help || Asked(argc, argv, "/?")) {
    vx::ConsoleWrite(vx::HelpText());
    return 0;
  }
  if (options.mode == vx::DriverMode::Version) {
    vx::ConsoleWrite(vx::VersionLine("vx1"));
    return 0;
  }

  vx::CleanUpOnEveryExit();
  vx::SetTrace(options.trace);
  if (options.threads > 0) vx::SetDrawThreads(options.threads);
  vx::UsePipelineView(options.view);
  vx::UseRealModules();
  const vx::LibrarySearch libraries = vx::LibraryCandidates(options.library, vx::ExecutableDir());
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
    case vx::DriverMode::Version:
      break;
  }
  // A start without a word from Explorer or a desktop asks how to play;
  // any option (--no-dialog among them) says the caller knows already.
  const vx::StartContext start = vx::ThisStart();
  const bool released = vx::ReleaseOwnConsole();
  if (argc == 1 && vx::StartedFromFileManager(start)) {
    vx::ConfigureVideo(vx::VideoOptions{
        .backend = vx::VideoBackend::Sdl, .fullScreen = true, .scale = 0, .vsync = true});
    if (!vx::AskStartChoices(options)) return 0;
  }
  if (released) return PlayWithoutConsole(options, libraries);
  return Play(options, libraries);
}
