// Trace and report macros: the filter is tested before any argument is formatted.
#pragma once

#include <hostkit/HostReport.h>
#include <quarn/core/Report_Class.h>

/// Reports a line through the host when its class is shown; arguments are not evaluated otherwise.
#define QUARN_REPORT(cls, ...)                                         \
  do {                                                                 \
    if (Host_Report_Enabled(cls)) Host_Report(Host_Main_Window, (cls), __VA_ARGS__); \
  } while (0)

namespace quarn {

/// Builds a nesting marker line ("▼4▼▼▼▼ Class ▼▼…" then " 1 ▼▼▼▼▼▼▼▼" per level) into out.
/// banner is the whole first part, level_mark the glyph repeated after each level number.
/// Returns the number of characters written; stops at size - 1.
int Marker_Line(wchar_t* out, int size, const wchar_t* banner, wchar_t level_mark, int depth);

}  // namespace quarn
