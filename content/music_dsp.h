#pragma once
// Building blocks of the soundtrack's synthesiser: pitch, deterministic
// noise, note envelopes, oscillators and filters. Everything runs at
// SampleRate frames a second on single-float samples in [-1, 1]; phases and
// filter states are kept in double so long notes do not drift.
#include <cstdint>
#include <string_view>

namespace vx::content::music {

constexpr int SampleRate = 44100;
constexpr double Pi = 3.14159265358979323846;

// Equal temperament with A4 = MIDI note 69 = 440 Hz.
double MidiToHz(double midi);

// A note name with octave, "A4" = 69, "C#5" = 73, "Bb3" = 58, "C-1" = 0;
// -1 when the text is not a note name.
int ParseNote(std::string_view text);

// Uniform white noise in [-1, 1) from a 32-bit xorshift generator: the same
// seed gives the same sequence on every run and platform.
struct Noise {
  explicit Noise(std::uint32_t seed) : state(seed != 0 ? seed : 0x9E3779B9u) {}
  float Next();
  std::uint32_t state;
};

// Shortest attack and release of any note: 2 ms, long enough that no note
// starts or ends with an audible step.
constexpr double MinRamp = 0.002;

// Amplitude of one note over time, in seconds. From 0 the level rises
// linearly to 1 over attack, then falls exponentially toward sustain with
// time constant decay while the gate is held; from the end of the gate it
// falls linearly to exactly 0 over release. Attack and release shorter than
// MinRamp are lengthened to it.
struct Envelope {
  double attack;
  double decay;
  double sustain;
  double release;
};
// Level at t seconds after the note starts, for a gate of gate seconds:
// 0 at t <= 0 and at t >= EnvelopeLength, within [0, 1] in between.
double EnvelopeLevel(const Envelope& envelope, double gate, double t);
// Seconds from the start to the end of the release.
double EnvelopeLength(const Envelope& envelope, double gate);

// Phase-accumulating oscillator; each call returns one sample and advances
// the phase by hz / SampleRate. Saw and pulse are band-limited with
// polynomial step corrections, so high notes do not alias audibly.
struct Oscillator {
  double phase = 0.0;  // cycles, in [0, 1)
  float Sine(double hz);
  float Saw(double hz);
  float Pulse(double hz, double width);  // width: high part of the cycle, (0, 1)
  float Triangle(double hz);
};

// Two-pole state-variable filter (trapezoidal integration): stable under
// fast cutoff changes, unity gain at DC for low pass, gain q at the cutoff.
struct StateVariableFilter {
  // Cutoff is kept within [10 Hz, 0.45 SampleRate]; q > 0 (0.707 is flat).
  void SetCutoff(double hz, double q);
  struct Outputs {
    float low, band, high;
  };
  Outputs Process(float input);

  double a1 = 0.0, a2 = 0.0, a3 = 0.0, k = 1.0;
  double ic1 = 0.0, ic2 = 0.0;
};

// One-pole low pass y += a (x - y) with a = 1 - exp(-2 pi hz / SampleRate);
// High returns x - Low(x).
struct OnePole {
  void SetCutoff(double hz);
  float Low(float input);
  float High(float input) { return input - Low(input); }

  double a = 1.0;
  double y = 0.0;
};

}  // namespace vx::content::music
