// Argument checks and error printers for command handlers, and the statement trace printer.
#pragma once

#include <quarn/Export.h>

/// 1 when given equals expected; otherwise prints the argument-count error for command and 0.
QUARN_API int Script_Arg_Check(const char* command, int given, int expected);
/// Wide form of Script_Arg_Check.
QUARN_API int Script_Arg_Check(const wchar_t* command, int given, int expected);
/// 1 when min <= given <= max; otherwise prints the argument-count error and 0.
QUARN_API int Script_Arg_Check_Range(const char* command, int given, int min, int max);
/// Wide form of Script_Arg_Check_Range.
QUARN_API int Script_Arg_Check_Range(const wchar_t* command, int given, int min, int max);
/// Prints "argument <n> is out of range" with a printf detail text (cut to 59 characters).
QUARN_API void Script_Arg_Error(int argument, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
/// Prints a syntax error: the text followed by the arguments, each after one blank.
QUARN_API void Script_Error(const char* text, int nb_arg, wchar_t** pt_arg);
/// Wide form of Script_Error.
QUARN_API void Script_Error(const wchar_t* text, int nb_arg, wchar_t** pt_arg);
/// Prints the syntax-error header alone.
QUARN_API void Script_Error();
/// Traces one statement: title, prefix and arguments joined by blanks (class message_class).
QUARN_API void Script_Stool(int message_class, const wchar_t* title, const wchar_t* prefix, int nb_arg,
                            wchar_t** pt_arg);
