// Image records: construction from memory, derived geometry and value range, texts, release.
#include <hostkit/HostImage.h>

#include "HostFault.h"
#include "HostImageAccess.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <limits>
#include <new>

namespace {

std::atomic<uint64_t> g_order{0};

bool Is_Grey_Kind(int kind) {
  return kind == HOST_PIXEL_U8 || kind == HOST_PIXEL_S8 || kind == HOST_PIXEL_U16 ||
         kind == HOST_PIXEL_S16 || kind == HOST_PIXEL_S32 || kind == HOST_PIXEL_FLOAT ||
         kind == HOST_PIXEL_RGBA;
}

bool Pads(int kind) {
  return kind == HOST_PIXEL_U16 || kind == HOST_PIXEL_S16 || kind == HOST_PIXEL_S32 ||
         kind == HOST_PIXEL_FLOAT;
}

uint16_t Orientation_Of(const Vec4& n) {
  float ax = std::fabs(n.x), ay = std::fabs(n.y), az = std::fabs(n.z);
  // Within about eight degrees of an axis counts as that plane.
  const float aligned = 0.99f;
  if (az >= aligned) return HOST_ORIENT_AXIAL;
  if (ax >= aligned) return HOST_ORIENT_SAGITTAL;
  if (ay >= aligned) return HOST_ORIENT_CORONAL;
  return HOST_ORIENT_OBLIQUE;
}

void Set_Row(Mat4& m, int row, const Vec4& v, float scale, double w) {
  m.m[row][0] = double(v.x) * scale;
  m.m[row][1] = double(v.y) * scale;
  m.m[row][2] = double(v.z) * scale;
  m.m[row][3] = w;
}

// Float planes are read as integers spread over 0 ... 65535, so the conversion follows the data.
void Float_Range(Host_Image_Record& r) {
  const float* p = static_cast<const float*>(r.pixels);
  size_t n = hostkit::Pixel_Count(r);
  bool any = false;
  float lo = 0, hi = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!std::isfinite(p[i])) continue;
    if (!any || p[i] < lo) lo = p[i];
    if (!any || p[i] > hi) hi = p[i];
    any = true;
  }
  r.conv_a = lo;
  r.conv_b = hi > lo ? float((double(hi) - lo) / 65535.0) : 1.0f;
  r.float_min = lo;
  r.float_max = hi;
  r.int_min = any ? hostkit::Float_To_Stored(lo, r.conv_a, r.conv_b) : 0;
  r.int_max = any ? hostkit::Float_To_Stored(hi, r.conv_a, r.conv_b) : 0;
}

// kBytes bytes of T, one machine vector.
template <class T, size_t kBytes>
struct Lanes {
  typedef T type __attribute__((vector_size(kBytes)));
};

// The lane type whose order the range scan compares in: the vector unit compares 16-bit values
// as signed only, so unsigned ones are flipped at their top bit into that order and back.
template <class T>
struct Order {
  using Lane = T;
  static constexpr T kFlip = 0;
};
template <>
struct Order<uint16_t> {
  using Lane = int16_t;
  static constexpr uint16_t kFlip = 0x8000;
};

// Smallest and largest element of a plane, padding skipped, a vector of kBytes at a time; padding
// stands in as values that move neither bound. A plane of nothing but padding leaves lo above hi.
// Always inlined, so that each caller compiles it for its own instruction set.
template <size_t kBytes, class T, bool kPads>
[[gnu::always_inline]] inline void Range_Scan(const T* p, size_t n, T pad, T& lo, T& hi) {
  using L = typename Order<T>::Lane;
  using V = typename Lanes<L, kBytes>::type;
  constexpr size_t kLanes = sizeof(V) / sizeof(L);
  constexpr L kTop = std::numeric_limits<L>::max(), kBottom = std::numeric_limits<L>::lowest();
  const L flip = L(Order<T>::kFlip), pad_l = L(pad ^ Order<T>::kFlip);
  const V zero = {};
  const V top = zero + kTop, bottom = zero + kBottom, pad_v = zero + pad_l, flip_v = zero + flip;
  V mn = top, mx = bottom;
  size_t i = 0;
  for (; i + kLanes <= n; i += kLanes) {
    V v;
    std::memcpy(&v, p + i, sizeof v);
    v ^= flip_v;
    V low = v, high = v;
    if (kPads) {
      low = v == pad_v ? top : v;
      high = v == pad_v ? bottom : v;
    }
    mn = low < mn ? low : mn;
    mx = high > mx ? high : mx;
  }
  L a = kTop, b = kBottom;
  for (size_t k = 0; k < kLanes; ++k) {
    a = mn[k] < a ? mn[k] : a;
    b = mx[k] > b ? mx[k] : b;
  }
  for (; i < n; ++i) {
    L v = L(p[i] ^ Order<T>::kFlip);
    if (kPads && v == pad_l) continue;
    a = v < a ? v : a;
    b = v > b ? v : b;
  }
  lo = T(a ^ flip);
  hi = T(b ^ flip);
}

