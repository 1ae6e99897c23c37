#pragma once
// For the fuzz targets of the data library and the pictures: a file held in
// memory that the program's own code opens by path like any other, and the
// capture of standard output at the descriptor level. Neither touches the
// disk, so a target that traps half-way leaves nothing behind, and a fuzzing
// run does not wear the disk with a write per input.
//
//   vx::fuzz::MemoryFile archive("archive");
//   archive.Fill(data, size);                  // replaces the contents
//   std::string out = vx::fuzz::CaptureOutput([&] { vx::OpenLibrary(archive.Path()); });
//
// Set-up failures (no memfd, no /proc) abort with a line on standard error.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/archive_header.h"

namespace vx::fuzz {

// A fuzz target's assertion: a broken promise stops the run where the
// fuzzer can see it and keep the input.
inline void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// The targets' oracles do not share the reader's copy of the header.
using test::ArchiveHeaderText;

[[noreturn]] inline void SetupFailed(const char* what) {
  std::perror(what);
  std::abort();
}

class MemoryFile {
 public:
  explicit MemoryFile(const char* name) : fd_(memfd_create(name, 0)) {
    if (fd_ < 0) SetupFailed("memfd_create");
    // Opening this path opens the same file anew, with a read position of
    // its own, as an ordinary file would be.
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryFile() { close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  const std::string& Path() const { return path_; }
  int Descriptor() const { return fd_; }

  void Fill(const std::uint8_t* data, std::size_t size) {
    if (ftruncate(fd_, 0) != 0) SetupFailed("ftruncate");
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
      if (n <= 0) SetupFailed("pwrite");
      done += static_cast<std::size_t>(n);
    }
  }

  std::string Contents() const {
    std::string text;
    char chunk[4096];
    for (off_t at = 0;;) {
      const ssize_t n = pread(fd_, chunk, sizeof chunk, at);
      if (n < 0) SetupFailed("pread");
      if (n == 0) return text;
      text.append(chunk, static_cast<std::size_t>(n));
      at += n;
    }
  }

 private:
  int fd_;
  std::string path_;
};

// Everything written to standard output while body runs (through stdio or
// straight to descriptor 1). The real standard output is restored after.
inline MemoryFile& OutputSink() {
  static MemoryFile sink("stdout");
  return sink;
}

template <typename Body>
std::string CaptureOutput(Body body) {
  MemoryFile& sink = OutputSink();
  sink.Fill(nullptr, 0);
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  if (saved < 0 || dup2(sink.Descriptor(), STDOUT_FILENO) < 0) SetupFailed("dup2");
  // The sink shares its offset with the descriptor: start writing at 0.
  if (lseek(STDOUT_FILENO, 0, SEEK_SET) != 0) SetupFailed("lseek");
  body();
  std::fflush(stdout);
  if (dup2(saved, STDOUT_FILENO) < 0) SetupFailed("dup2");
  close(saved);
  return sink.Contents();
}

}  // namespace vx::fuzz
