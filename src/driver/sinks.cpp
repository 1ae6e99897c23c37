// The sinks of the frame loop that every build has: the window, PNG files
// and the contact sheet (the capture's are in capture_sinks.cpp).
#include "driver/sinks.h"

#include <algorithm>
#include <utility>

#include "base/label_font.h"
#include "base/pixels.h"
#include "driver/controls.h"
#include "driver/driver_io.h"
#include "platform/picture.h"
#include "platform/video.h"

namespace vx {
namespace {

constexpr int SheetColumns = 4;
constexpr int SheetGap = 4;
constexpr int LabelHeight = 12;
constexpr int MaxTileWidth = 2 * ScreenWidth;
constexpr std::uint32_t SheetBackground = 0x202020;

int TileReduction(const FrameSize& frame) {
  return (frame.width + MaxTileWidth - 1) / MaxTileWidth;
}

// The rounded mean of each channel over the k x k block whose top left is
// at p (rows pitch words apart): (sum + k k / 2) / (k k) per channel.
std::uint32_t BlockMean(const std::uint32_t* p, std::int32_t pitch, int k) {
  std::uint32_t r = 0, g = 0, b = 0;
  for (int y = 0; y < k; ++y)
    for (int x = 0; x < k; ++x) {
      const std::uint32_t c = p[static_cast<std::size_t>(y) * pitch + x];
      r += (c >> 16) & 0xFF;
      g += (c >> 8) & 0xFF;
      b += c & 0xFF;
    }
  const auto n = static_cast<std::uint32_t>(k * k);
  return ((r + n / 2) / n) << 16 | ((g + n / 2) / n) << 8 | (b + n / 2) / n;
}

// The frame as packed rows: itself when it is packed, else copied into
// scratch (sized once per size, not per frame).
const std::uint32_t* PackedPixels(const FrameTarget& frame, std::vector<std::uint32_t>& scratch) {
  if (frame.size.pitch == frame.size.width) return frame.pixels;
  scratch.resize(static_cast<std::size_t>(frame.size.width) * frame.size.height);
  for (std::int32_t y = 0; y < frame.size.height; ++y)
    std::copy_n(frame.pixels + static_cast<std::size_t>(y) * frame.size.pitch, frame.size.width,
                scratch.data() + static_cast<std::size_t>(y) * frame.size.width);
  return scratch.data();
}

}  // namespace

FrameSink WindowSink(ViewerControls* controls) {
  return [controls](const FrameMoment& moment, const FrameTarget&) {
    if (controls != nullptr) controls->FrameDrawn(moment.t);
    PresentFrame();  // a failed present is ignored
    return true;
  };
}

FrameSink PngFilesSink(std::vector<std::string> paths, bool& failed) {
  return [paths = std::move(paths), &failed, scratch = std::vector<std::uint32_t>()](
             const FrameMoment& moment, const FrameTarget& frame) mutable {
    const auto width = static_cast<std::uint32_t>(frame.size.width);
    const auto height = static_cast<std::uint32_t>(frame.size.height);
    if (!WritePng(paths[moment.index].c_str(), PackedPixels(frame, scratch), width, height))
      failed = true;
    return true;
  };
}

ContactSheet::ContactSheet(int tiles, const FrameSize& frame)
    : reduction(TileReduction(frame)),
      tileWidth(frame.width / reduction),
      tileHeight(frame.height / reduction),
      width(SheetColumns * tileWidth + (SheetColumns + 1) * SheetGap),
      height(((tiles + SheetColumns - 1) / SheetColumns) * (LabelHeight + tileHeight + SheetGap) +
             SheetGap),
      pixels(static_cast<std::size_t>(width) * height, SheetBackground) {}

FrameSink ContactSheetSink(ContactSheet& sheet,
                           std::function<std::string(const FrameMoment&)> label) {
  return [&sheet, label = std::move(label)](const FrameMoment& moment, const FrameTarget& frame) {
    const int tile = static_cast<int>(moment.index);
    const int k = sheet.reduction;
    const int left = SheetGap + (tile % SheetColumns) * (sheet.tileWidth + SheetGap);
    const int top = SheetGap + (tile / SheetColumns) * (LabelHeight + sheet.tileHeight + SheetGap);
    const auto row = [&](int y) {
      return sheet.pixels.data() + static_cast<std::size_t>(y) * sheet.width + left;
    };
    for (int y = 0; y < LabelHeight; ++y) std::fill_n(row(top + y), sheet.tileWidth, 0u);
    DrawLabel(sheet.pixels.data(), sheet.width, sheet.height, left + 3, top + 2, label(moment),
              0xFFFFFF);
    for (int y = 0; y < sheet.tileHeight; ++y) {
      const std::uint32_t* in = frame.pixels + static_cast<std::size_t>(y) * k * frame.size.pitch;
      std::uint32_t* out = row(top + LabelHeight + y);
      if (k == 1) {
        std::copy_n(in, sheet.tileWidth, out);
      } else {
        for (int x = 0; x < sheet.tileWidth; ++x)
          out[x] = BlockMean(in + x * k, frame.size.pitch, k);
      }
    }
    return true;
  };
}

}  // namespace vx
