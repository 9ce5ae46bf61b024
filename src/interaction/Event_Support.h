// Shared pieces of the event handlers: key codes, pointer variables, anchors, selection steps.
#pragma once

#include <quarn/classes/Class_Flag.h>

#include <quarn/core/Point.h>
#include <quarn/core/Region.h>

#include <cstdint>

class Quarn_2D;
class Quarn_2D_Frame;
class Quarn_Window;

namespace quarn {

inline constexpr int Key_Left = 0x825;   ///< Left arrow (0x800 plus the virtual key).
inline constexpr int Key_Up = 0x826;     ///< Up arrow.
inline constexpr int Key_Right = 0x827;  ///< Right arrow.
inline constexpr int Key_Down = 0x828;   ///< Down arrow.

inline constexpr int VK_Shift = 16;    ///< Virtual key of Shift.
inline constexpr int VK_Control = 17;  ///< Virtual key of Ctrl.


/// Which object a Shift range starts from.
enum class Anchor_Kind : uint8_t { Node, Frame };

/// Sizes of the tree list, normal or large interface.
struct List_Metrics {
  int icon;       ///< Icon size I.
  int slider;     ///< Slider length L.
  int slider_h;   ///< Slider height S.
  int icon_off;   ///< Icon offset from the row start.
  int slider_off; ///< Slider offset from the row start.
  int indent;     ///< Indent of the children.
};

/// The metrics of the interface size the host set ($INTERFACE_SIZE 3 = large).
List_Metrics Metrics_Now();

/// True while the key is held.
bool Key_Held(int virtual_key);

/// The anchor of the kind, or null.
Quarn_2D* Anchor_Get(Anchor_Kind kind);
/// Makes node the anchor of its kind.
void Anchor_Set(Anchor_Kind kind, Quarn_2D* node);

/// Sets the selected bit with mode on every sibling from the anchor to node, both included;
/// nothing when the anchor is not a sibling of node. Each mark asks for a selection update.
void Select_Range(Quarn_Window* window, Quarn_2D* node, Anchor_Kind kind, unsigned char mode);

/// Offers a pointer or key event to each child in order; the index of the first that takes it,
/// or -1. The handler is one of the Quarn_2D interface operations.
int Offer_Children(Quarn_2D* node, int (Quarn_2D::*handler)(Quarn_Window*, int, Point_2D*),
                   Quarn_Window* window, int code, Point_2D* point);

/// True when the node is shown in the window; else traces the handler's "(not visible)" exit.
bool Shown_Or_Trace(Quarn_2D* node, Quarn_Window* window, uint32_t cls, const char* handler);

/// The one-point rectangle at p.
inline Region_2D Point_Rect(const Point_2D& p) { return Region_2D(p, p); }

/// The frame under the pointer ($FRAME_OVR) slot, or null without the variable.
Quarn_2D** Frame_Over_Slot();
/// The pointer in interface space ($MOUSE_INF), or null.
Point_2D* Mouse_Inf();
/// The pointer in the frame space of the frame under it ($MOUSE_FRM), or null.
Point_2D* Mouse_Frm();

}  // namespace quarn
