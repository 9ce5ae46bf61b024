// Error printers for command handlers and the reader, and the one-line statement trace.
#include <quarn/script/Script_Error.h>

#include <quarn/script/Script_Reader.h>

#include "script/Script_Internal.h"
#include "script/Script_Limits.h"
#include "script/Script_Text.h"

#include "core/Trace.h"

#include <hostkit/HostUtil.h>

#include <cstdarg>
#include <cwchar>

namespace quarn::script {
namespace {

// Composes "text arg arg ..." (each argument after one blank) into line.
void Compose(wchar_t* line, const wchar_t* text, int nb_arg, wchar_t** pt_arg) {
  int n = 0;
  line[0] = 0;
  Text_Join(line, n, text);
  for (int i = 0; i < nb_arg && n < SCRIPT_TEXT_STOP; ++i) {
    Text_Join(line, n, L" ");
    Text_Join(line, n, pt_arg[i]);
  }
}

// The shared header of the argument and syntax errors: a trace of where, and the user's
// lines, which name the file and line when a script is being read.
void Report_Header(const wchar_t* what, const wchar_t* trace_detail) {
  QUARN_REPORT(msg::Low_File, L"reading: %ls, line: %d", Script_Name, int(Script_Line));
  QUARN_REPORT(msg::Low_File, L"%ls", what);
  if (trace_detail) QUARN_REPORT(msg::Low_File, L"%ls", trace_detail);
  if (Script_Line >= 1) {
    QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" reading script !");
    QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"file: " SCRIPT_HI_W L"%ls" SCRIPT_LO_W, Script_Name);
    QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"line: " SCRIPT_HI_W L"%d" SCRIPT_LO_W, int(Script_Line));
    QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"%ls", what);
  } else {
    QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" %ls", what);
  }
}

[[gnu::cold]] void Report_Count(const wchar_t* command, const wchar_t* expected) {
  wchar_t detail[SCRIPT_TEXT_SIZE];
  Host_Format(detail, SCRIPT_TEXT_SIZE, L"%ls -> (%ls)", command ? command : L"", expected);
  Report_Header(L"bad number of arguments", detail);
  QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"-> %ls", command ? command : L"");
}

int Check(const wchar_t* command, int given, int expected) {
  if (given == expected) return 1;
  wchar_t counts[64];
  Host_Format(counts, 64, L"%d /vs/ %d", given, expected);
  Report_Count(command, counts);
  return 0;
}

int Check_Range(const wchar_t* command, int given, int min, int max) {
  if (given >= min && given <= max) return 1;
  wchar_t counts[96];
  Host_Format(counts, 96, L"%d /vs/ (%d|%d)", given, min, max);
  Report_Count(command, counts);
  return 0;
}

// The narrow command texts are copied before the next conversion reuses the kit's buffer.
struct Wide_Copy {
  wchar_t text[SCRIPT_TEXT_SIZE];
  explicit Wide_Copy(const char* narrow) {
    Host_Format(text, SCRIPT_TEXT_SIZE, L"%ls", narrow ? Host_Char_To_Wide(narrow) : L"");
  }
};

}  // namespace

void Report_Located(const wchar_t* what) {
  QUARN_REPORT(msg::Notice, SCRIPT_ERROR_W L" %ls", what);
  if (Script_Line >= 1) {
    QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"file: " SCRIPT_HI_W L"%ls" SCRIPT_LO_W, Script_Name);
    QUARN_REPORT(msg::Notice, SCRIPT_TAB_W L"line: " SCRIPT_HI_W L"%d" SCRIPT_LO_W, int(Script_Line));
  }
}

}  // namespace quarn::script

using namespace quarn::script;

int Script_Arg_Check(const char* command, int given, int expected) {
  return given == expected ? 1 : Check(Wide_Copy(command).text, given, expected);
}

int Script_Arg_Check(const wchar_t* command, int given, int expected) {
  return Check(command, given, expected);
}

int Script_Arg_Check_Range(const char* command, int given, int min, int max) {
  return given >= min && given <= max ? 1 : Check_Range(Wide_Copy(command).text, given, min, max);
}

int Script_Arg_Check_Range(const wchar_t* command, int given, int min, int max) {
  return Check_Range(command, given, min, max);
}

void Script_Arg_Error(int argument, const char* format, ...) {
  char detail[ARG_ERROR_DETAIL_MAX + 1] = "";
  if (format) {
    va_list args;
    va_start(args, format);
    Host_Format_V(detail, sizeof detail, format, args);  // cut to the detail's width
    va_end(args);
  }
  wchar_t what[64];
  Host_Format(what, 64, L"argument %d is out of range", argument);
  Report_Header(what, nullptr);
  QUARN_REPORT(quarn::msg::Notice, SCRIPT_TAB_W L"-> (%ls)", Wide_Copy(detail).text);
}

void Script_Error(const char* text, int nb_arg, wchar_t** pt_arg) {
  Script_Error(Wide_Copy(text).text, nb_arg, pt_arg);
}

void Script_Error(const wchar_t* text, int nb_arg, wchar_t** pt_arg) {
  Script_Error();
  wchar_t line[SCRIPT_TEXT_SIZE];
  Compose(line, text, nb_arg, pt_arg);
  QUARN_REPORT(quarn::msg::Notice, SCRIPT_TAB_W L"%ls", line);
}

void Script_Error() { Report_Header(L"Syntax error", nullptr); }

void Script_Stool(int message_class, const wchar_t* title, const wchar_t* prefix, int nb_arg,
                  wchar_t** pt_arg) {
  const auto cls = uint32_t(message_class);
  if (!Host_Report_Enabled(cls)) return;
  wchar_t line[SCRIPT_TEXT_SIZE];
  int n = 0;
  line[0] = 0;
  Text_Join(line, n, title);
  Text_Join(line, n, L" ");
  if (prefix && *prefix) {
    Text_Join(line, n, prefix);
    Text_Join(line, n, L" ");
  }
  for (int i = 0; i < nb_arg && n < SCRIPT_TEXT_STOP; ++i) {
    if (i) Text_Join(line, n, L" ");
    Text_Join(line, n, pt_arg[i]);
  }
  Host_Report_Text(Host_Main_Window, cls, line);
}
