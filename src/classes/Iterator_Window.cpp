// The window iterator: the host's window list one window per call.
#include <quarn/classes/Iterator.h>
#include <quarn/display/Quarn_Window.h>

#include "classes/Iterator_Table.h"
#include "classes/Window_Selector.h"
#include "core/Trace.h"

namespace {

Quarn_Window* Out(const char* why) {
  QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_Window(%s)", why);
  return nullptr;
}

}  // namespace

Quarn_Window* Iterator_Window(uint16_t id, char mode) {
  QUARN_REPORT(quarn::msg::Iterator, ">>> in  Fct: Iterator_Window(%d,%02X)", id, unsigned(uint8_t(mode)));
  quarn::iterator::Slot* slot = quarn::iterator::Slot_Of(id, "Iterator_Window");
  if (!slot) return Out("null");
  Quarn_Window* const* list = nullptr;
  const int count = quarn::Window_List(&list);
  if (count == 0) return Out("! *Window_Nb");
  for (;;) {
    if (slot->window_cursor >= count) return Out(">= *Window_Nb");
    Quarn_Window* window = list[slot->window_cursor++];
    if (!window) continue;
    if ((mode & quarn::iter::Window_On) && !window->on) {
      QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_Window(window off)");
      continue;
    }
    QUARN_REPORT(quarn::msg::Iterator, "<<< out Fct: Iterator_Window(%ls)", window->Name_Get());
    return window;
  }
}
