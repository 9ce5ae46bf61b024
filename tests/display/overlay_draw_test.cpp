// Overlays on real contexts, compared with golden pictures: the tree-list glyphs, the shipped
// icons, markers of one and two layers with labels, gizmos textured and as outlines, labels and
// a lit sphere; and their behaviour: the marker table's states, pictures read once per window,
// unreadable pictures given up, the sphere's subdivision rule, the material, the clean-ups.
#include "support/GL_Test.h"

#include "display/Overlay_Internal.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace test_support;

constexpr uint32_t kBackground = 0x203040;
constexpr Tolerance kTolerance{8, 0.01};  // rasteriser rounding of smoothed lines and filtering
// Colours as the overlays take them: 0x00BBGGRR.
constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kYellow = 0x00FFFF, kWhite = 0xFFFFFF;

/// Projection in interface pixels: (0, 0) at the bottom left, y up, as the tree list draws.
void Interface_Projection(int width, int height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, 0, height, -100, 100);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

class OverlayDraw : public GL_Test {
protected:
  void SetUp() override {
    GL_Test::SetUp();
    Set_Icon_Path(std::string(QUARN_TEST_SOURCE_DIR) + "/../data/icons/");
  }
  void TearDown() override {
    OpenGL_Cleanup_Marker();
    OpenGL_Draw_Gizmo_Exit();
    quarn::Gizmo_Pictures_Reset();
    OpenGL_Icon_Cleanup();
    GL_Test::TearDown();
  }
  static void Set_Icon_Path(const std::string& folder) {
    wchar_t** slot = Var<wchar_t*>(L"$DEFAULT_ICON_PATH");
    std::free(*slot);
    *slot = wcsdup(std::wstring(folder.begin(), folder.end()).c_str());
  }
  /// Draws into a window's back buffer in interface pixels and reads the picture back.
  template <class Draw>
  Image Draw_In(int width, int height, Draw&& draw) {
    Host_Window w = Window(width, height);
    EXPECT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
    Interface_Projection(width, height);
    Clear(kBackground);
    glClear(GL_DEPTH_BUFFER_BIT);
    draw();
    OpenGL_Context_Off(w, 0);
    return Read(w);
  }
  /// Pixels of a colour within columns x0 ... x1 (all rows).
  static int Count_In(const Image& image, int x0, int x1, uint32_t rgb) {
    int n = 0;
    for (int y = 0; y < image.height; ++y)
      for (int x = x0; x <= x1; ++x) n += image.Rgb(x, y) == rgb;
    return n;
  }
};

TEST_F(OverlayDraw, GlyphsShowEachExpandStateTheNoChildSignAndTheSlider) {
  constexpr int kBox = 11, kStep = 16, kTop = 18;
  const Image picture = Draw_In(136, 24, [] {
    for (uint8_t state = 0; state < 4; ++state) OpenGL_Draw_PlusMinus(state, int16_t(4 + state * kStep), kTop, kBox, kBox);
    OpenGL_Draw_CircleSlash(4 + 4 * kStep, kTop, kBox, kBox);
    OpenGL_Draw_Slider(12, 4 + 5 * kStep, kTop + 2, 40, 14);
  });
  // Inside each box (outline left out): the minus has the fewest white pixels, the plus adds a
  // bar; the digit one and the ring are neither.
  int white[4];
  for (int s = 0; s < 4; ++s) white[s] = Count_In(picture, 4 + s * kStep + 1, 4 + s * kStep + kBox - 1, 0xFFFFFF);
  EXPECT_GT(white[0], 5);
  EXPECT_GT(white[1], white[0] + 5);
  EXPECT_NE(white[2], white[1]);
  // The ring is smoothed: light grey around a hollow centre, at (57, 12) in interface pixels.
  EXPECT_EQ(white[3], 0);
  EXPECT_EQ(picture.Rgb(57, 23 - 12), kBackground);
  EXPECT_GT(picture.At(60, 23 - 12)[0], 120);
  // The sign is red, smoothed too: reddish pixels, no green in them.
  int red = 0;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 4 + 4 * kStep - 1; x < 4 + 5 * kStep - 2; ++x) red += picture.At(x, y)[0] > 180 && picture.At(x, y)[1] < 80;
  EXPECT_GT(red, 20);
  // The knob: two white lines of the slider's height (one pixel of slack each for rounding).
  const int knob = Count_In(picture, 4 + 5 * kStep + 12, 4 + 5 * kStep + 15, 0xFFFFFF);
  EXPECT_GE(knob, 2 * 13);
  EXPECT_LE(knob, 2 * 15);
  EXPECT_TRUE(Golden_Match(picture, "display/golden/overlay/glyphs.png", kTolerance));
}

