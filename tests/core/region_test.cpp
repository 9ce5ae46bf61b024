// Corner sorting, growth, containment, overlap, intersection and transforms of the region types.
#include <quarn/core/Region.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

void Expect_Box(const Region_2D& r, uint8_t code, float x0, float y0, float x1, float y1,
                const char* what) {
  EXPECT_EQ(r.code, code) << what;
  EXPECT_EQ(r.x_min, x0) << what;
  EXPECT_EQ(r.y_min, y0) << what;
  EXPECT_EQ(r.x_max, x1) << what;
  EXPECT_EQ(r.y_max, y1) << what;
}

bool Is_Empty(const Region_3D& r) {
  return r.x_min == 100000.f && r.y_min == 100000.f && r.z_min == 100000.f &&
         r.x_max == -100000.f && r.y_max == -100000.f && r.z_max == -100000.f;
}

TEST(Region, EmptyRegionTakesTheFirstPositionExactly) {
  Region_2D r;
  Expect_Box(r, 0, 100000.f, 100000.f, -100000.f, -100000.f, "default is empty");
  r.Add(3, 4);
  Expect_Box(r, 0, 3, 4, 3, 4, "first position");
  EXPECT_EQ(r.Get_Dim_X(), 1.0f);  // a single position spans one unit
  r.Add(Point_2D(9, -1.5f, 10.f));
  Expect_Box(r, 0, -1.5f, 4, 3, 10, "a point widens, its code is ignored");

  Region_3D q(6, 0, 0, 0, 5, 5, 5);
  q.Clear();
  EXPECT_TRUE(Is_Empty(q));
  EXPECT_EQ(q.code, 6);  // Clear keeps the code
  EXPECT_TRUE(Is_Empty(Region_3D(7)));
  EXPECT_EQ(Region_3D(7).code, 7);
  q.Add(Vec4(1.f, 2.f, 3.f, 99.f));
  EXPECT_EQ(q, Region_3D(6, 1, 2, 3, 1, 2, 3));
}

TEST(Region, ConstructorsAndSettersSortCornersAndKeepOrTakeTheCode) {
  struct Case {
    const char* what;
    void (*op)(Region_2D&);
    uint8_t code;
  };
  // Every row describes the corners (10, 2) and (0, 8); the region starts with code 6.
  const Case cases[] = {
      {"ints constructor", [](Region_2D& r) { r = Region_2D(7, 10, 2, 0, 8); }, 7},
      {"floats constructor", [](Region_2D& r) { r = Region_2D(7, 10.f, 2.f, 0.f, 8.f); }, 7},
      {"points constructor takes a's code",
       [](Region_2D& r) { r = Region_2D(Point_2D(7, 10, 2), Point_2D(8, 0, 8)); }, 7},
      {"Set(code, ints)", [](Region_2D& r) { r.Set(7, 10, 2, 0, 8); }, 7},
      {"Set(code, floats)", [](Region_2D& r) { r.Set(7, 10.f, 2.f, 0.f, 8.f); }, 7},
      {"Set(ints) keeps the code", [](Region_2D& r) { r.Set(10, 2, 0, 8); }, 6},
      {"Set(floats) keeps the code", [](Region_2D& r) { r.Set(10.f, 2.f, 0.f, 8.f); }, 6},
      {"Set(points) keeps the region's code", [](Region_2D& r) { r.Set(Point_2D(7, 10, 2), Point_2D(8, 0, 8)); }, 6},
  };
  for (const Case& c : cases) {
    Region_2D r(6);
    c.op(r);
    Expect_Box(r, c.code, 0, 2, 10, 8, c.what);
  }
  Region_2D r(6, 1, 2, 3, 4);
  r.Set(8);
  Expect_Box(r, 8, 1, 2, 3, 4, "Set(code) touches only the code");

  const Region_4D r4(Point_4D(7, 5, 1, 9, 3), Point_4D(8, 1, 5, 2, 0));
  EXPECT_EQ(r4.code, 7);
  EXPECT_EQ(r4.Get_Min(), Point_4D(0, 1, 1, 2, 0));
  EXPECT_EQ(r4.Get_Max(), Point_4D(0, 5, 5, 9, 3));
  EXPECT_EQ(r4.Get_Max().code, 7);  // corners carry the region's code
}

TEST(Region, AssignmentAcrossTypesTakesCodeAndSharedBounds) {
  const Region_4D r4(7, 1, 2, 3, 4, 5, 6, 7, 8);
  Region_2D r2(6);
  r2 = r4;
  Expect_Box(r2, 7, 1, 2, 5, 6, "2D from 4D");
  Region_3D r3(6);
  r3 = r4;
  EXPECT_EQ(r3.code, 7);
  EXPECT_EQ(r3, Region_3D(0, 1, 2, 3, 5, 6, 7));
  r2 = Region_3D(8, 0, 0, 0, 1, 1, 1);
  Expect_Box(r2, 8, 0, 0, 1, 1, "2D from 3D");
}

