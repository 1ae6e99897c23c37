// Writes the seed corpus of the picture path's fuzz target into a folder:
//   make_picture_corpus FOLDER
// Small pictures made by our JPEG writer in each of its kinds (colour 4:2:0,
// 4:4:4, stored red-green-blue, grey, a flat 320 x 200 picture of the show's
// size) and two damaged copies: cut short, and with a stray marker in the
// scan.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "writejpeg.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

bool WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file.flush());
}

std::vector<std::uint32_t> Gradient(std::uint32_t width, std::uint32_t height) {
  std::vector<std::uint32_t> pixels(std::size_t{width} * height);
  for (std::uint32_t y = 0; y < height; ++y)
    for (std::uint32_t x = 0; x < width; ++x)
      pixels[y * width + x] =
          (x * 255 / width) << 16 | (y * 255 / height) << 8 | ((x + y) & 1) * 200;
  return pixels;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_picture_corpus FOLDER\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];
  std::filesystem::create_directories(out);

  const auto gradient = Gradient(16, 16);
  const Bytes colour = vx::EncodeJpegColour(gradient.data(), 16, 16);
  vx::JpegEncodeOptions full;
  full.fullChroma = true;
  const auto small = Gradient(8, 8);
  vx::JpegEncodeOptions rgb;
  rgb.rgbComponents = true;
  rgb.quality = 100;
  std::vector<std::uint8_t> grey(16 * 8);
  for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<std::uint8_t>(i * 2);
  const std::vector<std::uint32_t> flat(320 * 200, 0x00336699u);
  vx::JpegEncodeOptions low;
  low.quality = 20;

  std::vector<std::pair<std::string, Bytes>> seeds = {
      {"colour-420.jpg", colour},
      {"colour-444.jpg", vx::EncodeJpegColour(small.data(), 8, 8, full)},
      {"colour-rgb.jpg", vx::EncodeJpegColour(small.data(), 8, 8, rgb)},
      {"grey.jpg", vx::EncodeJpegGrey(grey.data(), 16, 8)},
      {"flat-320x200.jpg", vx::EncodeJpegColour(flat.data(), 320, 200, low)},
  };
  // Both damaged copies fail while decoding, after the header was read: the
  // scan is cut in its middle, or carries an unexpected restart marker there.
  std::size_t scan = 0;
  for (std::size_t i = 0; i + 1 < colour.size() && scan == 0; ++i)
    if (colour[i] == 0xFF && colour[i + 1] == 0xDA) scan = i;
  const auto middle = static_cast<std::ptrdiff_t>(scan + (colour.size() - scan) / 2);
  seeds.emplace_back("colour-cut.jpg", Bytes(colour.begin(), colour.begin() + middle));
  Bytes corrupt = colour;
  corrupt.insert(corrupt.begin() + middle, {0xFF, 0xD5});
  seeds.emplace_back("colour-corrupt-scan.jpg", corrupt);

  for (const auto& [name, bytes] : seeds) {
    if (bytes.empty() || !WriteBytes(out / name, bytes)) {
      std::fprintf(stderr, "make_picture_corpus: cannot make %s\n", name.c_str());
      return 1;
    }
  }
  std::printf("%zu seeds written to %s\n", seeds.size(), out.string().c_str());
  return 0;
}
