// OpenGL in platform windows: the display's formats and the choice among them, setting a
// window's format once, contexts current per thread, front and back buffers with a real swap,
// read-back from any thread, windows that change size or die, and the fault hooks.
#include <platform/Platform.h>

#include <GL/gl.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <semaphore>
#include <thread>
#include <vector>

namespace {

constexpr uint32_t kWindowGL = PLATFORM_PFD_DRAW_TO_WINDOW | PLATFORM_PFD_SUPPORT_OPENGL;

Platform_Pixel_Format Format(uint32_t flags, int colour, int alpha, int depth, int stencil) {
  Platform_Pixel_Format f;
  f.flags = flags;
  f.color_bits = uint8_t(colour);
  f.red_bits = f.green_bits = f.blue_bits = uint8_t(colour / 3);
  f.alpha_bits = uint8_t(alpha);
  f.depth_bits = uint8_t(depth);
  f.stencil_bits = uint8_t(stencil);
  return f;
}

// What the library asks for: window, OpenGL, double buffer, RGBA 24+8, depth 32, stencil 8.
Platform_Pixel_Format Library_Request() {
  return Format(kWindowGL | PLATFORM_PFD_DOUBLEBUFFER, 24, 8, 32, 8);
}

/// A window of a size with its device context, and a context when asked; all released at the end.
struct GL_Window {
  Platform_Window* window = nullptr;
  Platform_DC dc = nullptr;
  Platform_GLRC context = nullptr;

