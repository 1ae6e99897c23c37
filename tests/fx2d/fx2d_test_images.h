#pragma once
// Images and helpers shared by the fx2d tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "fx2d/fx2d.h"

namespace vx::fx2d_test {

// Byte c (0 blue, 1 green, 2 red, 3 the fourth byte) of a pixel.
inline std::uint32_t ByteOf(std::uint32_t pixel, int c) {
  return (pixel >> (8 * c)) & 0xFF;
}
// A pixel whose three colour bytes are all v (fourth byte 0).
inline std::uint32_t Grey(std::uint32_t v) {
  return v * 0x010101u;
}

// Pixels past the end of an image that no routine may touch.
inline constexpr std::uint32_t CanaryPixels = 64;
inline constexpr std::uint32_t Canary = 0xA5C3E1F7;

// A 320 x 200 image followed by canary pixels.
struct Screen {
  std::vector<std::uint32_t> pixels =
      std::vector<std::uint32_t>(ScreenPixels + CanaryPixels, Canary);
  Screen() { std::fill_n(pixels.begin(), ScreenPixels, 0u); }
  std::uint32_t* data() { return pixels.data(); }
  std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * ScreenWidth + x]; }
  bool CanariesIntact() const {
    for (std::uint32_t i = ScreenPixels; i < pixels.size(); ++i)
      if (pixels[i] != Canary) return false;
    return true;
  }
};

// Random 32-bit pixels, all four bytes random.
inline std::vector<std::uint32_t> RandomPixels(std::mt19937& rng, std::size_t count) {
  std::vector<std::uint32_t> pixels(count);
  for (std::uint32_t& p : pixels) p = static_cast<std::uint32_t>(rng());
  return pixels;
}

// Random pixels with many bytes at 0 and 255, where saturation and the
// ends of the byte range are exercised.
inline std::vector<std::uint32_t> HarshPixels(std::mt19937& rng, std::size_t count) {
  std::vector<std::uint32_t> pixels(count);
  for (std::uint32_t& p : pixels) {
    p = 0;
    for (int c = 0; c < 4; ++c) {
      const std::uint32_t pick = rng() % 4;
      const std::uint32_t byte = pick == 0 ? 0 : pick == 1 ? 255 : rng() & 0xFF;
      p |= byte << (8 * c);
    }
  }
  return pixels;
}

// Fewer random rounds in the sanitizer build, where every access is checked.
#if defined(VX_SANITIZE)
inline constexpr int RandomRounds = 1;
#else
inline constexpr int RandomRounds = 4;
#endif

// Index of the first differing pixel, or -1.
inline long FirstDifference(const std::vector<std::uint32_t>& a,
                            const std::vector<std::uint32_t>& b) {
  if (a.size() != b.size()) return 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return static_cast<long>(i);
  return -1;
}

// Parameter of the tests that run once through the plain table and once
// through the fastest, each picked by UseReferenceFx2d as vx1 picks it.
class BothImplementations : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { UseReferenceFx2d(GetParam()); }
  void TearDown() override { UseReferenceFx2d(false); }
};

inline std::string ImplementationName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "Reference" : "Optimised";
}

}  // namespace vx::fx2d_test
