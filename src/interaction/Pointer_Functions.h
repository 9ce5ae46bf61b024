// The platform's pen and touch functions, looked up by name once, so that the library also runs
// on a platform layer without them.
#pragma once

#include <platform/PlatformPointer.h>

#include <cstdint>

namespace quarn::pointer {

/// The six functions; each is null when the platform lacks it or has no pen or touch input.
struct Functions {
  int (*type)(uint32_t id, uint32_t* type) = nullptr;
  int (*info)(uint32_t id, Platform_Pointer_Info* out) = nullptr;
  int (*pen_info)(uint32_t id, Platform_Pen_Info* out) = nullptr;
  int (*register_window)(Platform_Window* window, uint32_t flags) = nullptr;
  int (*touch_info)(uint64_t handle, int count, Platform_Touch_Input* out, int record_size) = nullptr;
  int (*touch_close)(uint64_t handle) = nullptr;
};

/// The functions, looked up (and the search reported) on the first call.
const Functions& Functions_Get();

}  // namespace quarn::pointer
