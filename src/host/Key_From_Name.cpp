// Fct_Key_From_Name: a key's code from the name scripts give it, through the $KEY_NAME table.
#include <quarn/host/Services.h>

#include <hostkit/HostUtil.h>

#include "host/Host_Table.h"

#include <cwchar>
#include <string>

int Fct_Key_From_Name(const char* name) {
  if (!name) return 0;
  std::wstring wanted = Host_Char_To_Wide(name);
  Host_Str_Strip_Quotes(wanted.data());
  wanted.resize(std::wcslen(wanted.c_str()));
  int count = 0;
  const Host_Key_Name* keys = quarn::Host_Table<Host_Key_Name>(L"$KEY_NAME", &count);
  for (int i = 0; i < count; ++i)
    if (keys[i].name && wanted == keys[i].name) return keys[i].code;
  return 0;
}
