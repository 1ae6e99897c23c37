// The vxlib tool, run as a program: builds an archive from a description of
// files under DATA\, which must match the format byte for byte, lists it and
// extracts a file back; failures and usage errors give their exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/testlib.h"

namespace {

using vx::test::Bytes;
using vx::test::MakeLibraryImage;
using vx::test::RunProgram;
using vx::test::SplitLines;
using vx::test::ToBytes;

const std::string kVxlib = VX_BINARY_DIR "/vxlib";

class VxlibTool : public testing::Test {
 protected:
  VxlibTool() {
    std::filesystem::create_directories(dir.File("DATA/TEX"));
    vx::test::WriteFileBytes(dir.File("DATA/oompa.mp3"), music);
    vx::test::WriteFileBytes(dir.File("DATA/TEX/Wood.jpg"), texture);
    vx::test::WriteTextFile(
        dir.File("vx.txt"),
        "[dir]\r\nDATA\\\r\n[file]\r\noompa.mp3\r\n[end_of_dir]\r\n"
        "[dir]\r\nDATA\\TEX\\\r\n[file]\r\nWood.jpg\r\n[end_of_dir]\r\n[eof]\r\n");
  }
  vx::test::ProgramResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> command = {kVxlib};
    command.insert(command.end(), args.begin(), args.end());
    return RunProgram(command, dir.Path());
  }

  vx::test::TempDir dir;
  Bytes music = [] {
    Bytes bytes(3000);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
  }();
  Bytes texture = ToBytes("\xFF\xD8 not really a picture \xFF\xD9");
};

TEST_F(VxlibTool, BuildsListsAndExtractsAnArchiveOfDataFiles) {
  auto built = Run({"build", "vx.txt", "vx-1.lib"});
  ASSERT_EQ(built.exitCode, 0) << built.out << built.err;
  EXPECT_EQ(built.err, "");
  EXPECT_EQ(SplitLines(built.out).back(), "2 files added successfully");
  EXPECT_EQ(vx::test::ReadFileBytes(dir.File("vx-1.lib")),
            MakeLibraryImage({{"DATA\\oompa.mp3", music}, {"DATA\\TEX\\Wood.jpg", texture}}));

  auto listed = Run({"list", "vx-1.lib"});
  ASSERT_EQ(listed.exitCode, 0) << listed.err;
  std::vector<std::string> lines = SplitLines(listed.out);
  std::vector<std::string> tail = {"", "Listing library", "Library contains 2 files:",
                                   "", "DATA\\oompa.mp3", "DATA\\TEX\\Wood.jpg",
                                   ""};
  ASSERT_GE(lines.size(), tail.size());
  EXPECT_EQ(std::vector<std::string>(lines.end() - tail.size(), lines.end()), tail);

  auto extracted = Run({"extract", "vx-1.lib", "DATA\\oompa.mp3", "out.mp3"});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  EXPECT_EQ(vx::test::ReadFileBytes(dir.File("out.mp3")), music);
  extracted = Run({"extract", "vx-1.lib", "DATA\\TEX\\Wood.jpg", "wood.jpg"});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.err;
  EXPECT_EQ(vx::test::ReadFileBytes(dir.File("wood.jpg")), texture);
}

TEST_F(VxlibTool, FailuresExitWith1AndOneLineOnStandardError) {
  auto missing = Run({"list", "x.lib"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err, "vxlib: cannot open library 'x.lib'\n");

  auto badBuild = Run({"build", "nothing.txt", "vx-1.lib"});
  EXPECT_EQ(badBuild.exitCode, 1);
  EXPECT_EQ(SplitLines(badBuild.err).size(), 1u) << badBuild.err;
  EXPECT_FALSE(vx::test::FileExists(dir.File("vx-1.lib")));

  ASSERT_EQ(Run({"build", "vx.txt", "vx-1.lib"}).exitCode, 0);
  auto absent = Run({"extract", "vx-1.lib", "DATA/oompa.mp3", "out.mp3"});
  EXPECT_EQ(absent.exitCode, 1);
  EXPECT_EQ(SplitLines(absent.err).size(), 1u) << absent.err;
  EXPECT_FALSE(vx::test::FileExists(dir.File("out.mp3")));

  auto unwritable = Run({"extract", "vx-1.lib", "DATA\\oompa.mp3", "no-such-folder/out.mp3"});
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_EQ(unwritable.err,
            "vxlib: cannot create no-such-folder/out.mp3: No such file or directory\n");
}

// Each failed build names its reason on standard error, in one line.
TEST_F(VxlibTool, AFailedBuildSaysWhyOnStandardError) {
  vx::test::WriteTextFile(dir.File("missing.txt"),
                          "[dir]\nDATA\\\n[file]\noompa.mp3\nnone.mp3\n[end_of_dir]\n[eof]\n");
  vx::test::WriteTextFile(dir.File("order.txt"), "[file]\n");
  vx::test::WriteTextFile(dir.File("empty.txt"), "[eof]\n");
  const std::string prefix = "vxlib: cannot build library 'x.lib' from ";
  for (const auto& [description, reason] : std::vector<std::pair<std::string, std::string>>{
           {"nothing.txt",
            "'nothing.txt': cannot read description file 'nothing.txt': No such "
            "file or directory"},
           {"missing.txt", "'missing.txt': cannot read 'DATA/none.mp3': No such file or directory"},
           {"order.txt", "'order.txt': [file] command out of place at line 1"},
           {"empty.txt", "'empty.txt': the description lists no files"},
       }) {
    auto result = Run({"build", description, "x.lib"});
    EXPECT_EQ(result.exitCode, 1) << description;
    EXPECT_EQ(result.err, prefix + reason + "\n");
  }
  auto folder = Run({"build", "vx.txt", "DATA"});
  EXPECT_EQ(folder.exitCode, 1);
  EXPECT_EQ(folder.err,
            "vxlib: cannot build library 'DATA' from 'vx.txt': cannot write DATA: "
            "it is a folder\n");
  EXPECT_FALSE(vx::test::FileExists(dir.File("x.lib")));
}

// Outputs the user already has: a link stays a link and its file keeps its
// mode; a FIFO gets the bytes straight through and stays a FIFO.
TEST_F(VxlibTool, OutputsAreReplacedWholeThroughLinksAndWrittenStraightIntoFifos) {
  const Bytes image =
      MakeLibraryImage({{"DATA\\oompa.mp3", music}, {"DATA\\TEX\\Wood.jpg", texture}});
  vx::test::WriteFileBytes(dir.File("mine.lib"), ToBytes("old archive"));
  ASSERT_EQ(chmod(dir.File("mine.lib").c_str(), 0640), 0);
  std::filesystem::create_symlink("mine.lib", dir.File("link.lib"));
  auto built = Run({"build", "vx.txt", "link.lib"});
  ASSERT_EQ(built.exitCode, 0) << built.err;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.lib")));
  EXPECT_EQ(vx::test::ReadFileBytes(dir.File("mine.lib")), image);
  struct stat info {};
  ASSERT_EQ(stat(dir.File("mine.lib").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);

  const std::string fifo = dir.File("pipe");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"build", "vx.txt", "pipe"}, {"extract", "mine.lib", "DATA\\oompa.mp3", "pipe"}}) {
    vx::test::FifoReader reader(fifo);
    auto result = Run(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(reader.Finish(), args[0] == "build" ? image : music);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    std::filesystem::remove(fifo);
  }
}

