// The pictures. Title cards, the loading screen and the closing card fill
// the whole screen. The keyed pictures are drawn on true black and then put
// through KeyToShape, because the scenes treat black as transparent.
#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "keyed_jpeg.h"
#include "lettering.h"
#include "writejpeg.h"

namespace vx::content {

namespace {

constexpr int W = PictureWidth;
constexpr int H = PictureHeight;
constexpr double Pi = 3.14159265358979323846;

// Paints colour over the canvas where the mask covers it (alpha blend).
void PaintMask(Canvas& canvas, const Mask& mask, Rgb colour) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const float a = mask.At(x, y);
      if (a > 0.0f) canvas.At(x, y) = PackRgb(Mix(UnpackRgb(canvas.At(x, y)), colour, a));
    }
}

// Same with a colour that depends on the pixel (gradients inside letters).
template <typename Shade>
void PaintMaskShaded(Canvas& canvas, const Mask& mask, Shade shade) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const float a = mask.At(x, y);
      if (a > 0.0f) canvas.At(x, y) = PackRgb(Mix(UnpackRgb(canvas.At(x, y)), shade(x, y), a));
    }
}

// Adds colour times the mask (glows on black).
void AddMask(Canvas& canvas, const Mask& mask, Rgb colour, double gain) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const float a = mask.At(x, y);
      if (a > 0.0f) canvas.At(x, y) = PackRgb(UnpackRgb(canvas.At(x, y)) + colour * (a * gain));
    }
}

Mask Text(const std::string& text, Font font, int size, int centreX, int baseline) {
  Mask mask(W, H);
  DrawText(mask, text, font, size, centreX, baseline);
  return mask;
}

// Widens a mask by radius pixels (max filter), for outlines.
Mask Dilate(const Mask& mask, int radius) {
  Mask out(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      float m = 0.0f;
      for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
          if (dx * dx + dy * dy <= radius * radius) m = std::max(m, mask.Sample(x + dx, y + dy));
      out.At(x, y) = m;
    }
  return out;
}

// A dark backdrop for the cards: vertical gradient, stars above a horizon,
// a perspective grid below it.
Canvas Backdrop(Rgb top, Rgb horizon, Rgb grid, std::uint64_t seed) {
  Canvas c(W, H);
  const int horizonRow = 128;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      Rgb colour;
      if (y < horizonRow) {
        colour = Mix(top, horizon, std::pow(y / static_cast<double>(horizonRow), 2.0));
      } else {
        // A floor grid in perspective: d is 0 at the horizon and 1 at the
        // bottom row; the grid's world x and depth per pixel set the line
        // widths, and lines fade where they crowd together.
        const double d = (y - horizonRow + 0.5) / (H - horizonRow);
        const double z = 1.0 / d;
        const double wx = (x - 159.5) * z / 40.0, wz = z * 2.0;
        const double px = z / 40.0, pz = 2.0 / (d * d * (H - horizonRow));
        auto near = [](double v, double width) {
          const double dist = std::abs(v - std::round(v));
          return std::clamp(1.0 - dist / std::max(width, 1e-9), 0.0, 1.0);
        };
        const double line = std::max(near(wx, px * 0.9) * std::clamp(1.0 - px * 2.5, 0.0, 1.0),
                                     near(wz, pz * 0.9) * std::clamp(1.0 - pz * 2.5, 0.0, 1.0));
        colour = Mix(horizon * 0.5, top * 0.6, d);
        colour = Mix(colour, grid, line * (0.4 + 0.6 * d));
      }
      c.At(x, y) = PackRgb(colour);
    }
  Random random(seed);
  for (int i = 0; i < 110; ++i) {
    const int x = random.Below(W), y = random.Below(horizonRow - 10);
    const double b = random.Range(0.35, 1.0);
    c.At(x, y) = PackRgb(Mix(UnpackRgb(c.At(x, y)), Rgb{1, 1, 1}, b));
  }
  return c;
}

