// Spheres of the 3D view: the material of a coloured point, the unit sphere built from the six
// faces of a cube pushed onto it, and a lit sphere (or a plain point) with an optional label.
#include "display/Overlay_Internal.h"

#include "core/Trace.h"
#include "display/GL.h"

#include <quarn/display/OpenGL_Text.h>
#include <quarn/display/Quarn_Window.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using quarn::Overlay_Trace;

constexpr int kFewest = 2;   // points along a face side for subdivisions below 3
constexpr int kMost = 10;    // points along a face side at most
constexpr float kBackGlow = 0.8f, kFrontGlow = 0.3f;
constexpr float kPointSize = 3;
constexpr uint16_t kLabelSize = 10;

struct Vertex {
  float x, y, z;
};

// The n x n points of the face z = 1 of the cube [-1, 1]^3, pushed onto the unit sphere.
std::vector<Vertex> Face_Grid(int n) {
  std::vector<Vertex> grid;
  grid.reserve(size_t(n) * size_t(n));
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const float x = -1 + 2.0f * float(i) / float(n - 1), y = -1 + 2.0f * float(j) / float(n - 1);
      const float length = std::sqrt(x * x + y * y + 1);
      grid.push_back(Vertex{x / length, y / length, 1 / length});
    }
  return grid;
}

void Face(const std::vector<Vertex>& grid, int n) {
  for (int j = 0; j + 1 < n; ++j) {
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i < n; ++i)
      for (int row : {j, j + 1}) {
        const Vertex& v = grid[size_t(row) * size_t(n) + size_t(i)];
        glNormal3f(v.x, v.y, v.z);
        glVertex3f(v.x, v.y, v.z);
      }
    glEnd();
  }
}

}  // namespace

int quarn::Sphere_Grid_Side(int subdivision) {
  return subdivision < 3 ? kFewest : std::min(subdivision, kMost);
}

void quarn::Light_Material_Point(uint32_t colour) {
  const Overlay_Rgb c = Overlay_Colour(colour);
  const float r = c.r / 255.0f, g = c.g / 255.0f, b = c.b / 255.0f;
  const GLfloat plain[4] = {r, g, b, 1}, none[4] = {0, 0, 0, 1};
  const GLfloat back_glow[4] = {kBackGlow * r, kBackGlow * g, kBackGlow * b, 1};
  const GLfloat front_glow[4] = {kFrontGlow * r, kFrontGlow * g, kFrontGlow * b, 1};
  for (GLenum face : {GL_BACK, GL_FRONT}) {
    glMaterialfv(face, GL_EMISSION, face == GL_BACK ? back_glow : front_glow);
    glMaterialfv(face, GL_AMBIENT, plain);
    glMaterialfv(face, GL_DIFFUSE, plain);
    glMaterialfv(face, GL_SPECULAR, none);
  }
}

void OpenGL_Draw_Sphere(int subdivision) {
  const int n = quarn::Sphere_Grid_Side(subdivision);
  const std::vector<Vertex> grid = Face_Grid(n);
  glPushMatrix();
  Face(grid, n);
  for (int k = 0; k < 3; ++k) {
    glRotatef(90, 1, 0, 0);
    Face(grid, n);
  }
  glRotatef(90, 0, 1, 0);
  Face(grid, n);
  glRotatef(180, 0, 1, 0);
  Face(grid, n);
  glPopMatrix();
}

void OpenGL_Draw_Sphere(Quarn_Window* window, uint32_t colour, Point_3D centre, float size, int subdivision,
                        const wchar_t* label) {
  QUARN_REPORT(Overlay_Trace, ">>> in  Fct: OpenGL_Draw_Sphere(%d)", subdivision);
  if (!window || window->height == 0) {
    Host_Report(Host_Main_Window, quarn::msg::Invalid, "\xF1\x04" "ERROR:\x02 OpenGL_Draw_Sphere() without a window height");
    QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Draw_Sphere(! window)");
    return;
  }
  const quarn::Overlay_Rgb c = quarn::Overlay_Colour(colour);
  glMatrixMode(GL_MODELVIEW);
  glEnable(GL_DEPTH_TEST);
  if (subdivision) {
    const float k = window->size_3d / float(window->height);
    const float scale = size * 0.5f * k;  // size is a diameter in window pixels
    glShadeModel(GL_SMOOTH);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_LIGHTING);
    // The scale would shorten the normals, and lighting needs them of unit length.
    glEnable(GL_NORMALIZE);
    glPushMatrix();
    glTranslatef(centre.x, centre.y, centre.z);
    glScalef(scale, scale, scale);
    quarn::Light_Material_Point(colour);
    OpenGL_Draw_Sphere(subdivision);
    glPopMatrix();
    glDisable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
  } else {
    glDisable(GL_LIGHTING);
    glColor3ub(c.r, c.g, c.b);
    glPointSize(kPointSize);
    glBegin(GL_POINTS);
    glVertex3f(centre.x, centre.y, centre.z);
    glEnd();
    glPointSize(1);
  }
  if (label) {
    glPushMatrix();
    OpenGL_Text_DrawRasterFont(quarn::Overlay_Label_Text(size, label).c_str(), kLabelSize, c.r, c.g, c.b,
                               centre.x, centre.y, centre.z);
    glPopMatrix();
  }
  glDisable(GL_DEPTH_TEST);
  QUARN_GL_ERRORS("OpenGL_Draw_Sphere");
  QUARN_REPORT(Overlay_Trace, "<<< out Fct: OpenGL_Draw_Sphere()");
}
