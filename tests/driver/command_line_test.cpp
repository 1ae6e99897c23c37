// The command line of vx1 and where the data library is looked for.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/fake_io.h"
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
                          "--mute", "--from", "33.6", "--loop", "--no-dialog", "--trace"});
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
  Parsed p = Parse({"--screenshot", "10.5", "a.png", "--screenshot", "121", "b.png", "--screenshot",
                    "0", "c.png"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.mode, DriverMode::Screenshot);
  ASSERT_EQ(p.options.screenshots.size(), 3u);
  EXPECT_EQ(p.options.screenshots[0].seconds, 10.5);
  EXPECT_EQ(p.options.screenshots[1].seconds, 121.0);
  EXPECT_EQ(p.options.screenshots[1].path, "b.png");
  EXPECT_EQ(p.options.screenshots[2].seconds, 0.0);
  // With e the screenshots are labda's, the one headless mode it takes.
  p = Parse({"e", "--screenshot", "7", "a.png"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.mode, DriverMode::Screenshot);
  EXPECT_TRUE(p.options.effectTest);

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
      {"--screenshot", "-1", "a.png"},  // the show's moments are 0 to 121 s
      {"--screenshot", "-0.001", "a.png"},
      {"--screenshot", "121.001", "a.png"},
      {"--screenshot", "1e308", "a.png"},  // beyond a float's range
      {"--screenshot", "inf", "a.png"},
      {"--screenshot", "nan", "a.png"},
      {"--fps", "0", "--capture", "a.mp4"},
      {"--fps", "241", "--capture", "a.mp4"},
      {"--duration", "0", "--capture", "a.mp4"},
      {"--capture", "a.mp4", "--bench"},  // modes exclude each other
      {"--screenshot", "1", "a.png", "--contact-sheet", "b.png"},
      {"e", "--from", "3"},  // not with the effect test
      {"e", "--loop"},
      {"e", "--bench"},
      {"e", "--contact-sheet", "s.png"},
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

TEST(CommandLine, AWordStartingWithADashThatIsNoOptionIsRefusedOtherWordsAreIgnored) {
  // A typo such as -screenshot must not start the full-screen show.
  struct Case {
    std::vector<const char*> args;
    std::string offending;
  };
  for (const Case& c : std::vector<Case>{{{"-screenshot", "1", "a.png"}, "-screenshot"},
                                         {{"-x"}, "-x"},
                                         {{"-"}, "-"},
                                         {{"-e"}, "-e"},
                                         {{"e", "-window"}, "-window"},
                                         {{"word", "--mute", "-mute"}, "-mute"}}) {
    const Parsed p = Parse(c.args);
    EXPECT_FALSE(p.ok) << c.offending;
    EXPECT_EQ(p.error, "unknown option '" + c.offending + "'");
  }
  // Plain words stay ignored, wherever they stand; "e" first is still the
  // effect test, and a dash inside a value is the value's.
  Parsed p = Parse({"e", "word", "--mute", "e"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_TRUE(p.options.effectTest);
  EXPECT_TRUE(p.options.mute);
  p = Parse({"x", "--library", "-odd-name.lib", "y"});
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.options.library, "-odd-name.lib");
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

TEST(CommandLine, ResolutionIsDigitsXDigitsEvenAndInRangeOrNative) {
  struct Good {
    const char* value;
    FrameSize size;
  };
  for (const Good& g :
       {Good{"320x200", ClassicFrame}, Good{"1920x1080", {1920, 1080, 1920}},
        Good{"3840x2160", {3840, 2160, 3840}}, Good{"1080x1920", {1080, 1920, 1080}},
        Good{"0640x0400", {640, 400, 640}}, Good{"322x202", {322, 202, 322}}}) {
    for (const char* mode : {"--window", "--bench"}) {
      const Parsed p = Parse({mode, "--resolution", g.value});
      ASSERT_TRUE(p.ok) << g.value << ": " << p.error;
      EXPECT_EQ(p.options.resolution, g.size) << g.value;
      EXPECT_FALSE(p.options.nativeResolution);
      EXPECT_EQ(RunFrameSize(p.options), g.size);
    }
  }
  const Parsed defaults = Parse({});
  EXPECT_EQ(defaults.options.resolution, ClassicFrame);
  EXPECT_FALSE(defaults.options.nativeResolution);
  EXPECT_EQ(defaults.options.threads, 0);
  EXPECT_EQ(RunFrameSize(defaults.options), ClassicFrame);
  Parsed native = Parse({"e", "--resolution", "native"});
  ASSERT_TRUE(native.ok) << native.error;
  EXPECT_TRUE(native.options.nativeResolution);
  // The last one given counts.
  native = Parse({"--resolution", "native", "--resolution", "640x400"});
  ASSERT_TRUE(native.ok) << native.error;
  EXPECT_FALSE(native.options.nativeResolution);
  EXPECT_EQ(native.options.resolution, PackedFrame(640, 400));

  struct Bad {
    const char* value;
    const char* why;
  };
  const std::string form = "expected WxH (such as 1920x1080) or native";
  const std::string range = "the size must lie between 320x200 and 3840x2160";
  const std::string even = "width and height must be even";
  const std::vector<std::pair<const char*, std::string>> bad = {
      {"1921x1080", even},   {"1920x1081", even},  {"318x200", range},    {"320x198", range},
      {"3842x2160", range},  {"3840x2162", range}, {"0x0", range},        {"99999x2", range},
      {"1920X1080", form},   {"1920x", form},      {"x1080", form},       {"+1920x1080", form},
      {"1920x+1080", form},  {"-320x200", form},   {" 1920x1080", form},  {"1920x1080 ", form},
      {"1920x1080x2", form}, {"1920*1080", form},  {"19e2x1080", form},   {"", form},
      {"Native", form},      {"999999x200", form}, {"1920.0x1080", form},
  };
  for (const auto& [value, why] : bad) {
    const Parsed p = Parse({"--resolution", value});
    EXPECT_FALSE(p.ok) << "'" << value << "'";
    EXPECT_EQ(p.error, "bad value '" + std::string(value) + "' for --resolution: " + why);
  }
  // native is the display's: the headless modes have none.
  EXPECT_EQ(Parse({"--bench", "--resolution", "native"}).error,
            "--resolution native applies to playing only (--bench needs WxH)");
  EXPECT_EQ(Parse({"--resolution", "native", "--screenshot", "1", "a.png"}).error,
            "--resolution native applies to playing only (--screenshot needs WxH)");
  EXPECT_FALSE(Parse({"--capture", "a.mp4", "--resolution", "native"}).ok);
}

TEST(CommandLine, ThreadsFromOneTo64InEveryMode) {
  for (const auto& [value, threads] :
       std::vector<std::pair<const char*, int>>{{"1", 1}, {"64", 64}, {"7", 7}}) {
    for (const char* mode : {"--window", "--bench"}) {
      const Parsed p = Parse({mode, "--threads", value});
      ASSERT_TRUE(p.ok) << value << ": " << p.error;
      EXPECT_EQ(p.options.threads, threads);
    }
  }
  for (const char* value : {"0", "65", "-1", "4x", ""}) {
    const Parsed p = Parse({"--threads", value});
    EXPECT_FALSE(p.ok) << value;
    EXPECT_EQ(p.error, "bad value '" + std::string(value) + "' for --threads");
  }
}

TEST(CommandLine, ViewTakesANameOfTheViewsTableForThePictureMakingModes) {
  EXPECT_EQ(Parse({"--screenshot", "1", "a.png"}).options.view, PipelineView::Frame);
  const std::vector<std::vector<const char*>> modes = {{"--screenshot", "1", "a.png"},
                                                       {"--capture", "a.mp4"},
                                                       {"--frames", "dir"},
                                                       {"--contact-sheet", "s.png"},
                                                       {"e", "--screenshot", "1", "a.png"}};
  for (const PipelineViewRow& row : PipelineViews()) {
    for (std::vector<const char*> args : modes) {
      args.insert(args.end(), {"--view", row.name.data(), "--resolution", "640x400"});
      const Parsed p = Parse(args);
      ASSERT_TRUE(p.ok) << row.name << " " << args[0] << ": " << p.error;
      EXPECT_EQ(p.options.view, row.view) << row.name;
    }
  }
  // A name not in the table: one line naming them all, in the table's order.
  for (const char* bad : {"bogus", "Wire", "", "wire ", "frames"}) {
    const Parsed p = Parse({"--screenshot", "1", "a.png", "--view", bad});
    EXPECT_FALSE(p.ok) << bad;
    EXPECT_EQ(p.error, "bad value '" + std::string(bad) +
                           "' for --view: expected frame, raster, wire, depth, overdraw or flat");
  }
  // Not for playing (the V key is) nor for the bench, whose figures stay the show's.
  EXPECT_EQ(Parse({"--view", "depth"}).error,
            "--view applies to --screenshot and --capture and --contact-sheet only");
  EXPECT_FALSE(Parse({"--bench", "--view", "flat"}).ok);
  EXPECT_EQ(Parse({"--view"}).error, "option --view needs a value");
}

TEST(CommandLine, HelpListsEveryOption) {
  const std::string help = HelpText();
  for (const char* option :
       {"--library",    "--window",   "--scale",      "--no-vsync",      "--mute",      "--from",
        "--loop",       "--trace",    "--screenshot", "--bench",         "--reference", "--capture",
        "--fps",        "--duration", "--frames",     "--contact-sheet", "--version",   "--help",
        "--resolution", "--threads",  "--no-dialog",  "--view"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
  // Every view on a line of its own with its help; the resolution and view
  // keys are in the key list.
  for (const PipelineViewRow& row : PipelineViews())
    EXPECT_NE(help.find("\n  " + std::string(row.name) + " "), std::string::npos) << row.name;
  EXPECT_NE(help.find("\n  R "), std::string::npos);
  EXPECT_NE(help.find("\n  V "), std::string::npos);
  EXPECT_NE(UsageLine().find("vx1 [e] [OPTIONS]"), std::string::npos);
}

TEST(LibraryLookup, ANamedArchiveIsTheOnlyOneOtherwiseTheCurrentFolderBesideTheProgramInstalled) {
  namespace fs = std::filesystem;
  test::TempDir dir;
  const std::string bin = dir.File("bin");
  fs::create_directories(bin);
  const std::string installed = dir.File("share/vx-1/vx-1.lib");
  LibrarySearch search = LibraryCandidates("", bin);
  EXPECT_EQ(search.paths, (std::vector<std::string>{"vx-1.lib", bin + "/vx-1.lib", installed}));
  EXPECT_FALSE(search.named);
  search = LibraryCandidates("/x/other.lib", bin);
  EXPECT_EQ(search.paths, (std::vector<std::string>{"/x/other.lib"}));
  EXPECT_TRUE(search.named);
  EXPECT_EQ(LibraryCandidates("", "").paths, (std::vector<std::string>{"vx-1.lib"}));
  // Run from the program's own folder the two are one file, tried once; and
  // from the data folder, the installed one is the current folder's.
  {
    test::ScopedWorkingDirectory inside(bin);
    EXPECT_EQ(LibraryCandidates("", bin).paths, (std::vector<std::string>{"vx-1.lib", installed}));
  }
  fs::create_directories(dir.File("share/vx-1"));
  test::ScopedWorkingDirectory data(dir.File("share/vx-1"));
  EXPECT_EQ(LibraryCandidates("", bin).paths,
            (std::vector<std::string>{"vx-1.lib", bin + "/vx-1.lib"}));
}

// What lies at a path of the search.
enum class Thing { Nothing, Archive, Folder, Fifo, DanglingLink };

void Make(const std::string& path, Thing thing) {
  switch (thing) {
    case Thing::Nothing:
      break;
    case Thing::Archive:
      test::WriteTextFile(path, "x");
      break;
    case Thing::Folder:
      ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
      break;
    case Thing::Fifo:
      ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
      break;
    case Thing::DanglingLink:
      ASSERT_EQ(symlink("no-such-target.lib", path.c_str()), 0);
      break;
  }
}

TEST(LibraryLookup, TheArchiveFoundIsUsedOrRefusedInOneLineNeverSkipped) {
  struct Case {
    const char* name;
    bool named;
    Thing first;
    Thing second;  // only searched when not named
    bool readerAccepts;
    LibraryOpen result;
    const char* opened;  // the path the reader was given, if any
    const char* reason;  // in the one line on standard error, if any
  };
  using enum Thing;
  using enum LibraryOpen;
  const std::vector<Case> cases = {
      {"named archive", true, Archive, Archive, true, Opened, "a", ""},
      {"named archive missing", true, Nothing, Archive, true, Refused, "",
       "a: No such file or directory"},
      {"named archive a folder", true, Folder, Archive, true, Refused, "", "a: not a regular file"},
      {"named archive a FIFO", true, Fifo, Archive, true, Refused, "", "a: not a regular file"},
      {"named archive refused by the reader", true, Archive, Archive, false, Refused, "a",
       "a: not a valid data library"},
      {"default archive", false, Archive, Archive, true, Opened, "a", ""},
      {"default archive missing, one beside the program", false, Nothing, Archive, true, Opened,
       "b", ""},
      {"default archive refused by the reader", false, Archive, Archive, false, Refused, "a",
       "a: not a valid data library"},
      {"default archive a folder", false, Folder, Archive, true, Refused, "",
       "a: not a regular file"},
      {"default archive a dangling link", false, DanglingLink, Archive, true, Refused, "",
       "a: No such file or directory"},
      {"archive beside the program a FIFO", false, Nothing, Fifo, true, Refused, "",
       "b: not a regular file"},
      // Nowhere an archive: the reader gets the first name and the run goes
      // on exactly as with a missing archive.
      {"no archive anywhere", false, Nothing, Nothing, false, NoneFound, "a", "(tried a, b)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::ResetWorld();
    test::InstallFakes();
    test::World().openLibraryResult = c.readerAccepts;
    test::TempDir dir;
    test::ScopedWorkingDirectory inside(dir.Path());
    Make("a", c.first);
    Make("b", c.second);
    const LibrarySearch search = c.named ? LibrarySearch{{"a"}, true} : LibrarySearch{{"a", "b"}};
    testing::internal::CaptureStderr();
    const LibraryOpen result = OpenShowLibrary(search);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, c.result);
    std::vector<std::string> opened;
    if (*c.opened != '\0') opened.push_back(std::string("OpenLibrary ") + c.opened);
    EXPECT_EQ(test::World().calls, opened);
    if (*c.reason == '\0') {
      EXPECT_EQ(err, "");
    } else {
      EXPECT_EQ(test::SplitLines(err).size(), 1u) << err;
      EXPECT_EQ(err.rfind("vx1: cannot open the data library ", 0), 0u) << err;
      EXPECT_NE(err.find(c.reason), std::string::npos) << err;
    }
  }
}

}  // namespace
}  // namespace vx
