// blau: softly glowing scene with one of four pictures lighten-blended, the
// picture chosen by the timeline (one per 103.2 ticks of the slot, then
// none).
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

using namespace scenes;

constexpr FrameFactors Factors{0.287L};
constexpr int PictureCount = 4;
constexpr std::string_view PictureFiles[PictureCount] = {"oompa.jpg", "doompa.jpg", "doopady.jpg",
                                                         "doo.jpg"};

Scene* gScene = nullptr;
Picture gPictures[PictureCount] = {};

}  // namespace

void LoadBlau() {
  LoadScene3d(gScene, "blau.3ds");
  for (int i = 0; i < PictureCount; ++i)
    LoadScreenPicture(PictureFiles[i], gPictures[i], PictureUse::Blended);
}

void RenderBlau(float t, std::uint32_t* fb, const FrameSize& size, std::int16_t pictureIndex) {
  const bool blended = pictureIndex >= 0 && pictureIndex < PictureCount;
  const PostProcessing post{
      .smear = Smear::Glow,
      .spread = 25,
      .gain = 5,
      .blend = blended ? Blend::Lighten : Blend::None,
      .picture = blended ? &gPictures[pictureIndex] : nullptr,
  };
  RenderScene3d(gScene, t, Factors, FillPolygonPerspective, post, fb, size);
}

void FreeBlau() {
  FreeScene3d(gScene);
  ReleaseScreenPictures(gPictures, PictureCount);
}

const SceneModule BlauScene{
    .name = "blau",
    .load = LoadBlau,
    .free = FreeBlau,
    .render =
        [](float t, std::uint32_t* fb, const FrameSize& size, std::int32_t argument) {
          RenderBlau(t, fb, size, static_cast<std::int16_t>(argument));
        },
};

}  // namespace vx
