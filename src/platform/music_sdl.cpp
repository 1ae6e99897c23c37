// Music through libmpg123 and SDL2 audio. StartMusic decodes the whole MP3
// (read whole from the data library) into 16-bit samples at the stream's own
// rate and channel count, converts them once to the output format chosen by
// the driver's call (outputRate, mono, eightBits), and an SDL audio callback
// plays them. The buffers stay allocated until FreeMusic.
//
// Positions are counted in output bytes from the start of the stream; the
// clock turns them back into the stream's decoded bytes (bytesPerSecond:
// rate x bits x channels / 8 of the stream) for MusicTicks. What the listener
// hears lags what the callback delivered by one device buffer; between
// callbacks the position advances with steady_clock, never beyond what was
// delivered. After the end of the stream the callback delivers silence and
// the position keeps counting, so the clock keeps running.
#include <SDL.h>
#include <mpg123.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "platform/music_backends.h"

namespace vx::sdl_music {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t NoCode = 0xFFFFFFFFu;
constexpr Uint16 DeviceBufferFrames = 1024;

std::vector<std::uint8_t> file;  // the MP3, as read from the library
std::vector<std::uint8_t> pcm;   // decoded, in the output format
SDL_AudioDeviceID device = 0;
bool audioInitialised = false;
SDL_AudioSpec output{};
std::uint32_t outputFrameBytes = 0;
double outputBytesPerSecond = 0.0;
float streamBytesPerSecond = 0.0f;  // the stream's own decoded byte rate

// Shared with the audio callback, under the mutex.
struct Playback {
  std::size_t cursor = 0;  // next byte of pcm to play
  bool loop = false;
  std::uint64_t delivered = 0;   // output bytes handed to the device, from the stream start
  std::uint64_t startBytes = 0;  // where playing began
  std::uint64_t heardAtCallback = 0;
  std::uint64_t ceiling = 0;
  Clock::time_point callbackTime;
  bool callbackSeen = false;
};
std::mutex mutex;
Playback playback;
bool playing = false;
std::uint64_t frozenBytes = 0;
bool stopped = false;

void Release() {
  if (device != 0) SDL_CloseAudioDevice(device);
  device = 0;
  if (audioInitialised) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  audioInitialised = false;
  file.clear();
  file.shrink_to_fit();
  pcm.clear();
  pcm.shrink_to_fit();
}

[[noreturn]] void Fail(std::uint32_t code, std::string_view text, const std::string& detail) {
  Release();
  ReportAudioError(code, text, detail);
}

void FillAudio(void*, Uint8* stream, int length) {
  const auto bytes = static_cast<std::size_t>(length);
  std::lock_guard<std::mutex> lock(mutex);
  Playback& p = playback;
  // The device is now playing the buffer delivered last time; this one
  // follows it.
  const std::uint64_t before = p.delivered;
  p.heardAtCallback = std::max(p.startBytes, before >= bytes ? before - bytes : 0);
  p.ceiling = std::max(p.heardAtCallback, before);
  p.callbackTime = Clock::now();
  p.callbackSeen = true;

  std::size_t written = 0;
  while (written < bytes) {
    if (p.cursor >= pcm.size()) {
      if (p.loop && !pcm.empty()) {
        p.cursor = 0;
        continue;
      }
      std::memset(stream + written, output.silence, bytes - written);
      break;
    }
    const std::size_t chunk = std::min(bytes - written, pcm.size() - p.cursor);
    std::memcpy(stream + written, pcm.data() + p.cursor, chunk);
    p.cursor += chunk;
    written += chunk;
  }
  p.delivered += bytes;
}

// The output position in bytes now.
std::uint64_t HeardBytes() {
  std::lock_guard<std::mutex> lock(mutex);
  const Playback& p = playback;
  if (!p.callbackSeen) return p.startBytes;
  const std::chrono::duration<double> since = Clock::now() - p.callbackTime;
  return InterpolatePlayedBytes(p.heardAtCallback, p.ceiling, since.count(), outputBytesPerSecond);
}

std::uint64_t StartOffset(double startSeconds) {
  if (!(startSeconds > 0.0)) return 0;
  const auto frames = static_cast<std::uint64_t>(startSeconds * output.freq);
  return frames * outputFrameBytes;
}

struct DecodedStream {
  std::vector<std::uint8_t> samples;  // signed 16-bit, native byte order
  long rate = 0;
  int channels = 0;
};

DecodedStream Decode(const std::vector<std::uint8_t>& mp3) {
  DecodedStream decoded;
  int error = MPG123_OK;
  mpg123_handle* handle = mpg123_new(nullptr, &error);
  if (handle == nullptr) {
    Fail(static_cast<std::uint32_t>(error), "Not an MP3",
         std::string("libmpg123: ") + mpg123_plain_strerror(error));
  }
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  // Only 16-bit output, at the stream's own rate and channel count.
  mpg123_format_none(handle);
  const long* rates = nullptr;
  std::size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (std::size_t i = 0; i < rateCount; ++i) {
    mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
  int result = mpg123_open_feed(handle);
  if (result == MPG123_OK) result = mpg123_feed(handle, mp3.data(), mp3.size());
  if (result != MPG123_OK) {
    const std::string detail = std::string("libmpg123: ") + mpg123_strerror(handle);
    const auto code = static_cast<std::uint32_t>(mpg123_errcode(handle));
    mpg123_delete(handle);
    Fail(code, "Not an MP3", detail);
  }

  std::vector<unsigned char> chunk(1 << 16);
  bool formatKnown = false;
  bool badFormat = false;
  for (;;) {
    std::size_t done = 0;
    result = mpg123_read(handle, chunk.data(), chunk.size(), &done);
    if (result == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0;
      int encoding = 0;
      if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK ||
          encoding != MPG123_ENC_SIGNED_16 || rate <= 0 || (channels != 1 && channels != 2) ||
          (formatKnown && (rate != decoded.rate || channels != decoded.channels))) {
        badFormat = true;
        break;
      }
      decoded.rate = rate;
      decoded.channels = channels;
      formatKnown = true;
    }
    decoded.samples.insert(decoded.samples.end(), chunk.data(), chunk.data() + done);
    if (result != MPG123_OK && result != MPG123_NEW_FORMAT) break;
  }
  const auto code = static_cast<std::uint32_t>(mpg123_errcode(handle));
  const std::string detail = std::string("libmpg123: ") + mpg123_strerror(handle);
  mpg123_delete(handle);

  if (badFormat) Fail(code != 0 ? code : NoCode, "Invalid channel", detail);
  if (!formatKnown || decoded.samples.empty()) {
    Fail(code != 0 ? code : NoCode, "Not an MP3",
         code != 0 ? detail : std::string("libmpg123: no MPEG audio frames found"));
  }
  return decoded;
}

// Converts the decoded samples to the output format in one pass.
std::vector<std::uint8_t> ConvertToOutput(DecodedStream& decoded) {
  if (decoded.rate == output.freq && decoded.channels == output.channels &&
      output.format == AUDIO_S16SYS) {
    return std::move(decoded.samples);
  }
  SDL_AudioStream* stream = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(decoded.channels),
                                               static_cast<int>(decoded.rate), output.format,
                                               output.channels, output.freq);
  if (stream == nullptr) Fail(NoCode, "Invalid channel", std::string("SDL: ") + SDL_GetError());
  std::vector<std::uint8_t> converted;
  if (SDL_AudioStreamPut(stream, decoded.samples.data(),
                         static_cast<int>(decoded.samples.size())) != 0 ||
      SDL_AudioStreamFlush(stream) != 0) {
    SDL_FreeAudioStream(stream);
    Fail(NoCode, "Invalid channel", std::string("SDL: ") + SDL_GetError());
  }
  converted.resize(static_cast<std::size_t>(SDL_AudioStreamAvailable(stream)));
  const int got = SDL_AudioStreamGet(stream, converted.data(), static_cast<int>(converted.size()));
  SDL_FreeAudioStream(stream);
  if (got < 0) Fail(NoCode, "Invalid channel", std::string("SDL: ") + SDL_GetError());
  converted.resize(static_cast<std::size_t>(got));
  decoded.samples.clear();
  return converted;
}

