// What the loader builds from well-formed files written by our 3DS writer.
#include <gtest/gtest.h>

#include <string>

#include "datalib/datalib.h"
#include "loaded.h"
#include "support/testlib.h"
#include "write3ds.h"

namespace vx {
namespace {

using test::Loaded;

Spline3ds Flags(std::uint16_t flags, std::initializer_list<float> values) {
  Spline3ds s;
  s.flags = flags;
  int bit = 0;
  for (float v : values) {
    while ((flags & (1u << bit)) == 0) ++bit;
    s.params[bit++] = v;
  }
  return s;
}

Object3ds BoxObject() {
  Object3ds o;
  o.name = "Box";
  o.vertices = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
  o.mapping = {{0.25f, 0.5f}, {0.75f, 1.0f}, {0, 0}, {1, 1}};
  o.faces = {{0, 1, 2, 0x0005, "Stone"}, {1, 2, 3, 0x001E, "Wood"}};
  o.matrix = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  return o;
}

// One object of 4 vertices and 2 faces, two materials, a camera with its two
// tracks, a light with one track.
Scene3ds SampleScene() {
  Scene3ds s;
  s.materials = {{"Stone", {10, 20, 30}, false, "stone.png", 80},
                 {"Wood", {40, 50, 60}, false, "", 100}};
  s.objects = {BoxObject()};
  s.cameras = {{"Cam", {1, 2, 3}, {4, 5, 6}, 7.0f, 35.0f}};
  s.lights = {{"Lamp", {0, 0, 9}}};
  s.startFrame = 0;
  s.endFrame = 100;

  Track3ds box;
  box.node = Node3ds::Object;
  box.nodeId = 0;
  box.name = "Box";
  box.pivot = {1, 2, 3};
  box.position = {{0, {1, 2, 3}, {}},
                  {70000, {4, 5, 6}, Flags(0x001F, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f})}};
  box.rotation = {{0, 1.5f, {0, 0, 1}, {}}};
  box.scale = {{0, {1, 2, 3}, {}}};
  Track3ds cam;
  cam.node = Node3ds::Camera;
  cam.nodeId = 1;
  cam.name = "Cam";
  cam.position = {{0, {1, 2, 3}, {}}};
  cam.fov = {{0, 45.0f, {}}};
  cam.roll = {{0, 5.0f, {}}};
  Track3ds target;
  target.node = Node3ds::CameraTarget;
  target.nodeId = 2;
  target.name = "Cam";
  target.parent = 0;
  target.position = {{0, {4, 5, 6}, {}}};
  Track3ds lamp;
  lamp.node = Node3ds::Light;
  lamp.nodeId = 3;
  lamp.name = "Lamp";
  lamp.position = {{0, {0, 0, 9}, {}}};
  s.tracks = {box, cam, target, lamp};
  return s;
}

void ExpectVector(Vector v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

TEST(LoaderRecords, ObjectVerticesFacesMappingAndMatrix) {
  Loaded r(Write3ds(SampleScene()));
  ASSERT_TRUE(r.ok) << r.detail;
  ASSERT_EQ(r.mesh->objectCount, 1);
  const MeshObject& box = *r.mesh->objects[0];
  EXPECT_EQ(box.name.View(), "Box");
  ASSERT_EQ(box.vertexCount, 4);
  // The file's (1, 2, 3) is stored as (1, 3, 2).
  EXPECT_FLOAT_EQ(box.vertices[0].x, 1);
  EXPECT_FLOAT_EQ(box.vertices[0].y, 3);
  EXPECT_FLOAT_EQ(box.vertices[0].z, 2);
  EXPECT_FLOAT_EQ(box.vertices[3].y, 12);
  EXPECT_FLOAT_EQ(box.vertices[3].z, 11);
  EXPECT_FLOAT_EQ(box.vertices[1].u, 0.75f);
  EXPECT_FLOAT_EQ(box.vertices[1].v, 1.0f);
  ASSERT_EQ(box.faceCount, 2);
  const MeshFace& f0 = box.faces[0];
  EXPECT_EQ(f0.a, 0);
  EXPECT_EQ(f0.b, 1);
  EXPECT_EQ(f0.c, 2);
  // flags 0x05: bits 0 and 2 -> CA and AB visible, BC not, no wrap.
  EXPECT_EQ(f0.edgeAB, 1);
  EXPECT_EQ(f0.edgeBC, 0);
  EXPECT_EQ(f0.edgeCA, 1);
  EXPECT_EQ(f0.uWrap, 0);
  EXPECT_EQ(f0.vWrap, 0);
  // flags 0x1E: bits 1 to 4 -> AB and BC visible, CA not (bits 0 and 2
  // differ, so AB and CA cannot be swapped unseen), u and v wrap.
  const MeshFace& f1 = box.faces[1];
  EXPECT_EQ(f1.edgeAB, 1);
  EXPECT_EQ(f1.edgeBC, 1);
  EXPECT_EQ(f1.edgeCA, 0);
  EXPECT_EQ(f1.uWrap, 1);
  EXPECT_EQ(f1.vWrap, 1);
  EXPECT_EQ(f0.materialName.View(), "Stone");
  EXPECT_EQ(f0.materialIndex, 0);
  EXPECT_EQ(f1.materialIndex, 1);
  // Matrix rows X (1 2 3), Y (4 5 6), Z (7 8 9), origin (10 11 12): the Y and
  // Z rows change places and every row has its y and z exchanged.
  ExpectVector(box.axes[0], 1, 3, 2);
  ExpectVector(box.axes[1], 7, 9, 8);
  ExpectVector(box.axes[2], 4, 6, 5);
  ExpectVector(box.axes[3], 10, 12, 11);
  EXPECT_EQ(box.trackIndex, 0);
}

TEST(LoaderRecords, CamerasLightsAndMaterials) {
  Loaded r(Write3ds(SampleScene()));
  ASSERT_TRUE(r.ok) << r.detail;
  ASSERT_EQ(r.mesh->cameraCount, 1);
  const SceneCamera& cam = *r.mesh->cameras[0];
  EXPECT_EQ(cam.name.View(), "Cam");
  ExpectVector(cam.position, 1, 3, 2);
  ExpectVector(cam.target, 4, 6, 5);
  EXPECT_FLOAT_EQ(cam.roll, 7.0f);
  EXPECT_FLOAT_EQ(cam.lens, 35.0f);
  EXPECT_EQ(cam.positionTrack, 1);
  EXPECT_EQ(cam.targetTrack, 2);

  ASSERT_EQ(r.mesh->lightCount, 1);
  EXPECT_EQ(r.mesh->lights[0]->name.View(), "Lamp");

  ASSERT_EQ(r.mesh->materialCount, 2);
  const Material& stone = *r.mesh->materials[0];
  EXPECT_EQ(stone.name.View(), "Stone");
  EXPECT_EQ(stone.ambient[0], 10);
  EXPECT_EQ(stone.ambient[1], 20);
  EXPECT_EQ(stone.ambient[2], 30);
  EXPECT_EQ(stone.ambient[3], 0);
  EXPECT_EQ(stone.textureFile.View(), "stone.png");
  EXPECT_EQ(stone.textureAmount, 80);
  const Material& wood = *r.mesh->materials[1];
  EXPECT_EQ(wood.name.View(), "Wood");
  EXPECT_EQ(wood.ambient[2], 60);
  EXPECT_EQ(wood.textureFile.length, 0);
}

TEST(LoaderRecords, TracksKeysAndSplineParameters) {
  Loaded r(Write3ds(SampleScene()));
  ASSERT_TRUE(r.ok) << r.detail;
  EXPECT_EQ(r.mesh->startFrame, 0);
  EXPECT_EQ(r.mesh->endFrame, 100);
  EXPECT_EQ(r.mesh->frameCount, 100);
  ASSERT_EQ(r.mesh->trackCount, 4);
  const Track& box = *r.mesh->tracks[0];
  EXPECT_EQ(box.kind, TrackObject);
  EXPECT_EQ(box.name.View(), "Box");
  EXPECT_EQ(box.nodeId, 0);
  EXPECT_EQ(box.parent, NoTrack);
  ExpectVector(box.pivot, 1, 3, 2);
  ASSERT_EQ(box.position.count, 2);
  EXPECT_EQ(box.position.keys[0].frame, 0);
  ExpectVector(box.position.keys[0].value, 1, 3, 2);
  EXPECT_EQ(box.position.keys[0].spline.flags, 0);
  EXPECT_EQ(box.position.keys[0].spline.tension, 0.0f);
  // Frame 70000 keeps its low 16 bits.
  EXPECT_EQ(box.position.keys[1].frame, 70000 - 65536);
  const SplineParams& sp = box.position.keys[1].spline;
  EXPECT_EQ(sp.flags, 0x001F);
  EXPECT_FLOAT_EQ(sp.tension, 0.1f);
  EXPECT_FLOAT_EQ(sp.continuity, 0.2f);
  EXPECT_FLOAT_EQ(sp.bias, 0.3f);
  EXPECT_FLOAT_EQ(sp.easeTo, 0.4f);
  EXPECT_FLOAT_EQ(sp.easeFrom, 0.5f);
  ExpectVector(box.position.keys[1].value, 4, 6, 5);
  ASSERT_EQ(box.rotation.count, 1);
  EXPECT_FLOAT_EQ(box.rotation.keys[0].angle, 1.5f);
  ExpectVector(box.rotation.keys[0].axis, 0, 1, 0);
  ASSERT_EQ(box.scale.count, 1);
  ExpectVector(box.scale.keys[0].value, 1, 3, 2);
  EXPECT_EQ(box.morph.count, 0);
  EXPECT_EQ(box.fov.count, 0);

  const Track& cam = *r.mesh->tracks[1];
  EXPECT_EQ(cam.kind, TrackCamera);
  EXPECT_EQ(cam.nodeId, 1);
  ASSERT_EQ(cam.fov.count, 1);
  EXPECT_FLOAT_EQ(cam.fov.keys[0].value, 45.0f);
  ASSERT_EQ(cam.roll.count, 1);
  EXPECT_FLOAT_EQ(cam.roll.keys[0].value, 5.0f);
  EXPECT_EQ(r.mesh->tracks[2]->kind, TrackCameraTarget);
  EXPECT_EQ(r.mesh->tracks[2]->parent, 0);
  EXPECT_EQ(r.mesh->tracks[3]->kind, TrackLight);
}

TEST(LoaderRecords, EveryNodeChunkGivesItsTrackKind) {
  Scene3ds s;
  const Node3ds nodes[] = {Node3ds::Object, Node3ds::Camera,     Node3ds::CameraTarget,
                           Node3ds::Light,  Node3ds::SpotTarget, Node3ds::OmniLight};
  for (Node3ds n : nodes) {
    Track3ds t;
    t.node = n;
    t.name = "N";
    s.tracks.push_back(t);
  }
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  ASSERT_EQ(r.mesh->trackCount, 6);
  const std::uint8_t kinds[] = {1, 2, 4, 8, 16, 32};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(r.mesh->tracks[i]->kind, kinds[i]) << i;
}

// Records are zero-filled when allocated: a track without a 0xB010 chunk has
// parent 0, like its empty name, not "no parent".
TEST(LoaderRecords, TrackWithoutNameChunkKeepsTheZeroParent) {
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0xB000);
  for (std::uint16_t node : {0xB002, 0xB003}) {
    w.Begin(node);
    w.Begin(0xB030);
    w.U16(node == 0xB002 ? 4 : 5);
    w.End();
    w.End();
  }
  w.EndAll();
  Loaded r(w.Bytes());
  ASSERT_TRUE(r.ok) << r.detail;
  ASSERT_EQ(r.mesh->trackCount, 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(r.mesh->tracks[i]->parent, 0) << i;
    EXPECT_EQ(r.mesh->tracks[i]->name.length, 0) << i;
  }
  EXPECT_EQ(r.mesh->tracks[1]->nodeId, 5);
}

TEST(LoaderRecords, RecordsKeepFileOrderInTheirTables) {
  Scene3ds s;
  for (const char* name : {"A", "B", "C"}) {
    Object3ds o;
    o.name = name;
    s.objects.push_back(o);
    s.materials.push_back({std::string("M") + name, {0, 0, 0}, false, "", 0});
  }
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  ASSERT_EQ(r.mesh->objectCount, 3);
  EXPECT_EQ(r.mesh->objects[0]->name.View(), "A");
  EXPECT_EQ(r.mesh->objects[1]->name.View(), "B");
  EXPECT_EQ(r.mesh->objects[2]->name.View(), "C");
  EXPECT_EQ(r.mesh->objects[0]->next, r.mesh->objects[1]);
  EXPECT_EQ(r.mesh->objectList, r.mesh->objects[0]);
  ASSERT_EQ(r.mesh->materialCount, 3);
  EXPECT_EQ(r.mesh->materials[2]->name.View(), "MC");
  EXPECT_EQ(r.mesh->cameraCount, 0);
  EXPECT_EQ(r.mesh->cameras, nullptr);
}

TEST(LoaderFrames, FrameCountIsTheDistanceOfTheLow16Bits) {
  Scene3ds s;
  s.startFrame = 0x10000 + 30;  // low 16 bits: 30
  s.endFrame = 10;
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  EXPECT_EQ(r.mesh->startFrame, 30);
  EXPECT_EQ(r.mesh->endFrame, 10);
  EXPECT_EQ(r.mesh->frameCount, 20);
}

// ---- byte counts -------------------------------------------------------------

TEST(LoaderByteCount, OneObjectOneTrackByHand) {
  Scene3ds s;
  Object3ds o = BoxObject();
  for (auto& f : o.faces) f.material.clear();
  s.objects = {o};
  Track3ds t;
  t.name = "Box";
  t.position = {{0, {0, 0, 0}, {}}};
  s.tracks = {t};
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  // Mesh3D 60 + object 202 + 4 vertices x 20 + 2 faces x 48 + track 94
  // + 1 position key 36 + object table 4 + track table 4.
  EXPECT_EQ(r.mesh->byteSize, 60u + 202 + 80 + 96 + 94 + 36 + 4 + 4);
}

TEST(LoaderByteCount, EveryKindOfRecordAndKey) {
  Scene3ds s = SampleScene();
  MorphKey3ds morph;
  morph.target = "Box";
  s.tracks[0].morph = {morph, morph};
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  const std::uint32_t records = 60 + 202 + 74 + 38 + 2 * 66 + 4 * 94;
  const std::uint32_t arrays = 4 * 20 + 2 * 48;
  // Position keys 2 + 1 + 1 + 1, one rotation, one scale, one FOV, one roll,
  // two morph keys.
  const std::uint32_t keys = 5 * 36 + 56 + 36 + 28 + 28 + 2 * 58;
  const std::uint32_t tables = (1 + 1 + 1 + 2 + 4) * 4;
  EXPECT_EQ(r.mesh->byteSize, records + arrays + keys + tables);
}

TEST(LoaderByteCount, EmptyFileCountsOnlyTheMeshRecord) {
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.End();
  Loaded r(w.Bytes());
  ASSERT_TRUE(r.ok) << r.detail;
  EXPECT_EQ(r.mesh->byteSize, 60u);
  EXPECT_EQ(r.mesh->objectCount, 0);
  EXPECT_EQ(r.mesh->objects, nullptr);
}

TEST(LoaderByteCount, RepeatedVertexListReplacesTheFirst) {
  Loaded r(test::ObjectMeshFile("Twice", [](ChunkWriter& w) {
    for (int count : {5, 2}) {
      w.Begin(0x4110);
      w.U16(static_cast<std::uint16_t>(count));
      for (int i = 0; i < count; ++i) w.Vec({float(count), 0, 0});
      w.End();
    }
  }));
  ASSERT_TRUE(r.ok) << r.detail;
  const MeshObject& o = *r.mesh->objects[0];
  ASSERT_EQ(o.vertexCount, 2);
  EXPECT_FLOAT_EQ(o.vertices[1].x, 2.0f);
  // Both arrays were allocated, so both stay charged: 5 + 2 vertices.
  EXPECT_EQ(r.mesh->byteSize, 60u + 202 + 5 * 20 + 2 * 20 + 4);
}

// Two position-key chunks of 3 and 2 keys: the track holds the second list,
// and the count charges 60 + 94 + (3 + 2) x 36 + 4 = 338 bytes.
TEST(LoaderByteCount, RepeatedKeyListKeepsTheChargeOfBoth) {
  Loaded r(test::ObjectTrackFile([](ChunkWriter& w) {
    for (int count : {3, 2}) {
      w.Begin(0xB020);
      test::KeyHeader(w, static_cast<std::uint32_t>(count));
      for (int k = 0; k < count; ++k) {
        w.U32(static_cast<std::uint32_t>(k));
        w.U16(0);
        w.Vec({float(count), 0, 0});
      }
      w.End();
    }
  }));
  ASSERT_TRUE(r.ok) << r.detail;
  const Track& t = *r.mesh->tracks[0];
  ASSERT_EQ(t.position.count, 2);
  EXPECT_FLOAT_EQ(t.position.keys[1].value.x, 2.0f);
  EXPECT_EQ(r.mesh->byteSize, 338u);
}

// ---- names -----------------------------------------------------------------

TEST(LoaderNames, EmptyNamesBecomeDummy) {
  Scene3ds s;
  Object3ds o;
  o.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  o.faces = {{0, 1, 2, 7, ""}};
  s.objects = {o};  // empty object name
  s.materials = {{"", {1, 2, 3}, false, "", 0}};
  Track3ds t;
  s.tracks = {t};  // empty track name
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  EXPECT_EQ(r.mesh->objects[0]->name.View(), "$DUMMY$");
  EXPECT_EQ(r.mesh->materials[0]->name.View(), "$DUMMY$");
  EXPECT_EQ(r.mesh->tracks[0]->name.View(), "$DUMMY$");
  // The track's "$DUMMY$" binds the "$DUMMY$" object.
  EXPECT_EQ(r.mesh->objects[0]->trackIndex, 0);
}

TEST(LoaderNames, LongMaterialNamesAreCutAlikeSoFacesStillMatch) {
  const std::string longName(40, 'm');
  const std::string otherLong = std::string(32, 'm') + "-other";  // same first 32
  Scene3ds s;
  s.materials = {
      {"First", {}, false, "", 0}, {longName, {}, false, "", 0}, {"Third", {}, false, "", 0}};
  Object3ds o;
  o.name = "O";
  o.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  o.faces = {{0, 1, 2, 7, longName}, {0, 2, 1, 7, "Third"}, {1, 2, 0, 7, otherLong}};
  s.objects = {o};
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  EXPECT_EQ(r.mesh->materials[1]->name.View(), std::string(32, 'm'));
  const MeshFace* faces = r.mesh->objects[0]->faces;
  EXPECT_EQ(faces[0].materialName.View(), std::string(32, 'm'));
  EXPECT_EQ(faces[0].materialIndex, 1);
  EXPECT_EQ(faces[1].materialIndex, 2);
  EXPECT_EQ(faces[2].materialIndex, 1);  // cut to the same 32 characters
}

TEST(LoaderNames, LastOfSeveralEqualNamesWins) {
  Scene3ds s;
  s.materials = {
      {"Same", {}, false, "", 0}, {"Other", {}, false, "", 0}, {"Same", {}, false, "", 0}};
  Object3ds o;
  o.name = "O";
  o.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  o.faces = {{0, 1, 2, 7, "Same"}};
  s.objects = {o};
  Track3ds a, b;
  a.name = "O";
  b.name = "O";
  Track3ds other;
  other.name = "X";
  s.tracks = {a, b, other};
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  EXPECT_EQ(r.mesh->objects[0]->faces[0].materialIndex, 2);
  EXPECT_EQ(r.mesh->objects[0]->trackIndex, 1);
}

TEST(LoaderNames, UnlistedFaceAndUnknownMaterialGetIndexZero) {
  Scene3ds s;
  s.materials = {{"A", {}, false, "", 0}, {"B", {}, false, "", 0}};
  Object3ds o;
  o.name = "O";
  o.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  o.faces = {{0, 1, 2, 7, "B"}, {0, 2, 1, 7, ""}, {1, 2, 0, 7, "Nowhere"}};
  s.objects = {o};
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  const MeshFace* faces = r.mesh->objects[0]->faces;
  EXPECT_EQ(faces[0].materialIndex, 1);
  EXPECT_EQ(faces[1].materialName.length, 0);
  EXPECT_EQ(faces[1].materialIndex, 0);
  EXPECT_EQ(faces[2].materialIndex, 0);
}

TEST(LoaderNames, ObjectWithoutTrackGetsIndexZero) {
  Scene3ds s = SampleScene();
  Object3ds lone;
  lone.name = "Lone";
  s.objects.push_back(lone);
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  EXPECT_EQ(r.mesh->objects[1]->trackIndex, 0);
}

TEST(LoaderNames, CameraTracksAreFoundByKindAndName) {
  Scene3ds s = SampleScene();
  s.cameras.push_back({"Bare", {0, 0, 0}, {1, 0, 0}, 0, 50});
  // A track named like the camera but of object kind binds nothing.
  Track3ds wrongKind;
  wrongKind.name = "Bare";
  s.tracks.push_back(wrongKind);
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  ASSERT_EQ(r.mesh->cameraCount, 2);
  EXPECT_EQ(r.mesh->cameras[0]->positionTrack, 1);
  EXPECT_EQ(r.mesh->cameras[0]->targetTrack, 2);
  EXPECT_EQ(r.mesh->cameras[1]->positionTrack, NoTrack);
  EXPECT_EQ(r.mesh->cameras[1]->targetTrack, NoTrack);
}

TEST(LoaderNames, StringsAreCutToTheirFields) {
  Scene3ds s;
  s.materials = {{"M", {}, false, "averyverylongtexture.png", 1}};
  Object3ds o;
  o.name = std::string(300, 'n');
  s.objects = {o};
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  EXPECT_EQ(r.mesh->materials[0]->textureFile.View(), "averyverylon");
  EXPECT_EQ(r.mesh->objects[0]->name.View(), std::string(32, 'n'));
}

// ---- values carried over ----------------------------------------------------

TEST(LoaderCarriedValues, FloatOnlyAmbientKeepsTheLastByteColour) {
  Scene3ds s;
  s.materials = {{"Bytes", {11, 22, 33}, false, "", 0}, {"Floats", {200, 200, 200}, true, "", 0}};
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  const Material& floats = *r.mesh->materials[1];
  EXPECT_EQ(floats.ambient[0], 11);
  EXPECT_EQ(floats.ambient[1], 22);
  EXPECT_EQ(floats.ambient[2], 33);
}

TEST(LoaderCarriedValues, ByteColourAndWordValueOutliveALoad) {
  Scene3ds first;
  first.materials = {{"Bytes", {5, 6, 7}, false, "t.png", 42}};
  {
    Loaded r(Write3ds(first));
    ASSERT_TRUE(r.ok) << r.detail;
  }
  // The next file's material has a float colour only and a texture block
  // without a WORD value.
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0x3D3D);
  w.Begin(0xAFFF);
  w.Begin(0xA000);
  w.String("Later");
  w.End();
  w.Begin(0xA010);
  w.Begin(0x0010);
  w.F32(1);
  w.F32(1);
  w.F32(1);
  w.End();
  w.End();
  w.Begin(0xA200);
  w.Begin(0xA300);
  w.String("x.png");
  w.EndAll();
  Loaded r(w.Bytes());
  ASSERT_TRUE(r.ok) << r.detail;
  const Material& later = *r.mesh->materials[0];
  EXPECT_EQ(later.ambient[0], 5);
  EXPECT_EQ(later.ambient[2], 7);
  EXPECT_EQ(later.textureAmount, 42);
  EXPECT_EQ(later.textureFile.View(), "x.png");
}

