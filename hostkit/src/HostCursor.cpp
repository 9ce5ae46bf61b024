// The host's pointer services, handed to the platform layer that owns the position.
#include <hostkit/HostUtil.h>

#include <platform/PlatformCursor.h>

void Host_Cursor_Set(int x, int y) { Platform_Cursor_Set(x, y); }

void Host_Cursor_Move(int dx, int dy) { Platform_Cursor_Move(dx, dy); }

void Host_Cursor_Get(int* x, int* y) { Platform_Cursor_Get(x, y); }
