// Flag words and steps shared by the window changes and the cine loops.
#pragma once

#include <quarn/classes/Class_Flag.h>

#include <cstdint>

class Quarn_2D;
class Quarn_Window;

namespace quarn {

inline constexpr uint64_t Update_Current = 0x20000000000ull;  ///< The current path changed.

/// Traces the exit "<<< out Fct: function(why)" and returns result.
int Exit_Trace(const char* function, const char* why, int result = 0);
/// True when the two nodes have the same inside rectangle in the window.
bool Same_Inside(Quarn_2D* a, Quarn_2D* b, Quarn_Window* window);
/// Moves the selected bit to the window's current frame: from previous when clear_previous,
/// else only when the current frame lacks it; each move asks for a selection update.
void Selection_Follow_Current(Quarn_Window* window, Quarn_2D* previous, bool clear_previous);
/// Hands the window to module and records the change in the module globals.
void Module_Globals_Set(Quarn_Window* window, uint32_t module);

}  // namespace quarn
