// vxscan: draws the show headless at a fixed frame rate and looks for what a
// viewer reads as a fault: one-frame events (detect.h says what counts).
// Each frame is compared with the frames before and after it; the crawl is
// counted over the 120 frames around a slot's middle.
//
// With --resolution WxH the show is drawn at that size: the blocks grow with
// the frame, so that a dropout is the same share of the picture as in the
// classic frame and detail finer than a classic pixel moving fast does not
// count; the pixel boxes and the shares of pixels are of frames of that size.
//
// Errors are one line on standard error that starts "vxscan: " (a wrong
// command line adds the usage line, as vx1 does). Exit codes: 0 when every
// figure is within the limits asked for (none by default), 1 when one is not
// or the archive cannot be used, 2 for a wrong command line (as vx1).
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/console.h"
#include "base/parallel.h"
#include "base/pixels.h"
#include "datalib/datalib.h"
#include "detect.h"
#include "driver/driver.h"
#include "driver/driver_io.h"
#include "driver/frame_loop.h"
#include "driver/headless.h"
#include "driver/timeline.h"
#include "platform/video.h"

namespace {

// The slots are counted from the show itself, so a new slot needs no edit here.
std::string Usage() {
  return "usage: vxscan [--library LIB] [--fps N] [--slot K]... [--max-crawl PERCENT]\n"
         "              [--max-dropouts N] [--resolution WxH] [--threads N]\n"
         "  Draws every frame of the show's slots (all of them, or each slot K, 1 to " +
         std::to_string(vx::TimelineSlotCount()) +
         ")\n"
         "  from the data library LIB (default vx-1.lib in the current folder) at N\n"
         "  frames a second (1 to 240, default 60) and reports per slot the one-frame\n"
         "  dropouts (blocks of the picture that vanish or flash for one frame, listed\n"
         "  with their time) and the texture crawl (the share of pixels that jump by\n"
         "  more than 32 luminance levels for one frame, over the 120 frames around\n"
         "  the slot's middle). With --max-crawl (0 to 100) or --max-dropouts (0 to\n"
         "  100000) the exit code is 1 when a slot exceeds the limit. --resolution\n"
         "  draws the frames at W x H (even, 320x200 to 3840x2160; default 320x200),\n"
         "  --threads with N threads (1 to 64).\n";
}

constexpr int CrawlFrames = 120;
constexpr int MaxFps = 240;
// More than any slot has frames at MaxFps: the show lasts 121 s.
constexpr int MaxDropoutLimit = 100000;
constexpr const char* DefaultLibrary = "vx-1.lib";

struct Options {
  std::string library = DefaultLibrary;
  int fps = 60;
  std::vector<int> slots;  // 0-based
  double maxCrawl = -1.0;  // percent; negative: no limit
  int maxDropouts = -1;    // negative: no limit
  vx::DriverOptions show;  // --resolution and --threads, read as vx1 reads them
  bool help = false;
};

// One line of the report, shown at once: a scan takes minutes.
template <typename... Args>
void Report(const char* format, Args... args) {
  std::printf(format, args...);
  std::putchar('\n');
  std::fflush(stdout);
}

struct SlotReport {
  int frames = 0;
  int dropouts = 0;
  double crawlPercent = 0.0;
};

SlotReport ScanSlot(int index, int fps, const vx::FrameTarget& fb) {
  const vx::scan::Grid grid = vx::scan::GridOf(fb.size);
  const vx::TimelineSlot& slot = vx::TimelineSlotAt(index);
  const double ticksPerFrame = static_cast<double>(vx::TicksPerSecond) / fps;
  // Every frame n of the show's fixed-rate timing whose moment lies in the slot.
  const auto first =
      static_cast<std::uint64_t>(static_cast<double>(slot.begin) / ticksPerFrame) + 1;
  const auto last = static_cast<std::uint64_t>(static_cast<double>(slot.end) / ticksPerFrame) - 1;
  const std::uint64_t middle = (first + last) / 2;
  SlotReport report;
  vx::scan::Measured frames[3];
  std::uint64_t crawl = 0, crawlFrames = 0;
  for (std::uint64_t n = first; n <= last; ++n) {
    const float t = vx::CaptureFrameTime(n, fps);
    vx::DrawMoment({.index = n, .t = t, .scene = vx::FrameScene::Timeline, .fromBlack = true}, fb);
    const vx::scan::Measured& after = frames[n % 3];
    vx::scan::Measure(fb.pixels, grid, frames[n % 3]);
    ++report.frames;
    if (n < first + 2) continue;
    // The frame before this one is judged against its two neighbours.
    const vx::scan::Measured& before = frames[(n - 2) % 3];
    const vx::scan::Measured& judged = frames[(n - 1) % 3];
    if (const auto d = vx::scan::FindDropout(before, judged, after, grid)) {
      ++report.dropouts;
      Report("  dropout at %.3f s: %d blocks in x %d-%d, y %d-%d",
             (n - 1) / static_cast<double>(fps), d->blocks, d->left, d->right, d->top, d->bottom);
    }
    if (n - 1 + CrawlFrames / 2 >= middle && n - 1 < middle + CrawlFrames / 2) {
      crawl += vx::scan::CrawlPixels(before, judged, after);
      ++crawlFrames;
    }
  }
  if (crawlFrames > 0)
    report.crawlPercent = 100.0 * crawl / (crawlFrames * static_cast<std::uint64_t>(grid.pixels));
  return report;
}

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

// A whole number low..high in digits alone (no sign, no space). The length
// is checked before the text is converted, so no text overflows an int.
std::string WholeNumber(std::string_view text, int low, int high, int& out) {
  const std::string why =
      "expected a whole number from " + std::to_string(low) + " to " + std::to_string(high);
  if (text.empty() || text.size() > std::to_string(high).size() ||
      text.find_first_not_of("0123456789") != std::string_view::npos)
    return why;
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value < low || value > high) return why;
  out = value;
  return {};
}

