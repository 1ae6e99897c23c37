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
//   - a name of an open stream (/dev/stdout, /dev/stderr, /dev/fd/N,
//     /proc/self/fd/N) is written straight through that stream, whatever
//     is behind it: a file the shell opened to append to is appended to;
//   - a folder is refused.
// A temporary file is removed on every path but a successful Commit, also
// when the program ends by exit(), by a failed console write or by a
// termination signal (see RunExitActions); nothing else is ever removed.
#include <sys/stat.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

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
  // True when the target is written straight through (device, FIFO,
  // stream).
  bool StraightThrough() const { return straight_; }
  // The descriptor of the open stream the path names (1 for /dev/stdout),
  // or -1.
  int Stream() const { return stream_; }
  // Flushes, syncs (regular files) and closes the file, keeping the
  // temporary file for a later Commit (so that many files can be renamed
  // into place together). False with the reason in Error(); the temporary
  // file is then removed.
  bool Finish();
  // Finishes the file if still open and renames the temporary file onto
  // the target. False with the reason in Error(); the temporary file is
  // then removed and the target left as it was.
  bool Commit();
  // Closes and removes the temporary file; the target is left as it was.
  void Abandon();
  const std::string& Error() const { return error_; }

 private:
  friend void RemoveLiveTemporaries();
  bool Fail(const std::string& what, int code);
  bool Attach(int fd);
  // Creates the temporary file and lists it for removal as one step that
  // no termination signal cuts in two. 0, or the error number.
  int CreateTracked(int& fd);
  void Track();
  void Untrack();

  std::string named_;      // the path as named, for messages
  std::string target_;     // the path named, symbolic links followed
  std::string writePath_;  // temporary file or target_
  std::FILE* file_ = nullptr;
  bool straight_ = false;
  int stream_ = -1;
  bool ownsTemporary_ = false;
  OutputFile* nextLive_ = nullptr;  // the list of live temporary files
  std::string error_;
};

// Writes size bytes to path by the rule above. False with the one-line
// reason in error.
bool WriteOutputFile(const std::string& path, const void* data, std::size_t size,
                     std::string& error);

// Whether a and b name the same existing file (device and inode, links
// followed), so that every spelling and every hard link is caught.
bool SameFile(const std::string& a, const std::string& b);
// The one-line refusal of an output that is one of the inputs ("x.lib is
// also an input: refused"), or empty when it is none of them.
std::string OutputOverInput(const std::string& output, const std::vector<std::string>& inputs);
// Whether path names the program's standard output: by a stream name
// (/dev/stdout, /dev/fd/1, /proc/self/fd/1) or as the same file.
bool NamesStandardOutput(const std::string& path);

// ---- clean-up on every way out ----
// Removes the temporary file of every OutputFile not yet committed or
// abandoned. Does only what a signal handler may.
void RemoveLiveTemporaries();
// Adds an action to run, newest first, before the program ends by exit()
// or by a failed console write; RunExitActions runs them (once each) and
// then RemoveLiveTemporaries.
void RunAtEveryExit(void (*action)());
void RunExitActions();
// For programs that write files: termination signals (INT, TERM, HUP,
// QUIT) remove the live temporary files before the program ends by them,
// and exit() runs RunExitActions.
void CleanUpOnEveryExit();

}  // namespace vx
