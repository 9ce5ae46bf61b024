// Pictures of the tree list: read from the pictures folder on every call and drawn through one
// texture that all icons share.
#include "display/Overlay_Internal.h"

#include "core/Trace.h"
#include "display/GL.h"

#include <hostkit/HostWidgets.h>

#include <atomic>

namespace {

std::atomic<GLuint> g_icon_texture{0};

// The shared texture, made in the current context on first use (or when it was lost there).
GLuint Icon_Texture() {
  GLuint name = g_icon_texture.load();
  if (name && glIsTexture(name)) {
    glBindTexture(GL_TEXTURE_2D, name);
    return name;
  }
  name = quarn::Overlay_Texture_New(GL_CLAMP_TO_EDGE, GL_LINEAR, GL_LINEAR);
  g_icon_texture.store(name);
  return name;
}

}  // namespace

void OpenGL_Draw_Icon(int16_t x, int16_t y, int16_t w, int16_t h, const wchar_t* name) {
  QUARN_REPORT(quarn::Overlay_Trace, ">>> in  Fct: OpenGL_Draw_Icon(%ls)", name ? name : L"");
  const std::wstring file = quarn::Overlay_Picture_Folder() + (name ? name : L"");
  Host_Icon_Record* icon = name ? Host_Read_Icon(nullptr, file.c_str()) : nullptr;
  if (!icon) {
    QUARN_REPORT(quarn::Overlay_Trace, "<<< out Fct: OpenGL_Draw_Icon(! icon)");
    return;
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, icon->width);
  glRasterPos2i(x, y);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPushMatrix();
  glTranslatef(x, y, 0);
  glEnable(GL_TEXTURE_2D);
  Icon_Texture();
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, icon->width, icon->height, 0, GL_RGBA, GL_UNSIGNED_BYTE, icon->rgba);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1), glVertex2f(0, -h);
  glTexCoord2f(1, 1), glVertex2f(w, -h);
  glTexCoord2f(1, 0), glVertex2f(w, 0);
  glTexCoord2f(0, 0), glVertex2f(0, 0);
  glEnd();
  glPopMatrix();
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  Host_Free_Icon(icon);
  QUARN_GL_ERRORS("OpenGL_Draw_Icon");
  QUARN_REPORT(quarn::Overlay_Trace, "<<< out Fct: OpenGL_Draw_Icon()");
}

void OpenGL_Icon_Cleanup() {
  QUARN_REPORT(quarn::Overlay_Trace, ">>> in  Fct: OpenGL_Icon_Cleanup()");
  const GLuint name = g_icon_texture.exchange(0);
  if (name) glDeleteTextures(1, &name);
  QUARN_REPORT(quarn::Overlay_Trace, "<<< out Fct: OpenGL_Icon_Cleanup()");
}
