// In-place editing of wide texts: quotes, blanks, case and tokens.
#include <hostkit/HostUtil.h>

#include <cwchar>
#include <cwctype>

wchar_t* Host_Str_Strip_Spaces(wchar_t* text) {
  if (!text) return text;
  size_t start = 0, end = std::wcslen(text);
  while (start < end && (text[start] == L' ' || text[start] == L'\t')) ++start;
  while (end > start && (text[end - 1] == L' ' || text[end - 1] == L'\t')) --end;
  std::wmemmove(text, text + start, end - start);
  text[end - start] = 0;
  return text;
}

wchar_t* Host_Str_Strip_Quotes(wchar_t* text) {
  if (!text) return text;
  size_t n = std::wcslen(text);
  if (n >= 2 && text[0] == L'"' && text[n - 1] == L'"') {
    std::wmemmove(text, text + 1, n - 2);
    text[n - 2] = 0;
  }
  return text;
}

wchar_t* Host_Str_To_Lower(wchar_t* text) {
  if (!text) return text;
  for (wchar_t* p = text; *p; ++p) *p = wchar_t(std::towlower(wint_t(*p)));
  return text;
}

wchar_t* Host_Str_Tokenize(wchar_t* text, const wchar_t* separators, wchar_t** state) {
  if (!state) return nullptr;
  wchar_t* p = text ? text : *state;
  if (!p || !separators) return nullptr;
  p += std::wcsspn(p, separators);
  if (!*p) {
    *state = p;
    return nullptr;
  }
  wchar_t* end = p + std::wcscspn(p, separators);
  if (*end) *end++ = 0;
  *state = end;
  return p;
}
