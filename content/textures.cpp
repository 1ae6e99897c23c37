// Procedural textures. Every one tiles (noise on a lattice whose period
// divides the texture, stripes and cells that divide 256), so repeated
// mapping shows no seams. No texture has pure black areas: the darkest
// texel stays visibly lit, so covered pixels never read as empty.
#include "textures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "meshes.h"
#include "scenes.h"
#include "writejpeg.h"

namespace vx::content {

namespace {

constexpr int S = TextureSize;  // the description's units: classic texels
constexpr double Pi = 3.14159265358979323846;

// The texels of one size in the description's units. Texel i of a size-wide
// texture is drawn at At(i): at 256 these are the whole numbers the classic
// texture has always been drawn at; a larger size draws the same surface at
// points step apart around them (a classic texel's point sits where its
// area starts, so a fine texel's point is shifted the same half texel).
struct Grid {
  int size;
  double step;  // classic texels per texel
  explicit Grid(int n) : size(n), step(static_cast<double>(S) / n) {}
  double At(int i) const { return (i + 0.5) * step - 0.5; }
};

// The steepness of a soft edge (a sine scaled by it, clamped to +-1) drawn
// at the grid's size: gain at the classic size, and steeper by the square
// root of the texels across a classic texel, so that the sharp texture's
// edge is crisper near the camera (half as wide at 1024) while it still
// reduces to the classic one. Far off, the sharp texture's levels soften it
// again.
double EdgeGain(const Grid& grid, double gain) {
  return gain / std::sqrt(grid.step);
}

template <typename Shade>
Canvas Paint(int size, Shade shade) {
  const Grid grid(size);
  Canvas c(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) c.At(x, y) = PackRgb(shade(grid.At(x), grid.At(y)));
  return c;
}

double Frac(double v) {
  return v - std::floor(v);
}

// v modulo period in [0, period); exact on whole numbers.
double Mod(double v, double period) {
  return v - period * std::floor(v / period);
}

// A point's place within its cell of a pattern repeating every period
// classic texels, in [-0.5, period - 0.5): on whole numbers the classic
// texture's x % period.
double Wrap(double v, int period) {
  return Mod(v + 0.5, period) - 0.5;
}

// The number of that cell: on whole numbers the classic x / period.
int CellOf(double v, int period) {
  return static_cast<int>(std::floor((v + 0.5) / period));
}

// Coverage of a texel whose point lies at signed distance d (classic
// texels, negative inside) from a shape's edge: the edge blends over one
// texel of the size drawn, so shapes are as crisp as each size allows.
double Coverage(double d, const Grid& grid) {
  return std::clamp(0.5 - d / grid.step, 0.0, 1.0);
}

// Detail finer than a classic texel: zero-mean grain in cells of half a
// classic texel (noise of period FineCells, so it tiles over the texture),
// amplitude a, and nothing at 256, where it would only alias (the classic
// texture is this surface seen without it).
constexpr int FineCells = 2 * S;
double FineGrain(const TileNoise& noise, const Grid& grid, double x, double y, double a) {
  if (grid.step >= 1.0) return 0.0;
  return (noise.Fractal(x * 2, y * 2, 2, 0.5) - 0.5) * a;
}

// Wrap-around box blur of radius rx across and ry down (in classic texels,
// scaled to the size drawn), then every texel pulled towards the mean
// colour by 1 - contrast: detail for surfaces seen far away and at grazing
// angles, where the rasterizer (no mipmaps) would sample fine lines into
// flickering dots. A blur along one axis only suits a texture that the
// mapping squeezes along that axis.
Canvas Softened(const Canvas& in, int rx, int ry, double contrast);

// 0 at edge0 and below, 1 at edge1 and above, smooth between.
double SmoothStep(double edge0, double edge1, double v) {
  const double t = std::clamp((v - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

Canvas WoodGrain(int size) {
  TileNoise grain(11, 8), fine(12, 64), pores(13, FineCells);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    // Grain lines run along x inside planks 64 texels high, bent by noise;
    // every term repeats over the texture, so planks join across the wrap.
    const double u = x / 32.0, v = y / 32.0;
    const double bend =
        grain.Fractal(u, v, 3, 0.5) * 2.5 + 0.25 * std::sin(x * 2 * Pi / S * 2 + CellOf(y, 64));
    const double ring = Frac(Wrap(y, 64) / 64.0 * 5.0 + bend);
    const double streak = fine.At(x / 4.0, y / 1.0) * 0.15;
    const double t = std::pow(ring, 3.0) * 0.6 + streak + FineGrain(pores, grid, x, y, 0.12);
    const Rgb light{0.78, 0.52, 0.27}, dark{0.42, 0.22, 0.09};
    Rgb c = Mix(light, dark, std::clamp(t, 0.0, 1.0));
    const double joint = Wrap(y, 64);
    if (joint >= 62.5 || joint < 0.5) c = c * 0.55;  // plank joints
    return c;
  });
}

// The see-saw's plank maps the whole texture onto its long, narrow top, ten
// times squeezed across the grain: the rings are smeared across so that
// they read as long streaks instead of a sandy speckle.
Canvas Wood(int size) {
  return Softened(WoodGrain(size), 0, 5, 0.9);
}

Canvas Marble(int size) {
  TileNoise n(21, 8), fine(22, FineCells);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    const double u = x / 32.0, v = y / 32.0;
    const double turb = n.Fractal(u, v, 5, 0.55) + FineGrain(fine, grid, x, y, 0.01);
    const double vein = std::abs(std::sin((x + y) * 2.0 * Pi / 128.0 + turb * 9.0));
    const double t = std::pow(vein, 0.35);
    return Mix(Rgb{0.30, 0.32, 0.40}, Rgb{0.93, 0.92, 0.96}, t);
  });
}

Canvas MetalPlates(int size) {
  // Plates 128 texels square with bevelled seams and rivets that fade in
  // over a few texels, and a faint brushing: the panels swing and tumble
  // fast, and hard detail would flicker as it sweeps over the pixels.
  TileNoise brush(31, 16), fine(32, FineCells);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    const double cx = Wrap(x, 128), cy = Wrap(y, 128);
    const double brushed = brush.At(x / 16.0, y / 4.0) * 0.1 + FineGrain(fine, grid, x, y, 0.06);
    Rgb c = Rgb{0.57, 0.6, 0.64} + Rgb{brushed, brushed, brushed};
    const int tone = (CellOf(x, 128) + CellOf(y, 128)) % 2;
    if (tone) c = c * 0.9;
    // Bevelled seams: light on the top-left edge, dark on the bottom-right.
    const double lit = 1.0 - SmoothStep(1.0, 5.0, std::min(cx, cy) + 0.5);
    const double shadow = 1.0 - SmoothStep(1.0, 5.0, 127.5 - std::max(cx, cy));
    c = c * (1.0 + 0.25 * lit - 0.45 * shadow);
    // Rivets 10 px in from each corner, lit from the top left.
    for (int ry : {10, 117})
      for (int rx : {10, 117}) {
        const double d = std::hypot(cx - rx, cy - ry);
        const Rgb rivet = Mix(Rgb{0.85, 0.87, 0.9}, Rgb{0.35, 0.35, 0.38},
                              std::clamp((cx - rx + cy - ry + 5.0) / 10.0, 0.0, 1.0));
        c = Mix(rivet, c, SmoothStep(3.5, 6.0, d));
      }
    return c;
  });
}

