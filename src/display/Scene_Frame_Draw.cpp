// The built-in drawings of a frame: its pixels at its zoom, and its highlight outline.
#include <quarn/display/Pixel_Render.h>
#include <quarn/display/Scene_Draw.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "display/GL.h"
#include "display/Scene_Frame_Calls.h"
#include "classes/Node_Kinds.h"
#include "display/Scene_Support.h"

#include <algorithm>

using namespace quarn;

namespace {

constexpr const char* Base_Name = "Class_Frame_Draw_Base";
constexpr const char* Highlight_Name = "Class_Frame_Draw_Highlight";
constexpr int Highlight_Rings = 3;
constexpr int Stub_Length = 3;

/// The part of the frame to draw: its redraw region widened by a pixel, within the frame and
/// within what the window shows of it.
Region_2D Region_To_Draw(Quarn_2D_Frame* frame, Quarn_Window* window) {
  Region_2D r = *frame->Region_Redraw_Get();
  r.x_min = std::max(r.x_min - 1, 0.0f);
  r.y_min = std::max(r.y_min - 1, 0.0f);
  r.x_max = std::min(r.x_max + 1, float(frame->width - 1));
  r.y_max = std::min(r.y_max + 1, float(frame->height - 1));
  const Region_2D seen =
      frame->Inf_2_Frm(window, window->Wnd_2_Inf(Region_2D(8, 0, 0, window->width, window->height)));
  r.x_min = std::max(r.x_min, seen.x_min);
  r.y_min = std::max(r.y_min, seen.y_min);
  r.x_max = std::min(r.x_max, seen.x_max);
  r.y_max = std::min(r.y_max, seen.y_max);
  return r;
}

void Draw_Region(Quarn_2D_Frame* frame, Quarn_Window* window, const Region_2D& r) {
  const int px = scene::Trunc(r.x_min), py = scene::Trunc(r.y_min);
  const Point_2D raster = window->Inf_2_Wnd(frame->Frm_2_Inf(window, Point_2D(6, float(px), float(py))));
  const float zx = frame->Zoom_Get(window), zy = zx * frame->aspect;
  const scene::Frame_Calls plan = scene::Frame_Calls_Plan(
      px, py, scene::Trunc(r.x_max - r.x_min + 1), scene::Trunc(r.y_max - r.y_min + 1), raster.x, raster.y,
      zx, zy, window->height, frame->width, frame->height);

  const GLboolean colour = scene::Flag_Of(frame, window, flag::Selected) ? GL_TRUE : GL_FALSE;
  glColorMask(GL_TRUE, colour, colour, GL_TRUE);
  QUARN_GL_ERRORS("glColorMask");
  const uint8_t scheme = scene::Scheme_Of(frame);
  glRasterPos2f(plan.raster_x, plan.raster_y);
  QUARN_GL_ERRORS("glRasterPos");
  glPushMatrix();
  glTranslatef(plan.raster_x, plan.raster_y, 0);
  QUARN_GL_ERRORS("glPushMatrix, glTranslatef");
  for (int i = 0; i < plan.count; ++i) {
    const scene::Pixel_Call& c = plan.call[i];
    Fct_Draw_OpenGL_Pixel(scheme, c.zoom_x, c.zoom_y, uint16_t(c.x), uint16_t(c.y), uint16_t(c.width),
                          uint16_t(c.height), frame);
  }
  glPopMatrix();
  QUARN_GL_ERRORS("glPopMatrix");
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  QUARN_GL_ERRORS("glColorMask");
}

/// The part under the frame's lock: the display layers must not be replaced while drawn.
const char* Draw_Locked(Quarn_2D_Frame* frame, uint64_t mask, Quarn_Window* window) {
  if (!scene::Redraw_Hit(frame, window, mask)) return "! pt->Redraw_Get_Bit";
  if (!Database_2D_Viewport(window, frame)) return "! Database_2D_Viewport";
  const Region_2D r = Region_To_Draw(frame, window);
  if (r.x_min > r.x_max || r.y_min > r.y_max) return "! reg_frm.Cull";
  Draw_Region(frame, window, r);
  return nullptr;
}

}  // namespace

int Class_Frame_Draw_Base(Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  return scene::Frame_Drawing(Base_Name, object, mask, window, flag::Visible, "! pt->Flag_Get_Bit", &Draw_Locked);
}

int Class_Frame_Draw_Highlight(Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  QUARN_REPORT(msg::Draw, ">>> in  Class: %s(%s:%ls)", Highlight_Name, Title_Of(Object_Of(object)),
               Name_Of(Object_Of(object)));
  Quarn_2D_Frame* frame = Frame_If(object);
  if (!frame || !window) return scene::Class_Out(Highlight_Name, "! frame", 0);
  if (!scene::Flag_Of(frame, window, flag::Visible)) return scene::Class_Out(Highlight_Name, "! pt->Flag_Get_Bit", 1);
  if (!scene::Redraw_Hit(frame, window, mask)) return scene::Class_Out(Highlight_Name, "! pt->Redraw_Get_Bit", 1);
  Database_2D_Viewport(window, nullptr);
  // The corners go over one by one: the first is the frame's top left, the second its bottom right.
  const Region_2D inside = frame->Inside_Get(window);
  const Point_2D a = window->Inf_2_Wnd(inside.Get_Min()), b = window->Inf_2_Wnd(inside.Get_Max());
  const float x0 = a.x, y0 = a.y, x1 = b.x, y1 = b.y;
  scene::Rgb c;
  // No highlight bit: the background colour erases an earlier highlight.
  if (!scene::Highlight_Of(frame, window, &c)) c = scene::Background_Of(window);
  glLineWidth(1);
  glColor3ub(c.r, c.g, c.b);
  for (int i = 0; i < Highlight_Rings; ++i) {
    glBegin(GL_LINE_LOOP);
    glVertex2f(x0 - i, y0 + 1 + i);
    glVertex2f(x1 + 1 + i, y0 + 1 + i);
    glVertex2f(x1 + 1 + i, y1 - i);
    glVertex2f(x0 - i, y1 - i - 1);
    glEnd();
  }
  const float m = float(scene::Trunc((y0 + y1) / 2));
  glColor3ub(scene::Tree_Line_Grey, scene::Tree_Line_Grey, scene::Tree_Line_Grey);
  glBegin(GL_LINES);
  glVertex2f(x0 - Stub_Length, m);
  glVertex2f(x0, m);
  glEnd();
  QUARN_GL_ERRORS("glBegin/End");
  return scene::Class_Out(Highlight_Name, nullptr, 1);
}
