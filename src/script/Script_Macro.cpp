// The macro table: 80 named slots, definition in its three forms, lookup, commands, cleanup.
#include <quarn/script/Script_Macro.h>

#include <quarn/script/Script_Args.h>
#include <quarn/script/Script_Error.h>
#include <quarn/script/Script_Reader.h>

#include "script/Script_Internal.h"
#include "script/Script_Limits.h"
#include "script/Script_Text.h"

#include "core/Check.h"
#include "core/Trace.h"

#include <hostkit/HostUtil.h>

#include <cstdlib>
#include <cwchar>

namespace quarn::script {
namespace {

// Slots fill from the first; the first empty name ends the table. A name keeps its slot for
// the life of the process, its record may be released.
wchar_t W_Macro_Name[MAX_SCRIPT_MACRO][MACRO_NAME_SIZE];
W_Script_Statements* W_Macro_Value[MAX_SCRIPT_MACRO];

// The slot holding name, the first free slot, or -1 when all hold other names.
int Slot_For(const wchar_t* name) {
  for (int i = 0; i < MAX_SCRIPT_MACRO; ++i)
    if (!W_Macro_Name[i][0] || std::wcscmp(W_Macro_Name[i], name) == 0) return i;
  return -1;
}

int Slot_Of(const wchar_t* name) {
  for (int i = 0; i < MAX_SCRIPT_MACRO && W_Macro_Name[i][0]; ++i)
    if (std::wcscmp(W_Macro_Name[i], name) == 0) return i;
  return -1;
}

[[gnu::cold]] void Report_Bad_Name(const wchar_t* name) {
  QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" bad syntax for \"" SCRIPT_HI_W L"%ls" SCRIPT_LO_W L"\"",
               name ? name : L"");
  QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"variable name must start with \"@\"");
}

void Print_Help() {
  QUARN_REPORT(msg::Notice, SCRIPT_HI_W L"------ Macro commands -------------" SCRIPT_LO_W);
  QUARN_REPORT(msg::Notice, L"Macro: " SCRIPT_HI_W L"list" SCRIPT_LO_W);
  QUARN_REPORT(msg::Notice, L"Macro: " SCRIPT_HI_W L"print" SCRIPT_LO_W L" macro_name");
}

}  // namespace

void Macro_Define(const wchar_t* prefix, int* n, wchar_t*** args) {
  W_Script_Statements* record = W_Script_Macro_Assignment((*args)[0]);
  if (!record) return;
  record->is_definition = 1;
  Script_Args_Remove(n, args, 0, 2);
  if (*n == 0 && !(prefix && *prefix)) {
    // "@name =" alone: the next statement, usually a "{" block, is the content.
    record->is_root = 1;
    W_Cur_Branch = record;
    return;
  }
  W_Tree_Error = false;
  W_Script_Statements* done = Script_Read_Line_2(record, prefix, *n, *args);
  if (done && done != record) done->is_call = 0;  // a call inside a definition is not run
  if (done || W_Tree_Error) {
    // Complete (or refused): reading returns to the top level.
    record->is_definition = 0;
    W_Cur_Branch = nullptr;
  }
}

}  // namespace quarn::script

using namespace quarn::script;

W_Script_Statements* W_Script_Macro_Replacement(const wchar_t* name) {
  if (!name) return nullptr;
  const int slot = Slot_Of(name);
  QUARN_REPORT(quarn::msg::Script_File, L"<<< out Fct: W_Script_Macro_Replacement(%ls at pos=%d)", name, slot);
  return slot >= 0 ? W_Macro_Value[slot] : nullptr;
}

W_Script_Statements* W_Script_Macro_Assignment(const wchar_t* name) {
  if (!name || name[0] != L'@') {
    Report_Bad_Name(name);
    return nullptr;
  }
  if (!Limit_Check("macro name", long(std::wcslen(name)), MACRO_NAME_SIZE - 1)) return nullptr;
  const int slot = Slot_For(name);
  if (slot < 0) {
    QUARN_REPORT(quarn::msg::Notice, SCRIPT_WARNING_W L" to many user macros (max=%d)", MAX_SCRIPT_MACRO);
    return nullptr;
  }
  auto* record = static_cast<W_Script_Statements*>(std::calloc(1, sizeof(W_Script_Statements)));
  if (!record) {
    QUARN_MEMORY_ERROR("calloc", "W_Macro_Value[i]", 1, sizeof(W_Script_Statements));
    return nullptr;
  }
  std::wcscpy(W_Macro_Name[slot], name);
  Tree_Delete(W_Macro_Value[slot]);  // a macro being executed is released when it ends
  W_Macro_Value[slot] = record;
  QUARN_REPORT(quarn::msg::Script_File, "<<< out Fct: W_Script_Macro_Assignment(pos=%d)", slot);
  return record;
}

void W_Script_Macro_List() {
  int number = 0;
  for (int i = 0; i < MAX_SCRIPT_MACRO && W_Macro_Name[i][0]; ++i)
    if (W_Macro_Value[i])
      QUARN_REPORT(quarn::msg::Notice, L"[%d] " SCRIPT_HI_W L"%ls" SCRIPT_LO_W, ++number, W_Macro_Name[i]);
}

int W_Script_Macro_Print2(const wchar_t* name) {
  const int slot = name ? Slot_Of(name) : -1;
  if (slot < 0)
    QUARN_REPORT(quarn::msg::Notice, SCRIPT_ERROR_W L" macro " SCRIPT_HI_W L"%ls" SCRIPT_LO_W L" is undefined",
                 name ? name : L"");
  W_Script_Statements* tree = slot >= 0 ? W_Macro_Value[slot] : nullptr;
  if (!tree) {
    QUARN_REPORT(quarn::msg::Notice, L"Unknown macro");
    return 1;
  }
  W_Script_Macro_Stool(int(quarn::msg::Notice), tree, 0);
  return 1;
}

int W_Script_Macro_Script_Read(int nb_arg, wchar_t** pt_arg) {
  const wchar_t* first = nb_arg > 0 ? pt_arg[0] : nullptr;
  if (!first || std::wcsncmp(first, L"hel", 3) == 0 || std::wcscmp(first, L"?") == 0) {
    Print_Help();
    return 0;
  }
  Host_Str_To_Lower(pt_arg[0]);
  if (std::wcscmp(first, L"list") == 0) {
    if (Script_Arg_Check("Macro: list", nb_arg, 1)) W_Script_Macro_List();
    return 1;
  }
  if (std::wcscmp(first, L"print") == 0) {
    if (Script_Arg_Check("Macro: print macro_name", nb_arg, 2)) W_Script_Macro_Print2(pt_arg[1]);
    return 1;
  }
  return 0;
}

void W_Script_Macro_Cleanup() {
  QUARN_REPORT(quarn::msg::Script_File, ">>> in  Fct: W_Script_Macro_Cleanup()");
  for (int i = 0; i < MAX_SCRIPT_MACRO && W_Macro_Name[i][0]; ++i) {
    Tree_Delete(W_Macro_Value[i]);
    W_Macro_Value[i] = nullptr;
  }
  QUARN_REPORT(quarn::msg::Script_File, "<<< out Fct: W_Script_Macro_Cleanup()");
}
