// Gizmo labels: text turned about an anchor, drawn as raster text or as a texture rendered by
// the text-to-bitmap path (the wide form outlined and mipmapped, the narrow one plain).
#include "display/Overlay_Gizmo.h"

#include "core/Trace.h"
#include "display/GL.h"

#include <quarn/display/OpenGL_Text.h>

#include <hostkit/HostUtil.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

using quarn::Overlay_Trace;

constexpr float kDegreesPerRadian = 57.295776f;
constexpr uint16_t kRasterSize = 10;
constexpr const char* kFace = "helvetica";
constexpr uint16_t kLit = 0xFFFF;
constexpr uint16_t kOutline = 0xFF5F;  // luminance 0x5F, alpha 0xFF (little-endian texel)

/// How each of the two forms renders its text.
struct Style {
  const char* name;
  int font_size;
  int flags;
  bool outline_and_mipmaps;
};
constexpr Style kLabel{"OpenGL_Draw_Gizmo_Label", 22, 1, true};
constexpr Style kData{"OpenGL_Draw_Gizmo_Data", 18, 18, false};

// Every unlit texel beside a lit one (4-neighbourhood) becomes the dark outline.
void Outline(uint16_t* texels, int w, int h) {
  auto lit = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && texels[size_t(y) * size_t(w) + size_t(x)] == kLit; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint16_t& t = texels[size_t(y) * size_t(w) + size_t(x)];
      if (t == 0 && (lit(x - 1, y) || lit(x + 1, y) || lit(x, y - 1) || lit(x, y + 1))) t = kOutline;
    }
}

// The window's label texture, made on first use.
GLuint Label_Texture(Quarn_Window* window) {
  OpenGL_Draw_Gizmo_Init();
  GLuint* slot = quarn::Gizmo_Texture(quarn::GIZMO_TABLE_LABEL, window);
  if (!slot) return 0;
  if (!glIsTexture(*slot)) *slot = quarn::Overlay_Texture_New(GL_REPEAT, GL_LINEAR, GL_LINEAR);
  glBindTexture(GL_TEXTURE_2D, *slot);
  return *slot;
}

// First texel column of the text's span in the texture: the text-to-bitmap path places a
// centred text in the middle of the texture (and a right-aligned one at its end), so the span of
// text width texels is taken from there; the quad shows the whole text, not its left part.
int Span_Start(int flags, int texture_width, int text_width) {
  const int extent = text_width - 2;  // the bitmap path adds a pixel each side
  switch (flags & 0x0F) {
    case 0: return std::max(0, texture_width - text_width);
    case 2: return std::max(0, (texture_width - extent) / 2 - 1);
    default: return 0;
  }
}

template <class Text>
void Draw_Textured(Quarn_Window* window, Text text, float height, int colour, const Style& s) {
  int tw = 0, th = 0, w = 0, h = 0;
  Host_Window hwnd = window ? window->hwnd : nullptr;
  uint16_t* texels = OpenGL_Text_To_Bitmap(hwnd, text, kFace, s.font_size, &tw, &th, &w, &h, s.flags);
  if (!texels || !Label_Texture(window)) {
    std::free(texels);
    return;
  }
  if (s.outline_and_mipmaps) Outline(texels, tw, th);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, tw, th, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, texels);
  std::free(texels);
  const bool mipmaps = s.outline_and_mipmaps && quarn::GL_Extensions_Init();
  if (mipmaps) glGenerateMipmap(GL_TEXTURE_2D);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  const quarn::Overlay_Rgb c = quarn::Overlay_Colour(uint32_t(colour));
  const GLfloat tint[4] = {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 0};
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(0, 0, 0, 1);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, tint);
  // Texture rows run top first: the quad's top edge takes row 0.
  const float right = std::fabs(height) / float(h) * float(w);
  const float s0 = float(Span_Start(s.flags, tw, w)) / float(tw);
  const float s1 = s0 + float(w) / float(tw), t_end = float(h) / float(th);
  glBegin(GL_QUADS);
  glTexCoord2f(s0, t_end), glVertex2f(0, 0);
  glTexCoord2f(s1, t_end), glVertex2f(right, 0);
  glTexCoord2f(s1, 0), glVertex2f(right, height);
  glTexCoord2f(s0, 0), glVertex2f(0, height);
  glEnd();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
}

std::string Narrow(const wchar_t* text) { return text ? Host_Wide_To_Char(text) : ""; }
std::string Narrow(const char* text) { return text ? text : ""; }

template <class Text>
void Draw_Label(const Style& s, Quarn_Window* window, Text text, Point_2D anchor, Point_2D offset, float angle,
                float height, int colour, uint8_t textured) {
  QUARN_REPORT(Overlay_Trace, ">>> in  Fct: %s(%d)", s.name, int(textured));
  if (!text) {
    QUARN_REPORT(Overlay_Trace, "<<< out Fct: %s(! text)", s.name);
    return;
  }
  glPushMatrix();
  glTranslatef(anchor.x, anchor.y, 0);
  glRotatef(angle * kDegreesPerRadian, 0, 0, 1);
  glTranslatef(offset.x, offset.y, 0);
  if (textured) {
    Draw_Textured(window, text, height, colour, s);
  } else {
    const quarn::Overlay_Rgb c = quarn::Overlay_Colour(uint32_t(colour));
    OpenGL_Text_DrawRasterFont(Narrow(text).c_str(), kRasterSize, c.r, c.g, c.b, 0, 0, 0);
  }
  glPopMatrix();
  QUARN_GL_ERRORS(s.name);
  QUARN_REPORT(Overlay_Trace, "<<< out Fct: %s()", s.name);
}

}  // namespace

void OpenGL_Draw_Gizmo_Label(Quarn_Window* window, const wchar_t* text, Point_2D anchor, Point_2D offset,
                             float angle, float, float height, int colour, uint8_t textured) {
  Draw_Label(kLabel, window, text, anchor, offset, angle, height, colour, textured);
}

void OpenGL_Draw_Gizmo_Data(Quarn_Window* window, const char* text, Point_2D anchor, Point_2D offset,
                            float angle, float, float height, int colour, uint8_t textured) {
  Draw_Label(kData, window, text, anchor, offset, angle, height, colour, textured);
}
