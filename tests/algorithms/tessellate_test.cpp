// Polygon triangulation: counts, orientation against the polygon's order, exact area cover on
// convex, concave and random simple polygons, collinear and repeated points, failure reports.
#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

using Polygon = std::vector<Point_2D>;

struct Triangles {
  Point_2D *a = nullptr, *b = nullptr, *c = nullptr;
  int count = 0;
  Triangles() = default;
  Triangles(const Triangles&) = delete;
  Triangles& operator=(const Triangles&) = delete;
  ~Triangles() {
    std::free(a);
    std::free(b);
    std::free(c);
  }
  double Signed_Area(int k) const {
    return 0.5 * ((double(b[k].x) - a[k].x) * (double(c[k].y) - a[k].y) -
                  (double(b[k].y) - a[k].y) * (double(c[k].x) - a[k].x));
  }
};

double Shoelace(const Polygon& p) {
  double s = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    const Point_2D &u = p[i], &v = p[(i + 1) % p.size()];
    s += double(u.x) * v.y - double(v.x) * u.y;
  }
  return 0.5 * s;
}

int Tessellate(const Polygon& p, Triangles& t) {
  t.count = GEMS_2D_Tessellate(int(p.size()), p.data(), &t.a, &t.b, &t.c);
  return t.count;
}

Polygon Make(std::initializer_list<std::pair<float, float>> xy) {
  Polygon p;
  for (auto [x, y] : xy) p.emplace_back(uint8_t(6), x, y);
  return p;
}

/// Every triangle turns against the polygon (none inverted), and their areas add up to the
/// polygon's both signed and unsigned, so that no two overlap.
void Expect_Exact_Cover(const Polygon& p, const Triangles& t, const char* why) {
  const double area = Shoelace(p);
  double signed_sum = 0, unsigned_sum = 0;
  const double tiny = 1e-9 * std::fabs(area);
  for (int k = 0; k < t.count; ++k) {
    const double s = t.Signed_Area(k);
    EXPECT_LE(s * area, tiny * std::fabs(area)) << why << ": triangle " << k << " is inverted";
    signed_sum += s;
    unsigned_sum += std::fabs(s);
  }
  const double tolerance = 1e-5 * std::fabs(area);
  EXPECT_NEAR(-signed_sum, area, tolerance) << why;
  EXPECT_NEAR(unsigned_sum, std::fabs(area), tolerance) << why;
}

TEST(GEMS_Tessellate, ConvexPolygonsGiveNMinusTwoTrianglesAgainstTheirOrder) {
  for (int n = 3; n <= 12; ++n)
    for (bool clockwise : {false, true}) {
      Polygon p;
      for (int i = 0; i < n; ++i) {
        const double angle = (clockwise ? -1 : 1) * 2 * M_PI * i / n;
        p.emplace_back(uint8_t(6), float(10 * std::cos(angle)), float(10 * std::sin(angle)));
      }
      Host_Report_Capture cap;
      Triangles t;
      EXPECT_EQ(Tessellate(p, t), n - 2) << n << (clockwise ? " clockwise" : "");
      Expect_Exact_Cover(p, t, clockwise ? "clockwise" : "counter-clockwise");
      EXPECT_EQ(cap.Count(quarn::msg::Geometry_Warning), 0u);
      for (int k = 0; k < t.count; ++k) EXPECT_EQ(t.a[k].code, 6);
    }
}

TEST(GEMS_Tessellate, ConcaveShapes) {
  struct Case { const char* why; Polygon p; int triangles; size_t warnings; };
  const Case cases[] = {
      {"L shape", Make({{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 4}, {0, 4}}), 4, 0},
      {"L shape, clockwise", Make({{0, 4}, {1, 4}, {1, 1}, {4, 1}, {4, 0}, {0, 0}}), 4, 0},
      {"arrow head", Make({{0, 0}, {4, 2}, {0, 4}, {1, 2}}), 2, 0},
      {"spiral", Make({{0, 0}, {6, 0}, {6, 6}, {1, 6}, {1, 2}, {4, 2}, {4, 4}, {3, 4}, {3, 3}, {2, 3},
                       {2, 5}, {5, 5}, {5, 1}, {0, 1}}), 12, 0},
      // The teeth go first; what is left is the row of six points along y = 1, which has no area
      // and no turn to cut: reported once the clipping passes run out, the cover being complete.
      {"comb of four teeth", Make({{0, 0}, {7, 0}, {7, 3}, {6, 3}, {6, 1}, {5, 1}, {5, 3}, {4, 3}, {4, 1},
                                   {3, 1}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}}), 10, 1},
  };
  for (const Case& c : cases) {
    Host_Report_Capture cap;
    Triangles t;
    EXPECT_EQ(Tessellate(c.p, t), c.triangles) << c.why;
    Expect_Exact_Cover(c.p, t, c.why);
    EXPECT_EQ(cap.Count(quarn::msg::Geometry_Warning), c.warnings) << c.why;
  }
}

