#pragma once
// The material textures of the scenes: 256 x 256 colour pictures made from
// noise, stripes and shapes. Each has an 8.3 base name; materials refer to
// it as NAME.GIF and the engine loads it as DATA\NAME.jpg.
#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace vx::content {

inline constexpr int TextureSize = 256;
inline constexpr int TextureQuality = 90;  // JPEG quality, 4:2:0

struct TextureInfo {
  std::string name;  // base name, at most 8 capital letters or digits
  Canvas (*make)();
};

// Every texture the scenes use, in a fixed order.
const std::vector<TextureInfo>& AllTextures();
// The texture's JPEG file (TextureQuality); empty when the encoder fails.
std::vector<std::uint8_t> EncodeTexture(const TextureInfo& texture);
// The file name a material stores for a texture: "WOOD" -> "WOOD.GIF".
std::string MaterialTextureFile(const std::string& name);

}  // namespace vx::content