// Sixteen-byte vectors every x86-64 processor has; processors with 32-byte integer vectors take
// the wide scan, which runs in a quarter of the time on a freshly read slice.
constexpr size_t kNarrow = 16, kWide = 32;

template <class T, bool kPads>
void Range_Scan_Narrow(const T* p, size_t n, T pad, T& lo, T& hi) {
  Range_Scan<kNarrow, T, kPads>(p, n, pad, lo, hi);
}

#if defined(__x86_64__)
template <class T, bool kPads>
__attribute__((target("avx2"))) void Range_Scan_Wide(const T* p, size_t n, T pad, T& lo, T& hi) {
  Range_Scan<kWide, T, kPads>(p, n, pad, lo, hi);
}

bool Wide_Vectors() {
  static const bool wide = __builtin_cpu_supports("avx2");
  return wide;
}
#endif

template <class T, bool kPads>
void Range_Scan_Best(const T* p, size_t n, T pad, T& lo, T& hi) {
#if defined(__x86_64__)
  if (Wide_Vectors()) return Range_Scan_Wide<T, kPads>(p, n, pad, lo, hi);
#endif
  Range_Scan_Narrow<T, kPads>(p, n, pad, lo, hi);
}

template <class T>
void Plane_Range(const T* p, size_t n, bool pads, T pad, T& lo, T& hi) {
  if (pads) Range_Scan_Best<T, true>(p, n, pad, lo, hi);
  else Range_Scan_Best<T, false>(p, n, pad, lo, hi);
}

// Whether the padding value can occur in a plane of T at all.
template <class T>
bool Pad_Fits(int32_t pad) {
  return pad >= int64_t(std::numeric_limits<T>::lowest()) && pad <= int64_t(std::numeric_limits<T>::max());
}

template <class T>
bool Typed_Range(const void* p, size_t n, int kind, int32_t pad, int& lo, int& hi) {
  bool pads = Pads(kind) && Pad_Fits<T>(pad);
  T mn, mx;
  Plane_Range(static_cast<const T*>(p), n, pads, pads ? T(pad) : T(0), mn, mx);
  if (mn > mx) return false;
  lo = int(mn);
  hi = int(mx);
  return true;
}

void Integer_Range(Host_Image_Record& r) {
  int lo = 0, hi = 0;
  bool any = hostkit::Element_Range(r.kind, r.pad_value, r.pixels, hostkit::Pixel_Count(r), &lo, &hi);
  hostkit::Integer_Range_Store(r, any, lo, hi);
}

template <class Char>
int Text_Copy(Char** slot, const Char* text, size_t length) {
  if (!slot) return 0;
  Char* copy = nullptr;
  if (text) {
    copy = static_cast<Char*>(std::malloc((length + 1) * sizeof(Char)));
    if (!copy) {
      HOSTKIT_MEMORY_ERROR("malloc", "text", length + 1, sizeof(Char));
      return 0;
    }
    std::memcpy(copy, text, (length + 1) * sizeof(Char));
  }
  std::free(*slot);
  *slot = copy;
  return 1;
}

bool Dimension_Ok(int v) { return v >= 1 && v <= 65535; }

}  // namespace