// A device that is full (like /dev/full), made in the test's folder: the
// write fails with its reason and the device is neither removed nor
// replaced, whichever command wrote it.
TEST_F(VxlibTool, AFullDeviceFailsTheWriteAndStaysADevice) {
  const std::string full = dir.File("full");
  if (mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
    GTEST_SKIP() << "cannot make device nodes here (needs root)";
  ASSERT_EQ(Run({"build", "vx.txt", "vx-1.lib"}).exitCode, 0);
  auto extracted = Run({"extract", "vx-1.lib", "DATA\\oompa.mp3", "full"});
  EXPECT_EQ(extracted.exitCode, 1);
  EXPECT_EQ(extracted.err, "vxlib: cannot write full: No space left on device\n");
  EXPECT_TRUE(std::filesystem::is_character_file(full));
  auto built = Run({"build", "vx.txt", "full"});
  EXPECT_EQ(built.exitCode, 1);
  EXPECT_EQ(built.err,
            "vxlib: cannot build library 'full' from 'vx.txt': cannot write full: "
            "No space left on device\n");
  EXPECT_TRUE(std::filesystem::is_character_file(full));
}

TEST_F(VxlibTool, AnArchiveThatIsNotARegularFileIsRefusedWithoutWaitingOnIt) {
  ASSERT_EQ(Run({"build", "vx.txt", "vx-1.lib"}).exitCode, 0);
  ASSERT_EQ(mkfifo(dir.File("fifo.lib").c_str(), 0644), 0);
  std::filesystem::create_directory(dir.File("folder.lib"));
  for (const std::string archive : {"fifo.lib", "folder.lib"}) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"list", archive},
          {"extract", archive, "DATA\\oompa.mp3", "out.mp3"}}) {
      // A FIFO without a writer must not hold vxlib: timeout ends it (124).
      std::vector<std::string> command = {"/usr/bin/timeout", "10", kVxlib};
      command.insert(command.end(), args.begin(), args.end());
      const auto result = RunProgram(command, dir.Path());
      EXPECT_EQ(result.exitCode, 1) << args[0] << " " << archive;
      EXPECT_EQ(result.err, "vxlib: cannot open library '" + archive + "'\n");
      EXPECT_NE(result.out.find("Refused: not a regular file"), std::string::npos) << result.out;
      EXPECT_FALSE(vx::test::FileExists(dir.File("out.mp3")));
    }
  }
}

TEST_F(VxlibTool, UsageErrorsExitWith2AndHelpWith0) {
  for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                {"pack"},
                                                                {"list"},
                                                                {"list", "a", "b"},
                                                                {"build", "vx.txt"},
                                                                {"extract", "a", "b"}}) {
    auto result = Run(args);
    EXPECT_EQ(result.exitCode, 2) << testing::PrintToString(args);
    EXPECT_NE(result.err.find("usage: vxlib"), std::string::npos);
    EXPECT_EQ(result.out, "");
  }
  for (const char* flag : {"--help", "-h"}) {
    auto help = Run({flag});
    EXPECT_EQ(help.exitCode, 0) << flag;
    for (const char* command : {"vxlib build DESCRIPTION LIBRARY", "vxlib list LIBRARY",
                                "vxlib extract LIBRARY NAME OUTFILE"}) {
      EXPECT_NE(help.out.find(command), std::string::npos) << flag << " lacks " << command;
    }
  }
}

}  // namespace
