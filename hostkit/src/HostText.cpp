// Text conversion between UTF-8 and wide characters into per-thread buffers.
#include <hostkit/HostUtil.h>

#include <cstring>
#include <cwchar>
#include <string>

const wchar_t* Host_Char_To_Wide(const char* text) {
  if (!text) return nullptr;
  thread_local std::wstring buffer;
  buffer = Host_Utf8_Decode(text, std::strlen(text));
  return buffer.c_str();
}

const char* Host_Wide_To_Char(const wchar_t* text) {
  if (!text) return nullptr;
  thread_local std::string buffer;
  buffer = Host_Report_Utf8(std::wstring(text));
  return buffer.c_str();
}
