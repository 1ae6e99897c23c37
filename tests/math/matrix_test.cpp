#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>

#include "math/math.h"
#include "support/testlib.h"

namespace vx {
namespace {

Matrix Sample() {
  return Matrix{{{1, 2, 3, 0}, {-4, 5, 6, 0}, {7, -8, 9, 0}, {10, 11, -12, 1}}};
}

void ExpectMatrix(const Matrix& got, const Matrix& want) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_FLOAT_EQ(got.m[i][j], want.m[i][j]) << i << "," << j;
}

TEST(MatrixArithmetic, ElementWiseOperators) {
  const Matrix a = Sample();
  Matrix twice = a + a;
  ExpectMatrix(twice, a * 2.0f);
  ExpectMatrix(2.0f * a, twice);
  ExpectMatrix(twice / 2.0f, a);
  const Matrix zero = a - a;
  for (const auto& row : zero.m)
    for (float x : row) EXPECT_EQ(x, 0.0f);
}

TEST(MatrixMultiply, IdentityOnEitherSideReturnsTheOtherOperand) {
  ExpectMatrix(MatMul(MatrixIdentity, Sample()), Sample());
  ExpectMatrix(MatMul(Sample(), MatrixIdentity), Sample());
}

TEST(MatrixMultiply, LeftOperandIsAppliedFirst) {
  Matrix translate = MatrixIdentity;
  translate.m[3][0] = 1.0f;  // move x by 1
  Matrix scale = MatrixIdentity;
  scale.m[0][0] = 2.0f;  // double x
  const Vector p{3.0f, 0.0f, 0.0f};
  // Translate, then scale: (3 + 1) * 2; the other order gives 3 * 2 + 1.
  EXPECT_FLOAT_EQ(TransformPoint(p, MatMul(translate, scale)).x, 8.0f);
  EXPECT_FLOAT_EQ(TransformPoint(p, MatMul(scale, translate)).x, 7.0f);
}

TEST(MatrixMultiply, HandComputedProduct) {
  const Matrix a{{{1, 2, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {3, 4, 5, 1}}};
  const Matrix b{{{0, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 2, 0}, {0, 0, 0, 1}}};
  const Matrix want{{{-2, 1, 0, 0}, {-1, 0, 0, 0}, {0, 0, 2, 0}, {-4, 3, 10, 1}}};
  ExpectMatrix(MatMul(a, b), want);
}

TEST(MatrixTransform, OriginMapsToTheTranslationRow) {
  const Vector p = TransformPoint(ZeroVector, Sample());
  EXPECT_FLOAT_EQ(p.x, 10.0f);
  EXPECT_FLOAT_EQ(p.y, 11.0f);
  EXPECT_FLOAT_EQ(p.z, -12.0f);
}

TEST(MatrixTransform, RowVectorTimesMatrixIgnoringColumnThree) {
  Matrix m = Sample();
  m.m[0][3] = 99.0f;  // no division by w
  m.m[3][3] = 5.0f;
  const Vector p = TransformPoint({1, 2, 3}, m);
  EXPECT_FLOAT_EQ(p.x, 1 * 1 + 2 * -4 + 3 * 7 + 10);
  EXPECT_FLOAT_EQ(p.y, 1 * 2 + 2 * 5 + 3 * -8 + 11);
  EXPECT_FLOAT_EQ(p.z, 1 * 3 + 2 * 6 + 3 * 9 - 12);
}

// Random singles over several orders of magnitude, so that single
// intermediates would round differently from double ones.
Matrix RandomMatrix(std::mt19937& random) {
  std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
  std::uniform_int_distribution<int> exponent(-12, 12);
  Matrix m;
  for (auto& row : m.m)
    for (float& x : row) x = std::ldexp(mantissa(random), exponent(random));
  return m;
}

bool SameBits(float a, float b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(MatrixTransform, EachColumnIsOneDoubleSumRoundedOnce) {
  std::mt19937 random(7);
  int singleWouldDiffer = 0;
  for (int n = 0; n < 500; ++n) {
    const Matrix m = RandomMatrix(random);
    const Vector v{m.m[0][3], m.m[1][3], m.m[2][3]};  // column 3 is ignored
    const Vector p = TransformPoint(v, m);
    const float got[3] = {p.x, p.y, p.z};
    for (int j = 0; j < 3; ++j) {
      const double sum =
          ((double{v.x} * m.m[0][j] + double{v.y} * m.m[1][j]) + double{v.z} * m.m[2][j]) +
          m.m[3][j];
      EXPECT_TRUE(SameBits(got[j], static_cast<float>(sum))) << n << " column " << j;
      const float single = v.x * m.m[0][j] + v.y * m.m[1][j] + v.z * m.m[2][j] + m.m[3][j];
      singleWouldDiffer += SameBits(single, static_cast<float>(sum)) ? 0 : 1;
    }
  }
  EXPECT_GT(singleWouldDiffer, 0) << "the inputs do not tell double from single sums";
}

TEST(MatrixMultiply, EachElementIsOneDoubleSumRoundedOnce) {
  std::mt19937 random(11);
  for (int n = 0; n < 200; ++n) {
    const Matrix a = RandomMatrix(random);
    const Matrix b = RandomMatrix(random);
    const Matrix r = MatMul(a, b);
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        double sum = 0.0;
        for (int k = 0; k < 4; ++k) sum += double{a.m[i][k]} * b.m[k][j];
        EXPECT_TRUE(SameBits(r.m[i][j], static_cast<float>(sum))) << n << ": " << i << "," << j;
      }
    }
  }
}

TEST(MatrixTranspose, SwapsRowsAndColumns) {
  Matrix m = Sample();
  MatTranspose(m);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(m.m[i][j], Sample().m[j][i]);
}

TEST(Matrix3, IdentityWidensToTheFourByFourIdentity) {
  const Matrix3 id{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  ExpectMatrix(Mat3ToMatrix(id), MatrixIdentity);
}

TEST(Matrix3, WideningPutsTheBlockTopLeftAndClearsTheRest) {
  const Matrix3 m{{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}};
  const Matrix want{{{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}, {0, 0, 0, 1}}};
  ExpectMatrix(Mat3ToMatrix(m), want);
}

TEST(Matrix3, InverseOfHandComputedMatrix) {
  // [2 0 0; 0 0 4; 0 1 0] has det -8; its inverse is [0.5 0 0; 0 0 1; 0 0.25 0].
  Matrix3 m{{{2, 0, 0}, {0, 0, 4}, {0, 1, 0}}};
  Mat3Invert(m);
  const float want[3][3] = {{0.5f, 0, 0}, {0, 0, 1}, {0, 0.25f, 0}};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_FLOAT_EQ(m.m[i][j], want[i][j]) << i << "," << j;
}

TEST(Matrix3, InverseTimesOriginalIsIdentity) {
  const Matrix3 original{{{1, 2, 3}, {0, 1, 4}, {5, 6, 0}}};
  Matrix3 inverse = original;
  Mat3Invert(inverse);
  const Matrix product = MatMul(Mat3ToMatrix(original), Mat3ToMatrix(inverse));
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(product.m[i][j], i == j ? 1.0f : 0.0f, 1e-5f);
}

TEST(Matrix3, SingularMatrixIsNotDetected) {
  Matrix3 m{{{1, 2, 3}, {2, 4, 6}, {0, 0, 1}}};
  Mat3Invert(m);
  bool anyNotFinite = false;
  for (const auto& row : m.m)
    for (float x : row) anyNotFinite = anyNotFinite || !std::isfinite(x);
  EXPECT_TRUE(anyNotFinite);
}

TEST(MatrixPrint, RowsOfEightWideFieldsBetweenBars) {
  Matrix m = MatrixIdentity;
  m.m[3][0] = -12.3456f;
  m.m[3][1] = 1234.5f;
  EXPECT_EQ(test::CaptureStdout([&] { WriteMatrix(m); }),
            "|    1.000     0.000     0.000     0.000  |\n"
            "|    0.000     1.000     0.000     0.000  |\n"
            "|    0.000     0.000     1.000     0.000  |\n"
            "|  -12.346  1234.500     0.000     1.000  |\n");
}

TEST(FovRatio, NinetyDegreesGivesAVerticalAngleOfAbout64) {
  const float ratio = FovRatio(90.0f, ClassicFrame);
  // tan 45 = 1; 2 atan(200/320) = 64.0108 degrees; / 90.
  EXPECT_NEAR(ratio, 64.0108f / 90.0f, 2e-5f);
  EXPECT_NEAR(ratio * 90.0f, 64.01f, 0.01f);
}

TEST(FovRatio, BelowOneForEveryAngleUpTo180) {
  for (int fov = 1; fov < 180; ++fov) {
    const float ratio = FovRatio(static_cast<float>(fov), ClassicFrame);
    const double want = 2.0 *
                        std::atan(std::tan(fov / 2.0 * std::numbers::pi / 180.0) * 200.0 / 320.0) *
                        180.0 / std::numbers::pi / fov;
    EXPECT_LT(ratio, 1.0f) << fov;
    EXPECT_GT(ratio, 0.0f) << fov;
    EXPECT_NEAR(ratio, want, 1e-5) << fov;
  }
}

TEST(FovRatio, SmallAnglesApproachTheAspectRatio) {
  EXPECT_NEAR(FovRatio(0.01f, ClassicFrame), 200.0f / 320.0f, 1e-4f);
}

// The angle spanning one extent of a view from the angle spanning the other,
// against the textbook formula in full double precision: 2 atan(tan(fov / 2)
// x extent ratio). The views are the classic one and wider, narrower and
// portrait frames.
TEST(FovRatio, AnglesConvertBetweenTheExtentsOfAnyView) {
  struct Case {
    FrameSize view;
    float fov;
  };
  const Case cases[] = {
      {.view = ClassicFrame, .fov = 90.0f},
      {.view = PackedFrame(1920, 1080), .fov = 60.0f},
      {.view = PackedFrame(2560, 1080), .fov = 45.0f},
      {.view = PackedFrame(1080, 1920), .fov = 90.0f},
      {.view = PackedFrame(640, 480), .fov = 120.0f},
      {.view = PackedFrame(3840, 2160), .fov = 10.0f},
  };
  auto reference = [](double fov, double along, double across) {
    return 2.0 * std::atan(std::tan(fov / 2.0 * std::numbers::pi / 180.0) * along / across) *
           180.0 / std::numbers::pi;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.view.width << " x " << c.view.height << ", " << c.fov);
    const double w = c.view.width, h = c.view.height;
    EXPECT_NEAR(VerticalFov(c.fov, c.view), reference(c.fov, h, w), 2e-4);
    EXPECT_NEAR(HorizontalFov(c.fov, c.view), reference(c.fov, w, h), 2e-4);
    EXPECT_NEAR(FovRatio(c.fov, c.view), reference(c.fov, h, w) / c.fov, 1e-5);
    // There and back gives the angle again, and a square view keeps it.
    EXPECT_NEAR(HorizontalFov(VerticalFov(c.fov, c.view), c.view), c.fov, 1e-4);
    EXPECT_NEAR(VerticalFov(c.fov, PackedFrame(c.view.width, c.view.width)), c.fov, 1e-4);
  }
  // The classic view's shape at twice or four times the size gives the very
  // same bits: the camera's 16:10 frames rely on it.
  for (float fov : {1.0f, 37.5f, 45.0f, 90.0f, 133.3f}) {
    EXPECT_EQ(FovRatio(fov, PackedFrame(640, 400)), FovRatio(fov, ClassicFrame)) << fov;
    EXPECT_EQ(FovRatio(fov, PackedFrame(1280, 800)), FovRatio(fov, ClassicFrame)) << fov;
  }
}

TEST(MatrixBuilders, MatricesHaveTheirStatedLayout) {
  const Matrix t = TranslationMatrix({1, 2, 3});
  EXPECT_EQ(t.m[3][0], 1.0f);
  EXPECT_EQ(t.m[3][2], 3.0f);
  EXPECT_EQ(t.m[0][3], 0.0f);
  const Matrix s = ScaleMatrix({2, 3, 4});
  EXPECT_EQ(TransformPoint({1, 1, 1}, s).z, 4.0f);
  const Matrix a = AxesMatrix({1, 2, 3}, {4, 5, 6}, {7, 8, 9});
  const Vector p = TransformPoint({1, 1, 1}, a);  // dot products with the axes
  EXPECT_EQ(p.x, 6.0f);
  EXPECT_EQ(p.y, 15.0f);
  EXPECT_EQ(p.z, 24.0f);
  const Matrix3 c = ColumnsMatrix3({1, 2, 3}, {4, 5, 6}, {7, 8, 9});
  EXPECT_EQ(c.m[1][0], 2.0f);
  EXPECT_EQ(c.m[0][1], 4.0f);
}

}  // namespace
}  // namespace vx
