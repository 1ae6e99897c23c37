// Frame-buffer effects and pixel operations on a 320 x 200 random image,
// each routine once per distinct version among the tables the processor runs
// ("GlowUp/plain", "GlowUp/sse2", "GlowUp/avx2"; a table that reuses the
// version of the one before it is not timed twice); the glow and the blur
// also at 1920 x 1080 with the parameters of that size ("GlowUp/1080/sse2").
// Items are pixels, so items per second compare across sizes. The work of
// every routine is independent of the pixel values, so passes run
// repeatedly on the same images in place.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "fx2d/fx2d.h"

namespace {

using vx::Fx2dRoutines;

constexpr vx::FrameSize Hd = vx::PackedFrame(1920, 1080);

std::vector<std::uint32_t> RandomScreen(unsigned seed, const vx::FrameSize& frame) {
  std::mt19937 rng(seed);
  std::vector<std::uint32_t> pixels(vx::FrameWords(frame));
  for (std::uint32_t& p : pixels) p = static_cast<std::uint32_t>(rng());
  return pixels;
}

// Times pass(picture, screen), screen changed in place.
template <typename Pass>
void RunPass(benchmark::State& state, const vx::FrameSize& frame, Pass pass) {
  const std::vector<std::uint32_t> picture = RandomScreen(3, frame);
  std::vector<std::uint32_t> screen = RandomScreen(4, frame);
  for (auto _ : state) {
    pass(picture.data(), screen.data());
    benchmark::DoNotOptimize(screen.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * std::int64_t(frame.width) * frame.height);
}

// Registers name/variant for each distinct version of the table entry
// Routine; call(routine, picture, screen) runs it once on a frame of the
// given size.
template <auto Routine, typename Call>
void RegisterVersions(const char* name, Call call, const vx::FrameSize& frame = vx::ClassicFrame) {
  std::remove_cvref_t<decltype(vx::PlainFx2d.*Routine)> previous = nullptr;
  for (const Fx2dRoutines* table : vx::Fx2dVariants()) {
    const auto routine = table->*Routine;
    if (routine == previous) continue;
    previous = routine;
    benchmark::RegisterBenchmark(
        (std::string(name) + "/" + table->name).c_str(),
        [routine, call, frame](benchmark::State& state) {
          if (frame == Hd) vx::BuildRadialTable(Hd);  // the blur's table for the size
          RunPass(state, frame, [&](const std::uint32_t* picture, std::uint32_t* screen) {
            call(routine, picture, screen);
          });
          vx::BuildRadialTable(vx::ClassicFrame);
        });
  }
}

void RegisterAll() {
  // ---- effects ------------------------------------------------------------
  // A pass over the whole frame: rows for left and right, columns for up and
  // down.
  const auto glowRows = [](const vx::FrameSize& frame) {
    return [frame](Fx2dRoutines::Glow* pass, const std::uint32_t*, std::uint32_t* screen) {
      pass(vx::ScaledGlow(50, 15, frame), frame, 0, frame.height, screen);
    };
  };
  const auto glowColumns = [](const vx::FrameSize& frame) {
    return [frame](Fx2dRoutines::Glow* pass, const std::uint32_t*, std::uint32_t* screen) {
      pass(vx::ScaledGlow(50, 15, frame), frame, 0, frame.width, screen);
    };
  };
  const auto blur = [](const vx::FrameSize& frame) {
    return [frame](Fx2dRoutines::Blur* routine, const std::uint32_t*, std::uint32_t* screen) {
      const std::int32_t cx = frame.width / 2, cy = frame.height / 2;
      routine(cx, cy, 140, 10, frame, vx::RadialPart::Cross, screen);
      for (const vx::RadialPart part : vx::RadialInteriors)
        routine(cx, cy, 140, 10, frame, part, screen);
    };
  };
  for (const vx::FrameSize& frame : {vx::ClassicFrame, Hd}) {
    const std::string size = frame == Hd ? "/1080" : "";
    RegisterVersions<&Fx2dRoutines::glowLeft>(("GlowLeft" + size).c_str(), glowRows(frame), frame);
    RegisterVersions<&Fx2dRoutines::glowUp>(("GlowUp" + size).c_str(), glowColumns(frame), frame);
    RegisterVersions<&Fx2dRoutines::glowRight>(("GlowRight" + size).c_str(), glowRows(frame),
                                               frame);
    RegisterVersions<&Fx2dRoutines::glowDown>(("GlowDown" + size).c_str(), glowColumns(frame),
                                              frame);
    RegisterVersions<&Fx2dRoutines::radialBlur>(("RadialBlur" + size).c_str(), blur(frame), frame);
  }
  for (const vx::FrameSize& frame : {vx::ClassicFrame, Hd, vx::PackedFrame(3840, 2160)}) {
    const std::string name =
        "BuildRadialTableOnce/" + std::to_string(frame.width) + "x" + std::to_string(frame.height);
    benchmark::RegisterBenchmark(name.c_str(), [frame](benchmark::State& state) {
      for (auto _ : state) {
        vx::FreeRadialTable();  // a size already built would cost nothing
        vx::BuildRadialTable(frame);
      }
      vx::BuildRadialTable(vx::ClassicFrame);
    })->Unit(benchmark::kMillisecond);
  }

  // ---- pixel operations -----------------------------------------------------
  const vx::FrameSize classic = vx::ClassicFrame;
  benchmark::RegisterBenchmark("ClearScreen", [classic](benchmark::State& state) {
    RunPass(state, classic, [](const std::uint32_t*, std::uint32_t* screen) {
      vx::ClearScreen(screen, vx::ScreenPixels);
    });
  });
  benchmark::RegisterBenchmark("CopyScreen", [classic](benchmark::State& state) {
    RunPass(state, classic, [](const std::uint32_t* picture, std::uint32_t* screen) {
      vx::CopyScreen(picture, screen, vx::ScreenPixels);
    });
  });
  RegisterVersions<&Fx2dRoutines::addScreen>(
      "AddScreen", [](Fx2dRoutines::Add* add, const std::uint32_t* picture, std::uint32_t* screen) {
        add(picture, screen, vx::ScreenPixels);
      });
  const auto inPlace = [](Fx2dRoutines::Blend* blend, const std::uint32_t*, std::uint32_t* screen) {
    blend(screen, screen, vx::ScreenPixels, 100);
  };
  RegisterVersions<&Fx2dRoutines::darkenScreen>("DarkenScreen", inPlace);
  RegisterVersions<&Fx2dRoutines::lightenScreen>("LightenScreen", inPlace);
  RegisterVersions<&Fx2dRoutines::crossFade>(
      "CrossFade",
      [](Fx2dRoutines::Fade* fade, const std::uint32_t* picture, std::uint32_t* screen) {
        fade(picture, screen, screen, vx::ScreenPixels, 100);
      });
  const auto fullScreen = [](Fx2dRoutines::Sprite* sprite, const std::uint32_t* picture,
                             std::uint32_t* screen) {
    sprite(0, 0, 320, 200, picture, screen, vx::ClassicFrame, vx::AllRows(vx::ClassicFrame), 0);
  };
  RegisterVersions<&Fx2dRoutines::addSpriteKeyed>("AddSpriteKeyed", fullScreen);
  RegisterVersions<&Fx2dRoutines::subSpriteKeyed>("SubSpriteKeyed", fullScreen);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RegisterAll();
  vx::BuildRadialTable(vx::ClassicFrame);  // for the blur
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  vx::FreeRadialTable();
  return 0;
}