// Big lettering with a drop shadow, a glowing rim and a shaded face.
template <typename Shade>
void Headline(Canvas& c, const std::string& text, Font font, int size, int centreX, int baseline,
              Rgb rim, Shade shade) {
  const Mask letters = Text(text, font, size, centreX, baseline);
  Mask shadow = Text(text, font, size, centreX + 4, baseline + 4);
  shadow = BlurMask(shadow, 2, 2);
  PaintMask(c, shadow, Rgb{0, 0, 0});
  AddMask(c, BlurMask(Dilate(letters, 2), 3, 3), rim, 0.9);
  PaintMask(c, Dilate(letters, 1), rim * 0.35);
  PaintMaskShaded(c, letters, shade);
}

Canvas Ventrix() {
  Canvas c = Backdrop(Rgb{0.02, 0.02, 0.10}, Rgb{0.45, 0.12, 0.45}, Rgb{0.95, 0.3, 0.8}, 201);
  const int size = FitText("VENTRIX", Font::SansBold, 80, 296);
  Headline(c, "VENTRIX", Font::SansBold, size, 160, 112, Rgb{1.0, 0.5, 0.9}, [](int, int y) {
    const double t = std::clamp((y - 55) / 60.0, 0.0, 1.0);
    return t < 0.55 ? Mix(Rgb{1.0, 1.0, 0.95}, Rgb{1.0, 0.8, 0.35}, t / 0.55)
                    : Mix(Rgb{0.85, 0.35, 0.1}, Rgb{1.0, 0.75, 0.3}, (t - 0.55) / 0.45);
  });
  PaintMask(c, Text("p r e s e n t s", Font::Sans, 13, 160, 150), Rgb{0.85, 0.85, 1.0});
  return c;
}

Canvas Vx1() {
  Canvas c = Backdrop(Rgb{0.0, 0.04, 0.08}, Rgb{0.05, 0.35, 0.45}, Rgb{0.2, 0.95, 1.0}, 202);
  const int size = FitText("VX-1", Font::SansBold, 120, 270);
  Headline(c, "VX-1", Font::SansBold, size, 160, 125, Rgb{0.2, 0.9, 1.0}, [](int x, int y) {
    // Chrome: sky above a bright line, warm ground below.
    const double v = (y - 40 + 6.0 * std::sin(x * 0.05)) / 85.0;
    if (v < 0.5)
      return Mix(Rgb{0.3, 0.45, 0.85}, Rgb{1.0, 1.0, 1.0}, std::clamp(v / 0.5, 0.0, 1.0));
    return Mix(Rgb{0.35, 0.2, 0.1}, Rgb{0.95, 0.8, 0.6}, std::clamp((v - 0.5) / 0.5, 0.0, 1.0));
  });
  return c;
}

Canvas Loader() {
  Canvas c(W, H);
  TileNoise n(203, 8);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const double t = n.Fractal(x / 40.0, y / 40.0, 5, 0.55);
      c.At(x, y) = PackRgb(Mix(Rgb{0.02, 0.03, 0.07}, Rgb{0.12, 0.18, 0.32}, t));
    }
  Headline(c, "VX-1", Font::SansBold, 64, 160, 92, Rgb{0.3, 0.6, 1.0}, [](int, int y) {
    return Mix(Rgb{1, 1, 1}, Rgb{0.6, 0.75, 1.0}, std::clamp((y - 40) / 50.0, 0.0, 1.0));
  });
  PaintMask(c, Text("L O A D I N G", Font::SansBold, 14, 160, 132), Rgb{0.85, 0.9, 1.0});
  // An empty progress frame with a row of dim cells.
  for (int x = 80; x < 240; ++x)
    for (int y : {144, 156}) c.At(x, y) = PackRgb(Rgb{0.6, 0.7, 0.9});
  for (int y = 144; y <= 156; ++y)
    for (int x : {80, 239}) c.At(x, y) = PackRgb(Rgb{0.6, 0.7, 0.9});
  for (int cell = 0; cell < 16; ++cell)
    for (int y = 147; y <= 153; ++y)
      for (int x = 83 + cell * 10; x < 83 + cell * 10 + 7; ++x)
        c.At(x, y) = PackRgb(Rgb{0.15, 0.25, 0.45} * (1.0 + cell * 0.05));
  return c;
}