TEST_F(OverlayDraw, IconsOfTheTreeListAreDrawnFromTheShippedPictures) {
  const wchar_t* const names[] = {L"icon folder.tga", L"icon page.tga",  L"icon axial.tga", L"icon sagittal.tga",
                                  L"icon coronal.tga", L"icon oblique.tga", L"icon scout.tga", L"icon spectro.tga"};
  const Image picture = Draw_In(8 * 36 + 4, 40, [&] {
    for (int i = 0; i < 8; ++i) OpenGL_Draw_Icon(int16_t(4 + 36 * i), 36, 32, 32, names[i]);
  });
  // The folder is yellow in the middle; every icon covers the background somewhere.
  const uint8_t* folder = picture.At(4 + 16, 4 + 18);
  EXPECT_GT(folder[0], 200);
  EXPECT_GT(folder[1], 150);
  EXPECT_LT(folder[2], 120);
  for (int i = 0; i < 8; ++i) EXPECT_LT(Count_In(picture, 4 + 36 * i, 4 + 36 * i + 31, kBackground), 32 * 40 - 200) << i;
  EXPECT_TRUE(Golden_Match(picture, "display/golden/overlay/icons.png", kTolerance));
}

TEST_F(OverlayDraw, IconTextureIsSharedAndDeletedByTheCleanup) {
  Host_Window w = Window(40, 40);
  ASSERT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
  Interface_Projection(40, 40);
  OpenGL_Draw_Icon(0, 36, 32, 32, L"icon page.tga");
  GLint first = 0, second = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &first);
  OpenGL_Draw_Icon(0, 36, 32, 32, L"icon axial.tga");
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &second);
  EXPECT_NE(first, 0);
  EXPECT_EQ(first, second);
  EXPECT_TRUE(glIsTexture(GLuint(first)));
  OpenGL_Icon_Cleanup();
  EXPECT_FALSE(glIsTexture(GLuint(first)));
  // A missing picture draws nothing and says which file it missed.
  Host_Report_Capture capture;
  OpenGL_Draw_Icon(0, 36, 32, 32, L"icon none.tga");
  EXPECT_TRUE(capture.Contains("icon none.tga\" cannot be read: no such file"));
  OpenGL_Context_Off(w, 0);
}

TEST_F(OverlayDraw, MarkersOfOneAndTwoLayersTakeTheirColourAndLabel) {
  const Image picture = Draw_In(160, 48, [] {
    OpenGL_Draw_Marker(nullptr, kRed, Point_2D(0, 20.0f, 24.0f), 14, L"marker cross.tga", L"A");
    OpenGL_Draw_Marker(nullptr, kGreen, Point_2D(0, 100.0f, 24.0f), 14, L"marker pin.tga", L"Pin");
  });
  EXPECT_EQ(quarn::Marker_State(L"marker cross.tga"), 1);
  EXPECT_EQ(quarn::Marker_State(L"marker pin.tga"), 2);
  EXPECT_EQ(quarn::Marker_Count(), 2);
  // The cross is red, the pin green with white highlights from its second layer.
  EXPECT_GT(Count_In(picture, 6, 34, 0xFF0000), 30);
  EXPECT_GT(Count_In(picture, 86, 114, 0x00FF00), 30);
  EXPECT_GT(Count_In(picture, 86, 114, 0xFFFFFF), 4);
  EXPECT_EQ(Count_In(picture, 6, 34, 0xFFFFFF), 0);
  EXPECT_TRUE(Golden_Match(picture, "display/golden/overlay/markers.png", kTolerance));
}

