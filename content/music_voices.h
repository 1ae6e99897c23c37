#pragma once
// The soundtrack's instruments. Each Add* call renders one note or hit and
// adds it into a stereo buffer at its start time; notes that reach past the
// buffer's end are cut there. Every voice starts from silence and returns to
// exactly zero through its envelope's ramps, so notes never click.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "music_dsp.h"

namespace vx::content::music {

// Two channels of samples at SampleRate, nominal range [-1, 1].
struct Stereo {
  explicit Stereo(std::size_t frames = 0) : left(frames), right(frames) {}
  std::size_t Frames() const { return left.size(); }
  std::vector<float> left, right;
};

// First frame at or after a time: seconds x SampleRate, rounded to nearest.
std::int64_t FrameAt(double seconds);

// A pitched note: start and gate length in seconds, MIDI pitch, peak gain
// and pan (-1 left, 0 centre, 1 right; constant power).
struct Note {
  double start;
  double length;
  int midi;
  float gain;
  float pan;
};

// Drums. Gains are peak levels; seeds select the noise of noisy hits.
void AddKick(Stereo& out, double start, float gain);
void AddSnare(Stereo& out, double start, float gain, std::uint32_t seed);
void AddHat(Stereo& out, double start, float gain, bool open, float pan, std::uint32_t seed);
void AddCrash(Stereo& out, double start, float gain, std::uint32_t seed);
void AddTom(Stereo& out, double start, int midi, float gain, float pan);

// Bass: saw and sine through a resonant low pass whose cutoff (Hz) starts
// at cutoff + sweep and falls back to cutoff; drive > 1 saturates.
struct BassTone {
  double cutoff;
  double sweep;
  double drive;
  double attack;
};
void AddBass(Stereo& out, const Note& note, const BassTone& tone);

// One chord tone of a pad: three detuned saws spread across the stereo
// field, low passed at cutoff. Attack is the swell time in seconds.
void AddPad(Stereo& out, const Note& note, double cutoff, double attack);

// Lead: two detuned saws and a pulse with delayed vibrato, through a low
// pass that opens by sweep Hz at the note start.
struct LeadTone {
  double cutoff;
  double sweep;
  double vibrato;  // semitones of vibrato depth
  double decay;    // seconds to fall toward the sustain level
};
void AddLead(Stereo& out, const Note& note, const LeadTone& tone);

// Short plucked saw whose low pass starts five times above cutoff.
void AddPluck(Stereo& out, const Note& note, double cutoff);
// Two-operator FM bell that rings for about a second.
void AddBell(Stereo& out, const Note& note);
// Noise swept upward through a band pass from 300 Hz to 9 kHz, growing to
// gain at its end; the build-up before a section change.
void AddRiser(Stereo& out, double start, double length, float gain, std::uint32_t seed);

}  // namespace vx::content::music
