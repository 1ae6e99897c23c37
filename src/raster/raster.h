#pragma once
// Depth-tested, texture-mapped polygon fills into the 320 x 200 image.
// Input is the screen-space copy of a scene that the engine projects every
// frame (ScreenMesh, below): screen x in 24.8 fixed point, whole rows, 1/z,
// texture u and v in 8.8 fixed point (bits 8..15 select the texel of a
// 256 x 256 texture, so textures repeat every 65536 units). A pixel is drawn only when its 1/z is
// strictly greater than the depth entry; a drawn pixel receives the texel unchanged.
//
// Along a row, pixel k (counted from the row's left end, k = 0 .. n) takes
// z = z0 + k * dz, and likewise uz, vz (perspective) in single precision: one
// multiplication and one addition per value, never repeated addition, so
// that the vector fills give the very same bits. Affine u, v are 32-bit
// integers u0 + k * du (wrapping), the same as stepping by addition. The
// perspective quotients uz / z and vz / z are taken in double.
//
// Whatever the input, a fill never reads or writes outside its edge tables,
// the image, the depth buffer or the texture: rows outside 0..199 and
// columns outside 0..319 are clamped away (an unclipped polygon draws only
// its visible part), and a polygon with count 0 or above 15, an index past
// the object's vertex slots or no texture draws nothing.
#include <cstdint>

#include "base/pixels.h"

namespace vx {

// ---- the hand-off from the engine ------------------------------------------

// Clipping against six planes adds at most two vertices per plane, so a
// clipped triangle has at most 9 vertices; 15 index slots leave room.
inline constexpr int MaxPolygonVertices = 15;

// One face of an object, shared by the engine's camera-space copy and the
// screen-space copy below: its indices address both copies' vertex arrays.
struct Polygon {
  std::uint32_t indices[MaxPolygonVertices];  // into the object's vertex arrays
  std::uint32_t count;                        // edges run from index i to index (i + 1) mod count
  const std::uint32_t* texture;               // 256 x 256 texels of the face's material
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

using FillFunction = void (*)(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                              std::uint32_t* image);

// Makes the buffer that field points to (64000 singles) the current depth
// buffer. The fills and ClearDepthBuffer do nothing while none is set.
void SetDepthBuffer(float* const& field);
// Writes 1e-6 (nothing drawn yet) into all 64000 entries.
void ClearDepthBuffer();
// Texture u, v stepped linearly across a row.
void FillPolygonAffine(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                       std::uint32_t* image);
// u = round(uz / z), v = round(vz / z) at every pixel, the quotients in
// double (ties to even).
void FillPolygonPerspective(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                            std::uint32_t* image);
// Every polygon with drawFlag set of every visible object, in array order;
// nothing for a null screen mesh.
void DrawScenePolygons(const ScreenMesh* screen, std::uint32_t* image, FillFunction fill);

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
// FillPolygonPerspective call through this table.
const RasterFills& Raster();
void UseReferenceRaster(bool reference);

namespace reference {
void FillPolygonAffine(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                       std::uint32_t* image);
void FillPolygonPerspective(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                            std::uint32_t* image);
}  // namespace reference

}  // namespace vx
