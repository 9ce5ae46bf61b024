// Window records and the registry of live handles.
#include "PlatformWindowRecord.h"

#include <algorithm>
#include <cwchar>
#include <new>
#include <unordered_map>

namespace {

using Registry = std::unordered_map<Platform_Window*, std::shared_ptr<Platform_Window>>;

std::mutex g_registry_lock;

// Never destroyed: a host may still post to its windows from its own exit code.
Registry& Windows() {
  static Registry* windows = new Registry;
  return *windows;
}

}  // namespace

std::shared_ptr<Platform_Window> platform::Window_Lookup(Platform_Window* handle) {
  std::lock_guard guard(g_registry_lock);
  auto it = Windows().find(handle);
  return it == Windows().end() ? nullptr : it->second;
}

Platform_Window* Platform_Window_Create(const wchar_t* title, int width, int height, void* user) {
  if (width < 0 || height < 0) return nullptr;
  try {
    auto record = std::make_shared<Platform_Window>();
    record->title = title ? title : L"";
    record->width = width;
    record->height = height;
    record->user = user;
    std::lock_guard guard(g_registry_lock);
    Windows().emplace(record.get(), record);
    return record.get();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

int Platform_Window_Destroy(Platform_Window* window) {
  std::shared_ptr<Platform_Window> record;
  {
    std::lock_guard guard(g_registry_lock);
    auto it = Windows().find(window);
    if (it == Windows().end()) return 0;
    record = std::move(it->second);
    Windows().erase(it);
  }
  {
    std::lock_guard guard(record->lock);
    record->closed = true;
    record->queue.clear();
    record->timers.clear();
    record->drawable.reset();
  }
  record->arrived.notify_all();
  return 1;
}

int Platform_Window_Valid(Platform_Window* window) {
  std::lock_guard guard(g_registry_lock);
  return Windows().count(window) ? 1 : 0;
}

int Platform_Window_Count() {
  std::lock_guard guard(g_registry_lock);
  return int(Windows().size());
}

int Platform_Window_Title_Set(Platform_Window* window, const wchar_t* title) {
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  try {
    std::wstring copy = title ? title : L"";
    std::lock_guard guard(record->lock);
    record->title.swap(copy);
    return 1;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

int Platform_Window_Title_Get(Platform_Window* window, wchar_t* buffer, int count) {
  auto record = platform::Window_Lookup(window);
  if (!record) {
    if (buffer && count > 0) buffer[0] = L'\0';
    return 0;
  }
  std::lock_guard guard(record->lock);
  const int length = int(record->title.size());
  if (buffer && count > 0) {
    const int kept = std::min(length, count - 1);
    std::wmemcpy(buffer, record->title.data(), size_t(kept));
    buffer[kept] = L'\0';
  }
  return length;
}

int Platform_Window_Size_Set(Platform_Window* window, int width, int height) {
  if (width < 0 || height < 0) return 0;
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  std::lock_guard guard(record->lock);
  record->width = width;
  record->height = height;
  return 1;
}

int Platform_Window_Size_Get(Platform_Window* window, int* width, int* height) {
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  std::lock_guard guard(record->lock);
  if (width) *width = record->width;
  if (height) *height = record->height;
  return 1;
}

int Platform_Window_User_Set(Platform_Window* window, void* user) {
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  std::lock_guard guard(record->lock);
  record->user = user;
  return 1;
}

void* Platform_Window_User_Get(Platform_Window* window) {
  auto record = platform::Window_Lookup(window);
  if (!record) return nullptr;
  std::lock_guard guard(record->lock);
  return record->user;
}
