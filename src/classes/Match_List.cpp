// Keywords, number texts, traces and warnings of the name templates.
#include "classes/Match_List.h"

#include <hostkit/HostUtil.h>

#include "core/Trace.h"

#include <cwchar>
#include <cwctype>

namespace quarn {

namespace {

// The first n characters of pattern are word's, whatever their case (ASCII words only).
bool Starts_With_Word(const wchar_t* pattern, const wchar_t* word, int n) {
  for (int i = 0; i < n; ++i)
    if (!pattern[i] || std::towlower(wint_t(pattern[i])) != wint_t(word[i])) return false;
  return true;
}

}  // namespace

bool Is_All(const wchar_t* pattern) { return Starts_With_Word(pattern, L"all", 3) && !pattern[3]; }

bool Is_Cur(const wchar_t* pattern) { return Starts_With_Word(pattern, L"cur", 3); }

bool Is_Ambient(const wchar_t* pattern) { return Starts_With_Word(pattern, L"amb", 3); }

bool Number_Matches(long value, const wchar_t* pattern) {
  wchar_t text[24];
  std::swprintf(text, sizeof text / sizeof *text, L"%ld", value);
  return Host_Str_Match(text, pattern);
}

void Match_Trace_In(const Match_Kind& kind, const wchar_t* pattern) {
  QUARN_REPORT(msg::Match, ">>> in  Util: %s(%ls)", kind.function, pattern);
}

void Match_Trace_Out(const Match_Kind& kind, int count) {
  QUARN_REPORT(msg::Match, "<<< out Util: %s(%d)", kind.function, count);
}

void Match_Trace_Out(const Match_Kind& kind, const char* why) {
  QUARN_REPORT(msg::Match, "<<< out Util: %s(%s)", kind.function, why);
}

void Match_Too_Many(const Match_Kind& kind, int max) {
  QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02%s", kind.too_many);
  QUARN_REPORT(msg::Invalid, "\xF1\t We can only act on %d %s at once", max, kind.unit);
}

void Match_None(const Match_Kind& kind, const wchar_t* pattern) {
  QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 %s", kind.none);
  QUARN_REPORT(msg::Invalid, L"\xF1\t with: \x01%ls", pattern);
}

void Match_Invalid(const Match_Kind& kind) {
  QUARN_REPORT(msg::Invalid, "Invalid template or result array in %s", kind.function);
  Match_Trace_Out(kind, "! template");
}

}  // namespace quarn
