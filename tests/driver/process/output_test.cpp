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

// The show's archive with the first bytes of one stored picture wiped, so
// that loading it fails (and ends the program) while the scenes load.
Bytes ArchiveWithABrokenPicture() {
  Bytes bytes = ReadFileBytes(ArchivePath());
  const std::string name = "DATA\\WOOD.jpg";
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
  std::fill_n(bytes.begin() + position, 16, 0);
  return bytes;
}

// A stand-in for ffmpeg: writes its process id to started.pid, then runs
// the real ffmpeg, or first sends SIGTERM to vx1 (its parent) when told to.
void WriteFakeFfmpeg(const TempDir& dir, bool interrupt) {
  fs::create_directories(dir.File("bin"));
  const std::string script = dir.File("bin/ffmpeg");
  WriteTextFile(script, "#!/bin/sh\necho $$ > " + dir.File("started.pid") + "\n" +
                            (interrupt ? "kill -TERM $PPID\n" : "") + "exec " +
                            FindProgram("ffmpeg") + " \"$@\"\n");
  fs::permissions(script, fs::perms::owner_all);
}

TEST(Vx1Capture, APictureThatFailsToLoadEndsTheRunBeforeAnyOutputExists) {
  REQUIRE_ARCHIVE();
  REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  WriteFileBytes(dir.File("bad.lib"), ArchiveWithABrokenPicture());
  WriteTextFile(dir.File("keep.mp4"), "an older video");
  WriteFakeFfmpeg(dir, false);
  fs::create_directories(dir.File("tmp"));
  const ProgramResult r = RunProgram(
      {"/usr/bin/env", "PATH=" + dir.File("bin") + ":/usr/bin:/bin", "TMPDIR=" + dir.File("tmp"),
       Vx1Path(), "--library", "bad.lib", "--capture", "keep.mp4"},
      dir.Path());
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("Load Error"), std::string::npos) << r.err;
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
  WriteTextFile(dir.File("mine/frame_000000.png"), "an older frame");
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
  EXPECT_EQ(Entries(dir.File("mine")), (std::vector<std::string>{"frame_000000.png", "notes.txt"}));
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
    EXPECT_EQ(r.err, "PNG error: Write Error\n") << args[0];
    EXPECT_TRUE(fs::is_character_file(full)) << args[0];
  }
}

}  // namespace
}  // namespace vx::test
