// The system calls behind base/system.h, as the output files and the
// archive reader rely on them on every system the program is built for:
// exclusive creation, binary data both ways, a rename that replaces, links
// seen as links, nothing created by an open that must not create. The test
// uses no POSIX call itself, so the same program runs on Windows.
#include "base/system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "base/output_file.h"

namespace {

namespace fs = std::filesystem;

// Bytes that text mode would change on Windows: a line end, a CR LF pair,
// the old end-of-file mark 0x1A, and a NUL byte for good measure.
const std::string TrickyBytes = std::string(
    "a\nb\r\nc\x1a"
    "d\0e",
    10);

// A fresh folder under the system's temporary directory, removed with its
// contents at the end.
class Folder {
 public:
  Folder() {
    std::random_device random;
    for (;;) {
      path_ = fs::temp_directory_path() / ("vx-system-test-" + std::to_string(random()));
      if (fs::create_directory(path_)) break;
    }
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  fs::path path_;
};

void WriteText(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SystemFiles, CreateNewFileWritesBinaryAndNeverOpensAnExistingFile) {
  Folder folder;
  const std::string path = folder.File("new.bin");
  const int fd = vx::CreateNewFile(path);
  ASSERT_GE(fd, 0);
  std::FILE* file = fdopen(fd, "wb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::fwrite(TrickyBytes.data(), 1, TrickyBytes.size(), file), TrickyBytes.size());
  ASSERT_EQ(std::fclose(file), 0);
  EXPECT_EQ(ReadText(path), TrickyBytes);

  errno = 0;
  EXPECT_EQ(vx::CreateNewFile(path), -1);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(ReadText(path), TrickyBytes);
}

// A name with letters beyond ASCII, made by the C runtime's calls (which
// take UTF-8 here), is the same name to std::filesystem through PathOf and
// NameOf, both ways: listed, found, and taken apart into folder and file.
TEST(SystemFiles, NonAsciiNamesMeanTheSameFileToTheRuntimeAndToFilesystem) {
  Folder folder;
  const std::string folderName = vx::NameOf(fs::path(folder.File("x")).parent_path());
  const std::string name = "Mes démos ÄÖ ß.bin";
  const std::string path = vx::NameOf(vx::PathOf(folderName) / vx::PathOf(name));
  EXPECT_EQ(vx::NameOf(vx::PathOf(path).filename()), name);
  const int fd = vx::CreateNewFile(path);
  ASSERT_GE(fd, 0) << std::strerror(errno);
  ASSERT_EQ(write(fd, "abc", 3), 3);
  close(fd);

  std::vector<std::string> listed;
  for (const auto& entry : fs::directory_iterator(vx::PathOf(folderName)))
    listed.push_back(vx::NameOf(entry.path().filename()));
  EXPECT_EQ(listed, std::vector<std::string>{name});
  std::error_code error;
  EXPECT_EQ(fs::file_size(vx::PathOf(path), error), 3u) << error.message();
  EXPECT_TRUE(vx::SomethingAt(path));
  const int reading = vx::OpenForReading(path);
  EXPECT_GE(reading, 0) << std::strerror(errno);
  if (reading >= 0) close(reading);
}

#ifndef _WIN32
// The pictures folder as the desktop names it: the variable, else the
// user-dirs.dirs line (with $HOME), else ~/Pictures; only folders that are
// there count, and with none the caller gets "" (the current folder).
TEST(SystemFiles, PicturesFolderFollowsTheDesktopsSettingAndOnlyNamesFolders) {
  struct Case {
    const char* variable;  // XDG_PICTURES_DIR under home, or nullptr
    const char* userDirs;  // the line in user-dirs.dirs, or nullptr
    std::vector<std::string> folders;
    const char* expected;  // under home; "" for none
  };
  const Case cases[] = {
      {.variable = "Shots",
       .userDirs = nullptr,
       .folders = {"Shots", "Pictures"},
       .expected = "Shots"},
      {.variable = "Gone", .userDirs = nullptr, .folders = {"Pictures"}, .expected = "Pictures"},
      {.variable = nullptr,
       .userDirs = "XDG_PICTURES_DIR=\"$HOME/Bilder\"",
       .folders = {"Bilder", "Pictures"},
       .expected = "Bilder"},
      {.variable = nullptr,
       .userDirs = "XDG_PICTURES_DIR=\"$HOME/Bilder\"",
       .folders = {"Pictures"},
       .expected = "Pictures"},
      {.variable = nullptr,
       .userDirs = "XDG_PICTURES_DIR=\"relative\"",
       .folders = {"relative"},
       .expected = ""},
      {.variable = nullptr, .userDirs = nullptr, .folders = {}, .expected = ""},
  };
  const char* savedHome = std::getenv("HOME");
  const std::string home = savedHome != nullptr ? savedHome : "";
  for (const Case& c : cases) {
    Folder folder;
    const std::string base = vx::NameOf(fs::path(folder.File("x")).parent_path());
    for (const std::string& name : c.folders) fs::create_directories(base + "/" + name);
    fs::create_directories(base + "/config");
    if (c.userDirs != nullptr)
      WriteText(base + "/config/user-dirs.dirs",
                std::string("# made by a test\n") + c.userDirs + "\n");
    setenv("HOME", base.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    if (c.variable != nullptr) {
      setenv("XDG_PICTURES_DIR", (base + "/" + c.variable).c_str(), 1);
    } else {
      unsetenv("XDG_PICTURES_DIR");
    }
    const std::string expected = *c.expected == '\0' ? "" : base + "/" + c.expected;
    EXPECT_EQ(vx::PicturesFolder(), expected) << (c.userDirs ? c.userDirs : "no user-dirs.dirs");
  }
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_PICTURES_DIR");
}
#endif

TEST(SystemFiles, OpenForReadingGivesTheBytesUnchanged) {
  Folder folder;
  const std::string path = folder.File("data.bin");
  WriteText(path, TrickyBytes);
  const int fd = vx::OpenForReading(path);
  ASSERT_GE(fd, 0);
  std::FILE* file = fdopen(fd, "rb");
  ASSERT_NE(file, nullptr);
  std::string read(64, '?');
  read.resize(std::fread(read.data(), 1, read.size(), file));
  std::fclose(file);
  EXPECT_EQ(read, TrickyBytes);

  errno = 0;
  EXPECT_EQ(vx::OpenForReading(folder.File("absent.bin")), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST(SystemFiles, OpenExistingForWritingCreatesNothing) {
  Folder folder;
  const std::string path = folder.File("absent.bin");
  errno = 0;
  EXPECT_EQ(vx::OpenExistingForWriting(path), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_FALSE(fs::exists(path));
}

TEST(SystemFiles, SyncFileFlushesAnOpenFileAndReportsABadOne) {
  Folder folder;
  const int fd = vx::CreateNewFile(folder.File("sync.bin"));
  ASSERT_GE(fd, 0);
  EXPECT_EQ(vx::SyncFile(fd), 0);
  close(fd);
  EXPECT_EQ(vx::SyncFile(fd), EBADF);
}

struct RenameCase {
  const char* name;
  bool targetExists;
};

void PrintTo(const RenameCase& c, std::ostream* out) {
  *out << c.name;
}

class RenameOver : public testing::TestWithParam<RenameCase> {};

TEST_P(RenameOver, LeavesTheNewContentUnderTheTargetName) {
  Folder folder;
  const std::string from = folder.File("from.tmp");
  const std::string to = folder.File("to.bin");
  WriteText(from, TrickyBytes);
  if (GetParam().targetExists) WriteText(to, "old content");
  EXPECT_EQ(vx::RenameOver(from, to), 0);
  EXPECT_EQ(ReadText(to), TrickyBytes);
  EXPECT_FALSE(fs::exists(from));
}

INSTANTIATE_TEST_SUITE_P(Target, RenameOver,
                         testing::Values(RenameCase{"absent", false}, RenameCase{"present", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RenameOverFailure, KeepsBothFilesAndGivesTheReason) {
  Folder folder;
  const std::string to = folder.File("to.bin");
  WriteText(to, "old content");
  EXPECT_EQ(vx::RenameOver(folder.File("absent.tmp"), to), ENOENT);
  EXPECT_EQ(ReadText(to), "old content");
}

// What is at a path: nothing, a file, a folder, a link to a file, a link to
// nothing. Links that the system does not let us make are skipped.
struct EntryCase {
  const char* name;
  enum Kind { Nothing, File, Folder, LinkToFile, DanglingLink } kind;
  bool somethingAt;
  bool isLink;
};

void PrintTo(const EntryCase& c, std::ostream* out) {
  *out << c.name;
}

class PathEntry : public testing::TestWithParam<EntryCase> {};

TEST_P(PathEntry, IsSeenWithoutFollowingLinks) {
  const EntryCase& c = GetParam();
  Folder folder;
  const std::string path = folder.File("entry");
  WriteText(folder.File("target"), "x");
  std::error_code error;
  switch (c.kind) {
    case EntryCase::Nothing:
      break;
    case EntryCase::File:
      WriteText(path, "x");
      break;
    case EntryCase::Folder:
      fs::create_directory(path);
      break;
    case EntryCase::LinkToFile:
      fs::create_symlink("target", path, error);
      break;
    case EntryCase::DanglingLink:
      fs::create_symlink("missing", path, error);
      break;
  }
  if (error) GTEST_SKIP() << "cannot make a symbolic link here: " << error.message();
  EXPECT_EQ(vx::SomethingAt(path), c.somethingAt);
  EXPECT_EQ(vx::IsSymbolicLink(path), c.isLink);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PathEntry,
    testing::Values(EntryCase{"nothing", EntryCase::Nothing, false, false},
                    EntryCase{"file", EntryCase::File, true, false},
                    EntryCase{"folder", EntryCase::Folder, true, false},
                    EntryCase{"link_to_file", EntryCase::LinkToFile, true, true},
                    EntryCase{"dangling_link", EntryCase::DanglingLink, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The output file on top of the helpers: an existing file is replaced by
// the complete new content, byte for byte, and no temporary file is left.
TEST(SystemFiles, OutputFileReplacesAnExistingFileWithBinaryContent) {
  Folder folder;
  const std::string path = folder.File("out.bin");
  WriteText(path, "old content that is longer than the new one");
  std::string error;
  ASSERT_TRUE(vx::WriteOutputFile(path, TrickyBytes.data(), TrickyBytes.size(), error)) << error;
  EXPECT_EQ(ReadText(path), TrickyBytes);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(fs::path(path).parent_path()))
    ++entries;
  EXPECT_EQ(entries, 1);
}

// Standard output sent to a file: its stream's name and that file (where
// the system can tell files apart) are standard output, another file never
// is, also where stat gives every file the same inode number.
TEST(SystemFiles, OnlyStandardOutputsOwnFileCountsAsStandardOutput) {
  Folder folder;
  const std::string log = folder.File("run.log");
  const std::string other = folder.File("show.mp4");
  WriteText(log, "");
  WriteText(other, "");
  std::fflush(stdout);
  const int saved = dup(1);
  std::FILE* file = std::fopen(log.c_str(), "ab");
  ASSERT_NE(file, nullptr);
  ASSERT_GE(saved, 0);
  // Nothing may fail out of the test while its output goes to the file
  // (dup2 gives 0 for success on Windows, the descriptor elsewhere).
  const bool redirected = dup2(fileno(file), 1) >= 0;
  const bool stream = vx::NamesStandardOutput("/dev/stdout");
  const bool named = vx::NamesStandardOutput(log);
  const bool elsewhere = vx::NamesStandardOutput(other);
  dup2(saved, 1);
  close(saved);
  std::fclose(file);
  ASSERT_TRUE(redirected);
  EXPECT_TRUE(stream);
  EXPECT_FALSE(elsewhere);
#ifndef _WIN32
  EXPECT_TRUE(named);
#else
  (void)named;
#endif
}

}  // namespace

namespace {

// The start-up dialog is for a start by a double click or a menu only: a
// terminal, a script, a build or a test must never be stopped by a box.
TEST(StartContext, OnlyAFileManagersStartCountsAsOne) {
  struct Case {
    vx::StartContext start;
    bool fromFileManager;
  };
  const auto desktop = [](std::string parent) {
    return vx::StartContext{
        .ownConsole = false, .terminal = false, .graphicalSession = true, .parent = parent};
  };
  const Case cases[] = {
      {.start = {.ownConsole = true, .terminal = false, .graphicalSession = false, .parent = ""},
       .fromFileManager = true},  // Explorer's own console
      {.start = desktop("gnome-shell"), .fromFileManager = true},
      {.start = desktop("systemd"), .fromFileManager = true},  // a menu's start in its own scope
      {.start = desktop("nautilus"), .fromFileManager = true},
      {.start = desktop("shotwell"), .fromFileManager = true},  // "sh" is a whole name
      {.start = desktop("bash"), .fromFileManager = false},
      {.start = desktop("dash"), .fromFileManager = false},
      {.start = desktop("python3.11"), .fromFileManager = false},
      {.start = desktop("ctest"), .fromFileManager = false},
      {.start = desktop("sshd"), .fromFileManager = false},
      {.start = desktop(""), .fromFileManager = false},  // parent unknown
      {.start = {.ownConsole = false,
                 .terminal = true,
                 .graphicalSession = true,
                 .parent = "gnome-shell"},
       .fromFileManager = false},
      {.start = {.ownConsole = false,
                 .terminal = false,
                 .graphicalSession = false,
                 .parent = "gnome-shell"},
       .fromFileManager = false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(vx::StartedFromFileManager(c.start), c.fromFileManager)
        << "parent \"" << c.start.parent << "\", terminal " << c.start.terminal << ", session "
        << c.start.graphicalSession << ", own console " << c.start.ownConsole;
}

// This test runs under CTest, a shell or a debugger: never a file
// manager's start, whatever the machine's session.
TEST(StartContext, ThisTestIsNoFileManagersStart) {
  const vx::StartContext start = vx::ThisStart();
  EXPECT_FALSE(vx::StartedFromFileManager(start)) << start.parent;
#ifdef __linux__
  EXPECT_FALSE(start.parent.empty()) << "the parent's program could not be read";
#endif
}

}  // namespace
