// UTF-8 to and from wide text for the programs the platform layer talks to.
#pragma once

#include <string>

namespace platform {

/// Encodes wide text as UTF-8; a code point outside Unicode becomes U+FFFD.
std::string Utf8_Encode(const std::wstring& text);
/// Decodes UTF-8; a byte that starts no valid sequence stands for itself.
std::wstring Utf8_Decode(const std::string& text);

}  // namespace platform