void Start(std::string_view name, std::uint32_t outputRate, bool mono, bool eightBits) {
  Release();
  // The output device first, as the original opened its output before
  // reading the file.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    Fail(NoCode, "Can't initialize device",
         std::string("SDL: ") + SDL_GetError() + " (use --mute to play without sound)");
  }
  audioInitialised = true;
  SDL_AudioSpec wanted{};
  wanted.freq = outputRate != 0 ? static_cast<int>(outputRate) : 44100;
  wanted.format = eightBits ? AUDIO_U8 : AUDIO_S16SYS;
  wanted.channels = mono ? 1 : 2;
  wanted.samples = DeviceBufferFrames;
  wanted.callback = FillAudio;
  // No changes allowed: SDL converts to the hardware, so the callback's bytes
  // are exactly the output format asked for.
  device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &output, 0);
  if (device == 0) {
    Fail(NoCode, "Can't initialize device",
         std::string("SDL: ") + SDL_GetError() + " (use --mute to play without sound)");
  }
  outputFrameBytes =
      static_cast<std::uint32_t>(SDL_AUDIO_BITSIZE(output.format) / 8) * output.channels;
  outputBytesPerSecond = static_cast<double>(outputFrameBytes) * output.freq;

  const std::int32_t size = LibraryFileSize(name);
  if (size <= 0) {
    Release();
    ReportMusicError("File read error");
  }
  file.assign(static_cast<std::size_t>(size), 0);
  if (!ReadLibraryFile(name, file.data())) {
    Release();
    ReportMusicError("File read error");
  }

  DecodedStream decoded = Decode(file);
  streamBytesPerSecond = MusicBytesPerSecond(static_cast<std::uint32_t>(decoded.rate), 16,
                                             static_cast<std::uint32_t>(decoded.channels));
  pcm = ConvertToOutput(decoded);
  {
    std::lock_guard<std::mutex> lock(mutex);
    playback = Playback{};
  }
  playing = false;
  stopped = false;
}

