#pragma once
// The eight 3D scenes of the show, each a keyframed 3DS file.
#include <cstdint>
#include <string>
#include <vector>

#include "write3ds.h"

namespace vx::content {

struct SceneInfo {
  std::string name;      // "kinyit": stored as DATA\kinyit.3ds
  std::uint32_t frames;  // end frame; the scene plays from frame 0
  Scene3ds (*build)();
};

// kinyit, libiko, blau, box, labda, effekt, kommun, evil.
const std::vector<SceneInfo>& AllScenes();
// Writes the scene's file; false with a reason on standard error.
bool WriteScene(const SceneInfo& scene, const std::string& path);

}  // namespace vx::content
