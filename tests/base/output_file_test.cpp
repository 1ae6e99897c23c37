// Output files: a regular target is replaced only by a complete write and
// keeps its mode, a link stays a link, devices and FIFOs are written
// straight through and survive a failure, folders are refused, and no
// temporary file outlives the writer.
#include "base/output_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
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

namespace fs = std::filesystem;
using vx::test::Bytes;
using vx::test::ReadFileBytes;
using vx::test::TempDir;
using vx::test::ToBytes;
using vx::test::WriteFileBytes;

std::vector<std::string> Entries(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

bool Write(const std::string& path, std::string_view text, std::string& error) {
  return vx::WriteOutputFile(path, text.data(), text.size(), error);
}

TEST(OutputFile, ANewFileGetsTheDefaultModeAndNoTemporaryFileRemains) {
  TempDir dir;
  std::string error;
  ASSERT_TRUE(Write(dir.File("new.png"), "picture", error)) << error;
  EXPECT_EQ(ReadFileBytes(dir.File("new.png")), ToBytes("picture"));
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(ModeOf(dir.File("new.png")), 0666 & ~mask);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"new.png"});
}

TEST(OutputFile, AReplacedFileKeepsItsModeAndALinkStaysALink) {
  TempDir dir;
  fs::create_directories(dir.File("real"));
  WriteFileBytes(dir.File("real/archive.lib"), ToBytes("old"));
  ASSERT_EQ(chmod(dir.File("real/archive.lib").c_str(), 0640), 0);
  fs::create_symlink("real/archive.lib", dir.File("link.lib"));
  fs::create_symlink("link.lib", dir.File("link2.lib"));  // a chain of two
  fs::create_symlink("real/absent.lib", dir.File("dangling.lib"));

  std::string error;
  ASSERT_TRUE(Write(dir.File("link2.lib"), "new", error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir.File("link.lib")));
  EXPECT_TRUE(fs::is_symlink(dir.File("link2.lib")));
  EXPECT_EQ(ReadFileBytes(dir.File("real/archive.lib")), ToBytes("new"));
  EXPECT_EQ(ModeOf(dir.File("real/archive.lib")), 0640u);

  // A dangling link names the file to create.
  ASSERT_TRUE(Write(dir.File("dangling.lib"), "made", error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling.lib")));
  EXPECT_EQ(ReadFileBytes(dir.File("real/absent.lib")), ToBytes("made"));
  EXPECT_EQ(Entries(dir),
            (std::vector<std::string>{"dangling.lib", "link.lib", "link2.lib", "real"}));
}

TEST(OutputFile, AnAbandonedWriteLeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  WriteFileBytes(dir.File("keep.mp4"), ToBytes("precious"));
  {
    vx::OutputFile output;
    ASSERT_TRUE(output.Open(dir.File("keep.mp4"))) << output.Error();
    EXPECT_NE(output.WritePath(), dir.File("keep.mp4"));
    EXPECT_EQ(fs::path(output.WritePath()).extension(), ".mp4");
    EXPECT_EQ(fs::path(output.WritePath()).parent_path(), fs::path(dir.Path()));
    std::fputs("half", output.File());
  }  // destroyed without Commit
  EXPECT_EQ(ReadFileBytes(dir.File("keep.mp4")), ToBytes("precious"));
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"keep.mp4"});
}

// A disk that fills mid-write, made honestly in a child process: a file size
// limit, with SIGXFSZ ignored so the write fails with EFBIG instead.
TEST(OutputFile, AWriteThatRunsOutOfRoomLeavesTheOldFileUntouched) {
  TempDir dir;
  const Bytes old = ToBytes("the user's own bytes");
  WriteFileBytes(dir.File("shot.png"), old);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    const std::vector<char> big(1 << 20, 'x');
    std::string error;
    const bool ok = vx::WriteOutputFile(dir.File("shot.png"), big.data(), big.size(), error);
    _exit(ok ? 0 : error.find("File too large") != std::string::npos ? 3 : 4);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_EQ(ReadFileBytes(dir.File("shot.png")), old);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"shot.png"});
}

