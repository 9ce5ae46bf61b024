// One brush stroke of radius 10 across a one-frame window of 512 x 512: pointer messages pumped
// through the host's window procedure, the tree's routing, the brush painting through the frame's
// tag write with undo recording, the update of the stroke's rectangle and the redraw of that
// rectangle on llvmpipe. The same stroke over a 2048 x 2048 frame is measured in turns with the
// 512 x 512 one: its cost must follow the stroke, not the frame.
#include "Brush_Stroke.h"
#include "Host_Module.h"
#include "Host_Pointer.h"

#include "Bench_Support.h"

#include <quarn/quarn.h>

#include <GL/gl.h>

#include <platform/PlatformMessage.h>
#include <platform/PlatformWindow.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

extern "C" const Host_Module_Export* Host_Module_Describe();

namespace {

constexpr int Window_Side = 512;
// The stroke: a row across the window, one segment every Step window pixels.
constexpr int Stroke_Y = 256, Stroke_From = 16, Stroke_To = 496, Step = 16;
constexpr int Segments = (Stroke_To - Stroke_From) / Step;
constexpr const wchar_t* Radius = L"10";

using quarn_bench::Group_Node;
using quarn_bench::Thread_Seconds;
using quarn_bench::Wall_Seconds;
using quarn_bench::Var;
using quarn_bench::Table;

/// Runs a statement of the brush module.
void Brush(const wchar_t* what, const wchar_t* value) {
  std::wstring a = what, b = value;
  wchar_t* words[] = {a.data(), b.data()};
  wchar_t** list = words;
  int count = 2;
  Host_Module_Describe()->run(&count, &list);
}

// The host's state: variables, locks, undo, the brush taken up, and a tree of two frames (one
// of each size) under one root, shown one at a time in a one-frame window.
struct Session {
  Quarn_2D_Root root;
  std::vector<Quarn_2D_File*> files;
  Quarn_2D_Frame* small = nullptr;
  Quarn_2D_Frame* large = nullptr;
  Quarn_Window window{0};
  Platform_Window* drawable = nullptr;

  Session() {
    Host_Var_Default_Install();
    Fct_Main_Var_Get = Host_Var_Get;
    Host_Main_Window = Platform_Window_Create(L"main", 100, 100, nullptr);
    Fct_Critical_Create();
    Undo_Create();
    Host_Report_Filter_Default(false, false);
    *Var<Quarn_2D*>(L"$DB_2D_ROOT_PT") = &root;
    auto* group = new Group_Node;
    root.Child_Add(group);
    small = Frame(group, 512);
    large = Frame(group, 2048);
    window.Class_A_Set(WINDOW_MODE_2D_ONE);
    window.width = window.height = Window_Side;
    drawable = Platform_Window_Create(L"stroke", Window_Side, Window_Side, &window);
    window.hwnd = drawable;
    Table<Quarn_Window*>(L"$WINDOW_PT")[0] = &window;
    *Var<int>(L"$WINDOW_NB") = 1;
    *Var<Quarn_Window*>(L"$WINDOW_CUR") = &window;
    root.Flag_Set_On(0x30, &window, quarn::flag::Selected);
    Fct_Module_Active_Add(Host_Module_Describe()->functions);
    Brush(L"radius", Radius);
    OpenGL_Context_On(drawable, OPENGL_CONTEXT_BACK);  // made once, outside the timing
    OpenGL_Context_Off(drawable, 0);
  }
  ~Session() {
    OpenGL_Context_Cleanup();
    Platform_Window_Destroy(drawable);
    Undo_Reset();
    root.Child_Delete();
    for (Quarn_2D_File* f : files) delete f;
  }

  // A side x side 16-bit frame with its tag plane, its layers loaded and drawn once.
  Quarn_2D_Frame* Frame(Quarn_2D* group, int side) {
    std::vector<uint16_t> values(size_t(side) * side);
    for (size_t i = 0; i < values.size(); ++i) values[i] = uint16_t((i * 37) % 4096);
    auto** list = static_cast<void**>(std::calloc(2, sizeof(void*)));
    list[0] = Host_Image_Create(side, side, 1, 1, HOST_PIXEL_U16, values.data());
    Host_Image_Tags_Alloc(static_cast<Host_Image_Record*>(list[0]));
    files.push_back(new Quarn_2D_File(L"/bench/stroke.dcm", list));
    Class_2D_Frame_Insert(group, files.back(), 0, 0, 0);
    auto* frame = static_cast<Quarn_2D_Frame*>(group->Child_Get_Pt(group->Child_Get_Nb() - 1));
    frame->conv_a = 0, frame->conv_b = 1, frame->val_min = 100, frame->val_max = 3900;
    return frame;
  }

