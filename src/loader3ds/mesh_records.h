#pragma once
// Loader-private: what the loader does with the records once the chunk walk
// is over (pointer tables, name resolution, the face check) and how it frees
// them. Byte-count charges per record and array element are listed here once.
#include <cstdint>
#include <string>

#include "model/model.h"

namespace vx::loader3ds {

// Bytes each allocation adds to Mesh3D::byteSize (the memory report's figures,
// not sizeof: the records' layout is free, the report's arithmetic is not).
inline constexpr std::uint32_t MeshBytes = 60;
inline constexpr std::uint32_t ObjectBytes = 202;
inline constexpr std::uint32_t MaterialBytes = 66;
inline constexpr std::uint32_t LightBytes = 38;
inline constexpr std::uint32_t CameraBytes = 74;
inline constexpr std::uint32_t TrackBytes = 94;
inline constexpr std::uint32_t VertexBytes = 20;
inline constexpr std::uint32_t FaceBytes = 48;
inline constexpr std::uint32_t VectorKeyBytes = 36;
inline constexpr std::uint32_t RotationKeyBytes = 56;
inline constexpr std::uint32_t MorphKeyBytes = 58;
inline constexpr std::uint32_t ScalarKeyBytes = 28;
inline constexpr std::uint32_t PointerBytes = 4;

// Fills the five pointer tables from the loading lists (a table only for a
// kind with records); returns the bytes they are charged.
std::uint32_t BuildPointerTables(Mesh3D& mesh);

// Face material indices, object track indices and camera track indices, by
// exact comparison of whole names; the last match wins.
void ResolveNames(Mesh3D& mesh);

// The first face whose vertex index is at or beyond its object's vertex
// count, described for the error detail; empty when every face is sound.
std::string FindBadFace(const Mesh3D& mesh);

// Frees every record and array under mesh and mesh itself. Walks the pointer
// tables, or the loading list of a kind whose table was never built.
void FreeMeshRecords(Mesh3D* mesh);

}  // namespace vx::loader3ds
