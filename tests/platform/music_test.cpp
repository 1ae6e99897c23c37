// The music clock: byte-rate and tick arithmetic, interpolation between
// audio callbacks, the silent clock, the SDL backend on SDL's dummy audio
// driver, and the failure lines with their exit code.
#include "platform/music.h"

#include <gtest/gtest.h>
#include <lame/lame.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "datalib/datalib.h"
#include "platform/music_backends.h"
#include "support/testlib.h"

namespace vx {
namespace {

using test::Bytes;

TEST(MusicArithmetic, ByteRateIsBytesNotBits) {
  // 44100 Hz, 16 bits, stereo: 176400 bytes a second (1411200 is the bits).
  EXPECT_EQ(MusicBytesPerSecond(44100, 16, 2), 176400.0f);
  EXPECT_EQ(MusicBytesPerSecond(22050, 8, 1), 22050.0f);
  EXPECT_EQ(MusicBytesPerSecond(48000, 16, 1), 96000.0f);
}

TEST(MusicArithmetic, OneTickOf44100HzStereoIs1470Bytes) {
  const float bytesPerSecond = MusicBytesPerSecond(44100, 16, 2);
  EXPECT_EQ(MusicTicks(1470, bytesPerSecond, 120), 1.0f);
  EXPECT_EQ(MusicTicks(176400, bytesPerSecond, 120), 120.0f);
  // 121 s of music, the timeline's end bound.
  EXPECT_EQ(MusicTicks(121u * 176400u, bytesPerSecond, 120), 14520.0f);
}

TEST(MusicArithmetic, Mono8Bit22050HzGives120TicksFor22050Bytes) {
  EXPECT_EQ(MusicTicks(22050, MusicBytesPerSecond(22050, 8, 1), 120), 120.0f);
}

TEST(MusicArithmetic, PositionIsUnsigned) {
  const float ticks = MusicTicks(0xFFFFFFFFu, 176400.0f, 120);
  // 4294967295 / 176400 x 120, worked out by hand: 2921746.459...
  EXPECT_GT(ticks, 0.0f);
  EXPECT_EQ(ticks, static_cast<float>(4294967295.0L / 176400.0L * 120.0L));
  EXPECT_NEAR(ticks, 2921746.46f, 0.5f);
}

TEST(MusicArithmetic, ScaleZeroOrNoByteRateGivesZero) {
  EXPECT_EQ(MusicTicks(123456, 176400.0f, 0), 0.0f);
  EXPECT_EQ(MusicTicks(0xFFFFFFFFu, 176400.0f, 0), 0.0f);
  EXPECT_EQ(MusicTicks(123456, 0.0f, 120), 0.0f);
}

TEST(MusicArithmetic, TicksAreWorkedOutBeyondSinglePrecision) {
  // 16777217 bytes cannot be held by a single; the quotient must still come
  // from the exact position. Reference: 16777217 / 176400 x 120 = 11413.07...
  const float ticks = MusicTicks(16777217u, 176400.0f, 120);
  EXPECT_EQ(ticks, static_cast<float>(16777217.0L / 176400.0L * 120.0L));
}

TEST(MusicInterpolation, AdvancesWithElapsedTimeUpToTheCeiling) {
  const double rate = 176400.0;
  EXPECT_EQ(InterpolatePlayedBytes(10000, 20000, 0.0, rate), 10000u);
  EXPECT_EQ(InterpolatePlayedBytes(10000, 20000, 0.01, rate), 11764u);
  EXPECT_EQ(InterpolatePlayedBytes(10000, 20000, 0.05, rate), 18820u);
  // Never beyond what the device was given, however late the next callback.
  EXPECT_EQ(InterpolatePlayedBytes(10000, 20000, 0.1, rate), 20000u);
  EXPECT_EQ(InterpolatePlayedBytes(10000, 20000, 3600.0, rate), 20000u);
}

TEST(MusicInterpolation, NeverBelowThePositionAtTheCallback) {
  EXPECT_EQ(InterpolatePlayedBytes(10000, 20000, -0.5, 176400.0), 10000u);
  EXPECT_EQ(InterpolatePlayedBytes(10000, 5000, 1.0, 176400.0), 10000u);
  EXPECT_EQ(InterpolatePlayedBytes(10000, 20000, 1.0, 0.0), 10000u);
  // Positions beyond 32 bits (hours of output) stay exact.
  const std::uint64_t far = std::uint64_t{1} << 40;
  EXPECT_EQ(InterpolatePlayedBytes(far, far + 5000, 0.01, 176400.0), far + 1764);
}

// The browser's clock: what the listener hears, from one reading of the
// audio context. Each case: the reading, the context time at play and the
// start position; the seconds heard, worked out by hand.
struct HeardCase {
  const char* name;
  AudioContextReading reading;
  double playStart;
  double startSeconds;
  double seconds;
};

class WebMusicClock : public ::testing::TestWithParam<HeardCase> {};

TEST_P(WebMusicClock, HeardPositionFromOneReading) {
  const HeardCase& c = GetParam();
  EXPECT_NEAR(HeardMusicSeconds(c.reading, c.playStart, c.startSeconds), c.seconds, 1e-9);
}

// Reading fields: contextTime, latency, outputContextTime,
// outputPerformanceTime, performanceNow.
INSTANTIATE_TEST_SUITE_P(
    Readings, WebMusicClock,
    ::testing::Values(
        // No output timestamp yet: the context time less the latency.
        HeardCase{"LatencyBeforeTheOutputReports", {10.0, 0.042, 0.0, 0.0, 100.0}, 5.0, 0.0, 4.958},
        // The timestamp (9.95 heard at 100.00) carried 20 ms forward.
        HeardCase{"TimestampCarriedForward", {10.0, 0.042, 9.95, 100.0, 100.02}, 5.0, 2.0, 6.97},
        // Carried 200 ms forward it would pass the context time: capped.
        HeardCase{"NeverBeyondTheContextTime", {10.0, 0.042, 9.95, 100.0, 100.2}, 5.0, 2.0, 7.0},
        // performance.now() read before the timestamp was taken.
        HeardCase{"TimestampFromTheFutureNotCarriedBack",
                  {10.0, 0.042, 9.95, 100.0, 99.9},
                  5.0,
                  2.0,
                  6.95},
        // Right after play the latency reaches back before the start: the
        // start position, not earlier.
        HeardCase{"NotBeforeTheStartPosition", {5.01, 0.04, 0.0, 0.0, 50.0}, 5.0, 30.0, 30.0}),
    [](const ::testing::TestParamInfo<HeardCase>& info) { return std::string(info.param.name); });

TEST(WebMusicClockSmoothness, AdvancesBetweenOutputReportsAtRealTime) {
  // One output timestamp, read every millisecond for one 128-frame quantum
  // (2.9 ms at 44100 Hz): every reading is later than the one before.
  AudioContextReading reading{20.0, 0.01, 19.99, 200.0, 200.0};
  double last = HeardMusicSeconds(reading, 10.0, 0.0);
  EXPECT_NEAR(last, 9.99, 1e-9);
  for (int ms = 1; ms <= 2; ++ms) {
    reading.performanceNow = 200.0 + ms / 1000.0;
    const double now = HeardMusicSeconds(reading, 10.0, 0.0);
    EXPECT_NEAR(now - last, 0.001, 1e-9);
    last = now;
  }
}

// Waits (bounded) until MusicTime passes target, checking on every reading
// that the clock never steps back. Returns the last reading.
float WaitForMusicTime(float target) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  float last = MusicTime();
  while (last <= target && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const float now = MusicTime();
    EXPECT_GE(now, last);
    last = now;
  }
  return last;
}

class SilentMusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::OpenTestLibrary(dir, {{"DATA\\oompa.mp3", test::ToBytes("not decoded")}}));
  }
  void TearDown() override {
    FreeMusic();
    ConfigureMusic(MusicOptions{});
    CloseLibrary();
  }
  test::TempDir dir;
};

