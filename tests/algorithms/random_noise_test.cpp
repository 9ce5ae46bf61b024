// The shared generator against the standard minimal generator, and the properties of the vector
// noise that hold whatever its tables hold.
#include <quarn/algorithms/Noise.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr uint64_t Modulus = 2147483647;

// The generator's step written the plain way, in 64 bits: the reference model.
uint32_t Reference_Step(uint32_t s) { return uint32_t(uint64_t(s) * 16807 % Modulus); }

TEST(Random, SeedOneStartsTheMinimalStandardSequence) {
  Fct_Random_Seed(1);
  EXPECT_EQ(Fct_Random_Int(), 16807u);
  EXPECT_EQ(Fct_Random_Int(), 282475249u);
  // The 10000th number from seed 1, as every implementation of this generator must give it.
  Fct_Random_Seed(1);
  unsigned int v = 0;
  for (int i = 0; i < 10000; ++i) v = Fct_Random_Int();
  EXPECT_EQ(v, 1043618065u);
}

TEST(Random, FollowsTheReferenceStepFromAnySeed) {
  struct Case {
    unsigned int seed;
    uint32_t start;  // the state the seed must give
  } const cases[] = {
      {1, 1},                       // the state at load
      {42, 42},                     // an ordinary seed
      {2147483646, 2147483646},     // the largest state
      {0, 1},                       // zero would repeat itself: starts from 1
      {2147483647, 1},              // the modulus itself reduces to zero: starts from 1
      {4294967294u, 1},             // twice the modulus: likewise
      {UINT_MAX, 1},                // 2^32 - 1 reduces to 1
      {3000000000u, 852516353},     // above the modulus: reduced
  };
  for (const Case& c : cases) {
    Fct_Random_Seed(c.seed);
    std::minstd_rand0 standard(c.seed);
    uint32_t s = c.start;
    for (int i = 0; i < 2000; ++i) {
      s = Reference_Step(s);
      const unsigned int v = Fct_Random_Int();
      ASSERT_EQ(v, s) << "seed " << c.seed << " draw " << i;
      ASSERT_EQ(v, standard()) << "seed " << c.seed << " draw " << i;
      ASSERT_GE(v, 1u);
      ASSERT_LE(v, 2147483646u);
    }
  }
}

TEST(Random, FloatIsTheNextStateOverHalfTheModulus) {
  // 739806647 * 16807 leaves 2^31 - 2: the largest state, which maps to exactly 1.
  struct Case {
    unsigned int seed;
    float expect;
  } const cases[] = {
      {1, float(16807.0 / 1073741823.0 - 1.0)},  // a small state: just above -1
      {739806647, 1.0f},                          // the largest state: the top of the range
  };
  for (const Case& c : cases) {
    Fct_Random_Seed(c.seed);
    EXPECT_EQ(Fct_Random_Float(), c.expect) << c.seed;
  }
  Fct_Random_Seed(7);
  uint32_t s = 7;
  for (int i = 0; i < 5000; ++i) {
    s = Reference_Step(s);
    const float f = Fct_Random_Float();
    ASSERT_EQ(f, float(double(s) / 1073741823.0 - 1.0)) << i;
    ASSERT_GE(f, -1.0f);
    ASSERT_LE(f, 1.0f);
  }
}

TEST(Random, ConcurrentDrawsEachTakeTheirOwnNumber) {
  // Two threads draw at once: together they take exactly the next numbers of the sequence.
  constexpr int Per_Thread = 20000;
  Fct_Random_Seed(99);
  std::vector<unsigned int> a(Per_Thread), b(Per_Thread);
  std::thread ta([&] { for (auto& v : a) v = Fct_Random_Int(); });
  std::thread tb([&] { for (auto& v : b) v = Fct_Random_Int(); });
  ta.join();
  tb.join();
  std::vector<unsigned int> all(a);
  all.insert(all.end(), b.begin(), b.end());
  std::sort(all.begin(), all.end());
  std::vector<unsigned int> expect;
  std::minstd_rand0 standard(99);
  for (int i = 0; i < 2 * Per_Thread; ++i) expect.push_back(standard());
  std::sort(expect.begin(), expect.end());
  EXPECT_EQ(all, expect);
}

