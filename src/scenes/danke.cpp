// danke: the closing picture scene. "danke.jpg" fades in from black, stays,
// and fades out to black, which it then keeps.
#include <cassert>

#include "fx2d/fx2d.h"
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

using namespace scenes;

constexpr std::uint32_t FadeInEnd = 256;     // c < 256: from black
constexpr std::uint32_t FadeOutStart = 900;  // 900 < c < 1156: to black
constexpr std::uint32_t Black = 1156;        // c >= 1156: black

Picture gDanke = {};

}  // namespace

void LoadDanke() {
  LoadScreenPicture("danke.jpg", gDanke);
}

void RenderDanke(float t, std::uint32_t* fb, const FrameSize& size) {
  assert(gDanke.pixels != nullptr);
  PrepareFrameSize(size);
  const std::uint32_t* picture = PictureForFrame(gDanke, size);
  const std::uint32_t c = LocalTickCount(t);
  ForEachFrameSpan(size, [&](std::uint32_t at, std::uint32_t n) {
    std::uint32_t* out = fb + at;
    CopyScreen(picture + at, out, n);
    if (c < FadeInEnd) Fx2d().darkenScreen(out, out, n, static_cast<std::uint8_t>(255 - c));
    if (c > FadeOutStart && c < Black) {
      Fx2d().darkenScreen(out, out, n, static_cast<std::uint8_t>(c - FadeOutStart));
    }
    if (c >= Black) ClearScreen(out, n);
  });
}

void FreeDanke() {
  ReleaseScreenPictures(&gDanke, 1);
}

const SceneModule DankeScene{
    .name = "danke",
    .load = LoadDanke,
    .free = FreeDanke,
    .render = [](float t, std::uint32_t* fb, const FrameSize& size,
                 std::int32_t) { RenderDanke(t, fb, size); },
};

}  // namespace vx
