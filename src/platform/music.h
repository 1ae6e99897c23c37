#pragma once
// The soundtrack and the demo clock. StartMusic reads the MP3 whole from the
// data library and prepares it; PlayMusic starts it; MusicTime is the playing
// position of what the listener hears, in ticks (SetMusicScale: ticks per
// second), smooth and never stepping back. Failures print their line on
// standard output and end the process with exit code 1.
//
// Backends: Silent (a clock that runs at real time from PlayMusic, no sound
// device; headless runs and --mute), Sdl (libmpg123 decoding, SDL2 audio
// output) and Web (the browser's WebAudio decoding and output; browser build
// only, elsewhere it fails as a missing device does).
#include <cstdint>
#include <string_view>

namespace vx {

enum class MusicBackend { Silent, Sdl, Web };

struct MusicOptions {
  MusicBackend backend = MusicBackend::Silent;
  double startSeconds = 0.0;  // --from: playing starts here
};

void ConfigureMusic(const MusicOptions& options);

// Prepares the named MP3 of the data library. Failures, each a line on
// standard output and exit code 1:
//   "Error: File read error"                   absent, empty or unreadable file
//   "BASS Error (CODE): Can't initialize device" no sound output (Sdl, Web)
//   "BASS Error (CODE): Not an MP3"             nothing decodable (Sdl, Web)
//   "BASS Error (CODE): Invalid channel"        unusable stream format (Sdl)
// CODE is the decoder's or SDL's code as an unsigned number (4294967295
// where there is none); the library's own text follows on standard error.
// outputRate, mono and eightBits choose the output format; streamFlag is
// accepted for the driver's call and has no effect (every backend can seek).
void StartMusic(std::string_view name, std::uint32_t outputRate, bool mono, bool eightBits,
                bool streamFlag);
void SetMusicScale(std::uint32_t ticksPerSecond);
// Starts playing at options.startSeconds; after StopMusic it starts again
// from there. With loop the stream restarts at its end (the clock still
// runs on); without, silence follows the end and the clock runs on.
void PlayMusic(bool loop);
// Ticks of what the listener hears: startSeconds x scale before PlayMusic,
// then advancing with the playing position; never steps back; frozen by
// StopMusic.
float MusicTime();
void StopMusic();
// The next PlayMusic starts at the beginning of the music, not at
// options.startSeconds (a show played again from its start).
void RewindMusic();
void FreeMusic();

// The viewer's controls, between PlayMusic and StopMusic. PauseMusic stops
// the sound and holds MusicTime at the moment heard; ResumeMusic plays on
// from that moment. SeekMusic moves the playing position to ticks (at the
// scale set): MusicTime reads exactly ticks at once and runs on from there,
// or holds it while paused. A seek is the one way MusicTime steps back.
// Each does nothing before StartMusic or after FreeMusic.
void PauseMusic();
void ResumeMusic();
void SeekMusic(float ticks);
bool MusicPaused();

// Browser build only: hands the named MP3 of the open data library to the
// browser to decode in the background, so that StartMusic, asked later for
// the same bytes, does not wait for the whole decoding.
void DecodeMusicAhead(std::string_view name);

// The clock arithmetic, shared by the backends.

// Decoded bytes a second: (sampleRate x bitsPerSample x channels, an
// unsigned 32-bit product) / 8, as a single. 44100 Hz 16-bit stereo gives
// 176400 (1470 bytes a tick at 120 ticks a second).
float MusicBytesPerSecond(std::uint32_t sampleRate, std::uint32_t bitsPerSample,
                          std::uint32_t channels);
// position / bytesPerSecond x scale in extended precision, rounded to a
// single. position is unsigned (0xFFFFFFFF is a large positive time); scale
// 0 or a bytesPerSecond that is not positive gives 0.
float MusicTicks(std::uint32_t position, float bytesPerSecond, std::uint32_t scale);
// The playing position interpolated between audio callbacks: the position
// heard when the last callback ran, plus the bytes played in the seconds
// since, never beyond ceiling (the end of what the device was given before
// that callback). Fractions of a byte are dropped.
std::uint64_t InterpolatePlayedBytes(std::uint64_t heardAtCallback, std::uint64_t ceiling,
                                     double secondsSinceCallback, double bytesPerSecond);

// One reading of a WebAudio context, all times in seconds. Context times
// count on the audio clock (AudioContext.currentTime); performance times on
// the page's clock (performance.now() / 1000).
struct AudioContextReading {
  double contextTime = 0.0;  // currentTime: the end of what was handed to the output
  double latency = 0.0;      // baseLatency + outputLatency
  // getOutputTimestamp(): the context time heard at a performance time;
  // outputPerformanceTime 0 when the output has not reported yet.
  double outputContextTime = 0.0;
  double outputPerformanceTime = 0.0;
  double performanceNow = 0.0;
};
// The context time the listener hears now: the output timestamp carried
// forward to performanceNow (so the clock moves between the output's
// 128-frame quanta), or contextTime - latency while the output has not
// reported; never beyond contextTime.
double HeardContextTime(const AudioContextReading& reading);
// The music position heard: startSeconds plus the heard context time since
// playStartContextTime, never before startSeconds.
double HeardMusicSeconds(const AudioContextReading& reading, double playStartContextTime,
                         double startSeconds);

}  // namespace vx
