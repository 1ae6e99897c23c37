// vxdump: loads a 3DS scene (a file on disk, or a stored name inside a data
// library), prepares it as the demo does, evaluates it at one frame and
// prints the engine's diagnostic dumps.
//
//   vxdump [--frame F] [--library LIB] FILE
//
// Textures are looked up beside the scene (on disk: the same folder, NAME.jpg;
// in a library: the same directory prefix). A texture that is missing or
// unusable is reported in one line and replaced by a checker picture here
// only: the demo itself ends on such a texture. Whatever the scene lacks (a
// camera, keyframer data, materials, tracks for its objects) is said in one
// line and the dumps that remain possible are printed. Exit code 0 when the
// file loaded; 1 with one line on standard error when it did not; 2 for a
// wrong command line.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/system.h"
#include "datalib/datalib.h"
#include "engine/engine.h"
#include "platform/picture.h"
#include "vx_version.h"
#include "writejpeg.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* Usage =
    "usage: vxdump [--frame F] [--library LIB] FILE\n"
    "  Loads the 3DS scene FILE (a file on disk, or with --library the name\n"
    "  stored in the data library LIB, for example \"DATA\\scene.3ds\"), prepares\n"
    "  it, evaluates it at frame F (default 0) and prints the engine's dumps.\n"
    "  Textures are read beside the scene; a missing one is replaced by a\n"
    "  checker picture.\n"
    "usage: vxdump --help | --version\n";

struct Options {
  float frame = 0.0f;
  std::string library;
  std::string file;
};

[[noreturn]] void Fail(int code, const std::string& line) {
  std::cerr << "vxdump: " << line << std::endl;
  std::exit(code);
}

void Note(const std::string& line) {
  vx::ConsoleWriteLine("vxdump: " + line);
}

Options ParseArguments(int argc, char** argv) {
  Options options;
  bool haveFile = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      vx::ConsoleWrite(Usage);
      std::exit(0);
    } else if (arg == "--version") {
      std::cout << vx::VersionLine("vxdump");
      std::exit(0);
    } else if (arg == "--frame") {
      if (i + 1 >= argc) Fail(2, "--frame needs a number");
      const char* text = argv[++i];
      char* end = nullptr;
      errno = 0;
      const float frame = std::strtof(text, &end);
      if (end == text || *end != '\0' || errno != 0 || !std::isfinite(frame))
        Fail(2, std::string("not a frame number: ") + text);
      options.frame = frame;
    } else if (arg == "--library") {
      if (i + 1 >= argc) Fail(2, "--library needs an archive path");
      options.library = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      Fail(2, "unknown option " + arg + " (see --help)");
    } else if (!haveFile) {
      options.file = arg;
      haveFile = true;
    } else {
      Fail(2, "one scene file only (see --help)");
    }
  }
  if (!haveFile) Fail(2, "no scene file given (see --help)");
  return options;
}

// The whole file at path, or nullopt with the reason in problem. Only a
// regular file is read: a folder has no bytes to give, and a FIFO without a
// writer would hold an ordinary open forever, so the open does not wait and
// the kind is checked on the opened file.
std::optional<Bytes> ReadDiskFile(const std::string& path, std::string& problem) {
  const int fd = vx::OpenForReading(path);
  if (fd < 0) {
    problem = std::strerror(errno);
    return std::nullopt;
  }
  struct stat info {};
  std::optional<Bytes> bytes;
  if (fstat(fd, &info) != 0) {
    problem = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    problem = "not a regular file";
  } else {
    bytes.emplace();
    std::uint8_t block[65536];
    for (;;) {
      const ssize_t got = read(fd, block, sizeof block);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        problem = std::strerror(errno);
        bytes.reset();
        break;
      }
      if (got == 0) break;
      bytes->insert(bytes->end(), block, block + got);
    }
  }
  close(fd);
  return bytes;
}

std::optional<Bytes> ReadDiskFile(const std::string& path) {
  std::string problem;
  return ReadDiskFile(path, problem);
}

// Scene files name their textures in whatever letter case the exporter
// chose; on disk the first exact match wins, then a match ignoring case.
std::optional<Bytes> ReadDiskTexture(const std::string& name) {
  if (auto bytes = ReadDiskFile(name)) return bytes;
  const std::filesystem::path path = vx::PathOf(name);
  std::error_code error;
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  const std::string wanted = vx::NameOf(path.filename());
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string candidate = vx::NameOf(entry.path().filename());
    if (candidate.size() == wanted.size() &&
        std::equal(candidate.begin(), candidate.end(), wanted.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        }))
      return ReadDiskFile(vx::NameOf(entry.path()));
  }
  return std::nullopt;
}

std::optional<Bytes> ReadLibraryTexture(const std::string& name) {
  const std::int32_t size = vx::LibraryFileSize(name);
  if (size <= 0) return std::nullopt;
  Bytes bytes(static_cast<std::size_t>(size));
  if (!vx::ReadLibraryFile(name, bytes.data())) return std::nullopt;
  return bytes;
}

// A 256 x 256 checker of 32-texel squares, decoded through the picture
// module so that ReleasePicture frees it like any other picture.
bool MakeCheckerPicture(vx::Picture& picture) {
  std::vector<std::uint32_t> pixels(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x)
      pixels[y * 256 + x] = ((x / 32 + y / 32) % 2 == 0) ? 0x00FF00FFu : 0x00202020u;
  vx::JpegEncodeOptions options;
  options.quality = 100;
  options.fullChroma = true;
  const Bytes jpeg = vx::EncodeJpegColour(pixels.data(), 256, 256, options);
  return !jpeg.empty() && vx::DecodeJpegPicture(jpeg.data(), jpeg.size(), picture);
}

