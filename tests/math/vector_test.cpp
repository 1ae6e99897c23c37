#include <gtest/gtest.h>

#include <cmath>

#include "math/math.h"
#include "support/testlib.h"

namespace vx {
namespace {

void ExpectVector(Vector v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

TEST(VectorArithmetic, OperatorsWorkComponentWiseWithScalarOnEitherSide) {
  const Vector a{1.0f, -2.0f, 3.5f};
  const Vector b{0.5f, 4.0f, -1.0f};
  ExpectVector(a + b, 1.5f, 2.0f, 2.5f);
  ExpectVector(a - b, 0.5f, -6.0f, 4.5f);
  ExpectVector(a * 2.0f, 2.0f, -4.0f, 7.0f);
  ExpectVector(-0.5f * a, -0.5f, 1.0f, -1.75f);
  ExpectVector(a / 4.0f, 0.25f, -0.5f, 0.875f);
  ExpectVector(MakeVector(7.0f, 8.0f, 9.0f), 7.0f, 8.0f, 9.0f);
}

TEST(VectorArithmetic, DotAndCrossFollowTheRightHandedFormulas) {
  EXPECT_FLOAT_EQ(VecDot({1, 2, 3}, {4, -5, 6}), 4.0f - 10.0f + 18.0f);
  ExpectVector(VecCross({1, 0, 0}, {0, 1, 0}), 0, 0, 1);
  ExpectVector(VecCross({0, 1, 0}, {1, 0, 0}), 0, 0, -1);
  ExpectVector(VecCross({0, 1, 0}, {0, 0, 1}), 1, 0, 0);
  // (2,3,4) x (5,6,7) = (3*7-4*6, 4*5-2*7, 2*6-3*5)
  ExpectVector(VecCross({2, 3, 4}, {5, 6, 7}), -3, 6, -3);
}

TEST(VectorArithmetic, SumsAreFormedInDoubleBeforeRounding) {
  // In single precision 1e8 + 1 rounds back to 1e8 and the dot product
  // would be 0; held in double the 1 survives.
  EXPECT_EQ(VecDot({1e8f, 1.0f, -1e8f}, {1.0f, 1.0f, 1.0f}), 1.0f);
  EXPECT_EQ(VecLengthSquared({3.0f, 4.0f, 12.0f}), 169.0f);
  EXPECT_EQ(VecLength({3.0f, 4.0f, 12.0f}), 13.0f);
}

TEST(VectorNormalize, ZeroVectorBecomesUnitZ) {
  Vector v = ZeroVector;
  VecNormalize(v);
  ExpectVector(v, 0, 0, 1);
}

TEST(VectorNormalize, ScalesToUnitLengthKeepingDirection) {
  Vector v{0, 0, -5};
  VecNormalize(v);
  ExpectVector(v, 0, 0, -1);
  Vector w{3, 0, 4};
  VecNormalize(w);
  ExpectVector(w, 0.6f, 0, 0.8f);
}

TEST(VectorNormalize, TinyNonZeroVectorIsStillDivided) {
  // 1e-30 squared underflows a single to 0 but not a double.
  Vector v{1e-30f, 0.0f, 0.0f};
  VecNormalize(v);
  ExpectVector(v, 1, 0, 0);
}

TEST(VectorPrint, ThreeDecimalsWithLabels) {
  const std::string text = test::CaptureStdout([] {
    WriteVector({1.5f, -2.0f, 0.0f});
    WriteLnVector({123.4567f, 0.0004f, -0.0006f});
  });
  EXPECT_EQ(text, "x: 1.500 y: -2.000 z: 0.000x: 123.457 y: 0.000 z: -0.001\n");
}

}  // namespace
}  // namespace vx
