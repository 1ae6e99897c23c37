#pragma once
// The soundtrack of the show, synthesised and encoded as MP3 (44100 Hz,
// stereo, about 160 kbit/s, at least 122 seconds).
#include <string>

namespace vx::content {

// Writes the whole piece to mp3Path. False with a reason on standard error
// when the encoder or the file fails. Same bytes on every run.
bool GenerateMusic(const std::string& mp3Path);

}  // namespace vx::content