TEST(OutputFile, AFifoIsWrittenStraightThroughAndSurvivesAReaderThatLeft) {
  TempDir dir;
  const std::string fifo = dir.File("pipe");
  std::signal(SIGPIPE, SIG_IGN);
  {
    vx::test::FifoReader reader(fifo);
    std::string error;
    EXPECT_TRUE(Write(fifo, "through", error)) << error;
    EXPECT_EQ(reader.Finish(), ToBytes("through"));
  }

  // A reader that leaves before the data comes: the write fails, the FIFO
  // stays.
  fs::remove(fifo);
  vx::test::FifoReader leaving(fifo);
  vx::OutputFile output;
  ASSERT_TRUE(output.Open(fifo)) << output.Error();
  leaving.Finish();
  EXPECT_TRUE(output.StraightThrough());
  const std::vector<char> data(1 << 17, 'y');
  std::fwrite(data.data(), 1, data.size(), output.File());
  EXPECT_FALSE(output.Commit());
  EXPECT_EQ(output.Error(), "cannot write " + fifo + ": Broken pipe");
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"pipe"});
}

// /dev/stdout on a pipe leads through /proc/self/fd to "pipe:[N]", a name
// only the system can follow: the pipe is written, nothing is created.
TEST(OutputFile, APipeReachedThroughProcIsWrittenStraightThrough) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::string error;
  const bool written = Write("/proc/self/fd/" + std::to_string(ends[1]), "piped", error);
  close(ends[1]);
  char received[16] = {};
  const ssize_t n = read(ends[0], received, sizeof received);
  close(ends[0]);
  EXPECT_TRUE(written) << error;
  EXPECT_EQ(std::string(received, n > 0 ? static_cast<std::size_t>(n) : 0), "piped");
}

// Character devices like /dev/null and /dev/full, made in the test's own
// folder (needs the right to make device nodes, so root only).
TEST(OutputFile, ADeviceIsWrittenStraightThroughAndNeverRemoved) {
  TempDir dir;
  const std::string null = dir.File("null"), full = dir.File("full");
  if (mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0 ||
      mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
    GTEST_SKIP() << "cannot make device nodes here (needs root)";
  std::string error;
  EXPECT_TRUE(Write(null, "gone", error)) << error;
  EXPECT_FALSE(Write(full, "no room", error));
  EXPECT_EQ(error, "cannot write " + full + ": No space left on device");
  EXPECT_TRUE(fs::is_character_file(null));
  EXPECT_TRUE(fs::is_character_file(full));
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"full", "null"}));
}

TEST(OutputFile, RefusalsSayWhyAndTouchNothing) {
  TempDir dir;
  fs::create_directories(dir.File("folder"));
  WriteFileBytes(dir.File("locked.png"), ToBytes("mine"));
  ASSERT_EQ(chmod(dir.File("locked.png").c_str(), 0444), 0);
  std::string error;
  EXPECT_FALSE(Write(dir.File("folder"), "x", error));
  EXPECT_EQ(error, "cannot write " + dir.File("folder") + ": it is a folder");
  EXPECT_FALSE(Write(dir.File("absent/out.png"), "x", error));
  EXPECT_EQ(error, "cannot create " + dir.File("absent/out.png") + ": No such file or directory");
  if (geteuid() != 0) {  // root may write anything
    EXPECT_FALSE(Write(dir.File("locked.png"), "x", error));
    EXPECT_EQ(error, "cannot write " + dir.File("locked.png") + ": Permission denied");
  }
  EXPECT_EQ(ReadFileBytes(dir.File("locked.png")), ToBytes("mine"));
  EXPECT_TRUE(fs::is_empty(dir.File("folder")));
  EXPECT_EQ(Entries(dir), (std::vector<std::string>{"folder", "locked.png"}));
}

}  // namespace