// A share of the pixels, 0 to 100, in digits with at most one decimal point.
std::string Percent(std::string_view text, double& out) {
  const std::string why = "expected a percentage from 0 to 100";
  const std::string copy(text);
  if (copy.empty() || copy.find_first_not_of("0123456789.") != std::string::npos) return why;
  char* end = nullptr;
  const double value = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(value) || value > 100.0) return why;
  out = value;
  return {};
}

// One option: its name, whether a value follows it, and how the value is
// read into the options (empty when it was good, else why it is not).
struct OptionRow {
  std::string_view name;
  bool takesValue = true;
  std::string (*take)(std::string_view value, Options& options) = nullptr;
};

std::string TakeHelp(std::string_view, Options& options) {
  options.help = true;
  return {};
}

constexpr OptionRow OptionTable[] = {
    {.name = "--help", .takesValue = false, .take = TakeHelp},
    {.name = "-h", .takesValue = false, .take = TakeHelp},
    {.name = "--library",
     .take =
         [](std::string_view v, Options& o) {
           o.library = v;
           return std::string(v.empty() ? "expected a path" : "");
         }},
    {.name = "--fps",
     .take = [](std::string_view v, Options& o) { return WholeNumber(v, 1, MaxFps, o.fps); }},
    {.name = "--slot",
     .take =
         [](std::string_view v, Options& o) {
           int slot = 0;
           std::string why = WholeNumber(v, 1, vx::TimelineSlotCount(), slot);
           if (why.empty()) o.slots.push_back(slot - 1);
           return why;
         }},
    {.name = "--max-crawl",
     .take = [](std::string_view v, Options& o) { return Percent(v, o.maxCrawl); }},
    {.name = "--max-dropouts",
     .take = [](std::string_view v,
                Options& o) { return WholeNumber(v, 0, MaxDropoutLimit, o.maxDropouts); }},
    {.name = "--resolution",
     .take =
         [](std::string_view v, Options& o) {
           std::string why;
           if (!vx::ParseResolution(v, o.show, why)) return why;
           return std::string(o.show.nativeResolution ? "a headless scan needs WxH" : "");
         }},
    {.name = "--threads",
     .take = [](std::string_view v,
                Options& o) { return WholeNumber(v, 1, vx::MaxDrawThreads, o.show.threads); }},
};

// Reads the command line into options; the error without the program's
// name when it is wrong, else empty.
std::string ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    const OptionRow* row = nullptr;
    for (const OptionRow& candidate : OptionTable)
      if (candidate.name == arg) row = &candidate;
    if (row == nullptr) return "unknown option " + Quoted(arg);
    std::string_view value;
    if (row->takesValue) {
      if (i + 1 >= argc) return "option " + std::string(arg) + " needs a value";
      value = argv[++i];
    }
    if (const std::string why = row->take(value, options); !why.empty())
      return "bad value " + Quoted(value) + " for " + std::string(arg) + ": " + why;
  }
  return {};
}

// Opens the archive for the scan, which needs it: false, with one line
// naming the path and the reason, when it cannot be used. The driver's own
// opening is then told the archive is open, so that it neither reads the
// index a second time nor reports on vx1's behalf.
bool OpenScanLibrary(const std::string& path) {
  if (vx::OpenShowLibrary({.paths = {path}, .named = true}, "vxscan") != vx::LibraryOpen::Opened)
    return false;
  vx::DriverIo io = vx::CurrentDriverIo();
  io.openLibrary = [](std::string_view) { return true; };
  vx::SetDriverIo(io);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const std::string error = ParseArguments(argc, argv, options); !error.empty()) {
    std::fprintf(stderr, "vxscan: %s\nusage: vxscan [OPTIONS]   (vxscan --help lists them)\n",
                 error.c_str());
    return 2;
  }
  if (options.help) {
    vx::ConsoleWrite(Usage());
    return 0;
  }
  if (options.slots.empty())
    for (int k = 0; k < vx::TimelineSlotCount(); ++k) options.slots.push_back(k);

  vx::UseRealModules();
  if (!OpenScanLibrary(options.library)) return 1;
  if (options.show.threads > 0) vx::SetDrawThreads(options.show.threads);
  vx::ConfigureVideo(vx::VideoOptions{.backend = vx::VideoBackend::Headless});
  const vx::FrameTarget fb = vx::StartHeadless(
      vx::LibraryCandidates(options.library, std::string()), vx::RunFrameSize(options.show));
  if (fb.pixels == nullptr) return 1;
  if (fb.size != vx::ClassicFrame) Report("frames of %d x %d", fb.size.width, fb.size.height);
  bool withinLimits = true;
  for (int index : options.slots) {
    const SlotReport r = ScanSlot(index, options.fps, fb);
    Report("slot %2d %-7s frames %5d  dropouts %3d  crawl %.3f %%", index + 1,
           vx::TimelineSlotAt(index).module->name, r.frames, r.dropouts, r.crawlPercent);
    if (options.maxDropouts >= 0 && r.dropouts > options.maxDropouts) withinLimits = false;
    if (options.maxCrawl >= 0 && r.crawlPercent > options.maxCrawl) withinLimits = false;
  }
  vx::StopHeadless();
  return withinLimits ? 0 : 1;
}
