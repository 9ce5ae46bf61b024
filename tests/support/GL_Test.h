// A test fixture for drawing: real OpenGL windows of a size, drawn through the library's
// contexts and read back as pictures.
//
//   TEST_F(My_Drawing, Something) {
//     Host_Window w = Window(64, 32);
//     ASSERT_EQ(OpenGL_Context_On(w, OPENGL_CONTEXT_BACK), 1);
//     Pixel_Projection(64, 32);          // window pixels, (0, 0) top left, y down
//     Clear(0x000000);
//     ... draw ...
//     OpenGL_Context_Off(w, 0);          // swaps: the back buffer becomes the front
//     Image picture = Read(w);           // the front buffer, rows top first
//     EXPECT_TRUE(Golden_Match(picture, "area/golden/something.png", {2, 0.001}));
//   }
#pragma once

#include "support/Golden_Image.h"

#include <quarn/quarn.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace test_support {

/// A buffer of a window as a picture (empty when it cannot be read).
Image Read(Host_Window window, Platform_GL_Plane plane = PLATFORM_GL_FRONT);
/// The window's stencil values, one byte per pixel, rows top first.
std::vector<uint8_t> Read_Stencil(Host_Window window);
/// Viewport and projection in window pixels for the current context: (0, 0) is the top-left
/// corner and y grows downward, as in the window's own coordinates.
void Pixel_Projection(int width, int height);
/// Clears the colour buffer drawn into to 0xRRGGBB (alpha 255) and the stencil to 0.
void Clear(uint32_t rgb);
/// Fills a rectangle of window pixels with 0xRRGGBB in the current projection.
void Fill(int x, int y, int width, int height, uint32_t rgb);

/// Each test starts with the default host variables, a main window, no pixel format chosen,
/// no pop-up answers and the display's own formats; every window, context and raster font it
/// made is released at its end.
class GL_Test : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  /// A new window of a size, destroyed at the end of the test.
  Host_Window Window(int width, int height);
  /// A host variable's storage.
  template <class T>
  static T* Var(const wchar_t* name) {
    return static_cast<T*>(Host_Var_Get(name, nullptr, nullptr, nullptr));
  }

private:
  std::vector<Host_Window> windows_;
};

}  // namespace test_support
