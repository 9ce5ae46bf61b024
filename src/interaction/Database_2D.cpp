// Current frame, layout pass and visibility reset of the 2D database for one window.
#include <quarn/interaction/Database_2D.h>

#include <quarn/classes/Quarn_2D.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Update.h>

#include "classes/Window_Selector.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "display/Window_Change_Internal.h"
#include "interaction/Database_Vars.h"

void Database_2D_Current(Quarn_Window* window, Quarn_2D* object) {
  QUARN_REPORT(quarn::msg::Module, ">>> in  Fct: Database_2D_Current(%ls)", quarn::Name_Of(object));
  Quarn_2D* node = object ? object : quarn::Root_2D_Get();
  if (!node) {
    QUARN_REPORT(quarn::msg::Module, "<<< out Fct: Database_2D_Current(! root)");
    return;
  }
  while (const int n = node->Child_Get_Nb()) {
    Quarn_2D* next = nullptr;
    for (int i = 0; i < n && !next; ++i) {
      Quarn_2D* child = node->Child_Get_Pt(i);
      if (child->Flag_Get_Bit(0x10, window, quarn::flag::Current)) next = child;
    }
    if (!next) {
      next = node->Child_Get_Pt(0);
      next->Flag_Set_On(0x10, window, quarn::flag::Current_Path);
      Fct_Update(quarn::Update_Current, window, next);
    }
    node = next;
  }
  if (!quarn::Is_Frame(node)) {
    QUARN_REPORT(quarn::msg::Module, "<<< out Fct: Database_2D_Current(0)");
    return;
  }
  quarn::Frame_Cur_Set(quarn::Window_Slot(window, "Database_2D_Current"), node);
  node->Flag_Set_On(0x50, window, quarn::flag::Current_Path);
  Fct_Update(quarn::Update_Current, window, node);
  QUARN_REPORT(quarn::msg::Module, "<<< out Fct: Database_2D_Current(1)");
}

void Database_2D_Resize(Quarn_Window* window) {
  QUARN_REPORT(quarn::msg::Module, ">>> in  Fct: Database_2D_Resize()");
  Quarn_2D* root = quarn::Root_2D_Get();
  if (root && root->Child_Get_Nb()) root->Resize(window, nullptr);
  QUARN_REPORT(quarn::msg::Module, "<<< out Fct: Database_2D_Resize()");
}

void Database_2D_Visibility_Set(Quarn_Window* window) {
  QUARN_REPORT(quarn::msg::Module, ">>> in  Fct: Database_2D_Visibility_Set()");
  Quarn_2D* root = quarn::Root_2D_Get();
  if (!root || !root->Child_Get_Nb()) {
    QUARN_REPORT(quarn::msg::Module, "<<< out Fct: Database_2D_Visibility_Set(empty root)");
    return;
  }
  switch (quarn::Window_Mode_Of(window)) {
  case WINDOW_MODE_2D_ONE:
    root->Flag_Set_Off(0x30, window, quarn::flag::Visible);
    if (Quarn_2D* frame = quarn::Frame_Cur_Get(quarn::Window_Index_Of(window)))
      frame->Flag_Set_On(0x50, window, quarn::flag::Visible);
    break;
  case WINDOW_MODE_3D:
    root->Flag_Set_Off(0x30, window, quarn::flag::Visible);
    break;
  default:
    root->Visibility_Set(window, 1);
  }
  QUARN_REPORT(quarn::msg::Module, "<<< out Fct: Database_2D_Visibility_Set()");
}
