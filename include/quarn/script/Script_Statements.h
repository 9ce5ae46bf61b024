// Statement trees of the script language: blocks, loops, conditions and macro bodies.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

/// One branch of a statement tree; records are zero-filled when created.
struct W_Script_Statements {
  uint8_t is_single;      ///< Body of a for, if or else without braces: closes after one statement.
  uint8_t is_root;        ///< A tree root (the reading root or a macro record).
  uint8_t is_immediate;   ///< The reading root: executed and cleared once complete.
  uint8_t is_definition;  ///< A macro record while it is being defined.
  uint8_t is_call;        ///< A macro record named in a call.
  wchar_t* for_var;       ///< Loop variable of a for branch; owned, null otherwise.
  int for_nb_arg;         ///< Number of loop values (0: not a loop).
  wchar_t** for_pt_arg;   ///< The loop values as written; owned.
  int if_nb_arg;          ///< Number of test tokens (0: not a conditional).
  wchar_t** if_pt_arg;    ///< The test tokens without the enclosing parentheses; owned.
  W_Script_Statements* else_branch;  ///< The else branch of an if branch; owned.
  int nb_lines;           ///< Number of lines.
  wchar_t** key;          ///< Per line: its command prefix or null; owned.
  int* nb_arg;            ///< Per line: its argument count.
  wchar_t*** pt_arg;      ///< Per line: its arguments; owned.
  W_Script_Statements** child;   ///< Per line: a nested branch or null; owned.
  W_Script_Statements* parent;   ///< Enclosing branch (an else branch's is its if); null on a root.
};

/// Executes a tree: loops repeat their lines, conditions choose a branch; 1 done, 0 failed.
QUARN_API int W_Script_Macro_Execute(W_Script_Statements* branch);
/// Executes the lines of one branch in order; stops with 0 at the first failing line.
QUARN_API int W_Script_Macro_Execute_2(W_Script_Statements* branch);
/// Releases the content of a tree; the record itself stays, with no lines.
QUARN_API void W_Script_Macro_Free(W_Script_Statements* branch);
