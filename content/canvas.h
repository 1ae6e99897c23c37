#pragma once
// Pixel canvases and the procedural building blocks of the generator's
// textures and pictures: a seeded random generator, tileable value noise,
// colour arithmetic and file output. Everything is a pure function of its
// seeds and arguments, so every run writes the same bytes.
#include <cstdint>
#include <string>
#include <vector>

namespace vx::content {

// RGB colour with components in 0..1 (values outside are clamped on store).
struct Rgb {
  double r, g, b;
};
Rgb operator+(Rgb a, Rgb b);
Rgb operator*(Rgb a, double s);
Rgb Mix(Rgb a, Rgb b, double t);  // a at t = 0, b at t = 1
// 0x00RRGGBB with each component rounded and clamped to 0..255.
std::uint32_t PackRgb(Rgb c);
Rgb UnpackRgb(std::uint32_t pixel);
std::uint8_t LargestByte(std::uint32_t pixel);

struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, top row first

  Canvas(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0) {}
  std::uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A coverage mask in 0..1 of the same layout (lettering, shapes).
struct Mask {
  int width = 0;
  int height = 0;
  std::vector<float> values;

  Mask(int w, int h) : width(w), height(h), values(static_cast<std::size_t>(w) * h, 0.0f) {}
  float& At(int x, int y) { return values[static_cast<std::size_t>(y) * width + x]; }
  float At(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
  // 0 outside the mask.
  float Sample(int x, int y) const {
    return x < 0 || y < 0 || x >= width || y >= height ? 0.0f : At(x, y);
  }
};

// Box blur of the given radius, repeated passes times (three passes are
// close to a Gaussian); edges count as 0.
Mask BlurMask(const Mask& mask, int radius, int passes);

// Widens a mask by radius pixels: each value becomes the largest within a
// disc of that radius (outlines around lettering).
Mask DilateMask(const Mask& mask, int radius);
// The same by its definition, pixel by pixel over the whole disc: the check
// of the fast one, and the size-independent statement of what it gives.
Mask DilateMaskReference(const Mask& mask, int radius);

// splitmix64: a small, fully specified generator, so sequences are the same
// on every platform and compiler.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  double Uniform();                    // [0, 1)
  double Range(double lo, double hi);  // [lo, hi)
  int Below(int n);                    // 0..n-1

 private:
  std::uint64_t state_;
};

// Value noise on a lattice of period x period cells (so that it tiles over
// one period), smooth-stepped, in 0..1. x and y are in cells.
class TileNoise {
 public:
  TileNoise(std::uint64_t seed, int period);
  double At(double x, double y) const;
  // Sum of octaves: cell size halves and amplitude multiplies by gain each
  // octave; normalised to 0..1.
  double Fractal(double x, double y, int octaves, double gain) const;

 private:
  int period_;
  std::vector<double> lattice_;  // period x period values in 0..1
};

// Writes bytes to path; false with a reason on standard error.
bool SaveBytes(const std::vector<std::uint8_t>& bytes, const std::string& path);

}  // namespace vx::content
