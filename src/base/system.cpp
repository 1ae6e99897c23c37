// The POSIX calls behind base/system.h, and Windows' counterparts (mingw-w64
// supplies open, close, stat and the like, but not the flags, links, owners,
// fsync or a rename that replaces). Windows errors become the nearest errno
// value; a failure is never reported as 0.
#include "base/system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <random>
#include <system_error>
#include <thread>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#else
#include <sys/wait.h>
#endif
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

std::string WindowsCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
      line += arg;
      continue;
    }
    // Backslashes are literal except in front of a quote (or the closing
    // quote), where each pair stands for one.
    line += '"';
    std::size_t backslashes = 0;
    for (const char c : arg) {
      if (c == '\\') {
        ++backslashes;
        continue;
      }
      line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
      backslashes = 0;
      line += c;
    }
    line.append(2 * backslashes, '\\');
    line += '"';
  }
  return line;
}

// ftell and fseek take a long, 32 bits on Windows: files of 2 GiB and more
// need the 64-bit forms there.
long long SeekToEnd(std::FILE* file) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  return _ftelli64(file);
#else
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  return ftello(file);
#endif
}

#ifndef _WIN32

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

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}

constexpr int WatchedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int WatchedCount = static_cast<int>(std::size(WatchedSignals));
struct sigaction previousActions[WatchedCount];

}  // namespace

void StartInterruptWatch() {
  interrupted = 0;
  // No SA_RESTART: a blocking write returns with EINTR.
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < WatchedCount; ++i)
    sigaction(WatchedSignals[i], &action, &previousActions[i]);
}

void StopInterruptWatch() {
  for (int i = 0; i < WatchedCount; ++i) sigaction(WatchedSignals[i], &previousActions[i], nullptr);
}

bool Interrupted() {
  return interrupted != 0;
}

namespace {

void (*terminationAction)() = nullptr;

void OnTermination(int signal) {
  if (terminationAction != nullptr) terminationAction();
  // The default action, delivered when the handler returns: the program
  // ends by the signal, as its parent expects.
  std::signal(signal, SIG_DFL);
  raise(signal);
}

}  // namespace

void RunBeforeTerminationSignals(void (*action)()) {
  terminationAction = action;
  struct sigaction handler {};
  handler.sa_handler = OnTermination;
  sigemptyset(&handler.sa_mask);
  for (const int signal : WatchedSignals) {
    struct sigaction previous {};
    // A signal the caller's parent chose to ignore stays ignored.
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    sigaction(signal, &handler, nullptr);
  }
}

void EndOnBrokenPipe() {
  std::signal(SIGPIPE, SIG_DFL);
  raise(SIGPIPE);
  std::_Exit(1);
}

int DuplicateDescriptor(int fd) {
  return fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

#else  // Windows

namespace {

// The errno value closest to a Windows error code.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_BAD_EXE_FORMAT:
      return ENOEXEC;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
      return EPIPE;
    default:
      return EIO;
  }
}

}  // namespace

