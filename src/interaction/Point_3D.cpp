// Fct_Point_3D_*: landmarks on surfaces, placed and dragged where the pointer's ray meets a
// surface, picked and deleted by their distance from that ray; the frame a point lies on.
#include <quarn/interaction/Quarn_Point.h>

#include <quarn/algorithms/GEMS.h>
#include <quarn/algorithms/Geom.h>
#include <quarn/classes/Iterator.h>
#include <quarn/display/Quarn_Window.h>
#include <quarn/display/Update.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Iterator_Table.h"
#include "classes/Node_Kinds.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "interaction/Point_List.h"
#include "script/Remembered_Variable.h"

#include <cmath>

using namespace quarn;

namespace {

Remembered_Variable g_mouse_wnd{L"$MOUSE_WND"};

/// Distance of a point from a frame it does not lie on (2^39).
constexpr float Off_Frame = 549755813888.0f;
/// A 3D delete takes the nearest point only within this distance (mm).
constexpr float Delete_Reach = 10000.0f;

/// The pointer's ray as two patient-space points (near and far plane); false for a window whose
/// view cannot be inverted or without size or pointer.
bool Pointer_Ray(Quarn_Window* window, Point_3D* a, Point_3D* b) {
  const Point_2D* mouse = g_mouse_wnd.As<Point_2D>();
  if (reinterpret_cast<uintptr_t>(window) < 16 || !mouse || !window->width || !window->height) return false;
  Mat4 to_patient;
  if (!(window->view_b * window->view_c).inverse(to_patient)) return false;
  const float u = 2 * mouse->x / window->width - 1, v = 2 * mouse->y / window->height - 1;
  Vec4 near_point(u, v, -1.0f, 1.0f), far_point(u, v, 1.0f, 1.0f);
  near_point *= to_patient;
  far_point *= to_patient;
  *a = Point_3D(uint8_t(2), near_point);
  *b = Point_3D(uint8_t(2), far_point);
  return true;
}

struct Nearest {
  int index = -1;
  float distance = 0;
};

/// The point of exactly that type nearest the pointer's ray.
Nearest Find(uint16_t type, const Point_3D& a, const Point_3D& b) {
  Nearest best;
  int count = 0;
  Quarn_Point** items = points::List(&count);
  for (int i = 0; i < count; ++i) {
    if (!items[i] || items[i]->Class_A_Get() != type) continue;
    const float d = std::sqrt(GEMS_3D_Dist_Point_Line(items[i]->pos, a, b, nullptr));
    if (best.index < 0 || d < best.distance) best = {i, d};
  }
  return best;
}

/// Distance in slices of the point from the frame's plane, or Off_Frame when it lies outside the
/// frame or more than one slice away.
float Frame_Distance(const Quarn_Point* p, Quarn_2D_Frame* frame) {
  const Point_4D f = frame->Org_2_Frm(p->pos);
  if (!(f.x >= 0 && f.x <= frame->width && f.y >= 0 && f.y <= frame->height)) return Off_Frame;
  const float dz = std::fabs(f.z - float(frame->z_index));
  return dz > 1 ? Off_Frame : dz;
}

/// Attaches the point to the frame it lies on (if any): frame link, record and frame position.
void Attach(Quarn_Point* p) {
  p->frame = Fct_Point_3D_Get_Frame(p);
  if (!p->frame) return;
  p->image = p->frame->image;
  p->pos_frm = Point_3D(p->frame->Org_2_Frm(p->pos));
  p->pos_frm.code = 6;
}

}  // namespace

Quarn_2D_Frame* Fct_Point_3D_Get_Frame(Quarn_Point* point) {
  if (!point || point->Class_Magic_Get() != Quarn_Point::Magic) return nullptr;
  if (point->frame && Frame_Distance(point, point->frame) < Off_Frame) return point->frame;
  Quarn_2D_Frame* best = nullptr;
  float best_distance = Off_Frame;
  Iterator_Scope walk("Fct_Point_3D_Get_Frame", point->group);
  while (Quarn_2D* node = Iterator_Class_2D(walk.id, Quarn_2D_Frame::Class_A, nullptr, 0)) {
    Quarn_2D_Frame* frame = Frame_If(node);
    if (!frame) continue;
    const float d = Frame_Distance(point, frame);
    if (d < best_distance) best_distance = d, best = frame;
  }
  return best;
}

