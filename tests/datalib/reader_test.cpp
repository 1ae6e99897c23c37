// The data library reader: exact progress lines, exact name matching, and
// refusal of every archive that would overrun the index table or point
// outside the file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "support/testlib.h"

namespace {

using namespace vx::test;  // the archives, files and captures of the test support
using Lines = std::vector<std::string>;

void PutInt32(Bytes& image, std::size_t offset, std::int64_t value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) image.at(offset + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

class LibraryReader : public testing::Test {
 protected:
  void SetUp() override { vx::CloseLibrary(); }
  void TearDown() override { vx::CloseLibrary(); }

  std::string Write(const Bytes& image) {
    std::string path = dir.File("x.lib");
    vx::test::WriteFileBytes(path, image);
    return path;
  }
  // Opens the image quietly; the lines written are kept in output.
  bool Open(const Bytes& image) {
    std::string path = Write(image);
    bool opened = false;
    output = CaptureStdout([&] { opened = vx::OpenLibrary(path); });
    return opened;
  }
  bool NoLibraryOpen() {
    std::string text = CaptureStdout([] { EXPECT_EQ(vx::LibraryFileSize("a"), 0); });
    return text.empty();
  }

  vx::test::TempDir dir;
  std::string output;
  const std::vector<LibraryFile> twoFiles = {
      {"DATA\\a.bin", ToBytes("0123456789")},
      {"DATA\\B.jpg", ToBytes("abcdefghijklmnopqrst")},
  };
};

TEST_F(LibraryReader, OpenPrintsEveryStepAndTheIndex) {
  ASSERT_TRUE(Open(MakeLibraryImage(twoFiles)));
  Lines expected = {"",
                    "Checking header",
                    "Header match.",
                    "Reading number of files",
                    "Number of files: 2",
                    "Reading index position",
                    "Index position: 141",
                    "",
                    "Found file 'DATA\\a.bin' (10 bytes @ position 111)",
                    "Found file 'DATA\\B.jpg' (20 bytes @ position 121)",
                    "",
                    "Closing library file"};
  EXPECT_EQ(SplitLines(output), expected);
}

TEST_F(LibraryReader, ReadsEachFileWholeWithoutTouchingBytesBeyondIt) {
  ASSERT_TRUE(Open(MakeLibraryImage(twoFiles)));
  for (const auto& [name, bytes] : twoFiles) {
    std::int32_t size = -1;
    std::string text = CaptureStdout([&] { size = vx::LibraryFileSize(name); });
    EXPECT_EQ(text, "Searching for file '" + name + "'\n");
    ASSERT_EQ(size, static_cast<std::int32_t>(bytes.size()));
    Bytes buffer(bytes.size() + 4, 0xEE);
    bool read = false;
    text = CaptureStdout([&] { read = vx::ReadLibraryFile(name, buffer.data()); });
    EXPECT_TRUE(read);
    EXPECT_EQ(text, "Searching for file '" + name + "'\n");
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + size), bytes);
    EXPECT_EQ(Bytes(buffer.begin() + size, buffer.end()), Bytes(4, 0xEE)) << name;
  }
}

TEST_F(LibraryReader, ListPrintsCountAndNamesInIndexOrder) {
  ASSERT_TRUE(Open(MakeLibraryImage(twoFiles)));
  bool listed = false;
  std::string text = CaptureStdout([&] { listed = vx::ListLibrary(); });
  EXPECT_TRUE(listed);
  Lines expected = {
      "", "Listing library", "Library contains 2 files:", "", "DATA\\a.bin", "DATA\\B.jpg", ""};
  EXPECT_EQ(SplitLines(text), expected);
}

TEST_F(LibraryReader, WithoutOpenLibrarySizeReadAndListFailQuietly) {
  Bytes buffer(4, 0);
  std::int32_t size = -1;
  bool read = true;
  std::string text = CaptureStdout([&] {
    size = vx::LibraryFileSize("DATA\\a.bin");
    read = vx::ReadLibraryFile("DATA\\a.bin", buffer.data());
  });
  EXPECT_EQ(size, 0);
  EXPECT_FALSE(read);
  EXPECT_EQ(text, "");
  bool listed = true;
  text = CaptureStdout([&] { listed = vx::ListLibrary(); });
  EXPECT_FALSE(listed);
  EXPECT_EQ(SplitLines(text), (Lines{"", "Listing library"}));
}