float Length(const Vec4& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

TEST(Noise, IsZeroOnTheLattice) {
  const float points[][3] = {
      {0, 0, 0},        // the origin
      {3, 7, 11},       // positive lattice point
      {-1, -5, -64},    // negative coordinates through the lower half of the table
      {-63, 64, 127},   // around the table's wrap
      {1000, -1000, 5}, // far out
  };
  for (const auto& p : points) {
    const Vec4 v = Perlin(p[0], p[1], p[2]);
    EXPECT_EQ(v.x, 0.0f);
    EXPECT_EQ(v.y, 0.0f);
    EXPECT_EQ(v.z, 0.0f);
  }
}

TEST(Noise, IsBoundedContinuousAndRepeatable) {
  // Each corner adds at most its offset's length (unit gradient, weight at most 1), and the
  // weights of a cell sum to one: no value can exceed sqrt(3).
  std::mt19937 gen(5);
  std::uniform_real_distribution<float> coord(-300.0f, 300.0f);
  float largest = 0;
  for (int i = 0; i < 3000; ++i) {
    const float x = coord(gen), y = coord(gen), z = coord(gen);
    const Vec4 v = Perlin(x, y, z);
    ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
    EXPECT_EQ(v.w, 0.0f);
    largest = std::max(largest, Length(v));
    ASSERT_LE(Length(v), std::sqrt(3.0f)) << x << " " << y << " " << z;
    const Vec4 again = Perlin(x, y, z);
    ASSERT_EQ(again.x, v.x);
    ASSERT_EQ(again.y, v.y);
    ASSERT_EQ(again.z, v.z);
  }
  EXPECT_GT(largest, 0.05f);  // not the zero field
  // Across a cell wall (here x = -3, in the negative half of the table) the field is continuous.
  const float eps = 1e-3f;
  for (float y = 0.1f; y < 4.0f; y += 0.37f) {
    const Vec4 left = Perlin(-3.0f - eps, y, 0.6f), right = Perlin(-3.0f + eps, y, 0.6f);
    EXPECT_NEAR(left.x, right.x, 0.02f);
    EXPECT_NEAR(left.y, right.y, 0.02f);
    EXPECT_NEAR(left.z, right.z, 0.02f);
  }
}

TEST(Noise, FarOrNonFiniteCoordinatesGiveZero) {
  const float bad[][3] = {
      {NAN, 0.5f, 0.5f},          // not a number
      {0.5f, INFINITY, 0.5f},     // infinite
      {0.5f, 0.5f, 3e9f},         // beyond the lattice the hash is defined on
  };
  for (const auto& p : bad) {
    const Vec4 v = Perlin(p[0], p[1], p[2]);
    EXPECT_EQ(Length(v), 0.0f);
  }
}

TEST(Noise, TurbulenceSumsOctavesOfShrinkingWeight) {
  Vec4 p(0.3f, -1.7f, 2.2f, 9.0f);
  const float scale = 1.5f;
  const float qx = scale * p.x, qy = scale * p.y, qz = scale * p.z;
  const Vec4 a = Perlin(qx, qy, qz), b = Perlin(qx * 1.9f, qy * 1.9f, qz * 1.9f);
  const float f3 = 1.9f * 1.9f;
  const Vec4 c = Perlin(qx * f3, qy * f3, qz * f3);

  const Vec4 one = V_Turb(&p, scale, 1);
  EXPECT_FLOAT_EQ(one.x, a.x);
  EXPECT_FLOAT_EQ(one.z, a.z);
  const Vec4 three = V_Turb(&p, scale, 3);
  EXPECT_NEAR(three.x, a.x + b.x / 1.9f + c.x / f3, 1e-6f);
  EXPECT_NEAR(three.y, a.y + b.y / 1.9f + c.y / f3, 1e-6f);
  EXPECT_EQ(three.w, 0.0f);
  const Vec4 absolute = V_Turb_Abs(&p, scale, 3);
  EXPECT_NEAR(absolute.y, std::fabs(a.y) + std::fabs(b.y) / 1.9f + std::fabs(c.y) / f3, 1e-6f);
  EXPECT_NEAR(absolute.z, std::fabs(a.z) + std::fabs(b.z) / 1.9f + std::fabs(c.z) / f3, 1e-6f);

  struct Case {
    Vec4* p;
    int octaves;
  } const none[] = {
      {&p, 0},       // no octave
      {&p, -4},      // a negative count
      {nullptr, 3},  // no point
  };
  for (const Case& n : none) {
    EXPECT_EQ(Length(V_Turb(n.p, scale, n.octaves)), 0.0f);
    EXPECT_EQ(Length(V_Turb_Abs(n.p, scale, n.octaves)), 0.0f);
  }
}

}  // namespace
