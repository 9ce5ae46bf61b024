// The tree builder: one statement at a time into blocks, loops, conditions and macro bodies.
#include "script/Script_Internal.h"

#include <quarn/script/Script_Args.h>
#include <quarn/script/Script_Error.h>
#include <quarn/script/Script_Macro.h>
#include <quarn/script/Script_Reader.h>

#include "script/Script_Text.h"

#include "core/Trace.h"

namespace quarn::script {

W_Script_Statements W_Root_Branch{};
W_Script_Statements* W_Cur_Branch = nullptr;
W_Script_Statements* W_Last_If = nullptr;
bool W_Tree_Error = false;

namespace {

// Usage texts of the loop and test headers, with their pieces emphasised.
constexpr const wchar_t* kForUsage = SCRIPT_HI_W L"for" SCRIPT_LO_W L" $VAR " SCRIPT_HI_W L"in (" SCRIPT_LO_W
    L" values " SCRIPT_HI_W L")" SCRIPT_LO_W L" /vs/";
constexpr const wchar_t* kIfUsage = SCRIPT_HI_W L"if (" SCRIPT_LO_W L" test " SCRIPT_HI_W L")" SCRIPT_LO_W
    L" /vs/";

W_Script_Statements* Refuse() {
  W_Tree_Error = true;
  return nullptr;
}

void Root_Reset() {
  W_Script_Macro_Free(&W_Root_Branch);
  W_Root_Branch.is_root = 1;
  W_Root_Branch.is_immediate = 1;
  W_Root_Branch.is_single = 0;
  W_Root_Branch.is_definition = 0;
  W_Root_Branch.is_call = 0;
}

// Opens the reading root when no tree is open; a macro being defined takes its place.
void Tree_Start(W_Script_Statements* macro) {
  if (!W_Cur_Branch) {
    Root_Reset();
    W_Cur_Branch = &W_Root_Branch;
  }
  if (macro) {
    macro->is_root = 1;
    macro->is_immediate = 0;
    W_Cur_Branch = macro;
  }
}

// Leaves every single-statement branch that has just received its statement; the first
// if left without an else becomes the target of a following else.
W_Script_Statements* Climb() {
  W_Last_If = nullptr;
  W_Script_Statements* b = W_Cur_Branch;
  while (b->is_single && b->parent) {
    if (!W_Last_If && b->if_nb_arg > 0 && !b->else_branch) W_Last_If = b;
    b = b->parent;
  }
  W_Cur_Branch = b;
  return b->is_root ? b : nullptr;
}

// Index of the ")" closing the "(" at open, counting nested groups; -1 when there is none.
int Matching_Close(int n, wchar_t** args, int open) {
  int depth = 0;
  for (int i = open; i < n; ++i) {
    if (Text_Begins(args[i], L'(')) ++depth;
    else if (Text_Begins(args[i], L')') && --depth == 0) return i;
  }
  return -1;
}

// Makes a new branch a child line of the current branch and the current branch itself.
bool Enter(W_Script_Statements* b) {
  if (!Branch_Append_Child(W_Cur_Branch, b)) {
    W_Script_Macro_Free(b);
    std::free(b);
    return false;
  }
  W_Cur_Branch = b;
  return true;
}

// "}": back to the enclosing branch.
W_Script_Statements* Rule_Close() {
  W_Script_Statements* up = W_Cur_Branch->parent;
  if (!up) {
    Report_Located(L"mismatched brackets");
    return Refuse();
  }
  W_Cur_Branch = up;
  W_Last_If = nullptr;
  return Climb();
}

// "else ...": a single branch attached to the last if; the rest of the statement is its body.
W_Script_Statements* Rule_Else(const wchar_t* prefix, int n, wchar_t** args) {
  if (!W_Last_If) {
    Report_Located(L"mismatched if/else");
    return Refuse();
  }
  W_Script_Statements* e = Branch_New(W_Last_If, true);
  if (!e) return Refuse();
  W_Last_If->else_branch = e;
  W_Last_If = nullptr;  // an if takes one else
  W_Cur_Branch = e;
  return Script_Read_Line_2(nullptr, prefix, n - 1, args + 1);
}

// "{": a block lasting until its "}"; words after the brace are ignored.
W_Script_Statements* Rule_Open() {
  W_Script_Statements* b = Branch_New(W_Cur_Branch, false);
  if (!b || !Enter(b)) return Refuse();
  return nullptr;
}

// "for $VAR in ( values )": a loop whose body is the next statement.
W_Script_Statements* Rule_For(int n, wchar_t** args) {
  const int close = n >= 6 && Text_Begins(args[3], L'(') ? Matching_Close(n, args, 3) : -1;
  if (close <= 4) {
    Script_Error(kForUsage, n, args);
    return Refuse();
  }
  W_Script_Statements* b = Branch_New(W_Cur_Branch, true);
  if (!b) return Refuse();
  if (!Text_Dup(args[1], &b->for_var, "W_Cur_Branch->for_var") ||
      Script_Args_Insert_Copy(&b->for_nb_arg, &b->for_pt_arg, 0, close - 4, args + 4) != close - 4) {
    W_Script_Macro_Free(b);
    std::free(b);
    return Refuse();
  }
  if (!Enter(b)) return Refuse();
  return nullptr;
}

// "if ( test )": a condition whose body is the next statement.
W_Script_Statements* Rule_If(int n, wchar_t** args) {
  const int close = n >= 2 && Text_Begins(args[1], L'(') ? Matching_Close(n, args, 1) : -1;
  if (close <= 2) {
    Script_Error(kIfUsage, n, args);
    return Refuse();
  }
  W_Script_Statements* b = Branch_New(W_Cur_Branch, true);
  if (!b) return Refuse();
  if (Script_Args_Insert_Copy(&b->if_nb_arg, &b->if_pt_arg, 0, close - 2, args + 2) != close - 2) {
    std::free(b);
    return Refuse();
  }
  if (!Enter(b)) return Refuse();
  return nullptr;
}

// "@name" alone at the top of a tree: a macro call, handed back for execution.
W_Script_Statements* Rule_Call(int n, wchar_t** args) {
  W_Script_Statements* m = W_Script_Macro_Replacement(args[0]);
  if (!m) {
    Script_Error("unable to locate macro", n, args);
    return Refuse();
  }
  m->is_call = 1;
  return m;
}

W_Script_Statements* Rule_Statement(const wchar_t* prefix, int n, wchar_t** args) {
  if (!Branch_Append_Statement(W_Cur_Branch, prefix, n, args)) return Refuse();
  return Climb();
}

}  // namespace
}  // namespace quarn::script

using namespace quarn::script;

W_Script_Statements* Script_Read_Line_2(W_Script_Statements* macro, const wchar_t* prefix, int n,
                                        wchar_t** args) {
  Tree_Start(macro);
  const bool has_prefix = prefix && *prefix;
  if (n < 0) n = 0;
  if (!has_prefix && n == 0) return nullptr;
  const wchar_t* first = n > 0 ? args[0] : nullptr;
  if (Text_Is(first, L"}")) return Rule_Close();
  if (Text_Is(first, L"else")) return Rule_Else(prefix, n, args);
  if (W_Cur_Branch == &W_Root_Branch) Root_Reset();  // each top-level statement starts a tree
  if (Text_Is(first, L"{")) return Rule_Open();
  if (Text_Is(first, L"for")) return Rule_For(n, args);
  if (Text_Is(first, L"if")) return Rule_If(n, args);
  if (!W_Cur_Branch->parent && !has_prefix && n == 1 && Text_Begins(first, L'@')) return Rule_Call(n, args);
  return Rule_Statement(has_prefix ? prefix : nullptr, n, args);
}
