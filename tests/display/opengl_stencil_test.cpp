// Stencil modes on real buffers: the value written is limited to the window's stencil depth,
// the mask mode lets drawing reach only pixels whose stencil is 0, the modes follow the flags
// of OpenGL_Context_On, and a format without stencil leaves both alone.
#include "support/GL_Test.h"

#include "display/OpenGL_Internal.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace test_support;

class OpenGLStencil : public GL_Test {};

constexpr int kSize = 16;
constexpr uint32_t kGrey = 0x404040, kOrange = 0xFF8000, kGreen = 0x00FF00;

Platform_Pixel_Format Format(int stencil) {
  Platform_Pixel_Format f;
  f.flags = PLATFORM_PFD_DRAW_TO_WINDOW | PLATFORM_PFD_SUPPORT_OPENGL | PLATFORM_PFD_DOUBLEBUFFER;
  f.color_bits = 24;
  f.red_bits = f.green_bits = f.blue_bits = 8;
  f.alpha_bits = 8;
  f.depth_bits = 24;
  f.stencil_bits = uint8_t(stencil);
  return f;
}

// Opens the window, writes value in stencil write mode over its left half, closes it; returns
// the stencil values of its top row.
std::vector<uint8_t> Write_Left_Half(Host_Window w, int value) {
  EXPECT_EQ(OpenGL_Context_On(w, 0), 1);
  Pixel_Projection(kSize, kSize);
  Clear(0);
  OpenGL_Stencil_On(w, value);
  Fill(0, 0, kSize / 2, kSize, kOrange);
  OpenGL_Context_Off(w, 0);
  const std::vector<uint8_t> all = Read_Stencil(w);
  return std::vector<uint8_t>(all.begin(), all.begin() + kSize);
}

TEST_F(OpenGLStencil, WrittenValueIsLimitedToTheWindowsStencilDepth) {
  // The 4-bit format is not fit to be chosen; it is reached as a host does, through the
  // format number once a fit one was chosen.
  const Platform_Pixel_Format list[] = {Format(8), Format(4)};
  Platform_Pixel_Format_List_Set(list, 2);
  const struct {
    int format;
    int value;
    uint8_t written;
  } cases[] = {
      {1, 255, 255},  // 8 bits: as asked
      {1, 5, 5},
      {1, 300, 255},  // beyond the depth: the largest value
      {1, -3, 0},     // below 0: nothing
      {2, 255, 15},   // 4 bits
      {2, 9, 9},
  };
  for (const auto& c : cases) {
    *Var<int32_t>(L"$OPENGL_CONTEXT") = c.format;
    Host_Window w = Window(kSize, kSize);
    const std::vector<uint8_t> row = Write_Left_Half(w, c.value);
    ASSERT_EQ(row.size(), size_t(kSize));
    EXPECT_EQ(row[0], c.written) << c.format << " " << c.value;
    EXPECT_EQ(row[kSize / 2 - 1], c.written);
    EXPECT_EQ(row[kSize / 2], 0);
  }
}

TEST_F(OpenGLStencil, MaskModeDrawsOnlyWhereTheStencilIsZero) {
  Host_Window w = Window(kSize, kSize);
  ASSERT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
  Pixel_Projection(kSize, kSize);
  Clear(kGrey);
  OpenGL_Stencil_On(w, 1);
  Fill(4, 4, 8, 8, kOrange);  // a square writes 1 under it
  EXPECT_EQ(quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(w)).state & 0x18, OPENGL_CONTEXT_STENCIL_WRITE);
  OpenGL_Stencil_Off(w);
  EXPECT_EQ(quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(w)).state & 0x18, OPENGL_CONTEXT_STENCIL_MASK);
  Fill(0, 0, kSize, 8, kGreen);  // the top half, except the square
  OpenGL_Context_Off(w, 0);
  const Image picture = Read(w);
  EXPECT_EQ(picture.Rgb(0, 0), kGreen);
  EXPECT_EQ(picture.Rgb(5, 5), kOrange);
  EXPECT_EQ(picture.Rgb(5, 10), kOrange);
  EXPECT_EQ(picture.Rgb(0, 12), kGrey);
  EXPECT_EQ(picture.Count(kOrange), 64);
  EXPECT_EQ(picture.Count(kGreen), kSize * 8 - 32);
  EXPECT_TRUE(Golden_Match(picture, "display/golden/stencil_mask.png", {0, 0.0}));
}

TEST_F(OpenGLStencil, ContextFlagsStartTheModes) {
  Host_Window w = Window(kSize, kSize);
  const struct {
    uint8_t flags;
    bool enabled;
    GLint function;
    GLint reference;
  } cases[] = {
      {OPENGL_CONTEXT_STENCIL_WRITE, true, GL_ALWAYS, 255},
      {OPENGL_CONTEXT_STENCIL_MASK, true, GL_EQUAL, 0},
      {OPENGL_CONTEXT_STENCIL_WRITE | OPENGL_CONTEXT_STENCIL_MASK, true, GL_ALWAYS, 255},  // write wins
      {0, false, GL_ALWAYS, 0},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(OpenGL_Context_On(w, c.flags), 1);
    GLint function = 0, reference = 0;
    glGetIntegerv(GL_STENCIL_FUNC, &function);
    glGetIntegerv(GL_STENCIL_REF, &reference);
    EXPECT_EQ(bool(glIsEnabled(GL_STENCIL_TEST)), c.enabled) << int(c.flags);
    if (c.enabled) {
      EXPECT_EQ(function, c.function) << int(c.flags);
      EXPECT_EQ(reference, c.reference) << int(c.flags);
    }
    OpenGL_Context_Off(w, 0);
  }
}

TEST_F(OpenGLStencil, WithoutAStencilBufferBothModesReturnAtOnce) {
  Host_Window w = Window(kSize, kSize);
  ASSERT_EQ(OpenGL_Context_On(w, 0), 1);
  *Var<uint32_t>(L"$OPENGL_STATE") &= ~GRAPHIC_STENCIL_BUFFER;
  Host_Report_Capture capture;
  OpenGL_Stencil_On(w, 1);
  OpenGL_Stencil_Off(w);
  EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST));
  EXPECT_TRUE(capture.Contains("<<< out Fct: OpenGL_Stencil_On(! (*OpenGL_State & GRAPHIC_STENCIL_BUFFER))"));
  EXPECT_TRUE(capture.Contains("<<< out Fct: OpenGL_Stencil_Off(! (*OpenGL_State & GRAPHIC_STENCIL_BUFFER))"));
  EXPECT_EQ(quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(w)).state, OPENGL_CONTEXT_CURRENT);
  OpenGL_Context_Off(w, 0);
  // A window without a slot: the modes are set, no slot changes.
  Host_Window loose = Window(kSize, kSize);
  *Var<uint32_t>(L"$OPENGL_STATE") |= GRAPHIC_STENCIL_BUFFER;
  ASSERT_EQ(OpenGL_Context_On(w, 0), 1);
  OpenGL_Stencil_On(loose, 1);
  EXPECT_TRUE(glIsEnabled(GL_STENCIL_TEST));
  EXPECT_EQ(quarn::OpenGL_Slot_Of(loose), -1);
  EXPECT_EQ(quarn::OpenGL_Slot_Get(quarn::OpenGL_Slot_Of(w)).state, OPENGL_CONTEXT_CURRENT);
  OpenGL_Context_Off(w, 0);
}

}  // namespace
