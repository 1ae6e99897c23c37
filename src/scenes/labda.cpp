// labda: the strongly glowing scene of the effect test mode; loaded in a
// normal run too, but in no slot of the timeline.
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

using namespace scenes;

constexpr FrameFactors Factors{0.287L};

Scene* gScene = nullptr;

}  // namespace

void LoadLabda() {
  LoadScene3d(gScene, "labda.3ds");
}

void RenderLabda(float t, std::uint32_t* fb, const FrameSize& size) {
  const PostProcessing post{.smear = Smear::Glow, .spread = 50, .gain = 15, .blend = Blend::None};
  RenderScene3d(gScene, t, Factors, FillPolygonPerspective, post, fb, size);
}

void FreeLabda() {
  FreeScene3d(gScene);
}

const SceneModule LabdaScene{
    .name = "labda",
    .load = LoadLabda,
    .free = FreeLabda,
    .render = [](float t, std::uint32_t* fb, const FrameSize& size,
                 std::int32_t) { RenderLabda(t, fb, size); },
};

}  // namespace vx
