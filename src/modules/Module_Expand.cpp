// The expand list of the tool list: which group names are shown open, kept in the host's storage.
#include <quarn/modules/Module_Registry.h>

#include "modules/Module_Arrays.h"

#include <cwchar>

using quarn::modules::Resize;

namespace {

int Find(const wchar_t* name, int nb, wchar_t** names) {
  for (int i = 0; i < nb; ++i)
    if (names[i] && std::wcscmp(names[i], name) == 0) return i;
  return -1;
}

// Appends name with val; false after a reported failure (the lists keep their count).
bool Append(const wchar_t* name, uint8_t val, int* nb, wchar_t*** names, uint8_t** vals) {
  const size_t n = size_t(*nb) + 1;
  if (!Resize(*vals, n, "(*Expand_Val)") || !Resize(*names, n, "(*Expand_Name)")) return false;
  wchar_t* copy = wcsdup(name);
  if (!copy)
    return quarn::Memory_Error(quarn::modules::Source_Name, __LINE__, "_wcsdup", "(*Expand_Name)[(*Expand_Nb)]", 1, 1),
           false;
  (*names)[*nb] = copy;
  (*vals)[*nb] = val;
  *nb = int(n);
  return true;
}

}  // namespace

uint8_t Fct_Module_Expand_Get(const wchar_t* name, int* nb, wchar_t*** names, uint8_t** vals) {
  if (!name || !nb || !names || !vals) return 0;
  const int at = Find(name, *nb, *names);
  if (at >= 0) return (*vals)[at];
  Append(name, 1, nb, names, vals);
  return 0;
}

int Fct_Module_Expand_Set(const wchar_t* name, uint8_t val, int* nb, wchar_t*** names, uint8_t** vals) {
  if (!name || !nb || !names || !vals) return 0;
  const int at = Find(name, *nb, *names);
  if (at < 0) return Append(name, val, nb, names, vals) ? 1 : 0;
  (*vals)[at] = val;
  return 1;
}

void Fct_Module_Expand_Set_All(uint16_t n, wchar_t** names, uint8_t val, int* nb, wchar_t*** list_names,
                               uint8_t** vals) {
  for (uint16_t i = 0; names && i < n; ++i) Fct_Module_Expand_Set(names[i], val, nb, list_names, vals);
}

void Fct_Module_Expand_Cleanup(int* nb, wchar_t*** names, uint8_t** vals) {
  if (nb && names && *names)
    for (int i = 0; i < *nb; ++i) std::free((*names)[i]);
  if (names) Resize(*names, 0, "(*Expand_Name)");
  if (vals) Resize(*vals, 0, "(*Expand_Val)");
  if (nb) *nb = 0;
}
