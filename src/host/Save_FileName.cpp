// Fct_Save_FileName: a file name to write asked of the user, and the filter left selected.
#include <quarn/host/File_Dialog.h>

#include <hostkit/HostUtil.h>

#include "core/Trace.h"
#include "host/Dialog_Common.h"

#include <cwchar>
#include <string>

namespace {
constexpr const char* kLabel = "Fct_Save_FileName";
}  // namespace

int Fct_Save_FileName(const char* title, const wchar_t* filter, const wchar_t* default_name,
                      const wchar_t* default_ext, wchar_t* path, uint32_t options_off) {
  if (!path) {
    QUARN_REPORT(quarn::msg::Invalid, "%s: no place for the path", kLabel);
    return 0;
  }
  quarn::dialog::Focus_Lock lock;
  const std::wstring folder = quarn::dialog::Remembered_Folder();
  QUARN_REPORT(quarn::msg::Low_Other, L"in Fct_Save_FileName: Default_File_Path = %ls", folder.c_str());
  wchar_t buffer[FILE_PATH_MAX] = L"";
  if (default_name && std::wcslen(default_name) >= size_t(FILE_PATH_MAX))
    quarn::dialog::Report_Too_Long(kLabel, default_name);
  else if (default_name)
    std::wcscpy(buffer, default_name);
  const std::wstring wide_title = title ? Host_Char_To_Wide(title) : L"";
  Platform_Dialog_Request request;
  request.kind = PLATFORM_DIALOG_SAVE;
  request.title = wide_title.c_str();
  request.filter = filter;
  request.filter_index = 1;
  request.folder = folder.c_str();
  request.default_ext = default_ext;
  request.options = DIALOG_SAVE_OPTIONS & ~options_off;
  request.buffer = buffer;
  request.buffer_size = FILE_PATH_MAX;
  Platform_Dialog_Result result;
  if (!quarn::dialog::Show(kLabel, request, result)) return 0;
  const std::wstring chosen = buffer;
  quarn::dialog::Remember_Folder(chosen.substr(0, size_t(result.file_offset)));
  std::wcscpy(path, buffer);
  QUARN_REPORT(quarn::msg::Low_Other, L"out Fct_Save_FileName: %ls (filter %d)", path, result.filter_index);
  return result.filter_index;
}
