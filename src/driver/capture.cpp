// Capture: the whole show rendered headless on a virtual clock (frame n at
// n x 120 / fps ticks), enlarged by nearest neighbour and letterboxed, piped
// as raw frames to the ffmpeg program (H.264, yuv420p) together with the
// music from the archive cut to the same length; or written as numbered PNG
// files. Progress goes to standard error.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "driver/driver.h"
#include "driver/headless.h"
#include "platform/picture.h"
#include "platform/video.h"

namespace vx {
namespace {

constexpr int DefaultCaptureScale = 4;
constexpr std::string_view MusicName = "DATA\\oompa.mp3";

// A child process reading our pipe on its standard input.
struct Child {
  pid_t pid = -1;
  int input = -1;
};

// Starts args[0] (looked up on PATH) with a pipe to its standard input.
// False with the reason on standard error when it cannot be started; a
// failing exec is reported through a close-on-exec pipe.
bool SpawnWithInput(const std::vector<std::string>& args, Child& child) {
  int data[2], status[2];
  if (pipe(data) != 0) return false;
  if (pipe2(status, O_CLOEXEC) != 0) {
    close(data[0]);
    close(data[1]);
    return false;
  }
  const pid_t pid = fork();
  if (pid < 0) {
    std::fprintf(stderr, "vx1: cannot start %s: %s\n", args[0].c_str(), std::strerror(errno));
    close(data[0]), close(data[1]), close(status[0]), close(status[1]);
    return false;
  }
  if (pid == 0) {
    dup2(data[0], STDIN_FILENO);
    close(data[0]);
    close(data[1]);
    close(status[0]);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    const int error = errno;
    [[maybe_unused]] ssize_t n = write(status[1], &error, sizeof error);
    _exit(127);
  }
  close(data[0]);
  close(status[1]);
  int error = 0;
  ssize_t n;
  do n = read(status[0], &error, sizeof error);
  while (n < 0 && errno == EINTR);
  close(status[0]);
  if (n == static_cast<ssize_t>(sizeof error)) {
    std::fprintf(stderr, "vx1: cannot run %s: %s (is it installed?)\n", args[0].c_str(),
                 std::strerror(error));
    close(data[1]);
    waitpid(pid, nullptr, 0);
    return false;
  }
  child.pid = pid;
  child.input = data[1];
  return true;
}

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Closes the child's input and waits; true when it exited with 0.
bool FinishChild(Child& child, const char* name) {
  if (child.input >= 0) close(child.input);
  child.input = -1;
  int status = 0;
  while (waitpid(child.pid, &status, 0) < 0) {
    if (errno != EINTR) {
      std::fprintf(stderr, "vx1: lost track of %s: %s\n", name, std::strerror(errno));
      return false;
    }
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  if (WIFEXITED(status))
    std::fprintf(stderr, "vx1: %s failed (exit code %d)\n", name, WEXITSTATUS(status));
  else
    std::fprintf(stderr, "vx1: %s failed (signal %d)\n", name,
                 WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  return false;
}

// Copies the music out of the archive into a temporary file; empty when the
// archive has none (the video is then silent, with a note).
std::string ExtractMusic() {
  const std::int32_t size = LibraryFileSize(MusicName);
  if (size <= 0) {
    std::fprintf(stderr, "vx1: the data library has no music; the video will be silent\n");
    return {};
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!ReadLibraryFile(MusicName, bytes.data())) {
    std::fprintf(stderr, "vx1: cannot read the music; the video will be silent\n");
    return {};
  }
  char path[] = "/tmp/vx1-music-XXXXXX.mp3";
  const int fd = mkstemps(path, 4);
  if (fd < 0) {
    std::fprintf(stderr, "vx1: cannot write a temporary file: %s\n", std::strerror(errno));
    return {};
  }
  const bool ok = WriteAll(fd, bytes.data(), bytes.size());
  close(fd);
  if (!ok) {
    std::fprintf(stderr, "vx1: cannot write a temporary file\n");
    std::remove(path);
    return {};
  }
  return path;
}

void Progress(std::uint64_t done, std::uint64_t total, int fps) {
  std::fprintf(stderr, "\rcapture: frame %" PRIu64 " of %" PRIu64 " (%.1f s of %.1f s)", done,
               total, static_cast<double>(done) / fps, static_cast<double>(total) / fps);
  if (done == total) std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace

int RunCapture(const DriverOptions& options, const LibrarySearch& libraries) {
  const int scale = options.scale > 0 ? options.scale : DefaultCaptureScale;
  const int fps = options.fps;
  const std::uint64_t frames = CaptureFrameCount(fps, options.durationSeconds);
  const bool toPictures = !options.framesDir.empty();
  const int width = 320 * scale, height = 240 * scale;

  if (toPictures) {
    if (!options.capturePath.empty())
      std::fprintf(stderr, "vx1: --frames: writing PNG frames to %s instead of %s\n",
                   options.framesDir.c_str(), options.capturePath.c_str());
    std::error_code ec;
    std::filesystem::create_directories(options.framesDir, ec);
    if (ec) {
      std::fprintf(stderr, "vx1: cannot make %s: %s\n", options.framesDir.c_str(),
                   ec.message().c_str());
      return 1;
    }
  }

  // ffmpeg starts before the (long) loading, so a missing program is told
  // at once; the music comes from the archive opened first.
  std::uint32_t* fb = OpenHeadless(libraries);
  if (fb == nullptr) return 1;

  Child ffmpeg;
  std::string music;
  if (!toPictures) {
    music = ExtractMusic();
    char size[32], rate[16], seconds[32];
    std::snprintf(size, sizeof size, "%dx%d", width, height);
    std::snprintf(rate, sizeof rate, "%d", fps);
    std::snprintf(seconds, sizeof seconds, "%.6f", static_cast<double>(frames) / fps);
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                                     "-f",     "rawvideo",     "-pix_fmt",  "bgr0",  "-video_size",
                                     size,     "-framerate",   rate,        "-i",    "pipe:0"};
    if (!music.empty()) args.insert(args.end(), {"-i", music});
    args.insert(args.end(), {"-map", "0:v:0"});
    if (!music.empty()) args.insert(args.end(), {"-map", "1:a:0", "-c:a", "aac", "-b:a", "192k"});
    args.insert(args.end(),
                {"-c:v", "libx264", "-preset", "veryfast", "-crf", "20", "-pix_fmt", "yuv420p",
                 "-t", seconds, "-movflags", "+faststart", options.capturePath});
    if (!SpawnWithInput(args, ffmpeg)) {
      if (!music.empty()) std::remove(music.c_str());
      StopVideo();
      return 1;
    }
  }
  LoadHeadlessScenes();

  bool ok = true;
  std::vector<std::uint32_t> scaled;
  for (std::uint64_t n = 0; n < frames && ok; ++n) {
    RenderTimeline(CaptureFrameTime(n, fps), fb);
    ScaleLetterboxed(fb, scale, scaled);
    if (toPictures) {
      char name[32];
      std::snprintf(name, sizeof name, "frame_%06" PRIu64 ".png", n);
      const std::string path = (std::filesystem::path(options.framesDir) / name).string();
      ok = WritePng(path.c_str(), scaled.data(), static_cast<std::uint32_t>(width),
                    static_cast<std::uint32_t>(height));
    } else {
      // bgr0: the words' bytes in memory are blue, green, red, unused.
      ok = WriteAll(ffmpeg.input, scaled.data(), scaled.size() * sizeof(std::uint32_t));
      if (!ok)
        std::fprintf(stderr, "\nvx1: ffmpeg stopped reading frames: %s\n", std::strerror(errno));
    }
    if (ok && ((n + 1) % static_cast<std::uint64_t>(fps) == 0 || n + 1 == frames))
      Progress(n + 1, frames, fps);
  }
  if (!toPictures) {
    ok = FinishChild(ffmpeg, "ffmpeg") && ok;
    if (!music.empty()) std::remove(music.c_str());
  }
  StopHeadless();
  if (!ok) return 1;
  std::fprintf(stderr, "vx1: wrote %s\n",
               toPictures ? options.framesDir.c_str() : options.capturePath.c_str());
  return 0;
}

}  // namespace vx