Canvas Bricks(int size) {
  // Mortar joints 4 texels wide at full strength that fade into the brick
  // over 3 more on each side: seen from afar a joint stays a soft line
  // instead of breaking into dashes.
  TileNoise n(41, 32), fine(43, FineCells);
  Random random(42);
  double tint[8][4];
  for (auto& row : tint)
    for (double& t : row) t = random.Range(-0.1, 0.1);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    const int row = CellOf(y, 32);
    const double shifted = x + (row % 2) * 32;
    const int col = CellOf(shifted, 64) % 4;
    const double jx = std::min(Wrap(shifted, 64) + 0.5, 64 - (Wrap(shifted, 64) + 0.5));
    const double jy = std::min(Wrap(y, 32) + 0.5, 32 - (Wrap(y, 32) + 0.5));
    const double brick = SmoothStep(2.0, 5.0, std::min(jx, jy));
    const double speck =
        n.Fractal(x / 8.0, y / 8.0, 3, 0.5) * 0.12 + FineGrain(fine, grid, x, y, 0.1);
    const double t = tint[row][col];
    const Rgb mortar{0.5 + speck, 0.48 + speck, 0.44 + speck};
    const Rgb face{0.6 + t + speck, 0.25 + t * 0.5 + speck * 0.5, 0.16 + speck * 0.4};
    return Mix(mortar, face, brick);
  });
}

// ---- the circuit board: traces, pads and chips as shapes ------------------

// A shape in the description's units, composited over the canvas in order.
struct Shape {
  double x0, y0, x1, y1;  // a segment (a disc when both ends meet) or a box's corners
  double radius;          // the segment's half width; < 0 for a box
  Rgb colour;
};

double ShapeDistance(const Shape& s, double x, double y) {
  if (s.radius < 0) {  // box
    const double cx = (s.x0 + s.x1) / 2, cy = (s.y0 + s.y1) / 2;
    const double dx = std::abs(x - cx) - (s.x1 - s.x0) / 2;
    const double dy = std::abs(y - cy) - (s.y1 - s.y0) / 2;
    return std::hypot(std::max(dx, 0.0), std::max(dy, 0.0)) + std::min(std::max(dx, dy), 0.0);
  }
  const double ex = s.x1 - s.x0, ey = s.y1 - s.y0, len2 = ex * ex + ey * ey;
  const double t = len2 > 0 ? std::clamp(((x - s.x0) * ex + (y - s.y0) * ey) / len2, 0.0, 1.0) : 0;
  return std::hypot(x - s.x0 - t * ex, y - s.y0 - t * ey) - s.radius;
}

// Draws each shape over the texels near it, wrapping around the edges.
void DrawShapes(Canvas& c, const std::vector<Shape>& shapes) {
  const Grid grid(c.width);
  for (const Shape& s : shapes) {
    const double reach = std::max(s.radius, 0.0) + 1.0;
    const int i0 = static_cast<int>(std::floor((std::min(s.x0, s.x1) - reach + 0.5) / grid.step));
    const int i1 = static_cast<int>(std::ceil((std::max(s.x0, s.x1) + reach + 0.5) / grid.step));
    const int j0 = static_cast<int>(std::floor((std::min(s.y0, s.y1) - reach + 0.5) / grid.step));
    const int j1 = static_cast<int>(std::ceil((std::max(s.y0, s.y1) + reach + 0.5) / grid.step));
    for (int j = j0; j <= j1; ++j)
      for (int i = i0; i <= i1; ++i) {
        const double cover = Coverage(ShapeDistance(s, grid.At(i), grid.At(j)), grid);
        if (cover <= 0) continue;
        std::uint32_t& texel =
            c.At(static_cast<int>(Mod(i, c.width)), static_cast<int>(Mod(j, c.height)));
        texel = PackRgb(Mix(UnpackRgb(texel), s.colour, cover));
      }
  }
}