TEST_F(SilentMusicTest, ClockStartsAtTheStartPositionAndAdvancesMonotonically) {
  MusicOptions options;
  options.startSeconds = 10.0;
  ConfigureMusic(options);
  StartMusic("DATA\\oompa.mp3", 44100, false, false, true);
  SetMusicScale(120);
  EXPECT_EQ(MusicTime(), 1200.0f);
  PlayMusic(false);
  const float first = MusicTime();
  EXPECT_GE(first, 1200.0f);
  EXPECT_LT(first, 1200.0f + 120.0f * 5);
  EXPECT_GT(WaitForMusicTime(first), first);

  StopMusic();
  const float frozen = MusicTime();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(MusicTime(), frozen);
}

TEST_F(SilentMusicTest, NormalRunStartsAtZeroAndScaleZeroStaysZero) {
  StartMusic("DATA\\oompa.mp3", 44100, false, false, true);
  SetMusicScale(120);
  EXPECT_EQ(MusicTime(), 0.0f);
  SetMusicScale(0);
  PlayMusic(false);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(MusicTime(), 0.0f);
}

TEST_F(SilentMusicTest, PlayingAgainRestartsFromTheStartPosition) {
  StartMusic("DATA\\oompa.mp3", 44100, false, false, true);
  SetMusicScale(120);
  PlayMusic(false);
  // Far enough (0.3 s) that a restarted clock cannot have caught up.
  const float before = WaitForMusicTime(36.0f);
  ASSERT_GT(before, 36.0f);
  StopMusic();
  PlayMusic(false);
  EXPECT_LT(MusicTime(), before);
}

