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
// What the loader understands of a chunk is one row of ChunkTable: its name
// (for error details), whether it has data and sub-chunks and in which order
// they are read, and the reader of its data. Chunks of any other id are
// skipped by their length.
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

// ---- state that outlives a load ---------------------------------------------
// The error code blocks every load and free until it is taken; its detail
// stays readable until the next load begins. The last byte colour, the last
// WORD value, the current object name and the track kind are left by chunks
// for later chunks, and a later load picks them up until its own chunks
// overwrite them: a material whose ambient chunk holds only a float colour
// gets the byte colour read last, in this load or an earlier one. Everything
// else belongs to one load (Cursor).

struct Kept {
  std::uint32_t errorCode = 0;
  std::string errorDetail;
  std::uint8_t lastColour[3] = {0, 0, 0};
  std::uint16_t lastWord = 0;
  std::string objectName;
  std::uint8_t trackKind = TrackNone;
};
Kept kept;

// Records the first problem of a load; later ones are consequences.
void SetError(std::uint32_t code, std::string detail) {
  if (kept.errorCode != 0) return;
  kept.errorCode = code;
  kept.errorDetail = std::move(detail);
}

bool Failed() {
  return kept.errorCode != 0;
}

// ---- chunk ids ------------------------------------------------------------------

enum class ChunkId : std::uint16_t {
  RgbFloat = 0x0010,
  RgbByte = 0x0011,
  Word = 0x0030,
  Background = 0x1200,
  Ambient = 0x2100,
  Editor = 0x3D3D,
  ObjectBlock = 0x4000,
  ObjectMesh = 0x4100,
  VertexList = 0x4110,
  FaceList = 0x4120,
  FaceMaterial = 0x4130,
  MappingList = 0x4140,
  ObjectMatrix = 0x4160,
  ObjectVisibility = 0x4165,
  Light = 0x4600,
  Camera = 0x4700,
  Main = 0x4D4D,
  MaterialName = 0xA000,
  MaterialAmbient = 0xA010,
  TextureData = 0xA200,
  TextureFile = 0xA300,
  MaterialBlock = 0xAFFF,
  Keyframer = 0xB000,
  ObjectNode = 0xB002,
  CameraNode = 0xB003,
  CameraTargetNode = 0xB004,
  SpotLightNode = 0xB005,
  SpotTargetNode = 0xB006,
  OmniLightNode = 0xB007,
  FramesInfo = 0xB008,
  TrackName = 0xB010,
  TrackPivot = 0xB013,
  PositionKeys = 0xB020,
  RotationKeys = 0xB021,
  ScaleKeys = 0xB022,
  FovKeys = 0xB023,
  RollKeys = 0xB024,
  MorphKeys = 0xB026,
  HideKeys = 0xB029,
  TrackNumber = 0xB030,
};

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", value);
  return text;
}

const char* ChunkName(std::uint16_t id);  // from the chunk table, "Unknown" for others

// ---- one load's cursor --------------------------------------------------------

// The chunk being read: its id and first byte name it in error details; end
// is where its data and sub-chunks stop (cut to its parent's end).
struct Chunk {
  std::uint16_t id = 0;
  std::size_t start = 0;
  std::size_t end = 0;
};

// Everything one load reads and builds, made afresh by every load: the file
// buffer (alive only during the load) and the read position in it, the
// nesting depth of known chunks (0: the top level), the chunk being read, the
// byte count charged so far, the Mesh3D being filled and the current record
// of each kind, which data chunks fill and new records are linked after.
struct Cursor {
  Cursor(const std::uint8_t* data, std::size_t bytes) : file(data), size(bytes) {}

  const std::uint8_t* file;
  std::size_t size;
  std::size_t position = 0;
  int nesting = 0;
  Chunk chunk;
  std::uint32_t byteCount = 0;
  Mesh3D* mesh = nullptr;
  MeshObject* object = nullptr;
  SceneCamera* camera = nullptr;
  SceneLight* light = nullptr;
  Material* material = nullptr;
  Track* track = nullptr;

  void Damage(const std::string& what) const {
    SetError(LoadFatal, "chunk " + Hex(chunk.id) + " (" + ChunkName(chunk.id) + ") at offset " +
                            std::to_string(chunk.start) + ": " + what);
  }

  // ---- checked reads: false (and damage) when the file ends first ----

