// Frame-buffer effects and pixel operations on a 320 x 200 random image:
// each pass through the plain reference routine and through the optimised
// one behind the public name (SSE2, or AVX2 where the processor has it).
// The work of every routine is independent of the pixel values, so passes
// run repeatedly on the same image in place.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "fx2d/fx2d.h"

namespace {

std::vector<std::uint32_t> RandomScreen(unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint32_t> pixels(vx::ScreenPixels);
  for (std::uint32_t& p : pixels) p = static_cast<std::uint32_t>(rng());
  return pixels;
}

using Glow = void (*)(std::uint16_t, std::uint16_t, std::uint32_t, std::uint32_t, std::uint32_t*);

void RunGlow(benchmark::State& state, Glow glow) {
  std::vector<std::uint32_t> screen = RandomScreen(1);
  for (auto _ : state) {
    glow(50, 15, 320, 200, screen.data());
    benchmark::DoNotOptimize(screen.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * vx::ScreenPixels);
}

void RunRadialBlur(benchmark::State& state, void (*blur)(std::int32_t, std::int32_t, std::uint8_t,
                                                         std::uint8_t, std::uint32_t*)) {
  vx::BuildRadialTable();
  std::vector<std::uint32_t> screen = RandomScreen(2);
  for (auto _ : state) {
    blur(160, 100, 140, 10, screen.data());
    benchmark::DoNotOptimize(screen.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * vx::ScreenPixels);
  vx::FreeRadialTable();
}

template <typename Pass>
void RunPixelOp(benchmark::State& state, Pass pass) {
  const std::vector<std::uint32_t> picture = RandomScreen(3);
  std::vector<std::uint32_t> screen = RandomScreen(4);
  for (auto _ : state) {
    pass(picture.data(), screen.data());
    benchmark::DoNotOptimize(screen.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * vx::ScreenPixels);
}

// ---- effects --------------------------------------------------------------
void GlowLeftReference(benchmark::State& s) {
  RunGlow(s, vx::reference::GlowLeft);
}
void GlowLeftFast(benchmark::State& s) {
  RunGlow(s, vx::GlowLeft);
}
void GlowUpReference(benchmark::State& s) {
  RunGlow(s, vx::reference::GlowUp);
}
void GlowUpFast(benchmark::State& s) {
  RunGlow(s, vx::GlowUp);
}
void GlowRightReference(benchmark::State& s) {
  RunGlow(s, vx::reference::GlowRight);
}
void GlowRightFast(benchmark::State& s) {
  RunGlow(s, vx::GlowRight);
}
void GlowDownReference(benchmark::State& s) {
  RunGlow(s, vx::reference::GlowDown);
}
void GlowDownFast(benchmark::State& s) {
  RunGlow(s, vx::GlowDown);
}
void RadialBlurReference(benchmark::State& s) {
  RunRadialBlur(s, vx::reference::RadialBlur);
}
void RadialBlurFast(benchmark::State& s) {
  RunRadialBlur(s, vx::RadialBlur);
}

void BuildRadialTableOnce(benchmark::State& state) {
  for (auto _ : state) vx::BuildRadialTable();
  vx::FreeRadialTable();
}

BENCHMARK(GlowLeftReference);
BENCHMARK(GlowLeftFast);
BENCHMARK(GlowUpReference);
BENCHMARK(GlowUpFast);
BENCHMARK(GlowRightReference);
BENCHMARK(GlowRightFast);
BENCHMARK(GlowDownReference);
BENCHMARK(GlowDownFast);
BENCHMARK(RadialBlurReference);
BENCHMARK(RadialBlurFast);
BENCHMARK(BuildRadialTableOnce)->Unit(benchmark::kMillisecond);

// ---- pixel operations ---------------------------------------------------------
void ClearScreen(benchmark::State& s) {
  RunPixelOp(s, [](const std::uint32_t*, std::uint32_t* dst) { vx::ClearScreen(dst); });
}
void CopyScreen(benchmark::State& s) {
  RunPixelOp(s, vx::CopyScreen);
}
void AddScreenReference(benchmark::State& s) {
  RunPixelOp(s, vx::reference::AddScreen);
}
void AddScreenFast(benchmark::State& s) {
  RunPixelOp(s, vx::AddScreen);
}

template <auto Darken>
void DarkenInPlace(benchmark::State& s) {
  RunPixelOp(
      s, [](const std::uint32_t*, std::uint32_t* dst) { Darken(dst, dst, vx::ScreenPixels, 100); });
}
template <auto Lighten>
void LightenInPlace(benchmark::State& s) {
  RunPixelOp(s, [](const std::uint32_t*, std::uint32_t* dst) {
    Lighten(dst, dst, vx::ScreenPixels, 100);
  });
}
template <auto Fade>
void CrossFadeOnto(benchmark::State& s) {
  RunPixelOp(s, [](const std::uint32_t* a, std::uint32_t* dst) {
    Fade(a, dst, dst, vx::ScreenPixels, 100);
  });
}
template <auto Sprite>
void FullScreenSprite(benchmark::State& s) {
  RunPixelOp(s,
             [](const std::uint32_t* a, std::uint32_t* dst) { Sprite(0, 0, 320, 200, a, dst, 0); });
}

BENCHMARK(ClearScreen);
BENCHMARK(CopyScreen);
BENCHMARK(AddScreenReference);
BENCHMARK(AddScreenFast);
BENCHMARK(DarkenInPlace<vx::reference::DarkenScreen>)->Name("DarkenScreenReference");
BENCHMARK(DarkenInPlace<vx::DarkenScreen>)->Name("DarkenScreenFast");
BENCHMARK(LightenInPlace<vx::reference::LightenScreen>)->Name("LightenScreenReference");
BENCHMARK(LightenInPlace<vx::LightenScreen>)->Name("LightenScreenFast");
BENCHMARK(CrossFadeOnto<vx::reference::CrossFade>)->Name("CrossFadeReference");
BENCHMARK(CrossFadeOnto<vx::CrossFade>)->Name("CrossFadeFast");
BENCHMARK(FullScreenSprite<vx::reference::AddSpriteKeyed>)->Name("AddSpriteKeyedReference");
BENCHMARK(FullScreenSprite<vx::AddSpriteKeyed>)->Name("AddSpriteKeyedFast");
BENCHMARK(FullScreenSprite<vx::reference::SubSpriteKeyed>)->Name("SubSpriteKeyedReference");
BENCHMARK(FullScreenSprite<vx::SubSpriteKeyed>)->Name("SubSpriteKeyedFast");

}  // namespace

BENCHMARK_MAIN();
