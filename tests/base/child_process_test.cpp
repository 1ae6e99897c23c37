// Child processes fed through a pipe (base/system.h), with a stand-in
// program of the test build as the child: the bytes and the arguments
// arrive unchanged, its exit code comes back, a missing program is told
// apart, and a child that is stopped does not finish its work. The test
// uses no POSIX call of its own, so the same program runs on Windows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "base/system.h"

namespace {

namespace fs = std::filesystem;

// The stand-in program, built beside the test program (the tests run in
// that folder).
std::string StandIn() {
  return (fs::current_path() / VX_STAND_IN_NAME).string();
}

class ChildFolder : public ::testing::Test {
 protected:
  ChildFolder() {
    std::random_device random;
    do folder_ = fs::temp_directory_path() / ("vx-child-test-" + std::to_string(random()));
    while (!fs::create_directory(folder_));
  }
  ~ChildFolder() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  std::string File(const std::string& name) const { return (folder_ / name).string(); }

 private:
  fs::path folder_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const auto n = write(fd, bytes.data() + done, static_cast<unsigned>(bytes.size() - done));
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

struct FeedCase {
  const char* name;
  std::string input;
  int exitCode;
};

void PrintTo(const FeedCase& c, std::ostream* out) {
  *out << c.name;
}

class FeedChild : public ChildFolder, public ::testing::WithParamInterface<FeedCase> {};

TEST_P(FeedChild, GetsEveryByteAndReportsItsExitCode) {
  const FeedCase& c = GetParam();
  const std::string output = File("out.bin");
  vx::ChildProcess child;
  int error = 0;
  ASSERT_EQ(vx::SpawnWithInput({StandIn(), "--exit", std::to_string(c.exitCode), output}, child,
                               error),
            vx::SpawnFailure::None)
      << std::strerror(error);
  ASSERT_GE(child.input, 0);
  ASSERT_TRUE(WriteAll(child.input, c.input));
  const vx::ChildEnd end = vx::FinishChild(child);
  EXPECT_EQ(end.kind, vx::ChildEnd::Kind::Exited);
  EXPECT_EQ(end.code, c.exitCode);
  EXPECT_EQ(child.input, -1);
  EXPECT_EQ(child.process, -1);
  EXPECT_EQ(ReadAll(output), c.input);
}

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, FeedChild,
    ::testing::Values(FeedCase{"NothingExitZero", "", 0},
                      // Text mode would turn CR LF into LF and stop at 0x1A.
                      FeedCase{"LineEndsAndEndMarkExitThree", std::string("a\r\nb\x1a\nc\0d", 9), 3},
                      // Far more than a pipe holds: the writes wait for the reader.
                      FeedCase{"FourMegabytesExit200", Pattern(4 << 20), 200}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChildFolder, ArgumentsArriveAsGiven) {
  // Spaces, quotes, backslashes before quotes and at the end, an empty
  // argument, UTF-8: what a command line must quote.
  const std::vector<std::string> arguments = {
      "plain", "two words", "say \"hi\"", "C:\\dir\\", "back\\\\\"slash", "", "\tcafé\t"};
  std::vector<std::string> command = {StandIn()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  command.push_back(File("out.bin"));
  vx::ChildProcess child;
  int error = 0;
  ASSERT_EQ(vx::SpawnWithInput(command, child, error), vx::SpawnFailure::None);
  ASSERT_EQ(vx::FinishChild(child).code, 0);
  std::string expected;
  for (const std::string& a : arguments) expected += a + "\n";
  EXPECT_EQ(ReadAll(File("out.bin.args")), expected);
}

TEST(ChildProcess, AMissingProgramCannotRun) {
  vx::ChildProcess child;
  int error = 0;
  EXPECT_EQ(vx::SpawnWithInput({"vx-no-such-program-here"}, child, error),
            vx::SpawnFailure::CannotRun);
  EXPECT_EQ(error, ENOENT);
  EXPECT_EQ(child.process, -1);
  EXPECT_EQ(child.input, -1);
  // Nothing to wait for: no wait on some other process, nor forever.
  const vx::ChildEnd end = vx::FinishChild(child);
  EXPECT_EQ(end.kind, vx::ChildEnd::Kind::Lost);
  EXPECT_EQ(end.code, ECHILD);
}

TEST_F(ChildFolder, AStoppedChildEndsAtOnceWithoutFinishingItsWork) {
  // The stand-in would write its output 20 s after its input ends.
  vx::ChildProcess child;
  int error = 0;
  ASSERT_EQ(vx::SpawnWithInput({StandIn(), "--delay", "20000", File("out.bin")}, child, error),
            vx::SpawnFailure::None);
  ASSERT_TRUE(WriteAll(child.input, "unfinished"));
  const auto start = std::chrono::steady_clock::now();
  vx::StopChild(child);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(child.process, -1);
  EXPECT_EQ(child.input, -1);
  EXPECT_FALSE(fs::exists(File("out.bin")));
  vx::StopChild(child);  // a second stop has nothing left to do
}

// Quoted as Windows programs' C runtime reads its command line back.
TEST(WindowsCommandLine, QuotesOnlyWhatNeedsIt) {
  const struct {
    std::vector<std::string> args;
    std::string line;
  } cases[] = {
      {{"ffmpeg", "-i", "pipe:0"}, "ffmpeg -i pipe:0"},
      {{"a b", ""}, "\"a b\" \"\""},
      {{"C:\\dir\\x.mp4"}, "C:\\dir\\x.mp4"},
      {{"C:\\my dir\\"}, "\"C:\\my dir\\\\\""},
      {{"say \"hi\""}, "\"say \\\"hi\\\"\""},
      {{"a\\\"b"}, "\"a\\\\\\\"b\""},
  };
  for (const auto& c : cases) EXPECT_EQ(vx::WindowsCommandLine(c.args), c.line) << c.line;
}

TEST(TemporaryFile, IsNewEachTimeAndKeepsItsSuffix) {
  std::string first, second;
  const int a = vx::CreateTemporaryFile("vx-test-", ".mp3", first);
  const int b = vx::CreateTemporaryFile("vx-test-", ".mp3", second);
  ASSERT_GE(a, 0) << std::strerror(errno);
  ASSERT_GE(b, 0) << std::strerror(errno);
  close(a);
  close(b);
  EXPECT_NE(first, second);
  for (const std::string& path : {first, second}) {
    EXPECT_TRUE(fs::is_regular_file(path)) << path;
    EXPECT_EQ(fs::path(path).extension(), ".mp3");
    EXPECT_EQ(fs::path(path).filename().string().rfind("vx-test-", 0), 0u) << path;
    EXPECT_EQ(fs::path(path).parent_path(), fs::path(first).parent_path());
    fs::remove(path);
  }
}

}  // namespace
