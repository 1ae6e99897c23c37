#pragma once
// Shared by the tests that run vx1 as a program.
#include <cstdint>
#include <string>
#include <vector>

namespace vx::test {

// The program and the show's archive of this build.
std::string Vx1Path();
std::string ArchivePath();
bool HaveArchive();
// True when the environment says this is CI (CI=true): tools the tests need
// must be there, so a missing one fails instead of skipping.
bool InCi();
// True when a program of that name is on PATH.
bool HaveProgram(const std::string& name);

// Reads an 8-bit RGB or RGBA PNG into 0x00RRGGBB words; false when it
// cannot be read.
bool ReadPngWords(const std::string& path, std::uint32_t& width, std::uint32_t& height,
                  std::vector<std::uint32_t>& words);
// Fraction of words whose largest colour byte is above 8.
double LitFraction(const std::vector<std::uint32_t>& words);

}  // namespace vx::test
