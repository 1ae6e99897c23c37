// The show's soundtrack, DATA\oompa.mp3: synthesised (music_score.h,
// music_voices.h), mixed and encoded (music_mix.h), then written.
#include "music.h"

#include "canvas.h"
#include "music_mix.h"

namespace vx::content {

bool GenerateMusic(const std::string& mp3Path) {
  const std::vector<std::uint8_t> mp3 = music::EncodeMp3(music::RenderSoundtrack());
  return !mp3.empty() && SaveBytes(mp3, mp3Path);
}

}  // namespace vx::content
