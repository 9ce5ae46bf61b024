// Vector gradient noise over the integer lattice, and its turbulence sums.
#include <quarn/algorithms/Noise.h>

#include <cmath>
#include <cstdint>

namespace {

constexpr int Table_Size = 128;
// The hash reads the permutation through Q[n] = P[Half + n] with n in -63 ... 63.
constexpr int Half = Table_Size / 2;
// Lattice indices beyond this do not fit the int arithmetic the hash is defined in.
constexpr float Lattice_Limit = 2147483648.0f;
constexpr float Octave_Step = 1.9f;

struct Noise_Tables {
  int perm[Table_Size];
  Vec4 grad[Table_Size];
};

// A permutation of 0 ... 127: each draw takes the next free value at or after it.
void Permutation_Draw(int* perm) {
  bool used[Table_Size] = {};
  for (int n = 0; n < Table_Size; ++n) {
    int k = int(Fct_Random_Int() & (Table_Size - 1));
    while (used[k]) k = (k + 1) % Table_Size;
    perm[n] = k;
    used[k] = true;
  }
}

// Unit vectors drawn uniformly from the unit ball; a zero vector has no direction and is drawn
// again.
void Gradients_Draw(Vec4* grad) {
  for (int n = 0; n < Table_Size; ++n) {
    Vec4 g;
    float length;
    do {
      g.x = Fct_Random_Float();
      g.y = Fct_Random_Float();
      g.z = Fct_Random_Float();
      length = g.norm();
    } while (length > 1.0f || length == 0.0f);
    grad[n] = Vec4(g.x / length, g.y / length, g.z / length, 0.0f);
  }
}

Noise_Tables Tables_Draw() {
  Noise_Tables t;
  Permutation_Draw(t.perm);
  Gradients_Draw(t.grad);
  return t;
}

// Drawn once, from wherever the shared generator stands at the first noise call.
const Noise_Tables& Tables() {
  static const Noise_Tables tables = Tables_Draw();
  return tables;
}

// Remainders keep the sign of the dividend, so Q is read at -63 ... 63.
int Q(const int* perm, long long n) { return perm[Half + n % Half]; }

const Vec4& Gradient_At(const Noise_Tables& t, long long i, long long j, long long k) {
  return t.grad[Q(t.perm, Q(t.perm, Q(t.perm, k) + j) + i)];
}

// Fall-off from 1 at the corner to 0 one cell away, with zero slope at both ends.
float Fall_Off(float t) {
  const float a = std::fabs(t);
  return 2.0f * a * a * a - 3.0f * a * a + 1.0f;
}

bool On_Lattice_Range(float v) { return std::fabs(v) < Lattice_Limit; }

template <class Combine>
Vec4 Turbulence(const Vec4* p, float scale, int octaves, Combine combine) {
  Vec4 sum(0.0f);
  if (!p) return sum;
  const float qx = scale * p->x, qy = scale * p->y, qz = scale * p->z;
  float f = 1.0f;
  for (int o = 0; o < octaves; ++o) {
    const Vec4 v = Perlin(qx * f, qy * f, qz * f);
    combine(sum, v, f);
    f *= Octave_Step;
  }
  sum.w = 0.0f;
  return sum;
}

}  // namespace

Vec4 Perlin(float x, float y, float z) {
  Vec4 sum(0.0f);
  if (!On_Lattice_Range(x) || !On_Lattice_Range(y) || !On_Lattice_Range(z)) return sum;
  const Noise_Tables& t = Tables();
  const long long i0 = (long long)std::floor(x), j0 = (long long)std::floor(y),
                  k0 = (long long)std::floor(z);
  for (long long i = i0; i <= i0 + 1; ++i)
    for (long long j = j0; j <= j0 + 1; ++j)
      for (long long k = k0; k <= k0 + 1; ++k) {
        const Vec4 offset(x - float(i), y - float(j), z - float(k), 0.0f);
        const float weight = Fall_Off(offset.x) * Fall_Off(offset.y) * Fall_Off(offset.z);
        sum += Gradient_At(t, i, j, k).cross(offset) * weight;
      }
  sum.w = 0.0f;
  return sum;
}

Vec4 V_Turb(Vec4* p, float scale, int octaves) {
  return Turbulence(p, scale, octaves, [](Vec4& sum, const Vec4& v, float f) {
    sum += Vec4(v.x / f, v.y / f, v.z / f, 0.0f);
  });
}

Vec4 V_Turb_Abs(Vec4* p, float scale, int octaves) {
  return Turbulence(p, scale, octaves, [](Vec4& sum, const Vec4& v, float f) {
    sum += Vec4(std::fabs(v.x) / f, std::fabs(v.y) / f, std::fabs(v.z) / f, 0.0f);
  });
}
