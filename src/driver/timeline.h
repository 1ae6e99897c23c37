#pragma once
// Private to the driver and to vxscan, which draws the show through it.
// The show's script as data: the slots of the schedule, each naming its scene
// module and how the module's local time and argument are formed; and the
// show the driver runs (the real one, or a test's own records).
//
// Time is in ticks of 1/120 s. RenderTimeline draws the one slot that holds
// t with its module and local time; it draws nothing at or after 14400 and
// raises the quit flag once t reaches 14520, the end of the show.
#include <cstdint>
#include <span>
#include <string_view>

#include "base/pixels.h"
#include "scenes/scenes.h"

namespace vx {

inline constexpr long double TicksPerSecond = 120.0L;
inline constexpr long double ShowSeconds = 121.0L;
inline constexpr long double TimelineEnd = ShowSeconds * TicksPerSecond;  // 14520: the show is over
inline constexpr long double TimelineLastDrawn = 14400.0L;
static_assert(TimelineEnd == 14520.0L);
// The show's music in the data library, whose playing position is the clock.
inline constexpr std::string_view ShowMusic = "DATA\\oompa.mp3";
inline constexpr long double BlauPictureTicks = 103.2L;

// How a slot forms its module's local time from the demo time t.
enum class SlotClock {
  Forward,   // t - begin
  Backward,  // end - t: the slot plays its module backwards
};

// One slot of the schedule: active while t < end and no earlier slot's end
// lies above t (each bound compared with t widened to extended precision).
// The first slot so has no lower test; its begin is 0 for listing only.
// argument forms the module's argument from the extended-precision local
// time (nullptr: 0).
struct TimelineSlot {
  const SceneModule* module;
  long double begin;
  long double end;
  SlotClock clock = SlotClock::Forward;
  std::int32_t (*argument)(long double local) = nullptr;
};

// Everything the driver draws and loads: the slots in order, the module the
// effect test draws alone (it is in no slot), every module (for the bench),
// and the loading and freeing of all of them at once.
struct Show {
  std::span<const TimelineSlot> slots;
  const SceneModule* effectTest;
  std::span<const SceneModule* const> modules;
  void (*loadAll)();
  void (*freeAll)();
};
// The show vx1 plays; the driver's tests hand in their own records instead.
const Show& RealShow();
void UseShow(const Show& show);
const Show& CurrentShow();

// QuitFlag: raised by the window's quit message or by the timeline at its
// end bound; the interactive clocks end the run when it is up.
bool QuitFlag();
void SetQuitFlag(bool value);

// The current show's slots.
int TimelineSlotCount();
const TimelineSlot& TimelineSlotAt(int index);

// The index of the slot that holds t; -1 at or after the last slot's end.
int TimelineSlotIndexAt(float t);
// The first single-float time that slot index holds: 0 for the first slot,
// else the single nearest to its begin, or the next one up where that lies
// below the bound (a seek to a slot lands on its first frame, never on the
// last frame of the slot before).
float TimelineSlotStart(int index);

// Draws the frame for time t (ticks) at size (fb holds FrameWords(size)
// words) with the one slot that holds t, nothing at or after the last
// slot's end; sets QuitFlag once t >= 14520.
void RenderTimeline(float t, std::uint32_t* fb, const FrameSize& size);
// The blau slots' picture index: local / 103.2 truncated to 64 bits, its low
// 16 bits as a signed value.
std::int16_t BlauPictureIndex(long double local);

}  // namespace vx
