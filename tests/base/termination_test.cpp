// Termination signals in real processes: a program that writes files leaves
// no temporary file behind whichever moment a signal ends it, and a signal
// its parent made it ignore (nohup) stays ignored, also across an interrupt
// watch.
//
// The test program doubles as the child these cases start: run with
// VX_SIGNAL_CHILD naming a folder, it writes two files there as the tools
// do (one new, one replacing old.bin) and exits before GoogleTest starts.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/output_file.h"
#include "base/system.h"
#include "support/testlib.h"

namespace {

namespace fs = std::filesystem;
using vx::test::ReadFileBytes;
using vx::test::TempDir;
using vx::test::ToBytes;

constexpr const char* ChildFolderVariable = "VX_SIGNAL_CHILD";
// "none", "during" (the signal comes while an interrupt watch runs) or
// "after" (a watch ran and stopped before the signal).
constexpr const char* ChildWatchVariable = "VX_SIGNAL_WATCH";
constexpr int ChildInterrupted = 4;  // the watch saw the signal

// The child: opens both outputs, says "ready" on standard output, reads its
// standard input to the end (the parent signals it meanwhile, then closes
// it) and commits. Exit code 0 when both files are in place.
int ChildMain(const std::string& folder, const std::string& watch) {
  vx::CleanUpOnEveryExit();
  vx::OutputFile fresh, replaced;
  if (!fresh.Open(folder + "/new.bin") || !replaced.Open(folder + "/old.bin")) return 10;
  if (watch != "none") vx::StartInterruptWatch();
  if (watch == "after") vx::StopInterruptWatch();
  if (write(1, "ready\n", 6) != 6) return 11;
  char byte;
  while (read(0, &byte, 1) > 0) {
  }
  if (watch == "during") {
    vx::StopInterruptWatch();
    if (vx::Interrupted()) return ChildInterrupted;  // the outputs are abandoned
  }
  std::fputs("new", fresh.File());
  std::fputs("new", replaced.File());
  return fresh.Commit() && replaced.Commit() ? 0 : 12;
}

[[maybe_unused]] const bool childRan = [] {
  const char* folder = std::getenv(ChildFolderVariable);
  if (folder == nullptr) return false;
  const char* watch = std::getenv(ChildWatchVariable);
  _exit(ChildMain(folder, watch != nullptr ? watch : "none"));
}();

constexpr int TerminationSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

std::string SelfPath() {
  return fs::read_symlink("/proc/self/exe").string();
}

struct Launch {
  std::vector<std::string> args;
  std::vector<std::string> environment;  // NAME=value, added to ours
  int ignored = 0;                       // a signal the child starts ignoring
  int input = -1;                        // its standard input; -1: /dev/null
  int output = -1;                       // its standard output; -1: /dev/null
};

// Starts the program with every termination signal at its default but
// launch.ignored, no core files and nothing blocked. The process id, or -1.
pid_t Start(const Launch& launch) {
  std::vector<char*> argv, envp;
  for (const std::string& arg : launch.args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> environment = launch.environment;
  for (char** entry = environ; *entry != nullptr; ++entry) environment.push_back(*entry);
  for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  const pid_t pid = fork();
  if (pid == 0) {
    for (const int signal : TerminationSignals)
      std::signal(signal, signal == launch.ignored ? SIG_IGN : SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    dup2(launch.input >= 0 ? launch.input : null, 0);
    dup2(launch.output >= 0 ? launch.output : null, 1);
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(null);
  return pid;
}

int WaitFor(pid_t pid) {
  int status = -1;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// The names in folder that look like a writer's temporary file.
std::vector<std::string> Temporaries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".tmp-") != std::string::npos) names.push_back(name);
  }
  return names;
}

std::string Describe(int status) {
  if (WIFEXITED(status)) return "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return std::string("signal ") + strsignal(WTERMSIG(status));
  return "status " + std::to_string(status);
}

struct SignalCase {
  int signal;
  bool ignored;
  const char* watch;  // ChildWatchVariable's value
};

std::vector<SignalCase> SignalCases() {
  std::vector<SignalCase> cases;
  for (const int signal : TerminationSignals)
    for (const bool ignored : {false, true})
      for (const char* watch : {"none", "during", "after"})
        cases.push_back({.signal = signal, .ignored = ignored, .watch = watch});
  return cases;
}

// Runs the child for one case: signals it once it is ready, then lets it
// finish. Its wait status.
int RunSignalled(const SignalCase& c, const std::string& folder) {
  int input[2], output[2];
  if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) return -1;
  const pid_t pid = Start({.args = {SelfPath()},
                           .environment = {std::string(ChildFolderVariable) + "=" + folder,
                                           std::string(ChildWatchVariable) + "=" + c.watch},
                           .ignored = c.ignored ? c.signal : 0,
                           .input = input[0],
                           .output = output[1]});
  close(input[0]);
  close(output[1]);
  char ready[6] = {};
  const bool isReady = read(output[0], ready, sizeof ready) == sizeof ready;
  if (isReady) kill(pid, c.signal);
  close(input[1]);
  close(output[0]);
  return WaitFor(pid);
}

