// The projection camera: camera space from a camera's position and target
// tracks, the six view planes and the projection of camera-space vertices
// onto a frame of any size.
//
// Camera space: origin at the camera, z along the line of sight, x to the
// right on the screen, y down the screen. Screen x is 24.8 fixed point, y
// whole rows, u and v 8.8 fixed point texels (mapping 1.0 = 256 texels).
//
// The scene's field of view is the horizontal angle of the classic 320 x 200
// view, whose vertical angle follows from it. A frame wider than 16:10 keeps
// that vertical angle and sees more at the sides (its horizontal angle
// widens with the aspect); any other frame keeps the horizontal angle and
// sees more above and below. Pixels stay square. At 320 x 200 and at any
// 16:10 size scaled from it by a power of two every figure is the classic
// one (times the scale).
#include <cmath>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/engine.h"

namespace vx {
namespace {

// Degrees to radians held as a single (0.017453292), for roll and FOV.
constexpr float DegreesToRadians = static_cast<float>(3.14159265358979323846 / 180.0);
// The side planes lie slightly inside the true field of view, so that
// projected points stay inside the view and the fills need no edge clipping;
// at the classic size narrowed by this angle (see BuildViewPlanes).
constexpr float PlaneNarrowing = 0.997f;
constexpr double NearMargin = 0.95;
constexpr double FarMargin = 1.01;
constexpr float NeutralFov = 45.0f;

// trunc toward zero, saturated to the 32-bit range (NaN gives the lowest
// value): a vertex far outside the view must not overflow the conversion.
std::int32_t TruncToInt32(double value) {
  if (!(value > -2147483648.0)) return std::numeric_limits<std::int32_t>::min();
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

// Round to nearest, ties to even (the processor's default mode), saturated.
// Values well inside the 64-bit range are rounded by one conversion in the
// current rounding mode, exactly as nearbyint would round them, and the
// integer saturated; the rest (huge, infinite, NaN) take the general path.
std::int32_t RoundToInt32(double value) {
#if defined(__SSE2__) && defined(__x86_64__)
  constexpr double SafeMagnitude = 4.0e18;  // below 2^63
  if (std::fabs(value) < SafeMagnitude) {
    const std::int64_t r = _mm_cvtsd_si64(_mm_set_sd(value));
    if (r < std::numeric_limits<std::int32_t>::min())
      return std::numeric_limits<std::int32_t>::min();
    if (r > std::numeric_limits<std::int32_t>::max())
      return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(r);
  }
#endif
  return TruncToInt32(std::nearbyint(value));
}

// The frame's horizontal field of view (degrees) and its vertical one as a
// part of it.
struct FrameFov {
  float horizontal;
  float ratio;
};

FrameFov FitFovToFrame(float fov, const FrameSize& size) {
  // Wider than 16:10, compared exactly: width x 200 > height x 320.
  const bool wider = std::int64_t{size.width} * ClassicFrame.height >
                     std::int64_t{size.height} * ClassicFrame.width;
  if (!wider) return {fov, FovRatio(fov, size)};
  const float vertical = VerticalFov(fov, ClassicFrame);
  const float horizontal = HorizontalFov(vertical, size);
  return {horizontal, static_cast<float>(double{vertical} / horizontal)};
}

}  // namespace

bool CameraHasTracks(const Scene& scene, std::int32_t cameraIndex) {
  const Mesh3D& mesh = *scene.mesh;
  if (cameraIndex < 0 || cameraIndex >= mesh.cameraCount) return false;
  const SceneCamera& c = *mesh.cameras[cameraIndex];
  return c.positionTrack < mesh.trackCount && c.targetTrack < mesh.trackCount;
}

void SetupCamera(Scene*& scene, std::int32_t cameraIndex, bool autoPlanes, float nearZ, float farZ,
                 const FrameSize& size) {
  ProjectionCamera& cam = *scene->camera;
  Vector position = ZeroVector;
  Vector target = UnitZ;
  float roll = 0.0f;
  float fov = NeutralFov;
  if (CameraHasTracks(*scene, cameraIndex)) {
    const SceneCamera& c = *scene->mesh->cameras[cameraIndex];
    const TrackState& p = *scene->transformed->trackStates[c.positionTrack];
    const TrackState& g = *scene->transformed->trackStates[c.targetTrack];
    // The tracks' evaluated positions: the hierarchy does not move cameras.
    position = p.position;
    target = g.position;
    roll = p.roll;
    fov = p.fov;
  }

  const double d = DegreesToRadians;
  const double rollRadians = double{roll} * d;
  const Vector up{static_cast<float>(std::sin(rollRadians)),
                  static_cast<float>(-std::cos(rollRadians)), 0.0f};
  Vector zAxis = target - position;
  VecNormalize(zAxis);
  Vector xAxis = VecCross(zAxis, up);
  VecNormalize(xAxis);
  const Vector yAxis = VecCross(xAxis, zAxis);  // unit length already

  // The centre is a whole pixel (the frame's width and height are even) and
  // the magnification the pixels from there to the edge of the view over
  // the tangent of half its angle.
  const FrameFov view = FitFovToFrame(fov, size);
  const double halfWidth = size.width / 2.0, halfHeight = size.height / 2.0;
  const double ratio = view.ratio;
  cam.xMagnify = static_cast<float>(1.0 / std::tan(double{view.horizontal} * 0.5 * d) * halfWidth);
  cam.yMagnify =
      static_cast<float>(1.0 / std::tan(ratio * 0.5 * double{view.horizontal} * d) * halfHeight);
  cam.viewFov = view.horizontal;
  cam.fovRatio = view.ratio;
  cam.xCentre = static_cast<float>(halfWidth);
  cam.yCentre = static_cast<float>(halfHeight);

  cam.position = position;
  cam.target = target;
  cam.roll = roll;
  cam.fov = fov;
  cam.xAxis = xAxis;
  cam.yAxis = yAxis;
  cam.zAxis = zAxis;
  cam.translation = TranslationMatrix(-1.0f * position);
  cam.rotation = AxesMatrix(xAxis, yAxis, zAxis);
  cam.view = MatMul(cam.translation, cam.rotation);
  if (autoPlanes) {
    cam.nearZ = 1.0f;
    cam.farZ = VecLength(target - position);
  } else {
    cam.nearZ = nearZ;
    cam.farZ = farZ;
  }
}

namespace {

// Above the classic size the side planes lie half a pixel inside the
// frame's edges (the classic planes, narrowed by an angle, lie about that
// far inside at the show's fields of view). Narrowed by the classic angle,
// they would leave a strip of unfilled pixels that grows with the scale,
// 3 to 4 pixels wide at 1920 x 1080, which the finish smears inward.
constexpr double SidePlaneInset = 0.5;

// The half angle of a side plane whose view has half angle `half` over
// `halfPixels` pixels from the centre to the edge.
double InsetAngle(double half, double halfPixels) {
  return std::atan(std::tan(half) * (1.0 - SidePlaneInset / halfPixels));
}

}  // namespace

void BuildViewPlanes(const ProjectionCamera& camera, ViewPlane (&planes)[ViewPlaneCount]) {
  // The camera was set up for a frame of 2 xCentre x 2 yCentre.
  const bool classic = 2.0f * camera.xCentre == static_cast<float>(ClassicFrame.width) &&
                       2.0f * camera.yCentre == static_cast<float>(ClassicFrame.height);
  const double half = double{camera.viewFov} / 2.0 * double{DegreesToRadians};
  const double ratio = camera.fovRatio;
  const double a = classic ? half * double{PlaneNarrowing} : InsetAngle(half, camera.xCentre);
  const double b = classic ? a * ratio : InsetAngle(half * ratio, camera.yCentre);
  const float ca = static_cast<float>(std::cos(a)), sa = static_cast<float>(std::sin(a));
  const float cb = static_cast<float>(std::cos(b)), sb = static_cast<float>(std::sin(b));
  planes[PlaneNear] = {{0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, camera.nearZ}};
  planes[PlaneFar] = {{0.0f, 0.0f, -1.0f}, {0.0f, 0.0f, camera.farZ}};
  planes[PlaneLeft] = {{ca, 0.0f, sa}, ZeroVector};
  planes[PlaneRight] = {{-ca, 0.0f, sa}, ZeroVector};
  planes[PlaneTop] = {{0.0f, cb, sb}, ZeroVector};
  planes[PlaneBottom] = {{0.0f, -cb, sb}, ZeroVector};
}

namespace {

// The per-camera constants of the projection, formed as singles once.
struct Projection {
  float nearBound;  // 0.95 x near
  float farBound;   // 1.01 x far
  float xScale;     // xMagnify x 256: screen x in 24.8
  float yScale;     // yMagnify
  float xCentre;    // xCentre x 256, exact: screen x of the line of sight in 24.8
  float yCentre;    // its row
};

Projection MakeProjection(const ProjectionCamera& camera) {
  return {static_cast<float>(NearMargin * camera.nearZ),
          static_cast<float>(FarMargin * camera.farZ),
          static_cast<float>(double{camera.xMagnify} * 256.0),
          camera.yMagnify,
          static_cast<float>(double{camera.xCentre} * 256.0),
          camera.yCentre};
}

inline bool Project(const Projection& p, const CameraVertex& in, ScreenVertex& out) {
  if (!(in.z > p.nearBound && in.z < p.farBound)) return false;
  const float iz = static_cast<float>(1.0 / double{in.z});
  out.x = TruncToInt32(double{p.xScale} * in.x * iz + p.xCentre);
  out.y = TruncToInt32(double{p.yScale} * in.y * iz + p.yCentre);
  out.z = iz;
  out.u = RoundToInt32(double{in.u} * 65536.0);
  out.v = RoundToInt32(double{in.v} * 65536.0);
  return true;
}

}  // namespace

bool ProjectVertex(const ProjectionCamera& camera, const CameraVertex& in, ScreenVertex& out) {
  return Project(MakeProjection(camera), in, out);
}

// A vertex outside the near and far bounds keeps its screen entry unchanged.
void ProjectVertices(Scene*& scene) {
  const Projection projection = MakeProjection(*scene->camera);
  for (int i = 0; i < scene->transformed->objectCount; ++i) {
    const TransformedObject& t = *scene->transformed->objects[i];
    ScreenObject& s = *scene->screen->objects[i];
    s.visible = t.visible;
    if (t.visible != 1) continue;
    for (std::uint32_t j = 0; j < t.vertexCount; ++j)
      Project(projection, t.vertices[j], s.vertices[j]);
  }
}

}  // namespace vx
