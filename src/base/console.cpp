#include "base/console.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "base/output_file.h"
#include "base/system.h"

namespace vx {
namespace {

std::FILE* console = stdout;

void WriteChecked(std::string_view text, bool endLine) {
  errno = 0;
  // An empty view may carry a null pointer, which fwrite must not be given.
  bool ok = text.empty() || std::fwrite(text.data(), 1, text.size(), console) == text.size();
  if (ok && endLine) ok = std::fputc('\n', console) != EOF;
  if (ok) ok = std::fflush(console) == 0;
  if (!ok) ConsoleFail(errno != 0 ? errno : EIO);
}

}  // namespace

void ConsoleWrite(std::string_view text) { WriteChecked(text, false); }

void ConsoleWriteLine(std::string_view text) { WriteChecked(text, true); }

void ConsoleUseStandardError() {
  console = stderr;
}

void ConsoleFail(int error) {
  RunExitActions();
  if (error == EPIPE) EndOnBrokenPipe();
  std::fprintf(stderr, "Runtime error %d\n", error);
  std::fflush(stderr);
  // _Exit: the normal exit would flush standard output again and fail again.
  std::_Exit(error);
}

}  // namespace vx
