// The soundtrack's synthesiser piece by piece: pitch and note names, the
// score's notation, the section grid against the show's slots, envelopes,
// filters against their analytic responses, oscillators, and every
// instrument starting and ending in silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "music_dsp.h"
#include "music_mix.h"
#include "music_score.h"
#include "music_voices.h"

namespace vx::test {
namespace {

using namespace content::music;

TEST(MusicPitch, NotesAndFrequenciesFollowEqualTemperamentFromA440) {
  EXPECT_DOUBLE_EQ(MidiToHz(69), 440.0);
  EXPECT_DOUBLE_EQ(MidiToHz(57), 220.0);
  EXPECT_DOUBLE_EQ(MidiToHz(81), 880.0);
  EXPECT_NEAR(MidiToHz(60), 261.6256, 1e-4);
  EXPECT_EQ(ParseNote("A4"), 69);
  EXPECT_EQ(ParseNote("C#5"), 73);
  EXPECT_EQ(ParseNote("Bb3"), 58);
  EXPECT_EQ(ParseNote("G#4"), 68);
  EXPECT_EQ(ParseNote("C-1"), 0);
  EXPECT_EQ(ParseNote("Cb4"), 59);
  for (const char* bad : {"", "A", "H4", "a4", "A#", "A45", "Cb-1", "A4 "})
    EXPECT_EQ(ParseNote(bad), -1) << bad;
}

TEST(MusicNotation, LinesGiveEighthNoteStartsHoldsAndRests) {
  const std::vector<LineNote> notes = ParseLine("A4 - C5 . E5 - - G#4");
  ASSERT_EQ(notes.size(), 4u);
  const LineNote expected[] = {{0.0, 1.0, 69}, {1.0, 0.5, 72}, {2.0, 1.5, 76}, {3.5, 0.5, 68}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(notes[i].beat, expected[i].beat) << i;
    EXPECT_DOUBLE_EQ(notes[i].beats, expected[i].beats) << i;
    EXPECT_EQ(notes[i].midi, expected[i].midi) << i;
  }
  // A hold after a rest does not revive the note before it.
  const std::vector<LineNote> rested = ParseLine("A4 . - C5");
  ASSERT_EQ(rested.size(), 2u);
  EXPECT_DOUBLE_EQ(rested[0].beats, 0.5);
  EXPECT_DOUBLE_EQ(rested[1].beat, 1.5);
  EXPECT_TRUE(ParseLine("A4 X5 C5").empty());
}

TEST(MusicNotation, ChordsAreTriadsOfPitchClassesPlacedInTheRequestedOctave) {
  EXPECT_EQ(ParseChord("Am"), (std::array<int, 3>{9, 0, 4}));
  EXPECT_EQ(ParseChord("F"), (std::array<int, 3>{5, 9, 0}));
  EXPECT_EQ(ParseChord("Bb"), (std::array<int, 3>{10, 2, 5}));
  EXPECT_EQ(ParseChord("E"), (std::array<int, 3>{4, 8, 11}));
  EXPECT_EQ(ParseChord("G#dim"), (std::array<int, 3>{8, 11, 2}));
  for (const char* bad : {"", "H", "Amaj", "am", "A#b"}) EXPECT_EQ(ParseChord(bad)[0], -1) << bad;
  EXPECT_EQ(PlaceInOctave(9, 33), 33);  // A1
  EXPECT_EQ(PlaceInOctave(0, 33), 36);  // C2
  EXPECT_EQ(PlaceInOctave(8, 33), 44);  // G#2, the top of [33, 45)
  EXPECT_EQ(PlaceInOctave(9, 55), 57);
}

TEST(MusicForm, TheGridRunsAt043SecondsFrom33Point6) {
  EXPECT_DOUBLE_EQ(GridBeatTime(0), 33.6);
  EXPECT_NEAR(GridBeatTime(2) - GridBeatTime(0), 0.86, 1e-12);  // one blue-world picture
  EXPECT_NEAR(60.0 / GridBeat, 139.535, 1e-3);
  EXPECT_EQ(NearestGridBeat(33.6), 0);
  EXPECT_EQ(NearestGridBeat(47.359), 32);  // 47.36
  EXPECT_EQ(NearestGridBeat(54.425), 48);  // 54.24: 48.43 beats after the grid's start
  EXPECT_EQ(NearestGridBeat(68.4), 81);    // 68.43
  EXPECT_EQ(NearestGridBeat(120.0), 201);  // 120.03
  EXPECT_EQ(NearestGridBeat(33.6 - 0.43), -1);
}

TEST(MusicForm, EverySectionStartsAtItsCutAndKeepsTheGridFromItsSecondBeatOn) {
  const std::array<MusicSection, SectionCount> sections = MusicSections();
  // Beats per section and the first grid line after each cut, by hand:
  // 54.425 s lies 0.43 beats after the grid line 54.24, so its first beat
  // runs to 54.67; 92.84 s lies 0.23 beats before 92.94, so to 93.37.
  constexpr std::array<int, SectionCount> kBeats = {25, 20, 32, 32, 16, 33, 32, 25, 19, 20, 24};
  constexpr std::array<double, SectionCount - 3> kSecondBeat = {34.03, 47.79, 54.67,  68.86,
                                                                82.62, 93.37, 101.54, 110.14};
  double slotStart = 0.0;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const MusicSection& s = sections[i];
    EXPECT_DOUBLE_EQ(s.start, slotStart) << "section " << i;
    EXPECT_DOUBLE_EQ(s.At(0.0), s.start) << i;
    EXPECT_DOUBLE_EQ(s.End(), SlotEnds[i]) << i;
    EXPECT_EQ(s.beats, kBeats[i]) << i;
    // The first beat and the last run between half a beat and a beat and a half.
    const double first = s.At(1.0) - s.At(0.0), last = s.End() - s.At(s.beats - 1);
    EXPECT_GE(first, 0.5 * s.beatSeconds - 1e-9) << i;
    EXPECT_LE(first, 1.5 * s.beatSeconds + 1e-9) << i;
    EXPECT_GE(last, 0.5 * s.beatSeconds - 1e-9) << i;
    EXPECT_LE(last, 1.5 * s.beatSeconds + 1e-9) << i;
    EXPECT_NEAR(s.At(0.5), 0.5 * (s.At(0.0) + s.At(1.0)), 1e-9)
        << "the first beat is spread evenly";
    if (s.start >= GridStart) {
      EXPECT_DOUBLE_EQ(s.beatSeconds, GridBeat) << i;
      EXPECT_NEAR(s.At(1.0), kSecondBeat[i - 3], 1e-9) << i;
      for (int b = 1; b < s.beats; ++b)
        EXPECT_NEAR(s.At(b), GridBeatTime(NearestGridBeat(s.At(b))), 1e-9) << i << " beat " << b;
    } else {
      // Before the grid: equal beats close to the grid's, ending at the cut.
      EXPECT_NEAR(s.beatSeconds, GridBeat, GridBeat * 0.02) << i;
      EXPECT_NEAR(s.At(s.beats), s.End(), 1e-9) << i;
    }
    slotStart = SlotEnds[i];
  }
  EXPECT_DOUBLE_EQ(sections[3].start, GridStart);  // the blue world starts beat 0
  EXPECT_LT(FadeEnd, 120.0);
}

TEST(MusicEnvelope, RampsStartAndEndAtZeroThroughTheStagesOfTheNote) {
  const Envelope e{0.01, 0.1, 0.5, 0.05};
  const double gate = 0.3;
  EXPECT_EQ(EnvelopeLevel(e, gate, 0.0), 0.0);
  EXPECT_EQ(EnvelopeLevel(e, gate, -1.0), 0.0);
  EXPECT_NEAR(EnvelopeLevel(e, gate, 0.005), 0.5, 1e-12);  // halfway up the linear attack
  EXPECT_NEAR(EnvelopeLevel(e, gate, 0.01), 1.0, 1e-12);
  EXPECT_NEAR(EnvelopeLevel(e, gate, 0.11), 0.5 + 0.5 * std::exp(-1.0),
              1e-12);  // one decay constant
  const double atGate = 0.5 + 0.5 * std::exp(-2.9);
  EXPECT_NEAR(EnvelopeLevel(e, gate, 0.325), atGate * 0.5, 1e-12);  // halfway down the release
  EXPECT_DOUBLE_EQ(EnvelopeLength(e, gate), 0.35);
  EXPECT_EQ(EnvelopeLevel(e, gate, 0.35), 0.0);
  EXPECT_EQ(EnvelopeLevel(e, gate, 1.0), 0.0);
}

TEST(MusicEnvelope, InstantRampsAreLengthenedAndShortGatesReleaseFromWhereTheyAre) {
  const Envelope instant{0.0, 0.0, 1.0, 0.0};
  EXPECT_NEAR(EnvelopeLevel(instant, 1.0, MinRamp / 2), 0.5, 1e-12);
  EXPECT_DOUBLE_EQ(EnvelopeLength(instant, 1.0), 1.0 + MinRamp);
  EXPECT_NEAR(EnvelopeLevel(instant, 1.0, 1.0 + MinRamp / 2), 0.5, 1e-12);
  // Gate ends halfway up a 20 ms attack: no jump to full level or to zero.
  const Envelope slow{0.02, 0.0, 1.0, 0.01};
  EXPECT_NEAR(EnvelopeLevel(slow, 0.01, 0.0099999), 0.5, 1e-4);
  EXPECT_NEAR(EnvelopeLevel(slow, 0.01, 0.0100001), 0.5, 1e-4);
  EXPECT_NEAR(EnvelopeLevel(slow, 0.01, 0.015), 0.25, 1e-12);
  // Every level stays in [0, 1].
  for (double t = -0.01; t < 0.5; t += 0.0005) {
    const double level = EnvelopeLevel({0.004, 0.05, 0.3, 0.02}, 0.2, t);
    EXPECT_GE(level, 0.0) << t;
    EXPECT_LE(level, 1.0) << t;
  }
}

// Steady-state amplitude of a filter's output for a unit sine at hz.
double SineGain(double hz, const std::function<float(float)>& filter) {
  Oscillator osc;
  double peak = 0.0;
  for (int i = 0; i < SampleRate; ++i) {
    const float y = filter(osc.Sine(hz));
    if (i > SampleRate / 2) peak = std::max(peak, static_cast<double>(std::fabs(y)));
  }
  return peak;
}

TEST(MusicFilters, StateVariableLowPassHasUnitDcGainGainQAtCutoffAndAFortyDbPerDecadeSlope) {
  const auto lowPass = [](double q) {
    auto f = std::make_shared<StateVariableFilter>();
    f->SetCutoff(1000.0, q);
    return [f](float x) { return f->Process(x).low; };
  };
  EXPECT_NEAR(SineGain(20.0, lowPass(0.707)), 1.0, 0.01);
  EXPECT_NEAR(SineGain(1000.0, lowPass(2.0)), 2.0, 0.02);
  EXPECT_NEAR(SineGain(1000.0, lowPass(0.707)), 0.707, 0.01);
  // Two poles: a decade above the cutoff about 1/100 (bilinear warping
  // makes it a little less).
  const double decade = SineGain(10000.0, lowPass(0.707));
  EXPECT_LT(decade, 0.011);
  EXPECT_GT(decade, 0.005);
  // High pass: what the low pass and the band pass leave.
  auto f = std::make_shared<StateVariableFilter>();
  f->SetCutoff(1000.0, 0.707);
  EXPECT_LT(SineGain(20.0, [f](float x) { return f->Process(x).high; }), 0.002);
}

TEST(MusicFilters, OnePoleStepResponseFollowsItsExponential) {
  OnePole pole;
  pole.SetCutoff(100.0);
  const int tau =
      static_cast<int>(std::lround(SampleRate / (2.0 * Pi * 100.0)));  // one time constant
  double y = 0.0;
  for (int i = 0; i < tau; ++i) y = pole.Low(1.0f);
  EXPECT_NEAR(y, 1.0 - std::pow(1.0 - pole.a, tau), 1e-7);
  EXPECT_NEAR(y, 1.0 - std::exp(-1.0), 0.01);
  const float high = pole.High(1.0f);  // one more step of the low pass, subtracted
  EXPECT_NEAR(high, 1.0 - pole.y, 1e-6);
  EXPECT_NEAR(high, std::pow(1.0 - pole.a, tau + 1), 1e-6);
}

TEST(MusicOscillators, WaveformsHaveTheirFrequencyRangeAndDutyCycle) {
  const auto rises = [](const std::function<float()>& next, float* peak, double* mean,
                        double* high) {
    int crossings = 0;
    float last = next();
    *peak = std::fabs(last);
    *mean = last;
    *high = last > 0.0f;
    for (int i = 1; i < SampleRate; ++i) {
      const float v = next();
      if (last < 0.0f && v >= 0.0f) ++crossings;
      *peak = std::max(*peak, std::fabs(v));
      *mean += v;
      *high += v > 0.0f;
      last = v;
    }
    *mean /= SampleRate;
    *high /= SampleRate;
    return crossings;
  };
  float peak = 0.0f;
  double mean = 0.0, high = 0.0;
  Oscillator sine, saw, pulse, triangle;
  EXPECT_NEAR(rises([&] { return sine.Sine(441.0); }, &peak, &mean, &high), 441, 1);
  EXPECT_NEAR(peak, 1.0f, 1e-4f);
  EXPECT_NEAR(rises([&] { return saw.Saw(441.0); }, &peak, &mean, &high), 441, 1);
  EXPECT_LT(peak, 1.05f);
  EXPECT_NEAR(mean, 0.0, 0.01);
  EXPECT_NEAR(rises([&] { return pulse.Pulse(441.0, 0.25); }, &peak, &mean, &high), 441, 1);
  EXPECT_NEAR(high, 0.25, 0.02);
  EXPECT_NEAR(mean, -0.5, 0.02);  // a quarter at +1, three quarters at -1
  EXPECT_NEAR(rises([&] { return triangle.Triangle(441.0); }, &peak, &mean, &high), 441, 1);
  EXPECT_NEAR(peak, 1.0f, 0.01f);
  Noise a(7), b(7), c(8);
  float sum = 0.0f;
  for (int i = 0; i < 1000; ++i) {
    const float x = a.Next();
    EXPECT_EQ(x, b.Next());
    EXPECT_GE(x, -1.0f);
    EXPECT_LT(x, 1.0f);
    sum += std::fabs(x - c.Next());
  }
  EXPECT_GT(sum, 100.0f) << "different seeds give different noise";
}

// Every instrument, rendered alone 0.1 s into a silent buffer of 2.5 s, is
// silent before its start, starts at exactly zero and ends inside the
// buffer. It grows through its attack: the first 0.5 ms stay under 40% of
// its peak. It fades through its release: in the last millisecond before
// it falls under 1% of its peak it stays under 60% of the peak (a 2 ms
// linear release from full level reaches 50%; a note cut off at its
// sustain level, even behind a filter, starts that millisecond at full
// level).
TEST(MusicVoices, EveryInstrumentStartsAndEndsInSilenceThroughItsRamps) {
  struct Voice {
    const char* name;
    std::function<void(Stereo&)> add;
  };
  const double start = 0.1;
  const std::vector<Voice> voices = {
      {"kick", [&](Stereo& s) { AddKick(s, start, 0.9f); }},
      {"snare", [&](Stereo& s) { AddSnare(s, start, 0.5f, 3); }},
      {"closed hat", [&](Stereo& s) { AddHat(s, start, 0.1f, false, 0.3f, 4); }},
      {"open hat", [&](Stereo& s) { AddHat(s, start, 0.1f, true, -0.3f, 5); }},
      {"crash", [&](Stereo& s) { AddCrash(s, start, 0.3f, 6); }},
      {"tom", [&](Stereo& s) { AddTom(s, start, 45, 0.4f, 0.2f); }},
      {"bass",
       [&](Stereo& s) {
         AddBass(s, {start, 0.3, 33, 0.3f, 0.0f}, {300.0, 1000.0, 3.0, 0.004});
       }},
      {"pad",
       [&](Stereo& s) {
         AddPad(s, {start, 0.3, 57, 0.1f, 0.5f}, 2000.0, 0.1);
       }},
      {"lead",
       [&](Stereo& s) {
         AddLead(s, {start, 0.3, 76, 0.2f, 0.0f}, {1400.0, 3000.0, 0.2, 0.3});
       }},
      {"pluck",
       [&](Stereo& s) {
         AddPluck(s, {start, 0.3, 64, 0.1f, -0.3f}, 1500.0);
       }},
      {"bell",
       [&](Stereo& s) {
         AddBell(s, {start, 0.3, 81, 0.1f, 0.4f});
       }},
      {"riser", [&](Stereo& s) { AddRiser(s, start, 1.0, 0.3f, 9); }},
  };
  for (const Voice& voice : voices) {
    Stereo s(static_cast<std::size_t>(SampleRate * 2.5));
    voice.add(s);
    const auto first = static_cast<std::size_t>(FrameAt(start));
    std::vector<float> mono(s.Frames());
    float peak = 0.0f;
    std::size_t last = 0;  // one past the last sounding frame
    for (std::size_t i = 0; i < s.Frames(); ++i) {
      mono[i] = std::max(std::fabs(s.left[i]), std::fabs(s.right[i]));
      peak = std::max(peak, mono[i]);
      if (mono[i] != 0.0f) last = i + 1;
    }
    ASSERT_GT(peak, 0.01f) << voice.name;
    EXPECT_EQ(
        *std::max_element(mono.begin(), mono.begin() + static_cast<std::ptrdiff_t>(first) + 1),
        0.0f)
        << voice.name << " sounds before its start";
    ASSERT_GT(last, first + 1000) << voice.name;
    EXPECT_LT(last, s.Frames() - 1000) << voice.name << " does not end";
    const auto attack = static_cast<std::ptrdiff_t>(FrameAt(0.0005));
    EXPECT_LT(*std::max_element(mono.begin() + static_cast<std::ptrdiff_t>(first),
                                mono.begin() + static_cast<std::ptrdiff_t>(first) + attack),
              0.4f * peak)
        << voice.name << " starts with a step";
    std::size_t audible = 0;  // one past the last frame above 1% of the peak
    for (std::size_t i = 0; i < s.Frames(); ++i)
      if (mono[i] > 0.01f * peak) audible = i + 1;
    const auto release = static_cast<std::ptrdiff_t>(FrameAt(0.001));
    EXPECT_LT(*std::max_element(mono.begin() + static_cast<std::ptrdiff_t>(audible) - release,
                                mono.begin() + static_cast<std::ptrdiff_t>(audible)),
              0.6f * peak)
        << voice.name << " stops with a step";
  }
}

TEST(MusicVoices, NotesPastTheBufferAreCutAndRenderingIsRepeatable) {
  Stereo a(1000), b(1000);
  AddPad(a, {0.01, 1.0, 57, 0.1f, 0.0f}, 2000.0, 0.005);  // ends far past frame 1000
  AddPad(b, {0.01, 1.0, 57, 0.1f, 0.0f}, 2000.0, 0.005);
  AddPad(a, {-0.5, 0.6, 60, 0.1f, 0.0f}, 2000.0, 0.005);  // started before the buffer
  AddPad(b, {-0.5, 0.6, 60, 0.1f, 0.0f}, 2000.0, 0.005);
  EXPECT_EQ(a.left, b.left);
  EXPECT_EQ(a.right, b.right);
  EXPECT_GT(std::fabs(a.left[999]), 0.0f);
}

TEST(MusicMix, RmsIsOverBothChannelsAndTheRequestedFrames) {
  Stereo s(100);
  for (std::size_t i = 0; i < 50; ++i) {
    s.left[i] = 0.5f;
    s.right[i] = -0.5f;
  }
  s.left[60] = 1.0f;
  EXPECT_DOUBLE_EQ(Rms(s, 0, 50), 0.5);
  EXPECT_DOUBLE_EQ(Rms(s, 0, 100), std::sqrt((50 * 0.25 * 2 + 1.0) / 200.0));
  EXPECT_DOUBLE_EQ(Rms(s, 60, 61), std::sqrt(0.5));
  EXPECT_EQ(Rms(s, 70, 70), 0.0);
  EXPECT_DOUBLE_EQ(Rms(s, -10, 200), Rms(s, 0, 100));  // clamped to the buffer
}

}  // namespace
}  // namespace vx::test
