// The capture pipes the letterboxed 320 x 240 frame to ffmpeg and lets its
// scale filter enlarge it. Run through ffmpeg here, that filter must give
// the pixels of the program's own enlargement, and the encoder must be fed
// the same yuv420p frame as from the program's full-size enlargement.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "driver/frame_loop.h"
#include "driver/letterbox.h"
#include "driver/process/process_support.h"
#include "support/testlib.h"

namespace vx::test {
namespace {

Bytes AsBytes(const std::vector<std::uint32_t>& words) {
  Bytes bytes(words.size() * sizeof(std::uint32_t));
  std::memcpy(bytes.data(), words.data(), bytes.size());
  return bytes;
}

// Runs ffmpeg on one raw bgr0 frame of the given size, with the video
// filter when not empty, and returns the raw frame it writes in pixelFormat.
Bytes Ffmpeg(const TempDir& dir, const Bytes& frame, const std::string& size,
             const std::string& filter, const std::string& pixelFormat) {
  WriteFileBytes(dir.File("in.raw"), frame);
  std::vector<std::string> args = {
      "/usr/bin/env", "ffmpeg",   "-hide_banner", "-loglevel",   "error", "-y", "-f",
      "rawvideo",     "-pix_fmt", "bgr0",         "-video_size", size,    "-i", dir.File("in.raw")};
  if (!filter.empty()) args.insert(args.end(), {"-vf", filter});
  args.insert(args.end(), {"-pix_fmt", pixelFormat, "-f", "rawvideo", dir.File("out.raw")});
  const ProgramResult r = RunProgram(args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return r.exitCode == 0 ? ReadFileBytes(dir.File("out.raw")) : Bytes{};
}

TEST(CaptureScaleFilter, FfmpegEnlargesToTheProgramsOwnPixelsAndFeedsTheEncoderTheSameFrame) {
  REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  // Every pixel unlike its neighbours, so a sample taken one pixel off shows.
  std::vector<std::uint32_t> fb(64000);
  for (std::uint32_t i = 0; i < fb.size(); ++i) fb[i] = (i * 2654435761u) & 0x00FFFFFFu;
  std::vector<std::uint32_t> boxed, scaled;
  ScaleLetterboxed(fb.data(), ClassicFrame, 1, boxed);
  const Bytes piped = AsBytes(boxed);

  for (int scale : {1, 3, 4}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    ScaleLetterboxed(fb.data(), ClassicFrame, scale, scaled);
    const std::string size = std::to_string(320 * scale) + "x" + std::to_string(240 * scale);
    Bytes enlarged = Ffmpeg(dir, piped, "320x240", CaptureScaleFilter(ClassicFrame, scale), "bgr0");
    ASSERT_EQ(enlarged.size(), scaled.size() * 4);
    for (std::size_t i = 3; i < enlarged.size(); i += 4) enlarged[i] = 0;  // bgr0's unused byte
    ASSERT_TRUE(enlarged == AsBytes(scaled));
    EXPECT_TRUE(Ffmpeg(dir, piped, "320x240", CaptureScaleFilter(ClassicFrame, scale), "yuv420p") ==
                Ffmpeg(dir, AsBytes(scaled), size, "", "yuv420p"));
  }
}

}  // namespace
}  // namespace vx::test
