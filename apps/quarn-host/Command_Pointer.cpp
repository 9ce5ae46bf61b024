// "pointer:" moves, presses, drags and releases the pointer in the host's window: each action is
// posted as a pointer message and pumped through the window procedure, as from a real window.
#include "Host_Command.h"
#include "Host_Pointer.h"
#include "Host_Render.h"

#include <quarn/quarn.h>

#include <cwchar>
#include <string>

namespace {

constexpr const wchar_t* Usage =
    L"pointer: move|press|drag|release X Y | where X Y   the pointer in window pixels (where: the frame pixel under it)";

bool Pixel(const wchar_t* word, int* out) {
  const std::wstring text = Host_Expand(word);
  wchar_t* end = nullptr;
  const long v = std::wcstol(text.c_str(), &end, 10);
  // Positions travel as 16-bit words in the messages.
  if (text.empty() || *end || v < INT16_MIN || v > INT16_MAX) return false;
  *out = int(v);
  return true;
}

int Where(Quarn_Window* window, int x, int y) {
  Host_Record_Skip();
  Quarn_2D_Frame* frame = Host_Frame_Under(window, x, y);
  if (!frame) {
    Host_Print(L"pointer: over no frame");
    return 1;
  }
  const Point_2D p = frame->Inf_2_Frm(window, window->Wnd_2_Inf(Point_2D(8, float(x), float(y))));
  wchar_t line[160];
  std::swprintf(line, 160, L"pointer: over %ls at pixel %d %d", frame->Name_Get(), int(p.x), int(p.y));
  Host_Print(line);
  return 1;
}

int Pointer(int* nb_arg, wchar_t*** pt_arg) {
  if (*nb_arg != 3) {
    Host_Print(Usage);
    return 0;
  }
  const std::wstring what = Host_Expand((*pt_arg)[0]);
  int x = 0, y = 0;
  if (!Pixel((*pt_arg)[1], &x) || !Pixel((*pt_arg)[2], &y)) {
    Host_Print((L"pointer: X and Y are whole window pixels from -32768 to 32767 (" + std::wstring(Usage) + L")").c_str());
    return 0;
  }
  uint32_t id = 0;
  if (what == L"press") id = PLATFORM_MSG_POINTER_DOWN;
  else if (what == L"drag" || what == L"move") id = PLATFORM_MSG_POINTER_UPDATE;
  else if (what == L"release") id = PLATFORM_MSG_POINTER_UP;
  else if (what != L"where") {
    Host_Print((L"pointer: unknown action \"" + what + L"\" (" + Usage + L")").c_str());
    return 0;
  }
  Quarn_Window* window = Host_Window_Get();
  Platform_Window* handle = window ? Host_Layout(window) : nullptr;
  if (!handle) {
    Host_Print(L"pointer: the host has no window");
    return 0;
  }
  if (what == L"where") return Where(window, x, y);
  const bool contact = what != L"move" && what != L"release";
  if (!Platform_Post_Message(handle, id, Host_Pointer_Word(contact), Host_Pointer_Position(x, y))) {
    Host_Print(L"pointer: the window takes no more messages");
    return 0;
  }
  Platform_Pump(handle, &Host_Window_Procedure);
  // A press over no frame reaches nothing to act on: the tools said why.
  return what == L"press" ? Host_Frame_Under(window, x, y) != nullptr : 1;
}

const Host_Command_Registration pointer_registration({L"pointer:", Pointer, Usage});

}  // namespace
