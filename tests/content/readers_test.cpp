// Independent readers accept every stored file: assimp reads each scene with
// the faces and cameras our loader finds (assimp splits meshes per material
// and repeats vertices per face, so faces are compared, not vertices), and
// ffprobe, whose JPEG and MP3 decoders are its own, reads every picture,
// texture and the music with the sizes the show relies on.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "datalib/datalib.h"
#include "loader3ds/loader3ds.h"
#include "pictures.h"
#include "scenes.h"
#include "show_content.h"
#include "support/testlib.h"
#include "textures.h"

namespace vx::test {
namespace {

// Copies a stored file out of the archive into dir; returns its path.
std::string Extract(const TempDir& dir, const std::string& file) {
  const std::int32_t size = LibraryFileSize("DATA\\" + file);
  if (size <= 0) return {};
  Bytes bytes(static_cast<std::size_t>(size));
  if (!ReadLibraryFile("DATA\\" + file, bytes.data())) return {};
  const std::string path = dir.File(file);
  WriteFileBytes(path, bytes);
  return path;
}

// "Key: value" or "key=value" lines into a map (first occurrence wins).
std::map<std::string, std::string> Fields(const std::string& text, char separator) {
  std::map<std::string, std::string> fields;
  for (const std::string& line : SplitLines(text)) {
    const std::size_t at = line.find(separator);
    if (at == std::string::npos) continue;
    std::string key = line.substr(0, at), value = line.substr(at + 1);
    while (!key.empty() && key.back() == ' ') key.pop_back();
    while (!key.empty() && key.front() == ' ') key.erase(key.begin());
    while (!value.empty() && value.front() == ' ') value.erase(value.begin());
    fields.emplace(key, value);
  }
  return fields;
}

class Readers : public ::testing::Test {
 protected:
  void SetUp() override { VX_REQUIRE_SHOW_LIBRARY(); }
  TempDir dir_;
};

TEST_F(Readers, AssimpReadsEverySceneWithOurFaceAndCameraCounts) {
  VX_REQUIRE_TOOL("assimp", "assimp-utils");
  for (const content::SceneInfo& scene : content::AllScenes()) {
    SCOPED_TRACE(scene.name);
    const std::string path = Extract(dir_, scene.name + ".3ds");
    ASSERT_FALSE(path.empty());
    const Bytes bytes = ReadFileBytes(path);
    Mesh3D* mesh = nullptr;
    ASSERT_TRUE(Load3DSMemory(mesh, bytes.data(), bytes.size()));
    long faces = 0;
    for (int i = 0; i < mesh->objectCount; ++i) faces += mesh->objects[i]->faceCount;
    const long cameras = mesh->cameraCount;
    EXPECT_TRUE(Free3DSData(mesh));

    // "-r": raw, without post-processing.
    const ProgramResult result = RunProgram({FindTool("assimp"), "info", path, "-r"});
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const auto fields = Fields(result.out, ':');
    ASSERT_TRUE(fields.count("Faces") && fields.count("Cameras")) << result.out;
    EXPECT_EQ(std::stol(fields.at("Faces")), faces);
    EXPECT_EQ(std::stol(fields.at("Cameras")), cameras);
    EXPECT_GE(cameras, 1);
  }
}

// ffprobe's stream and format fields of each file, probed side by side.
std::vector<std::map<std::string, std::string>> Probe(const std::vector<std::string>& paths) {
  std::vector<std::vector<std::string>> runs;
  for (const std::string& path : paths)
    runs.push_back({"-v", "error", "-show_entries",
                    "stream=codec_type,width,height,sample_rate,channels:format=duration", "-of",
                    "default=noprint_wrappers=1", path});
  std::vector<std::map<std::string, std::string>> fields;
  for (const std::string& out : RunConcurrently(FindTool("ffprobe"), runs))
    fields.push_back(Fields(out, '='));
  return fields;
}

std::string Field(const std::map<std::string, std::string>& fields, const std::string& key) {
  const auto found = fields.find(key);
  return found == fields.end() ? std::string("(none)") : found->second;
}

TEST_F(Readers, FfprobeReadsEveryPictureAtFullScreenSize) {
  VX_REQUIRE_TOOL("ffprobe", "ffmpeg");
  std::vector<std::string> paths;
  for (const content::PictureInfo& picture : content::AllPictures())
    paths.push_back(Extract(dir_, picture.file));
  const auto probed = Probe(paths);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(Field(probed[i], "codec_type"), "video") << paths[i];
    EXPECT_EQ(Field(probed[i], "width"), "320") << paths[i];
    EXPECT_EQ(Field(probed[i], "height"), "200") << paths[i];
  }
}

TEST_F(Readers, FfprobeReadsEveryTextureAt256By256) {
  VX_REQUIRE_TOOL("ffprobe", "ffmpeg");
  std::vector<std::string> paths;
  for (const content::TextureInfo& texture : content::AllTextures())
    paths.push_back(Extract(dir_, texture.name + ".jpg"));
  const auto probed = Probe(paths);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(Field(probed[i], "codec_type"), "video") << paths[i];
    EXPECT_EQ(Field(probed[i], "width"), "256") << paths[i];
    EXPECT_EQ(Field(probed[i], "height"), "256") << paths[i];
  }
}

TEST_F(Readers, FfprobeReadsTheMusicAsTwoMinutesOfStereoAt44100Hz) {
  VX_REQUIRE_TOOL("ffprobe", "ffmpeg");
  const auto fields = Probe({Extract(dir_, "oompa.mp3")}).at(0);
  EXPECT_EQ(Field(fields, "codec_type"), "audio");
  EXPECT_EQ(Field(fields, "sample_rate"), "44100");
  EXPECT_EQ(Field(fields, "channels"), "2");
  ASSERT_NE(Field(fields, "duration"), "(none)");
  EXPECT_GE(std::stod(Field(fields, "duration")), 122.0);
}

}  // namespace
}  // namespace vx::test
