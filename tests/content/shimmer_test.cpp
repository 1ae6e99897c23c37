// Steadiness of the 3D slots as the viewer sees them: the whole frames the
// timeline draws (scene, smear and pictures) over the 120 frames at 60 fps
// centred on the middle of each slot. A pixel's luminance is (R + G + B) / 3;
// it flips where two consecutive frame-to-frame changes are both larger
// than 40 and of opposite sign, and it flickers when it flips at least 6
// times in those frames. Far textures that alias show as flickering pixels.
// Texture crawl (one-frame jumps) is vxscan's to measure: CTest runs it with
// a limit (extra.cmake).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "driver/timeline.h"
#include "platform/picture.h"
#include "scenes/scenes.h"
#include "show_content.h"

namespace vx::test {
namespace {

constexpr int Frames = 120;
constexpr long double TicksPerFrame = 2.0L;  // 120 ticks a second at 60 fps
constexpr int LumaStep = 40;                 // on the (R + G + B) / 3 scale
constexpr int FlipsToFlicker = 6;
constexpr double MostFlickering = 0.005;

struct Slot3d {
  std::string name;
  int index;  // timeline slot
};

void PrintTo(const Slot3d& slot, std::ostream* os) {
  *os << slot.name;
}

// Luminance times 3, so that a step of 40 is a step of 120 with no rounding.
int Luma3(std::uint32_t p) {
  return static_cast<int>(((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255));
}

// Share of the 64000 pixels that flicker over frames drawn at times. With
// mapPath set, the middle frame is written there as a PNG with the
// flickering pixels in red.
double FlickeringShare(const std::vector<long double>& times, const std::string& mapPath) {
  std::vector<std::uint32_t> frame(ScreenPixels);
  std::vector<std::uint32_t> middle;
  std::vector<int> previous(ScreenPixels), change(ScreenPixels, 0), flips(ScreenPixels, 0);
  for (std::size_t f = 0; f < times.size(); ++f) {
    RenderTimeline(static_cast<float>(times[f]), frame.data(), ClassicFrame);
    if (f == times.size() / 2) middle = frame;
    for (std::uint32_t i = 0; i < ScreenPixels; ++i) {
      const int luma = Luma3(frame[i]);
      if (f > 0) {
        const int d = luma - previous[i];
        const bool large = d > 3 * LumaStep || d < -3 * LumaStep;
        if (f > 1 && large &&
            ((d > 0 && change[i] < -3 * LumaStep) || (d < 0 && change[i] > 3 * LumaStep)))
          ++flips[i];
        change[i] = d;
      }
      previous[i] = luma;
    }
  }
  int flickering = 0;
  for (std::uint32_t i = 0; i < ScreenPixels; ++i)
    if (flips[i] >= FlipsToFlicker) {
      ++flickering;
      middle[i] = 0xFF0000;
    }
  if (!mapPath.empty()) WritePng(mapPath.c_str(), middle.data(), ScreenWidth, ScreenHeight);
  return static_cast<double>(flickering) / ScreenPixels;
}

class Shimmer : public LoadedShow<::testing::TestWithParam<Slot3d>> {};

TEST_P(Shimmer, FewPixelsFlickerAroundTheMiddleOfTheSlot) {
  const TimelineSlot& slot = TimelineSlotAt(GetParam().index);
  const long double middle = (slot.begin + slot.end) / 2;
  std::vector<long double> times;
  for (int k = 0; k < Frames; ++k)
    times.push_back(middle + (k - (Frames - 1) / 2.0L) * TicksPerFrame);
  // With VX_CONTENT_PREVIEW=DIR set, the flickering pixels are mapped in
  // DIR/shimmer_NAME.png.
  const char* preview = std::getenv("VX_CONTENT_PREVIEW");
  const double share = FlickeringShare(
      times, preview ? std::string(preview) + "/shimmer_" + GetParam().name + ".png" : "");
  std::printf("flickering pixels in %s: %.3f%%\n", GetParam().name.c_str(), share * 100);
  EXPECT_LE(share, MostFlickering);
}

// The show's slots of 3D modules, named after the module ("blau_again" for
// a module's second slot, "kinyit_backwards" for one that runs backwards).
std::vector<Slot3d> Slots3d() {
  std::vector<Slot3d> slots;
  const std::span<const TimelineSlot> show = RealShow().slots;
  for (std::size_t i = 0; i < show.size(); ++i) {
    const std::string module = show[i].module->name;
    const bool is3d = std::any_of(SceneSlots().begin(), SceneSlots().end(),
                                  [&](const SceneSlot& s) { return s.name == module; });
    if (!is3d) continue;
    const bool again = std::any_of(show.begin(), show.begin() + static_cast<std::ptrdiff_t>(i),
                                   [&](const TimelineSlot& s) { return s.module->name == module; });
    const char* suffix = show[i].clock == SlotClock::Backward ? "_backwards"
                         : again                              ? "_again"
                                                              : "";
    slots.push_back({.name = module + suffix, .index = static_cast<int>(i)});
  }
  return slots;
}

INSTANTIATE_TEST_SUITE_P(Slots, Shimmer, ::testing::ValuesIn(Slots3d()),
                         [](const ::testing::TestParamInfo<Slot3d>& info) {
                           return info.param.name;
                         });

// The radial blur spreads whatever lies at its centre into a starburst, so
// one bright texel there for one frame flashes the whole middle of the
// picture. Drawn at every tick of the slot, the brightest pixel of the 20 x
// 20 block around the centre never stands more than MostFlash above both
// the tick before and the tick after it.
constexpr int MostFlash = 60;

int CentreBrightest(const std::vector<std::uint32_t>& frame) {
  int brightest = 0;
  for (int y = ScreenHeight / 2 - 10; y < ScreenHeight / 2 + 10; ++y)
    for (int x = ScreenWidth / 2 - 10; x < ScreenWidth / 2 + 10; ++x)
      brightest = std::max(brightest, Luma3(frame[y * ScreenWidth + x]) / 3);
  return brightest;
}

TEST_P(Shimmer, NoOneTickFlashAtTheBlurCentre) {
  const TimelineSlot& slot = TimelineSlotAt(GetParam().index);
  if (GetParam().name != "evil" && GetParam().name != "kommun" && GetParam().name != "effekt")
    GTEST_SKIP() << "no radial blur in " << GetParam().name;
#ifdef VX_SANITIZE
  constexpr long double Step = 8;  // a coarser look, for the sanitizer's speed
#else
  constexpr long double Step = 1;
#endif
  std::vector<std::uint32_t> frame(ScreenPixels);
  std::vector<int> brightest;
  for (long double t = slot.begin; t < slot.end; t += Step) {
    RenderTimeline(static_cast<float>(t), frame.data(), ClassicFrame);
    brightest.push_back(CentreBrightest(frame));
  }
  int worst = 0;
  std::size_t at = 0;
  for (std::size_t i = 1; i + 1 < brightest.size(); ++i) {
    const int flash = brightest[i] - std::max(brightest[i - 1], brightest[i + 1]);
    if (flash > worst) {
      worst = flash;
      at = i;
    }
  }
  std::printf("%s: largest one-tick flash %d at %.3f s\n", GetParam().name.c_str(), worst,
              static_cast<double>((slot.begin + static_cast<long double>(at) * Step) / 120));
  EXPECT_LE(worst, MostFlash);
}

// A caption reads where its letters stand apart from the scene around
// them in the drawn frame. An added word (KOMMUNIKATION) is lit, so its
// letters must stand above the brightest tenth of the ground around them; a
// subtracted word can only darken, so its letters must stand below the
// ground's median. The letters' faces are the picture's pixels whose
// smallest byte (added: largest) is at least 200, at least a fifth of its lit
// pixels; the ground its black pixels within 4 pixels of its lit ones. Checked in every frame (one
// every 4 ticks) from skip ticks after the slot's start to skip before its end, where the slot's
// own fades leave the caption alone.
struct Caption {
  std::string word;
  const char* picture;
  const char* slot;  // as Slots3d names it
  bool lit;          // added (letters lighter than the ground) or subtracted
  int skip;          // ticks at either end of the slot left out
  double least;
};

void PrintTo(const Caption& caption, std::ostream* os) {
  *os << caption.word;
}

class Captions : public LoadedShow<::testing::TestWithParam<Caption>> {};

struct CaptionPixels {
  std::vector<int> face, ground;
  int lit = 0;  // the picture's pixels that are not black
};

CaptionPixels FindCaptionPixels(const Picture& caption, bool lit) {
  const std::uint32_t* p = PictureWords(caption);
  auto byte = [&](int i, bool largest) {
    const std::uint32_t r = (p[i] >> 16) & 255u, g = (p[i] >> 8) & 255u, b = p[i] & 255u;
    return largest ? std::max({r, g, b}) : std::min({r, g, b});
  };
  CaptionPixels found;
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) {
      const int i = y * ScreenWidth + x;
      if (byte(i, lit) >= 200) found.face.push_back(i);
      if ((p[i] & 0xFFFFFF) != 0) {
        ++found.lit;
        continue;
      }
      bool near = false;
      for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx) {
          const int nx = x + dx, ny = y + dy;
          near = near || (nx >= 0 && ny >= 0 && nx < ScreenWidth && ny < ScreenHeight &&
                          byte(ny * ScreenWidth + nx, true) > 40);
        }
      if (near) found.ground.push_back(i);
    }
  return found;
}

TEST_P(Captions, ReadInEveryFrameOfTheirSlot) {
  const Caption& caption = GetParam();
  Picture picture{};
  ASSERT_TRUE(LoadJpegPicture(caption.picture, picture));
  const CaptionPixels pixels = FindCaptionPixels(picture, caption.lit);
  ReleasePicture(picture);
  ASSERT_FALSE(pixels.ground.empty());
  // The letters' faces carry the word, not a hairline or a halo around them.
  std::printf("%s: faces %zu of %d lit pixels\n", caption.word.c_str(), pixels.face.size(),
              pixels.lit);
  ASSERT_GE(pixels.face.size() * 5, static_cast<std::size_t>(pixels.lit));
  const std::vector<Slot3d> slots = Slots3d();
  const auto named = std::find_if(slots.begin(), slots.end(),
                                  [&](const Slot3d& s) { return s.name == caption.slot; });
  ASSERT_NE(named, slots.end()) << "no slot " << caption.slot;
  const TimelineSlot& slot = TimelineSlotAt(named->index);
  std::vector<std::uint32_t> frame(ScreenPixels);
  double worst = 1e9, worstSeconds = 0;
  for (long double t = slot.begin + caption.skip; t < slot.end - caption.skip; t += 4) {
    RenderTimeline(static_cast<float>(t), frame.data(), ClassicFrame);
    double faces = 0;
    for (int i : pixels.face) faces += Luma3(frame[i]) / 3.0;
    faces /= static_cast<double>(pixels.face.size());
    std::vector<int> ground;
    for (int i : pixels.ground) ground.push_back(Luma3(frame[i]) / 3);
    const std::size_t rank = caption.lit ? ground.size() * 9 / 10 : ground.size() / 2;
    std::nth_element(ground.begin(), ground.begin() + static_cast<std::ptrdiff_t>(rank),
                     ground.end());
    const double contrast = caption.lit ? faces - ground[rank] : ground[rank] - faces;
    if (contrast < worst) {
      worst = contrast;
      worstSeconds = static_cast<double>(t / 120);
    }
  }
  std::printf("%s: least contrast %.0f at %.2f s\n", caption.word.c_str(), worst, worstSeconds);
  EXPECT_GE(worst, caption.least);
}

// kinyit fades in over its first 256 ticks and toward white after tick
// 800 of its 1044 (backwards in the reversed slot).
INSTANTIATE_TEST_SUITE_P(
    Show, Captions,
    ::testing::Values(Caption{"KOMMUNIKATION", "DATA\\bkkom.jpg", "kommun", true, 0, 80.0},
                      Caption{"OPEN", "DATA\\kinyit.jpg", "kinyit", false, 256, 40.0},
                      Caption{"CLOSE", "DATA\\becsuk.jpg", "kinyit_backwards", false, 256, 40.0},
                      Caption{"DESTINY", "DATA\\destiny.jpg", "box", false, 0, 40.0}),
    [](const ::testing::TestParamInfo<Caption>& info) { return info.param.word; });

}  // namespace
}  // namespace vx::test
