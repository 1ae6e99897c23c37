// The pictures. Title cards, the loading screen and the closing card fill
// the whole screen. The keyed pictures are drawn on true black and then put
// through KeyToShape, because the scenes treat black as transparent.
#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "base/pixels.h"
#include "keyed_jpeg.h"
#include "lettering.h"
#include "writejpeg.h"

namespace vx::content {

namespace {

constexpr int W = ScreenWidth;
constexpr int H = ScreenHeight;

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
  AddMask(c, BlurMask(DilateMask(letters, 2), 3, 3), rim, 0.9);
  PaintMask(c, DilateMask(letters, 1), rim * 0.35);
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
//
// Each is a label drawn over a running 3D scene, so it stays within a
// quarter of the screen, placed where its scene leaves room. The scenes
// blend them keyed on black, so KeyToShape then clears every dim pixel that
// is not part of a glow or outline around the artwork.

Canvas FinishKeyed(Canvas c) {
  KeyToShape(c, KeyedFaint, KeyedBright, KeyedReach);
  return c;
}

LetterShape Letters(const std::string& text, Font font, int size, int centreX, int baseline,
                    int outlineWidth) {
  return ShapeLetters(text, font, size, centreX, baseline, outlineWidth, 3, W, H);
}

// Paints the letters in shade(x, y), lightened toward white on rims that
// face the light and darkened on the others by up to relief.
template <typename Shade>
void PaintBevelled(Canvas& c, const LetterShape& letters, double relief, Shade shade) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const float a = letters.face.At(x, y);
      if (a <= 0.0f) continue;
      const double b = letters.bevel.At(x, y) * relief;
      const Rgb base = shade(x, y);
      const Rgb lit = b > 0 ? Mix(base, Rgb{1, 1, 1}, b) : base * (1.0 + b);
      c.At(x, y) = PackRgb(Mix(UnpackRgb(c.At(x, y)), lit, a));
    }
}

// A word for the subtract blend. What the picture holds is taken away from
// the frame, so the scene itself is the ink: the letters take away only a
// tint, leaving the scene behind them lit in the tint's complement, a soft
// dark halo around them (shifted toward the bottom right, like a shadow)
// and a hairline at their rim take away much more, so the letters read as
// lit cut-outs on any background that has light to take. On the rims that
// face the light the letters take nothing, a highlight; on the others they
// take more, so the face is bevelled.
void CutOutWord(Canvas& c, const LetterShape& letters, int haloWidth, Rgb tint) {
  Mask halo = DilateMask(letters.face, haloWidth);
  halo = BlurMask(halo, std::max(1, haloWidth / 2), 3);
  Mask shifted(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) shifted.At(x, y) = halo.Sample(x - 1, y - 1);
  PaintMask(c, shifted, Rgb{0.72, 0.72, 0.72});
  PaintMask(c, letters.outline, Rgb{0.9, 0.9, 0.9});
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const float a = letters.face.At(x, y);
      if (a <= 0.0f) continue;
      const double b = letters.bevel.At(x, y);
      const Rgb take = b > 0 ? tint * (1.0 - b) : Mix(tint, Rgb{0.55, 0.55, 0.55}, -b);
      c.At(x, y) = PackRgb(Mix(UnpackRgb(c.At(x, y)), take, a));
    }
}

// A word for the add and lighten blends: a tight glow in the rim colour, an
// outline of the rim colour at half strength and bevelled letters shaded by
// face(x, y).
template <typename Shade>
void GlowingWord(Canvas& c, const LetterShape& letters, Rgb rim, Shade face) {
  AddMask(c, BlurMask(DilateMask(letters.face, 2), 1, 2), rim * 0.55, 1.0);
  PaintMask(c, letters.outline, rim * 0.5);
  PaintBevelled(c, letters, 0.6, face);
}

// "OPEN" and "CLOSE" sit in the bottom right corner, where the box's walls
// fall open and lie as bright metal for most of the slot (a subtracted word
// needs light to take), so that the box in the middle of the frame stays
// clear; both words share one size. OPEN leaves the metal in warm gold (it
// takes blue), CLOSE in cold cyan (it takes red).
Canvas SubtractCornerWord(const std::string& word, Rgb tint) {
  Canvas c(W, H);
  const int size = FitText("CLOSE", Font::SansBold, 34, 112);
  const int width = TextWidth(word, Font::SansBold, size);
  CutOutWord(c, Letters(word, Font::SansBold, size, W - 14 - width / 2, 184, 1), 3, tint);
  return FinishKeyed(c);
}

Canvas Kinyit() {
  return SubtractCornerWord("OPEN", Rgb{0.0, 0.05, 0.6});
}
Canvas Becsuk() {
  return SubtractCornerWord("CLOSE", Rgb{0.5, 0.08, 0.0});
}

// "DESTINY" small at the top, over the brick wall behind the crates, so
// that the stack in the middle of the frame stays in view: the bricks glow
// through the letters stripped of their green and blue, a hot red in a
// black halo.
Canvas Destiny() {
  Canvas c(W, H);
  const std::string word = "DESTINY";
  const int size = FitText(word, Font::SansBold, 30, 132);
  CutOutWord(c, Letters(word, Font::SansBold, size, 160, 34, 1), 3, Rgb{0.0, 0.3, 0.35});
  return FinishKeyed(c);
}

