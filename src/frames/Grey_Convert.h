// Stored grey elements read straight out of a record's plane, with the values the root's grey
// read gives them (padding and missing markers included).
#pragma once

#include <hostkit/HostImage.h>

#include "frames/Pixel_Chain.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quarn {

/// One element of a plane of kind Kind as the host reads it.
template <int Kind, class T>
inline int Stored(const uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return int(v);
}

template <>
inline int Stored<HOST_PIXEL_RGBA, uint32_t>(const uint8_t* p) {
  return int(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

/// Calls fn.template operator()<Kind, T>() for the kinds whose elements are read here; false,
/// with nothing called, for the kinds that only the host converts (floats) or does not know.
template <class Fn>
inline bool With_Element_Kind(int kind, Fn&& fn) {
  switch (kind) {
    case HOST_PIXEL_U8: fn.template operator()<HOST_PIXEL_U8, uint8_t>(); return true;
    case HOST_PIXEL_S8: fn.template operator()<HOST_PIXEL_S8, int8_t>(); return true;
    case HOST_PIXEL_U16: fn.template operator()<HOST_PIXEL_U16, uint16_t>(); return true;
    case HOST_PIXEL_S16: fn.template operator()<HOST_PIXEL_S16, int16_t>(); return true;
    case HOST_PIXEL_S32: fn.template operator()<HOST_PIXEL_S32, int32_t>(); return true;
    case HOST_PIXEL_RGBA: fn.template operator()<HOST_PIXEL_RGBA, uint32_t>(); return true;
    default: return false;
  }
}

/// Runs body(k) for k = 0 ... count - 1 in blocks of a fixed length, which the compiler turns
/// into vector code.
template <class Body>
inline void For_Blocks(int count, Body&& body) {
  constexpr int Block = 8;
  int x = 0;
  for (; x + Block <= count; x += Block)
    for (int k = 0; k < Block; ++k) body(x + k);
  for (; x < count; ++x) body(x);
}

/// What the root makes of a stored value of kind Kind, with the kind known when compiling: the
/// 8- and 16-bit kinds cannot hold a marker, and only some kinds have padding.
template <int Kind, class T>
inline int Grey_Classify_Of(int32_t pad, int v) {
  if constexpr (sizeof(T) <= 2) {
    if constexpr (Kind == HOST_PIXEL_U16 || Kind == HOST_PIXEL_S16)
      return v == pad ? GLI_PAD : v;  // the "no padding" value is beyond 16 bits
    else
      return v;
  } else {
    return Grey_Classify(Kind, pad, v);
  }
}

/// count consecutive elements from first, as the root reads them.
template <int Kind, class T>
inline void Grey_Run(const uint8_t* first, int count, int32_t pad, int32_t* __restrict out) {
  if constexpr (Kind != HOST_PIXEL_RGBA) {
    // Planes of these kinds are arrays of T.
    const T* __restrict in = reinterpret_cast<const T*>(first);
    For_Blocks(count, [&](int k) { out[k] = Grey_Classify_Of<Kind, T>(pad, int(in[k])); });
  } else {
    for (int i = 0; i < count; ++i) out[i] = Grey_Classify_Of<Kind, T>(pad, Stored<Kind, T>(first + size_t(i) * 4));
  }
}

}  // namespace quarn