// A backend whose position falls back (an interpolation overtaken by a late
// callback) is answered with the last time returned until it passes it. The
// test's own table is the silent backend with that position in place of its
// clock.
const float fallingBackReadings[] = {10.0f, 20.0f, 15.0f, 25.0f, 5.0f, 30.0f};
std::size_t fallingBackNext = 0;

float FallingBackTicks(double /*startSeconds*/, std::uint32_t /*scale*/) {
  return fallingBackReadings[fallingBackNext++ % std::size(fallingBackReadings)];
}

const MusicRoutines fallingBackMusic{SilentMusic.start, SilentMusic.play, FallingBackTicks,
                                     SilentMusic.stop, SilentMusic.free};

TEST_F(SilentMusicTest, ClockNeverStepsBackWhenTheBackendsPositionDoes) {
  ConfigureMusic(MusicOptions{}, fallingBackMusic);
  StartMusic("DATA\\oompa.mp3", 44100, false, false, true);
  SetMusicScale(120);
  PlayMusic(false);
  fallingBackNext = 0;
  std::vector<float> times;
  for (int i = 0; i < 6; ++i) times.push_back(MusicTime());
  EXPECT_EQ(times, (std::vector<float>{10.0f, 20.0f, 20.0f, 25.0f, 25.0f, 30.0f}));
}

// A backend on a clock the test moves by hand (seconds): the position runs
// from each play's start at the clock's pace and freezes at stop.
struct HandClock {
  double now = 0.0;
  double playStart = 0.0, playAt = 0.0, frozen = 0.0;
  bool playing = false, stopped = false;
} handClock;

double HandHeard(double startSeconds) {
  if (handClock.stopped) return handClock.frozen;
  if (!handClock.playing) return startSeconds;
  return handClock.playStart + (handClock.now - handClock.playAt);
}
void HandPlay(double startSeconds, bool /*loop*/) {
  handClock.playStart = startSeconds;
  handClock.playAt = handClock.now;
  handClock.playing = true;
  handClock.stopped = false;
}
float HandTicks(double startSeconds, std::uint32_t scale) {
  return static_cast<float>(HandHeard(startSeconds) * scale);
}
void HandStop() {
  handClock.frozen = HandHeard(0.0);
  handClock.playing = false;
  handClock.stopped = true;
}

