// Fonts turned into OpenGL display lists: one glBitmap per character, moving the raster
// position by the character's advance.
#include "HostDrawRecord.h"

#include <platform/PlatformGL.h>

#include "HostFontFace.h"

#include <GL/gl.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// The glyph's rows bottom first, as glBitmap reads them with an unpack alignment of 1.
std::vector<GLubyte> Bottom_First(const hostkit::Glyph& g) {
  std::vector<GLubyte> rows(g.bits.size());
  for (int y = 0; y < g.rows; ++y)
    std::memcpy(&rows[size_t(g.rows - 1 - y) * size_t(g.pitch)], &g.bits[size_t(y) * size_t(g.pitch)],
                size_t(g.pitch));
  return rows;
}

void Compile(GLuint list, const hostkit::Glyph& g) {
  // An empty glyph still passes bits: a null one makes some drivers fail the list with
  // GL_OUT_OF_MEMORY.
  static const GLubyte kNoBits = 0;
  const std::vector<GLubyte> rows = Bottom_First(g);
  glNewList(list, GL_COMPILE);
  // The bitmap's lower-left corner goes to pen + left, rows - top below the baseline.
  glBitmap(g.width, g.rows, GLfloat(-g.left), GLfloat(g.rows - g.top), GLfloat(g.advance), 0.0f,
           rows.empty() ? &kNoBits : rows.data());
  glEndList();
}

// Lists capture their bitmaps as unpacked now: plain unpacking whatever the caller set.
void Unpack_Plain() {
  for (GLenum store : {GL_UNPACK_SWAP_BYTES, GL_UNPACK_LSB_FIRST, GL_UNPACK_ROW_LENGTH,
                       GL_UNPACK_SKIP_ROWS, GL_UNPACK_SKIP_PIXELS})
    glPixelStorei(store, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

}  // namespace

int Host_Use_Font_Bitmaps(Host_DC dc, unsigned first, unsigned count, unsigned list_base) {
  if (!hostkit::DC_Live(dc)) return 0;
  if (!Platform_GL_Current_Context() || count == 0) return hostkit::Draw_Fail(EINVAL);
  Host_Font font = hostkit::DC_Font(dc);
  if (!font || !font->raster) return hostkit::Draw_Fail(ENOENT);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  Unpack_Plain();
  {
    std::lock_guard guard(font->raster->lock);
    for (unsigned i = 0; i < count; ++i) Compile(list_base + i, hostkit::Font_Glyph(*font->raster, char32_t(first + i)));
  }
  glPopClientAttrib();
  return 1;
}
