// The pointer position of the process.
#include <platform/PlatformCursor.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>

namespace {

// Both coordinates in one word, so that a reader never sees x of one move and y of another.
std::atomic<uint64_t> g_cursor{0};

uint64_t Pack(int x, int y) { return (uint64_t(uint32_t(x)) << 32) | uint32_t(y); }
int Unpack_X(uint64_t v) { return int(int32_t(uint32_t(v >> 32))); }
int Unpack_Y(uint64_t v) { return int(int32_t(uint32_t(v))); }

int Add_Clamped(int a, int b) {
  return int(std::clamp(int64_t(a) + int64_t(b), int64_t(INT_MIN), int64_t(INT_MAX)));
}

}  // namespace

void Platform_Cursor_Set(int x, int y) { g_cursor.store(Pack(x, y), std::memory_order_relaxed); }

void Platform_Cursor_Move(int dx, int dy) {
  uint64_t old = g_cursor.load(std::memory_order_relaxed);
  while (!g_cursor.compare_exchange_weak(
      old, Pack(Add_Clamped(Unpack_X(old), dx), Add_Clamped(Unpack_Y(old), dy)),
      std::memory_order_relaxed)) {
  }
}

void Platform_Cursor_Get(int* x, int* y) {
  uint64_t v = g_cursor.load(std::memory_order_relaxed);
  if (x) *x = Unpack_X(v);
  if (y) *y = Unpack_Y(v);
}
