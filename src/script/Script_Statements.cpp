// Statement tree records: creation, lines, release, and records kept alive while executing.
#include "script/Script_Internal.h"

#include <quarn/script/Script_Args.h>

#include "script/Script_Limits.h"
#include "script/Script_Text.h"

#include "core/Check.h"
#include "core/Trace.h"

#include <cstdlib>

namespace quarn::script {
namespace {

// Roots being executed, innermost last, and records whose release waits for them.
constexpr int kRunMax = 2 * SCRIPT_READ_DEPTH_MAX;
W_Script_Statements* g_running[kRunMax];
int g_running_nb = 0;
W_Script_Statements** g_retired = nullptr;
int g_retired_nb = 0;

bool Lies_In(const W_Script_Statements* p, const W_Script_Statements* tree, bool self) {
  if (!self && p == tree) return false;
  for (; p; p = p->parent)
    if (p == tree) return true;
  return false;
}

// The reader's cursors must never point into released records.
void Forget_Cursors(const W_Script_Statements* tree, bool self) {
  if (Lies_In(W_Cur_Branch, tree, self)) W_Cur_Branch = nullptr;
  if (Lies_In(W_Last_If, tree, self)) W_Last_If = nullptr;
}

void Release_Content(W_Script_Statements* b) {
  for (int i = 0; i < b->nb_lines; ++i) {
    std::free(b->key[i]);
    Script_Args_Remove(&b->nb_arg[i], &b->pt_arg[i], 0, b->nb_arg[i]);
    if (W_Script_Statements* c = b->child[i]) {
      Release_Content(c);
      std::free(c);
    }
  }
  std::free(b->key);
  std::free(b->nb_arg);
  std::free(b->pt_arg);
  std::free(b->child);
  b->key = nullptr;
  b->nb_arg = nullptr;
  b->pt_arg = nullptr;
  b->child = nullptr;
  b->nb_lines = 0;
  std::free(b->for_var);
  b->for_var = nullptr;
  Script_Args_Remove(&b->for_nb_arg, &b->for_pt_arg, 0, b->for_nb_arg);
  Script_Args_Remove(&b->if_nb_arg, &b->if_pt_arg, 0, b->if_nb_arg);
  if (b->else_branch) {
    Release_Content(b->else_branch);
    std::free(b->else_branch);
    b->else_branch = nullptr;
  }
}

int Depth_Of(const W_Script_Statements* b) {
  int depth = 0;
  for (; b; b = b->parent) ++depth;
  return depth;
}

// Grows one per-line array to n entries.
template <class T>
bool Grow(T** array, int n, const char* var) {
  auto* grown = static_cast<T*>(std::realloc(*array, size_t(n) * sizeof(T)));
  if (!grown) {
    QUARN_MEMORY_ERROR("realloc", var, n, sizeof(T));
    return false;
  }
  *array = grown;
  return true;
}

// Adds an empty line; the arrays that grew before a failure simply stay larger.
bool Append_Line(W_Script_Statements* b) {
  const int n = b->nb_lines + 1;
  if (!Grow(&b->key, n, "W_Cur_Branch->key") || !Grow(&b->nb_arg, n, "W_Cur_Branch->nb_arg") ||
      !Grow(&b->pt_arg, n, "W_Cur_Branch->pt_arg") || !Grow(&b->child, n, "W_Cur_Branch->child"))
    return false;
  b->key[n - 1] = nullptr;
  b->nb_arg[n - 1] = 0;
  b->pt_arg[n - 1] = nullptr;
  b->child[n - 1] = nullptr;
  b->nb_lines = n;
  return true;
}

}  // namespace

W_Script_Statements* Branch_New(W_Script_Statements* parent, bool single) {
  if (!Limit_Check("statement nesting", Depth_Of(parent), SCRIPT_BLOCK_DEPTH_MAX)) return nullptr;
  auto* b = static_cast<W_Script_Statements*>(std::calloc(1, sizeof(W_Script_Statements)));
  if (!b) {
    QUARN_MEMORY_ERROR("calloc", "W_Cur_Branch", 1, sizeof(W_Script_Statements));
    return nullptr;
  }
  b->parent = parent;
  b->is_single = single ? 1 : 0;
  return b;
}

bool Branch_Append_Child(W_Script_Statements* b, W_Script_Statements* child) {
  if (!Append_Line(b)) return false;
  b->child[b->nb_lines - 1] = child;
  return true;
}

bool Branch_Append_Statement(W_Script_Statements* b, const wchar_t* prefix, int n, wchar_t** args) {
  wchar_t* key;
  if (!Text_Dup(prefix, &key, "W_Cur_Branch->key")) return false;
  int count = 0;
  wchar_t** copies = nullptr;
  if (n > 0 && Script_Args_Insert_Copy(&count, &copies, 0, n, args) != n) {
    std::free(key);
    return false;
  }
  if (!Append_Line(b)) {
    std::free(key);
    Script_Args_Remove(&count, &copies, 0, count);
    return false;
  }
  const int line = b->nb_lines - 1;
  b->key[line] = key;
  b->nb_arg[line] = count;
  b->pt_arg[line] = copies;
  return true;
}

bool Tree_Is_Running(const W_Script_Statements* record) {
  for (int i = 0; i < g_running_nb; ++i)
    if (g_running[i] == record) return true;
  return false;
}

void Tree_Delete(W_Script_Statements* record) {
  if (!record) return;
  Forget_Cursors(record, true);
  if (Tree_Is_Running(record)) {
    // Still executing: it is released when the outermost execution ends.
    if (Grow(&g_retired, g_retired_nb + 1, "retired")) {
      g_retired[g_retired_nb++] = record;
      return;
    }
    return;  // out of memory: keeping it alive beats releasing it under the executor
  }
  Release_Content(record);
  std::free(record);
}

bool Tree_Run_Enter(W_Script_Statements* record) {
  if (!Limit_Check("script execution nesting", g_running_nb + 1, kRunMax)) return false;
  g_running[g_running_nb++] = record;
  return true;
}

void Tree_Run_Leave(W_Script_Statements* record) {
  for (int i = g_running_nb - 1; i >= 0; --i) {
    if (g_running[i] == record) {
      g_running[i] = g_running[--g_running_nb];
      break;
    }
  }
  if (g_running_nb > 0) return;
  while (g_retired_nb > 0) {
    W_Script_Statements* r = g_retired[--g_retired_nb];
    Release_Content(r);
    std::free(r);
  }
  std::free(g_retired);
  g_retired = nullptr;
}

}  // namespace quarn::script

void W_Script_Macro_Free(W_Script_Statements* branch) {
  if (!branch) return;
  quarn::script::Forget_Cursors(branch, false);
  quarn::script::Release_Content(branch);
}
