// Keyframe tracks: the state of every track at a fractional frame.
// Positions, scales, FOV and roll follow Kochanek-Bartels (tension,
// continuity, bias) Hermite splines; rotations follow a cubic Bezier curve of
// quaternions evaluated by repeated spherical interpolation. Ease to and ease
// from are loaded but take no part. Intermediates are doubles; every value
// stored into a record is rounded to single once.
#include <cmath>
#include <cstdint>

#include "engine/engine.h"

namespace vx {
namespace {

// Neutral values of a key list that is empty although the evaluation reaches
// it. FOV 45 rather than 0, since 0 would make the camera's magnify infinite.
constexpr float NeutralFov = 45.0f;

// ---- double-precision values of the spline evaluation --------------------

struct Vec3d {
  double x, y, z;
};
Vec3d operator+(Vec3d a, Vec3d b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3d operator-(Vec3d a, Vec3d b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec3d operator*(double s, Vec3d a) {
  return {s * a.x, s * a.y, s * a.z};
}

Vec3d ToDouble(Vector v) {
  return {v.x, v.y, v.z};
}
Vector ToSingle(Vec3d v) {
  return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

Vec3d ValueOf(const VectorKey& key) {
  return ToDouble(key.value);
}
double ValueOf(const ScalarKey& key) {
  return key.value;
}

struct Quatd {
  double w, x, y, z;
};
Quatd ToDouble(const Quaternion& q) {
  return {q.w, q.v.x, q.v.y, q.v.z};
}
Quaternion ToSingle(const Quatd& q) {
  return {static_cast<float>(q.w),
          {static_cast<float>(q.x), static_cast<float>(q.y), static_cast<float>(q.z)}};
}

// wa a + wb b with the weights of the spherical interpolation; no shorter-arc
// choice and no normalisation.
Quatd Slerp(const Quatd& a, const Quatd& b, double t) {
  const double d = a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z;
  double wa = 1.0 - t;
  double wb = t;
  if (std::fabs(d) < 1.0) {
    const double theta = std::acos(d);
    const double s = std::sin(theta);
    wa = std::sin((1.0 - t) * theta) / s;
    wb = std::sin(t * theta) / s;
  }
  return {wa * a.w + wb * b.w, wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z};
}

// h such that F_h <= frame < F_{h+1}: the key before the first key whose
// frame is greater than frame. Called only with F_0 < frame < F_{n-1}; the
// bound keeps the search inside the list whatever the keys hold.
template <typename Key>
int FindKeySegment(const Key* keys, int n, double frame) {
  int k = 1;
  while (k < n - 1 && !(keys[k].frame > frame)) ++k;
  return k - 1;
}

// 2 (F_{h+1} - F_h) / span, the scale that adapts an inner key's tangent to
// segments of unequal length. Key frames that do not increase would make
// span 0 or negative; such a tangent keeps its unscaled length.
double TangentScale(double segment, double span) {
  return span > 0.0 ? 2.0 * segment / span : 1.0;
}

// Hermite interpolation of one key list of vectors or scalars (T is Vec3d or
// double) at frame.
template <typename T, typename Key>
T EvaluateKeys(const KeyList<Key>& list, double frame, T neutral) {
  const int n = list.count;
  const Key* k = list.keys;
  if (n == 0) return neutral;
  if (n == 1 || !(frame > k[0].frame)) return ValueOf(k[0]);
  if (!(frame < k[n - 1].frame)) return ValueOf(k[n - 1]);

  const int h = FindKeySegment(k, n, frame);
  const double fh = k[h].frame;
  const double fh1 = k[h + 1].frame;
  const double t = (frame - fh) / (fh1 - fh);

  auto tension = [&](int i) { return double{k[i].spline.tension}; };
  auto p = [&](int i) -> T { return ValueOf(k[i]); };
  // Tangents of an inner key i (0 < i < n - 1).
  auto chord = [&](int i, T& a, T& b) {
    const double bias = k[i].spline.bias;
    a = (1.0 + bias) * (p(i) - p(i - 1));
    b = (1.0 - bias) * (p(i + 1) - p(i));
  };
  auto outgoing = [&](int i) -> T {
    T a, b;
    chord(i, a, b);
    const double c = k[i].spline.continuity;
    return (1.0 - tension(i)) * (a + (0.5 - 0.5 * c) * (b - a));
  };
  auto incoming = [&](int i) -> T {
    T a, b;
    chord(i, a, b);
    const double c = k[i].spline.continuity;
    return (1.0 - tension(i)) * (a + (0.5 + 0.5 * c) * (b - a));
  };

  T s, e;
  if (n == 2) {
    s = (1.0 - tension(0)) * (p(1) - p(0));
    e = (1.0 - tension(1)) * (p(1) - p(0));
  } else {
    if (h == 0)
      s = (1.0 - tension(0)) * (1.5 * (p(1) - p(0)) - 0.5 * incoming(1));
    else
      s = TangentScale(fh1 - fh, fh1 - static_cast<double>(k[h - 1].frame)) * outgoing(h);
    if (h + 1 == n - 1)
      e = (1.0 - tension(n - 1)) * (1.5 * (p(n - 1) - p(n - 2)) - 0.5 * outgoing(n - 2));
    else
      e = TangentScale(fh1 - fh, static_cast<double>(k[h + 2].frame) - fh) * incoming(h + 1);
  }

  const double t2 = t * t;
  const double t3 = t2 * t;
  const double h1 = 2.0 * t3 - 3.0 * t2 + 1.0;
  const double h2 = -2.0 * t3 + 3.0 * t2;
  const double h3 = t3 - 2.0 * t2 + t;
  const double h4 = t3 - t2;
  return h1 * p(h) + h2 * p(h + 1) + h3 * s + h4 * e;
}

// The rotation at frame from the accumulated key quaternions.
Quatd EvaluateRotation(const KeyList<RotationKey>& list, double frame) {
  const int n = list.count;
  const RotationKey* k = list.keys;
  if (n == 0) return ToDouble(QuatIdentity);
  auto q = [&](int i) { return ToDouble(k[i].rotation); };
  if (n == 1 || !(frame > k[0].frame)) return q(0);
  if (!(frame < k[n - 1].frame)) return q(n - 1);

  const int h = FindKeySegment(k, n, frame);
  const double t = (frame - k[h].frame) / (static_cast<double>(k[h + 1].frame) - k[h].frame);
  auto tcb = [&](int i, double& tension, double& continuity, double& bias) {
    tension = k[i].spline.tension;
    continuity = k[i].spline.continuity;
    bias = k[i].spline.bias;
  };

  double tn, c, b;
  Quatd a, bq;
  // Outgoing control of key h.
  tcb(h, tn, c, b);
  if (n == 2) {
    a = Slerp(q(0), q(1), (1.0 - tn) / 3.0);
  } else if (h == 0) {
    a = Slerp(q(0), q(1), (1.0 - tn) * (1.0 + c * b) / 3.0);
  } else {
    const Quatd m = Slerp(Slerp(q(h), q(h - 1), -(1.0 + b) / 3.0),
                          Slerp(q(h), q(h + 1), (1.0 - b) / 3.0), 0.5 - 0.5 * c);
    a = Slerp(q(h), m, 1.0 - tn);
  }
  // Incoming control of key h + 1.
  const int kk = h + 1;
  tcb(kk, tn, c, b);
  if (n == 2) {
    bq = Slerp(q(1), q(0), (1.0 - tn) / 3.0);
  } else if (kk == n - 1) {
    bq = Slerp(q(n - 1), q(n - 2), (1.0 - tn) * (1.0 - c * b) / 3.0);
  } else {
    const Quatd m = Slerp(Slerp(q(kk), q(h), -(1.0 + b) / 3.0),
                          Slerp(q(kk), q(kk + 1), (1.0 - b) / 3.0), 0.5 + 0.5 * c);
    bq = Slerp(q(kk), m, tn - 1.0);
  }

  const Quatd l1 = Slerp(q(h), a, t);
  const Quatd l2 = Slerp(a, bq, t);
  const Quatd l3 = Slerp(bq, q(h + 1), t);
  return Slerp(Slerp(l1, l2, t), Slerp(l2, l3, t), t);
}

void SetIdentityMatrices(TrackState& state) {
  state.local = MatrixIdentity;
  state.world = MatrixIdentity;
  state.normalLocal = MatrixIdentity;
  state.normalWorld = MatrixIdentity;
}

}  // namespace

// ---- interpolation -------------------------------------------------------

Vector HermiteVector(Vector p0, Vector p1, Vector s, Vector e, float t) {
  const double td = t, t2 = td * td, t3 = t2 * td;
  const Vec3d r = (2.0 * t3 - 3.0 * t2 + 1.0) * ToDouble(p0) +
                  (-2.0 * t3 + 3.0 * t2) * ToDouble(p1) + (t3 - 2.0 * t2 + td) * ToDouble(s) +
                  (t3 - t2) * ToDouble(e);
  return ToSingle(r);
}

float HermiteScalar(float p0, float p1, float s, float e, float t) {
  const double td = t, t2 = td * td, t3 = t2 * td;
  return static_cast<float>((2.0 * t3 - 3.0 * t2 + 1.0) * p0 + (-2.0 * t3 + 3.0 * t2) * p1 +
                            (t3 - 2.0 * t2 + td) * s + (t3 - t2) * e);
}

Quaternion QuatSlerp(const Quaternion& a, const Quaternion& b, float t) {
  return ToSingle(Slerp(ToDouble(a), ToDouble(b), t));
}

// ---- tracks --------------------------------------------------------------

TrackState NeutralTrackState() {
  TrackState s{};
  s.kind = TrackNone;
  s.pivot = ZeroVector;
  s.position = ZeroVector;
  s.rotation = QuatIdentity;
  s.scale = {1.0f, 1.0f, 1.0f};
  s.fov = NeutralFov;
  s.roll = 0.0f;
  SetIdentityMatrices(s);
  return s;
}

void PrepareRotationKeys(Track& track) {
  RotationKey* keys = track.rotation.keys;
  for (int r = 0; r < track.rotation.count; ++r) {
    const double half = double{keys[r].angle} / 2.0;
    const double s = std::sin(half);
    const Vector axis = keys[r].axis;
    const Quaternion own{static_cast<float>(std::cos(half)),
                         {static_cast<float>(axis.x * s), static_cast<float>(axis.y * s),
                          static_cast<float>(axis.z * s)}};
    keys[r].rotation = r == 0 ? own : QuatMul(keys[r - 1].rotation, own);
  }
}

bool IsStaticTrack(const Track& track) {
  return track.position.count <= 1 && track.rotation.count <= 1 && track.scale.count <= 1 &&
         track.fov.count <= 1 && track.roll.count <= 1 && track.morph.count == 0;
}

void EvaluateTrack(const Track& track, TrackState& state, float frame) {
  const double f = frame;
  state.kind = track.kind;
  switch (track.kind) {
    case TrackNone:
      break;
    case TrackObject: {
      state.position = ToSingle(EvaluateKeys<Vec3d>(track.position, f, Vec3d{0, 0, 0}));
      state.scale = ToSingle(EvaluateKeys<Vec3d>(track.scale, f, Vec3d{1, 1, 1}));
      state.rotation = ToSingle(EvaluateRotation(track.rotation, f));
      const Matrix rotation = QuaternionMatrix(state.rotation);
      state.local =
          MatMul(MatMul(ScaleMatrix(state.scale), rotation), TranslationMatrix(state.position));
      state.world = state.local;
      state.normalLocal = rotation;
      state.normalWorld = rotation;
      return;
    }
    case TrackCamera:
      state.position = ToSingle(EvaluateKeys<Vec3d>(track.position, f, Vec3d{0, 0, 0}));
      state.roll = static_cast<float>(EvaluateKeys<double>(track.roll, f, 0.0));
      state.fov = static_cast<float>(EvaluateKeys<double>(track.fov, f, double{NeutralFov}));
      SetIdentityMatrices(state);
      return;
    case TrackCameraTarget:
    case TrackLight:
      state.position = ToSingle(EvaluateKeys<Vec3d>(track.position, f, Vec3d{0, 0, 0}));
      SetIdentityMatrices(state);
      return;
    default:
      break;
  }
  // Kinds without a transform of their own: restore world from local so that
  // the in-place composition of the hierarchy does not pile up frame after
  // frame on such a node (and on its children).
  state.world = state.local;
  state.normalWorld = state.normalLocal;
}

void SetFrame(Scene*& scene, float frame, bool wrap) {
  const Mesh3D& mesh = *scene->mesh;
  const double count = mesh.frameCount;
  // A frame equal to frameCount is not wrapped; frameCount 0 never wraps.
  if (wrap && mesh.frameCount != 0 && frame > count) {
    const double quotient = std::trunc(double{frame} / count);
    if (quotient < 9.0e18)  // the quotient fits a 64-bit integer
      frame = static_cast<float>(double{frame} -
                                 static_cast<double>(static_cast<std::int64_t>(quotient)) * count);
    else
      frame = static_cast<float>(std::fmod(double{frame}, count));
  }
  TrackState* const* states = scene->transformed->trackStates;
  for (int i = 0; i < mesh.trackCount; ++i) {
    const Track& track = *mesh.tracks[i];
    TrackState& state = *states[i];
    if (track.isStatic) {
      // Evaluated once at load; restore what the last composition changed.
      state.world = state.local;
      state.normalWorld = state.normalLocal;
    } else {
      EvaluateTrack(track, state, frame);
    }
  }
}

}  // namespace vx
