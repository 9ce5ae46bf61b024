// Execution of statement trees: loops, conditions, lines, and one statement's dispatch.
#include "script/Script_Internal.h"

#include <quarn/script/Script_Args.h>
#include <quarn/script/Script_Error.h>
#include <quarn/script/Script_Reader.h>
#include <quarn/script/Script_Vars.h>

#include "script/Script_Limits.h"
#include "script/Script_Text.h"

#include "core/Check.h"
#include "core/Trace.h"

#include <hostkit/HostUtil.h>

#include <cstdlib>
#include <cwchar>

namespace quarn::script {
namespace {

// Current command prefix, kept from statement to statement.
wchar_t Script_Key[SCRIPT_KEY_SIZE] = L"";

// A copied list that releases itself.
struct Owned_Args {
  int n = 0;
  wchar_t** v = nullptr;
  ~Owned_Args() { Args_Free(&n, &v); }
};

// Loop values with array variables expanded in place, last to first.
bool Loop_Values(const W_Script_Statements* b, Owned_Args& values) {
  if (Script_Args_Insert_Copy(&values.n, &values.v, 0, b->for_nb_arg, b->for_pt_arg) != b->for_nb_arg)
    return false;
  for (int i = values.n - 1; i >= 0; --i) {
    int count = 0;
    wchar_t** texts = Variable_Replacement(values.v[i], &count);
    if (count >= 1) Args_Replace(&values.n, &values.v, i, 1, texts, count);
    std::free(texts);
  }
  return true;
}

int Execute_Loop(W_Script_Statements* b) {
  Owned_Args values;
  if (!Loop_Values(b, values)) return 0;
  for (int i = 0; i < values.n; ++i) {
    if (!Variable_Assignment(b->for_var, 1, &values.v[i])) return 0;
    if (!W_Script_Macro_Execute_2(b)) return 0;
  }
  return 1;
}

int Execute_Test(W_Script_Statements* b) {
  Owned_Args tokens;
  if (Script_Args_Insert_Copy(&tokens.n, &tokens.v, 0, b->if_nb_arg, b->if_pt_arg) != b->if_nb_arg)
    return 0;
  Variable_Evaluate(&tokens.n, &tokens.v, 0, tokens.n);
  if (tokens.n == 0) {
    Report_Located(L"the test of \"if\" has no value");
    return 0;
  }
  if (Text_Begins(tokens.v[0], L'0')) return b->else_branch ? W_Script_Macro_Execute(b->else_branch) : 1;
  return W_Script_Macro_Execute_2(b);
}

// Executes one stored line: a copy of it, with a leading module word taken as its prefix.
int Execute_Line(const W_Script_Statements* b, int line) {
  Owned_Args args;
  const int na = b->nb_arg[line];
  if (na > 0 && Script_Args_Insert_Copy(&args.n, &args.v, 0, na, b->pt_arg[line]) != na) return 0;
  wchar_t* key = nullptr;
  if (!Text_Dup(b->key[line], &key, "pt_key")) return 0;
  if (!key && args.n > 0 && Text_Ends(args.v[0], L':')) {
    key = args.v[0];
    args.v[0] = nullptr;
    Script_Args_Remove(&args.n, &args.v, 0, 1);
    Host_Str_To_Lower(key);
  }
  const int result = Script_Read_Analyze(key, &args.n, &args.v);
  std::free(key);
  return result;
}

// Takes the statement's prefix, or a leading module word, as the current prefix.
bool Key_Update(const wchar_t* prefix, int* n, wchar_t*** args) {
  const wchar_t* key = prefix && *prefix ? prefix : nullptr;
  const bool from_args = !key && *n > 0 && Text_Ends((*args)[0], L':');
  if (from_args) key = (*args)[0];
  if (key) {
    if (!Limit_Check("command prefix", long(std::wcslen(key)), SCRIPT_KEY_SIZE - 1)) return false;
    std::wcscpy(Script_Key, key);
  }
  if (from_args) Script_Args_Remove(n, args, 0, 1);
  Host_Str_To_Lower(Script_Key);
  return true;
}

}  // namespace

int Root_Run() {
  // The finished tree moves to a record of its own, leaving the reading root free.
  auto* tree = static_cast<W_Script_Statements*>(std::calloc(1, sizeof(W_Script_Statements)));
  if (!tree) {
    QUARN_MEMORY_ERROR("calloc", "W_Root_Branch", 1, sizeof(W_Script_Statements));
    W_Script_Macro_Free(&W_Root_Branch);
    return 0;
  }
  *tree = W_Root_Branch;
  tree->parent = nullptr;
  for (int i = 0; i < tree->nb_lines; ++i)
    if (tree->child[i]) tree->child[i]->parent = tree;
  const W_Script_Statements flags = W_Root_Branch;
  W_Root_Branch = W_Script_Statements{};
  W_Root_Branch.is_root = flags.is_root;
  W_Root_Branch.is_immediate = flags.is_immediate;
  const int result = W_Script_Macro_Execute(tree);
  Tree_Delete(tree);
  return result;
}

}  // namespace quarn::script

using namespace quarn::script;

int W_Script_Macro_Execute(W_Script_Statements* branch) {
  if (!branch) return 0;
  const bool root = !branch->parent;
  if (root && !Tree_Run_Enter(branch)) return 0;
  int result;
  if (branch->for_nb_arg > 0) result = Execute_Loop(branch);
  else if (branch->if_nb_arg > 0) result = Execute_Test(branch);
  else result = W_Script_Macro_Execute_2(branch);
  if (root) Tree_Run_Leave(branch);
  return result;
}

int W_Script_Macro_Execute_2(W_Script_Statements* branch) {
  if (!branch) return 0;
  // Indexed afresh each time: a statement may add lines to a macro that is still being defined.
  for (int i = 0; i < branch->nb_lines; ++i) {
    if (W_Script_Statements* child = branch->child[i]) {
      if (!W_Script_Macro_Execute(child)) return 0;
      continue;
    }
    if (!branch->key[i] && branch->nb_arg[i] == 0) continue;
    if (!Execute_Line(branch, i)) return 0;
  }
  return 1;
}

int Script_Read_Analyze(const wchar_t* prefix, int* n, wchar_t*** args) {
  if (!n || !args) return 0;
  Script_Stool(int(quarn::msg::Script_File), L">>> in  Fct: Script_Read_Analyze()", prefix, *n, *args);
  wchar_t** a = *args;
  if (*n >= 2 && Text_Begins(a[0], L'$') && Text_Begins(a[1], L'=')) {
    if (Variable_Evaluate(n, args, 0, *n) > 0) return 1;
    Script_Error("in variable assignement", *n, *args);
    return 0;
  }
  if (*n >= 2 && Text_Begins(a[0], L'@') && Text_Begins(a[1], L'=')) {
    Macro_Define(prefix, n, args);
    return 1;
  }
  Variable_Evaluate(n, args, 0, *n);
  if (!Key_Update(prefix, n, args)) return 0;
  if (Script_Args_Join_Signs(n, args) < 0) {
    Script_Error(prefix ? prefix : L"", *n, *args);
    return 0;
  }
  Script_Dispatch_Fct dispatch = Fct_Script_Dispatch;
  return dispatch ? dispatch(Script_Key, n, args) : 1;
}
