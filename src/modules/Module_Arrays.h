// Resizing of the registry's arrays: each to its exact new count, a failure reported by name.
#pragma once

#include "core/Check.h"

#include <cstdlib>

namespace quarn::modules {

/// Source name of the registry's memory reports.
inline constexpr const char* Source_Name = "fct_module_lists";

/// Resizes array to count elements (released at 0); false, with the array unchanged and the
/// failure reported under var, when memory runs out.
template <class T>
bool Resize(T*& array, size_t count, const char* var) {
  if (!count) {
    std::free(array);
    array = nullptr;
    return true;
  }
  void* grown = std::realloc(array, count * sizeof(T));
  if (!grown) return Memory_Error(Source_Name, __LINE__, "realloc", var, long(count), long(sizeof(T))), false;
  array = static_cast<T*>(grown);
  return true;
}

}  // namespace quarn::modules
