// Element addressing and stored-value reads shared by the image record and its pixel access.
#pragma once

#include <hostkit/HostImage.h>

#include <climits>
#include <cmath>
#include <cstddef>

namespace hostkit {

/// Smallest and largest of count integer elements of the given kind (TAG, U8, S8, U16, S16,
/// S32), elements equal to pad_value skipped where the kind pads; false when none is left.
bool Element_Range(int kind, int32_t pad_value, const void* pixels, size_t count, int* lo, int* hi);
/// Stores the stored-value range of an integer record and its real values through the rescale
/// (0 ... 0 when any is false).
void Integer_Range_Store(Host_Image_Record& r, bool any, int lo, int hi);

/// Number of pixels of one plane of the record.
inline size_t Pixel_Count(const Host_Image_Record& r) {
  return size_t(r.columns) * r.rows * r.slices * r.times;
}

/// Linear element index of a pixel, or -1 when any coordinate lies outside the record.
inline long long Pixel_Index(const Host_Image_Record& r, int x, int y, int slice, int time) {
  if (x < 0 || y < 0 || slice < 0 || time < 0 || x >= r.columns || y >= r.rows ||
      slice >= r.slices || time >= r.times)
    return -1;
  return ((static_cast<long long>(time) * r.slices + slice) * r.rows + y) * r.columns + x;
}

/// A float pixel brought back to the stored integer scale; non-numbers read as no value.
inline int Float_To_Stored(float f, float conv_a, float conv_b) {
  if (std::isnan(f)) return HOST_IMAGE_NONE;
  double v = (double(f) - conv_a) / (conv_b != 0 ? conv_b : 1.0);
  // The three topmost integers are the callers' own markers for missing values.
  if (v >= double(HOST_IMAGE_NONE - 2)) return HOST_IMAGE_NONE - 3;
  if (v <= double(INT_MIN)) return INT_MIN;
  return int(std::lround(v));
}

/// The stored integer of element i of the record's grey plane (which must exist).
inline int Stored_Value(const Host_Image_Record& r, size_t i) {
  const void* p = r.pixels;
  switch (r.kind) {
    case HOST_PIXEL_TAG:
    case HOST_PIXEL_U8: return static_cast<const uint8_t*>(p)[i];
    case HOST_PIXEL_S8: return static_cast<const int8_t*>(p)[i];
    case HOST_PIXEL_U16: return static_cast<const uint16_t*>(p)[i];
    case HOST_PIXEL_S16: return static_cast<const int16_t*>(p)[i];
    case HOST_PIXEL_S32: return static_cast<const int32_t*>(p)[i];
    case HOST_PIXEL_FLOAT: return Float_To_Stored(static_cast<const float*>(p)[i], r.conv_a, r.conv_b);
    case HOST_PIXEL_RGBA: {
      const uint8_t* c = static_cast<const uint8_t*>(p) + 4 * i;
      return static_cast<int>(c[0] | uint32_t(c[1]) << 8 | uint32_t(c[2]) << 16 | uint32_t(c[3]) << 24);
    }
  }
  return HOST_IMAGE_NONE;
}

}  // namespace hostkit
