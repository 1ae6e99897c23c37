// 4x4 and 3x3 matrices of singles (row vectors, translation in row 3) and the
// fields of view of a view of any size. Every element is computed in
// double and rounded to single once.
#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "base/console.h"
#include "base/pixels.h"
#include "math/math.h"

namespace vx {
namespace {

// Degrees to radians, held as a single (0.017453292): the angles below are
// converted with exactly this factor both ways.
constexpr float DegreesToRadians = static_cast<float>(3.14159265358979323846 / 180.0);

// 2 atan(tan(fov / 2) x along / across), in degrees: the angle spanning the
// extent along when fov spans the extent across. (h x along) / across in
// this order: for the classic view that is (h x 200) / 320, which any
// view of that shape scaled by a power of two repeats bit for bit.
float ConvertFov(float fov, double along, double across) {
  const double d = DegreesToRadians;
  const double h = std::tan(double{fov} / 2.0 * d);
  return static_cast<float>(2.0 * std::atan(h * along / across) / d);
}

template <typename Op>
Matrix ElementWise(const Matrix& a, Op op) {
  Matrix r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = static_cast<float>(op(i, j, double{a.m[i][j]}));
  return r;
}

}  // namespace

Matrix operator+(const Matrix& a, const Matrix& b) {
  return ElementWise(a, [&](int i, int j, double x) { return x + b.m[i][j]; });
}

Matrix operator-(const Matrix& a, const Matrix& b) {
  return ElementWise(a, [&](int i, int j, double x) { return x - b.m[i][j]; });
}

Matrix operator*(const Matrix& a, float s) {
  return ElementWise(a, [&](int, int, double x) { return x * s; });
}

Matrix operator*(float s, const Matrix& a) {
  return ElementWise(a, [&](int, int, double x) { return double{s} * x; });
}

Matrix operator/(const Matrix& a, float s) {
  return ElementWise(a, [&](int, int, double x) { return x / s; });
}

void MatTranspose(Matrix& m) {
  for (int i = 0; i < 4; ++i)
    for (int j = i + 1; j < 4; ++j) std::swap(m.m[i][j], m.m[j][i]);
}

void Mat3Invert(Matrix3& m) {
  const double a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
  const double d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
  const double g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
  const double det = a * (e * i - h * f) - b * (d * i - g * f) + c * (d * h - g * e);
  // A singular matrix is not detected: k becomes infinite (or NaN).
  const double k = 1.0 / det;
  const double r[3][3] = {
      {(e * i - h * f), -(b * i - h * c), (b * f - e * c)},
      {-(d * i - g * f), (a * i - g * c), -(a * f - d * c)},
      {(d * h - g * e), -(a * h - g * b), (a * e - d * b)},
  };
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) m.m[row][col] = static_cast<float>(r[row][col] * k);
}

Matrix Mat3ToMatrix(const Matrix3& m) {
  Matrix r = MatrixIdentity;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = m.m[i][j];
  return r;
}

void WriteMatrix(const Matrix& m) {
  for (const auto& row : m.m) {
    std::string line = "| ";
    char number[64];
    for (int j = 0; j < 4; ++j) {
      if (j > 0) line += "  ";
      std::snprintf(number, sizeof number, "%8.3f", double{row[j]});
      line += number;
    }
    line += "  |";
    ConsoleWriteLine(line);
  }
}

float VerticalFov(float fov, const FrameSize& view) {
  return ConvertFov(fov, view.height, view.width);
}

float HorizontalFov(float fov, const FrameSize& view) {
  return ConvertFov(fov, view.width, view.height);
}

float FovRatio(float fov, const FrameSize& view) {
  return static_cast<float>(double{VerticalFov(fov, view)} / fov);
}

// ---- builders ------------------------------------------------------------

Matrix TranslationMatrix(Vector v) {
  Matrix m = MatrixIdentity;
  m.m[3][0] = v.x;
  m.m[3][1] = v.y;
  m.m[3][2] = v.z;
  return m;
}

Matrix ScaleMatrix(Vector v) {
  Matrix m = MatrixIdentity;
  m.m[0][0] = v.x;
  m.m[1][1] = v.y;
  m.m[2][2] = v.z;
  return m;
}

// Rotation for row vectors; the quaternion is used as it is, unnormalised.
Matrix QuaternionMatrix(const Quaternion& q) {
  const double w = q.w, x = q.v.x, y = q.v.y, z = q.v.z;
  auto f = [](double value) { return static_cast<float>(value); };
  Matrix m = MatrixIdentity;
  m.m[0][0] = f(1.0 - 2.0 * (y * y + z * z));
  m.m[0][1] = f(2.0 * (x * y + w * z));
  m.m[0][2] = f(2.0 * (x * z - w * y));
  m.m[1][0] = f(2.0 * (x * y - w * z));
  m.m[1][1] = f(1.0 - 2.0 * (x * x + z * z));
  m.m[1][2] = f(2.0 * (y * z + w * x));
  m.m[2][0] = f(2.0 * (x * z + w * y));
  m.m[2][1] = f(2.0 * (y * z - w * x));
  m.m[2][2] = f(1.0 - 2.0 * (x * x + y * y));
  return m;
}

// A point times this matrix gives its coordinates along x, y and z.
Matrix AxesMatrix(Vector x, Vector y, Vector z) {
  return Matrix{{{x.x, y.x, z.x, 0.0f},
                 {x.y, y.y, z.y, 0.0f},
                 {x.z, y.z, z.z, 0.0f},
                 {0.0f, 0.0f, 0.0f, 1.0f}}};
}

Matrix3 ColumnsMatrix3(Vector c0, Vector c1, Vector c2) {
  return Matrix3{{{c0.x, c1.x, c2.x}, {c0.y, c1.y, c2.y}, {c0.z, c1.z, c2.z}}};
}

}  // namespace vx
