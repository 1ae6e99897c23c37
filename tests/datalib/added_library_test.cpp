// Several archives open at once: an added archive's names join the lookup
// after the first one's, a refused addition changes nothing, and closing or
// opening anew forgets every archive.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "support/testlib.h"

namespace {

using namespace vx::test;
using Lines = std::vector<std::string>;

class AddedLibrary : public testing::Test {
 protected:
  void SetUp() override { vx::CloseLibrary(); }
  void TearDown() override { vx::CloseLibrary(); }

  // The archive of files written as name in the test folder.
  std::string Archive(const std::string& name, const std::vector<LibraryFile>& files) {
    return WriteTestLibrary(dir.File(name), files);
  }
  static bool Quietly(bool (*open)(std::string_view), const std::string& path) {
    bool result = false;
    CaptureStdout([&] { result = open(path); });
    return result;
  }
  // The named file's bytes as read through the library; empty when absent.
  static Bytes Read(const std::string& name) {
    Bytes bytes;
    bool read = false;
    CaptureStdout([&] {
      bytes.resize(static_cast<std::size_t>(vx::LibraryFileSize(name)));
      read = vx::ReadLibraryFile(name, bytes.data());
    });
    return read ? bytes : Bytes{};
  }

  TempDir dir;
  const std::vector<LibraryFile> classic = {
      {"DATA\\a.bin", ToBytes("classic-a")},
      {"DATA\\b.bin", ToBytes("classic-b")},
  };
  const std::vector<LibraryFile> sharp = {
      {"SHARP\\a.jpg", ToBytes("sharp-a-bytes")},
      {"DATA\\a.bin", ToBytes("shadowed!")},
  };
};

TEST_F(AddedLibrary, NamesOfBothArchivesAreFoundAndTheFirstArchiveWins) {
  ASSERT_TRUE(Quietly(vx::OpenLibrary, Archive("classic.lib", classic)));
  ASSERT_TRUE(Quietly(vx::AddLibrary, Archive("sharp.lib", sharp)));
  EXPECT_EQ(Read("SHARP\\a.jpg"), ToBytes("sharp-a-bytes"));
  EXPECT_EQ(Read("DATA\\a.bin"), ToBytes("classic-a"));
  EXPECT_EQ(Read("DATA\\b.bin"), ToBytes("classic-b"));
  EXPECT_EQ(Read("SHARP\\absent"), Bytes{});
}

TEST_F(AddedLibrary, AddingSaysTheSameStepsAsOpening) {
  const std::string path = Archive("sharp.lib", sharp);
  const std::string opened = CaptureStdout([&] { vx::OpenLibrary(path); });
  vx::CloseLibrary();
  const std::string added = CaptureStdout([&] { vx::AddLibrary(path); });
  EXPECT_EQ(added, opened);
  EXPECT_NE(added.find("Found file 'SHARP\\a.jpg'"), std::string::npos) << added;
}

TEST_F(AddedLibrary, WithoutAnOpenLibraryTheAddedOneIsTheOnlyOne) {
  ASSERT_TRUE(Quietly(vx::AddLibrary, Archive("sharp.lib", sharp)));
  EXPECT_EQ(Read("DATA\\a.bin"), ToBytes("shadowed!"));
}

TEST_F(AddedLibrary, ARefusedArchiveLeavesTheOpenSetAsItWas) {
  ASSERT_TRUE(Quietly(vx::OpenLibrary, Archive("classic.lib", classic)));
  Bytes broken = MakeLibraryImage(sharp);
  broken[0] ^= 0xFF;  // no library header
  const std::string brokenPath = dir.File("broken.lib");
  WriteFileBytes(brokenPath, broken);
  const std::string missingPath = dir.File("missing.lib");
  for (const std::string& path : {brokenPath, missingPath, dir.Path()}) {
    EXPECT_FALSE(Quietly(vx::AddLibrary, path)) << path;
    EXPECT_EQ(Read("DATA\\a.bin"), ToBytes("classic-a")) << path;
    EXPECT_EQ(Read("SHARP\\a.jpg"), Bytes{}) << path;
  }
}

TEST_F(AddedLibrary, ListShowsEveryArchiveInLookupOrder) {
  ASSERT_TRUE(Quietly(vx::OpenLibrary, Archive("classic.lib", classic)));
  ASSERT_TRUE(Quietly(vx::AddLibrary, Archive("sharp.lib", sharp)));
  const Lines lines = SplitLines(CaptureStdout([] { vx::ListLibrary(); }));
  const Lines expected = {"",
                          "Listing library",
                          "Library contains 4 files:",
                          "",
                          "DATA\\a.bin",
                          "DATA\\b.bin",
                          "SHARP\\a.jpg",
                          "DATA\\a.bin",
                          ""};
  EXPECT_EQ(lines, expected);
}

TEST_F(AddedLibrary, CloseAndANewOpenForgetEveryArchive) {
  const std::string classicPath = Archive("classic.lib", classic);
  ASSERT_TRUE(Quietly(vx::OpenLibrary, classicPath));
  ASSERT_TRUE(Quietly(vx::AddLibrary, Archive("sharp.lib", sharp)));
  vx::CloseLibrary();
  EXPECT_EQ(Read("SHARP\\a.jpg"), Bytes{});
  EXPECT_EQ(Read("DATA\\a.bin"), Bytes{});

  ASSERT_TRUE(Quietly(vx::OpenLibrary, classicPath));
  ASSERT_TRUE(Quietly(vx::AddLibrary, Archive("sharp.lib", sharp)));
  ASSERT_TRUE(Quietly(vx::OpenLibrary, classicPath));
  EXPECT_EQ(Read("SHARP\\a.jpg"), Bytes{});
  EXPECT_EQ(Read("DATA\\b.bin"), ToBytes("classic-b"));
}

TEST_F(AddedLibrary, AReadOfAnAddedNameUsesTheAddedArchiveAsItIsNow) {
  ASSERT_TRUE(Quietly(vx::OpenLibrary, Archive("classic.lib", classic)));
  const std::string sharpPath = Archive("sharp.lib", sharp);
  ASSERT_TRUE(Quietly(vx::AddLibrary, sharpPath));
  std::filesystem::remove(sharpPath);
  EXPECT_EQ(Read("SHARP\\a.jpg"), Bytes{});
  EXPECT_EQ(Read("DATA\\a.bin"), ToBytes("classic-a"));
}

}  // namespace
