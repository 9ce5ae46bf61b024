// The ray grid's upkeep: its box, the cells each triangle is listed in, the outside list,
// insertion and removal, the size estimate and the release.
#include "Memory_Cap.h"
#include "algorithms/Mesh_Shapes.h"

#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

using mesh_shapes::Movie_Ptr;

Point_3D P3(float x, float y, float z) { return Point_3D(uint8_t(2), x, y, z); }

/// Size of a grid that lists nothing.
constexpr uint64_t Empty_Size = 16 * (50 + 8) + 50 * (16 * 50 + 50 * 12 * 50) + 4;

/// A generic geometry carrying a surface; the surface stays the test's.
struct Geom_With {
  Movie_Ptr movie;
  Quarn_3D_Geom geom{nullptr, nullptr, 0};
  explicit Geom_With(Movie_Ptr m) : movie(std::move(m)) { geom.movie = movie.get(); }
};

/// Every listing of the grid: cell (or -1 for the outside list) to its triangle indices in order.
std::map<int, std::vector<int>> Listings(const DDDAs* g) {
  std::map<int, std::vector<int>> all;
  for (int k = 0; k < 50; ++k)
    for (int j = 0; j < 50; ++j)
      for (int i = 0; i < 50; ++i) {
        const int32_t* list = nullptr;
        const int n = Arts_3D_Get_Inside(g, i, j, k, &list);
        if (n) all[(k * 50 + j) * 50 + i].assign(list, list + n);
      }
  const int32_t* out = nullptr;
  const int n = Arts_3D_Get_Outside(g, &out);
  if (n) all[-1].assign(out, out + n);
  return all;
}

/// The box of triangle p from its nodes' current positions.
void Triangle_Box(const Host_Movie_Record& m, int p, Point_3D& lo, Point_3D& hi) {
  const Host_Movie_Polygon& poly = m.polys[p];
  lo = hi = P3(m.nodes[poly.index[0]].pos.x, m.nodes[poly.index[0]].pos.y, m.nodes[poly.index[0]].pos.z);
  for (int k = 1; k < 3; ++k) {
    const Vec4& v = m.nodes[poly.index[k]].pos;
    lo.Set(std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z));
    hi.Set(std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z));
  }
}

TEST(Arts_Grid, BoxIsTheSurfaceBoxGrownByAQuarterCell) {
  Geom_With s(mesh_shapes::Sphere(12, 16, 1.0f, 5, 0, 0));
  const DDDAs* g = Arts_3D_Init(&s.geom);
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(s.geom.grid, g);
  EXPECT_EQ(g->nx, 50);
  EXPECT_EQ(g->box.code, 2);
  const float grow = 2.0f / 50 * 0.25f;
  EXPECT_NEAR(g->box.x_min, s.movie->box_min[0] - (s.movie->box_max[0] - s.movie->box_min[0]) / 50 * 0.25f, 1e-6);
  EXPECT_NEAR(g->box.z_min, -1 - grow, 1e-6);
  EXPECT_NEAR(g->box.z_max, 1 + grow, 1e-6);
  EXPECT_NEAR(g->cell_z, (2 + 2 * grow) / 50, 1e-7);
  EXPECT_DOUBLE_EQ(g->inv_z, 1 / g->cell_z);
}

TEST(Arts_Grid, EachTriangleIsListedInExactlyTheCellsItsBoxOverlaps) {
  Geom_With s(mesh_shapes::Torus(40, 20, 3.0f, 1.0f));
  const DDDAs* g = Arts_3D_Init(&s.geom);
  ASSERT_NE(g, nullptr);
  // The reference: per triangle, every cell of its index ranges, visited in index order.
  std::map<int, std::vector<int>> expected;
  for (int p = 0; p < s.movie->poly_count; ++p) {
    Point_3D lo, hi;
    Triangle_Box(*s.movie, p, lo, hi);
    int idx[6];
    ASSERT_EQ(Arts_3D_Find_Index(g, lo, hi, idx), ARTS_INSIDE) << p;
    for (int k = idx[4]; k <= idx[5]; ++k)
      for (int j = idx[2]; j <= idx[3]; ++j)
        for (int i = idx[0]; i <= idx[1]; ++i) expected[(k * 50 + j) * 50 + i].push_back(p);
  }
  EXPECT_EQ(Listings(g), expected);
  EXPECT_EQ(Arts_3D_Get_Outside(g, nullptr), 0);
}

