// The module table and the dispatcher that the library calls for every statement.
#include "Host_Command.h"
#include "Host_Module.h"
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

// Statements run inside a statement (a script file read by "script: run", a macro's body) are
// the outer statement's work: only the outermost one goes into the session's script.
int g_depth = 0;
bool g_skip = false;

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
  // The text is composed before the handler runs, which may rewrite its argument list.
  const bool record = g_depth == 0 && command->recorded;
  const std::wstring text = record ? Host_Statement_Text(prefix, *nb_arg, *pt_arg) : std::wstring();
  if (g_depth == 0) g_skip = false;
  ++g_depth;
  const int result = command->run(nb_arg, pt_arg);
  --g_depth;
  Host_Update_Pass();
  // A refused statement changed nothing (bad input leaves everything as it was): replaying it
  // would only fail again.
  if (record && result && !g_skip) Host_Session_Record(text);
  return result;
}

void Host_Record_Skip() {
  if (g_depth == 1) g_skip = true;
}

std::wstring Host_Statement_Text(const wchar_t* prefix, int nb_arg, wchar_t** pt_arg) {
  std::wstring text = prefix;
  for (int i = 0; i < nb_arg; ++i) {
    const wchar_t* word = pt_arg[i] ? pt_arg[i] : L"";
    // Words that hold operators of the script language are quoted, as a user writes paths.
    const std::wstring value = std::wcschr(word, L'$') ? Host_Expand(word) : std::wstring(word);
    // A minus inside a word is one too ("a-b.png"); a leading one is a negative number's sign.
    const bool quote = value.empty() || value.find_first_of(L" \t;#/*+()=<>!&|,") != std::wstring::npos ||
                       value.find(L'-', 1) != std::wstring::npos;
    text += L' ';
    text += quote && (value.empty() || value.front() != L'"') ? L'"' + value + L'"' : value;
  }
  return text;
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

std::wstring Host_Expand(const wchar_t* word) { return Host_Module_Expand(word); }
