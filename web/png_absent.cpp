// The browser build has no libpng and no files of the user's to write: the
// page takes its frames straight from memory. WritePng is still named by the
// headless runs the browser build shares (screenshots, the contact sheet),
// so here it refuses with a reason, as a failed write does natively.
#include <cstdio>

#include "platform/picture.h"

namespace vx {

bool WritePng(const char* path, const std::uint32_t*, std::uint32_t, std::uint32_t) {
  std::fprintf(stderr, "vx1: cannot write %s: this build writes no PNG files\n", path);
  return false;
}

}  // namespace vx
