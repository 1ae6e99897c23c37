#pragma once
// Loudness and peak measurement of stereo samples at SampleRate, as EBU R128
// defines them (ITU-R BS.1770-4, EBU Tech 3341 and 3342): K-weighting, the
// gated integrated loudness, the loudness range and the 4x oversampled true
// peak. The mix levels its sections with it; the tests measure the decoded
// MP3 with it. Loudness is in LUFS (differences in LU); a stretch of
// silence measures SilentLufs. Beside loudness, the balance of the mix:
// how much of its energy lies in a band of frequencies, and how wide it is.
#include <complex>
#include <cstdint>
#include <vector>

#include "music_voices.h"

namespace vx::content::music {

constexpr double SilentLufs = -200.0;

class LoudnessMeter {
 public:
  explicit LoudnessMeter(const Stereo& samples);

  // Ungated loudness of the seconds [from, to): -0.691 + 10 log10 of the
  // sum over both channels of the mean square of the K-weighted signal.
  // A 1 kHz sine of amplitude A in both channels reads 20 log10(A) LUFS.
  double Loudness(double from, double to) const;
  // Gated loudness of [from, to): 400 ms blocks every 100 ms, blocks under
  // -70 LUFS dropped, then blocks more than 10 LU under the mean of the rest.
  double Integrated(double from, double to) const;
  // Loudness range of [from, to): 3 s short-term blocks every 100 ms, gated
  // at -70 LUFS and 20 LU under their mean; the spread between the 10th and
  // the 95th percentile of the remaining block loudnesses, in LU.
  double Range(double from, double to) const;
  // How far a sudden swell stands out: over every 400 ms window of
  // [from, to) (100 ms apart), its loudness minus that of the louder of the
  // 2 s just before and the 2 s just after it; the largest value, in LU.
  // Windows under -70 LUFS do not count. Where is set to the window's start.
  double LargestRise(double from, double to, double* where = nullptr) const;

 private:
  std::int64_t Frame(double seconds) const;
  // energy_[i]: sum of both channels' squared K-weighted samples over
  // frames [0, i).
  std::vector<double> energy_;
};

// Largest absolute value of the signal between and at its samples, found by
// interpolating three points between every two samples (4x oversampling
// with a windowed-sinc filter); a linear gain (1 = full scale).
double TruePeak(const Stereo& samples);
// The same per frame: entry i is the largest absolute value, over both
// channels, at frame i and at the three points between it and frame i + 1.
std::vector<float> FramePeaks(const Stereo& samples);

// In-place radix-2 FFT without scaling: a[k] becomes the sum over n of
// a[n] exp(-2 pi i k n / size); the size must be a power of two.
void Fft(std::vector<std::complex<double>>& a);

// Energy of both channels between lowHz and highHz against their whole
// energy over the seconds [from, to), in dB (0: all of it in the band):
// power spectra of 4096-frame Hann windows, half overlapping, summed;
// SilentLufs (-200) when the band is silent.
double BandShareDb(const Stereo& samples, double lowHz, double highHz, double from, double to);

// Energy of the side signal (L - R) / 2 against that of the mid (L + R) / 2
// over the seconds [from, to), in dB, within [-200, 200]: a mono signal
// (and silence) reads -200, a signal without mid 200.
double SideToMidDb(const Stereo& samples, double from, double to);

}  // namespace vx::content::music
