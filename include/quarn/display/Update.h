// Update requests: mark what changed for the display and tell the host.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Region.h>

#include <cstdint>

/// Requests an update with a 64-bit mask for the selected windows, objects and frame region.
QUARN_API void Fct_Update(uint64_t mask, void* window = nullptr,
                          void* object = reinterpret_cast<void*>(8), Region_2D* region = nullptr);
/// Requests an update with a 64-bit mask without marking any object.
QUARN_API void Fct_Update_Direct(uint64_t mask);