  std::size_t BytesLeft() const { return size - position; }

  bool Have(std::size_t bytes) const {
    if (bytes <= BytesLeft()) return true;
    Damage("needs " + std::to_string(bytes) + " bytes at offset " + std::to_string(position) +
           ", the file ends at " + std::to_string(size));
    return false;
  }

  // The Take reads are unchecked: the caller has made sure of the bytes.
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

  // Three floats (x, y, z) of the file as (x, z, y).
  Vector TakeSwapped() {
    Vector v;
    v.x = TakeF32();
    v.z = TakeF32();
    v.y = TakeF32();
    return v;
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

  bool ReadSwapped(Vector& out) {
    if (!Have(12)) return false;
    out = TakeSwapped();
    return true;
  }

  // Up to and including the zero byte; 255 characters kept; "" becomes
  // "$DUMMY$". out is untouched when the string has no end.
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
  bool CountFits(std::uint32_t count, std::size_t entryBytes, const char* what) const {
    if (std::uint64_t{count} * entryBytes <= BytesLeft()) return true;
    Damage(std::to_string(count) + " " + what + " need at least " +
           std::to_string(std::uint64_t{count} * entryBytes) + " bytes, " +
           std::to_string(BytesLeft()) + " are left");
    return false;
  }

  // A u16 count of entries of at least entryBytes each that fit in what is left.
  bool ReadCount(std::uint16_t& count, std::size_t entryBytes, const char* what) {
    return ReadU16(count) && CountFits(count, entryBytes, what);
  }

  // ---- records ----

  // The current record of a kind, for a data chunk; null (and damage) when
  // the file has not begun one.
  template <typename Record>
  Record* Require(Record* current, const char* kind) const {
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

  // A zero-filled array of newCount elements in place of the one held. A
  // repeated chunk replaces its data and frees the old array, but the byte
  // count keeps the old array's charge: every allocation is charged when it
  // is made.
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
};

// ---- the readers --------------------------------------------------------------
// Each reads the data of the chunk at the read position; the walk then goes
// on at the chunk's end, so a reader that reads less than the chunk holds is
// harmless. None walks sub-chunks itself: the table says when they are.

// Values that are consumed, not used.
template <std::size_t Bytes>
void ReadUnused(Cursor& c) {
  if (c.Have(Bytes)) c.position += Bytes;
}

void ReadByteColour(Cursor& c) {
  if (!c.Have(3)) return;
  std::copy_n(c.file + c.position, 3, kept.lastColour);
  c.position += 3;
}

void ReadWord(Cursor& c) {
  c.ReadU16(kept.lastWord);
}

void ReadObjectBlock(Cursor& c) {
  c.ReadString(kept.objectName);
}

void ReadObjectMesh(Cursor& c) {
  if (c.Append(c.mesh->objectCount, c.mesh->objectList, c.object, ObjectBytes, "objects"))
    c.object->name.Assign(kept.objectName);
}

void ReadVertices(Cursor& c) {
  MeshObject* object = c.Require(c.object, "object");
  std::uint16_t count;
  if (object == nullptr || !c.ReadCount(count, 12, "vertices")) return;
  c.ReplaceArray(object->vertexCount, object->vertices, count, VertexBytes);
  for (std::uint16_t i = 0; i < count; ++i) {
    const Vector p = c.TakeSwapped();
    object->vertices[i].x = p.x;
    object->vertices[i].y = p.y;
    object->vertices[i].z = p.z;
  }
}

void ReadFaces(Cursor& c) {
  MeshObject* object = c.Require(c.object, "object");
  std::uint16_t count;
  if (object == nullptr || !c.ReadCount(count, 8, "faces")) return;
  c.ReplaceArray(object->faceCount, object->faces, count, FaceBytes);
  for (std::uint16_t i = 0; i < count; ++i) {
    MeshFace& face = object->faces[i];
    face.a = c.TakeU16();
    face.b = c.TakeU16();
    face.c = c.TakeU16();
    const std::uint16_t flags = c.TakeU16();
    face.edgeAB = (flags >> 2) & 1;
    face.edgeBC = (flags >> 1) & 1;
    face.edgeCA = flags & 1;
    face.uWrap = (flags >> 3) & 1;
    face.vWrap = (flags >> 4) & 1;
  }
}

// Faces listed beyond the object's face array are ignored.
void ReadFaceMaterial(Cursor& c) {
  MeshObject* object = c.Require(c.object, "object");
  std::string name;
  std::uint16_t count;
  if (object == nullptr || !c.ReadString(name) || !c.ReadCount(count, 2, "face indices")) return;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint16_t face = c.TakeU16();
    if (face < object->faceCount) object->faces[face].materialName.Assign(name);
  }
}

// Coordinates beyond the object's vertex array are read and dropped.
void ReadMapping(Cursor& c) {
  MeshObject* object = c.Require(c.object, "object");
  std::uint16_t count;
  if (object == nullptr || !c.ReadCount(count, 8, "mapping coordinates")) return;
  for (std::uint16_t i = 0; i < count; ++i) {
    const float u = c.TakeF32();
    const float v = c.TakeF32();
    if (i < object->vertexCount) {
      object->vertices[i].u = u;
      object->vertices[i].v = v;
    }
  }
}

// Rows X axis f0..f2, Y axis f3..f5, Z axis f6..f8, origin f9..f11; the
// file's Y and Z axes change places and each row's y and z are exchanged.
void ReadObjectMatrix(Cursor& c) {
  MeshObject* object = c.Require(c.object, "object");
  if (object == nullptr || !c.Have(48)) return;
  Vector rows[4];
  for (Vector& row : rows) row = c.TakeSwapped();
  object->axes[0] = rows[0];
  object->axes[1] = rows[2];
  object->axes[2] = rows[1];
  object->axes[3] = rows[3];
}

void ReadLight(Cursor& c) {
  if (c.Append(c.mesh->lightCount, c.mesh->lightList, c.light, LightBytes, "lights"))
    c.light->name.Assign(kept.objectName);
}

void ReadCamera(Cursor& c) {
  if (!c.Append(c.mesh->cameraCount, c.mesh->cameraList, c.camera, CameraBytes, "cameras")) return;
  SceneCamera& camera = *c.camera;
  camera.name.Assign(kept.objectName);
  if (c.ReadSwapped(camera.position) && c.ReadSwapped(camera.target) && c.ReadF32(camera.roll))
    c.ReadF32(camera.lens);
}

// The material's name or texture file name.
template <auto Field>
void ReadMaterialString(Cursor& c) {
  std::string text;
  if (c.Require(c.material, "material") != nullptr && c.ReadString(text))
    (c.material->*Field).Assign(text);
}

// After its sub-chunks: the byte colour they (or anything before) left.
void ReadMaterialAmbient(Cursor& c) {
  if (c.Require(c.material, "material") == nullptr) return;
  std::copy_n(kept.lastColour, 3, c.material->ambient);
  c.material->ambient[3] = 0;
}

// After its sub-chunks: the WORD value they (or anything before) left.
void ReadTextureAmount(Cursor& c) {
  if (c.Require(c.material, "material") != nullptr) c.material->textureAmount = kept.lastWord;
}

void ReadMaterialBlock(Cursor& c) {
  c.Append(c.mesh->materialCount, c.mesh->materialList, c.material, MaterialBytes, "materials");
}

// A new track of the kind; its parent stays 0, as the record was
// zero-filled, until a 0xB010 chunk names one.
template <std::uint8_t Kind>
void ReadTrackNode(Cursor& c) {
  kept.trackKind = Kind;
  if (c.Append(c.mesh->trackCount, c.mesh->trackList, c.track, TrackBytes, "tracks"))
    c.track->kind = kept.trackKind;
}

void ReadFrames(Cursor& c) {
  std::uint32_t start, end;
  if (!c.ReadU32(start) || !c.ReadU32(end)) return;
  Mesh3D& mesh = *c.mesh;
  mesh.startFrame = static_cast<std::uint16_t>(start);
  mesh.endFrame = static_cast<std::uint16_t>(end);
  const int difference = int{mesh.endFrame} - int{mesh.startFrame};
  mesh.frameCount = static_cast<std::uint16_t>(difference < 0 ? -difference : difference);
}

void ReadTrackName(Cursor& c) {
  Track* track = c.Require(c.track, "track");
  std::string name;
  std::uint16_t flags1, flags2, parent;
  if (track == nullptr || !c.ReadString(name)) return;
  track->name.Assign(name);
  if (!c.ReadU16(flags1) || !c.ReadU16(flags2) || !c.ReadU16(parent)) return;
  track->parent = parent;
}

void ReadTrackPivot(Cursor& c) {
  if (c.Require(c.track, "track") != nullptr) c.ReadSwapped(c.track->pivot);
}

void ReadTrackNumber(Cursor& c) {
  if (c.Require(c.track, "track") != nullptr) c.ReadU16(c.track->nodeId);
}

// Spline flags, then one float per set bit in ascending order; bits 0..4
// are kept, the values of bits 5..15 dropped.
bool ReadSpline(Cursor& c, SplineParams& spline) {
  if (!c.ReadU16(spline.flags)) return false;
  float* params[5] = {&spline.tension, &spline.continuity, &spline.bias, &spline.easeTo,
                      &spline.easeFrom};
  for (int bit = 0; bit < 16; ++bit) {
    if ((spline.flags & (1u << bit)) == 0) continue;
    float value;
    if (!c.ReadF32(value)) return false;
    if (bit < 5) *params[bit] = value;
  }
  return true;
}

bool ReadVectorValue(Cursor& c, VectorKey& key) {
  return c.ReadSwapped(key.value);
}

bool ReadRotationValue(Cursor& c, RotationKey& key) {
  return c.ReadF32(key.angle) && c.ReadSwapped(key.axis);
}

bool ReadScalarValue(Cursor& c, ScalarKey& key) {
  return c.ReadF32(key.value);
}

bool ReadMorphValue(Cursor& c, MorphKey& key) {
  std::string target;
  if (!c.ReadString(target)) return false;
  key.objectName.Assign(target);
  return true;
}

// A key track: a 10-byte header, a u32 count (low 16 bits used), then per key
// a u32 frame (low 16 bits), the spline block and the value. ValueBytes is
// the least a value takes, for the count check; Charge is a key's byte count.
template <typename Key, KeyList<Key> Track::*List, std::uint32_t Charge, std::size_t ValueBytes,
          bool (*ReadValue)(Cursor&, Key&)>
void ReadKeys(Cursor& c) {
  Track* track = c.Require(c.track, "track");
  std::uint32_t count32;
  if (track == nullptr || !c.Have(10)) return;
  c.position += 10;
  if (!c.ReadU32(count32)) return;
  const std::uint16_t count = static_cast<std::uint16_t>(count32);
  if (!c.CountFits(count, 6 + ValueBytes, "keys")) return;
  KeyList<Key>& keys = track->*List;
  c.ReplaceArray(keys.count, keys.keys, count, Charge);
  for (std::uint16_t i = 0; i < count; ++i) {
    Key& key = keys.keys[i];
    std::uint32_t frame;
    if (!c.ReadU32(frame)) return;
    key.frame = static_cast<std::uint16_t>(frame);
    if (!ReadSpline(c, key.spline) || !ReadValue(c, key)) return;
  }
}

// ---- the chunk table ------------------------------------------------------------

enum class ChunkKind : std::uint8_t {
  Container,     // no data of its own: its sub-chunks are walked
  Data,          // its data is read; sub-chunks, if any, are skipped
  DataThenWalk,  // its data, then its sub-chunks
  WalkThenData,  // its sub-chunks, then the reader (it takes what they left)
};

struct ChunkInfo {
  ChunkId id;
  const char* name;
  ChunkKind kind;
  void (*read)(Cursor&);  // null: nothing to read
};

using enum ChunkId;
using enum ChunkKind;

// In ascending id order, one row per id.
constexpr ChunkInfo ChunkTable[] = {
    {RgbFloat, "RGB float color", Data, ReadUnused<12>},
    {RgbByte, "RGB byte color", Data, ReadByteColour},
    {Word, "WORD value", Data, ReadWord},
    {Background, "Background color", Container, nullptr},
    {Ambient, "Ambient color", Container, nullptr},
    {Editor, "Editor", Container, nullptr},
    {ObjectBlock, "Object block", DataThenWalk, ReadObjectBlock},
    {ObjectMesh, "Object mesh", DataThenWalk, ReadObjectMesh},
    {VertexList, "Vertex list", Data, ReadVertices},
    {FaceList, "Face list", DataThenWalk, ReadFaces},
    {FaceMaterial, "Faces mapping list", Data, ReadFaceMaterial},
    {MappingList, "Mapping coordinates list", Data, ReadMapping},
    {ObjectMatrix, "Object transformation matrix", Data, ReadObjectMatrix},
    {ObjectVisibility, "Object visibility", Data, ReadUnused<1>},
    {Light, "Light", Data, ReadLight},
    {Camera, "Camera", DataThenWalk, ReadCamera},
    {Main, "Main", Container, nullptr},
    {MaterialName, "Material name", Data, ReadMaterialString<&Material::name>},
    {MaterialAmbient, "Material ambient color", WalkThenData, ReadMaterialAmbient},
    {TextureData, "Material texture data", WalkThenData, ReadTextureAmount},
    {TextureFile, "Texture map filename", Data, ReadMaterialString<&Material::textureFile>},
    {MaterialBlock, "Material block", DataThenWalk, ReadMaterialBlock},
    {Keyframer, "Keyframer", Container, nullptr},
    {ObjectNode, "Object track info", DataThenWalk, ReadTrackNode<TrackObject>},
    {CameraNode, "Camera position track info", DataThenWalk, ReadTrackNode<TrackCamera>},
    {CameraTargetNode, "Camera target track info", DataThenWalk, ReadTrackNode<TrackCameraTarget>},
    {SpotLightNode, "Spotlight(?) position track info", DataThenWalk, ReadTrackNode<TrackLight>},
    {SpotTargetNode, "Spotlight(?) target position track info", DataThenWalk,
     ReadTrackNode<TrackSpotTarget>},
    {OmniLightNode, "Omnilight(?) positition track info", DataThenWalk,
     ReadTrackNode<TrackOmniLight>},
    {FramesInfo, "Frames info", Data, ReadFrames},
    {TrackName, "Track name", Data, ReadTrackName},
    {TrackPivot, "Track pivot point", Data, ReadTrackPivot},
    {PositionKeys, "Track position keys", Data,
     ReadKeys<VectorKey, &Track::position, VectorKeyBytes, 12, ReadVectorValue>},
    {RotationKeys, "Track rotate keys", Data,
     ReadKeys<RotationKey, &Track::rotation, RotationKeyBytes, 16, ReadRotationValue>},
    {ScaleKeys, "Track scale keys", Data,
     ReadKeys<VectorKey, &Track::scale, VectorKeyBytes, 12, ReadVectorValue>},
    {FovKeys, "Track camera FOV keys", Data,
     ReadKeys<ScalarKey, &Track::fov, ScalarKeyBytes, 4, ReadScalarValue>},
    {RollKeys, "Track camera roll keys", Data,
     ReadKeys<ScalarKey, &Track::roll, ScalarKeyBytes, 4, ReadScalarValue>},
    {MorphKeys, "Track morph keys", Data,
     ReadKeys<MorphKey, &Track::morph, MorphKeyBytes, 1, ReadMorphValue>},
    {HideKeys, "Track hide keys", Data, nullptr},
    {TrackNumber, "Track number", Data, ReadTrackNumber},
};

constexpr bool InIdOrder() {
  for (std::size_t i = 1; i < std::size(ChunkTable); ++i)
    if (ChunkTable[i - 1].id >= ChunkTable[i].id) return false;
  return true;
}
static_assert(InIdOrder(), "the chunk table lists each id once, in ascending order");

const ChunkInfo* FindChunk(std::uint16_t id) {
  for (const ChunkInfo& info : ChunkTable)
    if (static_cast<std::uint16_t>(info.id) == id) return &info;
  return nullptr;
}

const char* ChunkName(std::uint16_t id) {
  const ChunkInfo* info = FindChunk(id);
  return info != nullptr ? info->name : "Unknown";
}

// ---- the walk --------------------------------------------------------------------

void Walk(Cursor& c, std::size_t end, std::size_t limit);

// A known chunk, with the cursor's chunk set to it: its data and sub-chunks
// as its kind says.
void Enter(Cursor& c, const ChunkInfo& info) {
  if (c.nesting >= MaxNesting) {
    c.Damage("chunks are nested more than " + std::to_string(MaxNesting) + " deep");
    return;
  }
  ++c.nesting;
  const bool dataFirst = info.kind == Data || info.kind == DataThenWalk;
  if (dataFirst && info.read != nullptr) info.read(c);
  if (info.kind != Data) Walk(c, c.chunk.end, c.chunk.end);
  if (info.kind == WalkThenData && !Failed()) info.read(c);
  --c.nesting;
}

// Walks the chunks from the read position while it is below end. A chunk's
// end is cut to limit (its parent's end). At the top level, bytes after the
// last whole chunk that are too few for a chunk header end the walk quietly;
// inside a chunk such a cut header is damage. The cursor's chunk is the
// parent's again when the walk returns.
void Walk(Cursor& c, std::size_t end, std::size_t limit) {
  while (!Failed() && c.position < end) {
    const std::size_t start = c.position;
    if (c.BytesLeft() < ChunkHeaderBytes) {
      if (c.nesting > 0)
        SetError(LoadFatal, "the chunk header at offset " + std::to_string(start) +
                                " runs past the end of the file (" + std::to_string(c.size) +
                                " bytes)");
      return;
    }
    const std::uint16_t id = c.TakeU16();
    const std::uint32_t length = c.TakeU32();
    if (length == 0) return;
    if (c.nesting == 0 && id != static_cast<std::uint16_t>(Main)) {
      SetError(LoadNot3ds, "the chunk at offset " + std::to_string(start) + " is " + Hex(id) +
                               ", not the main chunk 0x4D4D");
      return;
    }
    const std::size_t chunkEnd = std::max(
        start + ChunkHeaderBytes,
        static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t{start} + length, limit)));
    const Chunk parent = c.chunk;
    c.chunk = {id, start, chunkEnd};
    if (length < ChunkHeaderBytes)
      c.Damage("its length " + std::to_string(length) + " is shorter than its own header");
    else if (const ChunkInfo* info = FindChunk(id); info != nullptr)
      Enter(c, *info);
    c.chunk = parent;
    c.position = chunkEnd;
  }
}

