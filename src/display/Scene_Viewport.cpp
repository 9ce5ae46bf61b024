// Database_2D_Viewport: viewport, projection, scissor box and model-view for drawing an object.
#include <quarn/display/Scene_Draw.h>

#include "display/GL.h"
#include "display/Scene_Support.h"

#include <algorithm>

using namespace quarn;

namespace {
constexpr const char* Name = "Database_2D_Viewport";
// Depth range of the orthographic projection the drawings use.
constexpr double Near = 0.0, Far = 0.5;
}  // namespace

int Database_2D_Viewport(Quarn_Window* window, Quarn_2D* object) {
  QUARN_REPORT(msg::Draw, ">>> in  Fct: %s(%s:%ls)", Name, Title_Of(Object_Of(object)),
               Name_Of(Object_Of(object)));
  if (!window) return scene::Pass_Out(Name, "! window", 0);
  const int w = window->width, h = window->height;
  glViewport(0, 0, w, h);
  QUARN_GL_ERRORS("glViewport");
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, 0, h, Near, Far);
  QUARN_GL_ERRORS("glMatrix");

  if (object) {
    Region_2D r = window->Inf_2_Wnd(object->Inside_Get(window));
    r.x_min = std::max(r.x_min, 0.0f);
    r.y_min = std::max(r.y_min, 0.0f);
    r.x_max = std::min(r.x_max, float(w - 1));
    r.y_max = std::min(r.y_max, float(h - 1));
    if (r.x_min > r.x_max || r.y_min > r.y_max) return scene::Pass_Out(Name, "cull", 0);
    // One pixel less than the rectangle each way: the right and top edges belong to the neighbour.
    glScissor(scene::Trunc(r.x_min), scene::Trunc(r.y_min), scene::Trunc(r.x_max - r.x_min + 1) - 1,
              scene::Trunc(r.y_max - r.y_min + 1) - 1);
    QUARN_GL_ERRORS("glScissor");
  }
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  QUARN_GL_ERRORS("glMatrix");
  return scene::Pass_Out(Name, "done", 1);
}
