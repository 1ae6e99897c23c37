// The data library builder: the archive's exact bytes, the description
// parser's states and commands, its limits, and the rule that a failed build
// never leaves a half-written archive nor damages an existing one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "support/testlib.h"

namespace {

using namespace vx::test;  // the archives, files and captures of the test support
using Lines = std::vector<std::string>;

// Joins lines with '\n' after each.
std::string Text(const Lines& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

std::vector<std::string> FolderEntries(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Every test works in a fresh folder, which is also the working directory
// the builder reads the listed files from.
class LibraryBuilder : public testing::Test {
 protected:
  LibraryBuilder() : cwd(dir.Path()) {
    std::filesystem::create_directory("DATA");
    vx::test::WriteFileBytes("DATA/a.bin", a);
    vx::test::WriteFileBytes("DATA/B.jpg", b);
  }
  void SetUp() override { vx::CloseLibrary(); }
  void TearDown() override { vx::CloseLibrary(); }

  // Writes the description and builds out.lib; the lines written are kept.
  bool Build(const std::string& description, const std::string& library = "out.lib") {
    vx::test::WriteTextFile("desc.txt", description);
    bool built = false;
    output = CaptureStdout([&] { built = vx::BuildLibrary("desc.txt", library); });
    lines = SplitLines(output);
    return built;
  }
  bool Exists(const std::string& path) { return vx::test::FileExists(path); }
  std::string LastLine() const { return lines.empty() ? std::string("(none)") : lines.back(); }

  vx::test::TempDir dir;
  vx::test::ScopedWorkingDirectory cwd;
  const Bytes a = ToBytes("0123456789");
  const Bytes b = ToBytes("abcdefghijklmnopqrst");
  const std::string twoFileDescription =
      Text({"[dir]", "DATA\\", "[file]", "a.bin", "B.jpg", "[end_of_dir]", "[eof]"});
  std::string output;
  Lines lines;
};

TEST_F(LibraryBuilder, TwoFilesOf10And20BytesGiveTheExactLayout) {
  ASSERT_TRUE(Build(twoFileDescription)) << output;
  Bytes archive = vx::test::ReadFileBytes("out.lib");
  // Hand-computed: 111 + 10 + 20 = 141 bytes before the index; each index
  // entry is 1 + 10 name bytes + 4 + 4 = 19 bytes.
  ASSERT_EQ(archive.size(), 141u + 2 * 19);
  const auto& header = vx::test::LibraryHeaderBytes();
  EXPECT_TRUE(std::equal(header.begin(), header.end(), archive.begin()));
  EXPECT_EQ(std::string(archive.begin(), archive.begin() + 17), "VFL11 - Hautvertr");
  EXPECT_EQ(archive[17], 0x84);
  EXPECT_EQ(archive[47], 0x84);
  EXPECT_EQ(archive[102], 0x1B);
  EXPECT_EQ(Bytes(archive.begin() + 103, archive.begin() + 111), (Bytes{2, 0, 0, 0, 141, 0, 0, 0}));
  EXPECT_EQ(Bytes(archive.begin() + 111, archive.begin() + 121), a);
  EXPECT_EQ(Bytes(archive.begin() + 121, archive.begin() + 141), b);
  Bytes index = ToBytes(
      "\x0A"
      "DATA\\a.bin");
  for (std::uint8_t byte : {10, 0, 0, 0, 111, 0, 0, 0}) index.push_back(byte);
  Bytes second = ToBytes(
      "\x0A"
      "DATA\\B.jpg");
  for (std::uint8_t byte : {20, 0, 0, 0, 121, 0, 0, 0}) second.push_back(byte);
  index.insert(index.end(), second.begin(), second.end());
  EXPECT_EQ(Bytes(archive.begin() + 141, archive.end()), index);
  // The independent writer of the test support agrees.
  EXPECT_EQ(archive, MakeLibraryImage({{"DATA\\a.bin", a}, {"DATA\\B.jpg", b}}));
}

TEST_F(LibraryBuilder, PrintsEveryStepOfASuccessfulBuild) {
  ASSERT_TRUE(Build(twoFileDescription));
  Lines expected = {"",
                    "Reading description file 'desc.txt'",
                    "Reading file list",
                    "",
                    "Found [dir] command at line 1",
                    "Waiting for directory name",
                    "Using directory name 'DATA\\',waiting for [file] command",
                    "Found [file] command at line 3",
                    "Waiting for file names or [end_of_dir] command",
                    "Using file name 'DATA\\a.bin'",
                    "Using file name 'DATA\\B.jpg'",
                    "Found [end_of_dir] command at line 6",
                    "Waiting for new directory",
                    "Found [eof] command at line 7",
                    "",
                    "Closing description file",
                    "",
                    "Number of files: 2",
                    "",
                    "Writing library file 'out.lib'",
                    "Writing header",
                    "",
                    "Adding 'DATA\\a.bin' (10 bytes @ position 111)",
                    "Adding 'DATA\\B.jpg' (20 bytes @ position 121)",
                    "",
                    "Writing file index",
                    "Closing file",
                    "",
                    "2 files added successfully"};
  EXPECT_EQ(lines, expected);
}

TEST_F(LibraryBuilder, TheReaderServesEveryBuiltFileBack) {
  std::filesystem::create_directories("DATA/SUB");
  vx::test::WriteFileBytes("DATA/SUB/deep.3ds", ToBytes("deep data"));
  ASSERT_TRUE(Build(Text({"[dir]", "DATA\\", "[file]", "a.bin", "B.jpg", "[end_of_dir]", "[dir]",
                          "DATA\\SUB\\", "[file]", "deep.3ds", "[end_of_dir]", "[eof]"})));
  testing::internal::CaptureStdout();
  ASSERT_TRUE(vx::OpenLibrary("out.lib"));
  std::vector<std::pair<std::string, Bytes>> expected = {
      {"DATA\\a.bin", a}, {"DATA\\B.jpg", b}, {"DATA\\SUB\\deep.3ds", ToBytes("deep data")}};
  for (const auto& [name, bytes] : expected) {
    ASSERT_EQ(vx::LibraryFileSize(name), static_cast<std::int32_t>(bytes.size())) << name;
    Bytes buffer(bytes.size());
    EXPECT_TRUE(vx::ReadLibraryFile(name, buffer.data()));
    EXPECT_EQ(buffer, bytes) << name;
  }
  testing::internal::GetCapturedStdout();
}

TEST_F(LibraryBuilder, EachCommandInAWrongStateFailsAtItsLine) {
  // Lines that bring the parser into each state.
  const Lines toState[5] = {
      {"text"},
      {"[dir]"},
      {"[dir]", "DATA\\"},
      {"[dir]", "DATA\\", "[file]", "a.bin"},
      {"[dir]", "DATA\\", "[file]", "a.bin", "[end_of_dir]"},
  };
  const std::vector<std::pair<int, std::string>> wrong = {
      {0, "[file]"},       {0, "[end_of_dir]"}, {1, "[dir]"},        {1, "[file]"},
      {1, "[end_of_dir]"}, {2, "[dir]"},        {2, "[end_of_dir]"}, {3, "[dir]"},
      {3, "[file]"},       {4, "[file]"},       {4, "[end_of_dir]"},
  };
  for (const auto& [state, command] : wrong) {
    Lines description = toState[state];
    description.push_back(command);
    description.push_back("[eof]");
    int lineNumber = static_cast<int>(description.size()) - 1;
    EXPECT_FALSE(Build(Text(description))) << command << " in state " << state;
    EXPECT_EQ(LastLine(), "Found " + command + " command at line " + std::to_string(lineNumber))
        << command << " in state " << state;
    EXPECT_FALSE(Exists("out.lib"));
  }
}

TEST_F(LibraryBuilder, EofEndsTheReadInAnyStateAndNothingAfterItIsRead) {
  // After a finished block, in state 2 of a second one, then wrong commands.
  ASSERT_TRUE(Build(Text({"[dir]", "DATA\\", "[file]", "a.bin", "[end_of_dir]", "[dir]", "OTHER\\",
                          "[eof]", "[file]", "[end_of_dir]", "[dir]", "[dir]"})))
      << output;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Found [eof] command at line 8"), 1);
  EXPECT_EQ(vx::test::ReadFileBytes("out.lib"), MakeLibraryImage({{"DATA\\a.bin", a}}));
  // In state 3, straight after the file names.
  ASSERT_TRUE(Build(Text({"[dir]", "DATA\\", "[file]", "B.jpg", "[eof]", "a.bin"})));
  EXPECT_EQ(vx::test::ReadFileBytes("out.lib"), MakeLibraryImage({{"DATA\\B.jpg", b}}));
  // As the first line: nothing listed, so no archive.
  EXPECT_FALSE(Build(Text({"[eof]", "[dir]", "DATA\\", "[file]", "a.bin"})));
  EXPECT_EQ(SplitLines(output),
            (Lines{"", "Reading description file 'desc.txt'", "Reading file list", "",
                   "Found [eof] command at line 1", "", "Closing description file"}));
}

TEST_F(LibraryBuilder, ADescriptionWithoutEofIsReadToItsEnd) {
  ASSERT_TRUE(Build(Text({"[dir]", "DATA\\", "[file]", "a.bin", "[end_of_dir]"})));
  EXPECT_EQ(vx::test::ReadFileBytes("out.lib"), MakeLibraryImage({{"DATA\\a.bin", a}}));
  // Ending inside the file list, last line without a line end.
  ASSERT_TRUE(Build("[dir]\nDATA\\\n[file]\na.bin\nB.jpg"));
  EXPECT_EQ(vx::test::ReadFileBytes("out.lib"),
            MakeLibraryImage({{"DATA\\a.bin", a}, {"DATA\\B.jpg", b}}));
}

TEST_F(LibraryBuilder, TextOutsideADirectoryBlockIsIgnoredSilently) {
  ASSERT_TRUE(Build(Text({"before", "", "[dir]", "DATA\\", "between dir and file", "[file]",
                          "a.bin", "[end_of_dir]", "after block", "[DIR]", "[dir]", "DATA\\",
                          "[file]", "B.jpg", "[end_of_dir]", "[eof]"})))
      << output;
  for (const char* ignored : {"before", "between", "after", "[DIR]"}) {
    for (const auto& line : lines) EXPECT_EQ(line.find(ignored), std::string::npos) << line;
  }
  EXPECT_EQ(vx::test::ReadFileBytes("out.lib"),
            MakeLibraryImage({{"DATA\\a.bin", a}, {"DATA\\B.jpg", b}}));
}

TEST_F(LibraryBuilder, CommandsMatchOnlyTheWholeLineExactly) {
  // " [file]" and "[File]" are file names here, and name no file.
  EXPECT_FALSE(Build(Text({"[dir]", "DATA\\", "[file]", "[File]", "[end_of_dir]"})));
  EXPECT_EQ(LastLine(), "Using file name 'DATA\\[File]'");
  EXPECT_FALSE(Build(Text({"[dir]", "DATA\\", "[file]", "a.bin", " [end_of_dir]"})));
  EXPECT_EQ(LastLine(), "Using file name 'DATA\\ [end_of_dir]'");
}

TEST_F(LibraryBuilder, ADirectoryWithoutBackslashJoinsDirectly) {
  vx::test::WriteFileBytes("DATAa.jpg", ToBytes("joined"));
  ASSERT_TRUE(Build(Text({"[dir]", "DATA", "[file]", "a.jpg", "[end_of_dir]", "[eof]"})));
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Using file name 'DATAa.jpg'"), lines.end());
  EXPECT_EQ(vx::test::ReadFileBytes("out.lib"),
            MakeLibraryImage({{"DATAa.jpg", ToBytes("joined")}}));
}

TEST_F(LibraryBuilder, WindowsLineEndsAreStrippedAndNamesKeepTheirCase) {
  ASSERT_TRUE(Build("[dir]\r\nDATA\\\r\n[file]\r\na.bin\r\nB.jpg\r\n[end_of_dir]\r\n[eof]\r\n"))
      << output;
  EXPECT_EQ(vx::test::ReadFileBytes("out.lib"),
            MakeLibraryImage({{"DATA\\a.bin", a}, {"DATA\\B.jpg", b}}));
  // The name on disk is looked up as the file system does: where it tells
  // letter case apart (not on Windows) b.jpg does not exist; where it does
  // not, b.jpg is B.jpg and is stored under the name the list gives.
  const bool caseBlind = std::filesystem::exists("DATA/b.jpg");
  EXPECT_EQ(Build(Text({"[dir]", "DATA\\", "[file]", "b.jpg", "[eof]"})), caseBlind);
  if (caseBlind) {
    EXPECT_EQ(vx::test::ReadFileBytes("out.lib"), MakeLibraryImage({{"DATA\\b.jpg", b}}));
  }
}

TEST_F(LibraryBuilder, LinesAreCutTo128CharactersAfterTheirCarriageReturn) {
  const std::string name128(128, 'n');
  const std::string name127(127, 'n');
  vx::test::WriteFileBytes(name128, ToBytes("long name"));
  vx::test::WriteFileBytes(name127, ToBytes("shorter"));
  // A file line and the name it gives after an empty directory line.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {name128 + std::string(40, 'x'), name128},
      {name128 + "\r", name128},
      {name128 + "\r\r", name128},
      {name128 + std::string(100000, 'x') + "\r", name128},
      {name127 + "\r", name127},
  };
  for (const auto& [fileLine, stored] : cases) {
    ASSERT_TRUE(Build(Text({"[dir]", "", "[file]", fileLine, "[eof]"}))) << output;
    EXPECT_EQ(vx::test::ReadFileBytes("out.lib"),
              MakeLibraryImage({{stored, vx::test::ReadFileBytes(stored)}}))
        << fileLine.size();
  }
}

// A NUL would be stored in the name, while the file read from disk is the
// name up to the NUL; any line with one is refused, wherever it stands.
TEST_F(LibraryBuilder, ALineHoldingANulByteIsRefusedAtItsLine) {
  vx::test::WriteFileBytes("DATA/a.b", ToBytes("the name up to the NUL"));
  const std::string nul(1, '\0');
  const std::vector<std::pair<Lines, std::string>> cases = {
      {{"[dir]", "DATA\\", "[file]", "a.b" + nul + "in", "[eof]"}, "line 4"},
      {{"[dir]", "DATA\\" + nul, "[file]", "a.b", "[eof]"}, "line 2"},
      {{"notes " + nul, "[dir]", "DATA\\", "[file]", "a.bin", "[eof]"}, "line 1"},
      {{"[dir]", "DATA\\", "[file]", "a.bin", "a.b" + std::string(200, ' ') + nul}, "line 5"},
  };
  for (const auto& [description, line] : cases) {
    EXPECT_FALSE(Build(Text(description))) << line;
    EXPECT_EQ(vx::LibraryBuildError(), line + " holds a NUL byte");
    EXPECT_FALSE(Exists("out.lib"));
  }
}

// The commands match exactly; a refusal that follows from a near miss says
// which earlier line it was and what is odd about it.
TEST_F(LibraryBuilder, ARefusalNamesTheLineThatWasACommandButForAMarkOrBlanks) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::vector<std::pair<Lines, std::string>> cases = {
      {{bom + "[dir]", "DATA\\", "[file]", "a.bin"},
       "[file] command out of place at line 3; line 1 is \"\\357\\273\\277[dir]\", not "
       "\"[dir]\": a byte-order mark"},
      {{" [dir]", "DATA\\", "[file]", "a.bin"},
       "[file] command out of place at line 3; line 1 is \" [dir]\", not \"[dir]\": a blank "
       "before it"},
      {{"[dir]", "DATA\\", "[file]\t", "a.bin", "[end_of_dir]"},
       "[end_of_dir] command out of place at line 5; line 3 is \"[file]\\011\", not "
       "\"[file]\": a blank after it"},
      {{bom + " [dir] ", "DATA\\", "[file]"},
       "[file] command out of place at line 3; line 1 is \"\\357\\273\\277 [dir] \", not "
       "\"[dir]\": a byte-order mark, a blank before it and a blank after it"},
      {{"[dir]", "DATA\\", "[file]", "a.bin", "[end_of_dir] "},
       "cannot read 'DATA/[end_of_dir] ': No such file or directory; line 5 is \"[end_of_dir] "
       "\", not \"[end_of_dir]\": a blank after it"},
      // A near miss before an accepted command, and other text, give no hint.
      {{" [dir]", "[dir]", "[end_of_dir]"}, "[end_of_dir] command out of place at line 3"},
      {{"[DIR]", "[dir]x", "[ dir ]", "DATA\\", "[file]"},
       "[file] command out of place at line 5"},
  };
  for (const auto& [description, reason] : cases) {
    EXPECT_FALSE(Build(Text(description))) << reason;
    EXPECT_EQ(vx::LibraryBuildError(), reason);
  }
}

TEST_F(LibraryBuilder, RefusesAStoredNameLongerThan128Characters) {
  std::string directory = std::string(100, 'd') + "\\";
  std::string file(28, 'f');  // 101 + 28 = 129 characters
  std::filesystem::create_directory(std::string(100, 'd'));
  vx::test::WriteFileBytes(std::string(100, 'd') + "/" + file, ToBytes("x"));
  EXPECT_FALSE(Build(Text({"[dir]", directory, "[file]", file, "[eof]"})));
  EXPECT_EQ(LastLine(), "Refused: file name longer than 128 characters");
  // One character less fits.
  vx::test::WriteFileBytes(std::string(100, 'd') + "/" + file.substr(1), ToBytes("x"));
  EXPECT_TRUE(Build(Text({"[dir]", directory, "[file]", file.substr(1), "[eof]"}))) << output;
}

TEST_F(LibraryBuilder, FailsOnAFileThatIsMissingEmptyOrBlank) {
  vx::test::WriteFileBytes("DATA/empty.bin", {});
  struct Case {
    const char* file;
    const char* lastLine;
  };
  const Case cases[] = {
      {"missing.bin", "Using file name 'DATA\\missing.bin'"},
      {"empty.bin", "Using file name 'DATA\\empty.bin'"},
      {"", "Using file name 'DATA\\'"},  // a blank line names the folder itself
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(
        Build(Text({"[dir]", "DATA\\", "[file]", "a.bin", c.file, "[end_of_dir]", "[eof]"})))
        << c.file;
    EXPECT_EQ(LastLine(), c.lastLine);
    EXPECT_FALSE(Exists("out.lib"));
  }
}

TEST_F(LibraryBuilder, FailsWhenNothingIsListedOrTheDescriptionIsMissing) {
  EXPECT_FALSE(Build(Text({"[dir]", "DATA\\", "[file]", "[end_of_dir]", "[eof]"})));
  EXPECT_EQ(LastLine(), "Closing description file");
  bool built = true;
  output = CaptureStdout([&] { built = vx::BuildLibrary("no-such.txt", "out.lib"); });
  EXPECT_FALSE(built);
  EXPECT_EQ(SplitLines(output), (Lines{"", "Reading description file 'no-such.txt'"}));
  EXPECT_FALSE(Exists("out.lib"));
}

TEST_F(LibraryBuilder, Accepts1024FilesAndRefusesThe1025thFileLine) {
  Lines description = {"[dir]", "DATA\\", "[file]"};
  description.insert(description.end(), 1024, "a.bin");
  ASSERT_TRUE(Build(Text(description)));
  EXPECT_EQ(LastLine(), "1024 files added successfully");
  testing::internal::CaptureStdout();
  EXPECT_TRUE(vx::OpenLibrary("out.lib"));
  testing::internal::GetCapturedStdout();

  description.push_back("a.bin");
  description.push_back("[end_of_dir]");
  std::filesystem::remove("out.lib");
  EXPECT_FALSE(Build(Text(description)));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Using file name 'DATA\\a.bin'"), 1025);
  EXPECT_EQ(LastLine(), "Refused: a library holds at most 1024 files");
  EXPECT_FALSE(Exists("out.lib"));
}

TEST_F(LibraryBuilder, AFailedBuildLeavesAnExistingArchiveUntouched) {
  Bytes good = ToBytes("an existing good archive");
  vx::test::WriteFileBytes("out.lib", good);
  EXPECT_FALSE(Build(Text({"[dir]", "DATA\\", "[file]", "a.bin", "gone.bin", "[eof]"})));
  EXPECT_EQ(vx::test::ReadFileBytes("out.lib"), good);

  // A source file vanishing between the two passes fails the copy half-way.
  vx::test::WriteFileBytes("DATA/gone.bin", ToBytes("soon gone"));
  vx::test::WriteTextFile("desc.txt",
                          Text({"[dir]", "DATA\\", "[file]", "a.bin", "gone.bin", "[eof]"}));
  bool described = false;
  bool written = true;
  output = CaptureStdout([&] {
    described = vx::ReadDescriptionFile("desc.txt");
    std::filesystem::remove("DATA/gone.bin");
    written = vx::WriteLibrary("out.lib");
  });
  EXPECT_TRUE(described);
  EXPECT_FALSE(written);
  EXPECT_EQ(SplitLines(output).back(), "Adding 'DATA\\gone.bin' (9 bytes @ position 121)");
  EXPECT_EQ(vx::test::ReadFileBytes("out.lib"), good);
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"DATA", "desc.txt", "out.lib"}));
}

