#pragma once
// Private to the data library: the archive's fixed header and index entry,
// shared by the reader and the builder. Integers in the archive are 32-bit
// signed little-endian.
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "datalib/datalib.h"

namespace vx::datalib {

// "VFL11 - Hautvertr", 0x84 (a-umlaut in DOS code page 437/850),
// "glichkeit dermatologisch best", 0x84,
// "tigt | Hautfreundlicher pH-Wert | Frei von Farbstoffen", 0x1B.
// Sixteen bytes a row: the rows start at offsets 0, 16, ..., 96.
// clang-format off
inline constexpr std::array<std::uint8_t, LibraryHeaderSize> LibraryHeader = {
    0x56, 0x46, 0x4c, 0x31, 0x31, 0x20, 0x2d, 0x20, 0x48, 0x61, 0x75, 0x74, 0x76, 0x65, 0x72, 0x74,
    0x72, 0x84, 0x67, 0x6c, 0x69, 0x63, 0x68, 0x6b, 0x65, 0x69, 0x74, 0x20, 0x64, 0x65, 0x72, 0x6d,
    0x61, 0x74, 0x6f, 0x6c, 0x6f, 0x67, 0x69, 0x73, 0x63, 0x68, 0x20, 0x62, 0x65, 0x73, 0x74, 0x84,
    0x74, 0x69, 0x67, 0x74, 0x20, 0x7c, 0x20, 0x48, 0x61, 0x75, 0x74, 0x66, 0x72, 0x65, 0x75, 0x6e,
    0x64, 0x6c, 0x69, 0x63, 0x68, 0x65, 0x72, 0x20, 0x70, 0x48, 0x2d, 0x57, 0x65, 0x72, 0x74, 0x20,
    0x7c, 0x20, 0x46, 0x72, 0x65, 0x69, 0x20, 0x76, 0x6f, 0x6e, 0x20, 0x46, 0x61, 0x72, 0x62, 0x73,
    0x74, 0x6f, 0x66, 0x66, 0x65, 0x6e, 0x1b};
// clang-format on

// Offsets of the two integers after the header.
inline constexpr int FileCountOffset = LibraryHeaderSize;
inline constexpr int IndexPositionOffset = LibraryHeaderSize + 4;
static_assert(IndexPositionOffset + 4 == FirstFilePosition);

// One index entry: the stored name (at most 128 bytes), the file's size in
// bytes and the offset of its first byte in the archive.
struct LibraryEntry {
  std::string name;
  std::int32_t size = 0;
  std::int32_t position = 0;
};

// An open file, closed when the handle goes (the reader and the builder check
// the results of the closes that matter themselves).
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

inline std::array<std::uint8_t, 4> EncodeInt32(std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

inline std::int32_t DecodeInt32(const std::uint8_t* bytes) {
  std::uint32_t v = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                    std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
  return static_cast<std::int32_t>(v);
}

}  // namespace vx::datalib
