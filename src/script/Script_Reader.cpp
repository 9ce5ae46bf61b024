// Reading script text: lines, typed input and files, under the script lock, into statement
// trees that are executed once complete.
#include <quarn/script/Script_Reader.h>

#include <quarn/display/Update.h>
#include <quarn/script/Script_Args.h>
#include <quarn/script/Script_Error.h>
#include <quarn/script/Script_Macro.h>
#include <quarn/script/Script_Vars.h>

#include "script/Script_Internal.h"
#include "script/Script_Limits.h"
#include "script/Script_Text.h"

#include "core/Trace.h"

#include <hostkit/HostUtil.h>
#include <hostkit/HostWidgets.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <mutex>
#include <string>

Script_Dispatch_Fct Fct_Script_Dispatch = nullptr;
Script_Help_Fct Fct_Script_Dispatch_Help = nullptr;
Script_Save_Fct Fct_Script_Dispatch_Save = nullptr;
Script_Save_Fct Fct_Script_Dispatch_Cuda = nullptr;
short Script_Line = 0;
wchar_t Script_Name[2048] = L"";

static_assert(sizeof Script_Name / sizeof Script_Name[0] == quarn::script::SCRIPT_NAME_SIZE);

namespace quarn::script {
namespace {

std::atomic<unsigned short> g_flags{0};
int g_read_depth = 0;  // nesting of reading, under the lock

// Created on first use, as a line may be read before the host finished its start-up.
std::recursive_mutex& Script_Lock() {
  static std::recursive_mutex lock;
  return lock;
}

// Holds the script lock for one reading, with its bracket traces.
class Script_Hold {
public:
  explicit Script_Hold(const char* who) : who_(who) {
    Script_Lock().lock();
    QUARN_REPORT(msg::Critical, L"\u25BC6\u25BC\u25BC\u25BC\u25BC Script \u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC\u25BC \"%hs\"", who_);
  }
  ~Script_Hold() {
    QUARN_REPORT(msg::Critical, L"\u25B26\u25B2\u25B2\u25B2\u25B2 Script \u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2\u25B2 \"%hs\"", who_);
    Script_Lock().unlock();
  }
  Script_Hold(const Script_Hold&) = delete;
  Script_Hold& operator=(const Script_Hold&) = delete;

private:
  const char* who_;
};

void Flag_On(unsigned short bit) { g_flags.fetch_or(bit); }
void Flag_Off(unsigned short bit) { g_flags.fetch_and(static_cast<unsigned short>(~bit)); }

bool Is_Help(const wchar_t* line) {
  if (line[0] == L'?') return true;
  static const wchar_t kHelp[] = L"help";
  for (int i = 0; i < 4; ++i)
    if (std::towlower(wint_t(line[i])) != wint_t(kHelp[i])) return false;
  return true;
}

// Hands a tree that the builder completed to its execution; 0 when it failed.
int Run_Completed(W_Script_Statements* tree) {
  W_Cur_Branch = nullptr;
  if (tree->is_call) {
    tree->is_call = 0;
    tree->is_definition = 0;
    return W_Script_Macro_Execute(tree);
  }
  if (tree->is_immediate && !tree->is_definition) return Root_Run();
  tree->is_definition = 0;  // a macro definition is complete
  return 1;
}

// Reads one statement of a normalised line into the tree; 0 when it failed.
int Read_Statement(wchar_t* statement) {
  Host_Str_Strip_Spaces(statement);
  if (!*statement) return 1;
  int n = 0;
  wchar_t** args = nullptr;
  const wchar_t* prefix = Script_Args_Split(statement, &n, &args);
  Script_Stool(int(msg::Script_File), L"-> Script_Read_Line:", prefix, n, args);
  W_Tree_Error = false;
  W_Script_Statements* tree = Script_Read_Line_2(nullptr, prefix, n, args);
  const bool refused = W_Tree_Error;
  Args_Free(&n, &args);
  if (refused) return 0;
  return tree ? Run_Completed(tree) : 1;
}

// Reads one formatted line; the caller holds the script lock.
int Read_Text(wchar_t* line) {
  ++Script_Line;
  if (Is_Help(line)) {
    if (Fct_Script_Dispatch_Help) Fct_Script_Dispatch_Help();
    W_Cur_Branch = nullptr;
    return 1;
  }
  if (line[0] == L'*') return 1;  // a comment line
  Script_Strip_Comment(line);
  if (Str_Strip_Special(line, SCRIPT_LINE_SIZE) <= 0) {
    QUARN_REPORT(msg::Script_File, "<<< out Fct: Script_Read_Line(line empty)");
    return 0;
  }
  const bool nested = Script_Flag_Get() & SCRIPT_FLAG_EXECUTE;
  Flag_On(SCRIPT_FLAG_EXECUTE);
  int result = 1;
  wchar_t* state = nullptr;
  // Statements are cut at line feeds only; blanks stay inside them.
  for (wchar_t* s = Host_Str_Tokenize(line, L"\n", &state); s; s = Host_Str_Tokenize(nullptr, L"\n", &state))
    if (!Read_Statement(s)) result = 0;
  if (!nested) Flag_Off(SCRIPT_FLAG_EXECUTE);
  return result;
}

// A file line's end and a leading byte-order mark are not script text.
void Trim_File_Line(std::wstring& line, bool first) {
  while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
  if (first && !line.empty() && line[0] == 0xFEFF) line.erase(0, 1);
}

int Read_Stream(FILE* file) {
  int result = 1;
  char* bytes = nullptr;
  size_t capacity = 0;
  ssize_t got;
  bool first = true;
  while ((got = getline(&bytes, &capacity, file)) >= 0) {
    std::wstring line = Host_Utf8_Decode(bytes, size_t(got));
    Trim_File_Line(line, first);
    first = false;
    if (!Limit_Check("script file line", long(line.size()), SCRIPT_FILE_LINE_MAX)) {
      ++Script_Line;  // refused whole rather than read in pieces; the numbering goes on
      result = 0;
      continue;
    }
    if (!Script_Read_Line(L"%ls", line.c_str())) result = 0;
  }
  std::free(bytes);
  return result;
}

[[gnu::cold]] void Report_Open_Failure(const wchar_t* name, int error) {
  QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" Unable to open file !");
  QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"%ls", name);
  QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"%ls", Host_Errno_Text(error));
}

}  // namespace
}  // namespace quarn::script

