// Pen and touch input: the pointers' last reports, the open touch handles and the windows that
// take touch messages, shared between the input backend's thread and the host's.
#include <platform/PlatformPointer.h>

#include <platform/PlatformMessage.h>

#include "PlatformWindowRecord.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t kPositionMask = 0xFFFF;

struct Pointer_State {
  std::mutex lock;
  std::map<uint32_t, Platform_Pen_Info> pointers;
  std::map<uint64_t, std::vector<Platform_Touch_Input>> touches;
  uint64_t next_handle = 1;
  // The record of each registered window: a handle whose window was destroyed and whose address
  // came back for a new one then finds another record.
  std::map<Platform_Window*, std::weak_ptr<Platform_Window>> registered;
};

Pointer_State& State() {
  static Pointer_State* state = new Pointer_State;  // outlives every static destructor
  return *state;
}

std::atomic<int> g_digitizer{0};

const Platform_Pen_Info* Find(Pointer_State& s, uint32_t id) {
  auto it = s.pointers.find(id);
  return it == s.pointers.end() ? nullptr : &it->second;
}

uint64_t Position_Word(const Platform_Pointer_Info& p) {
  return (uint64_t(uint32_t(p.x)) & kPositionMask) | (uint64_t(uint32_t(p.y)) & kPositionMask) << 16;
}

}  // namespace

int Platform_Digitizer_Metrics() { return g_digitizer.load(std::memory_order_relaxed); }

void Platform_Digitizer_Set(int bits) { g_digitizer.store(bits, std::memory_order_relaxed); }

int Platform_Pen_Post(Platform_Window* window, uint32_t message, const Platform_Pen_Info* pen) {
  if (!pen) return 0;
  const uint32_t id = pen->pointer.id & kPositionMask;
  {
    Pointer_State& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    if (!Find(s, id) && int(s.pointers.size()) >= PLATFORM_POINTER_LIMIT) return 0;
    s.pointers[id] = *pen;
    s.pointers[id].pointer.id = id;
  }
  return Platform_Post_Message(window, message, id, Position_Word(pen->pointer));
}

int Platform_Pointer_Type(uint32_t id, uint32_t* type) {
  Pointer_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  const Platform_Pen_Info* p = Find(s, id);
  if (!p || !type) return 0;
  *type = p->pointer.type;
  return 1;
}

int Platform_Pointer_Info_Get(uint32_t id, Platform_Pointer_Info* out) {
  Pointer_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  const Platform_Pen_Info* p = Find(s, id);
  if (!p || !out) return 0;
  *out = p->pointer;
  return 1;
}

int Platform_Pointer_Pen_Info_Get(uint32_t id, Platform_Pen_Info* out) {
  Pointer_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  const Platform_Pen_Info* p = Find(s, id);
  if (!p || !out || p->pointer.type != PLATFORM_POINTER_PEN) return 0;
  *out = *p;
  return 1;
}

int Platform_Pointer_Forget(uint32_t id) {
  Pointer_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  return s.pointers.erase(id) ? 1 : 0;
}

int Platform_Touch_Post(Platform_Window* window, const Platform_Touch_Input* inputs, int count) {
  if (count < 0 || count > PLATFORM_TOUCH_INPUT_LIMIT || (count > 0 && !inputs)) return 0;
  uint64_t handle = 0;
  {
    Pointer_State& s = State();
    std::lock_guard<std::mutex> hold(s.lock);
    if (int(s.touches.size()) >= PLATFORM_TOUCH_HANDLE_LIMIT) return 0;
    handle = s.next_handle++;
    s.touches[handle].assign(inputs, inputs + count);
  }
  if (Platform_Post_Message(window, PLATFORM_MSG_TOUCH, uint64_t(count), handle)) return 1;
  Platform_Touch_Input_Close(handle);
  return 0;
}

int Platform_Touch_Input_Info(uint64_t handle, int count, Platform_Touch_Input* out, int record_size) {
  if (record_size != int(sizeof(Platform_Touch_Input)) || count < 0 || (count > 0 && !out)) return 0;
  Pointer_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  auto it = s.touches.find(handle);
  if (it == s.touches.end() || size_t(count) > it->second.size()) return 0;
  std::copy(it->second.begin(), it->second.begin() + count, out);
  return 1;
}

int Platform_Touch_Input_Close(uint64_t handle) {
  Pointer_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  return s.touches.erase(handle) ? 1 : 0;
}

int Platform_Touch_Open_Handles() {
  Pointer_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  return int(s.touches.size());
}

int Platform_Touch_Register(Platform_Window* window, uint32_t flags) {
  std::shared_ptr<Platform_Window> record = platform::Window_Lookup(window);
  if (!record) return 0;
  Pointer_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  std::erase_if(s.registered, [](const auto& entry) { return entry.second.expired(); });
  s.registered[window] = record;
  return 1;
}

int Platform_Touch_Registered(Platform_Window* window) {
  std::shared_ptr<Platform_Window> record = platform::Window_Lookup(window);
  Pointer_State& s = State();
  std::lock_guard<std::mutex> hold(s.lock);
  auto it = s.registered.find(window);
  return record && it != s.registered.end() && it->second.lock() == record ? 1 : 0;
}
