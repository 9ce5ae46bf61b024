// Surfaces drawn in a 3D window: a lit sphere in front of a flat-shaded torus against a golden
// picture, a sphere crossing the slices of a series drawn at their patient positions, and the
// render modes told apart by how much of the window they cover.
#include "algorithms/Geom_Host.h"
#include "algorithms/Mesh_Shapes.h"
#include "support/GL_Test.h"

#include <algorithm>
#include <memory>

namespace {

using test_support::GL_Test;
using test_support::Image;

constexpr int Size = 128;
constexpr uint32_t Background = 0x202020;

class Geom_Draw : public GL_Test {
protected:
  void SetUp() override {
    GL_Test::SetUp();
    window_.width = window_.height = Size;
    window_.hwnd = Window(Size, Size);
    // An orthographic view of the cube of half size 12 around the origin, turned 0.5 about x,
    // depth reversed as an OpenGL projection does: the viewer looks from +z.
    window_.view_b.init();
    window_.view_b.m[1][1] = std::cos(0.5), window_.view_b.m[1][2] = std::sin(0.5);
    window_.view_b.m[2][1] = -std::sin(0.5), window_.view_b.m[2][2] = std::cos(0.5);
    window_.view_c.init();
    window_.view_c.m[0][0] = window_.view_c.m[1][1] = 1.0 / 12;
    window_.view_c.m[2][2] = -1.0 / 12;
    *Var<void*>(L"$DB_3D_ROOT_PT") = &root_;
    *Var<void*>(L"$DB_2D_ROOT_PT") = &root2d_;
  }
  void TearDown() override {
    *Var<void*>(L"$DB_3D_ROOT_PT") = nullptr;
    *Var<void*>(L"$DB_2D_ROOT_PT") = nullptr;
    root_.Child_Delete();
    root2d_.Child_Delete();  // frames go before the records they point into
    series_.reset();
    movies_.clear();
    GL_Test::TearDown();
  }
  /// A surface under the root, selected in the window, drawn lit in colour with render mode.
  Quarn_3D_Geom* Add(mesh_shapes::Movie_Ptr movie, uint32_t colour, int mode) {
    movie->flags |= HOST_MOVIE_LIT;
    auto* g = new Quarn_3D_Geom(&root_, nullptr, 0);
    g->movie = movie.get();
    g->fct_draw_geom[0] = &Class_Geom_Draw_Geom;
    g->Color_Set(colour);
    g->Class_B_Set(uint16_t(mode));
    g->Flag_Set_On(0x10, &window_, 0x200);
    root_.Child_Add(g);
    movies_.push_back(std::move(movie));
    return g;
  }
  Image Draw(int expected = 1) {
    EXPECT_EQ(OpenGL_Context_On(window_.hwnd, OPENGL_CONTEXT_BACK), 1);
    test_support::Clear(Background);
    EXPECT_EQ(Database_Geom_Draw(~0ull, &window_), expected);
    OpenGL_Context_Off(window_.hwnd, 0);
    return test_support::Read(window_.hwnd);
  }
  int Covered(const Image& picture) const { return Size * Size - picture.Count(Background); }

  /// A series of uniform slices under the 2D root, each selected in the window and drawn there
  /// in 3D by the frame's own drawing.
  geom_test::Series& Slices(int columns, int rows, int slices, const Host_Image_Layout& layout) {
    series_ = std::make_unique<geom_test::Series>(&root2d_, L"/phantom/slices", columns, rows, slices, layout);
    for (Quarn_2D_Frame* frame : series_->frames) {
      frame->fct_draw_3d[0] = &Class_Frame_Draw_3D;
      frame->Flag_Set_On(0x10, &window_, 0x200);
      frame->Redraw_Set_On(0x10, &window_, ~0ull);
    }
    return *series_;
  }
  /// The view turned about x, then about y (row vectors: the x turn applies first).
  void Turn(double about_x, double about_y) {
    Mat4 x, y;
    x.init(), y.init();
    x.m[1][1] = std::cos(about_x), x.m[1][2] = std::sin(about_x);
    x.m[2][1] = -std::sin(about_x), x.m[2][2] = std::cos(about_x);
    y.m[0][0] = std::cos(about_y), y.m[0][2] = -std::sin(about_y);
    y.m[2][0] = std::sin(about_y), y.m[2][2] = std::cos(about_y);
    window_.view_b = x * y;
  }
  /// The window pixel (column, row from the top) where the view puts a patient point.
  std::pair<int, int> Projected(float x, float y, float z) const {
    Vec4 p(x, y, z, 1.0f);
    p *= window_.view_b * window_.view_c;
    return {int((p.x + 1) / 2 * Size), int((1 - p.y) / 2 * Size)};
  }

