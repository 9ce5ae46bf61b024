// Gizmos: the handles a tool drags (arrow, bump, target), drawn from pictures read once per
// window into textures, or as outlines; the per-window texture tables they share with labels.
#include "display/Overlay_Gizmo.h"

#include "core/Check.h"
#include "core/Trace.h"
#include "display/GL.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostUtil.h>
#include <hostkit/HostPicture.h>
#include <hostkit/HostWidgets.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

using quarn::Overlay_Trace;

constexpr float kPi = 3.14159265358979f;
constexpr float kTurnHalf = 180.0f;  // the pictures are stored turned by half a turn
constexpr float kLineWidth = 2;

quarn::Remembered_Variable g_window_max{L"$WINDOW_MAX"};

std::vector<GLuint> g_tables[quarn::GIZMO_TABLES];
bool g_ready = false;

struct Kind {
  const char* file;
  std::atomic<bool> usable{true};
};
Kind g_kinds[quarn::GIZMO_TABLE_LABEL] = {{"gizmo arrow.tga"}, {"gizmo bump.tga"}, {"gizmo target.tga"}};

void Vertex_At(float degrees, float radius, float cx, float cy) {
  const float a = degrees * kPi / 180;
  glVertex2f(std::cos(a) * radius + cx, std::sin(a) * radius + cy);
}

void Outline(int kind) {
  switch (kind) {
    case quarn::GIZMO_TABLE_ARROW:
      glBegin(GL_LINE_LOOP);
      glVertex2f(0.75f, -1), glVertex2f(0, 1), glVertex2f(-0.75f, -1);
      glEnd();
      break;
    case quarn::GIZMO_TABLE_BUMP:
      glBegin(GL_LINE_LOOP);
      for (int a = 90; a <= 270; a += 20) Vertex_At(float(a), 0.25f, -0.5f, 0);
      glVertex2f(0.5f, -0.25f);
      for (int a = -90; a <= 90; a += 20) Vertex_At(float(a), 0.25f, 0.5f, 0);
      glVertex2f(-0.5f, 0.25f);
      glEnd();
      break;
    default:
      glBegin(GL_LINE_LOOP);
      for (int a = 0; a < 360; a += 20) Vertex_At(float(a), 0.75f, 0, 0);
      glEnd();
      glBegin(GL_LINES);
      glVertex2f(0.5f, 0), glVertex2f(-0.5f, 0), glVertex2f(0, 0.5f), glVertex2f(0, -0.5f);
      glEnd();
  }
}

void Draw_Lines(int kind, Point_2D position, float angle, float scale, int colour) {
  const quarn::Overlay_Rgb c = quarn::Overlay_Colour(uint32_t(colour));
  glPushMatrix();
  glTranslatef(position.x, position.y, 0);
  glRotatef(angle, 0, 0, 1);
  glScalef(std::fabs(scale), std::fabs(scale), 1);
  glEnable(GL_LINE_SMOOTH);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glLineWidth(kLineWidth);
  glColor4ub(c.r, c.g, c.b, 255);
  Outline(kind);
  glLineWidth(1);
  glDisable(GL_LINE_SMOOTH);
  glDisable(GL_BLEND);
  glPopMatrix();
}

void Draw_Textured(int kind, Quarn_Window* window, Point_2D position, float angle, float scale) {
  OpenGL_Draw_Gizmo_Init();
  Kind& k = g_kinds[kind];
  if (!k.usable.load()) return;
  GLuint* texture = quarn::Gizmo_Texture(kind, window);
  if (!texture) return;
  if (!glIsTexture(*texture) && !OpenGL_Draw_Gizmo_Read(texture, k.file, 0)) {
    k.usable.store(false);
    return;
  }
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindTexture(GL_TEXTURE_2D, *texture);
  glColor4f(0, 0, 0, 1);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND);
  const GLfloat white[4] = {1, 1, 1, 0};
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, white);
  OpenGL_Draw_Gizmo_Draw(position, angle + kTurnHalf, scale);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
}

void Handle(const char* name, int kind, Quarn_Window* window, Point_2D position, float angle, float scale,
            int colour, uint8_t textured) {
  QUARN_REPORT(Overlay_Trace, ">>> in  Fct: %s(%d)", name, int(textured));
  if (textured) Draw_Textured(kind, window, position, angle, scale);
  else Draw_Lines(kind, position, angle, scale, colour);
  QUARN_GL_ERRORS(name);
  QUARN_REPORT(Overlay_Trace, "<<< out Fct: %s()", name);
}

// The samples of a one-channel picture as luminance-alpha: alpha opaque where lit, at least
// min_alpha; null (reported) without memory.
uint8_t* Luminance_Alpha(const Host_Icon_Image& image, uint16_t min_alpha) {
  const size_t count = size_t(image.width) * size_t(image.height);
  auto* data = static_cast<uint8_t*>(std::malloc(count * 2));
  if (!data) {
    QUARN_MEMORY_ERROR("malloc", "text_data", image.width, image.height);
    return nullptr;
  }
  const uint8_t floor = uint8_t(min_alpha > 255 ? 255 : min_alpha);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t v = image.samples[i];
    data[2 * i] = v;
    data[2 * i + 1] = std::max<uint8_t>(v > 0 ? 255 : 0, floor);
  }
  return data;
}

}  // namespace