// Traces on an 8-texel grid, straight runs with one 90-degree turn and a
// pad at each end, and a few chips with pins; the copper is 3 texels wide
// so that it stays whole where the board runs off into the distance.
std::vector<Shape> CircuitShapes() {
  Random random(51);
  const Rgb copper{0.85, 0.65, 0.25}, pad{0.95, 0.9, 0.6};
  std::vector<Shape> shapes;
  for (int i = 0; i < 48; ++i) {
    double x = random.Below(32) * 8, y = random.Below(32) * 8;
    const int length1 = 3 + random.Below(10), length2 = 2 + random.Below(8);
    const bool horizontalFirst = random.Below(2) == 0;
    const int sx = random.Below(2) ? 1 : -1, sy = random.Below(2) ? 1 : -1;
    shapes.push_back({x, y, x, y, 3.2, pad});
    for (int leg = 0; leg < 2; ++leg) {
      const bool horizontal = (leg == 0) == horizontalFirst;
      const int steps = (leg == 0 ? length1 : length2) * 8;
      const double nx = horizontal ? x + sx * steps : x, ny = horizontal ? y : y + sy * steps;
      shapes.push_back({x, y, nx, ny, 1.6, copper});
      x = nx;
      y = ny;
    }
    shapes.push_back({x, y, x, y, 3.2, pad});
  }
  for (int i = 0; i < 4; ++i) {
    const double x0 = random.Below(24) * 8, y0 = random.Below(24) * 8;
    for (int k = 0; k < 6; ++k) {
      const double px = x0 + 8 * (k + 1) + 1.5;
      shapes.push_back({px, y0 - 0.5, px + 3, y0 + 3.5, -1, Rgb{0.8, 0.8, 0.82}});
      shapes.push_back({px, y0 + 35.5, px + 3, y0 + 39.5, -1, Rgb{0.8, 0.8, 0.82}});
    }
    shapes.push_back({x0 - 0.5, y0 + 3.5, x0 + 55.5, y0 + 35.5, -1, Rgb{0.12, 0.12, 0.14}});
    shapes.push_back(
        {x0 + 6.5, y0 + 10.5, x0 + 6.5, y0 + 10.5, 2.0, Rgb{0.2, 0.2, 0.23}});  // pin 1
  }
  return shapes;
}

Canvas Circuit(int size) {
  TileNoise weave(52, FineCells);
  const Grid grid(size);
  Canvas c = Paint(size, [&](double x, double y) {
    const double ripple = 0.03 * std::sin(x * 2 * Pi / 32.0) * std::sin(y * 2 * Pi / 32.0);
    const double fibre = FineGrain(weave, grid, x, y, 0.05);
    return Rgb{0.03, 0.22 + ripple + fibre, 0.10 + fibre * 0.5};
  });
  static const std::vector<Shape> shapes = CircuitShapes();
  DrawShapes(c, shapes);
  return c;
}

// A night sky: nebula and count stars of peak brightness between lowest
// and highest. A sky dome shows a classic texel at about one pixel, so each
// star is a point one classic texel across, crisp as on the title cards,
// with a faint cross on its four neighbours that keeps it from vanishing
// between pixels as the sky turns; a larger size draws the same point,
// round, over the finer texels it covers.
Canvas Sky(int size, int count, double lowest, double highest) {
  TileNoise nebula(61, 8);
  Canvas c = Paint(size, [&](double x, double y) {
    const double n = nebula.Fractal(x / 32.0, y / 32.0, 5, 0.6);
    const double glow = std::pow(n, 2.5);
    return Rgb{0.04 + glow * 0.35, 0.05 + glow * 0.12, 0.14 + glow * 0.55};
  });
  const Grid grid(size);
  // The star's light at distance d: a crisp disc half a classic texel in
  // radius, 0.3 on the neighbours' points, none beyond.
  auto profile = [](double d) {
    return d <= 0.5 ? 1.0 : d <= 0.6 ? 1.0 - 7.0 * (d - 0.5) : std::max(0.0, 0.3 - (d - 1.0) * 1.5);
  };
  Random random(62);
  for (int i = 0; i < count; ++i) {
    const int sx = random.Below(S), sy = random.Below(S);
    const double b = random.Range(lowest, highest);
    const int i0 = static_cast<int>(std::floor((sx - 1.2 + 0.5) / grid.step));
    const int i1 = static_cast<int>(std::ceil((sx + 1.2 + 0.5) / grid.step));
    const int j0 = static_cast<int>(std::floor((sy - 1.2 + 0.5) / grid.step));
    const int j1 = static_cast<int>(std::ceil((sy + 1.2 + 0.5) / grid.step));
    for (int j = j0; j <= j1; ++j)
      for (int k = i0; k <= i1; ++k) {
        const double p = profile(std::hypot(grid.At(k) - sx, grid.At(j) - sy));
        if (p <= 0) continue;
        std::uint32_t& texel = c.At(static_cast<int>(Mod(k, size)), static_cast<int>(Mod(j, size)));
        const Rgb under = UnpackRgb(texel);
        const Rgb star{b * p, b * p, std::min(1.0, b * p + 0.08)};
        texel = PackRgb(
            Rgb{std::max(under.r, star.r), std::max(under.g, star.g), std::max(under.b, star.b)});
      }
  }
  return c;
}

