// The sorted variable table: search, entry of host variables, assignment and cleanup.
#include "script/Variable_Internal.h"

#include <quarn/script/Host_Variable.h>
#include <quarn/script/Script_Args.h>

#include "script/Script_Text.h"

#include "core/Check.h"
#include "core/Trace.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

int Variable_Nb = 0;
Script_Vars* Variable_Pt = nullptr;

namespace quarn::script {
namespace {

// Position where name belongs in the sorted table.
int Lower_Bound(const wchar_t* name) {
  int lo = 0, hi = Variable_Nb;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (std::wcscmp(Variable_Pt[mid].name, name) < 0) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

// Enters a record at its sorted place; the table takes the record's owned fields. -1 when out
// of memory (the record's fields are then released).
int Insert_Record(const Script_Vars& record) {
  auto* grown = static_cast<Script_Vars*>(
      std::realloc(Variable_Pt, size_t(Variable_Nb + 1) * sizeof(Script_Vars)));
  if (!grown) {
    QUARN_MEMORY_ERROR("realloc", "Variable_Pt", Variable_Nb + 1, sizeof(Script_Vars));
    int n = record.count;
    wchar_t** value = record.value;
    Args_Free(&n, &value);
    std::free(record.name);
    return -1;
  }
  Variable_Pt = grown;
  int at = Lower_Bound(record.name);
  std::memmove(Variable_Pt + at + 1, Variable_Pt + at, size_t(Variable_Nb - at) * sizeof(Script_Vars));
  Variable_Pt[at] = record;
  ++Variable_Nb;
  return at;
}

// A copy of n texts (empty ones as null) in a new array; false when out of memory.
bool Copy_Values(int n, wchar_t* const* texts, int* count, wchar_t*** value) {
  *count = 0;
  *value = nullptr;
  return n <= 0 || Script_Args_Insert_Copy(count, value, 0, n, texts) == n;
}

[[gnu::cold]] void Report_Bad_Name(const wchar_t* name) {
  QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" bad syntax for \"" SCRIPT_HI_W L"%ls" SCRIPT_LO_W L"\"",
               name ? name : L"");
  QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"Variable name must start with \"$\"");
}

[[gnu::cold]] void Report_Index_Range(int index, int count) {
  QUARN_REPORT(msg::Notice, SCRIPT_WARNING_W L" Index out of range (%d /vs/ 0 to %d)", index, count - 1);
}

// Replaces every value of a script variable.
Script_Vars* Assign_All(int at, int n, wchar_t* const* texts) {
  int count;
  wchar_t** value;
  if (!Copy_Values(n, texts, &count, &value)) return nullptr;
  Script_Vars& var = Variable_Pt[at];
  int old = var.count;
  Args_Free(&old, &var.value);
  var.value = value;
  var.count = count;
  var.index = -1;
  var.flags |= SCRIPT_VAR_SCRIPT;
  return &var;
}

// Replaces one value of a script variable.
Script_Vars* Assign_Element(int at, int index, int n, wchar_t* const* texts) {
  Script_Vars& var = Variable_Pt[at];
  if (index < 0 || index >= var.count) {
    Report_Index_Range(index, var.count);
    return nullptr;
  }
  wchar_t* copy;
  if (!Text_Dup(n > 0 ? texts[0] : nullptr, &copy, "cur_var->value[index]")) return nullptr;
  std::free(var.value[index]);
  var.value[index] = copy;
  var.index = int16_t(index < 0x7FFF ? index : 0x7FFF);
  var.flags |= SCRIPT_VAR_SCRIPT;
  return &var;
}

// A new script variable; with an index it is made long enough to hold that element.
Script_Vars* Assign_New(const Var_Ref& ref, int n, wchar_t* const* texts) {
  QUARN_REPORT(msg::Platform, L"New variable: " SCRIPT_HI_W L"%ls" SCRIPT_LO_W, ref.name);
  Script_Vars record{};
  if (!Text_Dup(ref.name, &record.name, "var->name")) return nullptr;
  record.flags = SCRIPT_VAR_SCRIPT;
  record.index = -1;
  bool ok;
  if (ref.has_index) {
    ok = ref.index >= 0 && Limit_Check("variable index", ref.index, VARIABLE_VALUES_MAX - 1);
    if (ok) {
      ok = Script_Args_Insert(&record.count, &record.value, 0, ref.index + 1, nullptr) == ref.index + 1;
      if (ok) ok = Text_Dup(n > 0 ? texts[0] : nullptr, &record.value[ref.index], "var->value[k]");
      record.index = int16_t(ref.index < 0x7FFF ? ref.index : 0x7FFF);
    } else if (ref.index < 0) {
      Report_Index_Range(ref.index, 0);
    }
  } else {
    ok = Copy_Values(n, texts, &record.count, &record.value);
  }
  if (!ok) {
    Args_Free(&record.count, &record.value);
    std::free(record.name);
    return nullptr;
  }
  int at = Insert_Record(record);
  return at < 0 ? nullptr : &Variable_Pt[at];
}

Script_Vars* Assign_Host(int at, const Var_Ref& ref, int n, wchar_t* const* texts) {
  Script_Vars* var = &Variable_Pt[at];
  if (var->flags & VARIABLE_PROGRAM) {
    QUARN_REPORT(msg::Notice, SCRIPT_WARNING_W L" Unlisted variable!");
    QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"%ls can only be access by the program", var->name);
    return nullptr;
  }
  return Variable_Host_Write(var, ref.has_index ? ref.index : -1, n, texts) ? var : nullptr;
}

}  // namespace

