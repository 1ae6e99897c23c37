// Where the program lives and how it talks to a user without a console:
// the folder of the executable and, on Windows, the console that a double
// click makes and the message box that stands in for it.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/system.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace vx {

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

}  // namespace

std::string ExecutableDir() {
  // The path may be longer than MAX_PATH: grow the buffer until it fits.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  // Narrow names are UTF-8 in these programs (their manifest's code page).
  const std::u8string folder = std::filesystem::path(path).parent_path().u8string();
  return std::string(folder.begin(), folder.end());
}

bool ReleaseOwnConsole() {
  // A console shared with a command prompt lists two processes or more;
  // output sent to a file or a pipe is wanted by whoever started us.
  const auto onConsole = [](DWORD stream) {
    return GetFileType(GetStdHandle(stream)) == FILE_TYPE_CHAR;
  };
  DWORD processes[2];
  if (GetConsoleWindow() == nullptr || GetConsoleProcessList(processes, 2) != 1 ||
      !onConsole(STD_OUTPUT_HANDLE) || !onConsole(STD_ERROR_HANDLE))
    return false;
  FreeConsole();
  // The standard streams pointed at the console that is gone: writes to
  // them would fail, and a failed write ends a run with an error.
  [[maybe_unused]] std::FILE* out = std::freopen("NUL", "w", stdout);
  [[maybe_unused]] std::FILE* err = std::freopen("NUL", "w", stderr);
  return true;
}

void AlertBox(const std::string& title, const std::string& text) {
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(title).c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

#else

std::string ExecutableDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

bool ReleaseOwnConsole() {
  return false;
}

void AlertBox(const std::string&, const std::string&) {}

#endif

}  // namespace vx
