// The vxcontent program's command line: --help, and usage errors that make
// nothing (a mistyped option is not a folder to fill); a termination
// signal during a run leaves no temporary file, an ignored one is ignored.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/testlib.h"

namespace {

const std::string kVxcontent = VX_BINARY_DIR "/vxcontent";

TEST(VxcontentTool, HelpPrintsTheUsageAndWritesNothing) {
  vx::test::TempDir dir;
  for (const char* flag : {"--help", "-h"}) {
    const auto result = vx::test::RunProgram({kVxcontent, flag}, dir.Path());
    EXPECT_EQ(result.exitCode, 0) << flag;
    EXPECT_NE(result.out.find("vxcontent OUTDIR"), std::string::npos) << flag;
    EXPECT_EQ(result.err, "") << flag;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(VxcontentTool, UsageErrorsExitWith2AndWriteNothing) {
  vx::test::TempDir dir;
  for (const auto& args :
       std::vector<std::vector<std::string>>{{}, {"-x"}, {"--out"}, {"-"}, {""}, {"a", "b"}}) {
    std::vector<std::string> command = {kVxcontent};
    command.insert(command.end(), args.begin(), args.end());
    const auto result = vx::test::RunProgram(command, dir.Path());
    EXPECT_EQ(result.exitCode, 2) << testing::PrintToString(args);
    EXPECT_NE(result.err.find("usage: vxcontent OUTDIR"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

constexpr int TerminationSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Starts vxcontent OUTDIR, quiet, without core files, with the given
// signals ignored (as nohup leaves SIGHUP) and the others at their default.
pid_t StartVxcontent(const std::string& outDir, bool ignoreAll) {
  const pid_t pid = fork();
  if (pid == 0) {
    for (const int signal : TerminationSignals) std::signal(signal, ignoreAll ? SIG_IGN : SIG_DFL);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0), dup2(null, 1);
    execl(kVxcontent.c_str(), kVxcontent.c_str(), outDir.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

std::vector<std::string> Temporaries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.path().filename().string().find(".tmp-") != std::string::npos)
      names.push_back(entry.path().string());
  return names;
}

// Stops the program at a moment one of its temporary files exists; false
// when it ended first.
bool StopWhileWriting(pid_t pid, const std::string& outDir) {
  for (int attempt = 0; attempt < 20000; ++attempt) {
    int status = 0;
    if (kill(pid, SIGSTOP) != 0 || waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status))
      return false;
    if (!Temporaries(outDir).empty()) return true;
    kill(pid, SIGCONT);
    usleep(500);
  }
  return false;
}

// The finished files under folder (the temporaries left out), and the names
// the temporaries will be renamed to (".wood.tmp-12-0.jpg" -> "wood.jpg").
std::set<std::string> Finished(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file() &&
        entry.path().filename().string().find(".tmp-") == std::string::npos)
      names.insert(entry.path().string());
  return names;
}
std::string FinalName(const std::string& temporary) {
  const std::filesystem::path path(temporary);
  const std::string name = path.filename().string();
  const std::size_t mark = name.find(".tmp-");
  const std::size_t dot = name.find('.', mark + 1);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
  return (path.parent_path() / (name.substr(1, mark - 1) + extension)).string();
}

// With the signals ignored, the run goes on past the file it was writing
// when they came: it starts and finishes another one, which a run that
// heeded them never would. Then it is killed: writing the rest of the show
// would prove nothing more and took minutes under the sanitizers. True also
// when it finished its work first, with exit code 0.
bool GoesOnWriting(pid_t pid, const std::string& outDir, const std::string& name) {
  std::set<std::string> known = Finished(outDir);
  for (const std::string& temporary : Temporaries(outDir)) known.insert(FinalName(temporary));
  for (int poll = 0; poll < 60000; ++poll) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name << ": " << status;
      return std::filesystem::exists(outDir + "/vx-1.txt");
    }
    for (const std::string& file : Finished(outDir)) {
      if (known.count(file) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return true;
      }
    }
    usleep(2000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return false;
}

// Every signal sent while a file is being written: at its default it ends
// the run and takes the temporary file with it; ignored, the run goes on.
TEST(VxcontentTool, ATerminationSignalLeavesNoTemporaryAndAnIgnoredOneIsIgnored) {
  for (const int signal : TerminationSignals) {
    const std::string name = strsignal(signal);
    vx::test::TempDir dir;
    const pid_t pid = StartVxcontent(dir.Path(), false);
    ASSERT_TRUE(StopWhileWriting(pid, dir.Path())) << name << ": no temporary file seen";
    kill(pid, signal);
    kill(pid, SIGCONT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << name << ": " << status;
    EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{}) << name;
  }
  vx::test::TempDir dir;
  const pid_t pid = StartVxcontent(dir.Path(), true);
  ASSERT_TRUE(StopWhileWriting(pid, dir.Path())) << "ignored: no temporary file seen";
  for (const int signal : TerminationSignals) kill(pid, signal);
  kill(pid, SIGCONT);
  EXPECT_TRUE(GoesOnWriting(pid, dir.Path(), "ignored"))
      << "with every termination signal ignored, no further file was written";
}

}  // namespace
