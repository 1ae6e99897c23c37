// The pictures. Title cards, the loading screen and the closing card fill
// the whole screen. The keyed pictures are drawn on true black and then put
// through KeyToShape, because the scenes treat black as transparent.
//
// Every picture is drawn for a PictureFrame: positions and lengths are
// written in classic pixels (a 200-row frame) and turned into the frame's
// pixels as they are used, so a sharp picture is the same composition drawn
// at its own size, never an enlargement. Across a wider frame the backdrops
// widen, centred artwork stays centred and a caption at an edge keeps its
// distance from that edge.
#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "base/pixels.h"
#include "datalib/datalib.h"
#include "keyed_jpeg.h"
#include "lettering.h"
#include "writejpeg.h"

namespace vx::content {

namespace {

// A pixel's position in classic pixels (its top left corner, so that the
// classic frame's pixels keep their whole-number positions).
double Classic(const Canvas& canvas, int pixel) {
  return pixel * (ScreenHeight / static_cast<double>(canvas.height));
}

// Paints colour over the canvas where the mask covers it (alpha blend).
void PaintMask(Canvas& canvas, const Mask& mask, Rgb colour) {
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      const float a = mask.At(x, y);
      if (a > 0.0f) canvas.At(x, y) = PackRgb(Mix(UnpackRgb(canvas.At(x, y)), colour, a));
    }
}

// Same with a colour that depends on the place (gradients inside letters),
// given in classic pixels.
template <typename Shade>
void PaintMaskShaded(Canvas& canvas, const Mask& mask, Shade shade) {
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      const float a = mask.At(x, y);
      if (a > 0.0f)
        canvas.At(x, y) = PackRgb(
            Mix(UnpackRgb(canvas.At(x, y)), shade(Classic(canvas, x), Classic(canvas, y)), a));
    }
}

// Adds colour times the mask (glows on black).
void AddMask(Canvas& canvas, const Mask& mask, Rgb colour, double gain) {
  for (int y = 0; y < canvas.height; ++y)
    for (int x = 0; x < canvas.width; ++x) {
      const float a = mask.At(x, y);
      if (a > 0.0f) canvas.At(x, y) = PackRgb(UnpackRgb(canvas.At(x, y)) + colour * (a * gain));
    }
}

// Text at a pixel size (from Size or Fit), centred on centreX on the
// baseline, both in classic pixels.
Mask Text(const PictureFrame& f, const std::string& text, Font font, int pixelSize, double centreX,
          double baseline) {
  Mask mask(f.width, f.height);
  DrawText(mask, text, font, pixelSize, f.Pixels(centreX), f.Pixels(baseline));
  return mask;
}

// The pixel size of lettering classic pixels tall.
int Size(const PictureFrame& f, int classic) {
  return f.Pixels(classic);
}
// The largest pixel size, at most maxSize classic pixels, at which text
// fits into width classic pixels.
int Fit(const PictureFrame& f, const std::string& text, Font font, int maxSize, int width) {
  return FitText(text, font, f.Pixels(maxSize), f.Pixels(width));
}

// The floor grid's colour at a place (classic pixels, below the horizon);
// perClassic is the number of pixels per classic pixel, which sets the
// lines' width in pixels.
Rgb FloorGrid(double x, double y, double centreX, double perClassic, Rgb top, Rgb horizon,
              Rgb grid) {
  // A floor grid in perspective: d is 0 at the horizon and 1 at the
  // bottom row; the grid's world x and depth per pixel set the line
  // widths, and lines fade where they crowd together.
  constexpr int horizonRow = 128;
  const double d = (y - horizonRow) / (ScreenHeight - horizonRow);
  const double z = 1.0 / d;
  const double wx = (x - centreX) * z / 40.0, wz = z * 2.0;
  const double px = z / 40.0 / perClassic,
               pz = 2.0 / (d * d * (ScreenHeight - horizonRow)) / perClassic;
  auto near = [](double v, double width) {
    const double dist = std::abs(v - std::round(v));
    return std::clamp(1.0 - dist / std::max(width, 1e-9), 0.0, 1.0);
  };
  const double line = std::max(near(wx, px * 0.9) * std::clamp(1.0 - px * 2.5, 0.0, 1.0),
                               near(wz, pz * 0.9) * std::clamp(1.0 - pz * 2.5, 0.0, 1.0));
  const Rgb colour = Mix(horizon * 0.5, top * 0.6, d);
  return Mix(colour, grid, line * (0.4 + 0.6 * d));
}

