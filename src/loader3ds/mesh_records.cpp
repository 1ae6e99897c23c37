#include "loader3ds/mesh_records.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace vx::loader3ds {
namespace {

// The table of a kind: count entries in list order, or none for count 0.
template <typename Record>
std::uint32_t MakeTable(Record* head, std::uint16_t count, Record**& table) {
  table = nullptr;
  if (count == 0) return 0;
  table = new Record*[count];
  Record* r = head;
  for (std::uint16_t i = 0; i < count; ++i) {
    table[i] = r;
    r = r != nullptr ? r->next : nullptr;
  }
  return count * PointerBytes;
}

// Index of the last record of each name; later records overwrite earlier.
template <typename Record>
std::unordered_map<std::string_view, std::uint16_t> LastIndexByName(Record** table,
                                                                    std::uint16_t count) {
  std::unordered_map<std::string_view, std::uint16_t> index;
  for (std::uint16_t i = 0; i < count; ++i) index[table[i]->name.View()] = i;
  return index;
}

template <typename Record, typename FreeParts>
void FreeKind(Record** table, std::uint16_t count, Record* list, FreeParts freeParts) {
  if (table != nullptr) {
    for (std::uint16_t i = 0; i < count; ++i) {
      freeParts(table[i]);
      delete table[i];
    }
    delete[] table;
    return;
  }
  while (list != nullptr) {
    Record* next = list->next;
    freeParts(list);
    delete list;
    list = next;
  }
}

}  // namespace

std::uint32_t BuildPointerTables(Mesh3D& mesh) {
  std::uint32_t bytes = 0;
  bytes += MakeTable(mesh.objectList, mesh.objectCount, mesh.objects);
  bytes += MakeTable(mesh.cameraList, mesh.cameraCount, mesh.cameras);
  bytes += MakeTable(mesh.lightList, mesh.lightCount, mesh.lights);
  bytes += MakeTable(mesh.materialList, mesh.materialCount, mesh.materials);
  bytes += MakeTable(mesh.trackList, mesh.trackCount, mesh.tracks);
  return bytes;
}

void ResolveNames(Mesh3D& mesh) {
  const auto materialIndex = LastIndexByName(mesh.materials, mesh.materialCount);
  const auto trackIndex = LastIndexByName(mesh.tracks, mesh.trackCount);

  for (std::uint16_t o = 0; o < mesh.objectCount; ++o) {
    MeshObject& object = *mesh.objects[o];
    for (std::uint16_t f = 0; f < object.faceCount; ++f) {
      MeshFace& face = object.faces[f];
      const auto found = materialIndex.find(face.materialName.View());
      face.materialIndex = found != materialIndex.end() ? found->second : 0;
    }
    const auto found = trackIndex.find(object.name.View());
    object.trackIndex = found != trackIndex.end() ? found->second : 0;
  }

  // Camera tracks by kind: a position (kind camera) and a target track.
  std::unordered_map<std::string_view, std::uint16_t> positionTrack, targetTrack;
  for (std::uint16_t t = 0; t < mesh.trackCount; ++t) {
    const Track& track = *mesh.tracks[t];
    if (track.kind == TrackCamera) positionTrack[track.name.View()] = t;
    if (track.kind == TrackCameraTarget) targetTrack[track.name.View()] = t;
  }
  for (std::uint16_t c = 0; c < mesh.cameraCount; ++c) {
    SceneCamera& camera = *mesh.cameras[c];
    const auto position = positionTrack.find(camera.name.View());
    const auto target = targetTrack.find(camera.name.View());
    camera.positionTrack = position != positionTrack.end() ? position->second : NoTrack;
    camera.targetTrack = target != targetTrack.end() ? target->second : NoTrack;
  }
}

std::string FindBadFace(const Mesh3D& mesh) {
  for (std::uint16_t o = 0; o < mesh.objectCount; ++o) {
    const MeshObject& object = *mesh.objects[o];
    for (std::uint16_t f = 0; f < object.faceCount; ++f) {
      const MeshFace& face = object.faces[f];
      const std::uint16_t worst = std::max({face.a, face.b, face.c});
      if (worst >= object.vertexCount) {
        return "object \"" + std::string(object.name.View()) + "\": face " + std::to_string(f) +
               " uses vertex " + std::to_string(worst) + " of " +
               std::to_string(object.vertexCount);
      }
    }
  }
  return {};
}

void FreeMeshRecords(Mesh3D* mesh) {
  FreeKind(mesh->objects, mesh->objectCount, mesh->objectList, [](MeshObject* o) {
    delete[] o->vertices;
    delete[] o->faces;
  });
  FreeKind(mesh->cameras, mesh->cameraCount, mesh->cameraList, [](SceneCamera*) {});
  FreeKind(mesh->lights, mesh->lightCount, mesh->lightList, [](SceneLight*) {});
  FreeKind(mesh->materials, mesh->materialCount, mesh->materialList, [](Material*) {});
  FreeKind(mesh->tracks, mesh->trackCount, mesh->trackList, [](Track* t) {
    delete[] t->position.keys;
    delete[] t->rotation.keys;
    delete[] t->scale.keys;
    delete[] t->morph.keys;
    delete[] t->fov.keys;
    delete[] t->roll.keys;
  });
  delete mesh;
}

}  // namespace vx::loader3ds
