#pragma once
// The material textures of the scenes: square colour pictures made from
// noise, stripes and shapes, drawn at any power-of-two size from one
// description (a larger size is the same surface with finer detail, not an
// enlargement). Each has an 8.3 base name; materials refer to it as
// NAME.GIF and the engine loads it as DATA\NAME.jpg (256 x 256) and, for
// the sharp show, SHARP\NAME.jpg (sharpSize).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "canvas.h"

namespace vx::content {

inline constexpr int TextureSize = 256;
inline constexpr int TextureQuality = 90;       // JPEG quality, 4:2:0
inline constexpr int SharpTextureQuality = 75;  // the sharp archive's budget is tight

struct TextureInfo {
  std::string name;  // base name, at most 8 capital letters or digits
  // Draws the texture size x size texels (a power of two, 256 the classic).
  std::function<Canvas(int size)> draw;
  int sharpSize = 0;  // 0: no sharp texture, else 512 or 1024
  bool tiles = true;  // false for a map that is never repeated (a shine map)
  Canvas make() const { return draw(TextureSize); }  // the classic texture
};

// Baked light: the textures of lit materials also come in ShadeCount
// shades, 0 the darkest; a lit face uses the shade the scene's light gives
// it (FaceShades). Shade k is the texture times ShadeFactor(k); a texel
// that would turn darker than 26 in its largest byte keeps that much.
inline constexpr int ShadeCount = 8;
double ShadeFactor(int shade);
// The base name of a shade: "METAL", 2 -> "METAL2"; a name of 8 letters
// drops its last one ("OBSIDIAN", 2 -> "OBSIDIA2").
std::string ShadeTextureName(const std::string& base, int shade);
// Whether the texture comes in shades.
bool HasShades(const std::string& base);

// Every texture the scenes use, in a fixed order: the plain ones, then the
// shades of each lit one. Those that the high-resolution show magnifies
// (floors, walls, pillars, the gold, the ice, the skies) have a sharpSize,
// shades only where some scene's material uses them.
const std::vector<TextureInfo>& AllTextures();
// The texture's JPEG file (TextureQuality); empty when the encoder fails.
std::vector<std::uint8_t> EncodeTexture(const TextureInfo& texture);
// The sharp texture's JPEG file at sharpSize (SharpTextureQuality); empty
// when the texture has none or the encoder fails.
std::vector<std::uint8_t> EncodeSharpTexture(const TextureInfo& texture);
// The high-resolution version's JPEG file, sharpSize texels square; empty
// when the encoder fails or the texture has none.
std::vector<std::uint8_t> EncodeSharpTexture(const TextureInfo& texture);
// The file name a material stores for a texture: "WOOD" -> "WOOD.GIF".
std::string MaterialTextureFile(const std::string& name);

}  // namespace vx::content
