// The public fx2d names: plain fills and moves, and a table of routines that
// stands behind every other name. The table is chosen once (the optimised
// routines, with AVX2 where the processor has it, or the plain reference
// routines after UseReferenceFx2d(true)); each call costs one indirect jump
// and nothing per pixel.
#include <cstdint>
#include <cstring>

#include "fx2d/fx2d.h"
#include "fx2d/fx2d_internal.h"

namespace vx {
namespace {

struct Fx2dRoutines {
  decltype(&reference::AddScreen) addScreen;
  decltype(&reference::DarkenScreen) darkenScreen;
  decltype(&reference::LightenScreen) lightenScreen;
  decltype(&reference::CrossFade) crossFade;
  decltype(&reference::AddSpriteKeyed) addSpriteKeyed;
  decltype(&reference::SubSpriteKeyed) subSpriteKeyed;
  decltype(&reference::RadialBlur) radialBlur;
  decltype(&reference::GlowLeft) glowLeft;
  decltype(&reference::GlowUp) glowUp;
  decltype(&reference::GlowRight) glowRight;
  decltype(&reference::GlowDown) glowDown;
};

constexpr Fx2dRoutines referenceRoutines{
    reference::AddScreen,  reference::DarkenScreen,   reference::LightenScreen,
    reference::CrossFade,  reference::AddSpriteKeyed, reference::SubSpriteKeyed,
    reference::RadialBlur, reference::GlowLeft,       reference::GlowUp,
    reference::GlowRight,  reference::GlowDown};

Fx2dRoutines MakeFastRoutines() {
#if defined(__SSE2__)
  Fx2dRoutines r{fx2d::sse2::AddScreen,  fx2d::sse2::DarkenScreen,   fx2d::sse2::LightenScreen,
                 fx2d::sse2::CrossFade,  fx2d::sse2::AddSpriteKeyed, fx2d::sse2::SubSpriteKeyed,
                 fx2d::sse2::RadialBlur, fx2d::sse2::GlowLeft,       fx2d::sse2::GlowUp,
                 fx2d::sse2::GlowRight,  fx2d::sse2::GlowDown};
  if (fx2d::avx2::Supported()) {
    r.addScreen = fx2d::avx2::AddScreen;
    r.darkenScreen = fx2d::avx2::DarkenScreen;
    r.radialBlur = fx2d::avx2::RadialBlur;
    r.glowUp = fx2d::avx2::GlowUp;
    r.glowDown = fx2d::avx2::GlowDown;
  }
  return r;
#else
  // Without SSE2 the plain routines are the only ones.
  return referenceRoutines;
#endif
}

const Fx2dRoutines& FastRoutines() {
  static const Fx2dRoutines fast = MakeFastRoutines();
  return fast;
}

const Fx2dRoutines* chosen = nullptr;  // nullptr: the optimised routines

const Fx2dRoutines& Routines() {
  if (chosen == nullptr) chosen = &FastRoutines();
  return *chosen;
}

}  // namespace

void UseReferenceFx2d(bool useReference) {
  chosen = useReference ? &referenceRoutines : &FastRoutines();
}

void ClearScreen(std::uint32_t* dst) {
  std::memset(dst, 0, ScreenPixels * sizeof *dst);
}

void CopyScreen(const std::uint32_t* src, std::uint32_t* dst) {
  std::memmove(dst, src, ScreenPixels * sizeof *dst);
}

void AddScreen(const std::uint32_t* src, std::uint32_t* dst) {
  Routines().addScreen(src, dst);
}

void DarkenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                  std::uint8_t k) {
  Routines().darkenScreen(src, dst, count, k);
}

void LightenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                   std::uint8_t k) {
  Routines().lightenScreen(src, dst, count, k);
}

void CrossFade(const std::uint32_t* a, const std::uint32_t* b, std::uint32_t* dst,
               std::uint32_t count, std::uint8_t k) {
  Routines().crossFade(a, b, dst, count, k);
}

void AddSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                    const std::uint32_t* sprite, std::uint32_t* dst, std::uint32_t key) {
  Routines().addSpriteKeyed(x, y, width, height, sprite, dst, key);
}

void SubSpriteKeyed(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                    const std::uint32_t* sprite, std::uint32_t* dst, std::uint32_t key) {
  Routines().subSpriteKeyed(x, y, width, height, sprite, dst, key);
}

void RadialBlur(std::int32_t cx, std::int32_t cy, std::uint8_t strength, std::uint8_t gain,
                std::uint32_t* fb) {
  Routines().radialBlur(cx, cy, strength, gain, fb);
}

void GlowLeft(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
              std::uint32_t* buffer) {
  Routines().glowLeft(spread, gain, width, height, buffer);
}

void GlowUp(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
            std::uint32_t* buffer) {
  Routines().glowUp(spread, gain, width, height, buffer);
}

void GlowRight(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
               std::uint32_t* buffer) {
  Routines().glowRight(spread, gain, width, height, buffer);
}

void GlowDown(std::uint16_t spread, std::uint16_t gain, std::uint32_t width, std::uint32_t height,
              std::uint32_t* buffer) {
  Routines().glowDown(spread, gain, width, height, buffer);
}

}  // namespace vx
