// The arrangement: what every instrument plays in each of the eleven
// sections. Sections are written in bars of four beats counted from the
// section's start; a section whose beat count is not a multiple of four ends
// on a partial bar, played as far as it goes or filled with toms. Beat 0 is
// the cut, where every section from the second on opens with a crash; notes
// are cut off at the section's end, where the next section's downbeat is.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "music_score.h"

namespace vx::content::music {

namespace {

using Chords = std::vector<std::string_view>;
using Lines = std::vector<std::string_view>;

// One section being written: its timing, the buses and the seeds of its
// noisy hits (fixed per section, so every run gives the same noise).
struct Part {
  Buses& out;
  MusicSection s;
  std::uint32_t seed;

  double T(double beat) const { return s.At(beat); }
  double L(double beats) const { return beats * s.beatSeconds; }
  // Seconds from a beat to the section's end.
  double Room(double beat) const { return s.End() - T(beat); }
  // Seconds of bar b: to the next bar line, the last bar to the section's end.
  double BarLength(int b) const { return (b + 1 < Bars() ? T(4 * b + 4) : s.End()) - T(4 * b); }
  std::uint32_t Seed() { return seed = seed * 1664525u + 1013904223u; }
  int Bars() const { return (s.beats + 3) / 4; }

  void Kick(double beat, float gain) { AddKick(out.drums, T(beat), gain); }
  void Snare(double beat, float gain) { AddSnare(out.drums, T(beat), gain, Seed()); }
  void Hat(double beat, float gain, bool open) {
    AddHat(out.drums, T(beat), gain, open, open ? 0.45f : -0.45f, Seed());
  }
  void Crash(double beat, float gain) { AddCrash(out.effects, T(beat), gain, Seed()); }
  void Tom(double beat, int midi, float gain) {
    AddTom(out.drums, T(beat), midi, gain, static_cast<float>(midi - 45) * 0.08f);
  }
  // A riser from a beat to the section's end.
  void Riser(double fromBeat, float gain) {
    AddRiser(out.effects, T(fromBeat), Room(fromBeat), gain, Seed());
  }
};

// The score is part of this program: a misspelt chord or melody is a
// programmer error and stops the generator instead of leaving a gap.
[[noreturn]] void BadScore(const char* what, std::string_view text) {
  std::fprintf(stderr, "vxcontent: the score has a bad %s: \"%s\"\n", what,
               std::string(text).c_str());
  std::abort();
}

// Chord tones in [low, low + 12), in pitch-class order root, third, fifth.
std::array<int, 3> Voicing(std::string_view chord, int low) {
  std::array<int, 3> notes = ParseChord(chord);
  if (notes[0] < 0) BadScore("chord", chord);
  for (int& n : notes) n = PlaceInOctave(n, low);
  return notes;
}

int BassRoot(std::string_view chord) {
  return Voicing(chord, 33)[0];
}

// Kick on every beat of [from, to), backbeat snare on beats 1 and 3 of each
// bar, hats between the beats.
void Groove(Part& p, int from, int to, float snare, float hat, bool openHat) {
  for (int b = from; b < to; ++b) {
    p.Kick(b, 0.9f);
    if (snare > 0.0f && b % 2 == 1) p.Snare(b, snare);
    if (hat > 0.0f) p.Hat(b + 0.5, hat, openHat);
  }
}

// A sustained chord for each bar, gate to the bar's end.
void Pads(Part& p, const Chords& chords, float gain, double cutoffFrom, double cutoffTo,
          double attack) {
  for (int bar = 0; bar < p.Bars() && bar < static_cast<int>(chords.size()); ++bar) {
    const double mix = p.Bars() > 1 ? static_cast<double>(bar) / (p.Bars() - 1) : 0.0;
    const double cutoff = cutoffFrom * std::pow(cutoffTo / cutoffFrom, mix);
    const std::array<int, 3> tones = Voicing(chords[static_cast<std::size_t>(bar)], 55);
    for (int i = 0; i < 3; ++i)
      AddPad(p.out.chords,
             {p.T(4 * bar), p.BarLength(bar), tones[static_cast<std::size_t>(i)], gain,
              static_cast<float>(i - 1) * 0.5f},
             cutoff, attack);
  }
}

// Bass on every beat of each bar; with a non-zero offBeat, eighths: the
// off-beat note an octave up at offBeat times the gain, so the beat stays
// the strongest accent.
void Bass(Part& p, const Chords& chords, const BassTone& tone, float gain, float offBeat,
          int toBeat) {
  for (int b = 0; b < std::min(p.s.beats, toBeat); ++b) {
    const std::size_t bar = std::min(static_cast<std::size_t>(b / 4), chords.size() - 1);
    const int root = BassRoot(chords[bar]);
    if (offBeat > 0.0f) {
      AddBass(p.out.bass, {p.T(b), p.L(0.4), root, gain, 0.0f}, tone);
      AddBass(p.out.bass, {p.T(b + 0.5), p.L(0.4), root + 12, gain * offBeat, 0.0f}, tone);
    } else {
      AddBass(p.out.bass, {p.T(b), std::min(p.L(0.85), p.Room(b) - 0.03), root, gain, 0.0f}, tone);
    }
  }
}

// A melody, one line a bar, played by the lead (octave shifts by 12 * octave)
// from bar fromBar of the lines on.
void Melody(Part& p, const Lines& lines, const LeadTone& tone, float gain, int octave, float pan,
            std::size_t fromBar = 0) {
  for (std::size_t bar = fromBar; bar < lines.size(); ++bar) {
    const std::vector<LineNote> notes = ParseLine(lines[bar]);
    if (notes.empty()) BadScore("melody line", lines[bar]);
    for (const LineNote& n : notes) {
      const double beat = 4.0 * static_cast<double>(bar) + n.beat;
      if (beat >= p.s.beats) break;
      AddLead(p.out.lead,
              {p.T(beat), std::min(p.L(n.beats), p.Room(beat)) - p.L(0.1), n.midi + 12 * octave,
               gain, pan},
              tone);
    }
  }
}

// Plucked chord tones one per step (beats), walking up and down the chord.
void Arpeggio(Part& p, const Chords& chords, double step, float gain, double cutoffFrom,
              double cutoffTo, int toBeat) {
  static constexpr int kWalk[6] = {0, 1, 2, 3, 2, 1};  // 3: the root an octave up
  const double end = std::min(p.s.beats, toBeat);
  int i = 0;
  for (double beat = 0.0; beat < end - 1e-9; beat += step, ++i) {
    const std::size_t bar = std::min(static_cast<std::size_t>(beat / 4.0), chords.size() - 1);
    const std::array<int, 3> tones = Voicing(chords[bar], 64);
    const int w = kWalk[i % 6];
    const int midi = w == 3 ? tones[0] + 12 : tones[static_cast<std::size_t>(w)];
    const double cutoff = cutoffFrom * std::pow(cutoffTo / cutoffFrom, beat / p.s.beats);
    const bool onBeat = std::fabs(beat - std::round(beat)) < 1e-9;
    AddPluck(p.out.chords,
             {p.T(beat), p.L(step * 0.8), midi, onBeat ? gain : gain * 0.7f,
              (i % 2 == 0) ? -0.35f : 0.35f},
             cutoff);
  }
}

const Lines kTheme = {"A4 - C5 - E5 - D5 C5", "C5 - - - A4 - - -",   "G4 - C5 - E5 - G5 -",
                      "F5 - E5 - D5 - - -",   "A4 - C5 - E5 - A5 -", "G5 - F5 - E5 - C5 -",
                      "D5 - - - B4 - D5 -",   "E5 - - - - - . ."};
const Chords kThemeChords = {"Am", "F", "C", "G", "Am", "F", "G", "E"};
// The answer: a second motif for the blue world's second visit, a
// syncopated figure of eighths that climbs to the chord's top and falls
// back, sequenced down the first half of the theme's chords (Am F C G), so
// the return of the world opens on new material before the theme's second
// half leads into the breakdown.
const Lines kAnswer = {"E5 - A5 . G5 E5 . C5", "F5 - A5 . G5 F5 . C5", "E5 - G5 . F5 E5 . C5",
                       "D5 - G5 . F5 D5 . B4"};
const LeadTone kBrightLead{2000.0, 3600.0, 0.18, 0.35};
// The breakdown before evil starts on this beat of the blue world's second
// visit: its last two whole bars.
constexpr int BreakdownBeat = 24;
// The first visit drops its kick and bass for the last two beats before the
// boxes, a descending tom fill in their place.
constexpr int FillBeat = 30;

// Slot 1, the title cards: pads swell in over a sub drone, a bell spells
// out the chords, and a riser leads into the opening.
void Logo(Part& p) {
  const Chords chords = {"Am", "F", "C", "G"};
  for (int c = 0; c < 4; ++c) {
    const int from = 6 * c, to = c == 3 ? p.s.beats : from + 6;
    const std::string_view chord = chords[static_cast<std::size_t>(c)];
    const std::array<int, 3> tones = Voicing(chord, 55);
    for (int i = 0; i < 3; ++i)
      AddPad(p.out.chords,
             {p.T(from), p.L(to - from), tones[static_cast<std::size_t>(i)], 0.11f,
              static_cast<float>(i - 1) * 0.6f},
             700.0 + 500.0 * c, c == 0 ? 1.8 : 0.5);
    AddBass(p.out.bass, {p.T(from), p.L(to - from), BassRoot(chord), 0.5f, 0.0f},
            {180.0, 0.0, 1.0, c == 0 ? 1.5 : 0.3});
    const std::array<int, 3> bells = Voicing(chord, 69);
    static constexpr int kOrder[6] = {0, 1, 2, 1, 2, 0};
    for (int b = std::max(from, 2); b < to; ++b)  // the bell enters once the pads sound
      AddBell(p.out.chords,
              {p.T(b), p.L(0.5), bells[static_cast<std::size_t>(kOrder[(b - from) % 6])],
               0.07f + 0.004f * b, b % 2 == 0 ? -0.4f : 0.4f});
  }
  p.Riser(p.s.beats - 6, 0.16f);
}

// Slot 2, "open": the beat starts and the filters open bar by bar.
void Open(Part& p) {
  const Chords chords = {"Am", "F", "C", "G", "E"};
  p.Crash(0, 0.22f);
  for (int b = 0; b < p.s.beats; ++b) {
    p.Kick(b, 0.9f);
    if (b >= 4) p.Hat(b + 0.5, 0.07f, false);
    if (b >= 8 && b < 16 && b % 2 == 1) p.Snare(b, 0.32f);
  }
  for (int i = 0; i < 8; ++i) p.Snare(16 + 0.5 * i, 0.12f + 0.03f * i);
  Pads(p, chords, 0.07f, 500.0, 4000.0, 0.2);
  Bass(p, chords, {220.0, 600.0, 1.2, 0.004}, 0.3f, 0.0f, p.s.beats);
  Arpeggio(p, chords, 0.5, 0.13f, 350.0, 3500.0, p.s.beats);
}

// Slot 3, the seesaw: octave-jumping bass and a lead that rocks between a
// low and a high note, then a build-up with a snare roll and a riser.
void Seesaw(Part& p) {
  const Chords chords = {"Am", "Am", "F", "F", "C", "C", "G", "E"};
  p.Crash(0, 0.25f);
  for (int b = 0; b < p.s.beats; ++b) {
    if (b < 30) p.Kick(b, 0.9f);
    if (b < 24 && b % 2 == 1) p.Snare(b, 0.36f);
    if (b < 30) p.Hat(b + 0.5, 0.08f, b % 4 == 3);
  }
  for (int i = 0; i < 8; ++i) p.Snare(24 + 0.5 * i, 0.14f + 0.02f * i);
  for (int i = 0; i < 16; ++i) p.Snare(28 + 0.25 * i, 0.2f + 0.015f * i);
  Pads(p, chords, 0.065f, 900.0, 2600.0, 0.15);
  Bass(p, chords, {260.0, 900.0, 1.5, 0.004}, 0.3f, 0.5f, 30);
  for (int b = 0; b < 28; ++b) {
    const std::array<int, 3> tones = Voicing(chords[static_cast<std::size_t>(b / 4)], 64);
    const int midi = b % 2 == 0 ? tones[0] : tones[2] + (tones[2] < tones[0] ? 12 : 0);
    AddPluck(p.out.lead, {p.T(b), p.L(0.7), midi, 0.16f, b % 2 == 0 ? -0.45f : 0.45f}, 1200.0);
    AddBell(p.out.chords, {p.T(b), p.L(0.4), midi + 12, 0.05f, b % 2 == 0 ? 0.45f : -0.45f});
  }
  p.Riser(24, 0.17f);
}

// The four big words of a blue-world slot, one every 0.86 s from its start:
// a chord stab and a bell on each. In the first visit they fall on beats 0,
// 2, 4 and 6; the second slot starts 0.185 s after a grid line, so there the
// hits follow the pictures, not the grid.
void BigWords(Part& p) {
  for (int k = 0; k < 4; ++k) {
    const double at = p.s.start + 0.86 * k;
    const auto bar = static_cast<std::size_t>((at - p.s.start) / p.s.beatSeconds / 4.0);
    const std::array<int, 3> tones = Voicing(kThemeChords[bar], 60);
    for (int tone : tones) AddPluck(p.out.chords, {at, p.L(0.4), tone, 0.08f, 0.0f}, 2200.0);
    AddBell(p.out.chords, {at, p.L(0.5), tones[0] + 24, 0.06f, k % 2 == 0 ? -0.3f : 0.3f});
  }
}

// The drop into the boxes: toms falling an eighth apart with a snare
// on each, over a short riser. The last hit lies half a beat before the
// cut, so the boxes' downbeat stands clear of the fill.
void FillIntoBoxes(Part& p) {
  static constexpr int kToms[4] = {50, 48, 45, 43};
  for (int i = 0; i < 4; ++i) {
    const double beat = FillBeat + 0.5 * i;
    p.Tom(beat, kToms[i], 0.36f + 0.04f * i);
    p.Snare(beat, 0.12f + 0.05f * i);
  }
  p.Riser(FillBeat - 2, 0.12f);
}

// Slots 4 and 6, the blue world: the groove, a chord stab on every second
// beat and on the big words. The first visit plays the theme and builds
// in: two bars of kick and closed hats before the backbeat, open hats from
// the second half, the theme's octave from its second half, and ends on
// the drop into the boxes. The second visit opens with the answer and
// returns to the theme's second half, full groove until the breakdown:
// two bars without drums and bass, the first with the melody over the pads
// and bells alone, the second building back with a snare roll and a riser
// to the partial bar's kick and tom, into evil.
void Blue(Part& p, bool second) {
  const int groove = second ? BreakdownBeat : FillBeat;
  p.Crash(0, 0.25f);
  p.Crash(16, 0.22f);
  for (int b = 0; b < groove; ++b) {
    p.Kick(b, 0.9f);
    if ((second || b >= 8) && b % 2 == 1) p.Snare(b, 0.45f);
    const bool open = second || b >= 16;
    p.Hat(b + 0.5, open ? 0.08f : 0.1f, open);
  }
  Pads(p, kThemeChords, 0.06f, 2600.0, 3400.0, 0.05);
  Bass(p, kThemeChords, {300.0, 1100.0, 1.6, 0.004}, 0.32f, 0.3f, groove);
  Lines melody = kTheme;
  if (second) std::copy(kAnswer.begin(), kAnswer.end(), melody.begin());
  Melody(p, melody, kBrightLead, 0.16f, 0, 0.0f);
  Melody(p, melody, {2200.0, 2500.0, 0.12, 0.3}, 0.07f, 1, 0.3f, second ? 0 : 4);
  if (second) {
    for (int i = 0; i < 16; ++i) p.Snare(BreakdownBeat + 4 + 0.25 * i, 0.03f + 0.01f * i);
    p.Riser(BreakdownBeat + 4, 0.1f);
    for (int b = 1; b < 32; b += 2) {
      const std::array<int, 3> tones = Voicing(kThemeChords[static_cast<std::size_t>(b / 4)], 72);
      AddBell(p.out.chords,
              {p.T(b), p.L(0.5), tones[static_cast<std::size_t>((b / 2) % 3)], 0.05f, -0.5f});
    }
  } else {
    FillIntoBoxes(p);
  }
  for (int b = 8; b < groove; b += 2) {
    for (int tone : Voicing(kThemeChords[static_cast<std::size_t>(b / 4)], 60))
      AddPluck(p.out.chords, {p.T(b), p.L(0.3), tone, 0.06f, 0.2f}, 1600.0);
  }
  BigWords(p);
  // Partial bar (the second visit has 33 beats): a tom and a crash lead on.
  for (int b = 32; b < p.s.beats; ++b) {
    p.Kick(b, 0.9f);
    p.Tom(b, 45, 0.45f);
  }
}

// Slot 5, the boxes: square, staccato chord stabs on every beat and a
// clipped, driven bass.
void Boxes(Part& p) {
  const Chords chords = {"Dm", "Am", "Bb", "E"};
  const Lines line = {"D5 . F5 . A5 . F5 .", "E5 . C5 . A4 . C5 .", "D5 . F5 . Bb5 . F5 .",
                      "E5 . G#4 . B4 . E5 ."};
  p.Crash(0, 0.28f);
  Groove(p, 0, p.s.beats, 0.42f, 0.09f, false);
  for (int bar = 1; bar < p.Bars(); bar += 2) p.Tom(4 * bar + 3, 50, 0.35f);
  Bass(p, chords, {400.0, 700.0, 3.0, 0.004}, 0.28f, 0.0f, p.s.beats);
  Melody(p, line, {1800.0, 2500.0, 0.0, 0.12}, 0.15f, 0, -0.2f);
  for (int b = 0; b < p.s.beats; ++b)
    for (int tone : Voicing(chords[static_cast<std::size_t>(b / 4)], 57))
      AddPluck(p.out.chords, {p.T(b), p.L(0.2), tone, 0.055f, 0.3f}, 1500.0);
  Pads(p, chords, 0.035f, 2000.0, 2000.0, 0.1);
}

// Slot 7, evil: the Phrygian half step A - Bb, distorted bass, toms and a
// dark, narrow lead; the backbeat joins in the third bar, and the second
// half doubles the lead an octave up, wide, over open hats.
void Evil(Part& p) {
  const Chords chords = {"Am", "Bb", "Am", "Bb", "Dm", "Bb", "E", "E"};
  const Lines riff = {"A4 - E5 - A4 - C5 B4",  "Bb4 - F5 - Bb4 - D5 C5", "A4 - E5 - A4 - C5 B4",
                      "Bb4 - F5 - D5 - Bb4 -", "D5 - F5 - A5 - F5 -",    "F5 - D5 - Bb4 - D5 -",
                      "E5 - - - G#4 - B4 -",   "E5 - F5 - E5 - D5 -"};
  p.Crash(0, 0.3f);
  p.Crash(16, 0.25f);
  for (int b = 0; b < p.s.beats; ++b) {
    p.Kick(b, 0.9f);
    if (b >= 8 && b % 2 == 1) p.Snare(b, 0.45f);
    p.Hat(b + 0.5, b < 16 ? 0.1f : 0.09f, b >= 16);
  }
  for (int bar = 0; bar < p.Bars(); ++bar) {
    p.Tom(4 * bar + 3, 43, 0.4f);
    if (bar % 2 == 1) p.Tom(4 * bar + 2, 47, 0.35f);
  }
  Pads(p, chords, 0.06f, 1400.0, 2400.0, 0.1);
  Bass(p, chords, {250.0, 1500.0, 4.0, 0.004}, 0.27f, 0.3f, p.s.beats);
  Melody(p, riff, {1100.0, 2600.0, 0.1, 0.25}, 0.18f, -1, 0.0f);
  Melody(p, riff, {1800.0, 2000.0, 0.1, 0.25}, 0.08f, 0, 0.4f, 4);
}

// Slot 8, kommun: an anthem in long notes over a marching snare, the octave
// joining in its second half; a falling tom fill in the last whole bar,
// then the drums and bass drop out for the last beat, a breath before the
// effect's lift.
void Anthem(Part& p) {
  const Chords chords = {"F", "G", "Am", "Em", "F", "G", "Am"};
  const Lines line = {"C5 - - - - - A4 -", "B4 - - - D5 - - -",  "C5 - - - E5 - - -",
                      "B4 - - - G4 - - -", "A4 - - - C5 - F5 -", "D5 - - - - - - -"};
  p.Crash(0, 0.3f);
  p.Crash(16, 0.25f);
  for (int b = 0; b < 24; ++b) {
    p.Kick(b, 0.9f);
    p.Snare(b, b % 2 == 1 ? 0.45f : (b >= 8 ? 0.2f : 0.0f));
    p.Hat(b + 0.5, b < 16 ? 0.07f : 0.08f, b >= 16);
  }
  for (int i = 0; i < 4; ++i) p.Tom(20 + i, 47 - 2 * i, 0.3f + 0.05f * i);
  Pads(p, chords, 0.08f, 2600.0, 4000.0, 0.1);
  Bass(p, chords, {300.0, 600.0, 1.3, 0.004}, 0.32f, 0.0f, 24);
  Melody(p, line, kBrightLead, 0.17f, 0, 0.0f);
  Melody(p, line, {2000.0, 2000.0, 0.15, 0.4}, 0.06f, 1, -0.3f, 4);
}

// Slot 9, the spinning effect and the piece's peak: the theme returns in two
// octaves over the full groove and a sixteenth-note arpeggio through a
// filter that swirls with the beat.
void Spin(Part& p) {
  const Chords chords = {"Am", "F", "C", "G", "Am"};
  p.Crash(0, 0.3f);
  p.Crash(16, 0.25f);
  Groove(p, 0, p.s.beats, 0.45f, 0.08f, true);
  Pads(p, chords, 0.05f, 2400.0, 3600.0, 0.1);
  Bass(p, chords, {300.0, 1100.0, 1.6, 0.004}, 0.3f, 0.3f, p.s.beats);
  Melody(p, kTheme, kBrightLead, 0.14f, 0, 0.0f);
  Melody(p, kTheme, {2200.0, 2500.0, 0.12, 0.3}, 0.06f, 1, -0.3f);
  static constexpr int kWalk[8] = {0, 1, 2, 3, 4, 3, 2, 1};
  for (int i = 0; i < 4 * p.s.beats; ++i) {
    const double beat = 0.25 * i;
    const std::array<int, 3> tones = Voicing(chords[static_cast<std::size_t>(i / 16)], 64);
    const int w = kWalk[i % 8];
    const int midi =
        w < 3 ? tones[static_cast<std::size_t>(w)] : tones[static_cast<std::size_t>(w - 3)] + 12;
    const double swirl = 1500.0 * std::pow(2.5, std::sin(2.0 * Pi * beat / 2.0));
    AddPluck(p.out.lead,
             {p.T(beat), p.L(0.2), midi, i % 4 == 0 ? 0.12f : 0.045f,
              static_cast<float>(std::sin(2.0 * Pi * beat / 4.0) * 0.7)},
             swirl);
  }
}

// Slot 10, kinyit backwards: the opening's chords in reverse order, pads
// that swell into each bar and stop, filters closing again.
void Close(Part& p) {
  const Chords chords = {"E", "G", "C", "F", "Am"};
  p.Crash(0, 0.25f);
  for (int b = 0; b < p.s.beats; ++b) {
    if (b < 18) p.Kick(b, 0.9f);
    if (b < 12 && b % 2 == 1) p.Snare(b, 0.36f);
    p.Hat(b + 0.5, 0.045f, b % 4 == 1);
  }
  for (int bar = 0; bar < p.Bars(); ++bar) {
    const std::array<int, 3> tones = Voicing(chords[static_cast<std::size_t>(bar)], 55);
    for (int i = 0; i < 3; ++i)
      AddPad(p.out.chords,
             {p.T(4 * bar), p.BarLength(bar) - 0.03, tones[static_cast<std::size_t>(i)], 0.09f,
              static_cast<float>(1 - i) * 0.5f},
             2500.0 - 400.0 * bar, p.BarLength(bar) - 0.05);
  }
  Bass(p, chords, {240.0, 500.0, 1.2, 0.004}, 0.3f, 0.0f, p.s.beats);
  Arpeggio(p, chords, 0.5, 0.12f, 3500.0, 350.0, p.s.beats);
  p.Riser(p.s.beats - 4, 0.2f);
}

// Slot 11, the thanks: the theme once more, softer, then the home chord
// rings out under the fade.
void Thanks(Part& p) {
  const Chords chords = {"Am", "F", "C", "G"};
  p.Crash(0, 0.22f);
  for (int b = 0; b < 16; ++b) {
    p.Kick(b, 0.9f);
    if (b % 2 == 1 && b < 12) p.Snare(b, 0.34f);
    p.Hat(b + 0.5, 0.04f, false);
  }
  Pads(p, chords, 0.07f, 1500.0, 1000.0, 0.2);
  Bass(p, chords, {240.0, 500.0, 1.2, 0.004}, 0.3f, 0.0f, 16);
  Melody(p, {kTheme[0], kTheme[1], kTheme[2], kTheme[3]}, {1100.0, 1800.0, 0.2, 0.4}, 0.15f, 0,
         0.0f);
  for (int b = 0; b < 16; ++b) {
    const std::array<int, 3> tones = Voicing(chords[static_cast<std::size_t>(b / 4)], 76);
    AddBell(p.out.chords, {p.T(b), p.L(0.5), tones[static_cast<std::size_t>(b % 3)], 0.05f,
                           b % 2 == 0 ? 0.5f : -0.5f});
  }
  // The home chord from beat 16 until the master fade has closed.
  const double ring = FadeEnd - p.T(16);
  p.Kick(16, 0.9f);
  p.Crash(16, 0.16f);
  for (int tone : Voicing("Am", 57))
    AddPad(p.out.chords, {p.T(16), ring, tone, 0.1f, 0.0f}, 1500.0, 0.05);
  AddBass(p.out.bass, {p.T(16), ring, 33, 0.34f, 0.0f}, {200.0, 300.0, 1.0, 0.01});
  AddBell(p.out.chords, {p.T(16), p.L(2), 81, 0.09f, 0.0f});
  AddLead(p.out.lead, {p.T(16), ring, 76, 0.12f, 0.0f}, {1000.0, 1500.0, 0.2, 1.0});
}

}  // namespace

void RenderArrangement(Buses& buses) {
  const std::array<MusicSection, SectionCount> sections = MusicSections();
  using Writer = void (*)(Part&);
  static constexpr Writer kWriters[SectionCount] = {Logo,   Open,
                                                    Seesaw, [](Part& p) { Blue(p, false); },
                                                    Boxes,  [](Part& p) { Blue(p, true); },
                                                    Evil,   Anthem,
                                                    Spin,   Close,
                                                    Thanks};
  for (int i = 0; i < SectionCount; ++i) {
    Part part{buses, sections[static_cast<std::size_t>(i)],
              0x5EED0000u + static_cast<std::uint32_t>(i)};
    kWriters[i](part);
  }
}

}  // namespace vx::content::music
