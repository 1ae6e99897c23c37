// The command line of vx1: `vx1 [e] [OPTIONS]`. A first argument of exactly
// "e" chooses the effect test; options start with "--" and may follow it;
// other plain words are ignored, but a word that starts with "-" and is no
// option is a typo, refused rather than taken as a full-screen run. Also
// where the data library is looked for.
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <span>
#include <system_error>
#include <vector>

#include "base/parallel.h"
#include "base/system.h"
#include "datalib/datalib.h"
#include "driver/driver.h"
#include "driver/driver_io.h"
#include "driver/timeline.h"
#include "platform/video.h"

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

namespace {

// The modes an option may be given in, as bits.
constexpr unsigned Bit(DriverMode mode) {
  return 1u << static_cast<unsigned>(mode);
}
constexpr unsigned AnyMode = ~0u;
constexpr unsigned PlayMode = Bit(DriverMode::Play);

enum class Section { Playing, Headless };

// One option of vx1: its names, the values it takes, where it applies, how
// its values are read into the options and its lines in --help. Parsing,
// the checks of what fits together and the help text all come from this
// table.
struct OptionRow {
  std::string_view name;
  std::string_view alias = {};
  std::string_view values = {};  // as shown in --help; one word a value
  Section section = Section::Playing;
  unsigned modes = AnyMode;  // the modes it may be given in
  bool effectTest = true;    // false: not with the effect test (e)
  // Reads the values (as many as values names); false for a bad one.
  bool (*take)(const std::string_view* values, DriverOptions& options) = nullptr;
  // Why a value take refused is bad, added to the error; nullptr: nothing.
  std::string (*why)(const std::string_view* values) = nullptr;
  std::string_view help = {};  // lines joined by '\n'
};

bool SecondsInShow(std::string_view text, double& out) {
  // Inside the show only (0 to 121): a moment becomes single-float ticks,
  // which a huge value would overflow.
  return ParseSeconds(text, out) && out >= 0.0 && out <= ShowSeconds;
}

bool TakePath(std::string_view value, std::string& out) {
  out = value;
  return !value.empty();
}

// "frame, raster, ... or flat": every view's name, from the views' table.
std::string ViewNames() {
  std::string names;
  const std::span<const PipelineViewRow> views = PipelineViews();
  for (std::size_t i = 0; i < views.size(); ++i) {
    if (i > 0) names += i + 1 < views.size() ? ", " : " or ";
    names += views[i].name;
  }
  return names;
}

std::string ViewReason(const std::string_view*) {
  return "expected " + ViewNames();
}

std::string ResolutionReason(const std::string_view* values) {
  DriverOptions scratch;
  std::string why;
  ParseResolution(values[0], scratch, why);
  return why;
}

constexpr OptionRow Options[] = {
    {.name = "--library",
     .values = "PATH",
     .take = [](const std::string_view* v, DriverOptions& o) { return TakePath(v[0], o.library); },
     .help = "data library to read (default vx-1.lib in the\n"
             "current directory, then beside the program)"},
    {.name = "--window",
     .modes = PlayMode,
     .take = [](const std::string_view*, DriverOptions& o) { return o.window = true; },
     .help = "play in a window instead of full screen"},
    {.name = "--scale",
     .values = "N",
     .modes = PlayMode | Bit(DriverMode::Capture),
     .take = [](const std::string_view* v,
                DriverOptions& o) { return ParseInt(v[0], 1, MaxScale, o.scale); },
     .help = "window scale, 1 to 16 (default the largest that\n"
             "fits the screen; a frame of\n"
             "another --resolution is shown at its own size\n"
             "when it fits that window, smaller otherwise);\n"
             "capture scale (default 4, 1 at another\n"
             "--resolution); full screen ignores it"},
    {.name = "--resolution",
     .values = "WxH",
     .take =
         [](const std::string_view* v, DriverOptions& o) {
           std::string why;
           return ParseResolution(v[0], o, why);
         },
     .why = ResolutionReason,
     .help = "draw every frame at W x H pixels (even, 320x200\n"
             "to 3840x2160; default the classic 320x200), or\n"
             "native: the screen's size full screen, the\n"
             "window's in a window (playing only); files and\n"
             "videos are made at that size, a contact sheet's\n"
             "tiles reduced to at most 640 pixels wide"},
    {.name = "--threads",
     .values = "N",
     .take = [](const std::string_view* v,
                DriverOptions& o) { return ParseInt(v[0], 1, MaxDrawThreads, o.threads); },
     .help = "threads that draw a frame larger than the classic\n"
             "one, 1 to 64 (default: the processor's cores)"},
    {.name = "--no-vsync",
     .modes = PlayMode,
     .take =
         [](const std::string_view*, DriverOptions& o) {
           o.vsync = false;
           return true;
         },
     .help = "do not wait for the display's refresh"},
    {.name = "--mute",
     .modes = PlayMode,
     .take = [](const std::string_view*, DriverOptions& o) { return o.mute = true; },
     .help = "no sound: a silent clock at real time"},
    {.name = "--from",
     .values = "SECONDS",
     .modes = PlayMode,
     .effectTest = false,
     .take = [](const std::string_view* v,
                DriverOptions& o) { return o.fromGiven = SecondsInShow(v[0], o.fromSeconds); },
     .help = "start the show at this moment, without the\n"
             "loading screen's fades (0 to 121; not with e)"},
    {.name = "--loop",
     .modes = PlayMode,
     .effectTest = false,
     .take = [](const std::string_view*, DriverOptions& o) { return o.loop = true; },
     .help = "start again at the end, until Escape (not with e)"},
    {.name = "--no-dialog",
     .take = [](const std::string_view*, DriverOptions&) { return true; },
     .help = "never ask the start-up choices (they are asked\n"
             "only without options, from a file manager)"},
    {.name = "--trace",
     .take = [](const std::string_view*, DriverOptions& o) { return o.trace = true; },
     .help = "one line per start-up and shutdown step on\n"
             "standard error"},
    {.name = "--screenshot",
     .values = "SECONDS FILE.png",
     .section = Section::Headless,
     .take =
         [](const std::string_view* v, DriverOptions& o) {
           ScreenshotRequest shot{};
           if (!SecondsInShow(v[0], shot.seconds) || !TakePath(v[1], shot.path)) return false;
           o.screenshots.push_back(shot);
           o.mode = DriverMode::Screenshot;
           return true;
         },
     .help = "write the frame of that moment (0 to 121) at\n"
             "--resolution; may be given several times;\n"
             "with e: labda's frame at that moment"},
    {.name = "--view",
     .values = "NAME",
     .section = Section::Headless,
     .modes =
         Bit(DriverMode::Screenshot) | Bit(DriverMode::Capture) | Bit(DriverMode::ContactSheet),
     .take = [](const std::string_view* v,
                DriverOptions& o) { return FindPipelineView(v[0], o.view); },
     .why = ViewReason,
     .help = "with --screenshot, --capture, --frames or\n"
             "--contact-sheet: draw a view inside the\n"
             "pipeline instead of the finished frame (at\n"
             "--resolution too; Views below)"},
    {.name = "--bench",
     .section = Section::Headless,
     .effectTest = false,
     .take =
         [](const std::string_view*, DriverOptions& o) {
           o.mode = DriverMode::Bench;
           return true;
         },
     .help = "time every scene module and the whole show\n"
             "(at --resolution, with --threads)"},
    {.name = "--reference",
     .section = Section::Headless,
     .modes = Bit(DriverMode::Bench),
     .take = [](const std::string_view*, DriverOptions& o) { return o.reference = true; },
     .help = "with --bench: use the plain reference routines"},
    {.name = "--capture",
     .values = "FILE.mp4",
     .section = Section::Headless,
     .effectTest = false,
     .take =
         [](const std::string_view* v, DriverOptions& o) {
           o.mode = DriverMode::Capture;
           return TakePath(v[0], o.capturePath);
         },
     .help = "render the show to a video with its music\n"
             "(needs the ffmpeg program); the container\n"
             "follows the extension (.mp4 .m4v .mov .mkv\n"
             ".webm .ts); a device, FIFO or stream without\n"
             "one gets Matroska"},
    {.name = "--fps",
     .values = "N",
     .section = Section::Headless,
     .modes = Bit(DriverMode::Capture),
     .take = [](const std::string_view* v,
                DriverOptions& o) { return ParseInt(v[0], 1, MaxFps, o.fps); },
     .help = "capture frames a second, 1 to 240 (default 60)"},
    {.name = "--duration",
     .values = "SECONDS",
     .section = Section::Headless,
     .modes = Bit(DriverMode::Capture),
     .take =
         [](const std::string_view* v, DriverOptions& o) {
           return ParseSeconds(v[0], o.durationSeconds) && o.durationSeconds > 0.0;
         },
     .help = "capture only the first SECONDS"},
    {.name = "--frames",
     .values = "DIR",
     .section = Section::Headless,
     .effectTest = false,
     .take =
         [](const std::string_view* v, DriverOptions& o) {
           o.mode = DriverMode::Capture;
           return TakePath(v[0], o.framesDir);
         },
     .help = "capture to DIR/frame_000000.png ... instead\n"
             "of a video; the frames are written under\n"
             "temporary names and renamed into place only\n"
             "when the whole capture succeeded; like the\n"
             "video, the classic frame letterboxed and\n"
             "enlarged (--scale), another --resolution's\n"
             "at its own size unless --scale is given"},
    {.name = "--contact-sheet",
     .values = "FILE.png",
     .section = Section::Headless,
     .effectTest = false,
     .take =
         [](const std::string_view* v, DriverOptions& o) {
           o.mode = DriverMode::ContactSheet;
           return TakePath(v[0], o.contactSheetPath);
         },
     .help = "the middle frame of every slot and of labda,\n"
             "labelled, in one picture"},
    {.name = "--version",
     .section = Section::Headless,
     .take =
         [](const std::string_view*, DriverOptions& o) {
           o.mode = DriverMode::Version;
           return true;
         },
     .help = "the version and the commit it was built from"},
    {.name = "--help",
     .alias = "-h",
     .section = Section::Headless,
     .take = [](const std::string_view*, DriverOptions&) { return true; },
     .help = "this text"},
};

constexpr std::size_t HelpColumn = 27;

// "  --name VALUES" padded to the help column (or on a line of its own when
// longer), then the help lines, each further one indented to the column.
std::string HelpLines(const OptionRow& row) {
  std::string left = "  " + std::string(row.name);
  if (!row.alias.empty()) left += ", " + std::string(row.alias);
  if (!row.values.empty()) left += " " + std::string(row.values);
  left += left.size() < HelpColumn ? std::string(HelpColumn - left.size(), ' ')
                                   : "\n" + std::string(HelpColumn, ' ');
  std::string help(row.help);
  for (std::size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1))
    help.insert(at + 1, std::string(HelpColumn, ' '));
  return left + help + "\n";
}

