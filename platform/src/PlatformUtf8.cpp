// UTF-8 to and from wide text for the programs the platform layer talks to.
#include "PlatformUtf8.h"

#include <cstdint>

namespace platform {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;
constexpr uint32_t kLastCodePoint = 0x10FFFF;

void Put(std::string& out, uint32_t c) {
  if (c > kLastCodePoint || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6);
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12);
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18);
    out += char(0x80 | (c >> 12 & 0x3F));
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// Length of the sequence a lead byte opens and the bits it carries; 0 for no lead byte.
int Lead(unsigned char b, uint32_t* bits) {
  if (b >= 0xC2 && b <= 0xDF) return *bits = b & 0x1F, 2;
  if (b >= 0xE0 && b <= 0xEF) return *bits = b & 0x0F, 3;
  if (b >= 0xF0 && b <= 0xF4) return *bits = b & 0x07, 4;
  return 0;
}

}  // namespace

std::string Utf8_Encode(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) Put(out, uint32_t(c));
  return out;
}

std::wstring Utf8_Decode(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    uint32_t c = 0;
    const int n = b < 0x80 ? 1 : Lead(b, &c);
    bool whole = n > 0 && i + size_t(n) <= text.size();
    for (int k = 1; whole && k < n; ++k) {
      const auto next = static_cast<unsigned char>(text[i + size_t(k)]);
      whole = (next & 0xC0) == 0x80;
      c = c << 6 | (next & 0x3F);
    }
    // Overlong forms and surrogates are not UTF-8: their bytes stand for themselves.
    const uint32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (n > 1 && whole && c >= least[n] && c <= kLastCodePoint && !(c >= 0xD800 && c <= 0xDFFF)) {
      out += wchar_t(c);
      i += size_t(n);
    } else {
      out += wchar_t(b);
      ++i;
    }
  }
  return out;
}

}  // namespace platform
