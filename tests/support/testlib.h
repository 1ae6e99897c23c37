#pragma once
// Helpers shared by every test program: data-library archives written on the
// fly, fresh temporary folders, files as bytes, captured standard output and
// child programs run with their output collected.
//
//   vx::test::TempDir dir;                       // removed when it goes out of scope
//   ASSERT_TRUE(vx::test::OpenTestLibrary(dir, {{"DATA\\a.jpg", jpegBytes}}));
//   ... LibraryFileSize("DATA\\a.jpg") ...      // the archive stays open
//   vx::CloseLibrary();                          // optional: back to no library
//
// The archive writer is an independent implementation of the on-disk format
// (its header bytes are those of support/archive_header.h, not taken from the
// data library), so the builder's output can be compared with it byte for byte.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace vx::test {

using Bytes = std::vector<std::uint8_t>;
// One stored file: its name exactly as stored ("DATA\\a.jpg") and its bytes.
using LibraryFile = std::pair<std::string, Bytes>;

// The 103 fixed bytes that open every archive.
const std::array<std::uint8_t, 103>& LibraryHeaderBytes();

// The complete archive of these files in this order, exactly as the builder
// lays it out: header, count, index position, data back to back from 111,
// then the index.
Bytes MakeLibraryImage(const std::vector<LibraryFile>& files);

// Writes MakeLibraryImage(files) to path and returns path; on a write failure
// the current test fails (ADD_FAILURE) and the result is empty.
std::string WriteTestLibrary(const std::string& path, const std::vector<LibraryFile>& files);

// A fresh, empty folder under the system's temporary directory, removed with
// everything in it when the object is destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // Path of an entry inside the folder: Path() + "/" + name.
  std::string File(std::string_view name) const;

 private:
  std::string path_;
};

// Writes the files as "test.lib" inside dir, closes any open library and
// opens the new one with vx::OpenLibrary; returns its result. The archive
// must stay on disk while it is read, so dir must outlive its use.
bool OpenTestLibrary(const TempDir& dir, const std::vector<LibraryFile>& files);

// Files as bytes. ReadFileBytes fails the current test when the file cannot
// be read; FileExists is the quiet check.
Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
void WriteTextFile(const std::string& path, std::string_view text);
bool FileExists(const std::string& path);
Bytes ToBytes(std::string_view text);

// Everything written to standard output (through vx::ConsoleWrite or stdio)
// while body runs. Not nestable (one capture at a time). GoogleTest prints
// failure messages to standard output too: a failed EXPECT inside body still
// fails the test, but its message is captured, so keep checks outside.
std::string CaptureStdout(const std::function<void()>& body);
// Text split at '\n'; a final line end gives no empty line after it.
std::vector<std::string> SplitLines(std::string_view text);

// Changes the working directory for the object's lifetime.
class ScopedWorkingDirectory {
 public:
  explicit ScopedWorkingDirectory(const std::string& path);
  ~ScopedWorkingDirectory();
  ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
  ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

 private:
  std::string previous_;
};

// Whether this system has what RunProgram and the FIFO helpers need (fork,
// exec, FIFOs): POSIX systems, not Windows. A case that needs them starts
// with `if (!vx::test::HasPosixProcesses()) GTEST_SKIP() << why;`; on
// Windows the helpers fail the test instead.
bool HasPosixProcesses();

// Makes a FIFO at path (permission bits 0644); false when it cannot.
bool MakeFifo(const std::string& path);
// Opens the FIFO at path for writing without waiting and closes it at once:
// a reader waiting for a writer is let go.
void KnockOnFifo(const std::string& path);

// Runs a program (args[0] is its path, no shell involved) in workingDirectory
// (empty: the current one) with standard input from /dev/null, and collects
// its exit code (-1 when it did not exit normally, for example on a signal)
// and both output streams.
struct ProgramResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};
ProgramResult RunProgram(const std::vector<std::string>& args,
                         const std::string& workingDirectory = {});

// A /bin/sh script that runs command (already quoted for the shell) with its
// standard output on a pipe whose reader has gone, and prints the command's
// exit status on the script's standard output. Before the command starts,
// the script writes into the pipe until a write fails: only then has every
// process let go of the read end, the shell that made the pipe included.
std::string WithReaderGone(const std::string& command);

// Makes a FIFO at path and collects everything written into it on a thread
// of its own, without ever blocking the test: the read end is opened at
// once (non-blocking), so a writer's open succeeds, and Finish, called once
// the writers are done, drains what is left and returns the bytes. A
// program that never opens the FIFO gives empty bytes, not a hang.
class FifoReader {
 public:
  explicit FifoReader(const std::string& path);
  ~FifoReader();
  FifoReader(const FifoReader&) = delete;
  FifoReader& operator=(const FifoReader&) = delete;

  Bytes Finish();

 private:
  int fd_ = -1;
  std::atomic<bool> done_ = false;
  Bytes bytes_;
  std::thread thread_;
};

}  // namespace vx::test
