// State shared by the reader, the tree builder, the executor and the macros.
#pragma once

#include <quarn/script/Script_Statements.h>

namespace quarn::script {

/// Root of the tree built from typed and file lines.
extern W_Script_Statements W_Root_Branch;
/// Branch that receives the next statement; null when no tree is open.
extern W_Script_Statements* W_Cur_Branch;
/// Most recently closed if branch without else; target of a following else.
extern W_Script_Statements* W_Last_If;
/// Set by the tree builder when a statement was refused (bad brackets, headers, calls).
extern bool W_Tree_Error;

/// A zero-filled branch under parent; null (reported) when out of memory or nested too deep.
W_Script_Statements* Branch_New(W_Script_Statements* parent, bool single);
/// Appends a line holding a child branch; false (reported) when out of memory.
bool Branch_Append_Child(W_Script_Statements* branch, W_Script_Statements* child);
/// Appends a plain statement (copies of prefix and arguments); false when out of memory.
bool Branch_Append_Statement(W_Script_Statements* branch, const wchar_t* prefix, int n, wchar_t** args);
/// Releases a whole record; a record being executed is kept until its execution ends.
void Tree_Delete(W_Script_Statements* record);
/// True when a root record is being executed.
bool Tree_Is_Running(const W_Script_Statements* record);
/// Executes the complete reading tree after moving it out of W_Root_Branch, so that statements
/// read meanwhile (a macro definition among its lines) cannot touch it; releases it after.
int Root_Run();

/// Handles a statement "@name = ...": installs the macro and feeds its content to the builder.
void Macro_Define(const wchar_t* prefix, int* n, wchar_t*** args);

/// Prints "ERROR: <what>", then the script's file and line when one is being read.
void Report_Located(const wchar_t* what);

}  // namespace quarn::script

namespace quarn::script {

/// Marks a root record as being executed; false (reported) when executions nest too deep.
bool Tree_Run_Enter(W_Script_Statements* record);
/// Ends the execution of a root record; the outermost end releases records deleted meanwhile.
void Tree_Run_Leave(W_Script_Statements* record);

}  // namespace quarn::script
