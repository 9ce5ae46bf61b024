// What a dialog's answer gave, before it is checked and written into the caller's buffer.
#pragma once

#include <platform/PlatformDialog.h>

#include <string>
#include <vector>

namespace platform {

/// One answer: how the dialog ended, the paths chosen and the filter left selected.
struct Dialog_Choice {
  int status = PLATFORM_DIALOG_CANCELLED;  ///< Platform_Dialog_Status.
  uint32_t error = 0;                      ///< Failure code when failed.
  std::vector<std::wstring> paths;         ///< Chosen paths when chosen.
  int filter_index = 0;                    ///< Filter chosen, 0 for the request's.
  std::wstring detail;                     ///< Failed: what went wrong.
};

/// One pair of a filter text: its label and its patterns.
struct Filter_Pair {
  std::wstring label;                  ///< Label shown.
  std::vector<std::wstring> patterns;  ///< Patterns such as "*.dcm".
};

/// The pairs of a filter text (label NUL patterns NUL ... NUL); an unpaired label is dropped.
std::vector<Filter_Pair> Filter_Pairs(const wchar_t* filter);

/// Index from 1 of the first filter with a pattern matching the path's name, or 0 for none.
int Filter_Matching(const std::vector<Filter_Pair>& pairs, const std::wstring& path);

/// Shows the request through a dialog program of zenity's command line.
Dialog_Choice Dialog_Program_Run(const std::string& program, const Platform_Dialog_Request& request);

}  // namespace platform
