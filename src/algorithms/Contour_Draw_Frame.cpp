// Fct_Contour_Draw_Frame: the loops of a frame drawn over its pixels in a window, a callback for
// the frame's OpenGL draw table; and the map from patient space to the frame's pixels it uses.
#include <quarn/algorithms/Contour.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Scene_Draw.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include <hostkit/HostMath.h>

#include "algorithms/Contour_Extract.h"
#include "classes/Node_Kinds.h"
#include "classes/Tree_Trace.h"
#include "display/GL.h"
#include "display/Scene_Support.h"
#include "script/Remembered_Variable.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace quarn;

namespace {

constexpr const char* Label = "Fct_Contour_Draw_Frame";
constexpr uint8_t Frame_Space = 6;
/// Depth of the loops in the window's projection (which keeps 0 ... 0.5): halfway.
constexpr double Loop_Depth = -0.25;

Remembered_Variable g_tag_nb{L"$TAG_NB"};

Point_4D Patient(Quarn_2D_Frame* frame, float u, float v) {
  return frame->Frm_2_Org(Point_4D(Frame_Space, u, v, float(frame->z_index), float(frame->t_index)));
}

Point_2D Window_Of(Quarn_2D_Frame* frame, Quarn_Window* window, float u, float v) {
  return window->Inf_2_Wnd(frame->Frm_2_Inf(window, Point_2D(Frame_Space, u, v)));
}

// Patient space to window pixels for the frame: back to its pixels, then through the window's
// zoom and pan, as the frame's pixels are drawn. False when the frame's map cannot be inverted.
bool Patient_To_Window(Quarn_2D_Frame* frame, Quarn_Window* window, Mat4* out) {
  Mat4 to_frame;
  if (!Fct_Contour_Patient_To_Frame(frame, &to_frame.m[0][0])) return false;
  const Point_2D wo = Window_Of(frame, window, 0, 0), wu = Window_Of(frame, window, 1, 0),
                 wv = Window_Of(frame, window, 0, 1);
  Mat4 to_window;  // frame pixels (u, v, off the slice) to window (x, y, depth)
  to_window[0][0] = wu.x - wo.x, to_window[0][1] = wu.y - wo.y;
  to_window[1][0] = wv.x - wo.x, to_window[1][1] = wv.y - wo.y;
  to_window[3][0] = wo.x, to_window[3][1] = wo.y, to_window[3][2] = Loop_Depth, to_window[3][3] = 1;
  *out = to_frame * to_window;
  return true;
}

// The window pixels the frame's pixels cover, clipped to the window: where its loops may draw.
// (The viewport's scissor box leaves out the last row and column, which are the frame's own at
// the window's edge.)
void Scissor_To_Pixels(Quarn_2D_Frame* frame, Quarn_Window* window) {
  const Point_2D a = Window_Of(frame, window, 0, 0);
  const Point_2D b = Window_Of(frame, window, float(frame->width), float(frame->height));
  const int x0 = std::max(int(std::floor(std::min(a.x, b.x))), 0);
  const int y0 = std::max(int(std::floor(std::min(a.y, b.y))), 0);
  const int x1 = std::min(int(std::ceil(std::max(a.x, b.x))), int(window->width));
  const int y1 = std::min(int(std::ceil(std::max(a.y, b.y))), int(window->height));
  glScissor(x0, y0, std::max(x1 - x0, 0), std::max(y1 - y0, 0));
}

int Out(const char* why, int result) {
  if (why) QUARN_REPORT(msg::Draw, "<<< out Fct: %s(%s)", Label, why);
  else QUARN_REPORT(msg::Draw, "<<< out Fct: %s()", Label);
  return result;
}

}  // namespace

// The rows of the frame's own map are the images of its axes, its normal and its origin.
int Fct_Contour_Patient_To_Frame(Quarn_2D_Frame* frame, double matrix[16]) {
  if (!frame || !matrix) return 0;
  const Point_4D o = Patient(frame, 0, 0), a = Patient(frame, 1, 0), b = Patient(frame, 0, 1);
  const double rows[4][3] = {{a.x - o.x, a.y - o.y, a.z - o.z},
                             {b.x - o.x, b.y - o.y, b.z - o.z},
                             {frame->normal.x, frame->normal.y, frame->normal.z},
                             {o.x, o.y, o.z}};
  Mat4 to_patient, to_frame;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) to_patient[r][c] = c < 3 ? rows[r][c] : r == 3;
  if (!to_patient.inverse(to_frame)) return 0;
  std::memcpy(matrix, &to_frame.m[0][0], sizeof to_frame.m);
  return 1;
}

int Fct_Contour_Draw_Frame(Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  QUARN_REPORT(msg::Draw, ">>> in  Fct: %s(%s:%ls)", Label, Title_Of(Object_Of(object)), Name_Of(Object_Of(object)));
  Quarn_2D_Frame* frame = Frame_If(object);
  if (!frame || !window) return Out("! frame", 0);
  if (!scene::Flag_Of(frame, window, flag::Visible)) return Out("! pt->Flag_Get_Bit", 1);
  if (!scene::Redraw_Hit(frame, window, mask)) return Out("! pt->Redraw_Get_Bit", 1);
  const uint16_t* tag_nb = g_tag_nb.As<uint16_t>();
  if (!tag_nb) return Out("! TAG_NB", 1);
  Mat4 model;
  if (!Patient_To_Window(frame, window, &model)) return Out("! Frm_2_Org", 0);
  if (!Database_2D_Viewport(window, frame)) return Out("! Database_2D_Viewport", 1);
  // The loops lie on the frame: over whatever was drawn there, whatever depth it left, and
  // within the frame's pixels.
  glPushAttrib(GL_DEPTH_BUFFER_BIT | GL_SCISSOR_BIT | GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT |
               GL_COLOR_BUFFER_BIT);
  Scissor_To_Pixels(frame, window);
  glEnable(GL_SCISSOR_TEST);
  glDepthFunc(GL_ALWAYS);
  glDepthMask(GL_FALSE);
  // Smoothed lines cover their edge pixels in part: blended, they do not hide the frame there.
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(&model.m[0][0]);
  const int tags = *tag_nb > contour::Tag_Values ? contour::Tag_Values : int(*tag_nb);
  for (int tag = 1; tag < tags; ++tag) Fct_Contour_Draw_Loops(frame, int16_t(tag), 0, 0);
  glLoadIdentity();
  glPopAttrib();
  QUARN_GL_ERRORS("Fct_Contour_Draw_Frame");
  return Out(nullptr, 1);
}
