// The frame's smoothed grey values and gradients, computed point by point on demand and kept in
// user buffers 10 (cache state of each pixel), 11 (smoothed values) and 12 (packed gradients).
#include "frames/Frame_Gradient.h"

#include <quarn/core/Quarn_Buffer.h>
#include <quarn/frames/Frame_Layers.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include <hostkit/HostImage.h>

#include "classes/Node_Kinds.h"
#include "classes/Tree_Trace.h"
#include "frames/Frame_Access_Slots.h"
#include "frames/Frame_Layer_Buffer.h"
#include "frames/Pixel_Chain.h"
#include "script/Remembered_Variable.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

namespace quarn {

namespace {

// Cache state of a pixel: bits while it has a value, whole-cell markers when it has none.
constexpr uint8_t Cached_Filtered = 0x08;
constexpr uint8_t Cached_Gradient = 0x80;
constexpr uint8_t Marker_None = 255;
constexpr uint8_t Marker_Padding = 254;
constexpr uint8_t Bits_Of_Filtered = 0x0F;
constexpr uint8_t Bits_Of_Gradient = 0xF0;

constexpr int Value_None = -1;
constexpr int Value_Padding = -2;
// Grey values above this mark missing pixels rather than values.
constexpr int32_t Grey_Top = 0x7FFFFFFD;

constexpr int Radius = 2;
constexpr int Kernel_Side = 2 * Radius + 1;
constexpr double Diagonal_Weight = 0.71;
constexpr double Slice_Weight = 0.25;
constexpr double Least_Norm = 0.0001;
constexpr double Azimuth_Scale = 1.4194444;    // 0 ... 360 degrees onto 0 ... 511
constexpr double Elevation_Scale = 0.70555556;  // 0 ... 180 degrees onto 0 ... 127
constexpr double Degrees = 180.0 / M_PI;
constexpr int Magnitude_Max = 65535;

const Layer_Kind Layer_Mask{10, 1, "class_2D_frame_grad", "Quarn_2D_Frame::Pixel_Mask"};
const Layer_Kind Layer_Filtered{11, 2, "class_2D_frame_grad", "Quarn_2D_Frame::Pixel_Filtered"};
const Layer_Kind Layer_Gradient{12, 4, "class_2D_frame_grad", "Quarn_2D_Frame::Pixel_Gradient"};

Remembered_Variable g_color_component{L"$GLI_COLOR_COMPONENT"};

// Cells are read and written by every thread that samples the frame, without a lock: two
// threads at one pixel compute the same value. The mask publishes the value cells it marks.
template <class T>
T Cell_Load(T& cell) {
  return std::atomic_ref<T>(cell).load(std::memory_order_acquire);
}
template <class T>
void Cell_Store(T& cell, T v) {
  std::atomic_ref<T>(cell).store(v, std::memory_order_release);
}
void Mask_Set(uint8_t& cell, uint8_t bit) {
  std::atomic_ref<uint8_t>(cell).fetch_or(bit, std::memory_order_release);
}

bool Is_Marker(uint8_t cell) { return cell == Marker_None || cell == Marker_Padding; }

// A new value layer makes the mask's bits of that layer stale; the whole-cell markers stay, as
// the pixel has no value whichever layers exist.
void Mask_Keep(Quarn_2D_Frame* frame, uint8_t** mask, uint8_t keep) {
  for (int y = 0; y < frame->height; ++y)
    for (int x = 0; x < frame->width; ++x) {
      std::atomic_ref<uint8_t> cell(mask[y][x]);
      uint8_t v = cell.load(std::memory_order_relaxed);
      while (!Is_Marker(v) && (v & ~keep) && !cell.compare_exchange_weak(v, uint8_t(v & keep)))
        ;
    }
}

void Rows_Zero(Quarn_2D_Frame* frame, void** rows, size_t element) {
  for (int y = 0; y < frame->height; ++y) std::memset(rows[y], 0, element * frame->width);
}

// The rows of a cache layer, made on first use under the frame's lock and published once
// prepared; null after a reported failure.
template <class T, class Prepare>
T** Cache_Rows(Quarn_2D_Frame* frame, T**& view, const Layer_Kind& kind, const char* name,
               Prepare prepare) {
  if (T** rows = View_Get(view)) return rows;
  frame->Critical_Class_In(kind.matrix_label);
  T** rows = View_Get(view);
  if (!rows) {
    bool created;
    rows = reinterpret_cast<T**>(Layer_Rows(frame, kind, name, &created));
    if (rows) {
      Rows_Zero(frame, reinterpret_cast<void**>(rows), sizeof(T));
      prepare(rows);
      View_Set(view, rows);
    }
  }
  frame->Critical_Class_Out(kind.matrix_label);
  return rows;
}

uint8_t** Mask_Rows(Quarn_2D_Frame* frame) {
  return Cache_Rows(frame, frame->grad_mask, Layer_Mask, "Pixel: Mask", [](uint8_t**) {});
}

uint16_t** Filtered_Rows(Quarn_2D_Frame* frame, uint8_t** mask) {
  return Cache_Rows(frame, frame->grad_filtered, Layer_Filtered, "Pixel: Filtered",
                    [&](uint16_t**) { Mask_Keep(frame, mask, Bits_Of_Gradient); });
}

uint32_t** Gradient_Rows(Quarn_2D_Frame* frame, uint8_t** mask) {
  return Cache_Rows(frame, frame->grad_value, Layer_Gradient, "Pixel: Gradient",
                    [&](uint32_t**) { Mask_Keep(frame, mask, Bits_Of_Filtered); });
}

// The smoothing weights trunc(1000 exp(-(dx^2 + dy^2) / 4)), rows dy = -2 ... 2.
struct Kernel {
  int w[Kernel_Side][Kernel_Side];
  Kernel() {
    for (int dy = -Radius; dy <= Radius; ++dy)
      for (int dx = -Radius; dx <= Radius; ++dx)
        w[dy + Radius][dx + Radius] = int(1000.0 * std::exp(-(dx * dx + dy * dy) * 0.25));
  }
};

const Kernel& Weights() {
  static const Kernel kernel;
  return kernel;
}

int Grey_At(Quarn_2D_Frame* frame, int x, int y) {
  return frame->fct_read_gli(frame, frame->image,
                             Vec4(float(x), float(y), float(frame->z_index), float(frame->t_index)));
}

// The component of a colour pixel that the smoothing follows ($GLI_COLOR_COMPONENT).
int Colour_Component(uint32_t v, int which) {
  const int r = int(v & 0xFF), g = int((v >> 8) & 0xFF), b = int((v >> 16) & 0xFF);
  switch (which) {
    case 1: return r;
    case 2: return g;
    case 3: return b;
    case 4: return int(0.587 * g + 0.299 * r + 0.114 * b) & 0xFF;
    default: return std::max({r, g, b});
  }
}

struct Component_Of {
  bool colour;
  int which;      // colour frames
  int kind;       // grey frames
  int range_min, range_max;
  int operator()(int v) const {
    return colour ? Colour_Component(uint32_t(v), which)
                  : Host_Image_Int_To_Short(v, kind, range_min, range_max);
  }
};

Component_Of Component_For(const Quarn_2D_Frame* frame) {
  const Host_Image_Record* r = frame->image;
  return {frame->pixel_kind < 0, int(g_color_component.Value<uint8_t>()), r ? int(r->kind) : 0,
          r ? r->int_min : 0, r ? r->int_max : 0};
}

// The weighted mean of the valid grey values around (x, y); -1 or -2 when the centre has none.
int Smoothed(Quarn_2D_Frame* frame, int x, int y) {
  const int centre = Grey_At(frame, x, y);
  if (centre == GLI_PAD) return Value_Padding;
  if (centre > Grey_Top) return Value_None;
  const Component_Of component = Component_For(frame);
  const Kernel& k = Weights();
  long long sum = 0, weights = 0;
  for (int dy = -Radius; dy <= Radius; ++dy) {
    const int yy = y + dy;
    if (yy < 0 || yy >= frame->height) continue;
    for (int dx = -Radius; dx <= Radius; ++dx) {
      const int xx = x + dx, w = k.w[dy + Radius][dx + Radius];
      if (xx < 0 || xx >= frame->width || w == 0) continue;
      const int v = Grey_At(frame, xx, yy);
      if (v > Grey_Top) continue;
      sum += (long long)w * component(v);
      weights += w;
    }
  }
  return weights ? int((sum / weights) & 0xFFFF) : 0;
}

struct Cell {
  int x, y;
};

Cell Cell_Of(const Quarn_2D_Frame* frame, const Vec4& p) {
  return {std::clamp(Trunc_Index(p.x), 0, std::max(frame->width - 1, 0)),
          std::clamp(Trunc_Index(p.y), 0, std::max(frame->height - 1, 0))};
}

[[gnu::cold]] int No_Rows(Quarn_2D_Frame* frame) {
  QUARN_REPORT(msg::Low_Calc, "<<< out Class: Quarn_2D_Frame::Pixel_Filtered(%ls, no layer)",
               Name_Of(frame));
  return 0;
}

int Filtered_At(Quarn_2D_Frame* frame, Cell c) {
  uint8_t** mask = Mask_Rows(frame);
  if (!mask) return Value_Padding;
  uint8_t& state = mask[c.y][c.x];
  const uint8_t seen = Cell_Load(state);
  if (seen == Marker_None) return Value_None;
  if (seen == Marker_Padding) return Value_Padding;
  uint16_t** filtered = Filtered_Rows(frame, mask);
  if (!filtered) return No_Rows(frame);
  if (!(Cell_Load(state) & Cached_Filtered)) {
    const int s = Smoothed(frame, c.x, c.y);
    if (s < 0) {
      Cell_Store(state, s == Value_None ? Marker_None : Marker_Padding);
      return s;
    }
    Cell_Store(filtered[c.y][c.x], uint16_t(s));
    Mask_Set(state, Cached_Filtered);
    return s;
  }
  return Cell_Load(filtered[c.y][c.x]);
}

// The filtered value of a frame's sibling at the same point; fallback when there is none.
int Sibling_Filtered(Quarn_2D* parent, int index, Vec4 p, int fallback) {
  if (!parent || index < 0 || index >= parent->Child_Get_Nb()) return fallback;
  Quarn_2D_Frame* sibling = Frame_If(parent->Child_Get_Pt(index));
  if (!sibling || !sibling->fct_grad[0]) return fallback;
  const int v = reinterpret_cast<Quarn_Frame_Grad_Value>(sibling->fct_grad[0])(sibling, p, sibling->image);
  return v < 0 ? fallback : v;
}

uint32_t Gradient_Pack(double gx, double gy, double gz) {
  const double length = std::sqrt(gx * gx + gy * gy + gz * gz);
  const uint32_t m = uint32_t(std::clamp(std::trunc(length), 0.0, double(Magnitude_Max)));
  const double n = length < Least_Norm ? 1.0 : length;
  const double azimuth = std::atan2(gy / n, gx / n) * Degrees + 180.0;
  const double elevation = std::acos(std::clamp(gz / n, -1.0, 1.0)) * Degrees;
  const uint32_t a = uint32_t(int(azimuth * Azimuth_Scale));
  const uint32_t e = uint32_t(int(elevation * Elevation_Scale)) & 0x7F;
  return e | (a & 0x1FF) << 7 | m << 16;
}

uint32_t Gradient_Compute(Quarn_2D_Frame* frame, Cell c, Vec4 p, int f0) {
  int f[3][3];
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      const int x = c.x + dx, y = c.y + dy;
      const bool inside = x >= 0 && y >= 0 && x < frame->width && y < frame->height;
      f[dy + 1][dx + 1] = inside ? Filtered_At(frame, {x, y}) : f0;
    }
  Quarn_2D* parent = frame->Parent_Get_Pt();
  const int index = parent ? parent->Child_Get_Id(frame) : -1;
  const int fp = index >= 0 ? Sibling_Filtered(parent, index - 1, p, f0) : f0;
  const int fn = index >= 0 ? Sibling_Filtered(parent, index + 1, p, f0) : f0;
  // f[row][column]: f[0][*] is dy = -1.
  const double gx = Diagonal_Weight * (f[0][0] - f[0][2]) + (f[1][0] - f[1][2]) +
                    Diagonal_Weight * (f[2][0] - f[2][2]);
  const double gy = Diagonal_Weight * (f[0][0] - f[2][0]) + (f[0][1] - f[2][1]) +
                    Diagonal_Weight * (f[0][2] - f[2][2]);
  const double gz = Slice_Weight * (fn - fp);
  return Gradient_Pack(gx, gy, gz);
}

// The packed gradient at p: 1 with *packed set, the filtered value's -1 or -2, or 0 when a layer
// cannot be made.
int Gradient_At(Quarn_2D_Frame* frame, Vec4 p, uint32_t* packed) {
  const Cell c = Cell_Of(frame, p);
  const int f0 = Filtered_At(frame, c);
  if (f0 < 0) return f0;
  uint8_t** mask = View_Get(frame->grad_mask);
  uint32_t** gradient = mask ? Gradient_Rows(frame, mask) : nullptr;
  if (!gradient) return No_Rows(frame);
  uint8_t& state = mask[c.y][c.x];
  if (Cell_Load(state) & Cached_Gradient) {
    *packed = Cell_Load(gradient[c.y][c.x]);
    return 1;
  }
  *packed = Gradient_Compute(frame, c, p, f0);
  Cell_Store(gradient[c.y][c.x], *packed);
  Mask_Set(state, Cached_Gradient);
  return 1;
}

bool Usable(Quarn_2D_Frame* frame, const char* label) {
  return QUARN_CHECK(Object_Of(frame), Frame, label) && frame->width && frame->height;
}

int Filtered_Slot(Quarn_2D_Frame* frame, Vec4 p, void*) {
  if (!Usable(frame, "Quarn_2D_Frame::Pixel_Filtered")) return Value_None;
  return Filtered_At(frame, Cell_Of(frame, p));
}

int Magnitude_Slot(Quarn_2D_Frame* frame, Vec4 p, void*) {
  if (!Usable(frame, "Quarn_2D_Frame::Pixel_Gradient")) return Value_None;
  uint32_t packed = 0;
  const int status = Gradient_At(frame, p, &packed);
  return status == 1 ? int(packed >> 16) : status;
}

Vec4 Direction_Slot(Quarn_2D_Frame* frame, Vec4 p, void*) {
  if (!Usable(frame, "Quarn_2D_Frame::Pixel_Gradient")) return Vec4(0.0f);
  uint32_t packed = 0;
  if (Gradient_At(frame, p, &packed) != 1) return Vec4(0.0f);
  const double phi = (double((packed >> 7) & 0x1FF) * 360.0 / 511.0 - 180.0) / Degrees;
  const double theta = double(packed & 0x7F) * 180.0 / 127.0 / Degrees;
  return Vec4(float(std::sin(theta) * std::cos(phi)), float(std::sin(theta) * std::sin(phi)),
              float(std::cos(theta)), 0.0f);
}

}  // namespace

void Frame_Gradient_Slots_Install(Quarn_2D_Frame* frame) {
  frame->fct_grad[0] = reinterpret_cast<Quarn_Frame_Slot>(Quarn_Frame_Grad_Value(&Filtered_Slot));
  frame->fct_grad[1] = reinterpret_cast<Quarn_Frame_Slot>(Quarn_Frame_Grad_Value(&Magnitude_Slot));
  frame->fct_grad[2] = reinterpret_cast<Quarn_Frame_Slot>(Quarn_Frame_Grad_Dir(&Direction_Slot));
}

}  // namespace quarn
