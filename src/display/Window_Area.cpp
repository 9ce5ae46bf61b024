// Window surfaces as the class trees need them.
#include "display/Window_Area.h"

#include <quarn/display/Quarn_Window.h>

namespace quarn {

Region_2D Window_Area_Inf(Quarn_Window* window) {
  const Region_2D area(8, 0, 0, int(window->width) - 1, int(window->height) - 1);
  return window->Wnd_2_Inf(area);
}

}  // namespace quarn
