// The soundtrack as the show plays it: the build's DATA/oompa.mp3 decoded
// with libmpg123 (the decoder the music layer uses). Format and length,
// headroom, loudness of every slot, the arc of the middle minute, the mix's
// brightness and width, the fade, beats on the 0.43 s grid and clean edges
// at silence; and the encoder's tag, which lets the decoder return the
// samples in step with the synthesiser's time line.
#include <gtest/gtest.h>
#include <mpg123.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "music_meter.h"
#include "music_mix.h"
#include "music_score.h"
#include "show_content.h"
#include "support/testlib.h"

namespace vx::test {
namespace {

namespace music = content::music;

const std::string kMp3Path = std::string(VX_SHOW_DATA_DIR) + "/DATA/oompa.mp3";

struct Decoded {
  long rate = 0;
  int channels = 0;
  std::vector<float> left, right;  // samples / 32768
  std::string error;               // empty when the whole file decoded
  double Seconds() const { return rate > 0 ? static_cast<double>(left.size()) / rate : 0.0; }
};

// The whole file as 16-bit samples, gapless (the decoder's default).
Decoded DecodeMp3(const std::string& path) {
  Decoded out;
  int error = MPG123_OK;
  mpg123_handle* handle = mpg123_new(nullptr, &error);
  if (!handle) {
    out.error = mpg123_plain_strerror(error);
    return out;
  }
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  mpg123_format_none(handle);
  for (long rate : {32000L, 44100L, 48000L})
    mpg123_format(handle, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open(handle, path.c_str()) != MPG123_OK) {
    out.error = mpg123_strerror(handle);
    mpg123_delete(handle);
    return out;
  }
  std::vector<std::int16_t> chunk(16384);
  for (;;) {
    std::size_t done = 0;
    const int result =
        mpg123_read(handle, chunk.data(), chunk.size() * sizeof(std::int16_t), &done);
    if (result == MPG123_NEW_FORMAT || out.rate == 0) {
      int encoding = 0;
      mpg123_getformat(handle, &out.rate, &out.channels, &encoding);
    }
    const std::size_t count = done / sizeof(std::int16_t);
    for (std::size_t i = 0; out.channels > 0 && i + out.channels <= count; i += out.channels) {
      out.left.push_back(chunk[i] / 32768.0f);
      out.right.push_back(chunk[i + out.channels - 1] / 32768.0f);
    }
    if (result == MPG123_DONE) break;
    if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
      out.error = mpg123_strerror(handle);
      break;
    }
  }
  mpg123_close(handle);
  mpg123_delete(handle);
  return out;
}

std::size_t FrameOf(double seconds) {
  return static_cast<std::size_t>(std::llround(seconds * 44100.0));
}

double Rms(const Decoded& d, double from, double to) {
  const std::size_t first = std::min(FrameOf(from), d.left.size());
  const std::size_t last = std::min(FrameOf(to), d.left.size());
  double sum = 0.0;
  for (std::size_t i = first; i < last; ++i) sum += d.left[i] * d.left[i] + d.right[i] * d.right[i];
  return last > first ? std::sqrt(sum / (2.0 * static_cast<double>(last - first))) : 0.0;
}

// Onset strength over time, from `from` seconds on. Mono frames of 1024
// samples (Hann window) every 256 samples (or every hop); their spectra summed into 24
// bands spaced evenly in log frequency (43 Hz to 22 kHz); the novelty of a
// frame is the positive flux, the sum over bands of the rise in magnitude
// since the previous frame. Sustained sounds make the novelty flicker
// around a floor, so an onset is where it rises above twice its mean over
// the surrounding 0.37 s, and its strength is the excess over that mean.
// Each value is stamped with its frame's centre time.
struct Onset {
  double time;
  double strength;
};
std::vector<Onset> Onsets(const Decoded& d, double from, double to, std::size_t hop = 256) {
  constexpr std::size_t kSize = 1024, kBands = 24;
  const std::size_t around = 32 * 256 / hop;  // frames on each side of the mean: 0.19 s
  std::vector<double> window(kSize);
  for (std::size_t i = 0; i < kSize; ++i) window[i] = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / kSize);
  std::array<std::size_t, kBands + 1> edges{};
  for (std::size_t b = 0; b <= kBands; ++b)
    edges[b] = static_cast<std::size_t>(
        std::lround(std::pow(kSize / 2.0, static_cast<double>(b) / kBands)));
  std::array<double, kBands> previous{}, band{};
  std::vector<std::complex<double>> frame(kSize);
  std::vector<double> novelty, times;
  const std::size_t end = std::min(FrameOf(to), d.left.size());
  for (std::size_t start = FrameOf(from) - kSize / 2; start + kSize <= end; start += hop) {
    for (std::size_t i = 0; i < kSize; ++i)
      frame[i] = window[i] * 0.5 * (d.left[start + i] + d.right[start + i]);
    music::Fft(frame);
    double flux = 0.0;
    for (std::size_t b = 0; b < kBands; ++b) {
      band[b] = 0.0;
      for (std::size_t k = edges[b]; k < std::max(edges[b + 1], edges[b] + 1); ++k)
        band[b] += std::abs(frame[k]);
      flux += std::max(0.0, band[b] - previous[b]);
    }
    novelty.push_back(times.empty() ? 0.0 : flux);
    times.push_back(static_cast<double>(start + kSize / 2) / 44100.0);
    previous = band;
  }
  std::vector<Onset> onsets;
  for (std::size_t i = 0; i < novelty.size(); ++i) {
    const std::size_t first = i >= around ? i - around : 0;
    const std::size_t last = std::min(novelty.size(), i + around + 1);
    double mean = 0.0;
    for (std::size_t j = first; j < last; ++j) mean += novelty[j];
    mean /= static_cast<double>(last - first);
    onsets.push_back({times[i], novelty[i] > 2.0 * mean ? novelty[i] - mean : 0.0});
  }
  return onsets;
}

