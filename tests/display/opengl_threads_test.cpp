// Two threads draw in two windows at once, each with its own current context: the context
// table's section, the raster-font table and the platform's buffers are shared between them.
#include "support/GL_Test.h"

#include "display/OpenGL_Internal.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

using namespace test_support;

class OpenGLThreads : public GL_Test {};

constexpr int kRounds = 12;
constexpr int kSide = 48;

TEST_F(OpenGLThreads, TwoThreadsDrawInTwoWindowsAtOnce) {
  Host_Window windows[2] = {Window(kSide, kSide), Window(kSide, kSide)};
  const uint32_t backgrounds[2] = {0x000080, 0x800000};
  std::atomic<int> failures{0};
  auto draw = [&](int k) {
    for (int round = 0; round < kRounds; ++round) {
      if (OpenGL_Context_On(windows[k], OPENGL_CONTEXT_BACK) != 1) {
        ++failures;
        return;
      }
      if (Platform_GL_Current_DC() == nullptr) ++failures;
      Pixel_Projection(kSide, kSide);
      Clear(backgrounds[k]);
      OpenGL_Stencil_On(windows[k], 1);
      Fill(0, 0, 8, 8, 0xFFFFFF);
      OpenGL_Stencil_Off(windows[k]);
      OpenGL_Text_DrawRasterFont(k ? "two" : "one", uint16_t(14 + round % 2), 255, 255, 0, 4, 30, 0);
      OpenGL_Context_Off(windows[k], 0);
    }
  };
  std::thread first(draw, 0), second(draw, 1);
  first.join();
  second.join();
  EXPECT_EQ(failures.load(), 0);
  for (int k = 0; k < 2; ++k) {
    const Image picture = Read(windows[k]);
    EXPECT_EQ(picture.Rgb(kSide - 1, kSide - 1), backgrounds[k]) << k;
    EXPECT_EQ(picture.Rgb(2, 2), 0xFFFFFFu) << k;
    EXPECT_GT(picture.Count(0xFFFF00), 10) << k;  // its own text
    EXPECT_NE(quarn::OpenGL_Slot_Of(windows[k]), -1);
  }
}

}  // namespace
