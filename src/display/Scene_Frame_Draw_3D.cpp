// The frame in a 3D window: its pixels as a textured quad at its patient position, outlined, so
// that the surfaces drawn in the same view show where they cross the slices.
#include <quarn/display/Scene_Draw.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Node_Kinds.h"
#include "display/GL.h"
#include "display/Pixel_Frame_Quad.h"
#include "display/Scene_Support.h"

using namespace quarn;

namespace {

constexpr const char* Name = "Class_Frame_Draw_3D";
/// Outline of a frame in the 3D view, amber: it stays apart from grey levels and tag colours.
constexpr scene::Rgb Outline = {255, 200, 0};
constexpr float Outline_Width = 1;
/// The pixels lie this far behind their outline in depth, so that the outline and the lines
/// where a surface crosses the slice are not lost in the depth test against the slice itself.
constexpr float Depth_Offset_Factor = 1, Depth_Offset_Units = 1;

/// Patient-space matrix of the pixel drawing's quad: origin at the outer corner of pixel (0, 0)
/// (frame coordinates count from a pixel's corner), one unit a pixel, x along the rows and -y
/// down the columns (row vectors, as Mat4 applies).
Mat4 Quad_To_Patient(Quarn_2D_Frame* frame) {
  const Point_4D o = frame->Frm_2_Org(0.0f, 0.0f, 0.0f, 0.0f);
  const Point_4D ex = frame->Frm_2_Org(1.0f, 0.0f, 0.0f, 0.0f);
  const Point_4D ey = frame->Frm_2_Org(0.0f, 1.0f, 0.0f, 0.0f);
  const Vec4 x(ex.x - o.x, ex.y - o.y, ex.z - o.z, 0.0f);
  const Vec4 down(o.x - ey.x, o.y - ey.y, o.z - ey.z, 0.0f);
  Vec4 normal = x.cross(down);
  normal.normalise();
  Mat4 m;
  const Vec4 rows[4] = {x, down, normal, Vec4(o.x, o.y, o.z, 1.0f)};
  for (int r = 0; r < 4; ++r) {
    m.m[r][0] = rows[r].x, m.m[r][1] = rows[r].y, m.m[r][2] = rows[r].z, m.m[r][3] = rows[r].w;
  }
  return m;
}

void Outline_Draw(const Quarn_2D_Frame* frame) {
  const float w = float(frame->width), h = float(frame->height);
  glColor3ub(Outline.r, Outline.g, Outline.b);
  glLineWidth(Outline_Width);
  glBegin(GL_LINE_LOOP);
  glVertex2f(0, 0), glVertex2f(w, 0), glVertex2f(w, -h), glVertex2f(0, -h);
  glEnd();
}

/// The drawing under the frame's lock.
const char* Draw_Locked(Quarn_2D_Frame* frame, uint64_t mask, Quarn_Window* window) {
  if (!scene::Redraw_Hit(frame, window, mask)) return "! pt->Redraw_Get_Bit";
  scene::Layers_Ready(frame, "WARNING: Class_Frame_Draw_3D: Unable to access GLI image! (frame %ls)",
                      "WARNING: Class_Frame_Draw_3D: Unable to access TAG image! (frame %ls)");
  float matrix[16];
  Quad_To_Patient(frame).to_float(matrix);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMultMatrixf(matrix);
  QUARN_GL_ERRORS("glPushMatrix, glMultMatrixf");
  glDisable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  // The tag quad lies on the grey one: equal depth must pass.
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_POLYGON_OFFSET_FILL);
  glPolygonOffset(Depth_Offset_Factor, Depth_Offset_Units);
  pixel::Frame_Quad_Draw(scene::Scheme_Of(frame), frame);
  glDisable(GL_POLYGON_OFFSET_FILL);
  Outline_Draw(frame);
  glDepthFunc(GL_LESS);
  glDisable(GL_DEPTH_TEST);
  glPopMatrix();
  QUARN_GL_ERRORS("glBegin/End, glPopMatrix");
  return nullptr;
}

}  // namespace

int Class_Frame_Draw_3D(Quarn_2D* object, uint64_t mask, Quarn_Window* window) {
  return scene::Frame_Drawing(Name, object, mask, window, flag::Selected, "! selected", &Draw_Locked);
}
