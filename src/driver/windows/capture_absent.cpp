// The capture of the Windows build, for now: it runs ffmpeg as a child
// process fed through a pipe, and the process handling (fork, exec, wait,
// signals) is POSIX-only, so the option is refused with a one-line reason.
#include <cstdio>

#include "driver/driver.h"

namespace vx {

int RunCapture(const DriverOptions&, const LibrarySearch&) {
  std::fprintf(stderr, "vx1: capturing (--capture, --frames) is not in this build\n");
  return 1;
}

}  // namespace vx
