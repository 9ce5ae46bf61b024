// Geometry routines: distances, plane crossings and the 3D intersections with boxes, planes,
// polygons and whole surfaces.
#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Movie_Deleter {
  void operator()(Host_Movie_Record* m) const { Host_Movie_Free(m); }
};
using Movie_Ptr = std::unique_ptr<Host_Movie_Record, Movie_Deleter>;

Point_2D P2(float x, float y) { return Point_2D(uint8_t(6), x, y); }
Point_3D P3(float x, float y, float z) { return Point_3D(uint8_t(2), x, y, z); }

TEST(GEMS_Distance, PointToSegmentClampsToTheEnds) {
  struct Case { const char* why; Point_2D p, a, b; float dist2; Point_2D nearest; };
  const Case cases[] = {
      {"foot inside the segment", P2(1, 2), P2(0, 0), P2(4, 0), 4, P2(1, 0)},
      {"beyond b: the distance to b", P2(6, 1), P2(0, 0), P2(4, 0), 5, P2(4, 0)},
      {"before a: the distance to a", P2(-3, -4), P2(0, 0), P2(4, 0), 25, P2(0, 0)},
      {"slanted segment", P2(0, 2), P2(0, 0), P2(2, 2), 2, P2(1, 1)},
      {"segment of length 0 is its point", P2(3, 4), P2(0, 0), P2(0, 0), 25, P2(0, 0)},
  };
  for (const Case& c : cases) {
    Point_2D out(uint8_t(0), -9.0f, -9.0f);
    EXPECT_FLOAT_EQ(GEMS_2D_Dist_Point_Segment(c.p, c.a, c.b, &out), c.dist2) << c.why;
    EXPECT_EQ(out, c.nearest) << c.why;
    EXPECT_EQ(out.code, 6) << c.why;
    EXPECT_FLOAT_EQ(GEMS_2D_Dist_Point_Segment(c.p, c.a, c.b, nullptr), c.dist2) << c.why;
  }
}

TEST(GEMS_Distance, PointToLineIn3DIsPerpendicularEvenBeyondTheEnds) {
  Point_3D foot;
  // Beyond b along the line: the segment distance would be to b, the line's is perpendicular.
  EXPECT_FLOAT_EQ(GEMS_3D_Dist_Point_Line(P3(10, 3, 4), P3(0, 0, 0), P3(1, 0, 0), &foot), 25);
  EXPECT_EQ(foot, P3(10, 0, 0));
  EXPECT_EQ(foot.code, 2);
  EXPECT_FLOAT_EQ(GEMS_3D_Dist_Point_Line(P3(1, 1, 1), P3(0, 0, 0), P3(2, 2, 2), nullptr), 0);
  // A line of length 0 is its point.
  EXPECT_FLOAT_EQ(GEMS_3D_Dist_Point_Line(P3(1, 2, 2), P3(0, 0, 0), P3(0, 0, 0), &foot), 9);
}

TEST(GEMS_Crossing, SegmentsCrossOnlyProperly) {
  struct Case { const char* why; Point_2D a, b, c, d; float s; };
  const Case cases[] = {
      {"diagonals of a square cross at their midpoints", P2(0, 0), P2(2, 2), P2(0, 2), P2(2, 0), 0.5f},
      {"a quarter along cd, three quarters along ab", P2(0, 0), P2(4, 0), P2(3, -1), P2(3, 3), 0.25f},
      {"touching at an endpoint of both", P2(0, 0), P2(1, 1), P2(1, 1), P2(2, 0), 0},
      {"T: ab ends on cd", P2(1, 0), P2(1, 1), P2(0, 1), P2(2, 1), 0},
      {"T: cd ends on ab", P2(0, 1), P2(2, 1), P2(1, 0), P2(1, 1), 0},
      {"lines cross beyond ab", P2(0, 0), P2(1, 0), P2(3, -1), P2(3, 1), 0},
      {"parallel", P2(0, 0), P2(1, 0), P2(0, 1), P2(1, 1), 0},
      {"collinear and overlapping", P2(0, 0), P2(2, 0), P2(1, 0), P2(3, 0), 0},
  };
  for (const Case& c : cases) EXPECT_FLOAT_EQ(GEMS_2D_Intertsect_Segment_Segment(c.a, c.b, c.c, c.d, nullptr), c.s) << c.why;
  Point_2D out;
  GEMS_2D_Intertsect_Segment_Segment(P2(0, 0), P2(2, 2), P2(0, 2), P2(2, 0), &out);
  EXPECT_EQ(out, P2(1, 1));
  EXPECT_EQ(out.code, 6);
}

