// The drawing test fixture: set-up and clean-up of the host and the OpenGL state, read-back.
#include "support/GL_Test.h"

#include "display/OpenGL_Internal.h"

#include <GL/gl.h>

namespace test_support {

void GL_Test::SetUp() {
  Host_Var_Default_Install();
  Fct_Main_Var_Get = Host_Var_Get;
  Host_Main_Window = Platform_Window_Create(L"main", 100, 100, nullptr);
  Host_Popup_Reset();
  Platform_Pixel_Format_List_Set(nullptr, 0);
  Platform_GL_Fail_Next(0);
  quarn::OpenGL_PixelFormat_Forget();
}

void GL_Test::TearDown() {
  OpenGL_Text_Cleanup();
  OpenGL_Context_Cleanup();
  for (Host_Window w : windows_) Platform_Window_Destroy(w);
  windows_.clear();
  Platform_Pixel_Format_List_Set(nullptr, 0);
  Platform_GL_Fail_Next(0);
  quarn::OpenGL_PixelFormat_Forget();
  Host_Popup_Reset();
  Platform_Window_Destroy(Host_Main_Window);
  Host_Main_Window = nullptr;
}

Host_Window GL_Test::Window(int width, int height) {
  Host_Window w = Platform_Window_Create(L"gl test", width, height, nullptr);
  windows_.push_back(w);
  return w;
}

Image Read(Host_Window window, Platform_GL_Plane plane) {
  Image image;
  Platform_GL_Read_Pixels(window, plane, nullptr, 0, &image.width, &image.height);
  image.rgba.resize(size_t(image.width) * size_t(image.height) * 4);
  if (!Platform_GL_Read_Pixels(window, plane, image.rgba.data(), image.rgba.size(), nullptr, nullptr))
    return Image{};
  return image;
}

std::vector<uint8_t> Read_Stencil(Host_Window window) {
  int width = 0, height = 0;
  Platform_GL_Read_Pixels(window, PLATFORM_GL_STENCIL, nullptr, 0, &width, &height);
  std::vector<uint8_t> values(size_t(width) * size_t(height));
  if (!Platform_GL_Read_Pixels(window, PLATFORM_GL_STENCIL, values.data(), values.size(), nullptr, nullptr))
    values.clear();
  return values;
}

void Pixel_Projection(int width, int height) {
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, height, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void Clear(uint32_t rgb) {
  glClearColor(float(rgb >> 16 & 0xFF) / 255.0f, float(rgb >> 8 & 0xFF) / 255.0f, float(rgb & 0xFF) / 255.0f, 1.0f);
  glClearStencil(0);
  glStencilMask(0xFF);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void Fill(int x, int y, int width, int height, uint32_t rgb) {
  glColor3ub(GLubyte(rgb >> 16), GLubyte(rgb >> 8), GLubyte(rgb));
  glRecti(x, y, x + width, y + height);
}

}  // namespace test_support
