// The data library builder: reads a description file listing directories and
// files, then writes the archive. Progress goes to standard output line by
// line; a failure writes nothing of its own unless it is one of the limits
// below, so the lines written show how far the build came.
//
// Description file: lines of at most 128 characters (the rest of a longer
// line is skipped as it is read, in memory that does not grow with the line;
// a trailing carriage return is dropped first). The whole
// line "[dir]", "[file]", "[end_of_dir]" or "[eof]" is a command; any other
// line is a directory name (after "[dir]") or a file name (after "[file]"),
// and is ignored elsewhere. A stored name is the directory text and the file
// line joined with nothing between them ("DATA\" + "a.jpg"); on disk it is
// read relative to the working directory with each backslash taken as '/'.
// A line holding a NUL byte is refused at that line: a name cut at the NUL
// on disk could never be found under its stored name, and a NUL in a text
// file means it is no text of ours (UTF-16, binary, /dev/zero), so no line
// of it is trusted. A command out of place is refused with a hint when an
// earlier line since the last accepted command was a command but for a
// byte-order mark or blanks around it (the matching itself stays exact).
// Names in the progress lines are escaped where standard output is a
// terminal (ConsoleShown).
//
// Limits refused with a line of their own: more than 1024 files (at the
// 1025th file line), a stored name over 128 characters, a file over
// 2147483647 bytes, an archive that would outgrow 32-bit positions. Every
// failure also leaves its reason in LibraryBuildError for the caller.
//
// The archive is an output file (base/output_file.h): written to a
// temporary file beside the target and renamed into place only after every
// write and the close succeeded, so a failed build leaves neither a
// half-written archive nor a damaged earlier one.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/output_file.h"
#include "base/system.h"
#include "datalib/datalib.h"
#include "datalib/library_format.h"

