// Loading and freeing of every scene module, in the show's fixed order.
#include "fx2d/fx2d.h"
#include "scenes/scene_recipe.h"
#include "scenes/scenes.h"

namespace vx {
namespace {

// The order of loading and of freeing alike.
constexpr const SceneModule* LoadOrder[] = {
    &LogoScene,  &KinyitScene, &LibikoScene, &BlauScene, &BoxScene,
    &LabdaScene, &EffektScene, &KommunScene, &EvilScene, &DankeScene,
};

}  // namespace

std::span<const SceneModule* const> SceneModulesInLoadOrder() {
  return LoadOrder;
}

void LoadAllScenes() {
  BuildRadialTable(ClassicFrame);
  for (const SceneModule* m : LoadOrder) m->load();
}

void FreeAllScenes() {
  FreeRadialTable();
  for (const SceneModule* m : LoadOrder) m->free();
  scenes::ForgetFrameSize();
}

}  // namespace vx
