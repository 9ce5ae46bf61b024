// The rasterising state behind a font: a FreeType face at the font's size, its metrics, and
// one-bit glyph bitmaps as the text and font-bitmap code draw them.
#pragma once

#include <hostkit/HostWidgets.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

/// A FreeType face sized to a font's cell height; one thread at a time renders with it.
struct Host_Font_Face {
  std::mutex lock;        // a face renders for one thread at a time
  FT_Face face = nullptr;
  int ascent = 0;         // pixels above the baseline
  int descent = 0;        // pixels below it
  int average_width = 0;  // the font's average character width
  int max_width = 0;      // widest advance
};

namespace hostkit {

/// One glyph as a one-bit bitmap, rows top first, most significant bit leftmost.
struct Glyph {
  int width = 0;          // columns of the bitmap
  int rows = 0;           // rows of the bitmap
  int left = 0;           // from the pen to the bitmap's left column
  int top = 0;            // from the baseline up to the bitmap's top row
  int advance = 0;        // pen move in whole pixels
  int pitch = 0;          // bytes per row
  std::vector<uint8_t> bits;
};

/// Loads the face of a font file at a cell height; null when FreeType cannot.
Host_Font_Face* Font_Face_Open(const std::string& file, int index, int size);
/// Releases a face (null is fine).
void Font_Face_Close(Host_Font_Face* face);
/// Renders one character, hinted and one bit deep; a control character (below 32, and 127) is
/// empty with no advance whatever glyph the font gives it, a character the font lacks is its
/// missing-glyph box. The caller holds the face's lock.
Glyph Font_Glyph(Host_Font_Face& face, char32_t code);

}  // namespace hostkit
