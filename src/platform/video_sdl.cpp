// SDL2 video: the surface (320 x 240 for the classic frame, the frame
// itself at other sizes; SurfaceLayoutOf) is a streaming texture, shown
// aspect-correct and sharp (nearest-neighbour, largest integer scale that
// fits, black bars) in a desktop full-screen window or in a window of
// scale x the surface. A surface larger than the output (a 4K frame on a
// smaller screen) is scaled down smoothly to fit instead. Set-up steps keep
// the names of the display layer's original steps in their failure reports
// ("SetDisplayMode FAILED: Generic failure.", SDL's reason on the next line
// of standard error):
//   window                      -> no box, a line on standard error
//   renderer                    -> "DirectDrawCreateEx FAILED"
//   switch to full screen       -> "SetCooperativeLevel FAILED"
//   the surface's logical size  -> "SetDisplayMode FAILED"
//   streaming texture           -> "CreateSurface FAILED"
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/video_backends.h"

namespace vx::sdl_video {
namespace {

constexpr const char* WindowTitle = "VVS window";
constexpr const char* BoxCaption = "Ventrix Video System";
constexpr int MaxWindowScale = 16;

// The window scale asked for: 0 (none) is the largest that fits.
int AskedScale(int scale) {
  return scale > 0 ? std::min(scale, MaxWindowScale) : MaxWindowScale;
}

int SetLogicalSize(SDL_Renderer* renderer, int width, int height) {
  if (SDL_RenderSetLogicalSize(renderer, width, height) != 0) return -1;
  return SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
}

SDL_Window* window = nullptr;
SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
bool videoInitialised = false;
bool exitHookInstalled = false;
VideoOptions started{};  // the options of the running output
// The surface rows the logical size holds now (RowsShown).
std::uint32_t logicalRows = 0;

void ReleaseObjects() {
  if (texture != nullptr) SDL_DestroyTexture(texture);
  texture = nullptr;
  if (renderer != nullptr) SDL_DestroyRenderer(renderer);
  renderer = nullptr;
}

void DestroyWindowAndQuit() {
  if (window != nullptr) SDL_DestroyWindow(window);
  window = nullptr;
  if (videoInitialised) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  videoInitialised = false;
}

// A process that ends without StopVideo (a fatal load error, a music
// failure) still hands the display back.
void ReleaseAtExit() {
  ReleaseObjects();
  DestroyWindowAndQuit();
}

// Reports a failed step after the window exists, as the display layer
// reports it: the step's text, ": " and the text of the code returned, in
// the box and on standard error; SDL's own reason follows on a second line
// of standard error. Everything made so far is released.
int ReportStepFailure(const char* step) {
  constexpr std::uint32_t code = VideoGenericFailure;
  const std::string reason = SDL_GetError();
  ReleaseObjects();
  ShowErrorBox(BoxCaption, std::string(step) + ": " + std::string(DirectDrawErrorText(code)));
  std::fprintf(stderr, "SDL: %s\n", reason.c_str());
  std::fflush(stderr);
  DestroyWindowAndQuit();
  return static_cast<int>(code);
}

}  // namespace

const SetupCalls RealSetupCalls{SDL_CreateRenderer, SDL_SetWindowFullscreen, SetLogicalSize,
                                SDL_CreateTexture};

namespace {

// The largest scale up to the asked one whose window, its frame included,
// fits the primary display's work area (the screen less the taskbar), so
// that a 720-pixel screen gets a window of 2 x rather than one taller than
// itself. The frame is known only once a window exists: a usual title bar
// and border are allowed for.
constexpr int WindowFrameWidth = 16, WindowFrameHeight = 48;

int FittingScale(int width, int height, int scale) {
  SDL_Rect area{};
  if (SDL_GetDisplayUsableBounds(0, &area) != 0) return scale;
  while (scale > 1 &&
         (width * scale + WindowFrameWidth > area.w || height * scale + WindowFrameHeight > area.h))
    --scale;
  return scale;
}

// The window's inner size for a surface: the classic surface at the asked
// scale that fits (the window the classic show gets, as it always had), when
// the surface fits in that; otherwise the surface itself, shrunk with its
// shape where the work area is smaller. So a native frame in a window
// (NativeSize) is shown 1:1 between the classic letterbox's bars, and the
// resolution key switches within the same window.
SDL_Point WindowSize(const SurfaceLayout& layout, int asked) {
  const int scale = FittingScale(static_cast<int>(SurfaceWidth), static_cast<int>(SurfaceHeight),
                                 AskedScale(asked));
  SDL_Point size{static_cast<int>(SurfaceWidth) * scale, static_cast<int>(SurfaceHeight) * scale};
  if (static_cast<int>(layout.width) <= size.x && static_cast<int>(layout.height) <= size.y)
    return size;
  size = {static_cast<int>(layout.width), static_cast<int>(layout.height)};
  SDL_Rect area{};
  if (SDL_GetDisplayUsableBounds(0, &area) != 0) return size;
  const double room = std::min(static_cast<double>(area.w - WindowFrameWidth) / size.x,
                               static_cast<double>(area.h - WindowFrameHeight) / size.y);
  if (room < 1.0 && room > 0.0) {
    size.x = std::max(1, static_cast<int>(size.x * room));
    size.y = std::max(1, static_cast<int>(size.y * room));
  }
  return size;
}

// Sharp whole-number scaling when the surface fits the output; otherwise a
// smooth reduction to fit (integer scaling would crop it).
void FitPicture(const SurfaceLayout& layout) {
  int width = 0, height = 0;
  const bool larger =
      SDL_GetRendererOutputSize(renderer, &width, &height) == 0 &&
      (static_cast<int>(layout.width) > width || static_cast<int>(layout.height) > height);
  SDL_RenderSetIntegerScale(renderer, larger ? SDL_FALSE : SDL_TRUE);
  SDL_SetTextureScaleMode(texture, larger ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
}

// Window step: SDL's video and the (hidden) window. Full screen: a
// borderless window over the whole primary screen, which then asks for
// desktop full screen (so it also covers the screen where no window manager
// acts on that request). Otherwise a centred window of scale x the surface.
// No message box on failure, as no display may be available to show it.
int OpenWindow(const VideoOptions& options, const SurfaceLayout& layout) {
  // On a scaled Windows desktop the window is sized in real pixels and the
  // picture scales itself by the logical size, instead of Windows stretching
  // a small window's bitmap (blurred); other systems ignore it.
  SDL_SetHint(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "CreateWindowEx FAILED: %s\n", SDL_GetError());
    std::fflush(stderr);
    return static_cast<int>(VideoGenericFailure);
  }
  videoInitialised = true;
  int x = SDL_WINDOWPOS_CENTERED;
  int y = SDL_WINDOWPOS_CENTERED;
  const SDL_Point inner = WindowSize(layout, options.scale);
  int width = inner.x;
  int height = inner.y;
  Uint32 flags = SDL_WINDOW_HIDDEN;
  SDL_DisplayMode desktop{};
  if (options.fullScreen && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    x = 0;
    y = 0;
    width = desktop.w;
    height = desktop.h;
    flags |= SDL_WINDOW_BORDERLESS;
  }
  window = SDL_CreateWindow(WindowTitle, x, y, width, height, flags);
  if (window == nullptr) {
    std::fprintf(stderr, "CreateWindowEx FAILED: %s\n", SDL_GetError());
    std::fflush(stderr);
    DestroyWindowAndQuit();
    return static_cast<int>(VideoGenericFailure);
  }
  return 0;
}

}  // namespace

int Start(const VideoOptions& options, const FrameSize& size, const SetupCalls& calls) {
  if (!exitHookInstalled) {
    std::atexit(ReleaseAtExit);
    exitHookInstalled = true;
  }
  const SurfaceLayout layout = SurfaceLayoutOf(size);
  started = options;
  if (const int failed = OpenWindow(options, layout); failed != 0) return failed;

  Uint32 rendererFlags = options.vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
  renderer = calls.createRenderer(window, -1, rendererFlags);
  if (renderer == nullptr) return ReportStepFailure("DirectDrawCreateEx FAILED");

  if (options.fullScreen) {
    SDL_ShowWindow(window);
    if (calls.setWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
      return ReportStepFailure("SetCooperativeLevel FAILED");
    }
  }

  if (calls.setLogicalSize(renderer, static_cast<int>(layout.width),
                           static_cast<int>(layout.height)) != 0) {
    return ReportStepFailure("SetDisplayMode FAILED");
  }

  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  texture = calls.createTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                static_cast<int>(layout.width), static_cast<int>(layout.height));
  if (texture == nullptr) return ReportStepFailure("CreateSurface FAILED");
  FitPicture(layout);
  logicalRows = layout.height;

