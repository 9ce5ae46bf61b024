// Wild-card matching of names against templates with '*' and '?'.
#include <hostkit/HostUtil.h>

namespace {

size_t Character_Length(const wchar_t*) { return 1; }

// A UTF-8 sequence counts as one character; a byte that starts no valid sequence stands alone.
size_t Character_Length(const char* p) {
  auto c = static_cast<unsigned char>(*p);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
  for (size_t k = 1; k < n; ++k)
    if ((static_cast<unsigned char>(p[k]) & 0xC0) != 0x80) return 1;
  return n;
}

// Greedy scan that, on a mismatch, lets only the last '*' take one more character: earlier stars
// never need to be revisited, so the cost stays within text length times pattern length.
template <class C>
int Match(const C* text, const C* pattern) {
  if (!text || !pattern) return 0;
  const C* t = text;
  const C* p = pattern;
  const C* star = nullptr;   // pattern just after the last '*' seen
  const C* resume = nullptr; // text position that '*' has swallowed up to
  while (*t) {
    if (*p == C('*')) {
      while (*p == C('*')) ++p;
      star = p;
      resume = t;
    } else if (*p == C('?')) {
      t += Character_Length(t);
      ++p;
    } else if (*p && *p == *t) {
      ++t;
      ++p;
    } else if (star) {
      resume += Character_Length(resume);
      t = resume;
      p = star;
    } else {
      return 0;
    }
  }
  while (*p == C('*')) ++p;
  return *p == 0;
}

}  // namespace

int Host_Str_Match(const wchar_t* text, const wchar_t* pattern) { return Match(text, pattern); }

int Host_Str_Match(const char* text, const char* pattern) { return Match(text, pattern); }
