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
class Captions : public LoadedShow<::testing::Test> {};

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

INSTANTIATE_TEST_SUITE_P(
    Slots, Shimmer,
    ::testing::Values(Slot3d{"kinyit", 1}, Slot3d{"libiko", 2}, Slot3d{"blau", 3}, Slot3d{"box", 4},
                      Slot3d{"blau_again", 5}, Slot3d{"evil", 6}, Slot3d{"kommun", 7},
                      Slot3d{"effekt", 8}, Slot3d{"kinyit_backwards", 9}),
    [](const ::testing::TestParamInfo<Slot3d>& info) { return info.param.name; });

// KOMMUNIKATION is added to kommun's frames, so it reads only where the
// scene behind it is darker than its letters. In every frame of the slot
// (one every 4 ticks), the mean luminance of the letters' faces (the
// picture's pixels whose largest byte is at least 200) stands at least 80
// above the brightest tenth of the scene around them (the picture's black
// pixels within 4 pixels of its lit ones).
TEST_F(Captions, KommunikationReadsInEveryFrameOfItsSlot) {
  Picture caption{};
  ASSERT_TRUE(LoadJpegPicture("DATA\\bkkom.jpg", caption));
  const std::uint32_t* p = PictureWords(caption);
  auto largest = [&](int i) {
    return std::max({(p[i] >> 16) & 255u, (p[i] >> 8) & 255u, p[i] & 255u});
  };
  std::vector<int> face, around;
  for (int y = 0; y < ScreenHeight; ++y)
    for (int x = 0; x < ScreenWidth; ++x) {
      const int i = y * ScreenWidth + x;
      if (largest(i) >= 200) face.push_back(i);
      if ((p[i] & 0xFFFFFF) != 0) continue;
      bool near = false;
      for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx) {
          const int nx = x + dx, ny = y + dy;
          near = near || (nx >= 0 && ny >= 0 && nx < ScreenWidth && ny < ScreenHeight &&
                          largest(ny * ScreenWidth + nx) > 40);
        }
      if (near) around.push_back(i);
    }
  ReleasePicture(caption);
  ASSERT_FALSE(face.empty());
  ASSERT_FALSE(around.empty());
  const TimelineSlot& slot = TimelineSlotAt(7);
  ASSERT_STREQ(slot.module->name, "kommun");
  std::vector<std::uint32_t> frame(ScreenPixels);
  double worst = 1e9, worstSeconds = 0;
  for (long double t = slot.begin; t < slot.end; t += 4) {
    RenderTimeline(static_cast<float>(t), frame.data(), ClassicFrame);
    double faces = 0;
    for (int i : face) faces += Luma3(frame[i]) / 3.0;
    std::vector<int> behind;
    for (int i : around) behind.push_back(Luma3(frame[i]) / 3);
    std::nth_element(behind.begin(), behind.begin() + behind.size() * 9 / 10, behind.end());
    const double contrast = faces / face.size() - behind[behind.size() * 9 / 10];
    if (contrast < worst) {
      worst = contrast;
      worstSeconds = static_cast<double>(t / 120);
    }
  }
  std::printf("KOMMUNIKATION: least contrast %.0f at %.2f s\n", worst, worstSeconds);
  EXPECT_GE(worst, 80.0);
}

}  // namespace
}  // namespace vx::test
