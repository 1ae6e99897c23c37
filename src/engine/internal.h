#pragma once
// Helpers shared by the engine's own source files; not part of its interface.
#include <cstdint>

#include "engine/scene.h"

namespace vx::detail {

// The texels of material materialIndex, or a blank 256 x 256 texture when the
// scene has no such material (faces of a scene without materials), so that
// every polygon handed to the rasterizer has 256 x 256 texels to read.
const std::uint32_t* FaceTexture(const Scene& scene, std::uint16_t materialIndex);
// The levels of material materialIndex for frames larger than the classic
// one; nullptr before PrepareSharpTextures or without such a material (the
// fills then read FaceTexture's texels there too).
const TextureLevels* FaceLevels(const Scene& scene, std::uint16_t materialIndex);
// Releases what PrepareSharpTextures made; nothing when it has not run.
void FreeSharpTextures(Scene& scene);

}  // namespace vx::detail