// A marker without any readable picture is given up: later calls return at once without
// looking for its files again.
TEST_F(OverlayDraw, UnreadableMarkerIsGivenUpAndNeverTriedAgain) {
  Host_Window w = Window(32, 32);
  ASSERT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
  {
    Host_Report_Capture capture;
    OpenGL_Draw_Marker(nullptr, kRed, Point_2D(0, 16.0f, 16.0f), 8, L"marker none.tga", nullptr);
    EXPECT_TRUE(capture.Contains("marker none_1.tga\" cannot be read"));
    EXPECT_TRUE(capture.Contains("marker none_2.tga\" cannot be read"));
    EXPECT_TRUE(capture.Contains("<<< out Fct: OpenGL_Draw_Marker(! texture_valid)"));
  }
  EXPECT_EQ(quarn::Marker_State(L"marker none.tga"), quarn::MARKER_UNREADABLE);
  Host_Report_Capture again;
  OpenGL_Draw_Marker(nullptr, kRed, Point_2D(0, 16.0f, 16.0f), 8, L"marker none.tga", nullptr);
  EXPECT_FALSE(again.Contains("cannot be read"));
  EXPECT_TRUE(again.Contains("(! texture_valid)"));
  OpenGL_Context_Off(w, 0);
}

// A damaged single picture is not a marker either; the layer files are only looked for when
// the single picture is missing.
TEST_F(OverlayDraw, DamagedMarkerPictureIsReportedAndGivenUp) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quarn_overlay_markers";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "marker bad.tga", std::ios::binary) << std::string("\0\0\3\0\0\0\0\0\0\0\0\0\x20\0\x20\0\x08\0", 18);
  Set_Icon_Path(folder.string() + "/");
  Host_Window w = Window(32, 32);
  ASSERT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
  Host_Report_Capture capture;
  OpenGL_Draw_Marker(nullptr, kRed, Point_2D(0, 16.0f, 16.0f), 8, L"marker bad.tga", nullptr);
  EXPECT_TRUE(capture.Contains("marker bad.tga\" cannot be read: truncated TGA"));
  EXPECT_FALSE(capture.Contains("marker bad_1.tga"));
  EXPECT_EQ(quarn::Marker_State(L"marker bad.tga"), quarn::MARKER_UNREADABLE);
  OpenGL_Context_Off(w, 0);
  std::filesystem::remove_all(folder);
}

// The pictures are read once per window and context: a second draw in the same context reads
// nothing, a new context reads them again.
TEST_F(OverlayDraw, MarkerPicturesAreReadOncePerContext) {
  Set_Icon_Path(std::string(QUARN_TEST_SOURCE_DIR) + "/../data/icons/");
  Host_Window w = Window(32, 32);
  ASSERT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
  Interface_Projection(32, 32);
  OpenGL_Draw_Marker(nullptr, kRed, Point_2D(0, 16.0f, 16.0f), 8, L"marker pin.tga", nullptr);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  OpenGL_Draw_Marker(nullptr, kRed, Point_2D(0, 16.0f, 16.0f), 8, L"marker pin.tga", nullptr);
  GLint again = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &again);
  EXPECT_EQ(bound, again);  // same second-layer texture, not a new one
  OpenGL_Cleanup_Marker();
  EXPECT_EQ(quarn::Marker_Count(), 0);
  EXPECT_FALSE(glIsTexture(GLuint(bound)));
  OpenGL_Context_Off(w, 0);
}

