#pragma once
// The data library: one archive ("vx-1.lib") holding every data file of the
// show under its stored name ("DATA\oompa.mp3": backslash and letter case
// exactly as written, matched byte for byte). The reader keeps the index in
// memory and opens the archive anew for every file it reads; the builder
// writes an archive from a description file. Both report each step as a line
// on standard output.
//
// Archive layout (integers 32-bit signed little-endian):
//   0    103-byte library header
//   103  number of files N (N = 0 is refused)
//   107  index position P
//   111  the files' data, back to back in index order
//   P    the index: N entries of name length (1 byte, <= 128), name, size,
//        position
#include <cstdint>
#include <string_view>

namespace vx {

inline constexpr int MaxLibraryEntries = 1024;
inline constexpr int MaxLibraryNameLength = 128;
inline constexpr int LibraryHeaderSize = 103;
inline constexpr std::int32_t FirstFilePosition = 111;

// Reader. OpenLibrary prints its steps and loads the index; it refuses,
// besides a wrong header, N = 0 or a read failure, a path that is not a
// regular file (a FIFO, a device or a folder, never waited on), an archive of
// more than 1024 entries or a negative N or P, a name longer than 128 bytes,
// or an entry whose data does not lie inside the file (each of these with one
// line saying why). A failed open leaves the module as it was; a library
// opened before stays open. The archive is opened anew for every read, never
// held open; a read fails when the path no longer names a regular file.
bool OpenLibrary(std::string_view path);
// Size of the named file (exact, case-sensitive match; the first of equal
// names wins); 0 when no library is open or the name is absent. Prints
// "Searching for file '<name>'" when a library is open.
std::int32_t LibraryFileSize(std::string_view name);
// Reads the whole named file into buffer, which holds LibraryFileSize bytes;
// false when no library is open, the name is absent or a read fails.
bool ReadLibraryFile(std::string_view name, void* buffer);
// Prints the index; false when no library is open.
bool ListLibrary();
// Back to the no-library state (for tests and tools that open several).
void CloseLibrary();

// Builder. Reads the description file (its listed files are opened relative
// to the working directory, each backslash of a stored name taken as '/'),
// then writes the archive to a temporary file beside the target and renames
// it into place only when every step succeeded, so a failed build never
// leaves a half-written archive nor destroys an existing one. A symbolic
// link is followed (the file it names is replaced, keeping its mode); a
// device or FIFO is written straight through. The builder
// keeps a table of its own: building never disturbs an open library.
bool BuildLibrary(std::string_view descriptionPath, std::string_view libraryPath);
// Fills the builder's table; more than 1024 files are refused at the 1025th.
bool ReadDescriptionFile(std::string_view descriptionPath);
// Writes the files of the last successfully read description.
bool WriteLibrary(std::string_view libraryPath);
// Why the last of the three above failed, as one line for the user
// ("cannot read 'DATA/a.jpg': No such file or directory"); empty after a
// success.
std::string_view LibraryBuildError();

}  // namespace vx