using namespace quarn::script;

int Script_Read_Line(const wchar_t* format, ...) {
  QUARN_REPORT(quarn::msg::Script_File, ">>> in  Fct: Script_Read_Line()");
  Script_Hold hold("Script_Read_Line");
  if (!Limit_Check("script reading nesting", g_read_depth + 1, SCRIPT_READ_DEPTH_MAX)) return 0;
  wchar_t line[SCRIPT_LINE_SIZE] = {};
  va_list args;
  va_start(args, format);
  const int n = format ? Host_Format_V(line, SCRIPT_LINE_SIZE, format, args) : -1;
  va_end(args);
  if (n < 0) {
    Limit_Check("script line (or it cannot be formatted)", SCRIPT_LINE_SIZE, SCRIPT_LINE_SIZE - 1);
    QUARN_REPORT(quarn::msg::Script_File, "<<< out Fct: Script_Read_Line(vswprintf failed)");
    return 0;
  }
  ++g_read_depth;
  const int result = Read_Text(line);
  --g_read_depth;
  QUARN_REPORT(quarn::msg::Script_File, "<<< out Fct: Script_Read_Line(%d)", result);
  return result;
}

int Script_Read_Input(const wchar_t* line) {
  Script_Hold hold("Script_Read_Input");
  Script_Line = -2;
  std::wcscpy(Script_Name, L"Input Line");
  return Script_Read_Line(L"%ls", line ? line : L"");
}

