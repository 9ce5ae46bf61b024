// Statement text: normalisation, comment cutting, splitting into a prefix and argument lists.
#pragma once

#include <quarn/Export.h>

/// Rewrites a line in place so that words, operators and braces are cut apart by single blanks
/// and statements by line feeds; size is the capacity of text in characters, terminator
/// included. Returns the new length, or -1 (text unchanged, reported) when it would not fit.
QUARN_API int Str_Strip_Special(wchar_t* text, int size);
/// Cuts the line at the first "#" or ";" outside double quotes; returns the text.
QUARN_API wchar_t* Script_Strip_Comment(wchar_t* text);

/// Splits one statement at blanks and tabs (text is cut into words in place), appends every
/// word but the prefix to the list as copies and returns the prefix (the first word ending
/// with ":", pointing into text) or null.
QUARN_API wchar_t* Script_Args_Split(wchar_t* text, int* nb_arg, wchar_t*** pt_arg);
/// Releases the n entries from index first on (clipped to the count) and closes the gap;
/// returns the new count.
QUARN_API int Script_Args_Remove(int* nb_arg, wchar_t*** pt_arg, int first, int n);
/// Opens a gap of n entries at index at and stores copies of texts (empty or null as null);
/// returns the new count, or 0 (list unchanged, reported) when out of memory.
QUARN_API int Script_Args_Insert_Copy(int* nb_arg, wchar_t*** pt_arg, int at, int n,
                                      wchar_t* const* texts);
/// Opens a gap of n entries at index at and stores the given texts, which the list now owns;
/// returns the new count, or 0 when out of memory (reported; the texts are then released).
QUARN_API int Script_Args_Insert(int* nb_arg, wchar_t*** pt_arg, int at, int n, wchar_t** texts);
/// Narrow twin of the wide Script_Args_Remove.
QUARN_API int Script_Args_Remove(int* nb_arg, char*** pt_arg, int first, int n);
/// Narrow twin of the wide Script_Args_Insert_Copy.
QUARN_API int Script_Args_Insert_Copy(int* nb_arg, char*** pt_arg, int at, int n,
                                      char* const* texts);
/// Narrow twin of the wide Script_Args_Insert.
QUARN_API int Script_Args_Insert(int* nb_arg, char*** pt_arg, int at, int n, char** texts);
/// Joins each argument "-" or "+" with a following argument that begins with a digit; returns
/// the new count, or -1 when out of memory (reported; the list stays valid).
QUARN_API int Script_Args_Join_Signs(int* nb_arg, wchar_t*** pt_arg);
