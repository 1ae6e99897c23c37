// The video output's dispatch: the chosen backend's table, the frame
// buffer and its size, the quit flag and the count of presented frames,
// plus the backend-neutral copy onto the surface.
#include "platform/video.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/video_backends.h"

namespace vx {
namespace {

// The status strip's text at the classic size is the label font's own; a
// larger frame scales it (and the strip's rows) by every 200 rows it has.
constexpr std::uint32_t ClassicStripRows = LetterboxRows;

VideoOptions configured;
const VideoRoutines* configuredRoutines = &HeadlessVideo;
// The table StartVideo last started; it reports boxes until the next start.
const VideoRoutines* backend = &HeadlessVideo;
bool running = false;
bool quitSeen = false;
std::uint32_t* frameBuffer = nullptr;
FrameSize frameSize = ClassicFrame;
std::uint64_t presentedFrames = 0;

// The viewer's inputs not yet taken; a burst beyond the bound (a key held
// while nothing pumps) keeps its oldest ones.
constexpr std::size_t InputQueueBound = 64;
std::deque<ViewerInput> inputs;
// The strip's pixels for the current size (made at start and resize only).
std::vector<std::uint32_t> statusStrip;
bool statusShown = false;
std::vector<std::uint32_t> topStrip;  // the status line's figures
bool topShown = false;

// A backend this build lacks (the SDL2 window in the browser, the page
// natively): it refuses to start and says so, as a missing display does, so
// the program ends cleanly instead of drawing nowhere.
int RefuseStart(const VideoOptions& options, const FrameSize&) {
  ShowErrorBox("Ventrix Video System", options.backend == VideoBackend::Web
                                           ? "this build has no browser page"
                                           : "this build has no SDL2 window");
  return static_cast<int>(VideoGenericFailure);
}

int PresentNowhere(const std::uint32_t*, const FrameSize&) {
  return static_cast<int>(VideoGenericFailure);
}

bool NoEvents() {
  return false;
}

void NothingToStop() {}

[[maybe_unused]] const VideoRoutines AbsentVideo{.start = RefuseStart,
                                                 .present = PresentNowhere,
                                                 .pump = NoEvents,
                                                 .stop = NothingToStop,
                                                 .surface = nullptr,
                                                 .showBox = nullptr,
                                                 .ask = nullptr,
                                                 .resize = nullptr,
                                                 .nativeSize = nullptr};

// The backends each build has: the browser's page, or the SDL2 window.
#ifdef __EMSCRIPTEN__
const VideoRoutines& SdlRoutines = AbsentVideo;
const VideoRoutines& WebRoutines = WebVideo;
#else
const VideoRoutines& SdlRoutines = SdlVideo;
const VideoRoutines& WebRoutines = AbsentVideo;
#endif

// The frame buffer of a size: the classic block keeps its 307200 bytes; any
// other holds the frame's words. Zeroed: contents are undefined until the
// first frame is drawn, and zero keeps runs reproducible.
std::uint32_t* NewFrameBuffer(const FrameSize& size) {
  const std::size_t bytes =
      size == ClassicFrame ? std::size_t{FrameBufferBytes} : FrameWords(size) * PixelBytes;
  return static_cast<std::uint32_t*>(std::calloc(bytes, 1));
}

void ReportNoFrameBuffer() {
  ShowErrorBox("Ventrix Video System", std::string("Frame buffer FAILED: ") +
                                           std::string(DirectDrawErrorText(VideoOutOfMemory)));
}

void SizeStatusStrip(const FrameSize& size) {
  const SurfaceLayout layout = SurfaceLayoutOf(size);
  statusStrip.assign(std::size_t{layout.width} * layout.stripRows, 0u);
  statusShown = false;
  topStrip.assign(statusStrip.size(), 0u);
  topShown = false;
}

}  // namespace

SurfaceLayout SurfaceLayoutOf(const FrameSize& size) {
  if (size == ClassicFrame) {
    return {.width = SurfaceWidth,
            .height = SurfaceHeight,
            .imageTop = LetterboxRows,
            .stripTop = SurfaceHeight - LetterboxRows,
            .stripRows = ClassicStripRows,
            .textScale = 1};
  }
  const std::int32_t scale = std::max(1, size.height / ScreenHeight);
  const auto width = static_cast<std::uint32_t>(size.width);
  const auto height = static_cast<std::uint32_t>(size.height);
  const std::uint32_t rows = std::min(height, ClassicStripRows * static_cast<std::uint32_t>(scale));
  return {.width = width,
          .height = height,
          .imageTop = 0,
          .stripTop = height - rows,
          .stripRows = rows,
          .textScale = scale};
}

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

FrameSize NativeFrameSize() {
  if (configuredRoutines->nativeSize == nullptr) return ClassicFrame;
  return configuredRoutines->nativeSize(configured);
}

int StartVideo(const FrameSize& size) {
  if (running) return static_cast<int>(VideoGenericFailure);
  assert(DrawableFrameSize(size));
  quitSeen = false;
  presentedFrames = 0;
  inputs.clear();
  backend = configuredRoutines;
  const int code = backend->start(configured, size);
  if (code != 0) return code;

  frameBuffer = NewFrameBuffer(size);
  if (frameBuffer == nullptr) {
    ReportNoFrameBuffer();
    backend->stop();
    return static_cast<int>(VideoOutOfMemory);
  }
  frameSize = size;
  SizeStatusStrip(size);
  running = true;
  return 0;
}

int ResizeVideo(const FrameSize& size) {
  if (!running) return static_cast<int>(VideoGenericFailure);
  assert(DrawableFrameSize(size));
  if (size == frameSize) return 0;
  std::uint32_t* resized = NewFrameBuffer(size);
  if (resized == nullptr) {
    ReportNoFrameBuffer();
    return static_cast<int>(VideoOutOfMemory);
  }
  if (backend->resize != nullptr) {
    if (const int code = backend->resize(size); code != 0) {
      std::free(resized);
      return code;
    }
  }
  std::free(frameBuffer);
  frameBuffer = resized;
  frameSize = size;
  SizeStatusStrip(size);
  return 0;
}

FrameSize VideoFrameSize() {
  return running ? frameSize : ClassicFrame;
}

int PresentFrame() {
  if (!running) return static_cast<int>(VideoGenericFailure);
  const int code = backend->present(frameBuffer, frameSize);
  if (code == 0) ++presentedFrames;
  return code;
}

int StopVideo() {
  if (!running) return 0;
  std::free(frameBuffer);
  frameBuffer = nullptr;
  frameSize = ClassicFrame;
  statusShown = false;
  topShown = false;
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
  statusShown = strip != nullptr && !statusStrip.empty();
  if (statusShown) std::copy_n(strip, statusStrip.size(), statusStrip.begin());
}

void SetTopStrip(const std::uint32_t* strip) {
  topShown = strip != nullptr && !topStrip.empty();
  if (topShown) std::copy_n(strip, topStrip.size(), topStrip.begin());
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

bool StatusStripShown() {
  return statusShown;
}

std::uint32_t RowsShown(const SurfaceLayout& layout, int outWidth, int outHeight,
                        bool statusShown) {
  const std::uint32_t imageRows = layout.height - 2 * layout.imageTop;
  if (statusShown || imageRows == layout.height || outWidth <= 0 || outHeight <= 0)
    return layout.height;
  const auto scale = [&](std::uint32_t rows) {
    return std::min(static_cast<std::uint32_t>(outWidth) / layout.width,
                    static_cast<std::uint32_t>(outHeight) / rows);
  };
  return scale(imageRows) > scale(layout.height) ? imageRows : layout.height;
}

void CopyFrameToSurface(const std::uint32_t* source, const FrameSize& size, std::uint8_t* surface,
                        std::uint32_t pitch) {
  const SurfaceLayout layout = SurfaceLayoutOf(size);
  const std::uint32_t rowBytes = layout.width * PixelBytes;
  const std::uint32_t imageEnd = layout.imageTop + static_cast<std::uint32_t>(size.height);
  // The strip is shown only when it was made for this size (a strip set
  // before a resize is hidden by it).
  const bool strip =
      statusShown && statusStrip.size() == std::size_t{layout.width} * layout.stripRows;
  const auto* image = reinterpret_cast<const std::uint8_t*>(source);
  const auto* stripBytes = reinterpret_cast<const std::uint8_t*>(statusStrip.data());
  // The figures' strip goes with the status line, in rows the status line
  // never takes (a frame at least two strips high).
  const bool top = strip && topShown && topStrip.size() == statusStrip.size() &&
                   2 * layout.stripRows <= layout.height;
  const auto* topBytes = reinterpret_cast<const std::uint8_t*>(topStrip.data());
  std::uint8_t* row = surface;
  for (std::uint32_t y = 0; y < layout.height; ++y, row += pitch) {
    if (strip && y >= layout.stripTop) {
      std::memcpy(row, stripBytes + std::size_t{y - layout.stripTop} * rowBytes, rowBytes);
    } else if (top && y < layout.stripRows) {
      std::memcpy(row, topBytes + std::size_t{y} * rowBytes, rowBytes);
    } else if (y >= layout.imageTop && y < imageEnd) {
      const std::size_t from =
          std::size_t{y - layout.imageTop} * static_cast<std::size_t>(size.pitch);
      std::memcpy(row, image + from * PixelBytes, rowBytes);
    } else {
      std::memset(row, 0, rowBytes);
    }
  }
}

void ShowErrorBox(std::string_view caption, std::string_view text) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
  if (backend->showBox != nullptr) backend->showBox(caption, text);
}

int AskInBox(std::string_view caption, std::string_view text,
             std::span<const std::string_view> buttons) {
  // Asked before the video starts: of the output configured.
  if (configuredRoutines->ask == nullptr || buttons.empty()) return NoBoxShown;
  return configuredRoutines->ask(caption, text, buttons);
}

}  // namespace vx
