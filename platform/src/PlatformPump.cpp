// The host thread's pump: queued messages to the host's handler, then the timers that are due.
#include "PlatformWindowRecord.h"

int Platform_Pump(Platform_Window* window, Platform_Handler handler) {
  if (!handler) return 0;
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  // Only what is queued now: a handler that posts again, or a busy poster, cannot keep the
  // host thread in here for ever.
  size_t pending;
  {
    std::lock_guard guard(record->lock);
    pending = record->queue.size();
  }
  int handled = 0;
  Platform_Message message;
  while (pending-- > 0 && platform::Message_Take(*record, &message)) {
    handler(window, &message);
    ++handled;
  }
  return handled + platform::Timers_Run(*record, window, handler);
}