Canvas Stars(int size) {
  return Sky(size, 80, 0.62, 0.95);
}

// The sky of the blue flight, which turns and rolls fast: fewer stars, so
// that the sky streaming past does not sparkle.
Canvas Night(int size) {
  return Sky(size, 70, 0.35, 0.6);
}

Canvas Plasma(int size) {
  return Paint(size, [](double x, double y) {
    const double u = x * 2 * Pi / S, v = y * 2 * Pi / S;
    const double p = std::sin(u * 2) + std::sin(v * 3 + u) + std::sin(2 * (u + v)) +
                     std::sin(std::sin(v * 2) * 2 + u * 3);
    const double t = p * 0.25;
    return Rgb{0.5 + 0.5 * std::sin(Pi * t), 0.5 + 0.5 * std::sin(Pi * t + 2.1),
               0.5 + 0.5 * std::sin(Pi * t + 4.2)} *
               0.85 +
           Rgb{0.08, 0.08, 0.08};
  });
}

Canvas Checker(int size) {
  // Squares whose edges blend over 6 texels (of the classic size) and whose
  // two colours are a step closer: the floor runs far back at a grazing angle, where hard
  // edges of full contrast would crawl.
  TileNoise n(71, 16), fine(72, FineCells);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    const double ex = std::sin((x + 0.5) * Pi / 32.0), ey = std::sin((y + 0.5) * Pi / 32.0);
    // +1 on light squares, -1 on dark ones, soft across the edges.
    const double side = std::clamp(ex * ey * EdgeGain(grid, 4.0), -1.0, 1.0);
    const double dirt =
        (n.Fractal(x / 16.0, y / 16.0, 3, 0.5) - 0.5) * 0.08 + FineGrain(fine, grid, x, y, 0.04);
    const Rgb c = Mix(Rgb{0.26, 0.28, 0.52}, Rgb{0.86, 0.84, 0.77}, 0.5 + 0.5 * side);
    return c + Rgb{dirt, dirt, dirt};
  });
}

Canvas Clouds(int size) {
  TileNoise n(81, 8);
  return Paint(size, [&](double x, double y) {
    const double t = n.Fractal(x / 32.0, y / 32.0, 6, 0.55);
    return Mix(Rgb{0.45, 0.1, 0.55}, Rgb{1.0, 0.7, 0.3}, std::clamp((t - 0.25) * 2.0, 0.0, 1.0));
  });
}

Canvas BlueGrid(int size) {
  // Two grid squares a side, so that on the hills (half a texture per
  // cell) the lines follow the cell edges. Lines have a soft cosine profile
  // a fifth of a square wide, and their brightness stays moderate: seen far
  // away they blend into the haze rather than alias into dots.
  TileNoise n(91, 4);
  return Paint(size, [&](double x, double y) {
    const double haze = n.Fractal(x / 64.0, y / 64.0, 3, 0.5);
    const Rgb base{0.05, 0.16 + haze * 0.12, 0.42 + haze * 0.2};
    auto line = [](double t) {
      const double m = Mod(t, 128);
      const double d = std::min(m, 128 - m) / 20.0;  // 0 on the line
      return d < 1.0 ? 0.5 + 0.5 * std::cos(d * Pi) : 0.0;
    };
    const double glow = std::max(line(x), line(y));
    return Mix(base, Rgb{0.3, 0.55, 0.85}, glow * 0.4);
  });
}

Canvas Ice(int size) {
  TileNoise n(101, 8);
  return Paint(size, [&](double x, double y) {
    const double a = n.Fractal(x / 32.0, y / 32.0, 5, 0.5);
    const double b = n.Fractal(x / 32.0 + 3, y / 32.0 + 5, 5, 0.5);
    // Broad caustic bands: thin bright lines would sparkle at a distance.
    const double caustic = std::pow(std::max(0.0, 1.0 - std::abs(a - b) * 3.0), 2.5);
    const double t = std::clamp(caustic, 0.0, 1.0);
    return Mix(Rgb{0.1, 0.3, 0.7}, Rgb{0.8, 0.95, 1.0}, t);
  });
}

Canvas Lava(int size) {
  TileNoise n(111, 8), fine(112, FineCells);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    const double t = n.Fractal(x / 32.0, y / 32.0, 6, 0.6);
    // Cracks wide enough to stay whole at a distance.
    const double crack = std::pow(1.0 - std::abs(t - 0.5) * 2.0, 4.0);
    const double grit = FineGrain(fine, grid, x, y, 0.08);
    const Rgb rock{0.18 + grit, 0.07 + grit * 0.5, 0.06 + grit * 0.4};
    return Mix(rock, Rgb{1.0, 0.55, 0.1}, std::clamp(crack * 1.4, 0.0, 1.0));
  });
}

