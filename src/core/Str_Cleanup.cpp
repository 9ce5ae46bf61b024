// Text clean-up used by the name setters and by callers that show foreign text.
#include <quarn/core/Str_Cleanup.h>

#include <cstdint>

namespace {

constexpr uint32_t kLastCodePoint = 0x10FFFF;

// The raster text's colour and font-style switches survive the clean-up.
bool Is_Kept_Code(uint32_t c) { return (c >= 1 && c <= 4) || (c >= 0xF0 && c <= 0xF2); }

// Printable by Unicode, whatever the process locale says: everything but the control codes,
// surrogates, the two noncharacters at the end of the basic plane and what lies beyond Unicode.
// (The C library's classes follow the locale, and the "C" locale rejects every letter beyond
// ASCII, which would turn "José" into "Jos_".)
bool Is_Printable(uint32_t c) {
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return false;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  if (c == 0xFFFE || c == 0xFFFF) return false;
  return c <= kLastCodePoint;
}

// Length of the well-formed UTF-8 sequence at p and its code point; 0 when there is none.
int Utf8_Sequence(const unsigned char* p, uint32_t* code) {
  int n = 0;
  uint32_t c = 0;
  if (p[0] >= 0xC2 && p[0] <= 0xDF) n = 2, c = p[0] & 0x1Fu;
  else if (p[0] >= 0xE0 && p[0] <= 0xEF) n = 3, c = p[0] & 0x0Fu;
  else if (p[0] >= 0xF0 && p[0] <= 0xF4) n = 4, c = p[0] & 0x07u;
  else return 0;
  for (int k = 1; k < n; ++k) {
    if ((p[k] & 0xC0) != 0x80) return 0;  // also stops at the terminator
    c = c << 6 | (p[k] & 0x3Fu);
  }
  const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < least[n] || c > kLastCodePoint) return 0;
  *code = c;
  return n;
}

}  // namespace

char* Fct_Str_Cleanup(char* text) {
  if (!text) return text;
  // Narrow texts are UTF-8: a whole character is judged as one; a stray byte on its own.
  for (auto* p = reinterpret_cast<unsigned char*>(text); *p;) {
    uint32_t code = 0;
    if (const int n = Utf8_Sequence(p, &code)) {
      if (!Is_Printable(code))
        for (int k = 0; k < n; ++k) p[k] = '_';
      p += n;
      continue;
    }
    if (!Is_Kept_Code(*p) && (*p >= 0x80 || !Is_Printable(*p))) *p = '_';
    ++p;
  }
  return text;
}

wchar_t* Fct_Str_Cleanup(wchar_t* text) {
  if (!text) return text;
  for (wchar_t* p = text; *p; ++p) {
    const auto c = static_cast<uint32_t>(*p);
    if (!Is_Kept_Code(c) && !Is_Printable(c)) *p = L'_';
  }
  return text;
}
