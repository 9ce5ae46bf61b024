// Event handlers of class nodes: the expand glyph, the icon and the slider of a tree-list row.
#include <quarn/classes/Quarn_2D.h>

#include <quarn/classes/Class_Flag.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Update.h>
#include <quarn/display/Window_Change.h>

#include "classes/Window_Selector.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "interaction/Event_Support.h"

#include <algorithm>

namespace quarn {
namespace {

/// A half-open box min <= p < max on both axes.
struct Box {
  int x0, y0, x1, y1;
  bool Holds(const Point_2D& p) const { return p.x >= x0 && p.x < x1 && p.y >= y0 && p.y < y1; }
  bool Overlaps(const Region_2D& r) const {
    return r.x_max >= x0 && x1 > r.x_min && r.y_max >= y0 && y1 > r.y_min;
  }
};

/// The hit boxes of a node's row in a window.
struct Row_Boxes {
  Box expand, icon_click, icon_select, slider, slider_motion;
  int slider_x;
  int length;
};

Row_Boxes Boxes_Of(Quarn_2D* node, Quarn_Window* window) {
  const List_Metrics m = Metrics_Now();
  const Region_2D inside = node->Inside_Get(window);
  const int ix = int(inside.x_min), iy = int(inside.y_min);
  const int sx = ix + m.slider_off;
  return {{ix - 2, iy - 2, ix + m.icon, iy + m.icon},
          {ix + m.icon_off, iy, ix + m.icon_off + 2 + m.icon, iy + m.icon - 2},
          {ix + m.icon_off, iy, ix + m.icon_off + m.icon, iy + m.icon},
          {sx, iy, sx + m.slider, iy + m.slider_h},
          {sx - 2, iy, sx - 2 + m.slider, iy + m.slider_h},
          sx,
          m.slider};
}

uint64_t Mode_Of(Quarn_2D* node, Quarn_Window* window) {
  return node->Flag_Get_Bit(0x10, window, quarn::flag::Display_Mode);
}

void Mode_Set(Quarn_2D* node, Quarn_Window* window, uint64_t mode) {
  node->Flag_Set_Off(0x10, window, quarn::flag::Display_Mode);
  if (mode) node->Flag_Set_On(0x10, window, mode);
}

/// The display mode that follows a click on the expand glyph.
uint64_t Next_Mode(Quarn_2D* node, uint64_t mode) {
  switch (mode) {
  case CLASS_FLAG_EXPAND:
    return node->Child_Get_Nb() > 1 ? CLASS_FLAG_ONE : 0;
  case CLASS_FLAG_LOOP:
    return 0;
  case CLASS_FLAG_ONE:
    return CLASS_FLAG_LOOP;
  default:
    return mode | CLASS_FLAG_EXPAND;
  }
}

/// Moves the node to the glyph's next mode; the loop starts once the loop bit is on, since a
/// start without it makes no timer.
void Expand_Cycle(Quarn_2D* node, Quarn_Window* window) {
  const uint64_t before = Mode_Of(node, window);
  const uint64_t after = Next_Mode(node, before);
  if (before == CLASS_FLAG_LOOP) Fct_Loop_Stop(window, node, 0);
  Mode_Set(node, window, after);
  if (after == CLASS_FLAG_LOOP) Fct_Loop_Start(window, node, 0);
}

/// Index k of the slider position x among count steps over length (centred on the steps).
int Slider_Step(float x, int slider_x, int length, int count) {
  const float k = float(int(x) - int(length / (2 * count)) - slider_x) / (float(length) / float(count));
  return std::clamp(int(k), 0, count - 1);
}

void Loop_Rate_Set(Quarn_2D* node, Quarn_Window* window, int rate) {
  node->loop_rate[Window_Index_Of(window)] = uint16_t(std::clamp(rate, 1, 30));
  Fct_Loop_Start(window, node, 0);
  Fct_Redraw(0x7F8, window, node);
}

/// The slider at x in the node's display mode; the trace word, or null when the mode has none.
const char* Slider_Pick(Quarn_2D* node, Quarn_Window* window, float x, const Row_Boxes& boxes) {
  const uint64_t mode = Mode_Of(node, window);
  if (mode == CLASS_FLAG_LOOP) {
    Loop_Rate_Set(node, window, Slider_Step(x, boxes.slider_x, boxes.length, 30) + 1);
    return "CLASS_FLAG_LOOP";
  }
  const int n = node->Child_Get_Nb();
  if (mode == CLASS_FLAG_ONE && n) {
    Fct_Change_Child(window, node->Child_Get_Pt(Slider_Step(x, boxes.slider_x, boxes.length, n)));
    return "CLASS_FLAG_ONE";
  }
  return nullptr;
}

int Out(uint32_t cls, const char* handler, const char* why, int result) {
  QUARN_REPORT(cls, "<<< out Class: %s(%s)", handler, why);
  return result;
}

int Out_Child(uint32_t cls, const char* handler, const char* form, int child) {
  if (child < 0) return Out(cls, handler, "0", 0);
  QUARN_REPORT(cls, form, handler, child);
  return 1;
}

}  // namespace
}  // namespace quarn

