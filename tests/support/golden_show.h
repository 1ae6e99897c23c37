#pragma once
// The show's schedule as it was designed, written out once for the tests:
// the eleven slots in order, each with its scene module, its bounds in
// ticks of 1/120 s, its clock and whether the module takes an argument, and
// the two bounds after the last slot, and the modules' loading order. Only the golden test
// (tests/driver/timeline_test.cpp) holds the real show against this table;
// every other test that needs the slots or the modules reads the real show
// (RealShow, TimelineSlotAt), so a new scene or slot changes this table and
// breaks that test alone.
#include <string_view>

namespace vx::test {

struct GoldenSlot {
  std::string_view module;
  long double begin;
  long double end;
  bool backward = false;  // the local time runs from the end down
  bool argument = false;  // the module is handed an argument
};

inline constexpr GoldenSlot GoldenShow[] = {
    {.module = "logo", .begin = 0.0L, .end = 1314.36L},
    {.module = "kinyit", .begin = 1314.36L, .end = 2358.72L, .argument = true},
    {.module = "libiko", .begin = 2358.72L, .end = 4032.0L},
    {.module = "blau", .begin = 4032.0L, .end = 5683.08L, .argument = true},
    {.module = "box", .begin = 5683.08L, .end = 6531.0L},
    {.module = "blau", .begin = 6531.0L, .end = 8208.0L, .argument = true},
    {.module = "evil", .begin = 8208.0L, .end = 9870.0L},
    {.module = "kommun", .begin = 9870.0L, .end = 11140.8L},
    {.module = "effekt", .begin = 11140.8L, .end = 12136.2L},
    {.module = "kinyit", .begin = 12136.2L, .end = 13178.4L, .backward = true, .argument = true},
    {.module = "danke", .begin = 13178.4L, .end = 14400.0L},
};
// Nothing is drawn from here on...
inline constexpr long double GoldenLastDrawn = 14400.0L;
// ...and here the show is over.
inline constexpr long double GoldenEnd = 14520.0L;
// The module the effect test (vx1 e) draws alone, in no slot.
inline constexpr std::string_view GoldenEffectTest = "labda";
// The order in which the modules are loaded (and freed).
inline constexpr std::string_view GoldenLoadOrder[] = {
    "logo", "kinyit", "libiko", "blau", "box", "labda", "effekt", "kommun", "evil", "danke",
};

}  // namespace vx::test
