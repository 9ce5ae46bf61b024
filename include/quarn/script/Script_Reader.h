// The script reader: lines, files and typed input, the tree builder and the host dispatch.
#pragma once

#include <quarn/Export.h>
#include <quarn/script/Script_Statements.h>

/// Executes one module command: (lower-case prefix, address of the count, address of the
/// argument array) -> the statement's result.
typedef int (*Script_Dispatch_Fct)(const wchar_t* prefix, int* nb_arg, wchar_t*** pt_arg);
/// Prints the command help.
typedef void (*Script_Help_Fct)();
/// Writes a script file of the given name.
typedef int (*Script_Save_Fct)(const wchar_t* name);

/// Host command dispatcher; statements go nowhere (and succeed) while it is null.
extern QUARN_API Script_Dispatch_Fct Fct_Script_Dispatch;
/// Host help printer, called for lines beginning with "?" or "help".
extern QUARN_API Script_Help_Fct Fct_Script_Dispatch_Help;
/// Host script writer used by Script_Save_File.
extern QUARN_API Script_Save_Fct Fct_Script_Dispatch_Save;
/// Second host script writer, used by Script_Save_Cuda.
extern QUARN_API Script_Save_Fct Fct_Script_Dispatch_Cuda;

/// Line counter of the script being read; below 1 for typed input.
extern QUARN_API short Script_Line;
/// Name of the script being read, or "Input Line".
extern QUARN_API wchar_t Script_Name[2048];

/// Script flag bit: a script file is being read.
inline constexpr unsigned short SCRIPT_FLAG_FILE = 0x10;
/// Script flag bit: the statements of a line are being executed.
inline constexpr unsigned short SCRIPT_FLAG_EXECUTE = 0x20;

/// Reads and executes a UTF-8 script file; 1 when every line succeeded (or it is empty), else 0.
QUARN_API int Script_Read_File(const wchar_t* name);
/// Executes one typed line; Script_Line reads -1 and Script_Name "Input Line" meanwhile.
QUARN_API int Script_Read_Input(const wchar_t* line);
/// Formats a line (printf rules, at most 2047 characters) and reads it; 1 on success, 0 when
/// formatting failed, the line is empty or a statement failed.
QUARN_API int Script_Read_Line(const wchar_t* format, ...);
/// Adds one statement to the tree being built (for the macro record being defined, or the
/// reading root when macro is null); returns the root when its tree has become complete.
QUARN_API W_Script_Statements* Script_Read_Line_2(W_Script_Statements* macro, const wchar_t* prefix,
                                                  int nb_arg, wchar_t** pt_arg);
/// Executes one statement: assignment, macro definition, or evaluation and host dispatch.
QUARN_API int Script_Read_Analyze(const wchar_t* prefix, int* nb_arg, wchar_t*** pt_arg);
/// Asks the host to write a script file; 0 when it has no writer.
QUARN_API int Script_Save_File(const wchar_t* name);
/// Asks the host's second writer to write a file; 0 when it has none.
QUARN_API int Script_Save_Cuda(const wchar_t* name);
/// The script flag word.
QUARN_API unsigned short Script_Flag_Get();
/// Replaces the script flag word; returns the new value.
QUARN_API unsigned short Script_Flag_Set(unsigned short flags);
/// Releases every macro, every variable and any statement tree left open.
QUARN_API void Script_Cleanup();
