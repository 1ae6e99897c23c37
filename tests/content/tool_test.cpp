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

// Every signal sent while a file is being written: at its default it ends
// the run and takes the temporary file with it; ignored, the run goes on
// to write every file.
TEST(VxcontentTool, ATerminationSignalLeavesNoTemporaryAndAnIgnoredOneIsIgnored) {
  struct Case {
    std::vector<int> signals;
    bool ignored;
  };
  std::vector<Case> cases;
  for (const int signal : TerminationSignals)
    cases.push_back({.signals = {signal}, .ignored = false});
  cases.push_back(
      {.signals = {std::begin(TerminationSignals), std::end(TerminationSignals)}, .ignored = true});
  for (const Case& c : cases) {
    const std::string name =
        std::string(strsignal(c.signals[0])) + (c.ignored ? " and the others, ignored" : "");
    vx::test::TempDir dir;
    const pid_t pid = StartVxcontent(dir.Path(), c.ignored);
    ASSERT_TRUE(StopWhileWriting(pid, dir.Path())) << name << ": no temporary file seen";
    for (const int signal : c.signals) kill(pid, signal);
    kill(pid, SIGCONT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    if (c.ignored) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << name << ": " << status;
      EXPECT_TRUE(std::filesystem::exists(dir.File("vx-1.txt"))) << name;
    } else {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signals[0])
          << name << ": " << status;
    }
    EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{}) << name;
  }
}

}  // namespace
