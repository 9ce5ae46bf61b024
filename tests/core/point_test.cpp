// Space-code rules, arithmetic, comparison and matrix transforms of the point types.
#include <quarn/core/Point.h>

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>

namespace {

Mat4 Identity() {
  Mat4 m;
  m.init();
  return m;
}

/// "code:x,y[,z[,t]]", exact for floats.
std::string S(uint8_t code, std::initializer_list<float> v) {
  std::ostringstream out;
  out << std::setprecision(9) << int(code) << ':';
  for (const float& f : v) out << (&f == v.begin() ? "" : ",") << f;
  return out.str();
}
std::string S(const Point_2D& p) { return S(p.code, {p.x, p.y}); }
std::string S(const Point_3D& p) { return S(p.code, {p.x, p.y, p.z}); }
std::string S(const Point_4D& p) { return S(p.code, {p.x, p.y, p.z, p.t}); }

TEST(Point, ConstructorsTakeTheGivenCodeAndConvertIntegers) {
  EXPECT_EQ(S(Point_3D()), "0:0,0,0");
  EXPECT_EQ(S(Point_3D(6, 1, -2, 3)), "6:1,-2,3");
  EXPECT_EQ(S(Point_3D(8, Vec4(1.f, 2.f, 3.f, 4.f))), "8:1,2,3");  // a vector keeps the given code
  EXPECT_EQ(S(Point_3D(Point_4D(7, 1, 2, 3, 4))), "7:1,2,3");
  EXPECT_EQ(S(Point_4D(8, Vec4(1.f, 2.f, 3.f, 4.f))), "8:1,2,3,4");  // w becomes t
  EXPECT_EQ(S(Point_2D(Point_4D(7, 1, 2, 3, 4))), "7:1,2");
}

/// Runs each op on a copy of start and compares the result with the row's text.
template <class P>
struct Op_Case {
  const char* what;
  void (*op)(P&);
  const char* expected;
};
template <class P, size_t N>
void Check_Ops(const P& start, const Op_Case<P> (&cases)[N]) {
  for (const Op_Case<P>& c : cases) {
    P p = start;
    c.op(p);
    EXPECT_EQ(S(p), c.expected) << c.what;
  }
}

TEST(Point, SettersAndAssignmentsKeepOrTakeTheCode) {
  const Op_Case<Point_2D> cases_2d[] = {
      {"Set(code) touches only the code", [](Point_2D& p) { p.Set(7); }, "7:9,9"},
      {"Set(code, ints)", [](Point_2D& p) { p.Set(7, 1, 2); }, "7:1,2"},
      {"Set(ints) keeps the code", [](Point_2D& p) { p.Set(1, 2); }, "6:1,2"},
      {"Set(floats) keeps the code", [](Point_2D& p) { p.Set(1.f, 2.f); }, "6:1,2"},
      {"Set(Point_2D) copies only x, y", [](Point_2D& p) { p.Set(Point_2D(7, 1, 2)); }, "6:1,2"},
      {"assigning a Point_2D takes its code", [](Point_2D& p) { p = Point_2D(7, 1, 2); }, "7:1,2"},
      {"assigning a Point_3D takes its code", [](Point_2D& p) { p = Point_3D(7, 1, 2, 3); }, "7:1,2"},
      {"assigning a Point_4D takes its code", [](Point_2D& p) { p = Point_4D(7, 1, 2, 3, 4); }, "7:1,2"},
      {"assigning a float keeps the code", [](Point_2D& p) { p = 5.f; }, "6:5,5"},
  };
  Check_Ops(Point_2D(6, 9, 9), cases_2d);
  const Op_Case<Point_3D> cases_3d[] = {
      {"Set(Point_3D) takes the code, unlike Point_2D", [](Point_3D& p) { p.Set(Point_3D(7, 1, 2, 3)); }, "7:1,2,3"},
      {"Set(Vec4) keeps the code", [](Point_3D& p) { p.Set(Vec4(1.f, 2.f, 3.f, 4.f)); }, "6:1,2,3"},
      {"assigning a Vec4 marks patient space", [](Point_3D& p) { p = Vec4(1.f, 2.f, 3.f, 4.f); }, "2:1,2,3"},
      {"assigning a Point_4D takes its code", [](Point_3D& p) { p = Point_4D(7, 1, 2, 3, 4); }, "7:1,2,3"},
      {"Set(ints) keeps the code", [](Point_3D& p) { p.Set(1, 2, 3); }, "6:1,2,3"},
      {"Set(code, floats)", [](Point_3D& p) { p.Set(8, 1.f, 2.f, 3.f); }, "8:1,2,3"},
      {"assigning a float keeps the code", [](Point_3D& p) { p = -1.f; }, "6:-1,-1,-1"},
  };
  Check_Ops(Point_3D(6, 9, 9, 9), cases_3d);
  const Op_Case<Point_4D> cases_4d[] = {
      {"Set(Point_3D, t) takes code and t", [](Point_4D& p) { p.Set(Point_3D(7, 1, 2, 3), 5.f); }, "7:1,2,3,5"},
      {"assigning a Point_3D zeroes t", [](Point_4D& p) { p = Point_3D(7, 1, 2, 3); }, "7:1,2,3,0"},
      {"Set(Point_4D) takes the code", [](Point_4D& p) { p.Set(Point_4D(7, 1, 2, 3, 4)); }, "7:1,2,3,4"},
      {"Set(Vec4) keeps the code", [](Point_4D& p) { p.Set(Vec4(1.f, 2.f, 3.f, 4.f)); }, "6:1,2,3,4"},
      {"assigning a Vec4 marks patient space", [](Point_4D& p) { p = Vec4(1.f, 2.f, 3.f, 4.f); }, "2:1,2,3,4"},
      {"Set(ints) keeps the code", [](Point_4D& p) { p.Set(1, 2, 3, 4); }, "6:1,2,3,4"},
      {"assigning a float reaches t too", [](Point_4D& p) { p = 0.5f; }, "6:0.5,0.5,0.5,0.5"},
  };
  Check_Ops(Point_4D(6, 9, 9, 9, 9), cases_4d);
}

TEST(Point, ArithmeticNeverTouchesTheCode) {
  const Op_Case<Point_4D> cases[] = {
      {"+= Point_3D leaves t", [](Point_4D& p) { p += Point_3D(9, 1, 1, 1); }, "6:2,3,4,4"},
      {"-= Point_3D leaves t", [](Point_4D& p) { p -= Point_3D(9, 1, 1, 1); }, "6:0,1,2,4"},
      {"+= Point_4D reaches t", [](Point_4D& p) { p += Point_4D(9, 1, 1, 1, 1); }, "6:2,3,4,5"},
      {"+= Vec4 adds w to t", [](Point_4D& p) { p += Vec4(1.f, 1.f, 1.f, 10.f); }, "6:2,3,4,14"},
      {"-= Vec4 subtracts w from t", [](Point_4D& p) { p -= Vec4(1.f, 1.f, 1.f, 4.f); }, "6:0,1,2,0"},
      {"*= float scales t", [](Point_4D& p) { p *= 2.f; }, "6:2,4,6,8"},
      {"/= float divides t", [](Point_4D& p) { p /= 2.f; }, "6:0.5,1,1.5,2"},
      {"+= float shifts t", [](Point_4D& p) { p += 1.f; }, "6:2,3,4,5"},
      {"-= float shifts t", [](Point_4D& p) { p -= 1.f; }, "6:0,1,2,3"},
  };
  Check_Ops(Point_4D(6, 1, 2, 3, 4), cases);
  Point_3D q(6, 1, 2, 3);
  q += Vec4(1.f, 1.f, 1.f, 100.f);  // w has nowhere to go
  EXPECT_EQ(S(q), "6:2,3,4");
}

TEST(Point, IndexMapsToCoordinatesAndFallsBackToX) {
  Point_3D p(6, 1, 2, 3);
  const struct {
    int i;
    float* expected;
  } rows[] = {{0, &p.x}, {1, &p.y}, {2, &p.z}, {3, &p.x}, {-1, &p.x}, {1000, &p.x}};
  for (const auto& r : rows) EXPECT_EQ(&p[r.i], r.expected) << "index " << r.i;
  Point_2D q(6, 1, 2);
  EXPECT_EQ(&q[1], &q.y);
  EXPECT_EQ(&q[2], &q.x);  // a 2D point has no z
  q[1] = 7;
  EXPECT_EQ(q.y, 7);
}

TEST(Point, EqualityIgnoresCodeAndAllowsLessThanTenMillionths) {
  struct Case {
    const char* what;
    Point_4D a, b;
    bool equal;
  };
  const Case cases[] = {
      {"codes differ, one millionth apart",
       {6, 1.f, 1.f, 0.f, 0.f}, {7, 1.000001f, 1.f, 0.f, 0.f}, true},
      {"nine millionths apart", {6, 1.f, 1.f, 0.f, 0.f}, {6, 1.f, 1.000009f, 0.f, 0.f}, true},
      {"fifteen millionths apart", {6, 1.f, 1.f, 0.f, 0.f}, {6, 1.000015f, 1.f, 0.f, 0.f}, false},
      {"only t differs", {6, 1, 2, 3, 4}, {6, 1, 2, 3, 5}, false},
      {"only z differs", {6, 1, 2, 3, 4}, {6, 1, 2, 4, 4}, false},
      {"negative zero equals zero", {6, -0.f, 0.f, 0.f, 0.f}, {6, 0.f, 0.f, 0.f, 0.f}, true},
      {"not a number is never equal", {6, NAN, 0.f, 0.f, 0.f}, {6, NAN, 0.f, 0.f, 0.f}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.a == c.b, c.equal) << c.what;
    EXPECT_EQ(c.a != c.b, !c.equal) << c.what;
  }
  // The edge case as written for the plane.
  EXPECT_TRUE(Point_2D(6, 1.f, 1.f) == Point_2D(7, 1.000001f, 1.f));
  EXPECT_FALSE(Point_2D(6, 1.f, 1.f) != Point_2D(7, 1.000001f, 1.f));
  EXPECT_TRUE(Point_2D(6, 1.f, 1.f) != Point_2D(6, 1.f, 1.0001f));
}

TEST(Point, TransformRoundsInDoubleAndDividesByWUnlessOne) {
  struct Case {
    const char* what;
    Point_3D in;
    void (*edit)(Mat4&);
    Point_3D out;
  };
  const Case cases[] = {
      {"identity", {6, 1, 2, 3}, [](Mat4&) {}, {6, 1, 2, 3}},
      {"w = 2 halves", {6, 1, 2, 3}, [](Mat4& m) { m[3][3] = 2; }, {6, .5f, 1.f, 1.5f}},
      {"translation row", {6, 1, 2, 3}, [](Mat4& m) { m[3][0] = 10; m[3][2] = -3; }, {6, 11, 2, 0}},
      // In float, 2^24 + 1 + 1 would lose both ones; the double sum keeps them.
      {"sum taken in double", {6, 16777216.f, 1.f, 0.f},
       [](Mat4& m) { m[1][0] = 1; m[3][0] = 1; }, {6, 16777218.f, 1.f, 0.f}},
      // 5 * (1.0f / 3) rounds to 1.66666675f, whereas 5.0f / 3 would give 1.66666663f.
      {"divides by the float reciprocal", {6, 5, 0, 0}, [](Mat4& m) { m[3][3] = 3; },
       {6, 1.66666675f, 0.f, 0.f}},
      // w computed from x: x = 4 gives w = 1 + 4 * 0.25 = 2.
      {"w from the last column", {6, 4, 0, 0}, [](Mat4& m) { m[0][3] = .25; }, {6, 2, 0, 0}},
  };
  for (const Case& c : cases) {
    Mat4 m = Identity();
    c.edit(m);
    const Point_3D before = c.in;
    EXPECT_EQ(S(c.in.Transform(m)), S(c.out)) << c.what;
    EXPECT_EQ(S(c.in), S(before)) << "Transform leaves the source";
    Point_3D in_place = c.in;
    in_place *= m;
    EXPECT_EQ(S(in_place), S(c.out)) << c.what;
    // The 4D form applies the same rule and keeps t and its code.
    Point_4D p4(9, c.in.x, c.in.y, c.in.z, 7.f);
    p4 *= m;
    EXPECT_EQ(S(p4), S(Point_4D(9, c.out.x, c.out.y, c.out.z, 7.f))) << c.what;
  }
}

TEST(Point, NormNormaliseAndDistIgnoreT) {
  const Point_4D p(7, 3.f, 0.f, 4.f, 100.f);
  EXPECT_FLOAT_EQ(p.Norm(), 5.f);
  EXPECT_EQ(S(p.Normalise()), S(Point_4D(7, .6f, 0.f, .8f, 100.f)));  // the unit copy keeps code and t
  EXPECT_FLOAT_EQ(p.Dist(Point_4D(7, 0.f, 0.f, 0.f, -50.f)), 5.f);
  EXPECT_FLOAT_EQ(Point_3D(6, 1, 2, 2).Dist(Point_3D(6, 1, 2, 2)), 0.f);
  EXPECT_FLOAT_EQ(Point_3D(6, 2, 3, 6).Normalise().Norm(), 1.f);
}

TEST(Point, NormaliseOfZeroIsZeroWithTheSameCode) {
  EXPECT_EQ(S(Point_3D(6, 0, 0, 0).Normalise()), "6:0,0,0");
  EXPECT_EQ(S(Point_4D(8, 0.f, 0.f, 0.f, 3.f).Normalise()), "8:0,0,0,3");  // t kept
  // Squares that underflow give zero length as well; the result must not be NaN.
  const Point_3D tiny = Point_3D(6, 1e-30f, 0.f, -1e-30f).Normalise();
  EXPECT_EQ(S(tiny), "6:0,0,0");
  EXPECT_FALSE(std::signbit(tiny.z));
}

}  // namespace