// Stars above the horizon: one pixel each in the classic frame, a small
// round dot of about one classic pixel in a sharp one, as many per classic
// pixel of width in every frame.
// A box in classic pixels that the stars keep out of (text on the sky,
// whose word gaps a star would fill like stray punctuation).
struct StarFreeBox {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool Holds(double x, double y) const { return x >= left && x < right && y >= top && y < bottom; }
};

void Stars(Canvas& c, const PictureFrame& f, std::uint64_t seed, StarFreeBox clear) {
  Random random(seed);
  const int columns = static_cast<int>(std::lround(f.ClassicWidth()));
  const int count = 110 * columns / ScreenWidth;
  const double radius = f.scale * 0.55;
  for (int i = 0; i < count; ++i) {
    const int x = random.Below(columns), y = random.Below(128 - 10);
    const double b = random.Range(0.35, 1.0);
    // Drawn from the sequence all the same, so that the other stars stay.
    if (clear.Holds(x + 0.5, y + 0.5)) continue;
    if (f.scale == 1.0) {
      c.At(x, y) = PackRgb(Mix(UnpackRgb(c.At(x, y)), Rgb{1, 1, 1}, b));
      continue;
    }
    const double cx = (x + 0.5) * f.scale, cy = (y + 0.5) * f.scale;
    for (int py = static_cast<int>(cy - radius - 1); py <= cy + radius + 1; ++py)
      for (int px = static_cast<int>(cx - radius - 1); px <= cx + radius + 1; ++px) {
        if (px < 0 || py < 0 || px >= c.width || py >= c.height) continue;
        const double r = std::hypot(px + 0.5 - cx, py + 0.5 - cy);
        const double a = b * std::clamp(radius + 0.5 - r, 0.0, 1.0);
        if (a > 0) c.At(px, py) = PackRgb(Mix(UnpackRgb(c.At(px, py)), Rgb{1, 1, 1}, a));
      }
  }
}

// The floor grid over a pixel: the mean of 4 x 4 samples across it, so that
// lines thinner than a pixel run on unbroken and crowd into an even haze
// toward the horizon instead of breaking into dots or a moire band.
Rgb FloorGridPixel(int x, int y, const PictureFrame& f, double centreX, Rgb top, Rgb horizon,
                   Rgb grid) {
  constexpr int Samples = 4;
  Rgb sum{0, 0, 0};
  for (int j = 0; j < Samples; ++j)
    for (int i = 0; i < Samples; ++i)
      sum =
          sum + FloorGrid((x + (i + 0.5) / Samples) / f.scale, (y + (j + 0.5) / Samples) / f.scale,
                          centreX, f.scale, top, horizon, grid);
  return sum * (1.0 / (Samples * Samples));
}

// A dark backdrop for the cards: vertical gradient, stars above a horizon,
// a perspective grid below it, as wide as the frame.
Canvas Backdrop(const PictureFrame& f, Rgb top, Rgb horizon, Rgb grid, std::uint64_t seed,
                StarFreeBox clear = {}) {
  Canvas c(f.width, f.height);
  const int horizonRow = 128;
  const double centreX = f.ClassicWidth() / 2.0;
  for (int y = 0; y < f.height; ++y) {
    // Pixel centres in classic pixels (y + 0.5 exactly in the classic
    // frame); the sky's gradient runs from the top row's centre.
    const double cy = (y + 0.5) / f.scale;
    for (int x = 0; x < f.width; ++x) {
      c.At(x, y) =
          PackRgb(cy < horizonRow ? Mix(top, horizon, std::pow((cy - 0.5) / horizonRow, 2.0))
                                  : FloorGridPixel(x, y, f, centreX, top, horizon, grid));
    }
  }
  Stars(c, f, seed, clear);
  return c;
}

