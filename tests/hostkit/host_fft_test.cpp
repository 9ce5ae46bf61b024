// Two-dimensional FFT of the host kit on known signals, round trips and concurrent calls.
#include <hostkit/HostUtil.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Planes {
  Planes(int w, int h) : w(w), h(h), re(size_t(w) * h), im(size_t(w) * h), out_re(re.size()), out_im(re.size()) {}
  int Run(int direction, bool with_imag = true) {
    return Host_FFT_2D(direction, w, h, re.data(), with_imag ? im.data() : nullptr, out_re.data(), out_im.data());
  }
  int w, h;
  std::vector<double> re, im, out_re, out_im;
};

TEST(HostFFT, ConstantGoesToZeroFrequencyOnly) {
  Planes p(6, 5);  // sizes that are not powers of two
  for (double& v : p.re) v = 2.5;
  ASSERT_EQ(p.Run(-1, false), 1);  // no imaginary input: zeros
  EXPECT_NEAR(p.out_re[0], 2.5 * 30, 1e-9);
  for (size_t i = 1; i < p.re.size(); ++i) {
    EXPECT_NEAR(p.out_re[i], 0.0, 1e-9) << i;
    EXPECT_NEAR(p.out_im[i], 0.0, 1e-9) << i;
  }
}

TEST(HostFFT, CosineAlongRowsPeaksAtItsFrequency) {
  // cos(2 pi k x / W) is constant down each column: two peaks of W*H/2 at (k, 0) and (W-k, 0),
  // so the test also tells width from height (row-major, width values per row).
  const int w = 16, h = 8, k = 3;
  Planes p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.re[size_t(y) * w + x] = std::cos(2 * M_PI * k * x / w);
  ASSERT_EQ(p.Run(-1), 1);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      size_t i = size_t(y) * w + x;
      double expected = (y == 0 && (x == k || x == w - k)) ? w * h / 2.0 : 0.0;
      EXPECT_NEAR(p.out_re[i], expected, 1e-9) << x << "," << y;
      EXPECT_NEAR(p.out_im[i], 0.0, 1e-9) << x << "," << y;
    }
}

TEST(HostFFT, DirectionIsTheSignOfTheExponent) {
  // A sine along x: forward gives -i W H / 2 at (1, 0); +1 gives the conjugate.
  const int w = 8, h = 2;
  Planes p(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p.re[size_t(y) * w + x] = std::sin(2 * M_PI * x / w);
  ASSERT_EQ(p.Run(-1), 1);
  EXPECT_NEAR(p.out_im[1], -w * h / 2.0, 1e-9);
  ASSERT_EQ(p.Run(+1), 1);
  EXPECT_NEAR(p.out_im[1], w * h / 2.0, 1e-9);
}

TEST(HostFFT, ForwardThenInverseIsScaledIdentity) {
  const int w = 12, h = 10;
  Planes p(w, h);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1, 1);
  for (size_t i = 0; i < p.re.size(); ++i) { p.re[i] = u(rng); p.im[i] = u(rng); }
  std::vector<double> re0 = p.re, im0 = p.im;
  ASSERT_EQ(p.Run(-1), 1);
  p.re = p.out_re;
  p.im = p.out_im;
  ASSERT_EQ(p.Run(+1), 1);
  for (size_t i = 0; i < re0.size(); ++i) {
    EXPECT_NEAR(p.out_re[i] / (w * h), re0[i], 1e-12);
    EXPECT_NEAR(p.out_im[i] / (w * h), im0[i], 1e-12);
  }
}

TEST(HostFFT, OutputsMayBeTheInputs) {
  Planes p(4, 4), q(4, 4);
  for (size_t i = 0; i < p.re.size(); ++i) p.re[i] = q.re[i] = double(i * i % 7);
  ASSERT_EQ(q.Run(-1), 1);
  ASSERT_EQ(Host_FFT_2D(-1, 4, 4, p.re.data(), p.im.data(), p.re.data(), p.im.data()), 1);
  for (size_t i = 0; i < p.re.size(); ++i) {
    EXPECT_DOUBLE_EQ(p.re[i], q.out_re[i]);
    EXPECT_DOUBLE_EQ(p.im[i], q.out_im[i]);
  }
}

