// Zoom of the selected frames of a window, and the centre and extent of its 3D scene.
#include <quarn/display/Window_Change.h>

#include <quarn/classes/Iterator.h>
#include <quarn/classes/Quarn_3D_Geom.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Update.h>
#include <quarn/frames/Quarn_2D_Frame.h>
#include <quarn/interaction/Database_2D.h>

#include "classes/Iterator_Table.h"
#include "classes/Window_Selector.h"
#include "core/Trace.h"
#include "interaction/Database_Vars.h"
#include "script/Remembered_Variable.h"

#include <hostkit/HostMovie.h>

#include <algorithm>
#include <cmath>

namespace quarn {

namespace {
Remembered_Variable g_frame_ovr{L"$FRAME_OVR", true};
Remembered_Variable g_mouse_frm{L"$MOUSE_FRM", true};
Remembered_Variable g_mouse_wnd{L"$MOUSE_WND", true};

constexpr float Zoom_Min = 0.05f;
constexpr float Zoom_Max = 40.0f;
constexpr unsigned char Filter_Selected = 0x01;

/// Calls fn on every frame the window has selected (along a selected path).
template <class Fn>
void For_Each_Selected_Frame(Quarn_Window* window, const char* label, Fn&& fn) {
  Iterator_Scope walk(label, nullptr);
  while (Quarn_2D* node = Iterator_Class_2D(walk.id, Quarn_2D_Frame::Class_A, window, Filter_Selected))
    if (Quarn_2D_Frame* frame = Frame_If(node)) fn(frame);
}

float Zoom_Clamp(float z) { return z <= Zoom_Min ? Zoom_Min : std::min(z, Zoom_Max); }

/// Stores z where the window's mode reads it: in single mode every sibling frame shares it.
void Zoom_Store(Quarn_2D_Frame* frame, int index, bool single, float z) {
  if (!single) {
    if (frame->zoom && frame->zoom[index]) frame->zoom[index][0] = z;
    return;
  }
  Quarn_2D* parent = frame->Parent_Get_Pt();
  if (!parent) return;
  for (int i = 0; i < parent->Child_Get_Nb(); ++i) {
    Quarn_2D* sibling = parent->Child_Get_Pt(i);
    auto* f = Frame_If(sibling);
    if (!f) continue;
    if (f->zoom && f->zoom[index]) f->zoom[index][1] = z;
  }
}

/// Pans the window so that the frame point lies under the pointer again.
void Keep_Under_Pointer(Quarn_Window* window, Quarn_2D_Frame* frame, Point_2D frame_point) {
  const Point_2D* pointer = g_mouse_wnd.As<Point_2D>();
  if (!pointer) return;
  const Point_2D w = window->Inf_2_Wnd(frame->Frm_2_Inf(window, frame_point));
  window->pan_x.value += w.x - pointer->x;
  window->pan_y.value -= w.y - pointer->y;
}

/// Grows box by the bounding boxes of the 3D tree's surfaces that hold geometry data.
void Geometry_Extent_Add(Region_3D& box) {
  Iterator_Scope walk("Fct_3D_Center", nullptr);
  while (Quarn_3D* node = Iterator_Class_3D(walk.id, Quarn_3D_Geom::Class_A, nullptr, 0)) {
    const Quarn_3D_Geom* geom = Geom_If(node);
    const Host_Movie_Record* movie = geom ? geom->movie : nullptr;
    if (!movie) continue;
    box.Add(movie->box_min[0], movie->box_min[1], movie->box_min[2]);
    box.Add(movie->box_max[0], movie->box_max[1], movie->box_max[2]);
  }
}

}  // namespace
}  // namespace quarn

using namespace quarn;

void Fct_Change_Scale(Quarn_Window* window, float absolute, float factor) {
  QUARN_REPORT(msg::Module, ">>> in  Fct: Fct_Change_Scale(%g, %g)", double(absolute), double(factor));
  const int index = Window_Slot(window, "Fct_Change_Scale");
  if (index < 0 || reinterpret_cast<uintptr_t>(window) < 16) {
    QUARN_REPORT(msg::Module, "<<< out Fct: Fct_Change_Scale(! window)");
    return;
  }
  Quarn_2D** over_slot = g_frame_ovr.As<Quarn_2D*>();
  Quarn_2D_Frame* over = over_slot ? Frame_If(*over_slot) : nullptr;
  const Point_2D* mouse_frm = g_mouse_frm.As<Point_2D>();
  const Point_2D kept = mouse_frm ? *mouse_frm : Point_2D(6);

  const bool single = Window_Mode_Of(window) == WINDOW_MODE_2D_ONE;
  For_Each_Selected_Frame(window, "Fct_Change_Scale", [&](Quarn_2D_Frame* frame) {
    float z = frame->Zoom_Get(window);
    if (absolute != 0) z = absolute;
    if (factor != 0) z *= factor;
    Zoom_Store(frame, index, single, Zoom_Clamp(z));
  });

  if (over) {
    Database_2D_Resize(window);
    Keep_Under_Pointer(window, over, kept);
    Fct_Update(0x20000, window);
  }
  Fct_Update(0x200000, nullptr);
  Fct_Update(0x100000000ull, window);
  Fct_Redraw(0xFFFE, window);
  QUARN_REPORT(msg::Module, "<<< out Fct: Fct_Change_Scale()");
}

int Fct_3D_Center(Quarn_Window* window) {
  QUARN_REPORT(msg::Module, ">>> in  Util: Fct_3D_Center(window:%d)", Window_Index_Of(window));
  Region_3D box(2);
  For_Each_Selected_Frame(window, "Fct_3D_Center", [&](Quarn_2D_Frame* frame) {
    const float x1 = float(frame->width) - 0.5f, y1 = float(frame->height) - 0.5f;
    const float corners[4][2] = {{-0.5f, -0.5f}, {-0.5f, y1}, {x1, y1}, {x1, -0.5f}};
    for (const auto& c : corners) {
      const Point_4D p = frame->Frm_2_Org(c[0], c[1], 0.0f, 0.0f);
      box.Add(p.x, p.y, p.z);
    }
  });
  Geometry_Extent_Add(box);
  if (reinterpret_cast<uintptr_t>(window) >= 16) {
    const float dx = box.x_max - box.x_min, dy = box.y_max - box.y_min, dz = box.z_max - box.z_min;
    window->center_3d = Point_3D(2, (box.x_min + box.x_max) / 2, (box.y_min + box.y_max) / 2,
                                 (box.z_min + box.z_max) / 2);
    window->size_3d = std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  QUARN_REPORT(msg::Module, "<<< out Util: Fct_3D_Center()");
  return 1;
}
