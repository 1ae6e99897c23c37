#pragma once
// Files the user names as output (screenshots, videos, archives, extracted
// files). The one rule every writer follows, so that a failure never
// destroys anything the user owns:
//   - a regular file or an absent path is written to a new temporary file in
//     the same folder and renamed onto the path only by Commit, after every
//     write, the flush to disk and the close succeeded; a replaced file's
//     permission bits (and, where allowed, its owner) carry over, a new file
//     gets 0666 less the umask;
//   - a symbolic link is followed to the file it names, which is replaced by
//     the same rule; the link stays a link;
//   - anything else that can be opened for writing (a character device such
//     as /dev/null, a FIFO) is written straight through, never created,
//     truncated, renamed over or removed;
//   - a folder is refused.
// A temporary file is removed on every path but a successful Commit; nothing
// else is ever removed.
#include <cstddef>
#include <cstdio>
#include <string>

namespace vx {

class OutputFile {
 public:
  OutputFile() = default;
  // Abandons the write unless Commit succeeded.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Opens path for writing by the rule above. False with a one-line reason
  // in Error() ("cannot create out.png: Permission denied").
  bool Open(const std::string& path);
  // The stream to write to; nullptr when not open.
  std::FILE* File() const { return file_; }
  // The name the data is written under: the temporary file for a regular
  // target, the target itself when written straight through. A temporary
  // name keeps the target's extension, so programs that choose a format by
  // the name (ffmpeg) choose the same one.
  const std::string& WritePath() const { return writePath_; }
  // True when the target is written straight through (device, FIFO).
  bool StraightThrough() const { return straight_; }
  // Flushes, syncs (regular files), closes and renames the temporary file
  // onto the target. False with the reason in Error(); the temporary file is
  // then removed and the target left as it was.
  bool Commit();
  // Closes and removes the temporary file; the target is left as it was.
  void Abandon();
  const std::string& Error() const { return error_; }

 private:
  bool Fail(const std::string& what, int code);

  std::string named_;      // the path as named, for messages
  std::string target_;     // the path named, symbolic links followed
  std::string writePath_;  // temporary file or target_
  std::FILE* file_ = nullptr;
  bool straight_ = false;
  bool ownsTemporary_ = false;
  std::string error_;
};

// Writes size bytes to path by the rule above. False with the one-line
// reason in error.
bool WriteOutputFile(const std::string& path, const void* data, std::size_t size,
                     std::string& error);

}  // namespace vx
