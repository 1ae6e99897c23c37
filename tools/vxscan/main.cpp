// vxscan: draws the show headless at a fixed frame rate and looks for what a
// viewer reads as a fault: one-frame events. Each frame is compared with the
// frames before and after it.
//
//   dropout  touching blocks of 8 x 8 classic pixels whose mean luminance jumps away
//            from both neighbours in the same direction while the neighbours
//            agree: part of the picture vanished (or flashed) for exactly one
//            frame. Block means ignore texture detail moving under the camera.
//   crawl    the share of pixels whose luminance jumps by more than 32 levels
//            for one frame and comes back (away from both neighbours in the
//            same direction, the neighbours within 32 levels of each other),
//            over the 120 frames around a slot's middle:
//            texels that sparkle because a texture is too fine for the
//            distance it is seen at.
//
// With --resolution WxH the show is drawn at that size: the blocks grow with
// the frame (8 x FrameScale pixels a side, rounded), so that a dropout is the
// same share of the picture as in the classic frame and detail finer than a
// classic pixel moving fast does not count; the pixel boxes and the shares of
// pixels are of frames of that size.
//
// Exit codes: 0 when every figure is within the limits asked for (none by
// default), 1 when one is not or the archive cannot be used, 2 for a wrong
// command line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/parallel.h"
#include "base/pixels.h"
#include "driver/driver.h"
#include "driver/frame_loop.h"
#include "driver/frames.h"
#include "driver/headless.h"
#include "driver/timeline.h"
#include "platform/video.h"

namespace {

constexpr const char* Usage =
    "usage: vxscan [--library LIB] [--fps N] [--slot K]... [--max-crawl PERCENT]\n"
    "              [--max-dropouts N] [--resolution WxH] [--threads N]\n"
    "  Draws every frame of the show's slots (all eleven, or each slot K, 1 to 11)\n"
    "  at N frames a second (default 60) and reports per slot the one-frame\n"
    "  dropouts (blocks of the picture that vanish or flash for one frame, listed\n"
    "  with their time) and the texture crawl (the share of pixels that jump by\n"
    "  more than 32 luminance levels for one frame, over the 120 frames around\n"
    "  the slot's middle). With --max-crawl or --max-dropouts the exit code is 1\n"
    "  when a slot exceeds the limit. --resolution draws the frames at W x H\n"
    "  (even, 320x200 to 3840x2160; default 320x200), --threads with N threads.\n";

constexpr int ClassicBlock = 8;  // pixels a block's side at the classic size
constexpr int CrawlLevels = 32;      // a pixel's jump, in luminance levels 0..255
constexpr int DropoutLevels = 24;    // a block mean's jump away from both neighbours
constexpr int AgreeLevels = 6;       // neighbours' block means that agree
constexpr int MinDropoutBlocks = 2;  // touching blocks that make a dropout
constexpr int CrawlFrames = 120;

struct Options {
  std::string library;
  int fps = 60;
  std::vector<int> slots;  // 0-based
  double maxCrawl = -1.0;  // percent; negative: no limit
  int maxDropouts = -1;
  vx::DriverOptions show;  // --resolution and --threads, read as vx1 reads them
};

// The frame's size and its blocks of block x block pixels (the last partial
// block of a row or column is left out).
struct Grid {
  vx::FrameSize size;
  int block;
  int blocksX;
  int blocksY;
  int pixels;
};
Grid GridOf(const vx::FrameSize& size) {
  const int block = static_cast<int>(ClassicBlock * vx::FrameScale(size) + 0.5);
  return {.size = size,
          .block = block,
          .blocksX = size.width / block,
          .blocksY = size.height / block,
          .pixels = size.width * size.height};
}

// Luminance 0..255 of each pixel (0.30 R + 0.59 G + 0.11 B in 8.8).
// Packed rows of width pixels.
using Luma = std::vector<std::uint8_t>;
void ToLuma(const std::uint32_t* fb, const Grid& grid, Luma& out) {
  out.resize(static_cast<std::size_t>(grid.pixels));
  const int width = grid.size.width;
  for (int y = 0; y < grid.size.height; ++y) {
    const std::uint32_t* row = fb + static_cast<std::size_t>(y) * grid.size.pitch;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = row[x];
      out[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(
          (77 * ((c >> 16) & 0xFF) + 150 * ((c >> 8) & 0xFF) + 29 * (c & 0xFF)) >> 8);
    }
  }
}

std::vector<int> BlockMeans(const Luma& y, const Grid& grid) {
  std::vector<int> sums(static_cast<std::size_t>(grid.blocksX) * grid.blocksY, 0);
  const int block = grid.block;
  for (int row = 0; row < grid.blocksY * block; ++row)
    for (int x = 0; x < grid.blocksX * block; ++x)
      sums[(row / block) * grid.blocksX + x / block] +=
          y[static_cast<std::size_t>(row) * grid.size.width + x];
  for (int& s : sums) s /= block * block;
  return sums;
}

// Away from both neighbours by more than limit, in the same direction.
bool Spike(int before, int now, int after, int limit) {
  return (now - before > limit && now - after > limit) ||
         (before - now > limit && after - now > limit);
}

// The largest group of touching blocks (side or corner) that spiked, and the
// pixel box around it. Texture detail moving fast under the camera makes a
// stray block spike now and then; a part of the picture that vanishes
// covers blocks that touch.
struct Dropout {
  int blocks = 0;
  int left = 0, top = 0, right = 0, bottom = 0;
};

Dropout DropoutRegion(const std::vector<int>& a, const std::vector<int>& b,
                      const std::vector<int>& c, const Grid& grid) {
  const int blocksX = grid.blocksX, blocksY = grid.blocksY;
  std::vector<char> spiked(static_cast<std::size_t>(blocksX) * blocksY, 0);
  for (int i = 0; i < blocksX * blocksY; ++i)
    spiked[i] = Spike(a[i], b[i], c[i], DropoutLevels) && std::abs(a[i] - c[i]) <= AgreeLevels;
  Dropout largest;
  std::vector<int> stack;
  for (int start = 0; start < blocksX * blocksY; ++start) {
    if (!spiked[start]) continue;
    Dropout group{.left = grid.size.width, .top = grid.size.height};
    spiked[start] = 0;
    stack.assign(1, start);
    while (!stack.empty()) {
      const int i = stack.back();
      stack.pop_back();
      const int bx = i % blocksX, by = i / blocksX;
      ++group.blocks;
      const int block = grid.block;
      group.left = std::min(group.left, bx * block);
      group.top = std::min(group.top, by * block);
      group.right = std::max(group.right, bx * block + block - 1);
      group.bottom = std::max(group.bottom, by * block + block - 1);
      for (int ny = std::max(by - 1, 0); ny <= std::min(by + 1, blocksY - 1); ++ny) {
        for (int nx = std::max(bx - 1, 0); nx <= std::min(bx + 1, blocksX - 1); ++nx) {
          const int j = ny * blocksX + nx;
          if (spiked[j]) {
            spiked[j] = 0;
            stack.push_back(j);
          }
        }
      }
    }
    if (group.blocks > largest.blocks) largest = group;
  }
  return largest;
}

int CrawlPixels(const Luma& a, const Luma& b, const Luma& c) {
  int count = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    count += Spike(a[i], b[i], c[i], CrawlLevels) && std::abs(a[i] - c[i]) <= CrawlLevels;
  return count;
}

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
  const Grid grid = GridOf(fb.size);
  const vx::TimelineSlot& slot = vx::TimelineSlotAt(index);
  const double ticksPerFrame = 120.0 / fps;
  // Every frame n of the show's fixed-rate timing whose moment lies in the slot.
  const auto first =
      static_cast<std::uint64_t>(static_cast<double>(slot.begin) / ticksPerFrame) + 1;
  const auto last = static_cast<std::uint64_t>(static_cast<double>(slot.end) / ticksPerFrame) - 1;
  const std::uint64_t middle = (first + last) / 2;
  SlotReport report;
  Luma y[3];
  std::vector<int> means[3];
  std::uint64_t crawl = 0, crawlFrames = 0;
  for (std::uint64_t n = first; n <= last; ++n) {
    const float t = vx::CaptureFrameTime(n, fps);
    vx::DrawMoment({.index = n, .t = t, .scene = vx::FrameScene::Timeline, .fromBlack = true}, fb);
    const int k = static_cast<int>(n % 3);
    ToLuma(fb.pixels, grid, y[k]);
    means[k] = BlockMeans(y[k], grid);
    ++report.frames;
    if (n < first + 2) continue;
    // The frame before this one is judged against its two neighbours.
    const int a = static_cast<int>((n - 2) % 3), b = static_cast<int>((n - 1) % 3);
    const Dropout d = DropoutRegion(means[a], means[b], means[k], grid);
    if (d.blocks >= MinDropoutBlocks) {
      ++report.dropouts;
      Report("  dropout at %.3f s: %d blocks in x %d-%d, y %d-%d",
             (n - 1) / static_cast<double>(fps), d.blocks, d.left, d.right, d.top, d.bottom);
    }
    if (n - 1 + CrawlFrames / 2 >= middle && n - 1 < middle + CrawlFrames / 2) {
      crawl += CrawlPixels(y[a], y[b], y[k]);
      ++crawlFrames;
    }
  }
  if (crawlFrames > 0)
    report.crawlPercent = 100.0 * crawl / (crawlFrames * static_cast<std::uint64_t>(grid.pixels));
  return report;
}