  /// Shows the frame at zoom 1 and draws the whole window once (outside the timing).
  void Show(Quarn_2D_Frame* frame) {
    Table<Quarn_2D*>(L"$FRAME_CUR")[0] = frame;
    Database_2D_Resize(&window);
    if (frame->zoom && frame->zoom[0]) frame->zoom[0][1] = 1.0f;
    Database_2D_Resize(&window);
    Database_2D_Visibility_Set(&window);
    frame->Region_Redraw_Set(nullptr);
    Update_Pass();
    Draw();
  }

  /// The host's update pass: frames drop the layers marked since the last one.
  void Update_Pass() {
    Database_2D_Update_A(~0ull, &root);
    root.Update_A_Set_Off(0x30, reinterpret_cast<void*>(uintptr_t(8)), ~0ull);
  }

  /// The drawing pass over what was marked for redrawing, finished on the device.
  void Draw() {
    OpenGL_Context_On(drawable, OPENGL_CONTEXT_BACK);
    Database_2D_Draw_OpenGL(~0ull, &window, nullptr);
    OpenGL_Context_Off(drawable, 0);
    for (Quarn_2D_Frame* f : {small, large}) f->Region_Redraw_Clear();
  }

  /// One pointer message through the window procedure, then the update and the redraw.
  void Pointer(uint32_t id, int x, bool contact) {
    Platform_Post_Message(drawable, id, Host_Pointer_Word(contact), Host_Pointer_Position(x, Stroke_Y));
    Platform_Pump(drawable, &Host_Window_Procedure);
    Update_Pass();
    Draw();
  }
};

Session& The_Session() {
  static Session session;
  return session;
}

/// One whole stroke on the frame shown; returns its seconds of (thread CPU, wall) time for the
/// segments (the press and the release are counted with them).
std::pair<double, double> Stroke(Session& s, int tag) {
  Brush(L"tag", std::to_wstring(tag).c_str());
  const double c0 = Thread_Seconds(), w0 = Wall_Seconds();
  s.Pointer(PLATFORM_MSG_POINTER_DOWN, Stroke_From, true);
  for (int x = Stroke_From + Step; x < Stroke_To; x += Step) s.Pointer(PLATFORM_MSG_POINTER_UPDATE, x, true);
  s.Pointer(PLATFORM_MSG_POINTER_UP, Stroke_To, false);
  return {Thread_Seconds() - c0, Wall_Seconds() - w0};
}

/// True when the middle of the stroke holds its tag: the events reached the brush.
bool Painted(Session& s, int tag) {
  Quarn_2D_Frame* f = Host_Frame_Under(&s.window, Window_Side / 2, Stroke_Y);
  if (!f) return false;
  const Point_2D p = f->Inf_2_Frm(&s.window, s.window.Wnd_2_Inf(Point_2D(8, float(Window_Side / 2), float(Stroke_Y))));
  return f->fct_read_tag(f, f->image, Vec4(p.x, p.y, float(f->z_index), float(f->t_index))) == tag;
}

void BM_Stroke_Segment_512(benchmark::State& state) {
  Session& s = The_Session();
  s.Show(s.small);
  double cpu = 0, wall = 0;
  int tag = 2;
  for (auto _ : state) {
    const auto [c, w] = Stroke(s, tag);
    if (!Painted(s, tag)) state.SkipWithError("the stroke painted nothing");
    tag = tag == 2 ? 3 : 2;  // every stroke changes the pixels of the one before
    cpu += c, wall += w;
  }
  const double segments = double(state.iterations()) * Segments;
  state.counters["cpu_ms_per_segment"] = cpu / segments * 1e3;
  state.counters["wall_ms_per_segment"] = wall / segments * 1e3;
}
BENCHMARK(BM_Stroke_Segment_512)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same stroke on the large frame and on the small one, in turns.
void BM_Stroke_2048_vs_512(benchmark::State& state) {
  Session& s = The_Session();
  double large_cpu = 0, small_cpu = 0, large_wall = 0, small_wall = 0;
  int tag = 2;
  for (auto _ : state) {
    state.PauseTiming();
    s.Show(s.large);
    state.ResumeTiming();
    const auto [lc, lw] = Stroke(s, tag);
    if (!Painted(s, tag)) state.SkipWithError("the stroke painted nothing on the large frame");
    state.PauseTiming();
    s.Show(s.small);
    state.ResumeTiming();
    const auto [sc, sw] = Stroke(s, tag);
    tag = tag == 2 ? 3 : 2;
    large_cpu += lc, small_cpu += sc, large_wall += lw, small_wall += sw;
  }
  const double segments = double(state.iterations()) * Segments;
  state.counters["cpu_ms_2048"] = large_cpu / segments * 1e3;
  state.counters["cpu_ms_512"] = small_cpu / segments * 1e3;
  state.counters["cpu_ratio"] = large_cpu / small_cpu;
  state.counters["wall_ratio"] = large_wall / small_wall;
}
BENCHMARK(BM_Stroke_2048_vs_512)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