  Quarn_Window window_{0};
  Quarn_2D_Root root2d_;
  std::unique_ptr<geom_test::Series> series_;
  Quarn_3D_Root root_;
  std::vector<mesh_shapes::Movie_Ptr> movies_;
};

TEST_F(Geom_Draw, LitSphereInFrontOfAFlatTorus) {
  Add(mesh_shapes::Torus(36, 18, 7, 2.5f), 0xC08040, 2);           // flat, light blue (0x00BBGGRR)
  Add(mesh_shapes::Sphere(24, 48, 4, 0, 0, 3), 0x3030E0, 3);       // smooth, red, nearer the viewer
  const Image picture = Draw();
  EXPECT_TRUE(test_support::Golden_Match(picture, "algorithms/golden/geom_lit.png", {6, 0.01}));
  // The sphere hides the torus' centre: the middle pixel is reddish.
  const uint8_t* centre = picture.At(Size / 2, Size / 2);
  EXPECT_GT(centre[0], 2 * centre[2]);
}

/// True for the amber of a frame's outline.
bool Outline_Colour(const uint8_t* p) { return p[0] > 200 && p[1] > 150 && p[1] < 240 && p[2] < 90; }

/// A 20 x 12 mm slice, off-centre so that a mirrored or transposed map lands elsewhere.
Host_Image_Layout Slice_Layout() {
  Host_Image_Layout l;
  l.position = Vec4(-10.0f, -5.0f, -4.0f, 0.0f);
  l.slice_spacing = 4;
  return l;
}

TEST_F(Geom_Draw, SphereCrossesTheSlicesAtTheirPatientPositions) {
  Slices(20, 12, 3, Slice_Layout());  // z = -4, 0, 4
  Add(mesh_shapes::Sphere(24, 48, 6), 0x3030E0, 3);
  // Seen steeply from above and from the side, the slices leave gaps the sphere shows through.
  Turn(1.1, 0.5);
  const Image picture = Draw();
  EXPECT_TRUE(test_support::Golden_Match(picture, "algorithms/golden/geom_slices.png", {6, 0.01}));
  // Where a slice cuts the sphere the sphere's red shows on one side and the slice on the other.
  int red = 0;
  for (int y = 0; y < Size; ++y)
    for (int x = 0; x < Size; ++x) red += picture.At(x, y)[0] > 2 * picture.At(x, y)[2] + 40;
  EXPECT_GT(red, 200);
}

TEST_F(Geom_Draw, FrameOutlineLiesWhereTheViewProjectsItsCorners) {
  Slices(20, 12, 1, Slice_Layout());
  // Outer pixel edges: x -10.5 ... 9.5, y -5.5 ... 6.5, at z = -4.
  const float points[][3] = {
      {-10.5f, 0.5f, -4},  // middle of the left edge
      {9.5f, 0.5f, -4},    // middle of the right edge
      {0.0f, -5.5f, -4},   // middle of the first row's edge
  };
  // The second view turns the scene about y as well, so both axes of the slice slant.
  for (const double about_y : {0.0, 0.7}) {
    Turn(0.5, about_y);
    const Image picture = Draw();
    for (const auto& p : points) {
      const auto [px, py] = Projected(p[0], p[1], p[2]);
      bool found = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          found |= Outline_Colour(picture.At(std::clamp(px + dx, 0, Size - 1), std::clamp(py + dy, 0, Size - 1)));
      EXPECT_TRUE(found) << "outline at (" << p[0] << ", " << p[1] << ", " << p[2] << ") -> pixel " << px << ", " << py;
    }
  }
}

TEST_F(Geom_Draw, RenderModesCoverTheWindowAsTheyShould) {
  // Coarse, so that the wire frame's lines leave most of the disc open.
  Quarn_3D_Geom* g = Add(mesh_shapes::Sphere(8, 12, 8), 0xFFFFFF, 3);
  const int filled = Covered(Draw());
  EXPECT_NEAR(filled, M_PI * (8.0 / 12 * Size / 2) * (8.0 / 12 * Size / 2), 0.1 * filled);
  g->Class_B_Set(1);
  const int wire = Covered(Draw());
  EXPECT_GT(wire, 0);
  EXPECT_LT(wire, filled * 3 / 4) << "a wire frame leaves the facets open";
  // Not selected in the window: at most a wire frame, whatever the render mode.
  g->Class_B_Set(3);
  g->Flag_Set_Off(0x10, &window_, 0x200);
  EXPECT_EQ(Covered(Draw()), wire);
  g->Class_B_Set(0);
  EXPECT_EQ(Covered(Draw()), 0) << "render mode 0 is not drawn";
}

TEST_F(Geom_Draw, DrawingTableRunsPlugInsBeforeTheSurface) {
  Quarn_3D_Geom* g = Add(mesh_shapes::Sphere(8, 16, 8), 0xFFFFFF, 3);
  static int calls = 0;
  calls = 0;
  // A slot that answers 2 keeps the built-in drawing from running.
  g->fct_draw_geom[5] = [](Quarn_3D_Geom*, uint64_t, Quarn_Window*, int, int) { return ++calls, 2; };
  EXPECT_EQ(Covered(Draw()), 0);
  EXPECT_EQ(calls, 1);
  g->fct_draw_geom[5] = [](Quarn_3D_Geom*, uint64_t, Quarn_Window*, int, int) { return ++calls, 0; };
  EXPECT_GT(Covered(Draw(0)), 0) << "a failing slot fails the table, the surface is still drawn";
  EXPECT_EQ(calls, 2);
}

}  // namespace
