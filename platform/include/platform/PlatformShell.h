// Opening a document or address with the desktop's program for it.
#pragma once

#include <platform/Export.h>

/// Hands an address or file to the opener (xdg-open when present) without waiting for it;
/// 1 when the opener started, else 0 with errno ENOENT (no opener), EINVAL (null or empty
/// address) or the reason it could not start.
PLATFORM_API int Platform_Shell_Open(const wchar_t* address);
/// Chooses the opener: null searches for xdg-open, "" uses none, any other text names the program
/// (a name along PATH or a path), which is given the address as its one argument.
PLATFORM_API void Platform_Shell_Program_Set(const char* program);
