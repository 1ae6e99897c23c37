// The POSIX calls behind base/system.h, and Windows' counterparts (mingw-w64
// supplies open, close, stat and the like, but not the flags, links, owners,
// fsync or a rename that replaces). Windows errors become the nearest errno
// value; a failure is never reported as 0.
#include "base/system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#endif

namespace vx {

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

#endif

}  // namespace vx
