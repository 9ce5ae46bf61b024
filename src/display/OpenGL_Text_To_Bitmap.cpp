// Text rendered into a power-of-two mask that callers load as a texture: measured and drawn
// white on black in a memory bitmap, then one 16-bit texel per pixel.
#include "display/OpenGL_Internal.h"

#include "core/Check.h"
#include "core/Trace.h"

#include <hostkit/HostDraw.h>
#include <hostkit/HostUtil.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

constexpr uint32_t kTrace = quarn::msg::Draw;
constexpr int kFontShrink = 4;     // the font is this much smaller than the size asked for
constexpr int kMargin = 2;         // pixels added to the measured text in each direction
constexpr int kCacheSize = 4;      // fonts kept by the narrow-text form, one per size
constexpr uint16_t kTexelOn = 0xFFFF;
constexpr int kAlignRight = 0, kAlignLeft = 1, kAlignCentre = 2;

struct Cached_Font {
  int size = 0;
  Host_Font font = nullptr;
};
std::mutex g_cache_lock;
Cached_Font g_cache[kCacheSize];
int g_cache_next = 0;  // entry a fifth size replaces, in turn

// The narrow form's font of a size: cached, made on a miss; a fifth size replaces the entries
// in turn. The lock is held by the caller while the font is in use.
Host_Font Cached(Host_Window window, const char* face, int size) {
  int i = 0;
  for (; i < kCacheSize && g_cache[i].font; ++i)
    if (g_cache[i].size == size) return g_cache[i].font;
  if (i == kCacheSize) {
    i = g_cache_next;
    g_cache_next = (g_cache_next + 1) % kCacheSize;
    Host_Delete_Font(g_cache[i].font);
  }
  g_cache[i] = Cached_Font{size, Host_Create_Font(window, face, "", "", size - kFontShrink)};
  return g_cache[i].font;
}

struct Result {
  int texture_width = 0, texture_height = 0, text_width = 0, text_height = 0;
};

int Start_X(int flags, int texture_width, int extent) {
  switch (flags & 0x0F) {
    case kAlignRight: return texture_width - extent + 1;
    case kAlignLeft: return 1;
    case kAlignCentre: return (texture_width - extent) / 2;
    default: return 1;
  }
}

// Reads the bitmap's pixels into a new mask; null (reported) on a short read or no memory.
uint16_t* Mask_Of(Host_Bitmap bitmap, const Result& r) {
  Host_Bitmap_Info info;
  Host_Get_Bitmap(bitmap, &info);
  const long size = long(info.height) * info.bytes_per_row * info.planes;
  auto* bits = static_cast<uint8_t*>(std::malloc(size_t(size)));
  if (!bits) {
    QUARN_MEMORY_ERROR("malloc", "text_bitmap", info.bytes_per_row, info.height);
    return nullptr;
  }
  const long read = Host_Get_Bitmap_Bits(bitmap, size, bits);
  if (read != size) {
    Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x04" "ERROR:\x02 in GetBitmapBits()");
    Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\t Reading back text bitmap (read %d /vs/ %d=(%dx%dx%d))",
                int(read), int(size), info.height, info.bytes_per_row, info.planes);
    std::free(bits);
    QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Text_To_Bitmap(ret != bitmap_size)");
    return nullptr;
  }
  auto* texture = static_cast<uint16_t*>(std::malloc(size_t(r.texture_width) * size_t(r.texture_height) * 2));
  if (!texture) {
    QUARN_MEMORY_ERROR("malloc", "texture", r.texture_width, r.texture_height);
  } else {
    quarn::Text_Mask_From_Bits(bits, info.width, info.height, info.bits_per_pixel, info.bytes_per_row, texture);
  }
  std::free(bits);
  return texture;
}

