// FreeType faces of fonts: loading at a cell height, metrics and one-bit glyph rendering.
#include "HostFontFace.h"

#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cstring>
#include <new>

namespace {

constexpr int kSubpixels = 64;  // FreeType's 26.6 fixed point

// One library for the process; opening and closing faces on it must not overlap.
std::mutex g_library_lock;
FT_Library g_library = nullptr;

int Pixels_Ceil(FT_Pos value) { return int((value + kSubpixels - 1) / kSubpixels); }
int Pixels_Round(FT_Pos value) { return int((value + kSubpixels / 2) / kSubpixels); }

bool Is_Control(char32_t code) { return code < 0x20 || code == 0x7F; }

void Metrics(Host_Font_Face& f) {
  const FT_Size_Metrics& m = f.face->size->metrics;
  f.ascent = Pixels_Ceil(m.ascender);
  f.descent = Pixels_Ceil(-m.descender);
  f.max_width = Pixels_Ceil(m.max_advance);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f.face, FT_SFNT_OS2));
  if (os2 && os2->xAvgCharWidth > 0) {
    f.average_width = Pixels_Round(FT_MulFix(os2->xAvgCharWidth, m.x_scale));
  } else if (FT_Load_Char(f.face, 'x', FT_LOAD_DEFAULT) == 0) {
    f.average_width = Pixels_Round(f.face->glyph->advance.x);
  }
  if (f.average_width < 1) f.average_width = 1;
}

}  // namespace

Host_Font_Face* hostkit::Font_Face_Open(const std::string& file, int index, int size) {
  std::lock_guard guard(g_library_lock);
  if (!g_library && FT_Init_FreeType(&g_library) != 0) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(g_library, file.c_str(), index, &face) != 0) return nullptr;
  // The cell (ascent + descent) gets the size, as a window system sizes a font by its height.
  FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_CELL, 0, FT_Long(size) * kSubpixels, 0, 0};
  auto* result = new (std::nothrow) Host_Font_Face;
  if (!result || FT_Request_Size(face, &request) != 0) {
    delete result;
    FT_Done_Face(face);
    return nullptr;
  }
  result->face = face;
  Metrics(*result);
  return result;
}

void hostkit::Font_Face_Close(Host_Font_Face* face) {
  if (!face) return;
  {
    std::lock_guard guard(g_library_lock);
    FT_Done_Face(face->face);
  }
  delete face;
}

hostkit::Glyph hostkit::Font_Glyph(Host_Font_Face& f, char32_t code) {
  Glyph glyph;
  if (Is_Control(code)) return glyph;
  const FT_UInt index = FT_Get_Char_Index(f.face, FT_ULong(code));
  if (FT_Load_Glyph(f.face, index, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) != 0)
    return glyph;
  const FT_GlyphSlot slot = f.face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.advance = Pixels_Round(slot->advance.x);
  if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || bitmap.width == 0 || bitmap.rows == 0) return glyph;
  glyph.width = int(bitmap.width);
  glyph.rows = int(bitmap.rows);
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.pitch = (glyph.width + 7) / 8;
  glyph.bits.resize(size_t(glyph.pitch) * size_t(glyph.rows));
  // Rendered bitmaps flow down: row y starts y pitches after the buffer.
  for (int y = 0; y < glyph.rows; ++y)
    std::memcpy(&glyph.bits[size_t(y) * size_t(glyph.pitch)], bitmap.buffer + ptrdiff_t(y) * bitmap.pitch,
                size_t(glyph.pitch));
  return glyph;
}
