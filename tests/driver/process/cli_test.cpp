// vx1's command line and console, run as a program.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "driver/process/process_support.h"
#include "support/testlib.h"

namespace vx::test {
namespace {

TEST(Vx1CommandLine, HelpListsEveryOptionOnStandardOutputAndExitsZero) {
  for (const char* flag : {"--help", "-h"}) {
    const ProgramResult r = RunProgram({Vx1Path(), flag});
    EXPECT_EQ(r.exitCode, 0) << flag;
    EXPECT_EQ(r.err, "") << flag;
    for (const char* option :
         {"--library", "--window", "--scale", "--no-vsync", "--mute", "--from", "--loop", "--trace",
          "--screenshot", "--bench", "--reference", "--capture", "--fps", "--duration", "--frames",
          "--contact-sheet", "--help", "-h"})
      EXPECT_NE(r.out.find(option), std::string::npos) << flag << " lacks " << option;
  }
}

// Every shipped program names the version of the file VERSION and the
// commit it was built from; "/?" is Windows' way to ask vx1 for its help.
TEST(Vx1CommandLine, EveryProgramPrintsTheVersionAndVx1TakesTheWindowsHelpWord) {
  std::ifstream file(std::string(VX_SOURCE_DIR) + "/VERSION");
  std::string version;
  ASSERT_TRUE(std::getline(file, version));
  // "NAME VERSION (commit C)\n", C being 12 hex digits, with "+changes" for
  // a tree with edits, or "unknown" outside git.
  const auto commitIsValid = [](std::string commit) {
    if (commit == "unknown") return true;
    const std::string changes = "+changes";
    if (commit.size() > changes.size() && commit.ends_with(changes))
      commit.resize(commit.size() - changes.size());
    return commit.size() == 12 && commit.find_first_not_of("0123456789abcdef") == std::string::npos;
  };
  for (const char* program : {"vx1", "vxlib", "vxdump"}) {
    const ProgramResult r = RunProgram({std::string(VX_BINARY_DIR) + "/" + program, "--version"});
    EXPECT_EQ(r.exitCode, 0) << program;
    const std::string head = std::string(program) + " " + version + " (commit ", tail = ")\n";
    ASSERT_TRUE(r.out.size() > head.size() + tail.size() && r.out.starts_with(head) &&
                r.out.ends_with(tail))
        << r.out;
    EXPECT_TRUE(commitIsValid(r.out.substr(head.size(), r.out.size() - head.size() - tail.size())))
        << r.out;
  }
  const ProgramResult help = RunProgram({Vx1Path(), "/?"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("--library PATH"), std::string::npos) << help.out;
}

TEST(Vx1CommandLine, BadOptionsPrintTheUsageLineOnStandardErrorAndExitTwo) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--no-such-option"},
                                               {"--scale", "zero"},
                                               {"e", "--from", "3"},
                                               {"-screenshot", "1", "a.png"},
                                               {"--screenshot", "1e308", "a.png"},
                                               {"--bench", "--capture", "x.mp4"},
                                               {"--screenshot", "1", "a.png", "--view", "x"}}) {
    std::vector<std::string> command{Vx1Path()};
    command.insert(command.end(), args.begin(), args.end());
    const ProgramResult r = RunProgram(command);
    EXPECT_EQ(r.exitCode, 2) << args[0];
    EXPECT_EQ(r.out, "") << args[0];
    EXPECT_NE(r.err.find("usage: vx1 [e] [OPTIONS]"), std::string::npos) << r.err;
    EXPECT_EQ(SplitLines(r.err).size(), 2u) << r.err;  // the reason, then the usage line
  }
}

TEST(Vx1CommandLine, AnArchiveThatIsMissingOrRefusedEndsTheRunWithOneLineNamingIt) {
  TempDir dir;
  ASSERT_EQ(mkdir(dir.File("folder.lib").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(dir.File("vx-1.lib").c_str(), 0755), 0);
  struct Case {
    std::vector<std::string> library;  // the --library option, if any
    std::string named;                 // the path the line names
  };
  for (const Case& c : {Case{{"--library", dir.File("none.lib")}, dir.File("none.lib")},
                        Case{{"--library", dir.File("folder.lib")}, dir.File("folder.lib")},
                        // ./vx-1.lib is there, so the one beside vx1 is not tried.
                        Case{{}, "vx-1.lib"}}) {
    std::vector<std::string> command{Vx1Path()};
    command.insert(command.end(), c.library.begin(), c.library.end());
    command.insert(command.end(), {"--screenshot", "1", "shot.png"});
    const ProgramResult r = RunProgram(command, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << c.named;
    EXPECT_EQ(SplitLines(r.err).size(), 1u) << r.err;
    EXPECT_EQ(r.err.rfind("vx1: cannot open the data library " + c.named + ": ", 0), 0u) << r.err;
    EXPECT_FALSE(FileExists(dir.File("shot.png"))) << c.named;
  }
}

TEST(Vx1CommandLine, AFailedWriteToStandardOutputEndsWithRuntimeErrorAClosedOneQuietly) {
  const ProgramResult full = RunProgram({"/bin/sh", "-c", "\"$0\" --help > /dev/full", Vx1Path()});
  EXPECT_EQ(full.exitCode, 28);  // ENOSPC
  EXPECT_EQ(full.err, "Runtime error 28\n");
  // A pipe whose reader has gone ends the program quietly, by SIGPIPE, as
  // the usual tools end (after its clean-up, which EPIPE lets it run).
  const ProgramResult pipe =
      RunProgram({"/bin/sh", "-c", WithReaderGone("\"$0\" --help"), Vx1Path()});
  EXPECT_EQ(pipe.exitCode, 0);
  EXPECT_EQ(pipe.out, "141\n");
  EXPECT_EQ(pipe.err, "");
}

}  // namespace
}  // namespace vx::test