// The parent's choice to ignore a signal holds, before, during and after an
// interrupt watch; a signal left at its default ends the program (or, while
// the watch runs, stops its work) and takes the temporary files with it.
TEST(TerminationSignals, AnIgnoredSignalStaysIgnoredAndAnyOtherLeavesNoTemporary) {
  for (const SignalCase& c : SignalCases()) {
    const std::string name =
        std::string(strsignal(c.signal)) + (c.ignored ? ", ignored" : "") + ", watch " + c.watch;
    TempDir dir;
    vx::test::WriteFileBytes(dir.File("old.bin"), ToBytes("old"));
    const int status = RunSignalled(c, dir.Path());
    const bool watched = std::string(c.watch) == "during";
    if (c.ignored) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
          << name << ": " << Describe(status);
    } else if (watched) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == ChildInterrupted)
          << name << ": " << Describe(status);
    } else {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
          << name << ": " << Describe(status);
    }
    EXPECT_EQ(ReadFileBytes(dir.File("old.bin")), ToBytes(c.ignored ? "new" : "old")) << name;
    EXPECT_EQ(fs::exists(dir.File("new.bin")), c.ignored) << name;
    EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{}) << name;
  }
}

// A signal that comes during a hold takes effect when the hold ends, on
// this thread (blocked until then) as on another (whose handler waits):
// the held step, here writing a marker file, always completes.
TEST(TerminationHold, ASignalDuringAHoldWaitsForItsEnd) {
  for (const bool otherThread : {false, true}) {
    TempDir dir;
    const std::string marker = dir.File("held step done");
    const pid_t pid = fork();
    if (pid == 0) {
      vx::CleanUpOnEveryExit();
      std::thread idle([] { pause(); });  // pause ends with the handler
      {
        const vx::TerminationHold hold;
        if (otherThread) {
          pthread_kill(idle.native_handle(), SIGTERM);
        } else {
          raise(SIGTERM);
        }
        usleep(100000);  // time for a handler that did not wait to end us
        vx::test::WriteFileBytes(marker, ToBytes("done"));
      }
      usleep(1000000);
      _exit(0);
    }
    const int status = WaitFor(pid);
    const char* name = otherThread ? "other thread" : "same thread";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM)
        << name << ": " << Describe(status);
    EXPECT_TRUE(fs::exists(marker)) << name;
  }
}

// Whether strace runs here and may trace (a container may forbid ptrace).
bool CanTrace() {
  const pid_t pid = Start({.args = {"strace", "-o", "/dev/null", "true"}, .environment = {}});
  const int status = WaitFor(pid);
  return pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// SIGINT at the child's Nth openat, for every N the child reaches: the
// loader's opens, then each output's creation. A signal right after a
// creation must still find the new file listed for removal.
TEST(TerminationSignals, NoMomentOfAWriteLeavesATemporaryBehind) {
  if (!CanTrace()) GTEST_SKIP() << "strace is missing or may not trace here";
  const std::string self = SelfPath();
  int interrupted = 0;
  for (int n = 1; n <= 200; ++n) {
    TempDir dir;
    vx::test::WriteFileBytes(dir.File("old.bin"), ToBytes("old"));
    const std::string inject = "openat:signal=INT:when=" + std::to_string(n);
    const int status =
        WaitFor(Start({.args = {"strace", "-o", "/dev/null", "-e", "trace=openat", "-e",
                                "inject=" + inject, self},
                       .environment = {std::string(ChildFolderVariable) + "=" + dir.Path()}}));
    EXPECT_EQ(Temporaries(dir.Path()), std::vector<std::string>{}) << "INT at openat " << n;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
      EXPECT_EQ(ReadFileBytes(dir.File("old.bin")), ToBytes("new"));
      break;  // past the child's last openat
    }
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT)
        << "INT at openat " << n << ": " << Describe(status);
    EXPECT_EQ(ReadFileBytes(dir.File("old.bin")), ToBytes("old")) << "INT at openat " << n;
    ++interrupted;
  }
  // The loader's opens and the two creations at least.
  EXPECT_GE(interrupted, 3);
}

}  // namespace
