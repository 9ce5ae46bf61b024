// The shared minimal standard generator (multiplier 16807, modulus 2^31 - 1, Schrage's method).
#include <quarn/algorithms/Noise.h>

#include <atomic>
#include <cstdint>

namespace {

constexpr int32_t Modulus = 2147483647;  // 2^31 - 1
constexpr int32_t Multiplier = 16807;
constexpr int32_t Quotient = Modulus / Multiplier;   // 127773
constexpr int32_t Remainder = Modulus % Multiplier;  // 2836
// Half the modulus: the state over it spans (0, 2].
constexpr double Half_Modulus = 1073741823.0;

// Always within 1 ... Modulus - 1, where Schrage's step is exact and never reaches 0.
std::atomic<uint32_t> g_state{1};

uint32_t Step(uint32_t state) {
  const int32_t s = int32_t(state);
  int32_t next = Multiplier * (s % Quotient) - Remainder * (s / Quotient);
  if (next < 1) next += Modulus;
  return uint32_t(next);
}

// Callers on several threads interleave their draws; each draw still takes its own number.
uint32_t Draw() {
  uint32_t state = g_state.load(std::memory_order_relaxed);
  while (!g_state.compare_exchange_weak(state, Step(state), std::memory_order_relaxed)) {
  }
  return Step(state);
}

}  // namespace

void Fct_Random_Seed(unsigned int seed) {
  const uint32_t state = seed % uint32_t(Modulus);
  g_state.store(state ? state : 1, std::memory_order_relaxed);
}

unsigned int Fct_Random_Int() { return Draw(); }

float Fct_Random_Float() { return float(double(Draw()) / Half_Modulus - 1.0); }
