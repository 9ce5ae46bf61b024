// Changes of what a window shows: current child, window mode, current window.
#include <quarn/display/Window_Change.h>

#include <quarn/classes/Quarn_2D.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Update.h>
#include <quarn/interaction/Database_2D.h>

#include "classes/Window_Selector.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "display/Window_Change_Internal.h"
#include "interaction/Database_Vars.h"

#include "script/Remembered_Variable.h"

uint32_t Quarn_Module_Cur = 0;
uint32_t Quarn_Module_Prev = 0;
Quarn_Window* Quarn_Module_Wind = nullptr;

namespace quarn {

namespace {
Remembered_Variable g_window_cur{L"$WINDOW_CUR", true};

Quarn_Window* const All_Windows = nullptr;
}  // namespace

int Exit_Trace(const char* function, const char* why, int result) {
  QUARN_REPORT(msg::Module, "<<< out Fct: %s(%s)", function, why);
  return result;
}

bool Same_Inside(Quarn_2D* a, Quarn_2D* b, Quarn_Window* window) {
  const Region_2D ra = a->Inside_Get(window), rb = b->Inside_Get(window);
  return ra.code == rb.code && ra.x_min == rb.x_min && ra.y_min == rb.y_min && ra.x_max == rb.x_max &&
         ra.y_max == rb.y_max;
}

void Selection_Follow_Current(Quarn_Window* window, Quarn_2D* previous, bool clear_previous) {
  Quarn_2D* current = Frame_Cur_Get(Window_Index_Of(window));
  if (clear_previous) {
    if (previous) previous->Flag_Set_Off(0x50, window, quarn::flag::Selected);
    if (current) current->Flag_Set_On(0x50, window, quarn::flag::Selected);
    Fct_Update(0x102, window);
  } else if (current && !current->Flag_Get_Bit(0x10, window, quarn::flag::Selected)) {
    current->Flag_Set_On(0x50, window, quarn::flag::Selected);
    Fct_Update(0x102, window);
  }
}

void Module_Globals_Set(Quarn_Window* window, uint32_t module) {
  Quarn_Module_Wind = window;
  Quarn_Module_Prev = window->Module_Get();
  Quarn_Module_Cur = module;
  window->Module_Set(module);
}

}  // namespace quarn

using namespace quarn;

void Fct_Change_Child(Quarn_Window* window, Quarn_2D* child, Quarn_2D* old) {
  QUARN_REPORT(msg::Module, ">>> in  Fct: Fct_Change_Child(%ls)", Name_Of(child));
  if (!window) return (void)Exit_Trace("Fct_Change_Child", "! window");
  if (!child) return (void)Exit_Trace("Fct_Change_Child", "! pt_new");
  Quarn_2D* parent = child->Parent_Get_Pt();
  if (!parent) return (void)Exit_Trace("Fct_Change_Child", "! parent_new");
  if (!old)
    for (int i = parent->Child_Get_Nb() - 1; i >= 0 && !old; --i)
      if (parent->Child_Get_Pt(i)->Flag_Get_Bit(0x10, window, quarn::flag::Current)) old = parent->Child_Get_Pt(i);

  const int index = Window_Index_Of(window);
  Quarn_2D* before = Frame_Cur_Get(index);
  if (Quarn_2D* root = Root_2D_Get()) root->Flag_Set_Off(0x30, window, (quarn::flag::Current | quarn::flag::Highlight));
  child->Flag_Set_On(0x50, window, quarn::flag::Current);
  Database_2D_Current(window, child);

  Fct_Update(Update_Current, window);
  Fct_Redraw(0x80, window);
  Quarn_2D* now = Frame_Cur_Get(index);
  if (now && now != before) Fct_Update(0x200000, window);

  const bool one = window->Class_A_Get() == WINDOW_MODE_2D_ONE;
  if (parent->Flag_Get_Bit(0x10, window, 0x6) || one) {
    if (old && Same_Inside(old, child, window)) {
      Database_2D_Visibility_Set(window);
    } else {
      Database_2D_Resize(window);
      Fct_Update(0x100000000ull, window);
    }
    Fct_Redraw(0xFFFE, window);
  }
  Selection_Follow_Current(window, before, one);
  Fct_Update(0x40000, window);
  QUARN_REPORT(msg::Module, "<<< out Fct: Fct_Change_Child()");
}

