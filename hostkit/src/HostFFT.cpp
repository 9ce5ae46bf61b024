// Two-dimensional discrete Fourier transform of double planes through FFTW's measured plans.
#include <hostkit/HostUtil.h>

#include "HostFFTPlans.h"

#include <hostkit/HostReport.h>

#include <cstdint>
#include <cstring>

namespace {

using hostkit::FFT_Problem;
using hostkit::FFT_Shape;

[[gnu::cold]] void Report_No_Memory(int line, const char* var, int width, int height) {
  Host_Report(Host_Main_Window, 1, "line %-4d of %s \nmemory error in malloc (var=%s, dim=%dx%d)",
              line, __FILE_NAME__, var, width, height);
}

// One growing block per thread, in FFTW's alignment, kept for the thread's next transform.
class Scratch {
public:
  ~Scratch() { fftw_free(data_); }
  void* Get(size_t bytes) {
    if (bytes <= size_) return data_;
    fftw_free(data_);
    data_ = fftw_malloc(bytes);
    size_ = data_ ? bytes : 0;
    return data_;
  }

private:
  void* data_ = nullptr;
  size_t size_ = 0;
};

thread_local Scratch t_spectrum;  // interleaved plane or half spectrum
thread_local Scratch t_real;      // a real input that lacks FFTW's alignment

bool Aligned(const double* p) { return fftw_alignment_of(const_cast<double*>(p)) == 0; }

// The full spectrum of a real plane from its half: X[r][c] = conj(X[(H - r) % H][W - c]) for the
// columns past the middle; the sign of the exponent flips the imaginary parts.
void Spectrum_Expand(const fftw_complex* half, int width, int height, int direction,
                     double* real_out, double* imag_out) {
  const int stored = width / 2 + 1;
  const double sign = direction == FFTW_FORWARD ? 1.0 : -1.0;
  for (int r = 0; r < height; ++r) {
    const fftw_complex* row = half + size_t(r) * stored;
    const fftw_complex* mirror = half + size_t((height - r) % height) * stored;
    double* re = real_out + size_t(r) * width;
    double* im = imag_out + size_t(r) * width;
    for (int c = 0; c < stored && c < width; ++c) {
      re[c] = row[c][0];
      im[c] = sign * row[c][1];
    }
    for (int c = stored; c < width; ++c) {
      re[c] = mirror[width - c][0];
      im[c] = -sign * mirror[width - c][1];
    }
  }
}

int Real_Transform(int direction, int width, int height, const double* real_in, double* real_out,
                   double* imag_out) {
  fftw_plan plan = hostkit::FFT_Plan_Get({FFT_Shape::Real_Input, 0, width, height});
  if (!plan) return 0;
  const size_t count = size_t(width) * size_t(height);
  auto* half = static_cast<fftw_complex*>(
      t_spectrum.Get(hostkit::Half_Spectrum_Count(width, height) * sizeof(fftw_complex)));
  if (!half) {
    Report_No_Memory(__LINE__, "half", width, height);
    return 0;
  }
  auto* input = const_cast<double*>(real_in);  // a real-input plan leaves its input as it was
  if (!Aligned(input)) {
    input = static_cast<double*>(t_real.Get(count * sizeof(double)));
    if (!input) {
      Report_No_Memory(__LINE__, "real", width, height);
      return 0;
    }
    std::memcpy(input, real_in, count * sizeof(double));
  }
  fftw_execute_dft_r2c(plan, input, half);
  Spectrum_Expand(half, width, height, direction, real_out, imag_out);
  return 1;
}

int Complex_Transform(int direction, int width, int height, const double* real_in,
                      const double* imag_in, double* real_out, double* imag_out) {
  fftw_plan plan = hostkit::FFT_Plan_Get({FFT_Shape::Complex, direction, width, height});
  if (!plan) return 0;
  const size_t count = size_t(width) * size_t(height);
  // One interleaved work plane lets the outputs alias the inputs.
  auto* plane = static_cast<fftw_complex*>(t_spectrum.Get(count * sizeof(fftw_complex)));
  if (!plane) {
    Report_No_Memory(__LINE__, "plane", width, height);
    return 0;
  }
  for (size_t i = 0; i < count; ++i) {
    plane[i][0] = real_in[i];
    plane[i][1] = imag_in[i];
  }
  fftw_execute_dft(plan, plane, plane);
  for (size_t i = 0; i < count; ++i) {
    real_out[i] = plane[i][0];
    imag_out[i] = plane[i][1];
  }
  return 1;
}

}  // namespace

int Host_FFT_2D(int direction, int width, int height, const double* real_in,
                const double* imag_in, double* real_out, double* imag_out) {
  if (direction != FFTW_FORWARD && direction != FFTW_BACKWARD) return 0;
  if (width <= 0 || height <= 0 || !real_in || !real_out || !imag_out) return 0;
  if (size_t(width) * size_t(height) > SIZE_MAX / sizeof(fftw_complex)) {
    Report_No_Memory(__LINE__, "plane", width, height);
    return 0;
  }
  if (!imag_in) return Real_Transform(direction, width, height, real_in, real_out, imag_out);
  return Complex_Transform(direction, width, height, real_in, imag_in, real_out, imag_out);
}
