#pragma once
// The show's script and the one table of scene modules it draws with.
//
// Time is in ticks of 1/120 s. RenderTimeline picks the one scene whose slot
// holds t and hands it its local time; it draws nothing at or after 14400
// and raises the quit flag once t reaches 14520, the end of the show.
#include <cstdint>

namespace vx {

inline constexpr long double TimelineEnd = 14520.0L;  // 121 s: the show is over
inline constexpr long double TimelineLastDrawn = 14400.0L;
inline constexpr long double BlauPictureTicks = 103.2L;

// Every call from the driver into the scene modules: loading and freeing
// them, and each module's render; pictureChoice true is the "kinyit.jpg"
// picture, false the "becsuk.jpg" one. vx1 uses the real modules
// (RealSceneModules); the driver's tests record the calls instead.
struct SceneModules {
  void (*loadAll)();
  void (*freeAll)();
  void (*loadLabda)();  // the effect test loads and frees labda alone
  void (*freeLabda)();
  void (*logo)(float t, std::uint32_t* fb);
  void (*kinyit)(float t, std::uint32_t* fb, bool pictureChoice);
  void (*libiko)(float t, std::uint32_t* fb);
  void (*blau)(float t, std::uint32_t* fb, std::int16_t pictureIndex);
  void (*box)(float t, std::uint32_t* fb);
  void (*labda)(float t, std::uint32_t* fb);  // in no slot: effect test, bench, contact sheet
  void (*effekt)(float t, std::uint32_t* fb);
  void (*kommun)(float t, std::uint32_t* fb);
  void (*evil)(float t, std::uint32_t* fb);
  void (*danke)(float t, std::uint32_t* fb);
};
void SetSceneModules(const SceneModules& modules);
const SceneModules& CurrentSceneModules();
SceneModules RealSceneModules();

// QuitFlag: raised by the window's quit message or by the timeline at its
// end bound; the interactive clocks end the run when it is up.
bool QuitFlag();
void SetQuitFlag(bool value);

// One slot of the schedule: active while begin <= t < end (slot 1 has no
// lower test; its begin is 0 for listing only).
struct TimelineSlot {
  const char* scene;
  long double begin;
  long double end;
};
inline constexpr int TimelineSlotCount = 11;
const TimelineSlot& TimelineSlotAt(int index);  // index 0..10

// Draws the frame for time t (ticks) with the one scene whose slot holds t,
// nothing at or after 14400; sets QuitFlag once t >= 14520.
void RenderTimeline(float t, std::uint32_t* fb);
// The blau slots' picture index: local / 103.2 truncated to 64 bits, its low
// 16 bits as a signed value.
std::int16_t BlauPictureIndex(long double local);

}  // namespace vx
