// The data library builder: reads a description file listing directories and
// files, then writes the archive. Progress goes to standard output line by
// line; a failure writes nothing of its own unless it is one of the limits
// below, so the lines written show how far the build came.
//
// Description file: lines of at most 128 characters (the rest of a longer
// line is skipped, a trailing carriage return is dropped first). The whole
// line "[dir]", "[file]", "[end_of_dir]" or "[eof]" is a command; any other
// line is a directory name (after "[dir]") or a file name (after "[file]"),
// and is ignored elsewhere. A stored name is the directory text and the file
// line joined with nothing between them ("DATA\" + "a.jpg"); on disk it is
// read relative to the working directory with each backslash taken as '/'.
//
// Limits refused with a line of their own: more than 1024 files (at the
// 1025th file line), a stored name over 128 characters, a file over
// 2147483647 bytes, an archive that would outgrow 32-bit positions.
//
// The archive is written to a temporary file beside the target and renamed
// into place only after every write and the close succeeded, so a failed
// build leaves neither a half-written archive nor a damaged earlier one.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "datalib/library_format.h"
#include "platform/console.h"

namespace vx {
namespace {

using datalib::FileHandle;
using datalib::LibraryEntry;

constexpr std::size_t MaxDescriptionLine = 128;
constexpr std::int64_t MaxArchiveSize = std::numeric_limits<std::int32_t>::max();

// Parser states of the description file.
enum class ParserState {
  Start = 0,
  WaitingForDirectory = 1,
  WaitingForFileCommand = 2,
  ReadingFileNames = 3,
  WaitingForNewDirectory = 4,
  Finished = 5,
};

// The builder's own table: the files listed by the last description, in
// order, each measured. Kept apart from the reader's index so that a build
// never disturbs a library opened for reading. descriptionAccepted is true
// only after ReadDescriptionFile succeeded.
std::vector<LibraryEntry> buildEntries;
bool descriptionAccepted = false;

std::string DiskPath(std::string_view storedName) {
  std::string path(storedName);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

enum class LineRead { Line, End, Failed };

// Reads one line without its '\n'; a trailing '\r' is dropped, then the
// line is cut to 128 characters.
LineRead ReadDescriptionLine(std::FILE* file, std::string& line) {
  line.clear();
  bool any = false;
  int c;
  while ((c = std::getc(file)) != EOF) {
    any = true;
    if (c == '\n') break;
    line.push_back(static_cast<char>(c));
  }
  if (c == EOF && std::ferror(file)) return LineRead::Failed;
  if (!any) return LineRead::End;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > MaxDescriptionLine) line.resize(MaxDescriptionLine);
  return LineRead::Line;
}

std::string CommandLine(std::string_view command, int lineNumber) {
  return "Found " + std::string(command) + " command at line " + std::to_string(lineNumber);
}

// Adds one listed file: measures it on disk and appends it to the table.
bool AddFileEntry(const std::string& name) {
  ConsoleWriteLine("Using file name '" + name + "'");
  if (buildEntries.size() >= static_cast<std::size_t>(MaxLibraryEntries)) {
    ConsoleWriteLine("Refused: a library holds at most " + std::to_string(MaxLibraryEntries) +
                     " files");
    return false;
  }
  if (name.size() > static_cast<std::size_t>(MaxLibraryNameLength)) {
    ConsoleWriteLine("Refused: file name longer than " + std::to_string(MaxLibraryNameLength) +
                     " characters");
    return false;
  }
  std::string path = DiskPath(name);
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  long long size = std::ftell(file.get());
  if (size <= 0) return false;
  if (size > MaxArchiveSize) {
    ConsoleWriteLine("Refused: file larger than " + std::to_string(MaxArchiveSize) + " bytes");
    return false;
  }
  file.reset();
  LibraryEntry entry;
  entry.name = name;
  entry.size = static_cast<std::int32_t>(size);
  buildEntries.push_back(std::move(entry));
  return true;
}

// Acts on one description line; false ends the read with a failure.
bool HandleDescriptionLine(const std::string& line, int lineNumber, ParserState& state,
                           std::string& directory) {
  using S = ParserState;
  if (line == "[dir]") {
    ConsoleWriteLine(CommandLine(line, lineNumber));
    if (state != S::Start && state != S::WaitingForNewDirectory) return false;
    ConsoleWriteLine("Waiting for directory name");
    state = S::WaitingForDirectory;
  } else if (line == "[file]") {
    ConsoleWriteLine(CommandLine(line, lineNumber));
    if (state != S::WaitingForFileCommand) return false;
    ConsoleWriteLine("Waiting for file names or [end_of_dir] command");
    state = S::ReadingFileNames;
  } else if (line == "[end_of_dir]") {
    ConsoleWriteLine(CommandLine(line, lineNumber));
    if (state != S::ReadingFileNames) return false;
    ConsoleWriteLine("Waiting for new directory");
    state = S::WaitingForNewDirectory;
  } else if (line == "[eof]") {
    ConsoleWriteLine(CommandLine(line, lineNumber));
    state = S::Finished;
  } else if (state == S::WaitingForDirectory) {
    ConsoleWriteLine("Using directory name '" + line + "',waiting for [file] command");
    directory = line;
    state = S::WaitingForFileCommand;
  } else if (state == S::ReadingFileNames) {
    return AddFileEntry(directory + line);
  }
  return true;
}

bool WriteBytes(std::FILE* file, const void* data, std::size_t size) {
  return std::fwrite(data, 1, size, file) == size;
}

bool WriteInt32(std::FILE* file, std::int32_t value) {
  auto bytes = datalib::EncodeInt32(value);
  return WriteBytes(file, bytes.data(), bytes.size());
}

// Copies exactly size bytes of the named source file into the archive.
bool CopySource(std::FILE* library, const LibraryEntry& entry) {
  FileHandle source(std::fopen(DiskPath(entry.name).c_str(), "rb"));
  if (!source) return false;
  std::vector<char> chunk(std::min<std::size_t>(static_cast<std::size_t>(entry.size), 1 << 16));
  std::size_t left = static_cast<std::size_t>(entry.size);
  while (left > 0) {
    std::size_t part = std::min(left, chunk.size());
    if (std::fread(chunk.data(), 1, part, source.get()) != part) return false;
    if (!WriteBytes(library, chunk.data(), part)) return false;
    left -= part;
  }
  return true;
}

// A new file beside target, created exclusively; removed again by the
// destructor unless Commit renamed it onto the target.
class TemporaryArchive {
 public:
  explicit TemporaryArchive(const std::string& target) : target_(target) {
    for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
      std::string candidate =
          target + ".part-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
      int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd < 0) {
        if (errno == EEXIST) continue;
        return;
      }
      file_ = fdopen(fd, "wb");
      if (file_ == nullptr) {
        close(fd);
        unlink(candidate.c_str());
        return;
      }
      path_ = candidate;
    }
  }
  ~TemporaryArchive() {
    if (file_ != nullptr) std::fclose(file_);
    if (!path_.empty()) unlink(path_.c_str());
  }
  TemporaryArchive(const TemporaryArchive&) = delete;
  TemporaryArchive& operator=(const TemporaryArchive&) = delete;

