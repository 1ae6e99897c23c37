// The textures drawn at their sharp sizes: the same surface as the classic
// texture (reduced to 256 it matches it), with detail an enlargement would
// not have, seamless at every size; the skies' stars stand out, the chrome
// bands have no hard step, and the sharp files stay within the archive's
// budget.
#include "textures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "canvas.h"
#include "platform/picture.h"

namespace vx::test {
namespace {

using content::Canvas;
using content::TextureInfo;

// Sum of the absolute differences of the three bytes.
int Step(std::uint32_t a, std::uint32_t b) {
  int sum = 0;
  for (int shift : {0, 8, 16})
    sum += std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255));
  return sum;
}

// The texture box-averaged down to 256 x 256.
Canvas Reduced(const Canvas& t) {
  const int f = t.width / 256;
  Canvas out(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      double sum[3] = {0, 0, 0};
      for (int dy = 0; dy < f; ++dy)
        for (int dx = 0; dx < f; ++dx)
          for (int k = 0; k < 3; ++k)
            sum[k] += (t.At(x * f + dx, y * f + dy) >> (16 - 8 * k)) & 255;
      const double n = f * f;
      out.At(x, y) = static_cast<std::uint32_t>(std::lround(sum[0] / n)) << 16 |
                     static_cast<std::uint32_t>(std::lround(sum[1] / n)) << 8 |
                     static_cast<std::uint32_t>(std::lround(sum[2] / n));
    }
  return out;
}

double MeanStep(const Canvas& a, const Canvas& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i) sum += Step(a.pixels[i], b.pixels[i]);
  return sum / static_cast<double>(a.pixels.size());
}

// A copy shifted by dx texels across (wrapping).
Canvas Shifted(const Canvas& t, int dx) {
  Canvas out(t.width, t.height);
  for (int y = 0; y < t.height; ++y)
    for (int x = 0; x < t.width; ++x) out.At(x, y) = t.At((x + dx + t.width) % t.width, y);
  return out;
}

std::vector<const TextureInfo*> SharpTextures() {
  std::vector<const TextureInfo*> sharp;
  for (const TextureInfo& info : content::AllTextures())
    if (info.sharpSize > 0) sharp.push_back(&info);
  return sharp;
}

const TextureInfo& Named(const std::string& name) {
  for (const TextureInfo& info : content::AllTextures())
    if (info.name == name) return info;
  ADD_FAILURE() << "no texture " << name;
  return content::AllTextures().front();
}

TEST(SharpTextures, ExistForTheSurfacesTheSharpShowBringsClose) {
  const auto sharp = SharpTextures();
  ASSERT_FALSE(sharp.empty());
  for (const TextureInfo* info : sharp)
    EXPECT_TRUE(info->sharpSize == 512 || info->sharpSize == 1024) << info->name;
  // The floors, the road and the pillars have theirs.
  for (const char* name : {"BOARD", "HAZPOOL", "CHROME7", "TILES", "STARS", "NIGHT"})
    EXPECT_EQ(Named(name).sharpSize, 1024) << name;
}

// Reduced to 256 the sharp texture is the classic one: on average each
// texel's three bytes lie within 30 of it in sum, and nearer to it than to
// the classic texture shifted by one texel either way (a sharp texture drawn
// half a texel off, or over another period, fails this; one whose soft edges
// are crisper than the classic one's, as the floors' are, does not).
TEST(SharpTextures, ReduceToTheClassicTexture) {
  for (const TextureInfo* info : SharpTextures()) {
    const Canvas sharp = info->draw(info->sharpSize);
    ASSERT_EQ(sharp.width, info->sharpSize) << info->name;
    ASSERT_EQ(sharp.height, info->sharpSize) << info->name;
    const Canvas classic = info->make();
    const Canvas reduced = Reduced(sharp);
    const double off = MeanStep(reduced, classic);
    const double shifted =
        std::min(MeanStep(reduced, Shifted(classic, 1)), MeanStep(reduced, Shifted(classic, -1)));
    std::printf("%-9s %4d: %.1f from the classic, %.1f from a shifted copy\n", info->name.c_str(),
                info->sharpSize, off, shifted);
    EXPECT_LT(off, 30.0) << info->name;
    if (MeanStep(classic, Shifted(classic, 1)) > 4.0) {
      EXPECT_LT(off, shifted) << info->name;
    }
  }
}

// Shapes are drawn at each size, not enlarged: the sharpest step between
// neighbouring texels of the sharp texture is at least half the classic
// one's (a smoothly enlarged texture spreads each edge over several texels,
// a quarter of the step each at 1024).
TEST(SharpTextures, KeepEdgesCrispAtTheLargerSize) {
  auto sharpest = [](const Canvas& t) {
    int best = 0;
    for (int y = 0; y < t.height; ++y)
      for (int x = 0; x < t.width; ++x)
        best = std::max({best, Step(t.At(x, y), t.At((x + 1) % t.width, y)),
                         Step(t.At(x, y), t.At(x, (y + 1) % t.height))});
    return best;
  };
  for (const char* name : {"BOARD", "STARS", "NIGHT", "CRATE", "HAZPOOL"}) {
    const TextureInfo& info = Named(name);
    ASSERT_GT(info.sharpSize, 0) << name;
    const int classic = sharpest(info.make()), sharp = sharpest(info.draw(info.sharpSize));
    EXPECT_GE(sharp, classic / 2) << name << ": classic " << classic << ", sharp " << sharp;
  }
}

