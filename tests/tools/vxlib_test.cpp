// The vxlib tool, run as a program: builds an archive from a description of
// files under DATA\, which must match the format byte for byte, lists it and
// extracts a file back; failures and usage errors give their exit codes.
#include <fcntl.h>
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <pty.h>
#endif
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
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
  EXPECT_EQ(missing.err, "vxlib: cannot open library 'x.lib': No such file or directory\n");

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
      EXPECT_EQ(result.err, "vxlib: cannot open library '" + archive + "': not a regular file\n");
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

// An output that is one of the inputs, under any name, is refused before
// anything is written.
TEST_F(VxlibTool, AnOutputThatIsAnInputIsRefusedAndNothingIsTouched) {
  ASSERT_EQ(Run({"build", "vx.txt", "vx.lib"}).exitCode, 0);
  std::filesystem::create_hard_link(dir.File("vx.lib"), dir.File("hard.lib"));
  const std::vector<std::string> files = {"vx.lib", "vx.txt", "DATA/TEX/Wood.jpg",
                                          "DATA/oompa.mp3"};
  std::vector<Bytes> before;
  for (const std::string& file : files) before.push_back(vx::test::ReadFileBytes(dir.File(file)));
  for (const auto& args :
       std::vector<std::vector<std::string>>{{"extract", "vx.lib", "DATA\\oompa.mp3", "vx.lib"},
                                             {"extract", "vx.lib", "DATA\\oompa.mp3", "./hard.lib"},
                                             {"build", "vx.txt", "vx.txt"},
                                             {"build", "vx.txt", "DATA/TEX/Wood.jpg"},
                                             {"build", "vx.txt", "DATA/../DATA/oompa.mp3"}}) {
    const auto result = Run(args);
    EXPECT_EQ(result.exitCode, 1) << args.back();
    EXPECT_EQ(SplitLines(result.err).size(), 1u) << result.err;
    EXPECT_NE(result.err.find("it is the input"), std::string::npos) << result.err;
    for (std::size_t i = 0; i < files.size(); ++i)
      EXPECT_EQ(vx::test::ReadFileBytes(dir.File(files[i])), before[i]) << files[i];
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 4);
  }
}

// Standard output as the output: the data alone, appended where the shell
// said, the progress lines on standard error.
TEST_F(VxlibTool, StandardOutputCarriesTheDataAloneAndIsAppendedTo) {
  ASSERT_EQ(Run({"build", "vx.txt", "vx.lib"}).exitCode, 0);
  const auto piped = Run({"extract", "vx.lib", "DATA\\oompa.mp3", "/dev/stdout"});
  EXPECT_EQ(piped.exitCode, 0) << piped.err;
  EXPECT_EQ(ToBytes(piped.out), music);
  EXPECT_NE(piped.err.find("Searching for file"), std::string::npos) << piped.err;
  const auto appended =
      RunProgram({"/bin/sh", "-c",
                  "printf keep > all.bin; \"$0\" extract vx.lib 'DATA\\oompa.mp3' "
                  "/dev/stdout >> all.bin",
                  kVxlib},
                 dir.Path());
  EXPECT_EQ(appended.exitCode, 0) << appended.err;
  Bytes expected = ToBytes("keep");
  expected.insert(expected.end(), music.begin(), music.end());
  EXPECT_EQ(vx::test::ReadFileBytes(dir.File("all.bin")), expected);
}

// A build long enough to be caught in the middle: 1024 entries of long
// names give more progress lines than a pipe holds.
class VxlibLongBuild : public VxlibTool {
 protected:
  VxlibLongBuild() {
    const std::string name(120, 'n');
    std::string description = "[dir]\nDATA\\\n[file]\n";
    for (int i = 0; i < 1024; ++i) description += name + "\n";
    vx::test::WriteTextFile(dir.File("long.txt"), description + "[end_of_dir]\n[eof]\n");
    vx::test::WriteFileBytes(dir.File("DATA/" + name), music);
    vx::test::WriteTextFile(dir.File("out.lib"), "old archive");
  }
  // No temporary file (a hidden name) is left and the old archive is whole.
  bool OnlyTheUsersFiles() {
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      if (entry.path().filename().string()[0] == '.') return false;
    return vx::test::ReadFileBytes(dir.File("out.lib")) == ToBytes("old archive");
  }
  bool TemporaryExists() { return !OnlyTheUsersFiles(); }
};

// A reader that leaves early, or a signal, ends the build with nothing left
// behind: no temporary file, the old archive as it was, no message.
TEST_F(VxlibLongBuild, AReaderThatLeavesOrASignalLeavesNoTemporaryFile) {
  const auto early = RunProgram(
      {"/bin/sh", "-c", "\"$0\" build long.txt out.lib | sed -n '/Adding/q'", kVxlib}, dir.Path());
  EXPECT_EQ(early.err, "");
  EXPECT_TRUE(OnlyTheUsersFiles());
  // The build waits on a pipe nobody reads any more once it holds a
  // temporary file.
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    int lines[2];
    ASSERT_EQ(pipe(lines), 0);
    const pid_t build = fork();
    if (build == 0) {
      if (chdir(dir.Path().c_str()) != 0 || dup2(lines[1], 1) != 1) _exit(126);
      execl(kVxlib.c_str(), "vxlib", "build", "long.txt", "out.lib", nullptr);
      _exit(127);
    }
    close(lines[1]);
    // The description's lines are read until the archive is under way; its
    // lines then fill the pipe.
    fcntl(lines[0], F_SETFL, O_NONBLOCK);
    char drain[4096];
    for (int wait = 0; wait < 1000 && !TemporaryExists(); ++wait)
      if (read(lines[0], drain, sizeof drain) <= 0) usleep(10000);
    EXPECT_TRUE(TemporaryExists()) << "the build never got under way";
    usleep(50000);
    kill(build, signal);
    int status = 0;
    ASSERT_EQ(waitpid(build, &status, 0), build);
    close(lines[0]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal << " " << status;
    EXPECT_TRUE(OnlyTheUsersFiles()) << signal;
  }
}

