// Fct_Dir_Test and Fct_Dir_Input: a folder the user named, checked, and created on request.
#include <quarn/host/File_Dialog.h>

#include <quarn/host/Progress.h>

#include <hostkit/HostUtil.h>
#include <hostkit/HostWidgets.h>

#include "core/Trace.h"
#include "host/Progress_Light.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace {

/// Width and height of the pop-ups that carry a folder's name.
constexpr int kPopupWidth = 350;
constexpr int kPopupHeight = 170;
/// The button that agrees to create the folder.
constexpr int kCreate = 1;

/// The progress light is red while an error pop-up waits for the user.
class Red_Light {
public:
  Red_Light() { Fct_Progress_Clear(quarn::progress::Light_Red); }
  ~Red_Light() { Fct_Progress_Clear(quarn::progress::Light_Green); }
  Red_Light(const Red_Light&) = delete;
  Red_Light& operator=(const Red_Light&) = delete;
};

std::wstring Formatted(const wchar_t* format, const wchar_t* a, const wchar_t* b, const char* c) {
  wchar_t text[4 * FILE_PATH_MAX];
  if (Host_Format(text, sizeof text / sizeof text[0], format, a, b, c) < 0) return a;
  return text;
}

[[gnu::cold]] std::nullptr_t Missing(const wchar_t* folder, const char* text) {
  QUARN_REPORT(quarn::msg::Invalid, L"Directory \"%ls\" does not exist!", folder);
  const std::wstring body = Formatted(L"Directory: \n\"\x01%ls\x02\"\ndoes not exist!%ls%hs", folder, L"", text);
  Red_Light light;
  Host_Popup_Message(Host_Main_Window, L"WARNING!", L"Openning directory", body.c_str(), kPopupWidth, kPopupHeight, 0);
  return nullptr;
}

[[gnu::cold]] std::nullptr_t Not_Created(const wchar_t* folder, const char* text, int error) {
  const std::wstring reason = Host_Errno_Text(error);
  QUARN_REPORT(quarn::msg::Invalid, "\xF1\x04" "ERROR:\x02\t Unable to create directory!");
  QUARN_REPORT(quarn::msg::Invalid, L"\xF1\t\x01 %ls", reason.c_str());
  const std::wstring body = Formatted(L"Unable to create directory:\n\x01%ls\x02\n%ls%hs", folder, reason.c_str(), text);
  Red_Light light;
  Host_Popup_Message(Host_Main_Window, L"ERROR!", L"Creating directory", body.c_str(), kPopupWidth, kPopupHeight, 0);
  return nullptr;
}

bool No_Folder(const wchar_t* folder, const char* label) {
  if (folder && *folder) return false;
  QUARN_REPORT(quarn::msg::Invalid, "%s: no folder named", label);
  return true;
}

}  // namespace

const wchar_t* Fct_Dir_Test(const wchar_t* folder, const char* text) {
  if (No_Folder(folder, "Fct_Dir_Test")) return nullptr;
  if (!Host_Is_Dir(folder)) return Missing(folder, text ? text : "");
  return Host_Last_Slash(folder);
}

const wchar_t* Fct_Dir_Input(const wchar_t* folder, const char* text) {
  if (No_Folder(folder, "Fct_Dir_Input")) return nullptr;
  if (Host_Is_Dir(folder)) return Host_Last_Slash(folder);
  static const wchar_t* const buttons[] = {L"Cancel", L"Create", nullptr};
  const std::wstring body =
      Formatted(L"Directory: \n\"\x01%ls\x02\"\ndoes not exist!\nDo you wish to create it ?%ls%hs", folder, L"", "");
  if (Host_Popup_Query(Host_Main_Window, L"Querry", L"Invalid Directory", body.c_str(), buttons, kPopupWidth,
                       kPopupHeight, 0) != kCreate)
    return nullptr;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(Host_Wide_To_Char(folder)), ec);
  if (ec || !Host_Is_Dir(folder)) return Not_Created(folder, text ? text : "", ec ? ec.value() : ENOTDIR);
  return Host_Last_Slash(folder);
}
