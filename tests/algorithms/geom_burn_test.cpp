// Burning surfaces into tag layers: a sphere through axial and sagittal phantom series tags the
// analytic cross-section disc of every frame it crosses (one pixel of slack at the rim), as one
// undo command; bad surfaces and selections burn nothing and end quietly.
#include "algorithms/Geom_Host.h"

#include <cmath>
#include <functional>
#include <limits>

namespace geom_test {
namespace {

constexpr uint8_t Burnt = 9;
constexpr int Columns = 40, Rows = 40, Slices = 36;
// Off the pixel grid, so that no centre lies exactly on the rim.
constexpr float Cx = 20.3f, Cy = 19.6f, Cz = 17.4f, Radius = 11.2f;

/// A fine sphere: its facets lie within a few thousandths of a millimetre of the true sphere.
mesh_shapes::Movie_Ptr Ball() { return mesh_shapes::Sphere(96, 192, Radius, Cx, Cy, Cz); }

Host_Image_Layout Axial() { return Host_Image_Layout(); }

/// Slices along x; columns run along y and rows along z.
Host_Image_Layout Sagittal() {
  Host_Image_Layout l;
  l.dir_row = Vec4(0.0f, 1.0f, 0.0f, 0.0f);
  l.dir_col = Vec4(0.0f, 0.0f, 1.0f, 0.0f);
  return l;
}

/// Pixels that disagree with the disc of the sphere's cross-section: a tagged pixel farther than
/// one pixel outside the disc or an untagged one more than one pixel inside. (u, v) is the
/// pixel's position in the plane and w the plane's distance from the centre, all in mm.
int Disc_Faults(const Series& s, int slice, float w, float cu, float cv) {
  const float rho2 = Radius * Radius - w * w;
  const float rho = rho2 > 0 ? std::sqrt(rho2) : -1.0f;
  int faults = 0;
  for (int y = 0; y < s.frames[slice]->height; ++y)
    for (int x = 0; x < s.frames[slice]->width; ++x) {
      const float d = std::hypot(float(x) - cu, float(y) - cv);
      const bool tagged = s.Tag(slice, x, y) == Burnt;
      if ((tagged && d > rho + 1) || (!tagged && d < rho - 1)) ++faults;
    }
  return faults;
}

class Geom_Burn : public Geom_Host {};

TEST_F(Geom_Burn, SphereTagsTheCrossSectionDiscOfEveryFrameAndUndoRemovesIt) {
  Series& axial = Add_Series(L"/phantom/axial", Columns, Rows, Slices, Axial());
  Series& sagittal = Add_Series(L"/phantom/sagittal", Rows, Slices, Columns, Sagittal());
  Add(Ball(), Burnt);
  ASSERT_EQ(Fct_Geom_Burn_Tags(nullptr), 1);

  int crossed = 0, total = 0;
  for (int z = 0; z < Slices; ++z) {
    EXPECT_EQ(Disc_Faults(axial, z, float(z) - Cz, Cx, Cy), 0) << "axial slice " << z;
    crossed += axial.Count(z, Burnt) > 0;
    total += axial.Count(z, Burnt);
  }
  // Frames of another orientation get their own cross-section: columns are y, rows are z.
  for (int x = 0; x < Columns; ++x) EXPECT_EQ(Disc_Faults(sagittal, x, float(x) - Cx, Cy, Cz), 0) << "sagittal " << x;
  // Slices 7 to 28 lie within the radius of 17.4; the volume is about that of the ball.
  EXPECT_EQ(crossed, 22);
  EXPECT_NEAR(total, 4.0 / 3.0 * M_PI * Radius * Radius * Radius, 0.03 * 4.0 / 3.0 * M_PI * Radius * Radius * Radius);

  ASSERT_EQ(Undo_Undo_Enable(), 1) << "the whole burn is one command";
  ASSERT_GE(Undo_Undo_Command(), 1);
  for (int z = 0; z < Slices; ++z) EXPECT_EQ(axial.Count(z, Burnt), 0) << "slice " << z;
  for (int x = 0; x < Columns; ++x) EXPECT_EQ(sagittal.Count(x, Burnt), 0) << "sagittal " << x;
}

TEST_F(Geom_Burn, ModelMatrixMovesWhatIsBurnt) {
  Series& axial = Add_Series(L"/phantom/axial", Columns, Rows, Slices, Axial());
  // The sphere built around the origin, put in place by its model matrix (row 3: translation).
  Quarn_3D_Geom* g = Add(mesh_shapes::Sphere(96, 192, Radius), Burnt);
  g->transfo[0].m[3][0] = Cx;
  g->transfo[0].m[3][1] = Cy;
  g->transfo[0].m[3][2] = Cz;
  ASSERT_EQ(Fct_Geom_Burn_Tags(L"surface*"), 1);
  for (int z = 0; z < Slices; ++z) EXPECT_EQ(Disc_Faults(axial, z, float(z) - Cz, Cx, Cy), 0) << "slice " << z;
}

TEST_F(Geom_Burn, OnlySelectedSurfacesMatchingTheTemplateAreBurnt) {
  Series& axial = Add_Series(L"/phantom/axial", Columns, Rows, Slices, Axial());
  Quarn_3D_Geom* left = Add(mesh_shapes::Sphere(24, 48, 5, 10, 10, 10), 3, L"/mesh/left.stl");
  Quarn_3D_Geom* right = Add(mesh_shapes::Sphere(24, 48, 5, 30, 30, 10), 4, L"/mesh/right.stl");
  Add(mesh_shapes::Sphere(24, 48, 5, 10, 30, 10), 5, L"/mesh/hidden.stl")->Flag_Set_Off(0x10, Window(), 0x200);
  ASSERT_EQ(left->Name_Get(), std::wstring(L"left"));
  EXPECT_EQ(Fct_Geom_Burn_Tags(L"r*"), 1);
  EXPECT_EQ(axial.Tag(10, 10, 10), 0);
  EXPECT_EQ(axial.Tag(10, 30, 30), 4);
  EXPECT_EQ(Fct_Geom_Burn_Tags(nullptr), 2) << "the unselected surface is never burnt";
  EXPECT_EQ(axial.Tag(10, 10, 10), 3);
  EXPECT_EQ(axial.Tag(10, 10, 30), 0);
  EXPECT_EQ(Fct_Geom_Burn_Tags(L"nothing*"), 0);
  (void)right;
}

/// A surface made bad by one change after it was built.
using Spoil = std::function<void(Host_Movie_Record*)>;

TEST_F(Geom_Burn, BadSurfacesBurnNothingAndArePickedNowhere) {
  struct Row {
    const char* why;
    Spoil spoil;
    uint8_t tag;
    bool picked;  // a sound surface under the window's centre
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Row rows[] = {
      // Nodes but no polygons: nothing encloses any pixel.
      {"no polygons", [](Host_Movie_Record* m) { m->poly_count = 0; }, Burnt, false},
      // Polygons have three or four corners; a fifth is refused, not read past the corner array.
      {"five corners", [](Host_Movie_Record* m) { m->polys[7].count = 5; }, Burnt, false},
      // A corner naming a node that does not exist.
      {"missing node", [](Host_Movie_Record* m) { m->polys[3].index[1] = m->node_count; }, Burnt, false},
      // A node that is not a number would poison the grid and the slices.
      {"NaN node", [nan](Host_Movie_Record* m) { m->nodes[5].pos.y = nan; }, Burnt, false},
      // An infinite node likewise.
      {"infinite node", [](Host_Movie_Record* m) { m->nodes[0].pos.z = INFINITY; }, Burnt, false},
      // Tag 0 is no tag: burning it would erase; the surface itself is sound.
      {"tag 0", [](Host_Movie_Record*) {}, 0, true},
  };
  Series& axial = Add_Series(L"/phantom/axial", Columns, Rows, Slices, Axial());
  Window()->width = Window()->height = 100;
  Window()->view_b.init();
  Window()->view_c.init();
  for (const Row& row : rows) {
    mesh_shapes::Movie_Ptr ball = mesh_shapes::Sphere(12, 24, 0.5f);  // around the origin: in view
    row.spoil(ball.get());
    Quarn_3D_Geom* g = Add(std::move(ball), row.tag);
    Fct_Geom_Burn_Tags(nullptr);
    for (int z = 0; z < Slices; ++z) ASSERT_EQ(axial.Count(z, row.tag), row.tag ? 0 : Columns * Rows) << row.why;
    Point_3D hit(2, 7, 7, 7);
    EXPECT_EQ(Fct_Geom_Intersect(Window(), Point_2D(8, 52, 51), &hit, nullptr), row.picked ? g : nullptr) << row.why;
    if (!row.picked) {
      EXPECT_EQ(hit.x, 7) << row.why << ": a miss leaves the output alone";
    }
    g->Flag_Set_Off(0x10, Window(), 0x200);
  }
}

TEST_F(Geom_Burn, NothingToBurnIsAnsweredWithZero) {
  Add_Series(L"/phantom/axial", Columns, Rows, Slices, Axial());
  EXPECT_EQ(Fct_Geom_Burn_Tags(nullptr), 0) << "no surface at all";
  *Var<Quarn_Window*>(L"$WINDOW_CUR") = nullptr;
  Add(Ball(), Burnt);
  EXPECT_EQ(Fct_Geom_Burn_Tags(nullptr), 0) << "no current window: nothing is selected";
}

}  // namespace
}  // namespace geom_test