// Big lettering with a drop shadow, a glowing rim and a shaded face; size
// in pixels, the place in classic pixels.
template <typename Shade>
void Headline(Canvas& c, const PictureFrame& f, const std::string& text, Font font, int size,
              double centreX, double baseline, Rgb rim, Shade shade) {
  const Mask letters = Text(f, text, font, size, centreX, baseline);
  Mask shadow = Text(f, text, font, size, centreX + 4, baseline + 4);
  shadow = BlurMask(shadow, f.Pixels(2), 2);
  PaintMask(c, shadow, Rgb{0, 0, 0});
  AddMask(c, BlurMask(DilateMask(letters, f.Pixels(2)), f.Pixels(3), 3), rim, 0.9);
  PaintMask(c, DilateMask(letters, f.Pixels(1)), rim * 0.35);
  PaintMaskShaded(c, letters, shade);
}

Canvas Ventrix(const PictureFrame& f) {
  Canvas c = Backdrop(f, Rgb{0.02, 0.02, 0.10}, Rgb{0.45, 0.12, 0.45}, Rgb{0.95, 0.3, 0.8}, 201);
  const double mid = f.ClassicWidth() / 2;
  const int size = Fit(f, "VENTRIX", Font::SansBold, 80, 296);
  Headline(c, f, "VENTRIX", Font::SansBold, size, mid, 112, Rgb{1.0, 0.5, 0.9},
           [](double, double y) {
             const double t = std::clamp((y - 55) / 60.0, 0.0, 1.0);
             return t < 0.55 ? Mix(Rgb{1.0, 1.0, 0.95}, Rgb{1.0, 0.8, 0.35}, t / 0.55)
                             : Mix(Rgb{0.85, 0.35, 0.1}, Rgb{1.0, 0.75, 0.3}, (t - 0.55) / 0.45);
           });
  PaintMask(c, Text(f, "p r e s e n t s", Font::Sans, Size(f, 13), mid, 150), Rgb{0.85, 0.85, 1.0});
  return c;
}

Canvas Vx1(const PictureFrame& f) {
  Canvas c = Backdrop(f, Rgb{0.0, 0.04, 0.08}, Rgb{0.05, 0.35, 0.45}, Rgb{0.2, 0.95, 1.0}, 202);
  const double mid = f.ClassicWidth() / 2;
  const int size = Fit(f, "VX-1", Font::SansBold, 120, 270);
  Headline(
      c, f, "VX-1", Font::SansBold, size, mid, 125, Rgb{0.2, 0.9, 1.0}, [mid](double x, double y) {
        // Chrome: sky above a bright line, warm ground below.
        const double v = (y - 40 + 6.0 * std::sin((x - mid + 160) * 0.05)) / 85.0;
        if (v < 0.5)
          return Mix(Rgb{0.3, 0.45, 0.85}, Rgb{1.0, 1.0, 1.0}, std::clamp(v / 0.5, 0.0, 1.0));
        return Mix(Rgb{0.35, 0.2, 0.1}, Rgb{0.95, 0.8, 0.6}, std::clamp((v - 0.5) / 0.5, 0.0, 1.0));
      });
  return c;
}

// An empty progress frame with a row of dim cells, centred on mid.
void ProgressFrame(Canvas& c, const PictureFrame& f, double mid) {
  const auto box = [&](double x0, double y0, double x1, double y1, Rgb colour) {
    for (int y = f.Pixels(y0); y < f.Pixels(y1); ++y)
      for (int x = f.Pixels(x0); x < f.Pixels(x1); ++x) c.At(x, y) = PackRgb(colour);
  };
  const Rgb edge{0.6, 0.7, 0.9};
  const double left = mid - 80, right = mid + 80;
  for (double y : {144.0, 156.0}) box(left, y, right, y + 1, edge);
  for (double x : {left, right - 1}) box(x, 144, x + 1, 157, edge);
  for (int cell = 0; cell < 16; ++cell)
    box(left + 3 + cell * 10, 147, left + 3 + cell * 10 + 7, 154,
        Rgb{0.15, 0.25, 0.45} * (1.0 + cell * 0.05));
}