  // The window stays hidden until its size is final (full screen shows it
  // just before switching), so nothing flashes up at a passing size.
  SDL_ShowWindow(window);
  SDL_RaiseWindow(window);
  SDL_ShowCursor(SDL_DISABLE);
  return 0;
}

namespace {

// The part of the surface shown: in full screen without the status line
// the letterbox may be left out (RowsShown), the logical size following the
// rows shown so that SDL still scales them by a whole number. A logical
// size that cannot be changed leaves the picture as it was.
SDL_Rect ShownPart(const SurfaceLayout& layout) {
  std::uint32_t rows = layout.height;
  int width = 0, height = 0;
  if (started.fullScreen && SDL_GetRendererOutputSize(renderer, &width, &height) == 0)
    rows = RowsShown(layout, width, height, StatusStripShown());
  if (rows != logicalRows && RealSetupCalls.setLogicalSize(renderer, static_cast<int>(layout.width),
                                                           static_cast<int>(rows)) == 0)
    logicalRows = rows;
  const auto top = static_cast<int>((layout.height - logicalRows) / 2);
  return {0, top, static_cast<int>(layout.width), static_cast<int>(logicalRows)};
}

int Present(const std::uint32_t* frameBuffer, const FrameSize& size) {
  void* pixels = nullptr;
  int pitch = 0;
  // A failed lock locked nothing: nothing to copy or unlock.
  if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) {
    return static_cast<int>(VideoGenericFailure);
  }
  if (pitch < static_cast<int>(SurfaceLayoutOf(size).width * PixelBytes)) {
    SDL_UnlockTexture(texture);
    return static_cast<int>(VideoGenericFailure);
  }
  CopyFrameToSurface(frameBuffer, size, static_cast<std::uint8_t*>(pixels),
                     static_cast<std::uint32_t>(pitch));
  SDL_UnlockTexture(texture);

