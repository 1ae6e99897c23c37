// The browser build has no SDL2 audio or libmpg123, but the music dispatch
// still names the SDL table. Starting it fails as a missing sound device
// does; the other routines are never reached after that.
#include "platform/music_backends.h"

namespace vx {
namespace {

constexpr std::uint32_t NoCode = 0xFFFFFFFFu;

void RefuseStart(std::string_view, std::uint32_t, bool, bool) {
  ReportAudioError(NoCode, "Can't initialize device", "this build has no SDL2 audio");
}

void NoPlay(double, bool) {}

float NoTicks(double, std::uint32_t) {
  return 0.0f;
}

void Nothing() {}

}  // namespace

const MusicRoutines SdlMusic{RefuseStart, NoPlay, NoTicks, Nothing, Nothing};

}  // namespace vx
