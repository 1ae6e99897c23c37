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
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

namespace vx {

inline constexpr int MaxLibraryEntries = 1024;
inline constexpr int MaxLibraryNameLength = 128;
inline constexpr int LibraryHeaderSize = 103;
inline constexpr std::int32_t FirstFilePosition = 111;

// The sharp show's high-resolution data: an archive of its own, found beside
// the classic one, whose stored names all start with SharpFolder and a
// backslash ("SHARP\WOOD.jpg"), so they never clash with the classic names.
inline constexpr std::string_view SharpLibraryFile = "vx-1-sharp.lib";
inline constexpr std::string_view SharpFolder = "SHARP";

// The sharp versions of a full-screen picture, one per aspect (16:10 and
// 16:9), each drawn at its size: "kinyit.jpg" at 1920 x 1080 is stored as
// "SHARP\kinyit-1920x1080.jpg".
struct SharpPictureSize {
  int width = 0;
  int height = 0;
};
inline constexpr SharpPictureSize SharpPictureSizes[] = {{.width = 1920, .height = 1200},
                                                         {.width = 1920, .height = 1080}};
// The index into SharpPictureSizes of the size whose aspect is nearest a
// frame of width x height (the first of equally near ones). Aspects are
// compared as ratios: 16:9 is as far from 16:10 as 16:10 from the 16:11.25
// on its other side.
inline int NearestSharpPictureSize(int width, int height) {
  const double aspect = static_cast<double>(width) / height;
  int nearest = 0;
  double best = 0.0;
  for (int i = 0; i < static_cast<int>(std::size(SharpPictureSizes)); ++i) {
    const SharpPictureSize& sharp = SharpPictureSizes[i];
    const double distance =
        std::abs(std::log(aspect * sharp.height / static_cast<double>(sharp.width)));
    if (i == 0 || distance < best) {
      nearest = i;
      best = distance;
    }
  }
  return nearest;
}
// The file name inside SharpFolder ("kinyit-1920x1080.jpg").
inline std::string SharpPictureFile(std::string_view classicFile, SharpPictureSize size) {
  const std::size_t dot = classicFile.rfind('.');
  const std::string_view stem = classicFile.substr(0, dot);
  const std::string_view ending = dot == std::string_view::npos ? "" : classicFile.substr(dot);
  return std::string(stem) + "-" + std::to_string(size.width) + "x" + std::to_string(size.height) +
         std::string(ending);
}
// The stored name ("SHARP\kinyit-1920x1080.jpg").
inline std::string SharpPictureName(std::string_view classicFile, SharpPictureSize size) {
  return std::string(SharpFolder) + "\\" + SharpPictureFile(classicFile, size);
}

// Reader. OpenLibrary prints its steps and loads the index; it refuses,
// besides a wrong header, N = 0 or a read failure, a path that is not a
// regular file (a FIFO, a device or a folder, never waited on), an archive of
// more than 1024 entries or a negative N or P, a name longer than 128 bytes,
// or an entry whose data does not lie inside the file (each of these with one
// line saying why). A failed open leaves the module as it was; a library
// opened before stays open. The archive is opened anew for every read, never
// held open; a read fails when the path no longer names a regular file.
// A successful open replaces every archive opened before (added ones too).
bool OpenLibrary(std::string_view path);
// Joins another archive to the open set, checked and refused exactly as
// OpenLibrary does (a refusal changes nothing). Its names join the lookup of
// LibraryFileSize and ReadLibraryFile after those of the archives opened
// before it, so an earlier archive's name always wins. Without an open
// library the added archive is the only one.
bool AddLibrary(std::string_view path);
// Size of the named file (exact, case-sensitive match; the first of equal
// names wins); 0 when no library is open or the name is absent. Prints
// "Searching for file '<name>'" when a library is open.
std::int32_t LibraryFileSize(std::string_view name);
// Reads the whole named file into buffer, which holds LibraryFileSize bytes;
// false when no library is open, the name is absent or a read fails.
bool ReadLibraryFile(std::string_view name, void* buffer);
// Prints the index of every open archive in lookup order; false when no
// library is open.
bool ListLibrary();
// Back to the no-library state, closing every archive (for tests and tools
// that open several).
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
