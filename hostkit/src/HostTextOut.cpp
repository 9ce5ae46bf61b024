// Text in device contexts: font measures, tabbed text extents, and tabbed text drawn into the
// selected bitmap.
#include "HostDrawRecord.h"

#include <hostkit/HostUtil.h>

#include "HostFontFace.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

// The characters of a text: length -1 takes it all, a longer length stops at its end.
std::wstring_view Text_Of(const wchar_t* text, int length) {
  if (!text) return {};
  const size_t whole = std::wcslen(text);
  return {text, length < 0 ? whole : std::min(whole, size_t(length))};
}

// The UTF-8 text's characters; length counts bytes.
std::wstring Wide_Of(const char* text, int length) {
  if (!text) return {};
  std::string bytes = length < 0 ? std::string(text) : std::string(text, strnlen(text, size_t(length)));
  return Host_Char_To_Wide(bytes.c_str());
}

// Lays the text out from pen 0, calling place(pen, glyph) for each character with a bitmap;
// a tab moves the pen to the next stop. Returns the width. The face's lock is held.
template <class Place>
int Layout(Host_Font_Face& face, std::wstring_view text, Place&& place) {
  const int tab = HOST_TAB_CHARACTERS * face.average_width;
  int pen = 0;
  for (wchar_t c : text) {
    if (c == L'\t') {
      pen = (pen / tab + 1) * tab;
      continue;
    }
    const hostkit::Glyph glyph = hostkit::Font_Glyph(face, char32_t(c));
    if (!glyph.bits.empty()) place(pen, glyph);
    pen += glyph.advance;
  }
  return pen;
}

Host_Font_Face* Face_Of(Host_DC dc) {
  if (!hostkit::DC_Live(dc)) return nullptr;
  Host_Font font = hostkit::DC_Font(dc);
  if (!font || !font->raster) return hostkit::Draw_Fail(ENOENT), nullptr;
  return font->raster;
}

int Extent(Host_DC dc, std::wstring_view text, int* width, int* height) {
  Host_Font_Face* face = Face_Of(dc);
  if (!face) return 0;
  std::lock_guard guard(face->lock);
  const int w = Layout(*face, text, [](int, const hostkit::Glyph&) {});
  if (width) *width = w;
  if (height) *height = face->ascent + face->descent;
  return 1;
}

void Fill(Host_Bitmap b, int x0, int y0, int x1, int y1, uint32_t color) {
  for (int y = std::max(y0, 0); y < std::min(y1, b->height); ++y)
    for (int x = std::max(x0, 0); x < std::min(x1, b->width); ++x) {
      uint8_t* p = &b->pixels[(size_t(y) * size_t(b->width) + size_t(x)) * 4];
      p[0] = uint8_t(color >> 16);
      p[1] = uint8_t(color >> 8);
      p[2] = uint8_t(color);
    }
}

void Blit(Host_Bitmap b, int left, int top, const hostkit::Glyph& g, uint32_t color) {
  for (int y = 0; y < g.rows; ++y)
    for (int x = 0; x < g.width; ++x)
      if (g.bits[size_t(y) * size_t(g.pitch) + size_t(x / 8)] & (0x80 >> (x % 8)))
        Fill(b, left + x, top + y, left + x + 1, top + y + 1, color);
}

int Text_Out(Host_DC dc, int x, int y, std::wstring_view text) {
  Host_Font_Face* face = Face_Of(dc);
  if (!face) return 0;
  if (!dc->bitmap) return hostkit::Draw_Fail(EINVAL);
  std::lock_guard guard(face->lock);
  const int baseline = y + face->ascent;
  if (dc->bk_mode == HOST_OPAQUE) {
    const int width = Layout(*face, text, [](int, const hostkit::Glyph&) {});
    Fill(dc->bitmap, x, y, x + width, baseline + face->descent, dc->bk_color);
  }
  return Layout(*face, text, [&](int pen, const hostkit::Glyph& g) {
    Blit(dc->bitmap, x + pen + g.left, baseline - g.top, g, dc->text_color);
  });
}

}  // namespace

int Host_Get_Text_Metrics(Host_DC dc, Host_Text_Metrics* out) {
  Host_Font_Face* face = Face_Of(dc);
  if (!face || !out) return hostkit::Draw_Fail(EINVAL);
  out->ascent = face->ascent;
  out->descent = face->descent;
  out->height = face->ascent + face->descent;
  out->average_width = face->average_width;
  out->max_width = face->max_width;
  return 1;
}

int Host_Get_Tabbed_Text_Extent(Host_DC dc, const wchar_t* text, int length, int* width, int* height) {
  return Extent(dc, Text_Of(text, length), width, height);
}

int Host_Get_Tabbed_Text_Extent(Host_DC dc, const char* text, int length, int* width, int* height) {
  const std::wstring wide = Wide_Of(text, length);
  return Extent(dc, wide, width, height);
}

int Host_Tabbed_Text_Out(Host_DC dc, int x, int y, const wchar_t* text, int length) {
  return Text_Out(dc, x, y, Text_Of(text, length));
}

int Host_Tabbed_Text_Out(Host_DC dc, int x, int y, const char* text, int length) {
  const std::wstring wide = Wide_Of(text, length);
  return Text_Out(dc, x, y, wide);
}