// Onset strength within 35 ms of a line of the grid (origin, beat) against
// the strength everywhere else.
double OnGridRatio(const std::vector<Onset>& onsets, double origin, double beat) {
  double on = 0.0, off = 0.0;
  for (const Onset& o : onsets) {
    const double phase = std::remainder(o.time - origin, beat);
    (std::fabs(phase) <= 0.035 ? on : off) += o.strength;
  }
  return off > 0.0 ? on / off : 0.0;
}

class Soundtrack : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { decoded_ = new Decoded(DecodeMp3(kMp3Path)); }
  static void TearDownTestSuite() {
    delete decoded_;
    decoded_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(FileExists(kMp3Path)) << "the build did not generate " << kMp3Path;
    ASSERT_EQ(decoded_->error, "") << kMp3Path;
  }
  static const Decoded& Music() { return *decoded_; }

 private:
  static Decoded* decoded_;
};
Decoded* Soundtrack::decoded_ = nullptr;

TEST_F(Soundtrack, IsStereoAt44100HzAndAtLeast122SecondsLong) {
  EXPECT_EQ(Music().rate, 44100);
  EXPECT_EQ(Music().channels, 2);
  EXPECT_GE(Music().Seconds(), 122.0);
}

TEST_F(Soundtrack, PeaksStayBelowMinusOneDecibelFullScale) {
  float peak = 0.0f;
  for (std::size_t i = 0; i < Music().left.size(); ++i)
    peak = std::max({peak, std::fabs(Music().left[i]), std::fabs(Music().right[i])});
  EXPECT_LT(peak, std::pow(10.0, -1.0 / 20.0));
  EXPECT_GT(peak, std::pow(10.0, -12.0 / 20.0)) << "the piece is nearly silent";
}

TEST_F(Soundtrack, EverySlotIsWithinSixDecibelsOfTheWholePiece) {
  const double whole = Rms(Music(), 0.0, 120.0);
  ASSERT_GT(whole, 0.0);
  double start = 0.0;
  for (double end : music::SlotEnds) {
    const double level = 20.0 * std::log10(Rms(Music(), start, end) / whole);
    EXPECT_LE(std::fabs(level), 6.0)
        << "slot " << start << " to " << end << " s is " << level << " dB";
    start = end;
  }
}

