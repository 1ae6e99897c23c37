// Vectors of three singles. Every result is computed in double and each
// stored component rounded to single once.
#include <cmath>
#include <cstdio>

#include "math/math.h"
#include "platform/console.h"

namespace vx {
namespace {

Vector FromDouble(double x, double y, double z) {
  return Vector{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

double Dot(Vector a, Vector b) {
  return double{a.x} * b.x + double{a.y} * b.y + double{a.z} * b.z;
}

}  // namespace

Vector operator+(Vector a, Vector b) {
  return FromDouble(double{a.x} + b.x, double{a.y} + b.y, double{a.z} + b.z);
}

Vector operator-(Vector a, Vector b) {
  return FromDouble(double{a.x} - b.x, double{a.y} - b.y, double{a.z} - b.z);
}

Vector operator*(Vector v, float s) {
  return FromDouble(double{v.x} * s, double{v.y} * s, double{v.z} * s);
}

Vector operator*(float s, Vector v) {
  return FromDouble(double{s} * v.x, double{s} * v.y, double{s} * v.z);
}

Vector operator/(Vector v, float s) {
  return FromDouble(double{v.x} / s, double{v.y} / s, double{v.z} / s);
}

float VecDot(Vector a, Vector b) {
  return static_cast<float>(Dot(a, b));
}

Vector VecCross(Vector a, Vector b) {
  return FromDouble(double{a.y} * b.z - double{a.z} * b.y, double{a.z} * b.x - double{a.x} * b.z,
                    double{a.x} * b.y - double{a.y} * b.x);
}

void VecNormalize(Vector& v) {
  const double s = Dot(v, v);
  if (s == 0.0) {
    v = UnitZ;
    return;
  }
  // One reciprocal (passed on as a single, like any scale factor), three
  // multiplications. s is a double, so a tiny vector whose squared length
  // would underflow a single is still divided.
  v = v * static_cast<float>(1.0 / std::sqrt(s));
}

float VecLength(Vector v) {
  return static_cast<float>(std::sqrt(Dot(v, v)));
}

float VecLengthSquared(Vector v) {
  return static_cast<float>(Dot(v, v));
}

Vector MakeVector(float x, float y, float z) {
  return Vector{x, y, z};
}

void WriteVector(Vector v) {
  char text[256];
  std::snprintf(text, sizeof text, "x: %3.3f y: %3.3f z: %3.3f", double{v.x}, double{v.y},
                double{v.z});
  ConsoleWrite(text);
}

void WriteLnVector(Vector v) {
  WriteVector(v);
  ConsoleWriteLine();
}

}  // namespace vx
