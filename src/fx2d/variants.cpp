// The three tables of fx2d routines and the choice among them. The choice is
// made once while the program starts: the fastest table the processor runs
// (AVX2 where it has it, else SSE2, the x86-64 baseline and what WebAssembly
// SIMD offers); UseReferenceFx2d swaps the plain table in and out. A call
// through the table costs one indirect jump and nothing per pixel.
#include <cstdint>
#include <span>

#include "fx2d/fx2d.h"
#include "fx2d/fx2d_internal.h"

namespace vx {

constexpr Fx2dRoutines PlainFx2d{
    .name = "plain",
    .addScreen = fx2d::plain::AddScreen,
    .darkenScreen = fx2d::plain::DarkenScreen,
    .lightenScreen = fx2d::plain::LightenScreen,
    .crossFade = fx2d::plain::CrossFade,
    .addSpriteKeyed = fx2d::plain::AddSpriteKeyed,
    .subSpriteKeyed = fx2d::plain::SubSpriteKeyed,
    .radialBlur = fx2d::plain::RadialBlur,
    .glowLeft = fx2d::plain::GlowLeft,
    .glowUp = fx2d::plain::GlowUp,
    .glowRight = fx2d::plain::GlowRight,
    .glowDown = fx2d::plain::GlowDown,
};

namespace {

#if defined(__SSE2__)
constexpr Fx2dRoutines Sse2Fx2d{
    .name = "sse2",
    .addScreen = fx2d::sse2::AddScreen,
    .darkenScreen = fx2d::sse2::DarkenScreen,
    .lightenScreen = fx2d::sse2::LightenScreen,
    .crossFade = fx2d::sse2::CrossFade,
    .addSpriteKeyed = fx2d::sse2::AddSpriteKeyed,
    .subSpriteKeyed = fx2d::sse2::SubSpriteKeyed,
    .radialBlur = fx2d::sse2::RadialBlur,
    .glowLeft = fx2d::sse2::GlowLeft,
    .glowUp = fx2d::sse2::GlowUp,
    .glowRight = fx2d::sse2::GlowRight,
    .glowDown = fx2d::sse2::GlowDown,
};

#if defined(__x86_64__) || defined(__i386__)
// The SSE2 table with the routines that gain from 256-bit vectors replaced.
constexpr Fx2dRoutines WithAvx2(Fx2dRoutines table) {
  table.name = "avx2";
  table.addScreen = fx2d::avx2::AddScreen;
  table.darkenScreen = fx2d::avx2::DarkenScreen;
  table.radialBlur = fx2d::avx2::RadialBlur;
  table.glowUp = fx2d::avx2::GlowUp;
  table.glowDown = fx2d::avx2::GlowDown;
  return table;
}
constexpr Fx2dRoutines Avx2Fx2d = WithAvx2(Sse2Fx2d);

constexpr const Fx2dRoutines* AllVariants[] = {&PlainFx2d, &Sse2Fx2d, &Avx2Fx2d};
std::span<const Fx2dRoutines* const> RunnableVariants() {
  return {AllVariants, fx2d::avx2::Supported() ? 3u : 2u};
}
#else
// SSE2 through WebAssembly SIMD, which has no 256-bit vectors.
constexpr const Fx2dRoutines* AllVariants[] = {&PlainFx2d, &Sse2Fx2d};
std::span<const Fx2dRoutines* const> RunnableVariants() {
  return AllVariants;
}
#endif
#else
// Without SSE2 the plain routines are the only ones.
constexpr const Fx2dRoutines* AllVariants[] = {&PlainFx2d};
std::span<const Fx2dRoutines* const> RunnableVariants() {
  return AllVariants;
}
#endif

// Picked once while the program starts, before any caller can draw.
const std::span<const Fx2dRoutines* const> runnable = RunnableVariants();
const Fx2dRoutines* active = runnable.back();

}  // namespace

std::span<const Fx2dRoutines* const> Fx2dVariants() {
  return runnable;
}

const Fx2dRoutines& Fx2d() {
  return *active;
}

void UseReferenceFx2d(bool reference) {
  active = reference ? &PlainFx2d : runnable.back();
}

void RadialBlur(const Fx2dRoutines& table, std::int32_t cx, std::int32_t cy, std::uint8_t strength,
                std::uint8_t gain, const FrameSize& frame, std::uint32_t* fb) {
  table.radialBlur(cx, cy, strength, gain, frame, RadialPart::Cross, fb);
  for (const RadialPart part : RadialInteriors)
    table.radialBlur(cx, cy, strength, gain, frame, part, fb);
}

}  // namespace vx
