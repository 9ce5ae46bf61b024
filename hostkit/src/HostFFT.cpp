// Two-dimensional discrete Fourier transform of double planes through FFTW.
#include <hostkit/HostUtil.h>

#include <fftw3.h>

#include <cstdint>
#include <mutex>

namespace {

// FFTW's planner keeps global state and is not re-entrant; executing a plan is.
std::mutex g_planner;

[[gnu::cold]] void Report_No_Memory(int line, int width, int height) {
  Host_Report(Host_Main_Window, 1, "line %-4d of %s \nmemory error in malloc (var=%s, dim=%dx%d)",
              line, __FILE_NAME__, "plane", width, height);
}

}  // namespace

int Host_FFT_2D(int direction, int width, int height, const double* real_in,
                const double* imag_in, double* real_out, double* imag_out) {
  if (direction != FFTW_FORWARD && direction != FFTW_BACKWARD) return 0;
  if (width <= 0 || height <= 0 || !real_in || !real_out || !imag_out) return 0;
  size_t count = size_t(width) * size_t(height);
  if (count > SIZE_MAX / sizeof(fftw_complex)) {
    Report_No_Memory(__LINE__, width, height);
    return 0;
  }
  // One interleaved work plane lets the outputs alias the inputs.
  auto* plane = static_cast<fftw_complex*>(fftw_malloc(count * sizeof(fftw_complex)));
  if (!plane) {
    Report_No_Memory(__LINE__, width, height);
    return 0;
  }
  for (size_t i = 0; i < count; ++i) {
    plane[i][0] = real_in[i];
    plane[i][1] = imag_in ? imag_in[i] : 0.0;
  }
  fftw_plan plan;
  {
    std::lock_guard<std::mutex> hold(g_planner);
    plan = fftw_plan_dft_2d(height, width, plane, plane, direction, FFTW_ESTIMATE);
  }
  if (!plan) {
    fftw_free(plane);
    return 0;
  }
  fftw_execute(plan);
  {
    std::lock_guard<std::mutex> hold(g_planner);
    fftw_destroy_plan(plan);
  }
  for (size_t i = 0; i < count; ++i) {
    real_out[i] = plane[i][0];
    imag_out[i] = plane[i][1];
  }
  fftw_free(plane);
  return 1;
}