  GL_Window(int width, int height, const Platform_Pixel_Format& want = Library_Request()) {
    window = Platform_Window_Create(L"gl", width, height, nullptr);
    dc = Platform_Get_DC(window);
    const int number = Platform_Choose_Pixel_Format(dc, &want);
    EXPECT_GT(number, 0);
    EXPECT_EQ(Platform_Set_Pixel_Format(dc, number, &want), 1);
    context = Platform_GL_Create_Context(dc);
    EXPECT_NE(context, nullptr);
  }
  ~GL_Window() {
    Platform_GL_Delete_Context(context);
    Platform_Release_DC(window, dc);
    Platform_Window_Destroy(window);
  }
  int On() { return Platform_GL_Make_Current(dc, context); }
  static void Off() { Platform_GL_Make_Current(nullptr, nullptr); }
};

void Clear(float r, float g, float b) {
  glClearColor(r, g, b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

// The first pixel of a plane, as 0xAABBGGRR; 0 when it cannot be read.
uint32_t First_Pixel(Platform_Window* window, Platform_GL_Plane plane) {
  int width = 0, height = 0;
  Platform_GL_Read_Pixels(window, plane, nullptr, 0, &width, &height);
  std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
  if (!Platform_GL_Read_Pixels(window, plane, pixels.data(), pixels.size(), nullptr, nullptr)) return 0;
  return uint32_t(pixels[0]) | uint32_t(pixels[1]) << 8 | uint32_t(pixels[2]) << 16 | uint32_t(pixels[3]) << 24;
}

constexpr uint32_t kRed = 0xFF0000FF, kGreen = 0xFF00FF00, kBlue = 0xFFFF0000;

TEST(PlatformGL, DisplayOffersNumberedWindowFormatsInDoubleAndSingleBufferedPairs) {
  Platform_Window* window = Platform_Window_Create(L"f", 8, 8, nullptr);
  Platform_DC dc = Platform_Get_DC(window);
  const int count = Platform_Describe_Pixel_Format(dc, 0, 0, nullptr);
  ASSERT_GE(count, 2);
  EXPECT_EQ(count % 2, 0);
  for (int i = 1; i <= count; ++i) {
    Platform_Pixel_Format f;
    ASSERT_EQ(Platform_Describe_Pixel_Format(dc, i, sizeof f, &f), count);
    EXPECT_EQ(f.size, PLATFORM_PFD_SIZE);
    EXPECT_EQ(f.flags & kWindowGL, kWindowGL) << i;
    EXPECT_EQ(f.color_bits, f.red_bits + f.green_bits + f.blue_bits) << i;
    EXPECT_EQ(bool(f.flags & PLATFORM_PFD_DOUBLEBUFFER), i % 2 == 1) << i;
  }
  Platform_Pixel_Format f;
  EXPECT_EQ(Platform_Describe_Pixel_Format(dc, count + 1, sizeof f, &f), 0);
  EXPECT_EQ(Platform_Last_Error(), EINVAL);
  EXPECT_EQ(Platform_Describe_Pixel_Format(nullptr, 0, 0, nullptr), 0);
  // The library's request finds a double-buffered RGBA format with 8 stencil bits.
  const Platform_Pixel_Format want = Library_Request();
  const int chosen = Platform_Choose_Pixel_Format(dc, &want);
  ASSERT_GT(chosen, 0);
  Platform_Describe_Pixel_Format(dc, chosen, sizeof f, &f);
  EXPECT_TRUE(f.flags & PLATFORM_PFD_DOUBLEBUFFER);
  EXPECT_EQ(f.color_bits, 24);
  EXPECT_EQ(f.alpha_bits, 8);
  EXPECT_EQ(f.stencil_bits, 8);
  Platform_Release_DC(window, dc);
  Platform_Window_Destroy(window);
}

TEST(PlatformGL, ChoiceTakesTheClosestFormatOfATestList) {
  const Platform_Pixel_Format list[] = {
      Format(PLATFORM_PFD_DRAW_TO_WINDOW, 24, 8, 24, 8),                         // 1: no OpenGL
      Format(kWindowGL, 24, 8, 24, 8),                                           // 2: single
      Format(kWindowGL | PLATFORM_PFD_DOUBLEBUFFER, 15, 0, 16, 0),               // 3: poor
      Format(kWindowGL | PLATFORM_PFD_DOUBLEBUFFER, 24, 8, 32, 0),               // 4: no stencil
      Format(kWindowGL | PLATFORM_PFD_DOUBLEBUFFER, 24, 8, 24, 8),               // 5: the one
      Format(kWindowGL | PLATFORM_PFD_DOUBLEBUFFER, 24, 8, 24, 4),               // 6: 4-bit stencil
  };
  Platform_Pixel_Format index_type = Library_Request();
  index_type.pixel_type = PLATFORM_PFD_TYPE_COLORINDEX;
  Platform_Pixel_Format either = Format(kWindowGL | PLATFORM_PFD_DOUBLEBUFFER_DONTCARE, 24, 8, 24, 8);
  const struct {
    const char* what;
    Platform_Pixel_Format want;
    int expected;
  } cases[] = {
      {"missing stencil weighs more than missing depth", Library_Request(), 5},
      {"single buffering asked for wins over bits", Format(kWindowGL, 24, 8, 24, 8), 2},
      {"without OpenGL asked for, the first exact format", Format(PLATFORM_PFD_DRAW_TO_WINDOW, 24, 8, 24, 8), 1},
      {"buffering left open takes the first exact format", either, 2},
      {"another pixel type: still the closest", index_type, 5},
  };
  Platform_Window* window = Platform_Window_Create(L"c", 8, 8, nullptr);
  Platform_DC dc = Platform_Get_DC(window);
  Platform_Pixel_Format_List_Set(list, 6);
  for (const auto& c : cases) EXPECT_EQ(Platform_Choose_Pixel_Format(dc, &c.want), c.expected) << c.what;
  EXPECT_EQ(Platform_Describe_Pixel_Format(dc, 0, 0, nullptr), 6);
  Platform_Pixel_Format_List_Set(list, 0);  // an empty list: nothing to describe or choose
  EXPECT_EQ(Platform_Describe_Pixel_Format(dc, 0, 0, nullptr), 0);
  EXPECT_EQ(Platform_Choose_Pixel_Format(dc, &cases[0].want), 0);
  EXPECT_EQ(Platform_Last_Error(), ENODEV);
  Platform_Pixel_Format_List_Set(nullptr, 0);
  EXPECT_GT(Platform_Describe_Pixel_Format(dc, 0, 0, nullptr), 6);
  Platform_Release_DC(window, dc);
  Platform_Window_Destroy(window);
}

TEST(PlatformGL, AWindowKeepsItsFirstPixelFormat) {
  Platform_Window* window = Platform_Window_Create(L"s", 8, 8, nullptr);
  Platform_DC dc = Platform_Get_DC(window);
  Platform_DC second = Platform_Get_DC(window);
  EXPECT_NE(dc, second);
  EXPECT_EQ(Platform_Get_Pixel_Format(dc), 0);
  EXPECT_EQ(Platform_GL_Create_Context(dc), nullptr);  // no format yet
  EXPECT_EQ(Platform_Last_Error(), EINVAL);
  EXPECT_EQ(Platform_Set_Pixel_Format(dc, 0, nullptr), 0);
  EXPECT_EQ(Platform_Set_Pixel_Format(dc, 3, nullptr), 1);
  EXPECT_EQ(Platform_Get_Pixel_Format(second), 3);  // the format is the window's, not the dc's
  EXPECT_EQ(Platform_Set_Pixel_Format(second, 3, nullptr), 1);
  EXPECT_EQ(Platform_Set_Pixel_Format(second, 1, nullptr), 0);
  EXPECT_EQ(Platform_Last_Error(), EBUSY);
  EXPECT_EQ(Platform_Release_DC(nullptr, dc), 0);  // released only with its own window
  EXPECT_EQ(Platform_Release_DC(window, dc), 1);
  EXPECT_EQ(Platform_Release_DC(window, dc), 0);
  EXPECT_EQ(Platform_Get_Pixel_Format(dc), 0);
  EXPECT_EQ(Platform_Release_DC(window, second), 1);
  Platform_Window_Destroy(window);
  EXPECT_EQ(Platform_Get_DC(window), nullptr);
}

TEST(PlatformGL, SwapMakesTheBackBufferTheFront) {
  GL_Window w(16, 8);
  ASSERT_EQ(w.On(), 1);
  EXPECT_EQ(Platform_GL_Current_Context(), w.context);
  EXPECT_EQ(Platform_GL_Current_DC(), w.dc);
  ASSERT_EQ(Platform_GL_Draw_Buffer(GL_FRONT), 1);
  Clear(0, 0, 1);
  ASSERT_EQ(Platform_GL_Draw_Buffer(GL_BACK), 1);
  Clear(1, 0, 0);
  glFinish();
  EXPECT_EQ(First_Pixel(w.window, PLATFORM_GL_FRONT), kBlue);
  EXPECT_EQ(First_Pixel(w.window, PLATFORM_GL_BACK), kRed);
  ASSERT_EQ(Platform_GL_Swap_Buffers(w.dc), 1);
  // GL_BACK still names the back buffer after the swap.
  Clear(0, 1, 0);
  glFinish();
  GL_Window::Off();
  EXPECT_EQ(Platform_GL_Current_Context(), nullptr);
  EXPECT_EQ(First_Pixel(w.window, PLATFORM_GL_FRONT), kRed);
  EXPECT_EQ(First_Pixel(w.window, PLATFORM_GL_BACK), kGreen);
  int width = 0, height = 0;
  EXPECT_EQ(Platform_GL_Read_Pixels(w.window, PLATFORM_GL_FRONT, nullptr, 0, &width, &height), 0);
  EXPECT_EQ(Platform_Last_Error(), ERANGE);
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 8);
}

TEST(PlatformGL, SingleBufferedWindowDrawsOnlyToTheFront) {
  GL_Window w(8, 8, Format(kWindowGL, 24, 8, 24, 8));
  ASSERT_EQ(w.On(), 1);
  Platform_Pixel_Format f;
  ASSERT_EQ(Platform_GL_Current_Format(&f), 1);
  EXPECT_FALSE(f.flags & PLATFORM_PFD_DOUBLEBUFFER);
  EXPECT_EQ(Platform_GL_Draw_Buffer(GL_BACK), 0);
  EXPECT_EQ(Platform_GL_Draw_Buffer(0x0409 /* GL_FRONT_RIGHT */), 0);
  Clear(0, 1, 0);  // the starting buffer of a single-buffered window is the front
  EXPECT_EQ(Platform_GL_Swap_Buffers(w.dc), 1);
  GL_Window::Off();
  EXPECT_EQ(First_Pixel(w.window, PLATFORM_GL_FRONT), kGreen);
  EXPECT_EQ(First_Pixel(w.window, PLATFORM_GL_BACK), 0u);
  EXPECT_EQ(Platform_GL_Draw_Buffer(GL_FRONT), 0);  // nothing current
}

TEST(PlatformGL, TopRowComesFirstAndStencilReadsBack) {
  GL_Window w(4, 3);
  ASSERT_EQ(w.On(), 1);
  Platform_GL_Draw_Buffer(GL_FRONT);
  Clear(0, 0, 0);
  glClearStencil(0);
  glClear(GL_STENCIL_BUFFER_BIT);
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, 2, 1, 1);  // GL row 2 of 3 is the top row
  Clear(1, 0, 0);
  glClearStencil(9);
  glClear(GL_STENCIL_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
  // Read with our own context current and odd packing set: the caller's state is kept.
  glPixelStorei(GL_PACK_ALIGNMENT, 8);
  std::vector<uint8_t> rgba(4 * 3 * 4), stencil(4 * 3);
  ASSERT_EQ(Platform_GL_Read_Pixels(w.window, PLATFORM_GL_FRONT, rgba.data(), rgba.size(), nullptr, nullptr), 1);
  ASSERT_EQ(Platform_GL_Read_Pixels(w.window, PLATFORM_GL_STENCIL, stencil.data(), stencil.size(), nullptr, nullptr), 1);
  GLint alignment = 0;
  glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
  EXPECT_EQ(alignment, 8);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
  GL_Window::Off();
  EXPECT_EQ(rgba[0], 255);
  EXPECT_EQ(rgba[4], 0);
  EXPECT_EQ(rgba[4 * 4], 0);
  EXPECT_EQ(stencil, (std::vector<uint8_t>{9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(PlatformGL, BuffersFollowTheWindowSize) {
  GL_Window w(10, 10);
  ASSERT_EQ(w.On(), 1);
  Clear(1, 0, 0);
  GL_Window::Off();
  Platform_Window_Size_Set(w.window, 30, 5);
  int width = 0, height = 0;
  Platform_GL_Read_Pixels(w.window, PLATFORM_GL_BACK, nullptr, 0, &width, &height);
  EXPECT_EQ(width, 10);  // until drawn into again
  ASSERT_EQ(w.On(), 1);
  GL_Window::Off();
  Platform_GL_Read_Pixels(w.window, PLATFORM_GL_BACK, nullptr, 0, &width, &height);
  EXPECT_EQ(width, 30);
  EXPECT_EQ(height, 5);
}

TEST(PlatformGL, AContextIsCurrentOnOneThreadAtATime) {
  GL_Window w(8, 8);
  ASSERT_EQ(w.On(), 1);
  int other = -1, error = 0;
  std::thread([&] {
    other = w.On();
    error = Platform_Last_Error();
  }).join();
  EXPECT_EQ(other, 0);
  EXPECT_EQ(error, EBUSY);
  GL_Window::Off();
  std::thread([&] {
    other = w.On();
    GL_Window::Off();
  }).join();
  EXPECT_EQ(other, 1);
}

TEST(PlatformGL, ContextsShareObjectsAndRefuseAnotherFormatsWindow) {
  GL_Window a(8, 8);
  GL_Window b(8, 8);
  GL_Window single(8, 8, Format(kWindowGL, 24, 8, 24, 8));
  ASSERT_EQ(a.On(), 1);
  const GLuint list = glGenLists(1);
  glNewList(list, GL_COMPILE);
  Clear(0, 0, 1);
  glEndList();
  // b's context draws a's display list, into a's window (same format).
  ASSERT_EQ(Platform_GL_Make_Current(a.dc, b.context), 1);
  Platform_GL_Draw_Buffer(GL_FRONT);
  glCallList(list);
  glFinish();
  EXPECT_EQ(Platform_GL_Make_Current(single.dc, b.context), 0);
  EXPECT_EQ(Platform_Last_Error(), EINVAL);
  GL_Window::Off();
  EXPECT_EQ(First_Pixel(a.window, PLATFORM_GL_FRONT), kBlue);
}

TEST(PlatformGL, DeadWindowsAndContextsAreRefused) {
  auto* w = new GL_Window(8, 8);
  Platform_GLRC context = w->context;
  Platform_Window* window = w->window;
  ASSERT_EQ(w->On(), 1);
  Platform_DC dc = w->dc;
  EXPECT_EQ(Platform_GL_Delete_Context(context), 1);  // released first: it was ours
  EXPECT_EQ(Platform_GL_Current_Context(), nullptr);
  EXPECT_EQ(Platform_GL_Delete_Context(context), 0);
  EXPECT_EQ(Platform_GL_Make_Current(dc, context), 0);
  w->context = Platform_GL_Create_Context(dc);
  Platform_Window_Destroy(window);
  EXPECT_EQ(Platform_GL_Make_Current(dc, w->context), 0);
  EXPECT_EQ(Platform_GL_Read_Pixels(window, PLATFORM_GL_FRONT, nullptr, 0, nullptr, nullptr), 0);
  EXPECT_EQ(Platform_Last_Error(), EINVAL);
  delete w;
}

TEST(PlatformGL, ArmedFaultsFailTheNextCallOnce) {
  GL_Window w(8, 8);
  Platform_GL_Fail_Next(PLATFORM_GL_FAIL_CREATE | PLATFORM_GL_FAIL_MAKE_CURRENT | PLATFORM_GL_FAIL_SWAP |
                        PLATFORM_GL_FAIL_CHOOSE);
  const Platform_Pixel_Format want = Library_Request();
  EXPECT_EQ(Platform_Choose_Pixel_Format(w.dc, &want), 0);
  EXPECT_GT(Platform_Choose_Pixel_Format(w.dc, &want), 0);
  EXPECT_EQ(Platform_GL_Create_Context(w.dc), nullptr);
  EXPECT_EQ(Platform_Last_Error(), EIO);
  EXPECT_EQ(w.On(), 0);
  EXPECT_EQ(Platform_GL_Swap_Buffers(w.dc), 0);
  EXPECT_EQ(w.On(), 1);
  EXPECT_EQ(Platform_GL_Swap_Buffers(w.dc), 1);
  GL_Window::Off();
  Platform_GLRC again = Platform_GL_Create_Context(w.dc);
  EXPECT_NE(again, nullptr);
  Platform_GL_Delete_Context(again);
}

TEST(PlatformGL, SharedContextServesAThreadWithoutOne) {
  GL_Window w(8, 8);
  ASSERT_EQ(w.On(), 1);
  const GLuint list = glGenLists(1);
  GL_Window::Off();
  ASSERT_EQ(Platform_GL_Shared_Begin(), 1);
  EXPECT_EQ(Platform_GL_Make_Current(w.dc, w.context), 0);  // not while the shared one is held
  EXPECT_EQ(glIsList(list), GL_TRUE);  // the window context's list is seen here
  glDeleteLists(list, 1);
  Platform_GL_Shared_End();
  ASSERT_EQ(w.On(), 1);
  EXPECT_EQ(glIsList(list), GL_FALSE);
  GL_Window::Off();
}

// Two threads, each with its own window and context, draw and swap at the same time while a
// third reads both windows back.
TEST(PlatformGL, TwoThreadsDrawInTwoWindowsAtOnce) {
  constexpr int kRounds = 20;
  GL_Window a(32, 32), b(32, 32);
  std::counting_semaphore<2> done{0};
  auto draw = [](GL_Window& w, float red, std::counting_semaphore<2>& finished) {
    for (int i = 0; i < kRounds; ++i) {
      if (w.On() != 1) {
        ADD_FAILURE() << "make current failed";
        break;
      }
      Platform_GL_Draw_Buffer(GL_BACK);
      Clear(red, 0, 1 - red);
      glFinish();
      Platform_GL_Swap_Buffers(w.dc);
      GL_Window::Off();
    }
    finished.release();
  };
  std::thread ta(draw, std::ref(a), 1.0f, std::ref(done));
  std::thread tb(draw, std::ref(b), 0.0f, std::ref(done));
  for (int i = 0; i < kRounds; ++i) {
    First_Pixel(a.window, PLATFORM_GL_FRONT);
    First_Pixel(b.window, PLATFORM_GL_FRONT);
  }
  done.acquire();
  done.acquire();
  ta.join();
  tb.join();
  EXPECT_EQ(First_Pixel(a.window, PLATFORM_GL_FRONT), kRed);
  EXPECT_EQ(First_Pixel(b.window, PLATFORM_GL_FRONT), kBlue);
}

}  // namespace