  // Black bars around the integer-scaled surface.
  SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
  const SDL_Rect shown = ShownPart(SurfaceLayoutOf(size));
  if (SDL_RenderClear(renderer) != 0 || SDL_RenderCopy(renderer, texture, &shown, nullptr) != 0) {
    return static_cast<int>(VideoGenericFailure);
  }
  SDL_RenderPresent(renderer);
  return 0;
}

// A new texture and logical size for frames of another size; the window
// keeps its size. On failure the old texture and logical size stay.
int Resize(const FrameSize& size) {
  const SurfaceLayout layout = SurfaceLayoutOf(size);
  SDL_Texture* made =
      SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                        static_cast<int>(layout.width), static_cast<int>(layout.height));
  if (made == nullptr) {
    std::fprintf(stderr, "vx1: cannot show frames of %d x %d: %s\n", size.width, size.height,
                 SDL_GetError());
    std::fflush(stderr);
    return static_cast<int>(VideoGenericFailure);
  }
  if (RealSetupCalls.setLogicalSize(renderer, static_cast<int>(layout.width),
                                    static_cast<int>(layout.height)) != 0) {
    SDL_DestroyTexture(made);
    std::fprintf(stderr, "vx1: cannot show frames of %d x %d: %s\n", size.width, size.height,
                 SDL_GetError());
    std::fflush(stderr);
    return static_cast<int>(VideoGenericFailure);
  }
  SDL_DestroyTexture(texture);
  texture = made;
  // A window too small for the new frame grows to the window that frame
  // would have been given at the start (never shrinks: the way back to a
  // smaller frame keeps the window the viewer has).
  if (!started.fullScreen) {
    const SDL_Point wanted = WindowSize(layout, started.scale);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (wanted.x > width || wanted.y > height) {
      SDL_SetWindowSize(window, std::max(width, wanted.x), std::max(height, wanted.y));
      SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
  }
  FitPicture(layout);
  logicalRows = layout.height;
  return 0;
}

// The desktop's size in full screen; in a window the classic frame at the
// window scale that fits (the window the classic show would get, less its
// letterbox). Rounded down to even, within the drawable sizes.
FrameSize NativeSize(const VideoOptions& options) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return ClassicFrame;
  int width = ScreenWidth, height = ScreenHeight;
  SDL_DisplayMode desktop{};
  if (options.fullScreen && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
    width = desktop.w;
    height = desktop.h;
  } else {
    const int scale = FittingScale(static_cast<int>(SurfaceWidth), static_cast<int>(SurfaceHeight),
                                   AskedScale(options.scale));
    width *= scale;
    height *= scale;
  }
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  width = std::clamp(width, MinFrameWidth, MaxFrameWidth) & ~1;
  height = std::clamp(height, MinFrameHeight, MaxFrameHeight) & ~1;
  return PackedFrame(width, height);
}

