// Fuzz target of the 3DS loader: any bytes are loaded from memory, the
// outcome is checked against the loader's contract and the data is freed.
// A broken contract traps, so libFuzzer (clang, target fuzz_loader3ds) and
// the replay driver (g++, replay_loader3ds, run by CTest over the seed
// corpus) both report it as a crash.
#include <cstddef>
#include <cstdint>

#include "loader3ds/loader3ds.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

template <typename Record>
void CheckTable(Record** table, std::uint16_t count, Record* list) {
  Check((count == 0) == (table == nullptr));
  Check(count == 0 || table[0] == list);
  for (std::uint16_t i = 0; i < count; ++i) {
    Check(table[i] != nullptr);
    Check(i + 1 == count || table[i]->next == table[i + 1]);
  }
  Check(count == 0 || table[count - 1]->next == nullptr);
}

template <typename Key>
std::uint32_t KeyBytes(const vx::KeyList<Key>& list, std::uint32_t each) {
  Check((list.count == 0) == (list.keys == nullptr));
  // A spline parameter whose flag bit is clear stays 0.
  for (std::uint16_t k = 0; k < list.count; ++k) {
    const vx::SplineParams& s = list.keys[k].spline;
    const float params[5] = {s.tension, s.continuity, s.bias, s.easeTo, s.easeFrom};
    for (int bit = 0; bit < 5; ++bit) Check((s.flags & (1u << bit)) != 0 || params[bit] == 0.0f);
  }
  return list.count * each;
}

// Tables match the lists, the byte count covers the records, and a mesh
// that loaded without error only names vertices, materials and tracks that
// exist.
void CheckMesh(const vx::Mesh3D& mesh, bool loaded) {
  using namespace vx;
  CheckTable(mesh.objects, mesh.objectCount, mesh.objectList);
  CheckTable(mesh.cameras, mesh.cameraCount, mesh.cameraList);
  CheckTable(mesh.lights, mesh.lightCount, mesh.lightList);
  CheckTable(mesh.materials, mesh.materialCount, mesh.materialList);
  CheckTable(mesh.tracks, mesh.trackCount, mesh.trackList);

  std::uint32_t bytes = 60 + 202 * mesh.objectCount + 74 * mesh.cameraCount + 38 * mesh.lightCount +
                        66 * mesh.materialCount + 94 * mesh.trackCount;
  bytes += 4 * (mesh.objectCount + mesh.cameraCount + mesh.lightCount + mesh.materialCount +
                mesh.trackCount);
  for (std::uint16_t o = 0; o < mesh.objectCount; ++o) {
    const MeshObject& object = *mesh.objects[o];
    Check((object.vertexCount == 0) == (object.vertices == nullptr));
    Check((object.faceCount == 0) == (object.faces == nullptr));
    bytes += 20 * object.vertexCount + 48 * object.faceCount;
    Check(object.name.length <= 32);
    for (std::uint16_t f = 0; f < object.faceCount; ++f) {
      const MeshFace& face = object.faces[f];
      Check(face.materialName.length <= 32);
      Check(face.materialIndex == 0 || face.materialIndex < mesh.materialCount);
      if (loaded)
        Check(face.a < object.vertexCount && face.b < object.vertexCount &&
              face.c < object.vertexCount);
    }
    Check(object.trackIndex == 0 || object.trackIndex < mesh.trackCount);
  }
  for (std::uint16_t c = 0; c < mesh.cameraCount; ++c) {
    const SceneCamera& camera = *mesh.cameras[c];
    Check(camera.positionTrack == NoTrack ||
          mesh.tracks[camera.positionTrack]->kind == TrackCamera);
    Check(camera.targetTrack == NoTrack ||
          mesh.tracks[camera.targetTrack]->kind == TrackCameraTarget);
  }
  for (std::uint16_t t = 0; t < mesh.trackCount; ++t) {
    const Track& track = *mesh.tracks[t];
    bytes += KeyBytes(track.position, 36) + KeyBytes(track.rotation, 56) +
             KeyBytes(track.scale, 36) + KeyBytes(track.morph, 58) + KeyBytes(track.fov, 28) +
             KeyBytes(track.roll, 28);
  }
  // A repeated array chunk frees the earlier array but keeps its charge, so
  // the count is at least what the records hold now.
  Check(mesh.byteSize >= bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vx::Mesh3D* mesh = nullptr;
  const bool loaded = vx::Load3DSMemory(mesh, data, size);
  const std::uint32_t code = vx::TakeLoadError();
  Check(loaded == (code == vx::LoadOk));
  Check(vx::TakeLoadError() == vx::LoadOk);
  if (size == 0) {
    Check(code == vx::LoadCantRead && mesh == nullptr);
    return 0;
  }
  // Every other outcome hands the data back: complete, or as far as it went.
  Check(code == vx::LoadOk || code == vx::LoadNot3ds || code == vx::LoadFatal);
  Check(mesh != nullptr);
  Check(code == vx::LoadOk || !vx::LoadErrorDetail().empty());
  CheckMesh(*mesh, loaded);
  Check(vx::Free3DSData(mesh));
  Check(mesh == nullptr);
  return 0;
}