TEST_F(LibraryBuilder, ASuccessfulBuildReplacesTheArchiveAndLeavesNoTemporaryFile) {
  vx::test::WriteFileBytes("out.lib", ToBytes("old"));
  ASSERT_TRUE(Build(twoFileDescription));
  EXPECT_EQ(vx::test::ReadFileBytes("out.lib"),
            MakeLibraryImage({{"DATA\\a.bin", a}, {"DATA\\B.jpg", b}}));
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"DATA", "desc.txt", "out.lib"}));
  // An ordinary new file's permissions, not a private temporary file's.
  mode_t mask = umask(0);
  umask(mask);
  struct stat info {};
  ASSERT_EQ(stat("out.lib", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST_F(LibraryBuilder, FailsWhenTheArchiveCannotBeCreated) {
  EXPECT_FALSE(Build(twoFileDescription, "no-such-folder/out.lib"));
  EXPECT_EQ(LastLine(), "Writing library file 'no-such-folder/out.lib'");
  EXPECT_FALSE(Build(twoFileDescription, "DATA"));  // a folder is not replaced
  EXPECT_TRUE(std::filesystem::is_directory("DATA"));
  EXPECT_EQ(FolderEntries("DATA"), (std::vector<std::string>{"B.jpg", "a.bin"}));
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"DATA", "desc.txt"}));
}