// The viewer's keys; false for every other key.
bool ViewerKey(const SDL_Keysym& key, ViewerInput& input) {
  const double step = (key.mod & KMOD_SHIFT) != 0 ? 1.0 : 5.0;
  switch (key.sym) {
    case SDLK_SPACE:
    case SDLK_p:
      input = {.action = ViewerAction::PlayPause};
      return true;
    case SDLK_LEFT:
      input = {.action = ViewerAction::SeekBy, .seconds = -step};
      return true;
    case SDLK_RIGHT:
      input = {.action = ViewerAction::SeekBy, .seconds = step};
      return true;
    case SDLK_UP:
    case SDLK_PAGEUP:
      input = {.action = ViewerAction::PreviousSlot};
      return true;
    case SDLK_DOWN:
    case SDLK_PAGEDOWN:
      input = {.action = ViewerAction::NextSlot};
      return true;
    case SDLK_HOME:
      input = {.action = ViewerAction::ToStart};
      return true;
    case SDLK_COMMA:
      input = {.action = ViewerAction::StepBack};
      return true;
    case SDLK_PERIOD:
      input = {.action = ViewerAction::StepForward};
      return true;
    case SDLK_TAB:
      input = {.action = ViewerAction::ToggleStatus};
      return true;
    case SDLK_r:
      input = {.action = ViewerAction::ToggleResolution};
      return true;
    case SDLK_s:
      input = {.action = ViewerAction::Screenshot};
      return true;
    case SDLK_v:
      input = {.action = ViewerAction::NextView};
      return true;
    default:
      return false;
  }
}

bool Pump() {
  SDL_Event event;
  while (SDL_PollEvent(&event) != 0) {
    switch (event.type) {
      case SDL_QUIT:
        return true;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) return true;
        break;
      case SDL_KEYDOWN: {
        if (event.key.keysym.sym == SDLK_ESCAPE) return true;
        ViewerInput input;
        if (!ViewerKey(event.key.keysym, input)) break;
        // A held key repeats a seek or a step, never a toggle.
        const bool toggle =
            input.action == ViewerAction::PlayPause || input.action == ViewerAction::ToggleStatus ||
            input.action == ViewerAction::ToggleResolution ||
            input.action == ViewerAction::Screenshot || input.action == ViewerAction::NextView;
        if (event.key.repeat == 0 || !toggle) QueueViewerInput(input);
        break;
      }
      default:
        break;
    }
  }
  return false;
}

void Stop() {
  SDL_ShowCursor(SDL_ENABLE);
  ReleaseObjects();
  DestroyWindowAndQuit();
}

bool ShowBox(std::string_view caption, std::string_view text) {
  if (!videoInitialised) return false;
  std::string captionText(caption);
  std::string messageText(text);
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, captionText.c_str(), messageText.c_str(),
                                  window) == 0;
}

// Callable before SDL_Init: the box opens a display of its own.
int Ask(std::string_view caption, std::string_view text,
        std::span<const std::string_view> buttons) {
  const std::string captionText(caption);
  const std::string messageText(text);
  std::vector<std::string> labels(buttons.begin(), buttons.end());
  std::vector<SDL_MessageBoxButtonData> data;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    std::uint32_t flags = 0;
    if (i == 0) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (i + 1 == labels.size()) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    data.push_back({.flags = flags, .buttonid = static_cast<int>(i), .text = labels[i].c_str()});
  }
  const SDL_MessageBoxData box{.flags = SDL_MESSAGEBOX_INFORMATION,
                               .window = window,
                               .title = captionText.c_str(),
                               .message = messageText.c_str(),
                               .numbuttons = static_cast<int>(data.size()),
                               .buttons = data.data(),
                               .colorScheme = nullptr};
  int pressed = NoAnswer;
  if (SDL_ShowMessageBox(&box, &pressed) != 0) return NoBoxShown;
  return pressed >= 0 && pressed < static_cast<int>(data.size()) ? pressed : NoAnswer;
}

}  // namespace
}  // namespace vx::sdl_video

namespace vx {
const VideoRoutines SdlVideo{
    .start =
        [](const VideoOptions& options, const FrameSize& size) {
          return sdl_video::Start(options, size, sdl_video::RealSetupCalls);
        },
    .present = sdl_video::Present,
    .pump = sdl_video::Pump,
    .stop = sdl_video::Stop,
    .surface = nullptr,
    .showBox = sdl_video::ShowBox,
    .ask = sdl_video::Ask,
    .resize = sdl_video::Resize,
    .nativeSize = sdl_video::NativeSize,
};
}  // namespace vx
