// Picking through the ray grid against the brute-force reference (every polygon tried): the same
// parameter, point and triangle on random rays through a sphere, a torus and a surface with
// triangles outside the grid, rays starting inside, grazing cell borders and running along axes;
// degenerate input ends quietly.
#include "algorithms/Mesh_Shapes.h"

#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <thread>

namespace {

using mesh_shapes::Movie_Ptr;

Point_3D P3(double x, double y, double z) { return Point_3D(uint8_t(2), float(x), float(y), float(z)); }

struct Pick {
  float t;
  Point_3D point;
  int polygon;
};

/// A generic geometry carrying a surface and its grid; the surface stays the test's.
struct Picking {
  Movie_Ptr movie;
  Quarn_3D_Geom geom{nullptr, nullptr, 0};
  explicit Picking(Movie_Ptr m) : movie(std::move(m)) {
    geom.movie = movie.get();
    Arts_3D_Init(&geom);
  }
  Pick Grid(const Point_3D& a, const Point_3D& b) {
    Pick p{0, P3(-1, -1, -1), -1};
    p.t = Arts_3D_Intersect_Line_Geom(a, b, &geom, &p.point, &p.polygon);
    return p;
  }
  /// The reference: every polygon tried, the nearest kept. Of triangles hit at the same
  /// parameter the outside list's win (the grid's hit must be strictly nearer), and among either
  /// kind the lowest index.
  Pick Brute(const Point_3D& a, const Point_3D& b) {
    Pick p{0, P3(-1, -1, -1), -1};
    p.t = GEMS_3D_Intersect_Line_Geom(a, b, &geom, &p.point, &p.polygon);
    if (p.t == GEMS_NO_HIT || !geom.grid) return p;
    const int32_t* outside = nullptr;
    const int count = Arts_3D_Get_Outside(geom.grid, &outside);
    int tied = -1;
    for (int i = 0; i < count; ++i) {
      Point_3D h;
      const int q = outside[i];
      if (GEMS_3D_Intersect_Line_Polygon(movie.get(), a, b, &movie->polys[q], &h) == p.t && (tied < 0 || q < tied))
        tied = q, p.point = h;
    }
    if (tied >= 0) p.polygon = tied;
    return p;
  }
  /// Grid and reference agree exactly; returns whether the line hit.
  bool Expect_Same(const Point_3D& a, const Point_3D& b, const std::string& why) {
    const Pick g = Grid(a, b), r = Brute(a, b);
    EXPECT_EQ(g.t, r.t) << why;
    EXPECT_EQ(g.polygon, r.polygon) << why;
    EXPECT_TRUE(g.point.x == r.point.x && g.point.y == r.point.y && g.point.z == r.point.z) << why;
    EXPECT_EQ(g.point.code, r.point.code) << why;
    return r.t != GEMS_NO_HIT;
  }
  const DDDAs& Grid_Record() const { return *geom.grid; }
};

/// A random point in the cube [-h, h]^3 around c.
Point_3D Around(std::mt19937& rng, double h, double c = 0) {
  std::uniform_real_distribution<double> u(c - h, c + h);
  return P3(u(rng), u(rng), u(rng));
}

/// Rays from far outside through random points near the surface, with direction lengths from
/// tiny to huge (the parameter is along b - a); returns how many hit.
int Random_Rays(Picking& s, std::mt19937& rng, int count, double extent, const char* what) {
  int hits = 0;
  const double scales[] = {1e-3, 1, 37, 1e4};
  for (int i = 0; i < count; ++i) {
    const Point_3D a = Around(rng, 4 * extent), through = Around(rng, extent);
    const double scale = scales[i % 4];
    const Point_3D b = P3(a.x + scale * (through.x - a.x), a.y + scale * (through.y - a.y), a.z + scale * (through.z - a.z));
    hits += s.Expect_Same(a, b, std::string(what) + " ray " + std::to_string(i));
  }
  return hits;
}

TEST(Arts_Pick, RandomRaysThroughASphereMatchTheReference) {
  Picking s(mesh_shapes::Sphere(40, 60, 10.0f, 1, 2, 3));
  std::mt19937 rng(7);
  const int hits = Random_Rays(s, rng, 600, 10, "sphere");
  EXPECT_GT(hits, 200);  // most rays aim inside the sphere's box
}

TEST(Arts_Pick, RandomRaysThroughATorusMatchTheReference) {
  Picking s(mesh_shapes::Torus(64, 24, 6.0f, 2.0f));
  std::mt19937 rng(11);
  const int hits = Random_Rays(s, rng, 600, 8, "torus");
  EXPECT_GT(hits, 150);
  // Down the hole along z: no hit; down the tube: the top of the tube.
  EXPECT_FALSE(s.Expect_Same(P3(0.1, 0.2, 20), P3(0.1, 0.2, 19), "through the hole"));
  EXPECT_TRUE(s.Expect_Same(P3(6.05, 0.03, 20), P3(6.05, 0.03, 19), "down onto the tube"));
}

TEST(Arts_Pick, RandomTriangleSoupMatchesTheReference) {
  // Triangles of every size crossing each other: a large far triangle is often met in an early
  // cell while a small nearer one waits in a later cell, so the walk must not stop too soon.
  std::mt19937 rng(23);
  std::uniform_real_distribution<double> size(0.01, 1.0);
  std::vector<float> xyz;
  std::vector<int> corners;
  for (int i = 0; i < 400; ++i) {
    const Point_3D c = Around(rng, 10);
    const double r = 12 * std::pow(size(rng), 3);
    for (int k = 0; k < 3; ++k) {
      const Point_3D d = Around(rng, r);
      xyz.insert(xyz.end(), {c.x + d.x, c.y + d.y, c.z + d.z});
      corners.push_back(3 * i + k);
    }
  }
  Picking s(mesh_shapes::Surface(xyz, corners));
  EXPECT_GT(Random_Rays(s, rng, 1500, 10, "soup"), 300);
}

TEST(Arts_Pick, RaysStartingInsideTheBoxMatchTheReference) {
  Picking s(mesh_shapes::Sphere(30, 40, 5.0f));
  Picking t(mesh_shapes::Torus(48, 16, 6.0f, 2.0f));
  std::mt19937 rng(3);
  for (int i = 0; i < 400; ++i) {
    const Point_3D a = Around(rng, 3), b = Around(rng, 3);
    EXPECT_TRUE(s.Expect_Same(a, b, "inside the sphere " + std::to_string(i)));  // always hits the shell
    const Point_3D c = Around(rng, 7), d = Around(rng, 7);
    t.Expect_Same(c, d, "inside the torus box " + std::to_string(i));
  }
}

TEST(Arts_Pick, RaysAlongAxesAndOnCellBordersMatchTheReference) {
  Picking s(mesh_shapes::Sphere(36, 48, 10.0f));
  const DDDAs& g = s.Grid_Record();
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> cell(0, 50);
  auto border = [&](int axis, int k) {
    const double lo[3] = {g.box.x_min, g.box.y_min, g.box.z_min}, size[3] = {g.cell_x, g.cell_y, g.cell_z};
    return lo[axis] + k * size[axis];
  };
  int hits = 0;
  for (int i = 0; i < 600; ++i) {
    const int axis = i % 3, sign = (i / 3) % 2 ? -1 : 1;
    // Start on the borders of two other axes (or a random point), outside or inside the box.
    double a[3] = {0, 0, 0};
    for (int k = 0; k < 3; ++k) a[k] = i % 4 ? border(k, cell(rng)) : std::uniform_real_distribution<double>(-12, 12)(rng);
    a[axis] = (i % 5 == 0) ? 0.0 : -sign * 30.0;
    double b[3] = {a[0], a[1], a[2]};
    b[axis] += sign * ((i % 7) ? 1.0 : 1e-3);
    hits += s.Expect_Same(P3(a[0], a[1], a[2]), P3(b[0], b[1], b[2]), "axis ray " + std::to_string(i));
    // A slanted ray lying in a border plane.
    const int other = (axis + 1) % 3;
    b[other] += 0.37;
    s.Expect_Same(P3(a[0], a[1], a[2]), P3(b[0], b[1], b[2]), "border-plane ray " + std::to_string(i));
  }
  EXPECT_GT(hits, 200);
}

TEST(Arts_Pick, TrianglesOutsideTheGridAreFoundThroughTheOutsideList) {
  Picking s(mesh_shapes::Sphere(20, 24, 5.0f));
  Host_Movie_Record& m = *s.movie;
  // Pull the two polar fans out of the grid, one far beyond it, keeping the grid in step.
  DDDAs* g = s.geom.grid;
  for (int p = 0; p < m.poly_count; ++p) Arts_3D_Remove(g, &m, p);
  m.nodes[0].pos.z = 40;
  m.nodes[m.node_count - 1].pos.set(3, -2, -80, 0);
  Host_Movie_Init_Norm(&m);
  Host_Movie_Init_Dim(&m);
  for (int p = 0; p < m.poly_count; ++p) Arts_3D_Insert(g, &m, p);
  ASSERT_EQ(Arts_3D_Get_Outside(g, nullptr), 48);
  std::mt19937 rng(13);
  int hits = 0;
  for (int i = 0; i < 500; ++i) {
    const Point_3D a = Around(rng, 120), through = Around(rng, 6, 0);
    Point_3D far_through = through;
    far_through.z = float(through.z * (i % 2 ? 12 : 1));
    hits += s.Expect_Same(a, far_through, "stretched sphere " + std::to_string(i));
  }
  EXPECT_GT(hits, 100);
  // Straight down the axis from above: the tip of the north spike, outside the grid.
  Pick p = s.Grid(P3(0, 0, 100), P3(0, 0, 99));
  EXPECT_NE(p.t, GEMS_NO_HIT);
  EXPECT_LT(p.polygon, 24);
  s.Expect_Same(P3(0.01, 0.02, 100), P3(0.01, 0.02, 99), "onto the spike");
}

TEST(Arts_Pick, ALineMissingTheGridTestsOnlyTheOutsideList) {
  Picking s(mesh_shapes::Sphere(10, 12, 1.0f));
  Host_Movie_Record& m = *s.movie;
  DDDAs* g = s.geom.grid;
  // Triangle 0 moved far away in x keeps a place in the outside list.
  Arts_3D_Remove(g, &m, 0);
  m.nodes[0].pos.x = 50;
  Host_Movie_Init_Norm(&m);
  Arts_3D_Insert(g, &m, 0);
  for (int p = 0; p < m.poly_count; ++p) m.polys[p].stamp = 0;
  // Parallel to z, outside the grid's slab on x.
  s.Grid(P3(30, 0, -5), P3(30, 0, 5));
  EXPECT_NE(m.polys[0].stamp, 0u);
  for (int p = 1; p < m.poly_count; ++p) ASSERT_EQ(m.polys[p].stamp, 0u) << p;
}

TEST(Arts_Pick, MailboxIntersectsEachTriangleOncePerQuery) {
  // One large triangle over many cells: hit once, found again from the mailbox in later cells.
  Picking s(mesh_shapes::Surface({-10, -10, 0, 10, -10, 0, 0, 10, 0, 0, 0, -1, 0, 0, 1, 1, 1, 1}, {0, 1, 2, 3, 4, 5}));
  const Pick a = s.Grid(P3(0, -2, 5), P3(0, -2, 4));
  EXPECT_EQ(a.polygon, 0);
  EXPECT_FLOAT_EQ(a.t, 5);
  const uint32_t first = s.movie->polys[0].stamp;
  const Pick b = s.Grid(P3(1, -2, -5), P3(1, -2, -4));
  EXPECT_EQ(b.polygon, 0);
  EXPECT_NE(s.movie->polys[0].stamp, first);
  s.Expect_Same(P3(0, -2, 5), P3(0, -2, 4), "big triangle");
}

TEST(Arts_Pick, EqualParametersGoToTheLowestTriangleIndex) {
  // Two overlapping triangles in z = 0 (0 small, 1 large) and two far ones giving the grid depth.
  // The ray skims the plane, so the walk meets the large triangle's hit in earlier cells before
  // it reaches the cell where the small one is listed: same parameter, the lower index wins.
  Picking s(mesh_shapes::Surface({0.9f, 0.9f, 0, 1.2f, 0.9f, 0, 0.9f, 1.2f, 0, -10, -10, 0, 10, -10, 0, 0, 10, 0,
                                  0, 0, 5, 1, 0, 5, 0, 1, 5, 0, 0, -5, 1, 0, -5, 0, 1, -5},
                                 {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  const Pick p = s.Grid(P3(-8, 1, 0.01), P3(1, 1, 0));
  EXPECT_EQ(p.t, 1);
  EXPECT_EQ(p.polygon, 0);
  s.Expect_Same(P3(-8, 1, 0.01), P3(1, 1, 0), "skimming");
  s.Expect_Same(P3(8, 1, -0.01), P3(1, 1, 0), "skimming from the other side");
}

TEST(Arts_Pick, TieBetweenGridAndOutsideListGoesToTheOutsideTriangle) {
  // Regression: on equal parameters the grid's triangle won by its lower index; the grid's hit
  // must be strictly nearer than the outside list's. Triangle 0 lies in the grid; triangle 1,
  // in the same plane, gets a corner pulled far out in x, so it is listed both in cells and in
  // the outside list.
  Picking s(mesh_shapes::Surface({0.5f, 0.5f, 0, 1.5f, 0.5f, 0, 0.5f, 2.5f, 0, 0, 0, 0, 2, 0, 0, 0, 2, 0,
                                  -3, -3, -3, 3, -3, -3, 0, 3, -2},
                                 {0, 1, 2, 3, 4, 5, 6, 7, 8}));
  Host_Movie_Record& m = *s.movie;
  DDDAs* g = s.geom.grid;
  Arts_3D_Remove(g, &m, 1);
  m.nodes[4].pos.x = 60;
  Host_Movie_Init_Norm(&m);
  ASSERT_GT(Arts_3D_Insert(g, &m, 1), 1);
  ASSERT_EQ(Arts_3D_Get_Outside(g, nullptr), 1);
  struct Row { const char* why; Point_3D a, b; int polygon; };
  const Row rows[] = {
      {"straight down onto both", P3(0.7, 0.7, 5), P3(0.7, 0.7, 4), 1},
      {"slanted onto both", P3(-2, -1, 4), P3(0.8, 0.6, 0), 1},
      {"from below onto both", P3(0.6, 0.9, -2), P3(0.6, 0.9, -1), 1},
      {"only the grid triangle's tip", P3(0.55, 2.3, 5), P3(0.55, 2.3, 4), 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(s.Grid(r.a, r.b).polygon, r.polygon) << r.why;
    s.Expect_Same(r.a, r.b, r.why);
  }
}

TEST(Arts_Pick, DegenerateInputEndsWithoutHit) {
  Picking s(mesh_shapes::Sphere(8, 10, 1.0f));
  struct Case { const char* why; Point_3D a, b; };
  const Case cases[] = {
      {"zero-length ray inside the box", P3(0.1, 0.2, 0.3), P3(0.1, 0.2, 0.3)},
      {"zero-length ray outside the box", P3(5, 5, 5), P3(5, 5, 5)},
      {"NaN start", P3(NAN, 0, 0), P3(0, 0, 0)},
      {"NaN end", P3(0, 0, -5), P3(0, NAN, 0)},
      {"infinite end", P3(0, 0, -5), P3(0, 0, INFINITY)},
      {"huge coordinates", P3(-3e38, 0, 0), P3(3e38, 1, 0)},
      {"pointing away", P3(0, 0, 5), P3(0, 0, 6)},
  };
  for (const Case& c : cases) {
    Point_3D hit = P3(7, 7, 7);
    int poly = 42;
    const float t = Arts_3D_Intersect_Line_Geom(c.a, c.b, &s.geom, &hit, &poly);
    if (t == GEMS_NO_HIT) {
      EXPECT_EQ(poly, 42) << c.why;
      EXPECT_EQ(hit, P3(7, 7, 7)) << c.why;
    }
    s.Expect_Same(c.a, c.b, c.why);
  }
}

TEST(Arts_Pick, DegenerateSurfacesNeverHitWrongly) {
  struct Case { const char* why; std::vector<float> xyz; std::vector<int> corners; };
  const Case cases[] = {
      {"empty surface", {}, {}},
      {"every corner on one node", {0, 0, 0}, {0, 0, 0}},
      {"three collinear corners", {0, 0, 0, 1, 1, 1, 2, 2, 2}, {0, 1, 2}},
      {"a node at NaN", {0, 0, 0, 1, 0, 0, 0, NAN, 0, 0, 1, 0}, {0, 1, 2, 0, 1, 3}},
      {"flat surface in z = 0", {-1, -1, 0, 1, -1, 0, 0, 1, 0}, {0, 1, 2}},
  };
  std::mt19937 rng(17);
  for (const Case& c : cases) {
    Picking s(mesh_shapes::Surface(c.xyz, c.corners));
    ASSERT_TRUE(s.movie) << c.why;
    ASSERT_NE(s.geom.grid, nullptr) << c.why;
    for (int i = 0; i < 50; ++i) s.Expect_Same(Around(rng, 3), Around(rng, 1), c.why);
    s.Expect_Same(P3(0, 0, 3), P3(0, 0, 2), c.why);
  }
  Picking flat(mesh_shapes::Surface({-1, -1, 0, 1, -1, 0, 0, 1, 0}, {0, 1, 2}));
  EXPECT_FLOAT_EQ(flat.Grid(P3(0, 0, 3), P3(0, 0, 2)).t, 3);
  Quarn_3D_Geom bare(nullptr, nullptr, 0);
  Host_Report_Capture cap;
  EXPECT_EQ(Arts_3D_Intersect_Line_Geom(P3(0, 0, 0), P3(1, 0, 0), &bare, nullptr, nullptr), GEMS_NO_HIT);
  EXPECT_TRUE(cap.Contains("has no surface"));
}

TEST(Arts_Pick, QueriesOnTwoSurfacesRunTogether) {
  // Each thread picks on its own surface; the query counter is the one thing they share.
  Picking s(mesh_shapes::Sphere(20, 30, 4.0f)), t(mesh_shapes::Torus(32, 16, 5.0f, 1.5f));
  std::vector<std::pair<Point_3D, Point_3D>> rays;
  std::mt19937 rng(19);
  for (int i = 0; i < 300; ++i) rays.emplace_back(Around(rng, 20), Around(rng, 4));
  std::vector<Pick> expect_s, expect_t;
  for (auto& [a, b] : rays) expect_s.push_back(s.Brute(a, b)), expect_t.push_back(t.Brute(a, b));
  std::vector<Pick> got_s(rays.size()), got_t(rays.size());
  std::thread one([&] { for (size_t i = 0; i < rays.size(); ++i) got_s[i] = s.Grid(rays[i].first, rays[i].second); });
  std::thread two([&] { for (size_t i = 0; i < rays.size(); ++i) got_t[i] = t.Grid(rays[i].first, rays[i].second); });
  one.join();
  two.join();
  for (size_t i = 0; i < rays.size(); ++i) {
    EXPECT_EQ(got_s[i].t, expect_s[i].t) << i;
    EXPECT_EQ(got_s[i].polygon, expect_s[i].polygon) << i;
    EXPECT_EQ(got_t[i].t, expect_t[i].t) << i;
    EXPECT_EQ(got_t[i].polygon, expect_t[i].polygon) << i;
  }
}

}  // namespace
