#include "music_mix.h"

#include <lame/lame.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <deque>
#include <memory>

#include "music_meter.h"
#include "music_score.h"

namespace vx::content::music {

namespace {

// Loudness of the full groove before the limiter, LUFS; the peak limiter
// (music_mix.h) holds the louder sections' kicks under PeakCeiling.
constexpr double GrooveLufs = -14.2;
// Loudness of each section in LU against the groove, at its start and at its
// end (a straight line in dB between them). The title cards have no drums
// and sit well below; the opening swells as its filters open; from the
// seesaw on each section grows toward its end, the blue world's second
// visit ends on a breakdown, and the spinning effect is the peak, the
// largest step up of the piece; the last two slots draw back as the show
// closes. The spread is the piece's loudness range.
struct SectionLevel {
  double from, to;
};
constexpr std::array<SectionLevel, SectionCount> Levels = {{
    {.from = -9.5, .to = -3.5},  // title cards
    {.from = -4.5, .to = -2.0},  // open
    {.from = -5.2, .to = -1.7},  // seesaw
    {.from = -2.5, .to = 1.0},   // blue world
    {.from = -1.0, .to = 1.0},   // boxes
    {.from = 0.0, .to = 1.5},    // blue world again, opening on the answer
    {.from = -1.5, .to = 1.5},   // evil
    {.from = -2.0, .to = 1.0},   // anthem
    {.from = 3.5, .to = 3.0},    // spin
    {.from = -3.0, .to = -6.0},  // close
    {.from = -5.0, .to = -7.0},  // thanks
}};
// Below this the master high pass removes the DC that pulse waves and
// uneven mixes of voices leave behind, and sub-sonic rumble, Hz.
constexpr double HighPassHz = 20.0;
// The master fade runs from here to FadeEnd (raised cosine).
constexpr double FadeStart = 116.8;

// Schroeder-style stereo reverb (four damped combs into two all-passes per
// channel, the right channel's delays 23 frames longer for width).
class Reverb {
 public:
  Reverb() {
    static constexpr std::array<int, 4> kCombs = {1116, 1188, 1277, 1356};
    static constexpr std::array<int, 2> kPasses = {556, 441};
    for (int c = 0; c < 2; ++c) {
      for (int i = 0; i < 4; ++i)
        combs_[c][i].line.assign(static_cast<std::size_t>(kCombs[i] + 23 * c), 0.0f);
      for (int i = 0; i < 2; ++i)
        passes_[c][i].line.assign(static_cast<std::size_t>(kPasses[i] + 23 * c), 0.0f);
    }
  }
  // Adds the reverb of input (mono) times wet to out at frame i.
  void Process(float input, float wet, Stereo& out, std::size_t i) {
    float* sides[2] = {&out.left[i], &out.right[i]};
    for (int c = 0; c < 2; ++c) {
      float sum = 0.0f;
      for (Comb& comb : combs_[c]) {
        const float y = comb.line[comb.at];
        comb.store = y * 0.75f + comb.store * 0.25f;  // damping: one-pole low pass in the loop
        comb.line[comb.at] = input + comb.store * 0.84f;
        comb.at = (comb.at + 1) % comb.line.size();
        sum += y;
      }
      for (Pass& pass : passes_[c]) {
        const float delayed = pass.line[pass.at];
        pass.line[pass.at] = sum + delayed * 0.5f;
        pass.at = (pass.at + 1) % pass.line.size();
        sum = delayed - sum;
      }
      *sides[c] += sum * wet;
    }
  }

