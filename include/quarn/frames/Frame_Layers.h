// Values and records of a frame's pixel layers: the special grey values, the histogram header and
// the conversion of stored grey integers to real values.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

class Quarn_2D_Frame;

/// Grey read result: the point lies outside the frame or the record has no pixel data.
inline constexpr int32_t GLI_NONE = 0x7FFFFFFF;
/// Grey read result: a padding pixel (the record's padding value, or a colour pixel with alpha 0).
inline constexpr int32_t GLI_PAD = 0x7FFFFFFE;
/// Grey read result: the host itself returned one of the two values above.
inline constexpr int32_t GLI_MISSING = 0x7FFFFFFD;

/// Histogram flag: the counts are per colour component.
inline constexpr uint8_t HISTOGRAM_COLOR = 0x01;

/// The 56-byte header of a frame's histogram (user slot 8); the count arrays are the header
/// buffer's sub-buffers.
struct Quarn_Histogram {
  uint8_t flags;       ///< HISTOGRAM_COLOR for a colour frame.
  uint8_t reserved;    ///< Always 0.
  uint16_t bins;       ///< Entries of each count array.
  float start;         ///< Value at the lower edge of bin 0.
  float width;         ///< Value width of one bin.
  uint32_t peak;       ///< Largest count over all arrays.
  uint32_t* counts[5]; ///< [0] grey or luminance; colour only: [1] red, [2] green, [3] blue,
                       ///< [4] largest of the three components.
};
static_assert(sizeof(Quarn_Histogram) == 56, "the histogram header is a fixed 56-byte block");

/// The real value of a stored grey integer of frame, through the record's conversion.
QUARN_API float Fct_GLI_2_Float(Quarn_2D_Frame* frame, int value);
