// The per-frame path from the animated scene to projected polygons: object
// culling against the six view planes, camera-space transformation with
// back-face marking, clipping against the planes an object's box crosses
// (projection is in camera.cpp). Every buffer was allocated at load:
// clipping appends its new vertices in the object's reserved slots (12 per
// face, two per plane) and rewrites the polygons in place.
#include <cstdint>

#include "engine/engine.h"
#include "engine/internal.h"

namespace vx {
namespace {

// The band just outside a plane that clipping treats as inside: a vertex
// closer than this to the plane is kept as it is, so an edge that only
// grazes the plane (its far end within the band) makes no new vertex and no
// sliver next to that end. A kept vertex may lie up to this far outside a
// side plane; the fills clamp rows and columns to the image, so it is safe
// there, and the projection's near bound (0.95 of the near distance) lies
// below the band for any near distance over 0.2.
constexpr double ClipTolerance = 0.01;

// One view plane prepared once a frame for the per-vertex tests: a point v is
// at signed distance VecDot(v, normal) - offset (each dot product rounded to
// single, the difference formed in double), inside when that is positive.
struct PlaneTest {
  Vector normal;
  float offset;  // VecDot(plane point, normal)
};

PlaneTest MakePlaneTest(const ViewPlane& plane) {
  return {plane.normal, VecDot(plane.point, plane.normal)};
}

double SignedDistance(const PlaneTest& plane, const CameraVertex& v) {
  return double{VecDot({v.x, v.y, v.z}, plane.normal)} - double{plane.offset};
}

bool Outside(const PlaneTest& plane, Vector v) {
  return VecDot(v, plane.normal) < plane.offset;
}

// (1 - t) a + t b for position and mapping alike.
CameraVertex Intersect(const CameraVertex& a, const CameraVertex& b, double t) {
  auto mix = [t](float p, float q) { return static_cast<float>((1.0 - t) * p + t * q); };
  return {mix(a.x, b.x), mix(a.y, b.y), mix(a.z, b.z), mix(a.u, b.u), mix(a.v, b.v)};
}

// Clips one polygon against one plane, in place.
void ClipPolygon(TransformedObject& object, Polygon& polygon, const PlaneTest& plane) {
  if (polygon.count <= 2 || polygon.drawFlag == 0) {
    polygon.drawFlag = 0;
    return;
  }
  const std::uint32_t n = polygon.count;
  std::uint32_t source[MaxPolygonVertices];
  double distance[MaxPolygonVertices];  // of vertex source[i]
  bool allInside = true;
  for (std::uint32_t i = 0; i < n; ++i) {
    source[i] = polygon.indices[i];
    distance[i] = SignedDistance(plane, object.vertices[source[i]]);
    allInside = allInside && distance[i] >= -ClipTolerance;
  }
  // Every vertex kept: the walk below would keep each one and add none.
  if (allInside) return;
  polygon.count = 0;

  // Appends an index; the bounds hold by construction (at most two new
  // vertices per plane and face) and are checked only so that numerically
  // odd input can never write past the polygon or the reserved slots.
  auto append = [&](std::uint32_t index) {
    if (polygon.count < MaxPolygonVertices) polygon.indices[polygon.count++] = index;
  };
  auto appendIntersection = [&](std::uint32_t a, std::uint32_t b, double da, double db) {
    if (object.vertexCount >= object.vertexSlots || polygon.count >= MaxPolygonVertices) return;
    object.vertices[object.vertexCount] =
        Intersect(object.vertices[a], object.vertices[b], da / (da - db));
    append(object.vertexCount++);
  };

  // Every vertex is inside (d > 0), within the band (-tolerance <= d <= 0,
  // kept) or beyond it (dropped). An edge gets a new vertex on the plane
  // exactly where it runs between inside and beyond; an edge with a kept band
  // vertex at one end needs none, as that vertex ends the polygon at the
  // plane. So the result holds all of the polygon inside the plane. Every
  // new vertex lies on an edge of the convex polygon, so the result stays
  // convex, and a convex polygon has at most one leaving and one entering
  // edge: at most two new vertices, and a vertex beyond dropped for them.
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t next = i + 1 < n ? i + 1 : 0;
    const double dPrev = distance[i];
    const double dCur = distance[next];
    if (dPrev >= -ClipTolerance) append(source[i]);
    if ((dPrev > 0.0 && dCur < -ClipTolerance) || (dPrev < -ClipTolerance && dCur > 0.0))
      appendIntersection(source[i], source[next], dPrev, dCur);
  }
  if (polygon.count == 0) polygon.drawFlag = 0;
}

}  // namespace

