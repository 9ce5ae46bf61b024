// Host window records: creation, destruction, handle validity, title, client size, user pointer.
#pragma once

#include <platform/Export.h>

/// A host window; the layer keeps the record private and hands out its address as the handle.
struct Platform_Window;

/// Creates a window record with a title (null for none), a client size in pixels and a user
/// pointer; null for a negative size or when memory runs out.
PLATFORM_API Platform_Window* Platform_Window_Create(const wchar_t* title, int width, int height,
                                                    void* user);
/// Destroys a window: drops its queued messages and its timers and wakes whoever waits on it;
/// 1 done, 0 for a handle that is not a live window.
PLATFORM_API int Platform_Window_Destroy(Platform_Window* window);
/// 1 when the handle names a live window, else 0 (null and destroyed handles included).
PLATFORM_API int Platform_Window_Valid(Platform_Window* window);
/// Number of live windows.
PLATFORM_API int Platform_Window_Count();

/// Replaces the title (null clears it); 1 done, 0 for an invalid window or out of memory.
PLATFORM_API int Platform_Window_Title_Set(Platform_Window* window, const wchar_t* title);
/// Copies the title into buffer (count characters with the terminator; a longer title is cut)
/// and returns the title's full length, so that a result >= count tells it was cut; 0 for an
/// invalid window.
PLATFORM_API int Platform_Window_Title_Get(Platform_Window* window, wchar_t* buffer, int count);
/// Sets the client area size in pixels; 1 done, 0 for an invalid window or a negative size.
PLATFORM_API int Platform_Window_Size_Set(Platform_Window* window, int width, int height);
/// The client area size (the client rectangle runs from 0, 0 to width, height); either out may
/// be null; 1 done, 0 for an invalid window (the outs are then left alone).
PLATFORM_API int Platform_Window_Size_Get(Platform_Window* window, int* width, int* height);
/// Replaces the user pointer; 1 done, 0 for an invalid window.
PLATFORM_API int Platform_Window_User_Set(Platform_Window* window, void* user);
/// The user pointer, or null for an invalid window.
PLATFORM_API void* Platform_Window_User_Get(Platform_Window* window);
