// Whole frames of the show: the timeline draws the middle moment of each slot
// from the build's own archive, as the main loop does, with the optimised and
// with the plain reference routines. vx1 --bench times many moments per
// scene; this gives the same work under Google Benchmark's statistics.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/parallel.h"
#include "datalib/datalib.h"
#include "driver/timeline.h"
#include "fx2d/fx2d.h"
#include "platform/music.h"
#include "raster/raster.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

bool LoadShowOnce() {
  static const bool loaded = [] {
    // The archive's progress lines would drown the table: send them to
    // /dev/null while loading, then give the table its standard output back.
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    if (saved < 0 || null < 0) return false;
    dup2(null, STDOUT_FILENO);
    close(null);
    const bool opened = OpenLibrary(VX_BINARY_DIR "/vx-1.lib");
    if (opened) {
      UseShow(RealShow());
      LoadAllScenes();
    }
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    return opened;
  }();
  return loaded;
}

void ShowFrame(benchmark::State& state, int slot, bool reference) {
  if (!LoadShowOnce()) {
    state.SkipWithError("no archive at " VX_BINARY_DIR "/vx-1.lib (build the content first)");
    return;
  }
  UseReferenceFx2d(reference);
  UseReferenceRaster(reference);
  const TimelineSlot& s = TimelineSlotAt(slot);
  const float t = static_cast<float>((s.begin + s.end) / 2);
  std::vector<std::uint32_t> frame(ScreenPixels);
  for (auto _ : state) {
    RenderTimeline(t, frame.data(), ClassicFrame);
    benchmark::DoNotOptimize(frame.data());
  }
  UseReferenceFx2d(false);
  UseReferenceRaster(false);
  state.SetLabel(s.module->name);
}

// The same middle moment drawn at a larger size by threads draw threads:
// real time (the threads' work is the frame's), the time per pixel against
// the classic frame's in the counter ns_per_pixel.
void SharpFrame(benchmark::State& state, int slot, FrameSize size, int threads) {
  if (!LoadShowOnce()) {
    state.SkipWithError("no archive at " VX_BINARY_DIR "/vx-1.lib (build the content first)");
    return;
  }
  const int savedThreads = DrawThreads();
  SetDrawThreads(threads);
  const TimelineSlot& s = TimelineSlotAt(slot);
  const float t = static_cast<float>((s.begin + s.end) / 2);
  std::vector<std::uint32_t> frame(FrameWords(size));
  RenderTimeline(t, frame.data(), size);  // the size's pictures and tables, once
  for (auto _ : state) {
    RenderTimeline(t, frame.data(), size);
    benchmark::DoNotOptimize(frame.data());
  }
  SetDrawThreads(savedThreads);
  state.counters["ns_per_pixel"] = benchmark::Counter(
      static_cast<double>(size.width) * size.height,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetLabel(s.module->name);
}

void RegisterSharpFrames() {
  for (const FrameSize size : {PackedFrame(1920, 1080), PackedFrame(3840, 2160)}) {
    for (int slot = 0; slot < TimelineSlotCount(); ++slot) {
      for (int threads : {1, 2}) {
        const std::string name = "SharpFrame/" + std::to_string(size.width) + "x" +
                                 std::to_string(size.height) + "/slot" + std::to_string(slot + 1) +
                                 "/" + TimelineSlotAt(slot).module->name + "/threads:" +
                                 std::to_string(threads);
        benchmark::RegisterBenchmark(name.c_str(), SharpFrame, slot, size, threads)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
      }
    }
  }
}

void RegisterShowFrames() {
  for (int slot = 0; slot < TimelineSlotCount(); ++slot) {
    for (bool reference : {false, true}) {
      std::string name = "ShowFrame/slot" + std::to_string(slot + 1) + "/" +
                         TimelineSlotAt(slot).module->name + (reference ? "/Reference" : "/Fast");
      benchmark::RegisterBenchmark(name.c_str(), ShowFrame, slot, reference)
          ->Unit(benchmark::kMicrosecond);
    }
  }
}

// A seek as the viewer's keys make one, natively: from SeekMusic until the
// frame of the new moment is drawn (frame_ms; the window shows it at the
// next present) and until the clock moves on from it, which it does once the
// audio device has asked for the new position's first samples (music_ms).
// SDL's audio output: the real device, or SDL_AUDIODRIVER=dummy where there
// is none (a device that pulls at the rate a real one does).
void SeekLatency(benchmark::State& state) {
  if (!LoadShowOnce()) {
    state.SkipWithError("no archive at " VX_BINARY_DIR "/vx-1.lib (build the content first)");
    return;
  }
  ConfigureMusic(MusicOptions{.backend = MusicBackend::Sdl});
  StartMusic(ShowMusic, 44100, false, false, true);
  SetMusicScale(static_cast<std::uint32_t>(TicksPerSecond));
  PlayMusic(false);
  std::vector<std::uint32_t> frame(ScreenPixels);
  using Clock = std::chrono::steady_clock;
  double frameMs = 0.0, musicMs = 0.0;
  int slot = 0;
  for (auto _ : state) {
    slot = (slot + 3) % TimelineSlotCount();
    const float target = TimelineSlotStart(slot) + 60.0f;
    const Clock::time_point start = Clock::now();
    SeekMusic(target);
    RenderTimeline(MusicTime(), frame.data(), ClassicFrame);
    const Clock::time_point drawn = Clock::now();
    while (MusicTime() <= target) std::this_thread::yield();
    const Clock::time_point heard = Clock::now();
    frameMs += std::chrono::duration<double, std::milli>(drawn - start).count();
    musicMs += std::chrono::duration<double, std::milli>(heard - start).count();
  }
  FreeMusic();
  const auto runs = static_cast<double>(state.iterations());
  state.counters["frame_ms"] = frameMs / runs;
  state.counters["music_ms"] = musicMs / runs;
}
BENCHMARK(SeekLatency)->Unit(benchmark::kMillisecond)->Iterations(60)->UseRealTime();

}  // namespace
}  // namespace vx

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  vx::RegisterShowFrames();
  vx::RegisterSharpFrames();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
