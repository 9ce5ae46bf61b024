// Clipboard_Copy: a wide text handed over to the clipboard, each failed step reported.
#include <quarn/host/Services.h>

#include <hostkit/HostUtil.h>
#include <platform/PlatformClipboard.h>

#include "core/Trace.h"

#include <cerrno>
#include <cstdlib>
#include <cwchar>

namespace {

// The step names are the common clipboard's, so that a report reads the same on every system.
[[gnu::cold]] int Failed(const char* step, uint32_t cls, int error, wchar_t* owned) {
  QUARN_REPORT(cls, "\xF1\x04" "ERROR:\x02 Failed in %s()", step);
  QUARN_REPORT(cls, L"\xF1\t%ls", Host_Errno_Text(error));
  Platform_Clipboard_Close();
  std::free(owned);
  return 0;
}

}  // namespace

int Clipboard_Copy(Host_Window window, const wchar_t* text) {
  if (!text) {
    QUARN_REPORT(quarn::msg::Invalid, "Clipboard_Copy: no text to copy");
    return 0;
  }
  if (!Platform_Clipboard_Open(window)) return Failed("OpenClipboard", quarn::msg::Platform, errno, nullptr);
  if (!Platform_Clipboard_Empty()) return Failed("EmptyClipboard", quarn::msg::Platform, errno, nullptr);
  const size_t length = std::wcslen(text);
  auto* copy = static_cast<wchar_t*>(std::malloc((length + 1) * sizeof(wchar_t)));
  if (!copy) return Failed("GlobalAlloc", quarn::msg::Platform, ENOMEM, nullptr);
  std::wmemcpy(copy, text, length + 1);
  // From a successful hand-over on the text is the clipboard's.
  if (!Platform_Clipboard_Set_Text(copy)) return Failed("SetClipboardData", quarn::msg::Clipboard, errno, copy);
  Platform_Clipboard_Close();
  return 1;
}