TEST(GEMS_Crossing, LineMeetsSegmentWhereverTheLinePointLies) {
  Point_2D out;
  // The crossing lies far beyond b on the line ab: it still counts, and out is that point.
  EXPECT_FLOAT_EQ(GEMS_2D_Intertsect_Line_Segment(P2(0, 0), P2(1, 0), P2(5, -1), P2(5, 3), &out), 0.25f);
  EXPECT_EQ(out, P2(5, 0));
  // Off the segment cd: 0, yet out is where the lines meet.
  EXPECT_EQ(GEMS_2D_Intertsect_Line_Segment(P2(0, 0), P2(1, 0), P2(5, 1), P2(5, 3), &out), 0);
  EXPECT_EQ(out, P2(5, 0));
  // Parallel: 0 and out untouched.
  out = P2(-7, -7);
  EXPECT_EQ(GEMS_2D_Intertsect_Line_Segment(P2(0, 0), P2(1, 0), P2(0, 1), P2(3, 1), &out), 0);
  EXPECT_EQ(out, P2(-7, -7));
}

// A unit square in z = 0 made of two triangles (0: 0 1 2, 1: 0 2 3), a quadrilateral over the
// same corners at z = 1 (2), and a triangle at z = 2 (3) beside them.
Movie_Ptr Layers() {
  const float xyz[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0,  0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1,
                       0, 0, 2, 1, 0, 2, 0, 1, 2};
  const int tri[] = {0, 1, 2, 0, 2, 3};
  Movie_Ptr m(Host_Movie_Create(11, xyz, 2, 3, tri));
  // Grow the polygon array by hand: the quadrilateral and the top triangle.
  auto* polys = new Host_Movie_Polygon[4];
  polys[0] = m->polys[0];
  polys[1] = m->polys[1];
  polys[2].count = 4;
  const int quad[] = {4, 5, 6, 7};
  std::copy(quad, quad + 4, polys[2].index);
  const int top[] = {8, 9, 10};
  std::copy(top, top + 3, polys[3].index);
  delete[] m->polys;
  m->polys = polys;
  m->poly_count = 4;
  Host_Movie_Init_Norm(m.get());
  Host_Movie_Init_Dim(m.get());
  return m;
}

TEST(GEMS_Surface, LineBoxTestFollowsTheRayNotTheLine) {
  Movie_Ptr m = Layers();  // box [0, 1] x [0, 1] x [0, 2]
  struct Case { const char* why; Point_3D a, b; uint8_t hit; };
  const Case cases[] = {
      {"straight through", P3(0.5f, 0.5f, -5), P3(0.5f, 0.5f, -4), 1},
      {"starting inside, any direction", P3(0.5f, 0.5f, 1), P3(9, 9, 9), 1},
      {"box behind the start", P3(0.5f, 0.5f, 5), P3(0.5f, 0.5f, 6), 0},
      {"still on x, outside its slab", P3(2, 0.5f, -5), P3(2, 0.5f, -4), 0},
      {"still on x, inside its slab", P3(1, 0.5f, -5), P3(1, 0.5f, -4), 1},
      {"passes beside the box", P3(-1, 3, 1), P3(0, 4, 1), 0},
      {"crosses a corner diagonally", P3(-1, -1, 1), P3(0, 0, 1), 1},
  };
  for (const Case& c : cases) EXPECT_EQ(GEMS_3D_Intersect_Line_Box(c.a, c.b, m.get()), c.hit) << c.why;
}

TEST(GEMS_Surface, SegmentPlaneHitsOnlyBetweenTheEnds) {
  const Point_3D n = P3(0, 0, 1);
  const float d = -2;  // the plane z = 2
  Point_3D out;
  EXPECT_FLOAT_EQ(GEMS_3D_Intersect_Segment_Plane(P3(1, 1, 0), P3(1, 1, 4), n, &d, &out), 0.5f);
  EXPECT_EQ(out, P3(1, 1, 2));
  EXPECT_FLOAT_EQ(GEMS_3D_Intersect_Segment_Plane(P3(0, 0, 0), P3(0, 0, 2), n, &d, nullptr), 1.0f);
  EXPECT_EQ(GEMS_3D_Intersect_Segment_Plane(P3(0, 0, 0), P3(0, 0, 1), n, &d, nullptr), GEMS_NO_HIT);
  EXPECT_EQ(GEMS_3D_Intersect_Segment_Plane(P3(0, 0, 3), P3(0, 0, 5), n, &d, nullptr), GEMS_NO_HIT);
  EXPECT_EQ(GEMS_3D_Intersect_Segment_Plane(P3(0, 0, 0), P3(5, 0, 0), n, &d, nullptr), GEMS_NO_HIT);
  Host_Report_Capture cap;
  EXPECT_EQ(GEMS_3D_Intersect_Segment_Plane(P3(0, 0, 0), P3(0, 0, 4), n, nullptr, nullptr), GEMS_NO_HIT);
  EXPECT_EQ(cap.Count(quarn::msg::Invalid), 1u);
}