  std::FILE* File() const { return file_; }

  // Flushes the data to disk, closes the file and renames it onto the
  // target; every step checked.
  bool Commit() {
    bool ok = std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (!ok || std::rename(path_.c_str(), target_.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  std::string target_;
  std::string path_;
  std::FILE* file_ = nullptr;
};

}  // namespace

bool ReadDescriptionFile(std::string_view descriptionPath) {
  ConsoleWriteLine("");
  ConsoleWriteLine("Reading description file '" + std::string(descriptionPath) + "'");
  buildEntries.clear();
  descriptionAccepted = false;
  FileHandle file(std::fopen(std::string(descriptionPath).c_str(), "rb"));
  if (!file) return false;
  ConsoleWriteLine("Reading file list");
  ConsoleWriteLine("");

  ParserState state = ParserState::Start;
  int lineNumber = 0;
  std::string directory;
  std::string line;
  while (state != ParserState::Finished) {
    LineRead read = ReadDescriptionLine(file.get(), line);
    if (read == LineRead::End) break;
    if (read == LineRead::Failed) return false;
    ++lineNumber;
    if (!HandleDescriptionLine(line, lineNumber, state, directory)) return false;
  }

  ConsoleWriteLine("");
  ConsoleWriteLine("Closing description file");
  file.reset();
  if (buildEntries.empty()) return false;
  ConsoleWriteLine("");
  ConsoleWriteLine("Number of files: " + std::to_string(buildEntries.size()));
  ConsoleWriteLine("");
  descriptionAccepted = true;
  return true;
}

bool WriteLibrary(std::string_view libraryPath) {
  std::string target(libraryPath);
  ConsoleWriteLine("Writing library file '" + target + "'");
  if (!descriptionAccepted) {
    ConsoleWriteLine("Refused: no description file has been read");
    return false;
  }

  std::int64_t position = FirstFilePosition;
  for (auto& entry : buildEntries) {
    if (position > MaxArchiveSize) break;
    entry.position = static_cast<std::int32_t>(position);
    position += entry.size;
  }
  if (position > MaxArchiveSize) {
    ConsoleWriteLine("Refused: the files' data exceeds " + std::to_string(MaxArchiveSize) +
                     " bytes");
    return false;
  }
  const auto indexPosition = static_cast<std::int32_t>(position);

  TemporaryArchive archive(target);
  std::FILE* library = archive.File();
  if (library == nullptr) return false;
  ConsoleWriteLine("Writing header");
  ConsoleWriteLine("");
  if (!WriteBytes(library, datalib::LibraryHeader.data(), datalib::LibraryHeader.size()) ||
      !WriteInt32(library, static_cast<std::int32_t>(buildEntries.size())) ||
      !WriteInt32(library, indexPosition)) {
    return false;
  }

  for (const auto& entry : buildEntries) {
    ConsoleWriteLine("Adding '" + entry.name + "' (" + std::to_string(entry.size) +
                     " bytes @ position " + std::to_string(entry.position) + ")");
    if (!CopySource(library, entry)) return false;
  }

  ConsoleWriteLine("");
  ConsoleWriteLine("Writing file index");
  for (const auto& entry : buildEntries) {
    auto length = static_cast<std::uint8_t>(entry.name.size());
    if (!WriteBytes(library, &length, 1) ||
        !WriteBytes(library, entry.name.data(), entry.name.size()) ||
        !WriteInt32(library, entry.size) || !WriteInt32(library, entry.position)) {
      return false;
    }
  }

  ConsoleWriteLine("Closing file");
  if (!archive.Commit()) return false;
  ConsoleWriteLine("");
  ConsoleWriteLine(std::to_string(buildEntries.size()) + " files added successfully");
  return true;
}

bool BuildLibrary(std::string_view descriptionPath, std::string_view libraryPath) {
  return ReadDescriptionFile(descriptionPath) && WriteLibrary(libraryPath);
}

}  // namespace vx
