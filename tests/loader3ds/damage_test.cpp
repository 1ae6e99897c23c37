// Damaged, truncated and hostile files: the loader fails cleanly with code 6
// and a detail, or loads what is really there; it never reads outside the
// file (the sanitizer build checks that), never loops and never allocates
// more than the file can describe.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "loaded.h"
#include "write3ds.h"

namespace vx {
namespace {

using test::Loaded;

Scene3ds SmallScene() {
  Scene3ds s;
  s.materials = {{"Mat", {1, 2, 3}, false, "m.png", 50}};
  Object3ds o;
  o.name = "Tri";
  o.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  o.mapping = {{0, 0}, {1, 0}, {0, 1}};
  o.faces = {{0, 1, 2, 7, "Mat"}};
  s.objects = {o};
  s.cameras = {{"Cam", {0, -5, 0}, {0, 0, 0}, 0, 35}};
  Track3ds t;
  t.name = "Tri";
  t.nodeId = 0;
  t.position = {{0, {0, 0, 0}, {}}, {10, {1, 1, 1}, {0x0001, {0.5f}}}};
  t.rotation = {{0, 0.5f, {0, 0, 1}, {}}};
  Track3ds cam;
  cam.node = Node3ds::Camera;
  cam.name = "Cam";
  cam.position = {{0, {0, -5, 0}, {}}};
  cam.fov = {{0, 45, {}}};
  s.tracks = {t, cam};
  return s;
}

// One object "V" whose vertex list states count and holds verticesWritten.
std::vector<std::uint8_t> VertexFile(std::uint16_t count, int verticesWritten) {
  return test::ObjectMeshFile("V", [&](ChunkWriter& w) {
    w.Begin(0x4110);
    w.U16(count);
    for (int i = 0; i < verticesWritten; ++i) w.Vec({float(i), 0, 0});
    w.End();
  });
}

void ExpectFatal(const Loaded& r, const std::string& detailPart) {
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.code, LoadFatal);
  EXPECT_EQ(LoadErrorText(r.code), "Fatal error in .3DS file!");
  EXPECT_NE(r.detail.find(detailPart), std::string::npos) << r.detail;
}

TEST(DamagedFile, EveryTruncationFailsCleanlyOrLoadsWhatIsThere) {
  const std::vector<std::uint8_t> whole = Write3ds(SmallScene());
  std::set<std::uint32_t> codes;
  int loaded = 0;
  for (std::size_t size = 1; size < whole.size(); ++size) {
    const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + size);
    Loaded r(part);
    codes.insert(r.code);
    if (r.ok) {
      ++loaded;
      // Whatever loaded is consistent: faces only name existing vertices.
      for (int o = 0; o < r.mesh->objectCount; ++o) {
        const MeshObject& obj = *r.mesh->objects[o];
        for (int f = 0; f < obj.faceCount; ++f)
          EXPECT_LT(obj.faces[f].c, obj.vertexCount) << "size " << size;
      }
    } else {
      EXPECT_EQ(r.code, LoadFatal) << "size " << size;
      EXPECT_FALSE(r.detail.empty()) << "size " << size;
      EXPECT_NE(r.mesh, nullptr) << "size " << size;  // handed back for freeing
    }
  }
  EXPECT_TRUE(codes.count(LoadFatal));
  // A cut exactly between two chunks leaves a shorter but sound file.
  EXPECT_GT(loaded, 0);
  Loaded r(whole);
  EXPECT_TRUE(r.ok) << r.detail;
}

TEST(DamagedFile, CutInsideAValueNamesTheChunk) {
  std::vector<std::uint8_t> bytes = VertexFile(3, 3);
  bytes.erase(bytes.end() - 5, bytes.end());  // into the last vertex
  Loaded r(bytes);
  ExpectFatal(r, "chunk 0x4110 (Vertex list)");
}

TEST(DamagedFile, FilesShorterThanAHeaderAndTrailingBytes) {
  Loaded tiny(std::vector<std::uint8_t>{0x4D, 0x4D, 0x06});
  ExpectFatal(tiny, "shorter than one chunk header");
  // Fewer bytes than a chunk header after the main chunk end the walk
  // quietly, whatever they hold; six are a header, here of length 0.
  const std::vector<std::uint8_t> whole = Write3ds(SmallScene());
  for (std::size_t extra = 1; extra <= 6; ++extra) {
    std::vector<std::uint8_t> bytes = whole;
    for (std::size_t i = 0; i < extra; ++i) bytes.push_back(extra < 6 ? 0x4D : 0);
    Loaded r(bytes);
    EXPECT_TRUE(r.ok) << extra << " bytes: " << r.detail;
    ASSERT_NE(r.mesh, nullptr);
    EXPECT_EQ(r.mesh->objectCount, 1) << extra << " bytes";
  }
  // Inside a chunk, a header cut by the end of the file is still damage.
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0x3D3D);
  w.EndAll();
  std::vector<std::uint8_t> cut = w.Bytes();
  for (std::uint8_t b : {0x00, 0x40, 0x09}) cut.push_back(b);
  cut[2] = static_cast<std::uint8_t>(cut.size());  // the main chunk covers them
  Loaded r(cut);
  ExpectFatal(r, "runs past the end of the file");
}

