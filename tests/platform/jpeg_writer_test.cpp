// The JPEG writer used for content and fixtures: reproducible output,
// refused sizes, and the sampling that each option asks for, read from the
// file's frame header.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "writejpeg.h"

namespace vx {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct FrameHeader {
  int width = 0;
  int height = 0;
  std::vector<int> sampling;  // per component: h << 4 | v
};

// Walks the segments to the baseline frame header (SOF0).
bool ReadFrameHeader(const Bytes& jpeg, FrameHeader& header) {
  std::size_t i = 2;
  while (i + 9 < jpeg.size() && jpeg[i] == 0xFF) {
    const std::size_t length = (std::size_t{jpeg[i + 2]} << 8) | jpeg[i + 3];
    if (jpeg[i + 1] == 0xC0) {
      header.height = (jpeg[i + 5] << 8) | jpeg[i + 6];
      header.width = (jpeg[i + 7] << 8) | jpeg[i + 8];
      const int components = jpeg[i + 9];
      for (int c = 0; c < components; ++c) header.sampling.push_back(jpeg[i + 11 + 3 * c]);
      return true;
    }
    i += 2 + length;
  }
  return false;
}

std::vector<std::uint32_t> Noise(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint32_t> pixels(count);
  for (auto& p : pixels) p = random() & 0xFFFFFF;
  return pixels;
}

TEST(JpegWriter, SameInputGivesTheSameBytes) {
  auto pixels = Noise(40 * 24, 5);
  Bytes a = EncodeJpegColour(pixels.data(), 40, 24, {85});
  Bytes b = EncodeJpegColour(pixels.data(), 40, 24, {85});
  ASSERT_FALSE(a.empty());
  EXPECT_EQ(a, b);
  // ... and a different quality gives different bytes.
  EXPECT_NE(a, EncodeJpegColour(pixels.data(), 40, 24, {40}));
}

TEST(JpegWriter, FileStartsAndEndsWithTheImageMarkers) {
  auto pixels = Noise(16 * 16, 6);
  Bytes jpeg = EncodeJpegColour(pixels.data(), 16, 16);
  ASSERT_GE(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_EQ(jpeg[jpeg.size() - 2], 0xFF);
  EXPECT_EQ(jpeg[jpeg.size() - 1], 0xD9);
}

TEST(JpegWriter, ColourIs420ByDefaultAnd444OnRequest) {
  auto pixels = Noise(33 * 17, 7);
  FrameHeader defaults;
  ASSERT_TRUE(ReadFrameHeader(EncodeJpegColour(pixels.data(), 33, 17), defaults));
  EXPECT_EQ(defaults.width, 33);
  EXPECT_EQ(defaults.height, 17);
  EXPECT_EQ(defaults.sampling, (std::vector<int>{0x22, 0x11, 0x11}));

  FrameHeader full;
  ASSERT_TRUE(ReadFrameHeader(EncodeJpegColour(pixels.data(), 33, 17, {90, true}), full));
  EXPECT_EQ(full.sampling, (std::vector<int>{0x11, 0x11, 0x11}));

  FrameHeader rgb;
  ASSERT_TRUE(ReadFrameHeader(EncodeJpegColour(pixels.data(), 33, 17, {90, false, true}), rgb));
  EXPECT_EQ(rgb.sampling, (std::vector<int>{0x11, 0x11, 0x11}));
}

TEST(JpegWriter, GreyHasOneComponent) {
  std::vector<std::uint8_t> grey(10 * 3, 99);
  FrameHeader header;
  ASSERT_TRUE(ReadFrameHeader(EncodeJpegGrey(grey.data(), 10, 3), header));
  EXPECT_EQ(header.width, 10);
  EXPECT_EQ(header.height, 3);
  EXPECT_EQ(header.sampling.size(), 1u);
}

TEST(JpegWriter, EmptyOrOversizedPicturesGiveNoFile) {
  std::vector<std::uint32_t> pixels(4, 0);
  std::vector<std::uint8_t> grey(4, 0);
  EXPECT_TRUE(EncodeJpegColour(pixels.data(), 0, 2).empty());
  EXPECT_TRUE(EncodeJpegColour(pixels.data(), 2, 0).empty());
  EXPECT_TRUE(EncodeJpegColour(nullptr, 2, 2).empty());
  EXPECT_TRUE(EncodeJpegGrey(grey.data(), 65501, 1).empty());
  EXPECT_TRUE(EncodeJpegGrey(nullptr, 2, 2).empty());
}

}  // namespace
}  // namespace vx
