#pragma once
// The demo driver: the order of everything (start-up, main loop, shutdown),
// the clocks, the timeline that picks the scene for each moment, the loading
// screen, the command line of `vx1`, and the headless modes (screenshots,
// benchmark, capture to video, contact sheet).
//
// Time is in ticks: the main loop's clock (the music) and the effect test's
// timer count 120 ticks a second, the loading screen's timer 128. Every call
// that leaves the driver goes through the DriverServices record, so the whole
// run can be played against recording fakes on a virtual clock; `vx1` wires
// the real platform and scene modules (RealDriverServices).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/picture.h"

namespace vx {

// ---- services -------------------------------------------------------------
struct DriverServices {
  bool (*openLibrary)(std::string_view path);
  // Video output: 0 = success for the int results.
  int (*startVideo)();
  int (*presentFrame)();
  int (*stopVideo)();
  std::uint32_t* (*frameBuffer)();
  bool (*pumpMessages)();  // true once the quit message was seen
  // Pictures and pixel operations of the loading screen.
  bool (*loadPicture)(std::string_view name, Picture& picture);
  void (*releasePicture)(Picture& picture);
  void (*reportPictureLoadError)();  // ends the program in the real service
  void (*clearScreen)(std::uint32_t* dst);
  void (*copyScreen)(const std::uint32_t* src, std::uint32_t* dst);
  void (*darkenScreen)(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                       std::uint8_t k);
  // Scene modules.
  void (*loadAllScenes)();
  void (*freeAllScenes)();
  void (*loadLabda)();
  void (*renderLabda)(float t, std::uint32_t* fb);
  void (*freeLabda)();
  // Music, the clock of the normal run.
  void (*startMusic)(std::string_view name, std::uint32_t outputRate, bool mono, bool eightBits,
                     bool streamFlag);
  void (*setMusicScale)(std::uint32_t ticksPerSecond);
  void (*playMusic)(bool loop);
  float (*musicTime)();
  void (*stopMusic)();
  void (*freeMusic)();
  // --loop: the next playMusic starts at the beginning of the music (not at
  // --from).
  void (*rewindMusic)();
  // The system's millisecond counter (wraps at 2^32) and a pause.
  std::uint32_t (*milliseconds)();
  void (*sleepMilliseconds)(std::uint32_t ms);
  void (*renderTimeline)(float t, std::uint32_t* fb);
};

// The services every driver operation uses from now on (copied).
void SetDriverServices(const DriverServices& services);
const DriverServices& CurrentDriverServices();
// The platform and scene modules of the program itself.
DriverServices RealDriverServices();

// ---- driver state -----------------------------------------------------------
// QuitFlag: set by the message pump's quit message or by the timeline at its
// end bound; the main loop ends when it is set.
bool QuitFlag();
void SetQuitFlag(bool value);
// EffectTestMode: the first argument is exactly "e" (same length, same
// letters, case-sensitive).
bool IsEffectTestArgument(int argc, const char* const* argv);
bool EffectTestMode();

// ---- clocks -----------------------------------------------------------------
// TimerTime = ((now - TimerStart) mod 2^32) / 1000 x TimerScale, in extended
// precision, rounded to single at the end.
void StartTimer(std::uint32_t ticksPerSecond);
float TimerTime();

// ---- timeline -----------------------------------------------------------------
inline constexpr long double TimelineEnd = 14520.0L;  // 121 s: the show is over
inline constexpr long double TimelineLastDrawn = 14400.0L;
inline constexpr long double BlauPictureTicks = 103.2L;

// The render operations the timeline calls; pictureChoice true is the
// "kinyit.jpg" picture, false the "becsuk.jpg" one.
struct TimelineScenes {
  void (*logo)(float t, std::uint32_t* fb);
  void (*kinyit)(float t, std::uint32_t* fb, bool pictureChoice);
  void (*libiko)(float t, std::uint32_t* fb);
  void (*blau)(float t, std::uint32_t* fb, std::int16_t pictureIndex);
  void (*box)(float t, std::uint32_t* fb);
  void (*labda)(float t, std::uint32_t* fb);  // in no slot: effect test, bench, contact sheet
  void (*effekt)(float t, std::uint32_t* fb);
  void (*kommun)(float t, std::uint32_t* fb);
  void (*evil)(float t, std::uint32_t* fb);
  void (*danke)(float t, std::uint32_t* fb);
};
void SetTimelineScenes(const TimelineScenes& scenes);
TimelineScenes RealTimelineScenes();

// One slot of the schedule: active while begin <= t < end (slot 1 has no
// lower test; its begin is 0 for listing only).
struct TimelineSlot {
  const char* scene;
  long double begin;
  long double end;
};
inline constexpr int TimelineSlotCount = 11;
const TimelineSlot& TimelineSlotAt(int index);  // index 0..10

// Draws the frame for time t (ticks) with the one scene whose slot holds t,
// nothing at or after 14400; sets QuitFlag once t >= 14520.
void RenderTimeline(float t, std::uint32_t* fb);
// The blau slots' picture index: local / 103.2 truncated to 64 bits, its low
// 16 bits as a signed value.
std::int16_t BlauPictureIndex(long double local);

// ---- loading screen -----------------------------------------------------------
// Loads "DATA\loader.jpg"; a missing, damaged or not 320 x 200 colour picture
// is reported through reportPictureLoadError (false if that returns).
bool LoadLoaderPicture();
// 1 s black, a 2 s fade-in, the picture until 4 s (128 timer ticks a second).
void LoaderFadeIn(std::uint32_t* fb);
// A 2 s fade-out, then black until 3 s.
void LoaderFadeOut(std::uint32_t* fb);
void ReleaseLoaderPicture();

// ---- command line -------------------------------------------------------------
enum class DriverMode { Play, Help, Screenshot, Bench, Capture, ContactSheet };

struct ScreenshotRequest {
  double seconds;
  std::string path;
};

struct DriverOptions {
  DriverMode mode = DriverMode::Play;
  bool effectTest = false;
  std::string library;  // empty: "vx-1.lib" in the current directory
  bool window = false;
  int scale = 0;  // 0: the mode's default (window 3, capture 4)
  bool vsync = true;
  bool mute = false;
  double fromSeconds = 0.0;
  bool loop = false;
  bool trace = false;
  std::vector<ScreenshotRequest> screenshots;
  bool reference = false;
  std::string capturePath;
  int fps = 60;
  double durationSeconds = 0.0;  // 0: until the end bound
  std::string framesDir;
  std::string contactSheetPath;
};

// False with a one-line reason in error for an unknown option, a missing or
// bad value, or options that do not fit together.
bool ParseCommandLine(int argc, const char* const* argv, DriverOptions& options,
                      std::string& error);
std::string UsageLine();
std::string HelpText();

// Where the show's archive is looked for. named: --library PATH was given and
// PATH is the one archive to use. Otherwise "vx-1.lib" in the current
// directory, then "vx-1.lib" in exeDir when that is another file.
struct LibrarySearch {
  std::vector<std::string> paths;
  bool named = false;
};
LibrarySearch LibraryCandidates(const std::string& requested, const std::string& exeDir);

enum class LibraryOpen { Opened, NoneFound, Refused };
// Opens the archive of the search: the named one, or else the first path
// where anything is. Refused, with one line on standard error naming the
// path and the reason, when that archive is missing (named only), is not a
// readable regular file or is not a valid data library: the run must end
// with exit code 1. NoneFound when no path holds anything: the reader was
// given the first path all the same, one line names the paths tried, and the
// run goes on as with a missing archive (its pictures say "nincs").
LibraryOpen OpenShowLibrary(const LibrarySearch& search);

// ---- runs -------------------------------------------------------------------------
// Play mode (normal run or effect test) on the installed services: returns
// the exit code (0 after an orderly end, 1 when the video could not start).
int RunDriver(const DriverOptions& options, const LibrarySearch& libraries);
// --trace: TraceStep writes "trace: STEP" on standard error while on.
void SetTrace(bool on);
void TraceStep(std::string_view step);

// Headless modes (no window, no sound, no loading screen), on the real
// modules; each returns the exit code.
int RunScreenshots(const DriverOptions& options, const LibrarySearch& libraries);
int RunBench(const DriverOptions& options, const LibrarySearch& libraries);
int RunCapture(const DriverOptions& options, const LibrarySearch& libraries);
int RunContactSheet(const DriverOptions& options, const LibrarySearch& libraries);

// ---- frames for files -------------------------------------------------------------
// The single-float demo time of a screenshot at seconds.
float ScreenshotTime(double seconds);
// Capture: frames drawn (frame n at n x 120 / fps ticks, stopping before the
// first frame with t >= 14520 or at durationSeconds when > 0).
std::uint64_t CaptureFrameCount(int fps, double durationSeconds);
float CaptureFrameTime(std::uint64_t frame, int fps);
// The 320 x 200 frame letterboxed to 320 x 240 (20 black rows above and
// below) and enlarged scale times by nearest neighbour into out
// (320 scale x 240 scale words, resized as needed).
void ScaleLetterboxed(const std::uint32_t* fb, int scale, std::vector<std::uint32_t>& out);
// The ffmpeg video filter that enlarges a letterboxed 320 x 240 bgr0 frame
// to the pixels ScaleLetterboxed makes at scale (as planar RGB, gbrp).
std::string CaptureScaleFilter(int scale);
// Draws text in the built-in 5 x 7 font (6 pixels a character) with its top
// left at x, y into an image width x height, clipped; lower-case letters are
// drawn as capitals, unknown characters as blanks.
void DrawLabel(std::uint32_t* image, int width, int height, int x, int y, std::string_view text,
               std::uint32_t colour);

}  // namespace vx
