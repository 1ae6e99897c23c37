// The 3DS chunk walk. A chunk is: u16 id, u32 length (header included), its
// own data, then sub-chunks to its end; integers little-endian, floats 32-bit
// IEEE, strings zero-terminated. The file is one 0x4D4D chunk.
//
// Every value is read through a bounds check against the file buffer: a
// header or value past the end of the file, a length under 6, a count larger
// than the bytes left, or chunks nested deeper than MaxNesting end the load
// with code 6 and a detail text. Lengths are trusted only as far as the
// parent reaches: a chunk that claims to run past its parent is walked up to
// the parent's end, and the load goes on as long as every value it reads is
// really there. Fewer bytes than a chunk header after the last whole
// top-level chunk are no chunk at all and end the walk without an error.
//
// Positions, axes, pivots and key values are stored with y and z exchanged
// (the file is z up, the engine y up).
#include "loader3ds/loader3ds.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "datalib/datalib.h"
#include "loader3ds/mesh_records.h"

namespace vx {
namespace {

using namespace loader3ds;

constexpr int MaxNesting = 32;  // real files nest about 7 deep
constexpr std::size_t MaxKeptString = 255;
constexpr std::size_t ChunkHeaderBytes = 6;

// ---- module state ----------------------------------------------------------
// The error code and its detail outlive a load; so do the last byte colour,
// the last WORD value, the current object name and the track kind, which a
// later load may pick up before its own chunks overwrite them. The current
// records start afresh with every load (they would point into freed data).

std::uint32_t errorCode = 0;
std::string errorDetail;

std::uint8_t lastColour[3] = {0, 0, 0};
std::uint16_t lastWord = 0;
std::string objectName;
std::uint8_t trackKind = TrackNone;

const std::uint8_t* file = nullptr;
std::size_t fileSize = 0;
std::size_t position = 0;
std::uint32_t byteCount = 0;
int nesting = 0;
Mesh3D* building = nullptr;
MeshObject* currentObject = nullptr;
SceneCamera* currentCamera = nullptr;
SceneLight* currentLight = nullptr;
Material* currentMaterial = nullptr;
Track* currentTrack = nullptr;
// The chunk being read, for the detail text.
std::uint16_t chunkId = 0;
std::size_t chunkStart = 0;

// ---- the chunk table -------------------------------------------------------

struct ChunkInfo {
  std::uint16_t id;
  const char* name;
  bool container;  // no data of its own: its contents are walked
};

constexpr ChunkInfo ChunkTable[] = {
    {0x0010, "RGB float color", false},
    {0x0011, "RGB byte color", false},
    {0x0030, "WORD value", false},
    {0x1200, "Background color", true},
    {0x2100, "Ambient color", true},
    {0x3D3D, "Editor", true},
    {0x4000, "Object block", false},
    {0x4100, "Object mesh", false},
    {0x4110, "Vertex list", false},
    {0x4120, "Face list", false},
    {0x4130, "Faces mapping list", false},
    {0x4140, "Mapping coordinates list", false},
    {0x4160, "Object transformation matrix", false},
    {0x4165, "Object visibility", false},
    {0x4600, "Light", false},
    {0x4700, "Camera", false},
    {0x4D4D, "Main", true},
    {0xA000, "Material name", false},
    {0xA010, "Material ambient color", false},
    {0xA200, "Material texture data", false},
    {0xA300, "Texture map filename", false},
    {0xAFFF, "Material block", false},
    {0xB000, "Keyframer", true},
    {0xB002, "Object track info", false},
    {0xB003, "Camera position track info", false},
    {0xB004, "Camera target track info", false},
    {0xB005, "Spotlight(?) position track info", false},
    {0xB006, "Spotlight(?) target position track info", false},
    {0xB007, "Omnilight(?) positition track info", false},
    {0xB008, "Frames info", false},
    {0xB010, "Track name", false},
    {0xB013, "Track pivot point", false},
    {0xB020, "Track position keys", false},
    {0xB021, "Track rotate keys", false},
    {0xB022, "Track scale keys", false},
    {0xB023, "Track camera FOV keys", false},
    {0xB024, "Track camera roll keys", false},
    {0xB026, "Track morph keys", false},
    {0xB029, "Track hide keys", false},
    {0xB030, "Track number", false},
};

const ChunkInfo* FindChunk(std::uint16_t id) {
  for (const ChunkInfo& info : ChunkTable)
    if (info.id == id) return &info;
  return nullptr;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

std::string ChunkLabel(std::uint16_t id, std::size_t start) {
  const ChunkInfo* info = FindChunk(id);
  return "chunk " + Hex(id) + " (" + (info != nullptr ? info->name : "Unknown") + ") at offset " +
         std::to_string(start);
}

// ---- errors ----------------------------------------------------------------

// Records the first problem of a load; later ones are consequences.
void SetError(std::uint32_t code, std::string detail) {
  if (errorCode != 0) return;
  errorCode = code;
  errorDetail = std::move(detail);
}

void Damage(const std::string& what) {
  SetError(LoadFatal, ChunkLabel(chunkId, chunkStart) + ": " + what);
}

bool Failed() {
  return errorCode != 0;
}

// ---- checked reads ---------------------------------------------------------

std::size_t BytesLeft() {
  return fileSize - position;
}

bool Have(std::size_t bytes) {
  if (bytes <= BytesLeft()) return true;
  Damage("needs " + std::to_string(bytes) + " bytes at offset " + std::to_string(position) +
         ", the file ends at " + std::to_string(fileSize));
  return false;
}

std::uint16_t TakeU16() {
  const std::uint16_t v = static_cast<std::uint16_t>(file[position] | file[position + 1] << 8);
  position += 2;
  return v;
}

std::uint32_t TakeU32() {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | file[position + i];
  position += 4;
  return v;
}

float TakeF32() {
  const std::uint32_t bits = TakeU32();
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

bool ReadU8(std::uint8_t& out) {
  if (!Have(1)) return false;
  out = file[position++];
  return true;
}

bool ReadU16(std::uint16_t& out) {
  if (!Have(2)) return false;
  out = TakeU16();
  return true;
}

bool ReadU32(std::uint32_t& out) {
  if (!Have(4)) return false;
  out = TakeU32();
  return true;
}

bool ReadF32(float& out) {
  if (!Have(4)) return false;
  out = TakeF32();
  return true;
}

// Three floats (x, y, z) of the file stored as (x, z, y).
bool ReadSwapped(Vector& out) {
  if (!Have(12)) return false;
  out.x = TakeF32();
  out.z = TakeF32();
  out.y = TakeF32();
  return true;
}

// Up to and including the zero byte; 255 characters kept; "" becomes
// "$DUMMY$".
bool ReadString(std::string& out) {
  const void* zero = std::memchr(file + position, 0, BytesLeft());
  if (zero == nullptr) {
    Damage("the string at offset " + std::to_string(position) +
           " has no end before the end of the file");
    return false;
  }
  const std::size_t length = static_cast<const std::uint8_t*>(zero) - (file + position);
  out.assign(reinterpret_cast<const char*>(file + position), std::min(length, MaxKeptString));
  position += length + 1;
  if (out.empty()) out = "$DUMMY$";
  return true;
}

// A count of entries of at least entryBytes each must fit in what is left.
bool CountFits(std::uint32_t count, std::size_t entryBytes, const char* what) {
  if (std::uint64_t{count} * entryBytes <= BytesLeft()) return true;
  Damage(std::to_string(count) + " " + what + " need at least " +
         std::to_string(std::uint64_t{count} * entryBytes) + " bytes, " +
         std::to_string(BytesLeft()) + " are left");
  return false;
}

// ---- records ---------------------------------------------------------------

template <typename Record>
Record* Require(Record* current, const char* kind) {
  if (current == nullptr) Damage("there is no " + std::string(kind) + " for it to belong to");
  return current;
}

// Appends a zero-filled record to its kind's list and makes it current.
template <typename Record>
bool Append(std::uint16_t& count, Record*& head, Record*& current, std::uint32_t charge,
            const char* kind) {
  if (count == 0xFFFF) {
    Damage(std::string("more than 65535 ") + kind);
    return false;
  }
  Record* record = new Record();
  if (++count == 1)
    head = record;
  else
    current->next = record;
  current = record;
  byteCount += charge;
  return true;
}

// A zero-filled array of count elements in place of the one held. A repeated
// chunk replaces its data and frees the old array, but the byte count keeps
// the old array's charge: every allocation is charged when it is made.
template <typename Element>
void ReplaceArray(std::uint16_t& count, Element*& array, std::uint16_t newCount,
                  std::uint32_t charge) {
  delete[] array;
  array = nullptr;
  count = 0;
  if (newCount == 0) return;
  array = new Element[newCount]();
  count = newCount;
  byteCount += newCount * charge;
}

// ---- the walk --------------------------------------------------------------

void ReadChunk(std::uint16_t id, int level, std::size_t end);

// Walks the chunks from the read position while it is below end. A chunk's
// end is cut to limit (its parent's end). At the top level, bytes after the
// last whole chunk that are too few for a chunk header end the walk quietly;
// inside a chunk such a cut header is damage.
void Walk(int level, std::size_t end, std::size_t limit) {
  while (!Failed() && position < end) {
    const std::size_t start = position;
    chunkId = 0;
    chunkStart = start;
    if (level == 0 && BytesLeft() < ChunkHeaderBytes) return;
    if (BytesLeft() < ChunkHeaderBytes) {
      SetError(LoadFatal, "the chunk header at offset " + std::to_string(start) +
                              " runs past the end of the file (" + std::to_string(fileSize) +
                              " bytes)");
      return;
    }
    const std::uint16_t id = TakeU16();
    const std::uint32_t length = TakeU32();
    chunkId = id;
    if (length == 0) return;
    if (level == 0 && id != 0x4D4D) {
      SetError(LoadNot3ds, "the chunk at offset " + std::to_string(start) + " is " + Hex(id) +
                               ", not the main chunk 0x4D4D");
      return;
    }
    if (length < ChunkHeaderBytes) {
      Damage("its length " + std::to_string(length) + " is shorter than its own header");
      return;
    }
    const std::size_t chunkEnd = std::max(
        start + ChunkHeaderBytes,
        static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t{start} + length, limit)));
    const ChunkInfo* info = FindChunk(id);
    if (info != nullptr) {
      if (nesting >= MaxNesting) {
        Damage("chunks are nested more than " + std::to_string(MaxNesting) + " deep");
        return;
      }
      ++nesting;
      if (info->container)
        Walk(level + 2, chunkEnd, chunkEnd);
      else
        ReadChunk(id, level + 2, chunkEnd);
      --nesting;
    }
    position = chunkEnd;
  }
}

// The sub-chunks of a reader that "then walks".
void WalkRest(int level, std::size_t end) {
  Walk(level, end, end);
}

void ReadObjectMesh(int level, std::size_t end) {
  if (!Append(building->objectCount, building->objectList, currentObject, ObjectBytes, "objects"))
    return;
  currentObject->name.Assign(objectName);
  WalkRest(level, end);
}

void ReadVertices() {
  MeshObject* object = Require(currentObject, "object");
  std::uint16_t count;
  if (object == nullptr || !ReadU16(count) || !CountFits(count, 12, "vertices")) return;
  ReplaceArray(object->vertexCount, object->vertices, count, VertexBytes);
  for (std::uint16_t i = 0; i < count; ++i) {
    Vector p;
    ReadSwapped(p);
    object->vertices[i].x = p.x;
    object->vertices[i].y = p.y;
    object->vertices[i].z = p.z;
  }
}

void ReadFaces(int level, std::size_t end) {
  MeshObject* object = Require(currentObject, "object");
  std::uint16_t count;
  if (object == nullptr || !ReadU16(count) || !CountFits(count, 8, "faces")) return;
  ReplaceArray(object->faceCount, object->faces, count, FaceBytes);
  for (std::uint16_t i = 0; i < count; ++i) {
    MeshFace& face = object->faces[i];
    face.a = TakeU16();
    face.b = TakeU16();
    face.c = TakeU16();
    const std::uint16_t flags = TakeU16();
    face.edgeAB = (flags >> 2) & 1;
    face.edgeBC = (flags >> 1) & 1;
    face.edgeCA = flags & 1;
    face.uWrap = (flags >> 3) & 1;
    face.vWrap = (flags >> 4) & 1;
  }
  WalkRest(level, end);
}

// Faces listed beyond the object's face array are ignored.
void ReadFaceMaterial() {
  MeshObject* object = Require(currentObject, "object");
  std::string name;
  std::uint16_t count;
  if (object == nullptr || !ReadString(name) || !ReadU16(count) ||
      !CountFits(count, 2, "face indices"))
    return;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint16_t face = TakeU16();
    if (face < object->faceCount) object->faces[face].materialName.Assign(name);
  }
}

// Coordinates beyond the object's vertex array are read and dropped.
void ReadMapping() {
  MeshObject* object = Require(currentObject, "object");
  std::uint16_t count;
  if (object == nullptr || !ReadU16(count) || !CountFits(count, 8, "mapping coordinates")) return;
  for (std::uint16_t i = 0; i < count; ++i) {
    const float u = TakeF32();
    const float v = TakeF32();
    if (i < object->vertexCount) {
      object->vertices[i].u = u;
      object->vertices[i].v = v;
    }
  }
}

// Rows X axis f0..f2, Y axis f3..f5, Z axis f6..f8, origin f9..f11; the
// file's Y and Z axes change places and each row's y and z are exchanged.
void ReadObjectMatrix() {
  MeshObject* object = Require(currentObject, "object");
  if (object == nullptr || !Have(48)) return;
  Vector rows[4];
  for (Vector& row : rows) ReadSwapped(row);
  object->axes[0] = rows[0];
  object->axes[1] = rows[2];
  object->axes[2] = rows[1];
  object->axes[3] = rows[3];
}

void ReadCamera(int level, std::size_t end) {
  if (!Append(building->cameraCount, building->cameraList, currentCamera, CameraBytes, "cameras"))
    return;
  SceneCamera& camera = *currentCamera;
  camera.name.Assign(objectName);
  if (!ReadSwapped(camera.position) || !ReadSwapped(camera.target) || !ReadF32(camera.roll) ||
      !ReadF32(camera.lens))
    return;
  WalkRest(level, end);
}

void ReadFrames() {
  std::uint32_t start, end;
  if (!ReadU32(start) || !ReadU32(end)) return;
  building->startFrame = static_cast<std::uint16_t>(start);
  building->endFrame = static_cast<std::uint16_t>(end);
  const int difference = int{building->endFrame} - int{building->startFrame};
  building->frameCount = static_cast<std::uint16_t>(difference < 0 ? -difference : difference);
}

void ReadTrackNode(std::uint8_t kind, int level, std::size_t end) {
  trackKind = kind;
  if (!Append(building->trackCount, building->trackList, currentTrack, TrackBytes, "tracks"))
    return;
  // The parent stays 0, as the record was zero-filled, until a 0xB010 chunk
  // names one.
  currentTrack->kind = trackKind;
  WalkRest(level, end);
}

void ReadTrackName() {
  Track* track = Require(currentTrack, "track");
  std::string name;
  std::uint16_t flags1, flags2, parent;
  if (track == nullptr || !ReadString(name)) return;
  track->name.Assign(name);
  if (!ReadU16(flags1) || !ReadU16(flags2) || !ReadU16(parent)) return;
  track->parent = parent;
}

// Spline flags, then one float per set bit in ascending order; bits 0..4
// are kept, the values of bits 5..15 dropped.
bool ReadSpline(SplineParams& spline) {
  if (!ReadU16(spline.flags)) return false;
  float* kept[5] = {&spline.tension, &spline.continuity, &spline.bias, &spline.easeTo,
                    &spline.easeFrom};
  for (int bit = 0; bit < 16; ++bit) {
    if ((spline.flags & (1u << bit)) == 0) continue;
    float value;
    if (!ReadF32(value)) return false;
    if (bit < 5) *kept[bit] = value;
  }
  return true;
}

// A key track: a 10-byte header, a u32 count (low 16 bits used), then per key
// a u32 frame (low 16 bits), the spline block and the value. valueBytes is
// the least a value takes, for the count check.
template <typename Key, typename ReadValue>
void ReadKeys(KeyList<Key> Track::*list, std::uint32_t charge, std::size_t valueBytes,
              ReadValue readValue) {
  Track* track = Require(currentTrack, "track");
  std::uint32_t count32;
  if (track == nullptr || !Have(10)) return;
  position += 10;
  if (!ReadU32(count32)) return;
  const std::uint16_t count = static_cast<std::uint16_t>(count32);
  if (!CountFits(count, 6 + valueBytes, "keys")) return;
  KeyList<Key>& keys = track->*list;
  ReplaceArray(keys.count, keys.keys, count, charge);
  for (std::uint16_t i = 0; i < count; ++i) {
    Key& key = keys.keys[i];
    std::uint32_t frame;
    if (!ReadU32(frame)) return;
    key.frame = static_cast<std::uint16_t>(frame);
    if (!ReadSpline(key.spline) || !readValue(key)) return;
  }
}

void ReadChunk(std::uint16_t id, int level, std::size_t end) {
  const std::uint16_t outerId = chunkId;
  const std::size_t outerStart = chunkStart;
  const std::size_t start = position - ChunkHeaderBytes;
  chunkId = id;
  chunkStart = start;
  // Labels errors after a nested walk with this chunk again.
  auto restoreLabel = [&] {
    chunkId = id;
    chunkStart = start;
  };
  std::string text;
  switch (id) {
    case 0x0010:
      Have(12);  // three floats, consumed, not used
      break;
    case 0x0011:
      if (Have(3)) {
        std::copy_n(file + position, 3, lastColour);
        position += 3;
      }
      break;
    case 0x0030:
      ReadU16(lastWord);
      break;
    case 0x4000:
      if (ReadString(text)) {
        objectName = text;
        WalkRest(level, end);
      }
      break;
    case 0x4100:
      ReadObjectMesh(level, end);
      break;
    case 0x4110:
      ReadVertices();
      break;
    case 0x4120:
      ReadFaces(level, end);
      break;
    case 0x4130:
      ReadFaceMaterial();
      break;
    case 0x4140:
      ReadMapping();
      break;
    case 0x4160:
      ReadObjectMatrix();
      break;
    case 0x4165: {
      std::uint8_t visible;
      ReadU8(visible);
      break;
    }
    case 0x4600:
      if (Append(building->lightCount, building->lightList, currentLight, LightBytes, "lights"))
        currentLight->name.Assign(objectName);
      break;
    case 0x4700:
      ReadCamera(level, end);
      break;
    case 0xA000:
      if (Require(currentMaterial, "material") != nullptr && ReadString(text))
        currentMaterial->name.Assign(text);
      break;
    case 0xA010:
      WalkRest(level, end);
      restoreLabel();
      if (!Failed() && Require(currentMaterial, "material") != nullptr) {
        std::copy_n(lastColour, 3, currentMaterial->ambient);
        currentMaterial->ambient[3] = 0;
      }
      break;
    case 0xA200:
      WalkRest(level, end);
      restoreLabel();
      if (!Failed() && Require(currentMaterial, "material") != nullptr)
        currentMaterial->textureAmount = lastWord;
      break;
    case 0xA300:
      if (Require(currentMaterial, "material") != nullptr && ReadString(text))
        currentMaterial->textureFile.Assign(text);
      break;
    case 0xAFFF:
      if (Append(building->materialCount, building->materialList, currentMaterial, MaterialBytes,
                 "materials"))
        WalkRest(level, end);
      break;
    case 0xB002:
      ReadTrackNode(TrackObject, level, end);
      break;
    case 0xB003:
      ReadTrackNode(TrackCamera, level, end);
      break;
    case 0xB004:
      ReadTrackNode(TrackCameraTarget, level, end);
      break;
    case 0xB005:
      ReadTrackNode(TrackLight, level, end);
      break;
    case 0xB006:
      ReadTrackNode(TrackSpotTarget, level, end);
      break;
    case 0xB007:
      ReadTrackNode(TrackOmniLight, level, end);
      break;
    case 0xB008:
      ReadFrames();
      break;
    case 0xB010:
      ReadTrackName();
      break;
    case 0xB013:
      if (Require(currentTrack, "track") != nullptr) ReadSwapped(currentTrack->pivot);
      break;
    case 0xB020:
      ReadKeys(&Track::position, VectorKeyBytes, 12,
               [](VectorKey& k) { return ReadSwapped(k.value); });
      break;
    case 0xB021:
      ReadKeys(&Track::rotation, RotationKeyBytes, 16,
               [](RotationKey& k) { return ReadF32(k.angle) && ReadSwapped(k.axis); });
      break;
    case 0xB022:
      ReadKeys(&Track::scale, VectorKeyBytes, 12,
               [](VectorKey& k) { return ReadSwapped(k.value); });
      break;
    case 0xB023:
      ReadKeys(&Track::fov, ScalarKeyBytes, 4, [](ScalarKey& k) { return ReadF32(k.value); });
      break;
    case 0xB024:
      ReadKeys(&Track::roll, ScalarKeyBytes, 4, [](ScalarKey& k) { return ReadF32(k.value); });
      break;
    case 0xB026:
      ReadKeys(&Track::morph, MorphKeyBytes, 1, [](MorphKey& k) {
        std::string target;
        if (!ReadString(target)) return false;
        k.objectName.Assign(target);
        return true;
      });
      break;
    case 0xB029:
      break;  // hide keys: skipped
    case 0xB030:
      if (Require(currentTrack, "track") != nullptr) ReadU16(currentTrack->nodeId);
      break;
    default:
      break;
  }
  chunkId = outerId;
  chunkStart = outerStart;
}

// Steps 5 to 8 of a load, on a buffer of size >= 1.
Mesh3D* LoadBuffer(const std::uint8_t* data, std::size_t size) {
  file = data;
  fileSize = size;
  position = 0;
  byteCount = 0;
  nesting = 0;
  currentObject = nullptr;
  currentCamera = nullptr;
  currentLight = nullptr;
  currentMaterial = nullptr;
  currentTrack = nullptr;

  building = new Mesh3D();
  byteCount += MeshBytes;
  try {
    if (size < ChunkHeaderBytes)
      SetError(LoadFatal, "the file is " + std::to_string(size) +
                              " bytes long, shorter than one chunk header");
    else
      Walk(0, size - 1, size);
  } catch (const std::bad_alloc&) {
    SetError(LoadNoMemory, "out of memory at offset " + std::to_string(position));
  }
  Mesh3D* mesh = building;
  building = nullptr;
  file = nullptr;
  fileSize = 0;

  byteCount += BuildPointerTables(*mesh);
  ResolveNames(*mesh);
  if (const std::string bad = FindBadFace(*mesh); !bad.empty()) SetError(LoadFatal, bad);
  mesh->byteSize = byteCount;
  return mesh;
}

bool BeginLoad() {
  if (errorCode != 0) return false;
  errorDetail.clear();
  return true;
}

}  // namespace

