// effekt: the one affine-mapped scene, under the strong radial blur.
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

using namespace scenes;

constexpr FrameFactors Factors{0.187L};

Scene* gScene = nullptr;

}  // namespace

void LoadEffekt() {
  LoadScene3d(gScene, "effekt.3ds");
}

void RenderEffekt(float t, std::uint32_t* fb, const FrameSize& size) {
  const PostProcessing post{.smear = Smear::Radial, .strength = 230, .blend = Blend::None};
  RenderScene3d(gScene, t, Factors, FillPolygonAffine, post, fb, size);
}

void FreeEffekt() {
  FreeScene3d(gScene);
}

const SceneModule EffektScene{
    .name = "effekt",
    .load = LoadEffekt,
    .free = FreeEffekt,
    .render = [](float t, std::uint32_t* fb, const FrameSize& size,
                 std::int32_t) { RenderEffekt(t, fb, size); },
};

}  // namespace vx
