// The textures of frames larger than the classic one: per distinct texture
// file, its sharp picture (or the classic texture) and the box-filtered
// levels below it, made once when the first such frame needs them. The
// classic frames never read any of it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/parallel.h"
#include "datalib/datalib.h"
#include "engine/engine.h"
#include "engine/internal.h"
#include "platform/picture.h"

namespace vx {

struct SharpTextures {
  struct Texture {
    std::string file;  // TextureFileName of the materials that share it
    Picture sharp{};   // released when the classic texture stands in
    const std::uint32_t* base = nullptr;
    std::uint32_t sizeLog2 = 0;
    std::vector<std::uint32_t> levelTexels;
    TextureLevels levels{};
  };
  std::vector<std::unique_ptr<Texture>> textures;  // stable: materials point in
  std::vector<const TextureLevels*> perMaterial;
};

namespace {

// log2 of a sharp picture's side, or 0 when it is not a square of 256, 512
// or 1024 texels at 4 bytes a pixel.
std::uint32_t SharpSizeLog2(const Picture& picture) {
  if (picture.pixels == nullptr || picture.bytesPerPixel != PixelBytes ||
      picture.width != picture.height) {
    return 0;
  }
  for (std::uint32_t log2 = 8; log2 <= MaxTextureSizeLog2; ++log2) {
    if (picture.width == (1u << log2)) return log2;
  }
  return 0;
}

bool ReadFromLibrary(std::string_view name, Picture& picture) {
  if (LibraryFileSize(name) <= 0) return false;
  if (!LoadJpegPicture(name, picture)) ReportPictureLoadError();
  return true;
}

// The texture of one file: its sharp picture where read finds one, else the
// classic texture of the material that names it first.
std::unique_ptr<SharpTextures::Texture> ReadTexture(const std::string& file,
                                                    std::string_view directory,
                                                    const TextureReader& read,
                                                    const std::uint32_t* classic) {
  auto texture = std::make_unique<SharpTextures::Texture>();
  texture->file = file;
  if (read(std::string{directory} + file, texture->sharp)) {
    texture->sizeLog2 = SharpSizeLog2(texture->sharp);
    if (texture->sizeLog2 == 0) {
      ReleasePicture(texture->sharp);
      ReportPictureLoadError();
    }
    texture->base = PictureWords(texture->sharp);
  } else {
    texture->base = classic;
    texture->sizeLog2 = 8;
  }
  return texture;
}

}  // namespace

const TextureLevels* detail::FaceLevels(const Scene& scene, std::uint16_t materialIndex) {
  if (scene.sharp == nullptr || materialIndex >= scene.sharp->perMaterial.size()) return nullptr;
  return scene.sharp->perMaterial[materialIndex];
}

void PrepareSharpTextures(Scene*& scene, std::string_view directory) {
  PrepareSharpTextures(scene, directory, ReadFromLibrary);
}

void PrepareSharpTextures(Scene*& scene, std::string_view directory, const TextureReader& read) {
  if (scene->sharp != nullptr) return;
  auto sharp = std::make_unique<SharpTextures>();
  const Mesh3D& mesh = *scene->mesh;
  std::vector<std::size_t> textureOf(mesh.materialCount);
  for (int i = 0; i < mesh.materialCount; ++i) {
    const std::string file = TextureFileName(mesh.materials[i]->textureFile.View());
    std::size_t t = 0;
    while (t < sharp->textures.size() && sharp->textures[t]->file != file) ++t;
    if (t == sharp->textures.size()) {
      sharp->textures.push_back(ReadTexture(file, directory, read, detail::FaceTexture(*scene, i)));
    }
    textureOf[i] = t;
  }
  // The levels of the textures at once on the draw threads: each task
  // writes its own texture's storage only.
  ForEachTask(static_cast<int>(sharp->textures.size()), [&](int t) {
    SharpTextures::Texture& texture = *sharp->textures[static_cast<std::size_t>(t)];
    texture.levelTexels.resize(TextureLevelWords(texture.sizeLog2));
    texture.levels = MakeTextureLevels(texture.base, texture.sizeLog2, texture.levelTexels.data());
  });
  for (std::size_t t : textureOf) sharp->perMaterial.push_back(&sharp->textures[t]->levels);
  scene->sharp = sharp.release();
}

void detail::FreeSharpTextures(Scene& scene) {
  if (scene.sharp == nullptr) return;
  for (const auto& texture : scene.sharp->textures) ReleasePicture(texture->sharp);
  delete scene.sharp;
  scene.sharp = nullptr;
}

}  // namespace vx
