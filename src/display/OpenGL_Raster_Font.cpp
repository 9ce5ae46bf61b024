// The raster-font table: bitmap fonts made into display lists once per context, face, weight,
// style and size, and deleted together at clean-up.
#include "display/GL.h"
#include "display/OpenGL_Internal.h"

#include "core/Trace.h"

#include <hostkit/HostDraw.h>
#include <hostkit/HostUtil.h>
#include <platform/PlatformGL.h>

#include <cstring>
#include <mutex>

namespace {

constexpr uint32_t kTrace = quarn::msg::Draw;

struct Raster_Font {
  Platform_GLRC context = nullptr;
  char face[quarn::OGL_FONT_FACE_CHARS] = {};  // empty: the entry and all after it are unused
  char weight[quarn::OGL_FONT_NAME_CHARS] = {};
  char style[quarn::OGL_FONT_NAME_CHARS] = {};
  uint16_t size = 0;
  uint32_t base = 0;
};

// Drawing threads of several windows may ask for fonts at once.
std::mutex g_lock;
Raster_Font g_fonts[MAX_OGL_FONT];

bool Fits(const char* name, int chars) { return std::strlen(name) < size_t(chars); }

bool Same(const Raster_Font& f, Platform_GLRC context, const char* face, const char* weight,
          const char* style, uint16_t size) {
  return f.context == context && f.size == size && std::strcmp(f.face, face) == 0 &&
         std::strcmp(f.weight, weight) == 0 && std::strcmp(f.style, style) == 0;
}

// Lists of glyphs 0 ... 126 of the font, or 0 when they cannot be made; a font the host cannot
// make falls back to the system font.
GLuint Make_Lists(const char* face, const char* weight, const char* style, uint16_t size) {
  const GLuint base = glGenLists(OGL_FONT_GLYPHS);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
  glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
  Host_Font made = Host_Create_Font(Host_Main_Window, face, weight, style, int(size));
  Host_Font font = made ? made : Host_Stock_Font(HOST_SYSTEM_FONT);
  Host_DC dc = Host_Get_DC(Host_Main_Window, "ogl_text: Fct_Text_MakeRasterFont");
  Host_Font previous = font ? Host_Select_Font(dc, font) : nullptr;
  const int done = base && font && Host_Use_Font_Bitmaps(dc, 0, OGL_FONT_GLYPHS, base);
  if (previous) Host_Select_Font(dc, previous);
  Host_Release_DC(Host_Main_Window, dc);
  Host_Delete_Font(made);
  if (done) return base;
  if (base) glDeleteLists(base, OGL_FONT_GLYPHS);
  return 0;
}

uint32_t Table_Full(Platform_GLRC context) {
  Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x04" "ERROR:\x02 in Fct_Text_MakeRasterFont(): no room for another font");
  Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\t To many fonts:(max=%d)", MAX_OGL_FONT);
  uint32_t base = g_fonts[0].base;
  for (const Raster_Font& f : g_fonts)
    if (f.context == context) base = f.base;
  QUARN_REPORT(kTrace, "<<< out Fct: Fct_Text_MakeRasterFont(i >= MAX_OGL_FONT)");
  return base;
}

}  // namespace

uint32_t quarn::Fct_Text_MakeRasterFont(const char* face, const char* weight, const char* style,
                                        uint16_t size) {
  QUARN_REPORT(kTrace, ">>> in  Fct: Fct_Text_MakeRasterFont(%s, %d)", face ? face : "null", int(size));
  if (size < 1) {
    QUARN_REPORT(kTrace, "<<< out Fct: Fct_Text_MakeRasterFont(f_scale <= 0)");
    return 0;
  }
  face = face ? face : "";
  weight = weight ? weight : "";
  style = style ? style : "";
  if (!Fits(face, OGL_FONT_FACE_CHARS) || !Fits(weight, OGL_FONT_NAME_CHARS) ||
      !Fits(style, OGL_FONT_NAME_CHARS)) {
    Host_Report(Host_Main_Window, msg::Invalid, "\xF1\x04" "ERROR:\x02 Fct_Text_MakeRasterFont(): a name longer than %d characters",
                OGL_FONT_FACE_CHARS - 1);
    QUARN_REPORT(kTrace, "<<< out Fct: Fct_Text_MakeRasterFont(name)");
    return 0;
  }
  const Platform_GLRC context = Platform_GL_Current_Context();
  std::lock_guard guard(g_lock);
  int i = 0;
  for (; i < MAX_OGL_FONT && g_fonts[i].face[0]; ++i)
    if (Same(g_fonts[i], context, face, weight, style, size)) {
      QUARN_REPORT(kTrace, "<<< out Fct: Fct_Text_MakeRasterFont(already there)");
      return g_fonts[i].base;
    }
  if (i >= MAX_OGL_FONT) return Table_Full(context);
  const GLuint base = Make_Lists(face, weight, style, size);
  if (!base) {
    Host_Report(Host_Main_Window, msg::Invalid, "\xF1\x04" "ERROR:\x02 Unable to create font!");
    Host_Report(Host_Main_Window, msg::Invalid, "\xF1\t %s", Host_Windows_Error_Text(unsigned(Host_Last_Error())));
    QUARN_REPORT(kTrace, "<<< out Fct: Fct_Text_MakeRasterFont(! font)");
    return OGL_FONT_FAILED;
  }
  Raster_Font& f = g_fonts[i];
  std::strcpy(f.face, face);
  std::strcpy(f.weight, weight);
  std::strcpy(f.style, style);
  f.size = size;
  f.context = context;
  f.base = base;
  QUARN_REPORT(kTrace, "<<< out Fct: Fct_Text_MakeRasterFont()");
  return base;
}

// The lists live in the share group of every context, so any context, or the platform's own
// when none is current, deletes them. The table is emptied with them: its entries named
// contexts that are gone by the time a host cleans text up.
void OpenGL_Text_Cleanup() {
  QUARN_REPORT(quarn::msg::GL_Text_Cleanup, ">>> in  Fct: OpenGL_Text_Cleanup()");
  std::lock_guard guard(g_lock);
  const bool shared = Platform_GL_Shared_Begin();
  for (Raster_Font& f : g_fonts) {
    if (f.base) {
      QUARN_REPORT(quarn::msg::GL_Text_Cleanup, "-> Deleting 127 font list starting at: %d", int(f.base));
      if (shared) glDeleteLists(f.base, OGL_FONT_GLYPHS);
    }
    f = Raster_Font{};
  }
  Platform_GL_Shared_End();
  QUARN_REPORT(quarn::msg::GL_Text_Cleanup, "<<< out Fct: OpenGL_Text_Cleanup()");
}
