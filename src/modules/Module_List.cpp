// The module lists: modules loaded into named groups with order numbers, and sorted by them.
#include <quarn/modules/Module_Registry.h>

#include "core/Trace.h"
#include "modules/Module_Arrays.h"

#include <cwchar>
#include <wchar.h>
#include <cwctype>

using namespace quarn;
using quarn::modules::Resize;

namespace {

constexpr uint32_t Trace_Class = msg::Database;

// The order numbers of the modules of each group, parallel to the group lists, from loading to
// sorting (main thread only).
uint16_t** g_order = nullptr;
uint16_t g_order_groups = 0;

const wchar_t* Name_Of(const Module_Functions* module) {
  const wchar_t* name = module && module->name ? module->name(0) : nullptr;
  return name ? name : L"";
}

bool Same_Group(const wchar_t* a, const wchar_t* b) { return ::wcscasecmp(a ? a : L"", b ? b : L"") == 0; }

/// What a group text says: the group name (in the caller's buffer) and the order number.
struct Group_Text {
  wchar_t buffer[MODULE_GROUP_TEXT_MAX + 1] = {};
  size_t name_at = 0;  // an offset, not a pointer: the record is returned by value
  uint16_t order = 0;
  bool listed = true;
  const wchar_t* name() const { return buffer + name_at; }
};

// A text without a blank, read with skip_prefix, is taken whole: it has no prefix to drop.
Group_Text Parse(const Module_Functions* module, bool skip_prefix) {
  Group_Text g;
  const wchar_t* text = module && module->group ? module->group() : nullptr;
  if (text && std::wcslen(text) > size_t(MODULE_GROUP_TEXT_MAX))
    QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 group text of %ls is longer than %d characters; cut",
                 Name_Of(module), MODULE_GROUP_TEXT_MAX);
  std::wcsncpy(g.buffer, text ? text : L"", MODULE_GROUP_TEXT_MAX);
  if (g.buffer[0] == L'*') return g.listed = false, g;
  wchar_t* name = g.buffer;
  if (skip_prefix)
    if (wchar_t* blank = std::wcschr(name, L' ')) name = blank + 1;
  wchar_t* colon = std::wcschr(name, L':');
  const wchar_t* number = name;
  if (colon) *colon = L'\0', number = colon + 1;
  const long order = std::wcstol(number, nullptr, 10);
  g.order = uint16_t(order < 0 ? 0 : order > UINT16_MAX ? UINT16_MAX : order);
  g.name_at = size_t(name - g.buffer);
  return g;
}

// Appends an empty group named name (null when empty); its index, or -1 after a reported failure.
int Group_Add(const wchar_t* name, uint16_t* nb_group, uint16_t** counts, wchar_t*** names,
              Module_Functions**** modules) {
  const size_t n = *nb_group + size_t(1);
  if (n > UINT16_MAX || !Resize(*names, n, "*List_Grp_Names") || !Resize(*counts, n, "*List_Grp_Nb") ||
      !Resize(*modules, n, "*List_Grp_Pt") || !Resize(g_order, n, "list_grp_id"))
    return -1;
  const int id = *nb_group;
  (*names)[id] = *name ? wcsdup(name) : nullptr;
  (*counts)[id] = 0;
  (*modules)[id] = nullptr;
  g_order[id] = nullptr;
  if (*name && !(*names)[id]) Memory_Error(modules::Source_Name, __LINE__, "_wcsdup", "(*List_Grp_Names)[grp_id]", 1, 1);
  *nb_group = g_order_groups = uint16_t(n);
  return id;
}

bool Module_Add(int id, Module_Functions* module, uint16_t order, uint16_t* counts, Module_Functions*** modules) {
  const size_t n = counts[id] + size_t(1);
  if (!Resize(modules[id], n, "(*List_Grp_Pt)[grp_id]") || !Resize(g_order[id], n, "list_grp_id[grp_id]"))
    return false;
  modules[id][n - 1] = module;
  g_order[id][n - 1] = order;
  counts[id] = uint16_t(n);
  return true;
}

uint16_t Order(int group, int item) { return group < g_order_groups && g_order && g_order[group] ? g_order[group][item] : 0; }

template <class T>
void Swap(T& a, T& b) {
  T t = a;
  a = b;
  b = t;
}

void Order_Release() {
  for (int g = 0; g < g_order_groups && g_order; ++g) std::free(g_order[g]);
  std::free(g_order);
  g_order = nullptr;
  g_order_groups = 0;
}

}  // namespace

