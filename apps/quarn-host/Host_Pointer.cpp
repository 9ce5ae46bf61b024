// The host's window procedure for pointer messages, and the frame under the pointer.
#include "Host_Pointer.h"

#include "Host_Module.h"

#include <quarn/quarn.h>

#include <platform/PlatformPointer.h>

namespace {

int g_taken = 0;

Quarn_2D_Frame* Current_Frame(Quarn_Window* window) {
  uint16_t flags = 0;
  void* storage = Host_Var_Get(L"$FRAME_CUR", nullptr, &flags, nullptr);
  auto* table = static_cast<Quarn_2D**>(Fct_Variable_Elements(storage, flags));
  Quarn_2D* node = table ? table[window->Class_B_Get()] : nullptr;
  return node && node->Class_A_Get() == Quarn_2D_Frame::Class_A ? static_cast<Quarn_2D_Frame*>(node) : nullptr;
}

/// Offers the event to each active module that is a tool; 1 when one acted.
int Offer_Tools(Host_Pointer_Kind kind, Quarn_Window* window, int x, int y) {
  Quarn_2D_Frame* frame = Host_Frame_Under(window, x, y);
  int taken = 0;
  for (uint32_t i = 0; i < Fct_Module_Active_Nb(); ++i) {
    const Module_Functions* module = Fct_Module_Active_Pt(int(i));
    const auto* tool = module ? static_cast<const Host_Tool*>(module->user) : nullptr;
    if (tool && tool->pointer && tool->pointer(kind, window, frame, x, y)) taken = 1;
  }
  return taken;
}

}  // namespace

Quarn_2D_Frame* Host_Frame_Under(Quarn_Window* window, int x, int y) {
  if (!window) return nullptr;
  const Point_2D inside = window->Wnd_2_Inf(Point_2D(8, float(x), float(y)));
  if (window->Class_A_Get() == WINDOW_MODE_2D_ONE) {
    Quarn_2D_Frame* frame = Current_Frame(window);
    return frame && frame->Inside_Pt(window, inside) ? frame : nullptr;
  }
  Quarn_2D_Frame* found = nullptr;
  const uint16_t id = Iterator_Init("Host_Frame_Under", nullptr);
  while (Quarn_2D* node = Iterator_Class_2D(id, Quarn_2D_Frame::Class_A, window, quarn::mode::If_Visible))
    if (node->Inside_Pt(window, inside)) {
      found = static_cast<Quarn_2D_Frame*>(node);
      break;
    }
  Iterator_End(id);
  return found;
}

void Host_Window_Procedure(Platform_Window* handle, const Platform_Message* message) {
  auto* window = static_cast<Quarn_Window*>(Platform_Window_User_Get(handle));
  if (!window || !message) return;
  const int x = int(int16_t(message->b & 0xFFFF)), y = int(int16_t((message->b >> 16) & 0xFFFF));
  const bool contact = ((message->a >> 16) & PLATFORM_POINTER_IN_CONTACT) != 0;
  int taken = 0;
  switch (message->id) {
    case PLATFORM_MSG_POINTER_DOWN:
      taken = Database_2D_Click(window, 1, int16_t(x), int16_t(y)) != 0;
      taken |= Offer_Tools(Host_Pointer_Kind::Press, window, x, y);
      break;
    case PLATFORM_MSG_POINTER_UPDATE:
      taken = Database_2D_Motion(window, contact ? 1 : 0, int16_t(x), int16_t(y)) != 0;
      taken |= Offer_Tools(contact ? Host_Pointer_Kind::Drag : Host_Pointer_Kind::Move, window, x, y);
      break;
    case PLATFORM_MSG_POINTER_UP:
      taken = Database_2D_Click(window, 0, int16_t(x), int16_t(y)) != 0;
      taken |= Offer_Tools(Host_Pointer_Kind::Release, window, x, y);
      break;
    default: return;
  }
  g_taken = taken;
}

int Host_Pointer_Taken() { return g_taken; }