std::size_t ValueCount(const OptionRow& row) {
  if (row.values.empty()) return 0;
  return 1 + static_cast<std::size_t>(std::count(row.values.begin(), row.values.end(), ' '));
}

const OptionRow* FindOption(std::string_view arg) {
  for (const OptionRow& row : Options)
    if (arg == row.name || (!row.alias.empty() && arg == row.alias)) return &row;
  return nullptr;
}

std::string_view ModeName(DriverMode mode) {
  switch (mode) {
    case DriverMode::Play:
      return "playing";
    case DriverMode::Screenshot:
      return "--screenshot";
    case DriverMode::Bench:
      return "--bench";
    case DriverMode::Capture:
      return "--capture";
    case DriverMode::ContactSheet:
      return "--contact-sheet";
    case DriverMode::Help:
    case DriverMode::Version:
      break;
  }
  return "--help";
}

// What the options given do not allow together; empty when they fit.
std::string Misfit(const DriverOptions& options, const std::vector<const OptionRow*>& given) {
  if (options.nativeResolution && options.mode != DriverMode::Play)
    return "--resolution native applies to playing only (" + std::string(ModeName(options.mode)) +
           " needs WxH)";
  for (const OptionRow* row : given) {
    if (options.effectTest && !row->effectTest)
      return std::string(row->name) + " does not apply to the effect test (e)";
    if ((row->modes & Bit(options.mode)) == 0) {
      std::string where;
      for (DriverMode mode : {DriverMode::Play, DriverMode::Screenshot, DriverMode::Bench,
                              DriverMode::Capture, DriverMode::ContactSheet}) {
        if ((row->modes & Bit(mode)) != 0)
          where += (where.empty() ? "" : " and ") + std::string(ModeName(mode));
      }
      return std::string(row->name) + " applies to " + where + " only";
    }
  }
  return {};
}

}  // namespace

