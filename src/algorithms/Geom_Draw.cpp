// Class_Geom_Draw_Geom, Fct_Callback_Draw_Geom, Database_Geom_Draw: the surfaces of the 3D tree in
// a 3D window, lit, each with its model matrix, colour and render mode, over the 2D tree's slices.
#include <quarn/algorithms/Geom.h>
#include <quarn/classes/Iterator.h>
#include <quarn/classes/Quarn_3D_Geom.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Scene_Draw.h>

#include <hostkit/HostMovie.h>

#include "classes/Node_Kinds.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "display/GL.h"

#include <algorithm>
#include <cmath>

using namespace quarn;

namespace {

constexpr const char* Section = "Class_Geom_Draw_Geom";
/// Slot answer: done, and slot 0 must not run.
constexpr int Skip_Default = 2;
constexpr int Mode_Hidden = 0, Mode_Wire = 1, Mode_Flat = 2, Mode_Smooth = 3;
/// Share of the surface colour that the back faces glow with, so that the inside of an open
/// surface stays readable.
constexpr float Back_Glow = 0.8f;
constexpr float Light_Ambient = 0.25f;

int Out(const char* why, int result) {
  QUARN_REPORT(msg::Draw, "<<< out Class: Class_Geom_Draw_Geom(%s)", why);
  return result;
}

void Shading_Set(int mode) {
  switch (mode) {
    case Mode_Wire:
      glShadeModel(GL_SMOOTH);
      glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
      break;
    case Mode_Flat:
      glShadeModel(GL_FLAT);
      glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
      break;
    case Mode_Smooth:
      glShadeModel(GL_SMOOTH);
      glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
      break;
    default: break;  // larger modes leave shading and polygon mode to the host
  }
}

void Material_Set(const Host_Movie_Record& movie, uint32_t c) {
  const float r = float(c & 0xFF) / 255, g = float(c >> 8 & 0xFF) / 255, b = float(c >> 16 & 0xFF) / 255;
  if (!(movie.flags & HOST_MOVIE_LIT)) {
    glDisable(GL_LIGHTING);
    glColor3ub(GLubyte(c & 0xFF), GLubyte(c >> 8 & 0xFF), GLubyte(c >> 16 & 0xFF));
    return;
  }
  const float zero[4] = {0, 0, 0, 1};
  const float colour[4] = {r, g, b, 1};
  const float glow[4] = {Back_Glow * r, Back_Glow * g, Back_Glow * b, 1};
  glEnable(GL_LIGHTING);
  glMaterialfv(GL_FRONT, GL_EMISSION, zero);
  glMaterialfv(GL_FRONT, GL_SPECULAR, zero);
  glMaterialfv(GL_BACK, GL_AMBIENT_AND_DIFFUSE, zero);
  glMaterialfv(GL_BACK, GL_SPECULAR, zero);
  glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
  glMaterialfv(GL_BACK, GL_EMISSION, glow);
}

/// One light at the viewer, shining along the view direction: the patient-space direction from
/// the near to the far plane through the window's centre.
void Light_Set(const Mat4& to_patient) {
  Vec4 near_point(0.0f, 0.0f, -1.0f, 1.0f), far_point(0.0f, 0.0f, 1.0f, 1.0f);
  near_point *= to_patient;
  far_point *= to_patient;
  Vec4 towards_viewer = near_point;
  towards_viewer -= far_point;
  towards_viewer.normalise();
  const float direction[4] = {towards_viewer.x, towards_viewer.y, towards_viewer.z, 0};
  const float white[4] = {1, 1, 1, 1};
  const float ambient[4] = {Light_Ambient, Light_Ambient, Light_Ambient, 1};
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glLightfv(GL_LIGHT0, GL_POSITION, direction);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glEnable(GL_LIGHT0);
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glEnable(GL_NORMALIZE);
}

}  // namespace

