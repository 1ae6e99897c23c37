// vx1's outputs and the user's files: screenshots and contact sheets go
// through links, into FIFOs and devices without replacing them; a capture
// that fails (a picture that does not load, no frame to capture, an
// interrupt) leaves the old video, no temporary file and no ffmpeg behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/process/process_support.h"
#include "support/testlib.h"

namespace vx::test {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// The show's archive with the first bytes of one stored file wiped, so
// that loading it fails (and ends the program) while the scenes load.
// Puts a shell script in dir/bin as ffmpeg: it writes its process id to
// started.pid, then runs body ($out is the file it is told to write).
void WriteFfmpegScript(const TempDir& dir, const std::string& body) {
  fs::create_directories(dir.File("bin"));
  const std::string script = dir.File("bin/ffmpeg");
  WriteTextFile(script, "#!/bin/sh\necho $$ > " + dir.File("started.pid") +
                            "\nfor out; do :; done; out=${out#file:}\n" + body);
  fs::permissions(script, fs::perms::owner_all);
}

// Whether the process whose id is in path has ended.
bool Ended(const std::string& path) {
  std::ifstream file(path);
  pid_t pid = 0;
  if (!(file >> pid)) return false;
  return kill(pid, 0) == -1 && errno == ESRCH;
}

Bytes ArchiveWithABrokenFile(const std::string& name, std::size_t offset, const Bytes& patch) {
  Bytes bytes = ReadFileBytes(ArchivePath());
  const std::size_t index = bytes[107] | bytes[108] << 8 | bytes[109] << 16 | bytes[110] << 24;
  std::string needle(1, static_cast<char>(name.size()));
  needle += name;
  const auto at = std::search(bytes.begin() + index, bytes.end(), needle.begin(), needle.end());
  if (at == bytes.end()) {
    ADD_FAILURE() << name << " is not in the archive";
    return {};
  }
  const auto field = at + needle.size() + 4;  // past the size: the position
  const std::size_t position = field[0] | field[1] << 8 | field[2] << 16 | field[3] << 24;
  std::copy(patch.begin(), patch.end(), bytes.begin() + position + offset);
  return bytes;
}

// A stand-in for ffmpeg: writes its process id to started.pid, then runs
// the real ffmpeg, or first sends SIGTERM to vx1 (its parent) when told to.
void WriteFakeFfmpeg(const TempDir& dir, bool interrupt) {
  WriteFfmpegScript(dir, std::string(interrupt ? "kill -TERM $PPID\n" : "") + "exec " +
                             FindProgram("ffmpeg") + " \"$@\"\n");
}

TEST(Vx1Capture, APictureThatFailsToLoadEndsTheRunBeforeAnyOutputExists) {
  REQUIRE_ARCHIVE();
  REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  WriteFileBytes(dir.File("bad.lib"), ArchiveWithABrokenFile("DATA\\WOOD.jpg", 0, Bytes(16, 0)));
  WriteTextFile(dir.File("keep.mp4"), "an older video");
  WriteFakeFfmpeg(dir, false);
  fs::create_directories(dir.File("tmp"));
  const ProgramResult r = RunProgram(
      {"/usr/bin/env", "PATH=" + dir.File("bin") + ":/usr/bin:/bin", "TMPDIR=" + dir.File("tmp"),
       Vx1Path(), "--library", "bad.lib", "--capture", "keep.mp4"},
      dir.Path());
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("Load Error"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("vx1: cannot load the picture DATA\\WOOD.jpg: not a readable JPEG"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(FileExists(dir.File("started.pid"))) << "ffmpeg was started";
  EXPECT_EQ(ReadFileBytes(dir.File("keep.mp4")), ToBytes("an older video"));
  EXPECT_TRUE(fs::is_empty(dir.File("tmp")));
  EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"bad.lib", "bin", "keep.mp4", "tmp"}));
}

