// Window timers: start, restart, stop, and the ticks the pump runs when they are due.
#include "PlatformWindowRecord.h"

#include <platform/PlatformClock.h>

#include <algorithm>
#include <new>

namespace {

struct Due {
  unsigned id;
  uint64_t serial;
  uint64_t deadline;
  Platform_Timer_Proc proc;
};

// Next beat of the timer strictly after now; the beats it missed fall together into one tick.
uint64_t Next_Deadline(const platform::Timer& timer, uint64_t now) {
  return timer.deadline + timer.period * ((now - timer.deadline) / timer.period + 1);
}

// Still the timer the tick was taken for: not killed, nor restarted, nor its window gone.
bool Still_Running(Platform_Window& record, const Due& due) {
  std::lock_guard guard(record.lock);
  if (record.closed) return false;
  return std::any_of(record.timers.begin(), record.timers.end(), [&](const platform::Timer& t) {
    return t.id == due.id && t.serial == due.serial;
  });
}

std::vector<Due> Take_Due(Platform_Window& record, uint64_t now) {
  std::vector<Due> due;
  std::lock_guard guard(record.lock);
  if (record.closed) return due;
  for (platform::Timer& timer : record.timers) {
    if (timer.deadline > now) continue;
    due.push_back(Due{timer.id, timer.serial, timer.deadline, timer.proc});
    timer.deadline = Next_Deadline(timer, now);
  }
  // Earliest beat first; timers due at the same time tick in the order they were started.
  std::stable_sort(due.begin(), due.end(),
                   [](const Due& x, const Due& y) { return x.deadline < y.deadline; });
  return due;
}

}  // namespace

int platform::Timers_Run(Platform_Window& record, Platform_Window* handle,
                         Platform_Handler handler) {
  const uint64_t now = Platform_Clock_Now();
  std::vector<Due> due;
  try {
    due = Take_Due(record, now);
  } catch (const std::bad_alloc&) {
    return 0;  // the deadlines stay where they were, so the next pump tries again
  }
  int ticks = 0;
  for (const Due& d : due) {
    // An earlier tick of this pump may have killed or restarted this timer.
    if (!Still_Running(record, d)) continue;
    if (d.proc) {
      d.proc(handle, d.id, now);
    } else {
      const Platform_Message message{handle, PLATFORM_MSG_TIMER, d.id, now};
      handler(handle, &message);
    }
    ++ticks;
  }
  return ticks;
}

unsigned Platform_Set_Timer(Platform_Window* window, unsigned id, uint32_t period_ms,
                            Platform_Timer_Proc proc) {
  if (id == 0) return 0;
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  const uint32_t period = std::clamp(period_ms, PLATFORM_TIMER_MINIMUM, PLATFORM_TIMER_MAXIMUM);
  const uint64_t now = Platform_Clock_Now();
  std::lock_guard guard(record->lock);
  if (record->closed) return 0;
  platform::Timer timer{id, period, now + period, proc, ++record->timer_serial};
  auto it = std::find_if(record->timers.begin(), record->timers.end(),
                         [&](const platform::Timer& t) { return t.id == id; });
  if (it != record->timers.end()) {
    *it = timer;
    return id;
  }
  try {
    record->timers.push_back(timer);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  return id;
}

int Platform_Kill_Timer(Platform_Window* window, unsigned id) {
  auto record = platform::Window_Lookup(window);
  if (!record) return 0;
  std::lock_guard guard(record->lock);
  auto it = std::find_if(record->timers.begin(), record->timers.end(),
                         [&](const platform::Timer& t) { return t.id == id; });
  if (it == record->timers.end()) return 0;
  record->timers.erase(it);
  return 1;
}

int64_t Platform_Timer_Next(Platform_Window* window) {
  auto record = platform::Window_Lookup(window);
  if (!record) return -1;
  const uint64_t now = Platform_Clock_Now();
  std::lock_guard guard(record->lock);
  if (record->timers.empty()) return -1;
  uint64_t first = record->timers.front().deadline;
  for (const platform::Timer& timer : record->timers) first = std::min(first, timer.deadline);
  return first <= now ? 0 : int64_t(first - now);
}
