// kommun: radial blur, then "bkkom.jpg" added.
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

using namespace scenes;

constexpr FrameFactors Factors{0.267L};

Scene* gScene = nullptr;
Picture gBackground = {};

}  // namespace

void LoadKommun() {
  LoadScene3d(gScene, "kommun.3ds");
  LoadScreenPicture("bkkom.jpg", gBackground, PictureUse::Blended);
}

void RenderKommun(float t, std::uint32_t* fb, const FrameSize& size) {
  const PostProcessing post{
      .smear = Smear::Radial, .strength = 140, .blend = Blend::Add, .picture = &gBackground};
  RenderScene3d(gScene, t, Factors, FillPolygonPerspective, post, fb, size);
}

// The picture is released as well, so that nothing stays held at the end.
void FreeKommun() {
  FreeScene3d(gScene);
  ReleaseScreenPictures(&gBackground, 1);
}

const SceneModule KommunScene{
    .name = "kommun",
    .load = LoadKommun,
    .free = FreeKommun,
    .render = [](float t, std::uint32_t* fb, const FrameSize& size,
                 std::int32_t) { RenderKommun(t, fb, size); },
};

}  // namespace vx