TEST_F(Soundtrack, HasFadedOutBy120Seconds) {
  const double whole = Rms(Music(), 0.0, 120.0);
  EXPECT_LT(Rms(Music(), 120.0, Music().Seconds()), whole * 1e-3);
  EXPECT_GT(Rms(Music(), 114.0, 116.0), whole * 0.25)
      << "the last slot should still sound before the fade";
}

TEST_F(Soundtrack, BeatsFromTheBlueWorldOnFallOnThe043SecondGrid) {
  const std::vector<Onset> onsets = Onsets(Music(), music::GridStart, 119.0);
  ASSERT_GT(onsets.size(), 10000u);
  const double ratio = OnGridRatio(onsets, music::GridStart, 0.43);
  EXPECT_GE(ratio, 2.0) << "onset flux on the grid against off it";
  // The grid really is this one: moved by any eighth of a beat, or at a
  // tempo 2% off, far less of the flux falls on its lines.
  for (int eighth = 1; eighth < 8; ++eighth)
    EXPECT_LT(OnGridRatio(onsets, music::GridStart + eighth * 0.43 / 8.0, 0.43), ratio * 0.6)
        << eighth;
  EXPECT_LT(OnGridRatio(onsets, music::GridStart, 0.43 * 1.02), ratio * 0.6);
}

// A click is a step in the waveform. Where the music leaves or enters
// silence (the file's start, the end of the fade, any pause), the largest
// change between neighbouring samples over the next or previous 5 ms must
// stay below 0.01 of full scale (-40 dB), far under the step an unramped
// note would make at these levels.
TEST_F(Soundtrack, LeavesAndEntersSilenceWithoutAStep) {
  const Decoded& d = Music();
  const auto silent = [&](std::size_t i) {
    return std::fabs(d.left[i]) < 3e-4f && std::fabs(d.right[i]) < 3e-4f;
  };
  const auto largestStep = [&](std::size_t first, std::size_t last) {
    float step = 0.0f;
    for (std::size_t i = std::max<std::size_t>(first, 1); i < std::min(last, d.left.size()); ++i)
      step = std::max(
          {step, std::fabs(d.left[i] - d.left[i - 1]), std::fabs(d.right[i] - d.right[i - 1])});
    return step;
  };
  const std::size_t quiet = FrameOf(0.010), edge = FrameOf(0.005);
  // Boundaries: sample indices where a silent run of at least 10 ms begins
  // or ends; the file's start counts as the end of a silence.
  std::vector<std::size_t> starts = {0}, ends;
  for (std::size_t i = 0; i < d.left.size();) {
    if (!silent(i)) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < d.left.size() && silent(j)) ++j;
    if (j - i >= quiet) {
      if (i > 0) ends.push_back(i);
      if (j < d.left.size()) starts.push_back(j);
    }
    i = j;
  }
  ASSERT_FALSE(ends.empty()) << "the piece should end in silence";
  for (std::size_t at : starts)
    EXPECT_LT(std::max(largestStep(at, at + edge),
                       at == 0 ? std::max(std::fabs(d.left[0]), std::fabs(d.right[0])) : 0.0f),
              0.01f)
        << "sound starts at " << at / 44100.0 << " s";
  for (std::size_t at : ends)
    EXPECT_LT(largestStep(at > edge ? at - edge : 0, at + 1), 0.01f)
        << "sound stops at " << at / 44100.0 << " s";
}

// The show's hard cuts: the slot boundaries where the picture changes at
// once (the slots from 10.953 s and from 109.82 s fade in from black).
constexpr std::array<double, 8> kHardCuts = {19.656, 33.6,  47.359, 54.425,
                                             68.4,   82.25, 92.84,  101.135};

// Where the strongest onset within 0.2 s of a time lies, relative to it;
// onsets from frames every 64 samples (1.5 ms). NaN when nothing sets on.
double StrongestOnsetOffset(const Decoded& d, double at) {
  double best = 0.0, offset = std::nan("");
  for (const Onset& o : Onsets(d, at - 0.6, at + 0.6, 64)) {
    if (std::fabs(o.time - at) <= 0.2 && o.strength > best) {
      best = o.strength;
      offset = o.time - at;
    }
  }
  return offset;
}