namespace hostkit {

bool Element_Range(int kind, int32_t pad_value, const void* pixels, size_t count, int* lo, int* hi) {
  switch (kind) {
    case HOST_PIXEL_TAG:
    case HOST_PIXEL_U8: return Typed_Range<uint8_t>(pixels, count, kind, pad_value, *lo, *hi);
    case HOST_PIXEL_S8: return Typed_Range<int8_t>(pixels, count, kind, pad_value, *lo, *hi);
    case HOST_PIXEL_U16: return Typed_Range<uint16_t>(pixels, count, kind, pad_value, *lo, *hi);
    case HOST_PIXEL_S16: return Typed_Range<int16_t>(pixels, count, kind, pad_value, *lo, *hi);
    case HOST_PIXEL_S32: return Typed_Range<int32_t>(pixels, count, kind, pad_value, *lo, *hi);
  }
  return false;
}

void Integer_Range_Store(Host_Image_Record& r, bool any, int lo, int hi) {
  if (!any) lo = hi = 0;
  r.int_min = lo;
  r.int_max = hi;
  float slope = r.conv_b != 0 ? r.conv_b : 1.0f;
  float a = float(double(lo) * slope + r.conv_a), b = float(double(hi) * slope + r.conv_a);
  r.float_min = a < b ? a : b;
  r.float_max = a < b ? b : a;
}

}  // namespace hostkit

Host_Image_Record::Host_Image_Record() {
  frm_2_org.init();
  org_2_frm.init();
  spacing.set(1, 1, 1, 0);
  spacing_b.set(1, 1, HOST_IMAGE_MISSING, 0);
  orientation = HOST_ORIENT_AXIAL;
}

Host_Image_Record::~Host_Image_Record() {
  std::free(pixels);
  std::free(tags);
  std::free(positions);
  std::free(description);
  std::free(vert_label);
  std::free(file_name);
  std::free(manufacturer);
  std::free(model);
  std::free(sequence_name);
  std::free(patient_id);
}

int Host_Image_Kind_Size(int kind) {
  switch (kind) {
    case HOST_PIXEL_TAG:
    case HOST_PIXEL_U8:
    case HOST_PIXEL_S8: return 1;
    case HOST_PIXEL_U16:
    case HOST_PIXEL_S16: return 2;
    case HOST_PIXEL_S32:
    case HOST_PIXEL_FLOAT:
    case HOST_PIXEL_RGBA: return 4;
  }
  return 0;
}

int Host_Image_Geometry_Update(Host_Image_Record* r) {
  if (!r) return 0;
  Vec4 u = r->dir_row, v = r->dir_col;
  u.w = v.w = 0;
  // Zero or (nearly) parallel directions leave no plane to place the pixels in.
  if (u.normalise() < 1e-12f || v.normalise() < 1e-12f || std::fabs(u.dot(v)) > 0.999f) {
    HOSTKIT_INVALID(nullptr, "Host_Image_Geometry_Update: degenerate orientation (%g %g %g / %g %g %g)",
                    r->dir_row.x, r->dir_row.y, r->dir_row.z, r->dir_col.x, r->dir_col.y, r->dir_col.z);
    return 0;
  }
  Vec4 n = u.cross(v);
  n.normalise();
  float dz = r->slice_spacing;
  if (dz == 0 || !std::isfinite(dz)) {
    float t = r->slice_thickness;
    dz = (t > 0 && t < HOST_IMAGE_MISSING) ? t : 1.0f;
  }
  float sx = r->pixel_spacing[0], sy = r->pixel_spacing[1];
  Mat4 m;
  Set_Row(m, 0, u, sx, 0);
  Set_Row(m, 1, v, sy, 0);
  Set_Row(m, 2, n, dz, 0);
  Set_Row(m, 3, r->position, 1, 1);
  Mat4 inv;
  if (!m.inverse(inv)) {
    HOSTKIT_INVALID(nullptr, "Host_Image_Geometry_Update: singular geometry (spacing %g x %g x %g)",
                    sx, sy, dz);
    return 0;
  }
  int frames = int(r->slices) * r->times;
  Vec4* table = r->positions;
  if (!table && frames > 1) {
    table = static_cast<Vec4*>(std::malloc(sizeof(Vec4) * size_t(frames)));
    if (!table) {
      HOSTKIT_MEMORY_ERROR("malloc", "positions", frames, sizeof(Vec4));
      return 0;
    }
    for (int f = 0; f < frames; ++f) {
      Vec4 p = r->position;
      p += n * (dz * float(f % r->slices));
      new (&table[f]) Vec4(p);
    }
    r->positions = table;
    r->position_count = frames;
  }
  r->dir_row = u;
  r->dir_col = v;
  r->normal = n;
  r->slice_spacing = dz;
  r->spacing.set(sx, sy, dz, 0);
  r->spacing_b.set(sx, sy, r->slice_thickness, 0);
  r->frm_2_org = m;
  r->org_2_frm = inv;
  r->orientation = uint16_t((r->orientation & HOST_ORIENT_SCOUT) | Orientation_Of(n));
  return 1;
}

