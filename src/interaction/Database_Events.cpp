// Routing of pointer, key, wheel and rubber-band events from window space into the 2D tree.
#include <quarn/interaction/Database_2D.h>

#include <quarn/classes/Quarn_2D.h>
#include <quarn/display/Quarn_Window.h>

#include "core/Check.h"
#include "core/Trace.h"
#include "interaction/Database_Vars.h"

namespace {

using Handler = int (Quarn_2D::*)(Quarn_Window*, int, Point_2D*);

/// The root when it has children; else traces the empty-root exit of function.
Quarn_2D* Root_Or_Trace(uint32_t cls, const char* function) {
  Quarn_2D* root = quarn::Root_2D_Get();
  if (root && root->Child_Get_Nb()) return root;
  QUARN_REPORT(cls, "<<< out Fct: %s(empty root)", function);
  return nullptr;
}

int Route(uint32_t cls, const char* function, Handler handler, Quarn_Window* window, int code,
          int16_t x, int16_t y) {
  QUARN_REPORT(cls, ">>> in  Fct: %s(%d, %d, %d)", function, code, int(x), int(y));
  Quarn_2D* root = Root_Or_Trace(cls, function);
  if (!root || !window) return 0;
  Point_2D point = window->Wnd_2_Inf(Point_2D(8, int(x), int(y)));
  const int result = (root->*handler)(window, code, &point);
  QUARN_REPORT(cls, "<<< out Fct: %s(%d)", function, result);
  return result;
}

}  // namespace

int Database_2D_Click(Quarn_Window* window, int code, int16_t x, int16_t y) {
  return Route(quarn::msg::Pointer, "Database_2D_Click", &Quarn_2D::Interface_Click, window, code, x, y);
}

int Database_2D_Motion(Quarn_Window* window, int code, int16_t x, int16_t y) {
  return Route(quarn::msg::Key, "Database_2D_Motion", &Quarn_2D::Interface_Motion, window, code, x, y);
}

int Database_2D_Scroll(Quarn_Window* window, int code, int16_t x, int16_t y) {
  return Route(quarn::msg::Key, "Database_2D_Scroll", &Quarn_2D::Interface_Scroll, window, code, x, y);
}

int Database_2D_Key(Quarn_Window* window, int code, int16_t x, int16_t y) {
  return Route(quarn::msg::Pointer, "Database_2D_Key", &Quarn_2D::Interface_Key, window, code, x, y);
}

int Database_2D_Select(Quarn_Window* window, Region_2D region) {
  QUARN_REPORT(quarn::msg::Key, ">>> in  Fct: Database_2D_Select()");
  Quarn_2D* root = Root_Or_Trace(quarn::msg::Key, "Database_2D_Select");
  if (!root || !window) return 0;
  Region_2D inside = window->Wnd_2_Inf(region);
  const int result = root->Interface_Select(window, &inside);
  QUARN_REPORT(quarn::msg::Key, "<<< out Fct: Database_2D_Select(%d)", result);
  return result;
}