Canvas Danke() {
  Canvas c = Backdrop(Rgb{0.06, 0.01, 0.03}, Rgb{0.5, 0.18, 0.05}, Rgb{1.0, 0.55, 0.15}, 204);
  Headline(
      c, "DANKE!", Font::SansBold, FitText("DANKE!", Font::SansBold, 64, 250), 160, 62,
      Rgb{1.0, 0.6, 0.2}, [](int, int y) {
        return Mix(Rgb{1.0, 1.0, 0.85}, Rgb{1.0, 0.6, 0.2}, std::clamp((y - 15) / 50.0, 0.0, 1.0));
      });
  const char* lines[] = {"thanks for watching", "greetings to every coder, artist",
                         "and musician who still pushes", "pixels by hand"};
  int baseline = 88;
  for (const char* line : lines) {
    const Mask m = Text(line, Font::Sans, 13, 160, baseline);
    PaintMask(c, BlurMask(m, 1, 1), Rgb{0, 0, 0});
    PaintMask(c, m, Rgb{1.0, 0.92, 0.8});
    baseline += 17;
  }
  PaintMask(c, Text("- ventrix -", Font::SansBold, 12, 160, 188), Rgb{1.0, 0.7, 0.4});
  return c;
}

// ---- keyed pictures ------------------------------------------------------

Canvas FinishKeyed(Canvas c, Rgb) {
  KeyToShape(c, KeyedFaint, KeyedBright, KeyedReach);
  return c;
}

// Corner brackets framing the screen, 40 px long, 3 px thick.
void Brackets(Canvas& c, Rgb colour) {
  Mask m(W, H);
  for (int i = 0; i < 40; ++i)
    for (int t = 0; t < 3; ++t) {
      const int a = 8 + i, b = 8 + t;
      for (auto [x, y] : {std::pair{a, b},
                          {b, a},
                          {W - 1 - a, b},
                          {W - 1 - b, a},
                          {a, H - 1 - b},
                          {b, H - 1 - a},
                          {W - 1 - a, H - 1 - b},
                          {W - 1 - b, H - 1 - a}})
        m.At(x, y) = 1.0f;
    }
  PaintMask(c, m, colour);
}

// Word cut into a glowing frame: what is bright here turns dark on screen.
Canvas SubtractWord(const std::string& word, int baseline) {
  Canvas c(W, H);
  const int size = FitText(word, Font::SansBold, 56, 230);
  const Mask letters = Text(word, Font::SansBold, size, 160, baseline);
  PaintMask(c, letters, Rgb{1.0, 1.0, 1.0});
  Brackets(c, Rgb{0.9, 0.9, 0.9});
  return FinishKeyed(c, Rgb{1, 1, 1});
}

Canvas Kinyit() {
  return SubtractWord("OPEN", 186);
}
Canvas Becsuk() {
  return SubtractWord("CLOSE", 186);
}

Canvas Destiny() {
  Canvas c(W, H);
  const int size = FitText("DESTINY", Font::SansCondensedBold, 72, 300);
  Mask letters = Text("DESTINY", Font::SansCondensedBold, size, 160, 128);
  // Scan lines: every fourth row of the letters is left out.
  for (int y = 0; y < H; y += 4)
    for (int x = 0; x < W; ++x) letters.At(x, y) = 0.0f;
  PaintMask(c, letters, Rgb{0.95, 0.95, 1.0});
  for (int x = 20; x < 300; ++x)
    for (int y : {60, 61, 140, 141}) c.At(x, y) = PackRgb(Rgb{0.8, 0.8, 0.8});
  return FinishKeyed(c, Rgb{1, 1, 1});
}

