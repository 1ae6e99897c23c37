// Output files by the rule in output_file.h: temporary file and rename for
// regular files, straight through for devices and FIFOs.
#include "base/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <string_view>

#include "base/system.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

// Linux gives up after 40 links in a row (ELOOP); so do we.
constexpr int MaxSymlinkHops = 40;
// Room left for ".tmp-<pid>-<n>" and the extension within a 255-byte name.
constexpr std::size_t MaxStemBytes = 200;

// Follows a chain of symbolic links from path to the name at its end, which
// need not exist (a dangling link names the file to create). Relative link
// text is taken from the folder of the link. Empty with errno set when the
// chain loops or a link cannot be read.
std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop <= MaxSymlinkHops; ++hop) {
    if (!IsSymbolicLink(current)) return current;
    std::error_code error;
    const fs::path text = fs::read_symlink(PathOf(current), error);
    if (error) {
      errno = error.value();
      return {};
    }
    current = text.is_absolute() ? NameOf(text) : NameOf(PathOf(current).parent_path() / text);
  }
  errno = ELOOP;
  return {};
}

// A new file, created exclusively, in the folder of target: named after it
// with the same extension ("dir/.shot.tmp-123-0.png"). -1 with errno set.
int CreateTemporary(const std::string& target, std::string& path) {
  const fs::path name = PathOf(target);
  std::string stem = NameOf(name.stem());
  if (stem.size() > MaxStemBytes) stem.resize(MaxStemBytes);
  std::string extension = NameOf(name.extension());
  if (extension.size() > 16) extension.clear();
  const fs::path folder = name.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string file =
        "." + stem + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(attempt) + extension;
    path = NameOf(folder / PathOf(file));
    const int fd = CreateNewFile(path);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// The descriptor an open-stream name stands for (/dev/stdout, /dev/stderr,
// /dev/fd/N, /proc/self/fd/N), or -1 for any other path. Opening such a name
// anew would start a new file description at offset 0 without O_APPEND, and
// a rename would replace the file behind it; the stream itself is written.
int StreamDescriptor(const std::string& path) {
  if (path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    if (path.rfind(prefix, 0) != 0 || path.size() == prefix.size()) continue;
    int fd = 0;
    for (std::size_t i = prefix.size(); i < path.size(); ++i) {
      if (path[i] < '0' || path[i] > '9' || fd > 100000) return -1;
      fd = fd * 10 + (path[i] - '0');
    }
    return fd;
  }
  return -1;
}

// Writers with a temporary file, newest first: a single pointer store links
// or unlinks one, so a signal handler always sees a whole list.
OutputFile* volatile liveHead = nullptr;

constexpr int MaxExitActions = 8;
void (*exitActions[MaxExitActions])() = {};
int exitActionCount = 0;

}  // namespace

void RemoveLiveTemporaries() {
  for (OutputFile* file = liveHead; file != nullptr; file = file->nextLive_)
    unlink(file->writePath_.c_str());
}

void RunAtEveryExit(void (*action)()) {
  for (int i = 0; i < exitActionCount; ++i)
    if (exitActions[i] == action) return;
  if (exitActionCount < MaxExitActions) exitActions[exitActionCount++] = action;
}

void RunExitActions() {
  while (exitActionCount > 0) exitActions[--exitActionCount]();
  RemoveLiveTemporaries();
}

void CleanUpOnEveryExit() {
  static const bool registered = std::atexit(RunExitActions) == 0;
  (void)registered;
  RunBeforeTerminationSignals(RemoveLiveTemporaries);
}

// The file's identity as the system keeps it: device and inode on POSIX
// systems, volume and file index on Windows (whose stat has no inode: it
// reports 0 for every file, which would make any two files the same).
bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(PathOf(a), PathOf(b), ec) && !ec;
}

std::string OutputOverInput(const std::string& output, const std::vector<std::string>& inputs) {
  for (const std::string& input : inputs)
    if (SameFile(output, input))
      return "cannot write " + output + ": it is the input " + input + "; refused";
  return {};
}

bool NamesStandardOutput(const std::string& path) {
  if (StreamDescriptor(path) == 1) return true;
  // Windows' stat gives every file inode 0: there no two files can be told
  // apart this way, and no other file may pass for standard output's.
  struct stat named, output;
  return stat(path.c_str(), &named) == 0 && fstat(1, &output) == 0 && named.st_ino != 0 &&
         named.st_dev == output.st_dev && named.st_ino == output.st_ino;
}

void OutputFile::Track() {
  nextLive_ = liveHead;
  liveHead = this;
}

void OutputFile::Untrack() {
  for (OutputFile* volatile* link = &liveHead; *link != nullptr; link = &(*link)->nextLive_) {
    if (*link == this) {
      *link = nextLive_;
      break;
    }
  }
  nextLive_ = nullptr;
}

