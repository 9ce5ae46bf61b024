// Window selectors of the per-window operations (null, 4, 8 or a window) and the window list.
#pragma once

#include <quarn/Export.h>
#include <quarn/core/Quarn.h>
#include <quarn/display/Quarn_Window.h>

#include <cstdint>

namespace quarn {

/// Number of per-window entries of every node; a window's index is 0..Window_Max-1.
inline constexpr int Window_Max = 10;

/// Selector values that are not windows.
inline constexpr uintptr_t Selector_All = 0;      ///< Every window of the window list.
inline constexpr uintptr_t Selector_Current = 4;  ///< The current window.
inline constexpr uintptr_t Selector_None = 8;     ///< Index 0 with no particular window.

/// The window's index: its class B (0 for a null window).
inline int Window_Index_Of(const Quarn_Window* window) {
  return window ? window->Class_B_Get() : 0;
}

/// The window's display mode: its class A (0 for a null window).
inline uint16_t Window_Mode_Of(const Quarn_Window* window) {
  return window ? window->Class_A_Get() : 0;
}
/// The host's window list; returns its count and sets list (both 0 without a list).
int Window_List(Quarn_Window* const** list);
/// The host's current window, or null.
Quarn_Window* Window_Current();
/// Reports an unusable selector or window index for the labelled operation.
[[gnu::cold]] void Window_Bad(uintptr_t value, const char* label);

/// Calls fn(window, index) for each window the selector names: null every window of the list in
/// order, 4 the current window (none when there is none), 8 index 0 with a null window, and any
/// other pointer that window. Small integers that are no selector and indexes of 10 or more are
/// reported and skipped.
template <class Fn>
void For_Each_Window(const void* selector, const char* label, Fn&& fn) {
  auto visit = [&](Quarn_Window* window) {
    int index = Window_Index_Of(window);
    if (index >= Window_Max) return Window_Bad(uintptr_t(index), label);
    fn(window, index);
  };
  const uintptr_t value = reinterpret_cast<uintptr_t>(selector);
  if (value == Selector_All) {
    Quarn_Window* const* list = nullptr;
    const int count = Window_List(&list);
    for (int i = 0; i < count; ++i)
      if (list[i]) visit(list[i]);
  } else if (value == Selector_Current) {
    if (Quarn_Window* window = Window_Current()) visit(window);
  } else if (value == Selector_None) {
    fn(static_cast<Quarn_Window*>(nullptr), 0);
  } else if (value < 16) {
    Window_Bad(value, label);
  } else {
    visit(static_cast<Quarn_Window*>(const_cast<void*>(selector)));
  }
}

/// Index of the window of a single-window operation: null and 8 give 0, 4 the current window;
/// -1, reported, when there is no such window or its index is out of range.
int Window_Slot(const void* window, const char* label);

}  // namespace quarn
