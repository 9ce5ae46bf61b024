// The list of active modules: the ones the user has open, each once, in the order opened.
#include <quarn/modules/Module_Registry.h>

#include "core/Trace.h"
#include "modules/Module_Arrays.h"

using namespace quarn;
using quarn::modules::Resize;

namespace {

// Main thread only, as every registry call.
Module_Functions** g_active = nullptr;
uint32_t g_active_nb = 0;

int Find(const Module_Functions* module) {
  for (uint32_t i = 0; i < g_active_nb; ++i)
    if (g_active[i] == module) return int(i);
  return -1;
}

}  // namespace

int Fct_Module_Active_Add(Module_Functions* module) {
  if (Find(module) >= 0) return 1;
  if (!Resize(g_active, g_active_nb + size_t(1), "List_Active_Pt")) return 0;
  g_active[g_active_nb++] = module;
  return 1;
}

int Fct_Module_Active_Del(Module_Functions* module) {
  const int at = Find(module);
  if (at < 0) return 1;
  for (uint32_t i = uint32_t(at) + 1; i < g_active_nb; ++i) g_active[i - 1] = g_active[i];
  // Shrinking cannot fail but for an allocator that says so: the list then keeps its old size.
  if (!Resize(g_active, g_active_nb - size_t(1), "List_Active_Pt")) return 0;
  --g_active_nb;
  return 1;
}

uint32_t Fct_Module_Active_Nb() { return g_active_nb; }

Module_Functions* Fct_Module_Active_Pt(int i) {
  if (i < 0 || uint32_t(i) >= g_active_nb) {
    QUARN_REPORT(msg::Invalid, "Fct_Module_Active_Pt: no active module %d (%u active)", i, g_active_nb);
    return nullptr;
  }
  return g_active[i];
}

int Fct_Module_Active_Cleanup() {
  Resize(g_active, 0, "List_Active_Pt");
  g_active_nb = 0;
  return 1;
}
