// The Fourier planes of a 512 x 256 frame against FFTW executing its own measured plan of a
// 512 x 256 complex transform, measured in the same run.
#include "Bench_Support.h"

#include <quarn/quarn.h>

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include <malloc.h>

namespace {

constexpr int Width = 512, Height = 256;
constexpr int Pixels = Width * Height;
constexpr uint32_t Slot_Real = 71, Slot_Imag = 72;

// The planes are dropped and made again at every iteration. Kept on the heap (not mapped afresh
// each time, which the allocator may or may not do depending on what ran before), the figures
// measure the transform rather than the kernel zeroing new pages.
const int g_heap_planes = mallopt(M_MMAP_THRESHOLD, 64 << 20);

// root -> group -> one frame over an S16 record, its grey layer loaded.
struct Frame_Setup : quarn_bench::One_Frame {
  Frame_Setup() : One_Frame(L"/bench/fft.dcm", Width, Height, HOST_PIXEL_S16, Values()) {
    frame->Work_GLI_Get();
    Transform();  // plans made before timing starts
  }

  static std::vector<int16_t> Values() {
    std::vector<int16_t> values(Pixels);
    for (int i = 0; i < Pixels; ++i) values[size_t(i)] = int16_t((i * 37) % 4000 - 1000);
    return values;
  }

  // The planes are computed once per frame: dropping them makes the next request compute again.
  double* Transform() {
    frame->User_Delete(Slot_Real);
    frame->User_Delete(Slot_Imag);
    return reinterpret_cast<Quarn_Frame_FFT_Plane>(frame->fct_fft[2])(frame);
  }
};

// FFTW alone: an in-place complex transform of the same size with a measured plan.
struct FFTW_Setup {
  fftw_complex* plane = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * Pixels));
  fftw_plan plan = fftw_plan_dft_2d(Height, Width, plane, plane, FFTW_BACKWARD, FFTW_MEASURE);
  FFTW_Setup() {
    for (int i = 0; i < Pixels; ++i) plane[i][0] = (i * 37) % 4000 - 1000, plane[i][1] = 0;
  }
  ~FFTW_Setup() {
    fftw_destroy_plan(plan);
    fftw_free(plane);
  }
  FFTW_Setup(const FFTW_Setup&) = delete;
  FFTW_Setup& operator=(const FFTW_Setup&) = delete;
};

void BM_Frame_FFT(benchmark::State& state) {
  Frame_Setup setup;
  for (auto _ : state) benchmark::DoNotOptimize(setup.Transform());
}
BENCHMARK(BM_Frame_FFT)->Unit(benchmark::kMicrosecond);

void BM_FFTW_Execute(benchmark::State& state) {
  FFTW_Setup fftw;
  for (auto _ : state) {
    fftw_execute(fftw.plan);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_FFTW_Execute)->Unit(benchmark::kMicrosecond);

// Both in turns within one benchmark, so that the ratio compares like with like.
void BM_Frame_FFT_Cost_Ratio(benchmark::State& state) {
  Frame_Setup setup;
  FFTW_Setup fftw;
  using Clock = std::chrono::steady_clock;
  Clock::duration frame_time{}, fftw_time{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(setup.Transform());
    const auto t1 = Clock::now();
    fftw_execute(fftw.plan);
    benchmark::ClobberMemory();
    const auto t2 = Clock::now();
    frame_time += t1 - t0;
    fftw_time += t2 - t1;
  }
  state.counters["frame_us"] = std::chrono::duration<double, std::micro>(frame_time).count() / double(state.iterations());
  state.counters["fftw_us"] = std::chrono::duration<double, std::micro>(fftw_time).count() / double(state.iterations());
  state.counters["cost_ratio"] = std::chrono::duration<double>(frame_time).count() /
                                 std::chrono::duration<double>(fftw_time).count();
}
BENCHMARK(BM_Frame_FFT_Cost_Ratio)->Unit(benchmark::kMicrosecond);

}  // namespace
