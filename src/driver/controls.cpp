// The viewer's controls: the clock arithmetic of each input, the music calls
// that carry it out, and the status line in the letterbox below the image.
#include "driver/controls.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>

#include "driver/driver_io.h"
#include "driver/frames.h"
#include "driver/timeline.h"
#include "platform/music.h"

namespace vx {
namespace {

constexpr long double FrameStepTicks = TicksPerSecond / 60.0L;  // exactly 2
constexpr std::uint32_t StatusColour = 0x00C8C8C8;
constexpr int FontRows = 7;
constexpr int StatusTextLeft = 4;

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

float SlotJump(float now, int step) {
  const int count = TimelineSlotCount();
  int index = TimelineSlotIndexAt(now);
  if (index < 0) index = count;  // after the last slot's end
  const int target = index + step;
  if (target >= count) return static_cast<float>(TimelineEnd);
  return TimelineSlotStart(std::max(target, 0));
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
      break;
  }
  return now;
}

StatusLine StatusLineText(float t, const FrameSize& size, bool paused, double framesPerSecond,
                          double drawMilliseconds) {
  // Hundredths first, so that whole hundredths of ticks stay exact.
  const auto centiseconds = static_cast<long long>(
      std::max(0.0L, static_cast<long double>(t)) * 100.0L / TicksPerSecond);
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
      if (!statusShown_) {
        SetStatusStrip(nullptr);
        if (gStatusReport != nullptr) gStatusReport("");
      }
      TraceStep(statusShown_ ? "Status on" : "Status off");
      return;
    case ViewerAction::ToggleResolution:
      SwitchResolution();
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
  if (statusShown_) ShowStatus(t);
}

void ViewerControls::ShowStatus(float t) {
  const double interval = frameMilliseconds_.Mean();
  const double fps = interval > 0.0 ? 1000.0 / interval : 0.0;
  const FrameSize size = VideoFrameSize();
  const StatusLine line = StatusLineText(t, size, MusicPaused(), fps, drawMilliseconds_.Mean());
  const SurfaceLayout layout = SurfaceLayoutOf(size);
  if (stripSize_ != size) {
    strip_.assign(std::size_t{layout.width} * layout.stripRows, 0u);
    stripSize_ = size;
  }
  std::fill(strip_.begin(), strip_.end(), 0u);
  // The text in the strip's middle rows, at the strip's scale.
  const int rows = static_cast<int>(layout.stripRows);
  DrawLabel(strip_.data(), static_cast<int>(layout.width), rows, StatusTextLeft * layout.textScale,
            (rows - FontRows * layout.textScale) / 2, line.data(), StatusColour, layout.textScale);
  SetStatusStrip(strip_.data());
  if (gStatusReport != nullptr) gStatusReport(line.data());
}

}  // namespace vx
