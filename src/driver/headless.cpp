// Headless modes on the real modules: screenshots, the benchmark table and
// the contact sheet. No window, no sound, no loading screen: the archive and
// every scene module are loaded, frames are drawn into the headless frame
// buffer (black at the start), and the program ends.
#include "driver/headless.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/parallel.h"
#include "driver/driver.h"
#include "driver/driver_io.h"
#include "driver/frame_loop.h"
#include "driver/sinks.h"
#include "driver/timeline.h"
#include "fx2d/fx2d.h"
#include "platform/picture.h"
#include "platform/video.h"
#include "raster/raster.h"
#include "scenes/scenes.h"
#include "views/views.h"

namespace vx {
namespace {

constexpr int BenchFramesPerScene = 120;
constexpr int BenchWarmUpFrames = 3;
constexpr int BenchShowFrames = 480;
// The figures' pass draws every this many of a row's moments: their means
// settle within a few frames, and the pass adds a quarter of the timed one.
constexpr std::size_t BenchFiguresStride = 4;
constexpr long double LabdaSpan = 1677.0L;  // the longest slot

// The demo time of sample i of count spread evenly across every slot of the
// module (the slots laid end to end); 0 when the module is in no slot.
long double SampleTime(const SceneModule* module, int i, int count) {
  long double total = 0.0L;
  for (const TimelineSlot& slot : CurrentShow().slots)
    if (slot.module == module) total += slot.end - slot.begin;
  long double offset = (i + 0.5L) / count * total;
  for (const TimelineSlot& slot : CurrentShow().slots) {
    if (slot.module != module) continue;
    const long double span = slot.end - slot.begin;
    if (offset < span) return slot.begin + offset;
    offset -= span;
  }
  return 0.0L;
}

void PrintLine(const char* format, auto... values) {
  char line[160];
  std::snprintf(line, sizeof line, format, values...);
  ConsoleWriteLine(line);
}

// Draws the moments of one row of the bench table (warm-up frames first,
// untimed) and returns each timed frame's milliseconds, from the moment it
// is handed out until the frame is taken: the drawing alone.
std::vector<double> TimeFrames(const std::vector<float>& times, FrameScene scene, int warmUp,
                               const FrameTarget& frame) {
  using Clock = std::chrono::steady_clock;
  const std::size_t frames = times.size() + static_cast<std::size_t>(warmUp);
  std::vector<double> milliseconds;
  Clock::time_point start;
  std::size_t next = 0;
  const auto clock = [&](FrameMoment& moment) {
    if (next == frames) return false;
    const std::size_t i = next < static_cast<std::size_t>(warmUp) ? next : next - warmUp;
    moment = {next++, times[i], scene, false};
    start = Clock::now();
    return true;
  };
  const auto timer = [&](const FrameMoment& moment, const FrameTarget&) {
    const auto spent = Clock::now() - start;
    if (moment.index >= static_cast<std::size_t>(warmUp))
      milliseconds.push_back(std::chrono::duration<double, std::milli>(spent).count());
    return true;
  };
  RunFrames(clock, timer, frame);
  return milliseconds;
}

// The scene a module is drawn through in the bench, and the moments of its
// rows: across its slot(s), or (the effect test's, in no slot) directly
// over a slot's length.
FrameScene BenchScene(const SceneModule* module) {
  return module == CurrentShow().effectTest ? FrameScene::EffectTest : FrameScene::Timeline;
}

std::vector<float> BenchTimes(const SceneModule* module) {
  const FrameScene scene = BenchScene(module);
  std::vector<float> times;
  for (int i = 0; i < BenchFramesPerScene; ++i) {
    times.push_back(static_cast<float>(scene == FrameScene::EffectTest
                                           ? (i + 0.5L) / BenchFramesPerScene * LabdaSpan
                                           : SampleTime(module, i, BenchFramesPerScene)));
  }
  return times;
}

// The pipeline's figures of the 3D frames at every BenchFiguresStride-th
// of times, summed (Add), and how many frames drew 3D.
struct FigureSums {
  int frames = 0;
  PipelineFigures total;
};

FigureSums SumFigures(const std::vector<float>& times, FrameScene scene, const FrameTarget& frame) {
  FigureSums sums;
  std::vector<FrameMoment> moments;
  for (std::size_t i = 0; i < times.size(); i += BenchFiguresStride)
    moments.push_back({0, times[i], scene, false});
  CountPipelineFigures(true);
  RunFrames(
      MomentList(std::move(moments)),
      [&](const FrameMoment&, const FrameTarget&) {
        if (LastPipelineFigures().drawn3d) {
          ++sums.frames;
          sums.total.Add(LastPipelineFigures());
        }
        return true;
      },
      frame);
  CountPipelineFigures(false);
  return sums;
}

// The second table of the bench: per scene the means per 3D frame of the
// status line's figures, from an untimed pass over every
// BenchFiguresStride-th of the rows' moments with the figures counted (the
// timed pass counts nothing).
void PrintFiguresTable(const FrameTarget& fb) {
  ConsoleWriteLine();
  ConsoleWriteLine("Pipeline (means per 3D frame)");
  PrintLine("%-8s %5s %5s %6s %6s %5s %6s %9s %5s %6s %6s %6s %6s %6s %6s", "scene", "obj", "cull",
            "poly", "back", "clip", "+vtx", "pixels", "over", "trk ms", "hie ms", "cul ms",
            "clp ms", "fil ms", "2d ms");
  for (const SceneModule* module : CurrentShow().modules) {
    const FigureSums sums = SumFigures(BenchTimes(module), BenchScene(module), fb);
    if (sums.frames == 0) {
      PrintLine("%-8s %5s", module->name, "no 3D");
      continue;
    }
    const PipelineFigures& f = sums.total;
    const auto mean = [&](auto total) { return static_cast<double>(total) / sums.frames; };
    const auto ms = [&](FrameStage stage) {
      return mean(f.milliseconds[static_cast<std::size_t>(stage)]);
    };
    PrintLine(
        "%-8s %5.0f %5.0f %6.0f %6.0f %5.0f %6.0f %9.0f %5.2f %6.3f %6.3f %6.3f %6.3f %6.3f %6.3f",
        module->name, mean(f.objectsDrawn), mean(f.objectsCulled), mean(f.polygonsDrawn),
        mean(f.polygonsBackFacing), mean(f.polygonsClipped), mean(f.clipVertices),
        mean(f.pixelsFilled), f.MeanOverdraw(), ms(FrameStage::Tracks), ms(FrameStage::Hierarchy),
        ms(FrameStage::CullTransform), ms(FrameStage::ClipProject), ms(FrameStage::Fills),
        ms(FrameStage::Finish));
  }
}

double Sum(const std::vector<double>& values) {
  double total = 0.0;
  for (double v : values) total += v;
  return total;
}

}  // namespace

FrameTarget StartHeadless(const LibrarySearch& libraries, const FrameSize& size) {
  TraceStep("OpenLibrary");
  if (OpenShowLibrary(libraries) == LibraryOpen::Refused) return {.pixels = nullptr, .size = size};
  TraceStep("StartVideo");
  if (StartVideo(size) != 0) return {.pixels = nullptr, .size = size};
  std::uint32_t* fb = FrameBuffer();
  std::fill_n(fb, FrameWords(size), 0u);
  TraceStep("LoadAllScenes");
  CurrentShow().loadAll();
  return {.pixels = fb, .size = size};
}

void StopHeadless() {
  TraceStep("FreeAllScenes");
  CurrentShow().freeAll();
  TraceStep("StopVideo");
  StopVideo();
}

int RunScreenshots(const DriverOptions& options, const LibrarySearch& libraries) {
  const FrameTarget fb = StartHeadless(libraries, RunFrameSize(options));
  if (fb.pixels == nullptr) return 1;
  // Each shot starts from black, so a time that draws nothing is black. A
  // failed write makes the exit code 1; the other files are still written.
  std::vector<std::string> paths;
  for (const ScreenshotRequest& shot : options.screenshots) paths.push_back(shot.path);
  bool failed = false;
  RunFrames(MomentList(ScreenshotMoments(options)), PngFilesSink(std::move(paths), failed), fb);
  StopHeadless();
  return failed ? 1 : 0;
}

int RunBench(const DriverOptions& options, const LibrarySearch& libraries) {
  if (options.reference) {
    UseReferenceFx2d(true);
    UseReferenceRaster(true);
  }
  const FrameTarget fb = StartHeadless(libraries, RunFrameSize(options));
  if (fb.pixels == nullptr) return 1;

  ConsoleWriteLine();
  // Threads draw only frames larger than the classic one.
  const int threads = fb.size == ClassicFrame ? 1 : DrawThreads();
  PrintLine("Bench (%s routines, %d x %d, %d thread%s)",
            options.reference ? "reference" : "optimised", fb.size.width, fb.size.height, threads,
            threads == 1 ? "" : "s");
  PrintLine("%-8s %7s %10s %10s %9s", "scene", "frames", "median ms", "p95 ms", "fps");
  // Every module in loading order, at its BenchTimes.
  for (const SceneModule* module : CurrentShow().modules) {
    std::vector<double> sorted =
        TimeFrames(BenchTimes(module), BenchScene(module), BenchWarmUpFrames, fb);
    std::sort(sorted.begin(), sorted.end());
    const double total = Sum(sorted);
    const double median =
        (sorted[(BenchFramesPerScene - 1) / 2] + sorted[BenchFramesPerScene / 2]) / 2.0;
    // Nearest rank: the smallest time at or above 95 % of the frames.
    const double p95 = sorted[(BenchFramesPerScene * 95 + 99) / 100 - 1];
    const double fps = total > 0.0 ? BenchFramesPerScene * 1000.0 / total : 0.0;
    PrintLine("%-8s %7d %10.3f %10.3f %9.1f", module->name, BenchFramesPerScene, median, p95, fps);
  }
  // The whole show: frames spread evenly over every drawn moment.
  std::vector<float> times;
  for (int i = 0; i < BenchShowFrames; ++i)
    times.push_back(static_cast<float>((i + 0.5L) / BenchShowFrames * TimelineLastDrawn));
  const double mean = Sum(TimeFrames(times, FrameScene::Timeline, 0, fb)) / BenchShowFrames;
  PrintLine("%-8s %7d %10s %10s %9.1f", "show", BenchShowFrames, "", "",
            mean > 0.0 ? 1000.0 / mean : 0.0);
  PrintLine("show mean %.3f ms a frame", mean);
  PrintFiguresTable(fb);
  StopHeadless();
  return 0;
}

namespace {

// The label of a contact sheet's tile: slot number, scene and moment, or the
// effect test's scene and its local time.
std::string TileLabel(const FrameMoment& moment) {
  char label[64];
  if (moment.scene == FrameScene::Timeline) {
    const TimelineSlot& slot = TimelineSlotAt(static_cast<int>(moment.index));
    std::snprintf(label, sizeof label, "%d %s  %.2f S", static_cast<int>(moment.index) + 1,
                  slot.module->name,
                  static_cast<double>((slot.begin + slot.end) / 2.0L / TicksPerSecond));
  } else {
    std::snprintf(label, sizeof label, "E %s  local %.0f", CurrentShow().effectTest->name,
                  static_cast<double>(moment.t));
  }
  return label;
}

}  // namespace

int RunContactSheet(const DriverOptions& options, const LibrarySearch& libraries) {
  const FrameTarget fb = StartHeadless(libraries, RunFrameSize(options));
  if (fb.pixels == nullptr) return 1;
  // Each slot's middle moment, then the effect test's, each tile from black.
  std::vector<FrameMoment> moments;
  for (int tile = 0; tile < TimelineSlotCount(); ++tile) {
    const TimelineSlot& slot = TimelineSlotAt(tile);
    moments.push_back(
        {0, static_cast<float>((slot.begin + slot.end) / 2.0L), FrameScene::Timeline, true});
  }
  moments.push_back({0, static_cast<float>(LabdaSpan / 2.0L), FrameScene::EffectTest, true});
  ContactSheet sheet(static_cast<int>(moments.size()), fb.size);
  RunFrames(MomentList(std::move(moments)), ContactSheetSink(sheet, TileLabel), fb);
  const bool written =
      WritePng(options.contactSheetPath.c_str(), sheet.pixels.data(), sheet.width, sheet.height);
  StopHeadless();
  return written ? 0 : 1;
}

float ScreenshotTime(double seconds) {
  return static_cast<float>(static_cast<long double>(seconds) * TicksPerSecond);
}

std::vector<FrameMoment> ScreenshotMoments(const DriverOptions& options) {
  const FrameScene scene = options.effectTest ? FrameScene::EffectTest : FrameScene::Timeline;
  std::vector<FrameMoment> moments;
  for (const ScreenshotRequest& shot : options.screenshots)
    moments.push_back({0, ScreenshotTime(shot.seconds), scene, true});
  return moments;
}

}  // namespace vx
