// The window's two planar spaces: host window pixels and the interface pixels of its surface.
#include <quarn/display/Quarn_Window.h>

// The pan moves whole pixels only, so that drawn frames stay on the pixel grid.

Point_2D Quarn_Window::Wnd_2_Inf(Point_2D p) {
  const float px = float(int(pan_x.value)), py = float(int(pan_y.value));
  return Point_2D(7, px + p.x, float(height) - (p.y - py));
}

Region_2D Quarn_Window::Wnd_2_Inf(Region_2D r) {
  return Region_2D(Wnd_2_Inf(r.Get_Min()), Wnd_2_Inf(r.Get_Max()));
}

Point_2D Quarn_Window::Inf_2_Wnd(Point_2D p) {
  const float px = float(int(pan_x.value)), py = float(int(pan_y.value));
  return Point_2D(8, p.x - px, float(height) - (p.y - py));
}

Region_2D Quarn_Window::Inf_2_Wnd(Region_2D r) {
  return Region_2D(Inf_2_Wnd(r.Get_Min()), Inf_2_Wnd(r.Get_Max()));
}