Canvas Chrome(int size) {
  const Grid grid(size);
  // The sharp texture's edges are narrower by the square root of the
  // texels across a classic texel, as EdgeGain makes them (half as wide at
  // 1024), so that a pillar seen close at a large size does not show the
  // classic texture's smear; the classic edges are the ones below exactly.
  const double narrow = std::sqrt(grid.step);
  auto edge = [narrow](double lo, double hi, double v) {
    if (narrow == 1.0) return SmoothStep(lo, hi, v);
    const double middle = (lo + hi) / 2, half = (hi - lo) / 2 * narrow;
    return SmoothStep(middle - half, middle + half, v);
  };
  return Paint(size, [&](double x, double y) {
    // Horizon bands as on a polished surface: sky, bright line, dark ground,
    // bent by one period of a wave across the texture (so a side joins the
    // next). The bright line and the step to the ground blend over a dozen
    // texels and more, so that the wave does not step from texel row to
    // texel row where a pillar stands close. The wave is shallow: a
    // narrow pillar stretches a side's texture many times in height, and a
    // deeper one stepped down it in zigzags.
    const double v = Frac((y + 5.0 * std::sin(x * 2 * Pi / S)) / 128.0);
    const Rgb sky = Mix(Rgb{0.35, 0.5, 0.85}, Rgb{0.92, 0.95, 1.0}, SmoothStep(0.0, 0.45, v));
    const Rgb ground = Mix(Rgb{0.25, 0.18, 0.12}, Rgb{0.7, 0.55, 0.4}, SmoothStep(0.5, 1.0, v));
    const double line = 1.0 - SmoothStep(0.0, 0.1 * narrow, std::abs(v - 0.475));
    Rgb c = Mix(sky, ground, edge(0.42, 0.62, v));
    c = Mix(c, Rgb{1.0, 1.0, 1.0}, line * 0.85);
    // The wrap from the ground back to the sky, also blended.
    return Mix(c, Rgb{0.35, 0.5, 0.85}, edge(0.9, 1.0, v));
  });
}

Canvas Hazard(int size) {
  // Diagonal stripes in a worn ochre on dark grey, with edges that blend
  // over a dozen texels (of the classic size), so that the floor far off at a grazing angle does
  // not break into crawling teeth, and muted enough that the crates on it
  // stay what the eye follows.
  TileNoise wear(171, 16), fine(172, FineCells);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    const double stripe =
        std::clamp(std::sin((x + y + 0.5) * Pi / 32.0) * EdgeGain(grid, 1.8), -1.0, 1.0);
    const double w =
        (wear.Fractal(x / 16.0, y / 16.0, 3, 0.5) - 0.5) * 0.1 + FineGrain(fine, grid, x, y, 0.06);
    const Rgb c = Mix(Rgb{0.23, 0.215, 0.19}, Rgb{0.66, 0.53, 0.2}, 0.5 + 0.5 * stripe);
    return c + Rgb{w, w, w * 0.7};
  });
}

// The hazard stripes with a soft pool of shadow in the middle of the tile,
// for the floor cells on which crates stand: the stripes are untouched at
// the tile's edges, so the cell joins its plain neighbours without a seam.
Canvas HazardPool(int size) {
  const Canvas stripes = Hazard(size);
  const Grid grid(size);
  Canvas c(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double d = std::hypot(grid.At(x) + 0.5 - S / 2.0, grid.At(y) + 0.5 - S / 2.0);
      const double shade = 0.38 + 0.62 * SmoothStep(S * 0.26, S * 0.5, d);
      c.At(x, y) = PackRgb(UnpackRgb(stripes.At(x, y)) * shade);
    }
  return c;
}

Canvas Crate(int size) {
  // Drawn for crates a few dozen pixels across, where a texel is a fifth
  // of a pixel or less: broad grain, streaks at least 8 texels tall, four
  // boards with soft gaps and grooves about a pixel wide (thinner ones, and
  // finer grain, fell between the sampled texels as rows of dots), big
  // nail heads.
  TileNoise grain(121, 8), fine(122, FineCells);  // 8 cells across, 32 down: tiles
  const Grid grid(size);
  Canvas c = Paint(size, [&](double x, double y) {
    const double g = grain.Fractal(x / 32.0, y / 8.0, 1, 0.5) + FineGrain(fine, grid, x, y, 0.2);
    Rgb board = Mix(Rgb{0.74, 0.57, 0.34}, Rgb{0.54, 0.37, 0.19}, g);
    const double gap = std::min(Wrap(y, 64) + 0.5, 64 - (Wrap(y, 64) + 0.5));
    board = board * (0.6 + 0.4 * SmoothStep(0.5, 6.0, gap));
    // Frame 24 px wide and one diagonal brace, each with a dark groove.
    const bool frame = x < 23.5 || x >= 231.5 || y < 23.5 || y >= 231.5;
    const bool brace = std::abs(x - y) < 16.5;
    if (!frame && !brace) return board;
    Rgb f = Mix(Rgb{0.62, 0.44, 0.22}, Rgb{0.44, 0.29, 0.13}, g);
    const double groove = frame ? std::min({std::abs(x - 23.5), std::abs(x - 231.5),
                                            std::abs(y - 23.5), std::abs(y - 231.5)})
                                : std::abs(std::abs(x - y) - 16.0);
    f = f * (0.5 + 0.5 * SmoothStep(0.5, 5.0, groove));
    for (int ny : {12, 243})
      for (int nx : {12, 243})
        f = Mix(Rgb{0.62, 0.62, 0.66}, f, SmoothStep(3.0, 5.0, std::hypot(x - nx, y - ny)));
    return f;
  });
  return c;
}

