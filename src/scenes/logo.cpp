// logo: the opening picture scene. "ventrix.jpg" fades in from black, dissolves
// into "vx1.jpg", which fades out to black; every step is chosen by the whole
// tick c of the local time.
#include <cassert>

#include "fx2d/fx2d.h"
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

using namespace scenes;

constexpr std::uint32_t FadeInEnd = 256;      // c < 256: from black
constexpr std::uint32_t DissolveStart = 500;  // 500 < c < 756: A into B
constexpr std::uint32_t SecondPicture = 756;  // c >= 756: B
constexpr std::uint32_t FadeOutStart = 900;   // 900 < c < 1156: to black
constexpr std::uint32_t Black = 1156;         // c >= 1156: black

Picture gVentrix = {};  // A
Picture gVx1 = {};      // B

}  // namespace

void LoadLogo() {
  LoadScreenPicture("ventrix.jpg", gVentrix);
  LoadScreenPicture("vx1.jpg", gVx1);
}

void RenderLogo(float t, std::uint32_t* fb, const FrameSize& size) {
  assert(gVentrix.pixels != nullptr && gVx1.pixels != nullptr);
  PrepareFrameSize(size);
  const std::uint32_t* a = PictureForFrame(gVentrix, size);
  const std::uint32_t* b = PictureForFrame(gVx1, size);
  const std::uint32_t c = LocalTickCount(t);
  ForEachFrameSpan(size, [&](std::uint32_t at, std::uint32_t n) {
    std::uint32_t* out = fb + at;
    CopyScreen((c < SecondPicture ? a : b) + at, out, n);
    if (c < FadeInEnd) Fx2d().darkenScreen(out, out, n, static_cast<std::uint8_t>(255 - c));
    if (c > DissolveStart && c < SecondPicture) {
      Fx2d().crossFade(a + at, b + at, out, n, static_cast<std::uint8_t>(c - DissolveStart));
    }
    if (c > FadeOutStart && c < Black) {
      Fx2d().darkenScreen(out, out, n, static_cast<std::uint8_t>(c - FadeOutStart));
    }
    if (c >= Black) ClearScreen(out, n);
  });
}

void FreeLogo() {
  ReleaseScreenPictures(&gVentrix, 1);
  ReleaseScreenPictures(&gVx1, 1);
}

const SceneModule LogoScene{
    .name = "logo",
    .load = LoadLogo,
    .free = FreeLogo,
    .render = [](float t, std::uint32_t* fb, const FrameSize& size,
                 std::int32_t) { RenderLogo(t, fb, size); },
};

}  // namespace vx