int Variable_Find(const wchar_t* name) {
  int at = Variable_Search(name, 0, Variable_Nb - 1);
  if (at >= 0 || !Fct_Main_Var_Get) return at;
  // A host variable enters the table the first time a script names it.
  int count = 0;
  uint16_t flags = 0;
  if (!Fct_Variable_Get(name, &count, &flags, nullptr, 1)) return -1;
  Script_Vars record{};
  if (!Text_Dup(name, &record.name, "var->name")) return -1;
  record.flags = uint16_t(flags | SCRIPT_VAR_HOST);
  record.index = -1;
  return Insert_Record(record);
}

}  // namespace quarn::script

using namespace quarn::script;

int Variable_Search(const wchar_t* name, int first, int last) {
  if (!name || !Variable_Pt) return -1;
  if (first < 0) first = 0;
  if (last >= Variable_Nb) last = Variable_Nb - 1;
  while (first <= last) {
    int mid = first + (last - first) / 2;
    int c = std::wcscmp(Variable_Pt[mid].name, name);
    if (c == 0) return mid;
    if (c < 0) first = mid + 1;
    else last = mid - 1;
  }
  return -1;
}

Script_Vars* Variable_Assignment(const wchar_t* name, int n, wchar_t* const* texts) {
  QUARN_REPORT(quarn::msg::Variable, L">>> in  Fct: Variable_Assignment(%ls)", name ? name : L"null");
  if (!name || name[0] != L'$') {
    Report_Bad_Name(name);
    return nullptr;
  }
  Var_Ref ref;
  if (!Var_Ref_Parse(name, std::wcslen(name), &ref)) return nullptr;
  if (ref.has_index && ref.index < 0) {
    Report_Index_Range(ref.index, 0);
    return nullptr;
  }
  int at = Variable_Find(ref.name);
  Script_Vars* var;
  if (at < 0) var = Assign_New(ref, n, texts);
  else if (Variable_Pt[at].flags & SCRIPT_VAR_HOST) var = Assign_Host(at, ref, n, texts);
  else if (ref.has_index) var = Assign_Element(at, ref.index, n, texts);
  else var = Assign_All(at, n, texts);
  QUARN_REPORT(quarn::msg::Variable, var ? "<<< out Fct: Variable_Assignment()"
                                         : "<<< out Fct: Variable_Assignment(failed)");
  return var;
}

int Variable_Cleanup() {
  QUARN_REPORT(quarn::msg::Variable, ">>> in  Fct: Variable_Cleanup()");
  for (int i = 0; i < Variable_Nb; ++i) {
    Args_Free(&Variable_Pt[i].count, &Variable_Pt[i].value);
    std::free(Variable_Pt[i].name);
  }
  std::free(Variable_Pt);
  Variable_Pt = nullptr;
  Variable_Nb = 0;
  QUARN_REPORT(quarn::msg::Variable, "<<< out Fct: Variable_Cleanup()");
  return 1;
}