// "SPIEL" across the top over libiko's sky, each letter in its own colour,
// the letters hopping like the see-saw below them.
Canvas Spiel() {
  Canvas c(W, H);
  const Rgb colours[5] = {
      {1.0, 0.35, 0.3}, {1.0, 0.8, 0.2}, {0.35, 0.9, 0.35}, {0.3, 0.65, 1.0}, {0.85, 0.4, 1.0}};
  const std::string word = "SPIEL";
  const int size = 46;
  int pen = 160 - TextWidth(word, Font::SansBold, size) / 2;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const std::string letter(1, word[i]);
    const int w = TextWidth(letter, Font::SansBold, size);
    const int baseline = 50 + ((i % 2 == 0) ? 0 : -6);
    const LetterShape shape = Letters(letter, Font::SansBold, size, pen + w / 2, baseline, 1);
    const Rgb colour = colours[i];
    GlowingWord(c, shape, colour * 0.8, [&](int, int y) {
      return Mix(Mix(colour, Rgb{1, 1, 1}, 0.55), colour,
                 std::clamp((y - (baseline - size * 0.75)) / (size * 0.75), 0.0, 1.0));
    });
    pen += w;
  }
  return FinishKeyed(c);
}

// "KOMMUNIKATION" low in the middle, over the dark road that the flight
// always looks down on (the add blend can only brighten, so the letters
// need a dark ground to read): white-hot letters cooling to orange, a red
// rim.
Canvas Bkkom() {
  Canvas c(W, H);
  const std::string word = "KOMMUNIKATION";
  const int size = FitText(word, Font::SansCondensedBold, 24, 168);
  const int baseline = 188;
  GlowingWord(c, Letters(word, Font::SansCondensedBold, size, 160, baseline, 1),
              Rgb{1.0, 0.25, 0.05}, [&](int, int y) {
                return Mix(Rgb{1.0, 1.0, 0.9}, Rgb{1.0, 0.55, 0.15},
                           std::clamp((y - (baseline - size * 0.7)) / (size * 0.7), 0.0, 1.0));
              });
  return FinishKeyed(c);
}

// Glowing slanted eyes with "EVIL" beneath them, high above the creature
// that fills the middle of the frame.
Canvas Evil() {
  Canvas c(W, H);
  Mask eyes(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      for (int ex : {132, 188}) {
        const double dx = (x - ex) / 19.0,
                     dy = (y - 22 - (ex < 160 ? 1 : -1) * (x - ex) * 0.25) / 5.5;
        const double r = dx * dx + dy * dy;
        if (r < 1.0) eyes.At(x, y) = std::max(eyes.At(x, y), static_cast<float>(1.0 - r * r));
      }
  AddMask(c, BlurMask(DilateMask(eyes, 2), 2, 2), Rgb{1.0, 0.1, 0.02}, 1.3);
  PaintMaskShaded(c, eyes, [](int, int) { return Rgb{1.0, 0.9, 0.4}; });
  const std::string word = "EVIL";
  const int size = FitText(word, Font::SerifBold, 40, 120);
  const int baseline = 72;
  GlowingWord(c, Letters(word, Font::SerifBold, size, 160, baseline, 1), Rgb{0.9, 0.05, 0.0},
              [&](int, int y) {
                return Mix(Rgb{1.0, 0.6, 0.25}, Rgb{0.75, 0.0, 0.0},
                           std::clamp((y - (baseline - size * 0.7)) / (size * 0.7), 0.0, 1.0));
              });
  return FinishKeyed(c);
}

// Beat words for the lighten blend, all in one style that belongs to the
// blue flight: letters of ice, white at the top and glacier blue below,
// bevelled, with a deep blue rim and a cold glow; one font and one size,
// stepping down the screen with the rhythm and back to the middle.
Canvas BeatWord(const std::string& word, int baseline) {
  Canvas c(W, H);
  const int size = FitText("DOOPADY", Font::SansBold, 52, 236);
  const Rgb rim{0.2, 0.55, 1.0};
  GlowingWord(c, Letters(word, Font::SansBold, size, 160, baseline, 1), rim, [&](int x, int y) {
    const double t = std::clamp((y - (baseline - size * 0.72)) / (size * 0.72), 0.0, 1.0);
    // A faint diagonal sheen, as on a polished block of ice.
    const double sheen = 0.12 * std::max(0.0, std::cos((x + y * 0.6) * 0.11));
    return Mix(Rgb{0.97, 0.99, 1.0}, Rgb{0.45, 0.72, 1.0}, t) + Rgb{sheen, sheen, sheen};
  });
  return FinishKeyed(c);
}

Canvas Oompa() {
  return BeatWord("OOMPA", 64);
}
Canvas Doompa() {
  return BeatWord("DOOMPA", 122);
}
Canvas Doopady() {
  return BeatWord("DOOPADY", 180);
}
Canvas Doo() {
  return BeatWord("DOO", 122);
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
