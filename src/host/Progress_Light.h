// Colours of the progress light and of the empty bar.
#pragma once

#include <hostkit/HostWidgets.h>

#include <cstdint>

namespace quarn::progress {

/// Number of lights: 1 green, 2 yellow, 3 red, 4 blue.
inline constexpr int Light_Count = 4;
/// Light shown while all goes well.
inline constexpr int Light_Green = 1;
/// Light shown while an error pop-up waits for the user.
inline constexpr int Light_Red = 3;

/// Colour of light 1 ... 4 (0x00BBGGRR), index 0 unused.
inline constexpr uint32_t Light_Rgb[Light_Count + 1] = {0, 0x0000C000, 0x0000DCFF, 0x000000DC,
                                                        0x00FF5000};
/// Fill of the inner box while no total is known.
inline constexpr uint32_t Empty_Rgb = 0x00A0A0A0;

}  // namespace quarn::progress
