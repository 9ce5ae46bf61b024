// The noise tables are drawn from the shared generator at the first noise call: here after a
// seed and three draws, with two threads making that first call at once. The field must be the
// one a plain reference model builds from the same place in the standard minimal sequence.
#include <quarn/algorithms/Noise.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr unsigned Seed = 2024;
constexpr int Draws_Before = 3;

// The tables and the noise written from their description, on the standard generator.
struct Reference {
  int perm[128];
  float grad[128][3];

  explicit Reference(std::minstd_rand0& gen) {
    bool used[128] = {};
    for (int n = 0; n < 128; ++n) {
      int k = int(gen() & 127);
      while (used[k]) k = (k + 1) % 128;
      perm[n] = k;
      used[k] = true;
    }
    auto uniform = [&] { return float(double(gen()) / 1073741823.0 - 1.0); };
    for (auto& g : grad) {
      float x, y, z, len;
      do {
        x = uniform();
        y = uniform();
        z = uniform();
        len = std::sqrt(x * x + y * y + z * z);
      } while (len > 1.0f || len == 0.0f);
      g[0] = x / len;
      g[1] = y / len;
      g[2] = z / len;
    }
  }

  int Q(int n) const { return perm[64 + n % 64]; }

  static float W(float t) {
    t = std::fabs(t);
    return 2 * t * t * t - 3 * t * t + 1;
  }

  void Noise(float x, float y, float z, float out[3]) const {
    out[0] = out[1] = out[2] = 0;
    const int i0 = int(std::floor(x)), j0 = int(std::floor(y)), k0 = int(std::floor(z));
    for (int i = i0; i <= i0 + 1; ++i)
      for (int j = j0; j <= j0 + 1; ++j)
        for (int k = k0; k <= k0 + 1; ++k) {
          const float* g = grad[Q(Q(Q(k) + j) + i)];
          const float u = x - float(i), v = y - float(j), t = z - float(k);
          const float w = W(u) * W(v) * W(t);
          out[0] += w * (g[1] * t - g[2] * v);
          out[1] += w * (g[2] * u - g[0] * t);
          out[2] += w * (g[0] * v - g[1] * u);
        }
  }
};

}  // namespace

int main() {
  Fct_Random_Seed(Seed);
  for (int i = 0; i < Draws_Before; ++i) Fct_Random_Int();
  Vec4 first_a, first_b;
  std::thread a([&] { first_a = Perlin(0.25f, 0.5f, 0.75f); });
  std::thread b([&] { first_b = Perlin(0.25f, 0.5f, 0.75f); });
  a.join();
  b.join();

  std::minstd_rand0 gen(Seed);
  gen.discard(Draws_Before);
  const Reference ref(gen);
  int faults = 0;
  if (first_a.x != first_b.x || first_a.y != first_b.y || first_a.z != first_b.z) {
    std::fprintf(stderr, "the two first calls disagree\n");
    ++faults;
  }
  for (int n = 0; n < 4000 && faults < 10; ++n) {
    // Points on both sides of zero, so that the negative half of the table is read too.
    const float x = -40.0f + 0.0173f * float(n), y = 13.0f - 0.0291f * float(n),
                z = -7.5f + 0.0057f * float(n);
    float expect[3];
    ref.Noise(x, y, z, expect);
    const Vec4 got = Perlin(x, y, z);
    if (std::fabs(got.x - expect[0]) > 1e-5f || std::fabs(got.y - expect[1]) > 1e-5f ||
        std::fabs(got.z - expect[2]) > 1e-5f) {
      std::fprintf(stderr, "(%g, %g, %g): got (%g, %g, %g), expected (%g, %g, %g)\n", x, y, z,
                   got.x, got.y, got.z, expect[0], expect[1], expect[2]);
      ++faults;
    }
  }
  return faults ? 1 : 0;
}
