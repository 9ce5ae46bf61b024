// Macros: named statement trees defined by "@name = ..." and called by their name alone.
#pragma once

#include <quarn/Export.h>
#include <quarn/script/Script_Statements.h>

#include <cstdio>

/// Number of macro slots.
inline constexpr int MAX_SCRIPT_MACRO = 80;

/// The record of the macro called name, or null when no slot holds it (or it was released).
QUARN_API W_Script_Statements* W_Script_Macro_Replacement(const wchar_t* name);
/// A fresh record installed in the slot of name (taking a slot for a new name); null when the
/// name is bad or every slot holds another name.
QUARN_API W_Script_Statements* W_Script_Macro_Assignment(const wchar_t* name);
/// Prints one line per defined macro, numbered from 1.
QUARN_API void W_Script_Macro_List();
/// Prints the named macro as script text; returns 1.
QUARN_API int W_Script_Macro_Print2(const wchar_t* name);
/// Renders a tree through the host report with the given message class, from level indent.
QUARN_API void W_Script_Macro_Stool(int message_class, W_Script_Statements* branch, int indent);
/// Renders a tree into an open text file (UTF-8), from level indent.
QUARN_API void W_Script_Macro_Print(FILE* file, W_Script_Statements* branch, int indent);
/// The macro module's commands ("list", "print name", help); 1 when handled, else 0.
QUARN_API int W_Script_Macro_Script_Read(int nb_arg, wchar_t** pt_arg);
/// Releases every macro record; the names keep their slots.
QUARN_API void W_Script_Macro_Cleanup();
