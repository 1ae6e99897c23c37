// The per-frame path from the animated scene to projected polygons: object
// culling against the six view planes, camera-space transformation with
// back-face marking, clipping against the planes an object's box crosses,
// projection. Every buffer was allocated at load: clipping appends its new
// vertices in the object's reserved slots (12 per face, two per plane) and
// rewrites the polygons in place.
#include <cstdint>

#include "engine/engine.h"
#include "engine/internal.h"

namespace vx {
namespace {

// Vertices closer than this to a plane on the outside create no
// intersection: they are dropped with the edges that reach them.
constexpr double ClipTolerance = 0.01;

double SignedDistance(const ViewPlane& plane, Vector v) {
  return double{VecDot(v, plane.normal)} - double{VecDot(plane.point, plane.normal)};
}

bool Outside(const ViewPlane& plane, Vector v) {
  return VecDot(v, plane.normal) < VecDot(plane.point, plane.normal);
}

// (1 - t) a + t b for position and mapping alike.
CameraVertex Intersect(const CameraVertex& a, const CameraVertex& b, double t) {
  auto mix = [t](float p, float q) { return static_cast<float>((1.0 - t) * p + t * q); };
  return {mix(a.x, b.x), mix(a.y, b.y), mix(a.z, b.z), mix(a.u, b.u), mix(a.v, b.v)};
}

// Clips one polygon against one plane, in place.
void ClipPolygon(TransformedObject& object, Polygon& polygon, const ViewPlane& plane) {
  if (polygon.count <= 2 || polygon.drawFlag == 0) {
    polygon.drawFlag = 0;
    return;
  }
  std::uint32_t source[MaxPolygonVertices];
  const std::uint32_t n = polygon.count;
  for (std::uint32_t i = 0; i < n; ++i) source[i] = polygon.indices[i];
  polygon.count = 0;

  // Appends an index; the bounds hold by construction (at most two new
  // vertices per plane and face) and are checked only so that numerically
  // odd input can never write past the polygon or the reserved slots.
  auto append = [&](std::uint32_t index) {
    if (polygon.count < MaxPolygonVertices) polygon.indices[polygon.count++] = index;
  };
  auto appendIntersection = [&](const CameraVertex& a, const CameraVertex& b, double da,
                                double db) {
    if (object.vertexCount >= object.vertexSlots || polygon.count >= MaxPolygonVertices) return;
    object.vertices[object.vertexCount] = Intersect(a, b, da / (da - db));
    append(object.vertexCount++);
  };

  CameraVertex prev = object.vertices[source[0]];
  double dPrev = SignedDistance(plane, {prev.x, prev.y, prev.z});
  for (std::uint32_t i = 0; i < n; ++i) {
    const CameraVertex cur = object.vertices[source[(i + 1) % n]];
    const double dCur = SignedDistance(plane, {cur.x, cur.y, cur.z});
    if (dPrev > 0.0) {
      append(source[i]);
      if (dCur < -ClipTolerance) appendIntersection(prev, cur, dPrev, dCur);  // the edge leaves
    } else if (dCur > ClipTolerance) {
      appendIntersection(prev, cur, dPrev, dCur);  // the edge enters
    }
    prev = cur;
    dPrev = dCur;
  }
  if (polygon.count == 0) polygon.drawFlag = 0;
}

}  // namespace

void CullObjects(Scene*& scene) {
  const ProjectionCamera& cam = *scene->camera;
  ViewPlane planes[ViewPlaneCount];
  BuildViewPlanes(cam, planes);
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
      t.normals[k] = TransformPoint(o.faceNormals[k], normalMatrix);
      const CameraVertex& a = t.vertices[f.a];
      // A result of exactly 0 is drawn.
      polygon.drawFlag = VecDot({a.x, a.y, a.z}, t.normals[k]) < 0.0f ? 0 : 1;
    }
  }
}

void ClipPolygons(Scene*& scene) {
  ViewPlane planes[ViewPlaneCount];
  BuildViewPlanes(*scene->camera, planes);
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

void ProjectVertices(Scene*& scene) {
  const ProjectionCamera& cam = *scene->camera;
  for (int i = 0; i < scene->transformed->objectCount; ++i) {
    const TransformedObject& t = *scene->transformed->objects[i];
    ScreenObject& s = *scene->screen->objects[i];
    s.visible = t.visible;
    if (t.visible != 1) continue;
    for (std::uint32_t j = 0; j < t.vertexCount; ++j)
      ProjectVertex(cam, t.vertices[j], s.vertices[j]);
  }
}

}  // namespace vx
