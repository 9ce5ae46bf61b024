// What a window shows: current child, mode, current window, cine loops, and the module globals.
#pragma once

#include <quarn/Export.h>

#include <cstdint>

class Quarn_2D;
class Quarn_Window;

/// Module of the window that became current or changed mode last.
extern QUARN_API uint32_t Quarn_Module_Cur;
/// Module that window had before.
extern QUARN_API uint32_t Quarn_Module_Prev;
/// The window whose module changed last.
extern QUARN_API Quarn_Window* Quarn_Module_Wind;

/// Most loops that run at once plus one; loop ids are 1 ... MAX_LOOP - 1.
inline constexpr int MAX_LOOP = 100;

/// Shows child in the window in place of old (null: the child that is current now).
QUARN_API void Fct_Change_Child(Quarn_Window* window, Quarn_2D* child, Quarn_2D* old = nullptr);
/// Switches the window to one of the four window modes; other values do nothing.
QUARN_API void Fct_Change_Mode(Quarn_Window* window, unsigned short mode);
/// Sets (absolute nonzero) and multiplies (factor nonzero) the zoom of the window's selected
/// frames, clamped to 0.05 ... 40, keeping the frame point under the pointer where it is.
QUARN_API void Fct_Change_Scale(Quarn_Window* window, float absolute, float factor);
/// Centres the window's 3D view on its selected frames and geometry and sizes it to their
/// extent; returns 1.
QUARN_API int Fct_3D_Center(Quarn_Window* window);
/// Makes window the current window.
QUARN_API void Fct_Change_Window(Quarn_Window* window);
/// Starts (or restarts) the cine loop of node in the window, and of its subtree when recurse;
/// 1 done, 0 when a timer could not be had.
QUARN_API int Fct_Loop_Start(Quarn_Window* window, Quarn_2D* node, unsigned char recurse);
/// Stops the cine loop of node in the window, and of its subtree when recurse; 1 done, 0 when a
/// timer could not be stopped.
QUARN_API int Fct_Loop_Stop(Quarn_Window* window, Quarn_2D* node, unsigned char recurse);
/// Number of loops running now.
QUARN_API int Fct_Loop_Count();
