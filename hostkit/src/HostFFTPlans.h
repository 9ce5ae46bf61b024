// The FFT plans of the kit: measured once per problem, kept for the run, shared by all threads.
#pragma once

#include <fftw3.h>

#include <compare>
#include <cstddef>

namespace hostkit {

/// The two transforms the kit runs.
enum class FFT_Shape : unsigned char {
  Complex,     ///< Complex to complex, in place on an interleaved plane.
  Real_Input,  ///< Real to half-spectrum, from a real plane into a separate complex one.
};

/// What a plan is made for; a plan serves every pair of arrays with FFTW's own alignment.
struct FFT_Problem {
  FFT_Shape shape;
  int direction;  ///< -1 or +1 for Complex; 0 for Real_Input (always forward).
  int width;
  int height;
  auto operator<=>(const FFT_Problem&) const = default;
};

/// The plan of a problem, made on first request (measured, or from the wisdom kept in the
/// user's cache folder, which is brought up to date afterwards); null, reported, when FFTW
/// cannot plan it or its arrays cannot be had. Thread-safe; planning is serialised.
fftw_plan FFT_Plan_Get(const FFT_Problem& problem);

/// Elements of the half spectrum of a real plane: height rows of width / 2 + 1.
inline size_t Half_Spectrum_Count(int width, int height) {
  return size_t(width / 2 + 1) * size_t(height);
}

}  // namespace hostkit
