// Loading the working grey layer of a 512 x 512 frame through the pixel-access chain (plain, with
// an identity matrix, with an oblique matrix), against a plain copy of the same pixels out of the
// image record measured in the same run.
#include "Bench_Support.h"

#include <quarn/quarn.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int Side = 512;
constexpr int Pixels = Side * Side;

// root -> group -> frame over one S16 record of varied values.
struct Frame_Setup : quarn_bench::One_Frame {
  Frame_Setup() : One_Frame(L"/bench/frame.dcm", Side, Side, HOST_PIXEL_S16, Values()) {}

  static std::vector<int16_t> Values() {
    std::vector<int16_t> values(Pixels);
    for (int i = 0; i < Pixels; ++i) values[size_t(i)] = int16_t((i * 37) % 4000 - 1000);
    return values;
  }

  // A matrix on the group: 1 the identity (the same pixels, but the chain must map every
  // point), 2 a turn by 30 degrees about the frame's centre (an oblique view).
  void Matrix_On_Chain(int64_t kind) {
    if (!kind) return;
    auto* m = new Mat4;
    m->init();
    if (kind == 2) {
      const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6), h = Side / 2.0;
      m->m[0][0] = c, m->m[0][1] = s, m->m[1][0] = -s, m->m[1][1] = c;
      m->m[3][0] = h - c * h + s * h, m->m[3][1] = h - s * h - c * h;
    }
    group->mat_child_to_parent = m;
  }
};

// The baseline: the record's pixels widened into a row matrix of 32-bit values.
void Plain_Copy(const Host_Image_Record* record, int32_t** rows) {
  const auto* pixels = static_cast<const int16_t*>(record->pixels);
  for (int y = 0; y < Side; ++y)
    for (int x = 0; x < Side; ++x) rows[y][x] = pixels[y * Side + x];
}

struct Plain_Rows {
  int32_t** rows = reinterpret_cast<int32_t**>(Mat_Alloc(Side, Side, 4));
  ~Plain_Rows() { Mat_Free(Side, reinterpret_cast<void**>(rows)); }
};

void BM_Work_GLI_Load(benchmark::State& state) {
  Frame_Setup setup;
  setup.Matrix_On_Chain(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(setup.frame->Work_GLI_Load());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * Pixels);
}
BENCHMARK(BM_Work_GLI_Load)->ArgName("matrix")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_Record_Plain_Copy(benchmark::State& state) {
  Frame_Setup setup;
  Plain_Rows plain;
  for (auto _ : state) {
    Plain_Copy(setup.frame->image, plain.rows);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * Pixels);
}
BENCHMARK(BM_Record_Plain_Copy)->Unit(benchmark::kMicrosecond);

// Both in turns within one benchmark, so that the ratio compares like with like.
void BM_Work_GLI_Load_Cost_Ratio(benchmark::State& state) {
  Frame_Setup setup;
  setup.Matrix_On_Chain(state.range(0));
  Plain_Rows plain;
  using Clock = std::chrono::steady_clock;
  Clock::duration load_time{}, copy_time{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(setup.frame->Work_GLI_Load());
    benchmark::ClobberMemory();
    const auto t1 = Clock::now();
    Plain_Copy(setup.frame->image, plain.rows);
    benchmark::ClobberMemory();
    const auto t2 = Clock::now();
    load_time += t1 - t0;
    copy_time += t2 - t1;
  }
  const double load_s = std::chrono::duration<double>(load_time).count();
  const double copy_s = std::chrono::duration<double>(copy_time).count();
  const double pixels = double(state.iterations()) * Pixels;
  state.counters["load_pixels_per_s"] = pixels / load_s;
  state.counters["copy_pixels_per_s"] = pixels / copy_s;
  state.counters["cost_ratio"] = load_s / copy_s;
}
BENCHMARK(BM_Work_GLI_Load_Cost_Ratio)
    ->ArgName("matrix")
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