TEST(HostFFT, BadArgumentsFail) {
  std::vector<double> a(16), b(16);
  struct Case { int direction, w, h; bool real_in, real_out, imag_out; };
  const Case cases[] = {
      {0, 4, 4, true, true, true},    // neither direction
      {2, 4, 4, true, true, true},
      {-1, 0, 4, true, true, true},   // empty plane
      {-1, 4, -1, true, true, true},
      {-1, 4, 4, false, true, true},  // missing planes
      {-1, 4, 4, true, false, true},
      {-1, 4, 4, true, true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Host_FFT_2D(c.direction, c.w, c.h, c.real_in ? a.data() : nullptr, nullptr,
                          c.real_out ? b.data() : nullptr, c.imag_out ? b.data() : nullptr),
              0)
        << c.direction << " " << c.w << "x" << c.h;
}

// The transform summed term by term: the reference model for small planes.
void Naive_DFT(int direction, int w, int h, const std::vector<double>& re, const std::vector<double>& im,
               std::vector<double>& out_re, std::vector<double>& out_im) {
  for (int v = 0; v < h; ++v)
    for (int u = 0; u < w; ++u) {
      std::complex<double> sum = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const double angle = direction * 2 * M_PI * (double(u) * x / w + double(v) * y / h);
          sum += std::complex<double>(re[size_t(y) * w + x], im[size_t(y) * w + x]) *
                 std::polar(1.0, angle);
        }
      out_re[size_t(v) * w + u] = sum.real();
      out_im[size_t(v) * w + u] = sum.imag();
    }
}

TEST(HostFFT, EqualsTheSummedTransformOnOddAndTinySizes) {
  struct Case { int w, h; bool complex_input; };
  const Case cases[] = {
      {1, 1, false},   // a single pixel: its own transform
      {1, 1, true},
      {7, 1, false},   // one row of prime length
      {1, 5, true},    // one column
      {13, 11, false}, // both sides prime, real input
      {13, 11, true},  // the same through the complex transform
      {2, 3, false},   // even width: the middle column of the half spectrum is its own mirror
      {6, 4, false},
  };
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(-3, 3);
  for (const Case& c : cases)
    for (int direction : {-1, +1}) {
      Planes p(c.w, c.h);
      for (size_t i = 0; i < p.re.size(); ++i) {
        p.re[i] = u(rng);
        p.im[i] = c.complex_input ? u(rng) : 0.0;
      }
      std::vector<double> ref_re(p.re.size()), ref_im(p.re.size());
      Naive_DFT(direction, c.w, c.h, p.re, p.im, ref_re, ref_im);
      ASSERT_EQ(p.Run(direction, c.complex_input), 1);
      for (size_t i = 0; i < p.re.size(); ++i) {
        EXPECT_NEAR(p.out_re[i], ref_re[i], 1e-9) << c.w << "x" << c.h << " dir " << direction << " at " << i;
        EXPECT_NEAR(p.out_im[i], ref_im[i], 1e-9) << c.w << "x" << c.h << " dir " << direction << " at " << i;
      }
    }
}