std::string DirectoryPrefix(const std::string& file, bool library) {
  const std::size_t cut = library ? file.find_last_of("\\/") : file.find_last_of('/');
  return cut == std::string::npos ? std::string{} : file.substr(0, cut + 1);
}

std::string TrackName(const vx::Mesh3D& mesh, std::uint16_t index) {
  return index < mesh.trackCount ? std::string{mesh.tracks[index]->name.View()} : std::string{};
}

// One line for each thing the dumps will lack; returns whether camera 0 can
// be set up.
bool ReportGaps(const vx::Scene& scene) {
  const vx::Mesh3D& mesh = *scene.mesh;
  if (mesh.objectCount == 0) Note("the scene has no mesh objects");
  if (mesh.materialCount == 0) Note("the scene has no materials: faces get a blank texture");
  if (mesh.trackCount == 0)
    Note("the scene has no keyframer tracks: objects stay where the file puts them");
  for (int i = 0; i < mesh.objectCount && mesh.trackCount > 0; ++i) {
    const vx::MeshObject& o = *mesh.objects[i];
    bool named = false;
    for (int j = 0; j < mesh.trackCount && !named; ++j)
      named = mesh.tracks[j]->name.View() == o.name.View();
    if (!named)
      Note("object '" + std::string{o.name.View()} +
           "' has no track of its name: placed by track " + std::to_string(o.trackIndex) + " '" +
           TrackName(mesh, o.trackIndex) + "'");
  }
  if (mesh.cameraCount == 0) {
    Note("the scene has no camera: DumpCamera skipped");
    return false;
  }
  if (!vx::CameraHasTracks(scene, 0)) {
    const vx::SceneCamera& c = *mesh.cameras[0];
    const bool noPosition = c.positionTrack >= mesh.trackCount;
    const bool noTarget = c.targetTrack >= mesh.trackCount;
    const std::string lacks = noPosition && noTarget ? "a position track and a target track"
                              : noPosition           ? "a position track"
                                                     : "a target track";
    Note("camera 0 '" + std::string{c.name.View()} + "' lacks " + lacks + ": DumpCamera skipped");
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader that leaves early ends the run through the console, quietly,
  // as in the other programs.
  vx::IgnoreBrokenPipes();
  vx::UseUtf8Console();
  const Options options = ParseArguments(argc, argv);
  const bool fromLibrary = !options.library.empty();

  vx::Scene* scene = nullptr;
  std::string error;
  if (fromLibrary) {
    if (!vx::OpenLibrary(options.library))
      Fail(1, options.library + ": cannot open the data library");
    if (vx::LibraryFileSize(options.file) <= 0)
      Fail(1, options.file + ": no such file in " + options.library);
    if (!vx::TryLoadScene(scene, options.file, error)) Fail(1, options.file + ": " + error);
  } else {
    std::string problem;
    const std::optional<Bytes> bytes = ReadDiskFile(options.file, problem);
    if (!bytes) Fail(1, options.file + ": cannot read the file: " + problem);
    if (!vx::TryLoadSceneMemory(scene, bytes->data(), bytes->size(), error))
      Fail(1, options.file + ": " + error);
  }

  vx::PrepareScene(scene);
  vx::LoadTextures(
      scene, DirectoryPrefix(options.file, fromLibrary),
      [fromLibrary](std::string_view name, vx::Picture& picture) {
        const std::string path{name};
        const std::optional<Bytes> bytes =
            fromLibrary ? ReadLibraryTexture(path) : ReadDiskTexture(path);
        std::string problem;
        const auto wrongSize = [&picture] {
          return "not a 256 x 256 colour picture (" + std::to_string(picture.width) + " x " +
                 std::to_string(picture.height) + ")";
        };
        if (!bytes) {
          problem = "not found";
        } else if (!vx::DecodeJpegPicture(bytes->data(), bytes->size(), picture)) {
          // A picture larger than any the show uses is refused after its
          // header, whose size it keeps.
          problem =
              picture.width > 256 || picture.height > 256 ? wrongSize() : "not a readable JPEG";
        } else if (picture.width != 256 || picture.height != 256 || picture.bytesPerPixel != 4) {
          problem = wrongSize();
          vx::ReleasePicture(picture);
        }
        if (problem.empty()) return true;
        Note("texture " + path + " " + problem + ": a checker picture stands in");
        return MakeCheckerPicture(picture);
      });
  vx::BuildHierarchy(scene);
  vx::PrecalculateScene(scene);
  vx::ComputeBounds(scene);
  vx::SetFrame(scene, options.frame, true);
  vx::ComposeHierarchy(scene);

  if (ReportGaps(*scene)) {
    vx::SetupCamera(scene, 0, false, 0.5f, 100000.0f, vx::ClassicFrame);
    vx::DumpScene(scene);
  } else {
    vx::DumpHierarchy(scene);
    vx::DumpMemory(scene);
    vx::DumpObjects(scene);
    vx::DumpTracks(scene);
  }

  vx::FreeHierarchy(scene);
  vx::FreeSceneBuffers(scene);
  vx::FreeScene(scene);
  return 0;
}
