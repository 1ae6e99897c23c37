#include <gtest/gtest.h>

#include <cmath>

#include "math/math.h"
#include "support/testlib.h"

namespace vx {
namespace {

void ExpectQuat(const Quaternion& q, float w, float x, float y, float z) {
  EXPECT_FLOAT_EQ(q.w, w);
  EXPECT_FLOAT_EQ(q.v.x, x);
  EXPECT_FLOAT_EQ(q.v.y, y);
  EXPECT_FLOAT_EQ(q.v.z, z);
}

TEST(QuaternionArithmetic, ComponentWiseOperators) {
  const Quaternion a{1, {2, 3, 4}};
  const Quaternion b{0.5f, {-1, 0, 2}};
  ExpectQuat(a + b, 1.5f, 1, 3, 6);
  ExpectQuat(a - b, 0.5f, 3, 3, 2);
  ExpectQuat(a * 2.0f, 2, 4, 6, 8);
  ExpectQuat(3.0f * b, 1.5f, -3, 0, 6);
  ExpectQuat(a / 2.0f, 0.5f, 1, 1.5f, 2);
  EXPECT_FLOAT_EQ(QuatDot(a, b), 0.5f - 2 + 0 + 8);
  EXPECT_FLOAT_EQ(QuatLengthSquared(a), 30.0f);
  EXPECT_FLOAT_EQ(QuatLength({1, {2, 2, 4}}), 5.0f);
}

TEST(QuaternionMultiply, IdentityLeavesAnyQuaternionUnchanged) {
  const Quaternion q{0.3f, {-0.2f, 0.9f, 1.7f}};
  ExpectQuat(QuatMul(QuatIdentity, q), q.w, q.v.x, q.v.y, q.v.z);
  ExpectQuat(QuatMul(q, QuatIdentity), q.w, q.v.x, q.v.y, q.v.z);
}

TEST(QuaternionMultiply, HamiltonProductOrderMatters) {
  const Quaternion i{0, {1, 0, 0}};
  const Quaternion j{0, {0, 1, 0}};
  ExpectQuat(QuatMul(i, j), 0, 0, 0, 1);
  ExpectQuat(QuatMul(j, i), 0, 0, 0, -1);
  ExpectQuat(QuatMul(i, i), -1, 0, 0, 0);
}

TEST(QuaternionMultiply, GeneralProductMatchesHandExpansion) {
  // (1 + 2i + 3j + 4k)(5 + 6i + 7j + 8k) = -60 + 12i + 30j + 24k
  ExpectQuat(QuatMul({1, {2, 3, 4}}, {5, {6, 7, 8}}), -60, 12, 30, 24);
}

TEST(QuaternionMultiply, ComposesRotationsAboutTheSameAxis) {
  // Two quarter turns about y make a half turn: (cos 90, sin 90 * y).
  const float h = std::sqrt(0.5f);
  const Quaternion quarter{h, {0, h, 0}};
  const Quaternion half = QuatMul(quarter, quarter);
  EXPECT_NEAR(half.w, 0.0f, 1e-7f);
  EXPECT_NEAR(half.v.y, 1.0f, 1e-6f);
}

// The product and the dot product are composed of the vector operations,
// each of which rounds its result to single: VecDot, the scalar products
// b.w a.v and a.w b.v, their sum, VecCross, and the last sum. The components
// here are thirds, sevenths and the like, so every product is inexact and a
// single pass in double would round differently in most cases.
float Single(double x) {
  return static_cast<float>(x);
}
Vector Scaled(float s, Vector v) {
  return {Single(double{s} * v.x), Single(double{s} * v.y), Single(double{s} * v.z)};
}
Vector Sum(Vector a, Vector b) {
  return {Single(double{a.x} + b.x), Single(double{a.y} + b.y), Single(double{a.z} + b.z)};
}
float Dot(Vector a, Vector b) {
  return Single(double{a.x} * b.x + double{a.y} * b.y + double{a.z} * b.z);
}
Vector Cross(Vector a, Vector b) {
  return {Single(double{a.y} * b.z - double{a.z} * b.y),
          Single(double{a.z} * b.x - double{a.x} * b.z),
          Single(double{a.x} * b.y - double{a.y} * b.x)};
}

TEST(QuaternionMultiply, ComposedOfTheSingleVectorOperations) {
  int differsFromOnePass = 0;
  for (int i = 1; i <= 200; ++i) {
    const Quaternion a{
        1.0f / static_cast<float>(i + 2),
        {0.1f * static_cast<float>(i), -2.0f / 3.0f, 5.0f / static_cast<float>(i + 6)}};
    const Quaternion b{
        static_cast<float>(i) / 7.0f,
        {1.0f / 3.0f, static_cast<float>(i % 13) / 11.0f, -0.3f * static_cast<float>(i)}};
    const Quaternion p = QuatMul(a, b);
    const float w = Single(double{a.w} * b.w - Dot(a.v, b.v));
    const Vector v = Sum(Sum(Scaled(b.w, a.v), Scaled(a.w, b.v)), Cross(a.v, b.v));
    ASSERT_EQ(p.w, w) << i;
    ASSERT_EQ(p.v.x, v.x) << i;
    ASSERT_EQ(p.v.y, v.y) << i;
    ASSERT_EQ(p.v.z, v.z) << i;
    ASSERT_EQ(QuatDot(a, b), Single(double{Dot(a.v, b.v)} + double{a.w} * b.w)) << i;

    const double aw = a.w, ax = a.v.x, ay = a.v.y, az = a.v.z;
    const double bw = b.w, bx = b.v.x, by = b.v.y, bz = b.v.z;
    const float onePassX = Single(bw * ax + aw * bx + (ay * bz - az * by));
    const float onePassW = Single(aw * bw - (ax * bx + ay * by + az * bz));
    differsFromOnePass += onePassX != p.v.x || onePassW != p.w;
  }
  // The inputs do tell the two compositions apart.
  EXPECT_GT(differsFromOnePass, 20);
}

TEST(QuaternionNormalize, ZeroQuaternionBecomesIdentity) {
  Quaternion q{0, {0, 0, 0}};
  QuatNormalize(q);
  ExpectQuat(q, 1, 0, 0, 0);
}

TEST(QuaternionNormalize, UnitQuaternionDotsToOne) {
  Quaternion q{1, {2, -3, 4}};
  QuatNormalize(q);
  EXPECT_NEAR(QuatDot(q, q), 1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(q.v.y / q.w, -3.0f);
}

TEST(QuaternionPrint, WFirstThenTheBracketedVectorPart) {
  const std::string text = test::CaptureStdout([] {
    WriteQuaternion({1, {0, 0, 0}});
    WriteLnQuaternion({-0.5f, {0.25f, 2.0f, -1.0f}});
  });
  EXPECT_EQ(text,
            "w: 1.000 [ x: 0.000 y: 0.000 z: 0.000 ]"
            "w: -0.500 [ x: 0.250 y: 2.000 z: -1.000 ]\n");
}

}  // namespace
}  // namespace vx
