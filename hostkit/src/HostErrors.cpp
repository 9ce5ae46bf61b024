// Printable reasons for failed runtime calls.
#include <hostkit/HostUtil.h>

#include <cstring>
#include <string>

const wchar_t* Host_Errno_Text(int error) {
  thread_local std::wstring text;
  text = Host_Char_To_Wide(std::strerror(error));
  return text.c_str();
}