TEST(DamagedFile, LengthShorterThanTheHeader) {
  for (std::uint32_t length : {1u, 5u}) {
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x3D3D);
    w.U16(0x4000);
    w.U32(length);
    w.String("never");
    w.EndAll();
    Loaded r(w.Bytes());
    ExpectFatal(r, "shorter than its own header");
  }
}

TEST(DamagedFile, CountsLargerThanTheBytesLeft) {
  {
    Loaded r(VertexFile(65535, 2));
    ExpectFatal(r, "65535 vertices");
  }
  {
    // Key count 0xFFFFFFFF: its low 16 bits ask for 65535 keys.
    Loaded r(test::ObjectTrackFile([](ChunkWriter& w) {
      w.Begin(0xB021);
      test::KeyHeader(w, 0xFFFFFFFF);
      w.End();
    }));
    ExpectFatal(r, "65535 keys");
    ASSERT_NE(r.mesh, nullptr);
    EXPECT_EQ(r.mesh->tracks[0]->rotation.count, 0);
  }
  {
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x3D3D);
    Object3ds o;
    o.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    Write3dsObject(w, o);
    w.EndAll();
    std::vector<std::uint8_t> bytes = w.Bytes();
    // The face list is the last chunk: its count is the last two bytes.
    bytes[bytes.size() - 2] = 0x00;
    bytes[bytes.size() - 1] = 0x40;
    Loaded r(bytes);
    ExpectFatal(r, "16384 faces");
  }
}

TEST(DamagedFile, FaceIndexBeyondTheVertexListIsFatalAfterTheWalk) {
  Scene3ds s = SmallScene();
  s.objects[0].faces.push_back({0, 3, 1, 7, "Mat"});
  Loaded r(Write3ds(s));
  ExpectFatal(r, "face 1 uses vertex 3 of 3");
  ASSERT_NE(r.mesh, nullptr);
  EXPECT_EQ(r.mesh->trackCount, 2);  // the walk itself finished
}

TEST(DamagedFile, FaceListAndMappingEntriesOutsideTheArraysAreIgnored) {
  Loaded r(test::ObjectMeshFile("O", [](ChunkWriter& w) {
    w.Begin(0x4110);
    w.U16(2);
    w.Vec({0, 0, 0});
    w.Vec({1, 0, 0});
    w.End();
    w.Begin(0x4140);  // four coordinates for two vertices
    w.U16(4);
    for (float f : {0.1f, 0.2f, 0.3f, 0.4f, 9.0f, 9.0f, 9.0f, 9.0f}) w.F32(f);
    w.End();
    w.Begin(0x4120);
    w.U16(1);
    for (std::uint16_t v : {0, 1, 1, 7}) w.U16(v);
    w.Begin(0x4130);
    w.String("Mat");
    w.U16(3);
    for (std::uint16_t f : {5, 0, 0xFFFF}) w.U16(f);
    w.End();
    w.End();
  }));
  ASSERT_TRUE(r.ok) << r.detail;
  const MeshObject& o = *r.mesh->objects[0];
  EXPECT_FLOAT_EQ(o.vertices[1].u, 0.3f);
  EXPECT_FLOAT_EQ(o.vertices[1].v, 0.4f);
  EXPECT_EQ(o.faces[0].materialName.View(), "Mat");
}

TEST(DamagedFile, LengthRunningPastItsParentIsWalkedToTheParentsEnd) {
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0x3D3D);
  w.Begin(0x4000);
  w.String("Long");
  w.Begin(0x4100);
  w.Begin(0x4110);
  const std::size_t lengthAt = w.Size() - 4;
  w.U16(1);
  w.Vec({1, 2, 3});
  w.End();
  w.End();
  w.End();
  Write3dsCamera(w, {"After", {0, 0, 0}, {0, 1, 0}, 0, 35});
  w.EndAll();
  std::vector<std::uint8_t> bytes = w.Bytes();
  ChunkWriter patch;
  patch.Raw(bytes);
  patch.PatchU32(lengthAt, 0x7FFFFFFF);  // claims to run far past the object
  Loaded r(patch.Bytes());
  ASSERT_TRUE(r.ok) << r.detail;
  ASSERT_EQ(r.mesh->objectCount, 1);
  EXPECT_FLOAT_EQ(r.mesh->objects[0]->vertices[0].y, 3);
  ASSERT_EQ(r.mesh->cameraCount, 1);  // the sibling after the parent is read
  EXPECT_EQ(r.mesh->cameras[0]->name.View(), "After");
}

