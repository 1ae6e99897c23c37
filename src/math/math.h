#pragma once
// 3D math of the engine: vectors, 4x4 and 3x3 matrices, quaternions, all of
// single floats. Conventions, once for the whole engine:
//  - row vectors: a point p is transformed as p' = p x M; rows 0..2 of a
//    Matrix are the images of the x, y and z axes, row 3 the translation, so
//    MatMul(A, B) applies A first, then B;
//  - the quaternion's w comes first, then its vector part (x, y, z);
//  - every operation computes in double and rounds each stored component to
//    single; the quaternion product and dot product are composed of the
//    vector operations, so their vector parts are rounded step by step.
// The small operations that the per-frame pipeline calls per vertex and per
// plane (vector arithmetic, VecDot, VecCross, MatMul, TransformPoint) are
// defined inline at the end of this header; the rest live in the .cpp files.
#include <cstdint>

#include "base/pixels.h"

namespace vx {

struct Vector {
  float x, y, z;
};
static_assert(sizeof(Vector) == 12, "Vector is three packed singles");

inline constexpr Vector ZeroVector{0.0f, 0.0f, 0.0f};
// What normalising a zero vector yields; camera space looks along it.
inline constexpr Vector UnitZ{0.0f, 0.0f, 1.0f};

inline Vector operator+(Vector a, Vector b);
inline Vector operator-(Vector a, Vector b);
inline Vector operator*(Vector v, float s);
inline Vector operator*(float s, Vector v);
inline Vector operator/(Vector v, float s);  // s = 0 is not guarded
inline float VecDot(Vector a, Vector b);
inline Vector VecCross(Vector a, Vector b);
// s = x^2 + y^2 + z^2; exactly 0 gives UnitZ, otherwise v * (1 / sqrt(s)).
void VecNormalize(Vector& v);
float VecLength(Vector v);
inline float VecLengthSquared(Vector v);
inline Vector MakeVector(float x, float y, float z);
// "x: 1.500 y: -2.000 z: 0.000" on the console (checked writes).
void WriteVector(Vector v);
void WriteLnVector(Vector v);

struct Matrix {
  float m[4][4];  // m[row][column]
};
struct Matrix3 {
  float m[3][3];
};
static_assert(sizeof(Matrix) == 64 && sizeof(Matrix3) == 36);

inline constexpr Matrix MatrixIdentity{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

Matrix operator+(const Matrix& a, const Matrix& b);
Matrix operator-(const Matrix& a, const Matrix& b);
Matrix operator*(const Matrix& a, float s);
Matrix operator*(float s, const Matrix& a);
Matrix operator/(const Matrix& a, float s);
// R[i][j] = sum over k of A[i][k] B[k][j]: A applied first, then B.
inline Matrix MatMul(const Matrix& a, const Matrix& b);
// (x, y, z, 1) x M, column 3 ignored (no division by w).
inline Vector TransformPoint(Vector v, const Matrix& m);
void MatTranspose(Matrix& m);
struct Quaternion;
// Builders, for row vectors (a point times the matrix): a translation by v,
// a scale by v's components, the rotation of q (used as it is,
// unnormalised), the change to coordinates along the axes x, y and z, and a
// 3 x 3 matrix of three columns.
Matrix TranslationMatrix(Vector v);
Matrix ScaleMatrix(Vector v);
Matrix QuaternionMatrix(const Quaternion& q);
Matrix AxesMatrix(Vector x, Vector y, Vector z);
Matrix3 ColumnsMatrix3(Vector c0, Vector c1, Vector c2);
// Inverse by cofactors; a singular matrix is not detected.
void Mat3Invert(Matrix3& m);
Matrix Mat3ToMatrix(const Matrix3& m);
// Four lines "|    1.000     0.000     0.000     0.000  |".
void WriteMatrix(const Matrix& m);

// Fields of view, in degrees, of a view of view.width x view.height square
// pixels (its pitch is not read). The vertical angle whose extent spans the
// height when the horizontal angle fov spans the width, and the converse:
//   VerticalFov(fov)   = 2 atan(tan(fov / 2) x height / width)
//   HorizontalFov(fov) = 2 atan(tan(fov / 2) x width / height)
// in double, with the degree factor held as a single (0.017453292) both
// ways, the product with the extent formed before the division by the other
// extent, and the angle rounded to single once.
float VerticalFov(float fov, const FrameSize& view);
float HorizontalFov(float fov, const FrameSize& view);
// VerticalFov(fov, view) / fov, rounded to single: how much of the
// horizontal angle the vertical one is. For the engine's classic view
// (ClassicFrame, 320 x 200: 200 is the drawn image height, not the 240 rows
// of the letterboxed display) it is below 1 for every angle up to 180.
float FovRatio(float fov, const FrameSize& view);

struct Quaternion {
  float w;
  Vector v;
};
static_assert(sizeof(Quaternion) == 16);

inline constexpr Quaternion QuatIdentity{1.0f, {0.0f, 0.0f, 0.0f}};

Quaternion operator+(const Quaternion& a, const Quaternion& b);
Quaternion operator-(const Quaternion& a, const Quaternion& b);
Quaternion operator*(const Quaternion& q, float s);
Quaternion operator*(float s, const Quaternion& q);
Quaternion operator/(const Quaternion& q, float s);
float QuatDot(const Quaternion& a, const Quaternion& b);
// Hamilton product: w = a.w b.w - VecDot(a.v, b.v),
// v = b.w a.v + a.w b.v + VecCross(a.v, b.v), each vector step rounded to single.
Quaternion QuatMul(const Quaternion& a, const Quaternion& b);
void QuatNormalize(Quaternion& q);
float QuatLength(const Quaternion& q);
float QuatLengthSquared(const Quaternion& q);
// "w: 1.000 [ x: 0.000 y: 0.000 z: 0.000 ]"
void WriteQuaternion(const Quaternion& q);
void WriteLnQuaternion(const Quaternion& q);

// ---- Inline definitions. Same arithmetic as everywhere in the engine: each
// product and sum in double, each stored component rounded to single once.

namespace math_detail {

inline Vector FromDouble(double x, double y, double z) {
  return Vector{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
}

// a.b in double, summed left to right.
inline double Dot(Vector a, Vector b) {
  return double{a.x} * b.x + double{a.y} * b.y + double{a.z} * b.z;
}

}  // namespace math_detail

inline Vector operator+(Vector a, Vector b) {
  return math_detail::FromDouble(double{a.x} + b.x, double{a.y} + b.y, double{a.z} + b.z);
}

inline Vector operator-(Vector a, Vector b) {
  return math_detail::FromDouble(double{a.x} - b.x, double{a.y} - b.y, double{a.z} - b.z);
}

inline Vector operator*(Vector v, float s) {
  return math_detail::FromDouble(double{v.x} * s, double{v.y} * s, double{v.z} * s);
}

inline Vector operator*(float s, Vector v) {
  return math_detail::FromDouble(double{s} * v.x, double{s} * v.y, double{s} * v.z);
}

inline Vector operator/(Vector v, float s) {
  return math_detail::FromDouble(double{v.x} / s, double{v.y} / s, double{v.z} / s);
}

inline float VecDot(Vector a, Vector b) {
  return static_cast<float>(math_detail::Dot(a, b));
}

inline Vector VecCross(Vector a, Vector b) {
  return math_detail::FromDouble(double{a.y} * b.z - double{a.z} * b.y,
                                 double{a.z} * b.x - double{a.x} * b.z,
                                 double{a.x} * b.y - double{a.y} * b.x);
}

inline float VecLengthSquared(Vector v) {
  return static_cast<float>(math_detail::Dot(v, v));
}

inline Vector MakeVector(float x, float y, float z) {
  return Vector{x, y, z};
}

inline Matrix MatMul(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k) sum += double{a.m[i][k]} * b.m[k][j];
      r.m[i][j] = static_cast<float>(sum);
    }
  }
  return r;
}

inline Vector TransformPoint(Vector v, const Matrix& m) {
  // Column j of the product, summed left to right. Written out per column
  // (no array in memory) so that the three sums stay in registers.
  const double x = v.x, y = v.y, z = v.z;
  auto column = [&](int j) { return x * m.m[0][j] + y * m.m[1][j] + z * m.m[2][j] + m.m[3][j]; };
  return math_detail::FromDouble(column(0), column(1), column(2));
}

}  // namespace vx
