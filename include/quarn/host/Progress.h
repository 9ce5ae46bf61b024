// The progress light and bar in the host's main window, driven from any thread.
#pragma once

#include <quarn/Export.h>

#include <hostkit/HostProgress.h>
#include <hostkit/HostTypes.h>

/// The host's progress box; until the host sets its window every progress call only traces.
extern QUARN_API Host_Progress_Object Progress_Quarn;
/// The host's progress window; the library keeps it for the host and never touches it.
extern QUARN_API Host_Window Window_Progress;

/// Starts a count of total steps (0: unknown), with the light green and the bar at 0.
QUARN_API void Fct_Progress_Start(int total);
/// Adds step to the count, kept within 0 ... total, and redraws the bar; refused while idle.
QUARN_API void Fct_Progress_Inc(int step);
/// Moves the bouncing marker by the change of the integer part of an accumulated step.
QUARN_API void Fct_Progress_PingPong(float step);
/// Stops the count; the bar keeps showing it until a reset.
QUARN_API void Fct_Progress_Stop();
/// After a stop, makes the progress idle and clears the light to green.
QUARN_API void Fct_Progress_Reset();
/// Redraws the box with the light: 1 green, 2 yellow, 3 red, 4 blue, 0 the remembered light.
QUARN_API void Fct_Progress_Clear(int light);