TEST(DamagedFile, MainChunkLongerThanTheFileIsWalkedToTheEnd) {
  std::vector<std::uint8_t> bytes = Write3ds(SmallScene());
  bytes[2] = 0xFF;
  bytes[3] = 0xFF;
  bytes[4] = 0xFF;
  Loaded r(bytes);
  EXPECT_TRUE(r.ok) << r.detail;
  EXPECT_EQ(r.mesh->trackCount, 2);
}

TEST(DamagedFile, StringWithoutItsZeroByte) {
  std::vector<std::uint8_t> bytes{0x4D, 0x4D, 0, 0, 0, 0, 0x00, 0x40, 0, 0, 0, 0, 'a', 'b', 'c'};
  bytes[2] = static_cast<std::uint8_t>(bytes.size());
  bytes[8] = 9;
  Loaded r(bytes);
  ExpectFatal(r, "has no end");
}

TEST(DamagedFile, DataChunkWithoutItsRecord) {
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0x3D3D);
  w.Begin(0x4110);  // a vertex list outside any object
  w.U16(1);
  w.Vec({0, 0, 0});
  w.EndAll();
  Loaded vertices(w.Bytes());
  ExpectFatal(vertices, "no object");

  ChunkWriter k;
  k.Begin(0x4D4D);
  k.Begin(0xB000);
  k.Begin(0xB013);  // a pivot before any track
  k.Vec({0, 0, 0});
  k.End();
  k.End();
  k.End();
  Loaded pivot(k.Bytes());
  ExpectFatal(pivot, "no track");
}

TEST(DamagedFile, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  ChunkWriter w;
  w.Begin(0x4D4D);
  for (int i = 0; i < 20000; ++i) w.Begin(0x3D3D);
  for (int i = 0; i < 20000; ++i) w.End();
  w.End();
  Loaded r(w.Bytes());
  ExpectFatal(r, "nested");
}

TEST(DamagedFile, MoreRecordsThanACountHolds) {
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0x3D3D);
  for (int i = 0; i < 65536; ++i) {
    w.Begin(0xAFFF);
    w.End();
  }
  w.EndAll();
  Loaded r(w.Bytes());
  ExpectFatal(r, "more than 65535 materials");
  ASSERT_NE(r.mesh, nullptr);
  EXPECT_EQ(r.mesh->materialCount, 65535);
}

TEST(DamagedFile, ManyTinyChunksEndInTime) {
  // A megabyte of unknown 6-byte chunks and empty containers: one pass.
  ChunkWriter w;
  w.Begin(0x4D4D);
  for (int i = 0; i < 150000; ++i) {
    w.Begin(i % 2 ? 0x3D3D : 0x1111);
    w.End();
  }
  w.End();
  Loaded r(w.Bytes());
  EXPECT_TRUE(r.ok) << r.detail;
}

TEST(DamagedFile, DetailIsClearedByTheNextLoad) {
  {
    Loaded bad(std::vector<std::uint8_t>{1, 2, 3});
    EXPECT_FALSE(bad.detail.empty());
  }
  Loaded good(Write3ds(SmallScene()));
  EXPECT_TRUE(good.ok);
  EXPECT_EQ(good.detail, "");
}

}  // namespace
// A chunk is cut at its parent's end, not at the file's: a mesh that claims
// to run past its object must not swallow the objects after it, which
// would then be walked twice (once inside it, once in their own place).
// The overrun is put on a container and on a container inside it.
TEST(DamagedFile, AContainerRunningPastItsParentIsCutAtTheParentsEnd) {
  for (const bool nested : {false, true}) {
    ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x3D3D);
    std::size_t overrun = 0, objectEnd = 0;
    for (const char* name : {"A", "B", "C"}) {
      w.Begin(0x4000);
      w.String(name);
      if (overrun == 0) overrun = w.Size() + (nested ? 8 : 2);  // the length field
      w.Begin(0x4100);
      if (nested) w.Begin(0x4100);
      w.Begin(0x4110);
      w.U16(3);
      for (float x : {0.0f, 1.0f, 2.0f}) w.Vec({x, 0, 0});
      w.End();
      if (nested) w.End();
      w.End();
      w.End();
      if (objectEnd == 0) objectEnd = w.Size();
    }
    w.EndAll();
    Loaded sound(w.Bytes());
    ASSERT_TRUE(sound.ok) << sound.detail;
    // The overrunning chunk reaches to the end of the file.
    const std::size_t start = overrun - 2;
    w.PatchU32(overrun, static_cast<std::uint32_t>(w.Size() - start));
    ASSERT_GT(w.Size(), objectEnd);
    Loaded r(w.Bytes());
    ASSERT_NE(r.mesh, nullptr);
    EXPECT_EQ(r.mesh->objectCount, sound.mesh->objectCount)
        << (nested ? "nested" : "direct") << ": " << r.detail;
  }
}

}  // namespace vx
