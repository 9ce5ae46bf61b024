// Fct_Open_FileName: existing files asked of the user, written out as whole paths.
#include <quarn/host/File_Dialog.h>

#include <hostkit/HostUtil.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "host/Dialog_Common.h"

#include <cwchar>
#include <new>
#include <string>
#include <vector>

namespace {

using quarn::msg::Invalid;
using quarn::msg::Low_Other;
constexpr const char* kLabel = "Fct_Open_FileName";

/// The chosen folder, ending with '/', and the names in it.
struct Chosen {
  std::wstring folder;
  std::vector<std::wstring> names;
};

// One path whole (its folder before the offset), or the folder, a NUL and NUL-ended names.
Chosen Parse(const wchar_t* buffer, int offset) {
  Chosen c;
  const bool several = offset > 0 && buffer[offset - 1] == L'\0';
  c.folder.assign(buffer, size_t(several ? offset - 1 : offset));
  if (!c.folder.empty() && c.folder.back() != L'/') c.folder += L'/';
  if (!several) {
    c.names.push_back(buffer + offset);
    return c;
  }
  for (const wchar_t* name = buffer + offset; *name; name += std::wcslen(name) + 1) c.names.push_back(name);
  return c;
}

[[gnu::cold]] void Too_Many(int max_files) {
  QUARN_REPORT(Invalid, "\xF1\x05WARNING:\x02 To many file at once");
  QUARN_REPORT(Invalid, "\xF1\t You can not open more than \x01%d\x02 files at once", max_files);
}

int Write_Paths(const Chosen& c, int max_files, wchar_t (*paths)[FILE_PATH_MAX]) {
  int written = 0;
  for (const std::wstring& name : c.names) {
    if (written == max_files) {
      Too_Many(max_files);
      break;
    }
    const std::wstring path = c.folder + name;
    if (path.size() >= size_t(FILE_PATH_MAX)) {
      quarn::dialog::Report_Too_Long(kLabel, path);
      continue;
    }
    path.copy(paths[written], path.size());
    paths[written][path.size()] = L'\0';
    ++written;
  }
  return written;
}

}  // namespace

int Fct_Open_FileName(const char* title, const wchar_t* filter, int max_files, wchar_t (*paths)[FILE_PATH_MAX],
                      uint32_t options_off) {
  if (max_files < 1 || !paths) {
    QUARN_REPORT(Invalid, "%s: room for %d files%s", kLabel, max_files, paths ? "" : " and no place for them");
    return 0;
  }
  quarn::dialog::Focus_Lock lock;
  const std::wstring folder = quarn::dialog::Remembered_Folder();
  QUARN_REPORT(Low_Other, L"in Fct_Open_FileName: Default_File_Path = %ls", folder.c_str());
  const size_t size = size_t(max_files) * FILE_PATH_MAX;
  std::vector<wchar_t> buffer;
  try {
    buffer.assign(size, L'\0');
  } catch (const std::bad_alloc&) {
    QUARN_MEMORY_ERROR("malloc", "szFile", max_files, FILE_PATH_MAX);
    return 0;
  }
  const std::wstring wide_title = title ? Host_Char_To_Wide(title) : L"";
  Platform_Dialog_Request request;
  request.kind = PLATFORM_DIALOG_OPEN;
  request.title = wide_title.c_str();
  request.filter = filter;
  request.folder = folder.c_str();
  request.options = DIALOG_OPEN_OPTIONS & ~options_off;
  request.buffer = buffer.data();
  request.buffer_size = int(std::min(size, size_t(INT32_MAX)));
  Platform_Dialog_Result result;
  if (!quarn::dialog::Show(kLabel, request, result)) return 0;
  const Chosen chosen = Parse(buffer.data(), result.file_offset);
  QUARN_REPORT(Low_Other, L"in Fct_Open_FileName: New File Path = %ls", chosen.folder.c_str());
  quarn::dialog::Remember_Folder(chosen.folder);
  const int written = Write_Paths(chosen, max_files, paths);
  QUARN_REPORT(Low_Other, "out Fct_Open_FileName: return %d files", written);
  return written;
}
