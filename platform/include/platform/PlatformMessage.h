// Posted messages: a bounded per-window queue filled from any thread and pumped by the host thread.
#pragma once

#include <platform/Export.h>
#include <platform/PlatformWindow.h>

#include <cstdint>

/// One posted message as the host's handler receives it.
struct Platform_Message {
  /// The window it was posted to.
  Platform_Window* window;
  /// Message number (PLATFORM_MSG_USER and above are the application's own).
  uint32_t id;
  /// First argument.
  uint64_t a;
  /// Second argument.
  uint64_t b;
};

/// Message of a timer that has no procedure: a is the timer id, b the tick time in ms.
constexpr uint32_t PLATFORM_MSG_TIMER = 0x0113;
/// First message number free for the application.
constexpr uint32_t PLATFORM_MSG_USER = 0x0400;
/// Most messages a window's queue holds; further posts are refused until the host pumps.
constexpr int PLATFORM_QUEUE_LIMIT = 10000;
/// Timeout of Platform_Get_Message that never runs out.
constexpr uint32_t PLATFORM_WAIT_INFINITE = 0xFFFFFFFFu;

/// The host's message handler, run by Platform_Pump on the pumping thread.
typedef void (*Platform_Handler)(Platform_Window* window, const Platform_Message* message);

/// Appends a message to the window's queue, from any thread; 1 done, 0 when the window is not
/// live, its queue is full or memory runs out.
PLATFORM_API int Platform_Post_Message(Platform_Window* window, uint32_t id, uint64_t a,
                                       uint64_t b);
/// Copies the oldest queued message into out (may be null) and takes it off the queue when
/// remove is nonzero; 1 when there was one, 0 when the queue is empty or the window invalid.
PLATFORM_API int Platform_Peek_Message(Platform_Window* window, Platform_Message* out, int remove);
/// Takes the oldest message, waiting up to timeout_ms of real time for one to be posted;
/// 1 taken, 0 on timeout, for an invalid window, a null out or when the window is destroyed
/// while waiting.
PLATFORM_API int Platform_Get_Message(Platform_Window* window, Platform_Message* out,
                                      uint32_t timeout_ms);
/// Number of messages waiting, 0 for an invalid window.
PLATFORM_API int Platform_Queue_Count(Platform_Window* window);
/// Runs the handler on the calling thread for each message that was queued when the pump began
/// (later posts wait for the next pump), then ticks every timer whose deadline has passed, once
/// each; returns the number of messages and ticks handled, 0 for an invalid window or a null
/// handler (nothing is taken then).
PLATFORM_API int Platform_Pump(Platform_Window* window, Platform_Handler handler);