TEST(Vx1Capture, AnInterruptedCaptureStopsFfmpegAndLeavesNothing) {
  REQUIRE_ARCHIVE();
  REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  WriteTextFile(dir.File("keep.mp4"), "an older video");
  WriteFakeFfmpeg(dir, true);
  fs::create_directories(dir.File("tmp"));
  const ProgramResult r = RunProgram(
      {"/usr/bin/env", "PATH=" + dir.File("bin") + ":/usr/bin:/bin", "TMPDIR=" + dir.File("tmp"),
       Vx1Path(), "--library", ArchivePath(), "--capture", "keep.mp4", "--scale", "1"},
      dir.Path());
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("vx1: capture interrupted; nothing written"), std::string::npos) << r.err;
  ASSERT_TRUE(FileExists(dir.File("started.pid")));
  std::ifstream pidFile(dir.File("started.pid"));
  pid_t ffmpeg = 0;
  ASSERT_TRUE(pidFile >> ffmpeg);
  EXPECT_EQ(kill(ffmpeg, 0), -1) << "ffmpeg still runs";
  EXPECT_EQ(errno, ESRCH);
  EXPECT_EQ(ReadFileBytes(dir.File("keep.mp4")), ToBytes("an older video"));
  EXPECT_TRUE(fs::is_empty(dir.File("tmp")));
  EXPECT_EQ(Entries(dir.Path()),
            (std::vector<std::string>{"bin", "keep.mp4", "started.pid", "tmp"}));
}

// PNG frames on a disk that fills: a file size limit (SIGXFSZ ignored, so
// writes fail with EFBIG) lets the first, dark frames through and stops a
// later one. The frames and folders this run made go; the user's stay.
// Standard output goes to /dev/null so that only the frames meet the limit
// (the loading lines grow with the archive).
TEST(Vx1Capture, AFailedFramesCaptureRemovesOnlyWhatItMade) {
  REQUIRE_ARCHIVE();
  TempDir dir;
  fs::create_directories(dir.File("mine"));
  WriteTextFile(dir.File("mine/notes.txt"), "notes");
  for (const char* frame : {"frame_000000.png", "frame_000001.png", "frame_000005.png"})
    WriteTextFile(dir.File("mine/") + frame, "an older frame");
  for (const char* folder : {"made/frames", "mine"}) {
    const ProgramResult r = RunProgram(
        {"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 60; exec \"$0\" \"$@\" >/dev/null", Vx1Path(),
         "--library", ArchivePath(), "--frames", folder, "--duration", "2", "--scale", "1"},
        dir.Path());
    EXPECT_EQ(r.exitCode, 1) << folder;
    EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("frame_000000.png"), std::string::npos) << "no frame made: " << r.err;
  }
  EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"mine"});
  EXPECT_EQ(Entries(dir.File("mine")),
            (std::vector<std::string>{"frame_000000.png", "frame_000001.png", "frame_000005.png",
                                      "notes.txt"}));
  // Frames written before the failure replaced none of the older ones.
  for (const char* frame : {"frame_000000.png", "frame_000001.png", "frame_000005.png"})
    EXPECT_EQ(ReadFileBytes(dir.File("mine/") + frame), ToBytes("an older frame")) << frame;
}

TEST(Vx1Capture, ADurationOfNoFrameIsAnErrorAndMakesNothing) {
  TempDir dir;
  for (const char* option : {"--capture", "--frames"}) {
    const ProgramResult r = RunProgram(
        {Vx1Path(), "--library", dir.File("none.lib"), option, "out", "--duration", "1e-300"},
        dir.Path());
    EXPECT_EQ(r.exitCode, 1) << option;
    EXPECT_EQ(r.err, "vx1: --duration 1e-300 s at 60 fps gives no frame to capture\n") << option;
    EXPECT_TRUE(fs::is_empty(dir.Path())) << option;
  }
}