int OpenForReading(const std::string& path) {
  return _open(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int CreateNewFile(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
               _S_IREAD | _S_IWRITE);
}

int OpenExistingForWriting(const std::string& path) {
  return _open(path.c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
}

bool IsSymbolicLink(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_symlink(std::filesystem::symlink_status(path, error));
}

bool SomethingAt(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

int CarryOverOwnerAndMode(int, const struct stat&) {
  // Files have no POSIX owner or mode bits here; the only bit, read-only,
  // is never set on a file we were allowed to replace.
  return 0;
}

int SyncFile(int fd) {
  // Straight to the handle: msvcrt's _commit can fail without setting errno.
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE) return EBADF;
  return FlushFileBuffers(handle) ? 0 : ErrnoOf(GetLastError());
}

int RenameOver(const std::string& from, const std::string& to) {
  // rename() refuses to replace an existing file on Windows.
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 0;
  return ErrnoOf(GetLastError());
}

void IgnoreBrokenPipes() {
  // A write to a closed pipe already fails with EPIPE (or EINVAL).
}

void UseUtf8Console() {
  // Fails harmlessly when there is no console (output to a file or pipe).
  SetConsoleOutputCP(CP_UTF8);
}

std::FILE* BinaryStandardInput() {
  _setmode(_fileno(stdin), _O_BINARY);
  return stdin;
}

int CreateTemporaryFile(const std::string& prefix, const std::string& suffix, std::string& path) {
  char folder[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > MAX_PATH) {
    errno = ENOENT;
    return -1;
  }
  static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name(6, 'x');
    for (char& c : name) c = Letters[random() % (sizeof Letters - 1)];
    path = std::string(folder, length) + prefix + name + suffix;
    const int fd = CreateNewFile(path);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

namespace {

std::wstring Wide(const std::string& utf8) {
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

// An inheritable copy of one of our standard handles, for the child; null
// when there is none.
HANDLE InheritableCopy(DWORD which) {
  const HANDLE own = GetStdHandle(which);
  HANDLE copy = nullptr;
  if (own == nullptr || own == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS))
    return nullptr;
  return copy;
}

}  // namespace

SpawnFailure SpawnWithInput(const std::vector<std::string>& args, ChildProcess& child, int& error) {
  // The child inherits the pipe's reading end only; every descriptor this
  // program opens itself is not inheritable.
  SECURITY_ATTRIBUTES inherit{};
  inherit.nLength = sizeof inherit;
  inherit.bInheritHandle = TRUE;
  HANDLE reading = nullptr, writing = nullptr;
  if (!CreatePipe(&reading, &writing, &inherit, 0)) {
    error = ErrnoOf(GetLastError());
    return SpawnFailure::NoPipe;
  }
  SetHandleInformation(writing, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = reading;
  startup.hStdOutput = InheritableCopy(STD_OUTPUT_HANDLE);
  startup.hStdError = InheritableCopy(STD_ERROR_HANDLE);
  // Searched as the shell does: the program's folder, the current one, the
  // system's, then PATH, with .exe added.
  std::wstring line = Wide(WindowsCommandLine(args));
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &info);
  const DWORD startError = GetLastError();
  CloseHandle(reading);
  if (startup.hStdOutput != nullptr) CloseHandle(startup.hStdOutput);
  if (startup.hStdError != nullptr) CloseHandle(startup.hStdError);
  if (!started) {
    CloseHandle(writing);
    error = ErrnoOf(startError);
    const bool notRunnable =
        startError == ERROR_FILE_NOT_FOUND || startError == ERROR_PATH_NOT_FOUND ||
        startError == ERROR_BAD_EXE_FORMAT || startError == ERROR_ACCESS_DENIED;
    return notRunnable ? SpawnFailure::CannotRun : SpawnFailure::CannotStart;
  }
  CloseHandle(info.hThread);
  const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(writing), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    error = errno;
    CloseHandle(writing);
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hProcess);
    return SpawnFailure::NoPipe;
  }
  child.process = reinterpret_cast<std::intptr_t>(info.hProcess);
  child.input = fd;
  return SpawnFailure::None;
}

ChildEnd FinishChild(ChildProcess& child) {
  if (child.input >= 0) _close(child.input);
  child.input = -1;
  ChildEnd end;
  if (child.process == -1) {
    end.code = ECHILD;  // never started, or already finished
    return end;
  }
  const auto process = reinterpret_cast<HANDLE>(child.process);
  DWORD code = 0;
  if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process, &code)) {
    end.code = ErrnoOf(GetLastError());
  } else {
    end.kind = ChildEnd::Kind::Exited;
    end.code = static_cast<int>(code);
  }
  CloseHandle(process);
  child.process = -1;
  return end;
}

void StopChild(ChildProcess& child) {
  if (child.input >= 0) _close(child.input);
  child.input = -1;
  if (child.process == -1) return;
  const auto process = reinterpret_cast<HANDLE>(child.process);
  TerminateProcess(process, 1);
  WaitForSingleObject(process, INFINITE);
  CloseHandle(process);
  child.process = -1;
}

namespace {

// Set from the console's own thread.
std::atomic<bool> interrupted{false};
std::atomic<bool> watching{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      interrupted = true;
      return TRUE;
    case CTRL_CLOSE_EVENT:
      // Windows ends the process when this returns (after 5 s at most):
      // give the interrupted work that time to clean up.
      interrupted = true;
      for (int i = 0; i < 45 && watching; ++i) Sleep(100);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void StartInterruptWatch() {
  interrupted = false;
  watching = true;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void StopInterruptWatch() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  watching = false;
}

bool Interrupted() {
  return interrupted;
}

namespace {

void (*terminationAction)() = nullptr;

BOOL WINAPI OnTerminationEvent(DWORD) {
  if (terminationAction != nullptr) terminationAction();
  return FALSE;  // the next handler, in the end the default: the program ends
}

}  // namespace

void RunBeforeTerminationSignals(void (*action)()) {
  terminationAction = action;
  SetConsoleCtrlHandler(OnTerminationEvent, TRUE);
}

void EndOnBrokenPipe() {
  std::_Exit(1);
}

int DuplicateDescriptor(int fd) {
  return _dup(fd);
}

#endif

}  // namespace vx
