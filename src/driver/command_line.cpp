// The command line of vx1: `vx1 [e] [OPTIONS]`. A first argument of exactly
// "e" chooses the effect test; options start with "--" and may follow it;
// other plain words are ignored, but a word that starts with "-" and is no
// option is a typo, refused rather than taken as a full-screen run. Also
// where the data library is looked for.
#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/system.h"
#include "driver/driver.h"
#include "driver/driver_io.h"
#include "driver/timeline.h"

namespace vx {
namespace {

constexpr int MaxScale = 16;
constexpr int MaxFps = 240;

bool ParseInt(std::string_view text, int low, int high, int& out) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || value < low || value > high) return false;
  out = value;
  return true;
}

bool ParseSeconds(std::string_view text, double& out) {
  if (text.empty()) return false;
  const std::string copy(text);
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value)) return false;
  out = value;
  return true;
}

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

}  // namespace

std::string UsageLine() {
  return "usage: vx1 [e] [OPTIONS]   (vx1 --help lists the options)";
}

std::string HelpText() {
  return "usage: vx1 [e] [OPTIONS]\n"
         "Plays the show full screen with its music; Escape ends it.\n"
         "A first argument \"e\" runs the labda scene alone on the system timer\n"
         "(the effect test).\n"
         "\n"
         "Playing:\n"
         "  --library PATH           data library to read (default vx-1.lib in the\n"
         "                           current directory, then beside the program)\n"
         "  --window                 play in a window instead of full screen\n"
         "  --scale N                window scale, 1 to 16 (default 3); capture scale\n"
         "                           (default 4); full screen ignores it\n"
         "  --no-vsync               do not wait for the display's refresh\n"
         "  --mute                   no sound: a silent clock at real time\n"
         "  --from SECONDS           start the show at this moment (0 to 121; not with e)\n"
         "  --loop                   start again at the end, until Escape (not with e)\n"
         "  --trace                  one line per start-up and shutdown step on\n"
         "                           standard error\n"
         "\n"
         "Headless (no window, no sound; one of these at a time):\n"
         "  --screenshot SECONDS FILE.png\n"
         "                           write the 320 x 200 frame of that moment\n"
         "                           (0 to 121); may be given several times;\n"
         "                           with e: labda's frame at that moment\n"
         "  --bench                  time every scene module and the whole show\n"
         "  --reference              with --bench: use the plain reference routines\n"
         "  --capture FILE.mp4       render the show to a video with its music\n"
         "                           (needs the ffmpeg program); the container\n"
         "                           follows the extension (.mp4 .m4v .mov .mkv\n"
         "                           .webm .ts); a device, FIFO or stream without\n"
         "                           one gets Matroska\n"
         "  --fps N                  capture frames a second, 1 to 240 (default 60)\n"
         "  --duration SECONDS       capture only the first SECONDS\n"
         "  --frames DIR             capture to DIR/frame_000000.png ... instead\n"
         "                           of a video; the frames are written under\n"
         "                           temporary names and renamed into place only\n"
         "                           when the whole capture succeeded\n"
         "  --contact-sheet FILE.png the middle frame of every slot and of labda,\n"
         "                           labelled, in one picture\n"
         "  --help, -h               this text\n"
         "\n"
         "An output that is an input (the data library) is refused. A video or\n"
         "picture replaces an existing file only when it is complete; a device,\n"
         "FIFO or /dev/stdout is written straight through (progress lines then go\n"
         "to standard error).\n";
}

