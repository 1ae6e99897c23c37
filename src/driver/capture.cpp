// Capture: the whole show rendered headless on a virtual clock (frame n at
// n x 120 / fps ticks) at the run's frame size, on its video surface
// (letterboxed at the classic size) and enlarged by nearest neighbour, then
// either written as numbered PNG files or piped to the ffmpeg program (H.264,
// yuv420p) together with the music from the archive cut to the same length.
// The pipe carries the surface (320 x 240 for the classic frame) and
// ffmpeg's scale filter enlarges it to the same pixels: at the default
// scale a sixteenth of the bytes to copy through the pipe, and no enlarging
// pass in the program. A frame of another size is drawn for the video's own
// size: it goes at scale 1 by default, with no filter.
// Progress goes to standard error.
//
// A failed capture leaves everything as it was. Everything is loaded first
// (a scene or picture that fails to load ends the program before any output
// exists); ffmpeg writes to a temporary file beside the target, renamed onto
// it only when ffmpeg exited with 0 after every frame, wrote something and
// no interrupt came; PNG frames are written under temporary names and all
// renamed into place only at the end; and every way out, exit() from deep
// inside a loader, a failed console write or a signal included, stops and
// reaps ffmpeg and removes the temporary music, the partial video and the
// frames and folders this run made.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/output_file.h"
#include "base/system.h"
#include "datalib/datalib.h"
#include "driver/driver.h"
#include "driver/frame_loop.h"
#include "driver/headless.h"
#include "driver/letterbox.h"
#include "driver/sinks.h"
#include "driver/timeline.h"
#include "platform/picture.h"
#include "platform/video.h"

namespace vx {
namespace {

constexpr int DefaultClassicCaptureScale = 4;

// Starts args[0] (looked up on PATH) with a pipe to its standard input.
// False with the reason on standard error when it cannot be started.
bool SpawnWithInput(const std::vector<std::string>& args, ChildProcess& child) {
  int error = 0;
  switch (vx::SpawnWithInput(args, child, error)) {
    case SpawnFailure::None:
      return true;
    case SpawnFailure::NoPipe:
      return false;
    case SpawnFailure::CannotStart:
      std::fprintf(stderr, "vx1: cannot start %s: %s\n", args[0].c_str(), std::strerror(error));
      return false;
    case SpawnFailure::CannotRun:
      std::fprintf(stderr, "vx1: cannot run %s: %s (is it installed?)\n", args[0].c_str(),
                   std::strerror(error));
      return false;
  }
  return false;
}

// Closes the child's input and waits; true when it exited with 0. Its
// failure names the user's path: ffmpeg's own lines name our temporary file.
bool FinishChild(ChildProcess& child, const char* name, const std::string& target) {
  const ChildEnd end = vx::FinishChild(child);
  switch (end.kind) {
    case ChildEnd::Kind::Exited:
      if (end.code == 0) return true;
      std::fprintf(stderr, "vx1: %s failed (exit code %d) writing %s\n", name, end.code,
                   target.c_str());
      return false;
    case ChildEnd::Kind::Signalled:
      std::fprintf(stderr, "vx1: %s failed (signal %d) writing %s\n", name, end.code,
                   target.c_str());
      return false;
    case ChildEnd::Kind::Lost:
      // An interrupt during the wait is reported as one by the caller.
      if (!Interrupted())
        std::fprintf(stderr, "vx1: lost track of %s: %s\n", name, std::strerror(end.code));
      return false;
  }
  return false;
}

// What a capture has made so far, undone by Undo on every way out but
// success: ffmpeg, the temporary music, the video's temporary file and the
// frames' (through OutputFile), folders that did not exist before this run.
struct CaptureWork {
  ChildProcess ffmpeg;
  std::string music;
  OutputFile video;
  std::vector<std::unique_ptr<OutputFile>> frames;  // finished, not yet in place
  std::vector<std::string> madeFolders;             // outermost first

  void Undo() {
    StopChild(ffmpeg);
    if (!music.empty()) unlink(music.c_str());
    music.clear();
    video.Abandon();
    frames.clear();  // each abandons its temporary file
    for (auto folder = madeFolders.rbegin(); folder != madeFolders.rend(); ++folder)
      rmdir(folder->c_str());  // only if empty: nothing of the user's goes
    madeFolders.clear();
  }

