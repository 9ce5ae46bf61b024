// Text clean-up used by the name setters and by callers that show foreign text.
#include <quarn/core/Str_Cleanup.h>

#include <cctype>
#include <cwctype>

namespace {
// The raster text's colour and font-style switches survive the clean-up.
bool Is_Kept_Code(unsigned c) { return (c >= 1 && c <= 4) || (c >= 0xF0 && c <= 0xF2); }
}  // namespace

char* Fct_Str_Cleanup(char* text) {
  if (!text) return text;
  for (char* p = text; *p; ++p) {
    auto c = static_cast<unsigned char>(*p);
    if (!Is_Kept_Code(c) && !std::isprint(c)) *p = '_';
  }
  return text;
}

wchar_t* Fct_Str_Cleanup(wchar_t* text) {
  if (!text) return text;
  for (wchar_t* p = text; *p; ++p) {
    auto c = static_cast<unsigned>(*p);
    if (!Is_Kept_Code(c) && !std::iswprint(static_cast<wint_t>(*p))) *p = L'_';
  }
  return text;
}