// Steps 5 to 8 of a load, on a buffer of size >= 1.
Mesh3D* LoadBuffer(const std::uint8_t* data, std::size_t size) {
  Cursor c(data, size);
  c.mesh = new Mesh3D();
  c.byteCount += MeshBytes;
  try {
    if (size < ChunkHeaderBytes)
      SetError(LoadFatal, "the file is " + std::to_string(size) +
                              " bytes long, shorter than one chunk header");
    else
      Walk(c, size - 1, size);
  } catch (const std::bad_alloc&) {
    SetError(LoadNoMemory, "out of memory at offset " + std::to_string(c.position));
  }
  Mesh3D* mesh = c.mesh;
  std::uint32_t byteCount = c.byteCount + BuildPointerTables(*mesh);
  ResolveNames(*mesh);
  if (const std::string bad = FindBadFace(*mesh); !bad.empty()) SetError(LoadFatal, bad);
  mesh->byteSize = byteCount;
  return mesh;
}

bool BeginLoad() {
  if (Failed()) return false;
  kept.errorDetail.clear();
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
  return !Failed();
}

bool Load3DSMemory(Mesh3D*& mesh, const std::uint8_t* data, std::size_t size) {
  if (!BeginLoad()) return false;
  if (data == nullptr || size == 0) {
    SetError(LoadCantRead, "the file is empty");
    return false;
  }
  mesh = LoadBuffer(data, size);
  return !Failed();
}

bool Free3DSData(Mesh3D*& mesh) {
  if (Failed()) return false;
  if (mesh == nullptr) {
    SetError(LoadCantFree, "no scene data to free");
    return false;
  }
  FreeMeshRecords(mesh);
  mesh = nullptr;
  return true;
}

std::uint32_t TakeLoadError() {
  const std::uint32_t code = kept.errorCode;
  kept.errorCode = 0;
  return code;
}

std::string_view LoadErrorText(std::uint32_t code) {
  // Indexed by LoadError; 0 and codes past the table have no text of their own.
  constexpr std::string_view Texts[] = {
      "Unknown error!",
      "Filename is empty!",
      "Can't open .3DS file!",
      "Can't read .3DS file!",
      "Not enough memory available to load .3DS file!",
      "Not a 3DS file or corrupted file!",
      "Fatal error in .3DS file!",
      "Can't free up 3DS structure!",
  };
  static_assert(std::size(Texts) == LoadCantFree + 1);
  return code < std::size(Texts) ? Texts[code] : Texts[0];
}

std::string LoadErrorDetail() {
  return kept.errorDetail;
}

}  // namespace vx
