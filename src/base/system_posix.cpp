// The POSIX calls behind base/system.h: Linux, and the browser build
// (emscripten), whose sleep must yield to the page.
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "base/system.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace vx {

void SleepMilliseconds(std::uint32_t ms) {
#ifdef __EMSCRIPTEN__
  emscripten_sleep(ms);
#else
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
#endif
}

long long SeekToEnd(std::FILE* file) {
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  return ftello(file);
}

int OpenForReading(const std::string& path) {
  return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

int CreateNewFile(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

int OpenExistingForWriting(const std::string& path) {
  return open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
}

bool IsSymbolicLink(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool SomethingAt(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

int CarryOverOwnerAndMode(int fd, const struct stat& info) {
  // Best effort for the owner (only root may give a file away); the mode
  // after it, as a change of owner clears the set-id bits.
  if ((info.st_uid != geteuid() || info.st_gid != getegid()) &&
      fchown(fd, info.st_uid, info.st_gid) != 0) {
    // Not allowed: the new file stays ours, like any file we create.
  }
  return fchmod(fd, info.st_mode & 07777) == 0 ? 0 : errno;
}

int SyncFile(int fd) {
  return fsync(fd) == 0 ? 0 : errno;
}

int RenameOver(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void IgnoreBrokenPipes() {
  std::signal(SIGPIPE, SIG_IGN);
}

void UseUtf8Console() {
  // Terminals take the bytes as they are.
}

std::FILE* BinaryStandardInput() {
  return stdin;
}

int CreateTemporaryFile(const std::string& prefix, const std::string& suffix, std::string& path) {
  const char* folder = std::getenv("TMPDIR");
  path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/" + prefix +
         "XXXXXX" + suffix;
  return mkostemps(path.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
}

SpawnFailure SpawnWithInput(const std::vector<std::string>& args, ChildProcess& child, int& error) {
  // The argument list is built before the fork: the child only execs, so it
  // never allocates in a copy of a process whose other threads may hold the
  // allocator's lock.
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  // A failing exec is reported through a close-on-exec pipe.
  int data[2], status[2];
  if (pipe(data) != 0) {
    error = errno;
    return SpawnFailure::NoPipe;
  }
  if (pipe2(status, O_CLOEXEC) != 0) {
    error = errno;
    close(data[0]);
    close(data[1]);
    return SpawnFailure::NoPipe;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    error = errno;
    close(data[0]), close(data[1]), close(status[0]), close(status[1]);
    return SpawnFailure::CannotStart;
  }
  if (pid == 0) {
    dup2(data[0], STDIN_FILENO);
    close(data[0]);
    close(data[1]);
    close(status[0]);
    execvp(argv[0], argv.data());
    const int execError = errno;
    [[maybe_unused]] ssize_t n = write(status[1], &execError, sizeof execError);
    _exit(127);
  }
  close(data[0]);
  close(status[1]);
  int execError = 0;
  ssize_t n;
  do n = read(status[0], &execError, sizeof execError);
  while (n < 0 && errno == EINTR);
  close(status[0]);
  if (n == static_cast<ssize_t>(sizeof execError)) {
    error = execError;
    close(data[1]);
    waitpid(pid, nullptr, 0);
    return SpawnFailure::CannotRun;
  }
  child.process = pid;
  child.input = data[1];
  return SpawnFailure::None;
}

ChildEnd FinishChild(ChildProcess& child) {
  if (child.input >= 0) close(child.input);
  child.input = -1;
  ChildEnd end;
  if (child.process <= 0) {
    end.code = ECHILD;  // never started, or already finished
    return end;
  }
  int status = 0;
  while (waitpid(static_cast<pid_t>(child.process), &status, 0) < 0) {
    if (errno == EINTR && Interrupted()) {
      // The caller gives up on the child: it stays for StopChild to reap.
      end.code = EINTR;
      return end;
    }
    if (errno != EINTR) {
      end.code = errno;
      child.process = -1;
      return end;
    }
  }
  child.process = -1;
  if (WIFEXITED(status)) {
    end.kind = ChildEnd::Kind::Exited;
    end.code = WEXITSTATUS(status);
  } else {
    end.kind = ChildEnd::Kind::Signalled;
    end.code = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  }
  return end;
}

void StopChild(ChildProcess& child) {
  if (child.input >= 0) close(child.input);
  child.input = -1;
  if (child.process <= 0) return;
  kill(static_cast<pid_t>(child.process), SIGKILL);
  while (waitpid(static_cast<pid_t>(child.process), nullptr, 0) < 0 && errno == EINTR) {
  }
  child.process = -1;
}

namespace {

constexpr int WatchedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int WatchedCount = static_cast<int>(std::size(WatchedSignals));

// Installs handler for signal unless the signal is ignored: a parent's
// choice (nohup's for SIGHUP) that the program keeps. previous receives
// what was there either way, so that restoring it is always right.
void InstallUnlessIgnored(int signal, void (*handler)(int), struct sigaction& previous) {
  previous = {};
  previous.sa_handler = SIG_DFL;
  if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) return;
  struct sigaction action {};
  action.sa_handler = handler;  // no SA_RESTART: a blocking write returns with EINTR
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}

struct sigaction previousActions[WatchedCount];

}  // namespace

void StartInterruptWatch() {
  interrupted = 0;
  for (int i = 0; i < WatchedCount; ++i)
    InstallUnlessIgnored(WatchedSignals[i], OnInterrupt, previousActions[i]);
}

void StopInterruptWatch() {
  for (int i = 0; i < WatchedCount; ++i) sigaction(WatchedSignals[i], &previousActions[i], nullptr);
}

bool Interrupted() {
  return interrupted != 0;
}

namespace {

void (*terminationAction)() = nullptr;

// Live TerminationHolds of every thread; read by the handler.
std::atomic<int> holds{0};
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");
thread_local int holdDepth = 0;   // this thread's live holds
thread_local sigset_t heldMask;  // this thread's mask before its first hold

// A hold on another thread ends within microseconds (a file's creation and
// a pointer store); 1 s covers a slow disk without hanging on a stuck one.
void WaitForHolds() {
  const timespec pause{.tv_sec = 0, .tv_nsec = 1000000};
  for (int i = 0; i < 1000 && holds.load() > 0; ++i) nanosleep(&pause, nullptr);
}

void OnTermination(int signal) {
  WaitForHolds();
  if (terminationAction != nullptr) terminationAction();
  // The default action, delivered when the handler returns: the program
  // ends by the signal, as its parent expects.
  std::signal(signal, SIG_DFL);
  raise(signal);
}

}  // namespace

void RunBeforeTerminationSignals(void (*action)()) {
  terminationAction = action;
  for (const int signal : WatchedSignals) {
    struct sigaction previous;
    InstallUnlessIgnored(signal, OnTermination, previous);
  }
}

TerminationHold::TerminationHold() {
  if (holdDepth++ == 0) {
    sigset_t block;
    sigemptyset(&block);
    for (const int signal : WatchedSignals) sigaddset(&block, signal);
    pthread_sigmask(SIG_BLOCK, &block, &heldMask);
  }
  holds.fetch_add(1);
}

TerminationHold::~TerminationHold() {
  holds.fetch_sub(1);
  if (--holdDepth == 0) pthread_sigmask(SIG_SETMASK, &heldMask, nullptr);
}

void EndOnBrokenPipe() {
  std::signal(SIGPIPE, SIG_DFL);
  raise(SIGPIPE);
  std::_Exit(1);
}

int DuplicateDescriptor(int fd) {
  return fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

// ---- the program and its user ----

std::string ExecutableDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

namespace {

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_directory(path, ec);
}

// XDG_PICTURES_DIR="$HOME/Bilder" from the desktop's user-dirs.dirs (a
// shell fragment whose values are $HOME/... or absolute); empty when it
// names none.
std::string UserDirsPictures(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string file =
      (config != nullptr && *config != '\0' ? std::string(config) : home + "/.config") +
      "/user-dirs.dirs";
  std::ifstream in(file);
  std::string line;
  constexpr std::string_view Key = "XDG_PICTURES_DIR=\"";
  while (std::getline(in, line)) {
    if (line.rfind(Key, 0) != 0 || line.size() < Key.size() + 1 || line.back() != '"') continue;
    std::string value = line.substr(Key.size(), line.size() - Key.size() - 1);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    return value.empty() || value[0] != '/' ? std::string() : value;
  }
  return {};
}

}  // namespace

std::string PicturesFolder() {
  if (const char* dir = std::getenv("XDG_PICTURES_DIR"); dir != nullptr && IsFolder(dir))
    return dir;
  const char* home = std::getenv("HOME");
  if (home == nullptr || *home == '\0') return {};
  if (const std::string dir = UserDirsPictures(home); IsFolder(dir)) return dir;
  if (const std::string dir = std::string(home) + "/Pictures"; IsFolder(dir)) return dir;
  return {};
}

StartContext ThisStart() {
  StartContext start;
  start.terminal = isatty(STDIN_FILENO) || isatty(STDOUT_FILENO) || isatty(STDERR_FILENO);
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  start.graphicalSession = set("DISPLAY") || set("WAYLAND_DISPLAY");
#ifndef __EMSCRIPTEN__
  // The program file, not the name the process gave itself: a script's
  // process is named after the script but runs its interpreter.
  std::error_code ec;
  const std::filesystem::path parent =
      std::filesystem::read_symlink("/proc/" + std::to_string(getppid()) + "/exe", ec);
  if (!ec) start.parent = parent.filename().string();
#endif
  return start;
}

bool ReleaseOwnConsole() {
  return false;
}

void AlertBox(const std::string&, const std::string&) {}

}  // namespace vx
