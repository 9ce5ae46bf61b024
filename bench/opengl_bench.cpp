// Cost of making a window's context current and releasing it when the window already has a
// slot, and of drawing a 40-character raster text, each beside an empty glFinish round trip.
#include <quarn/quarn.h>

#include <GL/gl.h>

#include <benchmark/benchmark.h>

namespace {

constexpr int kWidth = 320, kHeight = 48;
constexpr char kText[] = "Forty characters of raster text: 0123456";
static_assert(sizeof kText - 1 == 40);

// One host and one window for the whole run; its context and font are made before timing.
Host_Window Bench_Window() {
  static Host_Window window = [] {
    Host_Var_Default_Install();
    Fct_Main_Var_Get = Host_Var_Get;
    Host_Main_Window = Platform_Window_Create(L"main", 100, 100, nullptr);
    Host_Window w = Platform_Window_Create(L"bench", kWidth, kHeight, nullptr);
    OpenGL_Context_On(w, 0);
    OpenGL_Text_DrawRasterFont(kText, 14, 255, 255, 255, 4, 30, 0);
    OpenGL_Context_Off(w, 0);
    return w;
  }();
  return window;
}

// Baseline: a glFinish with nothing to finish, the context current all along.
void BM_GlFinish_Empty(benchmark::State& state) {
  Host_Window w = Bench_Window();
  OpenGL_Context_On(w, 0);
  for (auto _ : state) glFinish();
  OpenGL_Context_Off(w, 0);
}
BENCHMARK(BM_GlFinish_Empty);

// Open and close a window with a slot: make current, plain state, flush, finish, swap, release.
void BM_Context_On_Off(benchmark::State& state) {
  Host_Window w = Bench_Window();
  for (auto _ : state) {
    OpenGL_Context_On(w, OPENGL_CONTEXT_BACK);
    OpenGL_Context_Off(w, 0);
  }
}
BENCHMARK(BM_Context_On_Off);

// Draw 40 characters of raster text and wait for them to be drawn.
void BM_Raster_Text_40(benchmark::State& state) {
  Host_Window w = Bench_Window();
  OpenGL_Context_On(w, 0);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kWidth, kHeight, 0, -1, 1);
  for (auto _ : state) {
    OpenGL_Text_DrawRasterFont(kText, 14, 255, 255, 255, 4, 30, 0);
    glFinish();
  }
  OpenGL_Context_Off(w, 0);
}
BENCHMARK(BM_Raster_Text_40);

}  // namespace
