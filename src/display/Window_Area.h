// The drawing surface of a window as the class trees need it.
#pragma once

#include <quarn/core/Region.h>

class Quarn_Window;

namespace quarn {

/// The window's whole surface, corners (0, 0) and (width - 1, height - 1) in window space,
/// taken to interface space.
Region_2D Window_Area_Inf(Quarn_Window* window);

}  // namespace quarn
