// Frames for files: the times of screenshots and captured frames, the
// letterboxed and enlarged copy that goes into a video or a PNG, and a tiny
// bitmap font for labels.
#include "driver/frames.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "driver/frame_loop.h"
#include "driver/timeline.h"
#include "platform/video.h"

namespace vx {
namespace {

// 5 x 7 glyphs: seven rows, bit 4 the leftmost column.
struct Glyph {
  char code;
  std::uint8_t rows[7];
};

constexpr Glyph Font[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {',', {0x00, 0x00, 0x00, 0x00, 0x0C, 0x04, 0x08}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'=', {0x00, 0x00, 0x1F, 0x00, 0x1F, 0x00, 0x00}},
    {'/', {0x00, 0x01, 0x02, 0x04, 0x08, 0x10, 0x00}},
    {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}},
    {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}},
};

const Glyph* FindGlyph(char c) {
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  for (const Glyph& g : Font)
    if (g.code == c) return &g;
  return nullptr;
}

}  // namespace

float ScreenshotTime(double seconds) {
  return static_cast<float>(static_cast<long double>(seconds) * TicksPerSecond);
}

std::vector<FrameMoment> ScreenshotMoments(const DriverOptions& options) {
  const FrameScene scene = options.effectTest ? FrameScene::EffectTest : FrameScene::Timeline;
  std::vector<FrameMoment> moments;
  for (const ScreenshotRequest& shot : options.screenshots)
    moments.push_back({0, ScreenshotTime(shot.seconds), scene, true});
  return moments;
}

std::uint64_t CaptureFrameCount(int fps, double durationSeconds) {
  // n x 120 / fps < 14520  <=>  n < 121 x fps.
  std::uint64_t frames = static_cast<std::uint64_t>(fps) * 121u;
  if (durationSeconds > 0.0) {
    // The first durationSeconds: frames n with n / fps < duration. The small
    // allowance keeps 20 s at 60 fps from counting a 1201st frame through
    // rounding.
    const long double wanted = std::ceil(static_cast<long double>(durationSeconds) * fps - 1e-9L);
    if (wanted < static_cast<long double>(frames))
      frames = static_cast<std::uint64_t>(std::max(wanted, 0.0L));
  }
  return frames;
}

float CaptureFrameTime(std::uint64_t frame, int fps) {
  return static_cast<float>(static_cast<long double>(frame) * TicksPerSecond / fps);
}

void ScaleLetterboxed(const std::uint32_t* fb, const FrameSize& size, int scale,
                      std::vector<std::uint32_t>& out) {
  // The video's surface: the letterbox rows belong to it (the status strip
  // does not: it never reaches a file).
  const SurfaceLayout box = SurfaceLayoutOf(size);
  const int boxHeight = static_cast<int>(box.height);
  const int boxTop = static_cast<int>(box.imageTop);
  const std::size_t width = static_cast<std::size_t>(box.width) * scale;
  const std::size_t height = static_cast<std::size_t>(boxHeight) * scale;
  out.resize(width * height);
  for (int row = 0; row < boxHeight; ++row) {
    std::uint32_t* first = out.data() + static_cast<std::size_t>(row) * scale * width;
    const int source = row - boxTop;
    if (source < 0 || source >= size.height) {
      std::fill(first, first + width, 0u);
    } else {
      const std::uint32_t* in = fb + static_cast<std::size_t>(source) * size.pitch;
      std::uint32_t* px = first;
      for (int x = 0; x < size.width; ++x)
        for (int k = 0; k < scale; ++k) *px++ = in[x];
    }
    for (int k = 1; k < scale; ++k) std::copy(first, first + width, first + k * width);
  }
}

std::string CaptureScaleFilter(const FrameSize& size, int scale) {
  if (scale == 1 && size != ClassicFrame) return {};
  const SurfaceLayout box = SurfaceLayoutOf(size);
  // flags=neighbor at a whole factor repeats each pixel scale x scale times,
  // exactly as ScaleLetterboxed does. format=gbrp keeps the enlargement in
  // RGB, so the conversion to yuv420p stays a step of its own on the
  // full-size frame with ffmpeg's default filter, giving the same yuv420p
  // frame as from bgr0 (the planar form is the cheaper one to enlarge);
  // without it the scaler would convert as well and sample the colour
  // planes by nearest neighbour.
  return "scale=" + std::to_string(box.width * static_cast<std::uint32_t>(scale)) + ":" +
         std::to_string(box.height * static_cast<std::uint32_t>(scale)) +
         ":flags=neighbor,format=gbrp";
}

void DrawLabel(std::uint32_t* image, int width, int height, int x, int y, std::string_view text,
               std::uint32_t colour, int scale) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Glyph* glyph = FindGlyph(text[i]);
    if (glyph == nullptr) continue;
    const int left = x + static_cast<int>(i) * 6 * scale;
    for (int row = 0; row < 7 * scale; ++row) {
      const int py = y + row;
      if (py < 0 || py >= height) continue;
      for (int col = 0; col < 5 * scale; ++col) {
        const int px = left + col;
        if (px < 0 || px >= width) continue;
        if (glyph->rows[row / scale] & (0x10 >> (col / scale)))
          image[static_cast<std::size_t>(py) * width + px] = colour;
      }
    }
  }
}

}  // namespace vx
