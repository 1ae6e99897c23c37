#pragma once
// Procedural meshes in a node's own coordinates (file space: z up). Every
// builder winds its triangles counter-clockwise seen from outside, so the
// face normal (b - a) x (c - a) points outwards; "inward" variants (sky
// domes, rooms) wind the other way and are seen from inside.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "math/math.h"
#include "write3ds.h"

namespace vx::content {

// Plain float arithmetic for building geometry; the generator needs no
// rounding contract, unlike the engine's own vector operations.
inline Vector Cross(Vector a, Vector b) {
  return Vector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vector Sub(Vector a, Vector b) {
  return Vector{a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector Add(Vector a, Vector b) {
  return Vector{a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector Scale(Vector a, float s) {
  return Vector{a.x * s, a.y * s, a.z * s};
}
inline float Dot(Vector a, Vector b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
// The unit vector along a; (0, 0, 1) for the zero vector.
inline Vector Unit(Vector a) {
  const float l = std::sqrt(Dot(a, a));
  return l > 0 ? Scale(a, 1.0f / l) : Vector{0, 0, 1};
}

struct Mesh {
  std::vector<Vector> vertices;
  std::vector<std::array<float, 2>> mapping;  // one u, v per vertex
  std::vector<Face3ds> faces;
};

// Vertex and face helpers. AddQuad takes corners counter-clockwise seen
// from the side the quad faces, with their u, v.
int AddVertex(Mesh& mesh, Vector p, float u, float v);
void AddTriangle(Mesh& mesh, int a, int b, int c, const std::string& material);
void AddQuad(Mesh& mesh, const std::array<Vector, 4>& corners,
             const std::array<std::array<float, 2>, 4>& uv, const std::string& material);

// Appends src to dst.
void Append(Mesh& dst, const Mesh& src);
// Scales by s, turns by degrees about the z axis (counter-clockwise seen from
// above), then moves by offset.
Mesh Placed(Mesh mesh, Vector scale, float degreesZ, Vector offset);
// Turns the mesh so that its +z axis points along dir (a proper rotation:
// the winding keeps facing outwards).
Mesh Oriented(Mesh mesh, Vector dir);
// Reverses every face (for surfaces seen from inside).
Mesh Inverted(Mesh mesh);

// Axis-aligned box between lo and hi; each side maps the texture tiles x
// tiles times and, with cell > 0, is cut into quads no longer than cell
// (so that baked light can grade across it).
Mesh Box(Vector lo, Vector hi, const std::string& material, float tiles = 1.0f, float cell = 0.0f);
// Sphere of radius r about the origin: segments around z, rings from pole
// to pole; the texture wraps uTiles times around and vTiles times pole to pole.
Mesh Sphere(float r, int segments, int rings, const std::string& material, float uTiles = 1.0f,
            float vTiles = 1.0f);
// Ring about the z axis: major radius R, tube radius r.
Mesh Torus(float R, float r, int segments, int sides, const std::string& material,
           float uTiles = 4.0f, float vTiles = 1.0f);
// Frustum along z from z = 0 (radius r0) to z = h (radius r1); r1 = 0 gives
// a cone. Caps close the ends whose radius is not 0.
Mesh Cylinder(float r0, float r1, float h, int segments, const std::string& material,
              float uTiles = 2.0f);
// Height field over [-sx/2, sx/2] x [-sy/2, sy/2] with nx x ny cells; the
// texture repeats once per cell times tilesPerCell.
template <typename Height>
Mesh Terrain(float sx, float sy, int nx, int ny, Height height, const std::string& material,
             float tilesPerCell = 1.0f);
// Prism of a polygon in the xy plane (counter-clockwise, star-shaped about
// the origin) from z = 0 to z = depth; faces carry the given material,
// sides sideMaterial.
Mesh Extrude(const std::vector<std::array<float, 2>>& outline, float depth,
             const std::string& material, const std::string& sideMaterial);
// Star outline with points spikes between radii inner and outer.
std::vector<std::array<float, 2>> StarOutline(int points, float inner, float outer);
// Tube of radius r through a path of points (at least two), sides around.
Mesh Tube(const std::vector<Vector>& path, float r, int sides, const std::string& material,
          float vTiles = 4.0f);
// Block lettering: text rendered at pixelSize, every covered pixel a cell of
// size cell (run-length merged into boxes) in the xz plane, facing -y,
// centred on x, baseline at z = 0, depth along +y.
Mesh BlockText(const std::string& text, int pixelSize, float cell, float depth,
               const std::string& material);
// Lettering extruded from the glyph outlines of DejaVu Sans Bold (curves
// flattened, holes kept): the em is height tall, in the xz plane facing -y,
// centred on x, baseline at z = 0, depth along +y. Empty when the font
// cannot be read (with a reason on standard error).
Mesh OutlineText(const std::string& text, float height, float depth, const std::string& material);

// Baked light from a point light: a facet's light is
// ambient + (1 - ambient) x w^2 x falloff, with w = (n . l + 1) / 2 for the
// unit vector l from the facet's centre towards the light (the wrapped form
// keeps the far side graded instead of flat ambient) and
// falloff = reach^2 / (reach^2 + distance^2). Shades are steps of one
// brightness ratio (ShadeRange over all steps); the mesh's brightest facet
// takes the brightest shade and the others lie below it by their light's
// ratio, graded more steeply (at most 3 times) where the mesh would span
// fewer than MinimumShadeSpan steps. A facet is the two halves of a quad
// (two faces in one plane whose longest edges are one edge of two
// vertices) or a face alone; faces that touch across an edge at more than
// MinimumCreaseDegrees never share a shade (a facet takes the nearest free
// shade where the light would give both the same). With Facets::Planes, a
// facet is instead every face reached across edges within one plane: a
// side cut into cells takes one shade, lit at its middle. offset moves the
// mesh to where the light is given. Returns one shade 0..shadeCount - 1 per
// face.
struct Light {
  Vector position;
  float ambient = 0.2f;
  float reach = 100.0f;
};
inline constexpr double MinimumCreaseDegrees = 30.0;
inline constexpr double ShadeRange = 3.5;
inline constexpr double MinimumShadeSpan = 5.0;
enum class Facets { Quads, Planes };
std::vector<int> FaceShades(const Mesh& mesh, Vector offset, const Light& light, int shadeCount,
                            Facets facets = Facets::Quads);

// Shine mapping, for curved metal that must read smooth where flat shades
// would step from face to face: u of every vertex becomes ShineU(w), with
// w = (n . l + 1) / 2 for the vertex's smooth normal n (the faces that meet
// at its position, weighted by their area) and the unit vector l towards
// the light; v is kept. A shine texture draws light w at u = ShineU(w)
// across its left half, so the fill interpolates the light across each
// face, and mirrored across its right half: a face seen nearly edge-on,
// whose u the fill carries a few texels past its vertices' range, then
// reads the light beside it on either side of the brightest column and
// across the texture's wrap, never the far end of the ramp (lone dark
// pixels in the highlight, or bright ones in the shade).
// offset moves the mesh to where the light is given.
inline constexpr double ShineMargin = 3.0 / 256;  // the darkest columns' width
inline float ShineU(double w) {
  return static_cast<float>(ShineMargin + std::clamp(w, 0.0, 1.0) * (0.5 - ShineMargin));
}
inline double ShineLight(double u) {
  const double fromEdge = u <= 0.5 ? u : 1.0 - u;
  return std::clamp((fromEdge - ShineMargin) / (0.5 - ShineMargin), 0.0, 1.0);
}
void ShineMapping(Mesh& mesh, Vector offset, const Light& light);

// ---- template definition -------------------------------------------------

template <typename Height>
Mesh Terrain(float sx, float sy, int nx, int ny, Height height, const std::string& material,
             float tilesPerCell) {
  Mesh mesh;
  for (int j = 0; j <= ny; ++j)
    for (int i = 0; i <= nx; ++i) {
      const float x = -sx / 2 + sx * i / nx, y = -sy / 2 + sy * j / ny;
      AddVertex(mesh, Vector{x, y, height(x, y)}, i * tilesPerCell, j * tilesPerCell);
    }
  for (int j = 0; j < ny; ++j)
    for (int i = 0; i < nx; ++i) {
      const int a = j * (nx + 1) + i, b = a + 1, c = a + nx + 2, d = a + nx + 1;
      AddTriangle(mesh, a, b, c, material);
      AddTriangle(mesh, a, c, d, material);
    }
  return mesh;
}

}  // namespace vx::content
