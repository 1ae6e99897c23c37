// vxlib: the data library tool.
//
//   vxlib build DESCRIPTION LIBRARY     build an archive from a description file
//   vxlib list LIBRARY                  print an archive's index
//   vxlib extract LIBRARY NAME OUTFILE  copy one stored file out
//
// The library's own progress lines go to standard output, or to standard
// error when the output file is standard output. Exit status: 0 on success,
// 1 with a one-line reason on standard error on failure, 2 for a usage
// error. An interrupt, a failed console write or any other way out removes
// the temporary file of an output not yet complete.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "base/console.h"
#include "base/output_file.h"
#include "base/system.h"
#include "datalib/datalib.h"
#include "vx_version.h"

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

constexpr const char* UsageText =
    "usage: vxlib build DESCRIPTION LIBRARY\n"
    "       vxlib list LIBRARY\n"
    "       vxlib extract LIBRARY NAME OUTFILE\n"
    "       vxlib --help | --version\n";

constexpr const char* HelpText =
    "vxlib: builds, lists and unpacks data library archives.\n"
    "\n"
    "  vxlib build DESCRIPTION LIBRARY\n"
    "      Builds LIBRARY from the description file. The files it lists are read\n"
    "      relative to the working directory, each backslash of a stored name\n"
    "      (DATA\\oompa.mp3) taken as a directory separator. An existing LIBRARY is\n"
    "      replaced only when the whole build succeeded, keeping its permissions.\n"
    "  vxlib list LIBRARY\n"
    "      Opens LIBRARY and prints its index.\n"
    "  vxlib extract LIBRARY NAME OUTFILE\n"
    "      Copies the file stored as NAME (exact, case-sensitive) to OUTFILE.\n"
    "\n"
    "An output that is a symbolic link replaces the file the link names; a device,\n"
    "FIFO or open stream (/dev/stdout, /dev/fd/N) is written straight through\n"
    "(progress lines then go to standard error); an output that is one of the\n"
    "inputs is refused; a failure or an interrupt never removes or damages an\n"
    "existing output and leaves no temporary file. Replacing a file gives it a\n"
    "new inode: its other hard links keep the old content.\n"
    "  vxlib --help, -h\n"
    "      Prints this text.\n"
    "  vxlib --version\n"
    "      Prints the version and the commit it was built from.\n"
    "\n"
    "Progress lines go to standard output. Exit status: 0 on success, 1 on failure\n"
    "(with the reason on standard error), 2 for a usage error.\n";

int Fail(const std::string& reason) {
  std::fprintf(stderr, "vxlib: %s\n", reason.c_str());
  return ExitFailure;
}

int UsageError(const std::string& reason) {
  std::fprintf(stderr, "vxlib: %s\n%s", reason.c_str(), UsageText);
  return ExitUsage;
}

std::string Quoted(std::string_view text) {
  return "'" + std::string(text) + "'";
}

// Why the archive at path cannot be used: the system's reason, or else
// otherwise (the reader's lines say more).
std::string WhyNotOpened(const std::string& path,
                         const char* otherwise = "not a valid data library") {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::strerror(errno);
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  if (std::FILE* file = std::fopen(path.c_str(), "rb"); file != nullptr)
    std::fclose(file);
  else
    return std::strerror(errno);
  return otherwise;
}

int CannotOpen(const std::string& library) {
  return Fail("cannot open library " + Quoted(library) + ": " + WhyNotOpened(library));
}

// False after saying why when output is one of inputs; progress lines go to
// standard error when output is standard output.
bool CheckOutput(const std::string& output, const std::vector<std::string>& inputs) {
  if (const std::string refusal = vx::OutputOverInput(output, inputs); !refusal.empty()) {
    Fail(refusal);
    return false;
  }
  if (vx::NamesStandardOutput(output)) vx::ConsoleUseStandardError();
  return true;
}

int Build(const std::string& description, const std::string& library) {
  if (!CheckOutput(library, {description})) return ExitFailure;
  if (!vx::BuildLibrary(description, library)) {
    return Fail("cannot build library " + Quoted(library) + " from " + Quoted(description) + ": " +
                std::string(vx::LibraryBuildError()));
  }
  return 0;
}

int List(const std::string& library) {
  if (!vx::OpenLibrary(library)) return CannotOpen(library);
  if (!vx::ListLibrary()) return Fail("cannot list library " + Quoted(library));
  return 0;
}

int Extract(const std::string& library, const std::string& name, const std::string& output) {
  if (!CheckOutput(output, {library})) return ExitFailure;
  if (!vx::OpenLibrary(library)) return CannotOpen(library);
  std::int32_t size = vx::LibraryFileSize(name);
  if (size <= 0) {
    return Fail("no file " + Quoted(name) + " in library " + Quoted(library) +
                " (or the stored file is empty)");
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(size));
  if (!vx::ReadLibraryFile(name, bytes.data())) {
    return Fail("cannot read " + Quoted(name) + " from library " + Quoted(library) + ": " +
                WhyNotOpened(library, "the stored data cannot be read"));
  }
  std::string error;
  if (!vx::WriteOutputFile(output, bytes.data(), bytes.size(), error)) return Fail(error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A write to a pipe or FIFO whose reader has gone fails with EPIPE and is
  // reported, instead of ending the program silently.
  vx::IgnoreBrokenPipes();
  vx::UseUtf8Console();
  vx::CleanUpOnEveryExit();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no command given");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h") {
    vx::ConsoleWrite(HelpText);
    return 0;
  }
  if (command == "--version") {
    std::fputs(vx::VersionLine("vxlib").c_str(), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : ExitFailure;
  }
  if (command == "build") {
    if (args.size() != 3) return UsageError("build takes DESCRIPTION and LIBRARY");
    return Build(args[1], args[2]);
  }
  if (command == "list") {
    if (args.size() != 2) return UsageError("list takes LIBRARY");
    return List(args[1]);
  }
  if (command == "extract") {
    if (args.size() != 4) return UsageError("extract takes LIBRARY, NAME and OUTFILE");
    return Extract(args[1], args[2], args[3]);
  }
  return UsageError("unknown command " + Quoted(command));
}
