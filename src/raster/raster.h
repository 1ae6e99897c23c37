#pragma once
// Depth-tested, texture-mapped polygon fills into the 320 x 200 image.
// Input is the engine's ScreenMesh (engine/scene.h): screen x in 24.8 fixed
// point, whole rows, 1/z, texture u and v in 8.8 fixed point (bits 8..15
// select the texel of a 256 x 256 texture, so textures repeat every 65536
// units). A pixel is drawn only when its 1/z is strictly greater than the
// depth entry. Whatever the input, a fill never reads or writes outside its
// edge tables, the image, the depth buffer or the texture: rows and columns
// outside the view are clamped away.
#include <cstdint>

#include "engine/scene.h"

namespace vx {

using FillFunction = void (*)(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                              std::uint32_t* image);

// Makes the buffer that field points to the current depth buffer.
void SetDepthBuffer(float* const& field);
// Writes 1e-6 (nothing drawn yet) into all 64000 entries.
void ClearDepthBuffer();
// Texture u, v stepped linearly across a row.
void FillPolygonAffine(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                       std::uint32_t* image);
// u = round(uz / z), v = round(vz / z) at every pixel.
void FillPolygonPerspective(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                            std::uint32_t* image);
// Every drawable polygon of every visible object, in order.
void DrawScenePolygons(Scene* scene, std::uint32_t* image, FillFunction fill);

// Chooses the plain reference fills (true) or the optimised ones (false, the
// default) behind the two fill names.
void UseReferenceRaster(bool reference);

namespace reference {
void FillPolygonAffine(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                       std::uint32_t* image);
void FillPolygonPerspective(ScreenObject* const& objectEntry, std::uint32_t polygonIndex,
                            std::uint32_t* image);
}  // namespace reference

}  // namespace vx
