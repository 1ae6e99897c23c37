#pragma once
// Depth-tested, texture-mapped polygon fills into a frame of any drawable
// size (base/pixels.h), one band of its rows per call.
// Input is the screen-space copy of a scene that the engine projects every
// frame (ScreenMesh, below): screen x in 24.8 fixed point, whole rows, 1/z,
// texture u and v in 8.8 fixed point (bits 8..15 select the texel of a
// 256 x 256 texture, so textures repeat every 65536 units). A pixel is drawn only when its 1/z is
// strictly greater than the depth entry; a drawn pixel receives the texel unchanged.
//
// Textures. Frames no larger than the classic one, ClassicFrame above all,
// read the polygon's 256 x 256 texture exactly as the classic show did.
// Larger frames read its TextureLevels when it has them: a square texture of
// 256, 512 or 1024 texels a side over the same period (65536 units of u, v
// span the whole texture at any size) and its box-filtered levels, one level
// per run of a row, chosen from how many level-0 texels a pixel steps over
// (fill_setup.h); a polygon without levels reads its 256 x 256 texture
// at those frames too.
//
// Along a row, pixel k (counted from the row's left end, k = 0 .. n) takes
// z = z0 + k * dz, and likewise uz, vz (perspective) in single precision: one
// multiplication and one addition per value, never repeated addition, so
// that the vector fills give the very same bits. Affine u, v are 32-bit
// integers u0 + k * du (wrapping), the same as stepping by addition. The
// perspective quotients uz / z and vz / z are taken in double.
//
// Number formats and where they hold. Screen x in 24.8 holds columns up to
// +-2^23, far beyond MaxFrameWidth x 256. Its per-row edge step, truncated to
// 1/256 column, drifts by less than dy / 256 columns over an edge of dy rows:
// under a column at the classic 200 rows, but up to 8 at 2160, so frames
// larger than the classic one step edge x with 16 more fraction bits
// (64-bit). Affine u, v keep 8.8 at the vertices; their per-row and
// per-pixel steps, truncated to whole 1/256 texel units, drift by up to
// one unit a pixel, several texels over a span of 2000 pixels, so frames
// larger than the classic one step them with 16 more fraction bits too
// (u, v as 32-bit values whose bits 24..31 select the texel: the texture's
// period is 2^32 of them, so the wrapping stays exact). Frames no larger than
// the classic one, ClassicFrame above all, keep the classic truncated steps
// exactly. Perspective u, v are quotients at every pixel and need neither.
//
// Bands: a frame drawn as bands of rows [0, a), [a, b), ... by separate calls
// (on separate threads if need be) gets exactly the bytes of one call with
// every row. Each edge is walked over the frame's rows the same way whatever
// the band, the gradients come from the same middle row, and only the band's
// rows are written. The fills keep their working storage per thread.
//
// Whatever the input, a fill never reads or writes outside its edge tables,
// the target's band (rows rows.begin .. rows.end - 1, columns 0 .. width - 1
// of the image and the depth buffer) or the texture: rows and columns outside
// the frame are clamped away (an unclipped polygon draws only its visible
// part), and a polygon with count 0 or above 15, an index past the object's
// vertex slots or no texture draws nothing. A target with a null image or
// depth buffer, a width outside 1 .. MaxFrameWidth, a height outside
// 1 .. MaxFrameHeight or a pitch below the width draws nothing; its rows are
// clamped to 0 .. height.
#include <cstddef>
#include <cstdint>

#include "base/pixels.h"

