#include "support/testlib.h"

#include <gtest/gtest.h>

// Child programs and FIFOs are POSIX only; everything else here is portable.
#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#else
#include <process.h>
#endif

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "datalib/datalib.h"
#include "support/archive_header.h"

namespace vx::test {
namespace {

// Folders of live TempDirs, with the process that made each. A test that
// ends the process through exit() (the fatal paths, run as death tests)
// never reaches the destructors, so an exit handler removes what this
// process made; a forked death-test child leaves its parent's folders alone.
#ifdef _WIN32
int ProcessId() {
  return _getpid();
}
#else
int ProcessId() {
  return static_cast<int>(getpid());
}
#endif

std::map<std::string, int>& LiveTempDirs() {
  static auto* dirs = new std::map<std::string, int>;
  return *dirs;
}

void RemoveLeftoverTempDirs() {
  for (const auto& [path, owner] : LiveTempDirs()) {
    if (owner != ProcessId()) continue;
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
}

constexpr std::array<std::uint8_t, 103> kLibraryHeader = [] {
  std::array<std::uint8_t, 103> bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(ArchiveHeaderText[i]);
  return bytes;
}();

void AppendInt32(Bytes& out, std::int64_t value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

[[maybe_unused]] std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

const std::array<std::uint8_t, 103>& LibraryHeaderBytes() {
  return kLibraryHeader;
}

Bytes MakeLibraryImage(const std::vector<LibraryFile>& files) {
  Bytes image(kLibraryHeader.begin(), kLibraryHeader.end());
  std::int64_t indexPosition = 111;
  for (const auto& file : files) indexPosition += static_cast<std::int64_t>(file.second.size());
  AppendInt32(image, static_cast<std::int64_t>(files.size()));
  AppendInt32(image, indexPosition);
  for (const auto& file : files) image.insert(image.end(), file.second.begin(), file.second.end());
  std::int64_t position = 111;
  for (const auto& file : files) {
    image.push_back(static_cast<std::uint8_t>(file.first.size()));
    image.insert(image.end(), file.first.begin(), file.first.end());
    AppendInt32(image, static_cast<std::int64_t>(file.second.size()));
    AppendInt32(image, position);
    position += static_cast<std::int64_t>(file.second.size());
  }
  return image;
}

std::string WriteTestLibrary(const std::string& path, const std::vector<LibraryFile>& files) {
  WriteFileBytes(path, MakeLibraryImage(files));
  if (!FileExists(path)) {
    ADD_FAILURE() << "cannot write test library " << path;
    return {};
  }
  return path;
}

namespace {

// A new folder with a random name in base, made only when nothing is there
// yet (create_directory reports an existing entry as false), as mkdtemp
// does; forward slashes throughout, so that File() names agree on Windows.
// Empty on failure.
std::string MakeFreshFolder(const std::filesystem::path& base, std::error_code& error) {
  static std::mt19937_64 random{std::random_device{}() ^
                                (static_cast<std::uint64_t>(ProcessId()) << 32)};
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "vx-test-";
    for (int i = 0; i < 10; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    const std::string candidate = (base / name).generic_string();
    if (std::filesystem::create_directory(candidate, error)) return candidate;
    if (error) break;
  }
  return {};
}

constexpr const char* kRootVariable = "VX_TEST_ROOT";

// The folder that holds every TempDir of this test program, made on first
// use and removed when the program ends. GoogleTest's death tests on
// Windows run the program afresh for each case, and such a run may end
// through _Exit without removing anything: it finds the folder in
// VX_TEST_ROOT and makes its own inside it, left to the parent's removal.
std::string TestRoot(std::error_code& error) {
  static std::string root;
  if (!root.empty()) return root;
  const char* inherited = std::getenv(kRootVariable);
  if (inherited != nullptr && *inherited != '\0' &&
      std::filesystem::is_directory(inherited, error)) {
    root = inherited;
    return root;
  }
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) return {};
  root = MakeFreshFolder(base, error);
  if (root.empty()) return {};
  static const bool registered = std::atexit(RemoveLeftoverTempDirs) == 0;
  (void)registered;
  LiveTempDirs()[root] = ProcessId();
#ifdef _WIN32
  _putenv_s(kRootVariable, root.c_str());
#else
  setenv(kRootVariable, root.c_str(), 1);
#endif
  return root;
}

}  // namespace

TempDir::TempDir() {
  std::error_code error;
  const std::string root = TestRoot(error);
  if (!root.empty()) path_ = MakeFreshFolder(root, error);
  if (path_.empty()) {
    ADD_FAILURE() << "cannot make a temporary folder: " << error.message();
    return;
  }
  LiveTempDirs()[path_] = ProcessId();
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  LiveTempDirs().erase(path_);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::File(std::string_view name) const {
  return path_ + "/" + std::string(name);
}

bool OpenTestLibrary(const TempDir& dir, const std::vector<LibraryFile>& files) {
  std::string path = WriteTestLibrary(dir.File("test.lib"), files);
  CloseLibrary();
  return !path.empty() && OpenLibrary(path);
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot read " << path;
    return {};
  }
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) ADD_FAILURE() << "cannot write " << path;
}

void WriteTextFile(const std::string& path, std::string_view text) {
  WriteFileBytes(path, ToBytes(text));
}

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

Bytes ToBytes(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

std::string CaptureStdout(const std::function<void()>& body) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  body();
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& path) {
  std::error_code error;
  previous_ = std::filesystem::current_path(error).string();
  std::filesystem::current_path(path, error);
  if (error) ADD_FAILURE() << "cannot change to " << path << ": " << error.message();
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

#ifdef _WIN32

bool HasPosixProcesses() {
  return false;
}

bool MakeFifo(const std::string& path) {
  ADD_FAILURE() << "no FIFOs on this system: " << path;
  return false;
}

void KnockOnFifo(const std::string&) {}

ProgramResult RunProgram(const std::vector<std::string>&, const std::string&) {
  ADD_FAILURE() << "RunProgram needs fork and exec (not on this system)";
  return {};
}

FifoReader::FifoReader(const std::string& path) {
  ADD_FAILURE() << "no FIFOs on this system: " << path;
}

FifoReader::~FifoReader() = default;

Bytes FifoReader::Finish() {
  return bytes_;
}

#else

bool HasPosixProcesses() {
  return true;
}

bool MakeFifo(const std::string& path) {
  return mkfifo(path.c_str(), 0644) == 0;
}

std::string WithReaderGone(const std::string& command) {
  return "exec 3>&1; { trap '' PIPE; while printf x 2>/dev/null; do :; done; trap - PIPE; " +
         command + "; echo $? >&3; } | true";
}

void KnockOnFifo(const std::string& path) {
  const int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK);
  if (writer >= 0) close(writer);
}

ProgramResult RunProgram(const std::vector<std::string>& args,
                         const std::string& workingDirectory) {
  ProgramResult result;
  if (args.empty()) {
    ADD_FAILURE() << "RunProgram needs a program";
    return result;
  }
  TempDir outputs;
  std::string outPath = outputs.File("stdout");
  std::string errPath = outputs.File("stderr");
  // Everything the child needs is prepared before fork: after it, the child
  // only calls async-signal-safe functions.
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  int errFd = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  int inFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (outFd < 0 || errFd < 0 || inFd < 0) {
    ADD_FAILURE() << "RunProgram cannot open its output files";
    for (int fd : {outFd, errFd, inFd}) {
      if (fd >= 0) close(fd);
    }
    return result;
  }
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t child = fork();
  if (child == 0) {
    if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0) _exit(126);
    if (dup2(inFd, 0) < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(outFd);
  close(errFd);
  close(inFd);
  if (child < 0) {
    ADD_FAILURE() << "fork failed: errno " << errno;
    return result;
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) {
      ADD_FAILURE() << "waitpid failed: errno " << errno;
      return result;
    }
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadWholeFile(outPath);
  result.err = ReadWholeFile(errPath);
  return result;
}

FifoReader::FifoReader(const std::string& path) {
  if (mkfifo(path.c_str(), 0600) != 0 ||
      (fd_ = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) < 0) {
    ADD_FAILURE() << "cannot make the FIFO " << path;
    return;
  }
  thread_ = std::thread([this] {
    // Before the first writer opens, and after the last one closed, a read
    // gives 0: only the done flag tells the end.
    std::uint8_t chunk[65536];
    for (;;) {
      const bool last = done_.load();
      pollfd wait{fd_, POLLIN, 0};
      poll(&wait, 1, 20);
      const ssize_t n = read(fd_, chunk, sizeof chunk);
      if (n > 0) {
        bytes_.insert(bytes_.end(), chunk, chunk + n);
        continue;
      }
      if (last) break;
      if (n == 0) usleep(2000);  // no writer now: poll would return at once
    }
  });
}

FifoReader::~FifoReader() {
  Finish();
}

Bytes FifoReader::Finish() {
  if (thread_.joinable()) {
    done_ = true;
    thread_.join();
  }
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  return bytes_;
}

#endif

}  // namespace vx::test
