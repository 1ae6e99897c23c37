// Which sharp picture a frame size is drawn from: the one whose aspect is
// nearest the frame's, whatever the frame's own size.
#include <gtest/gtest.h>

#include <cmath>

#include "base/pixels.h"
#include "datalib/datalib.h"

namespace vx {
namespace {

// The index of the sharp size with this aspect; fails the test when the
// show has no sharp picture of it.
int SizeOfAspect(int across, int down) {
  for (int i = 0; i < static_cast<int>(std::size(SharpPictureSizes)); ++i) {
    if (SharpPictureSizes[i].width * down == SharpPictureSizes[i].height * across) return i;
  }
  ADD_FAILURE() << "no sharp picture of " << across << ":" << down;
  return -1;
}

struct Choice {
  FrameSize frame;
  int across, down;  // the aspect of the sharp picture it must use
};

TEST(SharpPictureChoice, TheNearestAspectWins) {
  const Choice cases[] = {
      {.frame = {320, 200, 320}, .across = 16, .down = 10},
      {.frame = {1920, 1200, 1920}, .across = 16, .down = 10},
      {.frame = {2560, 1600, 2560}, .across = 16, .down = 10},
      {.frame = {1920, 1080, 1920}, .across = 16, .down = 9},
      {.frame = {3840, 2160, 3840}, .across = 16, .down = 9},
      {.frame = {1366, 768, 1366}, .across = 16, .down = 9},
      // Beyond the range: the nearer end.
      {.frame = {2560, 1080, 2560}, .across = 16, .down = 9},
      {.frame = {1024, 768, 1024}, .across = 16, .down = 10},
      {.frame = {1280, 1024, 1280}, .across = 16, .down = 10},
      // Either side of the middle of 16:10 and 16:9 (as ratios, 1.6865).
      {.frame = {1680, 1000, 1680}, .across = 16, .down = 10},
      {.frame = {1700, 1000, 1700}, .across = 16, .down = 9},
  };
  for (const Choice& c : cases) {
    EXPECT_EQ(NearestSharpPictureSize(c.frame.width, c.frame.height),
              SizeOfAspect(c.across, c.down))
        << c.frame.width << "x" << c.frame.height;
  }
}

}  // namespace
}  // namespace vx