Canvas Loader(const PictureFrame& f) {
  Canvas c(f.width, f.height);
  TileNoise n(203, 8);
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const double t = n.Fractal(Classic(c, x) / 40.0, Classic(c, y) / 40.0, 5, 0.55);
      c.At(x, y) = PackRgb(Mix(Rgb{0.02, 0.03, 0.07}, Rgb{0.12, 0.18, 0.32}, t));
    }
  const double mid = f.ClassicWidth() / 2;
  Headline(c, f, "VX-1", Font::SansBold, Size(f, 64), mid, 92, Rgb{0.3, 0.6, 1.0},
           [](double, double y) {
             return Mix(Rgb{1, 1, 1}, Rgb{0.6, 0.75, 1.0}, std::clamp((y - 40) / 50.0, 0.0, 1.0));
           });
  PaintMask(c, Text(f, "L O A D I N G", Font::SansBold, Size(f, 14), mid, 132),
            Rgb{0.85, 0.9, 1.0});
  ProgressFrame(c, f, mid);
  return c;
}

Canvas Danke(const PictureFrame& f) {
  const double mid = f.ClassicWidth() / 2;
  // The greetings' block: no star between their words.
  const StarFreeBox greetings{.left = mid - 110, .top = 70, .right = mid + 110, .bottom = 128};
  Canvas c = Backdrop(f, Rgb{0.06, 0.01, 0.03}, Rgb{0.5, 0.18, 0.05}, Rgb{1.0, 0.55, 0.15}, 204,
                      greetings);
  Headline(
      c, f, "DANKE!", Font::SansBold, Fit(f, "DANKE!", Font::SansBold, 64, 250), mid, 62,
      Rgb{1.0, 0.6, 0.2}, [](double, double y) {
        return Mix(Rgb{1.0, 1.0, 0.85}, Rgb{1.0, 0.6, 0.2}, std::clamp((y - 15) / 50.0, 0.0, 1.0));
      });
  const char* lines[] = {"thanks for watching", "greetings to every coder, artist",
                         "and musician who still pushes", "pixels by hand"};
  // Four lines above the horizon (row 128), clear of the grid's haze.
  int baseline = 82;
  for (const char* line : lines) {
    const Mask m = Text(f, line, Font::Sans, Size(f, 13), mid, baseline);
    PaintMask(c, BlurMask(m, f.Pixels(1), 1), Rgb{0, 0, 0});
    PaintMask(c, m, Rgb{1.0, 0.92, 0.8});
    baseline += 14;
  }
  PaintMask(c, Text(f, "- ventrix -", Font::SansBold, Size(f, 12), mid, 188), Rgb{1.0, 0.7, 0.4});
  return c;
}

// ---- keyed pictures ------------------------------------------------------
//
// Each is a label drawn over a running 3D scene, so it stays within a
// quarter of the screen, placed where its scene leaves room. The scenes
// blend them keyed on black, so KeyToShape then clears every dim pixel that
// is not part of a glow or outline around the artwork.

Canvas FinishKeyed(Canvas c, const PictureFrame& f) {
  KeyToShape(c, KeyedFaint, KeyedBright, KeyedReach * f.scale);
  return c;
}

// Lettering at a pixel size, centred on the pixel column centreX with its
// baseline at the pixel row baseline; the outline and bevel widths are in
// classic pixels.
LetterShape Letters(const PictureFrame& f, const std::string& text, Font font, int size,
                    int centreX, int baseline, int outlineWidth) {
  return ShapeLetters(text, font, size, centreX, baseline, f.Pixels(outlineWidth), f.Pixels(3),
                      f.width, f.height);
}

// Paints the letters in shade(x, y) (classic pixels), lightened toward white
// on rims that face the light and darkened on the others by up to relief.
template <typename Shade>
void PaintBevelled(Canvas& c, const LetterShape& letters, double relief, Shade shade) {
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      const float a = letters.face.At(x, y);
      if (a <= 0.0f) continue;
      const double b = letters.bevel.At(x, y) * relief;
      const Rgb base = shade(Classic(c, x), Classic(c, y));
      const Rgb lit = b > 0 ? Mix(base, Rgb{1, 1, 1}, b) : base * (1.0 + b);
      c.At(x, y) = PackRgb(Mix(UnpackRgb(c.At(x, y)), lit, a));
    }
}

