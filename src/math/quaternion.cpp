// Quaternions (w first, then the vector part). Every result is computed in
// double and each stored component rounded to single once.
#include <cmath>
#include <cstdio>

#include "math/math.h"
#include "platform/console.h"

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

float QuatDot(const Quaternion& a, const Quaternion& b) {
  return static_cast<float>(Dot(a, b));
}

Quaternion QuatMul(const Quaternion& a, const Quaternion& b) {
  const double aw = a.w, ax = a.v.x, ay = a.v.y, az = a.v.z;
  const double bw = b.w, bx = b.v.x, by = b.v.y, bz = b.v.z;
  // w = a.w b.w - a.v . b.v; v = b.w a.v + a.w b.v + a.v x b.v
  return FromDouble(
      aw * bw - (ax * bx + ay * by + az * bz), bw * ax + aw * bx + (ay * bz - az * by),
      bw * ay + aw * by + (az * bx - ax * bz), bw * az + aw * bz + (ax * by - ay * bx));
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
