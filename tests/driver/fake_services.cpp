#include "driver/fake_services.h"

#include <gtest/gtest.h>

#include <cstdio>

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

void RecordScene(const char* name, float t, int extra, bool showExtra) {
  gWorld.scenes.push_back({name, t, extra});
  Record(std::string(name) + " " + Number(t) + (showExtra ? " " + std::to_string(extra) : ""));
}

bool OpenLibrary(std::string_view path) {
  Record("OpenLibrary " + std::string(path));
  return gWorld.openLibraryResult;
}
int StartVideo() {
  Record("StartVideo");
  return gWorld.startVideoResult;
}
int PresentFrame() {
  Record("PresentFrame");
  if (!gWorld.presentSteps.empty()) {
    gWorld.now += gWorld.presentSteps.front();
    gWorld.presentSteps.pop_front();
  } else {
    gWorld.now += gWorld.presentStep;
  }
  return gWorld.presentResult;
}
int StopVideo() {
  Record("StopVideo");
  return 0;
}
std::uint32_t* FrameBuffer() {
  return gWorld.frameBuffer.data();
}
bool PumpMessages() {
  const bool quit = gWorld.pumps++ == gWorld.quitAtPump;
  Record(quit ? "Pump quit" : "Pump");
  return quit;
}
bool LoadPicture(std::string_view name, Picture& picture) {
  Record("LoadPicture " + std::string(name));
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
  Record(picture.pixels == gWorld.picture.data() ? "ReleasePicture loader"
                                                 : "ReleasePicture other");
  picture = Picture{};
}
void ReportPictureLoadError() {
  Record("ReportPictureLoadError");
}
void ClearScreen(std::uint32_t* dst) {
  Record(dst == gWorld.frameBuffer.data() ? "ClearScreen" : "ClearScreen elsewhere");
}
void CopyScreen(const std::uint32_t* src, std::uint32_t* dst) {
  const bool expected = src == gWorld.picture.data() && dst == gWorld.frameBuffer.data();
  Record(expected ? "CopyScreen" : "CopyScreen elsewhere");
}
void DarkenScreen(const std::uint32_t* src, std::uint32_t* dst, std::uint32_t count,
                  std::uint8_t k) {
  const bool expected = src == gWorld.picture.data() && dst == gWorld.frameBuffer.data();
  Record("DarkenScreen " + std::to_string(k) + (expected ? "" : " elsewhere") +
         (count == 64000 ? "" : " count " + std::to_string(count)));
  gWorld.darkenLevels.push_back(k);
}
void LoadAllScenes() {
  Record("LoadAllScenes @" + std::to_string(gWorld.now));
}
void FreeAllScenes() {
  Record("FreeAllScenes");
}
void LoadLabda() {
  Record("LoadLabda");
}
void FreeLabda() {
  Record("FreeLabda");
}
void StartMusic(std::string_view name, std::uint32_t rate, bool mono, bool eightBits,
                bool streamFlag) {
  Record("StartMusic " + std::string(name) + " " + std::to_string(rate) + " " +
         std::to_string(mono) + std::to_string(eightBits) + std::to_string(streamFlag));
}
void SetMusicScale(std::uint32_t scale) {
  Record("SetMusicScale " + std::to_string(scale));
}
void PlayMusic(bool loop) {
  Record("PlayMusic " + std::to_string(loop) + " @" + std::to_string(gWorld.now));
}
float MusicTime() {
  Record("MusicTime");
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
void RewindMusic() {
  Record("RewindMusic");
}
std::uint32_t Milliseconds() {
  return gWorld.now;
}
void Sleep(std::uint32_t ms) {
  gWorld.now += ms;
  gWorld.slept += ms;
}

void Logo(float t, std::uint32_t*) {
  RecordScene("logo", t, 0, false);
}
void Kinyit(float t, std::uint32_t*, bool choice) {
  RecordScene("kinyit", t, choice, true);
}
void Libiko(float t, std::uint32_t*) {
  RecordScene("libiko", t, 0, false);
}
void Blau(float t, std::uint32_t*, std::int16_t index) {
  RecordScene("blau", t, index, true);
}
void Box(float t, std::uint32_t*) {
  RecordScene("box", t, 0, false);
}
void Labda(float t, std::uint32_t*) {
  RecordScene("labda", t, 0, false);
}
void Effekt(float t, std::uint32_t*) {
  RecordScene("effekt", t, 0, false);
}
void Kommun(float t, std::uint32_t*) {
  RecordScene("kommun", t, 0, false);
}
void Evil(float t, std::uint32_t*) {
  RecordScene("evil", t, 0, false);
}
void Danke(float t, std::uint32_t*) {
  RecordScene("danke", t, 0, false);
}

}  // namespace

FakeWorld& World() {
  return gWorld;
}

void ResetWorld() {
  gWorld = FakeWorld{};
  gWorld.frameBuffer.assign(307200 / 4, 0u);
}

DriverServices FakeServices() {
  DriverServices s{};
  s.openLibrary = OpenLibrary;
  s.startVideo = StartVideo;
  s.presentFrame = PresentFrame;
  s.stopVideo = StopVideo;
  s.frameBuffer = FrameBuffer;
  s.pumpMessages = PumpMessages;
  s.loadPicture = LoadPicture;
  s.releasePicture = ReleasePicture;
  s.reportPictureLoadError = ReportPictureLoadError;
  s.clearScreen = ClearScreen;
  s.copyScreen = CopyScreen;
  s.darkenScreen = DarkenScreen;
  s.loadAllScenes = LoadAllScenes;
  s.freeAllScenes = FreeAllScenes;
  s.loadLabda = LoadLabda;
  s.renderLabda = Labda;
  s.freeLabda = FreeLabda;
  s.startMusic = StartMusic;
  s.setMusicScale = SetMusicScale;
  s.playMusic = PlayMusic;
  s.musicTime = MusicTime;
  s.stopMusic = StopMusic;
  s.freeMusic = FreeMusic;
  s.rewindMusic = RewindMusic;
  s.milliseconds = Milliseconds;
  s.sleepMilliseconds = Sleep;
  s.renderTimeline = RenderTimeline;
  return s;
}

TimelineScenes FakeScenes() {
  TimelineScenes s{};
  s.logo = Logo;
  s.kinyit = Kinyit;
  s.libiko = Libiko;
  s.blau = Blau;
  s.box = Box;
  s.labda = Labda;
  s.effekt = Effekt;
  s.kommun = Kommun;
  s.evil = Evil;
  s.danke = Danke;
  return s;
}

void InstallFakes() {
  SetDriverServices(FakeServices());
  SetTimelineScenes(FakeScenes());
  SetQuitFlag(false);
}

}  // namespace vx::test
