// The host's paint: its window's drawable opened at the window's size, the update pass, the
// layout, and the library's background, OpenGL, stencil and highlight passes; in a 3D window the
// selected frames at their patient positions and the surfaces.
#include "Host_Render.h"

#include "Host_Command.h"
#include "Host_Session.h"

#include <quarn/quarn.h>

#include <GL/gl.h>

#include <algorithm>

namespace {

Host_Window g_drawable = nullptr;
int g_width = 0, g_height = 0;

template <class T>
T* Var(const wchar_t* name) {
  return static_cast<T*>(Host_Var_Get(name, nullptr, nullptr, nullptr));
}

/// The drawable at the window's size, made again when the size changed.
Host_Window Drawable(Quarn_Window* window) {
  if (g_drawable && (g_width != window->width || g_height != window->height)) Host_Render_Release();
  if (!g_drawable) {
    g_drawable = Platform_Window_Create(L"quarn-host render", window->width, window->height, nullptr);
    g_width = window->width;
    g_height = window->height;
  }
  window->hwnd = g_drawable;
  // The window procedure finds the record behind the platform window here.
  Platform_Window_User_Set(g_drawable, window);
  return g_drawable;
}

Quarn_2D_Frame* First_Frame(Quarn_2D* node) {
  for (int i = 0; node && i < node->Child_Get_Nb(); ++i) {
    Quarn_2D* child = node->Child_Get_Pt(i);
    if (child->Class_A_Get() == Quarn_2D_Frame::Class_A) return static_cast<Quarn_2D_Frame*>(child);
    if (Quarn_2D_Frame* found = First_Frame(child)) return found;
  }
  return nullptr;
}

void Redraw_Everything(Quarn_2D* node) {
  for (int i = 0; i < node->Child_Get_Nb(); ++i) {
    Quarn_2D* child = node->Child_Get_Pt(i);
    if (child->Class_A_Get() == Quarn_2D_Frame::Class_A) static_cast<Quarn_2D_Frame*>(child)->Region_Redraw_Set(nullptr);
    Redraw_Everything(child);
  }
}

/// A one-frame window shows the current frame: the first one when none was chosen.
void Current_Frame(Quarn_Window* window, Quarn_2D* root) {
  uint16_t flags = 0;
  void* storage = Host_Var_Get(L"$FRAME_CUR", nullptr, &flags, nullptr);
  auto* table = static_cast<Quarn_2D**>(Fct_Variable_Elements(storage, flags));
  const int index = window->Class_B_Get();
  if (table && !table[index]) table[index] = First_Frame(root);
}

void Layout(Quarn_Window* window, Quarn_2D* root) {
  Current_Frame(window, root);
  Database_2D_Resize(window);
  // A one-frame window shows its current frame alone, whatever the tree list left expanded.
  Database_2D_Visibility_Set(window);
}

void Passes(Quarn_Window* window) {
  const Host_Color& c = window->box_2.color;
  glDisable(GL_SCISSOR_TEST);
  glClearColor(c.red() / 255.0f, c.green() / 255.0f, c.blue() / 255.0f, 1);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  const uint64_t mask = ~0ull;
  Database_2D_Draw_BackGrnd(mask, window, nullptr);
  Database_2D_Draw_OpenGL(mask, window, nullptr);
  Database_2D_Draw_Stencil(mask, window, nullptr);
  Database_2D_Draw_Highlight(mask, window, nullptr);
}

/// Tilt of the host's default 3D view about x: the scene seen from the front and a little above.
constexpr double View_Tilt = -0.6;

/// The host's 3D view when the window has none yet: the scene's centre and extent (as the library
/// centred them) seen orthographically, the extent filling the smaller side.
void View_3D(Quarn_Window* window) {
  Mat4 test;
  if ((window->view_b * window->view_c).inverse(test)) return;  // the window has a view
  Fct_3D_Center(window);
  const Point_3D& c = window->center_3d;
  Mat4& b = window->view_b;
  b.init();
  b.m[3][0] = -c.x, b.m[3][1] = -c.y, b.m[3][2] = -c.z;
  Mat4 tilt;
  tilt.init();
  tilt.rot_x(View_Tilt);
  b *= tilt;
  const double half = window->size_3d > 0 ? window->size_3d / 2 : 1;
  const double aspect = double(window->width) / window->height;
  Mat4& p = window->view_c;
  p.init();
  p.m[0][0] = 1 / (half * std::max(1.0, aspect));
  p.m[1][1] = 1 / (half * std::max(1.0, 1 / aspect));
  p.m[2][2] = -1 / half;  // nearer the viewer is smaller depth
}

/// Slot of the frames' 3D drawing table that holds the frame's own 3D drawing.
constexpr int Frame_3D_Slot = 0;

/// Every frame takes its place in the 3D view (those selected in the window are drawn).
void Frames_In_3D(Quarn_2D* node) {
  for (int i = 0; i < node->Child_Get_Nb(); ++i) {
    Quarn_2D* child = node->Child_Get_Pt(i);
    if (child->Class_A_Get() == Quarn_2D_Frame::Class_A) child->fct_draw_3d[Frame_3D_Slot] = &Class_Frame_Draw_3D;
    Frames_In_3D(child);
  }
}

void Passes_3D(Quarn_Window* window) {
  if (auto** root = Var<Quarn_2D*>(L"$DB_2D_ROOT_PT"); root && *root) Frames_In_3D(*root);
  View_3D(window);
  const Host_Color& c = window->box_2.color;
  glDisable(GL_SCISSOR_TEST);
  glClearColor(c.red() / 255.0f, c.green() / 255.0f, c.blue() / 255.0f, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  Database_Geom_Draw(~0ull, window);
}

}  // namespace

Host_Window Host_Layout(Quarn_Window* window) {
  if (!window->width || !window->height) {
    window->width = Host_Window_Default_Width;
    window->height = Host_Window_Default_Height;
  }
  Host_Window drawable = Drawable(window);
  Host_Update_Pass();
  auto** root = Var<Quarn_2D*>(L"$DB_2D_ROOT_PT");
  if (root && *root) Layout(window, *root);
  return drawable;
}

bool Host_Render(Quarn_Window* window, std::vector<uint8_t>* rgba, int* width, int* height) {
  Host_Window drawable = Host_Layout(window);
  if (!drawable) return false;
  // The picture shows the whole window, whatever parts were asked for since the last one.
  if (auto** root = Var<Quarn_2D*>(L"$DB_2D_ROOT_PT"); root && *root) {
    (*root)->Redraw_Set_On(0x30, window, ~0ull);
    Redraw_Everything(*root);
  }
  if (!OpenGL_Context_On(drawable, OPENGL_CONTEXT_BACK)) return false;
  if (window->Class_A_Get() == WINDOW_MODE_3D || window->Class_A_Get() == WINDOW_MODE_GEOM) Passes_3D(window);
  else Passes(window);
  OpenGL_Context_Off(drawable, 0);
  Platform_GL_Read_Pixels(drawable, PLATFORM_GL_FRONT, nullptr, 0, width, height);
  rgba->assign(size_t(*width) * size_t(*height) * 4, 0);
  return Platform_GL_Read_Pixels(drawable, PLATFORM_GL_FRONT, rgba->data(), rgba->size(), nullptr, nullptr) != 0;
}

void Host_Render_Release() {
  if (!g_drawable) return;
  OpenGL_Text_Cleanup();
  OpenGL_Icon_Cleanup();
  OpenGL_Context_Cleanup();
  Platform_Window_Destroy(g_drawable);
  g_drawable = nullptr;
  g_width = g_height = 0;
}