void Fct_Change_Mode(Quarn_Window* window, unsigned short mode) {
  QUARN_REPORT(msg::Module, ">>> in  Fct: Fct_Change_Mode(%04X)", unsigned(mode));
  if (!window) return (void)Exit_Trace("Fct_Change_Mode", "! window");
  Quarn_2D* root = Root_2D_Get();
  switch (mode) {
  case WINDOW_MODE_GEOM:
  case WINDOW_MODE_3D:
    window->Class_A_Set(mode);
    Module_Globals_Set(window, window->module_3d);
    Fct_Update(0x1008, All_Windows);
    Fct_Update(0x10000, window);
    Fct_Redraw(0x3FFF0000, window);
    QUARN_REPORT(msg::Module, "<<< out Fct: Fct_Change_Mode(%s)",
                 mode == WINDOW_MODE_3D ? "WINDOW_MODE_3D" : "WINDOW_MODE_GEOM");
    return;
  case WINDOW_MODE_2D_ALL:
    window->Class_A_Set(mode);
    if (root) {
      root->Flag_Set_On(0x30, window, quarn::flag::Selected);
      Fct_Loop_Start(window, root, 1);
    }
    Module_Globals_Set(window, window->module_2d);
    Fct_Update(0x10000, window);
    Fct_Update(0x1008, All_Windows);
    window->pan_y.value = 0;
    Fct_Update(0x100000000ull, window);
    Fct_Update(0x200102, window);
    Fct_Redraw(0xFFFE, window);
    QUARN_REPORT(msg::Module, "<<< out Fct: Fct_Change_Mode(WINDOW_MODE_2D_ALL)");
    return;
  case WINDOW_MODE_2D_ONE: {
    window->Class_A_Set(mode);
    if (root) root->Flag_Set_Off(0x30, window, quarn::flag::Selected);
    const int index = Window_Index_Of(window);
    if (!Frame_Cur_Get(index) && root) Database_2D_Current(window, root);
    if (Quarn_2D* frame = Frame_Cur_Get(index)) {
      frame->Flag_Set_On(0x50, window, quarn::flag::Selected);
    } else {
      window->Class_A_Set(WINDOW_MODE_2D_ALL);
      if (root) root->Flag_Set_On(0x30, window, quarn::flag::Selected);
    }
    if (root) Fct_Loop_Stop(window, root, 1);
    Module_Globals_Set(window, window->module_2d);
    Fct_Update(0x10000, window);
    Fct_Update(0x1008, All_Windows);
    window->pan_x.value = window->pan_y.value = 0;
    Fct_Update(0x100200102ull, window);
    Fct_Redraw(0xFFFE, window);
    QUARN_REPORT(msg::Module, "<<< out Fct: Fct_Change_Mode(WINDOW_MODE_2D_ONE)");
    return;
  }
  default:
    QUARN_REPORT(msg::Module, "<<< out Fct: Fct_Change_Mode(! mode)");
  }
}

void Fct_Change_Window(Quarn_Window* window) {
  QUARN_REPORT(msg::Module, ">>> in  Fct: Fct_Change_Window(%ls)", Name_Of(window));
  if (!window) return (void)Exit_Trace("Fct_Change_Window", "! window");
  Quarn_Window** current = g_window_cur.As<Quarn_Window*>();
  Quarn_Window* old = current ? *current : nullptr;
  Quarn_Module_Prev = old ? old->Module_Get() : Quarn_Window::No_Module;
  Quarn_Module_Cur = window->Module_Get();
  Quarn_Module_Wind = window;
  if (Quarn_Module_Prev != Quarn_Module_Cur) Fct_Update(0x100011008ull, All_Windows);
  if (old) {
    if (Quarn_2D* root = Root_2D_Get()) root->Flag_Set_Off(0x30, old, (quarn::flag::Current | quarn::flag::Highlight));
    Fct_Update(Update_Current, old);
    Fct_Redraw(0x80, old);
  }
  if (current) *current = window;
  Fct_Update(0x100000, All_Windows);
  if (!current) return (void)Exit_Trace("Fct_Change_Window", "! *Frame_Cur");
  if (Quarn_2D* frame = Frame_Cur_Get(Window_Index_Of(window))) {
    frame->Flag_Set_On(0x50, window, quarn::flag::Current_Path);
    Fct_Update(Update_Current, window);
    Fct_Redraw(0x80, window);
  }
  QUARN_REPORT(msg::Module, "<<< out Fct: Fct_Change_Window()");
}
