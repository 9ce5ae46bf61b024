// In-place editing of wide texts: quotes, blanks, case and tokens.
#include <hostkit/HostUtil.h>

#include "HostLocale.h"

#include <cwchar>
#include <cwctype>

namespace {

bool Is_Blank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

}  // namespace

wchar_t* Host_Str_Strip_Quotes(wchar_t* text) {
  if (!text) return nullptr;
  size_t n = std::wcslen(text);
  if (n >= 2 && text[0] == L'"' && text[n - 1] == L'"') {
    std::wmemmove(text, text + 1, n - 2);
    text[n - 2] = 0;
  }
  return text;
}

wchar_t* Host_Str_Strip_Spaces(wchar_t* text) {
  if (!text) return nullptr;
  size_t n = std::wcslen(text);
  while (n > 0 && Is_Blank(text[n - 1])) --n;
  size_t first = 0;
  while (first < n && Is_Blank(text[first])) ++first;
  if (first > 0) std::wmemmove(text, text + first, n - first);
  text[n - first] = 0;
  return text;
}

wchar_t* Host_Str_To_Lower(wchar_t* text) {
  if (!text) return nullptr;
  // The process locale may be "C", which lower-cases only ASCII; names are Unicode.
  locale_t loc = Host_Utf8_Locale();
  for (wchar_t* p = text; *p; ++p) *p = loc ? towlower_l(*p, loc) : std::towlower(*p);
  return text;
}

wchar_t* Host_Str_Tokenize(wchar_t* text, const wchar_t* separators, wchar_t** state) {
  if (!state) return nullptr;
  wchar_t* s = text ? text : *state;
  if (!s) return nullptr;
  if (!separators) separators = L" \t";
  s += std::wcsspn(s, separators);
  if (!*s) {
    *state = s;
    return nullptr;
  }
  wchar_t* end = s + std::wcscspn(s, separators);
  if (*end) {
    *end = 0;
    *state = end + 1;
  } else {
    *state = end;
  }
  return s;
}
