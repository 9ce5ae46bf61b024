// Display-layer updates and drawing: the grey update of a whole 16-bit frame against a plain
// scalar window/level loop, the tag update against a plain palette lookup, a small region on a
// large frame against the same region on a small one, and a full redraw of a one-frame window
// on llvmpipe. Ratios are taken on the thread's processor time, in the same run.
#include "Bench_Support.h"

#include <quarn/quarn.h>

#include <GL/gl.h>

#include <platform/PlatformWindow.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

namespace {

using quarn_bench::Thread_Seconds;
using quarn_bench::Var;

void Host_Once() {
  static bool done = false;
  if (done) return;
  done = true;
  Host_Var_Default_Install();
  Fct_Main_Var_Get = Host_Var_Get;
  Host_Main_Window = Platform_Window_Create(L"main", 100, 100, nullptr);
}

// root -> group -> one side x side 16-bit frame of varied grey values and tags 0 ... 9, with
// both working layers loaded and both display layers made.
struct Frame_Setup : quarn_bench::One_Frame {
  int side;

  explicit Frame_Setup(int n) : One_Frame(L"/bench/pixels.dcm", n, n, HOST_PIXEL_U16, Values(n)), side(n) {
    frame->conv_a = 0, frame->conv_b = 1, frame->val_min = 100, frame->val_max = 3900;
    uint16_t** tags = frame->Work_TAG_Get();
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n; ++x) tags[y][x] = uint16_t((x / 7 + y / 5) % 10);
    frame->Region_Update_Set(nullptr);
    Class_Frame_Update_GLI_Disp(frame);
    Class_Frame_Update_TAG_Disp(frame);
  }

  // The host comes first: inserting the frame reads its variables.
  static std::vector<uint16_t> Values(int n) {
    Host_Once();
    std::vector<uint16_t> values(size_t(n) * n);
    for (size_t i = 0; i < values.size(); ++i) values[i] = uint16_t((i * 37) % 4096);
    return values;
  }

  void Region(int x0, int y0, int size) {
    frame->reg_update = Region_2D(6, x0, y0, x0 + size - 1, y0 + size - 1);
  }
};

// The baseline of the grey update: window/level with the scale hoisted out of the loop, clamp,
// colour-map lookup, RGBA store.
void Reference_Grey(const Quarn_2D_Frame* f, uint32_t* out) {
  const int size = *Var<uint16_t>(L"$COLORMAP_GLI_SIZE");
  const uint32_t* map = (*Var<uint32_t**>(L"$COLORMAP_GLI_PT"))[*Var<uint16_t>(L"$COLORMAP_GLI_CUR")];
  const float lo = f->val_min, hi = f->val_max;
  const float offset = (f->conv_a - lo) / f->conv_b, scale = float(size) / (hi - lo) * f->conv_b;
  const int last = size - 1;
  for (int y = 0; y < f->height; ++y) {
    const int32_t* row = f->work_gli[y];
    uint32_t* dst = out + size_t(y) * f->width;
    for (int x = 0; x < f->width; ++x) {
      int i = int((float(row[x]) + offset) * scale);
      i = i < 0 ? 0 : i > last ? last : i;
      dst[x] = map[i];
    }
  }
}

// The baseline of the tag update: each tag, limited to $TAG_NB, looks up a ready palette.
void Reference_Tags(const Quarn_2D_Frame* f, const std::vector<uint32_t>& palette, uint32_t* out) {
  const uint16_t top = uint16_t(palette.size() - 1);
  for (int y = 0; y < f->height; ++y) {
    const uint16_t* row = f->work_tag[y];
    uint32_t* dst = out + size_t(y) * f->width;
    for (int x = 0; x < f->width; ++x) dst[x] = palette[std::min(row[x], top)];
  }
}

std::vector<uint32_t> Palette() {
  const int nb = *Var<uint16_t>(L"$TAG_NB");
  const uint16_t* r = *Var<uint16_t*>(L"$TAG_RED");
  const uint16_t* g = *Var<uint16_t*>(L"$TAG_GRN");
  const uint16_t* b = *Var<uint16_t*>(L"$TAG_BLU");
  const float* a = *Var<float*>(L"$TAG_ALPHA");
  std::vector<uint32_t> palette(size_t(nb) + 1);
  for (int t = 0; t <= nb; ++t)
    palette[size_t(t)] = uint32_t(r[t] >> 8) | uint32_t(g[t] >> 8) << 8 | uint32_t(b[t] >> 8) << 16 |
                         uint32_t(double(a[t]) * 255.0) << 24;
  return palette;
}

