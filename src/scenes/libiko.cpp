// libiko: glowing scene with "spiel.jpg" added; animated at half kinyit's
// pace (two multiplications, by 0.287 and then by 0.5).
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

using namespace scenes;

constexpr FrameFactors Factors{0.287L, 0.5L};

Scene* gScene = nullptr;
Picture gSpiel = {};

}  // namespace

void LoadLibiko() {
  LoadScene3d(gScene, "libiko.3ds");
  LoadScreenPicture("spiel.jpg", gSpiel, PictureUse::Blended);
}

void RenderLibiko(float t, std::uint32_t* fb, const FrameSize& size) {
  const PostProcessing post{
      .smear = Smear::Glow, .spread = 50, .gain = 5, .blend = Blend::Add, .picture = &gSpiel};
  RenderScene3d(gScene, t, Factors, FillPolygonPerspective, post, fb, size);
}

void FreeLibiko() {
  FreeScene3d(gScene);
  ReleaseScreenPictures(&gSpiel, 1);
}

const SceneModule LibikoScene{
    .name = "libiko",
    .load = LoadLibiko,
    .free = FreeLibiko,
    .render = [](float t, std::uint32_t* fb, const FrameSize& size,
                 std::int32_t) { RenderLibiko(t, fb, size); },
};

}  // namespace vx
