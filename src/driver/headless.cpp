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

#include "datalib/datalib.h"
#include "driver/driver.h"
#include "fx2d/fx2d.h"
#include "platform/console.h"
#include "platform/picture.h"
#include "platform/video.h"
#include "raster/raster.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

constexpr int BenchFramesPerScene = 120;
constexpr int BenchWarmUpFrames = 3;
constexpr int BenchShowFrames = 480;
constexpr long double LabdaSpan = 1677.0L;  // the longest slot

// One module of the benchmark: drawn through the timeline across its
// slot(s), or (labda, in no slot) directly over a slot's length.
struct BenchScene {
  const char* name;
  bool direct;
};

constexpr BenchScene BenchScenes[] = {
    {"logo", false}, {"kinyit", false}, {"libiko", false}, {"blau", false}, {"box", false},
    {"labda", true}, {"effekt", false}, {"kommun", false}, {"evil", false}, {"danke", false},
};

// The demo time of sample i of count spread evenly across every slot of the
// named scene (the slots laid end to end).
long double SampleTime(const char* scene, int i, int count) {
  long double total = 0.0L;
  for (int k = 0; k < TimelineSlotCount; ++k)
    if (std::string_view(TimelineSlotAt(k).scene) == scene)
      total += TimelineSlotAt(k).end - TimelineSlotAt(k).begin;
  long double offset = (i + 0.5L) / count * total;
  for (int k = 0; k < TimelineSlotCount; ++k) {
    const TimelineSlot& slot = TimelineSlotAt(k);
    if (std::string_view(slot.scene) != scene) continue;
    const long double span = slot.end - slot.begin;
    if (offset < span) return slot.begin + offset;
    offset -= span;
  }
  return 0.0L;
}

double Milliseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void PrintLine(const char* format, auto... values) {
  char line[160];
  std::snprintf(line, sizeof line, format, values...);
  ConsoleWriteLine(line);
}

}  // namespace

std::uint32_t* StartHeadless(const LibrarySearch& libraries) {
  VideoOptions video{};
  video.backend = VideoBackend::Headless;
  ConfigureVideo(video);
  TraceStep("OpenLibrary");
  if (OpenShowLibrary(libraries) == LibraryOpen::Refused) return nullptr;
  TraceStep("StartVideo");
  if (StartVideo() != 0) return nullptr;
  std::uint32_t* fb = FrameBuffer();
  std::fill(fb, fb + FrameBufferBytes / 4, 0u);
  TraceStep("LoadAllScenes");
  LoadAllScenes();
  return fb;
}

void StopHeadless() {
  TraceStep("FreeAllScenes");
  FreeAllScenes();
  TraceStep("StopVideo");
  StopVideo();
}

int RunScreenshots(const DriverOptions& options, const LibrarySearch& libraries) {
  std::uint32_t* fb = StartHeadless(libraries);
  if (fb == nullptr) return 1;
  int status = 0;
  for (const ScreenshotRequest& shot : options.screenshots) {
    // Each shot starts from black, so a time that draws nothing is black.
    std::fill(fb, fb + ScreenPixels, 0u);
    RenderTimeline(ScreenshotTime(shot.seconds), fb);
    if (!WritePng(shot.path.c_str(), fb, ScreenWidth, ScreenHeight)) status = 1;
  }
  StopHeadless();
  return status;
}

