// Device contexts: handles that stand for a window in the pixel-format and context calls.
#include "PlatformGLInternal.h"
#include "PlatformWindowRecord.h"

#include <cerrno>
#include <new>
#include <unordered_map>

namespace {

// Handles count up from here and are never reused, so a stale one is never taken for a live one.
uintptr_t g_next_dc = 0x10;
std::unordered_map<uintptr_t, Platform_Window*>& Dcs() {
  static auto* dcs = new std::unordered_map<uintptr_t, Platform_Window*>;
  return *dcs;
}

}  // namespace

Platform_DC Platform_Get_DC(Platform_Window* window) {
  if (!Platform_Window_Valid(window)) {
    platform::Fail(EINVAL);
    return nullptr;
  }
  std::lock_guard guard(platform::Registry_Lock());
  try {
    const uintptr_t handle = g_next_dc++;
    Dcs().emplace(handle, window);
    return reinterpret_cast<Platform_DC>(handle);
  } catch (const std::bad_alloc&) {
    platform::Fail(ENOMEM);
    return nullptr;
  }
}

int Platform_Release_DC(Platform_Window* window, Platform_DC dc) {
  std::lock_guard guard(platform::Registry_Lock());
  auto it = Dcs().find(reinterpret_cast<uintptr_t>(dc));
  if (it == Dcs().end() || it->second != window) return platform::Fail(EINVAL);
  Dcs().erase(it);
  return 1;
}

Platform_Window* Platform_DC_Window(Platform_DC dc) {
  std::lock_guard guard(platform::Registry_Lock());
  auto it = Dcs().find(reinterpret_cast<uintptr_t>(dc));
  return it == Dcs().end() ? nullptr : it->second;
}

std::shared_ptr<platform::GL_Drawable> platform::Drawable_Of(Platform_Window* window) {
  auto record = Window_Lookup(window);
  if (!record) return nullptr;
  std::lock_guard guard(record->lock);
  return record->drawable;
}

std::shared_ptr<platform::GL_Drawable> platform::Drawable_Of(Platform_DC dc) {
  return Drawable_Of(Platform_DC_Window(dc));
}

int platform::Drawable_Create(Platform_Window* window, int number,
                              const Platform_Pixel_Format& format) {
  auto record = Window_Lookup(window);
  if (!record) return EINVAL;
  std::lock_guard guard(record->lock);
  if (record->drawable) return record->drawable->format_number == number ? 0 : EBUSY;
  try {
    auto drawable = std::make_shared<GL_Drawable>();
    drawable->format = format;
    drawable->format_number = number;
    record->drawable = std::move(drawable);
    return 0;
  } catch (const std::bad_alloc&) {
    return ENOMEM;
  }
}
