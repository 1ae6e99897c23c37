// The eight scenes of the show; each is built in its own file
// (scene_NAME.cpp). Lengths (end frames) cover what each slot reaches: local
// ticks times the scene's frame factor (kinyit 300, libiko 241, blau 482,
// box 244, effekt 187, kommun 340, evil 311), with a margin; labda is a
// 120-frame loop whose last keys repeat its first ones.
//
// Every scene stands inside a textured dome or room, so the camera sees
// lit pixels in every direction, and keeps its action in front of the
// camera for the whole slot.
#include "scenes.h"

#include <cstdio>

#include "scene_kit.h"

namespace vx::content {

const std::vector<SceneInfo>& AllScenes() {
  static const std::vector<SceneInfo> scenes = {
      {"kinyit", 310, KinyitScene}, {"libiko", 250, LibikoScene}, {"blau", 490, BlauScene},
      {"box", 250, BoxScene},       {"labda", 120, LabdaScene},   {"effekt", 195, EffektScene},
      {"kommun", 350, KommunScene}, {"evil", 320, EvilScene},
  };
  return scenes;
}

bool WriteScene(const SceneInfo& scene, const std::string& path) {
  const Scene3ds built = scene.build();
  if (built.endFrame != scene.frames) {
    std::fprintf(stderr, "vxcontent: scene %s ends at frame %u, expected %u\n", scene.name.c_str(),
                 built.endFrame, scene.frames);
    return false;
  }
  if (!Write3dsFile(built, path)) {
    std::fprintf(stderr, "vxcontent: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace vx::content