TEST_F(LibraryBuilder, WriteLibraryNeedsASuccessfullyReadDescription) {
  EXPECT_FALSE(Build(Text({"[dir]", "DATA\\", "[file]", "a.bin", "missing", "[eof]"})));
  bool written = true;
  output = CaptureStdout([&] { written = vx::WriteLibrary("out.lib"); });
  EXPECT_FALSE(written);
  EXPECT_EQ(SplitLines(output).back(), "Refused: no description file has been read");
  EXPECT_FALSE(Exists("out.lib"));
}

TEST_F(LibraryBuilder, BuildingLeavesAnOpenLibraryUsable) {
  vx::test::TempDir other;
  ASSERT_TRUE(vx::test::OpenTestLibrary(other, {{"DATA\\kept", ToBytes("kept")}}));
  ASSERT_TRUE(Build(twoFileDescription));
  Bytes buffer(4, 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(vx::LibraryFileSize("DATA\\kept"), 4);
  EXPECT_TRUE(vx::ReadLibraryFile("DATA\\kept", buffer.data()));
  EXPECT_EQ(vx::LibraryFileSize("DATA\\a.bin"), 0);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(buffer, ToBytes("kept"));
}

TEST_F(LibraryBuilder, RefusesAFileOrAnArchiveBeyond32BitPositions) {
  // Sparse files: only their sizes are measured before the refusal.
  vx::test::WriteFileBytes("DATA/huge", {});
  std::filesystem::resize_file("DATA/huge", 2147483648ull);
  EXPECT_FALSE(Build(Text({"[dir]", "DATA\\", "[file]", "huge", "[eof]"})));
  EXPECT_EQ(LastLine(), "Refused: file larger than 2147483647 bytes");

  vx::test::WriteFileBytes("DATA/big", {});
  std::filesystem::resize_file("DATA/big", 1073741824);
  EXPECT_FALSE(Build(Text({"[dir]", "DATA\\", "[file]", "big", "big", "[eof]"})));
  EXPECT_EQ(LastLine(), "Refused: the files' data exceeds 2147483647 bytes");
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"DATA", "desc.txt"}));
}

}  // namespace