bool ParseCommandLine(int argc, const char* const* argv, DriverOptions& options,
                      std::string& error) {
  options = DriverOptions{};
  options.effectTest = IsEffectTestArgument(argc, argv);
  bool help = false, bench = false, sawScale = false, sawFps = false, sawDuration = false;
  bool sawFrom = false;
  std::string_view playOnly;  // the first play-only option seen
  for (int i = options.effectTest ? 2 : 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.empty() || arg[0] != '-') continue;
    // The value(s) of an option; false (with the reason) when missing.
    auto next = [&](std::string_view& value) {
      if (i + 1 >= argc) {
        error = "option " + std::string(arg) + " needs a value";
        return false;
      }
      value = argv[++i];
      return true;
    };
    auto bad = [&](std::string_view value) {
      error = "bad value " + Quoted(value) + " for " + std::string(arg);
      return false;
    };
    std::string_view value;
    if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--library") {
      if (!next(value)) return false;
      if (value.empty()) return bad(value);
      options.library = value;
    } else if (arg == "--window") {
      options.window = true;
      if (playOnly.empty()) playOnly = arg;
    } else if (arg == "--scale") {
      if (!next(value)) return false;
      if (!ParseInt(value, 1, MaxScale, options.scale)) return bad(value);
      sawScale = true;
    } else if (arg == "--no-vsync") {
      options.vsync = false;
      if (playOnly.empty()) playOnly = arg;
    } else if (arg == "--mute") {
      options.mute = true;
      if (playOnly.empty()) playOnly = arg;
    } else if (arg == "--from") {
      if (!next(value)) return false;
      if (!ParseSeconds(value, options.fromSeconds) || options.fromSeconds < 0.0 ||
          options.fromSeconds > ShowSeconds)
        return bad(value);
      sawFrom = true;
      if (playOnly.empty()) playOnly = arg;
    } else if (arg == "--loop") {
      options.loop = true;
      if (playOnly.empty()) playOnly = arg;
    } else if (arg == "--trace") {
      options.trace = true;
    } else if (arg == "--screenshot") {
      std::string_view file;
      if (!next(value) || !next(file)) return false;
      ScreenshotRequest shot{};
      // Inside the show only (0 to 121, as --from): the moment becomes
      // single-float ticks, which a huge value would overflow.
      if (!ParseSeconds(value, shot.seconds) || shot.seconds < 0.0 || shot.seconds > ShowSeconds)
        return bad(value);
      if (file.empty()) return bad(file);
      shot.path = file;
      options.screenshots.push_back(shot);
    } else if (arg == "--bench") {
      bench = true;
    } else if (arg == "--reference") {
      options.reference = true;
    } else if (arg == "--capture") {
      if (!next(value)) return false;
      if (value.empty()) return bad(value);
      options.capturePath = value;
    } else if (arg == "--fps") {
      if (!next(value)) return false;
      if (!ParseInt(value, 1, MaxFps, options.fps)) return bad(value);
      sawFps = true;
    } else if (arg == "--duration") {
      if (!next(value)) return false;
      if (!ParseSeconds(value, options.durationSeconds) || options.durationSeconds <= 0.0)
        return bad(value);
      sawDuration = true;
    } else if (arg == "--frames") {
      if (!next(value)) return false;
      if (value.empty()) return bad(value);
      options.framesDir = value;
    } else if (arg == "--contact-sheet") {
      if (!next(value)) return false;
      if (value.empty()) return bad(value);
      options.contactSheetPath = value;
    } else {
      error = "unknown option " + Quoted(arg);
      return false;
    }
  }
  if (help) {
    options.mode = DriverMode::Help;
    return true;
  }

  int modes = 0;
  auto choose = [&](bool chosen, DriverMode mode) {
    if (!chosen) return;
    ++modes;
    options.mode = mode;
  };
  choose(!options.screenshots.empty(), DriverMode::Screenshot);
  choose(bench, DriverMode::Bench);
  choose(!options.capturePath.empty() || !options.framesDir.empty(), DriverMode::Capture);
  choose(!options.contactSheetPath.empty(), DriverMode::ContactSheet);
  if (modes > 1) {
    error = "--screenshot, --bench, --capture and --contact-sheet exclude each other";
    return false;
  }
  const bool play = options.mode == DriverMode::Play;
  if (options.effectTest && (sawFrom || options.loop)) {
    error = "--from and --loop do not apply to the effect test (e)";
    return false;
  }
  if (options.effectTest && !play && options.mode != DriverMode::Screenshot) {
    error = "the effect test (e) plays or takes --screenshot; no other headless mode";
    return false;
  }
  if (!play && !playOnly.empty()) {
    error = std::string(playOnly) + " applies to playing only";
    return false;
  }
  if (sawScale && !play && options.mode != DriverMode::Capture) {
    error = "--scale applies to playing in a window and to --capture only";
    return false;
  }
  if ((sawFps || sawDuration) && options.mode != DriverMode::Capture) {
    error = "--fps and --duration apply to --capture only";
    return false;
  }
  if (options.reference && options.mode != DriverMode::Bench) {
    error = "--reference applies to --bench only";
    return false;
  }
  return true;
}

LibrarySearch LibraryCandidates(const std::string& requested, const std::string& exeDir) {
  namespace fs = std::filesystem;
  if (!requested.empty()) return LibrarySearch{{requested}, true};
  LibrarySearch search{{"vx-1.lib"}, false};
  if (!exeDir.empty()) {
    const std::string beside = (fs::path(exeDir) / "vx-1.lib").string();
    std::error_code ec1, ec2;
    const fs::path a = fs::weakly_canonical(fs::absolute(search.paths[0], ec1), ec1);
    const fs::path b = fs::weakly_canonical(fs::absolute(beside, ec2), ec2);
    if (ec1 || ec2 || a != b) search.paths.push_back(beside);
  }
  return search;
}

namespace {

// Why the archive at path cannot be used, or empty when it can be handed to
// the reader: it must be a regular file we may read. The reader opens it
// anew for every picture, so a FIFO or a device would block or never end.
std::string UnusableArchive(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::strerror(errno);
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return std::strerror(errno);
  std::fclose(file);
  return {};
}

LibraryOpen RefuseArchive(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "vx1: cannot open the data library %s: %s\n", path.c_str(), reason.c_str());
  std::fflush(stderr);
  return LibraryOpen::Refused;
}

}  // namespace

LibraryOpen OpenShowLibrary(const LibrarySearch& search) {
  const DriverIo& io = CurrentDriverIo();
  for (const std::string& path : search.paths) {
    // Without --library a path with nothing there passes to the next; the
    // first thing found is the archive, and a refusal of it is final.
    if (!search.named && !SomethingAt(path)) continue;
    if (const std::string reason = UnusableArchive(path); !reason.empty())
      return RefuseArchive(path, reason);
    if (!io.openLibrary(path)) return RefuseArchive(path, "not a valid data library");
    return LibraryOpen::Opened;
  }
  // No archive anywhere: the reader still gets the first name, so the run
  // goes on as with a missing archive (its pictures report "nincs ..." and
  // "Load Error").
  if (!search.paths.empty() && io.openLibrary(search.paths[0])) return LibraryOpen::Opened;
  std::string tried;
  for (const std::string& path : search.paths) tried += (tried.empty() ? "" : ", ") + path;
  std::fprintf(stderr, "vx1: cannot open the data library (tried %s)\n", tried.c_str());
  std::fflush(stderr);
  return LibraryOpen::NoneFound;
}

}  // namespace vx