// Every repeating texture drawn at 512 joins its own edges as smoothly as its inside:
// the step across the wrap is no larger than the sharpest column or row
// inside (a shade is its plain texture scaled, so the plain ones suffice).
TEST(SharpTextures, TileWithoutSeams) {
  constexpr int n = 512;
  for (const TextureInfo& info : content::AllTextures()) {
    if (!info.tiles || std::isdigit(static_cast<unsigned char>(info.name.back()))) continue;
    const Canvas t = info.draw(n);
    double sharpestColumn = 0, sharpestRow = 0, seamColumn = 0, seamRow = 0;
    for (int k = 0; k < n; ++k) {
      double column = 0, row = 0;
      for (int i = 0; i < n; ++i) {
        column += Step(t.At((k + n - 1) % n, i), t.At(k, i));
        row += Step(t.At(i, (k + n - 1) % n), t.At(i, k));
      }
      if (k == 0) {
        seamColumn = column / n;
        seamRow = row / n;
      } else {
        sharpestColumn = std::max(sharpestColumn, column / n);
        sharpestRow = std::max(sharpestRow, row / n);
      }
    }
    EXPECT_LE(seamColumn, sharpestColumn * 1.1 + 1.0) << info.name << " has a seam across";
    EXPECT_LE(seamRow, sharpestRow * 1.1 + 1.0) << info.name << " has a seam down";
  }
}

// Stars read against the sky as on the cards: in the classic file (decoded)
// and in the sharp texture, the 24 brightest stars stand at least 150 above
// the darkest texel two classic texels around them; the blue flight's sky,
// which streams past fast, at least 110 (brighter, its stars crawl).
TEST(SkyTextures, StarsStandOutAgainstTheSky) {
  auto luma = [](std::uint32_t p) {
    return (((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255)) / 3.0;
  };
  auto weakestOfBrightest = [&](const Canvas& t, int reach) {
    std::vector<double> contrasts;
    const int n = t.width;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) {
        const double peak = luma(t.At(x, y));
        double darkest = peak;
        bool isPeak = true;
        for (int dy = -reach; dy <= reach; ++dy)
          for (int dx = -reach; dx <= reach; ++dx) {
            const double l = luma(t.At((x + dx + n) % n, (y + dy + n) % n));
            darkest = std::min(darkest, l);
            if ((dx || dy) && l > peak) isPeak = false;
          }
        if (isPeak) contrasts.push_back(peak - darkest);
      }
    std::sort(contrasts.rbegin(), contrasts.rend());
    return contrasts.size() < 24 ? 0.0 : contrasts[23];
  };
  for (const auto& [name, least] : {std::pair{"STARS", 150.0}, {"NIGHT", 110.0}}) {
    const TextureInfo& info = Named(name);
    const std::vector<std::uint8_t> jpeg = content::EncodeTexture(info);
    Picture decoded{};
    ASSERT_TRUE(DecodeJpegPicture(jpeg.data(), jpeg.size(), decoded)) << name;
    Canvas classic(256, 256);
    std::copy(PictureWords(decoded), PictureWords(decoded) + 65536, classic.pixels.begin());
    ReleasePicture(decoded);
    const double a = weakestOfBrightest(classic, 2);
    const double b = weakestOfBrightest(info.draw(info.sharpSize), 2 * info.sharpSize / 256);
    std::printf("%s: star contrast %.0f classic, %.0f sharp\n", name, a, b);
    EXPECT_GE(a, least) << name;
    EXPECT_GE(b, least) << name;
  }
}

// The chrome's horizon bands blend: no two texels next to each other down
// the texture differ by more than 90 in their three bytes' sum at 256 (an
// eighth of the step from sky to ground; a quarter of that at 1024), so a
// pillar close to the camera shows no staircase along the wave. At 1024 the
// edges are half as wide in classic texels, so that a pillar close to a
// large frame does not show the classic texture's smear: its steepest step,
// per classic texel, is at least half again the classic one's.
TEST(ChromeTexture, BandsBlendWithoutAHardStepAndSharpenAtTheLargerSize) {
  const TextureInfo& info = Named("CHROME");
  int perClassicTexel[2] = {};
  for (int i = 0; i < 2; ++i) {
    const int size = i == 0 ? 256 : 1024;
    const Canvas t = info.draw(size);
    int steepest = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x)
        steepest = std::max(steepest, Step(t.At(x, y), t.At(x, (y + 1) % size)));
    EXPECT_LE(steepest, 90 * 256 / size + 4) << size;
    perClassicTexel[i] = steepest * size / 256;
  }
  EXPECT_GE(perClassicTexel[1] * 2, perClassicTexel[0] * 3)
      << "classic " << perClassicTexel[0] << ", sharp " << perClassicTexel[1];
}

// The sharp files fit the browser's budget beside the pictures.
TEST(SharpTextures, FitTheArchiveBudget) {
  std::size_t total = 0;
  for (const TextureInfo* info : SharpTextures()) {
    const std::size_t bytes = content::EncodeSharpTexture(*info).size();
    EXPECT_GT(bytes, 0u) << info->name;
    total += bytes;
  }
  std::printf("sharp textures: %zu bytes\n", total);
  EXPECT_LE(total, 6u << 20);
}

}  // namespace
}  // namespace vx::test