GLuint* quarn::Gizmo_Texture(int table, const Quarn_Window* window) {
  if (!g_ready || table < 0 || table >= GIZMO_TABLES) return nullptr;
  const size_t index = window ? window->Class_B_Get() : 0;
  return index < g_tables[table].size() ? &g_tables[table][index] : nullptr;
}

bool quarn::Gizmo_Tables_Ready() { return g_ready; }

void quarn::Gizmo_Pictures_Reset() {
  for (Kind& k : g_kinds) k.usable.store(true);
}

void OpenGL_Draw_Gizmo_Init() {
  if (g_ready) return;
  QUARN_REPORT(Overlay_Trace, ">>> in  Fct: OpenGL_Draw_Gizmo_Init()");
  const int count = std::max(g_window_max.Value<int32_t>(), quarn::OVERLAY_WINDOWS);
  for (auto& table : g_tables) table.assign(size_t(count), 0);
  g_ready = true;
  QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Draw_Gizmo_Init(%d)", count);
}

void OpenGL_Draw_Gizmo_Exit() {
  QUARN_REPORT(Overlay_Trace, ">>> in  Fct: OpenGL_Draw_Gizmo_Exit()");
  for (auto& table : g_tables) {
    for (GLuint name : table)
      if (name && glIsTexture(name)) glDeleteTextures(1, &name);
    table.clear();
    table.shrink_to_fit();
  }
  g_ready = false;
  QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Draw_Gizmo_Exit()");
}

int OpenGL_Draw_Gizmo_Read(uint32_t* texture, const char* file, uint16_t min_alpha) {
  QUARN_REPORT(Overlay_Trace, ">>> in  Fct: OpenGL_Draw_Gizmo_Read(%s)", file ? file : "");
  if (!texture || !file) {
    QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Draw_Gizmo_Read(! file)");
    return 0;
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
  *texture = quarn::Overlay_Texture_New(GL_REPEAT, GL_LINEAR, GL_LINEAR);
  const std::wstring path = quarn::Overlay_Picture_Folder() + Host_Char_To_Wide(file);
  Host_Icon_Image* image = Host_Read_Icon_Image(path.c_str());
  uint8_t* data = image && image->channels == 1 ? Luminance_Alpha(*image, min_alpha) : nullptr;
  if (!image || (image->channels == 1 && !data)) {
    Host_Free_Icon_Image(image);
    glDeleteTextures(1, texture);
    *texture = 0;
    QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Draw_Gizmo_Read(! Host_Read_Icon_Image)");
    return 0;
  }
  if (data) glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, image->width, image->height, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, data);
  else glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image->width, image->height, 0, GL_RGBA, GL_UNSIGNED_BYTE, image->samples);
  std::free(data);
  Host_Free_Icon_Image(image);
  QUARN_GL_ERRORS("OpenGL_Draw_Gizmo_Read");
  QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Draw_Gizmo_Read()");
  return 1;
}

void OpenGL_Draw_Gizmo_Draw(Point_2D position, float angle, float scale) {
  glPushMatrix();
  glTranslatef(position.x, position.y, 0);
  glRotatef(angle, 0, 0, 1);
  glScalef(scale, std::fabs(scale), 1);
  glBegin(GL_QUADS);
  glTexCoord2f(1, 0), glVertex2f(-1, -1);
  glTexCoord2f(0, 0), glVertex2f(1, -1);
  glTexCoord2f(0, 1), glVertex2f(1, 1);
  glTexCoord2f(1, 1), glVertex2f(-1, 1);
  glEnd();
  glPopMatrix();
}

void OpenGL_Draw_Gizmo_Arrow(Quarn_Window* window, Point_2D position, float angle, float scale, int colour,
                             uint8_t textured) {
  Handle("OpenGL_Draw_Gizmo_Arrow", quarn::GIZMO_TABLE_ARROW, window, position, angle, scale, colour, textured);
}

void OpenGL_Draw_Gizmo_Bump(Quarn_Window* window, Point_2D position, float angle, float scale, int colour,
                            uint8_t textured) {
  Handle("OpenGL_Draw_Gizmo_Bump", quarn::GIZMO_TABLE_BUMP, window, position, angle, scale, colour, textured);
}

void OpenGL_Draw_Gizmo_Target(Quarn_Window* window, Point_2D position, float angle, float scale, int colour,
                              uint8_t textured) {
  Handle("OpenGL_Draw_Gizmo_Target", quarn::GIZMO_TABLE_TARGET, window, position, angle, scale, colour, textured);
}
