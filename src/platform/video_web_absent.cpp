// The native build has no page to draw on, but the video dispatch still
// names the browser's table. Here it is a backend that never starts:
// asking for it reports that in one line and fails, so the program ends
// cleanly instead of drawing nowhere.
#include <cstdint>

#include "platform/video_backends.h"

namespace vx {
namespace {

int RefuseStart(const VideoOptions&) {
  ShowErrorBox("Ventrix Video System", "this build has no browser page");
  return static_cast<int>(VideoGenericFailure);
}

int PresentNowhere(const std::uint32_t*) {
  return static_cast<int>(VideoGenericFailure);
}

bool NoEvents() {
  return false;
}

void NothingToStop() {}

}  // namespace

const VideoRoutines WebVideo{RefuseStart,   PresentNowhere, NoEvents,
                             NothingToStop, nullptr,        nullptr};

}  // namespace vx