std::string HelpText() {
  std::string text =
      "usage: vx1 [e] [OPTIONS]\n"
      "Plays the show full screen with its music; Escape ends it.\n"
      "Started without options from a file manager or a desktop menu, it\n"
      "first asks: full screen or a window, classic or sharp, sound, loop.\n"
      "A first argument \"e\" runs the labda scene alone on the system timer\n"
      "(the effect test).\n";
  for (Section section : {Section::Playing, Section::Headless}) {
    text += section == Section::Playing
                ? "\nPlaying:\n"
                : "\nHeadless (no window, no sound; one of these at a time):\n";
    for (const OptionRow& row : Options)
      if (row.section == section) text += HelpLines(row);
  }
  text += "\nViews (--view NAME, the V key):\n";
  for (const PipelineViewRow& view : PipelineViews()) {
    std::string left = "  " + std::string(view.name);
    left.resize(HelpColumn, ' ');
    text += left + std::string(view.help) + "\n";
  }
  return text +
         "\n"
         "Keys while the show plays (not in the effect test):\n"
         "  Space, P                 pause and resume (the music with it)\n"
         "  Left, Right              back, forward 5 s (with Shift 1 s)\n"
         "  Up, Down                 to the start of the previous, next slot\n"
         "                           (also Page Up, Page Down)\n"
         "  Home                     to the start of the show\n"
         "  , .                      while paused: one frame (1/60 s) back, forward\n"
         "  Tab                      a status line below the picture (over its\n"
         "                           bottom rows at another size): time, slot,\n"
         "                           frame size, frames a second, milliseconds of\n"
         "                           drawing; in a 3D scene with its figures: a\n"
         "                           second line of objects drawn and culled,\n"
         "                           polygons drawn, back-facing and clipped,\n"
         "                           vertices clipping added, and above the\n"
         "                           picture the pixels filled, the mean\n"
         "                           overdraw and the milliseconds of the stages\n"
         "                           (tracks, hierarchy, culling and transform,\n"
         "                           clipping and projection, fills, 2D finish)\n"
         "  R                        switch between the classic 320x200 show and\n"
         "                           the sharp one (--resolution, else native)\n"
         "  V                        the next view inside the pipeline (Views\n"
         "                           above); the status line names it\n"
         "  S                        a screenshot: the frame shown, at its size, as\n"
         "                           a PNG file in the pictures folder (else the\n"
         "                           current one); the status line says where\n"
         "  Escape                   end the show\n"
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
  std::vector<const OptionRow*> given;
  unsigned chosen = 0;  // the headless modes the options chose
  bool help = false, version = false;
  for (int i = options.effectTest ? 2 : 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg.empty() || arg[0] != '-') continue;  // plain words are ignored
    const OptionRow* row = FindOption(arg);
    if (row == nullptr) {
      error = "unknown option " + Quoted(arg);
      return false;
    }
    std::string_view values[2];
    const std::size_t count = ValueCount(*row);
    if (i + static_cast<int>(count) >= argc) {
      error = "option " + std::string(arg) + " needs a value";
      return false;
    }
    for (std::size_t k = 0; k < count; ++k) values[k] = argv[++i];
    if (!row->take(values, options)) {
      std::string shown;
      for (std::size_t k = 0; k < count; ++k) shown += (k ? " " : "") + Quoted(values[k]);
      error = "bad value " + shown + " for " + std::string(arg);
      if (row->why != nullptr) error += ": " + row->why(values);
      return false;
    }
    help = help || row->name == "--help";
    version = version || row->name == "--version";
    if (options.mode != DriverMode::Play && !version) chosen |= Bit(options.mode);
    given.push_back(row);
  }
  if (help || version) {
    options.mode = help ? DriverMode::Help : DriverMode::Version;
    return true;
  }
  if (std::popcount(chosen) > 1) {
    error = "--screenshot, --bench, --capture and --contact-sheet exclude each other";
    return false;
  }
  error = Misfit(options, given);
  return error.empty();
}

