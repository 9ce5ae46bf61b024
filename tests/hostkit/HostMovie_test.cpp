// Surfaces: extents, polygon planes and node normals computed from the node positions.
#include <hostkit/HostMovie.h>
#include <hostkit/HostReport.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Movie_Deleter {
  void operator()(Host_Movie_Record* m) const { Host_Movie_Free(m); }
};
using Movie_Ptr = std::unique_ptr<Host_Movie_Record, Movie_Deleter>;

// A closed tetrahedron with counter-clockwise faces seen from outside.
const float kTetra[] = {0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4};
const int kFaces[] = {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3};

TEST(HostMovie, ExtentsCoverEveryNode) {
  Movie_Ptr m(Host_Movie_Create(4, kTetra, 4, 3, kFaces));
  ASSERT_TRUE(m);
  const float lo[3] = {0, 0, 0}, hi[3] = {2, 3, 4};
  for (int k = 0; k < 3; ++k) {
    EXPECT_FLOAT_EQ(m->box_min[k], lo[k]);
    EXPECT_FLOAT_EQ(m->box_max[k], hi[k]);
  }
  // Moving a node and recomputing follows the current positions, not the rest positions.
  m->nodes[1].pos.set(-5, 0, 0, 0);
  ASSERT_EQ(Host_Movie_Init_Dim(m.get()), 1);
  EXPECT_FLOAT_EQ(m->box_min[0], -5);
  EXPECT_FLOAT_EQ(m->box_max[0], 0);
  EXPECT_FLOAT_EQ(m->nodes[1].rest.x, 2);
}

TEST(HostMovie, PolygonPlanesPassThroughTheirCornersAndFaceOutward) {
  Movie_Ptr m(Host_Movie_Create(4, kTetra, 4, 3, kFaces));
  ASSERT_TRUE(m);
  const float centre[3] = {0.5f, 0.75f, 1.0f};  // inside
  for (int i = 0; i < m->poly_count; ++i) {
    const Host_Movie_Polygon& p = m->polys[i];
    const float* n = p.normal;
    EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0, 1e-5) << i;
    for (int k = 0; k < 3; ++k) {
      const Vec4& c = m->nodes[p.index[k]].pos;
      EXPECT_NEAR(n[0] * c.x + n[1] * c.y + n[2] * c.z + p.d, 0.0, 1e-5) << i;
    }
    EXPECT_LT(n[0] * centre[0] + n[1] * centre[1] + n[2] * centre[2] + p.d, 0) << i;
  }
  // The face in the plane z = 0 looks down.
  EXPECT_NEAR(m->polys[0].normal[2], -1, 1e-6);
  // The corner at the origin gets the sum of its three axis-aligned faces, weighted by area.
  Vec4 n0 = m->nodes[0].normal;
  EXPECT_NEAR(n0.norm(), 1, 1e-5);
  EXPECT_LT(n0.x, 0);
  EXPECT_LT(n0.y, 0);
  EXPECT_LT(n0.z, 0);
  // Face areas: 6 in x = 0, 4 in y = 0, 3 in z = 0.
  EXPECT_NEAR(n0.y / n0.x, 4.0 / 6.0, 1e-4);
  EXPECT_NEAR(n0.z / n0.x, 3.0 / 6.0, 1e-4);
}

TEST(HostMovie, BadSurfacesAreRefused) {
  const int out_of_range[] = {0, 1, 4};
  const int negative[] = {0, -1, 2};
  struct Case { const char* why; int nodes; const float* xyz; int polys, corners; const int* idx; };
  const Case cases[] = {
      {"node index past the last node", 4, kTetra, 1, 3, out_of_range},
      {"negative node index", 4, kTetra, 1, 3, negative},
      {"five corners", 4, kTetra, 1, 5, kFaces},
      {"negative count", -1, kTetra, 0, 3, kFaces},
      {"nodes without positions", 4, nullptr, 0, 3, kFaces},
  };
  for (const Case& c : cases) {
    Host_Report_Capture cap;
    EXPECT_EQ(Host_Movie_Create(c.nodes, c.xyz, c.polys, c.corners, c.idx), nullptr) << c.why;
    EXPECT_EQ(cap.Count(2), 2u) << c.why;
  }
}

TEST(HostMovie, QuadrilateralsAndDrawingWithoutOpenGL) {
  const float square[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  const int quad[] = {0, 1, 2, 3};
  Movie_Ptr m(Host_Movie_Create(4, square, 1, 4, quad));
  ASSERT_TRUE(m);
  EXPECT_EQ(m->polys[0].count, 4);
  EXPECT_NEAR(m->polys[0].normal[2], 1, 1e-6);
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(m->nodes[i].normal.z, 1, 1e-6);
  EXPECT_NE(m->refresh & HOST_MOVIE_REFRESH_NODES, 0u);
  EXPECT_NE(Host_Movie_Draw(m.get(), 1, 640, 480), 0);
  EXPECT_EQ(Host_Movie_Init_Dim(nullptr), 0);
  EXPECT_EQ(Host_Movie_Init_Norm(nullptr), 0);
}

}  // namespace
