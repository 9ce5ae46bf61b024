// Small text services shared by the script sources: copies with memory reports, style pieces.
#pragma once

#include <cstddef>
#include <cwchar>

// Style pieces of user reports; kept as separate literals so that a hex escape never swallows
// the letter after it.
#define SCRIPT_ERROR_W L"\xF1\x04" L"ERROR:" L"\x02"
#define SCRIPT_WARNING_W L"\xF1\x05" L"WARNING:" L"\x02"
#define SCRIPT_TAB_W L"\xF1" L"\t"
#define SCRIPT_HI_W L"\x01"
#define SCRIPT_LO_W L"\x02"

namespace quarn::script {

/// Copies text into *out (null for a null or empty text); false after a failed allocation, which
/// is reported naming var.
bool Text_Dup(const wchar_t* text, wchar_t** out, const char* var);
/// Appends n characters of add to the owned text *text; false (text unchanged) when out of memory.
bool Text_Append(wchar_t** text, const wchar_t* add, size_t n, const char* var);
/// Appends text to a composed line of SCRIPT_TEXT_SIZE characters at position n; cuts what does
/// not fit, never overflows.
void Text_Join(wchar_t* line, int& n, const wchar_t* text);
/// True when text is non-null and equal to word.
inline bool Text_Is(const wchar_t* text, const wchar_t* word) {
  return text && std::wcscmp(text, word) == 0;
}
/// True when text is non-null and begins with c.
inline bool Text_Begins(const wchar_t* text, wchar_t c) { return text && text[0] == c; }
/// True when text is non-null, not empty and ends with c.
inline bool Text_Ends(const wchar_t* text, wchar_t c) {
  if (!text || !*text) return false;
  return text[std::wcslen(text) - 1] == c;
}

}  // namespace quarn::script

namespace quarn::script {

/// Replaces the n entries from index at by the k given texts, which the list takes over; false
/// when out of memory (the list is unchanged and the texts are released).
bool Args_Replace(int* nb_arg, wchar_t*** pt_arg, int at, int n, wchar_t** texts, int k);
/// Releases every entry and the array of a list; the count becomes 0.
void Args_Free(int* nb_arg, wchar_t*** pt_arg);

}  // namespace quarn::script