// A word for the subtract blend. What the picture holds is taken away from
// the frame, and nothing can be added, so the most a subtracted word can do
// is stand dark on the lit scene: the letters take almost all of the light
// behind them and a hairline at their rim takes all of it, while the ground
// around them keeps its full brightness (a dark halo there, or letters that
// let the floor show through, leave a word the same colour as its busy
// ground). On the rims that face the light the letters take less, so the
// face reads as bevelled; shadowTint, when not black, is taken a little to
// the bottom right, a faint drop shadow that lifts the word off the ground.
void StencilWord(Canvas& c, const PictureFrame& f, const LetterShape& letters, Rgb shadowTint) {
  Mask shadow(c.width, c.height);
  const int shift = f.Pixels(2);
  const Mask soft = BlurMask(letters.face, std::max(1, f.Pixels(1)), 2);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) shadow.At(x, y) = soft.Sample(x - shift, y - shift);
  PaintMask(c, shadow, shadowTint);
  PaintMask(c, letters.outline, Rgb{1, 1, 1});
  constexpr Rgb ink{0.9, 0.9, 0.9};
  constexpr Rgb litRim{0.5, 0.5, 0.5};
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      const float a = letters.face.At(x, y);
      if (a <= 0.0f) continue;
      const double b = letters.bevel.At(x, y);
      const Rgb take = b > 0 ? Mix(ink, litRim, b) : Mix(ink, Rgb{1, 1, 1}, -b);
      c.At(x, y) = PackRgb(Mix(UnpackRgb(c.At(x, y)), take, a));
    }
}

// A word for the add and lighten blends: a tight glow in the rim colour, an
// outline of the rim colour at half strength and bevelled letters shaded by
// face(x, y).
template <typename Shade>
void GlowingWord(Canvas& c, const PictureFrame& f, const LetterShape& letters, Rgb rim,
                 Shade face) {
  AddMask(c, BlurMask(DilateMask(letters.face, f.Pixels(2)), f.Pixels(1), 2), rim * 0.55, 1.0);
  PaintMask(c, letters.outline, rim * 0.5);
  PaintBevelled(c, letters, 0.6, face);
}

// "OPEN" and "CLOSE" sit in the bottom right corner, where the box's walls
// fall open and lie as bright metal for most of the slot (a subtracted word
// needs light to take), so that the box in the middle of the frame stays
// clear; both words share one size and keep their distance from the
// frame's right and bottom edges. Their shadows differ: OPEN's takes blue
// and red (a green cast on the green floor), CLOSE's red (cold cyan).
Canvas SubtractCornerWord(const PictureFrame& f, const std::string& word, Rgb shadowTint) {
  Canvas c(f.width, f.height);
  const int size = Fit(f, "CLOSE", Font::SansBold, 34, 112);
  const int width = TextWidth(word, Font::SansBold, size);
  const int centre = f.width - f.Pixels(14) - width / 2;
  StencilWord(c, f, Letters(f, word, Font::SansBold, size, centre, f.height - f.Pixels(16), 1),
              shadowTint);
  return FinishKeyed(c, f);
}

Canvas Kinyit(const PictureFrame& f) {
  return SubtractCornerWord(f, "OPEN", Rgb{0.35, 0.1, 0.35});
}
Canvas Becsuk(const PictureFrame& f) {
  return SubtractCornerWord(f, "CLOSE", Rgb{0.4, 0.05, 0.0});
}

// "DESTINY" small at the top, over the brick wall behind the crates, so
// that the stack in the middle of the frame stays in view: dark letters on
// the glowing bricks.
Canvas Destiny(const PictureFrame& f) {
  Canvas c(f.width, f.height);
  const std::string word = "DESTINY";
  const int size = Fit(f, word, Font::SansBold, 30, 132);
  const int centre = f.Pixels(f.ClassicWidth() / 2);
  StencilWord(c, f, Letters(f, word, Font::SansBold, size, centre, f.Pixels(34), 1),
              Rgb{0.2, 0.3, 0.3});
  return FinishKeyed(c, f);
}

