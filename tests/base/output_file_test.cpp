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

#include <fcntl.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "base/console.h"
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

// Runs body in a child process and returns its wait status.
template <typename Body>
int InChild(Body body) {
  const pid_t child = fork();
  if (child == 0) {
    body();
    _exit(0);
  }
  int status = -1;
  waitpid(child, &status, 0);
  return status;
}

// A name of an open stream is that stream: a file the shell opened to
// append to (">> log") keeps its bytes, its inode and its place.
TEST(OutputFile, AStreamNameWritesThroughTheStreamWhateverIsBehindIt) {
  for (const std::string name : {"/dev/stdout", "/dev/stderr", "/dev/fd/7", "/proc/self/fd/7"}) {
    TempDir dir;
    const std::string log = dir.File("run.log");
    WriteFileBytes(log, ToBytes("keep\n"));
    struct stat before {};
    ASSERT_EQ(stat(log.c_str(), &before), 0);
    const int status = InChild([&] {
      const int fd = open(log.c_str(), O_WRONLY | O_APPEND);
      const int stream = name == "/dev/stdout" ? 1 : name == "/dev/stderr" ? 2 : 7;
      if (fd < 0 || dup2(fd, stream) != stream) _exit(2);
      std::string error;
      _exit(Write(name, "new", error) ? 0 : 1);
    });
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name;
    EXPECT_EQ(ReadFileBytes(log), ToBytes("keep\nnew")) << name;
    struct stat after {};
    ASSERT_EQ(stat(log.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << name << ": replaced";
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"run.log"}) << name;
  }
}

// The system follows 40 links in a row and no more: so does the writer.
TEST(OutputFile, AChainOfLinksIsFollowedUpToTheSystemsLimitAndNoFurther) {
  for (const int links : {40, 41}) {
    TempDir dir;
    WriteFileBytes(dir.File("real.bin"), ToBytes("old"));
    std::string next = "real.bin";
    for (int i = 0; i < links; ++i) {
      const std::string name = "link" + std::to_string(i);
      fs::create_symlink(next, dir.File(name));
      next = name;
    }
    std::string error;
    const bool written = Write(dir.File(next), "new", error);
    EXPECT_EQ(written, links == 40) << links << " links: " << error;
    EXPECT_EQ(ReadFileBytes(dir.File("real.bin")), ToBytes(links == 40 ? "new" : "old"));
    EXPECT_TRUE(fs::is_symlink(dir.File(next)));
    EXPECT_EQ(Entries(dir).size(), static_cast<std::size_t>(links) + 1) << links;
  }
}

TEST(OutputFile, AReplacedFileKeepsItsSetIdAndStickyBits) {
  for (const mode_t mode : {04755u, 02750u, 01644u, 07700u}) {
    TempDir dir;
    WriteFileBytes(dir.File("tool"), ToBytes("old"));
    ASSERT_EQ(chmod(dir.File("tool").c_str(), mode), 0);
    if (ModeOf(dir.File("tool")) != mode) continue;  // not ours to set here
    std::string error;
    ASSERT_TRUE(Write(dir.File("tool"), "new", error)) << error;
    EXPECT_EQ(ModeOf(dir.File("tool")), mode) << std::oct << mode;
  }
}

// Every way out of a program that writes files: exit(), a failed console
// write (a full disk, a reader that left) and the termination signals. The
// temporary file goes, the old file stays, the way of ending is kept.
TEST(OutputFileCleanUp, EveryWayOutRemovesTheTemporaryFile) {
  struct Case {
    const char* name;
    void (*end)();
    int signal;  // 0: exits with code
    int code;
  };
  const Case cases[] = {
      {.name = "exit", .end = [] { std::exit(3); }, .signal = 0, .code = 3},
      {.name = "full disk", .end = [] { vx::ConsoleFail(ENOSPC); }, .signal = 0, .code = ENOSPC},
      {.name = "reader gone", .end = [] { vx::ConsoleFail(EPIPE); }, .signal = SIGPIPE, .code = 0},
      {.name = "INT", .end = [] { raise(SIGINT); }, .signal = SIGINT, .code = 0},
      {.name = "TERM", .end = [] { raise(SIGTERM); }, .signal = SIGTERM, .code = 0},
      {.name = "HUP", .end = [] { raise(SIGHUP); }, .signal = SIGHUP, .code = 0},
      {.name = "QUIT", .end = [] { raise(SIGQUIT); }, .signal = SIGQUIT, .code = 0},
  };
  for (const Case& c : cases) {
    TempDir dir;
    WriteFileBytes(dir.File("out.lib"), ToBytes("old"));
    const int status = InChild([&] {
      std::signal(SIGPIPE, SIG_IGN);
      vx::CleanUpOnEveryExit();
      vx::OutputFile output;
      if (!output.Open(dir.File("out.lib"))) _exit(100);
      std::fputs("half", output.File());
      std::fflush(output.File());
      if (!fs::exists(output.WritePath())) _exit(101);
      c.end();
      _exit(102);
    });
    if (c.signal != 0) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << c.name << " " << status;
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.code) << c.name << " " << status;
    }
    EXPECT_EQ(ReadFileBytes(dir.File("out.lib")), ToBytes("old")) << c.name;
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"out.lib"}) << c.name;
  }
}

// An output that is an input is caught by device and inode: another
// spelling, a symbolic link, a hard link.
TEST(OutputFile, AnOutputThatIsAnInputIsFoundUnderEveryName) {
  TempDir dir;
  WriteFileBytes(dir.File("x.lib"), ToBytes("archive"));
  fs::create_symlink("x.lib", dir.File("soft.lib"));
  fs::create_hard_link(dir.File("x.lib"), dir.File("hard.lib"));
  WriteFileBytes(dir.File("other.lib"), ToBytes("archive"));
  for (const std::string& output : {dir.File("x.lib"), dir.File("./x.lib"), dir.File("soft.lib"),
                                    dir.File("hard.lib")})
    EXPECT_EQ(vx::OutputOverInput(output, {dir.File("other.lib"), dir.File("x.lib")}),
              "cannot write " + output + ": it is the input " + dir.File("x.lib") + "; refused");
  EXPECT_EQ(vx::OutputOverInput(dir.File("other.lib"), {dir.File("x.lib")}), "");
  EXPECT_EQ(vx::OutputOverInput(dir.File("new.lib"), {dir.File("x.lib")}), "");
}

}  // namespace