bool ParseArguments(int argc, char** argv, Options& options, bool& help) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      help = true;
      return true;
    }
    if (i + 1 >= argc) return false;
    const std::string value = argv[++i];
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    const bool numeric = !value.empty() && *end == '\0';
    if (arg == "--library") {
      options.library = value;
    } else if (arg == "--resolution") {
      std::string why;
      if (!vx::ParseResolution(value, options.show, why) || options.show.nativeResolution) {
        std::fprintf(stderr, "vxscan: bad value '%s' for --resolution: %s\n", value.c_str(),
                     why.empty() ? "a headless scan needs WxH" : why.c_str());
        return false;
      }
    } else if (arg == "--threads" && numeric && number >= 1 && number <= vx::MaxDrawThreads &&
               number == int(number)) {
      options.show.threads = static_cast<int>(number);
    } else if (arg == "--fps" && numeric && number >= 1 && number <= 240 && number == int(number)) {
      options.fps = static_cast<int>(number);
    } else if (arg == "--slot" && numeric && number >= 1 && number <= vx::TimelineSlotCount() &&
               number == int(number)) {
      options.slots.push_back(static_cast<int>(number) - 1);
    } else if (arg == "--max-crawl" && numeric && number >= 0) {
      options.maxCrawl = number;
    } else if (arg == "--max-dropouts" && numeric && number >= 0 && number == int(number)) {
      options.maxDropouts = static_cast<int>(number);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  bool help = false;
  if (!ParseArguments(argc, argv, options, help)) {
    std::fprintf(stderr, "vxscan: bad command line\n%s", Usage);
    return 2;
  }
  if (help) {
    vx::ConsoleWrite(Usage);
    return 0;
  }
  if (options.slots.empty())
    for (int k = 0; k < vx::TimelineSlotCount(); ++k) options.slots.push_back(k);

  vx::UseRealModules();
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
