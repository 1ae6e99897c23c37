#pragma once
// Frames for files: the times of screenshots and captured frames, the
// letterboxed enlargement that goes into a video or a PNG, and a tiny label
// font.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/pixels.h"
#include "driver/driver.h"
#include "driver/frame_loop.h"

namespace vx {

// ---- frames for files -------------------------------------------------------
// The single-float demo time of a screenshot at seconds.
float ScreenshotTime(double seconds);
// The moments of the --screenshot requests, in order, each drawn from black:
// the timeline's, or with e labda's at that moment of the effect test.
std::vector<FrameMoment> ScreenshotMoments(const DriverOptions& options);
// Capture: frames drawn (frame n at n x 120 / fps ticks, stopping before the
// first frame with t >= 14520 or at durationSeconds when > 0).
std::uint64_t CaptureFrameCount(int fps, double durationSeconds);
float CaptureFrameTime(std::uint64_t frame, int fps);
// The frame of this size on its video surface (SurfaceLayoutOf: the classic
// 320 x 200 frame letterboxed to 320 x 240, 20 black rows above and below;
// any other frame as it is) and enlarged scale times by nearest neighbour
// into out (surface width x scale by surface height x scale words, packed,
// resized as needed).
void ScaleLetterboxed(const std::uint32_t* fb, const FrameSize& size, int scale,
                      std::vector<std::uint32_t>& out);
// The ffmpeg video filter that enlarges a bgr0 surface of this frame size
// to the pixels ScaleLetterboxed makes at scale (as planar RGB, gbrp);
// empty, no filter, when a frame other than the classic one goes at its own
// size (scale 1).
std::string CaptureScaleFilter(const FrameSize& size, int scale);
// Draws text in the built-in 5 x 7 font (6 pixels a character) with its top
// left at x, y into an image width x height, clipped; lower-case letters are
// drawn as capitals, unknown characters as blanks. At scale k each font
// pixel is a k x k square (characters 6 k apart).
void DrawLabel(std::uint32_t* image, int width, int height, int x, int y, std::string_view text,
               std::uint32_t colour, int scale = 1);

}  // namespace vx
