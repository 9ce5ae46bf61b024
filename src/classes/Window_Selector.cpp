// Window list access and index resolution shared by the 1D, 2D and 3D trees.
#include "classes/Window_Selector.h"

#include "core/Trace.h"
#include "script/Remembered_Variable.h"

namespace quarn {

namespace {
Remembered_Variable g_window_nb{L"$WINDOW_NB"};
Remembered_Variable g_window_pt{L"$WINDOW_PT"};
Remembered_Variable g_window_cur{L"$WINDOW_CUR"};
}  // namespace

int Window_List(Quarn_Window* const** list) {
  *list = nullptr;
  const int* count = g_window_nb.As<int>();
  // Read through the table each time: the host may move the array as windows come and go.
  Quarn_Window* const* array = g_window_pt.Table<Quarn_Window*>();
  if (!count || !array || *count <= 0) return 0;
  *list = array;
  return *count;
}

Quarn_Window* Window_Current() {
  return g_window_cur.Value<Quarn_Window*>();
}

void Window_Bad(uintptr_t value, const char* label) {
  QUARN_REPORT(msg::Invalid, "Invalid window selector or index %lu in %s", static_cast<unsigned long>(value),
               label ? label : "---");
}

int Window_Slot(const void* window, const char* label) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(window);
  if (value == Selector_All || value == Selector_None) return 0;
  const Quarn_Window* w = value == Selector_Current ? Window_Current()
                                                   : static_cast<const Quarn_Window*>(window);
  if (!w || reinterpret_cast<uintptr_t>(w) < 16) {
    Window_Bad(value, label);
    return -1;
  }
  const int index = Window_Index_Of(w);
  if (index >= Window_Max) {
    Window_Bad(uintptr_t(index), label);
    return -1;
  }
  return index;
}

}  // namespace quarn
