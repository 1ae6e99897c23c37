// The command line of vx1 and where the data library is looked for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/fake_services.h"
#include "support/testlib.h"

namespace vx {
namespace {

struct Parsed {
  bool ok;
  DriverOptions options;
  std::string error;
};

Parsed Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "vx1");
  Parsed p{};
  p.ok = ParseCommandLine(static_cast<int>(args.size()), args.data(), p.options, p.error);
  return p;
}

TEST(CommandLine, OnlyAFirstArgumentOfExactlyLowerCaseEChoosesTheEffectTest) {
  EXPECT_TRUE(Parse({"e"}).options.effectTest);
  EXPECT_TRUE(Parse({"e", "more", "args"}).options.effectTest);
  EXPECT_TRUE(Parse({"e", "--window", "--mute"}).options.effectTest);
  for (const char* first : {"E", "e1", "ee", "e ", ""}) {
    const Parsed p = Parse({first});
    EXPECT_TRUE(p.ok) << first;
    EXPECT_FALSE(p.options.effectTest) << "'" << first << "'";
    EXPECT_EQ(p.options.mode, DriverMode::Play);
  }
  // "e" later than first does not count, and other arguments are ignored.
  EXPECT_FALSE(Parse({"x", "e"}).options.effectTest);
  EXPECT_FALSE(Parse({"--mute", "e"}).options.effectTest);

  const char* argv[] = {"vx1", "e"};
  EXPECT_TRUE(IsEffectTestArgument(2, argv));
  EXPECT_FALSE(IsEffectTestArgument(1, argv));
}

