// Layout of the tree list: where each node and frame of the 2D tree sits in a window.
#include <quarn/classes/Quarn_2D.h>

#include <quarn/classes/Class_Flag.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Window_Change.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Window_Selector.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "interaction/Database_Vars.h"
#include "interaction/Event_Support.h"

#include <algorithm>

namespace quarn {
namespace {

constexpr const char* Label = "Quarn_2D::Resize";
constexpr int Gap = 8;  // between thumbnails and between their rows

int Out(const char* why, int result) {
  QUARN_REPORT(msg::Class, "<<< out Class: %s(%s)", Label, why);
  return result;
}

/// Places child with its corner at (x, y), handing on the rest of area, and returns where it
/// landed.
Region_2D Place(Quarn_2D* child, Quarn_Window* window, int x, int y, const Region_2D& area) {
  Region_2D corner(7, float(x), float(y), std::max(float(x), area.x_max), std::max(float(y), area.y_max));
  child->Resize(window, &corner);
  return child->Inside_Get(window);
}

/// The window's default area of the mode.
Region_2D Default_Area(const Quarn_Window* window, uint16_t mode) {
  const int w = window->width, h = window->height;
  if (mode == WINDOW_MODE_2D_ONE) return Region_2D(7, 0, 0, w, h);
  return Region_2D(7, std::min(w, 6), std::min(h, 6), std::max(w, 6), std::max(h, 6));
}

/// Notes the single frame as the one under the pointer when no other is and the pointer is on it.
void Pointer_Over(Quarn_Window* window, Quarn_2D_Frame* frame, const Region_2D& rect) {
  Quarn_2D** over = Frame_Over_Slot();
  const Point_2D* mouse = Mouse_Inf();
  if (!over || *over || !mouse) return;
  if (mouse->x < rect.x_min || mouse->x >= rect.x_max || mouse->y < rect.y_min || mouse->y >= rect.y_max)
    return;
  *over = frame;
  if (Point_2D* in_frame = Mouse_Frm())
    *in_frame = frame->Inf_2_Frm(window, *mouse);
}

}  // namespace
}  // namespace quarn

using namespace quarn;

int Quarn_2D::Resize(Quarn_Window* window, Region_2D* area_in) {
  QUARN_REPORT(msg::Class, ">>> in  Class: %s(%ls)", Label, Name_Of(this));
  if (reinterpret_cast<uintptr_t>(window) < 16) return Out("! window", 0);
  const uint16_t window_mode = Window_Mode_Of(window);
  const Region_2D area = area_in ? *area_in : Default_Area(window, window_mode);

  if (window_mode == WINDOW_MODE_2D_ONE) {
    Quarn_2D_Frame* frame = Frame_If(Frame_Cur_Get(Window_Index_Of(window)));
    if (!frame) return Out("! *Frame_Cur", 0);
    Region_2D corner = area;
    frame->Resize(window, &corner);
    const Region_2D rect = frame->Inside_Get(window);
    Inside_Set(window, rect);
    Pointer_Over(window, frame, rect);
    return Out("ONE", 1);
  }
  if (window_mode != WINDOW_MODE_2D_ALL) return Out("! mode", 0);

  const List_Metrics m = Metrics_Now();
  int x0 = int(area.x_min), y0 = int(area.y_min);
  Inside_Set(window, x0, y0, x0 + 100, y0 + 10);
  x0 += m.indent;
  y0 += m.indent;
  const int n = Child_Get_Nb();
  const uint64_t mode = Flag_Get_Bit(0x10, window, quarn::flag::Display_Mode);

  if (mode == CLASS_FLAG_EXPAND) {
    if (n && Is_Frame(Child_Get_Pt(0))) {
      // Thumbnails fill rows left to right and wrap below the row's lowest edge.
      const int row_x = x0 + m.icon;
      int x = row_x, y = y0, row_bottom = y0, prev_bottom = y0;
      bool row_first = true;
      for (int i = 0; i < n; ++i) {
        Quarn_2D* child = Child_Get_Pt(i);
        Region_2D r = Place(child, window, x, y, area);
        if (!row_first && int(r.x_max) >= int(area.x_max)) {
          prev_bottom = row_bottom;
          y = prev_bottom + Gap;
          r = Place(child, window, row_x, y, area);
          row_bottom = int(r.y_max);
        } else {
          row_bottom = std::max(row_bottom, int(r.y_max));
        }
        row_first = false;
        x = int(r.x_max) + Gap;
        Inside_Add(window, r);
      }
    } else {
      int y = y0;
      for (int i = 0; i < n; ++i) {
        const Region_2D r = Place(Child_Get_Pt(i), window, x0, y, area);
        y = int(r.y_max) + 3 * m.icon / 4;
        Inside_Add(window, r);
      }
    }
    return Out("ALL:CLASS_FLAG_EXPAND", 1);
  }
  if (mode == CLASS_FLAG_LOOP || mode == CLASS_FLAG_ONE) {
    if (!n) {
      if (mode == CLASS_FLAG_LOOP) Fct_Loop_Stop(window, this, 0);
      Flag_Set_Off(0x10, window, quarn::flag::Display_Mode);
      Flag_Set_On(0x10, window, CLASS_FLAG_EXPAND);
      return Out("ALL: no child", 1);
    }
    if (Is_Frame(Child_Get_Pt(Child_Get_Cur(window)))) x0 += m.icon;
    for (int i = 0; i < n; ++i) Inside_Add(window, Place(Child_Get_Pt(i), window, x0, y0, area));
    return Out("ALL:CLASS_FLAG_ONE", 1);
  }
  return Out("ALL", 1);
}
