// Surfaces drawn in a 3D window: a lit sphere in front of a flat-shaded torus against a golden
// picture, and the render modes told apart by how much of the window they cover.
#include "algorithms/Mesh_Shapes.h"
#include "support/GL_Test.h"

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
  }
  void TearDown() override {
    *Var<void*>(L"$DB_3D_ROOT_PT") = nullptr;
    root_.Child_Delete();
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

  Quarn_Window window_{0};
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
