// The effects' parameters at a frame size: the one place that turns the
// classic figures into those of a larger frame (see fx2d.h).
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "fx2d/fx2d.h"

namespace vx {

// s pixels rounded to 1/256; the classic height gives exactly one pixel.
std::uint16_t EffectStep(const FrameSize& frame) {
  const long step = std::lround(FrameScale(frame) * OnePixelStep);
  return static_cast<std::uint16_t>(std::max(step, long{OnePixelStep}));
}

GlowParameters ScaledGlow(std::uint16_t spread, std::uint16_t gain, const FrameSize& frame) {
  return {.spread = spread, .gain = gain, .step = EffectStep(frame)};
}

// Rounded up, so that a centre on a block's first pixel stays on it; kept
// inside 1 .. size - 1 as the blur requires.
BlurParameters ScaledBlur(std::int32_t cx, std::int32_t cy, std::uint8_t strength,
                          std::uint8_t gain, const FrameSize& frame) {
  const auto scale = [](std::int32_t v, std::int32_t size, std::int32_t classic) {
    const std::int64_t scaled = (std::int64_t{v} * size + classic - 1) / classic;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(scaled, 1, size - 1));
  };
  return {.cx = scale(cx, frame.width, ClassicFrame.width),
          .cy = scale(cy, frame.height, ClassicFrame.height),
          .strength = strength,
          .gain = gain};
}

}  // namespace vx
