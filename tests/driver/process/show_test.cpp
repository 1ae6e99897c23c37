// vx1 on the show's own archive: headless screenshots, capture to PNG
// frames and to video, and play in a real X server. Each skips with a reason
// when the archive (or a tool it needs) is missing; in CI (CI=true) with the
// archive present a missing tool fails instead. Kept short: under the
// sanitizers the captures are shorter still.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/process/process_support.h"
#include "driver/timeline.h"
#include "support/testlib.h"

namespace vx::test {
namespace {

#ifdef VX_SANITIZE
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

TEST(Vx1Headless, ScreenshotsShowTheSceneOfTheirMomentAndBlackAfterTheShow) {
  REQUIRE_ARCHIVE();
  TempDir dir;
  const ProgramResult r = RunProgram({Vx1Path(), "--library", ArchivePath(), "--screenshot", "40",
                                      "blau.png", "--screenshot", "120.5", "after.png"},
                                     dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::uint32_t w = 0, h = 0;
  std::vector<std::uint32_t> blau, after;
  ASSERT_TRUE(ReadPngWords(dir.File("blau.png"), w, h, blau));
  EXPECT_EQ(w, 320u);
  EXPECT_EQ(h, 200u);
  EXPECT_GT(LitFraction(blau), 0.10);
  // Past 14400 ticks nothing is drawn and every shot starts from black.
  ASSERT_TRUE(ReadPngWords(dir.File("after.png"), w, h, after));
  EXPECT_EQ(after, std::vector<std::uint32_t>(64000, 0u));
}

// The bench's two tables name the same scenes in the same order; in the
// second, a scene either draws no 3D or gives figures a 3D frame must have:
// objects and polygons drawn, pixels filled, at least one write per pixel
// written, and stages' times that are not negative. Natively only: under
// the sanitizers the bench's thousands of frames take minutes.
TEST(Vx1Headless, TheBenchEndsWithThePipelinesFiguresOfEveryScene) {
  REQUIRE_ARCHIVE();
  if (Sanitized) GTEST_SKIP() << "the bench draws too many frames under the sanitizers";
  TempDir dir;
  const ProgramResult r =
      RunProgram({Vx1Path(), "--library", ArchivePath(), "--bench"}, dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::istringstream out(r.out);
  std::string line;
  std::vector<std::string> timed, counted;
  bool inTimed = false, inCounted = false;
  int drawn3d = 0;
  while (std::getline(out, line)) {
    std::istringstream words(line);
    std::string name;
    words >> name;
    if (name == "scene") continue;
    if (line.starts_with("Bench (")) inTimed = true;
    if (line.starts_with("Pipeline (")) inTimed = !(inCounted = true);
    if (name.empty() || line.starts_with("Bench (") || line.starts_with("Pipeline (")) continue;
    if (inTimed && name != "show") timed.push_back(name);
    if (!inCounted || name == "show") continue;
    counted.push_back(name);
    if (line.find("no 3D") != std::string::npos) continue;
    double obj = 0, cull = 0, poly = 0, back = 0, clip = 0, added = 0, pixels = 0, over = 0;
    words >> obj >> cull >> poly >> back >> clip >> added >> pixels >> over;
    ASSERT_TRUE(words) << line;
    EXPECT_GT(obj, 0) << line;
    EXPECT_GT(poly, 0) << line;
    EXPECT_GT(pixels, 0) << line;
    EXPECT_GE(over, 1.0) << line;
    for (int stage = 0; stage < 6; ++stage) {
      double ms = -1;
      words >> ms;
      EXPECT_GE(ms, 0.0) << line;
    }
    ++drawn3d;
  }
  EXPECT_FALSE(timed.empty());
  EXPECT_EQ(counted, timed);
  EXPECT_GT(drawn3d, 0);
}

TEST(Vx1Headless, EffectTestScreenshotIsLabdasFrameAsTheContactSheetShowsIt) {
  REQUIRE_ARCHIVE();
  TempDir dir;
  // 6.9875 s is local time 838.5, the labda tile of the contact sheet.
  ProgramResult r = RunProgram(
      {Vx1Path(), "e", "--library", ArchivePath(), "--screenshot", "6.9875", "labda.png"},
      dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  r = RunProgram({Vx1Path(), "--library", ArchivePath(), "--contact-sheet", "sheet.png"},
                 dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  std::uint32_t w = 0, h = 0, sheetWidth = 0, sheetHeight = 0;
  std::vector<std::uint32_t> labda, sheet;
  ASSERT_TRUE(ReadPngWords(dir.File("labda.png"), w, h, labda));
  ASSERT_TRUE(ReadPngWords(dir.File("sheet.png"), sheetWidth, sheetHeight, sheet));
  ASSERT_EQ(w, 320u);
  EXPECT_GT(LitFraction(labda), 0.10);
  // labda's tile follows the slots' (four a row), below its 12-row label.
  const std::size_t tile = RealShow().slots.size();
  const std::size_t left = 4 + (tile % 4) * (320 + 4), top = 4 + (tile / 4) * (12 + 200 + 4) + 12;
  for (std::size_t y = 0; y < 200; ++y)
    ASSERT_TRUE(std::equal(labda.begin() + y * 320, labda.begin() + (y + 1) * 320,
                           sheet.begin() + (top + y) * sheetWidth + left))
        << "row " << y;
}

TEST(Vx1Headless, FramesGoToNumberedPngFilesLetterboxedAtTheCaptureScale) {
  REQUIRE_ARCHIVE();
  TempDir dir;
  // 0.05 s at 60 fps: frames 0, 1 and 2, drawn at 0, 2 and 4 ticks, at the
  // default scale 4: 1280 x 960 with 80 black rows above and below.
  const ProgramResult r = RunProgram(
      {Vx1Path(), "--library", ArchivePath(), "--frames", "out", "--duration", "0.05"}, dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (int n = 0; n < 3; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "out/frame_%06d.png", n);
    std::uint32_t w = 0, h = 0;
    std::vector<std::uint32_t> frame;
    ASSERT_TRUE(ReadPngWords(dir.File(name), w, h, frame)) << name;
    ASSERT_EQ(w, 1280u);
    ASSERT_EQ(h, 960u);
    for (int y : {0, 79, 880, 959})
      for (int x = 0; x < 1280; ++x) ASSERT_EQ(frame[y * 1280 + x], 0u) << name << " row " << y;
  }
  EXPECT_FALSE(FileExists(dir.File("out/frame_000003.png")));
  EXPECT_NE(r.err.find("frame 3 of 3"), std::string::npos) << r.err;
}

TEST(Vx1Headless, CaptureWithoutFfmpegFailsClearly) {
  REQUIRE_ARCHIVE();
  TempDir dir;
  // No ffmpeg on this PATH: told after the loading, with nothing written.
  const ProgramResult r =
      RunProgram({"/usr/bin/env", "-i", "PATH=" + dir.Path(), "TMPDIR=" + dir.Path(), Vx1Path(),
                  "--library", ArchivePath(), "--capture", "show.mp4", "--duration", "1"},
                 dir.Path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot run ffmpeg"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(Vx1Headless, CaptureFailsClearlyWhenFfmpegFails) {
  REQUIRE_ARCHIVE();
  REQUIRE_TOOL("ffmpeg");
  TempDir dir;
  // ffmpeg knows no format by this name and ends at once; the file the name
  // held before stays as it was.
  WriteTextFile(dir.File("show.xyz"), "the user's own file");
  const ProgramResult r =
      RunProgram({"/usr/bin/env", "TMPDIR=" + dir.Path(), Vx1Path(), "--library", ArchivePath(),
                  "--capture", "show.xyz", "--duration", "1", "--scale", "1"},
                 dir.Path());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("ffmpeg failed"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFileBytes(dir.File("show.xyz")), ToBytes("the user's own file"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(Vx1Headless, CaptureMakesAVideoOfTheRightSizeAndLengthWithSound) {
  REQUIRE_ARCHIVE();
  REQUIRE_TOOL("ffmpeg");
  REQUIRE_TOOL("ffprobe");
  TempDir dir;
  // An older video of the same name is replaced and keeps its mode.
  WriteTextFile(dir.File("show.mp4"), "older video");
  ASSERT_EQ(chmod(dir.File("show.mp4").c_str(), 0640), 0);
  const char* seconds = Sanitized ? "2" : "20";
  const int frames = Sanitized ? 120 : 1200;
  // Scale 2 (640 x 480) keeps the encoding short; the default scale's size
  // is checked with the PNG frames above.
  const ProgramResult r = RunProgram({Vx1Path(), "--library", ArchivePath(), "--capture",
                                      "show.mp4", "--duration", seconds, "--scale", "2"},
                                     dir.Path());
  ASSERT_EQ(r.exitCode, 0) << r.err;
  struct stat info {};
  ASSERT_EQ(stat(dir.File("show.mp4").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
  const ProgramResult video =
      RunProgram({"/usr/bin/env", "ffprobe", "-v", "error", "-count_frames", "-select_streams",
                  "v:0", "-show_entries", "stream=codec_name,width,height,pix_fmt,nb_read_frames",
                  "-of", "csv=p=0", dir.File("show.mp4")});
  ASSERT_EQ(video.exitCode, 0) << video.err;
  EXPECT_EQ(Trim(video.out), "h264,640,480,yuv420p," + std::to_string(frames));
  // One audio stream, the music cut to the video's length.
  const ProgramResult audio =
      RunProgram({"/usr/bin/env", "ffprobe", "-v", "error", "-select_streams", "a", "-show_entries",
                  "stream=codec_type,duration", "-of", "csv=p=0", dir.File("show.mp4")});
  ASSERT_EQ(audio.exitCode, 0) << audio.err;
  const std::vector<std::string> lines = SplitLines(audio.out);
  ASSERT_EQ(lines.size(), 1u) << audio.out;
  ASSERT_EQ(lines[0].rfind("audio,", 0), 0u) << lines[0];
  EXPECT_NEAR(std::stod(lines[0].substr(6)), std::stod(seconds), 0.1);
}

// ---- play in a real X server --------------------------------------------

// What the scripts that play vx1 in an X server begin with: SDL's dummy
// audio, no leak report, and their helpers (pid is vx1's, set later).
const char* const ScriptStart = R"SH(#!/bin/bash
export SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
# progress.txt notes when each step was reached, for the report of a failure.
note() { echo "$SECONDS s: $1" >> progress.txt; }
fail() { echo "$1 ($SECONDS s into the run)" > failure.txt; kill $pid 2>/dev/null; exit 1; }
# wait_until DEADLINE WHAT COMMAND...: runs COMMAND until it succeeds; fails
# once vx1 has ended or DEADLINE seconds of the run have passed.
wait_until() {
  local deadline=$1 what=$2
  shift 2
  until "$@"; do
    kill -0 $pid 2>/dev/null || fail "vx1 ended before $what"
    [ $SECONDS -lt $deadline ] || fail "no $what"
    sleep 0.1
  done
}
)SH";

// Runs vx1 --window --trace (with "e" first for the effect test) under
// xvfb-run with SDL's dummy audio: waits for the window, grabs the loading
// screen and then the show (or labda) while it plays, sends Escape and times
// the end. Every wait is for a condition (a trace line, the window, the input
// focus, the process's end) against a generous deadline in seconds of wall
// time since the script began, never a fixed count of polls, so a loaded
// machine makes the run slower but not different.
const std::string PlayScript = std::string(ScriptStart) + R"SH(
vx1="$1"; archive="$2"; mode="$3"; keys="$4"
"$vx1" $mode --window --trace --library "$archive" > stdout.txt 2> stderr.txt &
pid=$!
traced() { grep -q "^trace: $1\$" stderr.txt; }
# traced_times N WORD: at least N trace lines begin with WORD.
traced_times() { [ "$(grep -c "^trace: $2 " stderr.txt)" -ge "$1" ]; }
window_found() {
  wid=$(xdotool search --onlyvisible --name "VVS window" 2>/dev/null | head -n 1)
  [ -n "$wid" ]
}
window_focused() {
  xdotool windowfocus "$wid" 2>/dev/null
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$wid" ]
}
grab() {
  eval "$(xdotool getwindowgeometry --shell "$wid")"
  echo "$WIDTH $HEIGHT" > geometry.txt
  timeout 60 ffmpeg -loglevel error -y -f x11grab -video_size "${WIDTH}x${HEIGHT}" \
    -i "$DISPLAY+$X,$Y" -frames:v 1 -f rawvideo -pix_fmt rgb24 "$1" 2>> grab_errors.txt
}
# The window is made hidden and may be made anew with the renderer (SDL
# does so for an OpenGL renderer), so a window found during the set-up can
# vanish: look for it once the set-up is over (the next step is traced) and
# only among the windows that are shown.
if [ -z "$mode" ]; then first=LoadLoaderPicture; else first=LoadLabda; fi
wait_until 90 "end of the video set-up (trace: $first)" traced "$first"
wait_until 120 "shown window titled VVS window" window_found
note "window $wid"
if [ -z "$mode" ]; then
  # The loading screen is lit from its fade-in to the end of its fade-out,
  # a few seconds in all: grab it again and again over that span (the test
  # takes the brightest), so that however late a grab starts one lands on it.
  wait_until 150 "loading screen" traced LoaderFadeIn
  note "loading screen"
  n=0
  while [ $n -lt 8 ] && ! traced MainLoop; do
    n=$((n + 1))
    grab "loader$n.rgb"
    note "grabbed loader$n.rgb"
    sleep 0.5
  done
  playing=MainLoop
else
  playing=EffectLoop
fi
wait_until 210 "start of play (trace: $playing)" traced "$playing"
note "playing"
for n in 1 2 3; do
  sleep 1.5
  grab "show$n.rgb"
  note "grabbed show$n.rgb"
done
kill -0 $pid 2>/dev/null || fail "vx1 ended by itself"
if [ "$keys" = controls ]; then
  # The viewer's keys, each waited for in the trace: Space holds the frame
  # (grabbed twice a second apart), Right and Down seek while held, Space
  # plays on.
  wait_until $((SECONDS + 30)) "input focus on the window" window_focused
  press() { xdotool key --clearmodifiers "$1" || fail "xdotool could not press $1"; }
  press space
  wait_until $((SECONDS + 30)) "pause (trace: Pause)" traced_times 1 Pause
  sleep 0.5
  grab held1.rgb
  sleep 1
  grab held2.rgb
  press Right
  wait_until $((SECONDS + 30)) "seek (trace: Seek)" traced_times 1 Seek
  press Down
  wait_until $((SECONDS + 30)) "second seek (trace: Seek)" traced_times 2 Seek
  sleep 0.5
  grab held3.rgb
  press space
  wait_until $((SECONDS + 30)) "resume (trace: Resume)" traced_times 1 Resume
  note "keys done"
fi
# The key goes to the window that holds the input focus: give it to vx1's
# window and see that it has it before pressing Escape. The time runs from
# the moment the key has been sent to vx1's end, read from bash's own clock
# and wait, so that starting other programs on a loaded machine is not
# counted; a watchdog ends vx1 if it is still running 60 s after Escape.
wait_until $((SECONDS + 30)) "input focus on the window" window_focused
xdotool key --clearmodifiers Escape || fail "xdotool could not press Escape"
start=$EPOCHREALTIME
note "Escape pressed"
(
  trap 'kill $sleeper 2>/dev/null; exit 0' TERM
  sleep 60 &
  sleeper=$!
  wait $sleeper
  kill -9 $pid 2>/dev/null && echo "vx1 did not end within 60 s of Escape" > failure.txt
) &
watchdog=$!
wait $pid
echo $? > exitcode.txt
end=$EPOCHREALTIME
kill $watchdog 2>/dev/null
wait $watchdog
[ -e failure.txt ] && exit 1
echo $(( (${end//[.,]/} - ${start//[.,]/}) / 1000 )) > elapsed_ms.txt
)SH";

// Runs vx1 without a word under xvfb-run, started as a file manager
// starts it: by a program that is no shell (xdotool exec), with no terminal
// on any stream. The start-up box comes first: Escape in it ends the run
// without a show; Enter plays the show with the choices as they stand (full
// screen), which Escape then ends.
const std::string DialogScript = std::string(ScriptStart) + R"SH(
vx1="$1"
found() {
  wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)
  [ -n "$wid" ]
}
# The box's title is a UTF-8 WM_NAME, which xdotool's search does not read.
box_found() {
  wid=$(xwininfo -root -children 2>/dev/null | awk '/ "VX-1": / {print $1; exit}')
  [ -n "$wid" ]
}
# (xwininfo names windows in hex, xdotool in decimal.)
focused() {
  xdotool windowfocus "$wid" 2>/dev/null
  local focus
  focus=$(xdotool getwindowfocus 2>/dev/null) && [ $((focus)) -eq $((wid)) ]
}
# press KEY: to the window found last, once it holds the input focus.
press() {
  wait_until $((SECONDS + 30)) "input focus for $1" focused
  xdotool key --clearmodifiers "$1" || fail "xdotool could not press $1"
}
# xdotool exec --sync ends with the code of the program it ran.
start() { xdotool exec --sync "$vx1" < /dev/null > "out$1.txt" 2> "err$1.txt" & pid=$!; }

start quit
wait_until 60 "start-up box titled VX-1" box_found
note "box $wid"
press Escape
wait $pid
echo $? > exit_quit.txt
note "quit"

start play
wait_until $((SECONDS + 60)) "start-up box titled VX-1" box_found
press Return
wait_until $((SECONDS + 120)) "shown window titled VVS window" found "VVS window"
eval "$(xdotool getwindowgeometry --shell "$wid")"
echo "$WIDTH $HEIGHT" > geometry.txt
note "show $wid"
press Escape
wait $pid
echo $? > exit_play.txt
)SH";

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Fraction of lit pixels of a grabbed rgb24 window picture; 0 for a grab
// that is missing.
double GrabLitFraction(const std::string& path) {
  const Bytes bytes = FileExists(path) ? ReadFileBytes(path) : Bytes{};
  std::vector<std::uint32_t> words(bytes.size() / 3);
  for (std::size_t i = 0; i < words.size(); ++i)
    words[i] = (static_cast<std::uint32_t>(bytes[3 * i]) << 16) |
               (static_cast<std::uint32_t>(bytes[3 * i + 1]) << 8) | bytes[3 * i + 2];
  return LitFraction(words);
}

// The largest lit fraction of the grabs NAME1.rgb .. NAMEcount.rgb of the
// folder (those the script made).
double BrightestGrab(const TempDir& dir, const std::string& name, int count) {
  double best = 0.0;
  for (int n = 1; n <= count; ++n)
    best = std::max(best, GrabLitFraction(dir.File(name + std::to_string(n) + ".rgb")));
  return best;
}

// The trace lines in order ("trace: " dropped).
std::vector<std::string> TraceSteps(const std::string& err) {
  std::vector<std::string> steps;
  for (const std::string& line : SplitLines(err))
    if (line.rfind("trace: ", 0) == 0) steps.push_back(line.substr(7));
  return steps;
}

class Vx1InXServer : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_ARCHIVE();
    REQUIRE_TOOL("xvfb-run");
    REQUIRE_TOOL("xdotool");
    REQUIRE_TOOL("xwininfo");
    REQUIRE_TOOL("ffmpeg");
  }

  // Runs the play script; returns the folder's path with its results. The
  // script's own deadlines come first; this bound, under the test's own
  // time limit, only stops a run that hangs outside them.
  void Play(const TempDir& dir, const std::string& mode, const std::string& keys = "") {
    WriteTextFile(dir.File("play.sh"), PlayScript);
    // xvfb-run -a takes the first free display from 99 up, and two runs that
    // start at once (CTest runs two tests at a time) can both take the same
    // one: each test program starts its search at a display of its own.
    const std::string firstDisplay = std::to_string(100 + getpid() % 400);
    const ProgramResult r = RunProgram(
        {"/usr/bin/env", "timeout", "280", "xvfb-run", "-a", "-n", firstDisplay, "-s",
         "-screen 0 1280x1024x24",
         "/bin/bash", dir.File("play.sh"), Vx1Path(), ArchivePath(), mode, keys},
        dir.Path());
    ASSERT_EQ(r.exitCode, 0) << ReadText(dir.File("failure.txt")) << r.err
                             << ReadText(dir.File("stderr.txt"))
                             << ReadText(dir.File("grab_errors.txt"))
                             << ReadText(dir.File("progress.txt"));
    EXPECT_EQ(ReadText(dir.File("geometry.txt")), "960 720\n");  // --window at scale 3
  }
};

// The ticks of a "WORD T..." trace line's numbers, for the lines that begin
// with word, in order.
std::vector<std::vector<float>> TracedTicks(const std::vector<std::string>& steps,
                                            const std::string& word) {
  std::vector<std::vector<float>> lines;
  for (const std::string& step : steps) {
    if (step.rfind(word + " ", 0) != 0) continue;
    std::istringstream numbers(step.substr(word.size()));
    std::vector<float> ticks;
    for (float t = 0.0f; numbers >> t;) ticks.push_back(t);
    lines.push_back(ticks);
  }
  return lines;
}

// The show in a window with the viewer's keys pressed while it plays: the
// start-up and shutdown steps keep their order around them.
TEST_F(Vx1InXServer, PlaysTheShowInAWindowTakesTheViewersKeysAndEndsOnEscapeInOrder) {
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(Play(dir, "", "controls"));
  EXPECT_EQ(Trim(ReadText(dir.File("exitcode.txt"))), "0");
  EXPECT_LE(std::stoi(ReadText(dir.File("elapsed_ms.txt"))), 2000);
  EXPECT_GT(BrightestGrab(dir, "loader", 8), 0.01) << "the loading screen is black";
  EXPECT_GE(BrightestGrab(dir, "show", 3), 0.10);
  const std::vector<std::string> expected = {
      "OpenLibrary", "StartVideo",    "LoadLoaderPicture",    "LoaderFadeIn",  "LoadAllScenes",
      "StartMusic",  "LoaderFadeOut", "SetMusicScale",        "PlayMusic",     "MainLoop",
      "StopMusic",   "FreeMusic",     "ReleaseLoaderPicture", "FreeAllScenes", "StopVideo",
      "End 0"};
  std::vector<std::string> steps = TraceSteps(ReadText(dir.File("stderr.txt")));

  // Space held the frame: two grabs a second apart are the same picture.
  const Bytes held1 = ReadFileBytes(dir.File("held1.rgb"));
  ASSERT_FALSE(held1.empty());
  EXPECT_EQ(held1, ReadFileBytes(dir.File("held2.rgb"))) << "the paused frame moved";
  EXPECT_NE(held1, ReadFileBytes(dir.File("held3.rgb"))) << "the seeks did not show";
  // Right moved the held clock by exactly 5 s; Down went on to the first
  // moment of the next slot; Space played on from there.
  const auto paused = TracedTicks(steps, "Pause");
  const auto seeks = TracedTicks(steps, "Seek");
  const auto resumed = TracedTicks(steps, "Resume");
  ASSERT_EQ(paused.size(), 1u);
  ASSERT_EQ(seeks.size(), 2u);
  ASSERT_EQ(resumed.size(), 1u);
  ASSERT_EQ(seeks[0].size(), 2u);
  ASSERT_EQ(seeks[1].size(), 2u);
  EXPECT_EQ(seeks[0][0], paused[0][0]);
  EXPECT_EQ(seeks[0][1], paused[0][0] + 600.0f);
  EXPECT_EQ(seeks[1][0], seeks[0][1]);
  const int slot = TimelineSlotIndexAt(seeks[0][1]);
  EXPECT_EQ(seeks[1][1], TimelineSlotStart(slot + 1));
  EXPECT_EQ(resumed[0][0], seeks[1][1]);

  std::erase_if(steps, [](const std::string& step) {
    return step.rfind("Pause ", 0) == 0 || step.rfind("Seek ", 0) == 0 ||
           step.rfind("Resume ", 0) == 0;
  });
  EXPECT_EQ(steps, expected);
}

// Started from a file manager, vx1 asks before it plays: Quit (Escape)
// ends it at once and quietly, Play (Enter) starts the show full screen.
TEST_F(Vx1InXServer, AStartFromAFileManagerAsksFirst) {
  TempDir dir;
  WriteTextFile(dir.File("dialog.sh"), DialogScript);
  // No option names the archive: vx1 finds it in its current folder.
  std::filesystem::create_symlink(ArchivePath(), dir.File("vx-1.lib"));
  const std::string firstDisplay = std::to_string(100 + (getpid() + 200) % 400);
  const ProgramResult r =
      RunProgram({"/usr/bin/env", "timeout", "280", "xvfb-run", "-a", "-n", firstDisplay, "-s",
                  "-screen 0 1280x1024x24", "/bin/bash", dir.File("dialog.sh"), Vx1Path()},
                 dir.Path());
  ASSERT_EQ(r.exitCode, 0) << ReadText(dir.File("failure.txt")) << r.err
                           << ReadText(dir.File("progress.txt"));
  EXPECT_EQ(Trim(ReadText(dir.File("exit_quit.txt"))), "0");
  EXPECT_EQ(ReadText(dir.File("errquit.txt")), "");
  EXPECT_EQ(ReadText(dir.File("outquit.txt")), "");
  EXPECT_EQ(Trim(ReadText(dir.File("exit_play.txt"))), "0") << ReadText(dir.File("errplay.txt"));
  EXPECT_EQ(ReadText(dir.File("geometry.txt")), "1280 1024\n");  // full screen
}

TEST_F(Vx1InXServer, EffectTestPlaysLabdaAndEndsOnEscapeInOrder) {
  TempDir dir;
  ASSERT_NO_FATAL_FAILURE(Play(dir, "e"));
  EXPECT_EQ(Trim(ReadText(dir.File("exitcode.txt"))), "0");
  EXPECT_LE(std::stoi(ReadText(dir.File("elapsed_ms.txt"))), 2000);
  EXPECT_GE(BrightestGrab(dir, "show", 3), 0.10);
  const std::vector<std::string> expected = {"OpenLibrary", "StartVideo", "LoadLabda", "StartTimer",
                                             "EffectLoop",  "FreeLabda",  "StopVideo", "End 0"};
  EXPECT_EQ(TraceSteps(ReadText(dir.File("stderr.txt"))), expected);
}

}  // namespace
}  // namespace vx::test
