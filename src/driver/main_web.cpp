// vx1 in the browser. The page (web/index.html) downloads the archive into
// the in-memory file system as "vx-1.lib" and turns its address into the
// command line:
//   (nothing)                  the show, as vx1 plays it: the loading screen,
//                              the music as the clock, Escape ends it
//   --from SECONDS             the show from that moment (the page's ?t=)
//   --screenshot SECONDS NAME  one frame, drawn as vx1 --screenshot draws it,
//                              handed to the page instead of a file
//   --bench                    the benchmark table, as vx1 --bench prints it
//   --resolution WxH | native  with any of them: the sharp show at that size
//                              (native, playing only: the window's, see
//                              sharpSize in web/index.html); classic
//                              without it
// The sharp archive is downloaded only for the sharp show: before the start
// when the page asks for it (it then lies beside vx-1.lib and joins as it
// does natively), or at the classic show's first switch, after which the
// page writes it beside vx-1.lib and calls vx1_add_sharp_library.
// The show's loops block as they do natively; presenting a frame, the
// loading screen's pauses and the music's decoding suspend the program
// (asyncify) and hand the browser its turn.
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <emscripten/emscripten.h>

#include "datalib/datalib.h"
#include "driver/driver.h"
#include "driver/controls.h"
#include "driver/driver_io.h"
#include "driver/frame_loop.h"
#include "driver/headless.h"
#include "driver/sinks.h"
#include "driver/timeline.h"
#include "platform/music.h"
#include "platform/video.h"

extern "C" {
// The end of the program, with its exit code (web/vx1_library.js).
void vx1_finished(int code);
// A finished still frame: width x height words 0x00RRGGBB, rows pitch
// words apart.
void vx1_show_still(const std::uint32_t* frame, int width, int height, int pitch);
// Each reading of the music clock, and whether the viewer paused it, for
// the page's status, seek bar and media session.
void vx1_report_ticks(float ticks, int paused);
// The status line's text with each frame it shows; "" once it is off.
void vx1_report_status(const char* line);
// The show's schedule as JSON, once before it plays: {"ticksPerSecond",
// "end" (ticks), "slots": [{"begin" (ticks), "name"}...], "views": [name...]}.
void vx1_show_slots(const char* json);
}

namespace {

// Each moment the clock gives, with whether the viewer holds it.
void ReportMoment(float ticks) {
  vx1_report_ticks(ticks, vx::MusicPaused() ? 1 : 0);
}

// The page's seek bar and status line take the slots from here rather
// than keeping a copy. Each begin is the first tick a seek to the slot
// lands on; scene names are plain words, with nothing to escape.
std::string SlotsJson() {
  const auto number = [](long double value) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.9Lg", value);
    return std::string(text.data());
  };
  std::string json = "{\"ticksPerSecond\":" + number(vx::TicksPerSecond) +
                     ",\"end\":" + number(vx::TimelineEnd) + ",\"slots\":[";
  for (int i = 0; i < vx::TimelineSlotCount(); ++i) {
    if (i > 0) json += ',';
    json += "{\"begin\":" + number(vx::TimelineSlotStart(i)) + ",\"name\":\"" +
            vx::TimelineSlotAt(i).module->name + "\"}";
  }
  // The views inside the engine, in the order their key steps through them.
  json += "],\"views\":[";
  for (const vx::PipelineViewRow& row : vx::PipelineViews()) {
    if (json.back() != '[') json += ',';
    json += "\"" + std::string(row.name) + "\"";
  }
  return json + "]}";
}

// The frames vx1 --screenshot would write, each from black, handed to the
// page in order.
int RunStills(const vx::DriverOptions& options, const vx::LibrarySearch& libraries) {
  const vx::FrameTarget fb = vx::StartHeadless(libraries, vx::RunFrameSize(options));
  if (fb.pixels == nullptr) return 1;
  vx::RunFrames(
      vx::MomentList(vx::ScreenshotMoments(options)),
      [](const vx::FrameMoment&, const vx::FrameTarget& frame) {
        vx1_show_still(frame.pixels, frame.size.width, frame.size.height, frame.size.pitch);
        return true;
      },
      fb);
  vx::StopHeadless();
  return 0;
}

int Play(const vx::DriverOptions& options, const vx::LibrarySearch& libraries) {
  vx::ConfigureVideo(vx::VideoOptions{.backend = vx::VideoBackend::Web});
  vx::MusicOptions music{};
  music.backend = options.mute ? vx::MusicBackend::Silent : vx::MusicBackend::Web;
  music.startSeconds = options.fromSeconds;
  vx::ConfigureMusic(music);
  // The music decodes while the loading screen fades in and the scenes load,
  // instead of after them; an archive that does not open is reported by the
  // driver, in its words.
  if (!options.mute && !options.effectTest && !libraries.paths.empty() &&
      vx::OpenLibrary(libraries.paths[0]))
    vx::DecodeMusicAhead(vx::ShowMusic);
  vx1_show_slots(SlotsJson().c_str());
  return vx::RunDriver(options, libraries);
}

int Run(int argc, char** argv) {
  vx::DriverOptions options;
  std::string error;
  if (!vx::ParseCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "vx1: %s\n", error.c_str());
    return 2;
  }
  // The program's own modules, with every clock reading shown in the page.
  vx::UseRealModules();
  vx::ReportMomentsTo(ReportMoment);
  vx::ReportStatusTo(vx1_report_status);
  const vx::LibrarySearch libraries = vx::LibraryCandidates(options.library, "");

  vx::ConfigureVideo(vx::VideoOptions{.backend = vx::VideoBackend::Headless});
  switch (options.mode) {
    case vx::DriverMode::Screenshot:
      return RunStills(options, libraries);
    case vx::DriverMode::Bench:
      return vx::RunBench(options, libraries);
    case vx::DriverMode::Play:
      return Play(options, libraries);
    case vx::DriverMode::Help:
    case vx::DriverMode::Version:
    case vx::DriverMode::Capture:
    case vx::DriverMode::ContactSheet:
      break;
  }
  std::fprintf(stderr, "vx1: the page plays the show, one frame or the benchmark only\n");
  return 2;
}

}  // namespace

// The sharp archive the page wrote beside the classic one while the classic
// show plays joins the open set through the driver's own add path, so the
// next sharp frame reads it as a native run with both archives does. 1 when
// it joined, 0 when it is absent or refused (the sharp show then draws from
// the classic data). Called between frames, never while a file is read.
extern "C" EMSCRIPTEN_KEEPALIVE int vx1_add_sharp_library() {
  const vx::DriverIo& io = vx::CurrentDriverIo();
  if (io.addLibrary == nullptr) return 0;
  const vx::LibrarySearch classic = vx::LibraryCandidates("", "");
  const std::string path = (std::filesystem::path(classic.paths.at(0)).parent_path() /
                            vx::SharpLibraryFile).string();
  return io.addLibrary(path) ? 1 : 0;
}

int main(int argc, char** argv) {
  const int code = Run(argc, argv);
  vx1_finished(code);
  return code;
}
