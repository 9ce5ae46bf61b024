// Fct_Point_2D_*: landmarks on frames, placed, picked, dragged and deleted at the pointer.
#include <quarn/interaction/Quarn_Point.h>

#include <quarn/display/Update.h>
#include <quarn/frames/Quarn_2D_Frame.h>

#include "classes/Node_Kinds.h"
#include "core/Check.h"
#include "core/Trace.h"
#include "interaction/Point_List.h"
#include "script/Remembered_Variable.h"

#include <cmath>

using namespace quarn;

namespace {

Remembered_Variable g_mouse_frm{L"$MOUSE_FRM"};

/// A 2D delete takes the nearest point only when it lies within this squared distance (mm²).
constexpr float Delete_Reach2 = 10000.0f;

/// The image record of the first frame under the frame's parent (the series' first record).
Host_Image_Record* First_Image(Quarn_2D_Frame* frame) {
  Quarn_2D* parent = frame->Parent_Get_Pt();
  Quarn_2D_Frame* first = parent && parent->Child_Get_Nb() ? Frame_If(parent->Child_Get_Pt(0)) : nullptr;
  return first ? first->image : frame->image;
}

/// Places point on frame at frame position (x, y) of the frame's own slice.
void Place(Quarn_Point* point, Quarn_2D_Frame* frame, float x, float y) {
  point->pos_frm = Point_3D(uint8_t(6), x, y, float(frame->z_index));
  point->frame = frame;
  point->image = First_Image(frame);
  point->pos = Point_3D(frame->Frm_2_Org(Point_2D(uint8_t(6), x, y)));
  point->pos.code = 2;
}

struct Nearest {
  int index = -1;
  float distance2 = 0;
};

/// The nearest point of a type in mask on the pointer's slice of frame: its planar squared
/// distance from the pointer. Slice: within half the slice thickness along the frame's normal.
/// With only_here, points placed in another group or on another frame are skipped.
Nearest Find(uint16_t mask, Quarn_2D_Frame* frame, bool only_here) {
  Nearest best;
  int count = 0;
  Quarn_Point** items = points::List(&count);
  const Point_2D* mouse = g_mouse_frm.As<Point_2D>();
  if (!items || !mouse) return best;
  const Point_3D m(frame->Frm_2_Org(*mouse));
  const float half = std::fabs(frame->spacing.z / 2);
  const Vec4& n = frame->normal;
  for (int i = 0; i < count; ++i) {
    Quarn_Point* p = items[i];
    if (!p || !(p->Class_A_Get() & mask)) continue;
    if (only_here && ((p->group && p->group != frame->Parent_Get_Pt()) || (p->frame && p->frame != frame))) continue;
    const float dx = m.x - p->pos.x, dy = m.y - p->pos.y, dz = m.z - p->pos.z;
    const float across = dx * n.x + dy * n.y + dz * n.z;
    if (std::fabs(across) > half) continue;
    const float d2 = std::max(0.0f, dx * dx + dy * dy + dz * dz - across * across);
    if (best.index < 0 || d2 < best.distance2) best = {i, d2};
  }
  return best;
}

}  // namespace

int Fct_Point_2D_Create(uint16_t type, Quarn_2D_Frame* frame, int id, Point_2D at, float size, const char* name,
                        uint32_t colour) {
  QUARN_REPORT(points::Trace, ">>> in  Util: Fct_Point_2D_Create(flag:%d, frame:%ls)", int(type), Name_Of(frame));
  Quarn_Point* point = points::Make(type, id, name, size);
  if (!point) return points::Out("Fct_Point_2D_Create", "! Point_Pt", 0);
  if (frame) {
    Place(point, frame, at.x, at.y);
    point->group = frame->Parent_Get_Pt();
  } else {
    point->pos_frm = Point_3D(uint8_t(6), at.x, at.y, 0.0f);
  }
  points::Made(point, colour);
  return points::Out("Fct_Point_2D_Create", nullptr, 1);
}

int Fct_Point_2D_Insert(uint16_t type, Quarn_Window* window, Quarn_2D_Frame* frame, int id, const char* name) {
  QUARN_REPORT(points::Trace, ">>> in  Util: Fct_Point_2D_Insert(flag:%d, frame:%ls)", int(type), Name_Of(frame));
  const Point_2D* mouse = g_mouse_frm.As<Point_2D>();
  if (!frame || !mouse) return points::Out("Fct_Point_2D_Insert", "! frame", 0);
  if (!Fct_Point_2D_Create(type, frame, id, *mouse, 0, name, 0)) return points::Out("Fct_Point_2D_Insert", "failed", 0);
  Fct_Redraw(POINT_REDRAW);
  return points::Out("Fct_Point_2D_Insert", nullptr, 1);
}

int Fct_Point_2D_Capture(uint16_t mask, Quarn_Window*, Quarn_2D_Frame* frame) {
  QUARN_REPORT(points::Trace, ">>> in  Util: Fct_Point_2D_Capture(flag:%d, frame:%ls)", int(mask), Name_Of(frame));
  if (!frame) return points::Out("Fct_Point_2D_Capture", "! frame", 0);
  const Nearest near = Find(mask, frame, true);
  if (near.index < 0) return points::Out("Fct_Point_2D_Capture", "index < 0", 0);
  int count = 0;
  const Quarn_Point* p = points::List(&count)[near.index];
  return points::Captured("Fct_Point_2D_Capture", near.index,
                          std::max(Quarn_Point::Pick_Radius_Min, p->size) > std::sqrt(near.distance2));
}

int Fct_Point_2D_Drag(uint16_t type, Quarn_Window* window, Quarn_2D_Frame* frame) {
  QUARN_REPORT(points::Trace, ">>> in  Util: Fct_Point_2D_Drag(flag:%d, frame:%ls)", int(type), Name_Of(frame));
  Quarn_Point* p = points::Current();
  const Point_2D* mouse = g_mouse_frm.As<Point_2D>();
  if (!p) return points::Out("Fct_Point_2D_Drag", "! Point_Cur", 0);
  if (!frame || !mouse) return points::Out("Fct_Point_2D_Drag", "! frame", 0);
  p->Erase(window, p->frame);
  Place(p, frame, mouse->x, mouse->y);
  Fct_Update(POINT_UPDATE_MOVED);
  Fct_Redraw(POINT_REDRAW);
  return points::Out("Fct_Point_2D_Drag", nullptr, 1);
}

int Fct_Point_2D_Delete(uint16_t mask, Quarn_Window* window, Quarn_2D_Frame* frame) {
  QUARN_REPORT(points::Trace, ">>> in  Util: Fct_Point_2D_Delete(flag:%d, frame:%ls)", int(mask), Name_Of(frame));
  if (!frame) return points::Out("Fct_Point_2D_Delete", "! frame", 0);
  const Nearest near = Find(mask, frame, false);
  if (near.index < 0 || near.distance2 >= Delete_Reach2) return points::Out("Fct_Point_2D_Delete", "none near", 0);
  int count = 0;
  Quarn_Point* p = points::List(&count)[near.index];
  QUARN_REPORT(points::User, "Point: delete point \x01%ls\x01", p->Name_Get());
  const bool current = points::Current() == p;
  p->Erase(window, p->frame);
  if (!points::Remove(near.index)) return points::Out("Fct_Point_2D_Delete", "(*Point_Pt)", 0);
  if (current) Fct_Update(POINT_UPDATE_CURRENT);
  Fct_Update(POINT_UPDATE_LIST);
  Fct_Redraw(POINT_REDRAW);
  return points::Out("Fct_Point_2D_Delete", nullptr, 1);
}
