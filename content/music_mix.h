#pragma once
// The soundtrack from score to bytes: the arrangement's buses mixed with
// reverb and echo, the harmony widened, the whole tilted toward the
// presence band, each section brought to its planned loudness (from the
// quiet title cards to the peak at the spinning effect), high passed
// against DC, faded out by FadeEnd, true-peak limited under PeakCeiling, then
// encoded as MP3.
#include <cstdint>
#include <vector>

#include "music_voices.h"

namespace vx::content::music {

// Ceiling of the finished piece's true peak (FramePeaks), linear: -2 dBTP
// before the MP3 coder, whose overshoot keeps the decoded file under -1.
constexpr float PeakCeiling = 0.79f;

// The finished piece: PieceSeconds of stereo at SampleRate, no true peak
// above PeakCeiling. The same samples on every run.
Stereo RenderSoundtrack();

// The look-ahead peak limiter. Its gain falls in a straight ramp over
// LimiterLookAhead seconds to what the loudest frame ahead needs, so that
// no frame (nor the points between it and its neighbours, FramePeaks)
// exceeds the ceiling in either channel, and recovers toward unity with
// time constant LimiterRelease; where the signal stays under the ceiling
// for a look-ahead and a few release times, the gain is 1. One gain for
// both channels keeps the stereo image.
constexpr double LimiterLookAhead = 0.003;
constexpr double LimiterRelease = 0.06;
std::vector<float> LimiterGain(const Stereo& samples, float ceiling);
// Samples times LimiterGain(samples, ceiling).
void LimitPeaks(Stereo& samples, float ceiling);

// Constant 160 kbit/s joint-stereo MP3 of the samples (44100 Hz), with an
// Info tag that tells gapless decoders the encoder's delay and padding, so
// that decoded sample n is sample n of the input. Empty on an encoder
// failure (reported on standard error).
std::vector<std::uint8_t> EncodeMp3(const Stereo& samples);

// Root mean square of both channels over frames [first, last).
double Rms(const Stereo& samples, std::int64_t first, std::int64_t last);

}  // namespace vx::content::music
