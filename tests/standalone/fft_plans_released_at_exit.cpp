// A process that transforms planes of several sizes and ends: the kit's FFT plans and FFTW's
// planner tables must all be released on the way out. Built with the address sanitizer, its leak
// check fails this program when any of them is left behind.
#include <hostkit/HostUtil.h>

#include <cstdio>
#include <vector>

int main() {
  const int sizes[][2] = {{8, 8}, {6, 5}, {64, 32}, {1, 1}};
  for (const auto& s : sizes) {
    const size_t n = size_t(s[0]) * size_t(s[1]);
    std::vector<double> re(n, 1.0), im(n, 0.0), out_re(n), out_im(n);
    for (int direction : {-1, 1})
      if (Host_FFT_2D(direction, s[0], s[1], re.data(), im.data(), out_re.data(), out_im.data()) != 1) {
        std::fprintf(stderr, "transform %dx%d failed\n", s[0], s[1]);
        return 1;
      }
    // The real-input path has plans of its own.
    if (Host_FFT_2D(-1, s[0], s[1], re.data(), nullptr, out_re.data(), out_im.data()) != 1) return 1;
  }
  return 0;
}