bool ParseResolution(std::string_view text, DriverOptions& options, std::string& why) {
  if (text == "native") {
    options.nativeResolution = true;
    return true;
  }
  // Digits, 'x', digits: no sign, no space, nothing else.
  const std::size_t cross = text.find('x');
  const auto digits = [](std::string_view part) {
    return !part.empty() && part.size() <= 5 &&
           std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (cross == std::string_view::npos || !digits(text.substr(0, cross)) ||
      !digits(text.substr(cross + 1))) {
    why = "expected WxH (such as 1920x1080) or native";
    return false;
  }
  int width = 0, height = 0;
  std::from_chars(text.data(), text.data() + cross, width);
  std::from_chars(text.data() + cross + 1, text.data() + text.size(), height);
  if (width < MinFrameWidth || width > MaxFrameWidth || height < MinFrameHeight ||
      height > MaxFrameHeight) {
    why = "the size must lie between " + std::to_string(MinFrameWidth) + "x" +
          std::to_string(MinFrameHeight) + " and " + std::to_string(MaxFrameWidth) + "x" +
          std::to_string(MaxFrameHeight);
    return false;
  }
  if (width % 2 != 0 || height % 2 != 0) {
    why = "width and height must be even";
    return false;
  }
  options.resolution = PackedFrame(width, height);
  options.nativeResolution = false;
  return true;
}

FrameSize RunFrameSize(const DriverOptions& options) {
  return options.nativeResolution ? NativeFrameSize() : options.resolution;
}

LibrarySearch LibraryCandidates(const std::string& requested, const std::string& exeDir) {
  namespace fs = std::filesystem;
  if (!requested.empty()) return LibrarySearch{{requested}, true};
  LibrarySearch search{{"vx-1.lib"}, false};
  if (exeDir.empty()) return search;
  // Each candidate once: run from the program's own folder, the current
  // folder's archive is the one beside the program.
  const auto add = [&search](const fs::path& candidate) {
    std::error_code ec;
    const fs::path at = fs::weakly_canonical(fs::absolute(candidate, ec), ec);
    for (const std::string& earlier : search.paths) {
      std::error_code ec2;
      if (!ec && fs::weakly_canonical(fs::absolute(PathOf(earlier), ec2), ec2) == at && !ec2)
        return;
    }
    search.paths.push_back(NameOf(candidate));
  };
  add(PathOf(exeDir) / "vx-1.lib");
#ifdef VX_PROGRAM_TO_DATA
  // Installed: the archive lies in the data folder, VX_PROGRAM_TO_DATA from
  // the programs' folder (../share/vx-1 for bin/ and share/vx-1/).
  add((PathOf(exeDir) / VX_PROGRAM_TO_DATA / "vx-1.lib").lexically_normal());
#endif
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

LibraryOpen RefuseArchive(std::string_view program, const std::string& path,
                          const std::string& reason) {
  std::fprintf(stderr, "%.*s: cannot open the data library %s: %s\n",
               static_cast<int>(program.size()), program.data(), path.c_str(), reason.c_str());
  std::fflush(stderr);
  return LibraryOpen::Refused;
}

// Joins the sharp archive lying beside the classic one at classicPath, when
// there is one. Without it the sharp show draws from the classic data, so a
// missing one is no error; one that is there but unusable is said on
// standard error and left out.
void AddSharpLibraryBeside(const DriverIo& io, std::string_view program,
                           const std::string& classicPath) {
  if (io.addLibrary == nullptr) return;
  const std::string path = NameOf(PathOf(classicPath).parent_path() / SharpLibraryFile);
  if (!SomethingAt(path)) return;
  std::string reason = UnusableArchive(path);
  if (reason.empty() && !io.addLibrary(path)) reason = "not a valid data library";
  if (reason.empty()) return;
  std::fprintf(stderr, "%.*s: the sharp data library %s is left out: %s\n",
               static_cast<int>(program.size()), program.data(), path.c_str(), reason.c_str());
  std::fflush(stderr);
}

}  // namespace

LibraryOpen OpenShowLibrary(const LibrarySearch& search, std::string_view program) {
  const DriverIo& io = CurrentDriverIo();
  for (const std::string& path : search.paths) {
    // Without --library a path with nothing there passes to the next; the
    // first thing found is the archive, and a refusal of it is final.
    if (!search.named && !SomethingAt(path)) continue;
    if (const std::string reason = UnusableArchive(path); !reason.empty())
      return RefuseArchive(program, path, reason);
    if (!io.openLibrary(path)) return RefuseArchive(program, path, "not a valid data library");
    AddSharpLibraryBeside(io, program, path);
    return LibraryOpen::Opened;
  }
  // No archive anywhere: the reader still gets the first name, so the run
  // goes on as with a missing archive (its pictures report "nincs ..." and
  // "Load Error").
  if (!search.paths.empty() && io.openLibrary(search.paths[0])) return LibraryOpen::Opened;
  std::string tried;
  for (const std::string& path : search.paths) tried += (tried.empty() ? "" : ", ") + path;
  std::fprintf(stderr, "%.*s: cannot open the data library (tried %s)\n",
               static_cast<int>(program.size()), program.data(), tried.c_str());
  std::fflush(stderr);
  return LibraryOpen::NoneFound;
}

}  // namespace vx
