// Tests of media/base/maths: the layer's memory, integer, floating-point and 3-D routines.
#include "media/base/maths.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <random>

using namespace ZaDod;

TEST(Maths, MemoryRoutines) {
  unsigned char a[8] = {1, 2, 3, 4, 5, 6, 7, 8}, b[8] = {1, 2, 3, 4, 5, 6, 7, 9};
  EXPECT_EQ(MemoryCompare(a, b, 8), 1);
  EXPECT_EQ(MemoryCompare(b, a, 8), 1);
  EXPECT_EQ(MemoryCompare(a, b, 7), 0);
  EXPECT_EQ(MemoryCompare(a, b, 0), 0);
  MemoryMove(a + 1, a, 6);
  EXPECT_EQ(a[1], 1);
  EXPECT_EQ(a[6], 6);
  uint32_t words[3] = {};
  MemorySet32(reinterpret_cast<unsigned char*>(words), 0xA1B2C3D4u, 2);
  EXPECT_EQ(words[1], 0xA1B2C3D4u);
  EXPECT_EQ(words[2], 0u);
}

TEST(Maths, WideIntegerArithmeticAgreesWithInt128) {
  std::mt19937_64 random(12345);
  for (int i = 0; i < 10000; ++i) {
    uint64_t a = random(), b = random() >> (random() % 64), c = (random() >> (random() % 64)) | 1;
    uint64_t product[2];
    MultiplyUInt64To128(a, b, product);
    unsigned __int128 expected = static_cast<unsigned __int128>(a) * b;
    ASSERT_EQ(product[0], static_cast<uint64_t>(expected));
    ASSERT_EQ(product[1], static_cast<uint64_t>(expected >> 64));
    uint64_t quotient;
    DivideUInt128ByUInt64(product, c, &quotient);
    ASSERT_EQ(quotient, static_cast<uint64_t>(expected / c));
  }
  uint64_t value = 1000000007ull * 3;
  EXPECT_EQ(DivideUInt64(&value, 3), 1000000007ull);
  EXPECT_EQ(value, 3000000021ull);
}

TEST(Maths, IntegerConversions) {
  EXPECT_EQ(TruncFloatToInt(-2.9f), -2);
  EXPECT_EQ(TruncDoubleToInt(2.9), 2);
  EXPECT_EQ(RoundDoubleToInt(2.5), 2);
  EXPECT_EQ(RoundDoubleToInt(3.5), 4);
  EXPECT_EQ(RoundDoubleToInt(-2.6), -3);
  EXPECT_EQ(TruncDoubleToInt(2147483647.9), INT_MAX);
  EXPECT_EQ(TruncDoubleToInt(-2147483648.9), INT_MIN);
  EXPECT_EQ(TruncDoubleToInt(1e20), INT_MIN);
  EXPECT_EQ(TruncFloatToInt(NAN), INT_MIN);
  double d4[4] = {1.9, -1.9, 0.5, -0.5};
  int i4[4];
  ConvertDouble4ToInt4(d4, i4);
  EXPECT_EQ(i4[0], 1);
  EXPECT_EQ(i4[1], -1);
  EXPECT_EQ(i4[2], 0);
  EXPECT_EQ(i4[3], 0);
  EXPECT_EQ(WideStringLength(u"abc"), 3);
  EXPECT_EQ(WideStringLength(nullptr), 0);
}

TEST(Maths, VectorsAndZeroLength) {
  Vector3F n = NormalizeVector(0, 0, 0);
  EXPECT_EQ(n.x, -1.0f);
  EXPECT_EQ(n.y, -1.0f);
  EXPECT_EQ(n.z, -1.0f);
  EXPECT_EQ(VectorLength(0, 0, 0), 0.0f);
  EXPECT_FLOAT_EQ(VectorLength(3, 4, 12), 13.0f);
  n = NormalizeVector(0, 3, 4);
  EXPECT_FLOAT_EQ(n.y, 0.6f);
  float s, c;
  SinCosFloat(0.5f, &s, &c);
  EXPECT_FLOAT_EQ(s, std::sin(0.5f));
  EXPECT_FLOAT_EQ(c, std::cos(0.5f));
  double plane[4];
  Vector3D point{0, 2, 0}, normal{0, 5, 0};
  CreatePlaneD(plane, &point, &normal);
  EXPECT_DOUBLE_EQ(plane[1], 1.0);
  EXPECT_DOUBLE_EQ(plane[3], -2.0);
}

