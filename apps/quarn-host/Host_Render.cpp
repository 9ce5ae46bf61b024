// The host's paint: its window's drawable opened at the window's size, the update pass, the
// layout, and the library's background, OpenGL, stencil and highlight passes.
#include "Host_Render.h"

#include "Host_Command.h"
#include "Host_Session.h"

#include <quarn/quarn.h>

#include <GL/gl.h>

namespace {

/// Flag-word mode of the object alone, and the bit of an object shown in the window.
constexpr unsigned char Self_Only = 0x10;
constexpr uint64_t Visible_Bit = 0x0400;

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
Quarn_2D* Current_Frame(Quarn_Window* window, Quarn_2D* root) {
  uint16_t flags = 0;
  void* storage = Host_Var_Get(L"$FRAME_CUR", nullptr, &flags, nullptr);
  auto* table = static_cast<Quarn_2D**>(Fct_Variable_Elements(storage, flags));
  const int index = window->Class_B_Get();
  if (table && !table[index]) table[index] = First_Frame(root);
  return table ? table[index] : nullptr;
}

void Layout(Quarn_Window* window, Quarn_2D* root) {
  Quarn_2D* current = Current_Frame(window, root);
  Database_2D_Resize(window);
  root->Visibility_Set(window, 1);
  // A one-frame window shows its frame whatever the tree list would show of the nodes above it
  // (which it does not lay out).
  if (window->Class_A_Get() == WINDOW_MODE_2D_ONE && current) current->Flag_Set_On(Self_Only, window, Visible_Bit);
  root->Redraw_Set_On(0x30, window, ~0ull);
  Redraw_Everything(root);
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

}  // namespace

bool Host_Render(Quarn_Window* window, std::vector<uint8_t>* rgba, int* width, int* height) {
  if (!window->width || !window->height) {
    window->width = Host_Window_Default_Width;
    window->height = Host_Window_Default_Height;
  }
  Host_Window drawable = Drawable(window);
  Host_Update_Pass();
  auto** root = Var<Quarn_2D*>(L"$DB_2D_ROOT_PT");
  if (root && *root) Layout(window, *root);
  if (!OpenGL_Context_On(drawable, OPENGL_CONTEXT_BACK)) return false;
  Passes(window);
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
