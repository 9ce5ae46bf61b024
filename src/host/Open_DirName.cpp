// Fct_Open_DirName: a folder asked of the user, written out with its closing separator.
#include <quarn/host/File_Dialog.h>

#include <hostkit/HostUtil.h>

#include "core/Trace.h"
#include "host/Dialog_Common.h"

#include <string>

namespace {
constexpr const char* kLabel = "Fct_Open_DirName";
}  // namespace

int Fct_Open_DirName(const char* title, wchar_t* folder) {
  if (!folder) {
    QUARN_REPORT(quarn::msg::Invalid, "%s: no place for the folder", kLabel);
    return 0;
  }
  quarn::dialog::Focus_Lock lock;
  const std::wstring start = quarn::dialog::Remembered_Folder();
  const std::wstring wide_title = title ? Host_Char_To_Wide(title) : L"";
  wchar_t buffer[FILE_PATH_MAX] = L"";
  Platform_Dialog_Request request;
  request.kind = PLATFORM_DIALOG_FOLDER;
  request.title = wide_title.c_str();
  request.folder = start.c_str();
  request.buffer = buffer;
  request.buffer_size = FILE_PATH_MAX;
  Platform_Dialog_Result result;
  if (!quarn::dialog::Show(kLabel, request, result)) return 0;
  std::wstring chosen = buffer;
  if (chosen.empty() || chosen.back() != L'/') chosen += L'/';
  if (chosen.size() >= size_t(FILE_PATH_MAX)) {
    quarn::dialog::Report_Too_Long(kLabel, chosen);
    return 0;
  }
  chosen.copy(folder, chosen.size());
  folder[chosen.size()] = L'\0';
  return 1;
}
