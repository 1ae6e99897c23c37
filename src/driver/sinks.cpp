// The sinks of the frame loop that every build has: the window, PNG files
// and the contact sheet (the capture's are in capture_sinks.cpp).
#include "driver/sinks.h"

#include <algorithm>
#include <utility>

#include "base/pixels.h"
#include "driver/controls.h"
#include "driver/driver_io.h"
#include "driver/frames.h"
#include "platform/picture.h"
#include "platform/video.h"

namespace vx {
namespace {

constexpr int SheetColumns = 4;
constexpr int SheetGap = 4;
constexpr int LabelHeight = 12;
constexpr int CellHeight = LabelHeight + ScreenHeight;
constexpr std::uint32_t SheetBackground = 0x202020;

}  // namespace

FrameSink WindowSink(ViewerControls* controls) {
  return [controls](const FrameMoment& moment, const std::uint32_t*) {
    if (controls != nullptr) controls->FrameDrawn(moment.t);
    PresentFrame();  // a failed present is ignored
    return true;
  };
}

FrameSink PngFilesSink(std::vector<std::string> paths, bool& failed) {
  return
      [paths = std::move(paths), &failed](const FrameMoment& moment, const std::uint32_t* frame) {
        if (!WritePng(paths[moment.index].c_str(), frame, ScreenWidth, ScreenHeight)) failed = true;
        return true;
      };
}

ContactSheet::ContactSheet(int tiles)
    : width(SheetColumns * ScreenWidth + (SheetColumns + 1) * SheetGap),
      height(((tiles + SheetColumns - 1) / SheetColumns) * (CellHeight + SheetGap) + SheetGap),
      pixels(static_cast<std::size_t>(width) * height, SheetBackground) {}

FrameSink ContactSheetSink(ContactSheet& sheet,
                           std::function<std::string(const FrameMoment&)> label) {
  return [&sheet, label = std::move(label)](const FrameMoment& moment, const std::uint32_t* frame) {
    const int tile = static_cast<int>(moment.index);
    const int left = SheetGap + (tile % SheetColumns) * (ScreenWidth + SheetGap);
    const int top = SheetGap + (tile / SheetColumns) * (CellHeight + SheetGap);
    const auto row = [&](int y) {
      return sheet.pixels.data() + static_cast<std::size_t>(y) * sheet.width + left;
    };
    for (int y = 0; y < LabelHeight; ++y) std::fill_n(row(top + y), ScreenWidth, 0u);
    DrawLabel(sheet.pixels.data(), sheet.width, sheet.height, left + 3, top + 2, label(moment),
              0xFFFFFF);
    for (int y = 0; y < ScreenHeight; ++y)
      std::copy_n(frame + static_cast<std::size_t>(y) * ScreenWidth, ScreenWidth,
                  row(top + LabelHeight + y));
    return true;
  };
}

}  // namespace vx
