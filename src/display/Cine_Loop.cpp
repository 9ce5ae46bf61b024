// Cine loops: timers that step a node's current child in a window, and their table.
#include <quarn/display/Window_Change.h>

#include <quarn/classes/Class_Flag.h>
#include <quarn/classes/Quarn_2D.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Update.h>
#include <quarn/interaction/Database_2D.h>

#include "classes/Window_Selector.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "display/Window_Change_Internal.h"
#include "interaction/Database_Vars.h"

#include <platform/PlatformTimer.h>

namespace quarn {
namespace {

/// The node and window of one running loop; guarded like the update state, by the host thread.
struct Loop_Entry {
  Quarn_2D* node = nullptr;
  Quarn_Window* window = nullptr;
};

Loop_Entry g_loops[MAX_LOOP];
constexpr uint16_t Default_Rate = 15;

[[gnu::cold]] void Warn_Full() {
  QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 To many active loops! (max=%d)", MAX_LOOP);
}

[[gnu::cold]] void Warn_Timer() {
  QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 Unable to start loop timer!");
}

[[gnu::cold]] void Warn_Kill(const Quarn_2D* node) {
  QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 Failed to kill timer for %ls!", node->Name_Get());
}

uint32_t Period_Of(const Quarn_2D* node, int index) {
  const uint16_t rate = node->loop_rate[index] ? node->loop_rate[index] : Default_Rate;
  return 1000u / rate;
}

void Tick(Platform_Window*, unsigned id, uint64_t);

/// Switches the window from old to child during a loop and moves the selection along.
void Loop_Switch(Quarn_Window* window, Quarn_2D* child, Quarn_2D* old) {
  if (!child->Parent_Get_Pt()) return (void)Exit_Trace("Loop_Switch", "! parent_new", 0);
  if (!old->Parent_Get_Pt()) return (void)Exit_Trace("Loop_Switch", "! parent_old", 0);
  const int index = Window_Index_Of(window);
  Quarn_2D* previous = Frame_Cur_Get(index);
  const bool frame = Is_Frame(child);
  const bool old_current = old == previous;
  if (!frame) {
    if (Quarn_2D* root = Root_2D_Get()) root->Flag_Set_Off(0x30, window, (quarn::flag::Current | quarn::flag::Highlight));
    Database_2D_Current(window, child);
    Fct_Update(0x200000, nullptr);
  } else {
    old->Flag_Set_Off(0x10, window, quarn::flag::Current);
    child->Flag_Set_On(0x10, window, quarn::flag::Current);
    if (old_current) {
      Frame_Cur_Set(index, child);
      Fct_Update(0x200000, nullptr);
      if (Quarn_2D* root = Root_2D_Get()) root->Flag_Set_Off(0x30, window, 0x7000);
      child->Flag_Set_On(0x50, window, 0x3000);
    }
  }
  if (!frame || old_current) Fct_Update(Update_Current, window);
  if (!Same_Inside(old, child, window)) Fct_Update(0x100000000ull, window);
  else Database_2D_Visibility_Set(window);
  Fct_Redraw(0xFFFE, window);
  const uint16_t mode = window->Class_A_Get();
  if (mode == WINDOW_MODE_3D && previous) previous->Flag_Set_Off(0x50, window, quarn::flag::Selected);
  Selection_Follow_Current(window, previous, mode == WINDOW_MODE_2D_ONE);
  Fct_Update(0x40000, nullptr);
}

void Tick(Platform_Window*, unsigned id, uint64_t) {
  if (id == 0 || id >= unsigned(MAX_LOOP) || !g_loops[id].node) return;
  Quarn_2D* node = g_loops[id].node;
  Quarn_Window* window = g_loops[id].window;
  if (!node->Flag_Get_Bit(0x10, window, CLASS_FLAG_LOOP)) {
    QUARN_REPORT(msg::Low_File, "in TimerProc(id:%d,pt:%08x): ABORT!", int(id),
                 unsigned(reinterpret_cast<uintptr_t>(node)));
    Fct_Loop_Stop(window, node, 0);
    return;
  }
  const int n = node->Child_Get_Nb();
  if (!n) return;
  const int current = node->Child_Get_Cur(window);
  Loop_Switch(window, node->Child_Get_Pt((current + 1) % n), node->Child_Get_Pt(current));
}

int Free_Id() {
  for (int id = 1; id < MAX_LOOP; ++id)
    if (!g_loops[id].node) return id;
  return MAX_LOOP;
}

}  // namespace
}  // namespace quarn

using namespace quarn;

int Fct_Loop_Start(Quarn_Window* window, Quarn_2D* node, unsigned char recurse) {
  QUARN_REPORT(msg::Module, ">>> in  Fct: Fct_Loop_Start(%ls)", Name_Of(node));
  if (!window || !node) return Exit_Trace("Fct_Loop_Start", "! window", 0);
  const int index = Window_Index_Of(window);
  if (index < Window_Max && node->Flag_Get_Bit(0x10, window, CLASS_FLAG_LOOP)) {
    const uint32_t period = Period_Of(node, index);
    if (const unsigned id = unsigned(node->loop_timer[index])) {
      if (Platform_Set_Timer(window->hwnd, id, period, Tick) != id)
        return Exit_Trace("Fct_Loop_Start", "! elem->m_timer", 0);
    } else {
      const int free_id = Free_Id();
      if (free_id == MAX_LOOP) {
        Warn_Full();
        return Exit_Trace("Fct_Loop_Start", "i == MAX_LOOP", 0);
      }
      if (Platform_Set_Timer(window->hwnd, unsigned(free_id), period, Tick) != unsigned(free_id)) {
        Warn_Timer();
        return Exit_Trace("Fct_Loop_Start", "! SetTimer", 0);
      }
      g_loops[free_id] = {node, window};
      node->loop_timer[index] = uint64_t(free_id);
    }
  }
  if (recurse)
    for (int i = 0; i < node->Child_Get_Nb(); ++i)
      if (!Fct_Loop_Start(window, node->Child_Get_Pt(i), recurse))
        return Exit_Trace("Fct_Loop_Start", "! Fct_Loop_Start", 0);
  return Exit_Trace("Fct_Loop_Start", "", 1);
}

int Fct_Loop_Stop(Quarn_Window* window, Quarn_2D* node, unsigned char recurse) {
  QUARN_REPORT(msg::Module, ">>> in  Fct: Fct_Loop_Stop(%ls)", Name_Of(node));
  if (!window || !node) return Exit_Trace("Fct_Loop_Stop", "! window", 0);
  const int index = Window_Index_Of(window);
  if (index < Window_Max) {
    if (const unsigned id = unsigned(node->loop_timer[index])) {
      if (!Platform_Kill_Timer(window->hwnd, id)) {
        Warn_Kill(node);
        return Exit_Trace("Fct_Loop_Stop", "! KillTimer", 0);
      }
      if (id < unsigned(MAX_LOOP)) g_loops[id] = {};
      node->loop_timer[index] = 0;
    }
  }
  if (recurse)
    for (int i = 0; i < node->Child_Get_Nb(); ++i)
      if (!Fct_Loop_Stop(window, node->Child_Get_Pt(i), recurse))
        return Exit_Trace("Fct_Loop_Stop", "! Fct_Loop_Stop", 0);
  return Exit_Trace("Fct_Loop_Stop", "", 1);
}

int Fct_Loop_Count() {
  int count = 0;
  for (const Loop_Entry& e : g_loops) count += e.node != nullptr;
  return count;
}