TEST(Arts_Grid, FindIndexTellsInsideOutsideAndPartly) {
  Geom_With s(mesh_shapes::Sphere(8, 8, 1.0f));
  const DDDAs* g = Arts_3D_Init(&s.geom);
  ASSERT_NE(g, nullptr);
  const float lo = g->box.x_min, hi = g->box.x_max;  // the same on every axis
  const float cell = float(g->cell_x);
  struct Case { const char* why; Point_3D l, h; int answer; int idx[6]; };
  const Case cases[] = {
      {"one cell", P3(lo + 0.2f * cell, lo + 0.2f * cell, lo + 0.2f * cell), P3(lo + 0.7f * cell, lo + 0.7f * cell, lo + 0.7f * cell),
       ARTS_INSIDE, {0, 0, 0, 0, 0, 0}},
      {"cells 10 to 12 on x", P3(lo + 10.5f * cell, 0, 0), P3(lo + 12.5f * cell, 0, 0), ARTS_INSIDE, {10, 12, 25, 25, 25, 25}},
      {"low corner on the top border", P3(hi, 0, 0), P3(hi + 1, 0, 0), ARTS_OUTSIDE, {}},
      {"entirely below on z", P3(0, 0, lo - 2), P3(0, 0, lo - 1), ARTS_OUTSIDE, {}},
      {"entirely above on y", P3(0, hi + 1, 0), P3(0, hi + 2, 0), ARTS_OUTSIDE, {}},
      {"sticking out below x: first clamped to 0", P3(lo - 1, 0, 0), P3(lo + 1.5f * cell, 0, 0), ARTS_PARTLY, {0, 1, 25, 25, 25, 25}},
      {"sticking out above z: last clamped to 49", P3(0, 0, hi - 0.5f * cell), P3(0, 0, hi + 3), ARTS_PARTLY, {25, 25, 25, 25, 49, 49}},
      {"low corner exactly on the bottom border counts as out", P3(lo, 0, 0), P3(lo + 0.5f * cell, 0, 0), ARTS_PARTLY, {0, 0, 25, 25, 25, 25}},
      {"covering the whole grid", P3(-9, -9, -9), P3(9, 9, 9), ARTS_PARTLY, {0, 49, 0, 49, 0, 49}},
      {"NaN corner: nothing can be listed", P3(NAN, 0, 0), P3(0, 0, 0), ARTS_OUTSIDE, {}},
  };
  for (const Case& c : cases) {
    int idx[6] = {-7, -7, -7, -7, -7, -7};
    EXPECT_EQ(Arts_3D_Find_Index(g, c.l, c.h, idx), c.answer) << c.why;
    if (c.answer == ARTS_OUTSIDE) {
      for (int v : idx) EXPECT_EQ(v, -7) << c.why;
    } else {
      for (int k = 0; k < 6; ++k) EXPECT_EQ(idx[k], c.idx[k]) << c.why << " index " << k;
    }
  }
}

