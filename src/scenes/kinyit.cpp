// kinyit: glowing scene with a picture subtracted and fades by local time.
// The timeline plays it twice, the second time backwards, so the
// same fades give a fade from near-white and then to black.
#include "fx2d/fx2d.h"
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

using namespace scenes;

constexpr FrameFactors Factors{0.287L};
constexpr std::uint32_t FadeInTicks = 256;   // c < 256: from black
constexpr std::uint32_t LightenStart = 800;  // 800 < c < 1056: toward white
constexpr std::uint32_t LightenEnd = 1056;

enum { KinyitPicture, BecsukPicture, PictureCount };

Scene* gScene = nullptr;
Picture gPictures[PictureCount] = {};

// From black over the first 256 ticks, toward white from tick 800 to 1056.
void FadeByLocalTime(float t, std::uint32_t* fb, const FrameSize& size) {
  const std::uint32_t c = LocalTickCount(t);
  if (c >= FadeInTicks && !(c > LightenStart && c < LightenEnd)) return;
  ForEachFrameSpan(size, [&](std::uint32_t at, std::uint32_t n) {
    std::uint32_t* out = fb + at;
    if (c < FadeInTicks) Fx2d().darkenScreen(out, out, n, static_cast<std::uint8_t>(255 - c));
    if (c > LightenStart && c < LightenEnd) {
      Fx2d().lightenScreen(out, out, n, static_cast<std::uint8_t>(c - LightenStart));
    }
  });
}

}  // namespace

void LoadKinyit() {
  LoadScene3d(gScene, "kinyit.3ds");
  LoadScreenPicture("kinyit.jpg", gPictures[KinyitPicture], PictureUse::Blended);
  LoadScreenPicture("becsuk.jpg", gPictures[BecsukPicture], PictureUse::Blended);
}

void RenderKinyit(float t, std::uint32_t* fb, const FrameSize& size, bool pictureChoice) {
  const PostProcessing post{
      .smear = Smear::Glow,
      .spread = 50,
      .gain = 5,
      .blend = Blend::Subtract,
      .picture = &gPictures[pictureChoice ? KinyitPicture : BecsukPicture],
      .fade = FadeByLocalTime,
  };
  RenderScene3d(gScene, t, Factors, FillPolygonPerspective, post, fb, size);
}

void FreeKinyit() {
  FreeScene3d(gScene);
  ReleaseScreenPictures(gPictures, PictureCount);
}

const SceneModule KinyitScene{
    .name = "kinyit",
    .load = LoadKinyit,
    .free = FreeKinyit,
    .render = [](float t, std::uint32_t* fb, const FrameSize& size,
                 std::int32_t argument) { RenderKinyit(t, fb, size, argument != 0); },
};

}  // namespace vx
