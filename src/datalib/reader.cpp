// The data library reader: loads the archive's index once and reads each
// file by name, opening the archive anew for every read so that it is never
// held open between calls. Progress goes to standard output line by line;
// a stored name in it is escaped where that is a terminal (ConsoleShown), so
// that an archive cannot send commands to the user's terminal.
//
// An open that fails part-way leaves the module as it was before the call
// (a library opened earlier stays usable): the index is read into a local
// table and only committed when the whole archive was accepted.
//
// Several archives can be open at once (OpenLibrary starts the set,
// AddLibrary joins one to it): a name is looked up in each in the order
// they were opened, so an added archive can only contribute names the
// earlier ones lack.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/console.h"
#include "base/system.h"
#include "datalib/datalib.h"
#include "datalib/library_format.h"

namespace vx {
namespace {

using datalib::FileHandle;
using datalib::LibraryEntry;

// One accepted archive: its path (opened anew for every read) and its
// index of at most MaxLibraryEntries entries in file order.
struct OpenArchiveIndex {
  std::string path;
  std::vector<LibraryEntry> entries;
};

// Module state: the open archives in the order they were opened; empty
// while no library is open.
std::vector<OpenArchiveIndex> archives;

// Opens the archive for reading only when it is a regular file (symbolic
// links followed); nullptr otherwise, with notRegular telling that case from
// an open that failed. A FIFO without a writer would hold an ordinary open
// forever, and a device or a folder is no archive, so the kind is checked
// before the open, and again on the opened file (which the open could not
// have waited on) in case the path changed in between.
FileHandle OpenArchive(const std::string& path, bool& notRegular) {
  notRegular = false;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return nullptr;
  notRegular = !S_ISREG(info.st_mode);
  if (notRegular) return nullptr;
  const int fd = OpenForReading(path);
  if (fd < 0) return nullptr;
  notRegular = fstat(fd, &info) != 0 || !S_ISREG(info.st_mode);
  if (notRegular) {
    close(fd);
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) close(fd);
  return FileHandle(file);
}

bool ReadExact(std::FILE* file, void* buffer, std::size_t size) {
  if (size == 0) return true;
  return std::fread(buffer, 1, size, file) == size;
}

bool ReadInt32(std::FILE* file, std::int32_t& value) {
  std::uint8_t bytes[4];
  if (!ReadExact(file, bytes, sizeof bytes)) return false;
  value = datalib::DecodeInt32(bytes);
  return true;
}

// Size of the open file in bytes, or -1 when it cannot be measured. Leaves
// the read position at the start.
long long MeasureFile(std::FILE* file) {
  const long long size = SeekToEnd(file);
  if (size < 0) return -1;
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

struct FoundEntry {
  const OpenArchiveIndex* archive = nullptr;
  const LibraryEntry* entry = nullptr;
};

// The first entry whose name equals name byte for byte, searching the
// archives in the order they were opened; both null when absent.
FoundEntry FindEntry(std::string_view name) {
  for (const auto& archive : archives) {
    for (const auto& entry : archive.entries) {
      if (entry.name == name) return {&archive, &entry};
    }
  }
  return {};
}

std::string EntryLine(const char* prefix, const LibraryEntry& entry) {
  return prefix + ConsoleShown(entry.name) + "' (" + std::to_string(entry.size) +
         " bytes @ position " + std::to_string(entry.position) + ")";
}

}  // namespace

namespace {

// The header, the number of files and the index position, each said as it
// is read; false for a file that is no library or whose counts are refused.
bool ReadLibraryHead(std::FILE* file, std::int32_t& count, std::int32_t& position) {
  std::uint8_t header[LibraryHeaderSize];
  if (!ReadExact(file, header, sizeof header)) return false;
  for (int i = 0; i < LibraryHeaderSize; ++i) {
    if (header[i] != datalib::LibraryHeader[i]) return false;
  }
  ConsoleWriteLine("Header match.");

  ConsoleWriteLine("Reading number of files");
  if (!ReadInt32(file, count) || count == 0) return false;
  ConsoleWriteLine("Number of files: " + std::to_string(count));
  if (count < 0) {
    ConsoleWriteLine("Refused: negative number of files");
    return false;
  }
  if (count > MaxLibraryEntries) {
    ConsoleWriteLine("Refused: more than " + std::to_string(MaxLibraryEntries) + " files");
    return false;
  }

  ConsoleWriteLine("Reading index position");
  if (!ReadInt32(file, position)) return false;
  ConsoleWriteLine("Index position: " + std::to_string(position));
  ConsoleWriteLine("");
  if (position < 0) {
    ConsoleWriteLine("Refused: negative index position");
    return false;
  }
  return true;
}

// One index entry at the read position; false when it cannot be read, its
// name is too long or its data do not lie inside the file.
bool ReadEntry(std::FILE* file, long long fileSize, LibraryEntry& entry) {
  std::uint8_t length = 0;
  if (!ReadExact(file, &length, 1)) return false;
  if (length > MaxLibraryNameLength) {
    ConsoleWriteLine("Refused: file name of " + std::to_string(length) + " bytes (at most " +
                     std::to_string(MaxLibraryNameLength) + ")");
    return false;
  }
  entry.name.resize(length);
  if (!ReadExact(file, entry.name.data(), length)) return false;
  if (!ReadInt32(file, entry.size) || !ReadInt32(file, entry.position)) return false;
  const bool inside = entry.size >= 0 && entry.position >= 0 &&
                      static_cast<long long>(entry.position) + entry.size <= fileSize;
  if (!inside) {
    ConsoleWriteLine(EntryLine("Refused: file '", entry) + " does not lie inside the library (" +
                     std::to_string(fileSize) + " bytes)");
    return false;
  }
  ConsoleWriteLine(EntryLine("Found file '", entry));
  return true;
}

}  // namespace

namespace {

// Reads and checks the whole archive at path, saying each step; the index
// goes to archive only when every entry was accepted.
bool ReadArchive(std::string_view path, OpenArchiveIndex& archive) {
  ConsoleWriteLine("");
  ConsoleWriteLine("Checking header");
  std::string pathText(path);
  bool notRegular = false;
  FileHandle file = OpenArchive(pathText, notRegular);
  if (notRegular) ConsoleWriteLine("Refused: not a regular file");
  if (!file) return false;
  const long long fileSize = MeasureFile(file.get());
  if (fileSize < 0) return false;

  std::int32_t count = 0, position = 0;
  if (!ReadLibraryHead(file.get(), count, position)) return false;
  if (std::fseek(file.get(), position, SEEK_SET) != 0) return false;
  std::vector<LibraryEntry> table(static_cast<std::size_t>(count));
  for (LibraryEntry& entry : table)
    if (!ReadEntry(file.get(), fileSize, entry)) return false;

  ConsoleWriteLine("");
  ConsoleWriteLine("Closing library file");
  file.reset();

  archive.entries = std::move(table);
  archive.path = std::move(pathText);
  return true;
}

}  // namespace

bool OpenLibrary(std::string_view path) {
  OpenArchiveIndex archive;
  if (!ReadArchive(path, archive)) return false;
  archives.clear();
  archives.push_back(std::move(archive));
  return true;
}

bool AddLibrary(std::string_view path) {
  OpenArchiveIndex archive;
  if (!ReadArchive(path, archive)) return false;
  archives.push_back(std::move(archive));
  return true;
}

std::int32_t LibraryFileSize(std::string_view name) {
  if (archives.empty()) return 0;
  ConsoleWriteLine("Searching for file '" + ConsoleShown(name) + "'");
  const LibraryEntry* entry = FindEntry(name).entry;
  return entry != nullptr ? entry->size : 0;
}

bool ReadLibraryFile(std::string_view name, void* buffer) {
  if (archives.empty()) return false;
  // The archive is opened before the search is said, as with one archive:
  // the one holding the name, or the first when none does.
  const auto [archive, entry] = FindEntry(name);
  bool notRegular = false;
  FileHandle file =
      OpenArchive((archive != nullptr ? archive : &archives.front())->path, notRegular);
  if (!file) return false;
  ConsoleWriteLine("Searching for file '" + ConsoleShown(name) + "'");
  // Position 0 marks an absent name: no file can start where the header is.
  if (entry == nullptr || entry->position == 0) return false;
  if (entry->size > 0 && buffer == nullptr) return false;
  if (std::fseek(file.get(), entry->position, SEEK_SET) != 0) return false;
  if (!ReadExact(file.get(), buffer, static_cast<std::size_t>(entry->size))) return false;
  return std::fclose(file.release()) == 0;
}

bool ListLibrary() {
  ConsoleWriteLine("");
  ConsoleWriteLine("Listing library");
  if (archives.empty()) return false;
  std::size_t count = 0;
  for (const auto& archive : archives) count += archive.entries.size();
  ConsoleWriteLine("Library contains " + std::to_string(count) + " files:");
  ConsoleWriteLine("");
  for (const auto& archive : archives)
    for (const auto& entry : archive.entries) ConsoleWriteLine(ConsoleShown(entry.name));
  ConsoleWriteLine("");
  return true;
}

void CloseLibrary() {
  archives.clear();
}

}  // namespace vx