// ---- keys ---------------------------------------------------------------------

TEST(LoaderKeys, EverySetFlagBitIsFollowedByOneFloat) {
  Scene3ds s;
  Track3ds t;
  t.name = "T";
  // 0x0021: tension, then the value of bit 5, which is dropped.
  t.position = {
      {1, {1, 2, 3}, Flags(0x0021, {0.75f, 99.0f})},
      {2, {4, 5, 6}, Flags(0x0014, {0.5f, -0.5f})},
      {3, {7, 8, 9}, Flags(0xFFFF, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16})}};
  s.tracks = {t};
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  const VectorKey* keys = r.mesh->tracks[0]->position.keys;
  EXPECT_EQ(keys[0].spline.flags, 0x0021);
  EXPECT_FLOAT_EQ(keys[0].spline.tension, 0.75f);
  EXPECT_EQ(keys[0].spline.continuity, 0.0f);
  EXPECT_EQ(keys[0].spline.easeFrom, 0.0f);
  ExpectVector(keys[0].value, 1, 3, 2);
  // bits 2 and 4: bias and ease from.
  EXPECT_EQ(keys[1].spline.tension, 0.0f);
  EXPECT_FLOAT_EQ(keys[1].spline.bias, 0.5f);
  EXPECT_FLOAT_EQ(keys[1].spline.easeFrom, -0.5f);
  ExpectVector(keys[1].value, 4, 6, 5);
  EXPECT_FLOAT_EQ(keys[2].spline.easeTo, 4.0f);
  EXPECT_FLOAT_EQ(keys[2].spline.easeFrom, 5.0f);
  ExpectVector(keys[2].value, 7, 9, 8);
}

