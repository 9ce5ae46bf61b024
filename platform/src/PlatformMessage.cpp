// The per-window message queue: posting from any thread, peeking and waiting for messages.
#include "PlatformWindowRecord.h"

#include <chrono>
#include <new>

bool platform::Message_Take(Platform_Window& record, Platform_Message* out) {
  std::lock_guard guard(record.lock);
  if (record.closed || record.queue.empty()) return false;
  *out = record.queue.front();
  record.queue.pop_front();
  return true;
}

int Platform_Post_Message(Platform_Window* window, uint32_t id, uint64_t a, uint64_t b) {
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  {
    std::lock_guard guard(record->lock);
    // Checked again under the record's lock: the window may have died since the lookup.
    if (record->closed || record->queue.size() >= size_t(PLATFORM_QUEUE_LIMIT)) return 0;
    try {
      record->queue.push_back(Platform_Message{window, id, a, b});
    } catch (const std::bad_alloc&) {
      return 0;
    }
  }
  record->arrived.notify_one();
  return 1;
}

int Platform_Peek_Message(Platform_Window* window, Platform_Message* out, int remove) {
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  std::lock_guard guard(record->lock);
  if (record->queue.empty()) return 0;
  if (out) *out = record->queue.front();
  if (remove) record->queue.pop_front();
  return 1;
}

int Platform_Get_Message(Platform_Window* window, Platform_Message* out, uint32_t timeout_ms) {
  if (!out) return 0;
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  std::unique_lock guard(record->lock);
  auto ready = [&] { return record->closed || !record->queue.empty(); };
  if (timeout_ms == PLATFORM_WAIT_INFINITE)
    record->arrived.wait(guard, ready);
  else if (!record->arrived.wait_for(guard, std::chrono::milliseconds(timeout_ms), ready))
    return 0;
  if (record->closed) return 0;
  *out = record->queue.front();
  record->queue.pop_front();
  return 1;
}

int Platform_Queue_Count(Platform_Window* window) {
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  std::lock_guard guard(record->lock);
  return int(record->queue.size());
}
