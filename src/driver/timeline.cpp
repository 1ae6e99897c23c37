// The show's script: which scene is drawn at demo time t (ticks of 1/120 s)
// and with which local time. The bounds are extended-precision constants; t
// is widened for every comparison and subtraction, and each local time is
// rounded to single only when it is handed to the scene. The first slot has
// no lower test, so any t below 1314.36 (negative ones too) draws the logo.
#include "driver/timeline.h"

#include <cstdint>

#include "scenes/scenes.h"

namespace vx {
namespace {

constexpr long double KinyitBegin = 1314.36L;
constexpr long double LibikoBegin = 2358.72L;
constexpr long double Blau1Begin = 4032.0L;
constexpr long double BoxBegin = 5683.08L;
constexpr long double Blau2Begin = 6531.0L;
constexpr long double EvilBegin = 8208.0L;
constexpr long double KommunBegin = 9870.0L;
constexpr long double EffektBegin = 11140.8L;
constexpr long double BecsukBegin = 12136.2L;  // kinyit again, backwards
constexpr long double DankeBegin = 13178.4L;

constexpr TimelineSlot Slots[TimelineSlotCount] = {
    {"logo", 0.0L, KinyitBegin},
    {"kinyit", KinyitBegin, LibikoBegin},
    {"libiko", LibikoBegin, Blau1Begin},
    {"blau", Blau1Begin, BoxBegin},
    {"box", BoxBegin, Blau2Begin},
    {"blau", Blau2Begin, EvilBegin},
    {"evil", EvilBegin, KommunBegin},
    {"kommun", KommunBegin, EffektBegin},
    {"effekt", EffektBegin, BecsukBegin},
    {"kinyit", BecsukBegin, DankeBegin},
    {"danke", DankeBegin, TimelineLastDrawn},
};

SceneModules gScenes{};
bool gQuitFlag = false;

float Local(long double value) {
  return static_cast<float>(value);
}

}  // namespace

void SetSceneModules(const SceneModules& modules) {
  gScenes = modules;
}
const SceneModules& CurrentSceneModules() {
  return gScenes;
}

SceneModules RealSceneModules() {
  return {.loadAll = LoadAllScenes,
          .freeAll = FreeAllScenes,
          .loadLabda = LoadLabda,
          .freeLabda = FreeLabda,
          .logo = RenderLogo,
          .kinyit = RenderKinyit,
          .libiko = RenderLibiko,
          .blau = RenderBlau,
          .box = RenderBox,
          .labda = RenderLabda,
          .effekt = RenderEffekt,
          .kommun = RenderKommun,
          .evil = RenderEvil,
          .danke = RenderDanke};
}

bool QuitFlag() {
  return gQuitFlag;
}
void SetQuitFlag(bool value) {
  gQuitFlag = value;
}

const TimelineSlot& TimelineSlotAt(int index) {
  return Slots[index];
}

std::int16_t BlauPictureIndex(long double local) {
  const auto index = static_cast<std::int64_t>(local / BlauPictureTicks);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(index & 0xFFFF));
}

void RenderTimeline(float t, std::uint32_t* fb) {
  const long double time = t;
  const SceneModules& s = gScenes;
  if (time < KinyitBegin) {
    s.logo(Local(time), fb);
  } else if (time < LibikoBegin) {
    s.kinyit(Local(time - KinyitBegin), fb, true);
  } else if (time < Blau1Begin) {
    s.libiko(Local(time - LibikoBegin), fb);
  } else if (time < BoxBegin) {
    s.blau(Local(time - Blau1Begin), fb, BlauPictureIndex(time - Blau1Begin));
  } else if (time < Blau2Begin) {
    s.box(Local(time - BoxBegin), fb);
  } else if (time < EvilBegin) {
    s.blau(Local(time - Blau2Begin), fb, BlauPictureIndex(time - Blau2Begin));
  } else if (time < KommunBegin) {
    s.evil(Local(time - EvilBegin), fb);
  } else if (time < EffektBegin) {
    s.kommun(Local(time - KommunBegin), fb);
  } else if (time < BecsukBegin) {
    s.effekt(Local(time - EffektBegin), fb);
  } else if (time < DankeBegin) {
    // Runs backwards, from 1042.2 down toward 0, so kinyit's fades mirror.
    s.kinyit(Local(DankeBegin - time), fb, false);
  } else if (time < TimelineLastDrawn) {
    s.danke(Local(time - DankeBegin), fb);
  }
  // From 14400 on nothing is drawn: the frame buffer keeps the last frame.
  if (time >= TimelineEnd) SetQuitFlag(true);
}

}  // namespace vx
