// Raster text at the raster position: with in-text colour and font codes, or outlined in black.
#include "display/GL.h"
#include "display/OpenGL_Internal.h"

#include "core/Trace.h"

#include <cstring>

namespace {

constexpr uint32_t kTrace = quarn::msg::Draw;
constexpr char kFace[] = "arial";
constexpr int kOutline = 2;  // pixels of black around outlined text

// In-text codes: 1 ... 6 colours, 240 ... 242 fonts.
constexpr unsigned char kFirstColour = 1, kLastColour = 6;
constexpr unsigned char kPlain = 240, kBold = 241, kItalic = 242;
constexpr GLubyte kColours[][3] = {
    {0, 0, 255}, {0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {255, 255, 0}, {0, 255, 0},
};

// A base that names real lists: a failed or refused font request draws nothing.
bool Usable(uint32_t base) { return base != 0 && base != quarn::OGL_FONT_FAILED; }

// Calls the glyph lists of the text's bytes in runs; bytes past the glyph table are skipped.
void Call_Glyphs(const unsigned char* text, size_t length) {
  size_t start = 0;
  for (size_t i = 0; i <= length; ++i) {
    if (i < length && text[i] < OGL_FONT_GLYPHS) continue;
    if (i > start) glCallLists(GLsizei(i - start), GL_UNSIGNED_BYTE, text + start);
    start = i + 1;
  }
}

uint32_t Font_For(unsigned char code, uint16_t size) {
  if (code == kBold) return quarn::Fct_Text_MakeRasterFont(kFace, "bold", "", size);
  if (code == kItalic) return quarn::Fct_Text_MakeRasterFont(kFace, "", "i", size);
  return quarn::Fct_Text_MakeRasterFont(kFace, "", "", size);
}

bool Refused(const char* text, const char* who) {
  if (text) return false;
  Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x04" "ERROR:\x02 %s() without a text", who);
  QUARN_REPORT(kTrace, "<<< out Fct: %s(! text)", who);
  return true;
}

}  // namespace

int OpenGL_Text_DrawRasterFont(const char* text, uint16_t size, uint8_t red, uint8_t green,
                               uint8_t blue, float x, float y, float z) {
  QUARN_REPORT(kTrace, ">>> in  Fct: OpenGL_Text_DrawRasterFont(%d)", int(size));
  if (Refused(text, "OpenGL_Text_DrawRasterFont")) return 1;
  glColor3ub(red, green, blue);
  glRasterPos3f(x, y, z);
  glPushAttrib(GL_LIST_BIT);
  uint32_t base = Font_For(kPlain, size);
  glListBase(base);
  // Characters between codes go to OpenGL as one run: the same glyphs at the same places as
  // one call each, but a driver can draw a run at once.
  const auto* run = reinterpret_cast<const unsigned char*>(text);
  for (const auto* c = run;; ++c) {
    const bool code = *c == 0 || (*c >= kFirstColour && *c <= kLastColour) || (*c >= kPlain && *c <= kItalic);
    if (!code) continue;
    if (Usable(base)) Call_Glyphs(run, size_t(c - run));
    run = c + 1;
    if (*c == 0) break;
    if (*c <= kLastColour) {
      // The colour is taken when the raster position is set: set it again where the pen is.
      glColor3ubv(kColours[*c - kFirstColour]);
      GLfloat position[4];
      glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
      glRasterPos3f(position[0], y, z);
    } else {
      base = Font_For(*c, size);
      glListBase(base);
    }
  }
  QUARN_GL_ERRORS("gl DrawRasterFont");
  glPopAttrib();
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Text_DrawRasterFont()");
  return 1;
}

int OpenGL_Text_DrawRasterFont_2(const char* text, uint16_t size, uint8_t red, uint8_t green,
                                 uint8_t blue, float x, float y, float z) {
  QUARN_REPORT(kTrace, ">>> in  Fct: OpenGL_Text_DrawRasterFont_2(%d)", int(size));
  if (Refused(text, "OpenGL_Text_DrawRasterFont_2")) return 1;
  constexpr int kAround[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const size_t length = std::strlen(text);
  const uint32_t base = Font_For(kPlain, size);
  glPushAttrib(GL_LIST_BIT);
  glListBase(base);
  glColor3ub(0, 0, 0);
  for (const auto& d : kAround) {
    glRasterPos3f(x + float(d[0] * kOutline), y + float(d[1] * kOutline), z);
    if (Usable(base)) Call_Glyphs(bytes, length);
  }
  glColor3ub(red, green, blue);
  glRasterPos3f(x, y, z);
  if (Usable(base)) Call_Glyphs(bytes, length);
  QUARN_GL_ERRORS("gl DrawRasterFont");
  glPopAttrib();
  QUARN_REPORT(kTrace, "<<< out Fct: OpenGL_Text_DrawRasterFont_2()");
  return 1;
}
