// Vec4 and Mat4 of the host kit: inverse, rotation, transform with perspective division.
#include <hostkit/HostMath.h>

#include <gtest/gtest.h>

#include <random>

namespace {

Mat4 Translation(double x, double y, double z) {
  Mat4 m;
  m.init();
  m[3][0] = x;
  m[3][1] = y;
  m[3][2] = z;
  return m;
}

void Expect_Identity(const Mat4& m, double tolerance) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(m[i][j], i == j ? 1.0 : 0.0, tolerance) << i << "," << j;
}

TEST(Mat4, InverseOfRandomMatricesTimesThemIsIdentity) {
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(-1, 1);
  for (int trial = 0; trial < 50; ++trial) {
    Mat4 a;
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) a[i][j] = u(rng) + (i == j ? 4.0 : 0.0);  // well conditioned
    Mat4 inv;
    ASSERT_EQ(a.inverse(inv), 1);
    Expect_Identity(a * inv, 1e-12);
    Expect_Identity(inv * a, 1e-12);
  }
}

TEST(Mat4, InverseNeedsPivoting) {
  Mat4 swap;  // zero diagonal: fails without row exchanges
  swap[0][1] = swap[1][0] = swap[2][3] = swap[3][2] = 1.0;
  Expect_Identity(swap * swap.inverse(), 1e-15);
}

TEST(Mat4, SingularInverseFailsAndLeavesOutput) {
  Mat4 a;
  a.init();
  a[2][0] = a[2][1] = a[2][2] = a[2][3] = 0.0;  // a zero row
  Mat4 out = Translation(1, 2, 3);
  EXPECT_EQ(a.inverse(out), 0);
  EXPECT_EQ(out[3][1], 2.0);
  Expect_Identity(a.inverse(), 0.0);  // the copying form falls back to the identity
}

TEST(Mat4, RotXTurnsYTowardsZAndComposes) {
  Mat4 r;
  r.rot_x(M_PI / 2);
  Vec4 v = Vec4(0.f, 1.f, 0.f, 1.f).transform(r);
  EXPECT_NEAR(v.x, 0, 1e-6);
  EXPECT_NEAR(v.y, 0, 1e-6);
  EXPECT_NEAR(v.z, 1, 1e-6);
  // Mode 1 rotates after what the matrix already does, mode 2 before it.
  Mat4 after = Translation(0, 1, 0);
  after.rot_x(M_PI / 2, 1);
  Vec4 a = Vec4(0.f, 0.f, 0.f, 1.f).transform(after);  // moved to y = 1, then turned to z = 1
  EXPECT_NEAR(a.y, 0, 1e-6);
  EXPECT_NEAR(a.z, 1, 1e-6);
  Mat4 before = Translation(0, 1, 0);
  before.rot_x(M_PI / 2, 2);
  Vec4 b = Vec4(0.f, 0.f, 0.f, 1.f).transform(before);  // turned in place, then moved
  EXPECT_NEAR(b.y, 1, 1e-6);
  EXPECT_NEAR(b.z, 0, 1e-6);
  // Mode 0 replaces whatever was there.
  Mat4 replaced = Translation(5, 5, 5);
  replaced.rot_x(0.3);
  Mat4 plain;
  plain.rot_x(0.3);
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_EQ(replaced[i][j], plain[i][j]);
}

TEST(Vec4, TransformDividesByWUnlessOne) {
  // A perspective matrix: w' = z, so (x, y, z) -> (x/z, y/z, 1).
  Mat4 p;
  p[0][0] = p[1][1] = p[2][2] = 1.0;
  p[2][3] = 1.0;
  Vec4 v(2.f, 4.f, 2.f, 7.f);
  v *= p;
  EXPECT_FLOAT_EQ(v.x, 1.0f);
  EXPECT_FLOAT_EQ(v.y, 2.0f);
  EXPECT_FLOAT_EQ(v.z, 1.0f);
  // The input w is not used: the point is taken as (x, y, z, 1).
  Vec4 t = Vec4(1.f, 2.f, 3.f, 0.f).transform(Translation(10, 20, 30));
  EXPECT_FLOAT_EQ(t.x, 11.0f);
  EXPECT_FLOAT_EQ(t.y, 22.0f);
  EXPECT_FLOAT_EQ(t.z, 33.0f);
}

}  // namespace
