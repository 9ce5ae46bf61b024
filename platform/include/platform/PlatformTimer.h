// Window timers with ids and periods, ticked by the pump on the host thread.
#pragma once

#include <platform/Export.h>
#include <platform/PlatformWindow.h>

#include <cstdint>

/// Tick procedure of a timer: the window, the timer id and the layer's clock at the tick, in ms.
typedef void (*Platform_Timer_Proc)(Platform_Window* window, unsigned id, uint64_t time_ms);

/// Shortest period; shorter requests are raised to it.
constexpr uint32_t PLATFORM_TIMER_MINIMUM = 10;
/// Longest period; longer requests are lowered to it.
constexpr uint32_t PLATFORM_TIMER_MAXIMUM = 0x7FFFFFFF;

/// Starts, or restarts from now when the window already has it, the timer id (nonzero) of a
/// window; its first tick is due one period from now, the next ones on the same beat, missed
/// beats falling together into one tick. A null proc hands the pump's handler a
/// PLATFORM_MSG_TIMER message instead. Returns id, or 0 for an invalid window, id 0 or out of
/// memory.
PLATFORM_API unsigned Platform_Set_Timer(Platform_Window* window, unsigned id, uint32_t period_ms,
                                         Platform_Timer_Proc proc);
/// Stops a timer (also from inside its own tick); 1 done, 0 when the window is invalid or has
/// no such timer.
PLATFORM_API int Platform_Kill_Timer(Platform_Window* window, unsigned id);
/// Milliseconds until the window's next timer is due (0 when one is due now), -1 when it has
/// none or is invalid; a host waits this long for messages before it pumps again.
PLATFORM_API int64_t Platform_Timer_Next(Platform_Window* window);
