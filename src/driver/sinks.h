#pragma once
// Private to the driver.
// Where the frame loop's drawn frames go. A sink takes the frame of a moment
// and says whether the run goes on; each mode of vx1 pairs a clock
// (frame_loop.h) with one of these:
//
//   play, effect test   WindowSink
//   screenshots         PngFilesSink
//   contact sheet       ContactSheetSink
//   capture             NumberedPngSink or PipeSink, inside CaptureProgress
//   bench               its own timer (headless.cpp), which needs its clock
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/output_file.h"
#include "driver/frame_loop.h"

namespace vx {

// Presents each frame in the window; a failed present is ignored (the next
// frame tries again). With controls, their status line goes with it.
FrameSink WindowSink(ViewerControls* controls = nullptr);

// Frame k of the run as the PNG file paths[k], at the frame's size. A
// failed write (its reason said by the writer) sets failed, and the run
// goes on with the next file.
FrameSink PngFilesSink(std::vector<std::string> paths, bool& failed);

// One picture of labelled tiles, four a row: tile k holds frame k of the
// run under a one-line label. Tiles have the frame's size, reduced by the
// whole factor that makes them at most 640 pixels wide (each tile pixel the
// rounded mean of its factor x factor block), so the classic frame's tiles
// are its own pixels and a 1920 x 1080 frame's are 640 x 360.
struct ContactSheet {
  ContactSheet(int tiles, const FrameSize& frame);
  int reduction;  // the factor
  int tileWidth;
  int tileHeight;
  int width;
  int height;
  std::vector<std::uint32_t> pixels;
};
FrameSink ContactSheetSink(ContactSheet& sheet,
                           std::function<std::string(const FrameMoment&)> label);

// Frame n on its surface (ScaleLetterboxed) enlarged scale times, as
// DIR/frame_NNNNNN.png (six digits) written under a temporary name; each
// finished file waits in pending until the run puts them all in place.
// False on a failed write.
FrameSink NumberedPngSink(const std::string& dir, int scale,
                          std::vector<std::unique_ptr<OutputFile>>& pending);
// Frame on its surface (ScaleLetterboxed at scale 1: 320 x 240 for the
// classic frame, else the frame's own size; bgr0: the bytes of each word in
// memory are blue, green, red, unused) down the pipe fd; false when the
// reader stopped or an interrupt came.
FrameSink PipeSink(int fd);
// Around a capture's sink: a progress line on standard error every second
// of video and at the last frame, and the end of the run on an interrupt.
FrameSink CaptureProgress(FrameSink sink, std::uint64_t frames, int fps);

// Writes all size bytes to fd; a signal that is no interrupt (see
// StartInterruptWatch) does not stop it. False with errno set.
bool WriteAll(int fd, const void* data, std::size_t size);

}  // namespace vx
