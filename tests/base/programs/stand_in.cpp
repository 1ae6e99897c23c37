// A stand-in for a program fed through a pipe, such as the capture's
// encoder: reads its standard input to the end and writes the bytes to the
// file named by its last argument ("file:" before it is dropped, as ffmpeg
// drops it), its other arguments one a line to that name with ".args"
// added, then exits.
//
//   stand_in [--exit CODE] [--delay MS] ARG... OUTPUT
//
// --exit and --delay (also VX_STAND_IN_EXIT and VX_STAND_IN_DELAY_MS in the
// environment, for runs whose arguments are not ours) choose the exit code
// and a pause between the end of the input and the writing.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/system.h"

namespace {

int Setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::atoi(value) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  int exitCode = Setting("VX_STAND_IN_EXIT", 0);
  int delayMs = Setting("VX_STAND_IN_DELAY_MS", 0);
  while (args.size() >= 3 && (args[0] == "--exit" || args[0] == "--delay")) {
    (args[0] == "--exit" ? exitCode : delayMs) = std::atoi(args[1].c_str());
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty()) {
    std::fprintf(stderr, "stand_in: no output file named\n");
    return 2;
  }
  std::FILE* in = vx::BinaryStandardInput();
  std::string bytes;
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
  std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
  // As ffmpeg reads its output name: "file:" before a path names the file.
  std::string output = args.back();
  if (output.rfind("file:", 0) == 0) output.erase(0, 5);
  std::ofstream(output, std::ios::binary) << bytes;
  std::ofstream list(output + ".args", std::ios::binary);
  for (std::size_t i = 0; i + 1 < args.size(); ++i) list << args[i] << '\n';
  return exitCode;
}
