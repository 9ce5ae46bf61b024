// Fct_File_Open: a file opened as the user would open it, through the script language.
#include <quarn/host/File_Dialog.h>

#include <quarn/script/Script_Reader.h>

#include "core/Trace.h"

#include <cwchar>

int Fct_File_Open(const wchar_t* name) {
  if (!name || !*name) {
    QUARN_REPORT(quarn::msg::Invalid, "Fct_File_Open: no file named");
    return 0;
  }
  if (std::wcslen(name) >= size_t(FILE_PATH_MAX)) {
    QUARN_REPORT(quarn::msg::Invalid, L"Fct_File_Open: a path longer than %d characters is not opened: %ls",
                 FILE_PATH_MAX - 1, name);
    return 0;
  }
  // The name goes in double quotes, where the script's operators ("/", "-") are plain text; a
  // double quote of its own could not be written there, and the words of a statement are split
  // at blanks, so that only single blanks come back when they are joined again.
  if (std::wcspbrk(name, L"\"\t\r\n") || std::wcsstr(name, L"  ")) {
    QUARN_REPORT(quarn::msg::Invalid,
                 L"Fct_File_Open: a name holding a double quote, a tab, a line end or two blanks in a row "
                 L"cannot be written in a script line: %ls",
                 name);
    return 0;
  }
  return Script_Read_Line(L"read: image \"%ls\"", name);
}
