#pragma once
// The soundtrack's form and its arrangement. The piece follows the show's
// eleven slots: one section a slot, each starting exactly at its slot's
// start, so every cut of the picture gets the section's downbeat. From
// 33.6 s (the first blue-world slot) the beat grid is fixed at 0.43 s a
// beat (139.535 BPM), so the blue world's picture changes every 0.86 s fall
// on every second beat. A section on the grid whose slot starts between two
// grid lines stretches or squeezes its first beat (between half a beat and
// a beat and a half long) from the cut to a grid line; all its later beats
// lie on the grid. The three sections before the grid have whole numbers of
// beats of about the same length, so they change exactly at their slot
// boundaries too. Key: A minor.
#include <array>
#include <string_view>
#include <vector>

#include "music_voices.h"

namespace vx::content::music {

constexpr double GridStart = 33.6;  // seconds: beat 0 of the grid
constexpr double GridBeat = 0.43;   // seconds a beat from GridStart on
constexpr int SectionCount = 11;
// Where each slot of the show ends, in seconds of music; slot 1 starts at 0.
constexpr std::array<double, SectionCount> SlotEnds = {
    10.953, 19.656, 33.6, 47.359, 54.425, 68.4, 82.25, 92.84, 101.135, 109.82, 120.0};
// The music is silent from here on.
constexpr double FadeEnd = 119.9;
// Length of the rendered piece, seconds (silence after FadeEnd).
constexpr double PieceSeconds = 123.0;

// Grid line nearest to a time (may be negative before GridStart) and the
// time of a grid line.
int NearestGridBeat(double seconds);
double GridBeatTime(int beat);

// One section: it sounds from start (its slot's start) to end (the next
// slot's start); beat b >= 1 is at origin + b beatSeconds, and beats in
// [0, 1) are spread evenly from start to that first beat. Beats counts the
// beats that begin at least half a beat before end (the last one runs on
// to end).
struct MusicSection {
  double start;
  double origin;
  double beatSeconds;
  int beats;
  double end;
  double End() const { return end; }
  double At(double beat) const {
    if (beat >= 1.0) return origin + beat * beatSeconds;
    return start + beat * (origin + beatSeconds - start);
  }
};
// The eleven sections in order; each ends where the next starts.
std::array<MusicSection, SectionCount> MusicSections();

// A melody written one token an eighth note: a note name ("A4", "C#5")
// starts a note, "-" holds the previous one, "." is a rest.
struct LineNote {
  double beat;   // start, in beats from the line's start
  double beats;  // length in beats
  int midi;
};
// Empty when a token is neither a note name, "-" nor ".".
std::vector<LineNote> ParseLine(std::string_view line);

// A triad by name: root letter, optional "#"/"b", optional "m" (minor) or
// "dim"; "Am", "F", "Bb", "G#dim". Pitch classes, root first; all -1 when
// the name is not a chord.
std::array<int, 3> ParseChord(std::string_view name);
// The pitch class placed in the octave [low, low + 12).
int PlaceInOctave(int pitchClass, int low);

// Dry mix of the arrangement, one buffer per group of instruments, each
// PieceSeconds long; the mix adds reverb and delay per group.
struct Buses {
  Buses();
  Stereo drums, bass, chords, lead, effects;
};
void RenderArrangement(Buses& buses);

}  // namespace vx::content::music