TEST(LoaderKeys, MorphKeysNameTheirTarget) {
  Scene3ds s;
  Track3ds t;
  t.name = "T";
  t.morph = {{4, "Shape", {}}, {8, "", {}}};
  s.tracks = {t};
  Loaded r(Write3ds(s));
  ASSERT_TRUE(r.ok) << r.detail;
  const Track& track = *r.mesh->tracks[0];
  ASSERT_EQ(track.morph.count, 2);
  EXPECT_EQ(track.morph.keys[0].frame, 4);
  EXPECT_EQ(track.morph.keys[0].objectName.View(), "Shape");
  EXPECT_EQ(track.morph.keys[1].objectName.View(), "$DUMMY$");
}

TEST(LoaderKeys, CountUsesTheLow16BitsAndZeroKeysGiveNoArray) {
  Loaded r(test::ObjectTrackFile([](ChunkWriter& w) {
    w.Begin(0xB023);
    test::KeyHeader(w, 0x00010001);  // FOV: 1 key
    w.U32(3);
    w.U16(0);
    w.F32(60.0f);
    w.End();
    w.Begin(0xB024);
    test::KeyHeader(w, 0x00010000);  // roll: 0 keys
    w.End();
  }));
  ASSERT_TRUE(r.ok) << r.detail;
  const Track& t = *r.mesh->tracks[0];
  ASSERT_EQ(t.fov.count, 1);
  EXPECT_EQ(t.fov.keys[0].frame, 3);
  EXPECT_FLOAT_EQ(t.fov.keys[0].value, 60.0f);
  EXPECT_EQ(t.roll.count, 0);
  EXPECT_EQ(t.roll.keys, nullptr);
  EXPECT_EQ(r.mesh->byteSize, 60u + 94 + 28 + 4);
}

