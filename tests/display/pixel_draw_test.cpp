// Display layers drawn with OpenGL and compared with baselines: one small frame (a grey ramp
// with a few tags, one of them of alpha 1.0) at zoom 1 and 2.5, under each colour scheme, as
// pixels and as textures; what each scheme needs and leaves alone.
#include "support/GL_Test.h"

#include "display/Pixel_Host.h"
#include "frames/Frame_Layers_Host.h"

#include <quarn/display/Pixel_Render.h>

#include <GL/gl.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace test_support;

constexpr int FW = 16, FH = 12;       // the frame
constexpr int WW = 48, WH = 40;       // the window
constexpr int Left = 4, Top = 4;      // the frame's top-left corner, in window pixels from the top
constexpr uint32_t Background = 0x203040;
// Tags: 1 red and 2 green at alpha 0.5, 3 blue at alpha 1.0 (kept off the image by the test).
constexpr uint16_t Red_Tag = 1, Green_Tag = 2, Opaque_Tag = 3;

class PixelDraw : public GL_Test {
protected:
  void SetUp() override {
    GL_Test::SetUp();
    std::vector<uint16_t> grey;
    for (int y = 0; y < FH; ++y)
      for (int x = 0; x < FW; ++x) grey.push_back(uint16_t(16 * x + 4 * y));
    tree_ = std::make_unique<layers_test::Frame_Tree>(Host_Image_Create(FW, FH, 1, 1, HOST_PIXEL_U16, grey.data()));
    f = tree_->Frame();
    f->conv_a = 0, f->conv_b = 1, f->val_min = 0, f->val_max = 300;
    (*Var<float*>(L"$TAG_ALPHA"))[Opaque_Tag] = 1.0f;
    uint16_t** tags = f->Work_TAG_Get();
    Paint(tags, Red_Tag, 2, 2, 6, 5);
    Paint(tags, Green_Tag, 9, 3, 13, 8);
    Paint(tags, Opaque_Tag, 4, 8, 11, 10);
  }
  void TearDown() override {
    tree_.reset();
    GL_Test::TearDown();
  }

  static void Paint(uint16_t** tags, uint16_t tag, int x0, int y0, int x1, int y1) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) tags[y][x] = tag;
  }

  // Opens a window, sets the scene's viewport and projection (y up), places the raster position
  // at the frame's top-left corner and draws the frame as the frame drawing does; returns the
  // picture. draw runs with the model-view pushed and moved to the raster point.
  template <class Draw>
  Image Picture(Draw draw) {
    Host_Window w = Window(WW, WH);
    EXPECT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
    glViewport(0, 0, WW, WH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, WW, 0, WH, 0, 0.5);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(float(Background >> 16) / 255, float(Background >> 8 & 0xFF) / 255, float(Background & 0xFF) / 255, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const float rx = Left, ry = float(WH - Top);
    glRasterPos2f(rx, ry);
    glPushMatrix();
    glTranslatef(rx, ry, 0);
    draw();
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 2) << "the drawing changed the matrix stack";
    glPopMatrix();
    OpenGL_Context_Off(w, 0);
    return Read(w);
  }

  Image Frame_Picture(uint8_t scheme, float zoom) {
    EXPECT_EQ(Fct_Callback_Update_GLI_Disp(f), 1);
    EXPECT_EQ(Fct_Callback_Update_TAG_Disp(f), 1);
    return Picture([&] { EXPECT_EQ(Fct_Draw_OpenGL_Pixel(scheme, zoom, zoom, 0, 0, FW, FH, f), 1); });
  }

  // The window pixel at the centre of frame pixel (x, y) drawn at a zoom.
  static uint32_t At(const Image& image, int x, int y, float zoom) {
    return image.Rgb(Left + int((float(x) + 0.5f) * zoom), Top + int((float(y) + 0.5f) * zoom));
  }

  std::unique_ptr<layers_test::Frame_Tree> tree_;
  Quarn_2D_Frame* f = nullptr;
};

uint32_t Grey_Of(int x, int y) {
  const int v = (16 * x + 4 * y) * 256 / 300;  // the index in the grey map of 256 entries
  return uint32_t(v) * 0x010101u;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > tolerance) return false;
  return true;
}

// Mesa rounds pixel zoom and texture edges a little differently from one version to the next.
constexpr Tolerance Loose{8, 0.01};

