// The grey-to-colour mapping of one conversion: window, rescale, colour map, fill and invalid
// colours, and the per-value and per-row mapping that the display updates run.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quarn::pixel {

/// Grey value of a point outside the image: drawn in the invalid colour.
inline constexpr int32_t Value_Invalid = 0x7FFFFFFF;
/// Grey value of a padding pixel: drawn in the fill colour.
inline constexpr int32_t Value_Fill = 0x7FFFFFFE;
/// Pixel-type bits: signed samples, 8-bit samples, packed colour.
inline constexpr uint8_t Type_Signed = 0x01;
inline constexpr uint8_t Type_8_Bit = 0x02;
inline constexpr uint8_t Type_Colour = 0x80;

/// Everything one conversion needs, taken from the arguments and the host variables at once so
/// that a conversion never sees another one's window or map.
struct Colour_Mapping {
  uint8_t type = 0;               ///< Pixel-type byte.
  float offset = 0;               ///< Added to the raw value before scaling.
  float scale = 1;                ///< Multiplies (raw + offset).
  const uint32_t* map = nullptr;  ///< Current colour map (grey images), or null.
  int last = 0;                   ///< Index of the map's last entry.
  uint32_t fill = 0;              ///< Colour of Value_Fill.
  uint32_t invalid = 0;           ///< Colour of Value_Invalid.
  uint8_t component = 0;          ///< Colour images: 0 all, 1 red, 2 green, 3 blue, 4 luminance.
  uint8_t display = 0;            ///< Colour images: a chosen component in its own colour.

  /// Sets the mapping for a type, slope, intercept and window; false for a grey image when the
  /// host has no usable colour map.
  bool Prepare(uint8_t pixel_type, float slope, float intercept, float min, float max);

  /// Map index of a grey value: trunc((v + offset) * scale) limited to 0 ... last. The limits
  /// are applied before the truncation, which gives the same index and never overflows.
  int Grey_Index(int32_t v) const {
    float f = (float(v) + offset) * scale;
    f = f > 0.0f ? f : 0.0f;  // NaN goes to 0 as well
    const float top = float(last);
    f = f < top ? f : top;
    return int(f);
  }

  /// The colour of one value.
  uint32_t Map(int32_t v) const {
    if (v == Value_Invalid) return invalid;
    if (v == Value_Fill) return fill;
    if (!(type & Type_Colour)) return map ? map[Grey_Index(v)] : 0;
    return Map_Colour(uint32_t(v));
  }

  /// Colours of n grey or colour values.
  void Map_Row(const int32_t* in, uint32_t* out, int n) const;

private:
  uint32_t Map_Colour(uint32_t v) const;
  void Map_Grey_Row(const int32_t* in, uint32_t* out, int n) const;
};

}  // namespace quarn::pixel