TEST_F(Soundtrack, EveryHardCutHasItsStrongestOnsetWithin20Milliseconds) {
  for (double cut : kHardCuts) {
    const double offset = StrongestOnsetOffset(Music(), cut);
    std::printf("cut %8.3f s: strongest onset %+6.1f ms\n", cut, 1000.0 * offset);
    EXPECT_LE(std::fabs(offset), 0.020) << "cut at " << cut << " s";
  }
}

// EBU R128 figures of the decoded file: a loudness range of at least 6 LU;
// the drumless intro at least 4 LU under every slot that carries the full
// groove (slots 4 to 9); no 400 ms swell more than 5 LU louder than the
// louder of its neighbouring 2 s; the true peak at -1 dBTP or lower.
class SoundtrackLoudness : public Soundtrack {
 protected:
  static void SetUpTestSuite() {
    Soundtrack::SetUpTestSuite();
    samples_ = new music::Stereo;
    samples_->left = Music().left;
    samples_->right = Music().right;
    meter_ = new music::LoudnessMeter(*samples_);
    truePeakDb_ = 20.0 * std::log10(music::TruePeak(*samples_));
  }
  static void TearDownTestSuite() {
    delete meter_;
    meter_ = nullptr;
    delete samples_;
    samples_ = nullptr;
    Soundtrack::TearDownTestSuite();
  }
  static const music::Stereo& Samples() { return *samples_; }
  static const music::LoudnessMeter& Meter() { return *meter_; }
  static double TruePeakDb() { return truePeakDb_; }

 private:
  static music::Stereo* samples_;
  static music::LoudnessMeter* meter_;
  static double truePeakDb_;
};
music::Stereo* SoundtrackLoudness::samples_ = nullptr;
music::LoudnessMeter* SoundtrackLoudness::meter_ = nullptr;
double SoundtrackLoudness::truePeakDb_ = 0.0;

TEST_F(SoundtrackLoudness, RangeIsAtLeastSixLu) {
  const double range = Meter().Range(0.0, 120.0);
  std::printf("loudness range %.1f LU, integrated %.1f LUFS\n", range,
              Meter().Integrated(0.0, 120.0));
  EXPECT_GE(range, 6.0);
}

TEST_F(SoundtrackLoudness, TheIntroIsAtLeastFourLuUnderEveryGrooveSlot) {
  std::array<double, music::SectionCount> slots{};
  double start = 0.0;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    slots[i] = Meter().Integrated(start, music::SlotEnds[i]);
    std::printf("slot %2zu %7.3f-%7.3f s: %6.1f LUFS\n", i + 1, start, music::SlotEnds[i],
                slots[i]);
    start = music::SlotEnds[i];
  }
  for (std::size_t i = 3; i <= 8; ++i) EXPECT_LE(slots[0], slots[i] - 4.0) << "slot " << i + 1;
}

TEST_F(SoundtrackLoudness, NoSwellStandsOutMoreThanFiveLuFromItsSurroundings) {
  double where = 0.0;
  const double rise = Meter().LargestRise(0.0, 120.0, &where);
  std::printf("largest 400 ms rise %.1f LU at %.1f s\n", rise, where);
  EXPECT_LE(rise, 5.0) << "the 400 ms from " << where << " s";
}

// The middle minute, from the seesaw's cut to the end of the spinning
// effect, is no plateau: its slots' loudness spans at least 4 LU, the
// short-term loudness inside a slot moves by at least 2 LU (loudness range,
// median over the slots), and the slot of the spinning effect is the
// loudest, reached by the largest step up between neighbouring slots.
constexpr double kMiddleStart = 19.656, kMiddleEnd = 101.135, kEffect = 92.84;