// ---- chunk walk ------------------------------------------------------------

TEST(LoaderWalk, UnknownChunkInsideAnObjectIsSkippedByItsLength) {
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0x3D3D);
  w.Begin(0x4000);
  w.String("Obj");
  // An unknown chunk whose contents look like a vertex list: not read.
  w.Begin(0x7777);
  w.Begin(0x4110);
  w.U16(1);
  w.Vec({9, 9, 9});
  w.End();
  w.End();
  w.Begin(0x4600);  // known chunks after it are read: a light named "Obj"
  w.Vec({0, 0, 0});
  w.End();
  w.Begin(0x4100);
  w.Begin(0x4110);
  w.U16(2);
  w.Vec({1, 2, 3});
  w.Vec({4, 5, 6});
  w.EndAll();
  Loaded r(w.Bytes());
  ASSERT_TRUE(r.ok) << r.detail;
  ASSERT_EQ(r.mesh->objectCount, 1);
  EXPECT_EQ(r.mesh->objects[0]->name.View(), "Obj");
  ASSERT_EQ(r.mesh->objects[0]->vertexCount, 2);
  EXPECT_FLOAT_EQ(r.mesh->objects[0]->vertices[1].y, 6);
  ASSERT_EQ(r.mesh->lightCount, 1);
  EXPECT_EQ(r.mesh->lights[0]->name.View(), "Obj");
}

