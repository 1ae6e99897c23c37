#pragma once
// The soundtrack from score to bytes: the arrangement's buses mixed with
// reverb and echo, the harmony widened, the whole tilted toward the
// presence band, each section brought to its planned loudness (from the
// quiet title cards to the peak at the spinning effect), high passed
// against DC, soft limited below -3 dBFS, faded out by FadeEnd, then
// encoded as MP3.
#include <cstdint>
#include <vector>

#include "music_voices.h"

namespace vx::content::music {

// The finished piece: PieceSeconds of stereo at SampleRate, every sample
// within (-0.71, 0.71). The same samples on every run.
Stereo RenderSoundtrack();

// Constant 160 kbit/s joint-stereo MP3 of the samples (44100 Hz), with an
// Info tag that tells gapless decoders the encoder's delay and padding, so
// that decoded sample n is sample n of the input. Empty on an encoder
// failure (reported on standard error).
std::vector<std::uint8_t> EncodeMp3(const Stereo& samples);

// Root mean square of both channels over frames [first, last).
double Rms(const Stereo& samples, std::int64_t first, std::int64_t last);

}  // namespace vx::content::music
