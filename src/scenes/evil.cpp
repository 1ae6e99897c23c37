// evil: radial blur, then "evil.jpg" added.
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

using namespace scenes;

constexpr FrameFactors Factors{0.187L};

Scene* gScene = nullptr;
Picture gEvil = {};

}  // namespace

void LoadEvil() {
  LoadScene3d(gScene, "evil.3ds");
  LoadScreenPicture("evil.jpg", gEvil, PictureUse::Blended);
}

void RenderEvil(float t, std::uint32_t* fb, const FrameSize& size) {
  const PostProcessing post{
      .smear = Smear::Radial, .strength = 140, .blend = Blend::Add, .picture = &gEvil};
  RenderScene3d(gScene, t, Factors, FillPolygonPerspective, post, fb, size);
}

// The picture is released as well, so that nothing stays held at the end.
void FreeEvil() {
  FreeScene3d(gScene);
  ReleaseScreenPictures(&gEvil, 1);
}

const SceneModule EvilScene{
    .name = "evil",
    .load = LoadEvil,
    .free = FreeEvil,
    .render = [](float t, std::uint32_t* fb, const FrameSize& size,
                 std::int32_t) { RenderEvil(t, fb, size); },
};

}  // namespace vx