// The library's update and the baseline in turns within one benchmark.
template <class Update, class Baseline>
void Ratio(benchmark::State& state, Update update, Baseline baseline) {
  double own = 0, base = 0;
  for (auto _ : state) {
    const double t0 = Thread_Seconds();
    update();
    benchmark::ClobberMemory();
    const double t1 = Thread_Seconds();
    baseline();
    benchmark::ClobberMemory();
    base += Thread_Seconds() - t1;
    own += t1 - t0;
  }
  state.counters["own_us"] = own / double(state.iterations()) * 1e6;
  state.counters["base_us"] = base / double(state.iterations()) * 1e6;
  state.counters["cost_ratio"] = own / base;
}

void BM_GLI_Update_vs_Scalar(benchmark::State& state) {
  Frame_Setup s(int(state.range(0)));
  std::vector<uint32_t> out(size_t(s.side) * s.side);
  Ratio(
      state,
      [&] {
        s.Region(0, 0, s.side);
        Class_Frame_Update_GLI_Disp(s.frame);
      },
      [&] { Reference_Grey(s.frame, out.data()); });
  state.SetItemsProcessed(state.iterations() * s.side * s.side);
}
BENCHMARK(BM_GLI_Update_vs_Scalar)->ArgName("side")->Arg(512)->Arg(2048)->Unit(benchmark::kMicrosecond);

void BM_TAG_Update_vs_Lookup(benchmark::State& state) {
  Frame_Setup s(int(state.range(0)));
  std::vector<uint32_t> out(size_t(s.side) * s.side);
  const std::vector<uint32_t> palette = Palette();
  Ratio(
      state,
      [&] {
        s.Region(0, 0, s.side);
        Class_Frame_Update_TAG_Disp(s.frame);
      },
      [&] { Reference_Tags(s.frame, palette, out.data()); });
  state.SetItemsProcessed(state.iterations() * s.side * s.side);
}
BENCHMARK(BM_TAG_Update_vs_Lookup)->ArgName("side")->Arg(512)->Arg(2048)->Unit(benchmark::kMicrosecond);

// A 32 x 32 region (both layers) in the middle of a 2048 x 2048 frame against the same region of
// a 512 x 512 frame: the work follows the region, not the frame.
void BM_Region_Large_vs_Small(benchmark::State& state) {
  Frame_Setup large(2048), small(512);
  constexpr int Region_Side = 32;
  Ratio(
      state,
      [&] {
        large.Region(1000, 1000, Region_Side);
        Class_Frame_Update_GLI_Disp(large.frame);
        Class_Frame_Update_TAG_Disp(large.frame);
      },
      [&] {
        small.Region(240, 240, Region_Side);
        Class_Frame_Update_GLI_Disp(small.frame);
        Class_Frame_Update_TAG_Disp(small.frame);
      });
}
BENCHMARK(BM_Region_Large_vs_Small)->Unit(benchmark::kMicrosecond);

// A one-frame window of 512 x 512 redrawn whole: both layers rebuilt from the working layers and
// drawn with scheme 1 (tags blended over the grey image), finished on llvmpipe.
void BM_Full_Redraw_512(benchmark::State& state) {
  Frame_Setup s(512);
  Host_Window w = Platform_Window_Create(L"bench", 512, 512, nullptr);
  const bool textured = state.range(0) != 0;
  *Var<uint8_t>(L"$OPENGL_FLAG") = textured ? 0x02 : 0;
  OpenGL_Context_On(w, OPENGL_CONTEXT_BACK);  // the context is made once, outside the timing
  OpenGL_Context_Off(w, 0);
  for (auto _ : state) {
    OpenGL_Context_On(w, OPENGL_CONTEXT_BACK);
    glViewport(0, 0, 512, 512);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 512, 0, 512, 0, 0.5);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    s.frame->disp_gli = s.frame->disp_tag = nullptr;
    s.frame->Region_Update_Set(nullptr);
    Fct_Callback_Update_GLI_Disp(s.frame);
    Fct_Callback_Update_TAG_Disp(s.frame);
    glRasterPos2f(0, 512);
    glPushMatrix();
    glTranslatef(0, 512, 0);
    Fct_Draw_OpenGL_Pixel(1, 1, 1, 0, 0, 512, 512, s.frame);
    glPopMatrix();
    OpenGL_Context_Off(w, 0);  // flushes and finishes
  }
  *Var<uint8_t>(L"$OPENGL_FLAG") = 0;
  OpenGL_Context_Cleanup();
  Platform_Window_Destroy(w);
}
BENCHMARK(BM_Full_Redraw_512)->ArgName("texture")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
