// The key-state table: one flag per virtual key, written by the host, read from any thread.
#include <platform/PlatformKeys.h>

#include <atomic>
#include <cstdint>

namespace {

std::atomic<uint8_t> g_down[PLATFORM_VK_COUNT];

bool In_Range(int vk) { return vk >= 0 && vk < PLATFORM_VK_COUNT; }

bool Down(int vk) { return g_down[vk].load(std::memory_order_relaxed) != 0; }

}  // namespace

int Platform_Key_Down(int vk) {
  if (!In_Range(vk)) return 0;
  // A host may report the sided keys only, or only the generic one; either answers both.
  switch (vk) {
    case PLATFORM_VK_SHIFT:
      return Down(vk) || Down(PLATFORM_VK_LSHIFT) || Down(PLATFORM_VK_RSHIFT);
    case PLATFORM_VK_CONTROL:
      return Down(vk) || Down(PLATFORM_VK_LCONTROL) || Down(PLATFORM_VK_RCONTROL);
    case PLATFORM_VK_MENU:
      return Down(vk) || Down(PLATFORM_VK_LMENU) || Down(PLATFORM_VK_RMENU);
    default:
      return Down(vk);
  }
}

int Platform_Key_State_Set(int vk, int down) {
  if (!In_Range(vk)) return 0;
  g_down[vk].store(down ? 1 : 0, std::memory_order_relaxed);
  return 1;
}

void Platform_Key_State_Reset() {
  for (auto& key : g_down) key.store(0, std::memory_order_relaxed);
}
