// The host's progress library: progress handles that workers step, the progress bar drawing
// calls and the progress object that carries the main window's progress box.
#pragma once

#include <hostkit/Export.h>
#include <hostkit/HostTypes.h>
#include <hostkit/HostWidgets.h>

#include <cstdint>
#include <string>

/// A progress dialog opened by Host_Progress_Open.
struct Host_Progress;
/// Handle of a progress dialog.
typedef Host_Progress* Host_Progress_Handle;
/// Called once, on the thread that aborts, when the user presses abort.
typedef void (*Host_Progress_Abort_Fn)(Host_Progress_Handle handle);

/// What a progress dialog shows, as read by Host_Progress_Get.
struct Host_Progress_State {
  std::wstring title;  ///< Title given when opened.
  std::wstring text;   ///< Current text.
  int total = 0;       ///< Count of steps to go (0: unknown).
  int value = 0;       ///< Steps done, kept within 0 ... total when a total is set.
  int steps = 0;       ///< Number of Host_Progress_Step calls.
  int flag = 0;        ///< Flag given when opened.
  bool aborted = false;  ///< Abort was pressed.
};

/// Opens a progress dialog; on_abort (may be null) is called when abort is pressed. Returns the
/// handle, or null (reported) when it cannot be allocated.
HOSTKIT_API Host_Progress_Handle Host_Progress_Open(Host_Window owner, const wchar_t* title,
                                                    const wchar_t* text, Host_Progress_Abort_Fn on_abort,
                                                    int flag);
/// Sets the number of steps to go and clamps the value into it.
HOSTKIT_API void Host_Progress_Total(Host_Progress_Handle handle, int count);
/// Adds increment to the value (any thread), kept within 0 ... total when a total is set.
HOSTKIT_API void Host_Progress_Step(Host_Progress_Handle handle, int increment);
/// Replaces the text shown (null clears it).
HOSTKIT_API void Host_Progress_Text(Host_Progress_Handle handle, const wchar_t* text);
/// Nonzero once abort was pressed; 0 for a null handle.
HOSTKIT_API int Host_Progress_Aborted(Host_Progress_Handle handle);
/// Closes the dialog and releases the handle; no other thread may still use it.
HOSTKIT_API void Host_Progress_Close(Host_Progress_Handle handle);

/// Presses abort: marks the dialog aborted and, the first time, calls its abort function.
/// Returns 1 the first time, 0 when it was already aborted or the handle is null.
HOSTKIT_API int Host_Progress_Abort(Host_Progress_Handle handle);
/// Presses abort on every open dialog; returns how many were newly aborted.
HOSTKIT_API int Host_Progress_Abort_All();
/// Copies what the dialog shows; 0 for a null handle.
HOSTKIT_API int Host_Progress_Get(Host_Progress_Handle handle, Host_Progress_State* state);
/// Number of dialogs open.
HOSTKIT_API int Host_Progress_Open_Count();

/// One drawing call of the progress bar, as last made.
struct Host_Progress_Bar_Call {
  const Host_Widget_Box* box = nullptr;  ///< Box drawn into.
  int value = 0;                         ///< Value (bar) or marker position (ping-pong).
  int total = 0;                         ///< Total.
  uint64_t calls = 0;                    ///< Number of calls of this kind so far.
};

/// Draws the progress bar in box at value of total.
HOSTKIT_API void Host_Progress_Bar_Redraw(Host_Widget_Box* box, int value, int total);
/// Draws the bouncing marker in box at position value (total as for the bar).
HOSTKIT_API void Host_Progress_Bar_PingPong(Host_Widget_Box* box, int value, int total);
/// The last Host_Progress_Bar_Redraw call.
HOSTKIT_API Host_Progress_Bar_Call Host_Progress_Bar_Last_Redraw();
/// The last Host_Progress_Bar_PingPong call.
HOSTKIT_API Host_Progress_Bar_Call Host_Progress_Bar_Last_PingPong();
/// Forgets both records.
HOSTKIT_API void Host_Progress_Bar_Reset();

/// The progress box of a host window: the host sets the window, the library draws into the box.
class HOSTKIT_API Host_Progress_Object {
public:
  Host_Window wnd = nullptr;  ///< Window that shows the box; none until the host sets it.
  Host_Widget_Box box;        ///< Where the light and the bar are drawn.

  /// A progress object without window.
  Host_Progress_Object();
  /// Releases nothing the host owns.
  ~Host_Progress_Object();
  Host_Progress_Object(const Host_Progress_Object&) = delete;
  Host_Progress_Object& operator=(const Host_Progress_Object&) = delete;
};