Canvas Ball(int size) {
  // Beach-ball segments: six coloured bands along u, a white cap band at
  // each end of v.
  const Rgb colours[6] = {{0.95, 0.15, 0.1}, {1.0, 1.0, 1.0},  {0.1, 0.4, 0.95},
                          {1.0, 0.85, 0.1},  {0.1, 0.75, 0.3}, {1.0, 1.0, 1.0}};
  return Paint(size, [&](double x, double y) {
    if (y < 19.5 || y >= 235.5) return Rgb{0.95, 0.95, 0.92};
    // The bands change where the classic texels do: they run along v, so
    // their edges are straight and crisp at every size.
    Rgb c = colours[std::clamp(CellOf(x, 1) * 6 / S, 0, 5)];
    const double shade = 0.85 + 0.15 * std::sin(y * Pi / S);
    return c * shade;
  });
}

Canvas Gold(int size) {
  TileNoise n(131, 16), fine(132, FineCells);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    const double t = n.Fractal(x / 16.0, y / 16.0, 4, 0.5);
    // Broad bands: the gold spins fast, and bands narrower than its motion
    // from one frame to the next would flicker.
    const double band =
        0.5 + 0.5 * std::sin((y + t * 40.0) * 2 * Pi / 128.0) + FineGrain(fine, grid, x, y, 0.1);
    return Mix(Rgb{0.62, 0.42, 0.08}, Rgb{1.0, 0.86, 0.42}, band);
  });
}

// The shine map of smooth gold (ShineMapping): the light grows across x
// from the side turned away from the light to a pale highlight on the side
// facing it; y carries faint broad bands. Nothing but the light varies
// along x, so the light alone grades the surface.
Canvas GoldLit(int size) {
  return Paint(size, [](double x, double y) {
    const double w = ShineLight((x + 0.5) / S);
    const double band = 0.5 + 0.5 * std::sin(y * 2 * Pi / 128.0);
    const Rgb gold = Mix(Rgb{0.66, 0.45, 0.1}, Rgb{0.95, 0.78, 0.32}, band * 0.35);
    return Mix(gold * (0.28 + 0.8 * w * w), Rgb{1.0, 0.96, 0.8}, 0.8 * std::pow(w, 24.0));
  });
}

Canvas Tiles(int size) {
  // Large dark tiles, slate and oxblood, whose grout fades in over a few
  // texels: the road stays calm far ahead, and dark enough that the
  // caption added over it near the camera reads in every frame.
  TileNoise n(141, 8), fine(142, FineCells);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    const double cx = Wrap(x, 64), cy = Wrap(y, 64);
    const double edge = std::min({cx, 63 - cx, cy, 63 - cy}) / 4.0;
    const double grout = edge < 1.0 ? 0.5 + 0.5 * std::cos(edge * Pi) : 0.0;
    const double t = n.Fractal(x / 32.0, y / 32.0, 3, 0.5) + FineGrain(fine, grid, x, y, 0.5);
    const bool red = (CellOf(x, 64) + CellOf(y, 64)) % 2 == 0;
    const Rgb tile = red ? Mix(Rgb{0.22, 0.05, 0.05}, Rgb{0.3, 0.08, 0.07}, t)
                         : Mix(Rgb{0.13, 0.13, 0.16}, Rgb{0.19, 0.18, 0.22}, t);
    return Mix(tile, Rgb{0.06, 0.05, 0.07}, grout * 0.8);
  });
}

// The circuit board floor: the circuit as crisp as the size allows, its
// contrasts lowered, for a floor that mostly lies far from the camera.
Canvas Board(int size) {
  return Softened(Circuit(size), 0, 0, 0.45);
}

// Ice for the gates, spires, orbs and the title of the blue flight: broad
// pale caustics over deep blue and wide, faint frost cracks, softened over
// a few texels, so that the gates turning past and the distant letters do
// not sparkle.
Canvas FrostSurface(int size) {
  TileNoise n(101, 8), cracks(102, 8), fine(103, FineCells);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    const double a = n.Fractal(x / 32.0, y / 32.0, 4, 0.5);
    const double b = n.Fractal(x / 32.0 + 3, y / 32.0 + 5, 4, 0.5);
    const double caustic = std::pow(std::max(0.0, 1.0 - std::abs(a - b) * 2.0), 2.0);
    const double ridge = std::abs(cracks.Fractal(x / 32.0, y / 32.0, 3, 0.5) - 0.5);
    const double crack = 1.0 - SmoothStep(0.01, 0.05, ridge);
    const double depth = n.Fractal(x / 64.0 + 7, y / 64.0, 2, 0.5);
    Rgb c = Mix(Rgb{0.14, 0.32, 0.64}, Rgb{0.3, 0.55, 0.85}, depth);
    c = Mix(c, Rgb{0.72, 0.88, 1.0}, 0.55 * caustic + FineGrain(fine, grid, x, y, 0.08));
    return Mix(c, Rgb{0.85, 0.95, 1.0}, 0.3 * crack);
  });
}

Canvas Frost(int size) {
  return Softened(FrostSurface(size), 2, 2, 0.9);
}