TEST(HostFFT, RealInputSpectrumRoundTripsThroughTheInverse) {
  // Forward from a real plane (the half-spectrum path), back through the complex path.
  const int sizes[][2] = {{1, 1}, {17, 3}, {32, 16}, {31, 29}};
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(-100, 100);
  for (const auto& size : sizes) {
    const int w = size[0], h = size[1];
    Planes p(w, h);
    for (double& v : p.re) v = u(rng);
    const std::vector<double> original = p.re;
    ASSERT_EQ(p.Run(-1, false), 1);
    ASSERT_EQ(Host_FFT_2D(+1, w, h, p.out_re.data(), p.out_im.data(), p.re.data(), p.im.data()), 1);
    for (size_t i = 0; i < original.size(); ++i) {
      EXPECT_NEAR(p.re[i] / (w * h), original[i], 1e-9) << w << "x" << h;
      EXPECT_NEAR(p.im[i] / (w * h), 0.0, 1e-9) << w << "x" << h;
    }
  }
}

TEST(HostFFT, PlanesOffFFTWsAlignmentGiveTheSameBits) {
  // A plane one double off FFTW's alignment is copied to an aligned one: the same plan runs.
  const int w = 10, h = 6;
  const size_t n = size_t(w) * h;
  std::vector<double> store(n + 1), imag(n), out_re(n), out_im(n), ref_re(n), ref_im(n);
  for (size_t i = 0; i < n; ++i) store[i] = store[i + 1] = std::sin(0.3 * double(i));
  ASSERT_EQ(Host_FFT_2D(-1, w, h, store.data(), nullptr, ref_re.data(), ref_im.data()), 1);
  for (size_t i = 0; i < n; ++i) store[i + 1] = std::sin(0.3 * double(i));
  ASSERT_EQ(Host_FFT_2D(-1, w, h, store.data() + 1, nullptr, out_re.data(), out_im.data()), 1);
  EXPECT_EQ(out_re, ref_re);
  EXPECT_EQ(out_im, ref_im);
}

TEST(HostFFT, NewPlansAreKeptAsWisdomInTheCacheFolder) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("quarn_fft_cache_" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  const std::wstring wide = folder.wstring() + L"/nested/";
  const wchar_t* kept = Host_Cache_Dir;
  Host_Cache_Dir = wide.c_str();
  static int runs = 0;  // a plan is kept for the process: a repeated run needs a new size
  Planes p(23, 9 + 2 * runs++);  // sizes no other test plans
  p.re[5] = 1;
  const int done = p.Run(+1);
  Host_Cache_Dir = kept;
  ASSERT_EQ(done, 1);
  std::ifstream file(folder / "nested" / "fftw-wisdom");
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("fftw_wisdom"), std::string::npos) << text.str();
  std::filesystem::remove_all(folder);
}

TEST(HostFFT, ConcurrentCallsAgree) {
  // Dispatch workers transform frames at the same time; planning must not race.
  const int w = 32, h = 16;
  Planes ref(w, h);
  for (size_t i = 0; i < ref.re.size(); ++i) ref.re[i] = std::sin(double(i));
  ASSERT_EQ(ref.Run(-1), 1);
  Planes ref_real(w, h);
  ref_real.re = ref.re;
  ASSERT_EQ(ref_real.Run(-1, false), 1);
  std::vector<int> ok(4, 1);
  std::vector<std::vector<double>> first(4);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      // A size nobody planned yet: the four threads ask for its plan at once.
      Planes fresh(27, 14);
      for (size_t i = 0; i < fresh.re.size(); ++i) fresh.re[i] = double(i % 5);
      if (fresh.Run(+1, false) != 1) ok[t] = 0;
      first[t] = fresh.out_im;
      for (int round = 0; round < 20; ++round) {
        Planes p(w, h);
        p.re = ref.re;
        if (p.Run(-1) != 1 || p.out_re != ref.out_re || p.out_im != ref.out_im) ok[t] = 0;
        if (p.Run(-1, false) != 1 || p.out_re != ref_real.out_re || p.out_im != ref_real.out_im) ok[t] = 0;
      }
    });
  for (auto& t : threads) t.join();
  for (int t = 0; t < 4; ++t) {
    EXPECT_EQ(ok[t], 1) << t;
    EXPECT_EQ(first[t], first[0]) << t;
  }
}

}  // namespace
