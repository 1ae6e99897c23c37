// vxcontent OUTDIR: writes every data file of the show into OUTDIR/DATA/
// and the archive builder's description OUTDIR/vx-1.txt, which lists them
// under their stored names (DATA\kinyit.3ds, DATA\WOOD.jpg, ...). The
// output is a pure function of this program: fixed seeds, no clock, fixed
// order, so two runs give the same bytes.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "music.h"
#include "pictures.h"
#include "scenes.h"
#include "textures.h"

namespace {

using namespace vx::content;

bool WriteDescription(const std::string& path, const std::vector<std::string>& names) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "vxcontent: cannot create %s\n", path.c_str());
    return false;
  }
  std::string text = "[dir]\nDATA\\\n[file]\n";
  for (const std::string& name : names) text += name + "\n";
  text += "[end_of_dir]\n[eof]\n";
  const bool wrote = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = std::fclose(file) == 0;
  if (!wrote || !closed) {
    std::fprintf(stderr, "vxcontent: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

bool SaveEncoded(const std::vector<std::uint8_t>& jpeg, const std::string& path) {
  if (jpeg.empty()) {
    std::fprintf(stderr, "vxcontent: the JPEG encoder failed for %s\n", path.c_str());
    return false;
  }
  return SaveBytes(jpeg, path);
}

int Run(const std::string& outDir) {
  const std::string dataDir = outDir + "/DATA";
  std::error_code error;
  std::filesystem::create_directories(dataDir, error);
  if (error) {
    std::fprintf(stderr, "vxcontent: cannot create %s: %s\n", dataDir.c_str(),
                 error.message().c_str());
    return 1;
  }
  std::vector<std::string> names;  // file names inside DATA, in archive order

  for (const SceneInfo& scene : AllScenes()) {
    const std::string file = scene.name + ".3ds";
    if (!WriteScene(scene, dataDir + "/" + file)) return 1;
    names.push_back(file);
  }
  for (const TextureInfo& texture : AllTextures()) {
    const std::string file = texture.name + ".jpg";
    if (!SaveEncoded(EncodeTexture(texture), dataDir + "/" + file)) return 1;
    names.push_back(file);
  }
  for (const PictureInfo& picture : AllPictures()) {
    if (!SaveEncoded(EncodePicture(picture), dataDir + "/" + picture.file)) return 1;
    names.push_back(picture.file);
  }
  if (!GenerateMusic(dataDir + "/oompa.mp3")) return 1;
  names.push_back("oompa.mp3");

  if (!WriteDescription(outDir + "/vx-1.txt", names)) return 1;
  std::printf("vxcontent: %zu files written to %s\n", names.size(), dataDir.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vxcontent OUTDIR\n");
    return 2;
  }
  return Run(argv[1]);
}
