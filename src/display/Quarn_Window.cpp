// The window record: construction with the default 3D view, copying and module ownership.
#include <quarn/display/Quarn_Window.h>

#include "core/Trace.h"

#include <numbers>

namespace {
constexpr uint16_t Window_Magic = 0xACBC;
}  // namespace

Quarn_Window::Quarn_Window(int number) {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_Window::Quarn_Window(%d)", number);
  Class_Magic_Set(Window_Magic);
  Class_A_Set(WINDOW_MODE_2D_ALL);
  Title_Set("Window");
  Name_Set("Window %d", number);
  // The 3D view looks down the patient's y axis with z up; the flip about x turns the image rows
  // (which grow downwards) into the scene's upward axis.
  view_a.init();
  view_a.rot_x(std::numbers::pi, 1);
  up = Vec4(0.0f, 0.0f, 1.0f, 0.0f);
  front = Vec4(0.0f, 1.0f, 0.0f, 0.0f);
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_Window::Quarn_Window()");
}

Quarn_Window::Quarn_Window(const Quarn_Window& other) : Quarn() {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_Window::Quarn_Window(%ls)", other.Name_Get());
  Copy_From(other);
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_Window::Quarn_Window()");
}

Quarn_Window& Quarn_Window::operator=(const Quarn_Window& other) {
  if (this != &other) Copy_From(other);
  return *this;
}

Quarn_Window::~Quarn_Window() {
  QUARN_REPORT(quarn::msg::Class, ">>> in  Class: Quarn_Window::~Quarn_Window(%ls)", Name_Get());
  QUARN_REPORT(quarn::msg::Class, "<<< out Class: Quarn_Window::~Quarn_Window()");
}

void Quarn_Window::Copy_From(const Quarn_Window& other) {
  Class_Magic_Set(other.Class_Magic_Get());
  Class_A_Set(other.Class_A_Get());
  Class_B_Set(other.Class_B_Get());
  Title_Set("%s", other.Title_Get());
  Name_Set(L"%ls", other.Name_Get());
  module = other.module;
  module_2d = other.module_2d;
  module_3d = other.module_3d;
  on = other.on;
  flag = other.flag;
  update_a = other.update_a;
  update_b = other.update_b;
  redraw = other.redraw;
  width = other.width;
  height = other.height;
  size_c = other.size_c;
  box = other.box;
  pan_x = other.pan_x;
  pan_y = other.pan_y;
  box_2 = other.box_2;
  view_a = other.view_a;
  view_b = other.view_b;
  view_c = other.view_c;
  fov = other.fov;
  up = other.up;
  front = other.front;
  aux_a = other.aux_a;
  aux_b = other.aux_b;
  size_3d = other.size_3d;
  center_3d = other.center_3d;
  host_word = other.host_word;
  hwnd = other.hwnd;
}