bool Load3DSFile(Mesh3D*& mesh, std::string_view name) {
  if (!BeginLoad()) return false;
  if (name.empty()) {
    SetError(LoadEmptyName, "no file name given");
    return false;
  }
  const std::int32_t size = LibraryFileSize(name);
  if (size <= 0) {
    SetError(LoadCantRead, "\"" + std::string(name) + "\" is not in the data library");
    return false;
  }
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
  if (!ReadLibraryFile(name, buffer.data())) {
    SetError(LoadCantRead, "\"" + std::string(name) + "\" could not be read from the data library");
    return false;
  }
  mesh = LoadBuffer(buffer.data(), buffer.size());
  return errorCode == 0;
}

bool Load3DSMemory(Mesh3D*& mesh, const std::uint8_t* data, std::size_t size) {
  if (!BeginLoad()) return false;
  if (data == nullptr || size == 0) {
    SetError(LoadCantRead, "the file is empty");
    return false;
  }
  mesh = LoadBuffer(data, size);
  return errorCode == 0;
}

bool Free3DSData(Mesh3D*& mesh) {
  if (errorCode != 0) return false;
  if (mesh == nullptr) {
    SetError(LoadCantFree, "no scene data to free");
    return false;
  }
  FreeMeshRecords(mesh);
  mesh = nullptr;
  return true;
}

std::uint32_t TakeLoadError() {
  const std::uint32_t code = errorCode;
  errorCode = 0;
  return code;
}

std::string_view LoadErrorText(std::uint32_t code) {
  switch (code) {
    case LoadEmptyName:
      return "Filename is empty!";
    case LoadCantOpen:
      return "Can't open .3DS file!";
    case LoadCantRead:
      return "Can't read .3DS file!";
    case LoadNoMemory:
      return "Not enough memory available to load .3DS file!";
    case LoadNot3ds:
      return "Not a 3DS file or corrupted file!";
    case LoadFatal:
      return "Fatal error in .3DS file!";
    case LoadCantFree:
      return "Can't free up 3DS structure!";
    default:
      return "Unknown error!";
  }
}

std::string LoadErrorDetail() {
  return errorDetail;
}

}  // namespace vx
