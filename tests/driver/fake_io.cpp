#include "driver/fake_io.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <span>
#include <utility>

#include "fx2d/fx2d.h"
#include "platform/music.h"
#include "platform/music_backends.h"
#include "platform/video.h"
#include "platform/video_backends.h"

namespace vx::test {
namespace {

FakeWorld gWorld;

void Record(std::string line) {
  gWorld.calls.push_back(std::move(line));
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string SizeText(const FrameSize& size) {
  return std::to_string(size.width) + "x" + std::to_string(size.height);
}

// The classic size is recorded as the calls always were; another size is
// named after them.
void RecordScene(const char* name, float t, int extra, const FrameSize& size) {
  gWorld.scenes.push_back({name, t, extra, size});
  Record(std::string(name) + " " + Number(t) + " " + std::to_string(extra) +
         (size == ClassicFrame ? "" : " @" + SizeText(size)));
}

bool OpenLibrary(std::string_view path) {
  Record("OpenLibrary " + std::string(path));
  return gWorld.openLibraryResult;
}
// ---- the video backend ----
int StartVideo(const VideoOptions&, const FrameSize& size) {
  Record(size == ClassicFrame ? "StartVideo" : "StartVideo " + SizeText(size));
  return gWorld.startVideoResult;
}
int ResizeVideo(const FrameSize& size) {
  Record("ResizeVideo " + SizeText(size));
  return gWorld.resizeVideoResult;
}
FrameSize NativeSize(const VideoOptions&) {
  return gWorld.nativeSize;
}
// What the frame shows: "black", "picture" (the loader picture), "dark K"
// (the picture darkened by k, as the fades draw it) or "other".
std::string Describe(const std::uint32_t* frame) {
  const std::uint32_t* image = frame;
  const std::uint32_t* end = frame + ScreenPixels;
  if (std::all_of(image, end, [](std::uint32_t p) { return p == 0; })) return "black";
  if (gWorld.picture.size() < ScreenPixels) return "other";
  if (std::equal(image, end, gWorld.picture.begin())) return "picture";
  std::vector<std::uint32_t> dark(ScreenPixels);
  for (int k = 0; k < 256; ++k) {
    const auto level = static_cast<std::uint8_t>(k);
    // A few pixels rule out nearly every level before the whole frame is
    // compared.
    PlainFx2d.darkenScreen(gWorld.picture.data(), dark.data(), 16, level);
    if (!std::equal(dark.begin(), dark.begin() + 16, image)) continue;
    PlainFx2d.darkenScreen(gWorld.picture.data(), dark.data(), ScreenPixels, level);
    if (std::equal(dark.begin(), dark.end(), image)) return "dark " + std::to_string(k);
  }
  return "other";
}

int PresentFrame(const std::uint32_t* frame, const FrameSize& size) {
  gWorld.presented.emplace_back(frame, frame + FrameWords(size));
  gWorld.presentedSizes.push_back(size);
  Record("PresentFrame " + (size == ClassicFrame ? Describe(frame) : SizeText(size)));
  if (!gWorld.presentSteps.empty()) {
    gWorld.now += gWorld.presentSteps.front();
    gWorld.presentSteps.pop_front();
  } else {
    gWorld.now += gWorld.presentStep;
  }
  return gWorld.presentResult;
}
void StopVideo() {
  Record("StopVideo");
}
bool PumpMessages() {
  const bool quit = gWorld.pumps++ == gWorld.quitAtPump;
  Record(quit ? "Pump quit" : "Pump");
  return quit;
}
bool LoadSharpPicture(Picture& picture) {
  if (gWorld.sharpWidth == 0) {
    picture = Picture{};
    return false;
  }
  gWorld.sharpPicture.assign(std::size_t{gWorld.sharpWidth} * gWorld.sharpHeight, 0u);
  for (std::size_t i = 0; i < gWorld.sharpPicture.size(); ++i)
    gWorld.sharpPicture[i] = static_cast<std::uint32_t>(i * 40503u + 17u) & 0x00FFFFFFu;
  picture = {.width = gWorld.sharpWidth,
             .height = gWorld.sharpHeight,
             .bytesPerPixel = 4,
             .pixels = gWorld.sharpPicture.data()};
  return true;
}
bool LoadPicture(std::string_view name, Picture& picture) {
  Record("LoadPicture " + std::string(name));
  if (name.starts_with("SHARP\\")) return LoadSharpPicture(picture);
  if (!gWorld.loadPictureResult) {
    picture = Picture{};
    return false;
  }
  gWorld.picture.assign(static_cast<std::size_t>(gWorld.pictureWidth) * gWorld.pictureHeight, 0u);
  for (std::size_t i = 0; i < gWorld.picture.size(); ++i)
    gWorld.picture[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0x00FFFFFFu;
  picture.width = gWorld.pictureWidth;
  picture.height = gWorld.pictureHeight;
  picture.bytesPerPixel = gWorld.pictureBytesPerPixel;
  picture.pixels = gWorld.picture.data();
  return true;
}
void ReleasePicture(Picture& picture) {
  Record(picture.pixels == gWorld.picture.data()        ? "ReleasePicture loader"
         : picture.pixels == gWorld.sharpPicture.data() ? "ReleasePicture sharp"
                                                        : "ReleasePicture other");
  picture = Picture{};
}
void ReportPictureLoadError() {
  Record("ReportPictureLoadError");
}
void LoadAllScenes() {
  Record("LoadAllScenes @" + std::to_string(gWorld.now));
}
void FreeAllScenes() {
  Record("FreeAllScenes");
}
// ---- the music backend ----
void StartMusic(std::string_view name, std::uint32_t rate, bool mono, bool eightBits) {
  Record("StartMusic " + std::string(name) + " " + std::to_string(rate) + " " +
         std::to_string(mono) + std::to_string(eightBits));
}
void PlayMusic(double startSeconds, bool loop) {
  Record("PlayMusic " + std::to_string(loop) + " from " + Number(startSeconds) + " @" +
         std::to_string(gWorld.now));
}
float MusicTime(double /*startSeconds*/, std::uint32_t scale) {
  Record("MusicTime");
  EXPECT_EQ(scale, 120u) << "the clock was read at another scale than the show's";
  if (gWorld.musicTimes.empty()) {
    ADD_FAILURE() << "MusicTime read without a scripted time";
    return 14520.0f;  // ends the run
  }
  const float t = gWorld.musicTimes.front();
  if (gWorld.musicTimes.size() > 1) gWorld.musicTimes.pop_front();
  return t;
}
void StopMusic() {
  Record("StopMusic");
}
void FreeMusic() {
  Record("FreeMusic");
}
std::uint32_t Milliseconds() {
  return gWorld.now;
}
void Sleep(std::uint32_t ms) {
  gWorld.now += ms;
  gWorld.slept += ms;
}

// One recording stand-in for each of the real show's modules, under the
// same name and at the same place in the loading order.
constexpr std::size_t MaxFakeModules = 16;
std::array<SceneModule, MaxFakeModules> gFakeModules{};
std::array<const SceneModule*, MaxFakeModules> gFakeOrder{};
std::vector<TimelineSlot> gFakeSlots;
Show gFakeShow{};

template <std::size_t I>
void FakeLoad() {
  Record(std::string("Load ") + gFakeModules[I].name);
}
template <std::size_t I>
void FakeFree() {
  Record(std::string("Free ") + gFakeModules[I].name);
}
template <std::size_t I>
void FakeRender(float t, std::uint32_t*, const FrameSize& size, std::int32_t argument) {
  RecordScene(gFakeModules[I].name, t, argument, size);
}
template <std::size_t... I>
void MakeFakeModules(std::index_sequence<I...>) {
  gFakeModules = {SceneModule{
      .name = "", .load = FakeLoad<I>, .free = FakeFree<I>, .render = FakeRender<I>}...};
}

}  // namespace

FakeWorld& World() {
  return gWorld;
}

void ResetWorld() {
  // What a test before left running in the platform layer ends first.
  vx::StopVideo();
  vx::FreeMusic();
  gWorld = FakeWorld{};
  gWorld.frameBuffer.assign(307200 / 4, 0u);
}

DriverIo FakeIo() {
  return {.openLibrary = OpenLibrary,
          .addLibrary = nullptr,  // the fakes' world holds the classic archive only
          .loadPicture = LoadPicture,
          .releasePicture = ReleasePicture,
          .reportPictureLoadError = ReportPictureLoadError,
          .milliseconds = Milliseconds,
          .sleepMilliseconds = Sleep};
}

const VideoRoutines FakeVideo{.start = StartVideo,
                              .present = PresentFrame,
                              .pump = PumpMessages,
                              .stop = StopVideo,
                              .surface = nullptr,
                              .showBox = nullptr,
                              .ask = nullptr,
                              .resize = ResizeVideo,
                              .nativeSize = NativeSize};
const MusicRoutines FakeMusic{.start = StartMusic,
                              .play = PlayMusic,
                              .ticks = MusicTime,
                              .stop = StopMusic,
                              .free = FreeMusic};

const Show& FakeShow() {
  const Show& real = RealShow();
  EXPECT_LE(real.modules.size(), MaxFakeModules);
  MakeFakeModules(std::make_index_sequence<MaxFakeModules>{});
  const auto fakeOf = [&](const SceneModule* module) {
    const auto at = std::find(real.modules.begin(), real.modules.end(), module);
    EXPECT_NE(at, real.modules.end()) << "a slot's module is not in the loading order";
    return &gFakeModules[static_cast<std::size_t>(at - real.modules.begin())];
  };
  for (std::size_t i = 0; i < real.modules.size(); ++i) {
    gFakeModules[i].name = real.modules[i]->name;
    gFakeOrder[i] = &gFakeModules[i];
  }
  gFakeSlots.assign(real.slots.begin(), real.slots.end());
  for (TimelineSlot& slot : gFakeSlots) slot.module = fakeOf(slot.module);
  gFakeShow = {.slots = gFakeSlots,
               .effectTest = fakeOf(real.effectTest),
               .modules = std::span(gFakeOrder.data(), real.modules.size()),
               .loadAll = LoadAllScenes,
               .freeAll = FreeAllScenes};
  return gFakeShow;
}

void InstallFakes(double musicStartSeconds) {
  SetDriverIo(FakeIo());
  ConfigureVideo(VideoOptions{}, FakeVideo);
  ConfigureMusic(MusicOptions{.startSeconds = musicStartSeconds}, FakeMusic);
  UseShow(FakeShow());
  SetQuitFlag(false);
}

}  // namespace vx::test
