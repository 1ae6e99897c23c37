// Windows' counterparts of the POSIX calls behind base/system.h (mingw-w64
// supplies open, close, stat and the like, but not the flags, links,
// owners, fsync or a rename that replaces). Windows errors become the
// nearest errno value; a failure is never reported as 0.
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
#include <string>
#include <system_error>
#include <thread>

#include "base/system.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <knownfolders.h>
#include <shlobj.h>

namespace vx {

void SleepMilliseconds(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// ftell and fseek take a long, 32 bits on Windows: files of 2 GiB and more
// need the 64-bit forms.
long long SeekToEnd(std::FILE* file) {
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  return _ftelli64(file);
}

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
  return std::filesystem::is_symlink(std::filesystem::symlink_status(PathOf(path), error));
}

bool SomethingAt(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(PathOf(path), error));
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

// Live TerminationHolds of every thread. The console's handler runs on a
// thread of its own, so holding needs no blocking here: the handler waits
// (1 s at most) for the held step to end.
std::atomic<int> holds{0};

BOOL WINAPI OnTerminationEvent(DWORD) {
  for (int i = 0; i < 1000 && holds.load() > 0; ++i) Sleep(1);
  if (terminationAction != nullptr) terminationAction();
  return FALSE;  // the next handler, in the end the default: the program ends
}

}  // namespace

TerminationHold::TerminationHold() {
  holds.fetch_add(1);
}

TerminationHold::~TerminationHold() {
  holds.fetch_sub(1);
}

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

// ---- the program and its user ----

std::string ExecutableDir() {
  // The path may be longer than MAX_PATH: grow the buffer until it fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  // Narrow names are UTF-8 in these programs (their manifest's code page).
  return NameOf(std::filesystem::path(path).parent_path());
}

std::string PicturesFolder() {
  PWSTR wide = nullptr;
  std::string folder;
  if (SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &wide) == S_OK) {
    folder = NameOf(std::filesystem::path(wide));
    std::error_code ec;
    if (!std::filesystem::is_directory(std::filesystem::path(wide), ec)) folder.clear();
  }
  CoTaskMemFree(wide);
  return folder;
}

StartContext ThisStart() {
  DWORD processes[2];
  return {.ownConsole = GetConsoleWindow() != nullptr && GetConsoleProcessList(processes, 2) == 1,
          .terminal = false,
          .graphicalSession = true,
          .parent = {}};
}

bool ReleaseOwnConsole() {
  // A console shared with a command prompt lists two processes or more;
  // output sent to a file or a pipe is wanted by whoever started us.
  const auto onConsole = [](DWORD stream) {
    return GetFileType(GetStdHandle(stream)) == FILE_TYPE_CHAR;
  };
  DWORD processes[2];
  if (GetConsoleWindow() == nullptr || GetConsoleProcessList(processes, 2) != 1 ||
      !onConsole(STD_OUTPUT_HANDLE) || !onConsole(STD_ERROR_HANDLE))
    return false;
  FreeConsole();
  // The standard streams pointed at the console that is gone: writes to
  // them would fail, and a failed write ends a run with an error.
  [[maybe_unused]] std::FILE* out = std::freopen("NUL", "w", stdout);
  [[maybe_unused]] std::FILE* err = std::freopen("NUL", "w", stderr);
  return true;
}

void AlertBox(const std::string& title, const std::string& text) {
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(),
              MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace vx