TEST_F(LibraryReader, NamesMatchByteForByteOnly) {
  ASSERT_TRUE(Open(MakeLibraryImage({{"DATA\\oompa.mp3", ToBytes("mp3data")}})));
  Bytes buffer(7, 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(vx::LibraryFileSize("DATA\\oompa.mp3"), 7);
  EXPECT_TRUE(vx::ReadLibraryFile("DATA\\oompa.mp3", buffer.data()));
  for (const char* other : {"data\\oompa.mp3", "DATA\\OOMPA.MP3", "DATA/oompa.mp3",
                            "DATA\\oompa.mp", "DATA\\oompa.mp3 ", "oompa.mp3", ""}) {
    EXPECT_EQ(vx::LibraryFileSize(other), 0) << other;
    EXPECT_FALSE(vx::ReadLibraryFile(other, buffer.data())) << other;
  }
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(buffer, ToBytes("mp3data"));
}

TEST_F(LibraryReader, TwoEqualNamesAreServedFromTheFirstEntry) {
  ASSERT_TRUE(
      Open(MakeLibraryImage({{"DATA\\x", ToBytes("first")}, {"DATA\\x", ToBytes("second!")}})));
  Bytes buffer(5, 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(vx::LibraryFileSize("DATA\\x"), 5);
  EXPECT_TRUE(vx::ReadLibraryFile("DATA\\x", buffer.data()));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(buffer, ToBytes("first"));
}

TEST_F(LibraryReader, AnEmptyStoredFileHasSizeZeroLikeAMissingOne) {
  ASSERT_TRUE(Open(MakeLibraryImage({{"DATA\\empty", {}}, {"DATA\\full", ToBytes("x")}})));
  testing::internal::CaptureStdout();
  EXPECT_EQ(vx::LibraryFileSize("DATA\\empty"), 0);
  EXPECT_EQ(vx::LibraryFileSize("DATA\\full"), 1);
  testing::internal::GetCapturedStdout();
}

TEST_F(LibraryReader, RefusesAHeaderThatDiffersInAnyByte) {
  Bytes good = MakeLibraryImage(twoFiles);
  for (std::size_t at : {std::size_t{0}, std::size_t{17}, std::size_t{47}, std::size_t{102}}) {
    Bytes image = good;
    image[at] ^= 0x01;
    EXPECT_FALSE(Open(image)) << "byte " << at;
    EXPECT_EQ(SplitLines(output), (Lines{"", "Checking header"})) << "byte " << at;
    EXPECT_TRUE(NoLibraryOpen());
  }
}

TEST_F(LibraryReader, RefusesZeroFilesEvenWithAMatchingHeader) {
  EXPECT_FALSE(Open(MakeLibraryImage({})));
  EXPECT_EQ(SplitLines(output),
            (Lines{"", "Checking header", "Header match.", "Reading number of files"}));
  EXPECT_TRUE(NoLibraryOpen());
}

TEST_F(LibraryReader, RefusesEveryTruncatedArchiveAndAMissingOne) {
  Bytes good = MakeLibraryImage(twoFiles);
  for (std::size_t length = 0; length < good.size(); ++length) {
    EXPECT_FALSE(Open(Bytes(good.begin(), good.begin() + length))) << "length " << length;
  }
  EXPECT_TRUE(NoLibraryOpen());
  bool opened = true;
  output = CaptureStdout([&] { opened = vx::OpenLibrary(dir.File("missing.lib")); });
  EXPECT_FALSE(opened);
  EXPECT_EQ(SplitLines(output), (Lines{"", "Checking header"}));
}

TEST_F(LibraryReader, AcceptsExactly1024EntriesAndRefuses1025) {
  std::vector<LibraryFile> files;
  for (int i = 0; i < 1025; ++i) files.push_back({"f" + std::to_string(i), {std::uint8_t(i)}});
  Bytes tooMany = MakeLibraryImage(files);
  EXPECT_FALSE(Open(tooMany));
  Lines lines = SplitLines(output);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "Number of files: 1025");
  EXPECT_EQ(lines.back(), "Refused: more than 1024 files");
  EXPECT_TRUE(NoLibraryOpen());

  files.pop_back();
  ASSERT_TRUE(Open(MakeLibraryImage(files)));
  std::uint8_t byte = 0;
  testing::internal::CaptureStdout();
  EXPECT_EQ(vx::LibraryFileSize("f1023"), 1);
  EXPECT_TRUE(vx::ReadLibraryFile("f1023", &byte));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(byte, std::uint8_t(1023 & 0xFF));
}

TEST_F(LibraryReader, RefusesANegativeFileCountOrIndexPosition) {
  Bytes image = MakeLibraryImage(twoFiles);
  PutInt32(image, 103, -2);
  EXPECT_FALSE(Open(image));
  EXPECT_EQ(SplitLines(output).back(), "Refused: negative number of files");

  image = MakeLibraryImage(twoFiles);
  PutInt32(image, 107, -141);
  EXPECT_FALSE(Open(image));
  EXPECT_EQ(SplitLines(output).back(), "Refused: negative index position");
  EXPECT_TRUE(NoLibraryOpen());
}

TEST_F(LibraryReader, AcceptsA128ByteNameAndRefusesA129ByteOne) {
  std::string name128(128, 'n');
  ASSERT_TRUE(Open(MakeLibraryImage({{name128, ToBytes("ok")}})));
  testing::internal::CaptureStdout();
  EXPECT_EQ(vx::LibraryFileSize(name128), 2);
  testing::internal::GetCapturedStdout();

  vx::CloseLibrary();
  EXPECT_FALSE(Open(MakeLibraryImage({{std::string(129, 'n'), ToBytes("no")}})));
  EXPECT_EQ(SplitLines(output).back(), "Refused: file name of 129 bytes (at most 128)");
  EXPECT_TRUE(NoLibraryOpen());
}

TEST_F(LibraryReader, RefusesAnEntryWhoseDataDoesNotLieInsideTheFile) {
  Bytes good = MakeLibraryImage(twoFiles);
  const std::int64_t fileSize = static_cast<std::int64_t>(good.size());
  const std::size_t sizeAt = good.size() - 8;  // the last entry's size, then position
  const std::size_t positionAt = sizeAt + 4;
  struct Case {
    const char* what;
    std::int64_t size;
    std::int64_t position;
  };
  // The last entry normally holds 20 bytes at 121.
  const Case cases[] = {
      {"one byte past the end", fileSize - 121 + 1, 121},
      {"starts past the end", 1, fileSize},
      {"negative size", -1, 121},
      {"negative position", 20, -121},
      {"sum overflows 32 bits", 0x7FFFFF00, 0x7FFFFF00},
  };
  for (const Case& c : cases) {
    Bytes image = good;
    PutInt32(image, sizeAt, c.size);
    PutInt32(image, positionAt, c.position);
    EXPECT_FALSE(Open(image)) << c.what;
    Lines lines = SplitLines(output);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().rfind("Refused: file 'DATA\\B.jpg'", 0), 0u)
        << c.what << ": " << lines.back();
    EXPECT_TRUE(NoLibraryOpen()) << c.what;
  }
  // Data reaching exactly to the end of the file is inside it.
  Bytes image = good;
  PutInt32(image, sizeAt, fileSize - 121);
  EXPECT_TRUE(Open(image));
}