// Lava for tall pillars that map the whole texture onto each narrow side:
// squeezed twenty-fold across, so the cracks are smeared across and only
// their run up the pillar is kept.
Canvas Magma(int size) {
  return Softened(Lava(size), 20, 1, 0.9);
}

// The far hills of the blue flight: the grid's haze without its lines.
Canvas BlueFar(int size) {
  return Softened(BlueGrid(size), 12, 12, 0.5);
}

Canvas Flesh(int size) {
  TileNoise n(151, 8);
  return Paint(size, [&](double x, double y) {
    const double t = n.Fractal(x / 32.0, y / 32.0, 5, 0.55);
    const double vein = std::pow(1.0 - std::abs(t - 0.5) * 2.0, 12.0);
    return Mix(Rgb{0.35, 0.06, 0.1}, Rgb{0.95, 0.35, 0.45},
               std::clamp(vein + (t - 0.5) * 0.4, 0.0, 1.0));
  });
}

Canvas Obsidian(int size) {
  TileNoise n(161, 16), fine(162, FineCells);
  const Grid grid(size);
  return Paint(size, [&](double x, double y) {
    // Three octaves and glowing cracks a few texels wide: the ground runs
    // far off at a grazing angle, where hairline cracks would sparkle.
    const double t = n.Fractal(x / 16.0, y / 16.0, 3, 0.5);
    const double crack = std::pow(1.0 - std::abs(t - 0.5) * 2.0, 8.0);
    const double glint = FineGrain(fine, grid, x, y, 0.1);
    return Mix(Rgb{0.1 + glint, 0.05 + glint, 0.12 + glint} + Rgb{t * 0.08, t * 0.04, t * 0.1},
               Rgb{0.9, 0.24, 0.05}, crack * 0.8);
  });
}

// Separable wrap-around box sums of whole bytes for the larger sizes,
// whose radii a two-dimensional window would make slow; 256 keeps the
// classic order of additions, so its bytes stay as they were.
Canvas SoftenedFast(const Canvas& in, int rx, int ry, double contrast) {
  const int w = in.width, h = in.height;
  std::vector<std::array<long, 3>> across(in.pixels.size());
  std::array<double, 3> total{};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::array<long, 3> sum{};
      for (int dx = -rx; dx <= rx; ++dx) {
        const std::uint32_t p = in.At(((x + dx) % w + w) % w, y);
        for (int k = 0; k < 3; ++k) sum[k] += (p >> (16 - 8 * k)) & 255;
      }
      across[static_cast<std::size_t>(y) * w + x] = sum;
      const std::uint32_t p = in.At(x, y);
      for (int k = 0; k < 3; ++k) total[k] += (p >> (16 - 8 * k)) & 255;
    }
  const double count = static_cast<double>(w) * h, n = (2.0 * rx + 1) * (2.0 * ry + 1);
  const Rgb mean{total[0] / count / 255, total[1] / count / 255, total[2] / count / 255};
  Canvas out(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::array<long, 3> sum{};
      for (int dy = -ry; dy <= ry; ++dy) {
        const auto& row = across[static_cast<std::size_t>(((y + dy) % h + h) % h) * w + x];
        for (int k = 0; k < 3; ++k) sum[k] += row[k];
      }
      const Rgb blurred{sum[0] / n / 255, sum[1] / n / 255, sum[2] / n / 255};
      out.At(x, y) = PackRgb(Mix(mean, blurred, contrast));
    }
  return out;
}

Canvas Softened(const Canvas& in, int rx, int ry, double contrast) {
  if (in.width != S) {
    const int scale = in.width / S;
    return SoftenedFast(in, rx * scale, ry * scale, contrast);
  }
  Canvas out(in.width, in.height);
  Rgb mean{0, 0, 0};
  for (std::uint32_t p : in.pixels) mean = mean + UnpackRgb(p) * (1.0 / in.pixels.size());
  const double n = (2 * rx + 1) * (2 * ry + 1);
  for (int y = 0; y < in.height; ++y)
    for (int x = 0; x < in.width; ++x) {
      Rgb sum{0, 0, 0};
      for (int dy = -ry; dy <= ry; ++dy)
        for (int dx = -rx; dx <= rx; ++dx)
          sum = sum +
                UnpackRgb(in.At((x + dx + in.width) % in.width, (y + dy + in.height) % in.height));
      out.At(x, y) = PackRgb(Mix(mean, sum * (1.0 / n), contrast));
    }
  return out;
}

// The textures lit materials use.
constexpr const char* ShadedTextures[] = {"WOOD",   "MARBLE", "METAL",  "BRICKS",   "CIRCUIT",
                                          "PLASMA", "LAVA",   "CHROME", "HAZARD",   "CRATE",
                                          "BALL",   "GOLD",   "FLESH",  "OBSIDIAN", "BLUGRID",
                                          "BLUFAR", "FROST",  "MAGMA",  "TILES"};

// The plain texture at one size, made once however many shades are taken
// from it.
const Canvas& PlainTexture(const std::string& name, int size,
                           const std::function<Canvas(int)>& draw) {
  static std::map<std::pair<std::string, int>, Canvas> made;
  auto it = made.find({name, size});
  if (it == made.end()) it = made.emplace(std::pair{name, size}, draw(size)).first;
  return it->second;
}

