// vxscan run as a program: every wrong value of the command line and every
// unusable archive gets one line naming vxscan and what was wrong, with
// vx1's exit codes (2 for the command line, 1 for the archive).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/timeline.h"
#include "support/testlib.h"

namespace {

using vx::test::RunProgram;
using vx::test::SplitLines;

const std::string kVxscan = VX_BINARY_DIR "/vxscan";
// The show's slot count, the bound --slot takes.
const std::string kSlots = std::to_string(vx::RealShow().slots.size());
const std::string kPastLastSlot = std::to_string(vx::RealShow().slots.size() + 1);

struct BadLine {
  std::vector<std::string> args;
  std::string error;  // the first line of standard error, up to its reason
};

TEST(VxscanTool, WrongCommandLinesNameTheOptionAndTheValue) {
  const BadLine cases[] = {
      {{"--fps", "0"}, "vxscan: bad value '0' for --fps: expected a whole number from 1 to 240"},
      {{"--fps", "241"}, "vxscan: bad value '241' for --fps: "},
      {{"--fps", "1.5"}, "vxscan: bad value '1.5' for --fps: "},
      {{"--fps", "+60"}, "vxscan: bad value '+60' for --fps: "},
      {{"--fps", " 60"}, "vxscan: bad value ' 60' for --fps: "},
      {{"--slot", "0"},
       "vxscan: bad value '0' for --slot: expected a whole number from 1 to " + kSlots},
      {{"--slot", kPastLastSlot}, "vxscan: bad value '" + kPastLastSlot + "' for --slot: "},
      {{"--max-crawl", "-1"}, "vxscan: bad value '-1' for --max-crawl: "},
      {{"--max-crawl", "100.5"}, "vxscan: bad value '100.5' for --max-crawl: "},
      {{"--max-crawl", "nan"}, "vxscan: bad value 'nan' for --max-crawl: "},
      {{"--max-crawl", "1..2"}, "vxscan: bad value '1..2' for --max-crawl: "},
      {{"--max-dropouts", "-1"}, "vxscan: bad value '-1' for --max-dropouts: "},
      {{"--max-dropouts", "100001"},
       "vxscan: bad value '100001' for --max-dropouts: expected a whole number from 0 to 100000"},
      {{"--max-dropouts", "2147483648"}, "vxscan: bad value '2147483648' for --max-dropouts: "},
      {{"--max-dropouts", "99999999999999999999"},
       "vxscan: bad value '99999999999999999999' for --max-dropouts: "},
      {{"--resolution", "native"},
       "vxscan: bad value 'native' for --resolution: a headless scan needs WxH"},
      {{"--resolution", "321x200"}, "vxscan: bad value '321x200' for --resolution: "},
      {{"--threads", "0"}, "vxscan: bad value '0' for --threads: "},
      {{"--threads", "65"}, "vxscan: bad value '65' for --threads: "},
      {{"--library", ""}, "vxscan: bad value '' for --library: expected a path"},
      {{"--fps"}, "vxscan: option --fps needs a value"},
      {{"--slot", "2", "--fsp", "60"}, "vxscan: unknown option '--fsp'"},
      {{"slot"}, "vxscan: unknown option 'slot'"},
  };
  for (const BadLine& c : cases) {
    std::vector<std::string> command = {kVxscan};
    command.insert(command.end(), c.args.begin(), c.args.end());
    const auto r = RunProgram(command);
    const std::string shown = c.args.front() + (c.args.size() > 1 ? " " + c.args[1] : "");
    EXPECT_EQ(r.exitCode, 2) << shown;
    EXPECT_TRUE(r.out.empty()) << shown << ": " << r.out;
    // The error, then the usage line, as vx1 writes them.
    const std::vector<std::string> lines = SplitLines(r.err);
    ASSERT_EQ(lines.size(), 2u) << shown << ": " << r.err;
    EXPECT_EQ(lines[0].substr(0, c.error.size()), c.error) << r.err;
    EXPECT_EQ(lines[1].rfind("usage: vxscan ", 0), 0u) << r.err;
  }
}

TEST(VxscanTool, UnusableArchivesAreNamedWithTheReason) {
  vx::test::TempDir dir;
  vx::test::WriteTextFile(dir.File("garbage.lib"), "not an archive at all");
  struct Case {
    std::vector<std::string> args;
    std::string error;
  };
  const std::string missing = dir.File("missing.lib");
  const Case cases[] = {
      // The default archive is required too: there is nothing to scan without it.
      {{}, "vxscan: cannot open the data library vx-1.lib: No such file or directory"},
      {{"--library", missing},
       "vxscan: cannot open the data library " + missing + ": No such file or directory"},
      {{"--library", dir.Path()},
       "vxscan: cannot open the data library " + dir.Path() + ": not a regular file"},
      {{"--library", dir.File("garbage.lib")},
       "vxscan: cannot open the data library " + dir.File("garbage.lib") +
           ": not a valid data library"},
      // The largest values of every option pass and reach the archive.
      {{"--fps", "240", "--slot", "11", "--max-crawl", "100", "--max-dropouts", "100000",
        "--threads", "64", "--resolution", "3840x2160", "--library", missing},
       "vxscan: cannot open the data library " + missing + ": No such file or directory"},
      {{"--fps", "1", "--slot", "1", "--max-crawl", "0.25", "--max-dropouts", "0", "--threads", "1",
        "--library", missing},
       "vxscan: cannot open the data library " + missing + ": No such file or directory"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> command = {kVxscan};
    command.insert(command.end(), c.args.begin(), c.args.end());
    const auto r = RunProgram(command, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << c.error;
    EXPECT_EQ(r.err, c.error + "\n");
  }
}

}  // namespace
