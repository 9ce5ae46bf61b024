// The columns of an oblique row well inside the record, eight at a time: coordinates stepped as
// split 32-bit halves, elements gathered by byte offset and widened as the root reads them.
#include "frames/Grey_Stepped_Run.h"

#include <quarn/frames/Frame_Layers.h>

#include <hostkit/HostImage.h>

#include <atomic>
#include <climits>

#if defined(__x86_64__)
#include <immintrin.h>
#define QUARN_STEPPED_VECTOR 1
#endif

namespace quarn {

namespace {

constexpr int Lanes = 8;

std::atomic<bool> vector_allowed{true};

#ifdef QUARN_STEPPED_VECTOR
#define QUARN_AVX2 __attribute__((target("avx2")))

// Lanes holding a value at least `limit`, unsigned.
QUARN_AVX2 inline __m256i At_Least(__m256i v, __m256i limit) {
  return _mm256_cmpeq_epi32(_mm256_max_epu32(v, limit), v);
}

// The gathered 32 bits at each element, as the root's grey read gives the element of kind Kind.
template <int Kind>
QUARN_AVX2 inline __m256i Classify(__m256i v, int32_t pad) {
  if constexpr (Kind == HOST_PIXEL_U8) {
    return _mm256_and_si256(v, _mm256_set1_epi32(0xFF));
  } else if constexpr (Kind == HOST_PIXEL_S8) {
    return _mm256_srai_epi32(_mm256_slli_epi32(v, 24), 24);
  } else if constexpr (Kind == HOST_PIXEL_U16 || Kind == HOST_PIXEL_S16) {
    const __m256i w = Kind == HOST_PIXEL_U16 ? _mm256_and_si256(v, _mm256_set1_epi32(0xFFFF))
                                             : _mm256_srai_epi32(_mm256_slli_epi32(v, 16), 16);
    // The "no padding" value lies beyond 16 bits and so matches nothing.
    return _mm256_blendv_epi8(w, _mm256_set1_epi32(GLI_PAD), _mm256_cmpeq_epi32(w, _mm256_set1_epi32(pad)));
  } else {
    // 32-bit kinds: their own padding first, then values that would read as markers.
    const __m256i padded = Kind == HOST_PIXEL_RGBA
                               ? _mm256_cmpeq_epi32(_mm256_srli_epi32(v, 24), _mm256_setzero_si256())
                           : pad != HOST_IMAGE_NO_PAD ? _mm256_cmpeq_epi32(v, _mm256_set1_epi32(pad))
                                                      : _mm256_setzero_si256();
    const __m256i marker = _mm256_or_si256(_mm256_cmpeq_epi32(v, _mm256_set1_epi32(GLI_NONE)),
                                           _mm256_cmpeq_epi32(v, _mm256_set1_epi32(GLI_PAD)));
    const __m256i read = _mm256_blendv_epi8(v, _mm256_set1_epi32(GLI_MISSING), marker);
    return _mm256_blendv_epi8(read, _mm256_set1_epi32(GLI_PAD), padded);
  }
}

// One coordinate of eight consecutive columns as low (fraction) and high (index) halves.
struct Split {
  __m256i low, high;
};

QUARN_AVX2 inline Split Split_Start(long long at, long long step) {
  alignas(32) uint32_t low[Lanes];
  alignas(32) int32_t high[Lanes];
  for (int j = 0; j < Lanes; ++j) {
    const long long t = at + j * step;
    low[j] = uint32_t(t);
    high[j] = int32_t(t >> 32);
  }
  return {_mm256_load_si256(reinterpret_cast<const __m256i*>(low)),
          _mm256_load_si256(reinterpret_cast<const __m256i*>(high))};
}

// Adds eight steps: low + step_low, carrying into high + step_high. high_plus_one is step_high + 1,
// from which a lane without a carry takes one away.
QUARN_AVX2 inline void Split_Step(Split& s, __m256i step_low, __m256i high_plus_one) {
  const __m256i low = _mm256_add_epi32(s.low, step_low);
  const __m256i no_carry = At_Least(low, step_low);  // the sum wrapped iff it is below the addend
  s.high = _mm256_add_epi32(_mm256_add_epi32(s.high, high_plus_one), no_carry);
  s.low = low;
}

QUARN_AVX2 inline __m256i Fraction_Limit(unsigned long long limit) {
  // A limit of 2^32 (no margin) flags only the largest fraction, which the caller then reads exactly.
  return _mm256_set1_epi32(int(uint32_t(limit > 0xFFFFFFFFull ? 0xFFFFFFFFull : limit)));
}

template <int Kind>
QUARN_AVX2 int Run(const Stepped_Run& r, long long at_a, long long at_b, int count, int32_t* out) {
  Split a = Split_Start(at_a, r.step_a), b = Split_Start(at_b, r.step_b);
  const long long jump_a = r.step_a * Lanes, jump_b = r.step_b * Lanes;
  const __m256i step_low_a = _mm256_set1_epi32(int(uint32_t(jump_a))),
                step_low_b = _mm256_set1_epi32(int(uint32_t(jump_b)));
  const __m256i high_a = _mm256_set1_epi32(int32_t(jump_a >> 32) + 1),
                high_b = _mm256_set1_epi32(int32_t(jump_b >> 32) + 1);
  const __m256i limit_a = Fraction_Limit(r.limit_a), limit_b = Fraction_Limit(r.limit_b);
  const __m256i stride_a = _mm256_set1_epi32(int(r.stride_a)), stride_b = _mm256_set1_epi32(int(r.stride_b));
  const __m256i last_safe = _mm256_set1_epi32(int(r.last_safe > INT_MAX ? INT_MAX : r.last_safe));
  const int* base = reinterpret_cast<const int*>(r.base);
  int k = 0;
  for (; k + Lanes <= count; k += Lanes) {
    const __m256i offset = _mm256_add_epi32(_mm256_mullo_epi32(a.high, stride_a), _mm256_mullo_epi32(b.high, stride_b));
    const __m256i stop = _mm256_or_si256(_mm256_or_si256(At_Least(a.low, limit_a), At_Least(b.low, limit_b)),
                                         _mm256_cmpgt_epi32(offset, last_safe));
    if (!_mm256_testz_si256(stop, stop)) break;
    const __m256i v = _mm256_i32gather_epi32(base, offset, 1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), Classify<Kind>(v, r.pad));
    Split_Step(a, step_low_a, high_a);
    Split_Step(b, step_low_b, high_b);
  }
  return k;
}

bool Vector_Available() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

}  // namespace