// Position 0 lies inside the file (the archive is accepted) but is where the
// header is, so no stored file can start there: the name reads as absent and
// the buffer is left alone.
TEST_F(LibraryReader, AnEntryAtPositionZeroIsReadAsAbsent) {
  Bytes image = MakeLibraryImage(twoFiles);
  PutInt32(image, image.size() - 4, 0);  // the last entry's position
  ASSERT_TRUE(Open(image));
  Bytes buffer(20, 0xEE);
  bool read = true;
  CaptureStdout([&] { read = vx::ReadLibraryFile("DATA\\B.jpg", buffer.data()); });
  EXPECT_FALSE(read);
  EXPECT_EQ(buffer, Bytes(20, 0xEE));
}

TEST_F(LibraryReader, AFailedOpenKeepsTheLibraryOpenedBefore) {
  vx::test::TempDir other;
  std::string goodPath = other.File("good.lib");
  vx::test::WriteFileBytes(goodPath, MakeLibraryImage(twoFiles));
  testing::internal::CaptureStdout();
  ASSERT_TRUE(vx::OpenLibrary(goodPath));
  testing::internal::GetCapturedStdout();

  // The refused archive's first entry is read before the refusal.
  EXPECT_FALSE(Open(MakeLibraryImage({{"DATA\\new", ToBytes("n")}, {std::string(200, 'x'), {}}})));
  Bytes buffer(10, 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(vx::LibraryFileSize("DATA\\new"), 0);
  EXPECT_EQ(vx::LibraryFileSize("DATA\\a.bin"), 10);
  EXPECT_TRUE(vx::ReadLibraryFile("DATA\\a.bin", buffer.data()));
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(buffer, ToBytes("0123456789"));
}

TEST_F(LibraryReader, AnotherOpenReplacesTheIndexAndCloseForgetsIt) {
  ASSERT_TRUE(Open(MakeLibraryImage(twoFiles)));
  vx::test::TempDir other;
  ASSERT_TRUE(vx::test::OpenTestLibrary(other, {{"DATA\\other", ToBytes("zz")}}));
  testing::internal::CaptureStdout();
  EXPECT_EQ(vx::LibraryFileSize("DATA\\a.bin"), 0);
  EXPECT_EQ(vx::LibraryFileSize("DATA\\other"), 2);
  testing::internal::GetCapturedStdout();
  vx::CloseLibrary();
  EXPECT_TRUE(NoLibraryOpen());
}

TEST_F(LibraryReader, EveryReadOpensTheArchiveAnew) {
  std::string path = Write(MakeLibraryImage(twoFiles));
  testing::internal::CaptureStdout();
  ASSERT_TRUE(vx::OpenLibrary(path));
  testing::internal::GetCapturedStdout();
  // Same layout, other data: a read sees the file as it is now.
  vx::test::WriteFileBytes(path,
                           MakeLibraryImage({{"DATA\\a.bin", ToBytes("ABCDEFGHIJ")},
                                             {"DATA\\B.jpg", ToBytes("abcdefghijklmnopqrst")}}));
  Bytes buffer(10, 0);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(vx::ReadLibraryFile("DATA\\a.bin", buffer.data()));
  // Shrunk below the second file's data: that read fails, cleanly.
  std::filesystem::resize_file(path, 125);
  Bytes second(20, 0);
  EXPECT_FALSE(vx::ReadLibraryFile("DATA\\B.jpg", second.data()));
  // Gone altogether: reads fail, the index stays.
  std::filesystem::remove(path);
  EXPECT_FALSE(vx::ReadLibraryFile("DATA\\a.bin", buffer.data()));
  EXPECT_EQ(vx::LibraryFileSize("DATA\\a.bin"), 10);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(buffer, ToBytes("ABCDEFGHIJ"));
}

// Runs call, which must not wait on the FIFO at fifo. Should it hang there
// (an open of a FIFO without a writer waits for one), the test fails and a
// writer that comes and goes at once lets the call end.
bool ReturnsWithoutWaitingOn(const std::string& fifo, const std::function<bool()>& call) {
  auto result = std::async(std::launch::async, call);
  if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    ADD_FAILURE() << "still waiting on the FIFO " << fifo;
    vx::test::KnockOnFifo(fifo);
  }
  return result.get();
}

