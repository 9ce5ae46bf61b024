// The clipboard: the desktop's clipboard through a helper program when a display is present,
// else a clipboard of this process. Used as the common clipboard is: open, empty, set, close.
#pragma once

#include <platform/Export.h>
#include <platform/PlatformWindow.h>

/// Opens the clipboard for a window (null: for the process); 1 done, else 0 with errno EBADF for
/// a window that is not live or EBUSY while another owner has it open.
PLATFORM_API int Platform_Clipboard_Open(Platform_Window* window);
/// Empties the open clipboard; 1 done, else 0 with errno EPERM when the caller has not opened it.
PLATFORM_API int Platform_Clipboard_Empty();
/// Hands a malloc'd wide text over to the open clipboard; on success the clipboard owns it and
/// returns 1, else the caller keeps it and 0 comes back with errno set (EPERM: not opened by
/// the caller, EINVAL: null text, or the helper program's failure).
PLATFORM_API int Platform_Clipboard_Set_Text(wchar_t* text);
/// Closes the clipboard the caller opened; 1 done, 0 with errno EPERM when it had not.
PLATFORM_API int Platform_Clipboard_Close();
/// Copies the text this process last put on the clipboard into buffer (count characters with
/// the terminator, cut to fit) and returns the text's full length; -1 when there is none.
PLATFORM_API int Platform_Clipboard_Get_Text(wchar_t* buffer, int count);
/// Chooses the helper: null searches for wl-copy (Wayland), xclip or xsel (X11) while a display is
/// present, "" uses none (the process clipboard only), any other text names the program, which
/// gets xclip's command line.
PLATFORM_API void Platform_Clipboard_Helper_Set(const char* program);