using namespace quarn;

int Quarn_2D::Interface_Click(Quarn_Window* window, int code, Point_2D* point) {
  constexpr const char* handler = "Quarn_2D::Interface_Click";
  QUARN_REPORT(msg::Pointer, ">>> in  Class: %s(%ls)", handler, Name_Of(this));
  if (!point || !Shown_Or_Trace(this, window, msg::Pointer, handler)) return 0;
  if (code == 0)
    return Out_Child(msg::Pointer, handler, "<<< out Class: %s(up:child %d)",
                     Offer_Children(this, &Quarn_2D::Interface_Click, window, code, point));

  const Row_Boxes boxes = Boxes_Of(this, window);
  if (boxes.expand.Holds(*point)) {
    Expand_Cycle(this, window);
    Fct_Update(0x100000000ull, window);
    Fct_Redraw(0xFFFE, window);
    return Out(msg::Pointer, handler, "region_expand", 1);
  }
  if (boxes.icon_click.Holds(*point)) {
    Region_2D one = Point_Rect(*point);
    Interface_Select(window, &one);
    return Out(msg::Pointer, handler, "region_icon", 1);
  }
  if (boxes.slider.Holds(*point))
    if (const char* why = Slider_Pick(this, window, point->x, boxes)) return Out(msg::Pointer, handler, why, 1);
  return Out_Child(msg::Pointer, handler, "<<< out Class: %s(child:%d)",
                   Offer_Children(this, &Quarn_2D::Interface_Click, window, code, point));
}

int Quarn_2D::Interface_Motion(Quarn_Window* window, int code, Point_2D* point) {
  constexpr const char* handler = "Quarn_2D::Interface_Motion";
  if (!point || !Shown_Or_Trace(this, window, msg::Key, handler)) return 0;
  const Row_Boxes boxes = Boxes_Of(this, window);
  if (boxes.slider_motion.Holds(*point))
    if (const char* why = Slider_Pick(this, window, point->x, boxes)) return Out(msg::Key, handler, why, 1);
  return Offer_Children(this, &Quarn_2D::Interface_Motion, window, code, point) >= 0 ? 1 : 0;
}

int Quarn_2D::Interface_Scroll(Quarn_Window* window, int code, Point_2D* point) {
  constexpr const char* handler = "Quarn_2D::Interface_Scroll";
  if (!point || !Shown_Or_Trace(this, window, msg::Key, handler)) return 0;
  if (Boxes_Of(this, window).slider.Holds(*point)) {
    const uint64_t mode = Mode_Of(this, window);
    if (mode == CLASS_FLAG_LOOP) {
      Loop_Rate_Set(this, window, int(loop_rate[Window_Index_Of(window)]) + code);
      return Out(msg::Key, handler, "CLASS_FLAG_LOOP", 1);
    }
    if (mode == CLASS_FLAG_ONE && Child_Get_Nb()) {
      const int next = std::clamp(Child_Get_Cur(window) + code, 0, Child_Get_Nb() - 1);
      Fct_Change_Child(window, Child_Get_Pt(next));
      return Out(msg::Key, handler, "CLASS_FLAG_ONE", 1);
    }
  }
  return Offer_Children(this, &Quarn_2D::Interface_Scroll, window, code, point) >= 0 ? 1 : 0;
}

int Quarn_2D::Interface_Key(Quarn_Window* window, int code, Point_2D* point) {
  if (!point || !Shown_Or_Trace(this, window, msg::Pointer, "Quarn_2D::Interface_Key")) return 0;
  return Offer_Children(this, &Quarn_2D::Interface_Key, window, code, point) >= 0 ? 1 : 0;
}

int Quarn_2D::Interface_Select(Quarn_Window* window, Region_2D* region) {
  constexpr const char* handler = "Quarn_2D::Interface_Select";
  if (!region || !Shown_Or_Trace(this, window, msg::Key, handler)) return 0;
  if (Boxes_Of(this, window).icon_select.Overlaps(*region)) {
    if (Key_Held(VK_Shift)) {
      Select_Range(window, this, Anchor_Kind::Node, 0x30);
      return Out(msg::Key, handler, "region_icon:shift", 1);
    }
    Anchor_Set(Anchor_Kind::Node, this);
    if (Key_Held(VK_Control)) {
      Flag_Toggle(0x30, window, quarn::flag::Selected);
      Fct_Update(0x102, window);
      Fct_Redraw(0x7FC, window);
      return Out(msg::Key, handler, "region_icon:ctrl", 1);
    }
    Flag_Set_On(0x70, window, quarn::flag::Selected);
    Fct_Update(0x102, window);
    Fct_Redraw(0x7F8, window);
    return Out(msg::Key, handler, "region_icon", 1);
  }
  int taken = 0;
  for (int i = 0; i < Child_Get_Nb(); ++i) taken += Child_Get_Pt(i)->Interface_Select(window, region);
  QUARN_REPORT(msg::Key, "<<< out Class: %s(ret=%d)", handler, taken);
  return taken;
}