// A chunk whose data is read, and nothing after it, skips its sub-chunks: a
// material block nested after the data is never walked into.
TEST(LoaderWalk, DataChunksSkipTheirSubChunks) {
  enum Inside { InMesh, InTrack, InMaterial };
  struct Case {
    const char* name;
    Inside inside;
    std::uint16_t id;
    void (*data)(ChunkWriter&);
  };
  const Case cases[] = {
      {"vertex list", InMesh, 0x4110, [](ChunkWriter& w) { w.U16(0); }},
      {"mapping", InMesh, 0x4140, [](ChunkWriter& w) { w.U16(0); }},
      {"matrix", InMesh, 0x4160,
       [](ChunkWriter& w) {
         for (int i = 0; i < 12; ++i) w.F32(1);
       }},
      {"visibility", InMesh, 0x4165, [](ChunkWriter& w) { w.U8(1); }},
      {"light", InMesh, 0x4600, [](ChunkWriter&) {}},
      {"frames", InTrack, 0xB008,
       [](ChunkWriter& w) {
         w.U32(0);
         w.U32(9);
       }},
      {"track pivot", InTrack, 0xB013,
       [](ChunkWriter& w) {
         w.Vec({1, 2, 3});
       }},
      {"position keys", InTrack, 0xB020, [](ChunkWriter& w) { test::KeyHeader(w, 0); }},
      {"hide keys", InTrack, 0xB029, [](ChunkWriter&) {}},
      {"track number", InTrack, 0xB030, [](ChunkWriter& w) { w.U16(7); }},
      {"material name", InMaterial, 0xA000, [](ChunkWriter& w) { w.String("M"); }},
      {"texture file", InMaterial, 0xA300, [](ChunkWriter& w) { w.String("t.png"); }},
      {"byte colour", InMaterial, 0x0011,
       [](ChunkWriter& w) {
         for (std::uint8_t v : {1, 2, 3}) w.U8(v);
       }},
      {"WORD value", InMaterial, 0x0030, [](ChunkWriter& w) { w.U16(5); }},
  };
  for (const Case& c : cases) {
    auto chunk = [&c](ChunkWriter& w) {
      w.Begin(c.id);
      c.data(w);
      w.Begin(0xAFFF);
      w.End();
      w.End();
    };
    std::vector<std::uint8_t> bytes;
    if (c.inside == InMesh) bytes = test::ObjectMeshFile("O", chunk);
    if (c.inside == InTrack) bytes = test::ObjectTrackFile(chunk);
    if (c.inside == InMaterial) {
      ChunkWriter w;
      w.Begin(0x4D4D);
      w.Begin(0x3D3D);
      w.Begin(0xAFFF);
      chunk(w);
      w.EndAll();
      bytes = w.Bytes();
    }
    Loaded r(bytes);
    ASSERT_TRUE(r.ok) << c.name << ": " << r.detail;
    EXPECT_EQ(r.mesh->materialCount, c.inside == InMaterial ? 1 : 0) << c.name;
  }
}

