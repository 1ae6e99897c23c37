// Output files by the rule in output_file.h: temporary file and rename for
// regular files, straight through for devices and FIFOs.
#include "base/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

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
    const fs::path text = fs::read_symlink(current, error);
    if (error) {
      errno = error.value();
      return {};
    }
    current =
        text.is_absolute() ? text.string() : (fs::path(current).parent_path() / text).string();
  }
  errno = ELOOP;
  return {};
}

// A new file, created exclusively, in the folder of target: named after it
// with the same extension ("dir/.shot.tmp-123-0.png"). -1 with errno set.
int CreateTemporary(const std::string& target, std::string& path) {
  const fs::path name(target);
  std::string stem = name.stem().string();
  if (stem.size() > MaxStemBytes) stem.resize(MaxStemBytes);
  std::string extension = name.extension().string();
  if (extension.size() > 16) extension.clear();
  const fs::path folder = name.parent_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string file =
        "." + stem + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(attempt) + extension;
    path = (folder / file).string();
    const int fd = CreateNewFile(path);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

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
  named_ = path;
  target_ = path;
  if (path.empty()) {
    error_ = "no output file named";
    return false;
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
    fd = CreateTemporary(target_, writePath_);
    if (fd < 0) return Fail("cannot create", errno);
    ownsTemporary_ = true;
    if (exists) {
      const int code = CarryOverOwnerAndMode(fd, info);
      if (code != 0) {
        close(fd);
        Abandon();
        return Fail("cannot create", code);
      }
    }
  }
  file_ = fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int code = errno;
    close(fd);
    Abandon();
    return Fail("cannot open", code);
  }
  return true;
}

bool OutputFile::Commit() {
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
  if (code == 0 && ownsTemporary_) code = RenameOver(writePath_, target_);
  if (code != 0) {
    Abandon();
    return Fail("cannot write", code);
  }
  ownsTemporary_ = false;
  return true;
}

void OutputFile::Abandon() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (ownsTemporary_) unlink(writePath_.c_str());
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