namespace vx {

// ---- the hand-off from the engine ------------------------------------------

// Clipping against six planes adds at most two vertices per plane, so a
// clipped triangle has at most 9 vertices; 15 index slots leave room.
inline constexpr int MaxPolygonVertices = 15;

// The largest texture a polygon's levels start from: 2^10 = 1024 texels a
// side; the levels halve down to a single texel.
inline constexpr std::uint32_t MaxTextureSizeLog2 = 10;
inline constexpr std::uint32_t MaxTextureLevels = MaxTextureSizeLog2 + 1;

// A square texture and its levels: level k has 2^(sizeLog2 - k) texels a
// side, row by row, each the box-filtered average of level 0 (MakeTextureLevels).
struct TextureLevels {
  const std::uint32_t* texels[MaxTextureLevels];
  std::uint32_t sizeLog2;    // 8 .. MaxTextureSizeLog2
  std::uint32_t levelCount;  // 1 .. sizeLog2 + 1
};

// One face of an object, shared by the engine's camera-space copy and the
// screen-space copy below: its indices address both copies' vertex arrays.
struct Polygon {
  std::uint32_t indices[MaxPolygonVertices];  // into the object's vertex arrays
  std::uint32_t count;                        // edges run from index i to index (i + 1) mod count
  const std::uint32_t* texture;               // 256 x 256 texels of the face's material
  const TextureLevels* levels;                // frames larger than the classic one; may be null
  std::uint8_t drawFlag;                      // 1 = front-facing and to be drawn
};

struct ScreenVertex {
  std::int32_t x;  // column in 24.8 fixed point (column = x >> 8)
  std::int32_t y;  // row, whole pixels
  float z;         // 1 / camera-space z
  std::int32_t u;  // texture column in 8.8 fixed point: bits 8..15 select the texel
  std::int32_t v;  // texture row in 8.8 fixed point
};

struct ScreenObject {
  ScreenVertex* vertices;  // same slot count as the transformed object
  std::uint32_t vertexSlots;
  Polygon** polygons;  // entry k points at polygon k of the transformed object
  std::uint32_t polygonCount;
  std::uint8_t visible;
};

struct ScreenMesh {
  std::uint32_t byteSize;
  std::uint16_t objectCount;
  ScreenObject** objects;
};

// ---- fills -----------------------------------------------------------------

// Where a fill draws: the frame's colour pixels and its depth buffer, both
// size.pitch x size.height entries, and the rows this call may write
// (0 <= rows.begin <= rows.end <= size.height). Nothing outside those rows
// and outside columns 0 .. size.width - 1 is read or written.
struct RasterTarget {
  std::uint32_t* image;
  float* depth;
  FrameSize size;
  RowBand rows;
};

using FillFunction = void (*)(const RasterTarget& target, ScreenObject* const& objectEntry,
                              std::uint32_t polygonIndex);

// The depth entry of a pixel nothing was drawn at: infinitely far away.
inline constexpr float ClearedDepth = 1e-6f;

// Writes ClearedDepth into columns 0 .. width - 1 of the band's rows of the
// depth buffer; nothing without one.
void ClearDepthBuffer(const RasterTarget& target);
// Texture u, v stepped linearly across a row.
void FillPolygonAffine(const RasterTarget& target, ScreenObject* const& objectEntry,
                       std::uint32_t polygonIndex);
// u = round(uz / z), v = round(vz / z) at every pixel, the quotients in
// double (ties to even).
void FillPolygonPerspective(const RasterTarget& target, ScreenObject* const& objectEntry,
                            std::uint32_t polygonIndex);
// Every polygon with drawFlag set of every visible object, in array order,
// into the target's band; nothing for a null screen mesh.
void DrawScenePolygons(const ScreenMesh* screen, const RasterTarget& target, FillFunction fill);

// ---- texture levels --------------------------------------------------------

// Words of levels 1 .. sizeLog2 of a texture of 2^sizeLog2 texels a side,
// one after another: 4^(sizeLog2 - 1) + ... + 4 + 1.
constexpr std::size_t TextureLevelWords(std::uint32_t sizeLog2) {
  return ((std::size_t{1} << (2 * sizeLog2)) - 1) / 3;
}

// Writes levels 1 .. sizeLog2 of base (2^sizeLog2 texels a side, 8 <= sizeLog2
// <= MaxTextureSizeLog2) into out (TextureLevelWords(sizeLog2) words) and
// returns the record, level 0 being base itself. Texel (x, y) of level k
// averages the 2^k x 2^k texels of base from (x 2^k, y 2^k) on, each of the
// four bytes on its own, in exact integer arithmetic: the byte sum s of the
// 4^k texels gives (s + 4^k / 2) >> 2k, the mean rounded half up (level k is
// made from the byte sums of level k - 1, never from its rounded texels).
TextureLevels MakeTextureLevels(const std::uint32_t* base, std::uint32_t sizeLog2,
                                std::uint32_t* out);

// The two fills of one variant. Every variant gives identical images and
// depth buffers.
struct RasterFills {
  FillFunction affine;
  FillFunction perspective;
};
// The plain reference fills, and the optimised ones per instruction set.
enum class RasterVariant { Reference, Sse2, Avx2 };
// The fills of a variant; nullptr when this build or processor lacks it.
const RasterFills* RasterFillsOf(RasterVariant variant);

// The fills in use: the widest optimised ones the processor runs, picked
// once while the program starts, or the plain reference fills while
// UseReferenceRaster(true) holds. FillPolygonAffine and
// FillPolygonPerspective call through this table. The choice is made
// while no fill runs; the fills themselves may run on any number of threads
// at once, each with its own band.
const RasterFills& Raster();
void UseReferenceRaster(bool reference);

// ---- fills of the pipeline views --------------------------------------------
// Plain only: the views are a study tool, never the show's path. Both cover
// and depth-test exactly the pixels the texture fills do (the same spans,
// the same 1/z) and write the depth entry of every pixel they draw.

// Writes colour to every pixel drawn.
void FillPolygonFlat(const RasterTarget& target, ScreenObject* const& objectEntry,
                     std::uint32_t polygonIndex, std::uint32_t colour);
// Adds 1 to the image word of every pixel drawn: the image holds counts,
// not colours.
void FillPolygonCount(const RasterTarget& target, ScreenObject* const& objectEntry,
                      std::uint32_t polygonIndex);

namespace reference {
void FillPolygonAffine(const RasterTarget& target, ScreenObject* const& objectEntry,
                       std::uint32_t polygonIndex);
void FillPolygonPerspective(const RasterTarget& target, ScreenObject* const& objectEntry,
                            std::uint32_t polygonIndex);
}  // namespace reference

}  // namespace vx
