#include "canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/output_file.h"

namespace vx::content {

Rgb operator+(Rgb a, Rgb b) {
  return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb operator*(Rgb a, double s) {
  return {a.r * s, a.g * s, a.b * s};
}
Rgb Mix(Rgb a, Rgb b, double t) {
  return a * (1.0 - t) + b * t;
}

namespace {
std::uint32_t Channel(double v) {
  const double scaled = std::clamp(v, 0.0, 1.0) * 255.0;
  return static_cast<std::uint32_t>(std::lround(scaled));
}
}  // namespace

std::uint32_t PackRgb(Rgb c) {
  return Channel(c.r) << 16 | Channel(c.g) << 8 | Channel(c.b);
}

Rgb UnpackRgb(std::uint32_t pixel) {
  return {((pixel >> 16) & 255) / 255.0, ((pixel >> 8) & 255) / 255.0, (pixel & 255) / 255.0};
}

std::uint8_t LargestByte(std::uint32_t pixel) {
  return static_cast<std::uint8_t>(
      std::max({(pixel >> 16) & 255u, (pixel >> 8) & 255u, pixel & 255u}));
}

Mask BlurMask(const Mask& mask, int radius, int passes) {
  Mask a = mask;
  Mask b(mask.width, mask.height);
  const float scale = 1.0f / static_cast<float>(2 * radius + 1);
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < a.height; ++y) {
      for (int x = 0; x < a.width; ++x) {
        float sum = 0.0f;
        for (int k = -radius; k <= radius; ++k) sum += a.Sample(x + k, y);
        b.At(x, y) = sum * scale;
      }
    }
    for (int y = 0; y < a.height; ++y) {
      for (int x = 0; x < a.width; ++x) {
        float sum = 0.0f;
        for (int k = -radius; k <= radius; ++k) sum += b.Sample(x, y + k);
        a.At(x, y) = sum * scale;
      }
    }
  }
  return a;
}

Mask DilateMaskReference(const Mask& mask, int radius) {
  Mask out(mask.width, mask.height);
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x) {
      float m = 0.0f;
      for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
          if (dx * dx + dy * dy <= radius * radius) m = std::max(m, mask.Sample(x + dx, y + dy));
      out.At(x, y) = m;
    }
  return out;
}

// The disc is cut into rows: row dy of it spans |dx| <= HalfWidth(dy). The
// maxima of every row over windows of half-width k = 0 .. radius are built
// one from the next (window k is window k - 1 and its two new ends), then
// each pixel takes the largest of its 2 radius + 1 rows' windows: about
// 4 radius operations a pixel instead of the disc's 3 radius^2. A maximum
// does not depend on the order it is taken in, so the result equals the
// reference's exactly.
Mask DilateMask(const Mask& mask, int radius) {
  if (radius <= 0) return DilateMaskReference(mask, radius);
  const std::size_t n = mask.values.size();
  std::vector<std::vector<float>> windows(static_cast<std::size_t>(radius) + 1);
  windows[0].resize(n);
  for (std::size_t i = 0; i < n; ++i) windows[0][i] = std::max(0.0f, mask.values[i]);
  for (int k = 1; k <= radius; ++k) {
    const std::vector<float>& last = windows[static_cast<std::size_t>(k) - 1];
    std::vector<float>& next = windows[static_cast<std::size_t>(k)];
    next.resize(n);
    for (int y = 0; y < mask.height; ++y)
      for (int x = 0; x < mask.width; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * mask.width + x;
        next[i] = std::max({last[i], mask.Sample(x - k, y), mask.Sample(x + k, y)});
      }
  }
  std::vector<int> halfWidth(static_cast<std::size_t>(radius) + 1);
  for (int dy = 0; dy <= radius; ++dy) {
    int w = 0;
    while ((w + 1) * (w + 1) + dy * dy <= radius * radius) ++w;
    halfWidth[static_cast<std::size_t>(dy)] = w;
  }
  Mask out(mask.width, mask.height);
  for (int y = 0; y < mask.height; ++y)
    for (int dy = -radius; dy <= radius; ++dy) {
      const int row = y + dy;
      if (row < 0 || row >= mask.height) continue;
      const std::vector<float>& window = windows[static_cast<std::size_t>(halfWidth[std::abs(dy)])];
      for (int x = 0; x < mask.width; ++x)
        out.At(x, y) =
            std::max(out.At(x, y), window[static_cast<std::size_t>(row) * mask.width + x]);
    }
  return out;
}

std::uint64_t Random::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

double Random::Uniform() {
  return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0);
}

double Random::Range(double lo, double hi) {
  return lo + (hi - lo) * Uniform();
}

int Random::Below(int n) {
  return static_cast<int>(Next() % static_cast<std::uint64_t>(n));
}

TileNoise::TileNoise(std::uint64_t seed, int period)
    : period_(period), lattice_(static_cast<std::size_t>(period) * period) {
  Random random(seed);
  for (double& v : lattice_) v = random.Uniform();
}

double TileNoise::At(double x, double y) const {
  const double fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  auto wrap = [this](int i) { return ((i % period_) + period_) % period_; };
  auto value = [&](int cx, int cy) {
    return lattice_[static_cast<std::size_t>(wrap(cy)) * period_ + wrap(cx)];
  };
  auto smooth = [](double t) { return t * t * (3.0 - 2.0 * t); };
  const double tx = smooth(x - fx), ty = smooth(y - fy);
  const double top = value(ix, iy) + (value(ix + 1, iy) - value(ix, iy)) * tx;
  const double bottom = value(ix, iy + 1) + (value(ix + 1, iy + 1) - value(ix, iy + 1)) * tx;
  return top + (bottom - top) * ty;
}

double TileNoise::Fractal(double x, double y, int octaves, double gain) const {
  double sum = 0.0, amplitude = 1.0, total = 0.0, scale = 1.0;
  for (int o = 0; o < octaves; ++o) {
    // Whole-cell offsets per octave keep the tiling and hide the reuse of
    // one lattice at every scale.
    sum += amplitude * At(x * scale + 17 * o, y * scale + 31 * o);
    total += amplitude;
    amplitude *= gain;
    scale *= 2.0;
  }
  return sum / total;
}

bool SaveBytes(const std::vector<std::uint8_t>& bytes, const std::string& path) {
  std::string error;
  if (!WriteOutputFile(path, bytes.data(), bytes.size(), error)) {
    std::fprintf(stderr, "vxcontent: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace vx::content
