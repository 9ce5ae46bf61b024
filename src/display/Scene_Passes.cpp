// The scene passes: each walks the 2D tree for one window and runs one table of draw callbacks
// on every object it reaches.
#include <quarn/display/Scene_Draw.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "display/GL.h"
#include "display/Scene_Support.h"
#include "interaction/Database_Vars.h"

using namespace quarn;

namespace {

using Pass = int (*)(uint64_t, Quarn_Window*, Quarn_2D*);

constexpr const char* Recursion_Failed = "recursion failed";

/// The recursion shared by the 2D passes: only a tree-list window goes below an object, and
/// then by the object's display mode (every child, the current child, or none).
bool Walk(Pass pass, uint64_t mask, Quarn_Window* window, Quarn_2D* object) {
  if (Window_Mode_Of(window) != WINDOW_MODE_2D_ALL) return true;
  const uint64_t mode = scene::Flag_Of(object, window, flag::Display_Mode);
  const int count = object->Child_Get_Nb();
  if (mode == CLASS_FLAG_EXPAND) {
    for (int i = 0; i < count; ++i)
      if (!pass(mask, window, object->Child_Get_Pt(i))) return false;
  } else if ((mode == CLASS_FLAG_LOOP || mode == CLASS_FLAG_ONE) && count) {
    if (!pass(mask, window, object->Child_Get_Pt(object->Child_Get_Cur(window)))) return false;
  }
  return true;
}

Quarn_2D* Start_Of(Quarn_2D* object) { return object ? object : Root_2D_Get(); }

/// The entry of a pass: object becomes the one it starts from (the root for none) and the entry
/// is traced; false, with the exit traced, when there is no window.
bool Begin(const char* name, Quarn_2D*& object, Quarn_Window* window, uint64_t mask) {
  object = Start_Of(object);
  scene::Pass_In(name, object, window, mask);
  if (window) return true;
  scene::Pass_Out(name, "! window", 0);
  return false;
}

/// The end of a pass over a tree-list window: the walk below the object, then the exit.
int Walk_Out(const char* name, Pass pass, uint64_t mask, Quarn_Window* window, Quarn_2D* object) {
  if (!Walk(pass, mask, window, object)) return scene::Pass_Out(name, Recursion_Failed, 0);
  return scene::Pass_Out(name, nullptr, 1);
}

bool One_Frame(const Quarn_Window* window) { return Window_Mode_Of(window) == WINDOW_MODE_2D_ONE; }

/// The window's current frame, or null.
Quarn_2D_Frame* Frame_Cur(Quarn_Window* window) {
  return Frame_If(Frame_Cur_Get(Window_Index_Of(window)));
}

void Draw_Tables(Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  // A failed drawing does not stop the pass: the rest of the window still needs drawing.
  Fct_Callback_Draw_Base(object, mask, window);
  Fct_Callback_Draw_OpenGL(object, mask, window);
}

}  // namespace

int Database_2D_Draw_OpenGL(uint64_t mask, Quarn_Window* window, Quarn_2D* object) {
  constexpr const char* name = "Database_2D_Draw_OpenGL";
  if (!Begin(name, object, window, mask)) return 0;
  if (One_Frame(window)) {
    Quarn_2D_Frame* frame = Frame_Cur(window);
    if (!frame) return scene::Pass_Out(name, "! *Frame_Cur", 0);
    scene::Layers_Ready(frame, "-> Database_2D_Draw_OpenGL: Unable to access GLI image! (frame %ls)",
                        "-> Database_2D_Draw_OpenGL: Unable to access TAG image! (frame %ls)");
    Draw_Tables(frame, mask, window);
    return scene::Pass_Out(name, "WINDOW_MODE_2D_ONE", 1);
  }
  if (!object) return scene::Pass_Out(name, "no root", 1);
  Quarn_2D_Frame* frame = Frame_If(object);
  if (frame && scene::Flag_Of(frame, window, flag::Visible))
    scene::Layers_Ready(frame, "WARNING: Database_2D_Draw_OpenGL: Unable to access GLI image! (frame %ls)",
                        "WARNING: Database_2D_Draw_OpenGL: Unable to access TAG image! (frame %ls)");
  Draw_Tables(object, mask, window);
  return Walk_Out(name, &Database_2D_Draw_OpenGL, mask, window, object);
}