  // Puts every frame in place; false after saying why.
  bool CommitFrames() {
    for (const auto& frame : frames) {
      if (!frame->Commit()) {
        std::fprintf(stderr, "vx1: %s\n", frame->Error().c_str());
        return false;
      }
    }
    frames.clear();
    return true;
  }
};

// The capture in progress, for the exit handler: a loader or service that
// ends the program with exit() must not leave ffmpeg or temporary files.
CaptureWork* liveWork = nullptr;

void UndoLiveWork() {
  if (liveWork != nullptr) liveWork->Undo();
}

// Registers the work for the exit handler and watches for interrupts for
// the capture's lifetime.
class CaptureScope {
 public:
  explicit CaptureScope(CaptureWork& work) {
    RunAtEveryExit(UndoLiveWork);
    liveWork = &work;
    StartInterruptWatch();
  }
  ~CaptureScope() {
    StopInterruptWatch();
    liveWork = nullptr;
  }
  CaptureScope(const CaptureScope&) = delete;
  CaptureScope& operator=(const CaptureScope&) = delete;
};

// The folders of path that do not exist yet, outermost first.
std::vector<std::string> MissingFolders(const std::filesystem::path& path) {
  std::vector<std::string> missing;
  std::error_code ec;
  for (std::filesystem::path p = path; !p.empty() && !std::filesystem::exists(p, ec);
       p = p.parent_path()) {
    missing.insert(missing.begin(), NameOf(p));
    if (p == p.parent_path()) break;
  }
  return missing;
}

// Copies the music out of the archive into a temporary file (in $TMPDIR,
// else /tmp), named in music; music stays empty when the archive has none
// (the video is then silent, with a note). False after saying why when the
// music is there but cannot be read or copied: a video without its music
// is a failed capture.
bool ExtractMusic(std::string& music) {
  const std::int32_t size = LibraryFileSize(ShowMusic);
  if (size <= 0) {
    std::fprintf(stderr, "vx1: the data library has no music; the video will be silent\n");
    return true;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!ReadLibraryFile(ShowMusic, bytes.data())) {
    std::fprintf(stderr, "vx1: cannot read the music from the data library\n");
    return false;
  }
  const int fd = CreateTemporaryFile("vx1-music-", ".mp3", music);
  if (fd < 0) {
    std::fprintf(stderr, "vx1: cannot write the music to a temporary file %s: %s\n", music.c_str(),
                 std::strerror(errno));
    music.clear();
    return false;
  }
  errno = 0;
  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  const int code = errno != 0 ? errno : EIO;
  if (close(fd) != 0 && ok) ok = false;
  if (!ok) {
    std::fprintf(stderr, "vx1: cannot write the music to %s: %s\n", music.c_str(),
                 std::strerror(code));
    return false;  // Undo removes it
  }
  return true;
}

// ffmpeg's name for a file of ours: "file:" and the absolute path, so that
// a name such as "-dir/x.mp4" or "pipe:/x.mkv" is not read as an option or
// another protocol; "pipe:N" for an open stream, written as the stream.
std::string FfmpegPath(const std::string& path, int stream) {
  if (stream >= 0) return "pipe:" + std::to_string(stream);
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(PathOf(path), ec);
  return "file:" + (ec ? path : NameOf(absolute));
}

// ffmpeg's container for the target's extension; empty when the extension
// names none we know (ffmpeg then guesses, and says so when it cannot).
struct Container {
  const char* extension;
  const char* format;
  bool needsSeeking;  // written whole only when the output can seek
};
constexpr Container Containers[] = {
    {.extension = ".mp4", .format = "mp4", .needsSeeking = true},
    {.extension = ".m4v", .format = "mp4", .needsSeeking = true},
    {.extension = ".mov", .format = "mov", .needsSeeking = true},
    {.extension = ".mkv", .format = "matroska", .needsSeeking = false},
    {.extension = ".webm", .format = "matroska", .needsSeeking = false},
    {.extension = ".ts", .format = "mpegts", .needsSeeking = false},
};

// The format and muxer options for the target: by its extension; a device,
// FIFO or stream, which cannot seek, gets MP4 and MOV as fragments and
// Matroska where the extension says nothing.
std::vector<std::string> FormatArguments(const std::string& target, bool straight) {
  std::string extension = NameOf(PathOf(target).extension());
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const Container& c : Containers) {
    if (extension != c.extension) continue;
    if (c.needsSeeking && straight)
      return {"-f", c.format, "-movflags", "+frag_keyframe+empty_moov"};
    if (c.needsSeeking) return {"-f", c.format, "-movflags", "+faststart"};
    return {"-f", c.format};
  }
  if (straight) return {"-f", "matroska"};
  return {};
}

// The whole ffmpeg command line of a video capture.
std::vector<std::string> FfmpegArguments(const CaptureWork& work, const std::string& target,
                                         int fps, std::uint64_t frames, const FrameSize& size,
                                         int scale) {
  char rate[16], seconds[32];
  std::snprintf(rate, sizeof rate, "%d", fps);
  // The frames as presented: the surface, WIDTHxHEIGHT.
  const SurfaceLayout box = SurfaceLayoutOf(size);
  const std::string surfaceSize = std::to_string(box.width) + "x" + std::to_string(box.height);
  std::snprintf(seconds, sizeof seconds, "%.6f", static_cast<double>(frames) / fps);
  // -y overwrites only our own empty temporary file, or opens a device or
  // FIFO the user named (without it ffmpeg would ask on its input).
  std::vector<std::string> args = {"ffmpeg",    "-hide_banner", "-loglevel", "error", "-y",
                                   "-f",        "rawvideo",     "-pix_fmt",  "bgr0",  "-video_size",
                                   surfaceSize, "-framerate",   rate,        "-i",    "pipe:0"};
  const bool sound = !work.music.empty();
  if (sound) args.insert(args.end(), {"-i", FfmpegPath(work.music, -1)});
  args.insert(args.end(), {"-map", "0:v:0"});
  if (const std::string filter = CaptureScaleFilter(size, scale); !filter.empty())
    args.insert(args.end(), {"-vf", filter});
  if (sound) args.insert(args.end(), {"-map", "1:a:0", "-c:a", "aac", "-b:a", "192k"});
  // The encoder is nearly all of a capture's time. x264's ultrafast preset
  // at CRF 20 encodes these enlarged pixel frames about twice as fast as
  // veryfast and closer to the frames themselves (48.7 against 44.9 dB
  // PSNR against a lossless encode of the first 25 s), for files about
  // half as large again.
  args.insert(args.end(), {"-c:v", "libx264", "-preset", "ultrafast", "-crf", "20", "-pix_fmt",
                           "yuv420p", "-t", seconds});
  const std::vector<std::string> format = FormatArguments(target, work.video.StraightThrough());
  args.insert(args.end(), format.begin(), format.end());
  args.push_back(FfmpegPath(work.video.WritePath(), work.video.Stream()));
  return args;
}

// Whether ffmpeg's exit 0 left a video: the temporary file must hold
// something (a device or stream cannot be looked at). False after saying
// why.
bool VideoWritten(const OutputFile& video, const std::string& target) {
  if (video.StraightThrough()) return true;
  struct stat info {};
  if (stat(video.WritePath().c_str(), &info) == 0 && info.st_size > 0) return true;
  std::fprintf(stderr, "vx1: ffmpeg exited with 0 but wrote nothing to %s\n", target.c_str());
  return false;
}

// What a capture writes its frames into: how it is made ready before the
// first frame, the sink that takes them, how it is settled after the last
// (a video's writer waited for and looked at), and how it is put in place.
// Each returns false after saying why. A new kind of capture file is one
// more row, chosen by its own option.
struct CaptureTarget {
  // The option's value naming the target; empty: not this target.
  const std::string& (*path)(const DriverOptions& options);
  bool (*prepare)(const DriverOptions& options, const FrameSize& size, int scale,
                  std::uint64_t frames, CaptureWork& work);
  FrameSink (*sink)(const DriverOptions& options, int scale, CaptureWork& work);
  // framesOk: every frame went in. Not called after an interrupt.
  bool (*settle)(const DriverOptions& options, bool framesOk, CaptureWork& work);
  bool (*commit)(CaptureWork& work);
};

// --frames: numbered PNG files in a folder, made with any folder above it
// that is missing.
bool PrepareFramesFolder(const DriverOptions& options, const FrameSize&, int, std::uint64_t,
                         CaptureWork& work) {
  work.madeFolders = MissingFolders(PathOf(options.framesDir));
  std::error_code ec;
  std::filesystem::create_directories(PathOf(options.framesDir), ec);
  if (ec)
    std::fprintf(stderr, "vx1: cannot make %s: %s\n", options.framesDir.c_str(),
                 ec.message().c_str());
  return !ec;
}

// --capture: the video's temporary file, the music taken out of the
// archive and ffmpeg started.
bool PrepareVideo(const DriverOptions& options, const FrameSize& size, int scale,
                  std::uint64_t frames, CaptureWork& work) {
  if (!work.video.Open(options.capturePath)) {
    std::fprintf(stderr, "vx1: %s\n", work.video.Error().c_str());
    return false;
  }
  return ExtractMusic(work.music) &&
         SpawnWithInput(
             FfmpegArguments(work, options.capturePath, options.fps, frames, size, scale),
             work.ffmpeg);
}

// ffmpeg is waited for also after a failed frame, to say how it ended (it
// stops reading when it fails).
bool SettleVideo(const DriverOptions& options, bool framesOk, CaptureWork& work) {
  const bool finished = FinishChild(work.ffmpeg, "ffmpeg", options.capturePath);
  return framesOk && finished && VideoWritten(work.video, options.capturePath);
}

bool CommitVideo(CaptureWork& work) {
  if (work.video.Commit()) return true;
  std::fprintf(stderr, "vx1: %s\n", work.video.Error().c_str());
  return false;
}

// --frames first: it names the folder that replaces the video.
constexpr CaptureTarget CaptureTargets[] = {
    {.path = [](const DriverOptions& o) -> const std::string& { return o.framesDir; },
     .prepare = PrepareFramesFolder,
     .sink = [](const DriverOptions& o, int scale,
                CaptureWork& work) { return NumberedPngSink(o.framesDir, scale, work.frames); },
     .settle = [](const DriverOptions&, bool framesOk, CaptureWork&) { return framesOk; },
     .commit = [](CaptureWork& work) { return work.CommitFrames(); }},
    {.path = [](const DriverOptions& o) -> const std::string& { return o.capturePath; },
     .prepare = PrepareVideo,
     .sink = [](const DriverOptions&, int,
                CaptureWork& work) { return PipeSink(work.ffmpeg.input); },
     .settle = SettleVideo,
     .commit = CommitVideo},
};

const CaptureTarget& ChosenTarget(const DriverOptions& options) {
  for (const CaptureTarget& target : CaptureTargets)
    if (!target.path(options).empty()) return target;
  return CaptureTargets[std::size(CaptureTargets) - 1];
}

// After the last frame: the target settled, then everything put in place.
// An interrupt up to the last look, also one while ffmpeg was finishing,
// leaves the old files (Undo then stops ffmpeg).
bool FinishTarget(const DriverOptions& options, const CaptureTarget& target, bool framesOk,
                  CaptureWork& work) {
  const bool ok = Interrupted() || target.settle(options, framesOk, work);
  if (Interrupted()) {
    std::fprintf(stderr, "\nvx1: capture interrupted; nothing written\n");
    return false;
  }
  return ok && target.commit(work);
}

}  // namespace