TEST_F(PixelDraw, FrameAtZoomOneAndTwoAndAHalf) {
  const Image one = Frame_Picture(1, 1.0f);
  EXPECT_TRUE(Golden_Match(one, "display/golden/pixel/zoom_1.png", Loose));
  const Image wide = Frame_Picture(1, 2.5f);
  EXPECT_TRUE(Golden_Match(wide, "display/golden/pixel/zoom_2_5.png", Loose));
  // The frame starts at its corner: row 0 at the top, column 0 at the left; the rest is untouched.
  EXPECT_EQ(one.Rgb(Left - 1, Top), Background);
  EXPECT_EQ(one.Rgb(Left, Top - 1), Background);
  EXPECT_EQ(one.Rgb(Left + FW, Top), Background);
  EXPECT_EQ(one.Rgb(Left, Top + FH), Background);
  EXPECT_TRUE(Near(At(one, 0, 0, 1), Grey_Of(0, 0), 1));
  EXPECT_TRUE(Near(At(one, 15, 11, 1), Grey_Of(15, 11), 1));
  EXPECT_TRUE(Near(At(wide, 15, 0, 2.5f), Grey_Of(15, 0), 1));
  EXPECT_EQ(wide.Rgb(Left + 40, Top), Background);
}

TEST_F(PixelDraw, EachSchemeLaysTheSameTagsOverTheImage) {
  Image pictures[5];
  for (uint8_t scheme = 0; scheme <= 4; ++scheme) {
    pictures[scheme] = Frame_Picture(scheme, 2.0f);
    EXPECT_TRUE(Golden_Match(pictures[scheme], "display/golden/pixel/scheme_" + std::to_string(scheme) + ".png", Loose))
        << "scheme " << int(scheme);
  }
  const uint32_t grey_red = At(pictures[0], 3, 3, 2), grey_opaque = At(pictures[0], 6, 9, 2);
  // 0: grey only.
  EXPECT_TRUE(Near(grey_red, Grey_Of(3, 3), 1));
  // 1: half red over the grey.
  const uint32_t blended = At(pictures[1], 3, 3, 2);
  EXPECT_TRUE(Near(blended, (255 * 127 / 255 + (grey_red & 0xFF) * 128 / 255) << 16 | ((grey_red & 0xFF) * 128 / 255) * 0x0101u, 2))
      << std::hex << blended;
  // 3: tags alone, opaque, the alpha-1.0 tag and the background tag included.
  EXPECT_EQ(At(pictures[3], 3, 3, 2), 0xFF0000u);
  EXPECT_EQ(At(pictures[3], 6, 9, 2), 0x0000FFu);
  EXPECT_EQ(At(pictures[3], 0, 0, 2), 0x000000u);
  // 4: tags cut out over the grey, without blending.
  EXPECT_EQ(At(pictures[4], 3, 3, 2), 0xFF0000u);
  // The tag of alpha 1.0 and the background are kept off the image by schemes 1, 2 and 4.
  for (int scheme : {1, 2, 4}) {
    EXPECT_EQ(At(pictures[scheme], 6, 9, 2), grey_opaque) << scheme;
    EXPECT_EQ(At(pictures[scheme], 0, 0, 2), At(pictures[0], 0, 0, 2)) << scheme;
  }
}

TEST_F(PixelDraw, TexturesDrawWhatPixelsDraw) {
  for (float zoom : {1.0f, 2.5f}) {
    const Image pixels = Frame_Picture(1, zoom);
    *Var<uint8_t>(L"$OPENGL_FLAG") = 0x02;
    const Image textured = Frame_Picture(1, zoom);
    *Var<uint8_t>(L"$OPENGL_FLAG") = 0;
    EXPECT_NE(f->tex_gli, 0u);
    EXPECT_NE(f->tex_tag, 0u);
    ASSERT_EQ(textured.rgba.size(), pixels.rgba.size());
    int differ = 0;
    for (int y = 0; y < WH; ++y)
      for (int x = 0; x < WW; ++x) differ += !Near(textured.Rgb(x, y), pixels.Rgb(x, y), 8);
    // Edges of a quad at a fractional zoom may fall one pixel apart.
    EXPECT_LE(differ, zoom == 1.0f ? 0 : 2 * (WW + WH)) << "zoom " << zoom;
    EXPECT_TRUE(Golden_Match(textured, zoom == 1.0f ? "display/golden/pixel/zoom_1.png" : "display/golden/pixel/zoom_2_5.png",
                             {8, 0.06}));
  }
}

TEST_F(PixelDraw, SubRectangleStartsAtItsSkip) {
  Fct_Callback_Update_GLI_Disp(f);
  Fct_Callback_Update_TAG_Disp(f);
  const Image part = Picture([&] { EXPECT_EQ(Fct_Draw_OpenGL_Pixel(0, 1, 1, 5, 3, 4, 2, f), 1); });
  EXPECT_TRUE(Near(part.Rgb(Left, Top), Grey_Of(5, 3), 1));
  EXPECT_TRUE(Near(part.Rgb(Left + 3, Top + 1), Grey_Of(8, 4), 1));
  EXPECT_EQ(part.Rgb(Left + 4, Top), Background);
  EXPECT_EQ(part.Rgb(Left, Top + 2), Background);
}

