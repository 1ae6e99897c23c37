#pragma once
// The demo driver as vx1's main sees it: the command line, where the show's
// archive is looked for, and the runs (play or the effect test in a window;
// screenshots, benchmark, capture to video and contact sheet headless).
// Each run returns the program's exit code.
//
// The rest of the driver has its own headers: timeline.h (the show's script
// and the scene modules), driver_io.h (the input and output a run goes
// through, with the loading screen) and frame_loop.h (the one frame loop
// with its clocks and sinks).
#include <string>
#include <string_view>
#include <vector>

#include "base/pixels.h"
#include "views/views.h"

namespace vx {

// ---- command line -------------------------------------------------------------
enum class DriverMode { Play, Help, Version, Screenshot, Bench, Capture, ContactSheet };

struct ScreenshotRequest {
  double seconds;
  std::string path;
};

struct DriverOptions {
  DriverMode mode = DriverMode::Play;
  bool effectTest = false;
  std::string library;  // empty: "vx-1.lib" in the current directory
  bool window = false;
  int scale = 0;  // 0: the mode's default (window 3, capture 4)
  bool vsync = true;
  bool mute = false;
  double fromSeconds = 0.0;
  bool fromGiven = false;  // --from, even at 0: the loading screen without its fades
  bool loop = false;
  bool trace = false;
  std::vector<ScreenshotRequest> screenshots;
  bool reference = false;
  std::string capturePath;
  int fps = 60;
  double durationSeconds = 0.0;  // 0: until the end bound
  std::string framesDir;
  std::string contactSheetPath;
  // --resolution: the frame size asked for (packed), or with native the
  // display's (playing only). The classic size is the default.
  FrameSize resolution = ClassicFrame;
  bool nativeResolution = false;
  int threads = 0;  // --threads: 0, the default, the processor's cores
  // --view: what every frame shows (views/views.h); the window's V key
  // steps on from it.
  PipelineView view = PipelineView::Frame;
};

// The frame size a run draws at, chosen once at its start: the one asked
// for, or the configured video output's native size (NativeFrameSize).
FrameSize RunFrameSize(const DriverOptions& options);
// Reads "WxH" (digits, 'x', digits; even, from 320 x 200 to 3840 x 2160)
// or "native" into the options; false with the reason in why otherwise.
bool ParseResolution(std::string_view text, DriverOptions& options, std::string& why);

// False with a one-line reason in error for an unknown option, a missing or
// bad value, or options that do not fit together.
bool ParseCommandLine(int argc, const char* const* argv, DriverOptions& options,
                      std::string& error);
std::string UsageLine();
std::string HelpText();
// EffectTestMode: the first argument is exactly "e" (same length, same
// letters, case-sensitive); set for the run by RunDriver.
bool IsEffectTestArgument(int argc, const char* const* argv);
bool EffectTestMode();

// Where the show's archive is looked for. named: --library PATH was given and
// PATH is the one archive to use. Otherwise "vx-1.lib" in the current
// directory, then in exeDir, then where `cmake --install` puts it
// (exeDir/../share/vx-1 for the usual layout), each when it is another file.
struct LibrarySearch {
  std::vector<std::string> paths;
  bool named = false;
};
LibrarySearch LibraryCandidates(const std::string& requested, const std::string& exeDir);

enum class LibraryOpen { Opened, NoneFound, Refused };
// Opens the archive of the search: the named one, or else the first path
// where anything is. Refused, with one line on standard error naming the
// path and the reason, when that archive is missing (named only), is not a
// readable regular file or is not a valid data library: the run must end
// with exit code 1. NoneFound when no path holds anything: the reader was
// given the first path all the same, one line names the paths tried, and the
// run goes on as with a missing archive (its pictures say "nincs"). The
// lines start with program's name (vxscan opens the archive for itself).
// Once the archive is open, the sharp show's archive (SharpLibraryFile) in
// the same folder joins it through DriverIo::addLibrary when it is there; a
// missing one is silent, an unusable one is named on standard error and left
// out (the sharp show then draws from the classic data).
LibraryOpen OpenShowLibrary(const LibrarySearch& search, std::string_view program = "vx1");

// ---- runs -------------------------------------------------------------------------
// Wires the program's own platform layer and scene modules into the driver
// (its tests install fakes instead).
void UseRealModules();
// --trace: the runs write "trace: STEP" on standard error for each step.
void SetTrace(bool on);
// The start-up dialog of a show started from a file manager, in the
// configured video output's box (AskInBox): full screen or a window, the
// classic or the sharp frame, sound or none, once or in a loop, changed in
// options one press at a time until Play (true) or Quit or closing the box
// (false). Where no box can be shown the show plays as it is (true).
bool AskStartChoices(DriverOptions& options);
// Play mode (normal run or effect test): 0 after an orderly end, 1 when the
// archive was refused or the video could not start.
int RunDriver(const DriverOptions& options, const LibrarySearch& libraries);
// Headless modes (no window, no sound, no loading screen).
int RunScreenshots(const DriverOptions& options, const LibrarySearch& libraries);
int RunBench(const DriverOptions& options, const LibrarySearch& libraries);
int RunCapture(const DriverOptions& options, const LibrarySearch& libraries);
int RunContactSheet(const DriverOptions& options, const LibrarySearch& libraries);

}  // namespace vx