TEST(Region, IndexMapsPlanarBoundsFirstThenZ) {
  Region_3D r(6, 1, 2, 3, 4, 5, 6);
  // Past the end and negative indices fall back to the minimum x.
  const float* bound[] = {&r.x_min, &r.y_min, &r.x_max, &r.y_max, &r.z_min, &r.z_max, &r.x_min};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(&r[i], bound[i]) << "index " << i;
  EXPECT_EQ(&r[-1], &r.x_min);

  Region_2D q(6, 1, 2, 3, 4);
  const float expected[] = {1, 2, 3, 4, 1};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(q[i], expected[i]) << "index " << i;
  q[3] = 9;
  EXPECT_EQ(q.y_max, 9);
}

TEST(Region, InsideIsHalfOpen) {
  const Region_3D r(6, 0, 0, 0, 10, 10, 10);
  struct Case {
    const char* what;
    Point_3D p;
    int inside;
  };
  const Case cases[] = {
      {"minimum corner", {6, 0, 0, 0}, 1},
      {"interior", {6, 5, 5, 5}, 1},
      {"maximum x edge", {6, 10, 5, 5}, 0},
      {"maximum z face", {6, 5, 5, 10}, 0},
      {"just below the maximum", {6, 9.999f, 9.999f, 9.999f}, 1},
      {"below the minimum y", {6, 5.f, -0.001f, 5.f}, 0},
      {"other code, same place", {8, 5, 5, 5}, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(r.Inside(c.p), c.inside) << c.what;
    EXPECT_EQ(r.Inside(&c.p), c.inside) << c.what;
  }
  EXPECT_EQ(r.Inside(static_cast<const Point_3D*>(nullptr)), 0);
  EXPECT_EQ(Region_3D().Inside(Point_3D(0, 0, 0, 0)), 0);  // nothing is inside an empty region
  const Region_4D r4(6, 0, 0, 0, 0, 10, 10, 10, 2);
  EXPECT_EQ(r4.Inside(Point_4D(6, 1, 1, 1, 1)), 1);
  EXPECT_EQ(r4.Inside(Point_4D(6, 1, 1, 1, 2)), 0);  // t is half-open too
}

TEST(Region, OverlapOfTouchingRegionsDependsOnWhoseMaximumTouches) {
  const Region_2D left(6, 0, 0, 10, 10);
  const Region_2D right(6, 10, 0, 20, 10);
  EXPECT_EQ(right.Inside(left), 1);   // the argument's maximum touches this minimum
  EXPECT_EQ(left.Inside(right), 0);   // this maximum touches the argument's minimum
  EXPECT_EQ(right.Inside(&left), 1);
  EXPECT_EQ(left.Inside(&right), 0);
  EXPECT_EQ(left.Inside(static_cast<const Region_2D*>(nullptr)), 0);

  struct Case {
    const char* what;
    Region_3D a, b;
    int overlap;
  };
  const Case cases[] = {
      {"nested", {6, 0, 0, 0, 10, 10, 10}, {6, 2, 2, 2, 3, 3, 3}, 1},
      {"apart on z only", {6, 0, 0, 0, 10, 10, 10}, {6, 0, 0, 11, 10, 10, 12}, 0},
      {"crossing", {6, 0, 0, 0, 10, 10, 10}, {6, 5, -5, 5, 15, 5, 15}, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a.Inside(c.b), c.overlap) << c.what;
    EXPECT_EQ(c.b.Inside(c.a), c.overlap) << c.what << " (swapped)";
  }
}

TEST(Region, CullIntersectsAndReportsWhetherAnythingIsLeft) {
  struct Case {
    const char* what;
    Region_2D a, b;
    int kept;
    float x0, y0, x1, y1;  // expected bounds, unsorted on purpose
  };
  const Case cases[] = {
      {"overlapping", {6, 0, 0, 10, 10}, {7, 5, -5, 15, 5}, 1, 5, 0, 10, 5},
      {"touching leaves a line", {6, 0, 0, 10, 10}, {6, 10, 0, 20, 10}, 1, 10, 0, 10, 10},
      {"nested", {6, 0, 0, 10, 10}, {6, 2, 3, 4, 5}, 1, 2, 3, 4, 5},
      // Disjoint on x: the minimum ends above the maximum there, y stays valid.
      {"disjoint on x", {6, 0, 0, 10, 10}, {6, 20, 2, 30, 8}, 0, 20, 2, 10, 8},
  };
  for (const Case& c : cases) {
    Region_2D r = c.a;
    EXPECT_EQ(r.Cull(c.b), c.kept) << c.what;
    Expect_Box(r, 6, c.x0, c.y0, c.x1, c.y1, c.what);
  }
}

TEST(Region, UnionBorderAndExtents) {
  Region_3D a(6, 0, 0, 0, 1, 1, 1);
  const Region_3D b(7, -1, 2, 0, 0, 3, 5);
  Region_3D& same = a + b;
  EXPECT_EQ(&same, &a);  // the union happens in the left operand
  EXPECT_EQ(a, Region_3D(0, -1, 0, 0, 1, 3, 5));
  EXPECT_EQ(a.code, 6);
  a.Add(static_cast<const Region_3D*>(nullptr));
  EXPECT_EQ(a, Region_3D(0, -1, 0, 0, 1, 3, 5));
  a.Add(Region_3D());  // an empty region changes nothing
  EXPECT_EQ(a, Region_3D(0, -1, 0, 0, 1, 3, 5));
  EXPECT_EQ(a.Get_Dim_Z(), 6.f);

  a.Border(2.f);
  EXPECT_EQ(a, Region_3D(0, -3, -2, -2, 3, 5, 7));
  a.Border(-2.5f);
  EXPECT_EQ(a, Region_3D(0, -.5f, .5f, .5f, .5f, 2.5f, 4.5f));

  Region_4D r4(6, 0, 0, 0, 0, 1, 1, 1, 1);
  r4.Border(1.f);
  EXPECT_EQ(r4, Region_4D(0, -1, -1, -1, -1, 2, 2, 2, 2));  // t bounds move too
  r4.Add(Point_3D(6, 5, 5, 5));
  EXPECT_EQ(r4, Region_4D(0, -1, -1, -1, -1, 5, 5, 5, 2));  // a 3D point leaves t alone
  r4.Add(Vec4(0.f, 0.f, 0.f, 9.f));
  EXPECT_EQ(r4.t_max, 9.f);
}

TEST(Region, EqualityIgnoresCodeAndToleratesTenMillionths) {
  EXPECT_EQ(Region_2D(6, 0.f, 0.f, 1.f, 1.f), Region_2D(7, 0.f, 0.f, 1.000001f, 1.f));
  EXPECT_NE(Region_2D(6, 0.f, 0.f, 1.f, 1.f), Region_2D(6, 0.f, 0.f, 1.f, 1.0001f));
  EXPECT_NE(Region_4D(6, 0, 0, 0, 0, 1, 1, 1, 1), Region_4D(6, 0, 0, 0, 0, 1, 1, 1, 2));
  EXPECT_FALSE(Region_3D(6, 0, 0, 0, 1, 1, 1) != Region_3D(8, 0, 0, 0, 1, 1, 1));
}

// The bounding box of the eight corners, each transformed in double and divided by its own w.
Region_3D Reference_Box(const Region_3D& r, const Mat4& m) {
  double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
  for (float x : {r.x_min, r.x_max})
    for (float y : {r.y_min, r.y_max})
      for (float z : {r.z_min, r.z_max}) {
        const double v[4] = {x, y, z, 1};
        double out[4] = {};
        for (int col = 0; col < 4; ++col)
          for (int row = 0; row < 4; ++row) out[col] += v[row] * m.m[row][col];
        for (int a = 0; a < 3; ++a) {
          lo[a] = std::min(lo[a], out[a] / out[3]);
          hi[a] = std::max(hi[a], out[a] / out[3]);
        }
      }
  return Region_3D(r.code, float(lo[0]), float(lo[1]), float(lo[2]), float(hi[0]), float(hi[1]),
                   float(hi[2]));
}

void Expect_Near(const Region_3D& a, const Region_3D& b, const char* what) {
  for (int i = 0; i < 6; ++i)
    EXPECT_NEAR(a[i], b[i], 1e-4 * (1 + std::fabs(b[i]))) << what << " bound " << i;
}

TEST(Region, TransformIsTheBoundingBoxOfTheEightTransformedCorners) {
  const Region_3D box(6, -2.f, 1.f, 3.f, 4.f, 5.f, 7.5f);
  for (int step = 0; step < 24; ++step) {
    Mat4 m;
    m.rot_x(step * 0.27, 0);
    m.m[3][0] = 10;  // translation row
    m.m[3][1] = -4;
    if (step % 3 == 2) m.m[2][3] = 0.05;  // perspective: w differs per corner
    Region_3D r = box;
    r *= m;
    const Region_3D ref = Reference_Box(box, m);
    Expect_Near(r, ref, "3D");
    EXPECT_EQ(r.code, 6);

    // Every corner, transformed as a point, lands inside the closed box.
    for (int corner = 0; corner < 8; ++corner) {
      const Point_3D p(6, corner & 1 ? box.x_max : box.x_min, corner & 2 ? box.y_max : box.y_min,
                       corner & 4 ? box.z_max : box.z_min);
      const Point_3D q = p.Transform(m);
      EXPECT_TRUE(r.x_min <= q.x && q.x <= r.x_max && r.y_min <= q.y && q.y <= r.y_max &&
                  r.z_min <= q.z && q.z <= r.z_max)
          << "corner " << corner << " step " << step;
    }

    Region_4D r4(8, box.x_min, box.y_min, box.z_min, -1.f, box.x_max, box.y_max, box.z_max, 3.f);
    r4 *= m;
    EXPECT_EQ(Region_3D(r4), r);  // same x, y, z box
    EXPECT_EQ(r4.code, 8);
    EXPECT_EQ(r4.t_min, -1.f);  // t is not transformed
    EXPECT_EQ(r4.t_max, 3.f);
  }
}

}  // namespace
