// The small glyphs of the tree list (expand state, no-children sign, slider) and the filled
// circle, drawn as lines and polygons in window pixels.
#include "display/Overlay_Internal.h"

#include "core/Trace.h"
#include "display/GL.h"

#include <cmath>

namespace {

constexpr int kRingPoints = 12;      // points of the small circles, every 30 degrees
constexpr int kCirclePoints = 32;    // points of the filled circle
constexpr float kHalfRoot2 = 0.7071f;
constexpr float kPi = 3.14159265358979f;
constexpr GLubyte kBoxGrey = 210;

enum : uint8_t { kMinus = 0, kPlus = 1, kOne = 2, kRing = 3 };

void Line(float x0, float y0, float x1, float y1) {
  glVertex2f(x0, y0);
  glVertex2f(x1, y1);
}

// A closed line through kRingPoints points on a circle, point at angle a = (cx + sin a r, cy - cos a r).
void Ring(float cx, float cy, float r) {
  glBegin(GL_LINE_LOOP);
  for (int i = 0; i < kRingPoints; ++i) {
    const float a = 2 * kPi * float(i) / kRingPoints;
    glVertex2f(cx + std::sin(a) * r, cy - std::cos(a) * r);
  }
  glEnd();
}

void Smooth_Lines(bool on) {
  if (on) {
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  } else {
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_BLEND);
  }
}

}  // namespace

void OpenGL_Draw_PlusMinus(uint8_t state, int16_t x, int16_t y, int16_t w, int16_t h) {
  QUARN_REPORT(quarn::Overlay_Trace, ">>> in  Fct: OpenGL_Draw_PlusMinus(%d)", state);
  const float ym = float(y) - float(h) / 2;
  glLineWidth(1);
  glColor3ub(kBoxGrey, kBoxGrey, kBoxGrey);
  glBegin(GL_LINE_LOOP);
  glVertex2f(x, y), glVertex2f(x + w, y), glVertex2f(x + w, y - h), glVertex2f(x, y - h);
  glEnd();
  glColor3ub(255, 255, 255);
  const float mid = float(x) + float(w) / 2, eighth = float(w) / 8;
  if (state == kRing) {
    Smooth_Lines(true);
    Ring(mid - 0.5f, ym - 0.5f, float(w) / 4 + 0.5f);
    Smooth_Lines(false);
  } else {
    glBegin(GL_LINES);
    if (state == kOne) {
      Line(mid - eighth - 1, y - 3, mid, y - 3);
      Line(mid, y - 2, mid, y - h + 2);
      Line(mid - eighth - 1, y - h + 2, mid + eighth, y - h + 2);
    } else {
      Line(x + 1, ym, x + w - 2, ym);
      if (state == kPlus) Line(mid, y - 2, mid, y - h + 1);
    }
    glEnd();
  }
  QUARN_GL_ERRORS("OpenGL_Draw_PlusMinus");
  QUARN_REPORT(quarn::Overlay_Trace, "<<< out Fct: OpenGL_Draw_PlusMinus()");
}

void OpenGL_Draw_CircleSlash(int16_t x, int16_t y, int16_t w, int16_t h) {
  QUARN_REPORT(quarn::Overlay_Trace, ">>> in  Fct: OpenGL_Draw_CircleSlash()");
  const float r = float(w) / 2 + 0.5f;
  const float cx = float(x) + float(w) / 2 - 0.5f, cy = float(y) - float(h) / 2 + 0.5f;
  glColor3ub(255, 0, 0);
  Smooth_Lines(true);
  Ring(cx, cy, r);
  glBegin(GL_LINES);
  Line(cx + kHalfRoot2 * r, cy + kHalfRoot2 * r, cx - kHalfRoot2 * r, cy - kHalfRoot2 * r);
  glEnd();
  Smooth_Lines(false);
  QUARN_GL_ERRORS("OpenGL_Draw_CircleSlash");
  QUARN_REPORT(quarn::Overlay_Trace, "<<< out Fct: OpenGL_Draw_CircleSlash()");
}

void OpenGL_Draw_Slider(int knob, int16_t x, int16_t y, int16_t length, int16_t height) {
  QUARN_REPORT(quarn::Overlay_Trace, ">>> in  Fct: OpenGL_Draw_Slider(%d)", knob);
  glLineWidth(1);
  glColor3ub(kBoxGrey, kBoxGrey, kBoxGrey);
  glBegin(GL_LINE_LOOP);
  glVertex2f(x, y - 2), glVertex2f(x + 3 + length, y - 2);
  glVertex2f(x + 3 + length, y - height + 3), glVertex2f(x, y - height + 3);
  glEnd();
  glColor3ub(255, 255, 255);
  glBegin(GL_LINES);
  for (int k = 1; k <= 2; ++k) Line(float(x + knob + k), y, float(x + knob + k), float(y - height));
  glEnd();
  QUARN_GL_ERRORS("OpenGL_Draw_Slider");
  QUARN_REPORT(quarn::Overlay_Trace, "<<< out Fct: OpenGL_Draw_Slider()");
}

int OpenGL_Draw_Circle(Quarn_Window*, Point_2D centre, float diameter) {
  QUARN_REPORT(quarn::Overlay_Trace, ">>> in  Fct: OpenGL_Draw_Circle(%g)", double(diameter));
  glPushMatrix();
  glTranslatef(centre.x, centre.y, 0);
  glBegin(GL_POLYGON);
  for (int i = 0; i < kCirclePoints; ++i) {
    const float t = 2 * kPi * float(i) / kCirclePoints;
    glVertex2f(std::sin(t) * diameter / 2, std::cos(t) * diameter / 2);
  }
  glEnd();
  glPopMatrix();
  QUARN_GL_ERRORS("Fct_Draw_OpenGL_Circle");
  QUARN_REPORT(quarn::Overlay_Trace, "<<< out Fct: OpenGL_Draw_Circle()");
  return 1;
}
