// The line-polygon hit against a reference in barycentric coordinates: triangles and
// quadrilaterals of every orientation (each axis dominant, both normal signs), points clearly
// inside and clearly outside, lines from every side.
#include "algorithms/Mesh_Shapes.h"

#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>

namespace {

using V3 = std::array<double, 3>;

V3 Mix(const V3& a, const V3& b, const V3& c, double wa, double wb, double wc) {
  return {wa * a[0] + wb * b[0] + wc * c[0], wa * a[1] + wb * b[1] + wc * c[1], wa * a[2] + wb * b[2] + wc * c[2]};
}

Point_3D P3(const V3& v) { return Point_3D(uint8_t(2), float(v[0]), float(v[1]), float(v[2])); }

/// Barycentric weights of a point of the triangle's plane that lie clearly inside (all at least
/// 0.05) or clearly outside (one at most -0.05), so that float rounding cannot decide the answer.
struct Weights {
  double w[3];
  bool inside;
};

Weights Random_Weights(std::mt19937& rng) {
  std::uniform_real_distribution<double> u(-0.6, 1.2);
  for (;;) {
    const double a = u(rng), b = u(rng), c = 1 - a - b;
    const double least = std::min({a, b, c});
    if (least >= 0.05) return {{a, b, c}, true};
    if (least <= -0.05) return {{a, b, c}, false};
  }
}

/// A line through p from a random side, not nearly parallel to the plane of normal n: the
/// start a and the end b = a + dir, with p at parameter `at`.
struct Line {
  Point_3D a, b;
  double at;
};

Line Line_Through(std::mt19937& rng, const V3& p, const V3& n) {
  std::normal_distribution<double> g(0, 1);
  std::uniform_real_distribution<double> s(0.5, 20);
  for (;;) {
    V3 dir = {g(rng), g(rng), g(rng)};
    const double len = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
    const double cos = std::fabs(dir[0] * n[0] + dir[1] * n[1] + dir[2] * n[2]) / len;
    if (cos < 0.2) continue;
    const double at = s(rng);
    const V3 a = {p[0] - at * dir[0], p[1] - at * dir[1], p[2] - at * dir[2]};
    const V3 b = {a[0] + dir[0], a[1] + dir[1], a[2] + dir[2]};
    return {P3(a), P3(b), at};
  }
}

V3 Unit_Normal(const V3& a, const V3& b, const V3& c) {
  const V3 u = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  V3 n = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  for (double& x : n) x /= len;
  return n;
}

TEST(Polygon_Hit, TrianglesOfEveryOrientationAgreeWithBarycentricReference) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> coord(-40, 40);
  int dominant[3] = {}, inside = 0, outside = 0;
  for (int shape = 0; shape < 300; ++shape) {
    V3 v[3];
    for (V3& p : v) p = {coord(rng), coord(rng), coord(rng)};
    // Every fourth triangle lies in a plane across an axis: projected along any other axis it
    // would shrink to a segment.
    if (shape % 4 == 0)
      for (V3& p : v) p[(shape / 4) % 3] = v[0][(shape / 4) % 3];
    const V3 n = Unit_Normal(v[0], v[1], v[2]);
    if (!std::isfinite(n[0])) continue;
    ++dominant[std::fabs(n[0]) >= std::fabs(n[1]) && std::fabs(n[0]) >= std::fabs(n[2]) ? 0
               : std::fabs(n[1]) >= std::fabs(n[2])                                     ? 1
                                                                                        : 2];
    // Stored to float: the reference works on the triangle the surface really holds.
    for (V3& p : v)
      for (double& x : p) x = float(x);
    const float xyz[9] = {float(v[0][0]), float(v[0][1]), float(v[0][2]), float(v[1][0]), float(v[1][1]),
                          float(v[1][2]), float(v[2][0]), float(v[2][1]), float(v[2][2])};
    const int corners[3] = {0, 1, 2};
    mesh_shapes::Movie_Ptr m(Host_Movie_Create(3, xyz, 1, 3, corners));
    for (int probe = 0; probe < 20; ++probe) {
      const Weights w = Random_Weights(rng);
      const V3 p = Mix(v[0], v[1], v[2], w.w[0], w.w[1], w.w[2]);
      const Line l = Line_Through(rng, p, n);
      Point_3D out;
      const float t = GEMS_3D_Intersect_Line_Polygon(m.get(), l.a, l.b, &m->polys[0], &out);
      const std::string why = "shape " + std::to_string(shape) + " probe " + std::to_string(probe);
      if (w.inside) {
        ++inside;
        ASSERT_NEAR(t, l.at, 1e-3 * l.at) << why;
        EXPECT_NEAR(out.x, p[0], 1e-2) << why;
      } else {
        ++outside;
        ASSERT_EQ(t, GEMS_NO_HIT) << why;
      }
    }
  }
  for (int k = 0; k < 3; ++k) EXPECT_GT(dominant[k], 50) << "axis " << k;
  EXPECT_GT(inside, 500);
  EXPECT_GT(outside, 1000);
}

TEST(Polygon_Hit, QuadrilateralCoversBothOfItsTriangles) {
  // A slanted parallelogram (corners 0 1 2 3): its second triangle is (2, 3, 0).
  struct Row { const char* why; double s, r; bool hit; };
  const Row rows[] = {
      {"in the first triangle (0 1 2)", 0.7, 0.2, true},
      {"in the second triangle (2 3 0)", 0.2, 0.7, true},
      {"beyond edge 1-2", 1.2, 0.5, false},
      {"beyond edge 3-0", -0.2, 0.5, false},
  };
  const V3 o = {1, 2, 3}, e1 = {4, 1, 0.5}, e2 = {-1, 3, 2};
  for (int flip = 0; flip < 3; ++flip) {
    // The same shape with its axes rotated, so that each axis is dominant once.
    auto rot = [&](const V3& p) { return V3{p[(0 + flip) % 3], p[(1 + flip) % 3], p[(2 + flip) % 3]}; };
    V3 c[4] = {o, Mix(o, e1, e1, 1, 1, 0), Mix(o, e1, e2, 1, 1, 1), Mix(o, e2, e2, 1, 1, 0)};
    for (V3& p : c) p = rot(p);
    float xyz[12];
    for (int i = 0; i < 4; ++i)
      for (int k = 0; k < 3; ++k) xyz[3 * i + k] = float(c[i][k]);
    const int corners[4] = {0, 1, 2, 3};
    mesh_shapes::Movie_Ptr m(Host_Movie_Create(4, xyz, 1, 4, corners));
    const V3 n = Unit_Normal(c[0], c[1], c[3]);
    std::mt19937 rng(flip);
    for (const Row& r : rows) {
      const V3 e1r = rot(e1), e2r = rot(e2), base = rot(o);
      const V3 p = Mix(base, e1r, e2r, 1, r.s, r.r);
      const Line l = Line_Through(rng, p, n);
      const float t = GEMS_3D_Intersect_Line_Polygon(m.get(), l.a, l.b, &m->polys[0], nullptr);
      if (r.hit) EXPECT_NEAR(t, l.at, 1e-3 * l.at) << r.why << " rotation " << flip;
      else EXPECT_EQ(t, GEMS_NO_HIT) << r.why << " rotation " << flip;
    }
  }
}

}  // namespace
