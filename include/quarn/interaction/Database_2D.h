// The 2D database as a window shows it: current frame, layout and visibility.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Region.h>

#include <cstdint>

class Quarn_2D;
class Quarn_Window;

/// Descends from object (null: the root) to a frame along the window's current path, marking
/// first children current where no child is, and makes that frame the window's current frame.
QUARN_API void Database_2D_Current(Quarn_Window* window, Quarn_2D* object = nullptr);
/// Lays out the 2D tree for the window (the root's Resize) when the root has children.
QUARN_API void Database_2D_Resize(Quarn_Window* window);
/// Resets the visible bit of the whole tree for the window's mode.
QUARN_API void Database_2D_Visibility_Set(Quarn_Window* window);

/// Hands a pointer press (code nonzero) or release (0) at window pixel (x, y) to the tree;
/// nonzero when an object took it, 0 when none did or the tree is empty.
QUARN_API int Database_2D_Click(Quarn_Window* window, int code, int16_t x, int16_t y);
/// Hands a pointer motion at window pixel (x, y) to the tree; nonzero when an object took it.
QUARN_API int Database_2D_Motion(Quarn_Window* window, int code, int16_t x, int16_t y);
/// Hands a wheel turn of code steps (signed) at window pixel (x, y) to the tree.
QUARN_API int Database_2D_Scroll(Quarn_Window* window, int code, int16_t x, int16_t y);
/// Hands a key press (0x800 plus the virtual key) with the pointer at (x, y) to the tree.
QUARN_API int Database_2D_Key(Quarn_Window* window, int code, int16_t x, int16_t y);
/// Hands a rubber-band rectangle in window space to the tree; the number of objects that took it.
QUARN_API int Database_2D_Select(Quarn_Window* window, Region_2D region);