// Measures and draws the text with the font in a memory context like the window's.
uint16_t* Render(Host_Window window, const std::wstring& text, Host_Font font, int flags, Result* r) {
  Host_DC window_dc = Host_Get_DC(window, "ogl_text: OpenGL_Text_To_Bitmap");
  Host_DC dc = Host_Create_Compatible_DC(window_dc);
  Host_Select_Font(dc, font ? font : Host_Stock_Font(HOST_SYSTEM_FONT));
  Host_Text_Metrics metrics;
  Host_Get_Text_Metrics(dc, &metrics);
  int extent = 0;
  Host_Get_Tabbed_Text_Extent(dc, text.c_str(), -1, &extent, nullptr);
  r->text_height = ((flags & 0xF0) ? metrics.ascent : metrics.height) + kMargin;
  r->text_width = extent + kMargin;
  r->texture_height = quarn::Text_Texture_Height(r->text_height);
  r->texture_width = quarn::Text_Texture_Width(r->text_width);
  uint16_t* texture = nullptr;
  Host_Bitmap bitmap = Host_Create_Compatible_Bitmap(window_dc, r->texture_width, r->texture_height);
  if (!bitmap) {
    Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x04" "ERROR:\x02 Unable to Create Compatible Bitmap");
    QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Text_To_Bitmap(! hBitmap)");
  } else {
    Host_Select_Bitmap(dc, bitmap);
    Host_Pat_Blt(dc, 0, 0, r->texture_width, r->texture_height, HOST_BLACKNESS);
    Host_Set_Text_Color(dc, 0x00FFFFFF);
    Host_Set_Bk_Mode(dc, HOST_TRANSPARENT);
    Host_Tabbed_Text_Out(dc, Start_X(flags, r->texture_width, extent), -1, text.c_str(), -1);
    texture = Mask_Of(bitmap, *r);
  }
  Host_Delete_DC(dc);
  Host_Delete_Bitmap(bitmap);
  Host_Release_DC(window, window_dc);
  return texture;
}

uint16_t* Finish(uint16_t* texture, const Result& r, int* texture_width, int* texture_height,
                 int* text_width, int* text_height) {
  if (!texture) return nullptr;
  if (texture_width) *texture_width = r.texture_width;
  if (texture_height) *texture_height = r.texture_height;
  if (text_width) *text_width = r.text_width;
  if (text_height) *text_height = r.text_height;
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Text_To_Bitmap()");
  return texture;
}

bool Refused(const void* text) {
  if (text) return false;
  Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x04" "ERROR:\x02 OpenGL_Text_To_Bitmap() without a text");
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Text_To_Bitmap(! text)");
  return true;
}

}  // namespace

int quarn::Text_Texture_Height(int h) {
  if (h < 17) return 16;
  if (h <= 32) return 32;
  return h <= 64 ? 64 : 128;
}

int quarn::Text_Texture_Width(int w) {
  if (w < 17) return 16;
  if (w < 33) return 32;
  if (w < 65) return 64;
  if (w < 129) return 128;
  if (w <= 256) return 256;
  return w <= 512 ? 512 : 1024;
}

void quarn::Text_Mask_From_Bits(const uint8_t* bits, int width, int height, int bits_per_pixel,
                                int bytes_per_row, uint16_t* out) {
  const int bytes = bits_per_pixel / 8;
  // A 24-bit pixel is tested by its first byte, the others whole.
  const int tested = bits_per_pixel == 24 ? 1 : bytes;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = bits + size_t(y) * size_t(bytes_per_row) + size_t(x) * size_t(bytes);
      bool lit = false;
      for (int k = 0; k < tested; ++k) lit = lit || p[k];
      out[size_t(y) * size_t(width) + size_t(x)] = lit ? kTexelOn : 0;
    }
}

uint16_t* OpenGL_Text_To_Bitmap(Host_Window window, const char* text, const char* face, int size,
                                int* texture_width, int* texture_height, int* text_width,
                                int* text_height, int flags) {
  QUARN_REPORT(kTrace, ">>> in  Fct: OpenGL_Text_To_Bitmap(%d, %d)", size, flags);
  if (Refused(text)) return nullptr;
  const std::wstring wide = Host_Char_To_Wide(text);
  Result r;
  std::lock_guard guard(g_cache_lock);
  uint16_t* texture = Render(window, wide, Cached(window, face, size), flags, &r);
  return Finish(texture, r, texture_width, texture_height, text_width, text_height);
}

uint16_t* OpenGL_Text_To_Bitmap(Host_Window window, const wchar_t* text, const char* face, int size,
                                int* texture_width, int* texture_height, int* text_width,
                                int* text_height, int flags) {
  QUARN_REPORT(kTrace, ">>> in  Fct: OpenGL_Text_To_Bitmap(%d, %d)", size, flags);
  if (Refused(text)) return nullptr;
  Host_Font font = Host_Create_Font(window, face, "", "", size - kFontShrink);
  Result r;
  uint16_t* texture = Render(window, text, font, flags, &r);
  Host_Delete_Font(font);
  return Finish(texture, r, texture_width, texture_height, text_width, text_height);
}
