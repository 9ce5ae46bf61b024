// The title block of a text export: title and name, when it was made and by what.
#include <quarn/host/Header_Report.h>

#include <hostkit/HostUtil.h>

#include "core/Trace.h"
#include "host/Header_Support.h"

#include <ctime>
#include <string>

namespace {

using quarn::header::Writer;

/// Dashes of the comment layout's rule line.
constexpr int kRuleLength = 77;
constexpr size_t kDateSize = 64;

std::string Now_Text() {
  char text[kDateSize] = "";
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local)) std::strftime(text, sizeof text, "%d %b %Y %H:%M", &local);
  return text;
}

}  // namespace

int Fct_Header_Time_ASCII(FILE* file, const char* title, const wchar_t* name) {
  if (quarn::header::No_File(file, "Fct_Header_Time_ASCII")) return 0;
  Writer out(file);
  const std::wstring rule = L"; " + std::wstring(kRuleLength, L'-') + L"\n";
  const std::wstring heading = std::wstring(Host_Char_To_Wide(title ? title : "")) + L" " + (name ? name : L"");
  out.Text(rule);
  out.Line(L"; --- %-69.69ls ---\n", heading.c_str());
  out.Line(L"; --- created: %hs                                            ---\n", Now_Text().c_str());
  out.Text(rule);
  out.Text(L"\n");
  return 1;
}

int Fct_Header_Time_DB(FILE* file, const char* title, const wchar_t* name) {
  if (quarn::header::No_File(file, "Fct_Header_Time_DB")) return 0;
  const quarn::header::Settings s = quarn::header::Settings_Get();
  Writer out(file);
  out.Line(L"=== %hs:%lc%ls\n", title ? title : "", s.separator, name ? name : L"");
  out.Line(L"=== created:%lc%hs\n", s.separator, Now_Text().c_str());
  out.Line(L"=== with:%lc%ls %ls\n", s.separator, Host_Program_Name, Host_Program_Version);
  out.Text(L"\n");
  return 1;
}
