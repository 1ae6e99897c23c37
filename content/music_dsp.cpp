#include "music_dsp.h"

#include <algorithm>
#include <cmath>

namespace vx::content::music {

double MidiToHz(double midi) {
  return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

int ParseNote(std::string_view text) {
  if (text.size() < 2) return -1;
  static constexpr int kLetterSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  const char letter = text[0];
  if (letter < 'A' || letter > 'G') return -1;
  int semitone = kLetterSemitone[letter - 'A'];
  std::size_t at = 1;
  if (text[at] == '#') {
    ++semitone;
    ++at;
  } else if (text[at] == 'b') {
    --semitone;
    ++at;
  }
  bool negative = false;
  if (at < text.size() && text[at] == '-') {
    negative = true;
    ++at;
  }
  if (at + 1 != text.size() || text[at] < '0' || text[at] > '9') return -1;
  const int octave = (negative ? -1 : 1) * (text[at] - '0');
  const int midi = (octave + 1) * 12 + semitone;
  return midi >= 0 && midi <= 127 ? midi : -1;
}

float Noise::Next() {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return static_cast<float>(static_cast<double>(state) / 2147483648.0 - 1.0);
}

double EnvelopeLevel(const Envelope& envelope, double gate, double t) {
  const double attack = std::max(envelope.attack, MinRamp);
  const double release = std::max(envelope.release, MinRamp);
  const auto held = [&](double at) {
    if (at < attack) return at / attack;
    if (envelope.decay <= 0.0) return envelope.sustain;
    return envelope.sustain + (1.0 - envelope.sustain) * std::exp(-(at - attack) / envelope.decay);
  };
  gate = std::max(gate, 0.0);
  if (t <= 0.0 || t >= gate + release) return 0.0;
  if (t < gate) return held(t);
  const double left = 1.0 - (t - gate) / release;
  return left > 0.0 ? held(gate) * left : 0.0;
}

double EnvelopeLength(const Envelope& envelope, double gate) {
  return std::max(gate, 0.0) + std::max(envelope.release, MinRamp);
}

namespace {

// Correction of a unit step in a phase-wrapped waveform, spread over the two
// samples around the step (t: phase in cycles, dt: phase step per sample).
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

float Oscillator::Sine(double hz) {
  const double value = std::sin(2.0 * Pi * phase);
  phase += hz / SampleRate;
  phase -= std::floor(phase);
  return static_cast<float>(value);
}

float Oscillator::Saw(double hz) {
  const double dt = hz / SampleRate;
  const double value = 2.0 * phase - 1.0 - PolyBlep(phase, dt);
  phase += dt;
  phase -= std::floor(phase);
  return static_cast<float>(value);
}

float Oscillator::Pulse(double hz, double width) {
  const double dt = hz / SampleRate;
  double value = phase < width ? 1.0 : -1.0;
  value += PolyBlep(phase, dt);
  double fall = phase - width;
  fall -= std::floor(fall);
  value -= PolyBlep(fall, dt);
  phase += dt;
  phase -= std::floor(phase);
  return static_cast<float>(value);
}

float Oscillator::Triangle(double hz) {
  const double value = phase < 0.5 ? 4.0 * phase - 1.0 : 3.0 - 4.0 * phase;
  phase += hz / SampleRate;
  phase -= std::floor(phase);
  return static_cast<float>(value);
}

void StateVariableFilter::SetCutoff(double hz, double q) {
  hz = std::clamp(hz, 10.0, 0.45 * SampleRate);
  const double g = std::tan(Pi * hz / SampleRate);
  k = 1.0 / std::max(q, 0.05);
  a1 = 1.0 / (1.0 + g * (g + k));
  a2 = g * a1;
  a3 = g * a2;
}

StateVariableFilter::Outputs StateVariableFilter::Process(float input) {
  const double v3 = input - ic2;
  const double v1 = a1 * ic1 + a2 * v3;
  const double v2 = ic2 + a2 * ic1 + a3 * v3;
  ic1 = 2.0 * v1 - ic1;
  ic2 = 2.0 * v2 - ic2;
  return {static_cast<float>(v2), static_cast<float>(v1), static_cast<float>(input - k * v1 - v2)};
}

void OnePole::SetCutoff(double hz) {
  a = 1.0 - std::exp(-2.0 * Pi * hz / SampleRate);
}

float OnePole::Low(float input) {
  y += a * (input - y);
  return static_cast<float>(y);
}

}  // namespace vx::content::music
