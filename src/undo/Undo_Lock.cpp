// The undo lock, traced with bracket lines of ▼ on entry and ▲ on exit.
#include "undo/Undo_Lock.h"

#include "core/Trace.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace {

// Lives for the whole process so that a late recorder call never finds it gone; Undo_Create and
// Undo_Cleanup only mark the host's start-up and shut-down.
std::recursive_mutex g_lock;
std::atomic<int> g_depth{0};
std::atomic<std::thread::id> g_owner{};

constexpr int kMarks = 24;  // marks on each side of the word

void Marker(bool entering, const char* who) {
  if (!Host_Report_Enabled(quarn::msg::Undo_Lock)) return;
  const wchar_t mark = entering ? L'\u25BC' : L'\u25B2';
  wchar_t line[160];
  int n = 0;
  for (int k = 0; k < kMarks; ++k) line[n++] = mark;
  for (const wchar_t* p = L" Undo "; *p; ++p) line[n++] = *p;
  for (int k = 0; k < kMarks; ++k) line[n++] = mark;
  line[n] = 0;
  Host_Format(line + n, sizeof line / sizeof *line - size_t(n), L" \"%.64hs\"", who ? who : "---");
  Host_Report_Text(Host_Main_Window, quarn::msg::Undo_Lock, line);
}

bool Held_By_Caller() {
  return g_depth.load(std::memory_order_relaxed) > 0 &&
         g_owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
}

}  // namespace

namespace quarn::undo {

void Lock_In(const char* who) {
  g_lock.lock();
  g_owner.store(std::this_thread::get_id(), std::memory_order_relaxed);
  g_depth.fetch_add(1, std::memory_order_relaxed);
  Marker(true, who);
}

void Lock_Out(const char* who) {
  if (!Held_By_Caller()) {
    QUARN_REPORT(msg::Low_File, "ERROR: called Undo_Critical_Out(%s) while not in the undo lock!",
                 who ? who : "---");
    return;
  }
  Marker(false, who);
  if (g_depth.fetch_sub(1, std::memory_order_relaxed) == 1)
    g_owner.store(std::thread::id(), std::memory_order_relaxed);
  g_lock.unlock();
}

int Lock_Depth() { return g_depth.load(std::memory_order_relaxed); }

}  // namespace quarn::undo