TEST(CommandLine, PlayOptionsAreRead) {
  const Parsed p = Parse({"--library", "/x/show.lib", "--window", "--scale", "5", "--no-vsync",
                          "--mute", "--from", "33.6", "--loop", "--trace"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.mode, DriverMode::Play);
  EXPECT_EQ(p.options.library, "/x/show.lib");
  EXPECT_TRUE(p.options.window);
  EXPECT_EQ(p.options.scale, 5);
  EXPECT_FALSE(p.options.vsync);
  EXPECT_TRUE(p.options.mute);
  EXPECT_DOUBLE_EQ(p.options.fromSeconds, 33.6);
  EXPECT_TRUE(p.options.loop);
  EXPECT_TRUE(p.options.trace);
  const Parsed defaults = Parse({});
  EXPECT_TRUE(defaults.options.vsync);
  EXPECT_FALSE(defaults.options.window);
  EXPECT_EQ(defaults.options.library, "");
}

TEST(CommandLine, HeadlessModesAndTheirOptions) {
  Parsed p = Parse({"--screenshot", "10.5", "a.png", "--screenshot", "-1", "b.png"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.mode, DriverMode::Screenshot);
  ASSERT_EQ(p.options.screenshots.size(), 2u);
  EXPECT_EQ(p.options.screenshots[0].seconds, 10.5);
  EXPECT_EQ(p.options.screenshots[1].path, "b.png");

  p = Parse({"--bench", "--reference"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.mode, DriverMode::Bench);
  EXPECT_TRUE(p.options.reference);

  p = Parse({"--capture", "show.mp4", "--fps", "30", "--scale", "2", "--duration", "20"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.mode, DriverMode::Capture);
  EXPECT_EQ(p.options.capturePath, "show.mp4");
  EXPECT_EQ(p.options.fps, 30);
  EXPECT_EQ(p.options.scale, 2);
  EXPECT_EQ(p.options.durationSeconds, 20.0);

  p = Parse({"--frames", "out"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.mode, DriverMode::Capture);
  EXPECT_EQ(p.options.framesDir, "out");
  EXPECT_EQ(p.options.fps, 60);

  p = Parse({"--contact-sheet", "sheet.png", "--library", "l.lib"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.mode, DriverMode::ContactSheet);

  p = Parse({"--bench", "--help"});
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.options.mode, DriverMode::Help);
}

TEST(CommandLine, RefusesUnknownOptionsBadValuesAndOptionsThatDoNotFit) {
  const std::vector<std::vector<const char*>> refused = {
      {"--bogus"},
      {"--"},
      {"--scale"},  // missing value
      {"--scale", "0"},
      {"--scale", "3x"},
      {"--scale", "17"},
      {"--from", "-1"},
      {"--from", "nan"},
      {"--from", "200"},
      {"--from", "121.001"},
      {"--screenshot", "5"},  // missing file
      {"--screenshot", "five", "a.png"},
      {"--fps", "0", "--capture", "a.mp4"},
      {"--fps", "241", "--capture", "a.mp4"},
      {"--duration", "0", "--capture", "a.mp4"},
      {"--capture", "a.mp4", "--bench"},  // modes exclude each other
      {"--screenshot", "1", "a.png", "--contact-sheet", "b.png"},
      {"e", "--from", "3"},  // not with the effect test
      {"e", "--loop"},
      {"e", "--bench"},
      {"--bench", "--window"},  // playing only
      {"--capture", "a.mp4", "--mute"},
      {"--screenshot", "1", "a.png", "--scale", "2"},
      {"--fps", "30"},  // capture only
      {"--reference"},  // bench only
      {"--library", ""},
  };
  for (const auto& args : refused) {
    const Parsed p = Parse(args);
    std::string joined;
    for (const char* a : args) joined += std::string(a) + " ";
    EXPECT_FALSE(p.ok) << joined;
    EXPECT_FALSE(p.error.empty()) << joined;
  }
  EXPECT_NE(Parse({"--bogus"}).error.find("--bogus"), std::string::npos);
}

// Both ends of every numeric range are inside it (the values just beyond are
// refused above).
TEST(CommandLine, AcceptsEachEndOfEveryNumericRange) {
  const std::vector<std::vector<const char*>> accepted = {
      {"--scale", "1"},
      {"--scale", "16"},
      {"--from", "0"},
      {"--from", "121"},
      {"--fps", "1", "--capture", "a.mp4"},
      {"--fps", "240", "--capture", "a.mp4"},
  };
  for (const auto& args : accepted) {
    const Parsed p = Parse(args);
    std::string joined;
    for (const char* a : args) joined += std::string(a) + " ";
    EXPECT_TRUE(p.ok) << joined << p.error;
  }
}

TEST(CommandLine, HelpListsEveryOption) {
  const std::string help = HelpText();
  for (const char* option :
       {"--library", "--window", "--scale", "--no-vsync", "--mute", "--from", "--loop", "--trace",
        "--screenshot", "--bench", "--reference", "--capture", "--fps", "--duration", "--frames",
        "--contact-sheet", "--help"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
  EXPECT_NE(UsageLine().find("vx1 [e] [OPTIONS]"), std::string::npos);
}

TEST(LibraryLookup, TriesTheNamedArchiveThenTheOneBesideTheProgram) {
  test::TempDir dir;
  EXPECT_EQ(LibraryCandidates("", dir.Path()),
            (std::vector<std::string>{"vx-1.lib", dir.File("vx-1.lib")}));
  EXPECT_EQ(LibraryCandidates("/x/other.lib", dir.Path()),
            (std::vector<std::string>{"/x/other.lib", dir.File("vx-1.lib")}));
  EXPECT_EQ(LibraryCandidates("", ""), (std::vector<std::string>{"vx-1.lib"}));
  // Run from the program's own folder the two are one file, tried once.
  test::ScopedWorkingDirectory inside(dir.Path());
  EXPECT_EQ(LibraryCandidates("", dir.Path()), (std::vector<std::string>{"vx-1.lib"}));
}

TEST(LibraryLookup, OpensTheFirstCandidateThatExists) {
  test::ResetWorld();
  test::InstallFakes();
  test::TempDir dir;
  test::WriteTextFile(dir.File("b.lib"), "x");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(OpenShowLibrary({dir.File("a.lib"), dir.File("b.lib")}));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(test::World().calls, (std::vector<std::string>{"OpenLibrary " + dir.File("b.lib")}));
}

TEST(LibraryLookup, AFailedOpenNamesEveryPathTriedOnOneLine) {
  test::ResetWorld();
  test::InstallFakes();
  test::World().openLibraryResult = false;
  test::TempDir dir;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(OpenShowLibrary({dir.File("a.lib"), dir.File("b.lib")}));
  const std::string err = testing::internal::GetCapturedStderr();
  // With no file there the reader still gets the first name, so the run goes
  // on exactly as with a missing archive.
  EXPECT_EQ(test::World().calls, (std::vector<std::string>{"OpenLibrary " + dir.File("a.lib")}));
  EXPECT_EQ(test::SplitLines(err).size(), 1u) << err;
  EXPECT_NE(err.find(dir.File("a.lib")), std::string::npos);
  EXPECT_NE(err.find(dir.File("b.lib")), std::string::npos);
}

}  // namespace
}  // namespace vx