TEST_F(OverlayDraw, GizmosTexturedAndAsOutlines) {
  const Image picture = Draw_In(180, 100, [] {
    const float x[] = {30, 90, 150};
    const std::array kinds{&OpenGL_Draw_Gizmo_Arrow, &OpenGL_Draw_Gizmo_Bump, &OpenGL_Draw_Gizmo_Target};
    for (int k = 0; k < 3; ++k) {
      kinds[k](nullptr, Point_2D(0, x[k], 75.0f), 0, 20, int(kWhite), 1);
      kinds[k](nullptr, Point_2D(0, x[k], 25.0f), 0, 20, int(kYellow), 0);
    }
  });
  EXPECT_TRUE(quarn::Gizmo_Tables_Ready());
  // The textured arrow points up like its outline: more of it lit near the bottom than the top.
  EXPECT_GT(Count_In(picture, 10, 50, 0xFFFFFF), 100);
  EXPECT_GT(Count_In(picture, 10, 50, 0xFFFF00), 30);
  EXPECT_TRUE(Golden_Match(picture, "display/golden/overlay/gizmos.png", kTolerance));
}

TEST_F(OverlayDraw, GizmoPictureThatCannotBeReadIsGivenUp) {
  Set_Icon_Path("/nonexistent/");
  Host_Window w = Window(32, 32);
  ASSERT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
  uint32_t texture = 7;
  {
    Host_Report_Capture capture;
    EXPECT_EQ(OpenGL_Draw_Gizmo_Read(&texture, "gizmo arrow.tga", 0), 0);
    EXPECT_EQ(texture, 0u);
    EXPECT_TRUE(capture.Contains("<<< out Fct: OpenGL_Draw_Gizmo_Read(! Host_Read_Icon_Image)"));
    OpenGL_Draw_Gizmo_Arrow(nullptr, Point_2D(0, 16.0f, 16.0f), 0, 10, 0, 1);
    EXPECT_TRUE(capture.Contains("gizmo arrow.tga\" cannot be read"));
  }
  Host_Report_Capture later;
  OpenGL_Draw_Gizmo_Arrow(nullptr, Point_2D(0, 16.0f, 16.0f), 0, 10, 0, 1);
  EXPECT_FALSE(later.Contains("cannot be read"));
  OpenGL_Draw_Gizmo_Exit();
  EXPECT_FALSE(quarn::Gizmo_Tables_Ready());
  OpenGL_Context_Off(w, 0);
}

TEST_F(OverlayDraw, LabelsAsTexturesAndAsRasterText) {
  const Image picture = Draw_In(200, 72, [] {
    OpenGL_Draw_Gizmo_Label(nullptr, L"Label 12", Point_2D(0, 8.0f, 44.0f), Point_2D(0, 0.0f, 0.0f), 0, 0, 22,
                            int(kWhite), 1);
    OpenGL_Draw_Gizmo_Data(nullptr, "3.5 mm", Point_2D(0, 110.0f, 44.0f), Point_2D(0, 0.0f, 0.0f), 0, 0, 18,
                           int(kYellow), 1);
    OpenGL_Draw_Gizmo_Data(nullptr, "raster", Point_2D(0, 8.0f, 10.0f), Point_2D(0, 4.0f, 0.0f), 0, 0, 18,
                           int(kGreen), 0);
    OpenGL_Draw_Gizmo_Label(nullptr, L"turned", Point_2D(0, 150.0f, 4.0f), Point_2D(0, 0.0f, 0.0f), 0.5f, 0, 16,
                            int(kRed), 1);
  });
  EXPECT_GT(Count_In(picture, 0, 100, 0xFFFFFF), 20);
  EXPECT_GT(Count_In(picture, 0, 60, 0x00FF00), 5);  // raster text is drawn unfiltered
  EXPECT_TRUE(Golden_Match(picture, "display/golden/overlay/labels.png", kTolerance));
}