 private:
  struct Comb {
    std::vector<float> line;
    std::size_t at = 0;
    float store = 0.0f;
  };
  struct Pass {
    std::vector<float> line;
    std::size_t at = 0;
  };
  std::array<std::array<Comb, 4>, 2> combs_;
  std::array<std::array<Pass, 2>, 2> passes_;
};

// Ping-pong echo one grid beat long, its repeats darkened by a low pass.
void AddEcho(const Stereo& in, Stereo& out, float wet) {
  const auto delay = static_cast<std::size_t>(FrameAt(GridBeat));
  std::vector<float> lineLeft(delay, 0.0f), lineRight(delay, 0.0f);
  OnePole toneLeft, toneRight;
  toneLeft.SetCutoff(3000.0);
  toneRight.SetCutoff(3000.0);
  for (std::size_t i = 0, at = 0; i < in.Frames(); ++i, at = (at + 1) % delay) {
    const float l = lineLeft[at], r = lineRight[at];
    lineLeft[at] = toneLeft.Low(0.5f * (in.left[i] + in.right[i]) + 0.35f * r);
    lineRight[at] = toneRight.Low(0.35f * l);
    out.left[i] += wet * l;
    out.right[i] += wet * r;
  }
}

// Widens a group: its side signal (L - R) / 2 times width, its mid kept.
void Widen(Stereo& bus, float width) {
  for (std::size_t i = 0; i < bus.Frames(); ++i) {
    const float mid = 0.5f * (bus.left[i] + bus.right[i]);
    const float side = 0.5f * width * (bus.left[i] - bus.right[i]);
    bus.left[i] = mid + side;
    bus.right[i] = mid - side;
  }
}

// The master's tilt, applied before the sections are levelled: first-order
// shelves, x + (gain - 1) times the part of x above (or below) the corner,
// so the kick and bass give room to the presence band (2 to 8 kHz).
struct Shelf {
  double cornerHz;
  double gainDb;
  bool high;
};
constexpr std::array<Shelf, 2> Tilt = {{
    {.cornerHz = 120.0, .gainDb = -6.0, .high = false},
    {.cornerHz = 2500.0, .gainDb = 4.0, .high = true},
}};
void ApplyTilt(Stereo& mix) {
  for (const Shelf& shelf : Tilt) {
    const auto extra = static_cast<float>(std::pow(10.0, shelf.gainDb / 20.0) - 1.0);
    for (std::vector<float>* channel : {&mix.left, &mix.right}) {
      OnePole split;
      split.SetCutoff(shelf.cornerHz);
      for (float& x : *channel) x += extra * (shelf.high ? split.High(x) : split.Low(x));
    }
  }
}

// Brings each section to its level: its gated loudness (up to the master
// fade) is measured and a gain curve applied that puts it at GrooveLufs plus
// the section's level. The gain changes over the 10 ms before each cut, so
// every downbeat already sounds at its section's level.
void LevelSections(Stereo& mix) {
  const std::array<MusicSection, SectionCount> sections = MusicSections();
  const LoudnessMeter meter(mix);
  std::array<double, SectionCount> measured{};
  for (std::size_t s = 0; s < sections.size(); ++s)
    measured[s] = meter.Integrated(sections[s].start, std::min(sections[s].End(), FadeStart));
  // Gain in dB at a time inside section s.
  const auto gainDb = [&](std::size_t s, double t) {
    const MusicSection& section = sections[s];
    if (measured[s] <= SilentLufs) return 0.0;
    const double along =
        std::clamp((t - section.start) / (section.End() - section.start), 0.0, 1.0);
    const double level = Levels[s].from + (Levels[s].to - Levels[s].from) * along;
    return GrooveLufs + level - measured[s];
  };
  const std::int64_t ramp = FrameAt(0.01);
  std::size_t s = 0;
  for (std::size_t i = 0; i < mix.Frames(); ++i) {
    const auto frame = static_cast<std::int64_t>(i);
    const double t = static_cast<double>(frame) / SampleRate;
    while (s + 1 < sections.size() && frame >= FrameAt(sections[s + 1].start)) ++s;
    double db = gainDb(s, t);
    if (s + 1 < sections.size()) {
      const std::int64_t next = FrameAt(sections[s + 1].start);
      if (frame > next - ramp) {
        const double mixNext = static_cast<double>(frame - (next - ramp)) / ramp;
        db += (gainDb(s + 1, sections[s + 1].start) - db) * mixNext;
      }
    }
    const auto g = static_cast<float>(std::pow(10.0, db / 20.0));
    mix.left[i] *= g;
    mix.right[i] *= g;
  }
}

// High pass and the fade out, then the true-peak limiter.
void Master(Stereo& mix) {
  StateVariableFilter highLeft, highRight;
  highLeft.SetCutoff(HighPassHz, 0.7071);
  highRight.SetCutoff(HighPassHz, 0.7071);
  const std::int64_t fadeStart = FrameAt(FadeStart), fadeEnd = FrameAt(FadeEnd);
  for (std::size_t i = 0; i < mix.Frames(); ++i) {
    const auto frame = static_cast<std::int64_t>(i);
    double fade = 1.0;
    if (frame >= fadeEnd) {
      fade = 0.0;
    } else if (frame > fadeStart) {
      fade = 0.5 + 0.5 * std::cos(Pi * static_cast<double>(frame - fadeStart) /
                                  static_cast<double>(fadeEnd - fadeStart));
    }
    mix.left[i] = highLeft.Process(mix.left[i]).high;
    mix.right[i] = highRight.Process(mix.right[i]).high;
    mix.left[i] *= static_cast<float>(fade);
    mix.right[i] *= static_cast<float>(fade);
  }
  LimitPeaks(mix, PeakCeiling);
}

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

}  // namespace

std::vector<float> LimiterGain(const Stereo& samples, float ceiling) {
  const std::size_t n = samples.Frames();
  const auto ahead = static_cast<std::size_t>(FrameAt(LimiterLookAhead));
  // The gain each frame needs on its own, for its own peak and those
  // between it and its neighbours (the gain moves slowly enough that the
  // points between samples scale with it).
  const std::vector<float> peaks = FramePeaks(samples);
  std::vector<float> need(n);
  for (std::size_t i = 0; i < n; ++i) {
    const float peak = std::max(peaks[i], i > 0 ? peaks[i - 1] : 0.0f);
    need[i] = peak > ceiling ? ceiling / peak : 1.0f;
  }
  // Smallest need over the next ahead frames, then an exponential release:
  // held[i] never exceeds the need of frames i to i + ahead.
  std::vector<float> held(n);
  const double release = std::exp(-1.0 / (LimiterRelease * SampleRate));
  std::deque<std::size_t> window;  // frames of increasing need, the minimum first
  double level = 1.0;
  for (std::size_t i = n; i-- > 0;) {
    while (!window.empty() && need[window.back()] >= need[i]) window.pop_back();
    window.push_back(i);
    if (window.front() > i + ahead) window.pop_front();
    held[i] = need[window.front()];
  }
  for (std::size_t i = 0; i < n; ++i) {
    level = std::min(static_cast<double>(held[i]), 1.0 - (1.0 - level) * release);
    held[i] = static_cast<float>(level);
  }
  // Averaged over the look-ahead: frame i's gain is the mean of held over
  // frames i - ahead to i, all of which look ahead to frame i, so it is at
  // most need[i], and a fall in gain becomes a ramp of ahead frames.
  std::vector<float> gain(n);
  double sum = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    sum += held[i];
    if (i > ahead) sum -= held[i - ahead - 1];
    const std::size_t count = std::min(i, ahead) + 1;
    // Before the first ahead frames the missing ones count as unity gain.
    gain[i] = static_cast<float>((sum + static_cast<double>(ahead + 1 - count)) /
                                 static_cast<double>(ahead + 1));
    gain[i] = std::min(gain[i], need[i]);
  }
  return gain;
}

