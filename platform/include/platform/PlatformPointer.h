// Pen and touch input: the records a pen or touch message refers to. An input backend (or a
// test) posts the messages with their records; the host's handler reads the records back.
#pragma once

#include <platform/Export.h>
#include <platform/PlatformWindow.h>

#include <cstdint>

/// Touch message: a is the number of touch inputs, b the handle to read them through.
constexpr uint32_t PLATFORM_MSG_TOUCH = 0x0240;
/// Pointer messages: a holds the pointer id in its low 16 bits, b the position (x in the low
/// 16 bits, y in the next 16).
constexpr uint32_t PLATFORM_MSG_POINTER_UPDATE = 0x0245;
constexpr uint32_t PLATFORM_MSG_POINTER_DOWN = 0x0246;  ///< A pointer came into contact.
constexpr uint32_t PLATFORM_MSG_POINTER_UP = 0x0247;    ///< A pointer left contact.

/// Kinds of pointer.
enum : uint32_t {
  PLATFORM_POINTER_GENERIC = 1,   ///< A pointer of no known kind.
  PLATFORM_POINTER_TOUCH = 2,     ///< A finger.
  PLATFORM_POINTER_PEN = 3,       ///< A pen.
  PLATFORM_POINTER_MOUSE = 4,     ///< A mouse.
  PLATFORM_POINTER_TOUCHPAD = 5,  ///< A touchpad.
};

/// Pointer flag: the pointer touches the surface.
constexpr uint32_t PLATFORM_POINTER_IN_CONTACT = 0x4;
/// Pen flag: the barrel button is pressed.
constexpr uint32_t PLATFORM_PEN_BARREL = 0x1;
/// Pen flag: the pen is turned round (its eraser end is used).
constexpr uint32_t PLATFORM_PEN_INVERTED = 0x2;

/// What every pointer reports.
struct Platform_Pointer_Info {
  uint32_t type = PLATFORM_POINTER_GENERIC;  ///< Kind of pointer.
  uint32_t id = 0;                           ///< Pointer id (16 bits are used).
  uint32_t flags = 0;                        ///< PLATFORM_POINTER_* flags.
  int32_t x = 0;                             ///< Position in window pixels.
  int32_t y = 0;                             ///< Position in window pixels.
};

/// What a pen reports beside.
struct Platform_Pen_Info {
  Platform_Pointer_Info pointer;  ///< The pointer part (type PLATFORM_POINTER_PEN).
  uint32_t pen_flags = 0;         ///< PLATFORM_PEN_* flags.
  uint32_t pressure = 0;          ///< 0 ... 1024.
  int32_t tilt_x = 0;             ///< Degrees, -90 ... 90.
  int32_t tilt_y = 0;             ///< Degrees, -90 ... 90.
  uint32_t rotation = 0;          ///< Degrees, 0 ... 359.
};

/// Touch input flags.
enum : uint32_t {
  PLATFORM_TOUCH_MOVE = 0x1,     ///< The contact moved.
  PLATFORM_TOUCH_DOWN = 0x2,     ///< The contact began.
  PLATFORM_TOUCH_UP = 0x4,       ///< The contact ended.
  PLATFORM_TOUCH_PRIMARY = 0x10, ///< The first contact of the gesture.
};

/// One contact of a touch message.
struct Platform_Touch_Input {
  int32_t x = 0;       ///< Position in hundredths of a window pixel.
  int32_t y = 0;       ///< Position in hundredths of a window pixel.
  uint32_t id = 0;     ///< Contact id, the same from down to up.
  uint32_t flags = 0;  ///< PLATFORM_TOUCH_* flags.
  uint32_t time = 0;   ///< Time stamp in ms.
};

/// Digitizer bits: touch and pen built in or attached, several inputs, input stack ready.
enum : int {
  PLATFORM_DIGITIZER_INTEGRATED_TOUCH = 0x01,  ///< A touch screen.
  PLATFORM_DIGITIZER_EXTERNAL_TOUCH = 0x02,    ///< An attached touch device.
  PLATFORM_DIGITIZER_INTEGRATED_PEN = 0x04,    ///< A pen screen.
  PLATFORM_DIGITIZER_EXTERNAL_PEN = 0x08,      ///< An attached pen tablet.
  PLATFORM_DIGITIZER_MULTI_INPUT = 0x40,       ///< Several contacts at once.
  PLATFORM_DIGITIZER_READY = 0x80,             ///< The input stack takes input.
};

/// Most pointers known at once; further ids are refused until Platform_Pointer_Forget.
constexpr int PLATFORM_POINTER_LIMIT = 64;
/// Most touch handles open at once; further touch messages are refused until some are closed.
constexpr int PLATFORM_TOUCH_HANDLE_LIMIT = 1024;
/// Most contacts in one touch message.
constexpr int PLATFORM_TOUCH_INPUT_LIMIT = 256;

// The functions have C names, so that a caller can look them up by name at run time and still
// run on a platform layer that lacks them.
extern "C" {

/// The digitizer bits the input backend found (0 until one says otherwise).
PLATFORM_API int Platform_Digitizer_Metrics();
/// The input backend says what it found.
PLATFORM_API void Platform_Digitizer_Set(int bits);

/// Records what a pen reports and posts message to the window for it; 1 done, 0 for a null
/// record, a new id beyond PLATFORM_POINTER_LIMIT or a refused post.
PLATFORM_API int Platform_Pen_Post(Platform_Window* window, uint32_t message, const Platform_Pen_Info* pen);
/// The kind of a known pointer into *type; 1, or 0 for an unknown id.
PLATFORM_API int Platform_Pointer_Type(uint32_t id, uint32_t* type);
/// What a known pointer last reported; 1, or 0 for an unknown id or a null out.
PLATFORM_API int Platform_Pointer_Info_Get(uint32_t id, Platform_Pointer_Info* out);
/// What a known pen last reported; 1, or 0 for an unknown id, a pointer that is no pen or null.
PLATFORM_API int Platform_Pointer_Pen_Info_Get(uint32_t id, Platform_Pen_Info* out);
/// Forgets a pointer (it left the surface's range); 1 when it was known.
PLATFORM_API int Platform_Pointer_Forget(uint32_t id);

/// Keeps count contacts under a new handle and posts PLATFORM_MSG_TOUCH to the window;
/// 1 done, 0 for a count outside 0 ... PLATFORM_TOUCH_INPUT_LIMIT, null inputs with a count,
/// too many open handles or a refused post (the handle is then dropped).
PLATFORM_API int Platform_Touch_Post(Platform_Window* window, const Platform_Touch_Input* inputs, int count);
/// Copies the first count contacts of a handle into out, whose records are record_size bytes;
/// 1 done, 0 for an unknown handle, a count above the handle's, a record size that is not
/// sizeof(Platform_Touch_Input) or a null out.
PLATFORM_API int Platform_Touch_Input_Info(uint64_t handle, int count, Platform_Touch_Input* out,
                                           int record_size);
/// Releases a handle; 1 when it was open.
PLATFORM_API int Platform_Touch_Input_Close(uint64_t handle);
/// Number of touch handles open.
PLATFORM_API int Platform_Touch_Open_Handles();
/// Marks a window as taking touch messages; 1 done, 0 for a window that is not live.
PLATFORM_API int Platform_Touch_Register(Platform_Window* window, uint32_t flags);
/// 1 when the window was registered for touch messages.
PLATFORM_API int Platform_Touch_Registered(Platform_Window* window);

}  // extern "C"
