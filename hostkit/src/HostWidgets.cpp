// Busy pointer, key-state table and pictures of the host's widget library.
#include <platform/PlatformKeys.h>
#include <hostkit/HostWidgets.h>

#include <hostkit/HostUtil.h>

#include "HostFault.h"

#include <atomic>
#include <new>

namespace {

std::atomic<int> g_wait_depth{0};

bool Key_Ok(int vk) { return vk >= 0 && vk < 256; }

}  // namespace

void Host_Wait_Cursor_On(Host_Window) { g_wait_depth.fetch_add(1); }

void Host_Wait_Cursor_Off(Host_Window) {
  int depth = g_wait_depth.load();
  while (depth > 0 && !g_wait_depth.compare_exchange_weak(depth, depth - 1)) {
  }
}

int Host_Wait_Cursor_Depth() { return g_wait_depth.load(); }

// The platform layer holds the one key-state table; the kit only forwards.
int Host_Key_Down(int vk) { return Key_Ok(vk) && Platform_Key_Down(vk); }

void Host_Key_State_Set(int vk, bool down) {
  if (Key_Ok(vk)) Platform_Key_State_Set(vk, down);
}

void Host_Key_State_Reset() {
  Platform_Key_State_Reset();
}

