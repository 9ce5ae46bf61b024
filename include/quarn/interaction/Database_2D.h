// The 2D database as a window shows it: current frame, layout and visibility.
#pragma once

#include <quarn/Export.h>

class Quarn_2D;
class Quarn_Window;

/// Descends from object (null: the root) to a frame along the window's current path, marking
/// first children current where no child is, and makes that frame the window's current frame.
QUARN_API void Database_2D_Current(Quarn_Window* window, Quarn_2D* object = nullptr);
/// Lays out the 2D tree for the window (the root's Resize) when the root has children.
QUARN_API void Database_2D_Resize(Quarn_Window* window);
/// Resets the visible bit of the whole tree for the window's mode.
QUARN_API void Database_2D_Visibility_Set(Quarn_Window* window);
