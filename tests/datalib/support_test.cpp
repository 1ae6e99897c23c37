// The shared test helpers that other suites rely on: temporary folders,
// line splitting and child programs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/testlib.h"

namespace {

TEST(TestSupport, TempDirIsFreshPerObjectAndRemovedWithItsContents) {
  std::string kept;
  {
    vx::test::TempDir first;
    vx::test::TempDir second;
    ASSERT_FALSE(first.Path().empty());
    EXPECT_NE(first.Path(), second.Path());
    EXPECT_TRUE(std::filesystem::is_empty(first.Path()));
    std::filesystem::create_directory(first.File("sub"));
    vx::test::WriteTextFile(first.File("sub/f.txt"), "x");
    kept = first.Path();
  }
  EXPECT_FALSE(std::filesystem::exists(kept));
}

TEST(TestSupport, SplitLinesKeepsEmptyLinesButNoneAfterTheLastLineEnd) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(vx::test::SplitLines(""), Lines{});
  EXPECT_EQ(vx::test::SplitLines("\n"), Lines{""});
  EXPECT_EQ(vx::test::SplitLines("a\n\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(vx::test::SplitLines("a\nb\n"), (Lines{"a", "b"}));
}

TEST(TestSupport, RunProgramCollectsExitCodeAndBothStreamsInItsFolder) {
  if (!vx::test::HasPosixProcesses()) GTEST_SKIP() << "needs fork and /bin/sh";
  vx::test::TempDir dir;
  auto result =
      vx::test::RunProgram({"/bin/sh", "-c", "pwd; echo problem >&2; exit 3"}, dir.Path());
  EXPECT_EQ(result.exitCode, 3);
  EXPECT_EQ(std::filesystem::canonical(result.out.substr(0, result.out.size() - 1)),
            std::filesystem::canonical(dir.Path()));
  EXPECT_EQ(result.err, "problem\n");
  EXPECT_EQ(vx::test::RunProgram({"/bin/sh", "-c", "kill -9 $$"}).exitCode, -1);
}

}  // namespace
