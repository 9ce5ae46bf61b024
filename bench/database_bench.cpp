// Cost of generating the 2D tree from the file lists, against building the same frames directly.
#include "Bench_Support.h"

#include <quarn/quarn.h>

#include <hostkit/HostTreeModule2D.h>
#include <platform/PlatformWindow.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int Records = 20;
constexpr int Slices = 100;  // 20 records x 100 slices = 2 000 frames

using quarn_bench::Var;

/// The host: default variables, one window, two files of ten 8 x 8 records over five patients.
struct Bench_Host {
  std::unique_ptr<Quarn_Window> window = std::make_unique<Quarn_Window>(0);
  std::vector<std::unique_ptr<Quarn_2D_File>> files;
  std::vector<Quarn_2D_File*> list;
  Module_Functions* modules[2] = {&Host_Tree_Module_2D, &Host_Tree_Module_2D};

  Bench_Host() {
    Host_Var_Default_Install();
    Fct_Main_Var_Get = Host_Var_Get;
    Host_Main_Window = Platform_Window_Create(L"main", 100, 100, nullptr);
    window->hwnd = Host_Main_Window;
    (*Var<void**>(L"$WINDOW_PT"))[0] = window.get();
    *Var<int>(L"$WINDOW_NB") = 1;
    *Var<void*>(L"$WINDOW_CUR") = window.get();
    std::vector<uint16_t> pixels(size_t(64 * Slices), 100);
    for (int f = 0; f < 2; ++f) {
      auto** records = static_cast<Host_Image_Record**>(std::calloc(Records / 2 + 1, sizeof(void*)));
      for (int r = 0; r < Records / 2; ++r) {
        Host_Image_Record* rec = Host_Image_Create(8, 8, Slices, 1, HOST_PIXEL_U16, pixels.data());
        char text[32];
        std::snprintf(text, sizeof text, "P%d", r % 5);
        rec->patient_id = strdup(text);
        std::snprintf(text, sizeof text, "S%d", f * Records + r);
        rec->description = strdup(text);
        records[r] = rec;
      }
      files.push_back(std::make_unique<Quarn_2D_File>(f ? L"/bench/b" : L"/bench/a",
                                                      reinterpret_cast<void**>(records)));
      list.push_back(files.back().get());
    }
    *Var<Quarn_2D_File**>(L"$DB_2D_FILE_PT") = list.data();
    *Var<int>(L"$DB_2D_FILE_NB") = int(list.size());
  }

  void Modules(int count) {
    *Var<Module_Functions**>(L"$DB_2D_TREE_PT") = modules;
    *Var<int>(L"$DB_2D_TREE_NB") = count;
  }
};

Bench_Host& Host() {
  static Bench_Host host;
  return host;
}

void Per_Frame(benchmark::State& state) {
  state.counters["per_frame"] = benchmark::Counter(double(Records * Slices),
                                                   benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

/// Baseline: the same frames made with the leaf insert under a fresh root, nothing else.
void BM_Frames_Direct(benchmark::State& state) {
  Bench_Host& host = Host();
  for (auto _ : state) {
    auto* root = new Quarn_2D_Root();
    for (Quarn_2D_File* file : host.list)
      for (int b = 0; b < file->Record_Count(); ++b)
        for (int s = 0; s < Slices; ++s) Class_2D_Frame_Insert(root, file, 0, b, s);
    benchmark::DoNotOptimize(root->Child_Get_Nb());
    delete root;
  }
  Per_Frame(state);
}

/// The whole generation with 0 or 2 levels of the sample tree module (patient, series).
void BM_Tree_Generate(benchmark::State& state) {
  Bench_Host& host = Host();
  host.Modules(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Database_2D_Tree_Generate());
  Database_2D_Free();
  Per_Frame(state);
}

BENCHMARK(BM_Frames_Direct)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tree_Generate)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