TEST_F(SoundtrackLoudness, TheMiddleMinuteRisesToItsPeakAtTheSpinningEffect) {
  struct Slot {
    double start, loudness, spread;
  };
  std::vector<Slot> slots;
  double start = 0.0;
  for (double end : music::SlotEnds) {
    if (start >= kMiddleStart - 1e-6 && end <= kMiddleEnd + 1e-6) {
      slots.push_back({start, Meter().Integrated(start, end), Meter().Range(start, end)});
      std::printf("slot %7.3f-%7.3f s: %6.1f LUFS, short-term range %.1f LU\n", start, end,
                  slots.back().loudness, slots.back().spread);
    }
    start = end;
  }
  ASSERT_EQ(slots.size(), 7u);
  const auto [quietest, loudest] =
      std::minmax_element(slots.begin(), slots.end(),
                          [](const Slot& a, const Slot& b) { return a.loudness < b.loudness; });
  EXPECT_GE(loudest->loudness - quietest->loudness, 4.0);
  std::vector<double> spreads;
  for (const Slot& slot : slots) spreads.push_back(slot.spread);
  std::nth_element(spreads.begin(), spreads.begin() + 3, spreads.end());
  EXPECT_GE(spreads[3], 2.0) << "median short-term range within the slots";
  EXPECT_DOUBLE_EQ(loudest->start, kEffect) << "the loudest slot";
  std::size_t largestStep = 1;
  for (std::size_t i = 1; i < slots.size(); ++i)
    if (slots[i].loudness - slots[i - 1].loudness >
        slots[largestStep].loudness - slots[largestStep - 1].loudness)
      largestStep = i;
  EXPECT_DOUBLE_EQ(slots[largestStep].start, kEffect) << "the largest step up";
}

// A bright, wide mix: over the whole piece and over the middle minute, the
// presence band (2 to 8 kHz) within 13 dB of all the energy and the side
// within 10 dB of the mid.
TEST_F(SoundtrackLoudness, TheMixIsBrightAndWide) {
  for (const auto& [from, to] : {std::pair{0.0, 120.0}, std::pair{kMiddleStart, kMiddleEnd}}) {
    const double presence = music::BandShareDb(Samples(), 2000.0, 8000.0, from, to);
    const double side = music::SideToMidDb(Samples(), from, to);
    std::printf("%.3f-%.3f s: 2-8 kHz %.1f dB of the whole, side %.1f dB to mid\n", from, to,
                presence, side);
    EXPECT_GE(presence, -13.0) << from << " to " << to << " s";
    EXPECT_GE(side, -10.0) << from << " to " << to << " s";
  }
}

// The piece plays at about -16 LUFS integrated, as loud as streamed music
// is levelled to, under the true-peak limit below.
TEST_F(SoundtrackLoudness, TheWholeIsAboutMinusSixteenLufs) {
  const double integrated = Meter().Integrated(0.0, 120.0);
  EXPECT_GE(integrated, -16.7);
  EXPECT_LE(integrated, -15.3);
}

// The blue world's first visit drops out before the boxes: over the 0.8 s
// before the cut the sub band (under 90 Hz, kick and bass) lies at least
// 12 dB under the 1.6 s of groove before it, and the boxes bring it back.
TEST_F(SoundtrackLoudness, TheKickAndBassDropOutBeforeTheBoxes) {
  constexpr double kBoxCut = 47.359;
  const auto subDb = [&](double from, double to) {
    const double all = Rms(Music(), from, to);
    return music::BandShareDb(Samples(), 0.0, 90.0, from, to) + 20.0 * std::log10(all);
  };
  const double groove = subDb(kBoxCut - 2.6, kBoxCut - 1.0);
  const double drop = subDb(kBoxCut - 0.85, kBoxCut - 0.05);
  const double boxes = subDb(kBoxCut + 0.05, kBoxCut + 1.65);
  std::printf("under 90 Hz: groove %.1f dB, drop %.1f dB, boxes %.1f dB\n", groove, drop, boxes);
  EXPECT_LE(drop, groove - 12.0);
  EXPECT_GE(boxes, groove - 3.0);
}

TEST_F(SoundtrackLoudness, TruePeakIsAtMostMinusOneDbtp) {
  std::printf("true peak %.2f dBTP\n", TruePeakDb());
  EXPECT_LE(TruePeakDb(), -1.0);
}