void LimitPeaks(Stereo& samples, float ceiling) {
  const std::vector<float> gain = LimiterGain(samples, ceiling);
  for (std::size_t i = 0; i < samples.Frames(); ++i) {
    samples.left[i] *= gain[i];
    samples.right[i] *= gain[i];
  }
}

double Rms(const Stereo& samples, std::int64_t first, std::int64_t last) {
  first = std::max<std::int64_t>(first, 0);
  last = std::min<std::int64_t>(last, static_cast<std::int64_t>(samples.Frames()));
  if (last <= first) return 0.0;
  double sum = 0.0;
  for (std::int64_t i = first; i < last; ++i) {
    const double l = samples.left[static_cast<std::size_t>(i)],
                 r = samples.right[static_cast<std::size_t>(i)];
    sum += l * l + r * r;
  }
  return std::sqrt(sum / (2.0 * static_cast<double>(last - first)));
}

Stereo RenderSoundtrack() {
  Buses buses;
  RenderArrangement(buses);
  // Balance of the groups: the melody and chords forward, the low end, the
  // crashes and risers back; the chords, crashes and risers spread wide.
  const auto scale = [](Stereo& bus, float gain) {
    for (std::size_t i = 0; i < bus.Frames(); ++i) {
      bus.left[i] *= gain;
      bus.right[i] *= gain;
    }
  };
  scale(buses.drums, 0.8f);
  scale(buses.bass, 0.75f);
  scale(buses.chords, 1.3f);
  scale(buses.lead, 1.6f);
  scale(buses.effects, 0.8f);
  Widen(buses.chords, 1.8f);
  Widen(buses.effects, 1.3f);
  Stereo mix(buses.drums.Frames());
  AddEcho(buses.lead, mix, 0.22f);
  Reverb reverb;
  for (std::size_t i = 0; i < mix.Frames(); ++i) {
    const float send = 0.5f * (0.05f * (buses.drums.left[i] + buses.drums.right[i]) +
                               0.35f * (buses.chords.left[i] + buses.chords.right[i]) +
                               0.3f * (buses.lead.left[i] + buses.lead.right[i]) +
                               0.25f * (buses.effects.left[i] + buses.effects.right[i]));
    reverb.Process(send, 0.08f, mix, i);
    mix.left[i] += buses.drums.left[i] + buses.bass.left[i] + buses.chords.left[i] +
                   buses.lead.left[i] + buses.effects.left[i];
    mix.right[i] += buses.drums.right[i] + buses.bass.right[i] + buses.chords.right[i] +
                    buses.lead.right[i] + buses.effects.right[i];
  }
  ApplyTilt(mix);
  LevelSections(mix);
  Master(mix);
  return mix;
}

