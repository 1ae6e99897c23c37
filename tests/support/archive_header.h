#pragma once
// The 103 bytes every data archive starts with, typed in here rather than
// taken from the data library: the tests' archive writer (testlib.h) and the
// fuzz targets' oracles (fuzz_io.h) hold the library to this copy, so a slip
// in the library's own table shows.
namespace vx::test {

// "VFL11 - Hautvertr", 0x84 (a-umlaut in DOS code page 437/850),
// "glichkeit dermatologisch best", 0x84,
// "tigt | Hautfreundlicher pH-Wert | Frei von Farbstoffen", 0x1B.
inline constexpr char ArchiveHeaderText[] =
    "VFL11 - Hautvertr\x84glichkeit dermatologisch best\x84tigt | Hautfreundlicher pH-Wert | "
    "Frei von Farbstoffen\x1b";
static_assert(sizeof ArchiveHeaderText - 1 == 103);

}  // namespace vx::test
