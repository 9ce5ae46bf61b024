// Event handlers of frames: picking, drag selection, Shift and Ctrl selection, arrow keys.
#include <quarn/frames/Quarn_2D_Frame.h>

#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Update.h>
#include <quarn/display/Window_Change.h>

#include <hostkit/HostUtil.h>

#include "classes/Tree_Trace.h"
#include "classes/Window_Selector.h"
#include "core/Trace.h"
#include "interaction/Database_Vars.h"
#include "interaction/Event_Support.h"

namespace quarn {
namespace {

int Out(uint32_t cls, const char* handler, const char* why, int result) {
  QUARN_REPORT(cls, "<<< out Class: %s(%s)", handler, why);
  return result;
}

/// Makes frame the window's current frame when another frame is current now.
void Become_Current(Quarn_Window* window, Quarn_2D* frame) {
  Quarn_2D* current = Frame_Cur_Get(Window_Index_Of(window));
  if (current && current != frame) Fct_Change_Child(window, frame);
}

/// One arrow key: the frame-space step, the bracket tag, and whether it moves along x.
struct Arrow {
  int code;
  float dx, dy;
  const char* tag;
};

constexpr Arrow Arrows[] = {
    {Key_Left, -1, 0, "Quarn_2D_Frame::Interface_Key(LEFTARROWKEY)"},
    {Key_Up, 0, -1, "Quarn_2D_Frame::Interface_Key(UPARROWKEY)"},
    {Key_Right, 1, 0, "Quarn_2D_Frame::Interface_Key(RIGHTARROWKEY)"},
    {Key_Down, 0, 1, "Quarn_2D_Frame::Interface_Key(DOWNARROWKEY)"},
};

const Arrow* Arrow_Of(int code) {
  for (const Arrow& a : Arrows)
    if (a.code == code) return &a;
  return nullptr;
}

/// True when window point w left the window on the side the arrow moves to.
bool Beyond_Edge(const Arrow& a, const Point_2D& w, const Quarn_Window* window) {
  switch (a.code) {
  case Key_Left: return w.x < 0;
  case Key_Up: return w.y >= float(window->height);
  case Key_Right: return w.x >= float(window->width);
  default: return w.y < 0;
  }
}

}  // namespace
}  // namespace quarn

using namespace quarn;

int Quarn_2D_Frame::Interface_Click(Quarn_Window* window, int code, Point_2D* point) {
  constexpr const char* handler = "Quarn_2D_Frame::Interface_Click";
  if (!QUARN_CHECK_FRAME(this, handler)) return 0;
  if (!point || !Shown_Or_Trace(this, window, msg::Pointer, handler)) return 0;
  if (code == 0) return Out(msg::Pointer, handler, "up", 0);
  if (!Inside_Pt(window, *point)) return 0;
  Region_2D one = Point_Rect(*point);
  Interface_Select(window, &one);
  Become_Current(window, this);
  return Out(msg::Pointer, handler, "select", 1);
}

int Quarn_2D_Frame::Interface_Motion(Quarn_Window* window, int, Point_2D* point) {
  constexpr const char* handler = "Quarn_2D_Frame::Interface_Motion";
  if (!QUARN_CHECK_FRAME(this, handler)) return 0;
  if (!point || !Shown_Or_Trace(this, window, msg::Key, handler)) return 0;
  if (!Inside_Pt(window, *point)) return 0;
  if (!Key_Held(VK_Control)) {
    Region_2D one = Point_Rect(*point);
    Interface_Select(window, &one);
  }
  Become_Current(window, this);
  return 0;
}

int Quarn_2D_Frame::Interface_Scroll(Quarn_Window* window, int, Point_2D*) {
  constexpr const char* handler = "Quarn_2D_Frame::Interface_Scroll";
  if (!QUARN_CHECK_FRAME(this, handler)) return 0;
  Shown_Or_Trace(this, window, msg::Key, handler);
  return 0;
}

int Quarn_2D_Frame::Interface_Key(Quarn_Window* window, int code, Point_2D* point) {
  constexpr const char* handler = "Quarn_2D_Frame::Interface_Key";
  if (!QUARN_CHECK_FRAME(this, handler)) return 0;
  if (!point || !Shown_Or_Trace(this, window, msg::Pointer, handler)) return 0;
  const Arrow* arrow = Arrow_Of(code);
  if (!arrow) return 0;
  if (!Inside_Pt(window, *point)) return 1;

  Point_2D q = Inf_2_Frm(window, *point);
  q.x += arrow->dx;
  q.y += arrow->dy;
  if (q.x < 0 || q.y < 0 || q.x >= float(width) || q.y >= float(height)) return Out(msg::Pointer, handler, "out", 0);
  const Point_2D moved = Frm_2_Inf(window, q);
  const Point_2D w = window->Inf_2_Wnd(moved);
  const float dx = moved.x - point->x, dy = moved.y - point->y;
  if (Beyond_Edge(*arrow, w, window)) {
    if (arrow->dx != 0) window->pan_x.value += dx;
    else window->pan_y.value += dy;
    Host_Cursor_Move(0, 0);
    Fct_Redraw(0xFFFF, window);
    return Out(msg::Pointer, handler, "pan", 1);
  }
  Host_Region_Begin(window->hwnd, arrow->tag);
  Host_Cursor_Move(arrow->dx != 0 ? int(dx) : 0, arrow->dy != 0 ? int(dy) : 0);
  Host_Region_End(window->hwnd);
  return Out(msg::Pointer, handler, "move", 1);
}

int Quarn_2D_Frame::Interface_Select(Quarn_Window* window, Region_2D* region) {
  constexpr const char* handler = "Quarn_2D_Frame::Interface_Select";
  if (!QUARN_CHECK_FRAME(this, handler)) return 0;
  if (!region || !Shown_Or_Trace(this, window, msg::Key, handler)) return 0;
  if (!Inside_Range(window, *region)) return 0;
  if (Key_Held(VK_Shift)) {
    Select_Range(window, this, Anchor_Kind::Frame, 0x50);
    return Out(msg::Key, handler, "Inside_Range:shift", 1);
  }
  Anchor_Set(Anchor_Kind::Frame, this);
  if (Key_Held(VK_Control)) {
    Flag_Toggle(0x10, window, quarn::flag::Selected);
    if (Flag_Get_Bit(0x10, window, quarn::flag::Selected)) Flag_Set_On(0x40, window, quarn::flag::Selected);
    Fct_Update(0x102, window);
    Fct_Redraw(0x7FC, window);
    return Out(msg::Key, handler, "Inside_Range:ctrl", 1);
  }
  if (Flag_Get_Bit(0x10, window, quarn::flag::Selected)) return Out(msg::Key, handler, "selected", 0);
  Flag_Set_On(0x50, window, quarn::flag::Selected);
  Fct_Update(0x102, window);
  Fct_Redraw(0x7F8, window);
  return Out(msg::Key, handler, "select", 1);
}
