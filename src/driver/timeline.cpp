// The show's script: which scene is drawn at demo time t (ticks of 1/120 s)
// and with which local time. The bounds are extended-precision constants; t
// is widened for every comparison and subtraction, and each local time is
// rounded to single only when it is handed to the scene. The first slot has
// no lower test, so any t below 1314.36 (negative ones too) draws the logo.
#include "driver/timeline.h"

#include <cmath>
#include <cstdint>
#include <limits>

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

// Kinyit's argument: which picture it subtracts.
std::int32_t KinyitPicture(long double) {
  return 1;
}
std::int32_t BecsukPicture(long double) {
  return 0;
}
std::int32_t BlauPicture(long double local) {
  return BlauPictureIndex(local);
}

constexpr TimelineSlot Slots[] = {
    {.module = &LogoScene, .begin = 0.0L, .end = KinyitBegin},
    {.module = &KinyitScene, .begin = KinyitBegin, .end = LibikoBegin, .argument = KinyitPicture},
    {.module = &LibikoScene, .begin = LibikoBegin, .end = Blau1Begin},
    {.module = &BlauScene, .begin = Blau1Begin, .end = BoxBegin, .argument = BlauPicture},
    {.module = &BoxScene, .begin = BoxBegin, .end = Blau2Begin},
    {.module = &BlauScene, .begin = Blau2Begin, .end = EvilBegin, .argument = BlauPicture},
    {.module = &EvilScene, .begin = EvilBegin, .end = KommunBegin},
    {.module = &KommunScene, .begin = KommunBegin, .end = EffektBegin},
    {.module = &EffektScene, .begin = EffektBegin, .end = BecsukBegin},
    // Runs backwards, from 1042.2 down toward 0, so kinyit's fades mirror.
    {.module = &KinyitScene,
     .begin = BecsukBegin,
     .end = DankeBegin,
     .clock = SlotClock::Backward,
     .argument = BecsukPicture},
    {.module = &DankeScene, .begin = DankeBegin, .end = TimelineLastDrawn},
};

// The modules' list is a constant in another file, so this record is formed
// before main, and only reads constants.
const Show gRealShow{
    .slots = Slots,
    .effectTest = &LabdaScene,
    .modules = SceneModulesInLoadOrder(),
    .loadAll = LoadAllScenes,
    .freeAll = FreeAllScenes,
};

const Show* gShow = &gRealShow;
bool gQuitFlag = false;

}  // namespace

const Show& RealShow() {
  return gRealShow;
}

void UseShow(const Show& show) {
  gShow = &show;
}
const Show& CurrentShow() {
  return *gShow;
}

bool QuitFlag() {
  return gQuitFlag;
}
void SetQuitFlag(bool value) {
  gQuitFlag = value;
}

int TimelineSlotCount() {
  return static_cast<int>(CurrentShow().slots.size());
}
const TimelineSlot& TimelineSlotAt(int index) {
  return CurrentShow().slots[static_cast<std::size_t>(index)];
}

std::int16_t BlauPictureIndex(long double local) {
  const auto index = static_cast<std::int64_t>(local / BlauPictureTicks);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(index & 0xFFFF));
}

int TimelineSlotIndexAt(float t) {
  const long double time = t;
  // The slots lie end to end: the first whose end lies above t holds it.
  const std::span<const TimelineSlot> slots = CurrentShow().slots;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (time < slots[i].end) return static_cast<int>(i);
  }
  return -1;
}

float TimelineSlotStart(int index) {
  if (index <= 0) return 0.0f;
  const long double begin = TimelineSlotAt(index).begin;
  float start = static_cast<float>(begin);
  if (static_cast<long double>(start) < begin)
    start = std::nextafter(start, std::numeric_limits<float>::infinity());
  return start;
}

void RenderTimeline(float t, std::uint32_t* fb, const FrameSize& size) {
  const long double time = t;
  const int index = TimelineSlotIndexAt(t);
  if (index >= 0) {
    const TimelineSlot& slot = TimelineSlotAt(index);
    const long double local =
        slot.clock == SlotClock::Forward ? time - slot.begin : slot.end - time;
    const std::int32_t argument = slot.argument != nullptr ? slot.argument(local) : 0;
    slot.module->render(static_cast<float>(local), fb, size, argument);
  }
  // After the last slot nothing is drawn: the frame buffer keeps the last frame.
  if (time >= TimelineEnd) SetQuitFlag(true);
}

}  // namespace vx
