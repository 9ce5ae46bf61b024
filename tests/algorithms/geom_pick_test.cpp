// Picking surfaces from window points: Fct_Geom_Intersect against a reference that projects every
// triangle into the window (no inverse matrices, no grid) and keeps the nearest one under the
// point; turned views, model matrices, several surfaces, quadrilaterals, hidden surfaces.
#include "algorithms/Geom_Host.h"

#include <cmath>
#include <random>

namespace geom_test {
namespace {

constexpr int Width = 200, Height = 160;
/// Window points this close (in barycentric weight) to a triangle's edge are skipped: there the
/// two neighbours tie and either answer is right.
constexpr double Edge_Slack = 1e-4;

struct Reference_Hit {
  Quarn_3D_Geom* geom = nullptr;
  int polygon = -1;
  double point[3] = {0, 0, 0};
  bool near_edge = false;
};

/// Row-vector transform with division by w.
void Transform(const Mat4& m, const double p[3], double out[4]) {
  for (int k = 0; k < 4; ++k) out[k] = p[0] * m.m[0][k] + p[1] * m.m[1][k] + p[2] * m.m[2][k] + m.m[3][k];
  for (int k = 0; k < 3; ++k) out[k] /= out[3];
}

/// The nearest polygon under window point (px, py) over the selected surfaces, found by projecting
/// every corner to normalised device coordinates and testing the point in 2D there.
Reference_Hit Reference(Quarn_Window* w, const std::vector<Quarn_3D_Geom*>& geoms, double px, double py) {
  const double u = 2 * px / w->width - 1, v = 2 * py / w->height - 1;
  const Mat4 view = w->view_b * w->view_c;
  Reference_Hit best;
  double best_depth = 2;
  for (Quarn_3D_Geom* g : geoms) {
    if (!g->Flag_Get_Bit(0x10, w, 0x200) || g->Class_B_Get() == 0) continue;
    const Mat4 full = g->transfo[0] * view;
    const Host_Movie_Record& m = *g->movie;
    for (int i = 0; i < m.poly_count; ++i) {
      const Host_Movie_Polygon& p = m.polys[i];
      for (int half = 0; half + 2 < p.count; ++half) {
        const int c[3] = {p.index[0], p.index[half + 1], p.index[half + 2]};
        double s[3][4], patient[3][3];
        for (int k = 0; k < 3; ++k) {
          const Vec4& n = m.nodes[c[k]].pos;
          const double q[3] = {n.x, n.y, n.z};
          Transform(full, q, s[k]);
          double pp[4];
          Transform(g->transfo[0], q, pp);
          for (int a = 0; a < 3; ++a) patient[k][a] = pp[a];
        }
        const double det = (s[1][0] - s[0][0]) * (s[2][1] - s[0][1]) - (s[2][0] - s[0][0]) * (s[1][1] - s[0][1]);
        if (std::fabs(det) < 1e-15) continue;
        const double b1 = ((u - s[0][0]) * (s[2][1] - s[0][1]) - (s[2][0] - s[0][0]) * (v - s[0][1])) / det;
        const double b2 = ((s[1][0] - s[0][0]) * (v - s[0][1]) - (u - s[0][0]) * (s[1][1] - s[0][1])) / det;
        const double b0 = 1 - b1 - b2;
        if (b0 < -Edge_Slack || b1 < -Edge_Slack || b2 < -Edge_Slack) continue;
        const double depth = b0 * s[0][2] + b1 * s[1][2] + b2 * s[2][2];
        if (depth < -1 || depth >= best_depth) continue;
        best_depth = depth;
        best.geom = g;
        best.polygon = i;
        best.near_edge = b0 < Edge_Slack || b1 < Edge_Slack || b2 < Edge_Slack;
        for (int a = 0; a < 3; ++a) best.point[a] = b0 * patient[0][a] + b1 * patient[1][a] + b2 * patient[2][a];
      }
    }
  }
  return best;
}

class Geom_Pick : public Geom_Host {
protected:
  void SetUp() override {
    Geom_Host::SetUp();
    Window()->width = Width;
    Window()->height = Height;
  }
  /// An orthographic view of the cube of half size h around (cx, cy, cz), turned by angle about x.
  void View(double cx, double cy, double cz, double h, double angle) {
    Mat4& b = Window()->view_b;
    b.init();
    b.m[3][0] = -cx, b.m[3][1] = -cy, b.m[3][2] = -cz;
    Mat4 turn;
    turn.init();
    turn.m[1][1] = std::cos(angle), turn.m[1][2] = std::sin(angle);
    turn.m[2][1] = -std::sin(angle), turn.m[2][2] = std::cos(angle);
    b = b * turn;
    Mat4& c = Window()->view_c;
    c.init();
    c.m[0][0] = 1 / h, c.m[1][1] = 1 / h, c.m[2][2] = 1 / h;
  }
  /// Picks at count random window points and compares each with the reference; returns the hits.
  int Compare(const std::vector<Quarn_3D_Geom*>& geoms, int count, const char* what) {
    std::mt19937 rng(20261207);
    std::uniform_real_distribution<double> x(0, Width), y(0, Height);
    int hits = 0;
    for (int i = 0; i < count; ++i) {
      const double px = x(rng), py = y(rng);
      const Reference_Hit r = Reference(Window(), geoms, px, py);
      if (r.near_edge) continue;
      Point_3D hit(2, -1, -1, -1);
      int polygon = -7;
      Quarn_3D_Geom* g = Fct_Geom_Intersect(Window(), Point_2D(8, float(px), float(py)), &hit, &polygon);
      EXPECT_EQ(g, r.geom) << what << " at " << px << ", " << py;
      if (!g || g != r.geom) continue;
      ++hits;
      EXPECT_EQ(polygon, r.polygon) << what;
      EXPECT_NEAR(hit.x, r.point[0], 1e-3) << what;
      EXPECT_NEAR(hit.y, r.point[1], 1e-3) << what;
      EXPECT_NEAR(hit.z, r.point[2], 1e-3) << what;
      EXPECT_EQ(hit.code, 2) << what;
    }
    return hits;
  }
};

TEST_F(Geom_Pick, AgreesWithTheProjectedReference) {
  struct Row {
    const char* why;
    double angle;     // view turned about x
    bool move_model;  // surface placed by a turned and shifted model matrix
  };
  const Row rows[] = {
      {"straight view", 0, false},
      {"view turned 60 degrees", M_PI / 3, false},
      {"model matrix turned and shifted", 0.4, true},
  };
  for (const Row& row : rows) {
    Quarn_3D_Geom* torus = Add(mesh_shapes::Torus(48, 24, 8, 3), 1);
    if (row.move_model) {
      Mat4& m = torus->transfo[0];
      m.m[0][0] = std::cos(1.1), m.m[0][2] = std::sin(1.1);
      m.m[2][0] = -std::sin(1.1), m.m[2][2] = std::cos(1.1);
      m.m[3][0] = 2, m.m[3][1] = -1, m.m[3][2] = 3;
    }
    View(row.move_model ? 2 : 0, row.move_model ? -1 : 0, row.move_model ? 3 : 0, 14, row.angle);
    EXPECT_GT(Compare({torus}, 600, row.why), 150) << row.why;
    torus->Flag_Set_Off(0x10, Window(), 0x200);
  }
}

TEST_F(Geom_Pick, NearestOfSeveralSurfacesWinsAndHiddenOnesAreSkipped) {
  View(0, 0, 0, 20, 0);
  Quarn_3D_Geom* back = Add(mesh_shapes::Sphere(16, 32, 9, 0, 0, 6), 1, L"/mesh/back.stl");
  Quarn_3D_Geom* front = Add(mesh_shapes::Sphere(16, 32, 5, 3, 2, -6), 2, L"/mesh/front.stl");
  EXPECT_GT(Compare({back, front}, 400, "two spheres"), 50);
  // Render mode 0 (not drawn) and a surface not selected in the window are not picked.
  front->Class_B_Set(0);
  EXPECT_EQ(Fct_Geom_Intersect(Window(), Point_2D(8, 100 + 3 * 5, 80 + 2 * 4), nullptr, nullptr), back);
  back->Flag_Set_Off(0x10, Window(), 0x200);
  EXPECT_EQ(Fct_Geom_Intersect(Window(), Point_2D(8, 100, 80), nullptr, nullptr), nullptr);
}

TEST_F(Geom_Pick, QuadrilateralsArePickedWithoutAGrid) {
  // A box of six quadrilateral faces, 8 mm wide, turned so that three faces show.
  const std::vector<float> xyz = {-4, -4, -4, 4, -4, -4, 4, 4, -4, -4, 4, -4,
                                  -4, -4, 4,  4, -4, 4,  4, 4, 4,  -4, 4, 4};
  const std::vector<int> quads = {0, 3, 2, 1, 4, 5, 6, 7, 0, 1, 5, 4, 1, 2, 6, 5, 2, 3, 7, 6, 3, 0, 4, 7};
  Quarn_3D_Geom* box = Add(Host_Movie_Create(8, xyz.data(), 6, 4, quads.data()), 1);
  View(0, 0, 0, 10, 0.5);
  EXPECT_GT(Compare({box}, 400, "box of quadrilaterals"), 100);
  EXPECT_EQ(box->grid, nullptr) << "the grid lists triangles only";
}

TEST_F(Geom_Pick, GridIsBuiltOnceAndDroppedWhenTheNodesMove) {
  View(0, 0, 0, 20, 0);
  Quarn_3D_Geom* ball = Add(mesh_shapes::Sphere(16, 32, 9), 1);
  ASSERT_EQ(Fct_Geom_Intersect(Window(), Point_2D(8, 103, 82), nullptr, nullptr), ball);
  const DDDAs* grid = ball->grid;
  ASSERT_NE(grid, nullptr);
  ASSERT_EQ(Fct_Geom_Intersect(Window(), Point_2D(8, 104, 82), nullptr, nullptr), ball);
  EXPECT_EQ(ball->grid, grid);
  // Moving every node 30 mm along x takes the surface out from under the window's centre.
  for (int i = 0; i < ball->movie->node_count; ++i) ball->movie->nodes[i].disp = Vec4(30.0f, 0.0f, 0.0f, 0.0f);
  ball->movie->flags |= HOST_MOVIE_DISPLACED;
  ASSERT_EQ(ball->Update_A(GEOM_UPDATE_NODES), 1);
  EXPECT_EQ(ball->grid, nullptr);
  EXPECT_EQ(Fct_Geom_Intersect(Window(), Point_2D(8, 100, 80), nullptr, nullptr), nullptr);
}

TEST_F(Geom_Pick, BadWindowsPickNothing) {
  Add(mesh_shapes::Sphere(16, 32, 9), 1);
  View(0, 0, 0, 20, 0);
  struct Row {
    const char* why;
    void (*spoil)(Quarn_Window*);
  };
  const Row rows[] = {
      // A window without size has no pixels to pick from.
      {"no size", [](Quarn_Window* w) { w->width = 0; }},
      // A flat view (all zero, as a new window has) cannot be inverted.
      {"singular view", [](Quarn_Window* w) { w->view_c = Mat4(); }},
  };
  for (const Row& row : rows) {
    Quarn_Window copy(0);
    copy = *Window();
    row.spoil(&copy);
    EXPECT_EQ(Fct_Geom_Intersect(&copy, Point_2D(8, 100, 80), nullptr, nullptr), nullptr) << row.why;
  }
  EXPECT_EQ(Fct_Geom_Intersect(nullptr, Point_2D(8, 100, 80), nullptr, nullptr), nullptr) << "no window";
}

TEST_F(Geom_Pick, NoSurfacesInTheTreeMeansNoHit) {
  View(0, 0, 0, 20, 0);
  int polygon = 42;
  EXPECT_EQ(Fct_Geom_Intersect(Window(), Point_2D(8, 100, 80), nullptr, &polygon), nullptr);
  EXPECT_EQ(polygon, 42);
  *Var<void*>(L"$DB_3D_ROOT_PT") = nullptr;
  EXPECT_EQ(Fct_Geom_Intersect(Window(), Point_2D(8, 100, 80), nullptr, &polygon), nullptr) << "no 3D root";
}

TEST_F(Geom_Pick, FindsSurfacesByExactName) {
  Add(mesh_shapes::Sphere(8, 16, 1), 1, L"/mesh/liver.stl");
  Quarn_3D_Geom* kidney = Add(mesh_shapes::Sphere(8, 16, 1), 1, L"/mesh/kidney.stl");
  EXPECT_EQ(Fct_Geom_Match_Name(L"kidney"), kidney);
  EXPECT_EQ(Fct_Geom_Match_Name(L"kid"), nullptr) << "no prefixes";
  EXPECT_EQ(Fct_Geom_Match_Name(L"kid*"), nullptr) << "no wild cards";
  EXPECT_EQ(Fct_Geom_Match_Name(nullptr), nullptr);
}

}  // namespace
}  // namespace geom_test
