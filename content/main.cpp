// vxcontent OUTDIR: writes every data file of the show into OUTDIR/DATA/
// and the archive builder's description OUTDIR/vx-1.txt, which lists them
// under their stored names (DATA\kinyit.3ds, DATA\WOOD.jpg, ...); and the
// high-resolution data of the sharp show into OUTDIR/SHARP/ with the
// description OUTDIR/vx-1-sharp.txt (SHARP\WOOD.jpg, ...), packed into an
// archive of its own so that the classic one never changes because of it.
// The output is a pure function of this program: fixed seeds, no clock, fixed
// order, so two runs give the same bytes. Every file is written by the
// output file rule (base/output_file.h).
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/output_file.h"
#include "datalib/datalib.h"
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
    "      the archive description OUTDIR/vx-1.txt (for vxlib build), and the\n"
    "      sharp show's textures and pictures into OUTDIR/SHARP/ with the\n"
    "      description OUTDIR/vx-1-sharp.txt. Folders are made as needed;\n"
    "      files of the same names are replaced whole.\n"
    "  vxcontent --help, -h\n"
    "      Prints this text.\n"
    "\n"
    "Exit status: 0 on success, 1 on failure (with the reason on standard error),\n"
    "2 for a usage error.\n";

// The description of one archive whose files all lie in the folder folder
// ("DATA" or "SHARP"), which is also their stored names' first part.
bool WriteDescription(const std::string& path, const std::string& folder,
                      const std::vector<std::string>& names) {
  std::string text = "[dir]\n" + folder + "\\\n[file]\n";
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

bool MakeFolder(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    std::fprintf(stderr, "vxcontent: cannot create %s: %s\n", folder.c_str(),
                 error.message().c_str());
    return false;
  }
  return true;
}

// The sharp show's files: each texture that has a sharp size and the sharp
// versions of the pictures, under the names the show loads them by.
bool WriteSharpData(const std::string& outDir) {
  const std::string folder(vx::SharpFolder);
  const std::string sharpDir = outDir + "/" + folder;
  if (!MakeFolder(sharpDir)) return false;
  std::vector<std::string> names;
  for (const TextureInfo& texture : AllTextures()) {
    if (texture.sharpSize == 0) continue;
    const std::string file = texture.name + ".jpg";
    if (!SaveEncoded(EncodeSharpTexture(texture), sharpDir + "/" + file)) return false;
    names.push_back(file);
  }
  for (const SharpPicture& picture : AllSharpPictures()) {
    if (!SaveEncoded(EncodeSharpPicture(picture), sharpDir + "/" + picture.file)) return false;
    names.push_back(picture.file);
  }
  if (!WriteDescription(outDir + "/vx-1-sharp.txt", folder, names)) return false;
  std::printf("vxcontent: %zu files written to %s\n", names.size(), sharpDir.c_str());
  return true;
}

int Run(const std::string& outDir) {
  const std::string dataDir = outDir + "/DATA";
  if (!MakeFolder(dataDir)) return 1;
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

  if (!WriteDescription(outDir + "/vx-1.txt", "DATA", names)) return 1;
  std::printf("vxcontent: %zu files written to %s\n", names.size(), dataDir.c_str());
  return WriteSharpData(outDir) ? 0 : 1;
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