TEST(LoaderWalk, ZeroLengthChunkEndsItsLevelOnly) {
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0x3D3D);
  Write3dsObject(w, BoxObject());
  w.U16(0x4000);  // a chunk of length 0: the editor's walk stops here
  w.U32(0);
  Write3dsCamera(w, {"Hidden", {}, {}, 0, 0});
  w.End();
  w.Begin(0xB000);  // the main chunk's walk goes on
  w.Begin(0xB008);
  w.U32(5);
  w.U32(25);
  w.EndAll();
  Loaded r(w.Bytes());
  ASSERT_TRUE(r.ok) << r.detail;
  EXPECT_EQ(r.mesh->objectCount, 1);
  EXPECT_EQ(r.mesh->cameraCount, 0);
  EXPECT_EQ(r.mesh->frameCount, 20);
}

TEST(LoaderWalk, EditorChunkAtTopLevelIsNotA3dsFile) {
  ChunkWriter w;
  w.Begin(0x3D3D);
  Write3dsObject(w, BoxObject());
  w.End();
  Loaded r(w.Bytes());
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.code, LoadNot3ds);
  EXPECT_EQ(LoadErrorText(r.code), "Not a 3DS file or corrupted file!");
  ASSERT_NE(r.mesh, nullptr);  // handed back for freeing
  EXPECT_EQ(r.mesh->objectCount, 0);
  EXPECT_NE(r.detail.find("0x3D3D"), std::string::npos) << r.detail;
}

