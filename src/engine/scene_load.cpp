// Creating a scene from a 3DS file, preparing it once for drawing and
// freeing it: every record and buffer that drawing needs is allocated here,
// so that nothing is allocated per frame.
//
// Memory report (bytes, as the records count them; never used to limit):
//   3D transformed mesh  16 + 174 x objects
//                        + per object 108 x faces + 20 x (vertices + 12 x faces)
//                        + 380 x tracks
//   2D mesh              10 + 26 x objects
//                        + per object 4 x faces + 20 x (vertices + 12 x faces)
// The depth buffer, the face normals, the projection camera and the pictures
// are not counted.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/console.h"
#include "engine/engine.h"
#include "engine/internal.h"
#include "loader3ds/loader3ds.h"
#include "platform/picture.h"

namespace vx {
namespace {

constexpr std::uint32_t DepthBufferBytes = 256000;
static_assert(DepthBufferBytes == ScreenPixels * sizeof(float));
constexpr std::uint32_t TextureSize = 256;

// Placement of a mesh object that no track drives (a scene without tracks):
// the identity. Only ever read through TransformedObject::world.
Matrix untrackedWorld = MatrixIdentity;

// Texels of a face whose material does not exist (a scene with faces but no
// materials): black, so that the rasterizer always has 256 x 256 texels.
const std::uint32_t blankTexture[TextureSize * TextureSize] = {};

std::uint32_t ClipSlots(const MeshObject& o) {
  return o.vertexCount + static_cast<std::uint32_t>(ClipSlotsPerFace) * o.faceCount;
}

std::uint32_t TransformedBytes(const Mesh3D& mesh) {
  std::uint32_t bytes = 16 + 4 * mesh.objectCount + 170 * mesh.objectCount;
  for (int i = 0; i < mesh.objectCount; ++i) {
    const MeshObject& o = *mesh.objects[i];
    bytes += (96 + 12) * o.faceCount + 20 * ClipSlots(o);
  }
  return bytes + 4 * mesh.trackCount + 376 * mesh.trackCount;
}

std::uint32_t ScreenBytes(const Mesh3D& mesh) {
  std::uint32_t bytes = 10 + 4 * mesh.objectCount + 22 * mesh.objectCount;
  for (int i = 0; i < mesh.objectCount; ++i) {
    const MeshObject& o = *mesh.objects[i];
    bytes += 4 * o.faceCount + 20 * ClipSlots(o);
  }
  return bytes;
}

// The loader's code and message, and its account of the problem (may be
// empty).
struct LoadFailure {
  std::uint32_t code = LoadOk;
  std::string text;
  std::string detail;
};

// Takes the pending loader error and frees whatever the failed load built.
LoadFailure TakeFailure(Mesh3D*& mesh) {
  LoadFailure failure;
  failure.detail = LoadErrorDetail();
  failure.code = TakeLoadError();
  failure.text = std::string{LoadErrorText(failure.code)};
  if (mesh != nullptr && !Free3DSData(mesh)) TakeLoadError();
  mesh = nullptr;
  return failure;
}

void CreateScene(Scene*& scene, Mesh3D* mesh) {
  scene = new Scene{};
  scene->mesh = mesh;
  scene->totalBytes = SceneRecordBytes;
}

bool Finish(Scene*& scene, Mesh3D* mesh, bool loaded, std::string& error) {
  scene = nullptr;
  if (!loaded) {
    const LoadFailure failure = TakeFailure(mesh);
    error = failure.text;
    if (!failure.detail.empty()) error += " (" + failure.detail + ")";
    return false;
  }
  CreateScene(scene, mesh);
  return true;
}

}  // namespace

const std::uint32_t* detail::FaceTexture(const Scene& scene, std::uint16_t materialIndex) {
  if (materialIndex >= scene.mesh->materialCount || scene.pictures == nullptr) return blankTexture;
  const Picture& p = scene.pictures[materialIndex];
  return p.pixels != nullptr ? PictureWords(p) : blankTexture;
}

void LoadScene(Scene*& scene, std::string_view path) {
  Mesh3D* mesh = nullptr;
  if (!Load3DSFile(mesh, path)) {
    // The fatal line is the loader's message; only a damaged file (code 6)
    // gets a second line saying where the damage lies.
    const LoadFailure failure = TakeFailure(mesh);
    // The log goes where the console goes; standard error names the file
    // and the reason in any case.
    std::fprintf(stderr, "cannot load the scene %s: %s%s%s\n", std::string(path).c_str(),
                 failure.text.c_str(), failure.detail.empty() ? "" : ": ", failure.detail.c_str());
    std::fflush(stderr);
    if (failure.code != LoadFatal || failure.detail.empty()) LogFatal(failure.text, true);
    LogFatal(failure.text, false);
    ConsoleWriteLine("  damage found: " + failure.detail);
    std::_Exit(1);
  }
  CreateScene(scene, mesh);
}

bool TryLoadScene(Scene*& scene, std::string_view path, std::string& error) {
  Mesh3D* mesh = nullptr;
  const bool loaded = Load3DSFile(mesh, path);
  return Finish(scene, mesh, loaded, error);
}

bool TryLoadSceneMemory(Scene*& scene, const std::uint8_t* data, std::size_t size,
                        std::string& error) {
  Mesh3D* mesh = nullptr;
  const bool loaded = Load3DSMemory(mesh, data, size);
  return Finish(scene, mesh, loaded, error);
}

void PrepareScene(Scene*& scene) {
  Mesh3D& mesh = *scene->mesh;
  scene->depthBuffer = new float[ScreenPixels];

  for (int i = 0; i < mesh.objectCount; ++i) {
    MeshObject& o = *mesh.objects[i];
    o.faceNormals = o.faceCount > 0 ? new Vector[o.faceCount]() : nullptr;
  }

  scene->pictures = mesh.materialCount > 0 ? new Picture[mesh.materialCount]() : nullptr;

  auto* transformed = new TransformedMesh{};
  transformed->objectCount = mesh.objectCount;
  transformed->objects = new TransformedObject*[mesh.objectCount];
  for (int i = 0; i < mesh.objectCount; ++i) {
    const MeshObject& o = *mesh.objects[i];
    auto* t = new TransformedObject{};
    t->vertexSlots = ClipSlots(o);
    t->vertices = new CameraVertex[t->vertexSlots]();
    t->vertexCount = o.vertexCount;
    t->polygonCount = o.faceCount;
    t->polygons = new Polygon[o.faceCount]();
    t->normals = new Vector[o.faceCount]();
    t->world = &untrackedWorld;
    t->normalWorld = &untrackedWorld;
    t->name.Assign(o.name.View());
    transformed->objects[i] = t;
  }
  transformed->trackStateCount = mesh.trackCount;
  transformed->trackStates = new TrackState*[mesh.trackCount];
  for (int i = 0; i < mesh.trackCount; ++i)
    transformed->trackStates[i] = new TrackState(NeutralTrackState());
  scene->transformed = transformed;

  auto* screen = new ScreenMesh{};
  screen->objectCount = mesh.objectCount;
  screen->objects = new ScreenObject*[mesh.objectCount];
  for (int i = 0; i < mesh.objectCount; ++i) {
    const TransformedObject& t = *transformed->objects[i];
    auto* s = new ScreenObject{};
    s->vertexSlots = t.vertexSlots;
    s->vertices = new ScreenVertex[s->vertexSlots]();
    s->polygonCount = t.polygonCount;
    s->polygons = new Polygon*[t.polygonCount];
    for (std::uint32_t k = 0; k < t.polygonCount; ++k) s->polygons[k] = &t.polygons[k];
    screen->objects[i] = s;
  }
  scene->screen = screen;

  transformed->byteSize = TransformedBytes(mesh);
  screen->byteSize = ScreenBytes(mesh);
  scene->totalBytes += mesh.byteSize + transformed->byteSize + screen->byteSize;

  scene->camera = new ProjectionCamera{};
}

std::string TextureFileName(std::string_view textureFile) {
  const std::size_t dot = textureFile.find('.');
  if (dot == std::string_view::npos) return std::string{textureFile} + ".jpg";
  std::string name{textureFile.substr(0, dot)};
  name += ".jpg";
  if (dot + 4 < textureFile.size()) name += textureFile.substr(dot + 4);
  return name;
}

void LoadTextures(Scene*& scene, std::string_view directory) {
  LoadTextures(scene, directory, [](std::string_view name, Picture& picture) {
    return LoadJpegPicture(name, picture);
  });
}

void LoadTextures(Scene*& scene, std::string_view directory, const TextureReader& read) {
  const Mesh3D& mesh = *scene->mesh;
  for (int i = 0; i < mesh.materialCount; ++i) {
    const std::string name =
        std::string{directory} + TextureFileName(mesh.materials[i]->textureFile.View());
    Picture picture{};
    if (!read(name, picture)) ReportPictureLoadError();
    // The fills read 256 x 256 texels of 4 bytes: anything else would be read
    // past its pixels.
    if (picture.width != TextureSize || picture.height != TextureSize ||
        picture.bytesPerPixel != 4 || picture.pixels == nullptr) {
      ReleasePicture(picture);
      ReportPictureLoadError();
    }
    scene->pictures[i] = picture;
  }
}

namespace {

void ComputeFaceNormals(MeshObject& o) {
  for (int k = 0; k < o.faceCount; ++k) {
    const MeshFace& f = o.faces[k];
    const MeshVertex& a = o.vertices[f.a];
    const MeshVertex& b = o.vertices[f.b];
    const MeshVertex& c = o.vertices[f.c];
    Vector n = VecCross(Vector{b.x, b.y, b.z} - Vector{a.x, a.y, a.z},
                        Vector{c.x, c.y, c.z} - Vector{a.x, a.y, a.z});
    VecNormalize(n);
    o.faceNormals[k] = n;
  }
}

// Object i's placement: its track's matrices, or the identity of an object
// without a track; its camera-vertex slots cleared.
void PlaceObject(const Mesh3D& mesh, TransformedMesh& transformed, int i) {
  const MeshObject& o = *mesh.objects[i];
  TransformedObject& t = *transformed.objects[i];
  if (o.trackIndex < mesh.trackCount) {
    t.world = &transformed.trackStates[o.trackIndex]->world;
    t.normalWorld = &transformed.trackStates[o.trackIndex]->normalWorld;
  } else {
    t.world = &untrackedWorld;
    t.normalWorld = &untrackedWorld;
  }
  for (std::uint32_t j = 0; j < t.vertexSlots; ++j) t.vertices[j] = CameraVertex{0, 0, 0, 0, 0};
}

}  // namespace

void PrecalculateScene(Scene*& scene) {
  Mesh3D& mesh = *scene->mesh;
  TransformedMesh& transformed = *scene->transformed;

  // 1. Textures of the faces.
  if (mesh.materialCount > 0) {
    for (int i = 0; i < mesh.objectCount; ++i) {
      const MeshObject& o = *mesh.objects[i];
      for (int k = 0; k < o.faceCount; ++k)
        transformed.objects[i]->polygons[k].texture =
            detail::FaceTexture(*scene, o.faces[k].materialIndex);
    }
  }
  // 2. Mapping v runs down the texture.
  for (int i = 0; i < mesh.objectCount; ++i) {
    MeshObject& o = *mesh.objects[i];
    for (int j = 0; j < o.vertexCount; ++j) o.vertices[j].v = -o.vertices[j].v;
  }
  // 3. Accumulated rotation keys.
  for (int i = 0; i < mesh.trackCount; ++i)
    if (mesh.tracks[i]->kind == TrackObject) PrepareRotationKeys(*mesh.tracks[i]);
  // 4. Vertices into pivot space.
  for (int i = 0; i < mesh.objectCount; ++i) {
    MeshObject& o = *mesh.objects[i];
    const Vector pivot =
        o.trackIndex < mesh.trackCount ? mesh.tracks[o.trackIndex]->pivot : ZeroVector;
    MoveMeshToPivot(o, pivot);
  }
  // 5, 6. Pivots; static tracks evaluated once, at frame 0.
  for (int i = 0; i < mesh.trackCount; ++i) {
    Track& track = *mesh.tracks[i];
    TrackState& state = *transformed.trackStates[i];
    state.pivot = track.pivot;
    track.isStatic = IsStaticTrack(track) ? 1 : 0;
    if (track.isStatic) EvaluateTrack(track, state, 0.0f);
  }
  // 7. Face normals in pivot space.
  for (int i = 0; i < mesh.objectCount; ++i) ComputeFaceNormals(*mesh.objects[i]);
  // 8, 9. Placement matrices; camera-vertex slots cleared.
  for (int i = 0; i < mesh.objectCount; ++i) PlaceObject(mesh, transformed, i);
}

void ComputeBounds(Scene*& scene) {
  const Mesh3D& mesh = *scene->mesh;
  for (int i = 0; i < mesh.objectCount; ++i) {
    MeshObject& o = *mesh.objects[i];
    if (o.vertexCount == 0) continue;
    const MeshVertex& first = o.vertices[0];
    float lo[3] = {first.x, first.y, first.z};
    float hi[3] = {first.x, first.y, first.z};
    for (int j = 0; j < o.vertexCount; ++j) {
      const float p[3] = {o.vertices[j].x, o.vertices[j].y, o.vertices[j].z};
      for (int c = 0; c < 3; ++c) {
        if (p[c] < lo[c])
          lo[c] = p[c];
        else if (p[c] > hi[c])
          hi[c] = p[c];
      }
    }
    o.bounds[0] = {lo[0], lo[1], lo[2]};
    o.bounds[1] = {hi[0], lo[1], lo[2]};
    o.bounds[2] = {hi[0], lo[1], hi[2]};
    o.bounds[3] = {lo[0], lo[1], hi[2]};
    o.bounds[4] = {lo[0], hi[1], lo[2]};
    o.bounds[5] = {hi[0], hi[1], lo[2]};
    o.bounds[6] = {hi[0], hi[1], hi[2]};
    o.bounds[7] = {lo[0], hi[1], hi[2]};
  }
}

void FreeSceneBuffers(Scene*& scene) {
  Mesh3D& mesh = *scene->mesh;
  delete scene->camera;
  scene->camera = nullptr;

  if (ScreenMesh* screen = scene->screen) {
    for (int i = 0; i < screen->objectCount; ++i) {
      ScreenObject* s = screen->objects[i];
      delete[] s->polygons;
      delete[] s->vertices;
      delete s;
    }
    delete[] screen->objects;
    delete screen;
    scene->screen = nullptr;
  }

  if (TransformedMesh* transformed = scene->transformed) {
    for (int i = 0; i < transformed->objectCount; ++i) {
      TransformedObject* t = transformed->objects[i];
      delete[] t->polygons;
      delete[] t->normals;
      delete[] t->vertices;
      delete t;
    }
    delete[] transformed->objects;
    for (int i = 0; i < transformed->trackStateCount; ++i) delete transformed->trackStates[i];
    delete[] transformed->trackStates;
    delete transformed;
    scene->transformed = nullptr;
  }

  for (int i = 0; i < mesh.objectCount; ++i) {
    delete[] mesh.objects[i]->faceNormals;
    mesh.objects[i]->faceNormals = nullptr;
  }

  // The levels may stand on the classic pictures: they go first.
  detail::FreeSharpTextures(*scene);
  if (scene->pictures != nullptr) {
    for (int i = 0; i < mesh.materialCount; ++i) ReleasePicture(scene->pictures[i]);
    delete[] scene->pictures;
    scene->pictures = nullptr;
  }

  delete[] scene->depthBuffer;
  scene->depthBuffer = nullptr;
}

void FreeScene(Scene*& scene) {
  if (scene == nullptr) return;
  if (!Free3DSData(scene->mesh)) LogFatal(LoadErrorText(TakeLoadError()), true);
  delete scene;
  scene = nullptr;
}

}  // namespace vx