TEST_F(PixelDraw, SchemesNeedOnlyTheLayersTheyDraw) {
  ASSERT_EQ(Fct_Callback_Update_TAG_Disp(f), 1);
  // Scheme 3 draws no grey, so a missing grey layer is no failure.
  const Image tags_only = Picture([&] { EXPECT_EQ(Fct_Draw_OpenGL_Pixel(3, 1, 1, 0, 0, FW, FH, f), 1); });
  EXPECT_EQ(tags_only.Rgb(Left + 3, Top + 3), 0xFF0000u);
  Picture([&] { EXPECT_EQ(Fct_Draw_OpenGL_Pixel(1, 1, 1, 0, 0, FW, FH, f), 0); });
  // Scheme 0 draws no tags.
  ASSERT_EQ(Fct_Callback_Update_GLI_Disp(f), 1);
  f->disp_tag = nullptr;
  Picture([&] { EXPECT_EQ(Fct_Draw_OpenGL_Pixel(0, 1, 1, 0, 0, FW, FH, f), 1); });
  Picture([&] { EXPECT_EQ(Fct_Draw_OpenGL_Pixel(4, 1, 1, 0, 0, FW, FH, f), 0); });
}

TEST_F(PixelDraw, TagNumberLayersAreNotDrawnAsColours) {
  f->User_Delete(2);
  *Var<uint8_t>(L"$OPENGL_FLAG") = 0x04;
  ASSERT_EQ(Fct_Callback_Update_GLI_Disp(f), 1);
  ASSERT_EQ(Fct_Callback_Update_TAG_Disp(f), 1);
  *Var<uint8_t>(L"$OPENGL_FLAG") = 0;
  const Image grey = Picture([&] { Fct_Draw_OpenGL_Pixel(0, 2, 2, 0, 0, FW, FH, f); });
  const Image over = Picture([&] { Fct_Draw_OpenGL_Pixel(1, 2, 2, 0, 0, FW, FH, f); });
  EXPECT_EQ(over.rgba, grey.rgba);
}

TEST_F(PixelDraw, PreviewDrawsWholeBuffersWithTheCurrentScheme) {
  ASSERT_EQ(Fct_Callback_Update_GLI_Disp(f), 1);
  ASSERT_EQ(Fct_Callback_Update_TAG_Disp(f), 1);
  *Var<uint8_t>(L"$COLOR_SCHEME") = 1;
  const Image frame = Picture([&] { Fct_Draw_OpenGL_Pixel(1, 2, 2, 0, 0, FW, FH, f); });
  const Image preview = Picture([&] { EXPECT_EQ(Fct_Draw_OpenGL_Preview(2, 2, FW, FH, f->disp_gli, f->disp_tag), 1); });
  EXPECT_EQ(preview.rgba, frame.rgba);
  *Var<uint8_t>(L"$COLOR_SCHEME") = 3;
  const Image tags = Picture([&] { Fct_Draw_OpenGL_Preview(2, 2, FW, FH, f->disp_gli, f->disp_tag); });
  EXPECT_EQ(At(tags, 3, 3, 2), 0xFF0000u);
}

TEST_F(PixelDraw, DrawingLeavesNoOpenGLErrorAndRestoresTheUnpackState) {
  Fct_Callback_Update_GLI_Disp(f);
  Fct_Callback_Update_TAG_Disp(f);
  Host_Report_Capture capture;
  for (uint8_t flag : {0, 2})
    Picture([&] {
      *Var<uint8_t>(L"$OPENGL_FLAG") = flag;
      for (uint8_t scheme = 0; scheme <= 5; ++scheme) Fct_Draw_OpenGL_Pixel(scheme, 1.5f, 1.5f, 1, 1, 8, 8, f);
      GLint length = -1, skip = -1, alignment = -1;
      glGetIntegerv(GL_UNPACK_ROW_LENGTH, &length);
      glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &skip);
      glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
      EXPECT_EQ(length, 0);
      EXPECT_EQ(skip, 0);
      EXPECT_EQ(alignment, 1);
      EXPECT_FALSE(glIsEnabled(GL_BLEND));
      EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    });
  *Var<uint8_t>(L"$OPENGL_FLAG") = 0;
  EXPECT_EQ(capture.Count(0x80000101), 0u);
}

}  // namespace
