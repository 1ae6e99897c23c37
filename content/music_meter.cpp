#include "music_meter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vx::content::music {

namespace {

// Direct form I biquad, coefficients normalised to a0 = 1.
struct Biquad {
  double b0, b1, b2, a1, a2;
  double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
  double Process(double x) {
    const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

// The two stages of BS.1770's K-weighting, derived for any sample rate from
// the analogue prototypes behind the standard's 48 kHz coefficients: a high
// shelf of +4 dB above about 1.7 kHz (the head's acoustic effect), then a
// second-order high pass at about 38 Hz.
std::array<Biquad, 2> KWeighting(double rate) {
  double f0 = 1681.974450955533, gain = 3.999843853973347, q = 0.7071752369554196;
  double k = std::tan(Pi * f0 / rate);
  const double vh = std::pow(10.0, gain / 20.0);
  const double vb = std::pow(vh, 0.4996667741545416);
  double a0 = 1.0 + k / q + k * k;
  const Biquad shelf{(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0,
                     (vh - vb * k / q + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
                     (1.0 - k / q + k * k) / a0};
  f0 = 38.13547087602444;
  q = 0.5003270373238773;
  k = std::tan(Pi * f0 / rate);
  a0 = 1.0 + k / q + k * k;
  const Biquad highPass{1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
  return {shelf, highPass};
}

double ToLufs(double meanSquare) {
  return meanSquare > 1e-20 ? -0.691 + 10.0 * std::log10(meanSquare) : SilentLufs;
}

double FromLufs(double lufs) {
  return std::pow(10.0, (lufs + 0.691) / 10.0);
}

}  // namespace

LoudnessMeter::LoudnessMeter(const Stereo& samples) : energy_(samples.Frames() + 1, 0.0) {
  std::array<Biquad, 2> left = KWeighting(SampleRate), right = left;
  for (std::size_t i = 0; i < samples.Frames(); ++i) {
    const double l = left[1].Process(left[0].Process(samples.left[i]));
    const double r = right[1].Process(right[0].Process(samples.right[i]));
    energy_[i + 1] = energy_[i] + l * l + r * r;
  }
}

std::int64_t LoudnessMeter::Frame(double seconds) const {
  return std::clamp<std::int64_t>(FrameAt(seconds), 0,
                                  static_cast<std::int64_t>(energy_.size()) - 1);
}

double LoudnessMeter::Loudness(double from, double to) const {
  const std::int64_t first = Frame(from), last = Frame(to);
  if (last <= first) return SilentLufs;
  return ToLufs(
      (energy_[static_cast<std::size_t>(last)] - energy_[static_cast<std::size_t>(first)]) /
      static_cast<double>(last - first));
}

double LoudnessMeter::Integrated(double from, double to) const {
  std::vector<double> blocks;
  for (int i = 0; from + 0.1 * i + 0.4 <= to + 1e-9; ++i) {
    const double lufs = Loudness(from + 0.1 * i, from + 0.1 * i + 0.4);
    if (lufs > -70.0) blocks.push_back(FromLufs(lufs));
  }
  if (blocks.empty()) return SilentLufs;
  double mean = 0.0;
  for (double b : blocks) mean += b;
  const double gate = FromLufs(ToLufs(mean / static_cast<double>(blocks.size())) - 10.0);
  double sum = 0.0;
  int count = 0;
  for (double b : blocks) {
    if (b > gate) {
      sum += b;
      ++count;
    }
  }
  return count > 0 ? ToLufs(sum / count) : SilentLufs;
}

double LoudnessMeter::Range(double from, double to) const {
  std::vector<double> blocks;
  for (int i = 0; from + 0.1 * i + 3.0 <= to + 1e-9; ++i) {
    const double lufs = Loudness(from + 0.1 * i, from + 0.1 * i + 3.0);
    if (lufs > -70.0) blocks.push_back(lufs);
  }
  if (blocks.empty()) return 0.0;
  double mean = 0.0;
  for (double b : blocks) mean += FromLufs(b);
  const double gate = ToLufs(mean / static_cast<double>(blocks.size())) - 20.0;
  std::vector<double> kept;
  for (double b : blocks)
    if (b > gate) kept.push_back(b);
  std::sort(kept.begin(), kept.end());
  const auto at = [&](double p) {
    return kept[static_cast<std::size_t>(std::lround(p * static_cast<double>(kept.size() - 1)))];
  };
  return at(0.95) - at(0.10);
}

double LoudnessMeter::LargestRise(double from, double to, double* where) const {
  double largest = -1e9;
  for (int i = 0; from + 0.1 * i + 0.4 <= to + 1e-9; ++i) {
    const double start = from + 0.1 * i;
    const double window = Loudness(start, start + 0.4);
    if (window <= -70.0) continue;
    const double around =
        std::max(Loudness(start - 2.0, start), Loudness(start + 0.4, start + 2.4));
    if (window - around > largest) {
      largest = window - around;
      if (where) *where = start;
    }
  }
  return largest;
}

std::vector<float> FramePeaks(const Stereo& samples) {
  // Interpolation filter: sinc at a quarter of the 4x rate (the original
  // Nyquist frequency) under a Blackman window, 12 input samples each side.
  constexpr int kSide = 12;
  std::array<std::array<double, 2 * kSide>, 3> phases{};
  for (int p = 1; p <= 3; ++p) {
    for (int j = 0; j < 2 * kSide; ++j) {
      const double x = (j - kSide + 1) - p / 4.0;  // distance from the point to input j
      const double sinc = std::sin(Pi * x) / (Pi * x);
      const double w =
          0.42 + 0.5 * std::cos(Pi * x / kSide) + 0.08 * std::cos(2.0 * Pi * x / kSide);
      phases[static_cast<std::size_t>(p - 1)][static_cast<std::size_t>(j)] = sinc * w;
    }
  }
  const auto n = static_cast<std::int64_t>(samples.Frames());
  std::vector<float> peaks(samples.Frames(), 0.0f);
  for (const std::vector<float>* channel : {&samples.left, &samples.right}) {
    const std::vector<float>& x = *channel;
    for (std::int64_t i = 0; i < n; ++i) {
      double peak = std::fabs(static_cast<double>(x[static_cast<std::size_t>(i)]));
      // Points between samples i and i + 1 from inputs i - kSide + 1 .. i + kSide.
      if (i - kSide + 1 >= 0 && i + kSide < n) {
        for (const auto& taps : phases) {
          double sum = 0.0;
          for (int j = 0; j < 2 * kSide; ++j)
            sum +=
                taps[static_cast<std::size_t>(j)] * x[static_cast<std::size_t>(i - kSide + 1 + j)];
          peak = std::max(peak, std::fabs(sum));
        }
      }
      float& out = peaks[static_cast<std::size_t>(i)];
      out = std::max(out, static_cast<float>(peak));
    }
  }
  return peaks;
}

double TruePeak(const Stereo& samples) {
  const std::vector<float> peaks = FramePeaks(samples);
  return peaks.empty() ? 0.0 : *std::max_element(peaks.begin(), peaks.end());
}

void Fft(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t length = 2; length <= n; length <<= 1) {
    const std::complex<double> step = std::polar(1.0, -2.0 * Pi / static_cast<double>(length));
    for (std::size_t i = 0; i < n; i += length) {
      std::complex<double> w = 1.0;
      for (std::size_t k = 0; k < length / 2; ++k, w *= step) {
        const std::complex<double> u = a[i + k], v = a[i + k + length / 2] * w;
        a[i + k] = u + v;
        a[i + k + length / 2] = u - v;
      }
    }
  }
}

double BandShareDb(const Stereo& samples, double lowHz, double highHz, double from, double to) {
  constexpr std::size_t kSize = 4096;
  std::vector<double> window(kSize);
  for (std::size_t i = 0; i < kSize; ++i)
    window[i] = 0.5 - 0.5 * std::cos(2.0 * Pi * static_cast<double>(i) / kSize);
  const auto first = static_cast<std::size_t>(std::max<std::int64_t>(FrameAt(from), 0));
  const std::size_t last = std::min(static_cast<std::size_t>(FrameAt(to)), samples.Frames());
  double band = 0.0, all = 0.0;
  std::vector<std::complex<double>> spectrum(kSize);
  for (std::size_t start = first; start + kSize <= last; start += kSize / 2) {
    for (const std::vector<float>* channel : {&samples.left, &samples.right}) {
      for (std::size_t i = 0; i < kSize; ++i) spectrum[i] = window[i] * (*channel)[start + i];
      Fft(spectrum);
      for (std::size_t k = 0; k <= kSize / 2; ++k) {
        const double power = std::norm(spectrum[k]);
        const double hz = static_cast<double>(k) * SampleRate / kSize;
        all += power;
        if (hz >= lowHz && hz < highHz) band += power;
      }
    }
  }
  return band > 0.0 && all > 0.0 ? 10.0 * std::log10(band / all) : SilentLufs;
}

double SideToMidDb(const Stereo& samples, double from, double to) {
  const auto first = static_cast<std::size_t>(std::max<std::int64_t>(FrameAt(from), 0));
  const std::size_t last = std::min(static_cast<std::size_t>(FrameAt(to)), samples.Frames());
  double mid = 0.0, side = 0.0;
  for (std::size_t i = first; i < last; ++i) {
    const double m = 0.5 * (samples.left[i] + samples.right[i]);
    const double s = 0.5 * (samples.left[i] - samples.right[i]);
    mid += m * m;
    side += s * s;
  }
  constexpr double kLimit = 200.0;
  if (side <= 0.0) return -kLimit;
  if (mid <= 0.0) return kLimit;
  return std::clamp(10.0 * std::log10(side / mid), -kLimit, kLimit);
}

}  // namespace vx::content::music