void CullObjects(Scene*& scene) {
  const ProjectionCamera& cam = *scene->camera;
  ViewPlane viewPlanes[ViewPlaneCount];
  BuildViewPlanes(cam, viewPlanes);
  PlaneTest planes[ViewPlaneCount];
  for (int p = 0; p < ViewPlaneCount; ++p) planes[p] = MakePlaneTest(viewPlanes[p]);
  const Mesh3D& mesh = *scene->mesh;
  for (int i = 0; i < mesh.objectCount; ++i) {
    TransformedObject& t = *scene->transformed->objects[i];
    const Matrix modelView = MatMul(*t.world, cam.view);
    for (int k = 0; k < 8; ++k)
      t.corners[k] = TransformPoint(mesh.objects[i]->bounds[k], modelView);
    std::uint8_t crossed[ViewPlaneCount];
    bool visible = true;
    for (int p = 0; p < ViewPlaneCount && visible; ++p) {
      int outside = 0;
      for (int k = 0; k < 8; ++k) outside += Outside(planes[p], t.corners[k]) ? 1 : 0;
      if (outside == 8) visible = false;  // the remaining planes are not tested
      crossed[p] = outside > 0 ? 1 : 0;
    }
    t.visible = visible ? 1 : 0;
    if (!visible) continue;
    t.clipNear = crossed[PlaneNear];
    t.clipFar = crossed[PlaneFar];
    t.clipLeft = crossed[PlaneLeft];
    t.clipRight = crossed[PlaneRight];
    t.clipTop = crossed[PlaneTop];
    t.clipBottom = crossed[PlaneBottom];
  }
}

void TransformObjects(Scene*& scene) {
  const ProjectionCamera& cam = *scene->camera;
  const Mesh3D& mesh = *scene->mesh;
  for (int i = 0; i < mesh.objectCount; ++i) {
    TransformedObject& t = *scene->transformed->objects[i];
    if (t.visible != 1) continue;
    const MeshObject& o = *mesh.objects[i];
    // Drops the vertices that clipping appended in the previous frame.
    t.vertexCount = o.vertexCount;
    const Matrix modelView = MatMul(*t.world, cam.view);
    for (int j = 0; j < o.vertexCount; ++j) {
      const MeshVertex& m = o.vertices[j];
      const Vector p = TransformPoint({m.x, m.y, m.z}, modelView);
      t.vertices[j] = {p.x, p.y, p.z, m.u, m.v};
    }
    const Matrix normalMatrix = MatMul(*t.normalWorld, cam.rotation);
    for (int k = 0; k < o.faceCount; ++k) {
      const MeshFace& f = o.faces[k];
      Polygon& polygon = t.polygons[k];
      polygon.indices[0] = f.a;
      polygon.indices[1] = f.b;
      polygon.indices[2] = f.c;
      polygon.count = 3;
      polygon.texture = detail::FaceTexture(*scene, f.materialIndex);
      polygon.levels = detail::FaceLevels(*scene, f.materialIndex);
      t.normals[k] = TransformPoint(o.faceNormals[k], normalMatrix);
      const CameraVertex& a = t.vertices[f.a];
      // A result of exactly 0 is drawn.
      polygon.drawFlag = VecDot({a.x, a.y, a.z}, t.normals[k]) < 0.0f ? 0 : 1;
    }
  }
}

void ClipPolygons(Scene*& scene) {
  ViewPlane viewPlanes[ViewPlaneCount];
  BuildViewPlanes(*scene->camera, viewPlanes);
  PlaneTest planes[ViewPlaneCount];
  for (int p = 0; p < ViewPlaneCount; ++p) planes[p] = MakePlaneTest(viewPlanes[p]);
  const Mesh3D& mesh = *scene->mesh;
  for (int i = 0; i < mesh.objectCount; ++i) {
    TransformedObject& t = *scene->transformed->objects[i];
    if (t.visible != 1) continue;
    const std::uint8_t flags[ViewPlaneCount] = {t.clipNear,  t.clipFar, t.clipLeft,
                                                t.clipRight, t.clipTop, t.clipBottom};
    for (int p = 0; p < ViewPlaneCount; ++p) {
      if (flags[p] == 0) continue;
      for (std::uint32_t k = 0; k < t.polygonCount; ++k) ClipPolygon(t, t.polygons[k], planes[p]);
    }
  }
}

void RunFramePipeline(Scene*& scene, float frame, std::int32_t cameraIndex, float nearZ, float farZ,
                      const FrameSize& size, StageClock* clock) {
  const auto lap = [clock](FrameStage stage) {
    if (clock != nullptr) clock->Lap(stage);
  };
  SetFrame(scene, frame, true);
  lap(FrameStage::Tracks);
  ComposeHierarchy(scene);
  lap(FrameStage::Hierarchy);
  SetupCamera(scene, cameraIndex, false, nearZ, farZ, size);
  CullObjects(scene);
  TransformObjects(scene);
  lap(FrameStage::CullTransform);
  ClipPolygons(scene);
  ProjectVertices(scene);
  lap(FrameStage::ClipProject);
}

}  // namespace vx
