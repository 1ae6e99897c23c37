// Frame-buffer effects and pixel operations on a 320 x 200 random image,
// each routine once per distinct version among the tables the processor runs
// ("GlowUp/plain", "GlowUp/sse2", "GlowUp/avx2"; a table that reuses the
// version of the one before it is not timed twice). The work of every
// routine is independent of the pixel values, so passes run repeatedly on
// the same images in place.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "fx2d/fx2d.h"

namespace {

using vx::Fx2dRoutines;

std::vector<std::uint32_t> RandomScreen(unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint32_t> pixels(vx::ScreenPixels);
  for (std::uint32_t& p : pixels) p = static_cast<std::uint32_t>(rng());
  return pixels;
}

// Times pass(picture, screen), screen changed in place.
template <typename Pass>
void RunPass(benchmark::State& state, Pass pass) {
  const std::vector<std::uint32_t> picture = RandomScreen(3);
  std::vector<std::uint32_t> screen = RandomScreen(4);
  for (auto _ : state) {
    pass(picture.data(), screen.data());
    benchmark::DoNotOptimize(screen.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * vx::ScreenPixels);
}

// Registers name/variant for each distinct version of the table entry
// Routine; call(routine, picture, screen) runs it once.
template <auto Routine, typename Call>
void RegisterVersions(const char* name, Call call) {
  std::remove_cvref_t<decltype(vx::PlainFx2d.*Routine)> previous = nullptr;
  for (const Fx2dRoutines* table : vx::Fx2dVariants()) {
    const auto routine = table->*Routine;
    if (routine == previous) continue;
    previous = routine;
    benchmark::RegisterBenchmark(
        (std::string(name) + "/" + table->name).c_str(), [routine, call](benchmark::State& state) {
          RunPass(state, [&](const std::uint32_t* picture, std::uint32_t* screen) {
            call(routine, picture, screen);
          });
        });
  }
}

void RegisterAll() {
  // ---- effects ------------------------------------------------------------
  const auto glow = [](Fx2dRoutines::Glow* pass, const std::uint32_t*, std::uint32_t* screen) {
    pass(50, 15, 320, 200, screen);
  };
  RegisterVersions<&Fx2dRoutines::glowLeft>("GlowLeft", glow);
  RegisterVersions<&Fx2dRoutines::glowUp>("GlowUp", glow);
  RegisterVersions<&Fx2dRoutines::glowRight>("GlowRight", glow);
  RegisterVersions<&Fx2dRoutines::glowDown>("GlowDown", glow);
  RegisterVersions<&Fx2dRoutines::radialBlur>(
      "RadialBlur", [](Fx2dRoutines::Blur* blur, const std::uint32_t*, std::uint32_t* screen) {
        blur(160, 100, 140, 10, screen);
      });
  benchmark::RegisterBenchmark("BuildRadialTableOnce", [](benchmark::State& state) {
    for (auto _ : state) vx::BuildRadialTable();
  })->Unit(benchmark::kMillisecond);

  // ---- pixel operations -----------------------------------------------------
  benchmark::RegisterBenchmark("ClearScreen", [](benchmark::State& state) {
    RunPass(state, [](const std::uint32_t*, std::uint32_t* screen) { vx::ClearScreen(screen); });
  });
  benchmark::RegisterBenchmark("CopyScreen",
                               [](benchmark::State& state) { RunPass(state, vx::CopyScreen); });
  RegisterVersions<&Fx2dRoutines::addScreen>(
      "AddScreen", [](Fx2dRoutines::Add* add, const std::uint32_t* picture, std::uint32_t* screen) {
        add(picture, screen);
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
                             std::uint32_t* screen) { sprite(0, 0, 320, 200, picture, screen, 0); };
  RegisterVersions<&Fx2dRoutines::addSpriteKeyed>("AddSpriteKeyed", fullScreen);
  RegisterVersions<&Fx2dRoutines::subSpriteKeyed>("SubSpriteKeyed", fullScreen);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RegisterAll();
  vx::BuildRadialTable();  // for the blur
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  vx::FreeRadialTable();
  return 0;
}
