// Fct_Create_szFilter: the file-type filter of a dialog, from extension lists held in variables.
#include <quarn/host/File_Dialog.h>

#include <quarn/script/Host_Variable.h>

#include <hostkit/HostUtil.h>

#include "core/Trace.h"

#include <cstdarg>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

namespace {

using quarn::msg::Invalid;

thread_local wchar_t t_filter[FILE_FILTER_MAX];

// The variable's extension list, or nothing when the host has no such text variable.
std::optional<std::wstring> List_Text(const char* variable) {
  uint16_t flags = 0;
  const std::wstring name = Host_Char_To_Wide(variable);
  void* storage = Fct_Variable_Get(name.c_str(), nullptr, &flags, nullptr, 1);
  if (!storage) return std::nullopt;
  if (!(flags & VARIABLE_STRING) || (flags & VARIABLE_ARRAY)) {
    QUARN_REPORT(Invalid, "Fct_Create_szFilter: %s is no text; it gives no filter", variable);
    return std::nullopt;
  }
  if (flags & VARIABLE_CHAR) {
    const char* text = *static_cast<char**>(storage);
    return std::wstring(text ? Host_Char_To_Wide(text) : L"");
  }
  const wchar_t* text = *static_cast<wchar_t**>(storage);
  return std::wstring(text ? text : L"");
}

bool Blank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The first extension ends at ',', ';' or a blank, each further one at a blank only.
std::vector<std::wstring> Extensions(const std::wstring& list) {
  std::vector<std::wstring> out;
  size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && Blank(list[i])) ++i;
    size_t end = i;
    while (end < list.size() && !Blank(list[end]) && !(out.empty() && (list[end] == L',' || list[end] == L';'))) ++end;
    if (end > i) out.push_back(list.substr(i, end - i));
    i = end + 1;
  }
  return out;
}

[[gnu::cold]] void Too_Long(const wchar_t* what, const std::wstring& text, int limit) {
  QUARN_REPORT(Invalid, L"\xF1\x05WARNING:\x02 Fct_Create_szFilter: %ls \"\x01%ls\x02\" is longer than %d characters; "
                        L"it is left out",
               what, text.c_str(), limit);
}

/// The label part and the pattern part of one pair; the patterns that do not fit are left out.
std::wstring Pair_Text(const std::wstring& label, const std::vector<std::wstring>& extensions) {
  std::wstring comma, semicolon;
  for (const std::wstring& ext : extensions) {
    const std::wstring pattern = L"*." + ext;
    if (semicolon.size() + pattern.size() + (semicolon.empty() ? 0 : 1) > size_t(FILE_FILTER_PATTERNS_MAX)) {
      Too_Long(L"the pattern list with", pattern, FILE_FILTER_PATTERNS_MAX);
      break;
    }
    comma += (comma.empty() ? L"" : L",") + pattern;
    semicolon += (semicolon.empty() ? L"" : L";") + pattern;
  }
  return label + L" (" + comma + L")" + L'\0' + semicolon + L'\0';
}

}  // namespace

const wchar_t* Fct_Create_szFilter(int count, ...) {
  size_t used = 0;
  va_list args;
  va_start(args, count);
  for (int i = 0; i < count; ++i) {
    const wchar_t* label = va_arg(args, const wchar_t*);
    const char* variable = va_arg(args, const char*);
    if (!variable) {
      QUARN_REPORT(Invalid, "Fct_Create_szFilter: pair %d names no variable", i + 1);
      continue;
    }
    const std::optional<std::wstring> list = List_Text(variable);
    if (!list) continue;
    // A pair without patterns would end the filter at its empty pattern list.
    const std::vector<std::wstring> extensions = Extensions(*list);
    if (extensions.empty()) continue;
    const std::wstring pair = Pair_Text(label ? label : L"", extensions);
    if (pair.size() > size_t(FILE_FILTER_PAIR_MAX)) {
      Too_Long(L"the filter", label ? label : L"", FILE_FILTER_PAIR_MAX);
      continue;
    }
    // One character stays for the closing NUL.
    if (used + pair.size() + 1 > size_t(FILE_FILTER_MAX)) {
      QUARN_REPORT(Invalid, L"\xF1\x05WARNING:\x02 Fct_Create_szFilter: the filters from \"\x01%ls\x02\" on do not fit "
                            L"its %d characters; %d of %d pairs are left out",
                   label ? label : L"", FILE_FILTER_MAX, count - i, count);
      break;
    }
    pair.copy(t_filter + used, pair.size());
    used += pair.size();
  }
  va_end(args);
  t_filter[used] = L'\0';
  if (used == 0) t_filter[1] = L'\0';
  return t_filter;
}
