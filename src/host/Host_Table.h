// Host_Table: the elements of a host variable whose storage holds a pointer to its array.
#pragma once

#include <quarn/script/Host_Variable.h>

namespace quarn {

/// The elements of the array variable name, with their count in *count; null (count 0) when the
/// host has no such variable, when it is no array or when its array is empty.
template <class T>
T* Host_Table(const wchar_t* name, int* count) {
  int n = 0;
  uint16_t flags = 0;
  void* storage = Fct_Variable_Get(name, &n, &flags, nullptr, 1);
  T* items = storage && (flags & VARIABLE_ARRAY) ? *static_cast<T**>(storage) : nullptr;
  *count = items && n > 0 ? n : 0;
  return *count ? items : nullptr;
}

}  // namespace quarn
