// Normalisation of a script line into blank-separated words and line-separated statements.
#include <quarn/script/Script_Args.h>

#include "script/Script_Limits.h"

#include "core/Check.h"
#include "core/Trace.h"

#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <locale.h>

namespace {

enum class Kind { Word, Colon, Brace, Semicolon, Operator, Other };

// Letters and digits are classified under UTF-8 rules whatever locale the process runs in, so
// that a script reads the same in every host.
bool Is_Letter_Or_Digit(wchar_t c) {
  static locale_t utf8 = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
    return l ? l : newlocale(LC_CTYPE_MASK, "C.utf8", locale_t(0));
  }();
  if (c >= 0 && c < 128) return std::iswalnum(wint_t(c));
  return utf8 ? iswalnum_l(wint_t(c), utf8) : std::iswalnum(wint_t(c));
}

Kind Kind_Of(wchar_t c) {
  if (Is_Letter_Or_Digit(c)) return Kind::Word;
  switch (c) {
    case L'$': case L'&': case L',': case L'.': case L'<': case L'>': case L'?': case L'[':
    case L'\\': case L']': case L'_': case L'~': case L'|': case L'@':
      return Kind::Word;
    case L':': return Kind::Colon;
    case L'{': case L'}': return Kind::Brace;
    case L';': return Kind::Semicolon;
    case L'%': case L'(': case L')': case L'*': case L'+': case L'-': case L'/': case L'=':
      return Kind::Operator;
    default: return Kind::Other;
  }
}

// Output of the rewrite; past the capacity it only counts, so that the needed length is known.
struct Writer {
  wchar_t* out;
  int size;
  int n = 0;
  wchar_t last = 0;

  void Put(wchar_t c) {
    if (n + 1 < size) out[n] = c;
    ++n;
    last = c;
  }
  bool Full() const { return n >= size; }
  bool After_Separator() const { return n == 0 || last == L' ' || last == L'\n'; }
};

void Rewrite(const wchar_t* in, int len, Writer& w) {
  bool quoted = false;
  for (int i = 0; i < len; ++i) {
    const wchar_t c = in[i];
    if (c == L'"') quoted = !quoted;
    if (c == L'"' || quoted) { w.Put(c); continue; }
    switch (Kind_Of(c)) {
      case Kind::Word: w.Put(c); break;
      case Kind::Colon:
        // A module word ("read:") is cut from what follows; a drive letter ("c:") is not.
        w.Put(c);
        if (i >= 2 && Is_Letter_Or_Digit(in[i - 2])) w.Put(L' ');
        break;
      case Kind::Brace: w.Put(L'\n'); w.Put(c); w.Put(L'\n'); break;
      case Kind::Semicolon: w.Put(L'\n'); break;
      case Kind::Operator:
        if (!w.After_Separator()) w.Put(L' ');
        w.Put(c);
        w.Put(L' ');
        break;
      case Kind::Other:
        if (!w.After_Separator()) w.Put(L' ');
        break;
    }
  }
}

}  // namespace

int Str_Strip_Special(wchar_t* text, int size) {
  if (!text || size <= 0) return -1;
  const int len = int(wcsnlen(text, size_t(size)));
  auto* buffer = static_cast<wchar_t*>(std::malloc(size_t(size) * sizeof(wchar_t)));
  if (!buffer) {
    QUARN_MEMORY_ERROR("malloc", "buffer", size, sizeof(wchar_t));
    return -1;
  }
  Writer w{buffer, size};
  Rewrite(text, len, w);
  if (w.Full()) {
    // The spaced-out text is longer than the line may be: refuse rather than cut it.
    quarn::script::Limit_Check("normalised script line", long(w.n), long(size) - 1);
    std::free(buffer);
    return -1;
  }
  std::wmemcpy(text, buffer, size_t(w.n));
  text[w.n] = 0;
  std::free(buffer);
  return w.n;
}

wchar_t* Script_Strip_Comment(wchar_t* text) {
  if (!text) return text;
  bool quoted = false;
  for (wchar_t* p = text; *p; ++p) {
    if (*p == L'"') quoted = !quoted;
    else if (!quoted && (*p == L'#' || *p == L';')) { *p = 0; break; }
  }
  return text;
}