TEST(Vx1Pictures, ScreenshotsAndSheetsGoThroughLinksAndFifosAndRefuseFolders) {
  REQUIRE_ARCHIVE();
  TempDir dir;
  WriteTextFile(dir.File("sheet.png"), "older sheet");
  ASSERT_EQ(chmod(dir.File("sheet.png").c_str(), 0600), 0);
  fs::create_symlink("sheet.png", dir.File("link.png"));
  FifoReader fifo(dir.File("pipe.png"));
  const ProgramResult shot = RunProgram(
      {Vx1Path(), "--library", ArchivePath(), "--screenshot", "40", "pipe.png"}, dir.Path());
  const ProgramResult sheet = RunProgram(
      {Vx1Path(), "--library", ArchivePath(), "--contact-sheet", "link.png"}, dir.Path());
  ASSERT_EQ(shot.exitCode, 0) << shot.err;
  ASSERT_EQ(sheet.exitCode, 0) << sheet.err;

  WriteFileBytes(dir.File("received.png"), fifo.Finish());
  std::uint32_t w = 0, h = 0;
  std::vector<std::uint32_t> words;
  ASSERT_TRUE(ReadPngWords(dir.File("received.png"), w, h, words));
  EXPECT_EQ(w * h, 64000u);
  EXPECT_TRUE(fs::is_fifo(dir.File("pipe.png")));
  EXPECT_TRUE(fs::is_symlink(dir.File("link.png")));
  ASSERT_TRUE(ReadPngWords(dir.File("sheet.png"), w, h, words));
  EXPECT_GT(w, 320u);
  struct stat info {};
  ASSERT_EQ(stat(dir.File("sheet.png").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);

  const ProgramResult folder = RunProgram(
      {Vx1Path(), "--library", ArchivePath(), "--screenshot", "40", dir.Path()}, dir.Path());
  EXPECT_EQ(folder.exitCode, 1);
  EXPECT_EQ(folder.err, "PNG error: cannot write " + dir.Path() + ": it is a folder\n");
  EXPECT_EQ(Entries(dir.Path()),
            (std::vector<std::string>{"link.png", "pipe.png", "received.png", "sheet.png"}));
}

// A full device (like /dev/full) made in the test's folder: the write fails
// and the device stays.
TEST(Vx1Pictures, AFullDeviceFailsTheWriteAndStaysADevice) {
  REQUIRE_ARCHIVE();
  TempDir dir;
  const std::string full = dir.File("full");
  if (mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
    GTEST_SKIP() << "cannot make device nodes here (needs root)";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--screenshot", "40", "full"}, {"--contact-sheet", "full"}}) {
    std::vector<std::string> command = {Vx1Path(), "--library", ArchivePath()};
    command.insert(command.end(), args.begin(), args.end());
    const ProgramResult r = RunProgram(command, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << args[0];
    EXPECT_EQ(r.err, "PNG error: cannot write full: No space left on device\n") << args[0];
    EXPECT_TRUE(fs::is_character_file(full)) << args[0];
  }
}

}  // namespace
// ffmpeg that fails, writes nothing, or is still finishing when an interrupt
// comes; music that cannot be written. Each is a failed capture: exit 1,
// the old video as it was, no temporary file, no ffmpeg left.
TEST(Vx1Capture, EveryWayACaptureFailsLeavesTheOldVideo) {
  REQUIRE_ARCHIVE();
  struct Case {
    const char* name;
    std::string script;
    bool musicFolder;  // whether TMPDIR exists
    std::string says;
  };
  const std::string writes = "cat > \"$out\"\n";
  std::vector<Case> cases = {
      {"fails", "cat > /dev/null\nexit 1\n", true,
       "vx1: ffmpeg failed (exit code 1) writing keep.mp4"},
      {"writes nothing", "cat > /dev/null\nexit 0\n", true,
       "vx1: ffmpeg exited with 0 but wrote nothing to keep.mp4"},
      {"no music", writes, false, "vx1: cannot write the music to a temporary file"},
  };
  for (const char* signal : {"INT", "TERM", "HUP", "QUIT"})
    cases.push_back({signal, writes + "kill -" + signal + " $PPID\nsleep 1\n", true,
                     "vx1: capture interrupted; nothing written"});
  for (const Case& c : cases) {
    TempDir dir;
    WriteTextFile(dir.File("keep.mp4"), "an older video");
    WriteFfmpegScript(dir, c.script);
    if (c.musicFolder) fs::create_directories(dir.File("tmp"));
    const ProgramResult r = RunProgram(
        {"/usr/bin/env", "PATH=" + dir.File("bin") + ":/usr/bin:/bin", "TMPDIR=" + dir.File("tmp"),
         Vx1Path(), "--library", ArchivePath(), "--capture", "keep.mp4", "--duration", "0.1",
         "--scale", "1"},
        dir.Path());
    EXPECT_EQ(r.exitCode, 1) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(ReadFileBytes(dir.File("keep.mp4")), ToBytes("an older video")) << c.name;
    if (c.musicFolder) {
      EXPECT_TRUE(fs::is_empty(dir.File("tmp"))) << c.name;
      EXPECT_TRUE(Ended(dir.File("started.pid"))) << c.name << ": ffmpeg still runs";
      fs::remove(dir.File("tmp"));
    }
    fs::remove(dir.File("started.pid"));
    EXPECT_EQ(Entries(dir.Path()), (std::vector<std::string>{"bin", "keep.mp4"})) << c.name;
  }
}

// Names ffmpeg could take for an option or a protocol, a device and a FIFO
// without an extension: each gets the video, standard output stays clean.
TEST(Vx1Capture, PathsFfmpegCouldMisreadDevicesAndFifosGetTheVideo) {
  REQUIRE_ARCHIVE();
  REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  fs::create_directories(dir.File("-dir"));
  fs::create_directories(dir.File("pipe:"));
  FifoReader fifo(dir.File("stream"));
  for (const std::string target : {"-dir/x.mp4", "pipe:/x.mkv", "/dev/null", "stream"}) {
    const ProgramResult r = RunProgram({"/bin/sh", "-c", "exec \"$@\" >/dev/null", "sh",
                                        Vx1Path(), "--library", ArchivePath(), "--capture",
                                        target, "--duration", "0.1", "--scale", "1"},
                                       dir.Path());
    EXPECT_EQ(r.exitCode, 0) << target << ": " << r.err;
    EXPECT_EQ(r.out, "") << target;
  }
  for (const char* made : {"-dir/x.mp4", "pipe:/x.mkv"}) {
    const ProgramResult probe =
        RunProgram({FindProgram("ffprobe"), "-v", "error", "-show_entries", "stream=codec_type",
                    "-of", "csv=p=0", "file:" + dir.File(made)});
    EXPECT_EQ(probe.out, "video\naudio\n") << made << ": " << probe.err;
  }
  const Bytes streamed = fifo.Finish();
  ASSERT_GE(streamed.size(), 4u);
  EXPECT_EQ(Bytes(streamed.begin(), streamed.begin() + 4), (Bytes{0x1A, 0x45, 0xDF, 0xA3}))
      << "not Matroska";
}

// Standard output as the output: the data alone on it, appended to a file
// the shell opened; an output that is the data library is refused.
TEST(Vx1Pictures, StandardOutputCarriesThePictureAloneAndAnInputIsNeverAnOutput) {
  REQUIRE_ARCHIVE();
  TempDir dir;
  const ProgramResult appended = RunProgram(
      {"/bin/sh", "-c", "echo keep > run.log; exec \"$@\" >> run.log", "sh", Vx1Path(),
       "--library", ArchivePath(), "--screenshot", "5", "/dev/stdout"},
      dir.Path());
  EXPECT_EQ(appended.exitCode, 0) << appended.err;
  EXPECT_NE(appended.err.find("Checking header"), std::string::npos) << "progress not on stderr";
  const Bytes log = ReadFileBytes(dir.File("run.log"));
  ASSERT_GT(log.size(), 13u);
  EXPECT_EQ(Bytes(log.begin(), log.begin() + 9), ToBytes("keep\n\x89PNG"));
  WriteFileBytes(dir.File("shot.png"), Bytes(log.begin() + 5, log.end()));
  std::uint32_t w = 0, h = 0;
  std::vector<std::uint32_t> words;
  EXPECT_TRUE(ReadPngWords(dir.File("shot.png"), w, h, words));
  EXPECT_EQ(w * h, 64000u);

  fs::copy_file(ArchivePath(), dir.File("x.lib"));
  fs::create_hard_link(dir.File("x.lib"), dir.File("same.lib"));
  const Bytes archive = ReadFileBytes(dir.File("x.lib"));
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--screenshot", "5", "x.lib"}, {"--contact-sheet", "./x.lib"},
           {"--capture", "same.lib"}}) {
    std::vector<std::string> command = {Vx1Path(), "--library", "x.lib"};
    command.insert(command.end(), args.begin(), args.end());
    const ProgramResult r = RunProgram(command, dir.Path());
    EXPECT_EQ(r.exitCode, 1) << args[0];
    EXPECT_EQ(SplitLines(r.err).size(), 1u) << r.err;
    EXPECT_NE(r.err.find("it is the input x.lib"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFileBytes(dir.File("x.lib")), archive) << args[0];
  }
}

// A damaged scene file says which file and why on standard error, whatever
// the log on standard output says.
TEST(Vx1Pictures, ADamagedSceneIsNamedOnStandardError) {
  REQUIRE_ARCHIVE();
  TempDir dir;
  // The first chunk inside the main chunk (the version) claims a length of
  // 1 byte.
  WriteFileBytes(dir.File("bad.lib"), ArchiveWithABrokenFile("DATA\\box.3ds", 8, {1, 0, 0, 0}));
  const ProgramResult r = RunProgram(
      {Vx1Path(), "--library", "bad.lib", "--screenshot", "5", "shot.png"}, dir.Path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err,
            "cannot load the scene DATA\\box.3ds: Fatal error in .3DS file!: chunk 0x0002 "
            "(Unknown) at offset 6: its length 1 is shorter than its own header\n");
  EXPECT_FALSE(FileExists(dir.File("shot.png")));
}

}  // namespace vx::test
