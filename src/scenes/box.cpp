// box: glowing scene with "destiny.jpg" subtracted.
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

using namespace scenes;

constexpr FrameFactors Factors{0.287L};

Scene* gScene = nullptr;
Picture gDestiny = {};

}  // namespace

void LoadBox() {
  LoadScene3d(gScene, "box.3ds");
  LoadScreenPicture("destiny.jpg", gDestiny, PictureUse::Blended);
}

void RenderBox(float t, std::uint32_t* fb, const FrameSize& size) {
  const PostProcessing post{.smear = Smear::Glow,
                            .spread = 50,
                            .gain = 5,
                            .blend = Blend::Subtract,
                            .picture = &gDestiny};
  RenderScene3d(gScene, t, Factors, FillPolygonPerspective, post, fb, size);
}

void FreeBox() {
  FreeScene3d(gScene);
  ReleaseScreenPictures(&gDestiny, 1);
}

const SceneModule BoxScene{
    .name = "box",
    .load = LoadBox,
    .free = FreeBox,
    .render = [](float t, std::uint32_t* fb, const FrameSize& size,
                 std::int32_t) { RenderBox(t, fb, size); },
};

}  // namespace vx