TEST(Arts_Grid, RemovingEveryTriangleAndInsertingAgainRestoresTheGrid) {
  Geom_With s(mesh_shapes::Sphere(10, 14, 2.0f));
  DDDAs* g = Arts_3D_Init(&s.geom);
  ASSERT_NE(g, nullptr);
  const auto built = Listings(g);
  const uint64_t built_size = Arts_3D_Size(&s.geom);
  int listed = 0;
  for (const auto& [cell, list] : built) listed += int(list.size());
  EXPECT_EQ(built_size, Empty_Size + 4u * uint64_t(listed));

  int removed = 0;
  for (int p = s.movie->poly_count - 1; p >= 0; --p) removed += Arts_3D_Remove(g, s.movie.get(), p);
  EXPECT_EQ(removed, listed);
  EXPECT_TRUE(Listings(g).empty());
  EXPECT_EQ(Arts_3D_Size(&s.geom), Empty_Size);
  // A triangle that is not listed any more: nothing to remove.
  EXPECT_EQ(Arts_3D_Remove(g, s.movie.get(), 0), 0);

  int inserted = 0;
  for (int p = 0; p < s.movie->poly_count; ++p) inserted += Arts_3D_Insert(g, s.movie.get(), p);
  EXPECT_EQ(inserted, listed);
  EXPECT_EQ(Listings(g), built);
  EXPECT_EQ(Arts_3D_Size(&s.geom), built_size);
}

TEST(Arts_Grid, OnlyTrianglesAreListed) {
  Geom_With s(mesh_shapes::Sphere(6, 8, 1.0f));
  DDDAs* g = Arts_3D_Init(&s.geom);
  ASSERT_NE(g, nullptr);
  const auto before = Listings(g);
  Host_Movie_Polygon& p0 = s.movie->polys[0];
  p0.count = 4;
  p0.index[3] = p0.index[0];
  EXPECT_EQ(Arts_3D_Insert(g, s.movie.get(), 0), 0) << "a quadrilateral";
  EXPECT_EQ(Arts_3D_Remove(g, s.movie.get(), 0), 0) << "a quadrilateral";
  p0.count = 3;
  EXPECT_EQ(Arts_3D_Insert(g, s.movie.get(), -1), 0) << "no such polygon";
  EXPECT_EQ(Arts_3D_Insert(g, s.movie.get(), s.movie->poly_count), 0) << "no such polygon";
  EXPECT_EQ(Arts_3D_Insert(nullptr, s.movie.get(), 0), 0) << "no grid";
  EXPECT_EQ(Listings(g), before);
}

TEST(Arts_Grid, TrianglesMovedOutOfTheGridGoToTheOutsideList) {
  Geom_With s(mesh_shapes::Sphere(6, 8, 1.0f));
  DDDAs* g = Arts_3D_Init(&s.geom);
  ASSERT_NE(g, nullptr);
  // Move the north pole far up: the triangles of its fan now stick out of the grid.
  const int fan = 8;
  for (int p = 0; p < fan; ++p) Arts_3D_Remove(g, s.movie.get(), p);
  s.movie->nodes[0].pos.z = 10;
  for (int p = 0; p < fan; ++p) EXPECT_GE(Arts_3D_Insert(g, s.movie.get(), p), 2) << p;
  const int32_t* out = nullptr;
  ASSERT_EQ(Arts_3D_Get_Outside(g, &out), fan);
  for (int p = 0; p < fan; ++p) EXPECT_EQ(out[p], p);
  // A triangle wholly outside is only in the outside list.
  for (int k = 0; k < 3; ++k) s.movie->nodes[s.movie->polys[0].index[k]].pos.z += 20;
  EXPECT_EQ(Arts_3D_Remove(g, s.movie.get(), 0), 1);
  EXPECT_EQ(Arts_3D_Insert(g, s.movie.get(), 0), 1);
  EXPECT_EQ(Arts_3D_Get_Outside(g, &out), fan);
  EXPECT_EQ(out[fan - 1], 0);
}