TEST(GEMS_Surface, LinePolygonTestsTheTrianglesOfEachPolygon) {
  Movie_Ptr m = Layers();
  struct Case { const char* why; int polygon; Point_3D a, b; float t; };
  const Case cases[] = {
      {"first triangle", 0, P3(0.8f, 0.2f, -1), P3(0.8f, 0.2f, 0), 1},
      {"beside it, in its plane's other half", 0, P3(0.2f, 0.8f, -1), P3(0.2f, 0.8f, 0), GEMS_NO_HIT},
      {"on the shared diagonal: both triangles", 0, P3(0.5f, 0.5f, -1), P3(0.5f, 0.5f, 1), 0.5f},
      {"on the shared diagonal: both triangles", 1, P3(0.5f, 0.5f, -1), P3(0.5f, 0.5f, 1), 0.5f},
      {"quadrilateral, first triangle", 2, P3(0.8f, 0.2f, 0), P3(0.8f, 0.2f, 0.5f), 2},
      {"quadrilateral, second triangle (3rd, 4th, 1st)", 2, P3(0.2f, 0.8f, 0), P3(0.2f, 0.8f, 0.5f), 2},
      {"a hit behind the start keeps its negative parameter", 3, P3(0.1f, 0.1f, 3), P3(0.1f, 0.1f, 4), -1},
      {"parallel to the plane", 0, P3(0, 0, 1), P3(1, 1, 1), GEMS_NO_HIT},
  };
  for (const Case& c : cases) {
    const Host_Movie_Polygon* p = &m->polys[c.polygon];
    EXPECT_FLOAT_EQ(GEMS_3D_Intersect_Line_Polygon(m.get(), c.a, c.b, p, nullptr), c.t) << c.why;
    const Point_3D dir(c.a.code, c.b.x - c.a.x, c.b.y - c.a.y, c.b.z - c.a.z);
    EXPECT_FLOAT_EQ(GEMS_3D_Intersect_Ray_Polygon(m.get(), c.a, dir, p, nullptr), c.t) << c.why;
  }
  // A miss still gives the point where the line meets the plane.
  Point_3D out;
  GEMS_3D_Intersect_Line_Polygon(m.get(), P3(3, 3, -1), P3(3, 3, 0), &m->polys[0], &out);
  EXPECT_EQ(out, P3(3, 3, 0));
  // Five corners, or a node outside the surface: never a hit.
  Host_Movie_Polygon bad = m->polys[0];
  bad.count = 5;
  EXPECT_EQ(GEMS_3D_Intersect_Line_Polygon(m.get(), P3(0.8f, 0.2f, -1), P3(0.8f, 0.2f, 0), &bad, nullptr), GEMS_NO_HIT);
  bad.count = 3;
  bad.index[2] = 99;
  EXPECT_EQ(GEMS_3D_Intersect_Line_Polygon(m.get(), P3(0.8f, 0.2f, -1), P3(0.8f, 0.2f, 0), &bad, nullptr), GEMS_NO_HIT);
}

TEST(GEMS_Surface, LineGeomKeepsTheNearestHitAheadAndTheLowestIndexOnTies) {
  Movie_Ptr m = Layers();
  Quarn_3D_Geom geom(nullptr, nullptr, 0);
  geom.movie = m.get();
  Point_3D hit;
  int poly = -1;
  // From below: the square at z = 0 (triangle 0 and 1 tie on the diagonal: 0 wins).
  EXPECT_FLOAT_EQ(GEMS_3D_Intersect_Line_Geom(P3(0.5f, 0.5f, -1), P3(0.5f, 0.5f, 0), &geom, &hit, &poly), 1);
  EXPECT_EQ(poly, 0);
  EXPECT_EQ(hit, P3(0.5f, 0.5f, 0));
  // From between the layers going up: z = 0 lies behind (t < 0) and is ignored.
  EXPECT_FLOAT_EQ(GEMS_3D_Intersect_Line_Geom(P3(0.2f, 0.2f, 0.5f), P3(0.2f, 0.2f, 1), &geom, &hit, &poly), 1);
  EXPECT_EQ(poly, 2);
  // Missing the box leaves the outputs as they were.
  hit = P3(7, 7, 7);
  poly = 42;
  EXPECT_EQ(GEMS_3D_Intersect_Line_Geom(P3(5, 5, -1), P3(5, 5, 0), &geom, &hit, &poly), GEMS_NO_HIT);
  EXPECT_EQ(poly, 42);
  EXPECT_EQ(hit, P3(7, 7, 7));
  // Hits farther than 1e9 along the line count as none.
  EXPECT_EQ(GEMS_3D_Intersect_Line_Geom(P3(0.5f, 0.5f, -1), P3(0.5f, 0.5f, -1 + 1e-10f), &geom, &hit, &poly),
            GEMS_NO_HIT);
  geom.movie = nullptr;
  EXPECT_EQ(GEMS_3D_Intersect_Line_Geom(P3(0.5f, 0.5f, -1), P3(0.5f, 0.5f, 0), &geom, &hit, &poly), GEMS_NO_HIT);
}

}  // namespace
