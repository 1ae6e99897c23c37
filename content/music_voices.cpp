#include "music_voices.h"

#include <algorithm>
#include <cmath>

namespace vx::content::music {

std::int64_t FrameAt(double seconds) {
  return std::llround(seconds * SampleRate);
}

namespace {

struct Gains {
  float left, right;
};

Gains Pan(float pan) {
  const double angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0) * Pi / 4.0;
  return {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
}

// Calls sample(t) -> {left, right} for every frame of [start, start +
// length) that lies inside out, t being seconds since start, and adds the
// result. The voice's envelope is applied by sample itself.
template <class Sample>
void Render(Stereo& out, double start, double length, Sample&& sample) {
  const std::int64_t first = FrameAt(start);
  const std::int64_t count = FrameAt(length) + 1;
  const auto frames = static_cast<std::int64_t>(out.Frames());
  for (std::int64_t i = std::max<std::int64_t>(0, -first); i < count && first + i < frames; ++i) {
    const Gains value = sample(static_cast<double>(i) / SampleRate);
    out.left[static_cast<std::size_t>(first + i)] += value.left;
    out.right[static_cast<std::size_t>(first + i)] += value.right;
  }
}

// Mono voice at one pan position.
template <class Sample>
void RenderMono(Stereo& out, double start, double length, float gain, float pan, Sample&& sample) {
  const Gains g = Pan(pan);
  Render(out, start, length, [&](double t) {
    const float s = gain * sample(t);
    return Gains{s * g.left, s * g.right};
  });
}

}  // namespace

void AddKick(Stereo& out, double start, float gain) {
  const Envelope envelope{0.002, 0.13, 0.0, 0.04};
  const double gate = 0.24;
  double phase = 0.0;
  RenderMono(out, start, EnvelopeLength(envelope, gate), gain, 0.0f, [&](double t) {
    const double hz = 47.0 + 115.0 * std::exp(-t / 0.032);
    const double s = std::sin(2.0 * Pi * phase);
    phase += hz / SampleRate;
    return static_cast<float>(s * EnvelopeLevel(envelope, gate, t));
  });
}

void AddSnare(Stereo& out, double start, float gain, std::uint32_t seed) {
  const Envelope body{0.002, 0.045, 0.0, 0.03};
  const Envelope rattle{0.002, 0.10, 0.0, 0.04};
  const double gate = 0.18;
  Noise noise(seed);
  StateVariableFilter filter;
  filter.SetCutoff(1700.0, 0.6);
  Oscillator tone;
  RenderMono(out, start, EnvelopeLength(rattle, gate), gain, 0.05f, [&](double t) {
    const double hz = 185.0 + 60.0 * std::exp(-t / 0.01);
    const float n = filter.Process(noise.Next()).high;
    return static_cast<float>(0.55 * tone.Sine(hz) * EnvelopeLevel(body, gate, t) +
                              0.75 * n * EnvelopeLevel(rattle, gate, t));
  });
}

void AddHat(Stereo& out, double start, float gain, bool open, float pan, std::uint32_t seed) {
  const Envelope envelope{0.002, open ? 0.16 : 0.028, 0.0, open ? 0.06 : 0.02};
  const double gate = open ? 0.22 : 0.06;
  Noise noise(seed);
  StateVariableFilter filter;
  filter.SetCutoff(7500.0, 0.9);
  RenderMono(out, start, EnvelopeLength(envelope, gate), gain, pan, [&](double t) {
    return static_cast<float>(filter.Process(noise.Next()).high * EnvelopeLevel(envelope, gate, t));
  });
}

void AddCrash(Stereo& out, double start, float gain, std::uint32_t seed) {
  const Envelope envelope{0.002, 0.7, 0.0, 0.5};
  const double gate = 1.6;
  Noise left(seed), right(seed * 2654435761u + 1u);
  StateVariableFilter fl, fr;
  fl.SetCutoff(5200.0, 0.7);
  fr.SetCutoff(5600.0, 0.7);
  Render(out, start, EnvelopeLength(envelope, gate), [&](double t) {
    const auto level = static_cast<float>(gain * EnvelopeLevel(envelope, gate, t));
    return Gains{fl.Process(left.Next()).high * level, fr.Process(right.Next()).high * level};
  });
}

void AddTom(Stereo& out, double start, int midi, float gain, float pan) {
  const Envelope envelope{0.002, 0.14, 0.0, 0.05};
  const double gate = 0.28;
  const double base = MidiToHz(midi);
  Oscillator osc;
  RenderMono(out, start, EnvelopeLength(envelope, gate), gain, pan, [&](double t) {
    const double hz = base * (1.0 + 0.6 * std::exp(-t / 0.04));
    return static_cast<float>(osc.Sine(hz) * EnvelopeLevel(envelope, gate, t));
  });
}

void AddBass(Stereo& out, const Note& note, const BassTone& tone) {
  const Envelope envelope{tone.attack, 0.25, 0.75, 0.035};
  const double hz = MidiToHz(note.midi);
  Oscillator saw, sub;
  StateVariableFilter filter;
  const double norm = std::tanh(tone.drive);
  RenderMono(out, note.start, EnvelopeLength(envelope, note.length), note.gain, note.pan,
             [&](double t) {
               if ((FrameAt(t) & 15) == 0)
                 filter.SetCutoff(tone.cutoff + tone.sweep * std::exp(-t / 0.07), 1.3);
               const float raw = 0.6f * saw.Saw(hz) + 0.5f * sub.Sine(hz);
               const double shaped = std::tanh(tone.drive * filter.Process(raw).low) / norm;
               return static_cast<float>(shaped * EnvelopeLevel(envelope, note.length, t));
             });
}

void AddPad(Stereo& out, const Note& note, double cutoff, double attack) {
  const Envelope envelope{attack, 1.2, 0.8, 0.45};
  const double hz = MidiToHz(note.midi);
  Noise seed(static_cast<std::uint32_t>(note.midi * 7919 + FrameAt(note.start)));
  Oscillator osc[3];
  for (Oscillator& o : osc) o.phase = 0.5 + 0.5 * seed.Next();
  static constexpr double kDetune[3] = {0.9962, 1.0, 1.0041};  // about -6.6 and +7.1 cents
  StateVariableFilter fl, fr;
  fl.SetCutoff(cutoff, 0.8);
  fr.SetCutoff(cutoff * 1.03, 0.8);
  const Gains centre = Pan(note.pan);
  Render(out, note.start, EnvelopeLength(envelope, note.length), [&](double t) {
    const float a = osc[0].Saw(hz * kDetune[0]);
    const float b = osc[1].Saw(hz * kDetune[1]);
    const float c = osc[2].Saw(hz * kDetune[2]);
    const auto level = static_cast<float>(note.gain * EnvelopeLevel(envelope, note.length, t));
    const float l = fl.Process(0.55f * a + 0.45f * b * centre.left * 1.4142f + 0.15f * c).low;
    const float r = fr.Process(0.15f * a + 0.45f * b * centre.right * 1.4142f + 0.55f * c).low;
    return Gains{l * level, r * level};
  });
}

void AddLead(Stereo& out, const Note& note, const LeadTone& tone) {
  const Envelope envelope{0.006, tone.decay, 0.65, 0.08};
  const Envelope sweep{0.002, 0.12, 0.0, 0.01};
  const double hz = MidiToHz(note.midi);
  Oscillator a, b, c, lfo;
  b.phase = 0.37;
  c.phase = 0.71;
  StateVariableFilter filter;
  RenderMono(out, note.start, EnvelopeLength(envelope, note.length), note.gain, note.pan,
             [&](double t) {
               const double depth = tone.vibrato * std::clamp((t - 0.18) / 0.3, 0.0, 1.0);
               const double f = hz * std::pow(2.0, depth * lfo.Sine(5.6) / 12.0);
               if ((FrameAt(t) & 15) == 0)
                 filter.SetCutoff(tone.cutoff + tone.sweep * EnvelopeLevel(sweep, 0.0, t), 1.1);
               const float raw =
                   0.4f * a.Saw(f * 0.9965) + 0.4f * b.Saw(f * 1.0035) + 0.3f * c.Pulse(f, 0.35);
               return static_cast<float>(filter.Process(raw).low *
                                         EnvelopeLevel(envelope, note.length, t));
             });
}

void AddPluck(Stereo& out, const Note& note, double cutoff) {
  const Envelope envelope{0.002, 0.14, 0.0, 0.05};
  const double hz = MidiToHz(note.midi);
  Oscillator a, b;
  b.phase = 0.25;
  StateVariableFilter filter;
  RenderMono(out, note.start, EnvelopeLength(envelope, note.length), note.gain, note.pan,
             [&](double t) {
               if ((FrameAt(t) & 15) == 0)
                 filter.SetCutoff(cutoff * (1.0 + 4.0 * std::exp(-t / 0.05)), 1.4);
               const float raw = 0.6f * a.Saw(hz) + 0.4f * b.Pulse(hz * 2.0, 0.5);
               return static_cast<float>(filter.Process(raw).low *
                                         EnvelopeLevel(envelope, note.length, t));
             });
}

void AddBell(Stereo& out, const Note& note) {
  const Envelope envelope{0.002, 0.55, 0.0, 0.25};
  const double hz = MidiToHz(note.midi);
  double carrier = 0.0, modulator = 0.0;
  RenderMono(
      out, note.start, EnvelopeLength(envelope, note.length), note.gain, note.pan, [&](double t) {
        const double index = 0.3 + 2.2 * std::exp(-t / 0.15);
        const double s = std::sin(2.0 * Pi * carrier + index * std::sin(2.0 * Pi * modulator));
        carrier += hz / SampleRate;
        modulator += 3.5 * hz / SampleRate;
        carrier -= std::floor(carrier);
        modulator -= std::floor(modulator);
        return static_cast<float>(s * EnvelopeLevel(envelope, note.length, t));
      });
}

void AddRiser(Stereo& out, double start, double length, float gain, std::uint32_t seed) {
  const Envelope envelope{length * 0.9, 0.0, 1.0, 0.02};
  const double gate = std::max(length - 0.02, 0.0);
  Noise left(seed), right(seed ^ 0xA5A5A5A5u);
  StateVariableFilter fl, fr;
  Render(out, start, EnvelopeLength(envelope, gate), [&](double t) {
    if ((FrameAt(t) & 15) == 0) {
      const double hz = 300.0 * std::pow(30.0, std::clamp(t / length, 0.0, 1.0));
      fl.SetCutoff(hz, 2.5);
      fr.SetCutoff(hz * 1.06, 2.5);
    }
    const double ramp = EnvelopeLevel(envelope, gate, t);
    const auto level = static_cast<float>(gain * ramp * ramp);
    return Gains{fl.Process(left.Next()).band * level, fr.Process(right.Next()).band * level};
  });
}

}  // namespace vx::content::music
