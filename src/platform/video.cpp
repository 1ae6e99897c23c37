// The video output's dispatch: the chosen backend's table, the frame
// buffer, the quit flag and the count of presented frames, plus the
// backend-neutral letterboxed copy.
#include "platform/video.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

#include "platform/video_backends.h"

namespace vx {
namespace {

constexpr std::uint32_t RowBytes = SurfaceWidth * PixelBytes;

VideoOptions configured;
const VideoRoutines* configuredRoutines = &HeadlessVideo;
// The table StartVideo last started; it reports boxes until the next start.
const VideoRoutines* backend = &HeadlessVideo;
bool running = false;
bool quitSeen = false;
std::uint32_t* frameBuffer = nullptr;
std::uint64_t presentedFrames = 0;

// The viewer's inputs not yet taken; a burst beyond the bound (a key held
// while nothing pumps) keeps its oldest ones.
constexpr std::size_t InputQueueBound = 64;
std::deque<ViewerInput> inputs;
std::array<std::uint32_t, SurfaceWidth * LetterboxRows> statusStrip{};
bool statusShown = false;

// A backend this build lacks (the SDL2 window in the browser, the page
// natively): it refuses to start and says so, as a missing display does, so
// the program ends cleanly instead of drawing nowhere.
int RefuseStart(const VideoOptions& options) {
  ShowErrorBox("Ventrix Video System", options.backend == VideoBackend::Web
                                           ? "this build has no browser page"
                                           : "this build has no SDL2 window");
  return static_cast<int>(VideoGenericFailure);
}

int PresentNowhere(const std::uint32_t*) {
  return static_cast<int>(VideoGenericFailure);
}

bool NoEvents() {
  return false;
}

void NothingToStop() {}

[[maybe_unused]] const VideoRoutines AbsentVideo{RefuseStart,   PresentNowhere, NoEvents,
                                                 NothingToStop, nullptr,        nullptr};

// The backends each build has: the browser's page, or the SDL2 window.
#ifdef __EMSCRIPTEN__
const VideoRoutines& SdlRoutines = AbsentVideo;
const VideoRoutines& WebRoutines = WebVideo;
#else
const VideoRoutines& SdlRoutines = SdlVideo;
const VideoRoutines& WebRoutines = AbsentVideo;
#endif

}  // namespace

// The one place a backend is chosen; a running backend keeps its table
// until StopVideo.
void ConfigureVideo(const VideoOptions& options) {
  switch (options.backend) {
    case VideoBackend::Sdl:
      ConfigureVideo(options, SdlRoutines);
      return;
    case VideoBackend::Web:
      ConfigureVideo(options, WebRoutines);
      return;
    case VideoBackend::Headless:
      break;
  }
  ConfigureVideo(options, HeadlessVideo);
}

void ConfigureVideo(const VideoOptions& options, const VideoRoutines& routines) {
  configured = options;
  configuredRoutines = &routines;
}

int StartVideo() {
  if (running) return static_cast<int>(VideoGenericFailure);
  quitSeen = false;
  presentedFrames = 0;
  inputs.clear();
  statusShown = false;
  backend = configuredRoutines;
  const int code = backend->start(configured);
  if (code != 0) return code;

  // Contents are undefined until the first frame is drawn; zero keeps runs
  // reproducible.
  frameBuffer = static_cast<std::uint32_t*>(std::calloc(FrameBufferBytes, 1));
  if (frameBuffer == nullptr) {
    ShowErrorBox("Ventrix Video System", std::string("Frame buffer FAILED: ") +
                                             std::string(DirectDrawErrorText(VideoOutOfMemory)));
    backend->stop();
    return static_cast<int>(VideoOutOfMemory);
  }
  running = true;
  return 0;
}

int PresentFrame() {
  if (!running) return static_cast<int>(VideoGenericFailure);
  const int code = backend->present(frameBuffer);
  if (code == 0) ++presentedFrames;
  return code;
}

int StopVideo() {
  if (!running) return 0;
  std::free(frameBuffer);
  frameBuffer = nullptr;
  backend->stop();
  running = false;
  return 0;
}

std::uint32_t* FrameBuffer() {
  return frameBuffer;
}

bool PumpMessages() {
  if (running && !quitSeen && backend->pump()) quitSeen = true;
  return quitSeen;
}

void QueueViewerInput(const ViewerInput& input) {
  if (inputs.size() < InputQueueBound) inputs.push_back(input);
}

bool TakeViewerInput(ViewerInput& input) {
  if (inputs.empty()) return false;
  input = inputs.front();
  inputs.pop_front();
  return true;
}

void SetStatusStrip(const std::uint32_t* strip) {
  statusShown = strip != nullptr;
  if (statusShown) std::memcpy(statusStrip.data(), strip, sizeof statusStrip);
}

void PostQuit() {
  quitSeen = true;
}

std::uint64_t PresentedFrameCount() {
  return presentedFrames;
}

const std::uint8_t* PresentedSurface() {
  if (!running || backend->surface == nullptr) return nullptr;
  return backend->surface();
}

void CopyFrameToSurface(const std::uint32_t* source, std::uint8_t* surface, std::uint32_t pitch) {
  std::uint8_t* row = surface;
  for (std::uint32_t y = 0; y < LetterboxRows; ++y, row += pitch) std::memset(row, 0, RowBytes);
  const auto* image = reinterpret_cast<const std::uint8_t*>(source);
  for (std::uint32_t y = 0; y < SurfaceHeight - 2 * LetterboxRows; ++y, row += pitch) {
    std::memcpy(row, image + std::size_t{y} * RowBytes, RowBytes);
  }
  const auto* strip = reinterpret_cast<const std::uint8_t*>(statusStrip.data());
  for (std::uint32_t y = 0; y < LetterboxRows; ++y, row += pitch) {
    if (statusShown) {
      std::memcpy(row, strip + std::size_t{y} * RowBytes, RowBytes);
    } else {
      std::memset(row, 0, RowBytes);
    }
  }
}

void ShowErrorBox(std::string_view caption, std::string_view text) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
  if (backend->showBox != nullptr) backend->showBox(caption, text);
}

}  // namespace vx
