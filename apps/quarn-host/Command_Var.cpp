// "var:" prints variables: the script's table, chosen names, or the host's own variables.
#include "Host_Command.h"

#include <quarn/quarn.h>

#include <cwchar>

namespace {

void Print_Record(const Script_Vars& var) {
  std::wstring line = var.name;
  line += (var.flags & SCRIPT_VAR_HOST) ? L" (host) =" : L" =";
  for (int i = 0; i < var.count; ++i) {
    line += L' ';
    line += var.value[i] ? var.value[i] : L"\"\"";
  }
  Host_Print(line.c_str());
}

int List() {
  for (int i = 0; i < Variable_Nb; ++i) Print_Record(Variable_Pt[i]);
  return 1;
}

int Show(int n, wchar_t** names) {
  int result = 1;
  for (int i = 0; i < n; ++i) {
    std::wstring name = names[i] ? names[i] : L"";
    if (name.empty() || name[0] != L'$') name = L"$" + name;
    int count = 0;
    wchar_t** values = Variable_Replacement(name.c_str(), &count);
    if (!values) result = 0;
    for (int k = 0; k < count; ++k) std::free(values[k]);
    std::free(values);
    const int at = Variable_Search(name.c_str(), 0, Variable_Nb - 1);
    if (at >= 0 && count > 0) Print_Record(Variable_Pt[at]);
  }
  return result;
}

int Host_Variables() {
  for (int i = 0; i < Host_Var_Count(); ++i) {
    const wchar_t* name = Host_Var_Name(i);
    if (name) Host_Print((std::wstring(name) + L" = " + Host_Expand(name)).c_str());
  }
  return 1;
}

int Var(int* nb_arg, wchar_t*** pt_arg) {
  const wchar_t* what = *nb_arg > 0 && (*pt_arg)[0] ? (*pt_arg)[0] : L"list";
  if (std::wcscmp(what, L"list") == 0) return Script_Arg_Check_Range(L"var: list", *nb_arg, 0, 1) && List();
  if (std::wcscmp(what, L"show") == 0) return Show(*nb_arg - 1, *pt_arg + 1);
  if (std::wcscmp(what, L"host") == 0) return Script_Arg_Check(L"var: host", *nb_arg, 1) && Host_Variables();
  if (std::wcscmp(what, L"clear") == 0) return Script_Arg_Check(L"var: clear", *nb_arg, 1) && Variable_Cleanup();
  Script_Arg_Error(1, "list, show, host or clear");
  return 0;
}

const Host_Command_Registration registration(
    {L"var:", Var, L"var: list | show $a... | host | clear   prints or clears variables", false});

}  // namespace