Canvas Spiel() {
  Canvas c(W, H);
  const Rgb colours[5] = {
      {1.0, 0.35, 0.3}, {1.0, 0.8, 0.2}, {0.35, 0.9, 0.35}, {0.3, 0.65, 1.0}, {0.85, 0.4, 1.0}};
  const std::string word = "SPIEL";
  const int size = 50;
  const int width = TextWidth(word, Font::SansBold, size);
  int pen = 160 - width / 2;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const std::string letter(1, word[i]);
    const int w = TextWidth(letter, Font::SansBold, size);
    const int hop = (i % 2 == 0) ? 0 : -6;  // letters hop like a see-saw
    const Mask m = Text(letter, Font::SansBold, size, pen + w / 2, 52 + hop);
    AddMask(c, BlurMask(m, 2, 2), colours[i] * 0.5, 1.0);
    PaintMask(c, m, colours[i]);
    pen += w;
  }
  // Rings in two corners.
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      struct Ring {
        int cx, cy, r, colour;
      };
      for (const Ring& ring : {Ring{28, 170, 18, 0}, Ring{292, 170, 14, 3}, Ring{292, 170, 6, 1}}) {
        const int cx = ring.cx, cy = ring.cy, r = ring.r, k = ring.colour;
        const double d = std::abs(std::hypot(x - cx, y - cy) - r);
        if (d < 2.0) c.At(x, y) = PackRgb(colours[k] * (1.0 - d / 2.0 * 0.5));
      }
    }
  return FinishKeyed(c, Rgb{0.6, 0.5, 1.0});
}

Canvas Bkkom() {
  Canvas c(W, H);
  // Hazard bars along the top and bottom edges.
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const bool band = y < 14 || y >= H - 14;
      if (band && ((x + y) / 12) % 2 == 0) c.At(x, y) = PackRgb(Rgb{0.9, 0.12, 0.05});
    }
  const Mask m = Text("KOMMUNIKATION", Font::SansCondensedBold, 16, 160, 178);
  AddMask(c, BlurMask(m, 2, 2), Rgb{1.0, 0.3, 0.1}, 0.8);
  PaintMask(c, m, Rgb{1.0, 0.85, 0.7});
  // A thin targeting reticle at the blur centre.
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const double d = std::abs(std::hypot(x - 160.0, (y - 100.0) * 1.0) - 30.0);
      const double angle = std::atan2(y - 100.0, x - 160.0);
      if (d < 1.0 && std::fmod(angle + 2 * Pi, Pi / 2) > 0.35)
        c.At(x, y) = PackRgb(Rgb{1.0, 0.25, 0.1});
    }
  return FinishKeyed(c, Rgb{1.0, 0.2, 0.1});
}

