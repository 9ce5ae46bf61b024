// The record behind a window handle, and the registry lookup that vouches for handles.
#pragma once

#include <platform/PlatformMessage.h>
#include <platform/PlatformTimer.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

/// One running timer of a window.
struct Timer {
  unsigned id = 0;
  uint32_t period = 0;
  uint64_t deadline = 0;  // next tick due at this clock time
  Platform_Timer_Proc proc = nullptr;
  uint64_t serial = 0;  // tells a restarted timer from the one a pending tick was taken for
};

struct GL_Drawable;


}  // namespace platform

/// A host window. Operations reach it only through platform::Window_Lookup, whose shared
/// ownership keeps it alive for a caller that races with Platform_Window_Destroy.
struct Platform_Window {
  std::mutex lock;  // guards every field below
  std::condition_variable arrived;
  std::wstring title;
  int width = 0;
  int height = 0;
  void* user = nullptr;
  bool closed = false;
  std::deque<Platform_Message> queue;
  std::vector<platform::Timer> timers;
  uint64_t timer_serial = 0;
  std::shared_ptr<platform::GL_Drawable> drawable;  // OpenGL buffers, once it has a pixel format
};

namespace platform {

/// The live record behind a handle, or empty for a handle that is not (or no longer) a window.
std::shared_ptr<Platform_Window> Window_Lookup(Platform_Window* handle);

/// Takes the oldest message off an open window's queue; false when it is empty or closed.
bool Message_Take(Platform_Window& record, Platform_Message* out);

/// Ticks each timer of the window that is due now, once; returns the number of ticks run.
int Timers_Run(Platform_Window& record, Platform_Window* handle, Platform_Handler handler);

}  // namespace platform