int Stepped_Run_Vector(int kind, const Stepped_Run& run, long long at_a, long long at_b, int count,
                       int32_t* out) {
#ifdef QUARN_STEPPED_VECTOR
  if (!vector_allowed.load(std::memory_order_relaxed) || !Vector_Available()) return 0;
  switch (kind) {
    case HOST_PIXEL_U8: return Run<HOST_PIXEL_U8>(run, at_a, at_b, count, out);
    case HOST_PIXEL_S8: return Run<HOST_PIXEL_S8>(run, at_a, at_b, count, out);
    case HOST_PIXEL_U16: return Run<HOST_PIXEL_U16>(run, at_a, at_b, count, out);
    case HOST_PIXEL_S16: return Run<HOST_PIXEL_S16>(run, at_a, at_b, count, out);
    case HOST_PIXEL_S32: return Run<HOST_PIXEL_S32>(run, at_a, at_b, count, out);
    case HOST_PIXEL_RGBA: return Run<HOST_PIXEL_RGBA>(run, at_a, at_b, count, out);
    default: return 0;
  }
#else
  (void)kind, (void)run, (void)at_a, (void)at_b, (void)count, (void)out;
  return 0;
#endif
}

bool Grey_Stepped_Vector_Allow(bool allow) { return vector_allowed.exchange(allow); }

}  // namespace quarn
