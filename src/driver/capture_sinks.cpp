// The capture's sinks: numbered PNG frames put in place together, and the
// pipe into ffmpeg; with the progress line around either. Built where a
// capture can run (not in the browser).
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

#include "base/system.h"
#include "driver/letterbox.h"
#include "driver/sinks.h"
#include "platform/picture.h"
#include "platform/video.h"

namespace vx {

FrameSink NumberedPngSink(const std::string& dir, int scale,
                          std::vector<std::unique_ptr<OutputFile>>& pending) {
  return [dir, scale, &pending, scaled = std::vector<std::uint32_t>()](
             const FrameMoment& moment, const FrameTarget& frame) mutable {
    ScaleLetterboxed(frame.pixels, frame.size, scale, scaled);
    const SurfaceLayout box = SurfaceLayoutOf(frame.size);
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06" PRIu64 ".png", moment.index);
    const std::string path = NameOf(PathOf(dir) / name);
    pending.push_back(std::make_unique<OutputFile>());
    return WritePngPending(*pending.back(), path.c_str(), scaled.data(),
                           box.width * static_cast<std::uint32_t>(scale),
                           box.height * static_cast<std::uint32_t>(scale));
  };
}

FrameSink PipeSink(int fd) {
  return [fd, scaled = std::vector<std::uint32_t>()](const FrameMoment&,
                                                     const FrameTarget& frame) mutable {
    // The pipe carries the frame on its surface; ffmpeg enlarges it.
    ScaleLetterboxed(frame.pixels, frame.size, 1, scaled);
    if (WriteAll(fd, scaled.data(), scaled.size() * sizeof(std::uint32_t))) return true;
    if (!Interrupted())
      std::fprintf(stderr, "\nvx1: ffmpeg stopped reading frames: %s\n", std::strerror(errno));
    return false;
  };
}

FrameSink CaptureProgress(FrameSink sink, std::uint64_t frames, int fps) {
  return [sink = std::move(sink), frames, fps](const FrameMoment& moment,
                                               const FrameTarget& frame) {
    if (!sink(moment, frame) || Interrupted()) return false;
    const std::uint64_t done = moment.index + 1;
    if (done % static_cast<std::uint64_t>(fps) == 0 || done == frames) {
      std::fprintf(stderr, "\rcapture: frame %" PRIu64 " of %" PRIu64 " (%.1f s of %.1f s)", done,
                   frames, static_cast<double>(done) / fps, static_cast<double>(frames) / fps);
      if (done == frames) std::fputc('\n', stderr);
      std::fflush(stderr);
    }
    return true;
  };
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const auto n = write(fd, bytes, static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30)));
    if (n < 0) {
      if (errno == EINTR && !Interrupted()) continue;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace vx
