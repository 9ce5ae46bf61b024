// The module table and the dispatcher that the library calls for every statement.
#include "Host_Command.h"
#include "Host_Session.h"

#include <quarn/quarn.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

std::vector<Host_Command>& Table() {
  static std::vector<Host_Command> table;
  return table;
}

const Host_Command* Find(const wchar_t* prefix) {
  for (const Host_Command& c : Table())
    if (std::wcscmp(c.prefix, prefix) == 0) return &c;
  return nullptr;
}

}  // namespace

Host_Command_Registration::Host_Command_Registration(const Host_Command& command) {
  Table().push_back(command);
  std::sort(Table().begin(), Table().end(),
            [](const Host_Command& a, const Host_Command& b) { return std::wcscmp(a.prefix, b.prefix) < 0; });
}

int Host_Dispatch(const wchar_t* prefix, int* nb_arg, wchar_t*** pt_arg) {
  if (!prefix || !*prefix) {
    Host_Report(Host_Main_Window, quarn::msg::Notice,
                L"\xF1\x04" L"ERROR:\x02 no module named yet (start the statement with one, as \"echo:\")");
    return 0;
  }
  const Host_Command* command = Find(prefix);
  if (!command) {
    Host_Report(Host_Main_Window, quarn::msg::Notice,
                L"\xF1\x04" L"ERROR:\x02 unknown module \"\x01%ls\x02\" (type \"help\")", prefix);
    return 0;
  }
  const int result = command->run(nb_arg, pt_arg);
  Host_Update_Pass();
  return result;
}

void Host_Help() {
  Host_Print(L"Statements are \"module: words\"; a statement without module goes to the last one.");
  for (const Host_Command& c : Table()) Host_Print(c.usage);
  Host_Print(L"Also: $var = values, for $v in ( values ), if ( test ), { ... }, else, @macro = ...");
}

void Host_Print(const wchar_t* text) {
  std::fputs(Host_Report_Utf8(text).c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

std::wstring Host_Expand(const wchar_t* word) {
  int count = 0;
  wchar_t** values = Variable_Replacement(word, &count);
  if (!values) return word ? word : L"";
  std::wstring out;
  for (int i = 0; i < count; ++i) {
    if (i) out += L' ';
    if (values[i]) out += values[i];
    std::free(values[i]);
  }
  std::free(values);
  return out;
}
