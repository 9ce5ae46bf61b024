// Key state by virtual key code, set by the host as keys go down and up, read from any thread.
#pragma once

#include <platform/Export.h>

constexpr int PLATFORM_VK_SHIFT = 0x10;  ///< either Shift key
constexpr int PLATFORM_VK_CONTROL = 0x11;  ///< either Ctrl key
constexpr int PLATFORM_VK_MENU = 0x12;  ///< either Alt key
constexpr int PLATFORM_VK_LEFT = 0x25;  ///< left arrow
constexpr int PLATFORM_VK_UP = 0x26;  ///< up arrow
constexpr int PLATFORM_VK_RIGHT = 0x27;  ///< right arrow
constexpr int PLATFORM_VK_DOWN = 0x28;  ///< down arrow
constexpr int PLATFORM_VK_LSHIFT = 0xA0;  ///< left Shift
constexpr int PLATFORM_VK_RSHIFT = 0xA1;  ///< right Shift
constexpr int PLATFORM_VK_LCONTROL = 0xA2;  ///< left Ctrl
constexpr int PLATFORM_VK_RCONTROL = 0xA3;  ///< right Ctrl
constexpr int PLATFORM_VK_LMENU = 0xA4;  ///< left Alt
constexpr int PLATFORM_VK_RMENU = 0xA5;  ///< right Alt
/// Number of virtual key codes (0 .. 255).
constexpr int PLATFORM_VK_COUNT = 256;

/// 1 when the key is down, else 0 (also for a code out of range); Shift, Control and Menu count
/// as down when either their left or right key is.
PLATFORM_API int Platform_Key_Down(int vk);
/// Records a key going down (nonzero) or up; 1 done, 0 for a code out of range.
PLATFORM_API int Platform_Key_State_Set(int vk, int down);
/// Lets every key up, as when the host's window loses the keyboard.
PLATFORM_API void Platform_Key_State_Reset();