namespace vx {
namespace {

using datalib::FileHandle;
using datalib::LibraryEntry;

constexpr std::size_t MaxDescriptionLine = 128;
constexpr std::array<std::string_view, 4> Commands = {"[dir]", "[file]", "[end_of_dir]", "[eof]"};
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
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
// Why the last read or write failed; one line.
std::string buildError;

// Records the reason of a failure; always false, to return.
bool Refuse(std::string reason) {
  buildError = std::move(reason);
  return false;
}

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

// The reason of a failed stdio call on the named file.
bool RefuseFile(std::string_view what, const std::string& path) {
  return Refuse(std::string(what) + " " + Quoted(path) + ": " +
                std::strerror(errno != 0 ? errno : EIO));
}

// The same for the archive, named as the output file rule names it.
bool RefuseWrite(const std::string& target) {
  return Refuse("cannot write " + target + ": " + std::strerror(errno != 0 ? errno : EIO));
}

std::string DiskPath(std::string_view storedName) {
  std::string path(storedName);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

enum class LineRead { Line, End, HoldsNul, Failed };

// Reads one line, keeping what the format keeps of it: no '\n', a trailing
// '\r' dropped, then cut to 128 characters. At most 129 characters are kept
// while reading (the 129th can only be that '\r'); the rest of a longer
// line is dropped as it comes. A NUL byte ends the read at once (HoldsNul).
LineRead ReadDescriptionLine(std::FILE* file, std::string& line) {
  line.clear();
  bool any = false;
  bool cut = false;
  int c;
  while ((c = std::getc(file)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (c == '\0') return LineRead::HoldsNul;
    if (line.size() <= MaxDescriptionLine)
      line.push_back(static_cast<char>(c));
    else
      cut = true;
  }
  if (c == EOF && std::ferror(file)) return LineRead::Failed;
  if (!any) return LineRead::End;
  if (!cut && !line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > MaxDescriptionLine) line.resize(MaxDescriptionLine);
  return LineRead::Line;
}

// When line is a command but for a byte-order mark before it or blanks
// (spaces, tabs) around it, the sentence that says so, with the line's odd
// bytes escaped: line 1 is "\357\273\277[dir]", not "[dir]": a byte-order
// mark. Empty for any other line.
std::string NearMiss(std::string_view line, int lineNumber) {
  std::string_view word = line;
  std::vector<std::string> found;
  if (word.starts_with(ByteOrderMark)) {
    word.remove_prefix(ByteOrderMark.size());
    found.push_back("a byte-order mark");
  }
  const std::size_t first = word.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  if (first > 0) found.push_back("a blank before it");
  const std::size_t last = word.find_last_not_of(" \t");
  if (last + 1 < word.size()) found.push_back("a blank after it");
  word = word.substr(first, last + 1 - first);
  if (found.empty() || std::find(Commands.begin(), Commands.end(), word) == Commands.end())
    return {};
  std::string hint = "line " + std::to_string(lineNumber) + " is \"" +
                     EscapeControlBytes(line, EscapeKeep::AsciiOnly) + "\", not \"" +
                     std::string(word) + "\": ";
  for (std::size_t i = 0; i < found.size(); ++i)
    hint += (i == 0 ? "" : i + 1 == found.size() ? " and " : ", ") + found[i];
  return hint;
}

// The parser's progress through the description.
struct DescriptionParse {
  ParserState state = ParserState::Start;
  std::string directory;
  // The last near miss (NearMiss) since the last accepted command; empty
  // when there is none.
  std::string nearMiss;
};

// Adds the hint, when there is one, to the reason of the failure just
// refused; always false, to return.
bool RefuseWithHint(const std::string& hint) {
  if (!hint.empty()) buildError += "; " + hint;
  return false;
}

std::string CommandLine(std::string_view command, int lineNumber) {
  return "Found " + std::string(command) + " command at line " + std::to_string(lineNumber);
}

// Adds one listed file: measures it on disk and appends it to the table.
bool AddFileEntry(const std::string& name) {
  ConsoleWriteLine("Using file name '" + ConsoleShown(name) + "'");
  if (buildEntries.size() >= static_cast<std::size_t>(MaxLibraryEntries)) {
    const std::string reason =
        "a library holds at most " + std::to_string(MaxLibraryEntries) + " files";
    ConsoleWriteLine("Refused: " + reason);
    return Refuse(reason);
  }
  if (name.size() > static_cast<std::size_t>(MaxLibraryNameLength)) {
    const std::string reason =
        "file name longer than " + std::to_string(MaxLibraryNameLength) + " characters";
    ConsoleWriteLine("Refused: " + reason);
    return Refuse(reason);
  }
  std::string path = DiskPath(name);
  std::error_code error;
  if (!std::filesystem::is_regular_file(PathOf(path), error)) {
    if (error) return Refuse("cannot read " + Quoted(path) + ": " + error.message());
    if (std::filesystem::exists(PathOf(path), error))
      return Refuse("cannot read " + Quoted(path) + ": not a regular file");
    return Refuse("cannot read " + Quoted(path) + ": " + std::strerror(ENOENT));
  }
  errno = 0;
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return RefuseFile("cannot read", path);
  const long long size = SeekToEnd(file.get());
  if (size < 0) return RefuseFile("cannot read", path);
  if (size == 0) return Refuse("cannot store " + Quoted(path) + ": the file is empty");
  if (size > MaxArchiveSize) {
    const std::string reason = "file larger than " + std::to_string(MaxArchiveSize) + " bytes";
    ConsoleWriteLine("Refused: " + reason);
    return Refuse(reason + ": " + Quoted(path));
  }
  file.reset();
  LibraryEntry entry;
  entry.name = name;
  entry.size = static_cast<std::int32_t>(size);
  buildEntries.push_back(std::move(entry));
  return true;
}

// Acts on one description line; false ends the read with a failure.
bool HandleDescriptionLine(const std::string& line, int lineNumber, DescriptionParse& parse) {
  using S = ParserState;
  ParserState& state = parse.state;
  const auto outOfPlace = [&] {
    Refuse(line + " command out of place at line " + std::to_string(lineNumber));
    return RefuseWithHint(parse.nearMiss);
  };
  if (std::string hint = NearMiss(line, lineNumber); !hint.empty()) parse.nearMiss = hint;
  if (line == "[dir]") {
    ConsoleWriteLine(CommandLine(line, lineNumber));
    if (state != S::Start && state != S::WaitingForNewDirectory) return outOfPlace();
    ConsoleWriteLine("Waiting for directory name");
    state = S::WaitingForDirectory;
    parse.nearMiss.clear();
  } else if (line == "[file]") {
    ConsoleWriteLine(CommandLine(line, lineNumber));
    if (state != S::WaitingForFileCommand) return outOfPlace();
    ConsoleWriteLine("Waiting for file names or [end_of_dir] command");
    state = S::ReadingFileNames;
    parse.nearMiss.clear();
  } else if (line == "[end_of_dir]") {
    ConsoleWriteLine(CommandLine(line, lineNumber));
    if (state != S::ReadingFileNames) return outOfPlace();
    ConsoleWriteLine("Waiting for new directory");
    state = S::WaitingForNewDirectory;
    parse.nearMiss.clear();
  } else if (line == "[eof]") {
    ConsoleWriteLine(CommandLine(line, lineNumber));
    state = S::Finished;
  } else if (state == S::WaitingForDirectory) {
    ConsoleWriteLine("Using directory name '" + ConsoleShown(line) +
                     "',waiting for [file] command");
    parse.directory = line;
    state = S::WaitingForFileCommand;
  } else if (state == S::ReadingFileNames) {
    // A file name that is a near miss names a file the user did not mean.
    return AddFileEntry(parse.directory + line) || RefuseWithHint(NearMiss(line, lineNumber));
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
bool CopySource(std::FILE* library, const LibraryEntry& entry, const std::string& target) {
  const std::string path = DiskPath(entry.name);
  errno = 0;
  FileHandle source(std::fopen(path.c_str(), "rb"));
  if (!source) return RefuseFile("cannot read", path);
  std::vector<char> chunk(std::min<std::size_t>(static_cast<std::size_t>(entry.size), 1 << 16));
  std::size_t left = static_cast<std::size_t>(entry.size);
  while (left > 0) {
    std::size_t part = std::min(left, chunk.size());
    errno = 0;
    if (std::fread(chunk.data(), 1, part, source.get()) != part) {
      if (std::feof(source.get()))
        return Refuse("cannot read " + Quoted(path) + ": the file became shorter");
      return RefuseFile("cannot read", path);
    }
    errno = 0;
    if (!WriteBytes(library, chunk.data(), part)) return RefuseWrite(target);
    left -= part;
  }
  return true;
}

}  // namespace

bool ReadDescriptionFile(std::string_view descriptionPath) {
  ConsoleWriteLine("");
  ConsoleWriteLine("Reading description file '" + std::string(descriptionPath) + "'");
  buildEntries.clear();
  descriptionAccepted = false;
  buildError.clear();
  const std::string path(descriptionPath);
  errno = 0;
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return RefuseFile("cannot read description file", path);
  ConsoleWriteLine("Reading file list");
  ConsoleWriteLine("");

  DescriptionParse parse;
  int lineNumber = 0;
  std::string line;
  while (parse.state != ParserState::Finished) {
    LineRead read = ReadDescriptionLine(file.get(), line);
    if (read == LineRead::End) break;
    if (read == LineRead::Failed) return RefuseFile("cannot read description file", path);
    ++lineNumber;
    if (read == LineRead::HoldsNul)
      return Refuse("line " + std::to_string(lineNumber) + " holds a NUL byte");
    if (!HandleDescriptionLine(line, lineNumber, parse)) return false;
  }

  ConsoleWriteLine("");
  ConsoleWriteLine("Closing description file");
  file.reset();
  if (buildEntries.empty()) return Refuse("the description lists no files");
  ConsoleWriteLine("");
  ConsoleWriteLine("Number of files: " + std::to_string(buildEntries.size()));
  ConsoleWriteLine("");
  descriptionAccepted = true;
  return true;
}

namespace {

// Gives every file its position after the header, in listed order, and
// returns the index's position; false (refused) when the data would pass the
// largest archive.
bool LayOutFiles(std::int32_t& indexPosition) {
  std::int64_t position = FirstFilePosition;
  for (auto& entry : buildEntries) {
    if (position > MaxArchiveSize) break;
    entry.position = static_cast<std::int32_t>(position);
    position += entry.size;
  }
  if (position > MaxArchiveSize) {
    const std::string reason =
        "the files' data exceeds " + std::to_string(MaxArchiveSize) + " bytes";
    ConsoleWriteLine("Refused: " + reason);
    return Refuse(reason);
  }
  indexPosition = static_cast<std::int32_t>(position);
  return true;
}

// The file index: each name's length, the name, size and position.
bool WriteIndex(std::FILE* library, const std::string& target) {
  ConsoleWriteLine("");
  ConsoleWriteLine("Writing file index");
  for (const auto& entry : buildEntries) {
    auto length = static_cast<std::uint8_t>(entry.name.size());
    errno = 0;
    if (!WriteBytes(library, &length, 1) ||
        !WriteBytes(library, entry.name.data(), entry.name.size()) ||
        !WriteInt32(library, entry.size) || !WriteInt32(library, entry.position)) {
      return RefuseWrite(target);
    }
  }
  return true;
}

}  // namespace

bool WriteLibrary(std::string_view libraryPath) {
  std::string target(libraryPath);
  ConsoleWriteLine("Writing library file '" + target + "'");
  buildError.clear();
  if (!descriptionAccepted) {
    ConsoleWriteLine("Refused: no description file has been read");
    return Refuse("no description file has been read");
  }
  std::int32_t indexPosition = 0;
  if (!LayOutFiles(indexPosition)) return false;

  // Renamed over one of its own files, the archive would destroy an input.
  std::vector<std::string> inputs;
  for (const auto& entry : buildEntries) inputs.push_back(DiskPath(entry.name));
  if (const std::string refusal = OutputOverInput(target, inputs); !refusal.empty()) {
    ConsoleWriteLine("Refused: " + refusal);
    return Refuse(refusal);
  }

  // Abandoned (the temporary file removed, the target as it was) on every
  // return before Commit.
  OutputFile archive;
  if (!archive.Open(target)) return Refuse(archive.Error());
  std::FILE* library = archive.File();
  ConsoleWriteLine("Writing header");
  ConsoleWriteLine("");
  errno = 0;
  if (!WriteBytes(library, datalib::LibraryHeader.data(), datalib::LibraryHeader.size()) ||
      !WriteInt32(library, static_cast<std::int32_t>(buildEntries.size())) ||
      !WriteInt32(library, indexPosition)) {
    return RefuseWrite(target);
  }
  for (const auto& entry : buildEntries) {
    ConsoleWriteLine("Adding '" + ConsoleShown(entry.name) + "' (" + std::to_string(entry.size) +
                     " bytes @ position " + std::to_string(entry.position) + ")");
    if (!CopySource(library, entry, target)) return false;
  }
  if (!WriteIndex(library, target)) return false;

  ConsoleWriteLine("Closing file");
  if (!archive.Commit()) return Refuse(archive.Error());
  ConsoleWriteLine("");
  ConsoleWriteLine(std::to_string(buildEntries.size()) + " files added successfully");
  return true;
}

bool BuildLibrary(std::string_view descriptionPath, std::string_view libraryPath) {
  return ReadDescriptionFile(descriptionPath) && WriteLibrary(libraryPath);
}

std::string_view LibraryBuildError() {
  return buildError;
}

}  // namespace vx