// "SPIEL" across the top over libiko's sky, each letter in its own colour,
// the letters hopping like the see-saw below them.
Canvas Spiel(const PictureFrame& f) {
  Canvas c(f.width, f.height);
  const Rgb colours[5] = {
      {1.0, 0.35, 0.3}, {1.0, 0.8, 0.2}, {0.35, 0.9, 0.35}, {0.3, 0.65, 1.0}, {0.85, 0.4, 1.0}};
  const std::string word = "SPIEL";
  constexpr int classicSize = 46;
  const int size = Size(f, classicSize);
  int pen = f.width / 2 - TextWidth(word, Font::SansBold, size) / 2;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const std::string letter(1, word[i]);
    const int w = TextWidth(letter, Font::SansBold, size);
    const int baseline = 50 + ((i % 2 == 0) ? 0 : -6);
    const LetterShape shape =
        Letters(f, letter, Font::SansBold, size, pen + w / 2, f.Pixels(baseline), 1);
    const Rgb colour = colours[i];
    GlowingWord(c, f, shape, colour * 0.8, [&](double, double y) {
      return Mix(
          Mix(colour, Rgb{1, 1, 1}, 0.55), colour,
          std::clamp((y - (baseline - classicSize * 0.75)) / (classicSize * 0.75), 0.0, 1.0));
    });
    pen += w;
  }
  return FinishKeyed(c, f);
}

// "KOMMUNIKATION" low in the middle, over the dark road that the flight
// always looks down on (the add blend can only brighten, so the letters
// need a dark ground to read): white-hot letters cooling to orange, a red
// rim.
Canvas Bkkom(const PictureFrame& f) {
  Canvas c(f.width, f.height);
  const std::string word = "KOMMUNIKATION";
  const int size = Fit(f, word, Font::SansCondensedBold, 24, 168);
  const double em = size / f.scale;  // the size in classic pixels
  const int baseline = 188;
  GlowingWord(c, f,
              Letters(f, word, Font::SansCondensedBold, size, f.Pixels(f.ClassicWidth() / 2),
                      f.Pixels(baseline), 1),
              Rgb{1.0, 0.25, 0.05}, [&](double, double y) {
                return Mix(Rgb{1.0, 1.0, 0.9}, Rgb{1.0, 0.55, 0.15},
                           std::clamp((y - (baseline - em * 0.7)) / (em * 0.7), 0.0, 1.0));
              });
  return FinishKeyed(c, f);
}

// Two glowing slanted eyes, centred on mid (classic pixels).
Mask Eyes(const PictureFrame& f, double mid) {
  Mask eyes(f.width, f.height);
  const double step = ScreenHeight / static_cast<double>(f.height);
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x)
      for (double ex : {mid - 28, mid + 28}) {
        const double cx = x * step, cy = y * step;
        const double dx = (cx - ex) / 19.0,
                     dy = (cy - 22 - (ex < mid ? 1 : -1) * (cx - ex) * 0.25) / 5.5;
        const double r = dx * dx + dy * dy;
        if (r < 1.0) eyes.At(x, y) = std::max(eyes.At(x, y), static_cast<float>(1.0 - r * r));
      }
  return eyes;
}

// Glowing slanted eyes with "EVIL" beneath them, high above the creature
// that fills the middle of the frame.
Canvas Evil(const PictureFrame& f) {
  Canvas c(f.width, f.height);
  const double mid = f.ClassicWidth() / 2;
  const Mask eyes = Eyes(f, mid);
  AddMask(c, BlurMask(DilateMask(eyes, f.Pixels(2)), f.Pixels(2), 2), Rgb{1.0, 0.1, 0.02}, 1.3);
  PaintMaskShaded(c, eyes, [](double, double) { return Rgb{1.0, 0.9, 0.4}; });
  const std::string word = "EVIL";
  const int size = Fit(f, word, Font::SerifBold, 40, 120);
  const double em = size / f.scale;
  const int baseline = 72;
  GlowingWord(c, f, Letters(f, word, Font::SerifBold, size, f.Pixels(mid), f.Pixels(baseline), 1),
              Rgb{0.9, 0.05, 0.0}, [&](double, double y) {
                return Mix(Rgb{1.0, 0.6, 0.25}, Rgb{0.75, 0.0, 0.0},
                           std::clamp((y - (baseline - em * 0.7)) / (em * 0.7), 0.0, 1.0));
              });
  return FinishKeyed(c, f);
}

