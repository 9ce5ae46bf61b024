// Pixel access to image records and the conversions of stored values.
#include <hostkit/HostImage.h>

#include "HostFault.h"
#include "HostImageAccess.h"

#include <algorithm>
#include <cstdint>

namespace {

int Clamp(long long v, long long lo, long long hi) { return int(std::clamp(v, lo, hi)); }

int Luminance(int v) {
  uint32_t c = uint32_t(v);
  double r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return int(0.299 * r + 0.587 * g + 0.114 * b);
}

}  // namespace

int Host_Image_Pixel_Int(Host_Window owner, const Host_Image_Record* r, int x, int y, int slice,
                         int time) {
  if (!r) {
    HOSTKIT_INVALID(owner, "Host_Image_Pixel_Int: no image record");
    return HOST_IMAGE_NONE;
  }
  long long i = hostkit::Pixel_Index(*r, x, y, slice, time);
  if (i < 0 || !r->pixels) return HOST_IMAGE_NONE;
  return hostkit::Stored_Value(*r, size_t(i));
}

int Host_Image_Pixel_Tag(Host_Window owner, const Host_Image_Record* r, int x, int y, int slice,
                         int time) {
  if (!r) {
    HOSTKIT_INVALID(owner, "Host_Image_Pixel_Tag: no image record");
    return 0;
  }
  long long i = hostkit::Pixel_Index(*r, x, y, slice, time);
  if (i < 0 || !r->tags) return 0;
  return r->tags[i];
}

void* Host_Image_Pixel(Host_Window owner, Host_Image_Record* r, void* plane, int kind, int x, int y,
                       int slice, int time) {
  if (!r) {
    HOSTKIT_INVALID(owner, "Host_Image_Pixel: no image record");
    return nullptr;
  }
  // The record's own planes have a fixed kind; a caller's plane must name its kind.
  int own = !plane || plane == r->pixels ? r->kind : plane == r->tags ? HOST_PIXEL_TAG : 0;
  if (!plane) plane = r->pixels;
  if (kind == 0) kind = own;
  if (!Host_Image_Kind_Size(kind) || (own && kind != own)) {
    HOSTKIT_INVALID(owner, "Host_Image_Pixel: element kind %d does not fit the plane (kind %d)",
                    kind, own);
    return nullptr;
  }
  long long i = hostkit::Pixel_Index(*r, x, y, slice, time);
  if (i < 0 || !plane) return nullptr;
  return static_cast<uint8_t*>(plane) + i * Host_Image_Kind_Size(kind);
}

int Host_Image_Int_To_Short(int value, int kind, int range_min, int range_max) {
  switch (kind) {
    case HOST_PIXEL_TAG:
    case HOST_PIXEL_U8: return Clamp(value, 0, 255);
    case HOST_PIXEL_S8: return Clamp(value, -128, 127);
    case HOST_PIXEL_U16: return Clamp(value, 0, 65535);
    case HOST_PIXEL_S16: return Clamp(value, -32768, 32767);
    case HOST_PIXEL_RGBA: return Luminance(value);
  }
  if (range_min >= -32768 && range_max <= 32767) return Clamp(value, -32768, 32767);
  if (range_min >= 0 && range_max <= 65535) return Clamp(value, 0, 65535);
  if (range_max <= range_min) return Clamp(value, -32768, 32767);
  long long scaled = (static_cast<long long>(value) - range_min) * 65535 /
                     (static_cast<long long>(range_max) - range_min);
  return Clamp(scaled, 0, 65535);
}

float Host_Image_Int_To_Float(int value, int kind, float conv_a, float conv_b) {
  if (kind == HOST_PIXEL_TAG || kind == HOST_PIXEL_RGBA) return float(value);
  double slope = conv_b != 0 ? conv_b : 1.0;
  return float(double(value) * slope + conv_a);
}

const char* Host_Image_Modality_Text(int code) {
  thread_local char text[3];
  if (code == 0) return "";
  auto letter = [](int c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); };
  int hi = (code >> 8) & 0xFF, lo = code & 0xFF;
  if ((code & ~0xFFFF) || !letter(hi) || !letter(lo)) return "??";
  text[0] = char(hi);
  text[1] = char(lo);
  text[2] = 0;
  return text;
}