int Host_Image_Range_Update(Host_Image_Record* r) {
  if (!r) return 0;
  if (!r->pixels || r->kind == HOST_PIXEL_RGBA || !Host_Image_Kind_Size(r->kind)) {
    r->int_min = r->int_max = 0;
    r->float_min = r->float_max = 0;
    return 1;
  }
  if (r->kind == HOST_PIXEL_FLOAT) Float_Range(*r);
  else Integer_Range(*r);
  return 1;
}

int Host_Image_Tags_Alloc(Host_Image_Record* r) {
  if (!r) return 0;
  if (r->tags) return 1;
  size_t n = hostkit::Pixel_Count(*r);
  r->tags = static_cast<uint8_t*>(std::calloc(n ? n : 1, 1));
  if (!r->tags) {
    HOSTKIT_MEMORY_ERROR("calloc", "tags", n, 1);
    return 0;
  }
  return 1;
}

int Host_Image_Text_Set(char** slot, const char* text) {
  return Text_Copy(slot, text, text ? std::strlen(text) : 0);
}

int Host_Image_Text_Set(wchar_t** slot, const wchar_t* text) {
  return Text_Copy(slot, text, text ? std::wcslen(text) : 0);
}

Host_Image_Record* Host_Image_Create(int columns, int rows, int slices, int times, int kind,
                                     const void* pixels, const Host_Image_Layout* layout) {
  if (!Dimension_Ok(columns) || !Dimension_Ok(rows) || !Dimension_Ok(slices) || !Dimension_Ok(times)) {
    HOSTKIT_INVALID(nullptr, "Host_Image_Create: dimensions %d x %d x %d x %d outside 1 ... 65535",
                    columns, rows, slices, times);
    return nullptr;
  }
  if (!Is_Grey_Kind(kind)) {
    HOSTKIT_INVALID(nullptr, "Host_Image_Create: unknown pixel kind %d", kind);
    return nullptr;
  }
  const Host_Image_Layout defaults;
  const Host_Image_Layout& l = layout ? *layout : defaults;
  auto* r = new (std::nothrow) Host_Image_Record;
  if (!r) {
    HOSTKIT_MEMORY_ERROR("new", "record", 1, sizeof(Host_Image_Record));
    return nullptr;
  }
  r->columns = uint16_t(columns);
  r->rows = uint16_t(rows);
  r->slices = uint16_t(slices);
  r->times = uint16_t(times);
  r->kind = uint8_t(kind);
  r->conv_a = l.intercept;
  r->conv_b = l.slope;
  r->pad_value = l.pad_value;
  r->modality = l.modality;
  r->position = l.position;
  r->dir_row = l.dir_row;
  r->dir_col = l.dir_col;
  r->pixel_spacing[0] = l.spacing_x;
  r->pixel_spacing[1] = l.spacing_y;
  r->slice_spacing = l.slice_spacing;
  r->slice_thickness = l.slice_thickness;
  r->pixel_dim[0] = l.spacing_x;
  r->pixel_dim[1] = l.spacing_y;
  r->pixel_dim[2] = l.slice_thickness;
  r->order = ++g_order;
  size_t count = hostkit::Pixel_Count(*r), bytes = 0;
  if (pixels) {
    bool overflow = __builtin_mul_overflow(count, size_t(Host_Image_Kind_Size(kind)), &bytes);
    r->pixels = overflow ? nullptr : std::malloc(bytes);
    if (!r->pixels) {
      HOSTKIT_MEMORY_ERROR("malloc", "pixels", count, Host_Image_Kind_Size(kind));
      delete r;
      return nullptr;
    }
    std::memcpy(r->pixels, pixels, bytes);
  }
  if (!Host_Image_Tags_Alloc(r) || !Host_Image_Geometry_Update(r)) {
    delete r;
    return nullptr;
  }
  Host_Image_Range_Update(r);
  return r;
}

void Host_Image_Free(Host_Image_Record* record) { delete record; }

int Host_Image_Free_Headers(Host_Window, Host_Image_Record** list) {
  if (!list) return 0;
  int n = 0;
  for (; list[n]; ++n) {
    delete list[n];
    list[n] = nullptr;
  }
  return n;
}