// Beat words for the lighten blend, all in one style that belongs to the
// blue flight: letters of ice, white at the top and glacier blue below,
// bevelled, with a deep blue rim and a cold glow; one font and one size,
// stepping down the screen with the rhythm and back up. The second and
// fourth stand below the middle, clear of the flight's sign, which at
// those moments is small and far off just above it.
Canvas BeatWord(const PictureFrame& f, const std::string& word, int baseline) {
  Canvas c(f.width, f.height);
  const int size = Fit(f, "DOOPADY", Font::SansBold, 52, 236);
  const double em = size / f.scale;
  const double mid = f.ClassicWidth() / 2;
  const Rgb rim{0.2, 0.55, 1.0};
  GlowingWord(
      c, f, Letters(f, word, Font::SansBold, size, f.Pixels(mid), f.Pixels(baseline), 1), rim,
      [&](double x, double y) {
        const double t = std::clamp((y - (baseline - em * 0.72)) / (em * 0.72), 0.0, 1.0);
        // A faint diagonal sheen, as on a polished block of ice.
        const double sheen = 0.12 * std::max(0.0, std::cos((x - mid + 160 + y * 0.6) * 0.11));
        return Mix(Rgb{0.97, 0.99, 1.0}, Rgb{0.45, 0.72, 1.0}, t) + Rgb{sheen, sheen, sheen};
      });
  return FinishKeyed(c, f);
}

Canvas Oompa(const PictureFrame& f) {
  return BeatWord(f, "OOMPA", 64);
}
Canvas Doompa(const PictureFrame& f) {
  return BeatWord(f, "DOOMPA", 150);
}
Canvas Doopady(const PictureFrame& f) {
  return BeatWord(f, "DOOPADY", 180);
}
Canvas Doo(const PictureFrame& f) {
  return BeatWord(f, "DOO", 150);
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

int PictureFrame::Pixels(double classic) const {
  const long rounded = std::lround(classic * scale);
  return rounded == 0 && classic > 0 ? 1 : static_cast<int>(rounded);
}

PictureFrame FrameOfSize(int width, int height) {
  return {.width = width, .height = height, .scale = height / static_cast<double>(ScreenHeight)};
}

namespace {

std::vector<std::uint8_t> EncodeCanvas(const Canvas& canvas, bool keyed, bool sharp) {
  if (keyed) return EncodeKeyedJpeg(canvas, sharp ? SharpKeyedQuality : KeyedQuality);
  JpegEncodeOptions options;
  options.quality = sharp ? SharpCardQuality : CardQuality;
  return EncodeJpegColour(canvas.pixels.data(), static_cast<std::uint32_t>(canvas.width),
                          static_cast<std::uint32_t>(canvas.height), options);
}

}  // namespace

std::vector<std::uint8_t> EncodePicture(const PictureInfo& picture) {
  return EncodeCanvas(picture.make(), picture.keyed, false);
}

std::vector<std::uint8_t> EncodeSharpPicture(const SharpPicture& sharp) {
  return EncodeCanvas(sharp.picture->draw(FrameOfSize(sharp.width, sharp.height)),
                      sharp.picture->keyed, true);
}

const std::vector<SharpPicture>& AllSharpPictures() {
  static const std::vector<SharpPicture> sharp = [] {
    std::vector<SharpPicture> list;
    for (const PictureInfo& picture : AllPictures())
      for (const SharpPictureSize& size : SharpPictureSizes)
        list.push_back({.picture = &picture,
                        .width = size.width,
                        .height = size.height,
                        .file = SharpPictureFile(picture.file, size)});
    return list;
  }();
  return sharp;
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
