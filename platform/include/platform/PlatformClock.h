// The layer's millisecond clock: the steady clock, or a manual one that tests move by hand.
#pragma once

#include <platform/Export.h>

#include <cstdint>

/// The clock in milliseconds; never goes back, also across a change of mode.
PLATFORM_API uint64_t Platform_Clock_Now();
/// Nonzero stops the clock where it is and lets only Platform_Clock_Advance move it; zero lets
/// the steady clock run again from that time.
PLATFORM_API void Platform_Clock_Manual(int on);
/// 1 while the clock is manual, else 0.
PLATFORM_API int Platform_Clock_Is_Manual();
/// Moves the manual clock forward; 1 done, 0 while the steady clock runs (it cannot be moved).
PLATFORM_API int Platform_Clock_Advance(uint32_t ms);