std::vector<std::uint8_t> EncodeMp3(const Stereo& samples) {
  std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
  if (!lame) {
    std::fprintf(stderr, "vxcontent: the MP3 encoder cannot start\n");
    return {};
  }
  lame_set_in_samplerate(lame.get(), SampleRate);
  lame_set_out_samplerate(lame.get(), SampleRate);
  lame_set_num_channels(lame.get(), 2);
  lame_set_mode(lame.get(), JOINT_STEREO);
  lame_set_brate(lame.get(), 160);
  lame_set_quality(lame.get(), 5);
  lame_set_bWriteVbrTag(lame.get(), 1);  // CBR: an "Info" frame with delay and padding
  if (lame_init_params(lame.get()) < 0) {
    std::fprintf(stderr, "vxcontent: the MP3 encoder refuses its settings\n");
    return {};
  }
  const auto frames = static_cast<int>(samples.Frames());
  std::vector<std::uint8_t> mp3(static_cast<std::size_t>(1.25 * frames + 7200));
  std::size_t used = 0;
  constexpr int kChunk = 1152 * 16;
  for (int start = 0; start < frames; start += kChunk) {
    const int n = std::min(kChunk, frames - start);
    const int wrote =
        lame_encode_buffer_ieee_float(lame.get(), &samples.left[static_cast<std::size_t>(start)],
                                      &samples.right[static_cast<std::size_t>(start)], n,
                                      mp3.data() + used, static_cast<int>(mp3.size() - used));
    if (wrote < 0) {
      std::fprintf(stderr, "vxcontent: the MP3 encoder failed (%d)\n", wrote);
      return {};
    }
    used += static_cast<std::size_t>(wrote);
  }
  const int tail =
      lame_encode_flush(lame.get(), mp3.data() + used, static_cast<int>(mp3.size() - used));
  if (tail < 0) {
    std::fprintf(stderr, "vxcontent: the MP3 encoder failed to flush (%d)\n", tail);
    return {};
  }
  used += static_cast<std::size_t>(tail);
  mp3.resize(used);
  // The tag frame was written as a placeholder first; now it is known.
  std::array<unsigned char, 2880> tag{};
  const std::size_t tagSize = lame_get_lametag_frame(lame.get(), tag.data(), tag.size());
  if (tagSize == 0 || tagSize > tag.size() || tagSize > used) {
    std::fprintf(stderr, "vxcontent: the MP3 encoder gave no Info tag\n");
    return {};
  }
  std::copy(tag.begin(), tag.begin() + static_cast<std::ptrdiff_t>(tagSize), mp3.begin());
  return mp3;
}

}  // namespace vx::content::music