// The sharp size of each texture the high-resolution show brings close:
// 1024 for what fills the frame (floors, road, pillars, the gold, the
// skies), 512 for what is seen at moderate size (the riders' stripes among
// them); the rest stays classic, which keeps the sharp archive small enough
// for the page (evil's LAVA, FLESH and OBSIDIAN, in eight shades each, would
// take the page past its 12 MB).
constexpr std::pair<const char*, int> SharpSizes[] = {
    {"BOARD", 1024},  {"CHECKER", 1024}, {"HAZARD", 1024}, {"HAZPOOL", 1024}, {"TILES", 1024},
    {"GOLD", 1024},   {"CHROME", 1024},  {"STARS", 1024},  {"NIGHT", 1024},   {"BLUGRID", 512},
    {"MAGMA", 512},   {"FROST", 512},    {"BRICKS", 512},  {"METAL", 512},    {"CRATE", 512},
    {"GOLDLIT", 512}, {"CLOUDS", 1024},  {"BALL", 512},
};

int SharpSizeOf(const std::string& base) {
  for (const auto& [name, size] : SharpSizes)
    if (base == name) return size;
  return 0;
}

// The texture names the scenes' materials use ("METAL3" of METAL3.GIF).
const std::set<std::string>& UsedTextures() {
  static const std::set<std::string> used = [] {
    std::set<std::string> names;
    for (const SceneInfo& scene : AllScenes())
      for (const Material3ds& material : scene.build().materials)
        names.insert(material.texture.substr(0, material.texture.find('.')));
    return names;
  }();
  return used;
}

Canvas Shaded(const Canvas& plain, int shade) {
  const double f = ShadeFactor(shade);
  constexpr double Floor = 26 / 255.0;
  Canvas c(plain.width, plain.height);
  for (std::size_t i = 0; i < plain.pixels.size(); ++i) {
    const Rgb rgb = UnpackRgb(plain.pixels[i]) * f;
    const double largest = std::max({rgb.r, rgb.g, rgb.b});
    c.pixels[i] = PackRgb(largest < Floor ? rgb * (Floor / std::max(largest, 1e-6)) : rgb);
  }
  return c;
}

}  // namespace

double ShadeFactor(int shade) {
  // Steps of one ratio from 0.32 to 1.12 (a touch of sheen on the lit side):
  // 1.12 / 0.32 is the ShadeRange that FaceShades grades with.
  return 0.32 * std::pow(ShadeRange, static_cast<double>(shade) / (ShadeCount - 1));
}

std::string ShadeTextureName(const std::string& base, int shade) {
  return base.substr(0, 7) + static_cast<char>('0' + shade);
}

bool HasShades(const std::string& base) {
  return std::find(std::begin(ShadedTextures), std::end(ShadedTextures), base) !=
         std::end(ShadedTextures);
}

const std::vector<TextureInfo>& AllTextures() {
  static const std::vector<TextureInfo> textures = [] {
    std::vector<TextureInfo> all = {
        {"WOOD", Wood},        {"MARBLE", Marble},   {"METAL", MetalPlates},
        {"BRICKS", Bricks},    {"CIRCUIT", Circuit}, {"STARS", Stars},
        {"PLASMA", Plasma},    {"CHECKER", Checker}, {"CLOUDS", Clouds},
        {"BLUGRID", BlueGrid}, {"ICE", Ice},         {"LAVA", Lava},
        {"CHROME", Chrome},    {"HAZARD", Hazard},   {"CRATE", Crate},
        {"BALL", Ball},        {"GOLD", Gold},       {"GOLDLIT", GoldLit, 0, false},
        {"TILES", Tiles},      {"FLESH", Flesh},     {"OBSIDIAN", Obsidian},
        {"BOARD", Board},      {"BLUFAR", BlueFar},  {"NIGHT", Night},
        {"FROST", Frost},      {"MAGMA", Magma},     {"HAZPOOL", HazardPool},
    };
    // A sharp file only for what some scene shows: a lit material's plain
    // texture and most shades are never on screen.
    auto sharp = [](const std::string& name, const std::string& base) {
      return UsedTextures().count(name) ? SharpSizeOf(base) : 0;
    };
    const std::size_t plain = all.size();
    for (std::size_t i = 0; i < plain; ++i) {
      all[i].sharpSize = sharp(all[i].name, all[i].name);
      if (!HasShades(all[i].name)) continue;
      for (int k = 0; k < ShadeCount; ++k) {
        const std::string name = ShadeTextureName(all[i].name, k);
        all.push_back({name,
                       [base = all[i].name, draw = all[i].draw, k](int size) {
                         return Shaded(PlainTexture(base, size, draw), k);
                       },
                       sharp(name, all[i].name)});
      }
    }
    return all;
  }();
  return textures;
}

namespace {
std::vector<std::uint8_t> Encode(const Canvas& canvas, int quality) {
  JpegEncodeOptions options;
  options.quality = quality;
  return EncodeJpegColour(canvas.pixels.data(), static_cast<std::uint32_t>(canvas.width),
                          static_cast<std::uint32_t>(canvas.height), options);
}
}  // namespace

std::vector<std::uint8_t> EncodeTexture(const TextureInfo& texture) {
  return Encode(texture.make(), TextureQuality);
}

std::vector<std::uint8_t> EncodeSharpTexture(const TextureInfo& texture) {
  if (texture.sharpSize <= 0) return {};
  return Encode(texture.draw(texture.sharpSize), SharpTextureQuality);
}

std::string MaterialTextureFile(const std::string& name) {
  return name + ".GIF";
}

}  // namespace vx::content