void Play(double startSeconds, bool loop) {
  if (device == 0) return;
  SDL_PauseAudioDevice(device, 1);
  {
    std::lock_guard<std::mutex> lock(mutex);
    playback = Playback{};
    playback.startBytes = StartOffset(startSeconds);
    playback.delivered = playback.startBytes;
    playback.cursor =
        static_cast<std::size_t>(std::min<std::uint64_t>(playback.startBytes, pcm.size()));
    playback.loop = loop;
  }
  playing = true;
  stopped = false;
  SDL_PauseAudioDevice(device, 0);
}

float Ticks(double startSeconds, std::uint32_t scale) {
  if (!(outputBytesPerSecond > 0.0)) return 0.0f;
  std::uint64_t heard = 0;
  if (stopped) {
    heard = frozenBytes;
  } else if (playing) {
    heard = HeardBytes();
  } else {
    heard = StartOffset(startSeconds);
  }
  // Back to the stream's decoded bytes, as an unsigned 32-bit position.
  const long double streamBytes = static_cast<long double>(heard) * streamBytesPerSecond /
                                  static_cast<long double>(outputBytesPerSecond);
  const auto position = static_cast<std::uint32_t>(static_cast<std::uint64_t>(streamBytes));
  return MusicTicks(position, streamBytesPerSecond, scale);
}

void Stop() {
  if (device == 0 || !playing) return;
  frozenBytes = HeardBytes();
  SDL_PauseAudioDevice(device, 1);
  playing = false;
  stopped = true;
}

void Free() {
  Release();
  playing = false;
  stopped = false;
}

}  // namespace
}  // namespace vx::sdl_music

namespace vx {
const MusicRoutines SdlMusic{.start = sdl_music::Start,
                             .play = sdl_music::Play,
                             .ticks = sdl_music::Ticks,
                             .stop = sdl_music::Stop,
                             .free = sdl_music::Free};
}  // namespace vx