TEST(LoaderWalk, SecondTopLevelChunkMustBeMainToo) {
  std::vector<std::uint8_t> bytes = Write3ds(SampleScene());
  ChunkWriter extra;
  extra.Begin(0x1234);
  extra.U32(0);
  extra.End();
  bytes.insert(bytes.end(), extra.Bytes().begin(), extra.Bytes().end());
  Loaded r(bytes);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.code, LoadNot3ds);
  ASSERT_NE(r.mesh, nullptr);
  EXPECT_EQ(r.mesh->objectCount, 1);  // what came before is kept
}

// ---- error state -------------------------------------------------------------

TEST(LoaderErrors, MessageTable) {
  EXPECT_EQ(LoadErrorText(0), "Unknown error!");
  EXPECT_EQ(LoadErrorText(1), "Filename is empty!");
  EXPECT_EQ(LoadErrorText(2), "Can't open .3DS file!");
  EXPECT_EQ(LoadErrorText(3), "Can't read .3DS file!");
  EXPECT_EQ(LoadErrorText(4), "Not enough memory available to load .3DS file!");
  EXPECT_EQ(LoadErrorText(5), "Not a 3DS file or corrupted file!");
  EXPECT_EQ(LoadErrorText(6), "Fatal error in .3DS file!");
  EXPECT_EQ(LoadErrorText(7), "Can't free up 3DS structure!");
  EXPECT_EQ(LoadErrorText(8), "Unknown error!");
  EXPECT_EQ(LoadErrorText(0xFFFFFFFF), "Unknown error!");
}