int Fct_Point_3D_Create(uint16_t type, Quarn_2D* group, int id, Point_3D at, float size, const char* name,
                        uint32_t colour) {
  QUARN_REPORT(points::Trace, ">>> in  Util: Fct_Point_3D_Create(flag:%d, group:%ls)", int(type), Name_Of(group));
  Quarn_Point* point = points::Make(type, id, name, size);
  if (!point) return points::Out("Fct_Point_3D_Create", "! Point_Pt", 0);
  point->pos = Point_3D(uint8_t(2), at.x, at.y, at.z);
  point->group = group;
  Attach(point);
  points::Made(point, colour);
  return points::Out("Fct_Point_3D_Create", nullptr, 1);
}

int Fct_Point_3D_Insert(uint16_t type, Quarn_Window* window, int id, const char* name) {
  QUARN_REPORT(points::Trace, ">>> in  Util: Fct_Point_3D_Insert(flag:%d)", int(type));
  const Point_2D* mouse = g_mouse_wnd.As<Point_2D>();
  Point_3D hit;
  if (!mouse || !Fct_Geom_Intersect(window, *mouse, &hit, nullptr)) return points::Out("Fct_Point_3D_Insert", "no hit", 0);
  // Surfaces belong to no 2D group: the point is attached to the nearest frame of the whole tree.
  if (!Fct_Point_3D_Create(type, nullptr, id, hit, 0, name, 0)) return points::Out("Fct_Point_3D_Insert", "failed", 0);
  Fct_Redraw(POINT_REDRAW);
  Fct_Redraw(POINT_REDRAW_3D);
  return points::Out("Fct_Point_3D_Insert", nullptr, 1);
}

int Fct_Point_3D_Capture(uint16_t type, Quarn_Window* window) {
  QUARN_REPORT(points::Trace, ">>> in  Util: Fct_Point_3D_Capture(flag:%d)", int(type));
  int count = 0;
  Quarn_Point** items = points::List(&count);
  if (!items) return points::Out("Fct_Point_3D_Capture", "! *Point_Pt", 0);
  Point_3D a, b;
  if (!Pointer_Ray(window, &a, &b)) return points::Out("Fct_Point_3D_Capture", "! ray", 0);
  const Nearest near = Find(type, a, b);
  if (near.index < 0) return points::Out("Fct_Point_3D_Capture", "index < 0", 0);
  Quarn_Point* p = items[near.index];
  // The pick radius is in window pixels; the scene's extent over the window height gives mm.
  const float reach = std::max(Quarn_Point::Pick_Radius_Min, p->size) * (window->size_3d / window->height);
  return points::Captured("Fct_Point_3D_Capture", near.index, reach > near.distance);
}

int Fct_Point_3D_Drag(uint16_t type, Quarn_Window* window) {
  QUARN_REPORT(points::Trace, ">>> in  Util: Fct_Point_3D_Drag(flag:%d)", int(type));
  Quarn_Point* p = points::Current();
  const Point_2D* mouse = g_mouse_wnd.As<Point_2D>();
  if (!p) return points::Out("Fct_Point_3D_Drag", "! Point_Cur", 0);
  Point_3D hit;
  if (!mouse || !Fct_Geom_Intersect(window, *mouse, &hit, nullptr)) return points::Out("Fct_Point_3D_Drag", "no hit", 0);
  p->pos = hit;
  p->pos.code = 2;
  Attach(p);
  Fct_Update(POINT_UPDATE_MOVED);
  Fct_Redraw(POINT_REDRAW);
  Fct_Redraw(POINT_REDRAW_3D);
  return points::Out("Fct_Point_3D_Drag", nullptr, 1);
}

int Fct_Point_3D_Delete(uint16_t type, Quarn_Window* window) {
  QUARN_REPORT(points::Trace, ">>> in  Util: Fct_Point_3D_Delete(flag:%d)", int(type));
  Point_3D a, b;
  if (!Pointer_Ray(window, &a, &b)) return points::Out("Fct_Point_3D_Delete", "! ray", 0);
  const Nearest near = Find(type, a, b);
  if (near.index < 0 || near.distance >= Delete_Reach) return points::Out("Fct_Point_3D_Delete", "none near", 0);
  int count = 0;
  const bool current = points::Current() == points::List(&count)[near.index];
  if (!points::Remove(near.index)) return points::Out("Fct_Point_3D_Delete", "(*Point_Pt)", 0);
  if (current) Fct_Update(POINT_UPDATE_CURRENT);
  Fct_Update(POINT_UPDATE_LIST);
  Fct_Redraw(POINT_REDRAW);
  Fct_Redraw(POINT_REDRAW_3D);
  return points::Out("Fct_Point_3D_Delete", nullptr, 1);
}