int OutputFile::CreateTracked(int& fd) {
  // A termination signal between the creation and the registration would
  // leave the new file behind; one before the creation finds nothing to
  // remove, so a name that is someone else's file (EEXIST) is never listed.
  const TerminationHold hold;
  fd = CreateTemporary(target_, writePath_);
  if (fd < 0) return errno;
  ownsTemporary_ = true;
  Track();
  return 0;
}

OutputFile::~OutputFile() {
  Abandon();
}

bool OutputFile::Fail(const std::string& what, int code) {
  error_ = what + " " + named_ + ": " + std::strerror(code);
  return false;
}

bool OutputFile::Open(const std::string& path) {
  Abandon();
  error_.clear();
  straight_ = false;
  stream_ = -1;
  writePath_.clear();
  named_ = path;
  target_ = path;
  if (path.empty()) {
    error_ = "no output file named";
    return false;
  }
  if (const int stream = StreamDescriptor(path); stream >= 0) {
    const int fd = DuplicateDescriptor(stream);
    if (fd < 0) return Fail("cannot write", errno);
    straight_ = true;
    stream_ = stream;
    writePath_ = path;
    return Attach(fd);
  }
  // What the path names, links followed by the system: a device or FIFO is
  // opened by the path as given, since links such as /dev/stdout lead
  // through /proc to names ("pipe:[1234]") that only the system can follow.
  struct stat info;
  bool exists = stat(path.c_str(), &info) == 0;
  if (!exists && errno != ENOENT) return Fail("cannot create", errno);
  if (exists && S_ISDIR(info.st_mode)) {
    error_ = "cannot write " + path + ": it is a folder";
    return false;
  }
  if (!exists || S_ISREG(info.st_mode)) {
    const std::string resolved = FollowLinks(path);
    if (resolved.empty()) return Fail("cannot follow", errno);
    target_ = resolved;
  }

  int fd;
  if (exists && !S_ISREG(info.st_mode)) {
    // Devices and FIFOs: no O_CREAT and no O_TRUNC, so nothing the user
    // owns is created or cut short here.
    fd = OpenExistingForWriting(target_);
    if (fd < 0) return Fail("cannot open", errno);
    straight_ = true;
    writePath_ = target_;
  } else {
    // A file the user may not write is not replaced behind its back.
    if (exists && access(target_.c_str(), W_OK) != 0) return Fail("cannot write", errno);
    if (const int code = CreateTracked(fd); code != 0) return Fail("cannot create", code);
    if (exists) {
      const int code = CarryOverOwnerAndMode(fd, info);
      if (code != 0) {
        close(fd);
        Abandon();
        return Fail("cannot create", code);
      }
    }
  }
  return Attach(fd);
}

bool OutputFile::Attach(int fd) {
  file_ = fdopen(fd, "wb");
  if (file_ != nullptr) return true;
  const int code = errno;
  close(fd);
  Abandon();
  return Fail("cannot open", code);
}

bool OutputFile::Finish() {
  if (file_ == nullptr) {
    if (error_.empty()) error_ = "cannot write " + named_ + ": not open";
    return false;
  }
  // A write that failed earlier fails the whole file, even when the caller
  // did not check it; errno still holds its reason unless a later call
  // failed too.
  const bool failedEarlier = std::ferror(file_) != 0;
  const int earlierCode = errno != 0 ? errno : EIO;
  int code = 0;
  if (std::fflush(file_) != 0)
    code = errno;
  else if (failedEarlier)
    code = earlierCode;
  // A device or a FIFO has nothing to sync (fsync fails with EINVAL there).
  if (code == 0 && !straight_) code = SyncFile(fileno(file_));
  if (std::fclose(file_) != 0 && code == 0) code = errno;
  file_ = nullptr;
  if (code != 0) {
    Abandon();
    return Fail("cannot write", code);
  }
  return true;
}

bool OutputFile::Commit() {
  if (file_ != nullptr && !Finish()) return false;
  if (!ownsTemporary_) {
    // Straight through: Finish did it all. Without either, it was never open.
    if (writePath_.empty() && error_.empty()) error_ = "cannot write " + named_ + ": not open";
    return error_.empty();
  }
  if (const int code = RenameOver(writePath_, target_); code != 0) {
    Abandon();
    return Fail("cannot write", code);
  }
  Untrack();
  ownsTemporary_ = false;
  return true;
}

void OutputFile::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (ownsTemporary_) {
    unlink(writePath_.c_str());
    Untrack();
  }
  ownsTemporary_ = false;
}

bool WriteOutputFile(const std::string& path, const void* data, std::size_t size,
                     std::string& error) {
  OutputFile output;
  if (!output.Open(path)) {
    error = output.Error();
    return false;
  }
  errno = 0;
  if (size > 0 && std::fwrite(data, 1, size, output.File()) != size) {
    const int code = errno != 0 ? errno : EIO;
    output.Abandon();
    error = "cannot write " + path + ": " + std::strerror(code);
    return false;
  }
  if (!output.Commit()) {
    error = output.Error();
    return false;
  }
  return true;
}

}  // namespace vx