TEST(LoaderErrors, ErrorIsStickyUntilTaken) {
  const std::vector<std::uint8_t> good = Write3ds(SampleScene());
  Mesh3D* mesh = nullptr;
  EXPECT_FALSE(Load3DSFile(mesh, ""));
  EXPECT_EQ(mesh, nullptr);
  // Blocked: nothing is loaded, the pointer is not touched.
  Mesh3D* const marker = reinterpret_cast<Mesh3D*>(&mesh);
  mesh = marker;
  EXPECT_FALSE(Load3DSMemory(mesh, good.data(), good.size()));
  EXPECT_EQ(mesh, marker);
  mesh = nullptr;
  EXPECT_FALSE(Free3DSData(mesh));  // blocked too, no code 7
  EXPECT_EQ(TakeLoadError(), LoadEmptyName);
  EXPECT_EQ(TakeLoadError(), 0u);
  ASSERT_TRUE(Load3DSMemory(mesh, good.data(), good.size()));
  EXPECT_TRUE(Free3DSData(mesh));
  EXPECT_EQ(mesh, nullptr);
}

TEST(LoaderErrors, FreeingNullSetsCodeSeven) {
  Mesh3D* mesh = nullptr;
  EXPECT_FALSE(Free3DSData(mesh));
  EXPECT_EQ(TakeLoadError(), LoadCantFree);
}

TEST(LoaderErrors, EmptyBufferCannotBeRead) {
  Mesh3D* mesh = nullptr;
  const std::uint8_t byte = 0;
  EXPECT_FALSE(Load3DSMemory(mesh, &byte, 0));
  EXPECT_EQ(mesh, nullptr);
  EXPECT_EQ(TakeLoadError(), LoadCantRead);
}

// ---- through the data library -------------------------------------------------

TEST(LoaderLibrary, LoadsByStoredNameAndReportsMissingFiles) {
  test::TempDir dir;
  const std::vector<std::uint8_t> bytes = Write3ds(SampleScene());
  ASSERT_TRUE(test::OpenTestLibrary(dir, {{"DATA\\scene.3ds", bytes}}));
  Mesh3D* mesh = nullptr;
  ASSERT_TRUE(Load3DSFile(mesh, "DATA\\scene.3ds")) << LoadErrorDetail();
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->objectCount, 1);
  EXPECT_EQ(mesh->trackCount, 4);
  EXPECT_TRUE(Free3DSData(mesh));

  Mesh3D* missing = nullptr;
  EXPECT_FALSE(Load3DSFile(missing, "DATA\\SCENE.3DS"));  // names are case-sensitive
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(TakeLoadError(), LoadCantRead);
  CloseLibrary();
  EXPECT_FALSE(Load3DSFile(missing, "DATA\\scene.3ds"));  // no library open
  EXPECT_EQ(TakeLoadError(), LoadCantRead);
}

}  // namespace
}  // namespace vx
