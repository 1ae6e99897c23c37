// Quaternions (w first, then the vector part). The vector part is handled by
// the vector operations: the product and the dot product are composed of
// VecDot, VecCross and the vector sums and scalar products, each of which
// rounds its result to single; the remaining scalar steps (a.w b.w and the
// sums with it) are taken in double and rounded once.
#include <cmath>
#include <cstdio>

#include "base/console.h"
#include "math/math.h"

namespace vx {
namespace {

Quaternion FromDouble(double w, double x, double y, double z) {
  return Quaternion{static_cast<float>(w),
                    {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)}};
}

double Dot(const Quaternion& a, const Quaternion& b) {
  return double{a.v.x} * b.v.x + double{a.v.y} * b.v.y + double{a.v.z} * b.v.z + double{a.w} * b.w;
}

}  // namespace

Quaternion operator+(const Quaternion& a, const Quaternion& b) {
  return FromDouble(double{a.w} + b.w, double{a.v.x} + b.v.x, double{a.v.y} + b.v.y,
                    double{a.v.z} + b.v.z);
}

Quaternion operator-(const Quaternion& a, const Quaternion& b) {
  return FromDouble(double{a.w} - b.w, double{a.v.x} - b.v.x, double{a.v.y} - b.v.y,
                    double{a.v.z} - b.v.z);
}

Quaternion operator*(const Quaternion& q, float s) {
  return FromDouble(double{q.w} * s, double{q.v.x} * s, double{q.v.y} * s, double{q.v.z} * s);
}

Quaternion operator*(float s, const Quaternion& q) {
  return q * s;
}

Quaternion operator/(const Quaternion& q, float s) {
  return FromDouble(double{q.w} / s, double{q.v.x} / s, double{q.v.y} / s, double{q.v.z} / s);
}

// VecDot(a.v, b.v) + a.w b.w.
float QuatDot(const Quaternion& a, const Quaternion& b) {
  return static_cast<float>(double{VecDot(a.v, b.v)} + double{a.w} * b.w);
}

// w = a.w b.w - VecDot(a.v, b.v); v = b.w a.v + a.w b.v + VecCross(a.v, b.v),
// summed left to right.
Quaternion QuatMul(const Quaternion& a, const Quaternion& b) {
  const float w = static_cast<float>(double{a.w} * b.w - double{VecDot(a.v, b.v)});
  const Vector v = b.w * a.v + a.w * b.v + VecCross(a.v, b.v);
  return Quaternion{w, v};
}

void QuatNormalize(Quaternion& q) {
  const double s = Dot(q, q);
  if (s == 0.0) {
    q = QuatIdentity;
    return;
  }
  q = q * static_cast<float>(1.0 / std::sqrt(s));
}

float QuatLength(const Quaternion& q) {
  return static_cast<float>(std::sqrt(Dot(q, q)));
}

float QuatLengthSquared(const Quaternion& q) {
  return static_cast<float>(Dot(q, q));
}

void WriteQuaternion(const Quaternion& q) {
  char text[256];
  std::snprintf(text, sizeof text, "w: %3.3f [ x: %3.3f y: %3.3f z: %3.3f ]", double{q.w},
                double{q.v.x}, double{q.v.y}, double{q.v.z});
  ConsoleWrite(text);
}

void WriteLnQuaternion(const Quaternion& q) {
  WriteQuaternion(q);
  ConsoleWriteLine();
}

}  // namespace vx