int Script_Read_File(const wchar_t* name) {
  QUARN_REPORT(quarn::msg::Script_File, L">>> in  Fct: Script_Read_File(%ls)", name ? name : L"null");
  Script_Hold hold("Script_Read_File");
  wchar_t path[SCRIPT_NAME_SIZE];
  if (!name || !Limit_Check("script file name", long(std::wcslen(name)), SCRIPT_NAME_SIZE - 1)) return 0;
  std::wcscpy(path, name);
  Host_Str_Strip_Quotes(Host_Str_Strip_Spaces(path));
  // A script read from a script's command comes back to its reader's name and line.
  const bool nested = Script_Flag_Get() & SCRIPT_FLAG_FILE;
  wchar_t outer_name[SCRIPT_NAME_SIZE];
  const short outer_line = Script_Line;
  if (nested) std::wcscpy(outer_name, Script_Name);
  std::wcscpy(Script_Name, path);
  Script_Line = 0;
  FILE* file = std::fopen(Host_Wide_To_Char(path), "r");
  if (!file) {
    Report_Open_Failure(path, errno);
    QUARN_REPORT(quarn::msg::Script_File, "<<< out Fct: Script_Read_File(unable to open)");
    return 0;
  }
  Flag_On(SCRIPT_FLAG_FILE);
  Fct_Redraw(UPDATE_DELAY_ON);
  Fct_Update(UPDATE_DELAY_ON);
  Host_Wait_Cursor_On(Host_Main_Window);
  const int result = Read_Stream(file);
  std::fclose(file);
  if (nested) {
    std::wcscpy(Script_Name, outer_name);
    Script_Line = outer_line;
  } else {
    Flag_Off(SCRIPT_FLAG_FILE);
  }
  Host_Wait_Cursor_Off(Host_Main_Window);
  Fct_Update(UPDATE_DELAY_OFF);
  Fct_Redraw(UPDATE_DELAY_OFF);
  QUARN_REPORT(quarn::msg::Script_File, "<<< out Fct: Script_Read_File(%d)", result);
  return result;
}

int Script_Save_File(const wchar_t* name) {
  QUARN_REPORT(quarn::msg::Script_File, L">>> in  Fct: Script_Save_File(%ls)", name ? name : L"null");
  const int result = Fct_Script_Dispatch_Save ? Fct_Script_Dispatch_Save(name) : 0;
  QUARN_REPORT(quarn::msg::Script_File, "<<< out Fct: Script_Save_File(%d)", result);
  return result;
}

int Script_Save_Cuda(const wchar_t* name) {
  QUARN_REPORT(quarn::msg::Script_File, L">>> in  Fct: Script_Save_Cuda(%ls)", name ? name : L"null");
  const int result = Fct_Script_Dispatch_Cuda ? Fct_Script_Dispatch_Cuda(name) : 0;
  QUARN_REPORT(quarn::msg::Script_File, "<<< out Fct: Script_Save_Cuda(%d)", result);
  return result;
}

unsigned short Script_Flag_Get() { return g_flags.load(); }

unsigned short Script_Flag_Set(unsigned short flags) {
  g_flags.store(flags);
  return flags;
}

void Script_Cleanup() {
  QUARN_REPORT(quarn::msg::Script_File, ">>> in  Fct: Script_Cleanup()");
  Script_Hold hold("Script_Cleanup");
  // A tree left open by the last lines read goes too: nothing may point into released macros.
  W_Cur_Branch = nullptr;
  W_Last_If = nullptr;
  W_Script_Macro_Free(&W_Root_Branch);
  W_Script_Macro_Cleanup();
  Variable_Cleanup();
  QUARN_REPORT(quarn::msg::Script_File, "<<< out Fct: Script_Cleanup()");
}
