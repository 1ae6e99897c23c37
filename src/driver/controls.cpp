// The viewer's controls: the clock arithmetic of each input, the music calls
// that carry it out, and the status line in the letterbox below the image.
#include "driver/controls.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/console.h"
#include "base/label_font.h"
#include "base/system.h"
#include "driver/driver_io.h"
#include "driver/timeline.h"
#include "platform/music.h"
#include "platform/picture.h"
#include "views/views.h"

namespace vx {
namespace {

constexpr long double FrameStepTicks = TicksPerSecond / 60.0L;  // exactly 2
constexpr std::uint32_t StatusColour = 0x00C8C8C8;
constexpr int FontRows = 7;
constexpr int StatusTextLeft = 4;
// How long the status strip says where a screenshot went.
constexpr std::uint32_t NoticeMilliseconds = 4000;
// Names tried for a screenshot before giving up (a folder full of them).
constexpr int MaxScreenshotNames = 1000;

void (*gReport)(float ticks) = nullptr;
void (*gStatusReport)(const char* line) = nullptr;

float ClampToShow(long double ticks) {
  return static_cast<float>(std::clamp(ticks, 0.0L, TimelineEnd));
}

// "WORD T" with t in ticks as a single is read back exactly, for --trace.
std::string TickLine(std::string_view word, float t) {
  std::array<char, 48> text{};
  std::snprintf(text.data(), text.size(), " %.9g", static_cast<double>(t));
  return std::string(word) + text.data();
}

// Hundredths of a second first, so that whole hundredths of ticks stay
// exact; a moment before the start counts as 0.
long long Centiseconds(float t) {
  return static_cast<long long>(std::max(0.0L, static_cast<long double>(t)) * 100.0L /
                                TicksPerSecond);
}

float SlotJump(float now, int step) {
  const int count = TimelineSlotCount();
  int index = TimelineSlotIndexAt(now);
  if (index < 0) index = count;  // after the last slot's end
  const int target = index + step;
  if (target >= count) return static_cast<float>(TimelineEnd);
  return TimelineSlotStart(std::max(target, 0));
}

// One line in the strip's middle rows, or two (second not null) in its
// upper and lower halves, at the strip's scale.
void DrawStrip(std::vector<std::uint32_t>& strip, const SurfaceLayout& layout, const char* first,
               const char* second) {
  std::fill(strip.begin(), strip.end(), 0u);
  const int rows = static_cast<int>(layout.stripRows);
  const int width = static_cast<int>(layout.width);
  const int text = FontRows * layout.textScale;
  const int left = StatusTextLeft * layout.textScale;
  if (second == nullptr) {
    DrawLabel(strip.data(), width, rows, left, (rows - text) / 2, first, StatusColour,
              layout.textScale);
    return;
  }
  const int gap = (rows - 2 * text) / 3;
  DrawLabel(strip.data(), width, rows, left, gap, first, StatusColour, layout.textScale);
  DrawLabel(strip.data(), width, rows, left, rows - gap - text, second, StatusColour,
            layout.textScale);
}

}  // namespace

float ViewerTarget(const ViewerInput& input, float now) {
  const long double t = now;
  switch (input.action) {
    case ViewerAction::SeekBy:
      return ClampToShow(t + static_cast<long double>(input.seconds) * TicksPerSecond);
    case ViewerAction::SeekTo:
      return ClampToShow(static_cast<long double>(input.seconds) * TicksPerSecond);
    case ViewerAction::PreviousSlot:
      return SlotJump(now, -1);
    case ViewerAction::NextSlot:
      return SlotJump(now, 1);
    case ViewerAction::ToStart:
      return 0.0f;
    case ViewerAction::StepBack:
      return ClampToShow(t - FrameStepTicks);
    case ViewerAction::StepForward:
      return ClampToShow(t + FrameStepTicks);
    case ViewerAction::PlayPause:
    case ViewerAction::Pause:
    case ViewerAction::Play:
    case ViewerAction::ToggleStatus:
    case ViewerAction::ToggleResolution:
    case ViewerAction::Screenshot:
    case ViewerAction::NextView:
      break;
  }
  return now;
}

StatusLine StatusLineText(float t, const FrameSize& size, bool paused, double framesPerSecond,
                          double drawMilliseconds) {
  const long long centiseconds = Centiseconds(t);
  StatusLine line{};
  const int written =
      std::snprintf(line.data(), line.size(), "%02lld:%02lld.%02lld  SLOT ", centiseconds / 6000,
                    centiseconds / 100 % 60, centiseconds % 100);
  const std::size_t at = static_cast<std::size_t>(std::max(written, 0));
  std::array<char, 48> slot{};
  const int index = TimelineSlotIndexAt(t);
  if (index >= 0) {
    std::snprintf(slot.data(), slot.size(), "%d/%d %s", index + 1, TimelineSlotCount(),
                  TimelineSlotAt(index).module->name);
  } else {
    slot[0] = '-';
  }
  std::array<char, 24> fps{};
  if (framesPerSecond > 0.0) {
    std::snprintf(fps.data(), fps.size(), "%.0f", framesPerSecond);
  } else {
    fps[0] = '-';
  }
  std::snprintf(line.data() + at, line.size() - at, "%s  %dx%d  %s FPS  %.1f MS%s", slot.data(),
                size.width, size.height, fps.data(), drawMilliseconds, paused ? "  PAUSED" : "");
  return line;
}

std::string FiguresText::Joined() const {
  return counts + "\n" + fills + "\n" + stages;
}

FiguresText FiguresStatusText(const PipelineFigures& figures) {
  const auto line = [](const char* format, auto... values) {
    std::array<char, 96> text{};
    std::snprintf(text.data(), text.size(), format, values...);
    return std::string(text.data());
  };
  // Each line fits the narrowest strip's 52 characters at the show's
  // counts (scenes of up to 9999 faces); the milliseconds in hundredths
  // (tenths from 10 on), without the leading 0 below 1.
  const auto ms = [&](FrameStage stage) {
    const double value = figures.milliseconds[static_cast<std::size_t>(stage)];
    const std::string text = line(value < 10.0 ? "%.2f" : "%.1f", value);
    return text.starts_with("0.") ? text.substr(1) : text;
  };
  return {
      .counts = line("OBJ %u CULL %u POLY %u BACK %u CLIP %u +V %u", figures.objectsDrawn,
                     figures.objectsCulled, figures.polygonsDrawn, figures.polygonsBackFacing,
                     figures.polygonsClipped, figures.clipVertices),
      .fills = line("FILLED %llu PX  OVERDRAW %.2f",
                    static_cast<unsigned long long>(figures.pixelsFilled), figures.MeanOverdraw()),
      .stages = "TRK " + ms(FrameStage::Tracks) + " HIE " + ms(FrameStage::Hierarchy) + " CUL " +
                ms(FrameStage::CullTransform) + " CLP " + ms(FrameStage::ClipProject) + " FIL " +
                ms(FrameStage::Fills) + " 2D " + ms(FrameStage::Finish) + " MS",
  };
}

std::string ScreenshotFileName(float t, int k) {
  const long long centiseconds = Centiseconds(t);
  std::array<char, 64> name{};
  std::snprintf(name.data(), name.size(), "vx1-%02lldm%02lld.%02llds", centiseconds / 6000,
                centiseconds / 100 % 60, centiseconds % 100);
  std::string text = name.data();
  if (k > 1) text += "-" + std::to_string(k);
  return text + ".png";
}

void ViewerControls::Apply(const ViewerInput& input) {
  const bool paused = MusicPaused();
  switch (input.action) {
    case ViewerAction::PlayPause:
      SetPaused(!paused);
      return;
    case ViewerAction::Pause:
    case ViewerAction::Play:
      SetPaused(input.action == ViewerAction::Pause);
      return;
    case ViewerAction::ToggleStatus:
      statusShown_ = !statusShown_;
      // The figures are counted while their line shows, and only then.
      CountPipelineFigures(statusShown_);
      if (!statusShown_) {
        SetStatusStrip(nullptr);
        SetTopStrip(nullptr);
        if (gStatusReport != nullptr) gStatusReport("");
      }
      TraceStep(statusShown_ ? "Status on" : "Status off");
      return;
    case ViewerAction::ToggleResolution:
      SwitchResolution();
      return;
    case ViewerAction::Screenshot:
      TakeScreenshot();
      return;
    case ViewerAction::NextView:
      StepView();
      return;
    case ViewerAction::StepBack:
    case ViewerAction::StepForward:
      // Stepping is for a held frame; while playing the keys do nothing.
      if (!paused) return;
      break;
    default:
      break;
  }
  const float from = MusicTime();
  const float to = ViewerTarget(input, from);
  SeekMusic(to);
  TraceStep(TickLine("Seek", from) + TickLine("", to));
}

void ViewerControls::AllowResolutionSwitch(FrameTarget& target, const FrameSize& other) {
  target_ = &target;
  otherSize_ = other;
}

void ViewerControls::SwitchResolution() {
  if (target_ == nullptr || otherSize_ == target_->size) return;
  const FrameSize to = otherSize_;
  if (ResizeVideo(to) != 0) return;  // the reason was reported; the show goes on
  otherSize_ = target_->size;
  *target_ = {.pixels = FrameBuffer(), .size = to};
  TraceStep("Resolution " + std::to_string(to.width) + "x" + std::to_string(to.height));
}

// The frame buffer still holds the frame presented last: inputs are
// applied between a present and the next frame's drawing.
void ViewerControls::TakeScreenshot() {
  if (!drawnBefore_) return;  // nothing shown yet
  const std::string folder = PicturesFolder();
  std::string path;
  for (int k = 1; k <= MaxScreenshotNames && path.empty(); ++k) {
    const std::string name = ScreenshotFileName(shownT_, k);
    const std::string candidate = folder.empty() ? name : NameOf(PathOf(folder) / PathOf(name));
    if (!SomethingAt(candidate)) path = candidate;
  }
  const FrameSize size = VideoFrameSize();
  std::vector<std::uint32_t> packed(static_cast<std::size_t>(size.width) * size.height);
  for (std::int32_t y = 0; y < size.height; ++y)
    std::copy_n(FrameBuffer() + static_cast<std::size_t>(y) * size.pitch, size.width,
                packed.begin() + static_cast<std::ptrdiff_t>(y) * size.width);
  // WritePng says why on standard error when it fails.
  const bool written = !path.empty() && WritePng(path.c_str(), packed.data(),
                                                 static_cast<std::uint32_t>(size.width),
                                                 static_cast<std::uint32_t>(size.height));
  if (path.empty())
    std::fprintf(stderr, "vx1: no free name for a screenshot in %s\n",
                 folder.empty() ? "the current folder" : folder.c_str());
  if (written) ConsoleWriteLine("vx1: screenshot " + path);
  TraceStep("Screenshot " + (written ? path : std::string("failed")));
  const std::filesystem::path shown = PathOf(path);
  notice_ = written ? "SCREENSHOT " + NameOf(shown.parent_path().filename() / shown.filename())
                    : "SCREENSHOT FAILED";
  noticeUntil_ = CurrentDriverIo().milliseconds() + NoticeMilliseconds;
}

// The next frame is drawn in the next view, paused or not: a view is a
// function of the moment, so a held frame shows it at once. The status
// strip names it for a while; while the line is on it says it throughout.
void ViewerControls::StepView() {
  const PipelineView view = NextPipelineView(PipelineViewInUse());
  UsePipelineView(view);
  const std::string_view name = PipelineViewOf(view).name;
  TraceStep("View " + std::string(name));
  notice_ = "VIEW " + std::string(name);
  noticeUntil_ = CurrentDriverIo().milliseconds() + NoticeMilliseconds;
}

std::string ViewStatusText(PipelineView view, const WireNotes& notes) {
  if (view == PipelineView::Frame) return {};
  std::string text = "  VIEW " + std::string(PipelineViewOf(view).name);
  if (view == PipelineView::Wire) {
    text += "  CLIPPED " + std::to_string(notes.clipVertices) + "  CULLED ";
    text += notes.culled.empty() ? "-" : notes.culled;
  }
  return text;
}

void ViewerControls::SetPaused(bool pause) {
  if (pause == MusicPaused()) return;
  if (pause) {
    PauseMusic();
  } else {
    ResumeMusic();
  }
  TraceStep(TickLine(pause ? "Pause" : "Resume", MusicTime()));
}

void ViewerControls::ApplyWaiting() {
  ViewerInput input;
  while (TakeViewerInput(input)) Apply(input);
}

void ReportMomentsTo(void (*report)(float ticks)) {
  gReport = report;
}

void ReportStatusTo(void (*report)(const char* line)) {
  gStatusReport = report;
}

void ViewerControls::RecentMean::Add(std::uint32_t value) {
  if (count == TimedFrames) sum -= values[static_cast<std::size_t>(next)];
  values[static_cast<std::size_t>(next)] = value;
  sum += value;
  next = (next + 1) % TimedFrames;
  count = std::min(count + 1, TimedFrames);
}

double ViewerControls::RecentMean::Mean() const {
  return count == 0 ? 0.0 : static_cast<double>(sum) / count;
}

void ViewerControls::MomentGiven(float t) {
  given_ = CurrentDriverIo().milliseconds();
  if (gReport != nullptr) gReport(t);
}

// Differences of the counter are taken mod 2^32, so its wrap costs nothing.
void ViewerControls::FrameDrawn(float t) {
  const std::uint32_t now = CurrentDriverIo().milliseconds();
  drawMilliseconds_.Add(now - given_);
  if (drawnBefore_) frameMilliseconds_.Add(now - lastDrawn_);
  lastDrawn_ = now;
  drawnBefore_ = true;
  shownT_ = t;
  // Differences mod 2^32 again: the notice ends when its time has passed.
  if (!notice_.empty() && static_cast<std::int32_t>(noticeUntil_ - now) <= 0) {
    notice_.clear();
    if (!statusShown_) {
      SetStatusStrip(nullptr);
      if (gStatusReport != nullptr) gStatusReport("");
    }
  }
  if (statusShown_ || !notice_.empty()) ShowStatus(t);
}

void ViewerControls::ShowStatus(float t) {
  const double interval = frameMilliseconds_.Mean();
  const double fps = interval > 0.0 ? 1000.0 / interval : 0.0;
  const FrameSize size = VideoFrameSize();
  const StatusLine status = StatusLineText(t, size, MusicPaused(), fps, drawMilliseconds_.Mean());
  std::string withView;
  const char* line = notice_.empty() ? status.data() : notice_.c_str();
  if (notice_.empty() && PipelineViewInUse() != PipelineView::Frame) {
    withView = status.data() + ViewStatusText(PipelineViewInUse(), LastWireNotes());
    line = withView.c_str();
  }
  // A 3D frame's figures: its counts below the status line, the fills and
  // the stages' times in the strip at the top (none for a picture frame).
  const PipelineFigures& figures = LastPipelineFigures();
  const bool withFigures = statusShown_ && figures.drawn3d;
  const FiguresText text = withFigures ? FiguresStatusText(figures) : FiguresText{};
  const SurfaceLayout layout = SurfaceLayoutOf(size);
  if (stripSize_ != size) {
    strip_.assign(std::size_t{layout.width} * layout.stripRows, 0u);
    topStrip_.assign(strip_.size(), 0u);
    stripSize_ = size;
  }
  if (withFigures) {
    DrawStrip(strip_, layout, line, text.counts.c_str());
    DrawStrip(topStrip_, layout, text.fills.c_str(), text.stages.c_str());
  } else {
    DrawStrip(strip_, layout, line, nullptr);
  }
  SetStatusStrip(strip_.data());
  SetTopStrip(withFigures ? topStrip_.data() : nullptr);
  if (gStatusReport == nullptr) return;
  gStatusReport(withFigures ? (std::string(line) + "\n" + text.Joined()).c_str() : line);
}

}  // namespace vx
