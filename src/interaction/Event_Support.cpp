// Shared pieces of the event handlers: interface metrics, keys, anchors and range selection.
#include "interaction/Event_Support.h"

#include <quarn/classes/Quarn_2D.h>
#include <quarn/display/Update.h>

#include <hostkit/HostWidgets.h>

#include "core/Trace.h"
#include "script/Remembered_Variable.h"

#include <algorithm>

namespace quarn {

namespace {
Remembered_Variable g_interface_size{L"$INTERFACE_SIZE"};
Remembered_Variable g_frame_ovr{L"$FRAME_OVR", true};
Remembered_Variable g_mouse_inf{L"$MOUSE_INF", true};
Remembered_Variable g_mouse_frm{L"$MOUSE_FRM", true};

// Anchors live for the process; the host's interface thread alone touches them.
Quarn_2D* g_anchor[2] = {};

int Index_In(Quarn_2D* parent, Quarn_2D* child) {
  for (int i = 0; i < parent->Child_Get_Nb(); ++i)
    if (parent->Child_Get_Pt(i) == child) return i;
  return -1;
}
}  // namespace

List_Metrics Metrics_Now() {
  const uint8_t* size = g_interface_size.As<uint8_t>();
  if (size && *size == 3) return {32, 240, 24, 35, 75, 36};
  return {16, 120, 12, 19, 43, 20};
}

bool Key_Held(int virtual_key) { return Host_Key_Down(virtual_key) != 0; }

Quarn_2D* Anchor_Get(Anchor_Kind kind) { return g_anchor[int(kind)]; }

void Anchor_Set(Anchor_Kind kind, Quarn_2D* node) { g_anchor[int(kind)] = node; }

void Select_Range(Quarn_Window* window, Quarn_2D* node, Anchor_Kind kind, unsigned char mode) {
  Quarn_2D* anchor = Anchor_Get(kind);
  Quarn_2D* parent = node->Parent_Get_Pt();
  // A stale anchor may have been destroyed: find it among the siblings before touching it.
  if (!anchor || !parent) return;
  const int a = Index_In(parent, anchor), b = Index_In(parent, node);
  if (a < 0 || b < 0) return;
  for (int i = std::min(a, b); i <= std::max(a, b); ++i) {
    parent->Child_Get_Pt(i)->Flag_Set_On(mode, window, quarn::flag::Selected);
    Fct_Update(0x102, window);
    Fct_Redraw(0x7F8, window);
  }
}

int Offer_Children(Quarn_2D* node, int (Quarn_2D::*handler)(Quarn_Window*, int, Point_2D*),
                   Quarn_Window* window, int code, Point_2D* point) {
  for (int i = 0; i < node->Child_Get_Nb(); ++i)
    if ((node->Child_Get_Pt(i)->*handler)(window, code, point)) return i;
  return -1;
}

bool Shown_Or_Trace(Quarn_2D* node, Quarn_Window* window, uint32_t cls, const char* handler) {
  if (node->Flag_Get_Bit(0x10, window, quarn::flag::Visible)) return true;
  QUARN_REPORT(cls, "<<< out Class: %s(not visible)", handler);
  return false;
}

Quarn_2D** Frame_Over_Slot() { return g_frame_ovr.As<Quarn_2D*>(); }
Point_2D* Mouse_Inf() { return g_mouse_inf.As<Point_2D>(); }
Point_2D* Mouse_Frm() { return g_mouse_frm.As<Point_2D>(); }

}  // namespace quarn