int Fct_Module_List_Load(uint8_t skip_prefix, uint32_t nb_module, Module_Functions** modules, uint16_t* nb_group,
                         uint16_t** group_count, wchar_t*** group_name, Module_Functions**** group_module) {
  QUARN_REPORT(Trace_Class, ">>> in  Fct: Fct_Module_List_Load(%u modules)", nb_module);
  if (!nb_group || !group_count || !group_name || !group_module || (nb_module && !modules)) {
    QUARN_REPORT(msg::Invalid, "Fct_Module_List_Load: missing list");
    return 0;
  }
  // Lists loaded before this library kept order numbers: the new groups line up after them.
  if (g_order_groups != *nb_group && !Resize(g_order, *nb_group, "list_grp_id")) return 0;
  for (int g = g_order_groups; g < *nb_group; ++g) g_order[g] = nullptr;
  g_order_groups = *nb_group;
  for (uint32_t i = 0; i < nb_module; ++i) {
    Module_Functions* module = modules[i];
    const Group_Text text = Parse(module, skip_prefix != 0);
    QUARN_REPORT(Trace_Class, "-> Fct_Module_List_Load: Load item[%d] -> %ls (%ls)", int(i), Name_Of(module),
                 text.buffer);
    if (!text.listed) continue;
    int id = -1;
    for (int g = 0; g < *nb_group && id < 0; ++g)
      if (Same_Group((*group_name)[g], text.name())) id = g;
    if (id < 0) id = Group_Add(text.name(), nb_group, group_count, group_name, group_module);
    if (id < 0 || !Module_Add(id, module, text.order, *group_count, *group_module)) return 0;
  }
  QUARN_REPORT(Trace_Class, "<<< out Fct: Fct_Module_List_Load()");
  return *nb_group;
}

int Fct_Module_List_Sort(uint16_t nb_group, uint16_t* group_count, wchar_t** group_name,
                         Module_Functions*** group_module) {
  QUARN_REPORT(Trace_Class, ">>> in  Fct: Fct_Module_List_Sort(%d groups)", int(nb_group));
  auto first = [&](int g) { return group_count[g] ? Order(g, 0) : uint16_t(0); };
  for (int i = 1; i < nb_group; ++i)
    for (int j = i; j < nb_group; ++j) {
      if (first(i - 1) <= first(j)) continue;
      Swap(group_count[i - 1], group_count[j]);
      Swap(group_name[i - 1], group_name[j]);
      Swap(group_module[i - 1], group_module[j]);
      if (g_order && i - 1 < g_order_groups && j < g_order_groups) Swap(g_order[i - 1], g_order[j]);
    }
  for (int g = 0; g < nb_group; ++g)
    for (int a = 0; a < group_count[g]; ++a)
      for (int b = a + 1; b < group_count[g]; ++b) {
        if (Order(g, a) <= Order(g, b)) continue;
        Swap(group_module[g][a], group_module[g][b]);
        Swap(g_order[g][a], g_order[g][b]);
      }
  Order_Release();
  for (int g = 0; g < nb_group; ++g) {
    QUARN_REPORT(Trace_Class, "-> Fct_Module_List_Sort: group[%d] = %ls", g, group_name[g] ? group_name[g] : L"");
    for (int m = 0; m < group_count[g]; ++m)
      QUARN_REPORT(Trace_Class, "-> Fct_Module_List_Sort:    item[%d] = %ls", m, Name_Of(group_module[g][m]));
  }
  QUARN_REPORT(Trace_Class, "<<< out Fct: Fct_Module_List_Sort()");
  return 1;
}

int Fct_Module_List_Cleanup(uint16_t* nb_group, uint16_t** group_count, wchar_t*** group_name,
                            Module_Functions**** group_module) {
  QUARN_REPORT(Trace_Class, ">>> in  Fct: Fct_Module_List_Cleanup()");
  if (nb_group && group_name && group_module)
    for (int g = 0; g < *nb_group; ++g) {
      if (*group_name) std::free((*group_name)[g]);
      if (*group_module) std::free((*group_module)[g]);
    }
  if (group_name) std::free(*group_name), *group_name = nullptr;
  if (group_module) std::free(*group_module), *group_module = nullptr;
  if (group_count) std::free(*group_count), *group_count = nullptr;
  if (nb_group) *nb_group = 0;
  Order_Release();
  QUARN_REPORT(Trace_Class, "<<< out Fct: Fct_Module_List_Cleanup()");
  return 1;
}