// The meter above against ffmpeg's EBU R128 filter on the same file: both
// must report the same loudness, range and true peak, each within the
// tolerance EBU Tech 3341/3342 allow meters (0.1 LU for loudness, 1 LU for
// the range, 0.3 dB for the peak, rounding of ffmpeg's one decimal added).
TEST_F(SoundtrackLoudness, FfmpegsEbuR128FilterAgrees) {
  VX_REQUIRE_TOOL("ffmpeg", "ffmpeg");
  const ProgramResult result =
      RunProgram({FindTool("ffmpeg"), "-hide_banner", "-nostats", "-i", kMp3Path, "-af",
                  "ebur128=peak=true", "-f", "null", "-"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::size_t summary = result.err.find("Summary:");
  ASSERT_NE(summary, std::string::npos) << result.err;
  const auto value = [&](const char* key) {
    const std::size_t at = result.err.find(key, summary);
    return at == std::string::npos ? std::nan("")
                                   : std::stod(result.err.substr(at + std::strlen(key)));
  };
  const double whole = Music().Seconds();
  EXPECT_NEAR(value("I:"), Meter().Integrated(0.0, whole), 0.15);
  EXPECT_NEAR(value("LRA:"), Meter().Range(0.0, whole), 1.0);
  EXPECT_NEAR(value("Peak:"), TruePeakDb(), 0.35);
}

TEST_F(Soundtrack, NoSlotCarriesADcOffset) {
  double start = 0.0;
  for (double end : music::SlotEnds) {
    for (const std::vector<float>* channel : {&Music().left, &Music().right}) {
      const std::size_t first = FrameOf(start), last = std::min(FrameOf(end), channel->size());
      double sum = 0.0;
      for (std::size_t i = first; i < last; ++i) sum += (*channel)[i];
      const double mean = sum / static_cast<double>(last - first);
      std::printf("slot %7.3f-%7.3f s %s: mean %+.4f\n", start, end,
                  channel == &Music().left ? "left " : "right", mean);
      EXPECT_LE(std::fabs(mean), 0.001) << "slot from " << start << " s";
    }
    start = end;
  }
}

TEST(SoundtrackEncoding, DecodesSampleForSampleInStepWithTheInput) {
  // Half a second of a chirp from 200 Hz to 5 kHz at half scale with a
  // 10 ms ramp at each end, then silence. The Info tag must let the decoder
  // drop the coder's delay and padding: the chirp comes back at the same
  // samples (its correlation with the input peaks at lag 0) and the length
  // is the input's.
  music::Stereo tone(44100);
  double phase = 0.0;
  for (std::size_t i = 0; i < 22050; ++i) {
    const double ramp = std::min({1.0, i / 441.0, (22050.0 - i) / 441.0});
    tone.left[i] = static_cast<float>(0.5 * ramp * std::sin(2.0 * M_PI * phase));
    tone.right[i] = -tone.left[i];
    phase += (200.0 + 4800.0 * i / 22050.0) / 44100.0;
  }
  const std::vector<std::uint8_t> mp3 = music::EncodeMp3(tone);
  ASSERT_FALSE(mp3.empty());
  TempDir dir;
  WriteFileBytes(dir.File("tone.mp3"), mp3);
  const Decoded d = DecodeMp3(dir.File("tone.mp3"));
  ASSERT_EQ(d.error, "");
  ASSERT_EQ(d.left.size(), tone.Frames());
  const auto correlation = [&](const std::vector<float>& in, const std::vector<float>& out,
                               int lag) {
    double sum = 0.0;
    for (int i = 2000; i < 20000; ++i)
      sum += in[static_cast<std::size_t>(i)] * out[static_cast<std::size_t>(i + lag)];
    return sum;
  };
  const double left = correlation(tone.left, d.left, 0),
               right = correlation(tone.right, d.right, 0);
  EXPECT_GT(left, 0.9 * correlation(tone.left, tone.left, 0));
  EXPECT_GT(right, 0.9 * correlation(tone.right, tone.right, 0));
  for (int lag = -1200; lag <= 1200; lag += 1) {
    if (lag == 0) continue;
    EXPECT_LT(correlation(tone.left, d.left, lag), left) << "lag " << lag;
  }
  EXPECT_LT(Rms(d, 0.6, 1.0), 1e-3) << "the silence after the chirp";
}

#ifndef VX_SANITIZE
TEST_F(Soundtrack, TheBuildsFileIsWhatTheGeneratorMakesNow) {
  EXPECT_EQ(music::EncodeMp3(music::RenderSoundtrack()), ReadFileBytes(kMp3Path))
      << "the stored music is stale or the synthesiser is not deterministic";
}
#endif

}  // namespace
}  // namespace vx::test