namespace {

/// Clears the frame's part of the window: colour to the background, stencil to 0.
int Clear_Frame(Quarn_2D_Frame* frame, uint64_t mask, Quarn_Window* window, const char* name) {
  if (!scene::Flag_Of(frame, window, flag::Visible)) return scene::Pass_Out(name, "window invisible", 1);
  if (!scene::Redraw_Hit(frame, window, mask)) return scene::Pass_Out(name, "redraw bit off", 1);
  if (!Database_2D_Viewport(window, frame)) return scene::Pass_Out(name, "bad viewport", 0);
  glEnable(GL_SCISSOR_TEST);
  if (mask & REDRAW_CLEAR_COLOR) {
    const scene::Rgb c = scene::Background_Of(window);
    glClearColor(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  if ((mask & REDRAW_CLEAR_STENCIL) && (scene::OpenGL_State_Value() & scene::State_Stencil)) {
    glStencilMask(0xFF);
    glClearStencil(0);
    glClear(GL_STENCIL_BUFFER_BIT);
  }
  glDisable(GL_SCISSOR_TEST);
  QUARN_GL_ERRORS("glClear");
  return scene::Pass_Out(name, "frame", 1);
}

}  // namespace

int Database_2D_Draw_BackGrnd(uint64_t mask, Quarn_Window* window, Quarn_2D* object) {
  constexpr const char* name = "Database_2D_Draw_BackGrnd";
  if (!Begin(name, object, window, mask)) return 0;
  if (One_Frame(window)) {
    Quarn_2D_Frame* frame = Frame_Cur(window);
    if (!frame) return scene::Pass_Out(name, "no cur frame", 0);
    return Clear_Frame(frame, mask, window, name);
  }
  if (!object) return scene::Pass_Out(name, "no root", 1);
  if (Window_Mode_Of(window) == WINDOW_MODE_2D_ALL)
    if (Quarn_2D_Frame* frame = Frame_If(object)) return Clear_Frame(frame, mask, window, name);
  return Walk_Out(name, &Database_2D_Draw_BackGrnd, mask, window, object);
}

int Database_2D_Draw_Stencil(uint64_t mask, Quarn_Window* window, Quarn_2D* object) {
  constexpr const char* name = "Database_2D_Draw_Stencil";
  if (!Begin(name, object, window, mask)) return 0;
  if (One_Frame(window)) {
    if (!Frame_Cur_Table()) return scene::Pass_Out(name, "no cur frame ptr", 0);
    Quarn_2D_Frame* frame = Frame_Cur(window);
    if (!frame) return scene::Pass_Out(name, "no cur frame", 0);
    Fct_Callback_Draw_Stencil(frame, mask, window);
    return scene::Pass_Out(name, "WINDOW_MODE_2D_ONE", 1);
  }
  if (!object) return scene::Pass_Out(name, "no root", 1);
  Fct_Callback_Draw_Stencil(object, mask, window);
  return Walk_Out(name, &Database_2D_Draw_Stencil, mask, window, object);
}

int Database_2D_Draw_Highlight(uint64_t mask, Quarn_Window* window, Quarn_2D* object) {
  constexpr const char* name = "Database_2D_Draw_Highlight";
  if (!Begin(name, object, window, mask)) return 0;
  if (One_Frame(window)) return scene::Pass_Out(name, "WINDOW_MODE_2D_ONE", 1);
  if (!object) return scene::Pass_Out(name, "no root", 1);
  if (object->fct_draw_highlight) object->fct_draw_highlight(object, mask, window);
  return Walk_Out(name, &Database_2D_Draw_Highlight, mask, window, object);
}

int Database_3D_Draw(uint64_t mask, Quarn_Window* window, Quarn_2D* object_in) {
  constexpr const char* name = "Database_3D_Draw";
  Quarn_2D* object = Start_Of(object_in);
  scene::Pass_In(name, object, window, mask);
  if (Window_Mode_Of(window) == WINDOW_MODE_GEOM) return scene::Pass_Out(name, "Cuda", 1);
  if (!object) return scene::Pass_Out(name, "no root", 1);
  Fct_Callback_Draw_3D(object, mask, window);
  for (int i = 0; i < object->Child_Get_Nb(); ++i)
    if (!Database_3D_Draw(mask, window, object->Child_Get_Pt(i))) return scene::Pass_Out(name, Recursion_Failed, 0);
  return scene::Pass_Out(name, nullptr, 1);
}
