// What the file and folder dialogs share: the focus lock, the remembered folder and the reports
// of a dialog that failed or could not be shown.
#include "host/Dialog_Common.h"

#include <quarn/host/File_Dialog.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <cstdlib>
#include <cwchar>

namespace quarn::dialog {

namespace {

Remembered_Variable g_lock_focus{L"$INTERFACE_LOCK_FOCUS", true};
Remembered_Variable g_folder{L"$DEFAULT_FILE_PATH", true};

/// Failure codes of the common dialog with the names its failure reports give them.
struct Failure_Name {
  uint32_t code;
  const wchar_t* name;
};

const Failure_Name kFailures[] = {
    {1, L"Struct Size"},         {2, L"Initialization"},      {3, L"No Template"},
    {4, L"No Hinstance"},        {5, L"Load Str. Failure"},   {6, L"Find Res. Failure"},
    {7, L"Load Res. Failure"},   {8, L"Lock Res. Failure"},   {9, L"Mem. Alloc. Failure"},
    {10, L"Mem. Lock Failure"},  {11, L"No Hook"},            {0x3001, L"Sub-Class Failure"},
    {0x3002, L"Invalid File name"}, {0x3003, L"Buffer to Small"}, {0xFFFF, L"Dialog Failure"},
};

const wchar_t* Failure_Text(uint32_t code) {
  for (const Failure_Name& f : kFailures)
    if (f.code == code) return f.name;
  return L"Unknown error";
}

[[gnu::cold]] void Report_Failure(const Platform_Dialog_Result& r) {
  QUARN_REPORT(msg::Invalid, L"\xF1\x05WARNING:\x02 \"%ls\" in GetOpenFileName()!", Failure_Text(r.error));
  if (!r.detail.empty()) QUARN_REPORT(msg::Invalid, L"\xF1\t %ls", r.detail.c_str());
}

[[gnu::cold]] void Report_Unavailable(const char* label, const Platform_Dialog_Result& r) {
  QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 %s: no dialog available", label);
  QUARN_REPORT(msg::Invalid, L"\xF1\t %ls (queue an answer, or run with a display and zenity)", r.detail.c_str());
}

}  // namespace

Focus_Lock::Focus_Lock() {
  if (auto* lock = g_lock_focus.As<uint8_t>()) *lock = 1;
}

Focus_Lock::~Focus_Lock() {
  if (auto* lock = g_lock_focus.As<uint8_t>()) *lock = 0;
}

std::wstring Remembered_Folder() {
  wchar_t** folder = g_folder.As<wchar_t*>();
  return folder && *folder ? *folder : L"";
}

// The variable owns a malloc'd text: the old one is freed, a copy stored.
void Remember_Folder(const std::wstring& folder) {
  wchar_t** slot = g_folder.As<wchar_t*>();
  if (!slot) return;
  wchar_t* copy = folder.empty() ? nullptr : wcsdup(folder.c_str());
  if (!folder.empty() && !copy) {
    QUARN_MEMORY_ERROR("_wcsdup", "Default_File_Path", folder.size() + 1, 1);
    return;
  }
  std::free(*slot);
  *slot = copy;
}

bool Show(const char* label, const Platform_Dialog_Request& request, Platform_Dialog_Result& result) {
  switch (Platform_Dialog_Show(&request, &result)) {
    case PLATFORM_DIALOG_CHOSEN: return true;
    case PLATFORM_DIALOG_CANCELLED: QUARN_REPORT(msg::Low_Other, "out %s: return without files", label); break;
    case PLATFORM_DIALOG_UNAVAILABLE: Report_Unavailable(label, result); break;
    default: Report_Failure(result); break;
  }
  return false;
}

void Report_Too_Long(const char* label, const std::wstring& path) {
  QUARN_REPORT(msg::Invalid, "\xF1\x05WARNING:\x02 %s: a path longer than %d characters is left out", label,
               FILE_PATH_MAX - 1);
  QUARN_REPORT(msg::Invalid, L"\xF1\t \x01%ls\x02", path.c_str());
}

}  // namespace quarn::dialog
