// Fct_GLI_2_Color: grey and colour values to RGBA words through a window, the frame's rescale
// and the host's colour map. Each thread keeps its own prepared mapping, so conversions that
// dispatch workers run at once on different frames never mix their windows or maps.
#include "display/Pixel_Colour_Map.h"

#include <quarn/display/Pixel_Render.h>

#include "core/Trace.h"
#include "display/Pixel_Variables.h"

#include <cmath>
#include <climits>

using namespace quarn;
using namespace quarn::pixel;

namespace {

constexpr float Byte_Max = 255.0f;
// Values up to which a truncated float still fits an int.
constexpr float Int_High = 2147483520.0f, Int_Low = -2147483648.0f;
// Weights of the luminance of a colour pixel.
constexpr double Lum_Red = 0.299, Lum_Green = 0.587, Lum_Blue = 0.114;
// Values of a mapped row handled at once: the indexes of a block stay in the first cache level.
constexpr int Row_Block = 256;

thread_local Colour_Mapping t_mapping;

// 8-bit samples cannot leave their range, so neither can the window.
float Clamp_8_Bit(float v, bool is_signed) {
  if (is_signed) return v <= -128.0f ? -128.0f : std::min(v, 127.0f);
  return v <= 0.0f ? 0.0f : std::min(v, Byte_Max);
}

template <class T>
T Value_Of(Remembered_Variable& variable) {
  return variable.Value<T>();
}

// trunc(f) as an int, saturated at the int range (NaN gives 0).
int Trunc_Int(float f) {
  if (!(f == f)) return 0;
  if (f >= Int_High) return INT_MAX;
  if (f <= Int_Low) return INT_MIN;
  return int(f);
}

// trunc(f) limited to 0 ... 255, the limits taken first so nothing overflows.
uint32_t Byte_Of(float f) {
  f = f > 0.0f ? f : 0.0f;
  f = f < Byte_Max ? f : Byte_Max;
  return uint32_t(f);
}

uint32_t Clamp_Byte(double v) {
  if (!(v > 0.0)) return 0;
  return v >= 255.0 ? 255u : uint32_t(v);
}

uint32_t Rgba(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return r | g << 8 | b << 16 | a << 24; }

}  // namespace

bool Colour_Mapping::Prepare(uint8_t pixel_type, float slope, float intercept, float min, float max) {
  float lo = min, hi = max;
  if (pixel_type & Type_8_Bit) {
    lo = Clamp_8_Bit(min, pixel_type & Type_Signed);
    hi = Clamp_8_Bit(max, pixel_type & Type_Signed);
  }
  type = pixel_type;
  const uint16_t size = Value_Of<uint16_t>(Map_Size);
  if (hi == lo) {
    offset = 0;
    scale = 1;
  } else if (!(type & Type_Colour)) {
    offset = (intercept - lo) / slope;
    scale = float(size) / (hi - lo) * slope;
  } else {
    offset = -lo;
    scale = Byte_Max / (hi - lo);
  }
  map = nullptr;
  last = 0;
  if (!(type & Type_Colour)) {
    uint32_t* const* table = Map_Table.Table<uint32_t*>();
    const uint16_t current = Value_Of<uint16_t>(Map_Cur);
    // A host that says how many maps it has gets its current index checked against that count.
    const int maps = Map_Table.Count();
    if (!table || size == 0 || (maps > 0 && current >= maps) || !table[current]) {
      QUARN_REPORT(msg::Invalid, "Fct_GLI_2_Color: no colour map (map %d of $COLORMAP_GLI_PT, %d entries)",
                   int(Value_Of<uint16_t>(Map_Cur)), int(size));
      return false;
    }
    map = table[current];
    last = int(size) - 1;
  }
  fill = Value_Of<uint32_t>(Map_Fill);
  invalid = Value_Of<uint32_t>(Map_Invalid);
  component = Value_Of<uint8_t>(Component);
  display = Value_Of<uint8_t>(Component_Display);
  return true;
}

uint32_t Colour_Mapping::Map_Colour(uint32_t v) const {
  const float r = float(v & 0xFF), g = float(v >> 8 & 0xFF), b = float(v >> 16 & 0xFF);
  switch (component) {
    case 0: {
      const uint32_t R = Byte_Of((r + offset) * scale), G = Byte_Of((g + offset) * scale),
                     B = Byte_Of((b + offset) * scale);
      return Rgba(R, G, B, 255 - std::max({R, G, B}));
    }
    case 1:
    case 2:
    case 3: {
      const float chosen = component == 1 ? r : component == 2 ? g : b;
      const uint32_t c = Byte_Of((chosen + offset) * scale);
      if (!display) return Rgba(c, c, c, 255 - c);
      return (c << (8 * (component - 1))) | (255 - c) << 24;
    }
    case 4: {
      const double sum = Lum_Red * Trunc_Int((r + offset) * scale) +
                         Lum_Green * Trunc_Int((g + offset) * scale) +
                         Lum_Blue * Trunc_Int((b + offset) * scale);
      const uint32_t c = Clamp_Byte(std::trunc(sum));
      return Rgba(c, c, c, 255 - c);
    }
    default: return v;
  }
}

namespace {

// Map indexes of k values; true when one of them is a special value. With k a constant the
// compiler turns the loop into vector code even at its cheapest vectorising level.
template <int K>
bool Index_Block(const int32_t* src, int32_t* index, float off, float sc, float top, int k = K) {
  int special = 0;
  for (int i = 0; i < k; ++i) {
    float f = (float(src[i]) + off) * sc;
    f = f > 0.0f ? f : 0.0f;
    f = f < top ? f : top;
    index[i] = int(f);
    special |= int(src[i] >= Value_Fill);
  }
  return special;
}

}  // namespace

// Indexes first, then the table lookups; the two special values are rare, so a block that holds
// one is mended afterwards.
void Colour_Mapping::Map_Grey_Row(const int32_t* in, uint32_t* out, int n) const {
  int32_t index[Row_Block];
  const float off = offset, sc = scale, top = float(last);
  const uint32_t* const colours = map;
  for (int start = 0; start < n; start += Row_Block) {
    const int k = std::min(Row_Block, n - start);
    const int32_t* src = in + start;
    uint32_t* dst = out + start;
    const bool special = k == Row_Block ? Index_Block<Row_Block>(src, index, off, sc, top)
                                        : Index_Block<0>(src, index, off, sc, top, k);
    for (int i = 0; i < k; ++i) dst[i] = colours[index[i]];
    if (special) [[unlikely]]
      for (int i = 0; i < k; ++i)
        if (src[i] >= Value_Fill) dst[i] = src[i] == Value_Invalid ? invalid : fill;
  }
}

void Colour_Mapping::Map_Row(const int32_t* in, uint32_t* out, int n) const {
  if (!(type & Type_Colour) && map) return Map_Grey_Row(in, out, n);
  for (int i = 0; i < n; ++i) out[i] = Map(in[i]);
}

unsigned int Fct_GLI_2_Color(uint8_t type, float slope, float intercept, float min, float max) {
  return t_mapping.Prepare(type, slope, intercept, min, max) ? 1u : 0u;
}

unsigned int Fct_GLI_2_Color(uint8_t type, float slope, float intercept) {
  t_mapping.Prepare(type, slope, intercept, Value_Of<float>(Val_Min), Value_Of<float>(Val_Max));
  return 1;
}

uint32_t Fct_GLI_2_Color(int value) { return t_mapping.Map(value); }
