// The vxcontent program's command line: --help, and usage errors that make
// nothing (a mistyped option is not a folder to fill).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/testlib.h"

namespace {

const std::string kVxcontent = VX_BINARY_DIR "/vxcontent";

TEST(VxcontentTool, HelpPrintsTheUsageAndWritesNothing) {
  vx::test::TempDir dir;
  for (const char* flag : {"--help", "-h"}) {
    const auto result = vx::test::RunProgram({kVxcontent, flag}, dir.Path());
    EXPECT_EQ(result.exitCode, 0) << flag;
    EXPECT_NE(result.out.find("vxcontent OUTDIR"), std::string::npos) << flag;
    EXPECT_EQ(result.err, "") << flag;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(VxcontentTool, UsageErrorsExitWith2AndWriteNothing) {
  vx::test::TempDir dir;
  for (const auto& args :
       std::vector<std::vector<std::string>>{{}, {"-x"}, {"--out"}, {"-"}, {""}, {"a", "b"}}) {
    std::vector<std::string> command = {kVxcontent};
    command.insert(command.end(), args.begin(), args.end());
    const auto result = vx::test::RunProgram(command, dir.Path());
    EXPECT_EQ(result.exitCode, 2) << testing::PrintToString(args);
    EXPECT_NE(result.err.find("usage: vxcontent OUTDIR"), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

}  // namespace