Canvas Evil() {
  Canvas c(W, H);
  Mask eyes(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      for (int ex : {122, 198}) {
        // Slanted almond eyes.
        const double dx = (x - ex) / 24.0,
                     dy = (y - 58 - (ex < 160 ? 1 : -1) * (x - ex) * 0.25) / 7.0;
        const double r = dx * dx + dy * dy;
        if (r < 1.0) eyes.At(x, y) = std::max(eyes.At(x, y), static_cast<float>(1.0 - r * r));
      }
  AddMask(c, BlurMask(eyes, 4, 3), Rgb{1.0, 0.1, 0.02}, 1.6);
  PaintMaskShaded(c, eyes, [](int, int) { return Rgb{1.0, 0.9, 0.4}; });
  const int size = FitText("EVIL", Font::SerifBold, 64, 220);
  const Mask word = Text("EVIL", Font::SerifBold, size, 160, 180);
  AddMask(c, BlurMask(Dilate(word, 1), 3, 3), Rgb{0.9, 0.05, 0.0}, 1.2);
  PaintMaskShaded(c, word, [](int, int y) {
    return Mix(Rgb{1.0, 0.5, 0.2}, Rgb{0.7, 0.0, 0.0}, std::clamp((y - 130) / 50.0, 0.0, 1.0));
  });
  return FinishKeyed(c, Rgb{1.0, 0.15, 0.05});
}

// Bold beat words for the lighten blend, each in its own colour and place.
Canvas BeatWord(const std::string& word, Rgb colour, int centreX, int baseline, int maxSize) {
  Canvas c(W, H);
  const int size = FitText(word, Font::SansBold, maxSize, 290);
  const Mask m = Text(word, Font::SansBold, size, centreX, baseline);
  AddMask(c, BlurMask(Dilate(m, 2), 2, 2), colour * 0.6, 1.0);
  PaintMaskShaded(c, m, [&](int, int y) {
    return Mix(Rgb{1, 1, 1}, colour,
               std::clamp((baseline - y) / static_cast<double>(size), 0.0, 1.0) * 0.3 + 0.7);
  });
  return FinishKeyed(c, colour);
}

Canvas Oompa() {
  return BeatWord("OOMPA", Rgb{1.0, 0.55, 0.1}, 160, 78, 64);
}
Canvas Doompa() {
  return BeatWord("DOOMPA", Rgb{1.0, 0.2, 0.75}, 160, 128, 64);
}
Canvas Doopady() {
  return BeatWord("DOOPADY", Rgb{0.2, 0.85, 1.0}, 160, 178, 64);
}
Canvas Doo() {
  return BeatWord("DOO", Rgb{0.6, 1.0, 0.2}, 160, 140, 100);
}

}  // namespace

void KeyToShape(Canvas& canvas, int faint, int bright, double reach) {
  const int r = static_cast<int>(reach);
  const Canvas source = canvas;
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      const int largest = LargestByte(source.At(x, y));
      if (largest >= bright) continue;
      if (largest < faint) {
        canvas.At(x, y) = 0;
        continue;
      }
      bool near = false;
      for (int dy = -r; dy <= r && !near; ++dy)
        for (int dx = -r; dx <= r && !near; ++dx) {
          const int nx = x + dx, ny = y + dy;
          near = dx * dx + dy * dy <= reach * reach && nx >= 0 && ny >= 0 && nx < canvas.width &&
                 ny < canvas.height && LargestByte(source.At(nx, ny)) >= bright;
        }
      if (!near) canvas.At(x, y) = 0;
    }
}

std::vector<std::uint8_t> EncodePicture(const PictureInfo& picture) {
  const Canvas canvas = picture.make();
  if (picture.keyed) return EncodeKeyedJpeg(canvas, KeyedQuality);
  JpegEncodeOptions options;
  options.quality = CardQuality;
  return EncodeJpegColour(canvas.pixels.data(), static_cast<std::uint32_t>(canvas.width),
                          static_cast<std::uint32_t>(canvas.height), options);
}
const std::vector<PictureInfo>& AllPictures() {
  static const std::vector<PictureInfo> pictures = {
      {"ventrix.jpg", false, Ventrix}, {"vx1.jpg", false, Vx1},      {"loader.jpg", false, Loader},
      {"danke.jpg", false, Danke},     {"kinyit.jpg", true, Kinyit}, {"becsuk.jpg", true, Becsuk},
      {"destiny.jpg", true, Destiny},  {"spiel.jpg", true, Spiel},   {"bkkom.jpg", true, Bkkom},
      {"evil.jpg", true, Evil},        {"oompa.jpg", true, Oompa},   {"doompa.jpg", true, Doompa},
      {"doopady.jpg", true, Doopady},  {"doo.jpg", true, Doo},
  };
  return pictures;
}

}  // namespace vx::content
