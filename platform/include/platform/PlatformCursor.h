// The pointer position in screen pixels, one for the whole process.
#pragma once

#include <platform/Export.h>

/// Places the pointer at a position.
PLATFORM_API void Platform_Cursor_Set(int x, int y);
/// Moves the pointer by an offset; each coordinate stops at the int range instead of wrapping.
PLATFORM_API void Platform_Cursor_Move(int dx, int dy);
/// The pointer position (0, 0 at start); either out may be null; x and y always come from the
/// same placement, also while other threads move the pointer.
PLATFORM_API void Platform_Cursor_Get(int* x, int* y);