TEST(Maths, LookAtMapsOriginInFrontOfTheEye) {
  Matrix4x4D viewD;
  Vector3D eye{0, 0, -5}, target{0, 0, 0}, up{0, 1, 0};
  CreateLookAtMatrixD(&viewD, &eye, &target, &up);
  Matrix4x4F view;
  ConvertMatrixDToMatrix(&view, &viewD);
  Vector3F origin{0, 0, 0}, out;
  VectorTransform(&out, &origin, &view);
  EXPECT_FLOAT_EQ(out.x, 0.0f);
  EXPECT_FLOAT_EQ(out.y, 0.0f);
  EXPECT_FLOAT_EQ(out.z, 5.0f);
  // A direction ignores the translation row.
  Vector3F right{1, 0, 0};
  VectorTransformSR(&out, &right, &view);
  EXPECT_FLOAT_EQ(out.x, 1.0f);
  EXPECT_FLOAT_EQ(out.z, 0.0f);
}

TEST(Maths, ProjectionDefaultAspect) {
  Matrix4x4D m;
  const double fov = M_PI / 2;  // cot(fov/2) = 1
  SetProjectionScreenSize(0, 0);
  ASSERT_EQ(CreatePerspectiveFovMatrixD(&m, fov, 1, 100, -1), 0);
  EXPECT_NEAR(m.m[0][0], 0.75, 1e-12);
  SetProjectionScreenSize(640, 480);
  CreatePerspectiveFovMatrixD(&m, fov, 1, 100, -1);
  EXPECT_NEAR(m.m[0][0], 0.75, 1e-12);
  SetProjectionScreenSize(800, 450);
  CreatePerspectiveFovMatrixD(&m, fov, 1, 100, -1);
  EXPECT_NEAR(m.m[0][0], 0.5625, 1e-12);
  EXPECT_DOUBLE_EQ(m.m[2][2], 100.0 / 99.0);
  EXPECT_DOUBLE_EQ(m.m[3][2], -100.0 / 99.0);
  EXPECT_EQ(m.m[2][3], 1.0);
  EXPECT_EQ(m.m[3][3], 0.0);
  SetProjectionScreenSize(0, 0);
  EXPECT_EQ(CreatePerspectiveFovMatrixD(&m, fov, 1, 1.00005, 1), -1);
  EXPECT_EQ(CreatePerspectiveFovMatrixD(&m, 0.0, 1, 100, 1), -1);
}

TEST(Maths, OrthoAndViewportElements) {
  Matrix4x4D m;
  ASSERT_EQ(CreateOrthoMatrixD(&m, 4, 1, 11, 0.5), 0);
  EXPECT_DOUBLE_EQ(m.m[0][0], 0.25);
  EXPECT_DOUBLE_EQ(m.m[1][1], 0.5);
  EXPECT_DOUBLE_EQ(m.m[2][2], 0.1);
  EXPECT_DOUBLE_EQ(m.m[3][2], -0.1);
  EXPECT_EQ(m.m[3][3], 1.0);
  EXPECT_EQ(m.m[0][1], 0.0);
  EXPECT_EQ(CreateOrthoMatrixD(&m, 4, 1, 1.00001, 0.5), -1);
  CreateViewportMatrixD(&m, 320, 240, 640, 480);
  EXPECT_EQ(m.m[0][0], 320.0);
  EXPECT_EQ(m.m[1][1], -240.0);
  EXPECT_EQ(m.m[2][2], 1.0);
  EXPECT_EQ(m.m[3][0], 320.0);
  EXPECT_EQ(m.m[3][1], 240.0);
  EXPECT_EQ(m.m[3][3], 1.0);
  EXPECT_EQ(m.m[2][3], 0.0);
}

TEST(Maths, InverseAndProducts) {
  Matrix4x4D a{{{2, 0, 0, 0}, {0, 4, 0, 0}, {1, 0, 1, 0}, {3, 5, 7, 1}}}, inv, product;
  ASSERT_EQ(CreateInverseMatrixD(&inv, &a), 0);
  CreateMultiplyMatrixD(&product, &a, &inv);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(product.m[r][c], r == c ? 1.0 : 0.0, 1e-12);

  Matrix4x4D tiny{};
  tiny.m[0][0] = 1e-8;
  tiny.m[1][1] = tiny.m[2][2] = tiny.m[3][3] = 1;
  Matrix4x4D untouched;
  CreateIdentityMatrixD(&untouched);
  untouched.m[0][1] = 42;
  Matrix4x4D out = untouched;
  EXPECT_EQ(CreateInverseMatrixD(&out, &tiny), -1);
  EXPECT_EQ(out.m[0][1], 42.0);

  Matrix4x4F f{{{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}}}, t, id, fp;
  CreateTransposeMatrix(&t, &f);
  EXPECT_EQ(t.m[0][3], 13.0f);
  EXPECT_EQ(t.m[3][0], 4.0f);
  CreateIdentityMatrix(&id);
  CreateMultiplyMatrix(&fp, &f, &id);
  EXPECT_EQ(MemoryCompare(&fp, &f, sizeof f), 0);
  CreateMultiplyMatrix(&fp, &f, &t);  // row 0 of f dotted with row 0 of f
  EXPECT_EQ(fp.m[0][0], 30.0f);
}
