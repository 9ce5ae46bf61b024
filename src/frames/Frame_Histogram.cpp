// The histogram of a frame's grey values (per colour component for colour frames).
#include <quarn/core/Quarn_Buffer.h>
#include <quarn/frames/Frame_Layers.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Tree_Trace.h"
#include "script/Remembered_Variable.h"

#include <algorithm>
#include <cmath>
#include <new>

using namespace quarn;

namespace {

constexpr uint32_t Slot_Histogram = 8;
constexpr uint16_t Type_Histogram = 13;
constexpr int Default_Bins_Max = 4096;

Remembered_Variable g_bins_max{L"$GLI_HISTO_BINS_MAX"};

int Bins_Max() {
  const auto* limit = g_bins_max.As<uint16_t>();
  return std::max(limit ? int(*limit) : Default_Bins_Max, 1);
}

// trunc(span) when that fits the limit, else trunc(span / k) for the smallest k >= 2 that fits.
int Bin_Count(double span, int limit) {
  if (span <= 0) return 1;
  if (std::trunc(span) <= limit) return std::max(int(std::trunc(span)), 1);
  double k = std::max(2.0, std::floor(span / (limit + 1)) + 1);
  while (std::trunc(span / k) > limit) k += 1;
  while (k > 2 && std::trunc(span / (k - 1)) <= limit) k -= 1;
  return std::max(int(std::trunc(span / k)), 1);
}

// The header block and its count arrays, unfiled; null when any allocation failed (reported).
[[nodiscard]] Quarn_Buffer* Histogram_Make(int arrays, int bins) {
  auto* buffer = new (std::nothrow) Quarn_Buffer(Type_Histogram);
  if (!buffer) {
    QUARN_MEMORY_ERROR_NEW();
    return nullptr;
  }
  buffer->Name_Set("Histogram");
  bool made = buffer->Data_New(sizeof(Quarn_Histogram)) && buffer->Sub_New(arrays);
  for (int i = 0; made && i < arrays; ++i)
    made = buffer->Sub_Get(i)->Data_New(uint32_t(bins) * sizeof(uint32_t)) != nullptr;
  if (made) return buffer;
  delete buffer;
  return nullptr;
}

// Maps a grey value to its bin: trunc(v * scale + offset), kept inside the arrays.
struct Grey_Bins {
  double scale, offset;
  int last;
  int operator()(int v) const {
    const double bin = std::trunc(v * scale + offset);
    if (bin <= 0) return 0;
    return bin > last ? last : int(bin);
  }
};

// Colour components run 0 ... 255; fewer bins than 256 share them out evenly.
int Component_Bin(int c, int bins) {
  return bins >= 256 ? c : c * bins / 256;
}

void Count_Colour(Quarn_Histogram& h, uint32_t v) {
  const int red = v & 0xFF, green = (v >> 8) & 0xFF, blue = (v >> 16) & 0xFF;
  const int luminance = int(std::trunc(0.587 * green + 0.299 * red + 0.114 * blue)) & 255;
  ++h.counts[0][Component_Bin(luminance, h.bins)];
  ++h.counts[1][Component_Bin(red, h.bins)];
  ++h.counts[2][Component_Bin(green, h.bins)];
  ++h.counts[3][Component_Bin(blue, h.bins)];
  ++h.counts[4][Component_Bin(std::max({red, green, blue}), h.bins)];
}

uint32_t Peak_Of(const Quarn_Histogram& h, int arrays) {
  uint32_t peak = 0;
  for (int a = 0; a < arrays; ++a)
    peak = std::max(peak, *std::max_element(h.counts[a], h.counts[a] + h.bins));
  return peak;
}

}  // namespace

Quarn_Histogram* Quarn_2D_Frame::Histogram_Compute(unsigned char tag) {
  constexpr const char* label = "Quarn_2D_Frame::Histogram_Compute";
  Trace_In(label, this);
  if (!QUARN_CHECK(Object_Of(this), Frame, label)) return nullptr;
  const int limit = Bins_Max();
  const bool colour = pixel_kind < 0;
  const double slope = conv_b != 0 ? conv_b : 1.0;
  const double start = colour ? 0.0 : gli_min - 0.4999;
  const double span = colour ? 256.0 : (double(gli_max) - gli_min + 1) / slope;
  const int bins = Bin_Count(span, limit);
  const int arrays = colour ? 5 : 1;

  // Readers find the old histogram or the new one, never one half built.
  Critical_Class_In(label);
  Histogram_Delete();
  Quarn_Buffer* buffer = Histogram_Make(arrays, bins);
  if (!buffer || !User_Set(Slot_Histogram, buffer)) {
    delete buffer;
    Critical_Class_Out(label);
    Trace_Out(label, "! histo");
    return nullptr;
  }
  auto* h = static_cast<Quarn_Histogram*>(buffer->Data_Get());
  h->flags = colour ? HISTOGRAM_COLOR : 0;
  h->bins = uint16_t(bins);
  h->start = float(start);
  for (int a = 0; a < arrays; ++a)
    h->counts[a] = static_cast<uint32_t*>(buffer->Sub_Get(a)->Data_Get());
  if (span == 0) {
    Critical_Class_Out(label);
    Trace_Out(label, "! range");
    return h;
  }
  h->width = float(span * slope / bins);
  const Grey_Bins bin_of{bins / span, (conv_a - start) * bins / (span * slope), bins - 1};
  const float z = z_index, t = t_index;
  for (int y = 0; y < height && fct_read_gli; ++y)
    for (int x = 0; x < width; ++x) {
      const Vec4 p(float(x) + 0.01f, float(y) + 0.01f, z, t);
      const int v = fct_read_gli(this, image, p);
      if (v == GLI_NONE || v == GLI_PAD) continue;
      if (tag && (!fct_read_tag || fct_read_tag(this, image, p) != tag)) continue;
      if (colour)
        Count_Colour(*h, uint32_t(v));
      else
        ++h->counts[0][bin_of(v)];
    }
  h->peak = Peak_Of(*h, arrays);
  Critical_Class_Out(label);
  Trace_Out(label);
  return h;
}

Quarn_Histogram* Quarn_2D_Frame::Histogram_Get() {
  constexpr const char* label = "Quarn_2D_Frame::Histogram_Get";
  Trace_In(label, this);
  if (!QUARN_CHECK(Object_Of(this), Frame, label)) return nullptr;
  Critical_Class_In(label);
  Quarn_Buffer* buffer = User_Get(Slot_Histogram);
  auto* h = buffer ? static_cast<Quarn_Histogram*>(buffer->Data_Get()) : Histogram_Compute(0);
  Critical_Class_Out(label);
  Trace_Out(label);
  return h;
}

void Quarn_2D_Frame::Histogram_Delete() {
  constexpr const char* label = "Quarn_2D_Frame::Histogram_Delete";
  Trace_In(label, this);
  if (!QUARN_CHECK(Object_Of(this), Frame, label)) return;
  User_Delete(Slot_Histogram);
  Trace_Out(label);
}
