// The layer's clock: the steady clock shifted by an offset, or a manual time while tests drive it.
#include <platform/PlatformClock.h>

#include <chrono>
#include <mutex>

namespace {

std::mutex g_clock_lock;
bool g_manual = false;
uint64_t g_manual_now = 0;
// Added to the steady clock so that time goes on from the manual time when that mode ends.
int64_t g_offset = 0;

int64_t Steady_Ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

uint64_t Now_Locked() { return g_manual ? g_manual_now : uint64_t(Steady_Ms() + g_offset); }

}  // namespace

uint64_t Platform_Clock_Now() {
  std::lock_guard guard(g_clock_lock);
  return Now_Locked();
}

void Platform_Clock_Manual(int on) {
  std::lock_guard guard(g_clock_lock);
  if (bool(on) == g_manual) return;
  if (on)
    g_manual_now = Now_Locked();
  else
    g_offset = int64_t(g_manual_now) - Steady_Ms();
  g_manual = bool(on);
}

int Platform_Clock_Is_Manual() {
  std::lock_guard guard(g_clock_lock);
  return g_manual ? 1 : 0;
}

int Platform_Clock_Advance(uint32_t ms) {
  std::lock_guard guard(g_clock_lock);
  if (!g_manual) return 0;
  g_manual_now += ms;
  return 1;
}
