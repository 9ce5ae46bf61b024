// Fct_Help: a help page's address from the topic, shown by the desktop's browser.
#include <quarn/host/Services.h>

#include <hostkit/HostUtil.h>
#include <platform/PlatformShell.h>

#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

quarn::Remembered_Variable g_local{L"$INTERFACE_HELP_LOCAL"};
quarn::Remembered_Variable g_index{L"$INTERFACE_HELP_INDEX"};

constexpr const wchar_t* kIndexPage = L"index.htm";
constexpr const wchar_t* kShortcut = L"HelpURL.url";

std::wstring Text_Of(quarn::Remembered_Variable& v) {
  wchar_t** text = v.As<wchar_t*>();
  return text && *text ? *text : L"";
}

bool Ends_With(const std::wstring& text, const std::wstring& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool Is_Page(const std::wstring& topic) { return Ends_With(topic, L".htm") || Ends_With(topic, L".html"); }

// A file address names the absolute path.
std::wstring File_Address(const std::wstring& path) {
  std::filesystem::path file = Host_Wide_To_Char(path.c_str());
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
  if (!ec) file = absolute;
  return L"file://" + std::wstring(Host_Char_To_Wide(file.c_str()));
}

std::wstring Address(const std::wstring& topic, const std::wstring& anchor) {
  const std::wstring local = Text_Of(g_local);
  const std::wstring index = Text_Of(g_index);
  std::wstring address;
  if (topic.empty()) address = index + kIndexPage;
  else if (!Is_Page(topic)) address = (local.empty() ? index : local) + kIndexPage + L"?id=" + topic;
  else if (Host_Is_File(topic.c_str())) address = File_Address(topic);
  else if (!local.empty() && Host_Is_File((local + topic).c_str())) address = File_Address(local + topic);
  else address = index + L"topics/" + topic;
  if (!anchor.empty()) address += L"#" + anchor;
  return address;
}

// A local page is also left as an Internet shortcut in the scratch folder, which keeps the
// anchor where a browser would drop it from a plain file path.
std::wstring Write_Shortcut(const std::wstring& address) {
  const std::wstring path = std::wstring(Host_Scratch_Dir) + kShortcut;
  FILE* file = std::fopen(Host_Wide_To_Char(path.c_str()), "w");
  if (!file) {
    QUARN_REPORT(quarn::msg::Notice, L"\xF1\x05WARNING:\x02 Unable to write \x01%ls\x02: %ls", path.c_str(),
                 Host_Errno_Text(errno));
    return L"";
  }
  std::fprintf(file, "[InternetShortcut]\nURL=%s", Host_Wide_To_Char(address.c_str()));
  std::fclose(file);
  return path;
}

}  // namespace

int Fct_Help(const char* topic, const char* anchor) {
  const std::wstring wanted = topic ? Host_Char_To_Wide(topic) : L"";
  const std::wstring mark = anchor ? Host_Char_To_Wide(anchor) : L"";
  const std::wstring address = Address(wanted, mark);
  QUARN_REPORT(quarn::msg::Low_Other, L"in Fct_Help: %ls", address.c_str());
  const std::wstring shortcut = address.rfind(L"file:", 0) == 0 ? Write_Shortcut(address) : L"";
  if (!Platform_Shell_Open(address.c_str())) {
    const int error = errno;
    QUARN_REPORT(quarn::msg::Notice, L"\xF1\x05WARNING:\x02 No browser could be started for the help (%ls)",
                 Host_Errno_Text(error));
    QUARN_REPORT(quarn::msg::Notice, L"\xF1\t Open \x01%ls\x02 yourself", shortcut.empty() ? address.c_str() : shortcut.c_str());
    if (!shortcut.empty()) QUARN_REPORT(quarn::msg::Notice, L"\xF1\t (it leads to %ls)", address.c_str());
  }
  return 1;
}
