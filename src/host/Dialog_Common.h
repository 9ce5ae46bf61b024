// What the file and folder dialogs share: the focus lock, the remembered folder and the reports
// of a dialog that failed or could not be shown.
#pragma once

#include <platform/PlatformDialog.h>

#include <string>

namespace quarn::dialog {

/// Holds $INTERFACE_LOCK_FOCUS at 1 while a dialog is open.
class Focus_Lock {
public:
  Focus_Lock();
  ~Focus_Lock();
  Focus_Lock(const Focus_Lock&) = delete;
  Focus_Lock& operator=(const Focus_Lock&) = delete;
};

/// The folder dialogs start in ($DEFAULT_FILE_PATH), empty when none.
std::wstring Remembered_Folder();
/// Makes folder the one dialogs start in (empty: none).
void Remember_Folder(const std::wstring& folder);

/// Shows the request; true when the user chose. Otherwise the cancel is traced as
/// "out <label>: return without files", a failure reported with the dialog's failure text and
/// its detail, and a dialog that could not be shown reported as such.
bool Show(const char* label, const Platform_Dialog_Request& request, Platform_Dialog_Result& result);

/// Reports a path that is longer than FILE_PATH_MAX - 1 characters and so is left out.
void Report_Too_Long(const char* label, const std::wstring& path);

}  // namespace quarn::dialog