const MusicRoutines handClockMusic{SilentMusic.start, HandPlay, HandTicks, HandStop,
                                   SilentMusic.free};

// The window applies its keys before it reads the clock, so a pause comes
// while the clock has moved on since its last reading: the paused moment is
// the clock at the pause, and resuming plays on from there. Each case: the
// seconds of the last reading before the pause (negative: none since play)
// and of the pause.
TEST_F(SilentMusicTest, PauseHoldsTheClockAtThePauseNotAtItsLastReading) {
  struct Case {
    double readAt, pauseAt;
  };
  for (const Case c : {Case{10.0, 12.5}, Case{-1.0, 3.0}, Case{7.0, 7.0}}) {
    SCOPED_TRACE(testing::Message() << "read at " << c.readAt << ", paused at " << c.pauseAt);
    handClock = HandClock{};
    ConfigureMusic(MusicOptions{}, handClockMusic);
    StartMusic("DATA\\oompa.mp3", 44100, false, false, true);
    SetMusicScale(120);
    PlayMusic(false);
    if (c.readAt >= 0.0) {
      handClock.now = c.readAt;
      EXPECT_EQ(MusicTime(), static_cast<float>(c.readAt * 120));
    }
    handClock.now = c.pauseAt;
    PauseMusic();
    const auto held = static_cast<float>(c.pauseAt * 120);
    EXPECT_EQ(MusicTime(), held);
    handClock.now = c.pauseAt + 4.0;  // paused for four seconds
    EXPECT_EQ(MusicTime(), held);
    ResumeMusic();
    EXPECT_EQ(handClock.playStart, c.pauseAt);
    handClock.now = c.pauseAt + 5.0;
    EXPECT_EQ(MusicTime(), held + 120.0f);
    FreeMusic();
  }
}

// Runs body in a child that ends the process; its standard output is sent to
// standard error, so the death test's pattern sees the console lines (the
// data library's search lines come first).
#define EXPECT_MUSIC_FAILURE(body, pattern)         \
  do {                                              \
    GTEST_FLAG_SET(death_test_style, "threadsafe"); \
    EXPECT_EXIT(                                    \
        {                                           \
          dup2(STDERR_FILENO, STDOUT_FILENO);       \
          body;                                     \
        },                                          \
        ::testing::ExitedWithCode(1), pattern);     \
  } while (false)

TEST_F(SilentMusicTest, MissingFileIsAFileReadErrorWithExitCode1) {
  EXPECT_MUSIC_FAILURE(StartMusic("DATA\\other.mp3", 44100, false, false, true),
                       "(^|\n)Error: File read error\n$");
}

// An MP3 of a 440 Hz tone made with LAME: seconds long, 44100 Hz stereo.
Bytes ToneMp3(double seconds) {
  const int rate = 44100;
  const int frames = static_cast<int>(seconds * rate);
  std::vector<short> pcm(static_cast<std::size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const auto v = static_cast<short>(8000 * std::sin(2.0 * 3.14159265358979 * 440.0 * i / rate));
    pcm[2 * i] = v;
    pcm[2 * i + 1] = v;
  }
  lame_t lame = lame_init();
  lame_set_in_samplerate(lame, rate);
  lame_set_out_samplerate(lame, rate);
  lame_set_num_channels(lame, 2);
  lame_set_brate(lame, 128);
  lame_set_quality(lame, 7);
  EXPECT_EQ(lame_init_params(lame), 0);
  Bytes mp3(static_cast<std::size_t>(1.25 * frames + 7200 + 7200));
  const int written = lame_encode_buffer_interleaved(lame, pcm.data(), frames, mp3.data(),
                                                     static_cast<int>(mp3.size()));
  EXPECT_GE(written, 0);
  const int flushed =
      lame_encode_flush(lame, mp3.data() + written, static_cast<int>(mp3.size()) - written);
  EXPECT_GE(flushed, 0);
  lame_close(lame);
  mp3.resize(static_cast<std::size_t>(written + flushed));
  return mp3;
}

class SdlMusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    MusicOptions options;
    options.backend = MusicBackend::Sdl;
    ConfigureMusic(options);
  }
  void TearDown() override {
    FreeMusic();
    ConfigureMusic(MusicOptions{});
    CloseLibrary();
    unsetenv("SDL_AUDIODRIVER");
  }
  test::TempDir dir;
};

TEST_F(SdlMusicTest, ClockRunsMonotonicallyAndKeepsRunningAfterTheStreamEnds) {
  ASSERT_TRUE(test::OpenTestLibrary(dir, {{"DATA\\oompa.mp3", ToneMp3(0.3)}}));
  StartMusic("DATA\\oompa.mp3", 44100, false, false, true);
  SetMusicScale(120);
  EXPECT_EQ(MusicTime(), 0.0f);
  PlayMusic(false);
  // The tone lasts 0.3 s (36 ticks); the clock must carry on past it.
  const float reached = WaitForMusicTime(0.6f * 120);
  EXPECT_GT(reached, 0.6f * 120);
  StopMusic();
  const float frozen = MusicTime();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(MusicTime(), frozen);
}

TEST_F(SdlMusicTest, PlayingStartsAtTheConfiguredPosition) {
  ASSERT_TRUE(test::OpenTestLibrary(dir, {{"DATA\\oompa.mp3", ToneMp3(1.0)}}));
  MusicOptions options;
  options.backend = MusicBackend::Sdl;
  options.startSeconds = 0.5;
  ConfigureMusic(options);
  StartMusic("DATA\\oompa.mp3", 44100, false, false, true);
  SetMusicScale(120);
  EXPECT_EQ(MusicTime(), 60.0f);
  PlayMusic(false);
  EXPECT_GE(MusicTime(), 60.0f);
  EXPECT_GT(WaitForMusicTime(61.0f), 61.0f);
}

TEST_F(SdlMusicTest, BytesThatAreNotAnMp3FailWithExitCode1) {
  Bytes text = test::ToBytes(std::string(4000, 'x'));
  ASSERT_TRUE(test::OpenTestLibrary(dir, {{"DATA\\oompa.mp3", text}}));
  EXPECT_MUSIC_FAILURE(StartMusic("DATA\\oompa.mp3", 44100, false, false, true),
                       "(^|\n)BASS Error \\([0-9]+\\): Not an MP3\nlibmpg123: ");
}

TEST_F(SdlMusicTest, MissingFileIsAFileReadError) {
  ASSERT_TRUE(test::OpenTestLibrary(dir, {{"DATA\\x.jpg", Bytes(10, 1)}}));
  EXPECT_MUSIC_FAILURE(StartMusic("DATA\\oompa.mp3", 44100, false, false, true),
                       "(^|\n)Error: File read error\n$");
}

TEST_F(SdlMusicTest, NoSoundDeviceSuggestsMute) {
  ASSERT_TRUE(test::OpenTestLibrary(dir, {{"DATA\\oompa.mp3", ToneMp3(0.1)}}));
  EXPECT_MUSIC_FAILURE(
      {
        setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
        StartMusic("DATA\\oompa.mp3", 44100, false, false, true);
      },
      "(^|\n)BASS Error \\(4294967295\\): Can't initialize device\n.*--mute");
}

// The native build has no browser audio: asking for it fails as a missing
// sound device does, with the program's own line and exit code 1.
TEST_F(SilentMusicTest, TheBrowserBackendFailsAsAMissingDevice) {
  MusicOptions options;
  options.backend = MusicBackend::Web;
  ConfigureMusic(options);
  EXPECT_MUSIC_FAILURE(StartMusic("DATA\\oompa.mp3", 44100, false, false, true),
                       "(^|\n)BASS Error \\(4294967295\\): Can't initialize device\n");
}

}  // namespace
}  // namespace vx
