// The build's archive: every file the show asks for is stored under the name
// it asks for, the description lists exactly the generated files, and the
// stored bytes are what the generator makes now, the same on every run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "loader3ds/loader3ds.h"
#include "pictures.h"
#include "scenes.h"
#include "show_content.h"
#include "support/testlib.h"
#include "textures.h"

namespace vx::test {
namespace {

Bytes StoredFile(const std::string& name) {
  const std::int32_t size = LibraryFileSize(name);
  Bytes bytes(size > 0 ? static_cast<std::size_t>(size) : 0);
  if (size > 0 && !ReadLibraryFile(name, bytes.data())) bytes.clear();
  return bytes;
}

class Archive : public ::testing::Test {
 protected:
  void SetUp() override { VX_REQUIRE_SHOW_LIBRARY(); }
};

TEST_F(Archive, HoldsEveryFileTheModulesAndTheDriverRead) {
  // Named in the scene modules, the loading screen and the music layer.
  const std::vector<std::string> names = {
      "kinyit.3ds", "libiko.3ds", "blau.3ds",    "box.3ds",   "labda.3ds",  "effekt.3ds",
      "kommun.3ds", "evil.3ds",   "ventrix.jpg", "vx1.jpg",   "loader.jpg", "danke.jpg",
      "kinyit.jpg", "becsuk.jpg", "destiny.jpg", "spiel.jpg", "bkkom.jpg",  "evil.jpg",
      "oompa.jpg",  "doompa.jpg", "doopady.jpg", "doo.jpg",   "oompa.mp3"};
  for (const std::string& name : names) EXPECT_GT(LibraryFileSize("DATA\\" + name), 0) << name;
}

TEST_F(Archive, EveryMaterialTextureIsStoredAsItsJpeg) {
  for (const SceneSlot& slot : SceneSlots()) {
    const Bytes file = StoredFile("DATA\\" + slot.name + ".3ds");
    ASSERT_FALSE(file.empty()) << slot.name;
    Mesh3D* mesh = nullptr;
    ASSERT_TRUE(Load3DSMemory(mesh, file.data(), file.size())) << slot.name;
    for (int m = 0; m < mesh->materialCount; ++m) {
      const std::string texture(mesh->materials[m]->textureFile.View());
      const std::size_t dot = texture.find('.');
      ASSERT_NE(dot, std::string::npos) << slot.name << " material " << m;
      const std::string stored = "DATA\\" + texture.substr(0, dot) + ".jpg";
      EXPECT_GT(LibraryFileSize(stored), 0) << slot.name << " needs " << stored;
    }
    EXPECT_TRUE(Free3DSData(mesh));
  }
}

TEST_F(Archive, DescriptionListsExactlyTheGeneratedFiles) {
  std::ifstream description(std::string(VX_SHOW_DATA_DIR) + "/vx-1.txt");
  ASSERT_TRUE(description.good());
  std::vector<std::string> lines;
  for (std::string line; std::getline(description, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], "[dir]");
  EXPECT_EQ(lines[1], "DATA\\");
  EXPECT_EQ(lines[2], "[file]");
  EXPECT_EQ(lines[lines.size() - 2], "[end_of_dir]");
  EXPECT_EQ(lines.back(), "[eof]");
  std::set<std::string> listed(lines.begin() + 3, lines.end() - 2);
  EXPECT_EQ(listed.size(), lines.size() - 5) << "a file is listed twice";
  std::set<std::string> onDisk;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(VX_SHOW_DATA_DIR) + "/DATA"))
    onDisk.insert(entry.path().filename().string());
  EXPECT_EQ(listed, onDisk);
  for (const std::string& name : listed) EXPECT_GT(LibraryFileSize("DATA\\" + name), 0) << name;
}

// The generator's output depends on nothing but its code: building every
// scene and picture again gives the bytes stored in the archive.
TEST_F(Archive, StoredScenesAndPicturesAreWhatTheGeneratorMakesEveryTime) {
  for (const content::SceneInfo& scene : content::AllScenes()) {
    const Bytes first = Write3ds(scene.build());
    EXPECT_EQ(first, Write3ds(scene.build())) << scene.name << " differs between two runs";
    EXPECT_EQ(first, StoredFile("DATA\\" + scene.name + ".3ds")) << scene.name << " is stale";
  }
#ifndef VX_SANITIZE
  for (const content::PictureInfo& picture : content::AllPictures())
    EXPECT_EQ(content::EncodePicture(picture), StoredFile("DATA\\" + picture.file)) << picture.file;
  for (const content::TextureInfo& texture : content::AllTextures())
    EXPECT_EQ(content::EncodeTexture(texture), StoredFile("DATA\\" + texture.name + ".jpg"))
        << texture.name;
#endif
}

}  // namespace
}  // namespace vx::test
