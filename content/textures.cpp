// Procedural textures. Every one tiles (noise on a lattice whose period
// divides the texture, stripes and cells that divide 256), so repeated
// mapping shows no seams. No texture has pure black areas: the darkest
// texel stays visibly lit, so covered pixels never read as empty.
#include "textures.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "meshes.h"
#include "writejpeg.h"

namespace vx::content {

namespace {

constexpr int S = TextureSize;
constexpr double Pi = 3.14159265358979323846;

template <typename Shade>
Canvas Paint(Shade shade) {
  Canvas c(S, S);
  for (int y = 0; y < S; ++y)
    for (int x = 0; x < S; ++x) c.At(x, y) = PackRgb(shade(x, y));
  return c;
}

double Frac(double v) {
  return v - std::floor(v);
}

// Wrap-around box blur of radius rx across and ry down, then every texel
// pulled towards the mean colour by 1 - contrast: detail for surfaces seen
// far away and at grazing angles, where the rasterizer (no mipmaps) would
// sample fine lines into flickering dots. A blur along one axis only suits
// a texture that the mapping squeezes along that axis.
Canvas Softened(const Canvas& in, int rx, int ry, double contrast) {
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

// 0 at edge0 and below, 1 at edge1 and above, smooth between.
double SmoothStep(double edge0, double edge1, double v) {
  const double t = std::clamp((v - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

Canvas WoodGrain() {
  TileNoise grain(11, 8), fine(12, 64);
  return Paint([&](int x, int y) {
    // Grain lines run along x inside planks 64 texels high, bent by noise;
    // every term repeats over the texture, so planks join across the wrap.
    const double u = x / 32.0, v = y / 32.0;
    const double bend =
        grain.Fractal(u, v, 3, 0.5) * 2.5 + 0.25 * std::sin(x * 2 * Pi / S * 2 + y / 64);
    const double ring = Frac((y % 64) / 64.0 * 5.0 + bend);
    const double streak = fine.At(x / 4.0, y / 1.0) * 0.15;
    const double t = std::pow(ring, 3.0) * 0.6 + streak;
    const Rgb light{0.78, 0.52, 0.27}, dark{0.42, 0.22, 0.09};
    Rgb c = Mix(light, dark, std::clamp(t, 0.0, 1.0));
    if (y % 64 == 0 || y % 64 == 63) c = c * 0.55;  // plank joints
    return c;
  });
}

// The see-saw's plank maps the whole texture onto its long, narrow top, ten
// times squeezed across the grain: the rings are smeared across so that
// they read as long streaks instead of a sandy speckle.
Canvas Wood() {
  return Softened(WoodGrain(), 0, 5, 0.9);
}

Canvas Marble() {
  TileNoise n(21, 8);
  return Paint([&](int x, int y) {
    const double u = x / 32.0, v = y / 32.0;
    const double turb = n.Fractal(u, v, 5, 0.55);
    const double vein = std::abs(std::sin((x + y) * 2.0 * Pi / 128.0 + turb * 9.0));
    const double t = std::pow(vein, 0.35);
    return Mix(Rgb{0.30, 0.32, 0.40}, Rgb{0.93, 0.92, 0.96}, t);
  });
}

Canvas MetalPlates() {
  // Plates 128 texels square with bevelled seams and rivets that fade in
  // over a few texels, and a faint brushing: the panels swing and tumble
  // fast, and hard detail would flicker as it sweeps over the pixels.
  TileNoise brush(31, 16);
  return Paint([&](int x, int y) {
    const int cx = x % 128, cy = y % 128;
    const double brushed = brush.At(x / 16.0, y / 4.0) * 0.1;
    Rgb c = Rgb{0.57, 0.6, 0.64} + Rgb{brushed, brushed, brushed};
    const int tone = (x / 128 + y / 128) % 2;
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

Canvas Bricks() {
  // Mortar joints 4 texels wide at full strength that fade into the brick
  // over 3 more on each side: seen from afar a joint stays a soft line
  // instead of breaking into dashes.
  TileNoise n(41, 32);
  Random random(42);
  double tint[8][4];
  for (auto& row : tint)
    for (double& t : row) t = random.Range(-0.1, 0.1);
  return Paint([&](int x, int y) {
    const int row = y / 32;
    const int shifted = x + (row % 2) * 32;
    const int col = (shifted / 64) % 4;
    const double jx = std::min(shifted % 64 + 0.5, 64 - (shifted % 64 + 0.5));
    const double jy = std::min(y % 32 + 0.5, 32 - (y % 32 + 0.5));
    const double brick = SmoothStep(2.0, 5.0, std::min(jx, jy));
    const double speck = n.Fractal(x / 8.0, y / 8.0, 3, 0.5) * 0.12;
    const double t = tint[row][col];
    const Rgb mortar{0.5 + speck, 0.48 + speck, 0.44 + speck};
    const Rgb face{0.6 + t + speck, 0.25 + t * 0.5 + speck * 0.5, 0.16 + speck * 0.4};
    return Mix(mortar, face, brick);
  });
}

Canvas Circuit() {
  Canvas c = Paint([](int x, int y) {
    const double ripple = 0.03 * std::sin(x * 2 * Pi / 32.0) * std::sin(y * 2 * Pi / 32.0);
    return Rgb{0.03, 0.22 + ripple, 0.10};
  });
  Random random(51);
  auto dot = [&](int px, int py, int radius, Rgb colour) {
    for (int dy = -radius; dy <= radius; ++dy)
      for (int dx = -radius; dx <= radius; ++dx)
        if (dx * dx + dy * dy <= radius * radius)
          c.At((px + dx + S) % S, (py + dy + S) % S) = PackRgb(colour);
  };
  const Rgb copper{0.85, 0.65, 0.25}, pad{0.95, 0.9, 0.6};
  // Traces run on an 8-pixel grid: straight runs with one 90-degree turn.
  for (int i = 0; i < 48; ++i) {
    int x = random.Below(32) * 8, y = random.Below(32) * 8;
    const int length1 = 3 + random.Below(10), length2 = 2 + random.Below(8);
    const bool horizontalFirst = random.Below(2) == 0;
    const int sx = random.Below(2) ? 1 : -1, sy = random.Below(2) ? 1 : -1;
    dot(x, y, 3, pad);
    for (int leg = 0; leg < 2; ++leg) {
      const bool horizontal = (leg == 0) == horizontalFirst;
      const int steps = (leg == 0 ? length1 : length2) * 8;
      for (int s = 0; s < steps; ++s) {
        if (horizontal)
          x = (x + sx + S) % S;
        else
          y = (y + sy + S) % S;
        dot(x, y, 1, copper);
      }
    }
    dot(x, y, 3, pad);
  }
  // A few chips: dark rectangles with pins.
  for (int i = 0; i < 4; ++i) {
    const int x0 = random.Below(24) * 8, y0 = random.Below(24) * 8;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 56; ++x) {
        const bool pin = (y < 4 || y >= 36) && x % 8 >= 2 && x % 8 < 5 && x >= 4 && x < 52;
        const bool body = y >= 4 && y < 36;
        if (pin) c.At((x0 + x) % S, (y0 + y) % S) = PackRgb(Rgb{0.8, 0.8, 0.82});
        if (body) c.At((x0 + x) % S, (y0 + y) % S) = PackRgb(Rgb{0.12, 0.12, 0.14});
      }
  }
  return c;
}

// A night sky: nebula and count stars of peak brightness between lowest
// and highest. A sky dome shows a texel at about one pixel, so each star is
// one texel, crisp as on the title cards, with a faint cross on its four
// neighbours that keeps it from vanishing between pixels as the sky turns.
Canvas Sky(int count, double lowest, double highest) {
  TileNoise nebula(61, 8);
  Canvas c = Paint([&](int x, int y) {
    const double n = nebula.Fractal(x / 32.0, y / 32.0, 5, 0.6);
    const double glow = std::pow(n, 2.5);
    return Rgb{0.04 + glow * 0.35, 0.05 + glow * 0.12, 0.14 + glow * 0.55};
  });
  Random random(62);
  auto light = [&](int x, int y, double b) {
    std::uint32_t& texel = c.At((x + S) % S, (y + S) % S);
    const Rgb under = UnpackRgb(texel);
    const Rgb star{b, b, std::min(1.0, b + 0.08)};
    texel = PackRgb(
        Rgb{std::max(under.r, star.r), std::max(under.g, star.g), std::max(under.b, star.b)});
  };
  for (int i = 0; i < count; ++i) {
    const int x = random.Below(S), y = random.Below(S);
    const double b = random.Range(lowest, highest);
    light(x, y, b);
    for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
      light(x + dx, y + dy, b * 0.3);
  }
  return c;
}

Canvas Stars() {
  return Sky(80, 0.3, 0.65);
}

// The sky of the blue flight, which turns and rolls fast: few and faint
// stars, so that the sky streaming past does not sparkle.
Canvas Night() {
  return Sky(70, 0.2, 0.5);
}

Canvas Plasma() {
  return Paint([](int x, int y) {
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

Canvas Checker() {
  // Squares whose edges blend over 6 texels and whose two colours are a
  // step closer: the floor runs far back at a grazing angle, where hard
  // edges of full contrast would crawl.
  TileNoise n(71, 16);
  return Paint([&](int x, int y) {
    const double ex = std::sin((x + 0.5) * Pi / 32.0), ey = std::sin((y + 0.5) * Pi / 32.0);
    // +1 on light squares, -1 on dark ones, soft across the edges.
    const double side = std::clamp(ex * ey * 4.0, -1.0, 1.0);
    const double dirt = (n.Fractal(x / 16.0, y / 16.0, 3, 0.5) - 0.5) * 0.08;
    const Rgb c = Mix(Rgb{0.26, 0.28, 0.52}, Rgb{0.86, 0.84, 0.77}, 0.5 + 0.5 * side);
    return c + Rgb{dirt, dirt, dirt};
  });
}

Canvas Clouds() {
  TileNoise n(81, 8);
  return Paint([&](int x, int y) {
    const double t = n.Fractal(x / 32.0, y / 32.0, 6, 0.55);
    return Mix(Rgb{0.45, 0.1, 0.55}, Rgb{1.0, 0.7, 0.3}, std::clamp((t - 0.25) * 2.0, 0.0, 1.0));
  });
}

Canvas BlueGrid() {
  // Two grid squares a side, so that on the hills (half a texture per
  // cell) the lines follow the cell edges. Lines have a soft cosine profile
  // a fifth of a square wide, and their brightness stays moderate: seen far
  // away they blend into the haze rather than alias into dots.
  TileNoise n(91, 4);
  return Paint([&](int x, int y) {
    const double haze = n.Fractal(x / 64.0, y / 64.0, 3, 0.5);
    const Rgb base{0.05, 0.16 + haze * 0.12, 0.42 + haze * 0.2};
    auto line = [](int t) {
      const double d = std::min(t % 128, 128 - t % 128) / 20.0;  // 0 on the line
      return d < 1.0 ? 0.5 + 0.5 * std::cos(d * Pi) : 0.0;
    };
    const double glow = std::max(line(x), line(y));
    return Mix(base, Rgb{0.3, 0.55, 0.85}, glow * 0.4);
  });
}

Canvas Ice() {
  TileNoise n(101, 8);
  return Paint([&](int x, int y) {
    const double a = n.Fractal(x / 32.0, y / 32.0, 5, 0.5);
    const double b = n.Fractal(x / 32.0 + 3, y / 32.0 + 5, 5, 0.5);
    // Broad caustic bands: thin bright lines would sparkle at a distance.
    const double caustic = std::pow(std::max(0.0, 1.0 - std::abs(a - b) * 3.0), 2.5);
    const double t = std::clamp(caustic, 0.0, 1.0);
    return Mix(Rgb{0.1, 0.3, 0.7}, Rgb{0.8, 0.95, 1.0}, t);
  });
}

Canvas Lava() {
  TileNoise n(111, 8);
  return Paint([&](int x, int y) {
    const double t = n.Fractal(x / 32.0, y / 32.0, 6, 0.6);
    // Cracks wide enough to stay whole at a distance.
    const double crack = std::pow(1.0 - std::abs(t - 0.5) * 2.0, 4.0);
    Rgb rock{0.18, 0.07, 0.06};
    return Mix(rock, Rgb{1.0, 0.55, 0.1}, std::clamp(crack * 1.4, 0.0, 1.0));
  });
}

Canvas Chrome() {
  return Paint([](int x, int y) {
    // Horizon bands as on a polished surface: sky, bright line, dark ground.
    // The bright line and the step to the ground blend over a few texels,
    // so that a pillar's bands do not stair-step as it turns.
    const double v = Frac((y + 12.0 * std::sin(x * 2 * Pi / S)) / 128.0);
    const Rgb sky = Mix(Rgb{0.35, 0.5, 0.85}, Rgb{0.92, 0.95, 1.0}, std::min(v, 0.45) / 0.45);
    const Rgb ground =
        Mix(Rgb{0.25, 0.18, 0.12}, Rgb{0.7, 0.55, 0.4}, std::max(v - 0.5, 0.0) / 0.5);
    const double line = 1.0 - SmoothStep(0.0, 0.04, std::abs(v - 0.475));
    Rgb c = Mix(sky, ground, SmoothStep(0.46, 0.52, v));
    c = Mix(c, Rgb{1.0, 1.0, 1.0}, line);
    // The wrap from the ground back to the sky, also blended.
    return Mix(c, Rgb{0.35, 0.5, 0.85}, SmoothStep(0.96, 1.0, v));
  });
}

Canvas Hazard() {
  // Diagonal stripes with edges that blend over a dozen texels, so that the floor
  // far off at a grazing angle does not break into crawling teeth.
  return Paint([](int x, int y) {
    const double stripe = std::clamp(std::sin((x + y + 0.5) * Pi / 32.0) * 1.8, -1.0, 1.0);
    return Mix(Rgb{0.22, 0.2, 0.16}, Rgb{0.92, 0.72, 0.1}, 0.5 + 0.5 * stripe);
  });
}

// The hazard stripes with a soft pool of shadow in the middle of the tile,
// for the floor cells on which crates stand: the stripes are untouched at
// the tile's edges, so the cell joins its plain neighbours without a seam.
Canvas HazardPool() {
  const Canvas stripes = Hazard();
  Canvas c(S, S);
  for (int y = 0; y < S; ++y)
    for (int x = 0; x < S; ++x) {
      const double d = std::hypot(x + 0.5 - S / 2.0, y + 0.5 - S / 2.0);
      const double shade = 0.38 + 0.62 * SmoothStep(S * 0.26, S * 0.5, d);
      c.At(x, y) = PackRgb(UnpackRgb(stripes.At(x, y)) * shade);
    }
  return c;
}

Canvas Crate() {
  // Drawn for crates a few dozen pixels across: broad grain, gaps between
  // the boards and the frame's edges 3 texels wide and soft, big nail
  // heads; finer detail would only sparkle at that size.
  TileNoise grain(121, 16);
  Canvas c = Paint([&](int x, int y) {
    const double g = grain.Fractal(x / 16.0, y / 4.0, 2, 0.5);
    Rgb board = Mix(Rgb{0.74, 0.57, 0.34}, Rgb{0.54, 0.37, 0.19}, g);
    const double gap = std::min(y % 32 + 0.5, 32 - (y % 32 + 0.5));
    board = board * (0.6 + 0.4 * SmoothStep(0.5, 2.5, gap));
    // Frame 24 px wide and one diagonal brace, each with a dark groove.
    const bool frame = x < 24 || x >= 232 || y < 24 || y >= 232;
    const bool brace = std::abs(x - y) < 17;
    if (!frame && !brace) return board;
    Rgb f = Mix(Rgb{0.62, 0.44, 0.22}, Rgb{0.44, 0.29, 0.13}, g);
    const double groove = frame ? std::min({std::abs(x - 23.5), std::abs(x - 231.5),
                                            std::abs(y - 23.5), std::abs(y - 231.5)})
                                : std::abs(std::abs(x - y) - 16.0);
    f = f * (0.5 + 0.5 * SmoothStep(0.5, 2.0, groove));
    for (int ny : {12, 243})
      for (int nx : {12, 243})
        f = Mix(Rgb{0.62, 0.62, 0.66}, f, SmoothStep(3.0, 5.0, std::hypot(x - nx, y - ny)));
    return f;
  });
  return c;
}

Canvas Ball() {
  // Beach-ball segments: six coloured bands along u, a white cap band at
  // each end of v.
  const Rgb colours[6] = {{0.95, 0.15, 0.1}, {1.0, 1.0, 1.0},  {0.1, 0.4, 0.95},
                          {1.0, 0.85, 0.1},  {0.1, 0.75, 0.3}, {1.0, 1.0, 1.0}};
  return Paint([&](int x, int y) {
    if (y < 20 || y >= 236) return Rgb{0.95, 0.95, 0.92};
    Rgb c = colours[(x * 6) / S];
    const double shade = 0.85 + 0.15 * std::sin(y * Pi / S);
    return c * shade;
  });
}

Canvas Gold() {
  TileNoise n(131, 16);
  return Paint([&](int x, int y) {
    const double t = n.Fractal(x / 16.0, y / 16.0, 4, 0.5);
    // Broad bands: the gold spins fast, and bands narrower than its motion
    // from one frame to the next would flicker.
    const double band = 0.5 + 0.5 * std::sin((y + t * 40.0) * 2 * Pi / 128.0);
    return Mix(Rgb{0.62, 0.42, 0.08}, Rgb{1.0, 0.86, 0.42}, band);
  });
}

Canvas Tiles() {
  // Large dark tiles, slate and oxblood, whose grout fades in over a few
  // texels: the road stays calm far ahead, and dark enough that the
  // caption added over it near the camera reads in every frame.
  TileNoise n(141, 8);
  return Paint([&](int x, int y) {
    const int cx = x % 64, cy = y % 64;
    const double edge = std::min({cx, 63 - cx, cy, 63 - cy}) / 4.0;
    const double grout = edge < 1.0 ? 0.5 + 0.5 * std::cos(edge * Pi) : 0.0;
    const double t = n.Fractal(x / 32.0, y / 32.0, 3, 0.5);
    const bool red = ((x / 64) + (y / 64)) % 2 == 0;
    const Rgb tile = red ? Mix(Rgb{0.22, 0.05, 0.05}, Rgb{0.3, 0.08, 0.07}, t)
                         : Mix(Rgb{0.13, 0.13, 0.16}, Rgb{0.19, 0.18, 0.22}, t);
    return Mix(tile, Rgb{0.06, 0.05, 0.07}, grout * 0.8);
  });
}

// The circuit board floor: the circuit softened and with fewer contrasts,
// for a floor that mostly lies far from the camera.
Canvas Board() {
  return Softened(Circuit(), 4, 4, 0.5);
}

// Ice for the title that floats far ahead of the flight: the caustics
// softened, so the distant letters do not sparkle.
Canvas Frost() {
  return Softened(Ice(), 10, 10, 0.45);
}

// Lava for tall pillars that map the whole texture onto each narrow side:
// squeezed twenty-fold across, so the cracks are smeared across and only
// their run up the pillar is kept.
Canvas Magma() {
  return Softened(Lava(), 20, 1, 0.9);
}

// The far hills of the blue flight: the grid's haze without its lines.
Canvas BlueFar() {
  return Softened(BlueGrid(), 12, 12, 0.5);
}

Canvas Flesh() {
  TileNoise n(151, 8);
  return Paint([&](int x, int y) {
    const double t = n.Fractal(x / 32.0, y / 32.0, 5, 0.55);
    const double vein = std::pow(1.0 - std::abs(t - 0.5) * 2.0, 12.0);
    return Mix(Rgb{0.35, 0.06, 0.1}, Rgb{0.95, 0.35, 0.45},
               std::clamp(vein + (t - 0.5) * 0.4, 0.0, 1.0));
  });
}

Canvas Obsidian() {
  TileNoise n(161, 16);
  return Paint([&](int x, int y) {
    // Three octaves and glowing cracks a few texels wide: the ground runs
    // far off at a grazing angle, where hairline cracks would sparkle.
    const double t = n.Fractal(x / 16.0, y / 16.0, 3, 0.5);
    const double crack = std::pow(1.0 - std::abs(t - 0.5) * 2.0, 8.0);
    return Mix(Rgb{0.1, 0.05, 0.12} + Rgb{t * 0.08, t * 0.04, t * 0.1}, Rgb{0.9, 0.24, 0.05},
               crack * 0.8);
  });
}

// The textures lit materials use.
constexpr const char* ShadedTextures[] = {"WOOD",   "MARBLE", "METAL",  "BRICKS",   "CIRCUIT",
                                          "PLASMA", "LAVA",   "CHROME", "HAZARD",   "CRATE",
                                          "BALL",   "GOLD",   "FLESH",  "OBSIDIAN", "BLUGRID",
                                          "BLUFAR", "FROST",  "MAGMA",  "TILES"};

// The plain texture, made once however many shades are taken from it.
const Canvas& PlainTexture(const std::string& name, const std::function<Canvas()>& make) {
  static std::map<std::string, Canvas> made;
  auto it = made.find(name);
  if (it == made.end()) it = made.emplace(name, make()).first;
  return it->second;
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
        {"WOOD", Wood},         {"MARBLE", Marble},
        {"METAL", MetalPlates}, {"BRICKS", Bricks},
        {"CIRCUIT", Circuit},   {"STARS", Stars},
        {"PLASMA", Plasma},     {"CHECKER", Checker},
        {"CLOUDS", Clouds},     {"BLUGRID", BlueGrid},
        {"ICE", Ice},           {"LAVA", Lava},
        {"CHROME", Chrome},     {"HAZARD", Hazard},
        {"CRATE", Crate},       {"BALL", Ball},
        {"GOLD", Gold},         {"TILES", Tiles},
        {"FLESH", Flesh},       {"OBSIDIAN", Obsidian},
        {"BOARD", Board},       {"BLUFAR", BlueFar},
        {"NIGHT", Night},       {"FROST", Frost},
        {"MAGMA", Magma},       {"HAZPOOL", HazardPool},
    };
    const std::size_t plain = all.size();
    for (std::size_t i = 0; i < plain; ++i) {
      if (!HasShades(all[i].name)) continue;
      for (int k = 0; k < ShadeCount; ++k)
        all.push_back(
            {ShadeTextureName(all[i].name, k), [name = all[i].name, make = all[i].make, k] {
               return Shaded(PlainTexture(name, make), k);
             }});
    }
    return all;
  }();
  return textures;
}

std::vector<std::uint8_t> EncodeTexture(const TextureInfo& texture) {
  const Canvas canvas = texture.make();
  JpegEncodeOptions options;
  options.quality = TextureQuality;
  return EncodeJpegColour(canvas.pixels.data(), static_cast<std::uint32_t>(canvas.width),
                          static_cast<std::uint32_t>(canvas.height), options);
}

std::string MaterialTextureFile(const std::string& name) {
  return name + ".GIF";
}

}  // namespace vx::content