int RunBench(const DriverOptions& options, const LibrarySearch& libraries) {
  if (options.reference) {
    UseReferenceFx2d(true);
    UseReferenceRaster(true);
  }
  std::uint32_t* fb = StartHeadless(libraries);
  if (fb == nullptr) return 1;
  using Clock = std::chrono::steady_clock;

  ConsoleWriteLine();
  ConsoleWriteLine(options.reference ? "Bench (reference routines)" : "Bench (optimised routines)");
  PrintLine("%-8s %7s %10s %10s %9s", "scene", "frames", "median ms", "p95 ms", "fps");
  std::vector<double> times(BenchFramesPerScene);
  for (const BenchScene& scene : BenchScenes) {
    auto draw = [&](int i) {
      if (scene.direct) {
        RenderLabda(static_cast<float>((i + 0.5L) / BenchFramesPerScene * LabdaSpan), fb);
      } else {
        RenderTimeline(static_cast<float>(SampleTime(scene.name, i, BenchFramesPerScene)), fb);
      }
    };
    for (int i = 0; i < BenchWarmUpFrames; ++i) draw(i);
    double total = 0.0;
    for (int i = 0; i < BenchFramesPerScene; ++i) {
      const auto start = Clock::now();
      draw(i);
      times[i] = Milliseconds(Clock::now() - start);
      total += times[i];
    }
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    const double median =
        (sorted[(BenchFramesPerScene - 1) / 2] + sorted[BenchFramesPerScene / 2]) / 2.0;
    // Nearest rank: the smallest time at or above 95 % of the frames.
    const double p95 = sorted[(BenchFramesPerScene * 95 + 99) / 100 - 1];
    const double fps = total > 0.0 ? BenchFramesPerScene * 1000.0 / total : 0.0;
    PrintLine("%-8s %7d %10.3f %10.3f %9.1f", scene.name, BenchFramesPerScene, median, p95, fps);
  }
  // The whole show: frames spread evenly over every drawn moment.
  double total = 0.0;
  for (int i = 0; i < BenchShowFrames; ++i) {
    const float t = static_cast<float>((i + 0.5L) / BenchShowFrames * TimelineLastDrawn);
    const auto start = Clock::now();
    RenderTimeline(t, fb);
    total += Milliseconds(Clock::now() - start);
  }
  const double mean = total / BenchShowFrames;
  PrintLine("%-8s %7d %10s %10s %9.1f", "show", BenchShowFrames, "", "",
            mean > 0.0 ? 1000.0 / mean : 0.0);
  PrintLine("show mean %.3f ms a frame", mean);
  StopHeadless();
  return 0;
}

int RunContactSheet(const DriverOptions& options, const LibrarySearch& libraries) {
  constexpr int Columns = 4;
  constexpr int Gap = 4;
  constexpr int LabelHeight = 12;
  constexpr int Tiles = TimelineSlotCount + 1;  // every slot, then labda
  constexpr int Rows = (Tiles + Columns - 1) / Columns;
  constexpr int CellHeight = LabelHeight + ScreenHeight;
  constexpr int SheetWidth = Columns * ScreenWidth + (Columns + 1) * Gap;
  constexpr int SheetHeight = Rows * CellHeight + (Rows + 1) * Gap;
  constexpr std::uint32_t Background = 0x202020;

  std::uint32_t* fb = StartHeadless(libraries);
  if (fb == nullptr) return 1;
  std::vector<std::uint32_t> sheet(static_cast<std::size_t>(SheetWidth) * SheetHeight, Background);
  for (int tile = 0; tile < Tiles; ++tile) {
    std::fill(fb, fb + ScreenPixels, 0u);
    char label[64];
    if (tile < TimelineSlotCount) {
      const TimelineSlot& slot = TimelineSlotAt(tile);
      const long double middle = (slot.begin + slot.end) / 2.0L;
      RenderTimeline(static_cast<float>(middle), fb);
      std::snprintf(label, sizeof label, "%d %s  %.2f S", tile + 1, slot.scene,
                    static_cast<double>(middle / 120.0L));
    } else {
      const float local = static_cast<float>(LabdaSpan / 2.0L);
      RenderLabda(local, fb);
      std::snprintf(label, sizeof label, "E labda  local %.0f", static_cast<double>(local));
    }
    const int left = Gap + (tile % Columns) * (ScreenWidth + Gap);
    const int top = Gap + (tile / Columns) * (CellHeight + Gap);
    for (int y = 0; y < LabelHeight; ++y)
      std::fill_n(sheet.data() + static_cast<std::size_t>(top + y) * SheetWidth + left, ScreenWidth,
                  0u);
    DrawLabel(sheet.data(), SheetWidth, SheetHeight, left + 3, top + 2, label, 0xFFFFFF);
    for (int y = 0; y < ScreenHeight; ++y)
      std::copy_n(
          fb + static_cast<std::size_t>(y) * ScreenWidth, ScreenWidth,
          sheet.data() + static_cast<std::size_t>(top + LabelHeight + y) * SheetWidth + left);
  }
  const bool written =
      WritePng(options.contactSheetPath.c_str(), sheet.data(), SheetWidth, SheetHeight);
  StopHeadless();
  return written ? 0 : 1;
}

}  // namespace vx