TEST(Arts_Grid, FreeAnswersTheSizeAndLeavesNoGrid) {
  Geom_With s(mesh_shapes::Sphere(6, 8, 1.0f));
  EXPECT_EQ(Arts_3D_Size(&s.geom), 0u);
  EXPECT_EQ(Arts_3D_Free(&s.geom), 0u);
  ASSERT_NE(Arts_3D_Init(&s.geom), nullptr);
  // Building again replaces the grid (the former one is released).
  ASSERT_NE(Arts_3D_Init(&s.geom), nullptr);
  const uint64_t size = Arts_3D_Size(&s.geom);
  EXPECT_GT(size, Empty_Size);
  EXPECT_EQ(Arts_3D_Free(&s.geom), size);
  EXPECT_EQ(s.geom.grid, nullptr);
  EXPECT_EQ(Arts_3D_Size(&s.geom), 0u);
  // The destructor frees a grid still held.
  auto* other = new Quarn_3D_Geom(nullptr, nullptr, 0);
  other->movie = s.movie.get();
  ASSERT_NE(Arts_3D_Init(other), nullptr);
  delete other;
}

TEST(Arts_Grid, SurfacesWithoutExtentStillGetCellsOfSomeSize) {
  struct Case { const char* why; std::vector<float> xyz; std::vector<int> corners; };
  const Case cases[] = {
      {"flat in z = 0", {0, 0, 0, 4, 0, 0, 0, 2, 0}, {0, 1, 2}},
      {"a single point", {1, 2, 3, 1, 2, 3, 1, 2, 3}, {0, 1, 2}},
      {"no node at all", {}, {}},
      {"a node at NaN besides real ones", {0, 0, 0, 1, 0, 0, 0, 1, NAN}, {0, 1, 2}},
  };
  for (const Case& c : cases) {
    Geom_With s(mesh_shapes::Surface(c.xyz, c.corners));
    ASSERT_TRUE(s.movie) << c.why;
    const DDDAs* g = Arts_3D_Init(&s.geom);
    ASSERT_NE(g, nullptr) << c.why;
    for (double cell : {g->cell_x, g->cell_y, g->cell_z}) {
      EXPECT_GT(cell, 0) << c.why;
      EXPECT_TRUE(std::isfinite(1 / cell)) << c.why;
    }
  }
}

TEST(Arts_Grid, InitWithoutMemoryIsReportedAndLeavesNoGrid) {
#ifdef MEMORY_CAP_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve their address space up front";
#endif
  // The cell tables alone take about 1.5 MB in 5000 rows; the child may map only 64 KB more.
  Geom_With s(mesh_shapes::Sphere(20, 30, 4.0f));
  const int code = memory_cap::In_Child([&] {
    Host_Report_Capture capture;
    DDDAs* g;
    {
      memory_cap::Address_Limit limit(64 << 10);
      if (!memory_cap::Cap_Holds(3 << 19, 256)) return memory_cap::Not_Capped;
      g = Arts_3D_Init(&s.geom);
    }
    if (g || s.geom.grid) return memory_cap::Fail("init", "a grid was made without memory");
    if (!capture.Contains("memory error in calloc (var=arts->DDDA_")) return memory_cap::Fail("init", "no memory report");
    if (!capture.Contains("<<< out Fct: Arts_3D_Init(memory)")) return memory_cap::Fail("init", "no exit trace");
    if (!Arts_3D_Init(&s.geom) || Arts_3D_Size(&s.geom) <= Empty_Size)
      return memory_cap::Fail("init", "no grid once memory is back");
    return 0;
  });
  if (code == memory_cap::Not_Capped) GTEST_SKIP() << "free heap of earlier tests serves the allocations; run alone";
  EXPECT_EQ(code, 0);
}

TEST(Arts_Grid, InitWithoutSurfaceIsRefused) {
  Quarn_3D_Geom geom(nullptr, nullptr, 0);
  Host_Report_Capture cap;
  EXPECT_EQ(Arts_3D_Init(&geom), nullptr);
  EXPECT_TRUE(cap.Contains("Arts_3D_Init: the geometry generic has no surface"));
  cap.Clear();
  EXPECT_EQ(Arts_3D_Init(nullptr), nullptr);
  EXPECT_TRUE(cap.Contains("Invalid 3D geom class pointer in Arts_3D_Init"));
}

}  // namespace