int RunCapture(const DriverOptions& options, const LibrarySearch& libraries) {
  const FrameSize size = RunFrameSize(options);
  const int defaultScale = size == ClassicFrame ? DefaultClassicCaptureScale : 1;
  const int scale = options.scale > 0 ? options.scale : defaultScale;
  const std::uint64_t frames = CaptureFrameCount(options.fps, options.durationSeconds);
  const CaptureTarget& target = ChosenTarget(options);
  if (frames == 0) {
    std::fprintf(stderr, "vx1: --duration %g s at %d fps gives no frame to capture\n",
                 options.durationSeconds, options.fps);
    return 1;
  }
  // An enlargement past 8K (twice the largest frame each way) is refused:
  // a 4K frame at scale 16 would be gigabytes a frame.
  const SurfaceLayout box = SurfaceLayoutOf(size);
  if (box.width * static_cast<std::uint32_t>(scale) > 2u * MaxFrameWidth ||
      box.height * static_cast<std::uint32_t>(scale) > 2u * MaxFrameHeight) {
    std::fprintf(stderr, "vx1: --scale %d at %d x %d makes frames larger than %d x %d\n", scale,
                 size.width, size.height, 2 * MaxFrameWidth, 2 * MaxFrameHeight);
    return 1;
  }
  if (!options.framesDir.empty() && !options.capturePath.empty())
    std::fprintf(stderr, "vx1: --frames: writing PNG frames to %s instead of %s\n",
                 options.framesDir.c_str(), options.capturePath.c_str());

  // Everything is loaded before any output exists: a loader that ends the
  // program leaves nothing behind.
  const FrameTarget fb = StartHeadless(libraries, size);
  if (fb.pixels == nullptr) return 1;
  CaptureWork work;
  CaptureScope scope(work);
  bool ok = target.prepare(options, size, scale, frames, work);
  if (ok) {
    // A failed write or an interrupt ends the run.
    const bool framesOk =
        RunFrames(StepClock(options.fps, frames),
                  CaptureProgress(target.sink(options, scale, work), frames, options.fps), fb);
    ok = FinishTarget(options, target, framesOk, work);
  }
  if (!ok) {
    work.Undo();
    StopHeadless();
    return 1;
  }
  if (!work.music.empty()) unlink(work.music.c_str());
  work.music.clear();
  work.madeFolders.clear();
  StopHeadless();
  std::fprintf(stderr, "vx1: wrote %s\n", target.path(options).c_str());
  return 0;
}

}  // namespace vx
