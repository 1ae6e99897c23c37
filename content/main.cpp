// vxcontent OUTDIR: writes every data file of the show into OUTDIR/DATA/
// and the archive builder's description OUTDIR/vx-1.txt, which lists them
// under their stored names (DATA\kinyit.3ds, DATA\WOOD.jpg, ...). The
// output is a pure function of this program: fixed seeds, no clock, fixed
// order, so two runs give the same bytes. Every file is written by the
// output file rule (base/output_file.h).
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/output_file.h"
#include "music.h"
#include "pictures.h"
#include "scenes.h"
#include "textures.h"

namespace {

using namespace vx::content;

constexpr const char* UsageText = "usage: vxcontent OUTDIR\n       vxcontent --help\n";

constexpr const char* HelpText =
    "vxcontent: generates every data file of the show.\n"
    "\n"
    "  vxcontent OUTDIR\n"
    "      Writes the scenes, textures, pictures and music into OUTDIR/DATA/ and\n"
    "      the archive description OUTDIR/vx-1.txt (for vxlib build). Folders\n"
    "      are made as needed; files of the same names are replaced whole.\n"
    "  vxcontent --help, -h\n"
    "      Prints this text.\n"
    "\n"
    "Exit status: 0 on success, 1 on failure (with the reason on standard error),\n"
    "2 for a usage error.\n";

bool WriteDescription(const std::string& path, const std::vector<std::string>& names) {
  std::string text = "[dir]\nDATA\\\n[file]\n";
  for (const std::string& name : names) text += name + "\n";
  text += "[end_of_dir]\n[eof]\n";
  std::string error;
  if (!vx::WriteOutputFile(path, text.data(), text.size(), error)) {
    std::fprintf(stderr, "vxcontent: %s\n", error.c_str());
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
  std::signal(SIGPIPE, SIG_IGN);  // a FIFO whose reader left: EPIPE, reported
  // An interrupted run leaves no temporary file in OUTDIR.
  vx::CleanUpOnEveryExit();
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(HelpText, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (argc != 2) {
    std::fprintf(stderr, "vxcontent: %s\n%s", argc < 2 ? "no OUTDIR given" : "too many arguments",
                 UsageText);
    return 2;
  }
  // A name that starts with '-' is a mistyped option, not a folder to fill;
  // "./-name" still names such a folder.
  if (argv[1][0] == '-') {
    std::fprintf(stderr, "vxcontent: unknown option '%s'\n%s", argv[1], UsageText);
    return 2;
  }
  if (argv[1][0] == '\0') {
    std::fprintf(stderr, "vxcontent: OUTDIR is empty\n%s", UsageText);
    return 2;
  }
  return Run(argv[1]);
}