TEST(GEMS_Tessellate, CollinearVertexIsCutOnlyAfterItsNeighbours) {
  // (1, 0) lies on the edge from (0, 0) to (2, 0): its turn is 0, so the first cut is elsewhere.
  const Polygon p = Make({{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}});
  Triangles t;
  ASSERT_EQ(Tessellate(p, t), 3);
  EXPECT_NE(t.b[0], p[1]);
  Expect_Exact_Cover(p, t, "collinear vertex");
  // The last three vertices, turning left, are listed clockwise.
  const Polygon tri = Make({{0, 0}, {1, 0}, {0, 1}});
  Triangles one;
  ASSERT_EQ(Tessellate(tri, one), 1);
  EXPECT_EQ(one.a[0], tri[2]);
  EXPECT_EQ(one.b[0], tri[1]);
  EXPECT_EQ(one.c[0], tri[0]);
}

TEST(GEMS_Tessellate, RepeatedPointsStillCoverTheArea) {
  struct Case { const char* why; Polygon p; };
  const Case cases[] = {
      {"a corner given twice", Make({{0, 0}, {3, 0}, {3, 0}, {3, 3}, {0, 3}})},
      {"a concave corner given twice", Make({{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 1}, {1, 4}, {0, 4}})},
      {"first point repeated at the end", Make({{0, 0}, {3, 0}, {3, 3}, {0, 3}, {0, 0}})},
  };
  for (const Case& c : cases) {
    Triangles t;
    Tessellate(c.p, t);
    EXPECT_GE(t.count, 1) << c.why;
    Expect_Exact_Cover(c.p, t, c.why);
  }
}

TEST(GEMS_Tessellate, InsideTestCountsARayThroughAVertexOnce) {
  // A notch in the top edge: the diagonals beside the notch vertex (2, 3) have their midpoints
  // (1, 3.5) and (3, 3.5) right below the vertices (1, 4) and (3, 4). Counting crossings with the
  // segment test (which ignores ends) would see no crossing there, call the midpoints outside,
  // never cut beside the notch and leave the reflex vertex to the convex clipping.
  const Polygon p = Make({{0, 0}, {4, 0}, {4, 4}, {3, 4}, {2, 3}, {1, 4}, {0, 4}});
  Host_Report_Capture cap;
  Triangles t;
  EXPECT_EQ(Tessellate(p, t), 5);
  Expect_Exact_Cover(p, t, "notch");
  EXPECT_EQ(cap.Count(quarn::msg::Geometry_Warning), 0u);
}

TEST(GEMS_Tessellate, DiagonalThroughAVertexIsNoDiagonal) {
  // Regression (found by the orthogonal polygons below): the segment test ignores a diagonal
  // that only touches a vertex, so a diagonal running through vertices along a grid line was
  // taken as inner; its ear overlapped the rest and the last triangles were cut outside.
  const Polygon p = Make({{0, 7}, {1, 7}, {1, 10}, {2, 10}, {2, 7}, {3, 7}, {3, 9}, {4, 9}, {4, 5}, {3, 5},
                          {3, 4}, {2, 4}, {2, 5}, {1, 5}, {1, 6}, {0, 6}});
  Triangles t;
  EXPECT_GE(Tessellate(p, t), 1);
  Expect_Exact_Cover(p, t, "columns of a clockwise skyline");
}

TEST(GEMS_Tessellate, LastTriangleIsListedAgainstAClockwisePolygonToo) {
  // Choosing the last triangle's order by its own turn alone would list a clockwise polygon's
  // last triangle clockwise, with its order instead of against it.
  const Polygon tri = Make({{0, 0}, {0, 1}, {1, 0}});
  Triangles one;
  ASSERT_EQ(Tessellate(tri, one), 1);
  EXPECT_EQ(one.a[0], tri[2]);
  EXPECT_EQ(one.b[0], tri[1]);
  EXPECT_EQ(one.c[0], tri[0]);
  Expect_Exact_Cover(tri, one, "clockwise triangle");
}

