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
// True when a program of that name is on PATH; FindProgram gives its path
// (empty when there is none).
bool HaveProgram(const std::string& name);
std::string FindProgram(const std::string& name);

// Reads an 8-bit RGB or RGBA PNG into 0x00RRGGBB words; false when it
// cannot be read.
bool ReadPngWords(const std::string& path, std::uint32_t& width, std::uint32_t& height,
                  std::vector<std::uint32_t>& words);
// Fraction of words whose largest colour byte is above 8.
double LitFraction(const std::vector<std::uint32_t>& words);

}  // namespace vx::test

// Skips the test when the show's archive is not built.
#define REQUIRE_ARCHIVE()                                            \
  if (!::vx::test::HaveArchive())                                    \
  GTEST_SKIP() << "the show's archive " << ::vx::test::ArchivePath() \
               << " is not built (the content generator makes it)"

// Skips (or, in CI, fails) when a tool is missing.
#define REQUIRE_TOOL(name)                                                         \
  if (!::vx::test::HaveProgram(name)) {                                            \
    if (::vx::test::InCi())                                                        \
      FAIL() << name << " is missing (Debian package list: scripts/install-deps)"; \
    GTEST_SKIP() << name << " is not installed";                                   \
  }