// Every program ends quietly, by SIGPIPE as the usual tools do, when the
// reader of its output has gone before it starts.
TEST_F(VxlibLongBuild, AClosedStandardOutputEndsEveryProgramQuietly) {
  ASSERT_EQ(Run({"build", "vx.txt", "vx.lib"}).exitCode, 0);
  for (const std::vector<std::string>& command :
       std::vector<std::vector<std::string>>{{kVxlib, "build", "long.txt", "out.lib"},
                                             {kVxlib, "list", "vx.lib"},
                                             {kVxlib, "--help"},
                                             {VX_BINARY_DIR "/vxdump", "--help"},
                                             {VX_BINARY_DIR "/vxdump", "-h"}}) {
    std::string line;
    for (const std::string& word : command) line += " '" + word + "'";
    const auto result = RunProgram({"/bin/sh", "-c", vx::test::WithReaderGone(line)}, dir.Path());
    EXPECT_EQ(result.out, std::to_string(128 + SIGPIPE) + "\n") << line;
    EXPECT_EQ(result.err, "") << line;
    EXPECT_TRUE(OnlyTheUsersFiles()) << line;
  }
}

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
// What a program writes on a pseudo-terminal of its own, in raw mode so that
// the terminal turns no byte into another (LF stays LF).
std::string RunOnTerminal(const std::vector<std::string>& args, const std::string& folder) {
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  if (child == 0) {
    struct termios raw;
    if (tcgetattr(STDOUT_FILENO, &raw) == 0) {
      cfmakeraw(&raw);
      tcsetattr(STDOUT_FILENO, TCSANOW, &raw);
    }
    if (chdir(folder.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  std::string out;
  if (child < 0) return out;
  char buffer[4096];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) out.append(buffer, n);
  close(master);
  int status = 0;
  waitpid(child, &status, 0);
  return out;
}
#endif

// A stored name may hold what a terminal acts on (ESC starting an OSC that
// retitles the window, CR, BEL): a terminal is shown it escaped, a pipe
// gets the bytes exactly, as scripts read them.
TEST_F(VxlibTool, NamesWithControlBytesAreEscapedOnATerminalOnly) {
  if (!vx::test::HasPosixProcesses()) GTEST_SKIP() << "needs fork, exec and a pseudo-terminal";
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
  const std::string name = "DATA\\a\x1b]0;pwned\x07\rb.txt";
  vx::test::WriteFileBytes(dir.File("odd.lib"), MakeLibraryImage({{name, texture}}));
  const auto piped = Run({"list", "odd.lib"});
  ASSERT_EQ(piped.exitCode, 0) << piped.err;
  EXPECT_NE(piped.out.find("\n" + name + "\n"), std::string::npos) << piped.out;

  const std::string shown = RunOnTerminal({kVxlib, "list", "odd.lib"}, dir.Path());
  EXPECT_NE(shown.find("\nDATA\\a\\033]0;pwned\\007\\015b.txt\n"), std::string::npos) << shown;
  EXPECT_EQ(shown.find('\x1b'), std::string::npos);
  EXPECT_EQ(shown.find('\r'), std::string::npos);
#endif
}

// A description line is cut at 128 characters as it is read: 150 MB of
// ignored text before the first command builds in a few megabytes, where
// reading the line whole ran out of a 200 MB address space.
TEST_F(VxlibTool, AHugeDescriptionLineIsSkippedInBoundedMemory) {
  if (!vx::test::HasPosixProcesses()) GTEST_SKIP() << "needs a shell and ulimit";
#ifdef VX_SANITIZE
  GTEST_SKIP() << "the sanitizers reserve more address space than the limit";
#endif
  const std::string script =
      "ulimit -v 200000 && { head -c 150000000 /dev/zero | tr '\\0' x; "
      "printf '\\n[dir]\\nDATA\\\\\\n[file]\\noompa.mp3\\n[end_of_dir]\\n[eof]\\n'; } | " +
      kVxlib + " build /dev/stdin out.lib";
  const auto built = RunProgram({"/bin/sh", "-c", script}, dir.Path());
  ASSERT_EQ(built.exitCode, 0) << built.err;
  EXPECT_EQ(SplitLines(built.out).back(), "1 files added successfully");
  EXPECT_EQ(vx::test::ReadFileBytes(dir.File("out.lib")),
            MakeLibraryImage({{"DATA\\oompa.mp3", music}}));
}

}  // namespace

