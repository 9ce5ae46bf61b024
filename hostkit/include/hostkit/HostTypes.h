// Handle types shared by the host kit, the platform layer and the library.
#pragma once

#include <cstdint>

/// A host window; the platform layer defines the record behind it.
struct Platform_Window;
/// Handle of a host window, as passed as the owner of every report and pop-up.
typedef Platform_Window* Host_Window;
