// Deformed surfaces: node displacements shown through Update_A and made permanent by
// Fct_Geom_BurnIn as one undo command whose undo gives back every rest position and displacement
// bit for bit.
#include "algorithms/Geom_Host.h"

#include <cstring>
#include <random>

namespace geom_test {
namespace {

class Geom_Deform : public Geom_Host {
protected:
  /// Random displacements up to reach mm on every node, made active.
  static void Displace(Host_Movie_Record* m, float reach, uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-reach, reach);
    for (int i = 0; i < m->node_count; ++i) m->nodes[i].disp = Vec4(d(rng), d(rng), d(rng), 0.0f);
    m->flags |= HOST_MOVIE_DISPLACED;
  }
  static std::vector<Vec4> Rest(const Host_Movie_Record* m) {
    std::vector<Vec4> r;
    for (int i = 0; i < m->node_count; ++i) r.push_back(m->nodes[i].rest);
    return r;
  }
  static bool Same_Bits(const std::vector<Vec4>& a, const std::vector<Vec4>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
      if (std::memcmp(&a[i].x, &b[i].x, 3 * sizeof(float)) != 0) return false;
    return true;
  }
};

TEST_F(Geom_Deform, PermanentThenUndoneRestoresEveryVertexExactly) {
  struct Row {
    const char* why;
    float radius, cx, reach;
  };
  const Row rows[] = {
      // Small moves of a surface around the origin (coordinates near 0 move by more than themselves).
      {"around the origin", 10, 0, 0.7f},
      // Far from the origin, where float spacing is coarse.
      {"far from the origin", 40, 812.25f, 3.0f},
      // Moves as large as the surface.
      {"large moves", 5, 20, 5.0f},
  };
  for (const Row& row : rows) {
    Quarn_3D_Geom* g = Add(mesh_shapes::Sphere(24, 48, row.radius, row.cx, -row.cx / 2, 7), 1);
    const std::vector<Vec4> before = Rest(g->movie);
    Displace(g->movie, row.reach, 7);
    ASSERT_EQ(g->Update_A(GEOM_UPDATE_NODES), 1);
    std::vector<Vec4> shown;
    for (int i = 0; i < g->movie->node_count; ++i) shown.push_back(g->movie->nodes[i].pos);

    ASSERT_EQ(Fct_Geom_BurnIn(nullptr), 1) << row.why;
    EXPECT_TRUE(Same_Bits(Rest(g->movie), shown)) << row.why << ": the shown shape becomes the rest shape";
    EXPECT_FALSE(g->movie->flags & HOST_MOVIE_DISPLACED) << row.why;
    EXPECT_EQ(g->movie->nodes[3].disp.x, 0) << row.why;

    ASSERT_GE(Undo_Undo_Command(), 1) << row.why;
    EXPECT_TRUE(Same_Bits(Rest(g->movie), before)) << row.why << ": undo gives back every rest position";
    EXPECT_TRUE(g->movie->flags & HOST_MOVIE_DISPLACED) << row.why << ": and the deformation";
    ASSERT_EQ(g->Update_A(GEOM_UPDATE_NODES), 1);
    for (int i = 0; i < g->movie->node_count; ++i)
      ASSERT_EQ(std::memcmp(&g->movie->nodes[i].pos.x, &shown[size_t(i)].x, 3 * sizeof(float)), 0) << row.why;
    ASSERT_GE(Undo_Redo_Command(), 1) << row.why;
    EXPECT_TRUE(Same_Bits(Rest(g->movie), shown)) << row.why << ": redo burns in again";
    g->Flag_Set_Off(0x10, Window(), 0x200);  // the next row burns its own surface only
  }
}

TEST_F(Geom_Deform, BurningInTwiceLeavesTheSurfaceWhereTheFirstPutIt) {
  Quarn_3D_Geom* g = Add(mesh_shapes::Sphere(12, 24, 6), 1);
  Displace(g->movie, 1.5f, 11);
  Fct_Geom_BurnIn(nullptr);
  const std::vector<Vec4> once = Rest(g->movie);
  Fct_Geom_BurnIn(nullptr);
  EXPECT_TRUE(Same_Bits(Rest(g->movie), once));
  EXPECT_EQ(Undo_Undo_Enable(), 1) << "a burn-in that moves nothing saves no command";
}

TEST_F(Geom_Deform, BurnInTakesOnlyMatchingSelectedSurfaces) {
  Quarn_3D_Geom* a = Add(mesh_shapes::Sphere(12, 24, 6), 1, L"/mesh/a.stl");
  Quarn_3D_Geom* b = Add(mesh_shapes::Sphere(12, 24, 6), 1, L"/mesh/b.stl");
  Displace(a->movie, 1, 1);
  Displace(b->movie, 1, 2);
  Fct_Geom_BurnIn(L"b*");
  EXPECT_TRUE(a->movie->flags & HOST_MOVIE_DISPLACED);
  EXPECT_FALSE(b->movie->flags & HOST_MOVIE_DISPLACED);
  a->Flag_Set_Off(0x10, Window(), 0x200);
  Fct_Geom_BurnIn(nullptr);
  EXPECT_TRUE(a->movie->flags & HOST_MOVIE_DISPLACED) << "not selected in the current window";
}

TEST_F(Geom_Deform, UpdateWithoutSurfaceOrBitDoesNothing) {
  Quarn_3D_Geom generic(nullptr, nullptr, 0);
  EXPECT_EQ(generic.Update_A(GEOM_UPDATE_NODES), 0);
  EXPECT_EQ(generic.fct_draw_geom[0], nullptr) << "nothing to draw without a surface";
  Quarn_3D_Geom* g = Add(mesh_shapes::Sphere(8, 16, 2), 1);
  EXPECT_NE(g->fct_draw_geom[0], nullptr);
  Displace(g->movie, 1, 3);
  const Vec4 before = g->movie->nodes[1].pos;
  EXPECT_EQ(g->Update_A(0x1), 1);
  EXPECT_EQ(g->movie->nodes[1].pos.x, before.x) << "other update bits leave the nodes alone";
}

TEST_F(Geom_Deform, ColourFollowsTheTagTable) {
  Quarn_3D_Geom* g = Add(mesh_shapes::Sphere(8, 16, 2), 0);
  g->Color_Set(10, 20, 30);
  EXPECT_EQ(g->Color_Get(), 10u | 20u << 8 | 30u << 16) << "tag 0 keeps its own colour";
  *Var<uint16_t>(L"$TAG_NB") = 2;
  g->TAG_Set(2);
  const uint32_t two = g->Color_Get();
  g->TAG_Set(3);
  EXPECT_EQ(g->Color_Get(), two) << "a tag past the table takes the last tag's colour";
}

}  // namespace
}  // namespace geom_test