TEST_F(OverlayDraw, LitSphereAndPointInTheThreeDView) {
  Quarn_Window view(1);
  view.width = view.height = 96;
  view.size_3d = 96;  // one unit per window pixel
  const Image picture = Draw_In(96, 96, [&] {
    glEnable(GL_LIGHT0);
    const GLfloat towards_viewer[4] = {-0.4f, 0.5f, 1, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, towards_viewer);
    OpenGL_Draw_Sphere(&view, kRed, Point_3D(0, 44.0f, 50.0f, 0.0f), 64, 10, nullptr);
    OpenGL_Draw_Sphere(&view, kYellow, Point_3D(0, 10.0f, 10.0f, 0.0f), 10, 0, L"P");
    glDisable(GL_LIGHT0);
  });
  // Lit towards the upper left: brighter there than at the lower right, red all through.
  const uint8_t* lit = picture.At(34, 96 - 62);
  const uint8_t* shade = picture.At(62, 96 - 30);
  EXPECT_GT(lit[0], shade[0]);
  EXPECT_LT(lit[1], 60);
  EXPECT_EQ(picture.Rgb(44 + 33, 96 - 50), kBackground);  // outside the radius of 32
  EXPECT_NE(picture.Rgb(44 + 30, 96 - 50), kBackground);
  EXPECT_EQ(picture.Rgb(10, 96 - 11), 0xFFFF00u);  // the point
  EXPECT_TRUE(Golden_Match(picture, "display/golden/overlay/sphere.png", kTolerance));
}

TEST_F(OverlayDraw, SphereMaterialGlowsMoreOnItsBackFaces) {
  Host_Window w = Window(8, 8);
  ASSERT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
  quarn::Light_Material_Point(0x336699);  // red 0x99, green 0x66, blue 0x33
  const float r = 0x99 / 255.0f, g = 0x66 / 255.0f, b = 0x33 / 255.0f;
  struct Row {
    GLenum face, what;
    float factor;  // of the colour
  };
  const Row rows[] = {{GL_FRONT, GL_EMISSION, 0.3f}, {GL_BACK, GL_EMISSION, 0.8f}, {GL_FRONT, GL_DIFFUSE, 1},
                      {GL_BACK, GL_AMBIENT, 1},      {GL_FRONT, GL_SPECULAR, 0},   {GL_BACK, GL_SPECULAR, 0}};
  for (const Row& row : rows) {
    GLfloat v[4] = {};
    glGetMaterialfv(row.face, row.what, v);
    EXPECT_NEAR(v[0], row.factor * r, 1e-5) << row.what;
    EXPECT_NEAR(v[1], row.factor * g, 1e-5) << row.what;
    EXPECT_NEAR(v[2], row.factor * b, 1e-5) << row.what;
    EXPECT_FLOAT_EQ(v[3], 1) << row.what;
  }
  OpenGL_Context_Off(w, 0);
}

TEST(OverlaySphere, SubdivisionGivesTwoToTenPointsPerFaceSide) {
  struct Row {
    int subdivision, side;
  };
  const Row rows[] = {{-5, 2}, {0, 2}, {1, 2}, {2, 2},  // below 3: the cube's corners only
                      {3, 3},  {7, 7}, {10, 10},        // as asked
                      {11, 10}, {50, 10}};              // at most 10
  for (const Row& r : rows) EXPECT_EQ(quarn::Sphere_Grid_Side(r.subdivision), r.side) << r.subdivision;
}

TEST(OverlayLabel, LeadingSpacesGrowWithTheSymbolSize) {
  struct Row {
    float size;
    const char* text;
  };
  const Row rows[] = {{0, " A"},      {2.9f, " A"},     {3, "  A"},       {4.9f, "  A"},
                      {5, "   A"},    {9.9f, "   A"},   {10, "    A"},     {19.9f, "    A"},
                      {20, "       A"}, {500, "       A"}};
  for (const Row& r : rows) EXPECT_EQ(quarn::Overlay_Label_Text(r.size, L"A"), r.text) << r.size;
}

}  // namespace