TEST(GEMS_Tessellate, TooFewPointsGiveNothing) {
  struct Case { const char* why; Polygon p; size_t warnings; };
  const Case cases[] = {
      {"no point at all: reported", {}, 1},
      {"one point", Make({{1, 1}}), 0},
      {"two points", Make({{1, 1}, {2, 2}}), 0},
      {"three collinear points", Make({{0, 0}, {1, 1}, {2, 2}}), 0},
  };
  for (const Case& c : cases) {
    Host_Report_Capture cap;
    Triangles t;
    const int count = Tessellate(c.p, t);
    EXPECT_LE(count, 1) << c.why;
    for (int k = 0; k < count; ++k) EXPECT_NEAR(t.Signed_Area(k), 0, 1e-9) << c.why;
    EXPECT_EQ(cap.Count(quarn::msg::Geometry_Warning), c.warnings) << c.why;
  }
  Host_Report_Capture cap;
  EXPECT_EQ(GEMS_2D_Tessellate(3, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(cap.Count(quarn::msg::Invalid), 1u);
}

/// A random simple polygon: a star around the origin (one jittered angle per sector, so that no
/// two neighbours are half a turn apart, and random radii), with many reflex vertices, in either
/// order.
Polygon Random_Star(std::mt19937& rng, int n, bool clockwise) {
  std::uniform_real_distribution<double> jitter(0, 0.9), radius(5, 100);
  Polygon p;
  for (int i = 0; i < n; ++i) {
    const double a = (clockwise ? -1 : 1) * 2 * M_PI * (i + jitter(rng)) / n, r = radius(rng);
    p.emplace_back(uint8_t(6), float(r * std::cos(a)), float(r * std::sin(a)));
  }
  return p;
}

TEST(GEMS_Tessellate, RandomSimplePolygonsAreCoveredExactly) {
  std::mt19937 rng(1234);
  for (int trial = 0; trial < 300; ++trial) {
    const int n = 4 + trial % 37;
    const Polygon p = Random_Star(rng, n, trial % 2 == 1);
    Host_Report_Capture cap;
    Triangles t;
    const std::string why = "trial " + std::to_string(trial) + ", " + std::to_string(n) + " points";
    EXPECT_EQ(Tessellate(p, t), n - 2) << why;
    Expect_Exact_Cover(p, t, why.c_str());
    EXPECT_EQ(cap.Count(quarn::msg::Geometry_Warning), 0u) << why;
  }
}

/// A random x-monotone orthogonal polygon on whole coordinates: columns of random bottom and
/// top, neighbours overlapping. Its rays meet vertices, equal heights make repeated and
/// collinear points, and steps make many reflex corners.
Polygon Random_Skyline(std::mt19937& rng, int columns, bool clockwise) {
  std::uniform_int_distribution<int> height(0, 8);
  std::vector<int> bottom(columns), top(columns);
  for (int i = 0; i < columns; ++i) {
    do {
      bottom[i] = height(rng), top[i] = bottom[i] + 1 + height(rng) % 5;
    } while (i > 0 && std::max(bottom[i], bottom[i - 1]) >= std::min(top[i], top[i - 1]));
  }
  Polygon p;
  auto add = [&](int x, int y) { p.emplace_back(uint8_t(6), float(x), float(y)); };
  for (int i = 0; i < columns; ++i) add(i, bottom[i]), add(i + 1, bottom[i]);
  for (int i = columns - 1; i >= 0; --i) add(i + 1, top[i]), add(i, top[i]);
  if (clockwise) std::reverse(p.begin(), p.end());
  return p;
}

TEST(GEMS_Tessellate, RandomOrthogonalPolygonsAreCoveredExactly) {
  // Whatever is left over (a run of collinear points) may be reported, but what was cut covers
  // the polygon exactly and no triangle is inverted.
  std::mt19937 rng(4321);
  for (int trial = 0; trial < 400; ++trial) {
    const int columns = 1 + trial % 17;
    const Polygon p = Random_Skyline(rng, columns, trial % 2 == 1);
    Host_Report_Capture cap;
    Triangles t;
    const std::string why = "skyline " + std::to_string(trial) + ", " + std::to_string(columns) + " columns";
    EXPECT_GE(Tessellate(p, t), 1) << why;
    Expect_Exact_Cover(p, t, why.c_str());
  }
}

}  // namespace
