// What base/system.h offers the same way on every system: the quoting of
// a Windows command line (its rules are plain string work, tested
// everywhere). The calls into the system are in system_posix.cpp and
// system_windows.cpp, one of which the build chooses.
#include "base/system.h"

#include <string>
#include <string_view>
#include <vector>

namespace vx {

std::filesystem::path PathOf(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string NameOf(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

bool StartedFromFileManager(const StartContext& start) {
  if (start.ownConsole) return true;
  if (start.terminal || !start.graphicalSession || start.parent.empty()) return false;
  // What runs scripts and builds, by the start of its file name (so that
  // "python3.11" counts as python): a program started by one of these was
  // started by a script, a test or a remote command, with nobody at a
  // dialog.
  static constexpr std::string_view Interpreters[] = {
      "sh",    "bash",    "dash",   "zsh",  "ksh",     "mksh",  "fish", "csh",
      "tcsh",  "busybox", "python", "perl", "ruby",    "node",  "make", "cmake",
      "ctest", "ninja",   "ssh",    "sshd", "timeout", "xargs", "env"};
  for (const std::string_view name : Interpreters) {
    if (!start.parent.starts_with(name)) continue;
    // "sh" covers "sh" itself and versioned names, not "shotwell".
    const std::string_view rest = std::string_view(start.parent).substr(name.size());
    if (rest.empty() || rest.find_first_not_of("0123456789.-") == std::string_view::npos)
      return false;
  }
  return true;
}

std::string WindowsCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) {
      line += arg;
      continue;
    }
    // Backslashes are literal except in front of a quote (or the closing
    // quote), where each pair stands for one.
    line += '"';
    std::size_t backslashes = 0;
    for (const char c : arg) {
      if (c == '\\') {
        ++backslashes;
        continue;
      }
      line.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
      backslashes = 0;
      line += c;
    }
    line.append(2 * backslashes, '\\');
    line += '"';
  }
  return line;
}

}  // namespace vx