void ExpectRefusedAsNotARegularFile(const std::string& path, const std::string& fifo) {
  testing::internal::CaptureStdout();
  EXPECT_FALSE(ReturnsWithoutWaitingOn(fifo, [&] { return vx::OpenLibrary(path); })) << path;
  const Lines lines = SplitLines(testing::internal::GetCapturedStdout());
  EXPECT_EQ(lines, (Lines{"", "Checking header", "Refused: not a regular file"})) << path;
}

TEST_F(LibraryReader, OpenRefusesAFolder) {
  const std::string folder = dir.File("folder.lib");
  ASSERT_TRUE(std::filesystem::create_directory(folder));
  ExpectRefusedAsNotARegularFile(folder, {});
  EXPECT_TRUE(NoLibraryOpen());
}

TEST_F(LibraryReader, OpenRefusesAFifoWithoutWaitingOnItAndFollowsASymbolicLink) {
  if (!vx::test::HasPosixProcesses()) GTEST_SKIP() << "needs a FIFO";
  const std::string fifo = dir.File("fifo.lib");
  ASSERT_TRUE(vx::test::MakeFifo(fifo));
  ExpectRefusedAsNotARegularFile(fifo, fifo);
  EXPECT_TRUE(NoLibraryOpen());
  // A symbolic link is followed to the archive it names.
  const std::string link = dir.File("link.lib");
  std::filesystem::create_symlink(Write(MakeLibraryImage(twoFiles)), link);
  testing::internal::CaptureStdout();
  EXPECT_TRUE(vx::OpenLibrary(link));
  testing::internal::GetCapturedStdout();
}

TEST_F(LibraryReader, AReadFailsWithoutWaitingWhenTheArchiveBecameAFifo) {
  if (!vx::test::HasPosixProcesses()) GTEST_SKIP() << "needs a FIFO";
  std::string path = Write(MakeLibraryImage(twoFiles));
  testing::internal::CaptureStdout();
  ASSERT_TRUE(vx::OpenLibrary(path));
  std::filesystem::remove(path);
  ASSERT_TRUE(vx::test::MakeFifo(path));
  Bytes buffer(10, 0);
  EXPECT_FALSE(ReturnsWithoutWaitingOn(
      path, [&] { return vx::ReadLibraryFile("DATA\\a.bin", buffer.data()); }));
  testing::internal::GetCapturedStdout();
}

}  // namespace