int Class_Geom_Draw_Geom(Quarn_3D_Geom* geom, uint64_t, Quarn_Window* window, int width, int height) {
  if (!QUARN_CHECK(geom, Geom_3D, "Class_Geom_Draw_Geom")) return 0;
  QUARN_REPORT(msg::Draw, ">>> in  Class: Class_Geom_Draw_Geom(%ls)", geom->Name_Get());
  if (!geom->movie) return Out("! geom->m_mov", 0);
  const int render = geom->Class_B_Get();
  const int mode = geom->Flag_Get_Bit(0x10, window, GEOM_FLAG_SELECTED) ? render : std::min(Mode_Wire, render);
  if (mode == Mode_Hidden) return Out("hidden", 1);
  Shading_Set(mode);
  QUARN_GL_ERRORS("Class_Geom_Draw_Geom: Shading");

  geom->Critical_Class_In(Section);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  float model[16];
  geom->transfo[0].to_float(model);
  glMultMatrixf(model);
  QUARN_GL_ERRORS("Class_Geom_Draw_Geom: Matrix");
  Material_Set(*geom->movie, geom->Color_Get());
  QUARN_GL_ERRORS("Class_Geom_Draw_Geom: Lights/Materials");
  glEnable(GL_DEPTH_TEST);
  Host_Movie_Draw(geom->movie, render, width, height);
  glPopMatrix();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  QUARN_GL_ERRORS("Class_Geom_Draw_Geom: Movie_OpenGL_Draw");
  geom->Critical_Class_Out(Section);
  return Out("", 1);
}

int Fct_Callback_Draw_Geom(Quarn_3D_Geom* geom, uint64_t mask, Quarn_Window* window, int width, int height) {
  if (!QUARN_CHECK(geom, Geom_3D, "Fct_Callback_Draw_Geom")) return 0;
  int result = 1;
  bool skip = false;
  for (int i = 31; i >= 1; --i) {
    Quarn_Geom_Draw slot = geom->fct_draw_geom[i];
    if (!slot) continue;
    const int answer = slot(geom, mask, window, width, height);
    if (answer == 0) result = 0;
    if (answer == Skip_Default) skip = true;
  }
  if (!skip && geom->fct_draw_geom[0] && geom->fct_draw_geom[0](geom, mask, window, width, height) == 0) result = 0;
  return result;
}

int Database_Geom_Draw(uint64_t mask, Quarn_Window* window) {
  QUARN_REPORT(msg::Draw, ">>> in  Fct: Database_Geom_Draw(flag:%016llx)", static_cast<unsigned long long>(mask));
  if (reinterpret_cast<uintptr_t>(window) < 16) {
    QUARN_REPORT(msg::Draw, "<<< out Fct: Database_Geom_Draw(! window)");
    return 0;
  }
  const Mat4 view = window->view_b * window->view_c;
  glViewport(0, 0, window->width, window->height);
  glMatrixMode(GL_PROJECTION);
  float projection[16];
  view.to_float(projection);
  glLoadMatrixf(projection);
  Light_Set(view.inverse());
  glClear(GL_DEPTH_BUFFER_BIT);
  QUARN_GL_ERRORS("Database_Geom_Draw: View");
  // The slices first: the surfaces are then depth-tested against them where they cross.
  int result = Database_3D_Draw(mask, window, nullptr);
  const uint16_t id = Iterator_Init("Database_Geom_Draw", nullptr);
  while (Quarn_3D* node = Iterator_Class_3D(id, Quarn_3D_Geom::Class_A, nullptr, 0))
    if (Quarn_3D_Geom* geom = Geom_If(node))
      if (!Fct_Callback_Draw_Geom(geom, mask, window, window->width, window->height)) result = 0;
  Iterator_End(id);
  glDisable(GL_LIGHT0);
  glDisable(GL_NORMALIZE);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  QUARN_GL_ERRORS("Database_Geom_Draw: Restore");
  QUARN_REPORT(msg::Draw, "<<< out Fct: Database_Geom_Draw()");
  return result;
}
